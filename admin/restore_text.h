// What the two restore tools read and send, built without any window: the proposed target, the
// checks of a MySQL dump and the MySQL client's command line, and the SQL Server restore's
// statements with the new places of the backup's files. Every builder returns false, with an empty
// target, when its text does not fit: nothing cut is ever sent or run.
#pragma once

#include "support/bounded_text.h"

#include <stddef.h>

// The target proposed for a backup of database: database "_" compactDate (eight digits).
bool BuildRestoreTargetName(const char* database, const char* compactDate, char* target, size_t capacity);

// No target may hold a control character (HasControlCharacter, support/bounded_text.h).

// ---- MySQL

// How much of a dump's beginning and end the check reads.
const size_t mysqlDumpHeadSize = 16384;
const size_t mysqlDumpTailSize = 512;

enum class MySqlDumpCheck {
    Complete,
    Incomplete,      // no completion line at its end: cut off, or the dump failed
    ChoosesDatabase, // it names its databases itself (a dump of several): it would restore into them
};

// Checks a dump from its first bytes (head) and its last (tail; the two may overlap in a short file).
// database receives the name of the header's "-- Host: ...  Database: NAME" line, or an empty text.
MySqlDumpCheck CheckMySqlDump(const char* head, size_t headLength, const char* tail, size_t tailLength,
                              char* database, size_t capacity);

// CREATE DATABASE `database`: a backquote inside is doubled, as the server reads an identifier in
// every sql_mode.
bool BuildMySqlCreateDatabase(const char* database, char* target, size_t capacity);

// The client's command line, arguments quoted as the runtime splits them (a quote inside written as
// \", the backslashes before it doubled):
//   "PROGRAM" --defaults-extra-file=OPTIONS --default-character-set=cp1250 [-h SERVER] -u USER [--] DATABASE
// The password is never on it: the option file holds it. "--" goes before a database that starts
// with "-". False for a value holding a control character or an empty database.
bool BuildMySqlClientCommandLine(const char* program, const char* optionFile, const char* server, const char* user,
                                 const char* database, char* target, size_t capacity);

// ---- SQL Server

// The server's default folders of data and log files (NULL before 2012): columns DataPath, LogPath.
extern const char* const sqlServerFoldersQuery;

// RESTORE FILELISTONLY of backup set position of the file: its files (LogicalName, PhysicalName,
// Type: 'D' data, 'L' log).
bool BuildRestoreFileListQuery(char* target, size_t capacity, const char* file, const char* position);

// One file of a backup set, as RESTORE FILELISTONLY lists it.
struct RestoreFile {
    const char* logicalName;
    const char* physicalName;
    char type;
};

// Where a file of the set goes when restored as database: the log's folder (type 'L') or the data
// folder, or, when that is empty, the folder of the file's own path; named database ".mdf" for the
// first data file and database "_N.ndf" for the Nth (N from 2), database "_log.ldf" for the first log
// file and database "_log_N.ldf" for the Nth. index counts the files of the same kind before this
// one. So a set restored under a new name never names the files of the database it was made of.
bool BuildMovedFilePath(char* target, size_t capacity, const RestoreFile& file, int index, const char* database,
                        const char* dataFolder, const char* logFolder);

// RESTORE DATABASE [database] FROM DISK = 'file' WITH FILE = position, MOVE 'logical' TO 'path' for
// every file, [REPLACE, ][CHECKSUM, ]STATS = 10.
bool BuildRestoreStatement(char* target, size_t capacity, const char* database, const char* file, const char* position,
                           const RestoreFile* files, int fileCount, const char* dataFolder, const char* logFolder,
                           bool replace, bool checksum);

// ALTER DATABASE [database] SET SINGLE_USER WITH ROLLBACK IMMEDIATE, and back to MULTI_USER.
bool BuildSingleUser(char* target, size_t capacity, const char* database);
bool BuildMultiUser(char* target, size_t capacity, const char* database);

// What label 105 shows of a backup set: "Adatbázis: DATABASE, mentés: NAME, készült: DATE" (the date
// without its fraction of a second).
bool BuildBackupSetText(char* target, size_t capacity, const char* database, const char* backupName, const char* date);
