/* A scripted ODBC driver that stands in for Microsoft SQL Server in the tests (never shipped).
 *
 * The real driver manager (unixODBC natively, Wine's odbc32 over unixODBC in the Windows build) loads
 * it from the tests' own odbcinst.ini. It reports the DBMS name "Microsoft SQL Server", accepts any
 * statement attribute, and writes down every call that matters, one line each, into a call log.
 *
 * State: a text file named by MV_SQLSERVER_STATE, read again at every connect and statement and
 * rewritten after every change, so that tests seed it before and read it after. Lines, fields
 * separated by tabs:
 *   dbms      <name>                          the DBMS name reported (default Microsoft SQL Server)
 *   login     <name> <password> [<role,...>]  a login and its fixed server roles
 *   database  <name> [SINGLE_USER]            a database, and its access when not the usual
 *   table     <name> <type>                   a row of SQLTables (type TABLE, SYSTEM TABLE, VIEW ...)
 *   result    <statement>                     a scripted result for exactly this statement, followed by
 *   column    <name> <sql type> <size>        its columns (type as the ODBC number) and
 *   row       <value> ...                     its rows; \N is NULL, \t a tab, \\ a backslash
 *   fail      <statement> <sqlstate> <native> <message>   a scripted failure
 *   backup    <steps> <milliseconds> <failing step> [<damaged>]   how BACKUP DATABASE runs (default 2 0 0 0),
 *                                         RESTORE DATABASE and VERIFYONLY too
 *   folders   <data> <log>                SERVERPROPERTY's default folders (empty: NULL, as before 2012)
 * The call log is MV_SQLSERVER_LOG, or the state file's name followed by ".log".
 *
 * Statements are answered from the scripted results and failures first, then from the table of
 * known statements below (catalog queries and system procedures), each a pattern whose '%s' takes
 * a text up to the pattern's next character (between quotes or brackets, a value whose doubled
 * closing character stands for itself, as the server reads it); anything else fails with 42000 as
 * the server does.
 * Cursors scroll as the ODBC rules say: before the start a relative fetch of 0 or less stays there
 * and answers SQL_NO_DATA.
 * BACKUP DATABASE runs as on a server: the execution does the first step and returns early with
 * SQL_SUCCESS_WITH_INFO and "N percent processed." (01000, native 3211); each SQLMoreResults does the
 * next step and brings its message, then "BACKUP DATABASE successfully processed ..." (3014), then
 * SQL_NO_DATA, and only then is the file complete. A failing step answers SQL_ERROR with 3013. A
 * statement freed or closed before SQL_NO_DATA aborts the backup and removes the file. Each step takes
 * the given time. A finished backup is logged as "BACKUP <database> <file> <name>" (tab-separated); its
 * file holds "set <database> <name> <1 with CHECKSUM>". The WITH list is read in any order, unknown
 * options refused. SQLCancel from another thread ends the waiting step, or the next, with HY008.
 * RESTORE HEADERONLY (a row per set) and VERIFYONLY ... WITH CHECKSUM (a step's wait, then 3262, 3187
 * without checksums, 3189 when the state says damaged) need sysadmin or dbcreator (262); a missing
 * file is 3201, one without a set 3241. A backup file may list its set's files, "file <logical>
 * <physical> <D or L>" a line; without them it has the data file <database> and the log
 * <database>_log in the default folders. RESTORE FILELISTONLY lists them. RESTORE DATABASE runs in
 * the backup's steps ("... percent processed.", then 3014) and adds the database to the state at its
 * end; it fails as a server does: 3154 onto an existing database without REPLACE, 3187 for CHECKSUM
 * on a set without, 3234 for a MOVE of a file the set lacks, 1834 for a file left on the place of a
 * database's file that exists (each followed by 3013). ALTER DATABASE ... SET SINGLE_USER WITH
 * ROLLBACK IMMEDIATE and SET MULTI_USER change the database's access in the state. */
#include <unistd.h>
#include <sql.h>
#include <sqlext.h>

#include <ctype.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>

#define EXPORT __attribute__((visibility("default")))

enum { maxText = 4096, maxColumns = 64, maxRows = 1024, maxLogins = 256, maxDatabases = 256,
       maxTables = 256, maxScripts = 128, maxDiagnostics = 4 };

/* ---- results ---- */

typedef struct {
    char name[256];
    SQLSMALLINT type;
    SQLULEN size;
} Column;

typedef struct {
    int columnCount;
    Column columns[maxColumns];
    int rowCount;
    char** cells; /* rowCount * columnCount texts, null for NULL */
    int cellCapacity;
} Result;

static void ResultClear(Result* result)
{
    for (int i = 0; i < result->rowCount * result->columnCount; i++) free(result->cells[i]);
    free(result->cells);
    memset(result, 0, sizeof *result);
}

static void ResultAddColumn(Result* result, const char* name, int type, SQLULEN size)
{
    if (result->columnCount >= maxColumns) return;
    Column* column = &result->columns[result->columnCount++];
    snprintf(column->name, sizeof column->name, "%s", name);
    column->type = (SQLSMALLINT)type;
    column->size = size;
}

/* Adds a row of columnCount values (null for NULL). */
static void ResultAddRow(Result* result, const char* const* values)
{
    if (result->rowCount >= maxRows) return;
    int needed = (result->rowCount + 1) * result->columnCount;
    if (needed > result->cellCapacity) {
        int capacity = needed * 2;
        char** cells = realloc(result->cells, (size_t)capacity * sizeof(char*));
        if (!cells) return;
        result->cells = cells;
        result->cellCapacity = capacity;
    }
    for (int i = 0; i < result->columnCount; i++)
        result->cells[result->rowCount * result->columnCount + i] = values[i] ? strdup(values[i]) : NULL;
    result->rowCount++;
}

/* ---- state ---- */

typedef struct {
    char name[128];
    char password[128];
    char roles[512]; /* comma-separated */
} Login;

typedef struct {
    char statement[maxText];
    int isFailure;
    char state[6];
    int native;
    char message[512];
    Result result;
} Script;

typedef struct {
    char dbms[1024];
    Login logins[maxLogins];
    int loginCount;
    char databases[maxDatabases][128];
    int singleUser[maxDatabases];
    int databaseCount;
    char folders[2][256];
    char tables[maxTables][2][128];
    int tableCount;
    Script* scripts;
    int scriptCount;
    int backupSteps, backupMilliseconds, backupFailingStep, backupDamaged;
} State;

static State state;

static const char* StatePath(void) { return getenv("MV_SQLSERVER_STATE"); }

static void LogPath(char* path, size_t size)
{
    const char* log = getenv("MV_SQLSERVER_LOG");
    if (log && *log) snprintf(path, size, "%s", log);
    else snprintf(path, size, "%s.log", StatePath() ? StatePath() : "/tmp/mv-sqlserver-standin");
}

static void Log(const char* format, ...)
{
    char path[4096];
    LogPath(path, sizeof path);
    FILE* file = fopen(path, "a");
    if (!file) return;
    va_list args;
    va_start(args, format);
    vfprintf(file, format, args);
    va_end(args);
    fputc('\n', file);
    fclose(file);
}

/* Splits a line at tabs in place, undoing the escapes; returns the number of fields. */
static int SplitFields(char* line, char** fields, int max)
{
    int count = 0;
    char* read = line;
    while (count < max) {
        fields[count++] = read;
        char* write = read;
        while (*read && *read != '\t') {
            if (read[0] == '\\' && read[1] == 't') { *write++ = '\t'; read += 2; }
            else if (read[0] == '\\' && read[1] == '\\') { *write++ = '\\'; read += 2; }
            else *write++ = *read++;
        }
        int more = *read == '\t';
        *write = '\0';
        if (!more) break;
        read++;
    }
    return count;
}

static void StateClear(void)
{
    for (int i = 0; i < state.scriptCount; i++) ResultClear(&state.scripts[i].result);
    free(state.scripts);
    memset(&state, 0, sizeof state);
    snprintf(state.dbms, sizeof state.dbms, "Microsoft SQL Server");
    snprintf(state.folders[0], sizeof state.folders[0], "C:\\SQL\\DATA\\");
    snprintf(state.folders[1], sizeof state.folders[1], "C:\\SQL\\LOG\\");
    state.backupSteps = 2;
}

