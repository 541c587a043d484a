#include "shell/session.h"

#include "support/bounded_text.h"

#include <stdlib.h>
#include <string.h>

Session session;

bool MatchLoginUser(const char* document, const char* userId, const char* password, Session* target)
{
    if (!document || !userId || !password || !target) return false;
    const char* end = document + strlen(document);
    TagReader idReader, passwordReader;
    idReader.Init(end, "USERID");
    passwordReader.Init(end, "USERPWD");
    RecordScan users;
    users.InitRange(document, end, "USER");
    while (users.Next()) {
        char id[17], storedPassword[17];
        idReader.Read(users.record, id, 16);
        passwordReader.Read(users.record, storedPassword, 16);
        if (strcmp(id, userId) != 0 || strcmp(storedPassword, password) != 0) continue;

        // The first match is the user. The table comes first so that running out of memory leaves
        // the target as it was.
        ProgramEntry* programs;
        int programCount;
        if (!BuildProgramTable(document, &programs, &programCount)) return false;
        ExtractTagInto<100>(users.record, "USERNAME", target->userName);
        char admin[17];
        ExtractTag(users.record, "USERADMIN", admin, 16);
        target->isAdmin = strcmp(admin, "YES") == 0;
        ExtractTagInto<1024>(users.record, "PROGRAMOK", target->permittedPrograms);
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
