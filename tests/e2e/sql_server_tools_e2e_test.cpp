// The SQL Server tools from the real Marvitelkon.exe: an administrator logs in, opens the login
// manager and the backup from the administrator menu, and the stand-in driver (reached through
// Wine's odbc32 and unixODBC with the environment this test inherits) does what they asked.
#include "tests/e2e/e2e_driver.h"

#include "admin/admin_ids.h"
#include "shell/shell_ids.h"
#include "tests/admin/sql_server_stand_in.h"
#include "tests/harness/test_documents.h"

#include <gtest/gtest.h>

TEST(SqlServerToolsE2e, AnAdministratorOpensBothToolsFromTheMenuAndBacksUpADatabase)
{
    e2e::SavedLogin remembered;
    SeedStandIn({"login\talfa\tA\tdbcreator", "database\tkonyveles"});
    std::string backup = StandInPath(".bak");
    for (char& c : backup) c = c == '/' ? '\\' : c;
    DeleteFileA(backup.c_str());
    e2e::StartDirectory start({{"Marvitelkon.ini",
                                Scramble(Document("E2E Kft.", "", UserLine("Admin", "ADMIN", "TITOK", "YES"),
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

    e2e::Command(main, IDM_ADMIN_MSSQL_LOGINS);
    HWND manager = launcher.WaitForDialog("Microsoft SQL Server - User manager");
    ASSERT_TRUE(manager) << e2e::DescribeWindows(launcher);
    HWND logins = e2e::Control(manager, IDC_MSSQL_LOGINS);
    EXPECT_EQ(SendMessageA(logins, CB_GETCOUNT, 0, 0), 2);
    e2e::Click(manager, IDC_MSSQL_EXIT);
    EXPECT_TRUE(e2e::WaitForGone(manager));

    e2e::Command(main, IDM_ADMIN_MSSQL_BACKUP);
    HWND dialog = launcher.WaitForDialog("Microsoft SQL Server");
    ASSERT_TRUE(dialog) << e2e::DescribeWindows(launcher);
    e2e::SetControlText(dialog, IDC_MSSQL_BACKUP_NAME, "HAVI");
    e2e::SetControlText(dialog, IDC_MSSQL_BACKUP_FILE, backup);
    e2e::Click(dialog, IDC_MSSQL_BACKUP_RUN);
    HWND done = launcher.WaitForMessageBox("Üzenet");
    e2e::MessageBoxView view;
    ASSERT_TRUE(e2e::ReadMessageBox(done, &view));
    EXPECT_EQ(view.text, "A(z) 'konyveles' adatbázis mentése '" + backup + "' néven lefutott!");
    e2e::Click(done, IDOK);
    EXPECT_TRUE(e2e::WaitForGone(dialog));
    EXPECT_EQ(ReadBytes(backup).substr(0, 29), "backup of database konyveles\n");
    e2e::Close(main);
    EXPECT_TRUE(launcher.ExpectExit());
}
