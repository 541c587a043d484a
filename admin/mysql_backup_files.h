// The files of a MySQL backup run that need the platform: the option file that hands the dump
// program the password, and the batch line in the console's code page. No window involved.
#pragma once

#include "admin/mysql_backup_line.h"
#include "support/platform.h"

// Makes the run's option file in the user's own temporary folder: a new file
// "mysqldump-TAG.cnf" (never an existing one), readable and writable by the current user alone,
// holding the password (BuildMySqlOptionFile). path receives its full path and tag the run's own
// name part. The file is remembered, so RemoveMySqlOptionFiles removes it if the batch did not.
// False (nothing left behind) when it cannot be made.
bool CreateMySqlOptionFile(const char* password, char* path, size_t pathCapacity, char* tag, size_t tagCapacity);

// Removes the option files this run has made (the exit steps call it; the batch has usually removed
// them already).
void RemoveMySqlOptionFiles();

// The batch line (BuildMySqlBackupBatch) in the console's code page, which the command interpreter
// reads batch files in. False when it does not fit or a character of it has no exact equivalent
// there: a value it cannot pass on unchanged is refused, never altered.
bool BuildMySqlBackupConsoleBatch(const MySqlBackupRun& run, char* target, size_t capacity);
