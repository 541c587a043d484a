// The MySQL tools from the real program: an administrator logs in, opens the user manager and the
// backup from the administrator menu, and the backup's batch file dumps a database of the test
// server for real (mysqldump.exe in the start directory forwards to the host's dump program). The
// dump is restored into a fresh database and compared with the original; the batch file is gone
// after the program has ended.
#include "tests/e2e/e2e_driver.h"

#include "admin/admin_ids.h"
#include "shell/shell_ids.h"
#include "support/calendar_date.h"
#include "tests/admin/mysql_probe.h"
#include "tests/harness/test_documents.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Today()
{
    CalendarDate today;
    today.Init();
    today.SetToday();
    std::string text = today.ToCompactText();
    today.Destroy(2);
    return text;
}

// Feeds the dump file to the host's mariadb client for database; returns at once (the Linux child
// runs detached).
bool Restore(const TestServer& server, const std::string& dumpFile, const std::string& database)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE input = CreateFileA(dumpFile.c_str(), GENERIC_READ, FILE_SHARE_READ, &inherit, OPEN_EXISTING, 0, nullptr);
    if (input == INVALID_HANDLE_VALUE) return false;
    std::string command = "\"Z:\\usr\\bin\\mariadb\" --no-defaults -h 127.0.0.1 -P " + server.port + " -u " +
                          server.user + " -p" + server.password + " " + database;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process = {};
    bool started = CreateProcessA("Z:\\usr\\bin\\mariadb", &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                  &startup, &process);
    CloseHandle(input);
    if (started) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    return started;
}

const char* const tableContents = "select group_concat(id, ':', name, ':', amount order by id separator '|') from ";

