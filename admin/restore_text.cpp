#include "admin/restore_text.h"

#include "backup/mysql_backup_line.h"
#include "backup/sql_server_backup_text.h"
#include "backup/unattended_backup_text.h"
#include "support/bounded_text.h"

#include <stdio.h>
#include <string.h>

#include <initializer_list>

const char* const sqlServerFoldersQuery =
    "SELECT SERVERPROPERTY('InstanceDefaultDataPath') AS [DataPath], SERVERPROPERTY('InstanceDefaultLogPath') AS [LogPath]";

namespace {

bool Fail(BoundedBuilder& text)
{
    text.failed = true;
    return text.Finish();
}

// A piece filled by FillStatement, escaped for its place.
void Fill(BoundedBuilder& text, const char* pattern, const char* const* values, int count)
{
    if (text.failed || !FillStatement(text.target + text.length, text.capacity - text.length, pattern, values, count))
        text.failed = true;
    else
        text.length += strlen(text.target + text.length);
}

// One argument, after a blank, as the runtime's command-line rules read it back
// (AppendCommandLineArgument).
void Argument(BoundedBuilder& line, const char* value)
{
    if (line.failed || !AppendCommandLineArgument(line.target, line.capacity, value)) line.failed = true;
    else line.length = strlen(line.target);
}

// The text after the last separator of a path's folder part ('\' or, for a server on Linux, '/'),
// separator included, into folder; an empty text when the path has none.
void FolderOf(const char* path, char* folder, size_t capacity)
{
    const char* end = nullptr;
    for (const char* p = path; *p; p++)
        if (*p == '\\' || *p == '/') end = p + 1;
    CopyTextPart(folder, capacity, path, end ? (size_t)(end - path) : 0);
}

bool StartsWith(const char* text, const char* prefix) { return strncmp(text, prefix, strlen(prefix)) == 0; }

}  // namespace

bool BuildRestoreTargetName(const char* database, const char* compactDate, char* target, size_t capacity)
{
    BoundedBuilder name;
    name.Init(target, capacity);
    if (!database || !*database) return Fail(name);
    name.Put(database);
    name.Put('_');
    name.Put(compactDate);
    return name.Finish();
}

MySqlDumpCheck CheckMySqlDump(const char* head, size_t headLength, const char* tail, size_t tailLength, char* database,
                              size_t capacity)
{
    if (capacity) database[0] = '\0';
    bool choosesDatabase = false;
    // Line by line through the head; a line cut off by its end counts as far as it goes.
    for (size_t start = 0; start < headLength;) {
        size_t end = start;
        while (end < headLength && head[end] != '\n' && head[end] != '\r') end++;
        char line[512];
        CopyTextPart(line, sizeof line, head + start, end - start);
        const char* tag = strstr(line, "Database: ");
        if (StartsWith(line, "-- Host: ") && tag && !database[0]) {
            size_t length = strlen(tag += strlen("Database: "));
            while (length > 0 && tag[length - 1] == ' ') length--;
            CopyTextPart(database, capacity, tag, length);
        }
        // A dump of several databases (--databases, --all-databases) switches to each by name.
        choosesDatabase = choosesDatabase || StartsWith(line, "-- Current Database: ") || StartsWith(line, "USE ");
        start = end + 1;
    }
    if (!IsCompleteMySqlDump(tail, tailLength)) return MySqlDumpCheck::Incomplete;
    return choosesDatabase ? MySqlDumpCheck::ChoosesDatabase : MySqlDumpCheck::Complete;
}

bool BuildMySqlCreateDatabase(const char* database, char* target, size_t capacity)
{
    BoundedBuilder statement;
    statement.Init(target, capacity);
    statement.Put("CREATE DATABASE `");
    for (const char* p = database; p && *p; p++) {
        statement.Put(*p);
        if (*p == '`') statement.Put('`');  // doubled inside the quotes
    }
    statement.Put('`');
    return statement.Finish();
}

