#include "config/config_document.h"

#include "config/scrambled_file.h"
#include "support/process_state.h"
#include "support/bounded_text.h"
#include "support/platform.h"

#include <stdlib.h>
#include <string.h>

const char* const configurationKey = "58204719";
const char* const configFileName = "Marvitelkon.ini";

ConfigModel configModel;

namespace {

// First occurrence of needle in [from, end), or null. memchr and memcmp stay within the range, so
// the search never reads past the document and costs only the bytes it passes.
const char* FindText(const char* from, const char* end, const char* needle, size_t length)
{
    if (!from || length == 0) return nullptr;
    while (from < end && static_cast<size_t>(end - from) >= length) {
        const char* candidate = static_cast<const char*>(memchr(from, needle[0], end - from));
        if (!candidate || static_cast<size_t>(end - candidate) < length) return nullptr;
        if (memcmp(candidate, needle, length) == 0) return candidate;
        from = candidate + 1;
    }
    return nullptr;
}

// "<NAME>" and "</NAME>" into the two fields; false when the name does not fit them.
template <size_t openCapacity, size_t closeCapacity>
bool FormTags(const char* name, char (&open)[openCapacity], size_t* openLength, char (&close)[closeCapacity],
              size_t* closeLength)
{
    open[0] = '\0';
    close[0] = '\0';
    *openLength = 0;
    *closeLength = 0;
    if (!name || !TextFits(name, openCapacity - 2) || !TextFits(name, closeCapacity - 3)) return false;
    CopyText(open, "<");
    AppendText(open, openCapacity, name);
    *openLength = AppendText(open, openCapacity, ">");
    CopyText(close, "</");
    AppendText(close, closeCapacity, name);
    *closeLength = AppendText(close, closeCapacity, ">");
    return true;
}

// The five fields of a PROGRAM record, each read inside the record, with the limits that the
// login's table and the editor's model share.
template <class Record>
void ReadProgramFields(const RecordScan& scan, Record& target)
{
    ReadRecordFieldInto<modelIdLimit>(scan, "PROGRAMID", target.id);
    ReadRecordFieldInto<modelDescriptionLimit>(scan, "PROGRAMDESC", target.description);
    ReadRecordFieldInto<modelPathLimit>(scan, "PROGRAMFULLPATH", target.fullPath);
    ReadRecordFieldInto<modelAliasLimit>(scan, "PROGRAMALIAS", target.alias);
    ReadRecordFieldInto<modelPathLimit>(scan, "PROGRAMICON", target.iconFile);
}

// A growing heap text; once an allocation fails it stays failed and appends nothing.
struct TextBuilder {
    char* data;
    size_t length;
    size_t capacity;
    bool failed;

    void Init(size_t initialCapacity)
    {
        data = static_cast<char*>(malloc(initialCapacity));
        length = 0;
        capacity = data ? initialCapacity : 0;
        failed = data == nullptr;
        if (data) data[0] = '\0';
    }

    void AppendBytes(const char* bytes, size_t count)
    {
        if (failed) return;
        if (count >= capacity - length) {
            size_t wanted = capacity * 2;
            while (count >= wanted - length) wanted *= 2;
            char* grown = static_cast<char*>(realloc(data, wanted));
            if (!grown) {
                failed = true;
                return;
            }
            data = grown;
            capacity = wanted;
        }
        memcpy(data + length, bytes, count);
        length += count;
        data[length] = '\0';
    }

    void Append(const char* text) { AppendBytes(text, strlen(text)); }

    // A model field: up to its terminator, and never past its capacity.
    template <size_t capacity>
    void AppendField(const char (&field)[capacity])
    {
        AppendBytes(field, strnlen(field, capacity));
    }

    // The text, owned by the caller from now on; null when an allocation failed.
    char* Take()
    {
        if (failed) {
            free(data);
            data = nullptr;
        }
        char* result = data;
        data = nullptr;
        return result;
    }
};

int ClampedCount(int count) { return count < 0 ? 0 : count > maxConfigRecords ? maxConfigRecords : count; }

void ReportSaveFailure()
{
    MessageBoxA(GetActiveWindow(), "A 'Marvitelkon.ini' mentése sikertelen.", "Hibaüzenet", MB_TASKMODAL);
}

}  // namespace

void TagReader::Init(const char* textEnd, const char* name)
{
    end = textEnd;
    openFrom = openAt = closeFrom = closeAt = nullptr;
    if (!FormTags(name, openTag, &openLength, closeTag, &closeLength)) end = nullptr;
}

char* TagReader::Read(const char* from, char* buffer, size_t limit)
{
    Find(from, buffer, limit);
    return buffer;
}

