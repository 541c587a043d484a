#include "admin/mysql_account_statements.h"

#include "support/bounded_text.h"

#include <string.h>

#include <initializer_list>

const MySqlPrivilege mysqlPrivileges[mysqlPrivilegeCount] = {
    {401, "Select", "Select_priv", "SELECT"},
    {402, "Insert", "Insert_priv", "INSERT"},
    {403, "Update", "Update_priv", "UPDATE"},
    {404, "Delete", "Delete_priv", "DELETE"},
    {405, "Create", "Create_priv", "CREATE"},
    {406, "Drop", "Drop_priv", "DROP"},
    {407, "Reload", "Reload_priv", "RELOAD"},
    {408, "Shutdown", "Shutdown_priv", "SHUTDOWN"},
    {409, "Process", "Process_priv", "PROCESS"},
    {410, "File", "File_priv", "FILE"},
    {411, "Grant", "Grant_priv", "GRANT OPTION"},
    {412, "References", "References_priv", "REFERENCES"},
    {413, "Index", "Index_priv", "INDEX"},
    {414, "Alter", "Alter_priv", "ALTER"},
    {415, "Show db", "Show_db_priv", "SHOW DATABASES"},
    {416, "Super priv", "Super_priv", "SUPER"},
    {417, "Create tmp table", "Create_tmp_table_priv", "CREATE TEMPORARY TABLES"},
    {418, "Lock table", "Lock_tables_priv", "LOCK TABLES"},
    {419, "Execute", "Execute_priv", "EXECUTE"},
    {420, "Repl.save", "Repl_slave_priv", "REPLICATION SLAVE"},
    {421, "Repl.client", "Repl_client_priv", "REPLICATION CLIENT"},
    {422, "Create view", "Create_view_priv", "CREATE VIEW"},
    {423, "Show view", "Show_view_priv", "SHOW VIEW"},
    {424, "Create routine", "Create_routine_priv", "CREATE ROUTINE"},
    {425, "Alter routine", "Alter_routine_priv", "ALTER ROUTINE"},
    {426, "Create user", "Create_user_priv", "CREATE USER"},
    {427, "Event", "Event_priv", nullptr},
    {428, "Trigger", "Trigger_priv", nullptr},
};

const char* const mysqlAccountTable = "`mysql`.`user`";
const char* const mysqlAccountFormStatement =
    "select `TABLE_TYPE`, (select count(*) from `information_schema`.`COLUMNS` where `TABLE_SCHEMA` = 'mysql'"
    " and `TABLE_NAME` = 'user' and `COLUMN_NAME` = 'Password') as `PASSWORD_COLUMNS`"
    " from `information_schema`.`TABLES` where `TABLE_SCHEMA` = 'mysql' and `TABLE_NAME` = 'user'";
const char* const mysqlFlushStatement = "flush privileges";
const char* const mysqlSqlModeStatement = "select @@SESSION.sql_mode";

