// Window-free edits of the user-rights editor's model: the rights test and the rights list as the
// login reads them, and adding, changing and deleting program and user records.
#pragma once

#include "config/config_document.h"

#include <stddef.h>

// The longest permitted-programs text the login reads; a longer one would read as empty there.
enum { permittedListLimit = 1024 };

// True when id is one of the IDs of a permitted-programs text, taken the way the login takes them:
// the text up to each ";" is one ID, compared whole; text after the last ";" is no ID. An empty id
// is never permitted.
bool PermittedListHas(const char* list, const char* id);

// Appends "id;" to the text in list (a buffer of capacity characters) when the result stays within
// permittedListLimit characters and the buffer; otherwise leaves list as it was and returns false.
bool AppendPermittedId(char* list, size_t capacity, const char* id);

// Outcome of a record edit.
enum RecordEditResult {
    recordDone = 0,
    recordDuplicate,  // another live record already has the ID
    recordFull,       // no room for one more record
    recordMissing,    // the record to change or delete is not there (or is deleted)
};

// Index of the first live record with exactly this ID, or -1.
int FindProgramRecord(const ConfigModel* model, const char* id);
int FindUserRecord(const ConfigModel* model, const char* id);

// The values a record dialog enters; the texts are cut to the model's fields.
struct ProgramValues {
    const char* id;
    const char* description;
    const char* fullPath;
    const char* alias;
    const char* iconFile;
};
struct UserValues {
    const char* name;
    const char* id;
    const char* password;
    int isAdmin;
};

// Appends a live record. A full table first drops its deleted records (keeping the order of the
// others); refused when the ID is taken or every slot holds a live record. *index receives the new
// record's index when given.
RecordEditResult AddProgramRecord(ConfigModel* model, const ProgramValues& values, int* index);
RecordEditResult AddUserRecord(ConfigModel* model, const UserValues& values, int* index);

// Overwrites the live record whose ID is currentId with values: its ID may change, but not to one
// that another live record has. A user's permitted programs stay as they were.
RecordEditResult ChangeProgramRecord(ConfigModel* model, const char* currentId, const ProgramValues& values);
RecordEditResult ChangeUserRecord(ConfigModel* model, const char* currentId, const UserValues& values);

// Marks the first live record with this ID deleted.
RecordEditResult DeleteProgramRecord(ConfigModel* model, const char* id);
RecordEditResult DeleteUserRecord(ConfigModel* model, const char* id);
