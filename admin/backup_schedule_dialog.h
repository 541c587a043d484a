// The daily schedule of a database's unattended backup (dialog BACKUP_SCHEDULE) and the last logged
// run, for both backup dialogs.
#pragma once

#include "backup/unattended_backup_text.h"
#include "support/platform.h"

// Opens BACKUP_SCHEDULE over owner for the task "MySQL - DATABASE" or "SQL Server - DATABASE": it shows
// the registered schedule, registers a new one (a daily task running mvbackup.exe from the launcher's
// folder, in the start folder, with --to FOLDER, --keep N and, for MySQL, --server when server is not
// blank) or removes it. fileField is the backup dialog's file, whose folder (or else the start folder)
// is proposed when nothing is scheduled. A database that cannot be part of a task's name is refused
// with a message. Returns when the dialog has closed.
void ShowBackupSchedule(HWND owner, BackupKind kind, const char* database, const char* server, const char* fileField);

// Puts the database's last logged run (DescribeLastBackup) into label labelId of dialog.
void ShowLastBackupRun(HWND dialog, int labelId, BackupKind kind, const char* database);
