// The texts of the MySQL backup, built without any window: the one line of backup_mysql.bat and the
// option file that hands the dump program the password.
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

// The one line of backup_mysql.bat, in the program's code page (the caller puts it into the
// console's), ending with CR LF:
//   @mysqldump --defaults-extra-file=OPTIONS [-h SERVER] -u USER DATABASE > TEMPORARY & if errorlevel 1
//   (del OPTIONS & del TEMPORARY 2>nul & echo A mentés sikertelen! & pause) else (del OPTIONS &
//   move /y TEMPORARY DATED >nul & if exist TEMPORARY (echo A mentés sikertelen! & pause))
// The password is never on it: the dump program reads it from the option file, which goes as soon
// as the dump ends. A failed dump leaves an earlier dump of the same name untouched and keeps the
// console open with the message until a key is pressed; a successful one replaces it whole. Being one
// line, it is read whole before it runs, so deleting the batch file meanwhile changes nothing.
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

// The proposed dump file: directory "\" database "-" isoDate ".mysql-server". False (target empty)
// when it does not fit.
bool BuildMySqlDumpFileName(const char* directory, const char* database, const char* isoDate, char* target,
                            size_t capacity);
