// Statements of the MySQL user manager, built without any window: the account list and the one
// account query, and what "Delete", "Update" and "Create" send. Two forms of server exist:
// - classic grant tables (MySQL up to 5.6, MariaDB up to 10.3): `mysql`.`user` is a base table with
//   a `Password` column, and the tool writes the grant tables directly;
// - account statements (MariaDB 10.4 and later, MySQL 5.7 and later): `mysql`.`user` is a view or
//   has no `Password` column, so writing it fails; the same jobs go through CREATE USER, GRANT,
//   REVOKE, ALTER USER and DROP USER.
// Typed values are escaped for a quoted MySQL text in the session's mode (quotes doubled, and
// backslashes too unless the mode has NO_BACKSLASH_ESCAPES, where a backslash is an ordinary
// character), so a value can neither end its text early nor start a second statement, and the
// server keeps exactly what was typed.
#pragma once

#include <stddef.h>

// Check boxes 401 to 428; the first 26 are written back, the last two (Event, Trigger) only shown.
const int mysqlPrivilegeCount = 28;
const int mysqlWrittenPrivilegeCount = 26;

// The longest account names any server keeps (user names: 80 on MariaDB, 32 on MySQL; host names:
// 255 on MySQL 8.0.17 and MariaDB, 60 before) and the longest password the tool sends. The fields
// take exactly this much, so what is typed or listed is what the statements name.
const int mysqlUserLimit = 80;
const int mysqlHostLimit = 255;
const int mysqlPasswordLimit = 128;

struct MySqlPrivilege {
    int checkBoxId;
    const char* caption;     // the check box's text
    const char* column;      // column of `mysql`.`user`: read by this name on every layout (the
                             // positions differ: current MySQL has no `Password` column), and
                             // written by the classic form for the first 26
    const char* keyword;     // privilege of GRANT/REVOKE ON *.*; null when never written
};

extern const MySqlPrivilege mysqlPrivileges[mysqlPrivilegeCount];

enum MySqlAccountForm {
    MySqlClassicGrantTables,
    MySqlAccountStatements,
};

// The grant table the accounts are read from.
extern const char* const mysqlAccountTable;  // "`mysql`.`user`"

// The statement that decides the form (one row: TABLE_TYPE of `mysql`.`user` and PASSWORD_COLUMNS,
// how many `Password` columns it has).
extern const char* const mysqlAccountFormStatement;
extern const char* const mysqlFlushStatement;

// The form from what the form statement showed: classic only for a base table with a `Password`
// column. A failed query (a server without information_schema predates the account statements)
// counts as classic; no row at all (no `mysql`.`user` table to write) as account statements.
MySqlAccountForm ChooseMySqlAccountForm(int queryStatus, const char* tableType, const char* passwordColumns);

// How the server reads a backslash inside a quoted text.
enum MySqlQuoting {
    MySqlBackslashEscapes,    // an escape: written doubled
    MySqlNoBackslashEscapes,  // sql_mode NO_BACKSLASH_ESCAPES: an ordinary character, written as is
};

// The statement that reads the session's mode (one row, one column) and the quoting it gives: the
// mode's list holds NO_BACKSLASH_ESCAPES. A failed query counts as backslash escapes, since doubled
// backslashes can alter a value in the other mode but never end its text.
extern const char* const mysqlSqlModeStatement;  // "select @@SESSION.sql_mode"
MySqlQuoting ChooseMySqlQuoting(int queryStatus, const char* sqlMode);

// value with every ' doubled, and every \ too for backslash escapes, into target. False (target
// empty) when it does not fit.
bool EscapeMySqlValue(const char* value, MySqlQuoting quoting, char* target, size_t capacity);

const size_t mysqlStatementCapacity = 4096;
const int mysqlMaxStatements = 5;

// Statements of one command, to be run in order, each only while every earlier one returned exactly
// 0; the last one is always "flush privileges".
struct MySqlStatements {
    int count;
    char text[mysqlMaxStatements][mysqlStatementCapacity];
};

// "select * from TABLE" for the list, and the one account query on table; false when it does not fit.
bool BuildMySqlAccountList(const char* table, char* target, size_t capacity);
bool BuildMySqlAccountQuery(const char* table, MySqlQuoting quoting, const char* user, const char* host, char* target,
                            size_t capacity);

// Splits a list entry "user@host" at its last "@" (a host never holds one; a user name may). False
// when there is no "@" or a part is longer than its field (mysqlUserLimit, mysqlHostLimit): such an
// entry is never cut, since a cut name names another account.
bool SplitMySqlAccountEntry(const char* entry, char* user, size_t userCapacity, char* host, size_t hostCapacity);

// granted: the 26 written check boxes in order, each 'Y' or 'N' (a text of 26 letters).
// All return false (and count 0) when a statement does not fit.
bool BuildMySqlDelete(MySqlAccountForm form, MySqlQuoting quoting, const char* user, const char* host,
                      MySqlStatements* out);
// An empty password keeps the stored one.
bool BuildMySqlUpdate(MySqlAccountForm form, MySqlQuoting quoting, const char* user, const char* host,
                      const char* password, const char* granted, MySqlStatements* out);
// An empty password still sets one (the empty password).
bool BuildMySqlCreate(MySqlAccountForm form, MySqlQuoting quoting, const char* user, const char* host,
                      const char* password, const char* granted, MySqlStatements* out);
