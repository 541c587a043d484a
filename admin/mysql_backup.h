// The MySQL backup (template MYSQL_BACKUP): starts a run of the dump program, a batch file of one
// mysqldump line in the user's temporary folder (backup/mysql_backup_files.h), in a console of its own.
// ShowMySqlBackup (admin_tools.h) opens it.
#pragma once

#include "support/platform.h"

INT_PTR CALLBACK MySqlBackupProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