static void StateLoad(void)
{
    StateClear();
    const char* path = StatePath();
    FILE* file = path ? fopen(path, "r") : NULL;
    if (!file) return;
    static char line[65536];
    Script* script = NULL;
    while (fgets(line, sizeof line, file)) {
        line[strcspn(line, "\r\n")] = '\0';
        char* fields[maxColumns + 1];
        int count = SplitFields(line, fields, maxColumns + 1);
        const char* kind = fields[0];
        if (strcmp(kind, "dbms") == 0 && count >= 2) {
            snprintf(state.dbms, sizeof state.dbms, "%s", fields[1]);
        } else if (strcmp(kind, "login") == 0 && count >= 3 && state.loginCount < maxLogins) {
            Login* login = &state.logins[state.loginCount++];
            snprintf(login->name, sizeof login->name, "%s", fields[1]);
            snprintf(login->password, sizeof login->password, "%s", fields[2]);
            snprintf(login->roles, sizeof login->roles, "%s", count >= 4 ? fields[3] : "");
        } else if (strcmp(kind, "database") == 0 && count >= 2 && state.databaseCount < maxDatabases) {
            state.singleUser[state.databaseCount] = count >= 3 && strcmp(fields[2], "SINGLE_USER") == 0;
            snprintf(state.databases[state.databaseCount++], 128, "%s", fields[1]);
        } else if (strcmp(kind, "folders") == 0 && count >= 3) {
            for (int i = 0; i < 2; i++) snprintf(state.folders[i], sizeof state.folders[i], "%s", fields[i + 1]);
        } else if (strcmp(kind, "backup") == 0 && count >= 4) {
            state.backupSteps = atoi(fields[1]) > 0 ? atoi(fields[1]) : 1;
            state.backupMilliseconds = atoi(fields[2]);
            state.backupFailingStep = atoi(fields[3]);
            state.backupDamaged = count >= 5 && atoi(fields[4]);
        } else if (strcmp(kind, "table") == 0 && count >= 3 && state.tableCount < maxTables) {
            snprintf(state.tables[state.tableCount][0], 128, "%s", fields[1]);
            snprintf(state.tables[state.tableCount++][1], 128, "%s", fields[2]);
        } else if ((strcmp(kind, "result") == 0 || strcmp(kind, "fail") == 0) && count >= 2 &&
                   state.scriptCount < maxScripts) {
            Script* scripts = realloc(state.scripts, (size_t)(state.scriptCount + 1) * sizeof(Script));
            if (!scripts) break;
            state.scripts = scripts;
            script = &state.scripts[state.scriptCount++];
            memset(script, 0, sizeof *script);
            snprintf(script->statement, sizeof script->statement, "%s", fields[1]);
            if (kind[0] == 'f') {
                script->isFailure = 1;
                snprintf(script->state, sizeof script->state, "%s", count >= 3 ? fields[2] : "42000");
                script->native = count >= 4 ? atoi(fields[3]) : 0;
                snprintf(script->message, sizeof script->message, "%s", count >= 5 ? fields[4] : "");
                script = NULL;
            }
        } else if (strcmp(kind, "column") == 0 && script && count >= 4) {
            ResultAddColumn(&script->result, fields[1], atoi(fields[2]), (SQLULEN)strtoull(fields[3], NULL, 10));
        } else if (strcmp(kind, "row") == 0 && script) {
            const char* values[maxColumns];
            for (int i = 0; i < script->result.columnCount; i++)
                values[i] = i + 1 < count && strcmp(fields[i + 1], "\\N") != 0 ? fields[i + 1] : (i + 1 < count ? NULL : "");
            ResultAddRow(&script->result, values);
        }
    }
    fclose(file);
}

static void WriteField(FILE* file, const char* text)
{
    for (; *text; text++) {
        if (*text == '\t') fputs("\\t", file);
        else if (*text == '\\') fputs("\\\\", file);
        else fputc(*text, file);
    }
}

static void StateSave(void)
{
    const char* path = StatePath();
    if (!path) return;
    char temporary[4200];
    snprintf(temporary, sizeof temporary, "%s.new", path);
    FILE* file = fopen(temporary, "w");
    if (!file) return;
    fprintf(file, "dbms\t%s\n", state.dbms);
    for (int i = 0; i < state.loginCount; i++) {
        fputs("login\t", file);
        WriteField(file, state.logins[i].name);
        fputc('\t', file);
        WriteField(file, state.logins[i].password);
        fprintf(file, "\t%s\n", state.logins[i].roles);
    }
    for (int i = 0; i < state.databaseCount; i++) {
        fputs("database\t", file);
        WriteField(file, state.databases[i]);
        fputs(state.singleUser[i] ? "\tSINGLE_USER\n" : "\n", file);
    }
    fprintf(file, "folders\t%s\t%s\n", state.folders[0], state.folders[1]);
    fprintf(file, "backup\t%d\t%d\t%d\t%d\n", state.backupSteps, state.backupMilliseconds, state.backupFailingStep,
            state.backupDamaged);
    for (int i = 0; i < state.tableCount; i++) fprintf(file, "table\t%s\t%s\n", state.tables[i][0], state.tables[i][1]);
    for (int i = 0; i < state.scriptCount; i++) {
        Script* script = &state.scripts[i];
        fputs(script->isFailure ? "fail\t" : "result\t", file);
        WriteField(file, script->statement);
        if (script->isFailure) {
            fprintf(file, "\t%s\t%d\t", script->state, script->native);
            WriteField(file, script->message);
            fputc('\n', file);
            continue;
        }
        fputc('\n', file);
        Result* result = &script->result;
        for (int c = 0; c < result->columnCount; c++)
            fprintf(file, "column\t%s\t%d\t%llu\n", result->columns[c].name, result->columns[c].type,
                    (unsigned long long)result->columns[c].size);
        for (int r = 0; r < result->rowCount; r++) {
            fputs("row", file);
            for (int c = 0; c < result->columnCount; c++) {
                const char* cell = result->cells[r * result->columnCount + c];
                fputc('\t', file);
                if (cell) WriteField(file, cell);
                else fputs("\\N", file);
            }
            fputc('\n', file);
        }
    }
    fclose(file);
    rename(temporary, path);
}

static Login* FindLogin(const char* name)
{
    for (int i = 0; i < state.loginCount; i++)
        if (strcmp(state.logins[i].name, name) == 0) return &state.logins[i];
    return NULL;
}

static int HasRole(const Login* login, const char* role)
{
    size_t length = strlen(role);
    for (const char* at = login->roles; (at = strstr(at, role)) != NULL; at += length) {
        int starts = at == login->roles || at[-1] == ',';
        int ends = at[length] == '\0' || at[length] == ',';
        if (starts && ends) return 1;
    }
    return 0;
}

/* ---- handles and diagnostics ---- */

typedef struct {
    char state[6];
    int native;
    char message[512];
} Diagnostic;

typedef struct {
    int count;
    Diagnostic records[maxDiagnostics];
} Diagnostics;

typedef struct {
    int tag;
    Diagnostics diagnostics;
    SQLINTEGER odbcVersion;
} Environment;

typedef struct {
    int tag;
    Diagnostics diagnostics;
    Environment* environment;
    int connected;
    char user[128];
} Connection;

typedef struct {
    int tag;
    Diagnostics diagnostics;
    Connection* connection;
    Result result;
    int hasResult;
    long position; /* -1 before the start, rowCount after the end */
    SQLLEN rowCount;
    SQLULEN* rowsFetched;
    SQLUSMALLINT* rowStatus;
    char prepared[maxText];
    int backupStep; /* of a backup under way: 1 to steps, steps + 1 when done; 0 for none */
    char backup[3][256]; /* its database, file (as given) and name */
    char backupPath[256];
    int checksum, cancelled; /* its CHECKSUM; a SQLCancel since the statement began (atomic) */
    int restoring; /* the steps are a restore's */
} Statement;

enum { environmentTag = 0x454e5631, connectionTag = 0x44424331, statementTag = 0x53544d31 };

static void ClearDiagnostics(Diagnostics* diagnostics) { diagnostics->count = 0; }

static SQLRETURN Fail(Diagnostics* diagnostics, const char* sqlState, int native, const char* format, ...)
{
    if (diagnostics->count < maxDiagnostics) {
        Diagnostic* record = &diagnostics->records[diagnostics->count++];
        snprintf(record->state, sizeof record->state, "%s", sqlState);
        record->native = native;
        int prefix = snprintf(record->message, sizeof record->message, "[Microsoft][SQL Server]");
        va_list args;
        va_start(args, format);
        vsnprintf(record->message + prefix, sizeof record->message - (size_t)prefix, format, args);
        va_end(args);
    }
    return SQL_ERROR;
}

static SQLRETURN Warn(Diagnostics* diagnostics, const char* sqlState, const char* message)
{
    Fail(diagnostics, sqlState, 0, "%s", message);
    return SQL_SUCCESS_WITH_INFO;
}

