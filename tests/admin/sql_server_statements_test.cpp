// The SQL Server tools' statements: a statement too long for its buffer is refused whole, never cut
// (a cut one could end inside a doubled quote); role columns read as integers.
#include "admin/sql_server_statements.h"

#include <gtest/gtest.h>

#include <string>

TEST(SqlServerStatements, AStatementThatDoesNotFitIsRefusedWholeNeverCut)
{
    const std::string prefix = "select * from \"sys\".\"syslogins\" where \"name\" = '";
    auto query = [](const std::string& login) {
        char buffer[512] = "unchanged";
        return BuildLoginRolesQuery(buffer, 256, login.c_str()) ? std::string(buffer) : "refused:" + std::string(buffer);
    };
    std::string name(256 - prefix.size() - 4, 'n');  // with a quote, doubled, exactly 255 characters
    EXPECT_EQ(query(name + "'"), prefix + name + "'''");
    EXPECT_EQ(query(name + "n'"), "refused:");
    EXPECT_EQ(query(name + "nnn"), "refused:");
    char backup[1024] = "unchanged";
    EXPECT_FALSE(BuildBackupStatement(backup, sizeof backup, "db", std::string(500, '\'').c_str(), "n"));
    EXPECT_STREQ(backup, "");
}

TEST(SqlServerStatements, RoleColumnsReadAsIntegers)
{
    for (const char* member : {"1", "  1", "\t-1", "12abc", "99999999999999999999"}) EXPECT_NE(RoleValue(member), 0) << member;
    for (const char* none : {"0", "", "+0", "-0", "abc1", " - 1"}) EXPECT_EQ(RoleValue(none), 0) << none;
}