TEST(MySqlToolsE2e, AdministratorOpensBothToolsAndTheBackupDumpsForReal)
{
    TestServer server = ReadTestServer();
    ASSERT_TRUE(server.error.empty()) << server.error;
    MySqlProbe probe(server);
    ASSERT_TRUE(probe.Connected()) << probe.Error();
    probe.Exec("drop database if exists mv_e2e_source");
    probe.Exec("drop database if exists mv_e2e_copy");
    ASSERT_TRUE(probe.Exec("create database mv_e2e_source")) << probe.Error();
    ASSERT_TRUE(probe.Exec("create table mv_e2e_source.invoice (id int primary key, name varchar(40), amount "
                           "decimal(10,2))"))
        << probe.Error();
    ASSERT_TRUE(probe.Exec("insert into mv_e2e_source.invoice values (1, 'Kovacs Kft.', 1200.50), (2, 'O''Brien & "
                           "Co', 0), (3, 'back\\\\slash', -7.25)"))
        << probe.Error();
    probe.Exec("delete from mysql.db where Db = 'mv\\\\_e2e\\\\_source'");
    ASSERT_TRUE(probe.Exec("insert into mysql.db (Host, Db, User) values ('%', 'mv\\\\_e2e\\\\_source', 'e2e')"))
        << probe.Error();
    std::string original = probe.Value(std::string(tableContents) + "mv_e2e_source.invoice");
    ASSERT_FALSE(original.empty());

    e2e::StartDirectory start({{"Marvitelkon.ini",
                                Scramble(Document("E2E Kft.", "", UserLine("Rendszer Gazda", "ADMIN", "TITOK", "YES"),
                                                  DataSourceFields("MYSQL", server.dsn, server.user, server.password),
                                                  DataSourceFields("MSSQL", "", "", "")))}});
    ASSERT_TRUE(start.CopyIn(e2e::WindowsPath(MV_MYSQLDUMP_FORWARDER), "mysqldump.exe"));
    ASSERT_TRUE(start.MakeDirectory("dump 100%"));
    // The batch line names no port; the forwarder passes this one on.
    SetEnvironmentVariableA("MYSQL_TCP_PORT", server.port.c_str());

    e2e::SavedLogin savedLogin;
    e2e::Program launcher;
    ASSERT_TRUE(launcher.Start(e2e::ProgramPath(), start.Path()));
    HWND login = launcher.WaitForDialog("Bejelenkezés");
    ASSERT_TRUE(login) << e2e::DescribeWindows(launcher);
    EXPECT_TRUE(e2e::SetControlText(login, IDC_LOGIN_ID, "ADMIN"));
    EXPECT_TRUE(e2e::TypeText(login, IDC_LOGIN_PASSWORD, "TITOK"));
    EXPECT_TRUE(e2e::Click(login, IDC_LOGIN_OK));
    HWND main = launcher.WaitForWindow(e2e::HasControl(IDC_MAIN_LIST, "SysListView32"));
    ASSERT_TRUE(main) << e2e::DescribeWindows(launcher);

    // The user manager lists the server's accounts.
    ASSERT_TRUE(e2e::Command(main, IDM_ADMIN_MYSQL_USERS));
    HWND users = launcher.WaitForDialog("User manager");
    ASSERT_TRUE(users) << e2e::DescribeWindows(launcher);
    HWND accounts = e2e::Control(users, IDC_MYUSER_ACCOUNTS);
    EXPECT_TRUE(e2e::WaitUntil([&] { return SendMessageA(accounts, CB_GETCOUNT, 0, 0) >= 2; }));
    EXPECT_NE(SendMessageA(accounts, CB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>("root@localhost")), CB_ERR);
    ASSERT_TRUE(e2e::Click(users, IDC_MYUSER_EXIT));
    ASSERT_TRUE(e2e::WaitForGone(users));

    // The backup: the database picked from the list, a server and a dump path of our own.
    ASSERT_TRUE(e2e::Command(main, IDM_ADMIN_MYSQL_BACKUP));
    HWND backup = launcher.WaitForDialog("MySQL");
    ASSERT_TRUE(backup) << e2e::DescribeWindows(launcher);
    HWND databases = e2e::Control(backup, IDC_MYBACKUP_DATABASE);
    LRESULT index = SendMessageA(databases, CB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>("mv_e2e_source"));
    ASSERT_NE(index, CB_ERR);
    SendMessageA(databases, CB_SETCURSEL, index, 0);
    EXPECT_TRUE(e2e::SetControlText(backup, IDC_MYBACKUP_SERVER, "127.0.0.1"));
    EXPECT_TRUE(e2e::SetControlText(backup, IDC_MYBACKUP_FILE, start.PathOf("dump 100%\\source")));
    ASSERT_TRUE(e2e::Click(backup, IDC_MYBACKUP_SAVE));
    ASSERT_TRUE(e2e::WaitForGone(backup));

    std::string dumpName = "dump 100%\\source-" + Today();
    std::string dump;
    EXPECT_TRUE(e2e::WaitUntil([&] {
        dump = start.Read(dumpName);
        return dump.find("-- Dump completed") != std::string::npos;
    }, 60000)) << "dump file: " << dump.substr(0, 400);
    EXPECT_TRUE(start.Exists("backup_mysql.bat"));

    ASSERT_TRUE(probe.Exec("create database mv_e2e_copy")) << probe.Error();
    ASSERT_TRUE(Restore(server, start.PathOf(dumpName), "mv_e2e_copy"));
    std::string copy;
    EXPECT_TRUE(e2e::WaitUntil([&] {
        copy = probe.Value(std::string(tableContents) + "mv_e2e_copy.invoice");
        return copy == original;
    })) << copy << " instead of " << original;

    ASSERT_TRUE(e2e::PressCloseBox(main));
    EXPECT_TRUE(launcher.ExpectExit());
    EXPECT_FALSE(start.Exists("backup_mysql.bat"));
    probe.Exec("drop database if exists mv_e2e_source");
    probe.Exec("drop database if exists mv_e2e_copy");
    probe.Exec("delete from mysql.db where Db = 'mv\\\\_e2e\\\\_source'");
}

}  // namespace