/* Copies text into an ODBC output buffer; SQL_SUCCESS_WITH_INFO (01004) when cut. */
static SQLRETURN CopyOut(Diagnostics* diagnostics, const char* text, SQLPOINTER target, SQLLEN capacity,
                         SQLLEN* length)
{
    SQLLEN full = (SQLLEN)strlen(text);
    if (length) *length = full;
    if (!target || capacity <= 0) return full > 0 ? Warn(diagnostics, "01004", "String data, right truncated") : SQL_SUCCESS;
    SQLLEN copied = full < capacity ? full : capacity - 1;
    memcpy(target, text, (size_t)copied);
    ((char*)target)[copied] = '\0';
    return copied < full ? Warn(diagnostics, "01004", "String data, right truncated") : SQL_SUCCESS;
}

static SQLRETURN CopyOutSmall(Diagnostics* diagnostics, const char* text, SQLPOINTER target, SQLSMALLINT capacity,
                              SQLSMALLINT* length)
{
    SQLLEN full = 0;
    SQLRETURN result = CopyOut(diagnostics, text, target, capacity, &full);
    if (length) *length = (SQLSMALLINT)(full > 32767 ? 32767 : full);
    return result;
}

static Diagnostics* DiagnosticsOf(SQLSMALLINT type, SQLHANDLE handle)
{
    if (!handle) return NULL;
    int tag = *(int*)handle;
    if (type == SQL_HANDLE_ENV && tag == environmentTag) return &((Environment*)handle)->diagnostics;
    if (type == SQL_HANDLE_DBC && tag == connectionTag) return &((Connection*)handle)->diagnostics;
    if (type == SQL_HANDLE_STMT && tag == statementTag) return &((Statement*)handle)->diagnostics;
    return NULL;
}

/* ---- statements ---- */

/* A "%s" between quotes ('%s') or brackets ([%s]) takes a value as the server reads one: up to the
 * closing character that is not doubled, each doubled one taken once. Returns the end, or null. */
static const char* TakeDelimited(const char* text, char close, char* arg, size_t capacity)
{
    size_t length = 0;
    for (; *text; text++) {
        if (*text == close) {
            if (text[1] != close) break;
            text++;
        }
        if (length + 1 < capacity) arg[length++] = *text;
    }
    arg[length] = '\0';
    return *text ? text : NULL;
}

/* Where the last match's final "%s" began in the statement, for a tail longer than a capture. */
static const char* matchedTail;

/* Case-insensitive match of a pattern whose "%s" takes a text up to the pattern's next character
 * (or to the end), or a delimited value as above; blanks in the pattern match any run of blanks.
 * Captures go to args. */
static int Match(const char* pattern, const char* text, char args[][256], int maxArgs)
{
    int count = 0;
    const char* start = pattern;
    while (*pattern) {
        if (pattern[0] == '%' && pattern[1] == 's') {
            char open = pattern > start ? pattern[-1] : '\0';
            pattern += 2;
            if ((open == '\'' && *pattern == '\'') || (open == '[' && *pattern == ']')) {
                if (count >= maxArgs) return 0;
                text = TakeDelimited(text, *pattern, args[count++], 256);
                if (!text) return 0;
                continue;
            }
            const char* end = *pattern ? strchr(text, *pattern) : (matchedTail = text) + strlen(text);
            if (!end || count >= maxArgs) return 0;
            snprintf(args[count++], 256, "%.*s", (int)(end - text), text);
            text = end;
        } else if (*pattern == ' ') {
            while (*pattern == ' ') pattern++;
            if (!isspace((unsigned char)*text) && !(*pattern && !isalnum((unsigned char)*pattern))) return 0;
            while (isspace((unsigned char)*text)) text++;
        } else {
            if (tolower((unsigned char)*pattern) != tolower((unsigned char)*text)) return 0;
            pattern++;
            text++;
        }
    }
    while (isspace((unsigned char)*text) || *text == ';') text++;
    return *text == '\0' ? count + 1 : 0;
}

static const char* const serverRoles[] = {"sysadmin",     "securityadmin", "serveradmin", "setupadmin",
                                          "processadmin", "diskadmin",     "dbcreator",   "bulkadmin"};
enum { serverRoleCount = 8 };

static int CompareLogins(const void* a, const void* b)
{
    return strcmp(((const Login*)a)->name, ((const Login*)b)->name);
}

static int CompareNames(const void* a, const void* b) { return strcmp((const char*)a, (const char*)b); }

static void LoginRows(Statement* statement, const char* onlyName, int withRoles)
{
    Result* result = &statement->result;
    ResultAddColumn(result, "name", SQL_VARCHAR, 128);
    ResultAddColumn(result, "loginname", SQL_VARCHAR, 128);
    if (withRoles)
        for (int r = 0; r < serverRoleCount; r++) ResultAddColumn(result, serverRoles[r], SQL_INTEGER, 10);
    Login sorted[maxLogins];
    memcpy(sorted, state.logins, sizeof(Login) * (size_t)state.loginCount);
    qsort(sorted, (size_t)state.loginCount, sizeof(Login), CompareLogins);
    for (int i = 0; i < state.loginCount; i++) {
        if (onlyName && strcmp(sorted[i].name, onlyName) != 0) continue;
        const char* values[2 + serverRoleCount] = {sorted[i].name, sorted[i].name};
        for (int r = 0; withRoles && r < serverRoleCount; r++) values[2 + r] = HasRole(&sorted[i], serverRoles[r]) ? "1" : "0";
        ResultAddRow(result, values);
    }
    statement->hasResult = 1;
}

typedef SQLRETURN (*Handler)(Statement* statement, char args[][256]);

static SQLRETURN ListSqlLogins(Statement* statement, char args[][256])
{
    LoginRows(statement, NULL, 0);
    return SQL_SUCCESS;
}

static SQLRETURN ListSysLogins(Statement* statement, char args[][256])
{
    LoginRows(statement, NULL, 1);
    return SQL_SUCCESS;
}

static SQLRETURN OneSysLogin(Statement* statement, char args[][256])
{
    LoginRows(statement, args[0], 1);
    return SQL_SUCCESS;
}

static SQLRETURN ListDatabases(Statement* statement, char args[][256])
{
    ResultAddColumn(&statement->result, "name", SQL_VARCHAR, 128);
    ResultAddColumn(&statement->result, "database_id", SQL_INTEGER, 10);
    char sorted[maxDatabases][128];
    memcpy(sorted, state.databases, sizeof sorted[0] * (size_t)state.databaseCount);
    qsort(sorted, (size_t)state.databaseCount, sizeof sorted[0], CompareNames);
    for (int i = 0; i < state.databaseCount; i++) {
        char id[16];
        snprintf(id, sizeof id, "%d", i + 1);
        const char* values[] = {sorted[i], id};
        ResultAddRow(&statement->result, values);
    }
    statement->hasResult = 1;
    return SQL_SUCCESS;
}

static SQLRETURN AddLogin(Statement* statement, char args[][256])
{
    if (FindLogin(args[0]))
        return Fail(&statement->diagnostics, "42000", 15025, "The server principal '%s' already exists.", args[0]);
    if (!args[0][0] || state.loginCount >= maxLogins)
        return Fail(&statement->diagnostics, "42000", 15007, "'%s' is not a valid login or you do not have permission.",
                    args[0]);
    Login* login = &state.logins[state.loginCount++];
    memset(login, 0, sizeof *login);
    snprintf(login->name, sizeof login->name, "%s", args[0]);
    snprintf(login->password, sizeof login->password, "%s", args[1]);
    StateSave();
    return SQL_SUCCESS;
}

static SQLRETURN DropLogin(Statement* statement, char args[][256])
{
    Login* login = FindLogin(args[0]);
    if (!login)
        return Fail(&statement->diagnostics, "42000", 15151,
                    "Cannot drop the login '%s', because it does not exist or you do not have permission.", args[0]);
    *login = state.logins[--state.loginCount];
    StateSave();
    return SQL_SUCCESS;
}

static int IsServerRole(const char* role)
{
    for (int r = 0; r < serverRoleCount; r++)
        if (strcmp(serverRoles[r], role) == 0) return 1;
    return 0;
}

