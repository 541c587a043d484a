// Escaping of the MySQL tools proven against the real parsers, with generated hostile values
// (hostile_values.h): the account statements of the form the server needs go to the real MariaDB,
// and the account comes back byte for byte; the backup's option file goes through the option-file
// reader the dump program uses (my_print_defaults), and the password comes back byte for byte.
// Runs against the stock server and the classic-layout one (tests/admin/CMakeLists.txt).
#include "admin/mysql_account_statements.h"
#include "admin/mysql_backup_line.h"
#include "tests/admin/hostile_values.h"
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
    ASSERT_TRUE(server.error.empty()) << server.error;
    MySqlProbe probe(server);
    ASSERT_TRUE(probe.Connected()) << probe.Error();
    const bool classic = getenv("MV_TEST_SERVER") != nullptr;
    const MySqlAccountForm form = classic ? MySqlClassicGrantTables : MySqlAccountStatements;
    // Accounts an earlier run left behind.
    probe.Exec(classic ? "delete from mysql.user where User like 'mvh%'" : "delete from mysql.global_priv where User like 'mvh%'");
    probe.Exec("flush privileges");

    HostileValues values("account statements");
    // The server folds host names to lower case, and CHAR columns drop trailing blanks: values
    // differing only so are one account to it, whatever the statements say. A host never holds "@",
    // and one without any of % _ : / counts as a name, which the test server (resolving no names)
    // would pass over.
    const std::string capitals = "ABCDEFGHIJKLMNOPQRSTUVWXYZ\x8a\x8c\x8d\x8e\x8f\xa3\xa5\xaa\xaf\xbc"
                                 "\xc0\xc1\xc2\xc3\xc4\xc5\xc6\xc7\xc8\xc9\xca\xcb\xcc\xcd\xce\xcf"
                                 "\xd0\xd1\xd2\xd3\xd4\xd5\xd6\xd8\xd9\xda\xdb\xdc\xdd\xde";
    auto trimmed = [](std::string text) {
        while (!text.empty() && text.back() == ' ') text.back() = '_';
        return text;
    };
    auto rights = [&] {
        std::string letters;
        for (int i = 0; i < mysqlWrittenPrivilegeCount; i++) letters += values.Below(2) ? 'Y' : 'N';
        return letters;
    };
    auto run = [&](const MySqlStatements& statements, const std::string& what) {
        for (int i = 0; i < statements.count; i++)
            if (!probe.Exec(statements.text[i])) return ::testing::AssertionFailure() << what << ": " << probe.Error();
        return ::testing::AssertionSuccess();
    };
    std::string columns;
    for (int i = 0; i < mysqlWrittenPrivilegeCount; i++) columns += (i ? ", " : "") + std::string(mysqlPrivileges[i].column);
    for (int n = 0; n < values.count; n++) {
        // A prefix of its own keeps each account apart on a server that compares names without case.
        const std::string user = trimmed("mvh" + std::to_string(n) + values.Value(mysqlUserLimit - 8));
        std::string host = trimmed(values.Value(59, capitals + "@"));
        if (host.find_first_of("%_:/") == std::string::npos) host.insert(values.Below(host.size() + 1), "%");
        const std::string password = values.Value(mysqlPasswordLimit), newPassword = values.Value(mysqlPasswordLimit);
        const std::string granted = rights(), regranted = rights();
        SCOPED_TRACE("user " + Hex(user) + ", host " + Hex(host) + ", password " + Hex(password) + "/" +
                     Hex(newPassword) + ", MV_HOSTILE_SEED=" + std::to_string(values.seed));
        const std::string where = " from mysql.user where User = " + Literal(user) + " and Host = " + Literal(host);
        // The account as the server holds it: user, host, rights, and whether the password matches.
        auto account = [&](const std::string& pass) {
            auto rows = probe.Rows("select User, Host, concat(" + columns + "), Password = password(" +
                                   Literal(pass) + ")" + where);
            return rows.size() == 1 ? Hex(rows[0][0]) + "@" + Hex(rows[0][1]) + " " + rows[0][2] + " " + rows[0][3]
                                    : std::to_string(rows.size()) + " rows";
        };
        MySqlStatements statements;
        ASSERT_TRUE(BuildMySqlCreate(form, user.c_str(), host.c_str(), password.c_str(), granted.c_str(), &statements));
        ASSERT_TRUE(run(statements, "create"));
        ASSERT_EQ(account(password), Hex(user) + "@" + Hex(host) + " " + granted + " 1");

        char query[2048];
        ASSERT_TRUE(BuildMySqlAccountQuery(mysqlAccountTable, user.c_str(), host.c_str(), query, sizeof query));
        auto found = probe.Rows(query);
        ASSERT_EQ(found.size(), 1u) << probe.Error();
        EXPECT_EQ(Hex(found[0][1]) + "@" + Hex(found[0][0]), Hex(user) + "@" + Hex(host));

        ASSERT_TRUE(BuildMySqlUpdate(form, user.c_str(), host.c_str(), newPassword.c_str(), regranted.c_str(),
                                     &statements));
        ASSERT_TRUE(run(statements, "update"));
        EXPECT_EQ(account(newPassword), Hex(user) + "@" + Hex(host) + " " + regranted + " 1");

        ASSERT_TRUE(BuildMySqlDelete(form, user.c_str(), host.c_str(), &statements));
        ASSERT_TRUE(run(statements, "delete"));
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
        ASSERT_TRUE(BuildMySqlOptionFile(password.c_str(), content, sizeof content));
        ASSERT_TRUE(WriteBytes(file, content));
        FILE* pipe = popen(("my_print_defaults --defaults-file=" + file + " client").c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        std::string printed;
        char chunk[1024];
        for (size_t got; (got = fread(chunk, 1, sizeof chunk, pipe)) > 0;) printed.append(chunk, got);
        ASSERT_EQ(pclose(pipe), 0);
        ASSERT_EQ(Hex(printed), Hex("--password=" + password + "\n"))
            << "password " << Hex(password) << ", MV_HOSTILE_SEED=" << values.seed;
    }
}

}  // namespace
