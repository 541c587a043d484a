#include "backup/unattended_backup_text.h"

#include "support/bounded_text.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>

namespace {

const char* OrEmpty(const char* text) { return text ? text : ""; }

// "A(z) 'WHAT' ..." and the like: before, value, after, into error.
bool Refuse(char* error, size_t capacity, const char* before, const char* value, const char* after)
{
    CopyText(error, capacity, before);
    AppendText(error, capacity, value);
    AppendText(error, capacity, after);
    return false;
}

bool Put(char* target, size_t capacity, size_t* length, char c)
{
    if (*length + 1 >= capacity) return false;
    target[(*length)++] = c;
    target[*length] = '\0';
    return true;
}

bool AllDigits(const char* text, size_t count)
{
    for (size_t i = 0; i < count; i++)
        if (text[i] < '0' || text[i] > '9') return false;
    return true;
}

}  // namespace

bool IsBackupDatabaseName(const char* name)
{
    size_t length = name ? strlen(name) : 0;
    return length > 0 && length <= backupDatabaseLimit && name[0] != '-' && !HasControlCharacter(name) &&
           !strpbrk(name, "\\/:*?\"<>|");
}

bool ParseBackupCommand(int count, const char* const* arguments, BackupCommand* command, char* error,
                        size_t capacity)
{
    memset(command, 0, sizeof *command);
    if (capacity) error[0] = '\0';
    const char* usage = "Használat: mvbackup mysql|mssql ADATBÁZIS --to MAPPA [--server GÉP] [--keep N] [--config FÁJL]";
    if (count < 1) return Refuse(error, capacity, "Hiányzik a parancs. ", usage, "");
    if (count == 1 && strcmp(arguments[0], "--version") == 0) {
        command->version = true;
        return true;
    }
    if (strcmp(arguments[0], "mysql") == 0) command->kind = BackupKind::MySql;
    else if (strcmp(arguments[0], "mssql") == 0) command->kind = BackupKind::SqlServer;
    else return Refuse(error, capacity, "Ismeretlen parancs: '", arguments[0], "'. ");
    if (count < 2 || arguments[1][0] == '-')
        return Refuse(error, capacity, "Hiányzik az adatbázis neve. ", usage, "");
    if (!IsBackupDatabaseName(arguments[1]))
        return Refuse(error, capacity, "Az adatbázis neve nem használható fájlnévben: '", arguments[1], "'.");
    CopyText(command->database, arguments[1]);

    struct Option {
        const char* name;
        char* field;
        size_t fieldCapacity;
        bool seen;
    } options[] = {
        {"--to", command->folder, sizeof command->folder, false},
        {"--server", command->server, sizeof command->server, false},
        {"--keep", nullptr, 0, false},
        {"--config", command->config, sizeof command->config, false},
    };
    for (int i = 2; i < count; i++) {
        Option* option = nullptr;
        for (Option& one : options)
            if (strcmp(arguments[i], one.name) == 0) option = &one;
        if (option && option->field == command->server && command->kind == BackupKind::SqlServer)
            return Refuse(error, capacity, "A(z) '", option->name, "' kapcsoló csak a mysql parancsnál adható meg.");
        if (!option)
            return Refuse(error, capacity, arguments[i][0] == '-' ? "Ismeretlen kapcsoló: '" : "Fölösleges paraméter: '",
                          arguments[i], "'.");
        if (option->seen) return Refuse(error, capacity, "A(z) '", option->name, "' kapcsoló kétszer szerepel.");
        option->seen = true;
        if (i + 1 >= count || arguments[i + 1][0] == '\0')
            return Refuse(error, capacity, "Hiányzik a(z) '", option->name, "' kapcsoló értéke.");
        const char* value = arguments[++i];
        if (!option->field) {
            char* end = nullptr;
            long keep = strtol(value, &end, 10);
            if (!AllDigits(value, strlen(value)) || *end || keep < 1 || keep > 100000)
                return Refuse(error, capacity, "A(z) '--keep' értéke legalább 1 legyen, egész szám: '", value, "'.");
            command->keep = static_cast<int>(keep);
        } else if (!TextFits(value, option->fieldCapacity) || HasControlCharacter(value)) {
            return Refuse(error, capacity, "A(z) '", option->name, "' kapcsoló értéke túl hosszú vagy nem használható.");
        } else {
            CopyText(option->field, option->fieldCapacity, value);
        }
    }
    if (!options[0].seen) return Refuse(error, capacity, "Hiányzik a '--to MAPPA': hová készüljön a mentés. ", usage, "");
    return true;
}

