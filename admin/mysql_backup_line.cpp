#include "admin/mysql_backup_line.h"

#include "ui/text_utils.h"
#include "support/bounded_text.h"

#include <string.h>

#include <initializer_list>

namespace {

// A text being built within a fixed capacity; once something did not fit it stays failed.
struct Line {
    char* target;
    size_t capacity;
    size_t length;
    bool failed;

    void Put(char c)
    {
        if (failed || length + 1 >= capacity) {
            failed = true;
            return;
        }
        target[length++] = c;
        target[length] = 0;
    }
    void Put(const char* text)
    {
        for (; *text; text++) Put(*text);
    }
};

bool NeedsQuotes(const char* value)
{
    return strpbrk(value, " \t\"&|<>^") != nullptr;
}

// One word of the line: value followed by suffix, quoted when either needs it; % doubled everywhere.
void PutWord(Line* line, const char* value, const char* suffix = "")
{
    bool quoted = NeedsQuotes(value) || NeedsQuotes(suffix);
    if (quoted) line->Put('"');
    size_t backslashes = 0;
    for (const char* part : {value, suffix}) {
        for (const char* p = part; *p; p++) {
            if (*p == '%') line->Put('%');
            if (quoted && *p == '"') {
                // The program's argument rules: backslashes before a quote are doubled, and "" inside
                // quotes is one quote; the command interpreter stays inside the quotes.
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

}  // namespace

bool BuildMySqlBackupLine(const char* server, const char* user, const char* password, const char* database,
                          const char* dumpFile, const char* date, char* target, size_t capacity)
{
    if (capacity == 0) return false;
    target[0] = 0;
    Line line{target, capacity, 0, false};
    line.Put("mysqldump ");
    if (!IsBlank(server)) {
        line.Put("-h ");
        PutWord(&line, server);
        line.Put(' ');
    }
    line.Put("-u ");
    PutWord(&line, user ? user : "");
    line.Put(" -p");
    PutWord(&line, password ? password : "");
    line.Put(' ');
    PutWord(&line, database ? database : "");
    line.Put(" > ");
    char suffix[32] = "-";
    AppendText(suffix, sizeof suffix, date ? date : "");
    PutWord(&line, dumpFile ? dumpFile : "", suffix);
    line.Put("\r\n");
    if (line.failed) target[0] = 0;
    return !line.failed;
}

bool BuildMySqlDumpFileName(const char* directory, const char* database, const char* isoDate, char* target,
                            size_t capacity)
{
    if (capacity == 0) return false;
    target[0] = 0;
    Line line{target, capacity, 0, false};
    line.Put(directory ? directory : "");
    line.Put('\\');
    line.Put(database ? database : "");
    line.Put('-');
    line.Put(isoDate ? isoDate : "");
    line.Put(".mysql-server");
    if (line.failed) target[0] = 0;
    return !line.failed;
}

void DropBackslashes(const char* text, char* target, size_t capacity)
{
    if (capacity == 0) return;
    size_t length = 0;
    for (const char* p = text ? text : ""; *p && length + 1 < capacity; p++)
        if (*p != '\\') target[length++] = *p;
    target[length] = 0;
}
