// The administrator popup menu of the main window and the routing of its commands.
#pragma once

#include "support/platform.h"

// True for the commands this menu handles: the "Adminisztrátor" button/menu item and the six items.
bool IsAdminCommand(int command);

// 102 opens the popup left of the "Adminisztrátor" button; 131 opens the ODBC data source
// administrator; the others open their tools modally over mainWindow.
void HandleAdminCommand(HWND mainWindow, int command);

// Shows the popup menu and returns when it has closed; the chosen item arrives as WM_COMMAND.
void ShowAdminMenu(HWND mainWindow);

// The platform's ODBC data source administrator.
void OpenOdbcAdministrator(HWND mainWindow);
