#include "config/session.h"

#include "support/bounded_text.h"

#include <stdlib.h>
#include <string.h>

Session session;

bool MatchLoginUser(const char* document, const char* userId, const char* password, Session* target)
{
    if (!document || !userId || !password || !target) return false;
    RecordScan users;
    users.Init(document, "USER");
    while (users.Next()) {
        // Only a whole record matches: an ID that is there and not empty, a password that is there
        // (it may be empty), both within their limits and read inside this record.
        char id[17], storedPassword[17];
        if (ReadRecordFieldInto<16>(users, "USERID", id) != tagPresent || id[0] == '\0') continue;
        if (ReadRecordFieldInto<16>(users, "USERPWD", storedPassword) != tagPresent) continue;
        if (strcmp(id, userId) != 0 || strcmp(storedPassword, password) != 0) continue;

        // The first match is the user. The table comes first so that running out of memory leaves
        // the target as it was.
        ProgramEntry* programs;
        int programCount;
        if (!BuildProgramTable(document, &programs, &programCount)) return false;
        ReadRecordFieldInto<100>(users, "USERNAME", target->userName);
        char admin[17];
        ReadRecordFieldInto<16>(users, "USERADMIN", admin);
        target->isAdmin = strcmp(admin, "YES") == 0;
        ReadRecordFieldInto<1024>(users, "PROGRAMOK", target->permittedPrograms);
        ExtractTagInto<1024>(document, "HEADER", target->header);
        ExtractTagInto<100>(document, "MYSQL_DSN", target->mysqlDataSource);
        ExtractTagInto<100>(document, "MYSQL_ROOT", target->mysqlUser);
        ExtractTagInto<100>(document, "MYSQL_PWD", target->mysqlPassword);
        ExtractTagInto<100>(document, "MSSQL_DSN", target->sqlServerDataSource);
        ExtractTagInto<100>(document, "MSSQL_ROOT", target->sqlServerUser);
        ExtractTagInto<100>(document, "MSSQL_PWD", target->sqlServerPassword);
        free(target->programs);
        target->programs = programs;
        target->programCount = programCount;
        return true;
    }
    return false;
}
