#include "backup/mysql_backup_line.h"

#include "support/bounded_text.h"
#include "ui/text_utils.h"

#include <string.h>

#include <initializer_list>

const char* const mysqlBackupFailedText = "A mentés sikertelen!";
const char* const mysqlDumpCompletedText = "-- Dump completed";
const char* const mysqlRunBatchExtension = ".bat";
const char* const mysqlRunOptionExtension = ".cnf";
const char* const mysqlRunDumpNameExtension = ".txt";

namespace {

// Blanks and what the command interpreter treats specially outside quotes: the command separators,
// redirections, its escape, the parentheses of the line's blocks, and the delimiters of its own
// commands (del, move).
bool NeedsQuotes(const char* value)
{
    return strpbrk(value, " \t\"&|<>^(),;=") != nullptr;
}

// True when the text holds a control character other than a tab (the line takes a tab as it is).
bool HasControlOtherThanTab(const char* text)
{
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; p++)
        if (*p < 0x20 && *p != '\t') return true;
    return false;
}

// One word of the line: prefix (taken as it is) followed by the parts, quoted when a part needs it or
// the parts are all empty; % doubled everywhere. Inside quotes a quote is doubled and the
// backslashes before it too, as the programs' argument rules want; the command interpreter stays
// inside the quotes.
void PutWord(BoundedBuilder* line, const char* prefix, std::initializer_list<const char*> parts)
{
    bool empty = true;
    bool quoted = false;
    for (const char* part : parts) {
        empty = empty && !*part;
        quoted = quoted || NeedsQuotes(part);
    }
    quoted = quoted || empty;
    line->Put(prefix);
    if (quoted) line->Put('"');
    size_t backslashes = 0;
    for (const char* part : parts) {
        for (const char* p = part; *p; p++) {
            if (*p == '%') line->Put('%');
            if (quoted && *p == '"') {
                for (size_t i = 0; i < backslashes; i++) line->Put('\\');
                line->Put('"');
            }
            backslashes = *p == '\\' ? backslashes + 1 : 0;
            line->Put(*p);
        }
    }
    if (quoted) {
        for (size_t i = 0; i < backslashes; i++) line->Put('\\');
        line->Put('"');
    }
}

const char* OrEmpty(const char* text)
{
    return text ? text : "";
}

}  // namespace

bool BuildMySqlBackupBatch(const MySqlBackupRun& run, char* target, size_t capacity)
{
    BoundedBuilder line;
    line.Init(target, capacity);
    const char* server = OrEmpty(run.server);
    const char* user = OrEmpty(run.user);
    const char* database = OrEmpty(run.database);
    const char* dumpFile = OrEmpty(run.dumpFile);
    const char* date = OrEmpty(run.date);
    const char* tag = OrEmpty(run.tag);
    const char* options = OrEmpty(run.optionFile);
    for (const char* value : {server, user, database, dumpFile, date, tag, options})
        if (HasControlOtherThanTab(value)) line.failed = true;
    for (const char* path : {dumpFile, date, tag, options})
        if (strchr(path, '"')) line.failed = true;
    if (!database[0]) line.failed = true;

    auto optionFile = [&] { PutWord(&line, "", {options}); };
    auto temporary = [&] { PutWord(&line, "", {dumpFile, "-", date, ".", tag, ".tmp"}); };
    auto failure = [&] {
        line.Put("(del ");
        optionFile();
        line.Put(" & del ");
        temporary();
        line.Put(" 2>nul & echo ");
        line.Put(mysqlBackupFailedText);
        line.Put(" & pause)");
    };
    line.Put("@mysqldump ");
    PutWord(&line, "--defaults-extra-file=", {options});
    if (!IsBlank(server)) {
        line.Put(" -h ");
        PutWord(&line, "", {server});
    }
    line.Put(" -u ");
    PutWord(&line, "", {user});
    line.Put(" --routines --events");
    line.Put(database[0] == '-' ? " -- " : " ");
    PutWord(&line, "", {database});
    line.Put(" > ");
    temporary();
    line.Put(" & if errorlevel 1 ");
    failure();
    line.Put(" else if not errorlevel 0 ");
    failure();
    line.Put(" else (\"%SystemRoot%\\system32\\find.exe\" \"");
    line.Put(mysqlDumpCompletedText);
    line.Put("\" < ");
    temporary();
    line.Put(" >nul & if errorlevel 1 ");
    failure();
    line.Put(" else (del ");
    optionFile();
    line.Put(" & move /y ");
    temporary();
    line.Put(' ');
    PutWord(&line, "", {dumpFile, "-", date});
    line.Put(" >nul & if exist ");
    temporary();
    line.Put(" (echo ");
    line.Put(mysqlBackupFailedText);
    line.Put(" & pause)))\r\n");
    return line.Finish();
}

bool BuildMySqlOptionFile(const char* password, char* target, size_t capacity)
{
    BoundedBuilder line;
    line.Init(target, capacity);
    line.Put("[client]\r\npassword=\"");
    for (const char* p = OrEmpty(password); *p; p++) {
        switch (*p) {
        case '\\': line.Put("\\\\"); break;
        case '"': line.Put("\\\""); break;
        case '\t': line.Put("\\t"); break;
        case '\r': line.Put("\\r"); break;
        case '\n': line.Put("\\n"); break;
        default: line.Put(*p);
        }
    }
    line.Put("\"\r\n");
    return line.Finish();
}

bool BuildMySqlDumpFileName(const char* directory, const char* database, const char* isoDate, char* target,
                            size_t capacity)
{
    BoundedBuilder line;
    line.Init(target, capacity);
    line.Put(directory);
    line.Put('\\');
    line.Put(database);
    line.Put('-');
    line.Put(isoDate);
    line.Put(".mysql-server");
    return line.Finish();
}

bool IsCompleteMySqlDump(const char* tail, size_t length)
{
    if (!tail) return false;
    // The last line that holds anything other than line ends.
    size_t end = length;
    while (end > 0 && (tail[end - 1] == '\n' || tail[end - 1] == '\r')) end--;
    size_t start = end;
    while (start > 0 && tail[start - 1] != '\n') start--;
    size_t size = strlen(mysqlDumpCompletedText);
    return end - start >= size && memcmp(tail + start, mysqlDumpCompletedText, size) == 0 &&
           (end - start == size || tail[start + size] == ' ');
}

bool BuildMySqlRunFileName(const char* folder, const char* tag, const char* extension, char* target,
                           size_t capacity)
{
    BoundedBuilder line;
    line.Init(target, capacity);
    line.Put(folder);
    line.Put("mysqldump-");
    line.Put(tag);
    line.Put(extension);
    return line.Finish();
}

bool MySqlRunTagOf(const char* fileName, char* tag, size_t capacity)
{
    if (capacity) tag[0] = 0;
    const char* prefix = "mysqldump-";
    size_t length = fileName ? strlen(fileName) : 0;
    size_t prefixLength = strlen(prefix);
    const size_t extensionLength = 4;
    if (length <= prefixLength + extensionLength || strncmp(fileName, prefix, prefixLength) != 0) return false;
    const char* extension = fileName + length - extensionLength;
    if (strcmp(extension, mysqlRunBatchExtension) != 0 && strcmp(extension, mysqlRunOptionExtension) != 0 &&
        strcmp(extension, mysqlRunDumpNameExtension) != 0)
        return false;
    size_t tagLength = length - prefixLength - extensionLength;
    if (tagLength >= capacity || strspn(fileName + prefixLength, "0123456789-") != tagLength) return false;
    CopyTextPart(tag, capacity, fileName + prefixLength, tagLength);
    return true;
}