namespace {

const char* const accountListFormat = "select * from %s";
const char* const accountQueryFormat = "select * from %s where `user` = '%s' and `host` = '%s'";
const char* const classicDeleteFormat = "delete from `mysql`.`%s` where `user` = '%s' and `host` = '%s'";
const char* const classicPasswordFormat = "`Password` = password('%s'),";

// Runs of blanks inside these two are part of the statements as the tool has always sent them.
const char* const classicUpdateFormat =
    "update `mysql`.`user` set %s`Select_priv` = '%s', `Insert_priv` = '%s', `Update_priv` = '%s'"
    ", `Delete_priv` = '%s',  `Create_priv` = '%s', `Drop_priv` = '%s', `Reload_priv` = '%s'"
    ", `Shutdown_priv` = '%s', `Process_priv` = '%s',  `File_priv` = '%s', `Grant_priv` = '%s'"
    ", `References_priv` = '%s', `Index_priv` = '%s', `Alter_priv` = '%s'"
    ",       `Show_db_priv` = '%s', `Super_priv` = '%s', `Create_tmp_table_priv` = '%s'"
    ", `Lock_tables_priv` = '%s', `Execute_priv` = '%s', `Repl_slave_priv` = '%s'"
    ", `Repl_client_priv` = '%s', `Create_view_priv` = '%s', `Show_view_priv` = '%s'"
    ", `Create_routine_priv` = '%s', `Alter_routine_priv` = '%s', `Create_user_priv` = '%s'"
    ", `ssl_cipher` = ''      where `host` = '%s' and `user` = '%s'";

const char* const classicCreateFormat =
    "insert into `mysql`.`user` ( `Host`, `User`, `Password`, `Select_priv`, `Insert_priv`"
    ", `Update_priv`, `Delete_priv`,  `Create_priv`, `Drop_priv`, `Reload_priv`, `Shutdown_priv`"
    ", `Process_priv`,  `File_priv`, `Grant_priv`, `References_priv`, `Index_priv`, `Alter_priv`"
    ",       `Show_db_priv`, `Super_priv`, `Create_tmp_table_priv`, `Lock_tables_priv`"
    ", `Execute_priv`, `Repl_slave_priv`, `Repl_client_priv`, `Create_view_priv`, `Show_view_priv`"
    ", `Create_routine_priv`, `Alter_routine_priv`, `Create_user_priv`, `ssl_cipher`, `x509_issuer`"
    ", `x509_subject`      ) values ( '%s', '%s', PASSWORD('%s'), '%s', '%s', '%s', '%s', '%s', '%s'"
    ", '%s', '%s', '%s', '%s', '%s', '%s', '%s', '%s', '%s', '%s', '%s', '%s', '%s', '%s', '%s'"
    ", '%s', '%s', '%s', '%s', '%s', '', '', '')";

const size_t valueCapacity = 2 * mysqlHostLimit + 1;  // the longest field with every character doubled

// Fills each "%s" of format with the next of args; false when the result does not fit.
bool Format(char* target, size_t capacity, const char* format, const char* const* args, int count)
{
    size_t length = 0;
    int used = 0;
    if (capacity == 0) return false;
    target[0] = 0;
    for (const char* p = format; *p; p++) {
        const char* piece = p;
        size_t pieceLength = 1;
        if (p[0] == '%' && p[1] == 's') {
            if (used >= count) return false;
            piece = args[used++];
            pieceLength = strlen(piece);
            p++;
        }
        if (length + pieceLength >= capacity) {
            target[0] = 0;
            return false;
        }
        memcpy(target + length, piece, pieceLength);
        length += pieceLength;
        target[length] = 0;
    }
    return true;
}

// The user and host of an account, escaped; false when either is too long.
struct Account {
    char user[valueCapacity];
    char host[valueCapacity];
    char password[valueCapacity];
    bool Set(MySqlQuoting quoting, const char* userText, const char* hostText, const char* passwordText)
    {
        return EscapeMySqlValue(userText, quoting, user, sizeof user) &&
               EscapeMySqlValue(hostText, quoting, host, sizeof host) &&
               EscapeMySqlValue(passwordText ? passwordText : "", quoting, password, sizeof password);
    }
};

bool Add(MySqlStatements* out, const char* format, const char* const* args, int count)
{
    if (out->count >= mysqlMaxStatements) return false;
    if (!Format(out->text[out->count], mysqlStatementCapacity, format, args, count)) return false;
    out->count++;
    return true;
}

bool Fail(MySqlStatements* out)
{
    out->count = 0;
    return false;
}

bool Granted(const char* granted, int index)
{
    return granted && static_cast<int>(strlen(granted)) > index && granted[index] == 'Y';
}

// "GRANT a, b ON *.* TO 'u'@'h'" for the boxes that are (grant) or are not (revoke) ticked; nothing
// when there is no such box. GRANT OPTION goes after WITH in a grant.
bool AddGrantOrRevoke(MySqlStatements* out, bool grant, const Account& account, const char* granted)
{
    char list[1024] = "";
    bool grantOption = false;
    for (int i = 0; i < mysqlWrittenPrivilegeCount; i++) {
        if (Granted(granted, i) != grant) continue;
        if (grant && strcmp(mysqlPrivileges[i].keyword, "GRANT OPTION") == 0) {
            grantOption = true;
            continue;
        }
        if (list[0]) AppendText(list, sizeof list, ", ");
        AppendText(list, sizeof list, mysqlPrivileges[i].keyword);
    }
    if (!list[0] && !grantOption) return true;
    if (grant) {
        const char* args[] = {list[0] ? list : "USAGE", account.user, account.host,
                              grantOption ? " WITH GRANT OPTION" : ""};
        return Add(out, "GRANT %s ON *.* TO '%s'@'%s'%s", args, 4);
    }
    const char* args[] = {list, account.user, account.host};
    return Add(out, "REVOKE %s ON *.* FROM '%s'@'%s'", args, 3);
}

bool AddFlush(MySqlStatements* out)
{
    return Add(out, mysqlFlushStatement, nullptr, 0);
}

}  // namespace

