// The MySQL user manager opened for real with ShowMySqlUserManager against a throwaway MariaDB
// server, driven inside its modal loop and judged by what the server holds afterwards. The program
// runs twice (tests/admin/CMakeLists.txt): against the stock server, where mysql.user is a view and
// the tool must use account statements, and against one with the classic grant table, which the
// tool writes itself. MV_EXPECT_FORM says which one this run has.
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

TEST(MySqlUserManager, CreatesChangesAndDeletesAnAccountOnTheServer)
{
    TestServer server = ReadTestServer();
    ASSERT_TRUE(server.error.empty()) << server.error;
    MySqlProbe probe(server);
    ASSERT_TRUE(probe.Connected()) << probe.Error();
    CopyText(session.mysqlDataSource, server.dsn.c_str());
    CopyText(session.mysqlUser, server.user.c_str());
    CopyText(session.mysqlPassword, server.password.c_str());
    const bool classic = EnvironmentValue("MV_EXPECT_FORM") == "classic";
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
            EXPECT_TRUE(Lists(dialog, "root@127.0.0.1") && Lists(dialog, "root@localhost"));

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
            HWND combo = GetDlgItem(dialog, IDC_MYUSER_ACCOUNTS);
            SendMessageA(combo, CB_SETCURSEL, SendMessageA(combo, CB_FINDSTRINGEXACT, -1, (LPARAM)entry.c_str()), 0);
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_MYUSER_ACCOUNTS, CBN_CLOSEUP), (LPARAM)combo);
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
                        : "DROP USER 'mv_o''x\\\\'@'%'", "Biztos vagy benne?"}));
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

}  // namespace
