// The MySQL user manager opened for real with ShowMySqlUserManager against a throwaway MariaDB
// server, driven inside its modal loop and judged by what the server holds afterwards. The program
// runs twice (tests/admin/CMakeLists.txt): against the stock server, where mysql.user is a view and
// the tool must use account statements (and the accounts' test goes through sessions whose sql_mode
// has NO_BACKSLASH_ESCAPES), and against one with the classic grant table, which the
// tool writes itself. MV_EXPECT_FORM says which one this run has. Each run also reads a table of the
// current MySQL layout (no `Password` column) made on that server.
#include "admin/admin_ids.h"
#include "admin/admin_tools.h"
#include "admin/mysql_admin_connection.h"
#include "admin/mysql_user_manager.h"
#include "config/session.h"
#include "support/bounded_text.h"
#include "tests/admin/mysql_probe.h"
#include "tests/harness/dialog_test.h"
#include "tests/harness/message_box_capture.h"
#include "tests/harness/test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// The confirmation goes through MessageBoxExA, which the harness's capture does not cover.
std::vector<std::string> confirmations;  // text, then caption
int confirmAnswer = IDNO;
int WINAPI Confirm(HWND, LPCSTR text, LPCSTR caption, UINT style, WORD)
{
    EXPECT_EQ(style, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
    confirmations.insert(confirmations.end(), {text, caption});
    return confirmAnswer;
}

INT_PTR CALLBACK HostProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

std::string Boxes(HWND dialog)
{
    std::string letters;
    for (int id = IDC_MYUSER_FIRST_PRIVILEGE; id <= IDC_MYUSER_LAST_PRIVILEGE; id++) letters += IsChecked(dialog, id) ? 'Y' : 'N';
    return letters;
}

void Type(HWND dialog, const std::string& password, const std::string& retyped)
{
    SetText(dialog, IDC_MYUSER_PASSWORD, "");
    SetText(dialog, IDC_MYUSER_RETYPE, "");
    TypeText(dialog, IDC_MYUSER_PASSWORD, password);
    TypeText(dialog, IDC_MYUSER_RETYPE, retyped);
}

bool Lists(HWND dialog, const std::string& entry)
{
    auto items = ComboItems(dialog, IDC_MYUSER_ACCOUNTS);
    return std::find(items.begin(), items.end(), entry) != items.end();
}

// Picks a list entry as a user does: selects it and closes the list.
void Pick(HWND dialog, const std::string& entry)
{
    HWND combo = GetDlgItem(dialog, IDC_MYUSER_ACCOUNTS);
    SendMessageA(combo, CB_SETCURSEL, SendMessageA(combo, CB_FINDSTRINGEXACT, -1, (LPARAM)entry.c_str()), 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_MYUSER_ACCOUNTS, CBN_CLOSEUP), (LPARAM)combo);
}

