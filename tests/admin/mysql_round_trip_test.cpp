// Escaping of the MySQL tools proven against the real parsers, with generated hostile values
// (hostile_values.h): the account statements of the form the server needs go to the real MariaDB,
// and the account comes back byte for byte (every other value in sql_mode NO_BACKSLASH_ESCAPES); the
// backup's option file goes through the option-file reader the dump program uses (my_print_defaults),
// and the password comes back byte for byte. Runs against the stock server and the classic-layout one
// (tests/admin/CMakeLists.txt).
#include "admin/mysql_account_statements.h"
#include "backup/mysql_backup_line.h"
#include "tests/harness/hostile_values.h"
#include "tests/admin/mysql_probe.h"

#include <gtest/gtest.h>

#include <stdio.h>

#include <string>

namespace {

// A cp1250 text the test names without quoting it.
std::string Literal(const std::string& text)
{
    return "convert(X'" + Hex(text) + "' using cp1250)";
}

TEST(MySqlRoundTrip, AccountStatementsNameExactlyTheAccountTyped)
{
    TestServer server = ReadTestServer();
    MySqlProbe probe(server);
    ASSERT_TRUE(probe.Connected()) << server.error << probe.Error();
    const bool classic = getenv("MV_TEST_SERVER") != nullptr;
    const MySqlAccountForm form = classic ? MySqlClassicGrantTables : MySqlAccountStatements;
    probe.Exec(classic ? "delete from mysql.user where User like 'mvh%'" : "delete from mysql.global_priv where User like 'mvh%'");
    probe.Exec("flush privileges");

    HostileValues values("account statements");
    // The server folds host names to lower case and CHAR columns drop trailing blanks, so values
    // differing only so are one account to it; a host never holds "@", and one without any of
    // % _ : / counts as a name, which the test server (resolving no names) passes over.
    const std::string capitals = "ABCDEFGHIJKLMNOPQRSTUVWXYZ@\x8a\x8c\x8d\x8e\x8f\xa3\xa5\xaa\xaf\xbc\xc0\xc1\xc2\xc3\xc4"
                                 "\xc5\xc6\xc7\xc8\xc9\xca\xcb\xcc\xcd\xce\xcf\xd0\xd1\xd2\xd3\xd4\xd5\xd6\xd8\xd9\xda\xdb"
                                 "\xdc\xdd\xde";
    auto name = [](std::string text) { return text.back() == ' ' ? text + "_" : text; };
    auto rights = [&] {
        std::string letters;
        while (letters.size() < mysqlWrittenPrivilegeCount) letters += values.Below(2) ? 'Y' : 'N';
        return letters;
    };
    auto run = [&](bool built, const MySqlStatements& statements) {
        for (int i = 0; built && i < statements.count; i++)
            if (!probe.Exec(statements.text[i])) return ::testing::AssertionFailure() << probe.Error();
        return ::testing::AssertionResult(built);
    };
    std::string columns;
    for (int i = 0; i < mysqlWrittenPrivilegeCount; i++) columns += (i ? ", " : "") + std::string(mysqlPrivileges[i].column);
    for (int n = 0; n < values.count; n++) {
        ASSERT_TRUE(probe.Exec(n % 2 ? "set session sql_mode = concat(@@global.sql_mode, ',NO_BACKSLASH_ESCAPES')"
                                     : "set session sql_mode = @@global.sql_mode")) << probe.Error();
        const MySqlQuoting quoting = ChooseMySqlQuoting(0, probe.Value(mysqlSqlModeStatement).c_str());
        ASSERT_EQ(quoting, n % 2 ? MySqlNoBackslashEscapes : MySqlBackslashEscapes);
        // A prefix of its own keeps each account apart on a server that compares names without case.
        const std::string user = name("mvh" + std::to_string(n) + values.Value(mysqlUserLimit - 8));
        std::string host = name(values.Value(59, capitals));
        if (host.find_first_of("%_:/") == std::string::npos) host.insert(values.Below(host.size() + 1), "%");
        const std::string password = values.Value(mysqlPasswordLimit), newPassword = values.Value(mysqlPasswordLimit);
        const std::string granted = rights(), regranted = rights();
        SCOPED_TRACE("user " + Hex(user) + ", host " + Hex(host) + ", password " + Hex(password) + "/" +
                     Hex(newPassword) + (n % 2 ? ", NO_BACKSLASH_ESCAPES" : "") + ", MV_HOSTILE_SEED=" + std::to_string(values.seed));
        // The account as the server holds it: user, host, rights, and whether the password matches.
        auto account = [&](const std::string& pass) {
            auto rows = probe.Rows("select User, Host, concat(" + columns + "), Password = password(" + Literal(pass) +
                                   ") from mysql.user where User = " + Literal(user) + " and Host = " + Literal(host));
            return rows.size() == 1 ? Hex(rows[0][0]) + "@" + Hex(rows[0][1]) + " " + rows[0][2] + " " + rows[0][3]
                                    : std::to_string(rows.size()) + " rows";
        };
        MySqlStatements statements;
        ASSERT_TRUE(run(BuildMySqlCreate(form, quoting, user.c_str(), host.c_str(), password.c_str(), granted.c_str(),
                                         &statements), statements));
        ASSERT_EQ(account(password), Hex(user) + "@" + Hex(host) + " " + granted + " 1");
        char query[2048];
        ASSERT_TRUE(BuildMySqlAccountQuery(mysqlAccountTable, quoting, user.c_str(), host.c_str(), query, sizeof query));
        EXPECT_EQ(probe.Rows(query).size(), 1u) << probe.Error();
        ASSERT_TRUE(run(BuildMySqlUpdate(form, quoting, user.c_str(), host.c_str(), newPassword.c_str(), regranted.c_str(),
                                         &statements), statements));
        EXPECT_EQ(account(newPassword), Hex(user) + "@" + Hex(host) + " " + regranted + " 1");
        ASSERT_TRUE(run(BuildMySqlDelete(form, quoting, user.c_str(), host.c_str(), &statements), statements));
        ASSERT_EQ(account(newPassword), "0 rows");
    }
}

TEST(MySqlRoundTrip, OptionFileHandsTheDumpProgramThePassword)
{
    ScratchDirectory scratch;
    const std::string file = scratch.PathOf("options.cnf");
    HostileValues values("option file");
    for (int n = 0; n < values.count; n++) {
        // Line breaks too: the option file has escapes for them.
        std::string password = values.Value(100);
        if (values.Below(10) == 0) password.insert(values.Below(password.size() + 1), values.Below(2) ? "\r\n" : "\n");
        char content[512];
        ASSERT_TRUE(BuildMySqlOptionFile(password.c_str(), content, sizeof content) && WriteBytes(file, content));
        FILE* pipe = popen(("my_print_defaults --defaults-file=" + file + " client").c_str(), "r");
        std::string printed;
        char chunk[1024];
        for (size_t got; pipe && (got = fread(chunk, 1, sizeof chunk, pipe)) > 0;) printed.append(chunk, got);
        ASSERT_EQ(pipe ? pclose(pipe) : -1, 0);
        ASSERT_EQ(Hex(printed), Hex("--password=" + password + "\n"))
            << "password " << Hex(password) << ", MV_HOSTILE_SEED=" << values.seed;
    }
}

}  // namespace
