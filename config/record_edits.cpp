#include "config/record_edits.h"

#include "support/bounded_text.h"

#include <string.h>

namespace {

void StoreProgram(ProgramRecord& record, const ProgramValues& values)
{
    CopyText(record.id, values.id);
    CopyText(record.description, values.description);
    CopyText(record.fullPath, values.fullPath);
    CopyText(record.alias, values.alias);
    CopyText(record.iconFile, values.iconFile);
    record.deleted = 0;
}

void StoreUser(UserRecord& record, const UserValues& values)
{
    CopyText(record.name, values.name);
    CopyText(record.id, values.id);
    CopyText(record.password, values.password);
    record.isAdmin = values.isAdmin ? 1 : 0;
    record.deleted = 0;
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

// True when a live record other than index has the ID as a record would store it (cut to the field).
template <class Record>
bool TakenByOther(const Record* records, int count, int index, const char* id)
{
    char stored[sizeof records[0].id];
    CopyText(stored, id);
    if (count > maxConfigRecords) count = maxConfigRecords;
    for (int i = 0; i < count; i++)
        if (i != index && !records[i].deleted && strcmp(records[i].id, stored) == 0) return true;
    return false;
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
    char id[sizeof model->programRecords[0].id];
    CopyText(id, values.id);
    if (FindProgramRecord(model, id) >= 0) return recordDuplicate;
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
    char id[sizeof model->userRecords[0].id];
    CopyText(id, values.id);
    if (FindUserRecord(model, id) >= 0) return recordDuplicate;
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
    int at = FindProgramRecord(model, currentId);
    if (at < 0) return recordMissing;
    if (TakenByOther(model->programRecords, model->programRecordCount, at, values.id)) return recordDuplicate;
    StoreProgram(model->programRecords[at], values);
    return recordDone;
}

RecordEditResult ChangeUserRecord(ConfigModel* model, const char* currentId, const UserValues& values)
{
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
    return recordDone;
}

RecordEditResult DeleteUserRecord(ConfigModel* model, const char* id)
{
    int at = FindUserRecord(model, id);
    if (at < 0) return recordMissing;
    model->userRecords[at].deleted = 1;
    return recordDone;
}
