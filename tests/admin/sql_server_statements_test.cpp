// The SQL Server tools' statements: exact texts for ordinary values, escaping that keeps a typed
// value inside its quotes or brackets, and refusal (never a cut statement) when a value is too long.
#include "admin/sql_server_statements.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string RolesQuery(const std::string& login, size_t capacity = 256)
{
    char buffer[2048] = "unchanged";
    return BuildLoginRolesQuery(buffer, capacity, login.c_str()) ? buffer : std::string("refused:") + buffer;
}

}  // namespace

TEST(SqlServerStatements, OrdinaryValuesGiveTheStatementsByteForByte)
{
    char buffer[2048];
    EXPECT_STREQ(sqlServerLoginListQuery, "select * from \"sys\".\"sql_logins\" order by \"name\"");
    EXPECT_STREQ(sqlServerDatabaseListQuery, "select * from \"sys\".\"databases\" order by \"name\"");
    EXPECT_EQ(RolesQuery("kovacs"), "select * from \"sys\".\"syslogins\" where \"name\" = 'kovacs'");
    ASSERT_TRUE(BuildDropLogin(buffer, 256, ""));
    EXPECT_STREQ(buffer, "EXEC sp_droplogin ''");
    ASSERT_TRUE(BuildRoleChange(buffer, sizeof buffer, true, "kovacs", "diskadmin"));
    EXPECT_STREQ(buffer, "EXEC sp_addsrvrolemember 'kovacs', 'diskadmin'");
    ASSERT_TRUE(BuildRoleChange(buffer, sizeof buffer, false, "kovacs", "sysadmin"));
    EXPECT_STREQ(buffer, "EXEC sp_dropsrvrolemember 'kovacs', 'sysadmin'");
    ASSERT_TRUE(BuildCreateLogin(buffer, sizeof buffer, "uj", ""));
    EXPECT_STREQ(buffer, "EXEC sp_addlogin 'uj', @passwd = ''");
    ASSERT_TRUE(BuildBackupStatement(buffer, 1024, "sales", "C:\\Apps\\sales-2026-03-07.mssql-server", "SALES"));
    EXPECT_STREQ(buffer, "BACKUP DATABASE [sales] TO DISK = 'C:\\Apps\\sales-2026-03-07.mssql-server' WITH NOFORMAT, "
                         "INIT, NAME = 'SALES', NOREWIND, NOUNLOAD, NOSKIP");
    ASSERT_TRUE(BuildBackupFileName(buffer, 260, "C:\\Apps", "sales", "2026-03-07"));
    EXPECT_STREQ(buffer, "C:\\Apps\\sales-2026-03-07.mssql-server");
}

TEST(SqlServerStatements, QuotesAndBracketsStayInsideTheValueTheyWereTypedIn)
{
    char buffer[2048];
    EXPECT_EQ(RolesQuery("O'Brien"), "select * from \"sys\".\"syslogins\" where \"name\" = 'O''Brien'");
    EXPECT_EQ(RolesQuery("x' or '1'='1"), "select * from \"sys\".\"syslogins\" where \"name\" = 'x'' or ''1''=''1'");
    ASSERT_TRUE(BuildDropLogin(buffer, 256, "a'; EXEC sp_droplogin 'sa"));
    EXPECT_STREQ(buffer, "EXEC sp_droplogin 'a''; EXEC sp_droplogin ''sa'");
    ASSERT_TRUE(BuildCreateLogin(buffer, sizeof buffer, "d'Art", "JEL'SZO"));
    EXPECT_STREQ(buffer, "EXEC sp_addlogin 'd''Art', @passwd = 'JEL''SZO'");
    ASSERT_TRUE(BuildRoleChange(buffer, sizeof buffer, true, "d'Art", "dbcreator"));
    EXPECT_STREQ(buffer, "EXEC sp_addsrvrolemember 'd''Art', 'dbcreator'");
    // Brackets double only the closing bracket; a quote there is an ordinary character. In the
    // literals a bracket is ordinary.
    ASSERT_TRUE(BuildBackupStatement(buffer, 1024, "x]; DROP DATABASE [y", "C:\\a'b\\[f].bak", "N]'"));
    EXPECT_STREQ(buffer, "BACKUP DATABASE [x]]; DROP DATABASE [y] TO DISK = 'C:\\a''b\\[f].bak' WITH NOFORMAT, INIT, "
                         "NAME = 'N]''', NOREWIND, NOUNLOAD, NOSKIP");
    ASSERT_TRUE(BuildBackupStatement(buffer, 1024, "it's", "f", "n"));
    EXPECT_STREQ(buffer, "BACKUP DATABASE [it's] TO DISK = 'f' WITH NOFORMAT, INIT, NAME = 'n', NOREWIND, NOUNLOAD, NOSKIP");
}

TEST(SqlServerStatements, AStatementThatDoesNotFitIsRefusedWholeNeverCut)
{
    const std::string prefix = "select * from \"sys\".\"syslogins\" where \"name\" = '";
    // The longest name the login manager reads (63 characters), all quotes: doubled, still fits.
    std::string quotes(63, '\'');
    EXPECT_EQ(RolesQuery(quotes), prefix + std::string(126, '\'') + "'");
    // Exactly filling the buffer (terminator included) fits; one byte less is refused, also when
    // only the doubling makes it too long.
    std::string name(256 - prefix.size() - 2, 'n');
    EXPECT_EQ(RolesQuery(name), prefix + name + "'");
    EXPECT_EQ(RolesQuery(name + "m"), "refused:");
    EXPECT_EQ(RolesQuery(name.substr(1) + "'"), "refused:");
    EXPECT_EQ(RolesQuery(name.substr(2) + "'"), prefix + name.substr(2) + "'''");

    char path[260] = "unchanged";
    std::string directory(260 - 1 - std::string("\\db-2026-12-08.mssql-server").size(), 'd');
    EXPECT_TRUE(BuildBackupFileName(path, sizeof path, directory.c_str(), "db", "2026-12-08"));
    EXPECT_EQ(std::string(path).size(), 259u);
    EXPECT_FALSE(BuildBackupFileName(path, sizeof path, (directory + "d").c_str(), "db", "2026-12-08"));
    EXPECT_STREQ(path, "");
    char backup[1024];
    std::string file(1000, 'f');
    EXPECT_FALSE(BuildBackupStatement(backup, sizeof backup, "db", file.c_str(), "n"));
    EXPECT_STREQ(backup, "");
}

TEST(SqlServerStatements, RoleColumnsReadAsIntegers)
{
    struct Case {
        const char* text;
        bool member;
    } cases[] = {
        {"1", true}, {"0", false}, {"", false}, {"  1", true}, {"\t-1", true}, {"+0", false}, {"-0", false},
        {"12abc", true}, {"abc1", false}, {"00", false}, {"99999999999999999999", true}, {" - 1", false},
    };
    for (const Case& c : cases) EXPECT_EQ(RoleValue(c.text) != 0, c.member) << '"' << c.text << '"';
    EXPECT_EQ(RoleValue(nullptr), 0);
}
