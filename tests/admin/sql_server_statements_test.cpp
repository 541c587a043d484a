// The SQL Server tools' statements: a typed value stays inside its quotes or brackets, and a
// statement too long for its buffer is refused whole, never cut.
#include "admin/sql_server_statements.h"

#include <gtest/gtest.h>

#include <string>

TEST(SqlServerStatements, QuotesAndBracketsStayInsideTheValueTheyWereTypedIn)
{
    char buffer[1024];
    ASSERT_TRUE(BuildDropLogin(buffer, 256, "a'; EXEC sp_droplogin 'sa"));
    EXPECT_STREQ(buffer, "EXEC sp_droplogin 'a''; EXEC sp_droplogin ''sa'");
    ASSERT_TRUE(BuildCreateLogin(buffer, sizeof buffer, "d'Art", "JEL'SZO"));
    EXPECT_STREQ(buffer, "EXEC sp_addlogin 'd''Art', @passwd = 'JEL''SZO'");
    // Inside brackets only the closing bracket doubles; in the literals a bracket is ordinary.
    ASSERT_TRUE(BuildBackupStatement(buffer, sizeof buffer, "x]; DROP DATABASE [y'", "C:\\a'b\\[f].bak", "N]'"));
    EXPECT_STREQ(buffer, "BACKUP DATABASE [x]]; DROP DATABASE [y'] TO DISK = 'C:\\a''b\\[f].bak' WITH NOFORMAT, INIT, "
                         "NAME = 'N]''', NOREWIND, NOUNLOAD, NOSKIP");
}

TEST(SqlServerStatements, AStatementThatDoesNotFitIsRefusedWholeNeverCut)
{
    const std::string prefix = "select * from \"sys\".\"syslogins\" where \"name\" = '";
    auto query = [](const std::string& login) {
        char buffer[512] = "unchanged";
        return BuildLoginRolesQuery(buffer, 256, login.c_str()) ? std::string(buffer) : "refused:" + std::string(buffer);
    };
    // The longest name the login manager reads, all quotes, still fits doubled.
    EXPECT_EQ(query(std::string(63, '\'')), prefix + std::string(126, '\'') + "'");
    // Exactly filling the 256 bytes fits; one more byte, also one that only the doubling adds, does not.
    std::string name(256 - prefix.size() - 2, 'n');
    EXPECT_EQ(query(name), prefix + name + "'");
    EXPECT_EQ(query(name + "m"), "refused:");
    EXPECT_EQ(query(name.substr(1) + "'"), "refused:");

    char path[260];
    std::string directory(260 - sizeof "\\db-2026-12-08.mssql-server", 'd');
    ASSERT_TRUE(BuildBackupFileName(path, sizeof path, directory.c_str(), "db", "2026-12-08"));
    EXPECT_EQ(std::string(path), directory + "\\db-2026-12-08.mssql-server");
    EXPECT_FALSE(BuildBackupFileName(path, sizeof path, (directory + "d").c_str(), "db", "2026-12-08"));
    EXPECT_STREQ(path, "");
}

TEST(SqlServerStatements, RoleColumnsReadAsIntegers)
{
    for (const char* member : {"1", "  1", "\t-1", "12abc", "99999999999999999999"}) EXPECT_NE(RoleValue(member), 0) << member;
    for (const char* none : {"0", "", "+0", "-0", "abc1", " - 1"}) EXPECT_EQ(RoleValue(none), 0) << none;
}