MySqlAccountForm ChooseMySqlAccountForm(int queryStatus, const char* tableType, const char* passwordColumns)
{
    if (queryStatus == 100) return MySqlAccountStatements;
    if (queryStatus != 0) return MySqlClassicGrantTables;
    bool baseTable = tableType && strcmp(tableType, "BASE TABLE") == 0;
    bool hasPassword = passwordColumns && passwordColumns[0] && strcmp(passwordColumns, "0") != 0;
    return baseTable && hasPassword ? MySqlClassicGrantTables : MySqlAccountStatements;
}

MySqlQuoting ChooseMySqlQuoting(int queryStatus, const char* sqlMode)
{
    const char* wanted = "NO_BACKSLASH_ESCAPES";
    size_t size = strlen(wanted);
    // The mode is a comma-separated list of names in capitals.
    for (const char* p = queryStatus == 0 && sqlMode ? sqlMode : ""; *p; p++) {
        if ((p == sqlMode || p[-1] == ',') && strncmp(p, wanted, size) == 0 && (p[size] == ',' || !p[size]))
            return MySqlNoBackslashEscapes;
    }
    return MySqlBackslashEscapes;
}

bool EscapeMySqlValue(const char* value, MySqlQuoting quoting, char* target, size_t capacity)
{
    size_t length = 0;
    if (capacity == 0) return false;
    target[0] = 0;
    for (const char* p = value ? value : ""; *p; p++) {
        bool twice = *p == '\'' || (*p == '\\' && quoting == MySqlBackslashEscapes);
        if (length + (twice ? 2 : 1) >= capacity) {
            target[0] = 0;
            return false;
        }
        target[length++] = *p;
        if (twice) target[length++] = *p;
    }
    target[length] = 0;
    return true;
}

bool BuildMySqlAccountList(const char* table, char* target, size_t capacity)
{
    const char* args[] = {table};
    return Format(target, capacity, accountListFormat, args, 1);
}

bool BuildMySqlAccountQuery(const char* table, MySqlQuoting quoting, const char* user, const char* host, char* target,
                            size_t capacity)
{
    Account account;
    if (!account.Set(quoting, user, host, "")) {
        if (capacity) target[0] = 0;
        return false;
    }
    const char* args[] = {table, account.user, account.host};
    return Format(target, capacity, accountQueryFormat, args, 3);
}

