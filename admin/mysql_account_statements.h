// Statements of the MySQL user manager, built without any window: the account list and the one
// account query, and what "Delete", "Update" and "Create" send. Two forms of server exist:
// - classic grant tables (MySQL up to 5.6, MariaDB up to 10.3): `mysql`.`user` is a base table with
//   a `Password` column, and the tool writes the grant tables directly;
// - account statements (MariaDB 10.4 and later, MySQL 5.7 and later): `mysql`.`user` is a view or
//   has no `Password` column, so writing it fails; the same jobs go through CREATE USER, GRANT,
//   REVOKE, ALTER USER and DROP USER.
// Typed values are escaped for a quoted MySQL text (quote and backslash doubled), so a value can
// neither end its text early nor start a second statement.
#pragma once

#include <stddef.h>

// Check boxes 401 to 428; the first 26 are written back, the last two (Event, Trigger) only shown.
const int mysqlPrivilegeCount = 28;
const int mysqlWrittenPrivilegeCount = 26;

struct MySqlPrivilege {
    int checkBoxId;
    const char* caption;     // the check box's text
    int readPosition;        // column of `mysql`.`user` it is loaded from, counted from 1
    const char* column;      // grant-table column written by the classic form; null when never written
    const char* keyword;     // privilege of GRANT/REVOKE ON *.*; null when never written
};

extern const MySqlPrivilege mysqlPrivileges[mysqlPrivilegeCount];

enum MySqlAccountForm {
    MySqlClassicGrantTables,
    MySqlAccountStatements,
};

// The list of every account and the statement that decides the form (one row: TABLE_TYPE of
// `mysql`.`user` and PASSWORD_COLUMNS, how many `Password` columns it has).
extern const char* const mysqlAccountListStatement;
extern const char* const mysqlAccountFormStatement;
extern const char* const mysqlFlushStatement;

// The form from what the form statement showed: classic only for a base table with a `Password`
// column. A failed query (a server without information_schema predates the account statements)
// counts as classic; no row at all (no `mysql`.`user` table to write) as account statements.
MySqlAccountForm ChooseMySqlAccountForm(int queryStatus, const char* tableType, const char* passwordColumns);

// value with every ' and \ doubled, into target. False (target empty) when it does not fit.
bool EscapeMySqlValue(const char* value, char* target, size_t capacity);

const size_t mysqlStatementCapacity = 4096;
const int mysqlMaxStatements = 5;

// Statements of one command, to be run in order, each only while every earlier one returned exactly
// 0; the last one is always "flush privileges".
struct MySqlStatements {
    int count;
    char text[mysqlMaxStatements][mysqlStatementCapacity];
};

// The one account query; false when it does not fit.
bool BuildMySqlAccountQuery(const char* user, const char* host, char* target, size_t capacity);

// granted: the 26 written check boxes in order, each 'Y' or 'N' (a text of 26 letters).
// All return false (and count 0) when a statement does not fit.
bool BuildMySqlDelete(MySqlAccountForm form, const char* user, const char* host, MySqlStatements* out);
// An empty password keeps the stored one.
bool BuildMySqlUpdate(MySqlAccountForm form, const char* user, const char* host, const char* password,
                      const char* granted, MySqlStatements* out);
// An empty password still sets one (the empty password).
bool BuildMySqlCreate(MySqlAccountForm form, const char* user, const char* host, const char* password,
                      const char* granted, MySqlStatements* out);