TagValue TagReader::Find(const char* from, char* buffer, size_t limit, LongValue longValue)
{
    if (!buffer) return tagMissing;
    buffer[0] = '\0';
    if (!from || !end || from > end) return tagMissing;
    // A kept result answers for a later start as long as it does not lie before it; "none found"
    // answers for every later start.
    if (!openFrom || from < openFrom || (openAt && openAt < from)) {
        openFrom = from;
        openAt = FindText(from, end, openTag, openLength);
    }
    if (!closeFrom || from < closeFrom || (closeAt && closeAt < from)) {
        closeFrom = from;
        closeAt = FindText(from, end, closeTag, closeLength);
    }
    if (!openAt || !closeAt) return tagMissing;
    const char* value = openAt + openLength;
    if (closeAt < value) return tagMissing;  // the closing tag comes first
    size_t n = static_cast<size_t>(closeAt - value);
    if (n > limit && longValue == dropLongValue) return tagTooLong;
    size_t copied = n > limit ? limit : n;
    memcpy(buffer, value, copied);
    buffer[copied] = '\0';
    return n > limit ? tagTooLong : tagPresent;
}

char* ExtractTag(const char* text, const char* name, char* buffer, size_t limit)
{
    if (!buffer) return buffer;
    buffer[0] = '\0';
    if (!text) return buffer;
    TagReader reader;
    reader.Init(text + strlen(text), name);
    return reader.Read(text, buffer, limit);
}

void RecordScan::Init(const char* document, const char* name)
{
    InitRange(document, document ? document + strlen(document) : nullptr, name);
}

void RecordScan::InitRange(const char* document, const char* documentEnd, const char* name)
{
    record = recordEnd = nullptr;
    end = documentEnd;
    searchFrom = document;
    if (!document || !documentEnd || !FormTags(name, openTag, &openLength, closeTag, &closeLength))
        searchFrom = nullptr;
}

bool RecordScan::Next()
{
    record = recordEnd = nullptr;
    if (!searchFrom) return false;
    const char* open = FindText(searchFrom, end, openTag, openLength);
    const char* close = open ? FindText(open + openLength, end, closeTag, closeLength) : nullptr;
    if (!close) {
        searchFrom = nullptr;
        return false;
    }
    // An opening tag before the closing tag begins a later record: the closing tag is that one's.
    for (const char* later = FindText(open + openLength, close, openTag, openLength); later;
         later = FindText(later + openLength, close, openTag, openLength))
        open = later;
    record = open;
    recordEnd = close;
    searchFrom = close + closeLength;
    return true;
}

TagValue ReadRecordField(const RecordScan& scan, const char* name, char* buffer, size_t limit, LongValue longValue)
{
    if (buffer) buffer[0] = '\0';
    if (!scan.record || !scan.recordEnd) return tagMissing;
    TagReader reader;
    reader.Init(scan.recordEnd, name);
    return reader.Find(scan.record, buffer, limit, longValue);
}

int CountRecordTags(const char* document, const char* name)
{
    if (!document) return 0;
    char open[40], close[41];
    size_t openLength, closeLength;
    if (!FormTags(name, open, &openLength, close, &closeLength)) return 0;
    const char* end = document + strlen(document);
    int count = 0;
    for (const char* at = FindText(document, end, open, openLength); at && count < 0x7FFFFFFF;
         at = FindText(at + openLength, end, open, openLength))
        count++;
    return count;
}

bool BuildProgramTable(const char* document, ProgramEntry** entries, int* count)
{
    *entries = nullptr;
    *count = 0;
    if (!document) return true;
    const char* end = document + strlen(document);
    RecordScan scan;
    scan.InitRange(document, end, "PROGRAM");
    int total = 0;
    while (total < maxProgramTableEntries && scan.Next()) total++;
    if (total == 0) return true;
    ProgramEntry* table = static_cast<ProgramEntry*>(calloc(static_cast<size_t>(total), sizeof(ProgramEntry)));
    if (!table) return false;
    scan.InitRange(document, end, "PROGRAM");
    for (int i = 0; i < total && scan.Next(); i++) ReadProgramFields(scan, table[i]);
    *entries = table;
    *count = total;
    return true;
}

