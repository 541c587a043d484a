#include "config/record_edits.h"

#include "support/bounded_text.h"

#include <string.h>

namespace {

// A value cut to what the document reads back, so that a saved record reads back whole.
template <size_t capacity>
void StoreValue(char (&field)[capacity], const char* value, size_t limit)
{
    CopyTextPart(field, capacity, value, limit);
}

void StoreProgram(ProgramRecord& record, const ProgramValues& values)
{
    StoreValue(record.id, values.id, modelIdLimit);
    StoreValue(record.description, values.description, modelDescriptionLimit);
    StoreValue(record.fullPath, values.fullPath, modelPathLimit);
    StoreValue(record.alias, values.alias, modelAliasLimit);
    StoreValue(record.iconFile, values.iconFile, modelPathLimit);
    record.deleted = 0;
}

void StoreUser(UserRecord& record, const UserValues& values)
{
    StoreValue(record.name, values.name, modelNameLimit);
    StoreValue(record.id, values.id, modelIdLimit);
    StoreValue(record.password, values.password, modelIdLimit);
    record.isAdmin = values.isAdmin ? 1 : 0;
    record.deleted = 0;
}

template <size_t count>
bool AnyTagCharacter(const char* const (&texts)[count])
{
    for (const char* text : texts)
        if (HoldsTagCharacter(text)) return true;
    return false;
}

// Why the values of a program cannot be stored, or recordDone.
RecordEditResult CheckProgram(const ProgramValues& values)
{
    const char* const texts[] = {values.id, values.description, values.fullPath, values.alias, values.iconFile};
    if (AnyTagCharacter(texts)) return recordTagCharacter;
    return IsValidProgramId(values.id) ? recordDone : recordBadProgramId;
}

RecordEditResult CheckUser(const UserValues& values)
{
    const char* const texts[] = {values.name, values.id, values.password};
    return AnyTagCharacter(texts) ? recordTagCharacter : recordDone;
}

// Removes the deleted records of an array, keeping the order of the live ones; returns the new count.
template <class Record>
int DropDeleted(Record* records, int count)
{
    int kept = 0;
    for (int i = 0; i < count; i++) {
        if (records[i].deleted) continue;
        if (kept != i) records[kept] = records[i];
        kept++;
    }
    for (int i = kept; i < count; i++) memset(&records[i], 0, sizeof records[i]);
    return kept;
}

template <class Record>
int FindLive(const Record* records, int count, const char* id)
{
    if (!id) return -1;
    if (count > maxConfigRecords) count = maxConfigRecords;
    for (int i = 0; i < count; i++)
        if (!records[i].deleted && strcmp(records[i].id, id) == 0) return i;
    return -1;
}

// True when a live record other than index has the ID as a record would store it (cut to its limit).
template <class Record>
bool TakenByOther(const Record* records, int count, int index, const char* id)
{
    char stored[modelIdLimit + 1];
    CopyText(stored, id);
    if (count > maxConfigRecords) count = maxConfigRecords;
    for (int i = 0; i < count; i++)
        if (i != index && !records[i].deleted && strcmp(records[i].id, stored) == 0) return true;
    return false;
}

// Replaces (or, with a null replacement, removes) a program ID in the list of every live user; false,
// changing no list, when one would grow too long. Nothing changes while a live program other than
// the one at index still has the ID: the lists name that one.
bool ReplaceInLists(ConfigModel* model, int index, const char* id, const char* replacement)
{
    if (TakenByOther(model->programRecords, model->programRecordCount, index, id)) return true;
    int count = model->userRecordCount > maxConfigRecords ? maxConfigRecords : model->userRecordCount;
    char scratch[sizeof model->userRecords[0].permittedPrograms];
    for (int i = 0; i < count; i++) {
        if (model->userRecords[i].deleted) continue;
        CopyText(scratch, model->userRecords[i].permittedPrograms);
        if (!ReplacePermittedId(scratch, sizeof scratch, id, replacement)) return false;
    }
    for (int i = 0; i < count; i++) {
        UserRecord& user = model->userRecords[i];
        if (!user.deleted) ReplacePermittedId(user.permittedPrograms, sizeof user.permittedPrograms, id, replacement);
    }
    return true;
}

}  // namespace

bool PermittedListHas(const char* list, const char* id)
{
    if (!list || !id || !id[0]) return false;
    size_t length = strlen(id);
    for (const char* end = strchr(list, ';'); end; list = end + 1, end = strchr(list, ';'))
        if (static_cast<size_t>(end - list) == length && memcmp(list, id, length) == 0) return true;
    return false;
}

