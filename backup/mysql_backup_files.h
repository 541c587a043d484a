// The files and the console of a MySQL backup run, which need the platform: the run's batch file and
// option file in the user's own temporary folder, the console that runs the batch, and the removal of
// what ended runs leave behind. No window involved.
#pragma once

#include "backup/mysql_backup_line.h"
#include "support/platform.h"

enum MySqlBackupStart {
    MySqlBackupStarted,
    MySqlBackupRefused,  // a value cannot be passed on unchanged (BuildMySqlBackupConsoleBatch)
    MySqlBackupFailed,   // a file could not be made or the console not started: failure says which
};

// Starts one run of run (its tag and optionFile are chosen here and need not be set): makes the
// run's batch file "mysqldump-TAG.bat" new in the user's temporary folder, then beside it its option
// file "mysqldump-TAG.cnf" (new, readable and writable by the current user alone, holding password)
// and "mysqldump-TAG.txt" naming the run's temporary dump, writes the batch line (BuildMySqlBackupConsoleBatch) into the batch file and starts it by its full
// path in a console of its own, with currentDirectory current, so the dump program is found where it
// always was. Nothing is written anywhere else. The console inherits a handle that keeps the batch
// file from being deleted for as long as it (or the dump program) runs; RemoveEndedMySqlBackupRuns
// goes by it. When the run does not start, nothing of it is left behind and failure (for
// MySqlBackupFailed) holds the message naming what failed.
MySqlBackupStart StartMySqlBackup(MySqlBackupRun run, const char* password, const char* currentDirectory,
                                  char* failure, size_t failureCapacity);

// A tag for a new run's files, "PROCESS-TIME-N": N counts the runs of this process, backups and
// restores alike, so two runs started within the same tick get different tags.
void NewMySqlRunTag(char* tag, size_t capacity);

// Creates the option file path new (readable and writable by the current user alone, holding
// password, as BuildMySqlOptionFile writes it) and returns a handle that keeps it: others may read
// it meanwhile, nobody may delete it, so RemoveEndedMySqlBackupRuns leaves it to a run that is still
// starting its client. Closing the handle does not delete it. INVALID_HANDLE_VALUE, with nothing
// left behind, when it cannot be made.
HANDLE CreateHeldMySqlOptionFile(const char* path, const char* password);

// Removes the files of every run in the user's temporary folder that has ended, whoever started it:
// a run whose batch file could be deleted (or is gone) loses its option file too, and the temporary
// dump that a console closed half-way left in the dump's folder; a run whose batch file is still in
// use keeps everything, since its dump may still need the option file. So no option file, which
// holds the password, and no partial dump outlives its run for longer than until the next call. The
// launcher calls it at start and at exit.
void RemoveEndedMySqlBackupRuns();

// The batch line (BuildMySqlBackupBatch) in the console's code page, which the command interpreter
// reads batch files in. False when it does not fit or a character of it has no exact equivalent
// there: a value it cannot pass on unchanged is refused, never altered.
bool BuildMySqlBackupConsoleBatch(const MySqlBackupRun& run, char* target, size_t capacity);