void LoadConfigModelFrom(ConfigModel* model, const char* document)
{
    memset(model, 0, sizeof *model);
    if (!document) return;
    const char* end = document + strlen(document);
    RecordScan users;
    users.InitRange(document, end, "USER");
    if (!users.Next()) return;  // no complete user record: the model stays empty

    ExtractTagInto<modelHeaderLimit>(document, "HEADER", model->header);
    ExtractTagInto<modelServerLimit>(document, "MYSQL_DSN", model->mysql.dataSource);
    ExtractTagInto<modelServerLimit>(document, "MYSQL_ROOT", model->mysql.user);
    ExtractTagInto<modelServerLimit>(document, "MYSQL_PWD", model->mysql.password);
    ExtractTagInto<modelServerLimit>(document, "MSSQL_DSN", model->sqlServer.dataSource);
    ExtractTagInto<modelServerLimit>(document, "MSSQL_ROOT", model->sqlServer.user);
    ExtractTagInto<modelServerLimit>(document, "MSSQL_PWD", model->sqlServer.password);

    do {
        UserRecord& user = model->userRecords[model->userRecordCount++];
        ReadRecordFieldInto<modelNameLimit>(users, "USERNAME", user.name);
        ReadRecordFieldInto<modelIdLimit>(users, "USERID", user.id);
        // Cut, not dropped: an empty password would let anybody in after the next save.
        ReadRecordFieldInto<modelIdLimit>(users, "USERPWD", user.password, cutLongValue);
        ReadRecordFieldInto<modelPermittedLimit>(users, "PROGRAMOK", user.permittedPrograms);
        char adminValue[modelAdminLimit + 1];
        ReadRecordFieldInto<modelAdminLimit>(users, "USERADMIN", adminValue);
        user.isAdmin = adminValue[0] == 'Y';
    } while (model->userRecordCount < maxConfigRecords && users.Next());

    RecordScan programs;
    programs.InitRange(document, end, "PROGRAM");
    while (model->programRecordCount < maxConfigRecords && programs.Next())
        ReadProgramFields(programs, model->programRecords[model->programRecordCount++]);
}

void LoadConfigModel() { LoadConfigModelFrom(&configModel, documentText); }

char* BuildConfigDocument(const ConfigModel* model)
{
    TextBuilder text;
    text.Init(16384);
    text.Append("<MARVITELKON>\r\n<HEADER>");
    text.AppendField(model->header);
    text.Append("</HEADER>\r\n<MYSQL><MYSQL_DSN>");
    text.AppendField(model->mysql.dataSource);
    text.Append("</MYSQL_DSN><MYSQL_ROOT>");
    text.AppendField(model->mysql.user);
    text.Append("</MYSQL_ROOT><MYSQL_PWD>");
    text.AppendField(model->mysql.password);
    text.Append("</MYSQL_PWD></MYSQL>\r\n<MSSQL><MSSQL_DSN>");
    text.AppendField(model->sqlServer.dataSource);
    text.Append("</MSSQL_DSN><MSSQL_ROOT>");
    text.AppendField(model->sqlServer.user);
    text.Append("</MSSQL_ROOT><MSSQL_PWD>");
    text.AppendField(model->sqlServer.password);
    text.Append("</MSSQL_PWD></MSSQL>\r\n<PROGRAMS>\r\n");
    for (int i = 0, n = ClampedCount(model->programRecordCount); i < n; i++) {
        const ProgramRecord& program = model->programRecords[i];
        if (program.deleted) continue;
        text.Append("  <PROGRAM><PROGRAMID>");
        text.AppendField(program.id);
        text.Append("</PROGRAMID><PROGRAMDESC>");
        text.AppendField(program.description);
        text.Append("</PROGRAMDESC><PROGRAMFULLPATH>");
        text.AppendField(program.fullPath);
        text.Append("</PROGRAMFULLPATH><PROGRAMALIAS>");
        text.AppendField(program.alias);
        text.Append("</PROGRAMALIAS><PROGRAMICON>");
        text.AppendField(program.iconFile);
        text.Append("</PROGRAMICON></PROGRAM>\r\n");
    }
    text.Append("</PROGRAMS>\r\n<USERS>\r\n");
    for (int i = 0, n = ClampedCount(model->userRecordCount); i < n; i++) {
        const UserRecord& user = model->userRecords[i];
        if (user.deleted) continue;
        text.Append("  <USER><USERNAME>");
        text.AppendField(user.name);
        text.Append("</USERNAME><USERID>");
        text.AppendField(user.id);
        text.Append("</USERID><USERPWD>");
        text.AppendField(user.password);
        text.Append("</USERPWD><USERADMIN>");
        text.Append(user.isAdmin ? "YES" : "NO");
        text.Append("</USERADMIN><PROGRAMOK>");
        text.AppendField(user.permittedPrograms);
        text.Append("</PROGRAMOK></USER>\r\n");
    }
    text.Append("</USERS>\r\n</MARVITELKON>\r\n");
    return text.Take();
}

bool SaveConfigDocument()
{
    char* text = BuildConfigDocument(&configModel);
    if (!text) {
        ReportSaveFailure();
        return false;
    }
    // The in-memory document is the new one even when the file cannot be written.
    ReplaceDocumentText(text);
    bool saved = SetCurrentDirectoryA(startDirectory) &&
                 SaveScrambledFile(configFileName, configurationKey, documentText, strlen(documentText));
    if (!saved) ReportSaveFailure();
    return saved;
}
