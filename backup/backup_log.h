// The machine's backup log, %ProgramData%\Marvitelkon\mentesek.log: one line per run of the
// unattended backup (FormatBackupLogLine), appended by whichever account runs it, read by the backup
// dialogs. Windows-1250, no window involved.
#pragma once

#include "backup/unattended_backup_text.h"

#include <stddef.h>

// The log's full path; false when the machine's common data folder is not known or the path does
// not fit.
bool BackupLogPath(char* target, size_t capacity);

// Appends one whole line (with its line end) to the log, making its folder when it is missing. The
// line goes to the end of the file in one write, through a handle that may only append, under a lock
// of the file: lines of runs that append at the same time never mix and none overwrites another.
// False when the log could not be written.
bool AppendBackupLog(const char* line, size_t length);

// The last logged run of database of that kind ("mysql", "mssql"): false when the log holds none or
// cannot be read.
bool ReadLastBackup(const char* kind, const char* database, BackupLogEntry* entry);
