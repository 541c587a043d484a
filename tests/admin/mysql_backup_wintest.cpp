// The MySQL backup opened for real with ShowMySqlBackup against the throwaway MariaDB server (whose
// data source opens the mysql database, so "select * from db" reads the privilege table), driven
// inside its modal loop. WinExec is replaced so that the batch file is judged as written and
// nothing is started; the end-to-end test runs a real dump.
#include "admin/admin_ids.h"
#include "admin/admin_tools.h"
#include "admin/mysql_admin_connection.h"
#include "shell/session.h"
#include "support/bounded_text.h"
#include "support/calendar_date.h"
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

struct Started {
    std::string command;
    UINT show = 0;
    std::string batch;  // the batch file's bytes when it was started
};
std::vector<Started> started;

UINT WINAPI FakeWinExec(LPCSTR command, UINT show)
{
    started.push_back({command, show, ReadBytes(std::string(startDirectory) + "\\" + command)});
    return 33;
}

INT_PTR CALLBACK HostProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

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

void PickDatabase(HWND dialog, const std::string& name)
{
    HWND combo = GetDlgItem(dialog, IDC_MYBACKUP_DATABASE);
    LRESULT index = SendMessageA(combo, CB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>(name.c_str()));
    ASSERT_NE(index, CB_ERR) << name;
    SendMessageA(combo, CB_SETCURSEL, index, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_MYBACKUP_DATABASE, CBN_CLOSEUP), reinterpret_cast<LPARAM>(combo));
}

std::string Today(bool iso)
{
    CalendarDate today;
    today.Init();
    today.SetToday();
    std::string text = iso ? today.ToIsoText() : today.ToCompactText();
    today.Destroy(2);
    return text;
}

TEST(MySqlBackup, ProposesWritesAndStartsTheBatchLine)
{
    TestServer server = ReadTestServer();
    ASSERT_TRUE(server.error.empty()) << server.error;
    ASSERT_EQ(LoadOdbcApi(), 1);
    KeepOdbcLibrariesMapped();
    if (!appInstance) appInstance = GetModuleHandleA(nullptr);
    CopyText(session.mysqlDataSource, server.dsn.c_str());
    CopyText(session.mysqlUser, server.user.c_str());
    CopyText(session.mysqlPassword, server.password.c_str());
    MySqlProbe probe(server);
    ASSERT_TRUE(probe.Connected()) << probe.Error();
    // Two rows of mysql.db for one database, one of them with the escaped "_" of a pattern.
    probe.Exec("delete from mysql.db where Db like 'mv%'");
    ASSERT_TRUE(probe.Exec("insert into mysql.db (Host, Db, User) values ('%', 'mv\\\\_shop', 'a'), ('%', 'mv_shop', "
                           "'b'), ('%', 'aa_first', 'c')"))
        << probe.Error();
    ASSERT_TRUE(probe.Exec("flush privileges")) << probe.Error();

    ScratchDirectory start;
    start.Enter();
    ASSERT_TRUE(MakeDirectory(start.PathOf("dumps 100%")));
    CopyText(startDirectory, start.path.c_str());
    void* original = ReplaceImport("kernel32.dll", "WinExec", reinterpret_cast<void*>(&FakeWinExec));
    ASSERT_TRUE(original);
    MessageBoxCapture boxes;

    bool shown = false;
    int result = RunTool(ShowMySqlBackup, [&](HWND dialog) {
        shown = true;
        auto items = ComboItems(dialog, IDC_MYBACKUP_DATABASE);
        EXPECT_EQ(std::count(items.begin(), items.end(), "mv_shop"), 2) << items.size();
        EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_MYBACKUP_DATABASE, CB_GETCURSEL, 0, 0), 0);
        EXPECT_EQ(Text(dialog, IDC_MYBACKUP_FILE), "");

        // Nothing to save to yet.
        Click(dialog, IDC_MYBACKUP_SAVE);
        ASSERT_EQ(boxes.Count(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].text, "A paraméterek kitöltése hiányos!");
        EXPECT_EQ(boxes.Boxes()[0].caption, "Hibaüzenet");
        boxes.Clear();

        // The server field is at most 15 characters and keeps what was typed when a database is picked.
        TypeText(dialog, IDC_MYBACKUP_SERVER, "127.0.0.1234567890");
        EXPECT_EQ(Text(dialog, IDC_MYBACKUP_SERVER), "127.0.0.1234567");
        SetText(dialog, IDC_MYBACKUP_SERVER, "10.1.2.3");
        PickDatabase(dialog, "mv_shop");
        EXPECT_EQ(Text(dialog, IDC_MYBACKUP_FILE), start.path + "\\mv_shop-" + Today(true) + ".mysql-server");
        EXPECT_EQ(Text(dialog, IDC_MYBACKUP_SERVER), "10.1.2.3");

        // A file of its own, with a blank and a per cent sign, ending in an extension.
        SetText(dialog, IDC_MYBACKUP_FILE, start.path + "\\dumps 100%\\shop.sql");
        Click(dialog, IDC_MYBACKUP_SAVE);
        EXPECT_EQ(boxes.Count(), 0u);
    });
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(shown);
    EXPECT_EQ(mysqlAdminConnection, nullptr);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].command, "backup_mysql.bat");
    EXPECT_EQ(started[0].show, static_cast<UINT>(SW_SHOW));
    EXPECT_EQ(started[0].batch, "mysqldump -h 10.1.2.3 -u root -pmvteszt mv_shop > \"" + start.path +
                                    "\\dumps 100%%\\shop.sql-" + Today(false) + "\"\r\n");

    // Again with a blank server: the line without -h, the file replaced whole.
    result = RunTool(ShowMySqlBackup, [&](HWND dialog) {
        SetText(dialog, IDC_MYBACKUP_SERVER, "   ");
        PickDatabase(dialog, "aa_first");
        PressKey(dialog, VK_ESCAPE);
        PumpMessages(dialog);
        EXPECT_TRUE(IsWindowVisible(dialog));
        PressKey(dialog, VK_RETURN);
        PumpMessages(dialog);
    });
    ASSERT_EQ(started.size(), 2u);
    std::string file = start.path + "\\aa_first-" + Today(true) + ".mysql-server-" + Today(false);
    EXPECT_EQ(started[1].batch, "mysqldump -u root -pmvteszt aa_first > " + file + "\r\n");
    EXPECT_EQ(ReadBytes(start.PathOf("backup_mysql.bat")), started[1].batch);

    ReplaceImport("kernel32.dll", "WinExec", original);
    probe.Exec("delete from mysql.db where Db like 'mv%' or Db = 'aa_first'");
}

}  // namespace
