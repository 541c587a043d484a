// The SQL Server tools' statements: a statement too long for its buffer is refused whole, never cut
// (a cut one could end inside a doubled quote); role columns read as integers; values are escaped so
// that the server reads back exactly what was typed.
#include "admin/sql_server_statements.h"
#include "tests/db/db_test_support.h"
#include "tests/db/sqlserver_standin/standin_files.h"
#include "tests/harness/hostile_values.h"

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

// Each value is escaped for its place (brackets doubled inside [...], quotes inside '...'); the
// backup asks for its progress, whose messages give their percentage after the drivers' prefixes.
TEST(SqlServerStatements, BackupEscapesEachValueForItsPlaceAndReadsItsProgress)
{
    char statement[1024];
    ASSERT_TRUE(BuildBackupStatement(statement, sizeof statement, "a]b'[c", "C:\\x]'y", "n]'"));
    EXPECT_STREQ(statement, "BACKUP DATABASE [a]]b'[c] TO DISK = 'C:\\x]''y' WITH NOFORMAT, INIT, NAME = 'n]''', "
                            "NOREWIND, NOUNLOAD, NOSKIP, CHECKSUM, STATS = 10");
    EXPECT_EQ(BackupPercent(3211, "[Microsoft][ODBC Driver 18 for SQL Server][SQL Server]30 percent processed."), 30);
    EXPECT_EQ(BackupPercent(3211, "100 percent processed."), 100);
    for (const char* other : {"[FreeTDS][SQL Server]", "101 percent", "[x] y"}) EXPECT_EQ(BackupPercent(3211, other), -1);
    EXPECT_EQ(BackupPercent(3014, "10 percent"), -1);
}

namespace {

std::string Escaped(std::string value)  // as the stand-in's state file holds a field
{
    for (size_t at = 0; (at = value.find('\\', at)) != std::string::npos; at += 2) value.insert(at, "\\");
    return value;
}

}  // namespace

// Generated values go through every login statement and the backup statement, through the real
// driver manager to the stand-in, whose parser reads quotes and brackets as the server does, and
// come back byte for byte. MV_HOSTILE_SEED and MV_HOSTILE_COUNT choose other values or more of them.
TEST(SqlServerStatements, HostileValuesReachTheServerByteForByte)
{
    HostileValues values("login and backup statements");
    // A file name takes what Windows allows in one; under Wine only ASCII, since Wine's names for the
    // stand-in's files differ from their bytes and the test could not remove them.
    std::string fileExcluded = "\\/:*?\"<>|\t";
#ifdef _WIN32
    for (int c = 0x80; c <= 0xFF; c++) fileExcluded += (char)c;
#endif
    KeepOdbcLibrariesMapped();
    ASSERT_EQ(LoadOdbcApi(), 1);
    ASSERT_TRUE(SeedStandIn("login\tsa\tSAPWD\tsysadmin\n"));
    OdbcBoxLog boxes;
    OdbcConnection* connection = NewConnection("MV_MSSQL", "sa", "SAPWD", 0);
    ASSERT_EQ(connection->Open("", ""), 0);
    const std::string folder = StandInPath(".files/");
    MakeDirectory(folder);
    char statement[1024];
    for (int i = 0; i < values.count && !HasFailure(); i++) {
        std::string login = values.Value(63, "\t"), password = values.Value(63, "\t");  // the state file splits at tabs
        std::string file = folder + values.Value(63, fileExcluded) + ".bak";  // Windows drops a last blank or dot
        SCOPED_TRACE("value " + std::to_string(i) + ": [" + login + "] [" + password + "] [" + file +
                     "], MV_HOSTILE_SEED=" + std::to_string(values.seed));
        SeedStandIn("login\tsa\tSAPWD\tsysadmin\ndatabase\t" + Escaped(login) + "\nbackup\t2\t0\t0\n");
        auto run = [&](bool built) { return built && SQL_SUCCEEDED(connection->ExecDirect(statement, 0)); };
        EXPECT_TRUE(run(BuildCreateLogin(statement, sizeof statement, login.c_str(), password.c_str())));
        EXPECT_TRUE(run(BuildRoleChange(statement, sizeof statement, true, login.c_str(), "bulkadmin")));
        EXPECT_NE(StandInState().find("\nlogin\t" + Escaped(login) + "\t" + Escaped(password) + "\tbulkadmin\n"),
                  std::string::npos);
        ASSERT_TRUE(BuildLoginRolesQuery(statement, sizeof statement, login.c_str()));
        OdbcCursor* roles = connection->OpenCursor(statement);
        EXPECT_EQ(std::string(roles->ColumnByName("name")) + "|" + roles->ColumnByName("bulkadmin"), login + "|1");
        connection->CloseCursor(roles);
        EXPECT_TRUE(run(BuildRoleChange(statement, sizeof statement, false, login.c_str(), "bulkadmin")));
        EXPECT_TRUE(run(BuildDropLogin(statement, sizeof statement, login.c_str())));
        EXPECT_EQ(StandInState().find(Escaped(login) + "\t" + Escaped(password)), std::string::npos);
        EXPECT_TRUE(run(BuildBackupStatement(statement, sizeof statement, login.c_str(), file.c_str(), password.c_str())));
        EXPECT_EQ(StandInCalls("BACKUP "), std::vector<std::string>{login + "\t" + file + "\t" + password});
        EXPECT_TRUE(run(BuildBackupHeaderQuery(statement, sizeof statement, file.c_str())));
        EXPECT_TRUE(run(BuildBackupVerification(statement, sizeof statement, file.c_str())));
    }
    RemoveTree(folder);
    EXPECT_EQ(boxes.Count(), 0u);
    connection->Destroy(3);
    UnloadOdbcApi();
}
