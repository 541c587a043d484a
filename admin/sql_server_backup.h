// The SQL Server backup (template MSSQL_BACKUP). Its entry point, ShowSqlServerBackup, is declared
// with the other tools in admin_tools.h.
#pragma once

#include "support/platform.h"

// The dialog procedure; works on sqlServerConnection, which must be open while the dialog runs.
INT_PTR CALLBACK SqlServerBackupProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
