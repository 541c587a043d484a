// The one line of backup_mysql.bat, built without any window.
#pragma once

#include <stddef.h>

// The batch line size the backup uses.
const size_t mysqlBackupLineCapacity = 1024;

// "mysqldump -h SERVER -u USER -pPASSWORD DATABASE > DUMPFILE-DATE\r\n", without "-h SERVER " when
// the server is blank. A value with a blank, a tab, a quote or one of & | < > ^ is put in quotes
// (a quote inside doubled, backslashes before a closing quote doubled), and every % is doubled, so
// the command interpreter and the dump program see exactly the value; other values go in as they
// are. The dump file and the date form one word. False (target empty) when the line does not fit.
bool BuildMySqlBackupLine(const char* server, const char* user, const char* password, const char* database,
                          const char* dumpFile, const char* date, char* target, size_t capacity);

// The proposed dump file: directory "\" database "-" isoDate ".mysql-server". False (target empty)
// when it does not fit.
bool BuildMySqlDumpFileName(const char* directory, const char* database, const char* isoDate, char* target,
                            size_t capacity);

// Copies text without its backslashes.
void DropBackslashes(const char* text, char* target, size_t capacity);