static SQLRETURN ChangeRole(Statement* statement, char args[][256], int add)
{
    Login* login = FindLogin(args[0]);
    if (!login)
        return Fail(&statement->diagnostics, "42000", 15007, "'%s' is not a valid login or you do not have permission.",
                    args[0]);
    if (!IsServerRole(args[1]))
        return Fail(&statement->diagnostics, "42000", 15412, "'%s' is not a known fixed role.", args[1]);
    if (add && !HasRole(login, args[1])) {
        size_t length = strlen(login->roles);
        snprintf(login->roles + length, sizeof login->roles - length, "%s%s", length ? "," : "", args[1]);
    } else if (!add && HasRole(login, args[1])) {
        char kept[sizeof login->roles] = "";
        char copy[sizeof login->roles];
        snprintf(copy, sizeof copy, "%s", login->roles);
        for (char* role = strtok(copy, ","); role; role = strtok(NULL, ","))
            if (strcmp(role, args[1]) != 0) snprintf(kept + strlen(kept), sizeof kept - strlen(kept), "%s%s", kept[0] ? "," : "", role);
        snprintf(login->roles, sizeof login->roles, "%s", kept);
    }
    StateSave();
    return SQL_SUCCESS;
}

static SQLRETURN AddRole(Statement* statement, char args[][256]) { return ChangeRole(statement, args, 1); }
static SQLRETURN DropRole(Statement* statement, char args[][256]) { return ChangeRole(statement, args, 0); }

static SQLRETURN BackupStep(Statement* statement);

/* The file of a backup: a Windows path of Wine's drive Z: or a Unix path. */
static void HostPath(const char* file, char* path, size_t size)
{
    snprintf(path, size, "%s", (file[0] == 'Z' || file[0] == 'z') && file[1] == ':' ? file + 2 : file);
    for (char* c = path; *c; c++)
        if (*c == '\\') *c = '/';
}

/* Waits milliseconds, or less when SQLCancel comes meanwhile: then the backup under way is dropped
 * and the statement fails (true). */
static int Interrupted(Statement* statement, int milliseconds)
{
    for (int waited = 0; !__atomic_load_n(&statement->cancelled, __ATOMIC_SEQ_CST) && waited < milliseconds; waited += 5)
        usleep(5000);
    if (!__atomic_load_n(&statement->cancelled, __ATOMIC_SEQ_CST)) return 0;
    if (statement->backupStep) remove(statement->backupPath);
    statement->backupStep = 0;
    return Fail(&statement->diagnostics, "HY008", 0, "Operation canceled");
}

static const char* const backupOptions[] = {"NAME = '%s'", "CHECKSUM", "STATS = %s", "NOFORMAT", "INIT",
                                            "NOREWIND", "NOUNLOAD", "NOSKIP"};

/* The WITH list of BACKUP DATABASE, in any order; 0, with the server's error, at an unknown option. */
static int BackupOptions(Statement* statement, const char* list)
{
    statement->checksum = 0;
    for (const char* end = list; *list; list = *end ? end + 1 : end) {
        char option[600], args[1][256];
        int quoted = 0, known = -1;
        while (isspace((unsigned char)*list)) list++;
        for (end = list; *end && (quoted || *end != ','); end++) quoted ^= *end == '\'';
        snprintf(option, sizeof option, "%.*s", (int)(end - list), list);
        for (int i = 0; i < 8 && known < 0; i++) known = Match(backupOptions[i], option, args, 1) ? i : -1;
        if (known < 0) return Fail(&statement->diagnostics, "42000", 155, "'%s' is not a recognized BACKUP option.", option), 0;
        if (known == 0) memcpy(statement->backup[2], args[0], sizeof args[0]);
        statement->checksum |= known == 1;
    }
    return 1;
}

static SQLRETURN BackupDatabase(Statement* statement, char args[][256])
{
    int known = 0;
    for (int i = 0; i < state.databaseCount; i++) known |= strcmp(state.databases[i], args[0]) == 0;
    if (!known)
        return Fail(&statement->diagnostics, "42000", 911,
                    "Database '%s' does not exist. Make sure that the name is entered correctly.", args[0]);
    if (!BackupOptions(statement, matchedTail)) return SQL_ERROR;
    HostPath(args[1], statement->backupPath, sizeof statement->backupPath);
    FILE* out = fopen(statement->backupPath, "w");
    if (!out) {
        Fail(&statement->diagnostics, "42000", 3201, "Cannot open backup device '%s'. Operating system error 3.", args[1]);
        return Fail(&statement->diagnostics, "42000", 3013, "BACKUP DATABASE is terminating abnormally.");
    }
    fclose(out);
    for (int i = 0; i < 2; i++) memcpy(statement->backup[i], args[i], sizeof statement->backup[i]);
    return BackupStep(statement);
}

/* The backup sets of a file as RESTORE HEADERONLY lists them, or the server's errors. */
static SQLRETURN ReadBackupSets(Statement* statement, const char* file, const char* what)
{
    Login* login = FindLogin(statement->connection->user);
    int allowed = login && (HasRole(login, "sysadmin") || HasRole(login, "dbcreator"));
    char path[256], line[1024];
    HostPath(file, path, sizeof path);
    FILE* in = allowed ? fopen(path, "r") : NULL;
    const char* columns[] = {"BackupName", "BackupType", "DatabaseName", "HasBackupChecksums", "BackupFinishDate",
                             "Position"};
    for (int i = 0; in && i < 6; i++) ResultAddColumn(&statement->result, columns[i], SQL_VARCHAR, 256);
    for (char* fields[4]; in && fgets(line, sizeof line, in);) {
        line[strcspn(line, "\n")] = '\0';
        if (SplitFields(line, fields, 4) != 4 || strcmp(fields[0], "set") != 0) continue;
        char position[16];
        snprintf(position, sizeof position, "%d", statement->result.rowCount + 1);
        const char* values[6] = {fields[2], "1", fields[1], fields[3], "2026-03-07 10:00:00.000", position};
        ResultAddRow(&statement->result, values);
    }
    if (in) fclose(in);
    if ((statement->hasResult = statement->result.rowCount > 0)) return SQL_SUCCESS;
    if (!allowed) Fail(&statement->diagnostics, "42000", 262, "CREATE DATABASE permission denied in database 'master'.");
    else if (!in) Fail(&statement->diagnostics, "42000", 3201, "Cannot open backup device '%s'. Operating system error 2.", file);
    else Fail(&statement->diagnostics, "42000", 3241, "The media family on device '%s' is incorrectly formed.", file);
    return Fail(&statement->diagnostics, "42000", 3013, "%s is terminating abnormally.", what);
}

static SQLRETURN BackupHeaders(Statement* statement, char args[][256])
{
    return ReadBackupSets(statement, args[0], "RESTORE HEADERONLY");
}

static SQLRETURN VerifyBackup(Statement* statement, char args[][256])
{
    if (Interrupted(statement, state.backupMilliseconds) || ReadBackupSets(statement, args[0], "VERIFY DATABASE"))
        return SQL_ERROR;
    int checksums = strcmp(statement->result.cells[3], "1") == 0;
    statement->hasResult = 0;
    if (checksums && !state.backupDamaged)
        return Fail(&statement->diagnostics, "01000", 3262, "The backup set on file 1 is valid."), SQL_SUCCESS_WITH_INFO;
    Fail(&statement->diagnostics, "42000", checksums ? 3189 : 3187, checksums ? "Damage to the backup set was detected."
         : "RESTORE WITH CHECKSUM cannot be specified because the backup set does not contain checksum information.");
    return Fail(&statement->diagnostics, "42000", 3013, "VERIFY DATABASE is terminating abnormally.");
}

static int FindDatabase(const char* name)
{
    for (int i = 0; i < state.databaseCount; i++)
        if (strcasecmp(state.databases[i], name) == 0) return i;
    return -1;
}

/* The files of the file's last backup set into statement's result (LogicalName, PhysicalName, Type),
 * after ReadBackupSets found it; its database is that set's. */
static void SetFiles(Statement* statement, const char* file)
{
    Result* sets = &statement->result;
    char database[256], path[256], line[1024];
    snprintf(database, sizeof database, "%s", sets->cells[(sets->rowCount - 1) * sets->columnCount + 2]);
    ResultClear(sets);
    ResultAddColumn(sets, "LogicalName", SQL_VARCHAR, 128);
    ResultAddColumn(sets, "PhysicalName", SQL_VARCHAR, 260);
    ResultAddColumn(sets, "Type", SQL_CHAR, 1);
    HostPath(file, path, sizeof path);
    FILE* in = fopen(path, "r");
    for (char* fields[4]; in && fgets(line, sizeof line, in);) {
        line[strcspn(line, "\n")] = '\0';
        if (SplitFields(line, fields, 4) == 4 && strcmp(fields[0], "file") == 0) ResultAddRow(sets, (const char* const*)(fields + 1));
    }
    if (in) fclose(in);
    for (int log = 0; !sets->rowCount && log < 2; log++) {
        char logical[300], physical[600];
        snprintf(logical, sizeof logical, "%s%s", database, log ? "_log" : "");
        snprintf(physical, sizeof physical, "%s%s.%s", state.folders[log], logical, log ? "ldf" : "mdf");
        const char* values[] = {logical, physical, log ? "L" : "D"};
        ResultAddRow(sets, values);
    }
    statement->hasResult = 1;
}