bool BuildMySqlClientCommandLine(const char* program, const char* optionFile, const char* server, const char* user,
                                 const char* database, char* target, size_t capacity)
{
    BoundedBuilder line;
    line.Init(target, capacity);
    for (const char* value : {program, optionFile, server, user, database})
        if (!value || HasControlCharacter(value)) return Fail(line);
    if (!*database) return Fail(line);
    line.Put('"');
    line.Put(program);
    line.Put('"');
    char option[1024];
    if (!TextFits(optionFile, sizeof option - 32)) return Fail(line);
    CopyText(option, "--defaults-extra-file=");
    AppendText(option, sizeof option, optionFile);
    Argument(line, option);
    Argument(line, "--default-character-set=cp1250");
    bool serverGiven = false;
    for (const char* p = server; *p; p++) serverGiven = serverGiven || *p != ' ';
    if (serverGiven) {
        Argument(line, "-h");
        Argument(line, server);
    }
    Argument(line, "-u");
    Argument(line, user);
    if (database[0] == '-') Argument(line, "--");
    Argument(line, database);
    return line.Finish();
}

bool BuildRestoreFileListQuery(char* target, size_t capacity, const char* file, const char* position)
{
    const char* values[] = {file, position};
    return FillStatement(target, capacity, "RESTORE FILELISTONLY FROM DISK = '%s' WITH FILE = %s", values, 2);
}

bool BuildMovedFilePath(char* target, size_t capacity, const RestoreFile& file, int index, const char* database,
                        const char* dataFolder, const char* logFolder)
{
    BoundedBuilder path;
    path.Init(target, capacity);
    bool log = file.type == 'L' || file.type == 'l';
    char folder[520];
    CopyText(folder, log ? logFolder : dataFolder);
    if (!folder[0]) FolderOf(file.physicalName, folder, sizeof folder);
    path.Put(folder);
    size_t length = strlen(folder);
    if (length && folder[length - 1] != '\\' && folder[length - 1] != '/') path.Put(strchr(folder, '\\') ? '\\' : '/');
    path.Put(database);
    char number[16];
    snprintf(number, sizeof number, "_%d", index + 1);
    if (log) {
        path.Put("_log");
        if (index > 0) path.Put(number);
        path.Put(".ldf");
    } else if (index > 0) {
        path.Put(number);
        path.Put(".ndf");
    } else {
        path.Put(".mdf");
    }
    return path.Finish();
}

bool BuildRestoreStatement(char* target, size_t capacity, const char* database, const char* file, const char* position,
                           const RestoreFile* files, int fileCount, const char* dataFolder, const char* logFolder,
                           bool replace, bool checksum)
{
    BoundedBuilder statement;
    statement.Init(target, capacity);
    // The set's number goes in unquoted: digits only.
    if (!position || !*position || strspn(position, "0123456789") != strlen(position)) return Fail(statement);
    const char* head[] = {database, file, position};
    Fill(statement, "RESTORE DATABASE [%s] FROM DISK = '%s' WITH FILE = %s", head, 3);
    int dataFiles = 0, logFiles = 0;
    for (int i = 0; i < fileCount; i++) {
        bool log = files[i].type == 'L' || files[i].type == 'l';
        char moved[1024];
        if (!BuildMovedFilePath(moved, sizeof moved, files[i], log ? logFiles++ : dataFiles++, database, dataFolder,
                                logFolder))
            return Fail(statement);
        const char* move[] = {files[i].logicalName, moved};
        Fill(statement, ", MOVE '%s' TO '%s'", move, 2);
    }
    if (replace) statement.Put(", REPLACE");
    if (checksum) statement.Put(", CHECKSUM");
    statement.Put(", STATS = 10");
    return statement.Finish();
}

bool BuildSingleUser(char* target, size_t capacity, const char* database)
{
    return FillStatement(target, capacity, "ALTER DATABASE [%s] SET SINGLE_USER WITH ROLLBACK IMMEDIATE", &database, 1);
}

bool BuildMultiUser(char* target, size_t capacity, const char* database)
{
    return FillStatement(target, capacity, "ALTER DATABASE [%s] SET MULTI_USER", &database, 1);
}

bool BuildBackupSetText(char* target, size_t capacity, const char* database, const char* backupName, const char* date)
{
    BoundedBuilder text;
    text.Init(target, capacity);
    text.Put("Adatbázis: ");
    text.Put(database);
    text.Put(", mentés: ");
    text.Put(backupName);
    text.Put(", készült: ");
    const char* fraction = date ? strchr(date, '.') : nullptr;
    char shown[64];
    CopyTextPart(shown, sizeof shown, date, fraction ? (size_t)(fraction - date) : (size_t)-1);
    text.Put(shown);
    return text.Finish();
}
