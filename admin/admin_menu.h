// The administrator popup menu of the main window and the routing of its commands.
#pragma once

#include "support/platform.h"

// True for the commands of the menu's eight items.
bool IsAdminCommand(int command);

// IDM_ADMIN_ODBC opens the ODBC data source administrator; the other items open their tools
// modally over mainWindow. Other commands are ignored.
void HandleAdminCommand(HWND mainWindow, int command);

// Shows the popup menu with its right edge at anchor's left edge and its top level with anchor's top
// (screen coordinates: the rectangle of the control that opened it) and returns when it has closed;
// the chosen item arrives at mainWindow as WM_COMMAND.
void ShowAdminMenu(HWND mainWindow, const RECT& anchor);

// The platform's ODBC data source administrator.
void OpenOdbcAdministrator(HWND mainWindow);

// The tools' start step: removes what ended runs of the tools left behind, whichever launcher started
// them (the files of MySQL backups whose console has ended, a console closed half-way included).
void RemoveAdminToolLeftovers();

// The tools' exit step: the same, so the files of every run that has ended by now go; a backup still
// running keeps what its dump needs.
void CloseAdminTools();