static SQLRETURN FileList(Statement* statement, char args[][256])
{
    if (ReadBackupSets(statement, args[0], "RESTORE FILELIST")) return SQL_ERROR;
    SetFiles(statement, args[0]);
    return SQL_SUCCESS;
}

static SQLRETURN Folders(Statement* statement, char args[][256])
{
    ResultAddColumn(&statement->result, "DataPath", SQL_VARCHAR, 256);
    ResultAddColumn(&statement->result, "LogPath", SQL_VARCHAR, 256);
    const char* values[] = {state.folders[0][0] ? state.folders[0] : NULL, state.folders[1][0] ? state.folders[1] : NULL};
    ResultAddRow(&statement->result, values);
    statement->hasResult = 1;
    return SQL_SUCCESS;
}

static SQLRETURN Terminating(Statement* statement)
{
    ResultClear(&statement->result);
    statement->hasResult = 0;
    return Fail(&statement->diagnostics, "42000", 3013, "RESTORE DATABASE is terminating abnormally.");
}

static SQLRETURN RestoreDatabase(Statement* statement, char args[][256])
{
    char target[256], file[256];
    snprintf(target, sizeof target, "%s", args[0]);
    snprintf(file, sizeof file, "%s", args[1]);
    const char* list = matchedTail;
    if (ReadBackupSets(statement, file, "RESTORE DATABASE")) return SQL_ERROR;
    Result* sets = &statement->result;
    int checksums = strcmp(sets->cells[(sets->rowCount - 1) * sets->columnCount + 3], "1") == 0;
    char source[256];
    snprintf(source, sizeof source, "%s", sets->cells[(sets->rowCount - 1) * sets->columnCount + 2]);
    SetFiles(statement, file);
    int moved[64] = {0}, replace = 0, checksum = 0;
    for (const char* end = list; *list; list = *end ? end + 1 : end) {
        char option[600], values[2][256];
        int quoted = 0;
        while (isspace((unsigned char)*list)) list++;
        for (end = list; *end && (quoted || *end != ','); end++) quoted ^= *end == '\'';
        snprintf(option, sizeof option, "%.*s", (int)(end - list), list);
        if (Match("MOVE '%s' TO '%s'", option, values, 2)) {
            int found = -1;
            for (int r = 0; r < sets->rowCount && r < 64; r++)
                if (strcmp(sets->cells[r * 3], values[0]) == 0) found = r;
            if (found < 0) {
                Fail(&statement->diagnostics, "42000", 3234, "Logical file '%s' is not part of database '%s'. Use RESTORE "
                     "FILELISTONLY to list the logical file names.", values[0], target);
                return Terminating(statement);
            }
            moved[found] = 1;
        } else if (Match("REPLACE", option, values, 0)) {
            replace = 1;
        } else if (Match("CHECKSUM", option, values, 0)) {
            checksum = 1;
        } else if (!Match("FILE = %s", option, values, 1) && !Match("STATS = %s", option, values, 1)) {
            Fail(&statement->diagnostics, "42000", 155, "'%s' is not a recognized RESTORE option.", option);
            return Terminating(statement);
        }
    }
    if (FindDatabase(target) >= 0 && !replace) {
        Fail(&statement->diagnostics, "42000", 3154, "The backup set holds a backup of a database other than the existing "
             "'%s' database.", target);
        return Terminating(statement);
    }
    if (checksum && !checksums) {
        Fail(&statement->diagnostics, "42000", 3187, "RESTORE WITH CHECKSUM cannot be specified because the backup set "
             "does not contain checksum information.");
        return Terminating(statement);
    }
    /* A file left where it was belongs to the database the set was made of, while that one exists. */
    for (int r = 0; r < sets->rowCount && r < 64; r++) {
        if (moved[r] || strcasecmp(source, target) == 0 || FindDatabase(source) < 0) continue;
        Fail(&statement->diagnostics, "42000", 1834, "The file '%s' cannot be overwritten.  It is being used by database "
             "'%s'.", sets->cells[r * 3 + 1], source);
        return Terminating(statement);
    }
    ResultClear(sets);
    statement->hasResult = 0;
    snprintf(statement->backup[0], sizeof statement->backup[0], "%s", target);
    statement->backupPath[0] = '\0';
    statement->restoring = 1;
    return BackupStep(statement);
}

static SQLRETURN SetAccess(Statement* statement, char args[][256], int single)
{
    int database = FindDatabase(args[0]);
    if (database < 0) {
        Fail(&statement->diagnostics, "42000", 5011, "User does not have permission to alter database '%s', the database "
             "does not exist, or the database is not in a state that allows access checks.", args[0]);
        return Fail(&statement->diagnostics, "42000", 5069, "ALTER DATABASE statement failed.");
    }
    state.singleUser[database] = single;
    StateSave();
    return SQL_SUCCESS;
}

static SQLRETURN SingleUser(Statement* statement, char args[][256]) { return SetAccess(statement, args, 1); }
static SQLRETURN MultiUser(Statement* statement, char args[][256]) { return SetAccess(statement, args, 0); }

/* The statements the server tools send, matched in this order. */
static const struct {
    const char* pattern;
    Handler handler;
} knownStatements[] = {
    {"select * from \"sys\".\"sql_logins\" order by \"name\"", ListSqlLogins},
    {"select * from \"sys\".\"syslogins\" where \"name\" = '%s'", OneSysLogin},
    {"select * from \"sys\".\"syslogins\"", ListSysLogins},
    {"select * from \"sys\".\"databases\" order by \"name\"", ListDatabases},
    {"EXEC sp_addlogin '%s', @passwd = '%s'", AddLogin},
    {"EXEC sp_droplogin '%s'", DropLogin},
    {"EXEC sp_addsrvrolemember '%s', '%s'", AddRole},
    {"EXEC sp_dropsrvrolemember '%s', '%s'", DropRole},
    {"BACKUP DATABASE [%s] TO DISK = '%s' WITH %s", BackupDatabase},
    {"RESTORE HEADERONLY FROM DISK = '%s'", BackupHeaders},
    {"RESTORE VERIFYONLY FROM DISK = '%s' WITH CHECKSUM", VerifyBackup},
    {"RESTORE FILELISTONLY FROM DISK = '%s' WITH FILE = %s", FileList},
    {"RESTORE DATABASE [%s] FROM DISK = '%s' WITH %s", RestoreDatabase},
    {"SELECT SERVERPROPERTY('InstanceDefaultDataPath') AS [DataPath], SERVERPROPERTY('InstanceDefaultLogPath') AS "
     "[LogPath]", Folders},
    {"ALTER DATABASE [%s] SET SINGLE_USER WITH ROLLBACK IMMEDIATE", SingleUser},
    {"ALTER DATABASE [%s] SET MULTI_USER", MultiUser},
};

/* The next step of the statement's backup, as SQLExecDirect and SQLMoreResults answer it. */
static SQLRETURN BackupStep(Statement* statement)
{
    int step = ++statement->backupStep;
    if (Interrupted(statement, step <= state.backupSteps ? state.backupMilliseconds : 0)) return SQL_ERROR;
    const char* what = statement->restoring ? "RESTORE" : "BACKUP";
    if (step == state.backupFailingStep) {
        remove(statement->backupPath);
        statement->backupStep = 0;
        return Fail(&statement->diagnostics, "42000", 3013, "%s DATABASE is terminating abnormally.", what);
    }
    if (step <= state.backupSteps)
        Fail(&statement->diagnostics, "01000", 3211, "%d percent processed.", step * 100 / state.backupSteps);
    else if (step == state.backupSteps + 1)
        Fail(&statement->diagnostics, "01000", 3014, "%s DATABASE successfully processed 329 pages.", what);
    if (step <= state.backupSteps + 1) return SQL_SUCCESS_WITH_INFO;
    statement->backupStep = 0;
    if (statement->restoring) {
        StateLoad();
        if (FindDatabase(statement->backup[0]) < 0 && state.databaseCount < maxDatabases)
            snprintf(state.databases[state.databaseCount++], 128, "%.127s", statement->backup[0]);
        StateSave();
        Log("RESTORE %s", statement->backup[0]);
        return SQL_NO_DATA;
    }
    FILE* out = fopen(statement->backupPath, "w");
    if (out) {
        fprintf(out, "set\t%s\t%s\t%d\n", statement->backup[0], statement->backup[2], statement->checksum);
        fclose(out);
    }
    Log("BACKUP %s\t%s\t%s", statement->backup[0], statement->backup[1], statement->backup[2]);
    return SQL_NO_DATA;
}