bool AppendCommandLineArgument(char* target, size_t capacity, const char* value)
{
    if (capacity == 0) return false;
    size_t length = strnlen(target, capacity);
    if (length == capacity) return false;
    value = OrEmpty(value);
    bool quoted = !*value || strpbrk(value, " \t\"");
    bool ok = !length || Put(target, capacity, &length, ' ');
    if (quoted) ok = ok && Put(target, capacity, &length, '"');
    size_t backslashes = 0;
    for (const char* p = value; ok && *p; p++) {
        if (*p == '"') {
            // The backslashes before it doubled, and one more for the quote itself.
            for (size_t i = 0; ok && i <= backslashes; i++) ok = Put(target, capacity, &length, '\\');
        }
        backslashes = *p == '\\' ? backslashes + 1 : 0;
        ok = ok && Put(target, capacity, &length, *p);
    }
    if (quoted) {
        for (size_t i = 0; ok && i < backslashes; i++) ok = Put(target, capacity, &length, '\\');
        ok = ok && Put(target, capacity, &length, '"');
    }
    return ok;
}

bool SplitCommandLine(const char* line, std::vector<std::string>* arguments)
{
    arguments->clear();
    const char* p = OrEmpty(line);
    bool quoted = false;
    while (true) {
        while (!quoted && (*p == ' ' || *p == '\t')) p++;
        if (!*p) break;
        std::string argument;
        for (; *p && (quoted || (*p != ' ' && *p != '\t')); p++) {
            size_t backslashes = 0;
            while (p[backslashes] == '\\') backslashes++;
            if (p[backslashes] == '"') {
                argument.append(backslashes / 2, '\\');
                p += backslashes;
                if (backslashes % 2) argument += '"';
                else quoted = !quoted;
            } else if (backslashes) {
                argument.append(backslashes, '\\');
                p += backslashes - 1;
            } else {
                argument += *p;
            }
        }
        arguments->push_back(argument);
    }
    return !quoted;
}

bool BuildBackupArguments(BackupKind kind, const char* database, const char* folder, const char* server, int keep,
                          char* target, size_t capacity)
{
    if (capacity == 0) return false;
    target[0] = '\0';
    char number[16];
    snprintf(number, sizeof number, "%d", keep);
    bool blankServer = strspn(OrEmpty(server), " ") == strlen(OrEmpty(server));
    bool ok = AppendCommandLineArgument(target, capacity, BackupKindName(kind)) &&
              AppendCommandLineArgument(target, capacity, database) && AppendCommandLineArgument(target, capacity, "--to") &&
              AppendCommandLineArgument(target, capacity, folder);
    if (kind == BackupKind::MySql && !blankServer)
        ok = ok && AppendCommandLineArgument(target, capacity, "--server") && AppendCommandLineArgument(target, capacity, server);
    ok = ok && AppendCommandLineArgument(target, capacity, "--keep") && AppendCommandLineArgument(target, capacity, number);
    if (!ok) target[0] = '\0';
    return ok;
}

void FormatBackupStamp(int year, int month, int day, int hour, int minute, int second, char* target, size_t capacity)
{
    snprintf(target, capacity, "%04d%02d%02d-%02d%02d%02d", year, month, day, hour, minute, second);
}

bool BuildDatedBackupPath(const char* folder, const char* database, const char* stamp, const char* extension,
                          char* target, size_t capacity)
{
    if (capacity == 0) return false;
    folder = OrEmpty(folder);
    size_t length = strlen(folder);
    int written = snprintf(target, capacity, "%s%s%s-%s%s", folder, length && folder[length - 1] == '\\' ? "" : "\\",
                           OrEmpty(database), OrEmpty(stamp), OrEmpty(extension));
    if (written < 0 || static_cast<size_t>(written) >= capacity) {
        target[0] = '\0';
        return false;
    }
    return true;
}

