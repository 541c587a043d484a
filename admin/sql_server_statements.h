// Statements the SQL Server tools send, built without any window. Values typed by the administrator
// are escaped for the place they go into: inside '...' each quote is doubled, inside [...] each
// closing bracket is doubled. Values without those characters give the statements byte for byte.
#pragma once

#include <stddef.h>

// The eight fixed server roles in table order: the order of the check boxes 401..408 and of the
// statements Modify and Create send. Each name is also the column of the role query.
const int sqlServerRoleCount = 8;
extern const char* const sqlServerRoles[sqlServerRoleCount];

extern const char* const sqlServerLoginListQuery;     // column "name"
extern const char* const sqlServerDatabaseListQuery;  // column "name"

// Fills pattern into target (capacity bytes, terminator included). Every "%s" place takes the next
// value, escaped by the character in front of it: after ' quotes are doubled, after [ closing
// brackets are doubled, elsewhere the value goes in as it is. False, with an empty target, when the
// whole statement does not fit: a cut statement is never produced.
bool FillStatement(char* target, size_t capacity, const char* pattern, const char* const* values, int valueCount);

// The statements of the login manager and of the backup. Each returns false (target empty) when the
// statement does not fit into capacity.
bool BuildLoginRolesQuery(char* target, size_t capacity, const char* login);
bool BuildDropLogin(char* target, size_t capacity, const char* login);
bool BuildRoleChange(char* target, size_t capacity, bool add, const char* login, const char* role);
bool BuildCreateLogin(char* target, size_t capacity, const char* login, const char* password);
bool BuildBackupStatement(char* target, size_t capacity, const char* database, const char* file,
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

// A role column read as an integer: optional blanks, an optional sign, then the leading decimal
// digits; no digits give 0. Only zero or not zero matters to the callers, so large values saturate.
long RoleValue(const char* text);