static void CloseResult(Statement* statement)
{
    if (statement->backupStep) remove(statement->backupPath);  /* cancelled before its end */
    statement->backupStep = 0;
    ResultClear(&statement->result);
    statement->hasResult = 0;
    statement->position = -1;
    statement->rowCount = 0;
}

static void CopyResult(Result* target, const Result* source)
{
    for (int c = 0; c < source->columnCount; c++)
        ResultAddColumn(target, source->columns[c].name, source->columns[c].type, source->columns[c].size);
    for (int r = 0; r < source->rowCount; r++) ResultAddRow(target, (const char* const*)&source->cells[r * source->columnCount]);
}

static SQLRETURN Execute(Statement* statement, const char* text)
{
    CloseResult(statement);
    __atomic_store_n(&statement->cancelled, 0, __ATOMIC_SEQ_CST);  /* a cancel reaches what runs when it comes */
    statement->restoring = 0;
    Log("SQLExecDirect %s", text);
    StateLoad();
    for (int i = 0; i < state.scriptCount; i++) {
        Script* script = &state.scripts[i];
        if (strcmp(script->statement, text) != 0) continue;
        if (script->isFailure) {
            Fail(&statement->diagnostics, script->state, script->native, "%s", script->message);
            return SQL_ERROR;
        }
        CopyResult(&statement->result, &script->result);
        statement->hasResult = 1;
        return SQL_SUCCESS;
    }
    for (size_t i = 0; i < sizeof knownStatements / sizeof knownStatements[0]; i++) {
        char args[4][256];
        if (Match(knownStatements[i].pattern, text, args, 4)) {
            SQLRETURN result = knownStatements[i].handler(statement, args);
            if (result == SQL_SUCCESS && !statement->hasResult) statement->rowCount = 1;
            return result;
        }
    }
    return Fail(&statement->diagnostics, "42000", 102, "Incorrect syntax near '%.40s'.", text);
}

/* ---- the driver interface ---- */

EXPORT SQLRETURN SQL_API SQLAllocHandle(SQLSMALLINT type, SQLHANDLE input, SQLHANDLE* output)
{
    if (!output) return SQL_ERROR;
    *output = SQL_NULL_HANDLE;
    if (type == SQL_HANDLE_ENV) {
        Environment* environment = calloc(1, sizeof(Environment));
        if (!environment) return SQL_ERROR;
        environment->tag = environmentTag;
        environment->odbcVersion = SQL_OV_ODBC3;
        *output = environment;
        return SQL_SUCCESS;
    }
    if (type == SQL_HANDLE_DBC) {
        if (!DiagnosticsOf(SQL_HANDLE_ENV, input)) return SQL_INVALID_HANDLE;
        Connection* connection = calloc(1, sizeof(Connection));
        if (!connection) return SQL_ERROR;
        connection->tag = connectionTag;
        connection->environment = input;
        *output = connection;
        return SQL_SUCCESS;
    }
    if (type == SQL_HANDLE_STMT) {
        if (!DiagnosticsOf(SQL_HANDLE_DBC, input)) return SQL_INVALID_HANDLE;
        Connection* connection = input;
        if (!connection->connected) return Fail(&connection->diagnostics, "08003", 0, "Connection not open");
        Statement* statement = calloc(1, sizeof(Statement));
        if (!statement) return SQL_ERROR;
        statement->tag = statementTag;
        statement->connection = connection;
        statement->position = -1;
        *output = statement;
        return SQL_SUCCESS;
    }
    return SQL_ERROR;
}

EXPORT SQLRETURN SQL_API SQLFreeHandle(SQLSMALLINT type, SQLHANDLE handle)
{
    if (!DiagnosticsOf(type, handle)) return SQL_INVALID_HANDLE;
    if (type == SQL_HANDLE_STMT) CloseResult(handle);
    *(int*)handle = 0;
    free(handle);
    return SQL_SUCCESS;
}

EXPORT SQLRETURN SQL_API SQLFreeStmt(SQLHSTMT handle, SQLUSMALLINT option)
{
    if (!DiagnosticsOf(SQL_HANDLE_STMT, handle)) return SQL_INVALID_HANDLE;
    if (option == SQL_DROP) return SQLFreeHandle(SQL_HANDLE_STMT, handle);
    if (option == SQL_CLOSE) CloseResult(handle);
    return SQL_SUCCESS;
}

EXPORT SQLRETURN SQL_API SQLCloseCursor(SQLHSTMT handle)
{
    if (!DiagnosticsOf(SQL_HANDLE_STMT, handle)) return SQL_INVALID_HANDLE;
    CloseResult(handle);
    return SQL_SUCCESS;
}

static SQLRETURN Login_(Connection* connection, const char* user, const char* password)
{
    StateLoad();
    Login* login = FindLogin(user);
    if (!login || strcmp(login->password, password) != 0)
        return Fail(&connection->diagnostics, "28000", 18456, "Login failed for user '%s'.", user);
    connection->connected = 1;
    snprintf(connection->user, sizeof connection->user, "%s", user);
    return SQL_SUCCESS;
}

static void TextOf(char* target, size_t capacity, const SQLCHAR* text, SQLSMALLINT length)
{
    if (!text) length = 0;
    else if (length == SQL_NTS) length = (SQLSMALLINT)strlen((const char*)text);
    snprintf(target, capacity, "%.*s", length < 0 ? 0 : length, text ? (const char*)text : "");
}

EXPORT SQLRETURN SQL_API SQLConnect(SQLHDBC handle, SQLCHAR* dsn, SQLSMALLINT dsnLength, SQLCHAR* user,
                                    SQLSMALLINT userLength, SQLCHAR* password, SQLSMALLINT passwordLength)
{
    if (!DiagnosticsOf(SQL_HANDLE_DBC, handle)) return SQL_INVALID_HANDLE;
    Connection* connection = handle;
    ClearDiagnostics(&connection->diagnostics);
    char dsnText[256], userText[256], passwordText[256];
    TextOf(dsnText, sizeof dsnText, dsn, dsnLength);
    TextOf(userText, sizeof userText, user, userLength);
    TextOf(passwordText, sizeof passwordText, password, passwordLength);
    Log("SQLConnect %s|%s|%s", dsnText, userText, passwordText);
    return Login_(connection, userText, passwordText);
}

/* Data files: any connection string connects; UID and PWD, when given, must name a login. */
EXPORT SQLRETURN SQL_API SQLDriverConnect(SQLHDBC handle, SQLHWND window, SQLCHAR* in, SQLSMALLINT inLength,
                                          SQLCHAR* out, SQLSMALLINT outCapacity, SQLSMALLINT* outLength,
                                          SQLUSMALLINT completion)
{
    if (!DiagnosticsOf(SQL_HANDLE_DBC, handle)) return SQL_INVALID_HANDLE;
    Connection* connection = handle;
    ClearDiagnostics(&connection->diagnostics);
    char text[maxText];
    TextOf(text, sizeof text, in, inLength);
    Log("SQLDriverConnect %s|%d", text, (int)completion);
    StateLoad();
    connection->connected = 1;
    return CopyOutSmall(&connection->diagnostics, text, out, outCapacity, outLength);
}

EXPORT SQLRETURN SQL_API SQLDisconnect(SQLHDBC handle)
{
    if (!DiagnosticsOf(SQL_HANDLE_DBC, handle)) return SQL_INVALID_HANDLE;
    ((Connection*)handle)->connected = 0;
    Log("SQLDisconnect");
    return SQL_SUCCESS;
}

