// The MySQL backup (template MYSQL_BACKUP): writes backup_mysql.bat, one mysqldump line, into the
// start directory and starts it. ShowMySqlBackup (admin_tools.h) opens it.
#pragma once

#include "support/platform.h"

extern const char* const mysqlBackupBatchName;  // "backup_mysql.bat"

INT_PTR CALLBACK MySqlBackupProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
