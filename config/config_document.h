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

// Reads one value tag at a series of positions of one document (the fields of one record after the
// other), each time with the result of ExtractTag(from, name, ...). Each search result is kept and
// reused while it still lies at or after the position asked for, so a scan over rising positions
// reads the document once per tag, however many records it has.
struct TagReader {
    char openTag[40];
    char closeTag[41];
    size_t openLength;
    size_t closeLength;
    const char* end;        // the document's terminator
    const char* openFrom;   // where the opening tag was last searched from (null: not yet)
    const char* openAt;     // what that search found (null: none)
    const char* closeFrom;
    const char* closeAt;

    // documentEnd is the terminating zero of the document that will be read. A name too long for
    // the tag fields gives a reader that always reads empty values.
    void Init(const char* documentEnd, const char* name);
    // The value of the tag, searched from "from" to the end of the document, into buffer (limit + 1
    // characters). Returns buffer.
    char* Read(const char* from, char* buffer, size_t limit);
};

// ExtractTag into a fixed field that can hold a value at the limit (checked when compiling).
template <size_t limit, size_t capacity>
inline char* ExtractTagInto(const char* text, const char* name, char (&field)[capacity])
{
    static_assert(limit < capacity, "the field cannot hold a value at the reader's limit");
    return ExtractTag(text, name, field, limit);
}

// Walks the records "<NAME>" ... "</NAME>" of a document in order. After a true Next, record points
// at the record's opening tag (its fields are read from there on, to the end of the document).
// The scan goes on after each record's closing tag and ends at the first opening tag that has no
// closing tag after it.
struct RecordScan {
    const char* record;
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

// The program table as the login builds it: one zeroed entry per "<PROGRAM>" in the document, filled
// in document order from the complete PROGRAM records. *entries is malloc'ed (null when count is 0);
// the caller owns it. Returns false only when memory runs out (then *entries is null, *count 0).
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
    char header[256];
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
    modelHeaderLimit = 255,
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