EXPORT SQLRETURN SQL_API SQLGetInfo(SQLHDBC handle, SQLUSMALLINT type, SQLPOINTER value, SQLSMALLINT capacity,
                                    SQLSMALLINT* length)
{
    if (!DiagnosticsOf(SQL_HANDLE_DBC, handle)) return SQL_INVALID_HANDLE;
    Connection* connection = handle;
    ClearDiagnostics(&connection->diagnostics);
    switch (type) {
    case SQL_DBMS_NAME: return CopyOutSmall(&connection->diagnostics, state.dbms, value, capacity, length);
    case SQL_DBMS_VER: return CopyOutSmall(&connection->diagnostics, "16.00.1000", value, capacity, length);
    case SQL_DRIVER_ODBC_VER: return CopyOutSmall(&connection->diagnostics, "03.00", value, capacity, length);
    case SQL_DRIVER_NAME: return CopyOutSmall(&connection->diagnostics, "mv_sqlserver_standin", value, capacity, length);
    case SQL_DRIVER_VER: return CopyOutSmall(&connection->diagnostics, "01.00.0000", value, capacity, length);
    case SQL_DATA_SOURCE_READ_ONLY: return CopyOutSmall(&connection->diagnostics, "N", value, capacity, length);
    case SQL_CURSOR_COMMIT_BEHAVIOR:
    case SQL_CURSOR_ROLLBACK_BEHAVIOR:
        if (value) *(SQLUSMALLINT*)value = SQL_CB_PRESERVE;
        if (length) *length = sizeof(SQLUSMALLINT);
        return SQL_SUCCESS;
    case SQL_GETDATA_EXTENSIONS:
    case SQL_SCROLL_OPTIONS:
        if (value) *(SQLUINTEGER*)value = type == SQL_GETDATA_EXTENSIONS ? SQL_GD_ANY_COLUMN | SQL_GD_ANY_ORDER
                                                                        : SQL_SO_FORWARD_ONLY | SQL_SO_STATIC | SQL_SO_KEYSET_DRIVEN;
        if (length) *length = sizeof(SQLUINTEGER);
        return SQL_SUCCESS;
    default: return Fail(&connection->diagnostics, "HY096", 0, "Information type out of range");
    }
}

EXPORT SQLRETURN SQL_API SQLSetEnvAttr(SQLHENV handle, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER length)
{
    if (!DiagnosticsOf(SQL_HANDLE_ENV, handle)) return SQL_INVALID_HANDLE;
    Log("SQLSetEnvAttr %d %ld %d", (int)attribute, (long)(SQLLEN)value, (int)length);
    if (attribute == SQL_ATTR_ODBC_VERSION) ((Environment*)handle)->odbcVersion = (SQLINTEGER)(SQLLEN)value;
    return SQL_SUCCESS;
}

EXPORT SQLRETURN SQL_API SQLGetEnvAttr(SQLHENV handle, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER capacity,
                                       SQLINTEGER* length)
{
    if (!DiagnosticsOf(SQL_HANDLE_ENV, handle)) return SQL_INVALID_HANDLE;
    if (value) *(SQLINTEGER*)value = attribute == SQL_ATTR_ODBC_VERSION ? ((Environment*)handle)->odbcVersion : 0;
    return SQL_SUCCESS;
}

EXPORT SQLRETURN SQL_API SQLSetConnectAttr(SQLHDBC handle, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER length)
{
    if (!DiagnosticsOf(SQL_HANDLE_DBC, handle)) return SQL_INVALID_HANDLE;
    Log("SQLSetConnectAttr %d %ld %d", (int)attribute, (long)(SQLLEN)value, (int)length);
    return SQL_SUCCESS;
}

EXPORT SQLRETURN SQL_API SQLGetConnectAttr(SQLHDBC handle, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER capacity,
                                           SQLINTEGER* length)
{
    if (!DiagnosticsOf(SQL_HANDLE_DBC, handle)) return SQL_INVALID_HANDLE;
    if (value) *(SQLUINTEGER*)value = 0;
    return SQL_SUCCESS;
}

static int IsPointerAttribute(SQLINTEGER attribute)
{
    return attribute == SQL_ATTR_ROWS_FETCHED_PTR || attribute == SQL_ATTR_ROW_STATUS_PTR ||
           attribute == SQL_ATTR_FETCH_BOOKMARK_PTR || attribute == SQL_ATTR_ROW_BIND_OFFSET_PTR;
}

EXPORT SQLRETURN SQL_API SQLSetStmtAttr(SQLHSTMT handle, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER length)
{
    if (!DiagnosticsOf(SQL_HANDLE_STMT, handle)) return SQL_INVALID_HANDLE;
    Statement* statement = handle;
    if (IsPointerAttribute(attribute)) Log("SQLSetStmtAttr %d %s %d", (int)attribute, value ? "pointer" : "null", (int)length);
    else Log("SQLSetStmtAttr %d %ld %d", (int)attribute, (long)(SQLLEN)value, (int)length);
    if (attribute == SQL_ATTR_ROWS_FETCHED_PTR) statement->rowsFetched = value;
    if (attribute == SQL_ATTR_ROW_STATUS_PTR) statement->rowStatus = value;
    return SQL_SUCCESS;
}

EXPORT SQLRETURN SQL_API SQLGetStmtAttr(SQLHSTMT handle, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER capacity,
                                        SQLINTEGER* length)
{
    if (!DiagnosticsOf(SQL_HANDLE_STMT, handle)) return SQL_INVALID_HANDLE;
    return Fail(&((Statement*)handle)->diagnostics, "HY092", 0, "Invalid attribute/option identifier");
}

EXPORT SQLRETURN SQL_API SQLExecDirect(SQLHSTMT handle, SQLCHAR* text, SQLINTEGER length)
{
    if (!DiagnosticsOf(SQL_HANDLE_STMT, handle)) return SQL_INVALID_HANDLE;
    Statement* statement = handle;
    ClearDiagnostics(&statement->diagnostics);
    char* copy = malloc(maxText);
    if (!copy) return SQL_ERROR;
    if (!text) length = 0;
    else if (length == SQL_NTS) length = (SQLINTEGER)strlen((const char*)text);
    snprintf(copy, maxText, "%.*s", (int)(length < 0 ? 0 : length), text ? (const char*)text : "");
    SQLRETURN result = Execute(statement, copy);
    free(copy);
    return result;
}

EXPORT SQLRETURN SQL_API SQLPrepare(SQLHSTMT handle, SQLCHAR* text, SQLINTEGER length)
{
    if (!DiagnosticsOf(SQL_HANDLE_STMT, handle)) return SQL_INVALID_HANDLE;
    Statement* statement = handle;
    if (length == SQL_NTS) length = text ? (SQLINTEGER)strlen((const char*)text) : 0;
    snprintf(statement->prepared, sizeof statement->prepared, "%.*s", (int)length, text ? (const char*)text : "");
    return SQL_SUCCESS;
}

EXPORT SQLRETURN SQL_API SQLExecute(SQLHSTMT handle)
{
    if (!DiagnosticsOf(SQL_HANDLE_STMT, handle)) return SQL_INVALID_HANDLE;
    Statement* statement = handle;
    ClearDiagnostics(&statement->diagnostics);
    return Execute(statement, statement->prepared);
}

EXPORT SQLRETURN SQL_API SQLNumResultCols(SQLHSTMT handle, SQLSMALLINT* count)
{
    if (!DiagnosticsOf(SQL_HANDLE_STMT, handle)) return SQL_INVALID_HANDLE;
    Statement* statement = handle;
    if (count) *count = statement->hasResult ? (SQLSMALLINT)statement->result.columnCount : 0;
    return SQL_SUCCESS;
}

EXPORT SQLRETURN SQL_API SQLRowCount(SQLHSTMT handle, SQLLEN* count)
{
    if (!DiagnosticsOf(SQL_HANDLE_STMT, handle)) return SQL_INVALID_HANDLE;
    Statement* statement = handle;
    if (count) *count = statement->hasResult ? statement->result.rowCount : statement->rowCount;
    return SQL_SUCCESS;
}

EXPORT SQLRETURN SQL_API SQLDescribeCol(SQLHSTMT handle, SQLUSMALLINT number, SQLCHAR* name, SQLSMALLINT capacity,
                                        SQLSMALLINT* nameLength, SQLSMALLINT* type, SQLULEN* size,
                                        SQLSMALLINT* digits, SQLSMALLINT* nullable)
{
    if (!DiagnosticsOf(SQL_HANDLE_STMT, handle)) return SQL_INVALID_HANDLE;
    Statement* statement = handle;
    ClearDiagnostics(&statement->diagnostics);
    if (!statement->hasResult || number < 1 || number > statement->result.columnCount)
        return Fail(&statement->diagnostics, "07009", 0, "Invalid descriptor index");
    const Column* column = &statement->result.columns[number - 1];
    if (type) *type = column->type;
    if (size) *size = column->size;
    if (digits) *digits = 0;
    if (nullable) *nullable = SQL_NULLABLE;
    return CopyOutSmall(&statement->diagnostics, column->name, name, capacity, nameLength);
}

