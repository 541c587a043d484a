// The SQL Server login and server-role manager (template MSSQL_USER_MANAGER). Its entry point,
// ShowSqlServerLoginManager, is declared with the other tools in admin_tools.h.
#pragma once

#include "support/platform.h"

// The dialog procedure; works on sqlServerConnection, which must be open while the dialog runs.
INT_PTR CALLBACK SqlServerLoginManagerProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
