// The SQL Server tools from the real Marvitelkon.exe: an administrator logs in and opens the login
// manager and the backup from the administrator menu; both reach the stand-in driver through Wine's
// odbc32 and unixODBC with the environment this test hands on. A backup whose two steps take 4
// seconds each then runs while the window answers messages from this process (the longest answer time
// is printed), shows the percentage reported and refuses its close box; the file is complete when
// the success message comes.
#include "tests/e2e/e2e_driver.h"

#include "admin/admin_ids.h"
#include "shell/shell_ids.h"
#include "tests/db/sqlserver_standin/standin_files.h"
#include "tests/e2e/bench_timing.h"
#include "tests/harness/test_documents.h"

#include <gtest/gtest.h>

#include <stdio.h>

TEST(SqlServerToolsE2e, AnAdministratorOpensBothToolsAndBacksUpWhileTheWindowAnswers)
{
    e2e::SavedLogin remembered;
    SeedStandIn("login\tsa\tSAPWD\tsysadmin\nlogin\talfa\tA\t\ndatabase\tkonyveles\ndatabase\tberek\n"
                "backup\t2\t4000\t0\n");
    e2e::StartDirectory start({{"Marvitelkon.ini", Scramble(Document("E2E Kft.", "", UserLine("Admin", "ADMIN", "TITOK", "YES"),
                                                                     DataSourceFields("MYSQL", "", "", ""),
                                                                     DataSourceFields("MSSQL", "MV_MSSQL", "sa", "SAPWD")))}});
    e2e::Program launcher;
    ASSERT_TRUE(launcher.Start(e2e::ProgramPath(), start.Path()));
    HWND login = launcher.WaitForDialog("Bejelenkezés");
    ASSERT_TRUE(login);
    e2e::SetControlText(login, IDC_LOGIN_ID, "ADMIN");
    e2e::TypeText(login, IDC_LOGIN_PASSWORD, "TITOK");
    e2e::Click(login, IDC_LOGIN_OK);
    HWND main = launcher.WaitForWindow(e2e::HasControl(IDC_MAIN_LIST, "SysListView32"));
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

    e2e::Command(main, IDM_ADMIN_MSSQL_BACKUP);
    HWND dialog = launcher.WaitForDialog("Microsoft SQL Server");
    ASSERT_TRUE(dialog) << e2e::DescribeWindows(launcher);
    HWND progress = e2e::Control(dialog, IDC_MSSQL_BACKUP_PROGRESS);
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
    for (double end = bench::Now() + 60000; !box && bench::Now() < end; Sleep(20), answers++) {
        double sent = bench::Now();
        DWORD_PTR position = 0;
        ASSERT_TRUE(SendMessageTimeoutA(progress, PBM_GETPOS, 0, 0, SMTO_NORMAL, 2000, &position))
            << "no answer within 2 s after " << answers << " answers";
        worst = std::max(worst, bench::Now() - sent);
        halfShown |= position == 50 && e2e::IsShown(progress);
        box = launcher.FindTopWindow(e2e::IsMessageBox());
    }
    printf("backup window: %d answers while the server worked, the longest in %.1f ms\n", answers, worst);
    EXPECT_TRUE(halfShown);
    e2e::MessageBoxView view;
    ASSERT_TRUE(box && e2e::ReadMessageBox(box, &view)) << e2e::DescribeWindows(launcher);
    EXPECT_TRUE(e2e::IsShown(dialog));
    EXPECT_EQ(view.caption + ": " + view.text, "Üzenet: A(z) 'berek' adatbázis mentése '" + file + "' néven lefutott!");
    EXPECT_EQ(ReadBytes(file), "backup of database berek\nname E2E\n");
    e2e::Click(box, IDOK);
    EXPECT_TRUE(e2e::WaitForGone(dialog));
    EXPECT_EQ(StandInCalls("SQLConnect MV_MSSQL|sa|SAPWD").size(), 3u);
    e2e::Close(main);
    EXPECT_TRUE(launcher.ExpectExit());
}
