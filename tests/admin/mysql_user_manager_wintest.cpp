// The MySQL user manager opened for real with ShowMySqlUserManager against a throwaway MariaDB
// server, driven inside its modal loop, and judged by what the server holds afterwards. The same
// program runs twice (tests/admin/CMakeLists.txt): against the stock server, where mysql.user is a
// view and the tool must use account statements, and against a server with the classic grant
// table, where it writes the grant tables itself. MV_EXPECT_FORM says which one this run has.
#include "admin/admin_ids.h"
#include "admin/admin_tools.h"
#include "admin/mysql_admin_connection.h"
#include "admin/mysql_user_manager.h"
#include "shell/session.h"
#include "support/bounded_text.h"
#include "support/process_state.h"
#include "tests/admin/mysql_probe.h"
#include "tests/harness/dialog_test.h"
#include "tests/harness/message_box_capture.h"
#include "tests/harness/test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

bool ClassicRun()
{
    return EnvironmentValue("MV_EXPECT_FORM") == "classic";
}

// The confirmation box goes through MessageBoxExA, which the harness's capture does not cover.
struct ConfirmCapture {
    std::vector<std::string> texts;
    std::vector<std::string> captions;
    std::vector<UINT> styles;
    int answer = IDNO;
    void* original = nullptr;
    static ConfirmCapture* current;
    static int WINAPI Replacement(HWND, LPCSTR text, LPCSTR caption, UINT style, WORD)
    {
        current->texts.push_back(text ? text : "");
        current->captions.push_back(caption ? caption : "");
        current->styles.push_back(style);
        return current->answer;
    }
    ConfirmCapture()
    {
        current = this;
        original = ReplaceImport("user32.dll", "MessageBoxExA", reinterpret_cast<void*>(&Replacement));
    }
    ~ConfirmCapture() { ReplaceImport("user32.dll", "MessageBoxExA", original); }
};
ConfirmCapture* ConfirmCapture::current = nullptr;

class MySqlUserManager : public ::testing::Test {
protected:
    void SetUp() override
    {
        server = ReadTestServer();
        ASSERT_TRUE(server.error.empty()) << server.error;
        ASSERT_EQ(LoadOdbcApi(), 1);
        KeepOdbcLibrariesMapped();
        if (!appInstance) appInstance = GetModuleHandleA(nullptr);
        CopyText(session.mysqlDataSource, server.dsn.c_str());
        CopyText(session.mysqlUser, server.user.c_str());
        CopyText(session.mysqlPassword, server.password.c_str());
    }

    // Columns 4 to 31 of the account's mysql.user row as 'Y'/'N' letters; empty when there is no row.
    std::string ServerPrivileges(MySqlProbe& probe, const std::string& user, const std::string& host)
    {
        auto rows = probe.Rows("select * from mysql.user where User = '" + Quoted(user) + "' and Host = '" +
                               Quoted(host) + "'");
        if (rows.size() != 1 || rows[0].size() < 31) return "";
        std::string letters;
        for (int column = 4; column <= 31; column++) letters += rows[0][column - 1].substr(0, 1);
        return letters;
    }

    // The account's password works (stock server, which authenticates from its own tables), or the
    // classic table holds its hash.
    bool PasswordIs(MySqlProbe& probe, const std::string& user, const std::string& host, const std::string& password)
    {
        if (!ClassicRun()) return CanLogIn(server, user, password);
        return probe.Value("select Password = PASSWORD('" + Quoted(password) + "') from mysql.user where User = '" +
                           Quoted(user) + "' and Host = '" + Quoted(host) + "'") == "1";
    }

    TestServer server;
};

std::string Boxes(HWND dialog)
{
    std::string letters;
    for (int id = IDC_MYUSER_FIRST_PRIVILEGE; id <= IDC_MYUSER_LAST_PRIVILEGE; id++)
        letters += IsChecked(dialog, id) ? 'Y' : 'N';
    return letters;
}

