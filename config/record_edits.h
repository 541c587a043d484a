// Window-free edits of the user-rights editor's model: the rights test and the rights list as the
// login reads them, and adding, changing and deleting program and user records. An edit never makes
// the document lose a right or grant one nobody chose: values that would break its tags and program
// IDs that a list cannot hold are refused, and a program's ID is changed or removed in every list
// that names it. IDs that name no program are left as they are.
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

// Rewrites every ID of a permitted-programs text equal to id (taken the way the login takes them) to
// replacement, in place, where it stands; a null or empty replacement removes the ID with its ";".
// Other IDs and any text after the last ";" stay as they are. Returns false, leaving list as it was,
// when the text would grow longer than permittedListLimit characters or the buffer.
bool ReplacePermittedId(char* list, size_t capacity, const char* id, const char* replacement);

// True when text holds "<" or ">": written into the document, it could end or begin a tag.
bool HoldsTagCharacter(const char* text);

// True when id can key a program: 1 to modelIdLimit characters (what the document reads back), and no
// ";" (which ends an ID in a permitted-programs list).
bool IsValidProgramId(const char* id);

// Outcome of a record edit.
enum RecordEditResult {
    recordDone = 0,
    recordDuplicate,  // another live record already has the ID
    recordFull,       // no room for one more record
    recordMissing,    // the record to change or delete is not there (or is deleted)
    recordBadProgramId,  // the program ID is empty, too long or holds ";"
    recordTagCharacter,  // a value holds "<" or ">"
    recordListTooLong,   // the new program ID would make a user's list longer than the login reads
};

// Index of the first live record with exactly this ID, or -1.
int FindProgramRecord(const ConfigModel* model, const char* id);
int FindUserRecord(const ConfigModel* model, const char* id);

// The values a record dialog enters; a text longer than the document reads back is cut to it (a
// program ID is refused instead).
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
// others); refused when a value holds "<" or ">", a program ID is not valid, the ID is taken or every
// slot holds a live record. *index receives the new record's index when given.
RecordEditResult AddProgramRecord(ConfigModel* model, const ProgramValues& values, int* index);
RecordEditResult AddUserRecord(ConfigModel* model, const UserValues& values, int* index);

// Overwrites the live record whose ID is currentId with values, refused as an add is: its ID may
// change, but not to one that another live record has. A user's permitted programs stay as they
// were. A program's new ID replaces the old one in every live user's list, in place; refused,
// changing nothing, when a list would grow longer than the login reads. Lists keep the old ID while
// another live program still has it.
RecordEditResult ChangeProgramRecord(ConfigModel* model, const char* currentId, const ProgramValues& values);
RecordEditResult ChangeUserRecord(ConfigModel* model, const char* currentId, const UserValues& values);

// Marks the first live record with this ID deleted. A program's ID leaves every live user's list
// (unless another live program still has it), so a program added later under it is granted to nobody.
RecordEditResult DeleteProgramRecord(ConfigModel* model, const char* id);
RecordEditResult DeleteUserRecord(ConfigModel* model, const char* id);
