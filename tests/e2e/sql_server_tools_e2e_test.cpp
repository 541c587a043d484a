// The SQL Server tools from the real Marvitelkon.exe: an administrator logs in and opens the login
// manager and the backup from the administrator menu; both reach the stand-in driver through Wine's
// odbc32 and unixODBC with the environment this test hands on.
#include "tests/e2e/e2e_driver.h"

#include "admin/admin_ids.h"
#include "shell/shell_ids.h"
#include "tests/db/sqlserver_standin/standin_files.h"
#include "tests/e2e/bench_timing.h"
#include "tests/harness/test_documents.h"

#include <gtest/gtest.h>

#include <stdio.h>

namespace {

// Starts the launcher in start with the stand-in seeded with state, logs the administrator in and
// returns the main window (null on failure).
HWND LogIn(e2e::Program& launcher, const e2e::StartDirectory& start, const std::string& state)
{
    SeedStandIn("login\tsa\tSAPWD\tsysadmin\n" + state);
    if (!launcher.Start(e2e::ProgramPath(), start.Path())) return nullptr;
    HWND login = launcher.WaitForDialog("Bejelenkezés");
    if (!login) return nullptr;
    e2e::SetControlText(login, IDC_LOGIN_ID, "ADMIN");
    e2e::TypeText(login, IDC_LOGIN_PASSWORD, "TITOK");
    e2e::Click(login, IDC_LOGIN_OK);
    return launcher.WaitForWindow(e2e::HasControl(IDC_MAIN_LIST, "SysListView32"));
}

const e2e::StartDirectory::File document = {
    "Marvitelkon.ini", Scramble(Document("E2E Kft.", "", UserLine("Admin", "ADMIN", "TITOK", "YES"),
                                         DataSourceFields("MYSQL", "", "", ""),
                                         DataSourceFields("MSSQL", "MV_MSSQL", "sa", "SAPWD")))};

}  // namespace

TEST(SqlServerToolsE2e, AnAdministratorOpensBothToolsFromTheMenu)
{
    e2e::SavedLogin remembered;
    e2e::StartDirectory start({document});
    e2e::Program launcher;
    HWND main = LogIn(launcher, start, "login\talfa\tA\t\ndatabase\tkonyveles\ndatabase\tberek\n");
    ASSERT_TRUE(main) << e2e::DescribeWindows(launcher);
    const struct {
        int command, list, close;
        const char* caption;
    } tools[] = {{IDM_ADMIN_MSSQL_LOGINS, IDC_MSSQL_LOGINS, IDC_MSSQL_EXIT, "Microsoft SQL Server - User manager"},
                 {IDM_ADMIN_MSSQL_BACKUP, IDC_MSSQL_BACKUP_DATABASES, 0, "Microsoft SQL Server"}};
    for (const auto& tool : tools) {
        e2e::Command(main, tool.command);
        HWND dialog = launcher.WaitForDialog(tool.caption);
        ASSERT_TRUE(dialog) << e2e::DescribeWindows(launcher);
        EXPECT_EQ(SendMessageA(e2e::Control(dialog, tool.list), CB_GETCOUNT, 0, 0), 2);
        tool.close ? e2e::Click(dialog, tool.close) : e2e::PressCloseBox(dialog);
        EXPECT_TRUE(e2e::WaitForGone(dialog));
    }
    EXPECT_EQ(StandInCalls("SQLConnect MV_MSSQL|sa|SAPWD").size(), 2u);
    e2e::Close(main);
    EXPECT_TRUE(launcher.ExpectExit());
}

// While the server spends 4 seconds on each of two steps, the backup's window answers messages from
// another process, shows the percentage reported and refuses its close box; the file is complete
// when the success message comes. Prints the longest answer time.
TEST(SqlServerToolsE2e, TheBackupWindowAnswersWhileTheServerWorks)
{
    e2e::SavedLogin remembered;
    e2e::StartDirectory start({document});
    e2e::Program launcher;
    HWND main = LogIn(launcher, start, "database\tkonyveles\nbackup\t2\t4000\t0\n");
    ASSERT_TRUE(main) << e2e::DescribeWindows(launcher);
    e2e::Command(main, IDM_ADMIN_MSSQL_BACKUP);
    HWND dialog = launcher.WaitForDialog("Microsoft SQL Server");
    ASSERT_TRUE(dialog) << e2e::DescribeWindows(launcher);
    std::string file = StandInPath(".bak");
    for (char& c : file) c = c == '/' ? '\\' : c;
    DeleteFileA(file.c_str());
    e2e::SetControlText(dialog, IDC_MSSQL_BACKUP_NAME, "E2E");
    e2e::SetControlText(dialog, IDC_MSSQL_BACKUP_FILE, file);
    e2e::Click(dialog, IDC_MSSQL_BACKUP_RUN);
    ASSERT_TRUE(e2e::WaitUntil([&] { return !e2e::IsEnabled(e2e::Control(dialog, IDC_MSSQL_BACKUP_RUN)); }));
    e2e::PressCloseBox(dialog);
    double worst = 0;
    int answers = 0;
    bool halfShown = false;
    HWND box = nullptr;
    for (double end = bench::Now() + 60000; !box && bench::Now() < end; Sleep(20)) {
        double sent = bench::Now();
        DWORD_PTR position = 0;
        ASSERT_TRUE(SendMessageTimeoutA(e2e::Control(dialog, IDC_MSSQL_BACKUP_PROGRESS), PBM_GETPOS, 0, 0,
                                        SMTO_NORMAL, 2000, &position))
            << "no answer within 2 s after " << answers << " answers";
        worst = std::max(worst, bench::Now() - sent);
        answers++;
        halfShown |= position == 50 && e2e::IsShown(e2e::Control(dialog, IDC_MSSQL_BACKUP_PROGRESS));
        box = launcher.FindTopWindow(e2e::IsMessageBox());
    }
    printf("backup window: %d answers while the server worked, the longest in %.1f ms\n", answers, worst);
    EXPECT_TRUE(halfShown);
    ASSERT_TRUE(box) << e2e::DescribeWindows(launcher);
    EXPECT_TRUE(e2e::IsShown(dialog));
    e2e::MessageBoxView view;
    ASSERT_TRUE(e2e::ReadMessageBox(box, &view));
    EXPECT_EQ(view.caption + ": " + view.text, "Üzenet: A(z) 'konyveles' adatbázis mentése '" + file + "' néven lefutott!");
    EXPECT_EQ(ReadBytes(file), "backup of database konyveles\nname E2E\n");
    e2e::Click(box, IDOK);
    EXPECT_TRUE(e2e::WaitForGone(dialog));
    e2e::Close(main);
    EXPECT_TRUE(launcher.ExpectExit());
}