bool ReplacePermittedId(char* list, size_t capacity, const char* id, const char* replacement)
{
    if (!list || capacity == 0) return false;
    if (!id || !id[0]) return true;  // no ID is empty
    if (!replacement) replacement = "";
    size_t length = strnlen(list, capacity);
    if (length >= capacity) return false;
    // A rewritten ID loses its own characters and gains the replacement's; a removed one also its ";".
    size_t idLength = strlen(id), added = strlen(replacement);
    size_t removed = added ? idLength : idLength + 1;
    size_t newLength = length;
    for (const char *at = list, *end = strchr(at, ';'); end; at = end + 1, end = strchr(at, ';'))
        if (static_cast<size_t>(end - at) == idLength && memcmp(at, id, idLength) == 0) newLength = newLength - removed + added;
    if (newLength > length && (newLength > permittedListLimit || newLength >= capacity)) return false;
    // Every rewrite changes the length the same way, so the text never outgrows the longer of the two.
    for (char *at = list, *end = strchr(at, ';'); end; end = strchr(at, ';')) {
        if (static_cast<size_t>(end - at) != idLength || memcmp(at, id, idLength) != 0) {
            at = end + 1;
            continue;
        }
        memmove(at + added, at + removed, strlen(at + removed) + 1);
        memcpy(at, replacement, added);
        if (added) at += added + 1;
    }
    return true;
}

bool HoldsTagCharacter(const char* text)
{
    return text && strpbrk(text, "<>") != nullptr;
}

bool IsValidProgramId(const char* id)
{
    return id && id[0] && strlen(id) <= modelIdLimit && !strchr(id, ';');
}

bool AppendPermittedId(char* list, size_t capacity, const char* id)
{
    if (!list || !id || capacity == 0) return false;
    size_t used = strnlen(list, capacity);
    size_t grown = used + strlen(id) + 1;
    if (used >= capacity || grown > permittedListLimit || grown >= capacity) return false;
    memcpy(list + used, id, grown - used - 1);
    list[grown - 1] = ';';
    list[grown] = '\0';
    return true;
}

int FindProgramRecord(const ConfigModel* model, const char* id)
{
    return FindLive(model->programRecords, model->programRecordCount, id);
}

int FindUserRecord(const ConfigModel* model, const char* id)
{
    return FindLive(model->userRecords, model->userRecordCount, id);
}

RecordEditResult AddProgramRecord(ConfigModel* model, const ProgramValues& values, int* index)
{
    RecordEditResult check = CheckProgram(values);
    if (check != recordDone) return check;
    if (TakenByOther(model->programRecords, model->programRecordCount, -1, values.id)) return recordDuplicate;
    if (model->programRecordCount >= maxConfigRecords)
        model->programRecordCount = DropDeleted(model->programRecords, maxConfigRecords);
    if (model->programRecordCount >= maxConfigRecords) return recordFull;
    int at = model->programRecordCount < 0 ? 0 : model->programRecordCount;
    StoreProgram(model->programRecords[at], values);
    model->programRecordCount = at + 1;
    if (index) *index = at;
    return recordDone;
}

RecordEditResult AddUserRecord(ConfigModel* model, const UserValues& values, int* index)
{
    RecordEditResult check = CheckUser(values);
    if (check != recordDone) return check;
    if (TakenByOther(model->userRecords, model->userRecordCount, -1, values.id)) return recordDuplicate;
    if (model->userRecordCount >= maxConfigRecords)
        model->userRecordCount = DropDeleted(model->userRecords, maxConfigRecords);
    if (model->userRecordCount >= maxConfigRecords) return recordFull;
    int at = model->userRecordCount < 0 ? 0 : model->userRecordCount;
    UserRecord& record = model->userRecords[at];
    StoreUser(record, values);
    record.permittedPrograms[0] = '\0';
    model->userRecordCount = at + 1;
    if (index) *index = at;
    return recordDone;
}

RecordEditResult ChangeProgramRecord(ConfigModel* model, const char* currentId, const ProgramValues& values)
{
    RecordEditResult check = CheckProgram(values);
    if (check != recordDone) return check;
    int at = FindProgramRecord(model, currentId);
    if (at < 0) return recordMissing;
    if (TakenByOther(model->programRecords, model->programRecordCount, at, values.id)) return recordDuplicate;
    ProgramRecord& record = model->programRecords[at];
    if (strcmp(record.id, values.id) != 0 && !ReplaceInLists(model, at, record.id, values.id)) return recordListTooLong;
    StoreProgram(record, values);
    return recordDone;
}

RecordEditResult ChangeUserRecord(ConfigModel* model, const char* currentId, const UserValues& values)
{
    RecordEditResult check = CheckUser(values);
    if (check != recordDone) return check;
    int at = FindUserRecord(model, currentId);
    if (at < 0) return recordMissing;
    if (TakenByOther(model->userRecords, model->userRecordCount, at, values.id)) return recordDuplicate;
    StoreUser(model->userRecords[at], values);
    return recordDone;
}

RecordEditResult DeleteProgramRecord(ConfigModel* model, const char* id)
{
    int at = FindProgramRecord(model, id);
    if (at < 0) return recordMissing;
    model->programRecords[at].deleted = 1;
    ReplaceInLists(model, at, model->programRecords[at].id, nullptr);  // removing never grows a list
    return recordDone;
}

RecordEditResult DeleteUserRecord(ConfigModel* model, const char* id)
{
    int at = FindUserRecord(model, id);
    if (at < 0) return recordMissing;
    model->userRecords[at].deleted = 1;
    return recordDone;
}