void Tick(HWND dialog, std::initializer_list<int> ids, bool checked = true)
{
    for (int id : ids) CheckDlgButton(dialog, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

// Selects the entry and closes the drop-down list, as a pick with the mouse does.
void PickAccount(HWND dialog, const std::string& entry)
{
    HWND combo = GetDlgItem(dialog, IDC_MYUSER_ACCOUNTS);
    LRESULT index = SendMessageA(combo, CB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>(entry.c_str()));
    ASSERT_NE(index, CB_ERR) << entry;
    SendMessageA(combo, CB_SETCURSEL, index, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_MYUSER_ACCOUNTS, CBN_CLOSEUP), reinterpret_cast<LPARAM>(combo));
}

INT_PTR CALLBACK HostProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

// Opens the tool the way the administrator menu does, from inside a host dialog of the harness, so
// the harness hands steps to the tool's dialog. Returns what the tool returned.
int RunTool(int (*tool)(HWND owner), DialogSteps steps)
{
    int result = -1;
    RunDialog("MYSQL_BACKUP", HostProc, 0, [&](HWND host) {
        OnNextDialog(steps);
        result = tool(host);
        EndDialog(host, 0);
    });
    return result;
}

bool Lists(HWND dialog, const std::string& entry)
{
    auto items = ComboItems(dialog, IDC_MYUSER_ACCOUNTS);
    return std::find(items.begin(), items.end(), entry) != items.end();
}

const std::string user = "mv_o'x\\";  // a quote and a backslash: must reach the server as they are
const std::string host = "%";
const std::string entry = user + "@" + host;

TEST_F(MySqlUserManager, CreatesChangesAndDeletesAnAccountOnTheServer)
{
    MySqlProbe probe(server);
    ASSERT_TRUE(probe.Connected()) << probe.Error();
    const bool classic = ClassicRun();
    if (classic) {
        probe.Exec("delete from mysql.user where User like 'mv\\_%'");
        probe.Exec("delete from mysql.db where User like 'mv\\_%'");
    } else {
        for (const auto& row : probe.Rows("select User, Host from mysql.user where User like 'mv\\_%'"))
            probe.Exec("drop user '" + Quoted(row[0]) + "'@'" + Quoted(row[1]) + "'");
    }
    ASSERT_TRUE(probe.Exec("flush privileges")) << probe.Error();

    MessageBoxCapture boxes;
    ConfirmCapture confirm;
    bool shown = false;
    int result = RunTool(ShowMySqlUserManager, [&](HWND dialog) {
        shown = true;
        EXPECT_EQ(mysqlUserManagerForm, classic ? MySqlClassicGrantTables : MySqlAccountStatements);
        EXPECT_TRUE(Lists(dialog, "root@127.0.0.1") && Lists(dialog, "root@localhost"));

        // Create: password typed in lower case, five boxes ticked, the hidden Event box too.
        SetText(dialog, IDC_MYUSER_USER, user);
        SetText(dialog, IDC_MYUSER_HOST, host);
        TypeText(dialog, IDC_MYUSER_PASSWORD, "se'cr\\et");
        TypeText(dialog, IDC_MYUSER_RETYPE, "se'cr\\et");
        Tick(dialog, {401, 411, 415, 417, 421, 427});
        Click(dialog, IDC_MYUSER_CREATE);
        EXPECT_EQ(boxes.Count(), 0u) << boxes.Boxes()[0].text;
        for (int id : {IDC_MYUSER_USER, IDC_MYUSER_HOST, IDC_MYUSER_PASSWORD, IDC_MYUSER_RETYPE})
            EXPECT_EQ(Text(dialog, id), "");
        EXPECT_EQ(Boxes(dialog), std::string(28, 'N'));
        EXPECT_TRUE(Lists(dialog, entry));
        //                                      Select    Grant   Showdb tmp   Repl.client    Event
        EXPECT_EQ(ServerPrivileges(probe, user, host), "YNNNNNNNNNYNNNYNYNNNYNNNNNNN");
        EXPECT_TRUE(PasswordIs(probe, user, host, "SE'CR\\ET"));
        EXPECT_FALSE(PasswordIs(probe, user, host, "se'cr\\et"));
        if (!classic) {
            std::string grants = probe.Value("show grants for '" + Quoted(user) + "'@'%'");
            EXPECT_NE(grants.find("GRANT SELECT, SHOW DATABASES, CREATE TEMPORARY TABLES"), std::string::npos) << grants;
            EXPECT_NE(grants.find("WITH GRANT OPTION"), std::string::npos) << grants;
        }

        // The server grants Event and Trigger behind the tool's back: loading shows them.
        ASSERT_TRUE(classic ? probe.Exec("update mysql.user set Event_priv = 'Y', Trigger_priv = 'Y' where User = '" +
                                         Quoted(user) + "'")
                            : probe.Exec("grant event, trigger on *.* to '" + Quoted(user) + "'@'%'"))
            << probe.Error();
        PickAccount(dialog, entry);
        EXPECT_EQ(Text(dialog, IDC_MYUSER_USER), user);
        EXPECT_EQ(Text(dialog, IDC_MYUSER_HOST), host);
        EXPECT_EQ(Boxes(dialog), "YNNNNNNNNNYNNNYNYNNNYNNNNNYY");

        // Two different passwords send nothing.
        Click(dialog, IDC_MYUSER_CLEAR_ALL);
        EXPECT_EQ(Boxes(dialog), std::string(28, 'N'));
        TypeText(dialog, IDC_MYUSER_PASSWORD, "one");
        TypeText(dialog, IDC_MYUSER_RETYPE, "two");
        Click(dialog, IDC_MYUSER_UPDATE);
        ASSERT_EQ(boxes.Count(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].text, "Különböző jelszavak!");
        EXPECT_EQ(boxes.Boxes()[0].caption, "Figyelem");
        EXPECT_EQ(boxes.Boxes()[0].style, static_cast<UINT>(MB_TASKMODAL));
        boxes.Clear();
        EXPECT_EQ(ServerPrivileges(probe, user, host), "YNNNNNNNNNYNNNYNYNNNYNNNNNYY");

        // An account made behind the tool's back shows only when the list is read again, which an
        // update never does.
        ASSERT_TRUE(classic ? probe.Exec("insert into mysql.user (Host, User, Password, ssl_cipher, x509_issuer, "
                                         "x509_subject) values ('%', 'mv_side', '', '', '', '')")
                            : probe.Exec("create user 'mv_side'@'%'"))
            << probe.Error();

        // Update with a new password and other boxes: Insert, Super, Create user; Event and Trigger
        // cleared by "-" stay granted on the server, since they are never sent.
        SetText(dialog, IDC_MYUSER_PASSWORD, "");
        SetText(dialog, IDC_MYUSER_RETYPE, "");
        TypeText(dialog, IDC_MYUSER_PASSWORD, "new");
        TypeText(dialog, IDC_MYUSER_RETYPE, "new");
        Tick(dialog, {402, 416, 426});
        Click(dialog, IDC_MYUSER_UPDATE);
        EXPECT_EQ(boxes.Count(), 0u) << boxes.Boxes()[0].text;
        EXPECT_EQ(ServerPrivileges(probe, user, host), "NYNNNNNNNNNNNNNYNNNNNNNNNYYY");
        EXPECT_TRUE(PasswordIs(probe, user, host, "NEW"));
        EXPECT_FALSE(PasswordIs(probe, user, host, "SE'CR\\ET"));
        EXPECT_EQ(Text(dialog, IDC_MYUSER_USER), user);
        EXPECT_EQ(Text(dialog, IDC_MYUSER_PASSWORD), "NEW");
        EXPECT_FALSE(Lists(dialog, "mv_side@%"));
        if (!classic) {
            std::string grants = probe.Value("show grants for '" + Quoted(user) + "'@'%'");
            EXPECT_EQ(grants.find("GRANT OPTION"), std::string::npos) << grants;
            EXPECT_NE(grants.find("INSERT, SUPER, CREATE USER"), std::string::npos) << grants;
        }

        // Both password fields empty: the privileges change, the password stays.
        SetText(dialog, IDC_MYUSER_PASSWORD, "");
        SetText(dialog, IDC_MYUSER_RETYPE, "");
        Tick(dialog, {419});
        Click(dialog, IDC_MYUSER_UPDATE);
        EXPECT_EQ(ServerPrivileges(probe, user, host), "NYNNNNNNNNNNNNNYNNYNNNNNNYYY");
        EXPECT_TRUE(PasswordIs(probe, user, host, "NEW"));

        // Creating it again: the server's error, and the fields keep what was typed.
        TypeText(dialog, IDC_MYUSER_PASSWORD, "x");
        TypeText(dialog, IDC_MYUSER_RETYPE, "x");
        Click(dialog, IDC_MYUSER_CREATE);
        ASSERT_EQ(boxes.Count(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].caption, "ODBC error");
        boxes.Clear();
        EXPECT_EQ(Text(dialog, IDC_MYUSER_USER), user);
        EXPECT_EQ(Text(dialog, IDC_MYUSER_PASSWORD), "X");
        EXPECT_TRUE(PasswordIs(probe, user, host, "NEW"));

        // Delete: a database right of the account goes with it. No first: nothing changes.
        ASSERT_TRUE(classic ? probe.Exec("insert into mysql.db (Host, Db, User, Select_priv) values ('%', 'mvdb', '" +
                                         Quoted(user) + "', 'Y')")
                            : probe.Exec("grant select on mvdb.* to '" + Quoted(user) + "'@'%'"))
            << probe.Error();
        auto before = ComboItems(dialog, IDC_MYUSER_ACCOUNTS);
        confirm.answer = IDNO;
        Click(dialog, IDC_MYUSER_DELETE);
        ASSERT_EQ(confirm.texts.size(), 1u);
        EXPECT_EQ(confirm.texts[0], classic ? "delete from `mysql`.`user` where `user` = 'mv_o''x\\\\' and `host` = '%'"
                                            : "DROP USER 'mv_o''x\\\\'@'%'");
        EXPECT_EQ(confirm.captions[0], "Biztos vagy benne?");
        EXPECT_EQ(confirm.styles[0], static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
        EXPECT_EQ(ComboItems(dialog, IDC_MYUSER_ACCOUNTS), before);
        EXPECT_EQ(Text(dialog, IDC_MYUSER_USER), user);
        EXPECT_NE(ServerPrivileges(probe, user, host), "");

        confirm.answer = IDYES;
        Click(dialog, IDC_MYUSER_DELETE);
        EXPECT_EQ(boxes.Count(), 0u) << boxes.Boxes()[0].text;
        EXPECT_EQ(ServerPrivileges(probe, user, host), "");
        EXPECT_EQ(probe.Value("select count(*) from mysql.db where User = '" + Quoted(user) + "'"), "0");
        EXPECT_EQ(Text(dialog, IDC_MYUSER_USER), "");
        EXPECT_EQ(Text(dialog, IDC_MYUSER_HOST), "");
        EXPECT_EQ(Boxes(dialog), std::string(28, 'N'));
        EXPECT_FALSE(Lists(dialog, entry));
        EXPECT_TRUE(Lists(dialog, "mv_side@%"));
        Click(dialog, IDC_MYUSER_EXIT);
    });
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(shown);
    EXPECT_EQ(mysqlAdminConnection, nullptr);
    if (!ClassicRun()) {
        EXPECT_FALSE(CanLogIn(server, user, "NEW"));
    }
}

TEST_F(MySqlUserManager, RefusedLoginShowsTheMessageAndNoDialog)
{
    CopyText(session.mysqlPassword, "wrong");
    MessageBoxCapture boxes;
    bool shown = false;
    int result = RunTool(ShowMySqlUserManager, [&](HWND dialog) {
        shown = true;
        EndDialog(dialog, 0);
    });
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(shown);
    ASSERT_EQ(boxes.Count(), 2u);
    EXPECT_EQ(boxes.Boxes()[0].caption, "ODBC error");
    EXPECT_EQ(boxes.Boxes()[1].text,
              "Az adatbázis a bejelentkezés sikertelen!\r\nKérem vegye fel a kapcsolatot a rendszergazdával!");
    EXPECT_EQ(boxes.Boxes()[1].caption, "Hibaüzenet");
    EXPECT_EQ(boxes.Boxes()[1].style, static_cast<UINT>(MB_TASKMODAL));
    EXPECT_EQ(mysqlAdminConnection, nullptr);
}

}  // namespace