TEST(MySqlUserManager, CreatesChangesAndDeletesAnAccountOnTheServer)
{
    TestServer server = ReadTestServer();
    ASSERT_TRUE(server.error.empty()) << server.error;
    MySqlProbe probe(server);
    ASSERT_TRUE(probe.Connected()) << probe.Error();
    const bool classic = EnvironmentValue("MV_EXPECT_FORM") == "classic";
    // The stock server's run goes through sessions in NO_BACKSLASH_ESCAPES, where "\\" is no escape.
    CopyText(session.mysqlDataSource, (server.dsn + (classic ? "" : "_NO_BACKSLASH_ESCAPES")).c_str());
    CopyText(session.mysqlUser, server.user.c_str());
    CopyText(session.mysqlPassword, server.password.c_str());
    const std::string user = "mv_o'x\\", host = "%", entry = user + "@" + host, where =
        " where User = '" + Quoted(user) + "'";
    for (const auto& row : probe.Rows("select User, Host from mysql.user where User like 'mv\\_%'"))
        probe.Exec(classic ? "delete from mysql.user where User = '" + Quoted(row[0]) + "'"
                           : "drop user '" + Quoted(row[0]) + "'@'" + Quoted(row[1]) + "'");
    probe.Exec("delete from mysql.db where User like 'mv\\_%'");
    ASSERT_TRUE(probe.Exec("flush privileges")) << probe.Error();
    // Columns 4 to 31 of the account's row as letters; empty when there is no row.
    auto serverRights = [&] {
        auto rows = probe.Rows("select * from mysql.user" + where);
        std::string letters;
        for (int column = 4; rows.size() == 1 && column <= 31; column++) letters += rows[0][column - 1].substr(0, 1);
        return letters;
    };
    // The stock server authenticates from its own tables; the classic table holds the hash.
    auto passwordIs = [&](const std::string& password) {
        return classic ? probe.Value("select Password = PASSWORD('" + Quoted(password) + "') from mysql.user" + where) == "1"
                       : CanLogIn(server, user, password);
    };
    auto grants = [&] { return classic ? "" : probe.Value("show grants for '" + Quoted(user) + "'@'%'"); };

    MessageBoxCapture boxes;
    void* originalConfirm = ReplaceImport("user32.dll", "MessageBoxExA", reinterpret_cast<void*>(&Confirm));
    bool shown = false;
    RunDialog("MYSQL_BACKUP", HostProc, 0, [&](HWND menuOwner) {
        OnNextDialog([&](HWND dialog) {
            // A failed ASSERT leaves the steps early: the dialog (maybe not shown yet) must still end.
            struct Ender {
                HWND dialog;
                ~Ender() { EndDialog(dialog, 0); }
            } ender{dialog};
            shown = true;
            EXPECT_EQ(mysqlUserManagerForm, classic ? MySqlClassicGrantTables : MySqlAccountStatements);
            EXPECT_EQ(mysqlUserManagerQuoting, classic ? MySqlBackslashEscapes : MySqlNoBackslashEscapes);
            EXPECT_TRUE(Lists(dialog, "root@127.0.0.1") && Lists(dialog, "root@localhost"));
            EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, 426)) && !IsWindowVisible(GetDlgItem(dialog, 427)) &&
                        !IsWindowVisible(GetDlgItem(dialog, 428)));

            // Create: the password typed in lower case; Select, Grant, Show db, tmp, Repl.client and
            // the hidden Event ticked.
            SetText(dialog, IDC_MYUSER_USER, user);
            SetText(dialog, IDC_MYUSER_HOST, host);
            Type(dialog, "se'cr\\et", "se'cr\\et");
            for (int id : {401, 411, 415, 417, 421, 427}) CheckDlgButton(dialog, id, BST_CHECKED);
            Click(dialog, IDC_MYUSER_CREATE);
            EXPECT_EQ(boxes.Count(), 0u);
            for (int id : {IDC_MYUSER_USER, IDC_MYUSER_HOST, IDC_MYUSER_PASSWORD, IDC_MYUSER_RETYPE}) EXPECT_EQ(Text(dialog, id), "");
            EXPECT_EQ(Boxes(dialog), std::string(28, 'N'));
            EXPECT_TRUE(Lists(dialog, entry));
            EXPECT_EQ(serverRights(), "YNNNNNNNNNYNNNYNYNNNYNNNNNNN");
            EXPECT_TRUE(passwordIs("SE'CR\\ET"));
            EXPECT_FALSE(passwordIs("se'cr\\et"));
            if (!classic) {
                EXPECT_NE(grants().find("SELECT, SHOW DATABASES, CREATE TEMPORARY TABLES"), std::string::npos);
            }

            // Event and Trigger granted behind the tool's back show when the account is picked.
            ASSERT_TRUE(probe.Exec(classic ? "update mysql.user set Event_priv = 'Y', Trigger_priv = 'Y'" + where
                                           : "grant event, trigger on *.* to '" + Quoted(user) + "'@'%'")) << probe.Error();
            Pick(dialog, entry);
            EXPECT_EQ(Text(dialog, IDC_MYUSER_USER), user);
            EXPECT_EQ(Text(dialog, IDC_MYUSER_HOST), host);
            EXPECT_EQ(Boxes(dialog), "YNNNNNNNNNYNNNYNYNNNYNNNNNYY");

            // Two different passwords send nothing.
            Click(dialog, IDC_MYUSER_CLEAR_ALL);
            EXPECT_EQ(Boxes(dialog), std::string(28, 'N'));
            Type(dialog, "one", "two");
            Click(dialog, IDC_MYUSER_UPDATE);
            ASSERT_EQ(boxes.Count(), 1u);
            EXPECT_EQ(boxes.Boxes()[0].text + "/" + boxes.Boxes()[0].caption, "Különböző jelszavak!/Figyelem");
            boxes.Clear();
            EXPECT_EQ(serverRights(), "YNNNNNNNNNYNNNYNYNNNYNNNNNYY");

            // An account made behind the tool's back shows only when the list is read again, which an
            // update never does.
            ASSERT_TRUE(probe.Exec(classic ? "insert into mysql.user (Host, User, ssl_cipher, x509_issuer, x509_subject) "
                                             "values ('%', 'mv_side', '', '', '')"
                                           : "create user 'mv_side'@'%'")) << probe.Error();

            // Update: new password, Insert, Super and Create user; Event and Trigger, cleared by "-",
            // stay granted on the server, since they are never sent.
            Type(dialog, "new", "new");
            for (int id : {402, 416, 426}) CheckDlgButton(dialog, id, BST_CHECKED);
            Click(dialog, IDC_MYUSER_UPDATE);
            EXPECT_EQ(boxes.Count(), 0u);
            EXPECT_EQ(serverRights(), "NYNNNNNNNNNNNNNYNNNNNNNNNYYY");
            EXPECT_TRUE(passwordIs("NEW"));
            EXPECT_FALSE(passwordIs("SE'CR\\ET"));
            EXPECT_EQ(Text(dialog, IDC_MYUSER_USER) + Text(dialog, IDC_MYUSER_PASSWORD), user + "NEW");
            EXPECT_FALSE(Lists(dialog, "mv_side@%"));
            if (!classic) {
                EXPECT_EQ(grants().find("GRANT OPTION"), std::string::npos) << grants();
            }

            // Both passwords empty: the rights change, the password stays.
            Type(dialog, "", "");
            CheckDlgButton(dialog, 419, BST_CHECKED);
            Click(dialog, IDC_MYUSER_UPDATE);
            EXPECT_EQ(serverRights(), "NYNNNNNNNNNNNNNYNNYNNNNNNYYY");
            EXPECT_TRUE(passwordIs("NEW"));

            // Creating it again: the server's error; the fields keep what was typed.
            Type(dialog, "x", "x");
            Click(dialog, IDC_MYUSER_CREATE);
            ASSERT_EQ(boxes.Count(), 1u);
            EXPECT_EQ(boxes.Boxes()[0].caption, "ODBC error");
            boxes.Clear();
            EXPECT_EQ(Text(dialog, IDC_MYUSER_USER) + Text(dialog, IDC_MYUSER_PASSWORD), user + "X");
            EXPECT_TRUE(passwordIs("NEW"));

            // Delete, with a database right that must go too. No first: nothing changes.
            ASSERT_TRUE(probe.Exec(classic ? "insert into mysql.db (Host, Db, User) values ('%', 'mvdb', '" + Quoted(user) + "')"
                                           : "grant select on mvdb.* to '" + Quoted(user) + "'@'%'")) << probe.Error();
            auto before = ComboItems(dialog, IDC_MYUSER_ACCOUNTS);
            Click(dialog, IDC_MYUSER_DELETE);
            EXPECT_EQ(confirmations, (std::vector<std::string>{
                classic ? "delete from `mysql`.`user` where `user` = 'mv_o''x\\\\' and `host` = '%'"
                        : "DROP USER 'mv_o''x\\'@'%'", "Biztos vagy benne?"}));
            EXPECT_EQ(ComboItems(dialog, IDC_MYUSER_ACCOUNTS), before);
            EXPECT_EQ(Text(dialog, IDC_MYUSER_USER), user);
            EXPECT_NE(serverRights(), "");
            confirmAnswer = IDYES;
            Click(dialog, IDC_MYUSER_DELETE);
            EXPECT_EQ(boxes.Count(), 0u);
            EXPECT_EQ(serverRights(), "");
            EXPECT_EQ(probe.Value("select count(*) from mysql.db" + where), "0");
            EXPECT_EQ(Text(dialog, IDC_MYUSER_USER) + Text(dialog, IDC_MYUSER_HOST), "");
            EXPECT_EQ(Boxes(dialog), std::string(28, 'N'));
            EXPECT_FALSE(Lists(dialog, entry));
            EXPECT_TRUE(Lists(dialog, "mv_side@%"));
            Click(dialog, IDC_MYUSER_EXIT);
        });
        EXPECT_EQ(ShowMySqlUserManager(menuOwner), 0);
        EndDialog(menuOwner, 0);
    });
    ReplaceImport("user32.dll", "MessageBoxExA", originalConfirm);
    EXPECT_TRUE(shown);
    EXPECT_EQ(mysqlAdminConnection, nullptr);
}

