// The SQL Server tools from the real Marvitelkon.exe: an administrator logs in and opens the login
// manager and the backup from the administrator menu; both reach the stand-in driver through Wine's
// odbc32 and unixODBC with the environment this test hands on.
#include "tests/e2e/e2e_driver.h"

#include "admin/admin_ids.h"
#include "shell/shell_ids.h"
#include "tests/db/sqlserver_standin/standin_files.h"
#include "tests/harness/test_documents.h"

#include <gtest/gtest.h>

TEST(SqlServerToolsE2e, AnAdministratorOpensBothToolsFromTheMenu)
{
    e2e::SavedLogin remembered;
    SeedStandIn("login\tsa\tSAPWD\tsysadmin\nlogin\talfa\tA\t\ndatabase\tkonyveles\ndatabase\tberek\n");
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
    EXPECT_EQ(StandInCalls("SQLConnect MV_MSSQL|sa|SAPWD").size(), 2u);
    e2e::Close(main);
    EXPECT_TRUE(launcher.ExpectExit());
}
