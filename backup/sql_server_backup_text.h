// What the SQL Server backups send and read, built without any window: the statements of a backup,
// its file check and its verification, and what the server's messages say. Values are escaped for
// the place they go into: inside '...' each quote is doubled, inside [...] each closing bracket is
// doubled. Values without those characters give the statements byte for byte.
#pragma once

#include <stddef.h>

// Fills pattern into target (capacity bytes, terminator included). Every "%s" place takes the next
// value, escaped by the character in front of it: after ' quotes are doubled, after [ closing
// brackets are doubled, elsewhere the value goes in as it is. False, with an empty target, when the
// whole statement does not fit: a cut statement is never produced.
bool FillStatement(char* target, size_t capacity, const char* pattern, const char* const* values, int valueCount);

// The backup statement of the dialog; false (target empty) when it does not fit into capacity, as
// for every builder here.
bool BuildBackupStatement(char* target, size_t capacity, const char* database, const char* file,
                          const char* backupName);
// The unattended backup's statement: "BACKUP DATABASE [%s] TO DISK = '%s' WITH CHECKSUM, INIT, NAME =
// '%s', STATS = 10".
bool BuildUnattendedBackupStatement(char* target, size_t capacity, const char* database, const char* file,
                                    const char* backupName);
// RESTORE HEADERONLY of the file: a row per backup set it holds.
bool BuildBackupHeaderQuery(char* target, size_t capacity, const char* file);
// RESTORE VERIFYONLY of the file WITH CHECKSUM: reads the whole backup back and checks its checksums.
bool BuildBackupVerification(char* target, size_t capacity, const char* file);

// The server's message numbers that a backup's file check and verification are told by.
const long backupDeviceUnavailable = 3201;  // "Cannot open backup device": for the check, no such file
const long backupMediaMalformed = 3241;     // the file holds no backup set

// What RESTORE HEADERONLY said about a file before a backup replaces it.
enum class BackupFileState {
    Missing,        // no such file: the normal case
    HoldsBackup,    // it holds at least one backup set
    HoldsNoBackup,  // it exists but holds none
    Unknown,        // the check was refused (permission, say) or failed otherwise
};
// From the check's outcome: whether it ran to its end, how many of its results brought a row, and
// the native numbers of the failing call's messages.
BackupFileState ClassifyBackupFile(bool succeeded, int rowResults, const long* errors, int errorCount);

// The server's message number for a backup's progress ("10 percent processed.").
const long backupProgressMessage = 3211;

// The percentage (0 to 100) a progress message reports after the drivers' bracketed prefixes; -1 for
// any other message.
int BackupPercent(long nativeError, const char* text);

// The proposed backup file: directory, "\", database, "-", the date as "YYYY-MM-DD", ".mssql-server".
// False (target empty) when the path does not fit into capacity.
bool BuildBackupFileName(char* target, size_t capacity, const char* directory, const char* database,
                         const char* isoDate);
