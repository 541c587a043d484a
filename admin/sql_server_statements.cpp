#include "admin/sql_server_statements.h"

#include <string.h>

const char* const sqlServerRoles[sqlServerRoleCount] = {
    "sysadmin", "securityadmin", "serveradmin", "setupadmin", "processadmin", "diskadmin", "dbcreator", "bulkadmin",
};

const char* const sqlServerLoginListQuery = "select * from \"sys\".\"sql_logins\" order by \"name\"";
const char* const sqlServerDatabaseListQuery = "select * from \"sys\".\"databases\" order by \"name\"";

bool BuildLoginRolesQuery(char* target, size_t capacity, const char* login)
{
    const char* values[] = {login};
    return FillStatement(target, capacity, "select * from \"sys\".\"syslogins\" where \"name\" = '%s'", values, 1);
}

bool BuildDropLogin(char* target, size_t capacity, const char* login)
{
    const char* values[] = {login};
    return FillStatement(target, capacity, "EXEC sp_droplogin '%s'", values, 1);
}

bool BuildRoleChange(char* target, size_t capacity, bool add, const char* login, const char* role)
{
    const char* values[] = {login, role};
    return FillStatement(target, capacity,
                         add ? "EXEC sp_addsrvrolemember '%s', '%s'" : "EXEC sp_dropsrvrolemember '%s', '%s'", values, 2);
}

bool BuildCreateLogin(char* target, size_t capacity, const char* login, const char* password)
{
    const char* values[] = {login, password};
    return FillStatement(target, capacity, "EXEC sp_addlogin '%s', @passwd = '%s'", values, 2);
}

long RoleValue(const char* text)
{
    if (!text) return 0;
    while (*text == ' ' || *text == '\t' || *text == '\n' || *text == '\r' || *text == '\v' || *text == '\f') text++;
    bool negative = *text == '-';
    if (*text == '-' || *text == '+') text++;
    long value = 0;
    for (; *text >= '0' && *text <= '9'; text++)
        if (value < 100000000L) value = value * 10 + (*text - '0');
    return negative ? -value : value;
}
