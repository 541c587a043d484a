// The texts and rules of the MySQL backup, built without any window: the one line of a run's batch
// file, the option file that hands the dump program the password, the names of a run's files in the
// user's temporary folder, and what counts as a complete dump.
#pragma once

#include <stddef.h>

// One run of the backup: what it dumps and the files it uses.
struct MySqlBackupRun {
    const char* server;      // blank: the dump program's default host
    const char* user;
    const char* database;
    const char* dumpFile;    // as typed; the dump ends as dumpFile "-" date
    const char* date;        // eight digits
    const char* tag;         // this run's own name part: the dump is first written to
                             // dumpFile "-" date "." tag ".tmp"
    const char* optionFile;  // the run's option file, which holds the password
};

// The batch text the backup uses at most.
const size_t mysqlBackupBatchCapacity = 4096;

extern const char* const mysqlBackupFailedText;  // "A mentés sikertelen!"
extern const char* const mysqlDumpCompletedText;  // "-- Dump completed", how the dump program ends a whole dump

// The one line of a run's batch file, in the program's code page (the caller puts it into the
// console's), ending with CR LF (FAIL standing for "del OPTIONS & del TEMPORARY 2>nul & echo A mentés
// sikertelen! & pause"):
//   @mysqldump --defaults-extra-file=OPTIONS [-h SERVER] -u USER --routines --events DATABASE >
//   TEMPORARY & if errorlevel 1 (FAIL) else if not errorlevel 0 (FAIL) else
//   ("%SystemRoot%\system32\find.exe" "-- Dump completed" < TEMPORARY >nul & if errorlevel 1 (FAIL)
//   else (del OPTIONS & move /y TEMPORARY DATED >nul & if exist TEMPORARY (echo A mentés sikertelen!
//   & pause)))
// The password is never on it: the dump program reads it from the option file, which goes as soon
// as the dump ends. Every status but 0 is a failure, the negative ones of a program that crashed or
// could not start included (if errorlevel 1 alone lets them through; Wine 8's command interpreter
// runs both sides of && and ||, so they cannot be used), and so is a dump without the completion
// line (find, since Wine 8's findstr finds nothing; find takes the line anywhere in a line of the
// dump, so the exact rule, for programs that read the dump themselves, is IsCompleteMySqlDump). A
// failed dump leaves an earlier dump of the same name untouched, removes its temporary file and
// keeps the console open with the message until a key is pressed; a successful one replaces it
// whole. Being one line, it is read whole before it runs.
// A value with a blank, a tab or one of " & | < > ^ ( ) is put in quotes (a quote inside doubled,
// backslashes before a quote doubled), an empty one is "", every % is doubled, and "--" goes before
// a database that starts with "-", so the command interpreter and the dump program see exactly the
// value. False (target empty) when the line does not fit, a value holds a control character (a line
// break would end the line), a path holds a quote, or the database is empty.
bool BuildMySqlBackupBatch(const MySqlBackupRun& run, char* target, size_t capacity);

// The option file: "[client]", then the password in double quotes with \ " and the control
// characters tab, CR and LF written as the option file's escapes. False (target empty) when it does
// not fit.
bool BuildMySqlOptionFile(const char* password, char* target, size_t capacity);

// True when a dump ends with the dump program's completion line: the last line that holds anything
// starts with mysqldump's "-- Dump completed" (followed by the end or a blank, as in "-- Dump
// completed on 2026-03-07 10:11:12"), with LF or CR LF line ends. tail is the dump's end (its last
// few hundred bytes will do). A dump cut off part-way, or one that failed after a first line, is
// not complete.
bool IsCompleteMySqlDump(const char* tail, size_t length);

// A run's files in the user's temporary folder: "mysqldump-TAG.bat" (the batch file),
// "mysqldump-TAG.cnf" (the option file) and "mysqldump-TAG.txt" (the path of the run's temporary
// dump, which a console closed part-way leaves behind), TAG made of digits and "-" only.
extern const char* const mysqlRunBatchExtension;     // ".bat"
extern const char* const mysqlRunOptionExtension;    // ".cnf"
extern const char* const mysqlRunDumpNameExtension;  // ".txt"

// folder (ending in "\") "mysqldump-" tag extension. False (target empty) when it does not fit.
bool BuildMySqlRunFileName(const char* folder, const char* tag, const char* extension, char* target,
                           size_t capacity);

// The run a name of the temporary folder belongs to: true, with its tag, only for one of a run's
// three files; every other name (another program's, or one merely like a run's) is none of the
// backup's business and must be left alone.
bool MySqlRunTagOf(const char* fileName, char* tag, size_t capacity);

// The proposed dump file: directory "\" database "-" isoDate ".mysql-server". False (target empty)
// when it does not fit.
bool BuildMySqlDumpFileName(const char* directory, const char* database, const char* isoDate, char* target,
                            size_t capacity);