// Every box read from its own column, on the server's own table and on one of the current MySQL
// layout: five accounts whose privilege values together give each of the 28 boxes a pattern of its
// own (the first alternates), so a box read from any other column shows. Names load whole: a user
// holding "@" splits at the last one, and a name longer than its field is refused, never cut; the
// longest names and passwords that can be typed arrive whole.
TEST(MySqlUserManager, ReadsEveryBoxFromItsColumnOnEveryLayout)
{
    TestServer server = ReadTestServer();
    MySqlProbe probe(server);
    ASSERT_TRUE(probe.Connected()) << server.error << probe.Error();
    CopyText(session.mysqlDataSource, server.dsn.c_str());
    CopyText(session.mysqlUser, server.user.c_str());
    CopyText(session.mysqlPassword, server.password.c_str());
    const bool classic = EnvironmentValue("MV_EXPECT_FORM") == "classic";
    const std::string ours = "User like 'mvbits%' or User like 'anna@%' or User like 'mvlong%' or User like 'ppp%'";
    probe.Exec(classic ? "delete from mysql.user where " + ours : "delete from mysql.global_priv where " + ours);
    probe.Exec("flush privileges");
    auto pattern = [](int account) {
        std::string letters;
        for (int box = 0; box < 28; box++) letters += (box + 1) >> account & 1 ? 'Y' : 'N';
        return letters;
    };
    // The privilege columns in the order of the layout, which the boxes follow; the current MySQL
    // layout has them from the third column on, and one more after them.
    std::vector<std::string> columns;
    for (const auto& row : probe.Rows("select COLUMN_NAME from information_schema.COLUMNS where TABLE_SCHEMA = 'mysql' "
                                      "and TABLE_NAME = 'user' and COLUMN_NAME like '%\\_priv' order by ORDINAL_POSITION"))
        if (columns.size() < 28) columns.push_back(row[0]);
    std::string layout = "Host char(255) not null default '', User char(32) not null default ''";
    for (const std::string& column : columns) layout += ", " + column + " enum('N','Y') not null default 'N'";
    probe.Exec("drop database if exists mv_current");
    ASSERT_TRUE(probe.Exec("create database mv_current") &&
                probe.Exec("create table mv_current.user (" + layout + ", Create_tablespace_priv enum('N','Y') not null "
                           "default 'Y', authentication_string text, primary key (Host, User))")) << probe.Error();
    auto insert = [&](const std::string& table, const std::string& user, const std::string& letters) {
        std::string names = "Host, User", values = "'%', '" + user + "'";
        for (size_t i = 0; i < columns.size(); i++) names += ", " + columns[i], values += ", '" + letters.substr(i, 1) + "'";
        if (table == "mysql.user") names += ", ssl_cipher, x509_issuer, x509_subject", values += ", '', '', ''";
        return probe.Exec("insert into " + table + " (" + names + ") values (" + values + ")");
    };
    for (int account = 0; account < 5; account++) {
        const std::string user = "mvbits" + std::to_string(account);
        // The stock server's view shows bit n of the account's access mask as privilege column n.
        long mask = 0;
        for (int box = 0; box < 28; box++) mask |= (pattern(account)[box] == 'Y' ? 1L : 0L) << box;
        ASSERT_TRUE(insert("mv_current.user", user, pattern(account)) &&
                    (classic ? insert("mysql.user", user, pattern(account))
                             : probe.Exec("create user '" + user + "'@'%'") &&
                                   probe.Exec("update mysql.global_priv set Priv = json_set(Priv, '$.access', " +
                                              std::to_string(mask) + ") where User = '" + user + "'"))) << probe.Error();
    }
    // A user name holding "@", and (straight into the stock server's table) one longer than any server allows.
    ASSERT_TRUE(classic ? insert("mysql.user", "anna@firm", pattern(0))
                        : probe.Exec("create user 'anna@firm'@'%'") &&
                              probe.Exec("insert into mysql.global_priv (Host, User) values ('%', 'mvlong" +
                                         std::string(80, 'x') + "')")) << probe.Error();
    ASSERT_TRUE(probe.Exec("flush privileges")) << probe.Error();

    MessageBoxCapture boxes;
    for (const char* table : {mysqlAccountTable, "`mv_current`.`user`"}) {
        SCOPED_TRACE(table);
        mysqlUserManagerTable = table;
        RunDialog("MYSQL_BACKUP", HostProc, 0, [&](HWND menuOwner) {
            OnNextDialog([&](HWND dialog) {
                for (int account = 0; account < 5; account++) {
                    Click(dialog, account % 2 ? IDC_MYUSER_CHECK_ALL : IDC_MYUSER_CLEAR_ALL);
                    Pick(dialog, "mvbits" + std::to_string(account) + "@%");
                    EXPECT_EQ(Boxes(dialog), pattern(account)) << "account " << account;
                }
                if (table == mysqlAccountTable) {
                    Pick(dialog, "anna@firm@%");
                    EXPECT_EQ(Text(dialog, IDC_MYUSER_USER) + "|" + Text(dialog, IDC_MYUSER_HOST), "anna@firm|%");
                    Pick(dialog, "mvlong" + std::string(80, 'x') + "@%");
                    EXPECT_EQ(boxes.Count(), classic ? 0u : 1u);
                    EXPECT_EQ(Text(dialog, IDC_MYUSER_USER), "anna@firm");
                    boxes.Clear();
                    for (int id : {IDC_MYUSER_USER, IDC_MYUSER_HOST, IDC_MYUSER_PASSWORD, IDC_MYUSER_RETYPE})
                        SetText(dialog, id, ""), TypeText(dialog, id, std::string(300, 'p'));
                    EXPECT_EQ(Text(dialog, IDC_MYUSER_HOST).size(), 255u);
                    SetText(dialog, IDC_MYUSER_HOST, "%");
                    Click(dialog, IDC_MYUSER_CREATE);
                    EXPECT_EQ(boxes.Count(), 0u);
                    EXPECT_EQ(probe.Value("select Password = password('" + std::string(128, 'P') + "') from mysql.user "
                                          "where User = '" + std::string(80, 'p') + "'"), "1");
                }
                Click(dialog, IDC_MYUSER_EXIT);
            });
            ShowMySqlUserManager(menuOwner);
            EndDialog(menuOwner, 0);
        });
    }
    mysqlUserManagerTable = mysqlAccountTable;
    probe.Exec(classic ? "delete from mysql.user where " + ours : "delete from mysql.global_priv where " + ours);
    probe.Exec("flush privileges");
    probe.Exec("drop database mv_current");
}

}  // namespace
