// Statements the SQL Server tools send, built without any window and escaped as FillStatement says
// (the backup's own statements are in backup/sql_server_backup_text.h).
#pragma once

#include "backup/sql_server_backup_text.h"

#include <stddef.h>

// The eight fixed server roles in table order: the order of the check boxes 401..408 and of the
// statements Modify and Create send. Each name is also the column of the role query.
const int sqlServerRoleCount = 8;
extern const char* const sqlServerRoles[sqlServerRoleCount];

extern const char* const sqlServerLoginListQuery;     // column "name"
extern const char* const sqlServerDatabaseListQuery;  // column "name"

// The statements of the login manager (FillStatement fills them). Each returns false (target empty)
// when the statement does not fit into capacity.
bool BuildLoginRolesQuery(char* target, size_t capacity, const char* login);
bool BuildDropLogin(char* target, size_t capacity, const char* login);
bool BuildRoleChange(char* target, size_t capacity, bool add, const char* login, const char* role);
bool BuildCreateLogin(char* target, size_t capacity, const char* login, const char* password);

// A role column read as an integer: optional blanks, an optional sign, then the leading decimal
// digits; no digits give 0. Only zero or not zero matters to the callers, so large values saturate.
long RoleValue(const char* text);
