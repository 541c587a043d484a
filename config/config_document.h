// The configuration document Marvitelkon.ini: tag extraction, the record scan, the program table the
// login builds, and the user-rights editor's model with its reader and writer.
#pragma once

#include <stddef.h>

// The fixed key with which Marvitelkon.ini is scrambled on disk.
extern const char* const configurationKey;
// Name of the document in the start directory.
extern const char* const configFileName;

// Value of <name>...</name>, both tags searched from the start of text to its end, copied into
// buffer (which holds limit + 1 characters). Missing tags, a closing tag before the opening one, or
// a value longer than limit give an empty text; a value is never cut. Returns buffer.
char* ExtractTag(const char* text, const char* name, char* buffer, size_t limit);

// What a value tag held: no value (a tag missing, or the closing tag first), a value longer than the
// reader's limit, or a value within it.
enum TagValue { tagMissing, tagTooLong, tagPresent };

// What a reader does with a value longer than its limit: drop it (read as empty) or keep its first
// limit characters.
enum LongValue { dropLongValue, cutLongValue };

// Reads one value tag at a series of positions of one text that ends at a given point (a whole
// document, or one record up to its own closing tag), each time as ExtractTag(from, name, ...)
// would with the text ending there. Each search result is kept and reused while it still lies at or
// after the position asked for, so a scan over rising positions reads the text once per tag.
struct TagReader {
    char openTag[40];
    char closeTag[41];
    size_t openLength;
    size_t closeLength;
    const char* end;        // where the text ends: nothing at or after it is read
    const char* openFrom;   // where the opening tag was last searched from (null: not yet)
    const char* openAt;     // what that search found (null: none)
    const char* closeFrom;
    const char* closeAt;

    // textEnd is the end of the text that will be read (a document's terminator, or a record's
    // closing tag). A name too long for the tag fields gives a reader that always reads empty values.
    void Init(const char* textEnd, const char* name);
    // The value of the tag, searched from "from" to the end of the text, into buffer (limit + 1
    // characters). Returns buffer.
    char* Read(const char* from, char* buffer, size_t limit);
    // Like Read, telling what the tag held; a value over the limit is dropped or cut as asked.
    TagValue Find(const char* from, char* buffer, size_t limit, LongValue longValue = dropLongValue);
};

// ExtractTag into a fixed field that can hold a value at the limit (checked when compiling).
template <size_t limit, size_t capacity>
inline char* ExtractTagInto(const char* text, const char* name, char (&field)[capacity])
{
    static_assert(limit < capacity, "the field cannot hold a value at the reader's limit");
    return ExtractTag(text, name, field, limit);
}

// Walks the records "<NAME>" ... "</NAME>" of a document in order. A record runs from an opening
// tag to the first closing tag after it; when further opening tags come before that closing tag,
// the record is the one that begins at the last of them (the earlier ones have no end of their own
// and are no records). After a true Next, record points at the record's opening tag and recordEnd at
// its closing tag; its fields are read between the two (ReadRecordField). The scan goes on after
// each record's closing tag and ends at the first opening tag that has no closing tag after it.
struct RecordScan {
    const char* record;
    const char* recordEnd;
    const char* searchFrom;  // null once the scan has ended
    const char* end;         // the document's terminator
    char openTag[40];
    char closeTag[41];
    size_t openLength;
    size_t closeLength;

    void Init(const char* document, const char* name);
    // Like Init, for a document whose terminator is already known.
    void InitRange(const char* document, const char* documentEnd, const char* name);
    bool Next();
};

// Value of <name>...</name> inside the record the scan stands on (between its opening and its own
// closing tag, never beyond), into buffer (limit + 1 characters); what the tag held. Without a
// current record the tag is missing.
TagValue ReadRecordField(const RecordScan& scan, const char* name, char* buffer, size_t limit,
                         LongValue longValue = dropLongValue);

// ReadRecordField into a fixed field that can hold a value at the limit (checked when compiling).
template <size_t limit, size_t capacity>
inline TagValue ReadRecordFieldInto(const RecordScan& scan, const char* name, char (&field)[capacity],
                                    LongValue longValue = dropLongValue)
{
    static_assert(limit < capacity, "the field cannot hold a value at the reader's limit");
    return ReadRecordField(scan, name, field, limit, longValue);
}

// Number of occurrences of "<NAME>" in the document.
int CountRecordTags(const char* document, const char* name);

// One program of the Session's program table.
struct ProgramEntry {
    char id[17];
    char description[121];
    char fullPath[261];
    char alias[61];
    char iconFile[261];
};

// Most entries the program table holds: the most programs the main window can show, since a
// permitted list of 1024 characters names at most 512 IDs (each at least one character and ";").
enum { maxProgramTableEntries = 512 };

// The program table as the login builds it: one entry per complete PROGRAM record, in document
// order, each field read inside its own record; at most maxProgramTableEntries entries. *entries is
// malloc'ed (null when count is 0); the caller owns it. Returns false only when memory runs out (then
// *entries is null, *count 0).
bool BuildProgramTable(const char* document, ProgramEntry** entries, int* count);

enum { maxConfigRecords = 100 };

struct ServerCredentials {
    char dataSource[128];
    char user[128];
    char password[128];
};

struct ProgramRecord {
    char id[128];
    char description[128];
    char fullPath[260 + 1];
    char iconFile[260 + 1];
    char alias[128];
    int deleted;
};

struct UserRecord {
    char name[128];
    char id[128];
    char password[128];
    int isAdmin;
    char permittedPrograms[1028];
    int deleted;
};

// The user-rights editor's model of the document; rebuilt from documentText by LoadConfigModel.
struct ConfigModel {
    char header[1024 + 1];
    ServerCredentials mysql;
    ServerCredentials sqlServer;
    ProgramRecord programRecords[maxConfigRecords];
    int programRecordCount;
    UserRecord userRecords[maxConfigRecords];
    int userRecordCount;
};

extern ConfigModel configModel;

// Limits with which LoadConfigModel reads the values.
enum {
    // The header as far as the login reads it, so that no header it shows is lost by a save.
    modelHeaderLimit = 1024,
    modelServerLimit = 100,
    modelIdLimit = 16,
    modelDescriptionLimit = 120,
    modelPathLimit = 260,
    modelAliasLimit = 60,
    modelNameLimit = 100,
    modelAdminLimit = 16,
    // The login reads permitted lists up to 1024 characters; the editor reads them as far, so that
    // no right it cannot show is dropped by a save.
    modelPermittedLimit = 1024,
};

// Rebuilds the model from a document text (documentText when null is passed to LoadConfigModel).
// Every field of a user or program is read inside its own record. A stored password longer than its
// limit is kept cut to the limit (a rewrite must not turn it into an empty one, which anybody could
// type); every other value longer than its limit reads as empty.
void LoadConfigModelFrom(ConfigModel* model, const char* document);
void LoadConfigModel();

// The document text of a model in the canonical layout (malloc'ed, zero-terminated; null when memory
// runs out).
char* BuildConfigDocument(const ConfigModel* model);

// Rebuilds documentText from configModel and writes Marvitelkon.ini in the start directory through
// SaveScrambledFile: a temporary file of this save's own replaces it in one step, so that readers
// and other saves running at the same time see the old or the new document, whole, and a failure
// leaves the old file as it was; a failure is reported by a "Hibaüzenet" message box and a false
// result.
bool SaveConfigDocument();