bool IsDatedBackupName(const char* name, const char* database, const char* extension)
{
    size_t nameLength = strlen(name), databaseLength = strlen(database), extensionLength = strlen(extension);
    const size_t stampLength = 15;  // YYYYMMDD-HHMMSS
    if (databaseLength == 0 || nameLength != databaseLength + 1 + stampLength + extensionLength) return false;
    const char* stamp = name + databaseLength + 1;
    return memcmp(name, database, databaseLength) == 0 && name[databaseLength] == '-' && AllDigits(stamp, 8) &&
           stamp[8] == '-' && AllDigits(stamp + 9, 6) && strcmp(stamp + stampLength, extension) == 0;
}

std::vector<std::string> CopiesBeyond(const std::vector<std::string>& names, const char* database,
                                      const char* extension, int keep, const char* spare)
{
    std::vector<std::string> copies;
    for (const std::string& name : names)
        if (IsDatedBackupName(name.c_str(), database, extension) && name != OrEmpty(spare)) copies.push_back(name);
    // Within one database the names differ only in their times, which sort as text.
    std::sort(copies.begin(), copies.end());
    size_t others = keep < 1 ? copies.size() : static_cast<size_t>(keep - 1);
    if (keep < 1 || copies.size() <= others) return {};
    copies.resize(copies.size() - others);
    return copies;
}

const char* BackupKindName(BackupKind kind) { return kind == BackupKind::MySql ? "mysql" : "mssql"; }

size_t FormatBackupLogLine(const BackupLogEntry& entry, char* target, size_t capacity)
{
    if (capacity == 0) return 0;
    target[0] = '\0';
    size_t length = 0;
    const char* fields[] = {entry.time, entry.kind, entry.database, entry.file, entry.size, entry.ok ? "OK" : "HIBA",
                            entry.message};
    bool ok = true;
    for (size_t i = 0; ok && i < sizeof fields / sizeof fields[0]; i++) {
        if (i) ok = Put(target, capacity, &length, '\t');
        for (const char* p = fields[i]; ok && *p; p++)
            ok = Put(target, capacity, &length, *p == '\t' || *p == '\r' || *p == '\n' ? ' ' : *p);
    }
    ok = ok && Put(target, capacity, &length, '\r') && Put(target, capacity, &length, '\n');
    if (!ok) {
        target[0] = '\0';
        return 0;
    }
    return length;
}

bool FindLastBackupLogEntry(const char* text, size_t length, const char* kind, const char* database,
                            BackupLogEntry* entry)
{
    size_t end = length;
    while (end > 0) {
        size_t start = end - 1;
        while (start > 0 && text[start - 1] != '\n') start--;
        size_t lineEnd = end;
        while (lineEnd > start && (text[lineEnd - 1] == '\n' || text[lineEnd - 1] == '\r')) lineEnd--;
        // The seven fields of this line.
        const char* fields[7];
        size_t sizes[7];
        int count = 0;
        for (size_t at = start, from = start; at <= lineEnd && count < 7; at++) {
            if (at == lineEnd || text[at] == '\t') {
                fields[count] = text + from;
                sizes[count++] = at - from;
                from = at + 1;
            }
        }
        bool whole = count == 7 && fields[6] + sizes[6] == text + lineEnd;
        auto equals = [&](int field, const char* value) {
            return sizes[field] == strlen(value) && memcmp(fields[field], value, sizes[field]) == 0;
        };
        if (whole && equals(1, kind) && equals(2, database) && (equals(5, "OK") || equals(5, "HIBA"))) {
            CopyTextPart(entry->time, sizeof entry->time, fields[0], sizes[0]);
            CopyTextPart(entry->kind, sizeof entry->kind, fields[1], sizes[1]);
            CopyTextPart(entry->database, sizeof entry->database, fields[2], sizes[2]);
            CopyTextPart(entry->file, sizeof entry->file, fields[3], sizes[3]);
            CopyTextPart(entry->size, sizeof entry->size, fields[4], sizes[4]);
            entry->ok = equals(5, "OK");
            CopyTextPart(entry->message, sizeof entry->message, fields[6], sizes[6]);
            return true;
        }
        end = start;
    }
    return false;
}

void DescribeLastBackup(const BackupLogEntry* entry, char* target, size_t capacity)
{
    if (!entry) {
        CopyText(target, capacity, "Még nem volt ütemezett mentés.");
        return;
    }
    CopyText(target, capacity, "Utolsó ütemezett mentés: ");
    AppendText(target, capacity, entry->time);
    AppendText(target, capacity, entry->ok ? ", sikeres" : ", SIKERTELEN: ");
    if (!entry->ok) AppendText(target, capacity, entry->message);
}