EXPORT SQLRETURN SQL_API SQLFetchScroll(SQLHSTMT handle, SQLSMALLINT orientation, SQLLEN offset)
{
    if (!DiagnosticsOf(SQL_HANDLE_STMT, handle)) return SQL_INVALID_HANDLE;
    Statement* statement = handle;
    ClearDiagnostics(&statement->diagnostics);
    if (!statement->hasResult) return Fail(&statement->diagnostics, "24000", 0, "Invalid cursor state");
    Log("SQLFetchScroll %d %ld", (int)orientation, (long)offset);
    long count = statement->result.rowCount;
    long position = statement->position;
    switch (orientation) {
    case SQL_FETCH_NEXT: position = position + 1; break;
    case SQL_FETCH_PRIOR: position = position - 1; break;
    case SQL_FETCH_FIRST: position = 0; break;
    case SQL_FETCH_LAST: position = count - 1; break;
    case SQL_FETCH_ABSOLUTE: position = offset > 0 ? offset - 1 : count + offset; break;
    case SQL_FETCH_RELATIVE:
        /* Before the start an offset of 0 or less stays there; after the end one of 0 or more. */
        if (position < 0 && offset <= 0) position = -1;
        else if (position >= count && offset >= 0) position = count;
        else position = position + offset;
        break;
    default: return Fail(&statement->diagnostics, "HY106", 0, "Fetch type out of range");
    }
    if (position < 0) position = -1;
    if (position > count) position = count;
    statement->position = position;
    int onRow = position >= 0 && position < count;
    if (statement->rowsFetched) *statement->rowsFetched = onRow ? 1 : 0;
    if (statement->rowStatus) *statement->rowStatus = onRow ? SQL_ROW_SUCCESS : SQL_ROW_NOROW;
    return onRow ? SQL_SUCCESS : SQL_NO_DATA;
}

EXPORT SQLRETURN SQL_API SQLMoreResults(SQLHSTMT handle)
{
    if (!DiagnosticsOf(SQL_HANDLE_STMT, handle)) return SQL_INVALID_HANDLE;
    Statement* statement = handle;
    ClearDiagnostics(&statement->diagnostics);
    if (statement->backupStep) return BackupStep(statement);
    CloseResult(statement);
    return SQL_NO_DATA;
}

EXPORT SQLRETURN SQL_API SQLFetch(SQLHSTMT handle) { return SQLFetchScroll(handle, SQL_FETCH_NEXT, 0); }

EXPORT SQLRETURN SQL_API SQLCancel(SQLHSTMT handle)
{
    if (!DiagnosticsOf(SQL_HANDLE_STMT, handle)) return SQL_INVALID_HANDLE;
    __atomic_store_n(&((Statement*)handle)->cancelled, 1, __ATOMIC_SEQ_CST);
    Log("SQLCancel");
    return SQL_SUCCESS;
}

EXPORT SQLRETURN SQL_API SQLGetData(SQLHSTMT handle, SQLUSMALLINT number, SQLSMALLINT targetType, SQLPOINTER target,
                                    SQLLEN capacity, SQLLEN* indicator)
{
    if (!DiagnosticsOf(SQL_HANDLE_STMT, handle)) return SQL_INVALID_HANDLE;
    Statement* statement = handle;
    ClearDiagnostics(&statement->diagnostics);
    if (!statement->hasResult || statement->position < 0 || statement->position >= statement->result.rowCount)
        return Fail(&statement->diagnostics, "24000", 0, "Invalid cursor state");
    if (number < 1 || number > statement->result.columnCount)
        return Fail(&statement->diagnostics, "07009", 0, "Invalid descriptor index");
    if (targetType != SQL_C_CHAR && targetType != SQL_C_DEFAULT)
        return Fail(&statement->diagnostics, "HYC00", 0, "Only character data is offered");
    const char* cell = statement->result.cells[statement->position * statement->result.columnCount + number - 1];
    if (!cell) {
        if (indicator) *indicator = SQL_NULL_DATA;
        return SQL_SUCCESS;
    }
    return CopyOut(&statement->diagnostics, cell, target, capacity, indicator);
}

/* Rows "table" of the state: catalog, schema, name, type, remarks. */
EXPORT SQLRETURN SQL_API SQLTables(SQLHSTMT handle, SQLCHAR* catalog, SQLSMALLINT catalogLength, SQLCHAR* schema,
                                   SQLSMALLINT schemaLength, SQLCHAR* table, SQLSMALLINT tableLength, SQLCHAR* types,
                                   SQLSMALLINT typesLength)
{
    if (!DiagnosticsOf(SQL_HANDLE_STMT, handle)) return SQL_INVALID_HANDLE;
    Statement* statement = handle;
    ClearDiagnostics(&statement->diagnostics);
    CloseResult(statement);
    Log("SQLTables");
    StateLoad();
    Result* result = &statement->result;
    ResultAddColumn(result, "TABLE_CAT", SQL_VARCHAR, 128);
    ResultAddColumn(result, "TABLE_SCHEM", SQL_VARCHAR, 128);
    ResultAddColumn(result, "TABLE_NAME", SQL_VARCHAR, 128);
    ResultAddColumn(result, "TABLE_TYPE", SQL_VARCHAR, 128);
    ResultAddColumn(result, "REMARKS", SQL_VARCHAR, 254);
    for (int i = 0; i < state.tableCount; i++) {
        const char* values[] = {"master", "dbo", state.tables[i][0], state.tables[i][1], NULL};
        ResultAddRow(result, values);
    }
    statement->hasResult = 1;
    return SQL_SUCCESS;
}

EXPORT SQLRETURN SQL_API SQLEndTran(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT completion)
{
    if (!DiagnosticsOf(type, handle)) return SQL_INVALID_HANDLE;
    Log("SQLEndTran %d", (int)completion);
    return SQL_SUCCESS;
}

EXPORT SQLRETURN SQL_API SQLGetDiagRec(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT number, SQLCHAR* sqlState,
                                       SQLINTEGER* native, SQLCHAR* message, SQLSMALLINT capacity, SQLSMALLINT* length)
{
    Diagnostics* diagnostics = DiagnosticsOf(type, handle);
    if (!diagnostics) return SQL_INVALID_HANDLE;
    if (number < 1 || number > diagnostics->count) return SQL_NO_DATA;
    const Diagnostic* record = &diagnostics->records[number - 1];
    if (sqlState) memcpy(sqlState, record->state, 6);
    if (native) *native = record->native;
    Diagnostics scratch = {0};
    return CopyOutSmall(&scratch, record->message, message, capacity, length);
}

EXPORT SQLRETURN SQL_API SQLGetDiagField(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT number, SQLSMALLINT field,
                                         SQLPOINTER value, SQLSMALLINT capacity, SQLSMALLINT* length)
{
    Diagnostics* diagnostics = DiagnosticsOf(type, handle);
    if (!diagnostics) return SQL_INVALID_HANDLE;
    Diagnostics scratch = {0};
    if (number == 0) {
        if (field == SQL_DIAG_NUMBER) {
            if (value) *(SQLINTEGER*)value = diagnostics->count;
            return SQL_SUCCESS;
        }
        if (field == SQL_DIAG_RETURNCODE) {
            if (value) *(SQLRETURN*)value = diagnostics->count ? SQL_ERROR : SQL_SUCCESS;
            return SQL_SUCCESS;
        }
        if (field == SQL_DIAG_ROW_COUNT) {
            if (value) *(SQLLEN*)value = 0;
            return SQL_SUCCESS;
        }
        return SQL_ERROR;
    }
    if (number < 1 || number > diagnostics->count) return SQL_NO_DATA;
    const Diagnostic* record = &diagnostics->records[number - 1];
    switch (field) {
    case SQL_DIAG_SQLSTATE: return CopyOutSmall(&scratch, record->state, value, capacity, length);
    case SQL_DIAG_MESSAGE_TEXT: return CopyOutSmall(&scratch, record->message, value, capacity, length);
    case SQL_DIAG_NATIVE:
        if (value) *(SQLINTEGER*)value = record->native;
        return SQL_SUCCESS;
    case SQL_DIAG_CLASS_ORIGIN:
    case SQL_DIAG_SUBCLASS_ORIGIN: return CopyOutSmall(&scratch, "ISO 9075", value, capacity, length);
    case SQL_DIAG_CONNECTION_NAME:
    case SQL_DIAG_SERVER_NAME: return CopyOutSmall(&scratch, "", value, capacity, length);
    case SQL_DIAG_COLUMN_NUMBER:
    case SQL_DIAG_ROW_NUMBER:
        if (value) *(SQLLEN*)value = -1;
        return SQL_SUCCESS;
    default: return SQL_ERROR;
    }
}
