// The SQL Server tools from the real Marvitelkon.exe: an administrator logs in and opens the login
// manager and the backup from the administrator menu; both reach the stand-in driver through Wine's
// odbc32 and unixODBC with the environment this test hands on. A backup over an existing one asks
// first (No sends nothing); a failed verification is reported; a backup whose two steps take 3
// seconds each is stopped from its button (the time from the click to the unlocked dialog is
// printed), then runs again while the window answers messages from this process (the longest answer
// time is printed), shows the percentage reported and refuses its close box; the file is complete
// when the success message comes.
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
                "backup\t2\t0\t0\t1\n");
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
    WriteBytes(file, "set\tberek\tREGI\t1\n");
    e2e::SetControlText(dialog, IDC_MSSQL_BACKUP_NAME, "E2E");
    e2e::SetControlText(dialog, IDC_MSSQL_BACKUP_FILE, file);
    auto answer = [&](int button) {  // the next message box, answered
        HWND box = launcher.WaitForMessageBox();
        e2e::MessageBoxView view;
        std::string seen = box && e2e::ReadMessageBox(box, &view) ? view.caption + ": " + view.text : "no box";
        if (box) e2e::Click(box, button), e2e::WaitForGone(box);
        return seen;
    };
    auto unlocked = [&] { return e2e::WaitUntil([&] { return e2e::IsEnabled(e2e::Control(dialog, IDC_MSSQL_BACKUP_RUN)); }); };
    const std::string ask = "Figyelem: A(z) '" + file + "' fájl már tartalmaz mentést.\r\nFelülírja?";
    e2e::Click(dialog, IDC_MSSQL_BACKUP_RUN);
    EXPECT_EQ(answer(IDNO), ask);
    EXPECT_TRUE(unlocked() && StandInCalls("SQLExecDirect BACKUP").empty());
    e2e::Click(dialog, IDC_MSSQL_BACKUP_RUN);  // the verification finds damage
    std::vector<std::string> seen{answer(IDYES), answer(IDOK), answer(IDOK)};  // in this order
    EXPECT_EQ(seen, (std::vector<std::string>{ask, "ODBC error: [Microsoft][SQL Server]Damage to the backup set was detected.",
                                              "Hibaüzenet: A mentés ellenőrzése sikertelen!"}));
    EXPECT_TRUE(ChangeStandIn("backup\t2\t0\t0\t1", "backup\t2\t3000\t0\t0"));
    e2e::Click(dialog, IDC_MSSQL_BACKUP_RUN);
    EXPECT_EQ(answer(IDYES), ask);
    EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::ControlText(dialog, IDC_MSSQL_BACKUP_STAGE).compare(0, 7, "Mentés:") == 0; }));
    double clicked = bench::Now();
    e2e::Click(dialog, IDC_MSSQL_BACKUP_CANCEL);
    EXPECT_TRUE(unlocked());
    printf("stopping the backup took %.0f ms from the click to the unlocked dialog\n", bench::Now() - clicked);
    EXPECT_EQ(answer(IDOK), "Üzenet: A mentés megszakítva.");
    EXPECT_TRUE(!PathExists(file) && !StandInCalls("SQLCancel").empty() && StandInCalls("BACKUP ").size() == 1u);
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
    EXPECT_EQ(ReadBytes(file), "set\tberek\tE2E\t1\n");
    e2e::Click(box, IDOK);
    EXPECT_TRUE(e2e::WaitForGone(dialog));
    EXPECT_EQ(StandInCalls("SQLConnect MV_MSSQL|sa|SAPWD").size(), 3u);
    e2e::Close(main);
    EXPECT_TRUE(launcher.ExpectExit());
}