bool SplitMySqlAccountEntry(const char* entry, char* user, size_t userCapacity, char* host, size_t hostCapacity)
{
    if (userCapacity) user[0] = 0;
    if (hostCapacity) host[0] = 0;
    const char* at = entry ? strrchr(entry, '@') : nullptr;
    if (!at) return false;
    size_t userLength = static_cast<size_t>(at - entry);
    if (userLength > static_cast<size_t>(mysqlUserLimit) || userLength >= userCapacity ||
        strlen(at + 1) > static_cast<size_t>(mysqlHostLimit) || !TextFits(at + 1, hostCapacity))
        return false;
    CopyTextPart(user, userCapacity, entry, userLength);
    CopyText(host, hostCapacity, at + 1);
    return true;
}

bool BuildMySqlDelete(MySqlAccountForm form, MySqlQuoting quoting, const char* user, const char* host,
                      MySqlStatements* out)
{
    out->count = 0;
    Account account;
    if (!account.Set(quoting, user, host, "")) return Fail(out);
    if (form == MySqlClassicGrantTables) {
        for (const char* table : {"user", "db", "tables_priv", "columns_priv"}) {
            const char* args[] = {table, account.user, account.host};
            if (!Add(out, classicDeleteFormat, args, 3)) return Fail(out);
        }
    } else {
        const char* args[] = {account.user, account.host};
        if (!Add(out, "DROP USER '%s'@'%s'", args, 2)) return Fail(out);
    }
    return AddFlush(out) || Fail(out);
}

bool BuildMySqlUpdate(MySqlAccountForm form, MySqlQuoting quoting, const char* user, const char* host,
                      const char* password, const char* granted, MySqlStatements* out)
{
    out->count = 0;
    Account account;
    if (!account.Set(quoting, user, host, password)) return Fail(out);
    bool newPassword = password && password[0];
    if (form == MySqlClassicGrantTables) {
        char clause[valueCapacity + 64] = "";
        if (newPassword) {
            const char* passwordArg[] = {account.password};
            if (!Format(clause, sizeof clause, classicPasswordFormat, passwordArg, 1)) return Fail(out);
        }
        const char* args[1 + mysqlWrittenPrivilegeCount + 2];
        args[0] = clause;
        for (int i = 0; i < mysqlWrittenPrivilegeCount; i++) args[1 + i] = Granted(granted, i) ? "Y" : "N";
        args[1 + mysqlWrittenPrivilegeCount] = account.host;
        args[2 + mysqlWrittenPrivilegeCount] = account.user;
        if (!Add(out, classicUpdateFormat, args, 3 + mysqlWrittenPrivilegeCount)) return Fail(out);
    } else {
        if (newPassword) {
            const char* args[] = {account.user, account.host, account.password};
            if (!Add(out, "ALTER USER '%s'@'%s' IDENTIFIED BY '%s'", args, 3)) return Fail(out);
        }
        if (!AddGrantOrRevoke(out, true, account, granted) || !AddGrantOrRevoke(out, false, account, granted))
            return Fail(out);
    }
    return AddFlush(out) || Fail(out);
}

bool BuildMySqlCreate(MySqlAccountForm form, MySqlQuoting quoting, const char* user, const char* host,
                      const char* password, const char* granted, MySqlStatements* out)
{
    out->count = 0;
    Account account;
    if (!account.Set(quoting, user, host, password)) return Fail(out);
    if (form == MySqlClassicGrantTables) {
        const char* args[3 + mysqlWrittenPrivilegeCount];
        args[0] = account.host;
        args[1] = account.user;
        args[2] = account.password;
        for (int i = 0; i < mysqlWrittenPrivilegeCount; i++) args[3 + i] = Granted(granted, i) ? "Y" : "N";
        if (!Add(out, classicCreateFormat, args, 3 + mysqlWrittenPrivilegeCount)) return Fail(out);
    } else {
        const char* args[] = {account.user, account.host, account.password};
        if (!Add(out, "CREATE USER '%s'@'%s' IDENTIFIED BY '%s'", args, 3)) return Fail(out);
        if (!AddGrantOrRevoke(out, true, account, granted)) return Fail(out);
    }
    return AddFlush(out) || Fail(out);
}
