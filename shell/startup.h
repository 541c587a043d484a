// Start-up and exit of the launcher.
#pragma once

#include "support/platform.h"

// The whole run: bind ODBC, check Marvitelkon.ini, login window, main window, exit steps.
void RunLauncher(HINSTANCE instance);

// True when Marvitelkon.ini exists in the current directory; otherwise shows the missing-file message.
bool CheckConfigPresent();

// Shows the LOGIN dialog; false only when the dialog box could not be created.
bool ShowLoginDialog();

// Shows the MARVITELKON dialog and returns when it has closed.
void ShowMainDialog();

// Unloads ODBC, frees the document, restores the start directory, deletes a backup_mysql.bat that an
// older version left there, and removes the files of MySQL backups that have ended.
void RunExitSteps();
