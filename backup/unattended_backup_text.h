// The unattended backup (mvbackup.exe) without any window or file: its command line, read and
// written, the dated files it makes and the rule of the copies it keeps, and the lines of the backup
// log with what the dialogs show of them. Texts are in the program's code page (Windows-1250).
#pragma once

#include <stddef.h>

#include <string>
#include <vector>

enum class BackupKind { MySql, SqlServer };

// The longest database name taken: SQL Server's 128 characters.
const size_t backupDatabaseLimit = 128;

// What one run of mvbackup does, from its command line:
//   mvbackup mysql DATABASE --to FOLDER [--server HOST] [--keep N] [--config FILE]
//   mvbackup mssql DATABASE --to FOLDER [--keep N] [--config FILE]
//   mvbackup --version
struct BackupCommand {
    bool version;  // --version alone: nothing else is set
    BackupKind kind;
    char database[backupDatabaseLimit + 1];
    char folder[260];   // as given
    char server[256];   // empty: the dump program's default host
    int keep;           // 0: every copy is kept
    char config[260];   // empty: Marvitelkon.ini in the current folder
};

// Reads the arguments after the program's name. False, with a Hungarian message naming the problem
// (and the argument) in error, for: no command or an unknown one, a missing or unusable database
// name (IsBackupDatabaseName), an unknown option or one given twice, --server for mssql, an option
// without its value, a --keep that is not a whole number of at least 1, a value too long for its
// field, a missing --to, and a word too many.
bool ParseBackupCommand(int count, const char* const* arguments, BackupCommand* command, char* error,
                        size_t capacity);

// True for a database name that can be part of a file and a task name: 1 to 128 characters, no
// control character, none of \ / : * ? " < > |, not starting with "-" (it would read as an option).
bool IsBackupDatabaseName(const char* name);

// The arguments of a scheduled run: "mysql DATABASE --to FOLDER [--server HOST] --keep N" (mssql
// without --server; a blank server is left out), each value written for the programs' usual
// command-line rules (AppendCommandLineArgument). False (target empty) when it does not fit.
bool BuildBackupArguments(BackupKind kind, const char* database, const char* folder, const char* server, int keep,
                          char* target, size_t capacity);

// Appends value as one argument, after a blank when target is not empty: as it is when it holds no
// blank, tab or quote and is not empty; otherwise in quotes, each quote inside as \" and the
// backslashes before a quote or before the closing quote doubled. False when it does not fit.
bool AppendCommandLineArgument(char* target, size_t capacity, const char* value);

// Splits a command line's arguments by those rules (those of the C runtime that mvbackup reads its
// arguments with). False when a quote is left open.
bool SplitCommandLine(const char* line, std::vector<std::string>* arguments);

// "YYYYMMDD-HHMMSS", the part of a backup file's name that tells when it was made (local time).
void FormatBackupStamp(int year, int month, int day, int hour, int minute, int second, char* target,
                       size_t capacity);

// FOLDER "\" DATABASE "-" STAMP EXTENSION (no second backslash after a folder ending in one). False
// (target empty) when it does not fit: a cut path names another file.
bool BuildDatedBackupPath(const char* folder, const char* database, const char* stamp, const char* extension,
                          char* target, size_t capacity);

// True when name is exactly DATABASE "-" 8 digits "-" 6 digits EXTENSION: a copy that this
// database's runs made. Another database's copies and every other file are not.
bool IsDatedBackupName(const char* name, const char* database, const char* extension);

// The copies to delete among the names of a folder so that keep copies of database remain: its
// dated files (IsDatedBackupName) beyond the newest keep by the time in their names, oldest first.
// The copy just made (spare) always stays and counts as one of them, whatever its time says. A keep
// below 1 deletes nothing.
std::vector<std::string> CopiesBeyond(const std::vector<std::string>& names, const char* database,
                                      const char* extension, int keep, const char* spare);

// One line of the backup log.
struct BackupLogEntry {
    char time[20];        // "YYYY-MM-DD HH:MM:SS", local time
    char kind[6];         // "mysql", "mssql", or empty when the command was not understood
    char database[backupDatabaseLimit + 1];
    char file[261];
    char size[21];        // in bytes; empty when the file cannot be seen from this machine
    bool ok;              // "OK" or "HIBA"
    char message[512];
};

// "mysql" or "mssql".
const char* BackupKindName(BackupKind kind);

// The line of entry: its fields in the order above joined by tabs, CR LF at the end. A tab or a line
// break inside a field becomes a blank, so the line stays one line of seven fields; a field longer
// than its place in the entry was already cut when it was put there. Returns the length (0 when
// it does not fit into capacity).
size_t FormatBackupLogLine(const BackupLogEntry& entry, char* target, size_t capacity);

// The last line of a log text (length bytes, lines ended by LF or CR LF) about database of that kind
// ("mysql", "mssql"): true, with its fields, when there is one. A line without its seven fields (a
// line cut by a full disk, say) is passed over.
bool FindLastBackupLogEntry(const char* text, size_t length, const char* kind, const char* database,
                            BackupLogEntry* entry);

// What the backup dialogs show of it: "Utolsó ütemezett mentés: TIME, sikeres" or "..., SIKERTELEN:
// MESSAGE", and "Még nem volt ütemezett mentés." for none (null).
void DescribeLastBackup(const BackupLogEntry* entry, char* target, size_t capacity);
