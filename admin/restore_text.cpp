#include "admin/restore_text.h"

#include "backup/mysql_backup_line.h"
#include "backup/sql_server_backup_text.h"
#include "support/bounded_text.h"

#include <stdio.h>
#include <string.h>

#include <initializer_list>

const char* const sqlServerFoldersQuery =
    "SELECT SERVERPROPERTY('InstanceDefaultDataPath') AS [DataPath], SERVERPROPERTY('InstanceDefaultLogPath') AS [LogPath]";

namespace {

// Appends to a text of a fixed capacity; the first thing that does not fit empties it for good.
struct Builder {
    char* target;
    size_t capacity;
    size_t length = 0;
    bool full = false;

    Builder(char* target, size_t capacity) : target(target), capacity(capacity)
    {
        if (capacity) target[0] = '\0';
    }
    void Add(char c)
    {
        if (full || length + 1 >= capacity) {
            full = true;
            return;
        }
        target[length++] = c;
        target[length] = '\0';
    }
    void Add(const char* text)
    {
        while (text && *text) Add(*text++);
    }
    void Repeat(char c, size_t count)
    {
        while (count--) Add(c);
    }
    // A piece filled by FillStatement, escaped for its place.
    void Fill(const char* pattern, const char* const* values, int count)
    {
        if (full || !FillStatement(target + length, capacity - length, pattern, values, count)) {
            full = true;
            return;
        }
        length += strlen(target + length);
    }
    bool Fail()
    {
        full = true;
        return Done();
    }
    bool Done()
    {
        if (full && capacity) target[0] = '\0';
        return !full;
    }
};

// One argument as the runtime's command-line rules read it back: quoted when empty or holding a
// blank, a tab or a quote; inside the quotes a quote is written \" and the backslashes before a quote
// (or before the closing one) are doubled.
void AddArgument(Builder& line, const char* prefix, const char* value)
{
    bool quoted = !*prefix && !*value;
    for (const char* p = value; *p && !quoted; p++) quoted = *p == ' ' || *p == '\t' || *p == '"';
    if (line.length) line.Add(' ');
    if (quoted) line.Add('"');
    line.Add(prefix);
    size_t backslashes = 0;
    for (const char* p = value; *p; p++) {
        if (*p == '\\') {
            backslashes++;
            continue;
        }
        line.Repeat('\\', quoted && *p == '"' ? 2 * backslashes + 1 : backslashes);
        line.Add(*p);
        backslashes = 0;
    }
    line.Repeat('\\', quoted ? 2 * backslashes : backslashes);
    if (quoted) line.Add('"');
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
    Builder name(target, capacity);
    if (!database || !*database) return name.Fail();
    name.Add(database);
    name.Add('_');
    name.Add(compactDate);
    return name.Done();
}

bool HasControlCharacter(const char* text)
{
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); p && *p; p++)
        if (*p < 0x20 || *p == 0x7f) return true;
    return false;
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
    Builder statement(target, capacity);
    statement.Add("CREATE DATABASE `");
    for (const char* p = database; p && *p; p++) statement.Repeat(*p, *p == '`' ? 2 : 1);
    statement.Add('`');
    return statement.Done();
}

bool BuildMySqlClientCommandLine(const char* program, const char* optionFile, const char* server, const char* user,
                                 const char* database, char* target, size_t capacity)
{
    Builder line(target, capacity);
    for (const char* value : {program, optionFile, server, user, database})
        if (!value || HasControlCharacter(value)) return line.Fail();
    if (!*database) return line.Fail();
    line.Add('"');
    line.Add(program);
    line.Add('"');
    AddArgument(line, "--defaults-extra-file=", optionFile);
    AddArgument(line, "", "--default-character-set=cp1250");
    bool serverGiven = false;
    for (const char* p = server; *p; p++) serverGiven = serverGiven || *p != ' ';
    if (serverGiven) {
        AddArgument(line, "", "-h");
        AddArgument(line, "", server);
    }
    AddArgument(line, "", "-u");
    AddArgument(line, "", user);
    if (database[0] == '-') AddArgument(line, "", "--");
    AddArgument(line, "", database);
    return line.Done();
}

bool BuildRestoreFileListQuery(char* target, size_t capacity, const char* file, const char* position)
{
    const char* values[] = {file, position};
    return FillStatement(target, capacity, "RESTORE FILELISTONLY FROM DISK = '%s' WITH FILE = %s", values, 2);
}

bool BuildMovedFilePath(char* target, size_t capacity, const RestoreFile& file, int index, const char* database,
                        const char* dataFolder, const char* logFolder)
{
    Builder path(target, capacity);
    bool log = file.type == 'L' || file.type == 'l';
    char folder[520];
    CopyText(folder, log ? logFolder : dataFolder);
    if (!folder[0]) FolderOf(file.physicalName, folder, sizeof folder);
    path.Add(folder);
    size_t length = strlen(folder);
    if (length && folder[length - 1] != '\\' && folder[length - 1] != '/') path.Add(strchr(folder, '\\') ? '\\' : '/');
    path.Add(database);
    char number[16];
    snprintf(number, sizeof number, "_%d", index + 1);
    if (log) {
        path.Add("_log");
        if (index > 0) path.Add(number);
        path.Add(".ldf");
    } else if (index > 0) {
        path.Add(number);
        path.Add(".ndf");
    } else {
        path.Add(".mdf");
    }
    return path.Done();
}

bool BuildRestoreStatement(char* target, size_t capacity, const char* database, const char* file, const char* position,
                           const RestoreFile* files, int fileCount, const char* dataFolder, const char* logFolder,
                           bool replace, bool checksum)
{
    Builder statement(target, capacity);
    // The set's number goes in unquoted: digits only.
    if (!position || !*position || strspn(position, "0123456789") != strlen(position)) return statement.Fail();
    const char* head[] = {database, file, position};
    statement.Fill("RESTORE DATABASE [%s] FROM DISK = '%s' WITH FILE = %s", head, 3);
    int dataFiles = 0, logFiles = 0;
    for (int i = 0; i < fileCount; i++) {
        bool log = files[i].type == 'L' || files[i].type == 'l';
        char moved[1024];
        if (!BuildMovedFilePath(moved, sizeof moved, files[i], log ? logFiles++ : dataFiles++, database, dataFolder,
                                logFolder))
            return statement.Fail();
        const char* move[] = {files[i].logicalName, moved};
        statement.Fill(", MOVE '%s' TO '%s'", move, 2);
    }
    if (replace) statement.Add(", REPLACE");
    if (checksum) statement.Add(", CHECKSUM");
    statement.Add(", STATS = 10");
    return statement.Done();
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
    Builder text(target, capacity);
    text.Add("Adatbázis: ");
    text.Add(database);
    text.Add(", mentés: ");
    text.Add(backupName);
    text.Add(", készült: ");
    const char* fraction = date ? strchr(date, '.') : nullptr;
    char shown[64];
    CopyTextPart(shown, sizeof shown, date, fraction ? (size_t)(fraction - date) : (size_t)-1);
    text.Add(shown);
    return text.Done();
}
