// The MySQL tools from the real program: an administrator logs in and opens the user manager and
// the backup from the administrator menu. The backup's batch file dumps a database of the test
// server for real (mysqldump.exe in the start directory forwards to the host's dump program and
// returns its exit status) into a path with a blank and a per cent sign; the dump is restored into a
// fresh database and compared with the original, its procedure and event too. A second dump of the
// same day asks first and then crashes: the first dump stays as it was. Two dumps at once, the
// launcher ending meanwhile, both end whole. No file holds the password when the dumps have ended,
// and none is ever written into the start folder.
#include "tests/e2e/e2e_driver.h"

#include "admin/admin_ids.h"
#include "shell/shell_ids.h"
#include "support/calendar_date.h"
#include "tests/admin/mysql_probe.h"
#include "tests/harness/test_documents.h"
#include "tests/harness/test_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Today(bool iso)
{
    CalendarDate today;
    today.Init();
    today.SetToday();
    std::string text = iso ? today.ToIsoText() : today.ToCompactText();
    today.Destroy(2);
    return text;
}

// The option files (".cnf") or batch files (".bat") of backups in the user's temporary folder.
std::vector<std::string> RunFiles(const std::string& extension)
{
    char folder[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    std::vector<std::string> names;
    for (const std::string& name : FilesIn(folder))
        if (name.rfind("mysqldump-", 0) == 0 && name.find(extension) != std::string::npos) names.push_back(name);
    return names;
}

const std::string contents = "select group_concat(id, ':', name, ':', amount order by id separator '|') from ";

TEST(MySqlToolsE2e, AdministratorOpensBothToolsAndTheBackupDumpsForReal)
{
    TestServer server = ReadTestServer();
    ASSERT_TRUE(server.error.empty()) << server.error;
    MySqlProbe probe(server);
    ASSERT_TRUE(probe.Connected()) << probe.Error();
    for (const char* sql : {"drop database if exists mv_e2e_source", "drop database if exists mv_e2e_copy",
                            "delete from mysql.db where Db like 'mv%e2e%source'", "create database mv_e2e_source",
                            "create table mv_e2e_source.invoice (id int primary key, name varchar(40), amount decimal(10,2))",
                            "insert into mv_e2e_source.invoice values (1, 'Kovacs Kft.', 1200.50), (2, 'O''Brien & Co', "
                            "0), (3, 'back\\\\slash', -7.25)",
                            // Two rows for one database, one with the escaped "_" of a pattern.
                            "insert into mysql.db (Host, Db, User) values ('%', 'mv\\\\_e2e\\\\_source', 'e2e'), "
                            "('%', 'mv_e2e_source', 'e2f')",
                            "create procedure mv_e2e_source.total() select sum(amount) from mv_e2e_source.invoice",
                            "create event mv_e2e_source.tidy on schedule every 1 day disable do delete from mv_e2e_source.invoice"})
        ASSERT_TRUE(probe.Exec(sql)) << probe.Error();
    std::string original = probe.Value(contents + "mv_e2e_source.invoice");

    e2e::StartDirectory start({{"Marvitelkon.ini",
                                Scramble(Document("E2E Kft.", "", UserLine("Rendszer Gazda", "ADMIN", "TITOK", "YES"),
                                                  DataSourceFields("MYSQL", server.dsn, server.user, server.password),
                                                  DataSourceFields("MSSQL", "", "", "")))}});
    ASSERT_TRUE(start.CopyIn(e2e::WindowsPath(MV_MYSQLDUMP_FORWARDER), "mysqldump.exe"));
    ASSERT_TRUE(start.MakeDirectory("dump 100%"));
    SetEnvironmentVariableA("MYSQL_TCP_PORT", server.port.c_str());  // the forwarder passes it on
    ScratchDirectory control;  // and takes the status to end with, and its holds, from files here
    const std::string crash = control.PathOf("status"), before = control.PathOf("before"), after = control.PathOf("after");
    SetEnvironmentVariableA("MV_MYSQLDUMP_STATUS", crash.c_str());
    SetEnvironmentVariableA("MV_MYSQLDUMP_HOLD_BEFORE", before.c_str());
    SetEnvironmentVariableA("MV_MYSQLDUMP_HOLD_AFTER", after.c_str());
    const std::vector<std::string> startFiles = FilesIn(start.Path());
    // What an ended run left (its console closed half-way) goes when the launcher starts.
    char temporary[MAX_PATH];
    GetTempPathA(sizeof temporary, temporary);
    for (const char* name : {"mysqldump-1-2.bat", "mysqldump-1-2.cnf"}) ASSERT_TRUE(WriteBytes(temporary + std::string(name), ""));

    e2e::SavedLogin savedLogin;
    e2e::Program launcher;
    ASSERT_TRUE(launcher.Start(e2e::ProgramPath(), start.Path()));
    HWND login = launcher.WaitForDialog("Bejelenkezés");
    ASSERT_TRUE(login) << e2e::DescribeWindows(launcher);
    e2e::SetControlText(login, IDC_LOGIN_ID, "ADMIN");
    e2e::TypeText(login, IDC_LOGIN_PASSWORD, "TITOK");
    e2e::Click(login, IDC_LOGIN_OK);
    HWND main = launcher.WaitForWindow(e2e::HasControl(IDC_MAIN_LIST, "SysListView32"));
    ASSERT_TRUE(main) << e2e::DescribeWindows(launcher);
    EXPECT_TRUE(RunFiles(".bat").empty() && RunFiles(".cnf").empty());

    // The user manager lists the server's accounts.
    ASSERT_TRUE(e2e::Command(main, IDM_ADMIN_MYSQL_USERS));
    HWND users = launcher.WaitForDialog("User manager");
    ASSERT_TRUE(users) << e2e::DescribeWindows(launcher);
    EXPECT_NE(SendMessageA(e2e::Control(users, IDC_MYUSER_ACCOUNTS), CB_FINDSTRINGEXACT, -1, (LPARAM) "root@localhost"), CB_ERR);
    e2e::Click(users, IDC_MYUSER_EXIT);
    ASSERT_TRUE(e2e::WaitForGone(users));

    // The backup: the first database selected; the one of the test listed once, whatever the grants.
    ASSERT_TRUE(e2e::Command(main, IDM_ADMIN_MYSQL_BACKUP));
    HWND backup = launcher.WaitForDialog("MySQL");
    ASSERT_TRUE(backup) << e2e::DescribeWindows(launcher);
    HWND databases = e2e::Control(backup, IDC_MYBACKUP_DATABASE);
    EXPECT_EQ(SendMessageA(databases, CB_GETCURSEL, 0, 0), 0);
    LRESULT index = SendMessageA(databases, CB_FINDSTRINGEXACT, -1, (LPARAM) "mv_e2e_source");
    ASSERT_NE(index, CB_ERR);
    // (the search starts after index and comes round again)
    EXPECT_EQ(SendMessageA(databases, CB_FINDSTRINGEXACT, index, (LPARAM) "mv_e2e_source"), index);
    e2e::Click(backup, IDC_MYBACKUP_SAVE);
    HWND box = launcher.WaitForMessageBox("Hibaüzenet");
    e2e::MessageBoxView view;
    ASSERT_TRUE(box && e2e::ReadMessageBox(box, &view));
    EXPECT_EQ(view.text, "A paraméterek kitöltése hiányos!");
    e2e::Click(box, IDOK);
    ASSERT_TRUE(e2e::WaitForGone(box));

    // Picking proposes a file and leaves the server field alone.
    e2e::SetControlText(backup, IDC_MYBACKUP_SERVER, "127.0.0.1");
    SendMessageA(databases, CB_SETCURSEL, index, 0);
    PostMessageA(backup, WM_COMMAND, MAKEWPARAM(IDC_MYBACKUP_DATABASE, CBN_CLOSEUP), (LPARAM)databases);
    std::string proposal = start.Path() + "\\mv_e2e_source-" + Today(true) + ".mysql-server";
    EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::ControlText(backup, IDC_MYBACKUP_FILE) == proposal; }))
        << e2e::ControlText(backup, IDC_MYBACKUP_FILE);
    EXPECT_EQ(e2e::ControlText(backup, IDC_MYBACKUP_SERVER), "127.0.0.1");
    e2e::SetControlText(backup, IDC_MYBACKUP_FILE, start.PathOf("dump 100%\\source.sql"));
    e2e::Click(backup, IDC_MYBACKUP_SAVE);
    ASSERT_TRUE(e2e::WaitForGone(backup));
    std::string batch = ReadBytes(temporary + RunFiles(".bat").at(0));
    EXPECT_EQ(batch.rfind("@mysqldump --defaults-extra-file=", 0), 0u) << batch;
    EXPECT_EQ(batch.find(server.password), std::string::npos) << batch;

    // The dump ends as the dated file, complete; nothing else is left beside it, and no option file.
    const std::string dated = "source.sql-" + Today(false), dumpName = "dump 100%\\" + dated;
    std::string dump;
    EXPECT_TRUE(e2e::WaitUntil([&] { return (dump = start.Read(dumpName)).find("-- Dump completed") != std::string::npos; }, 60000))
        << "dump file: " << dump.substr(0, 400);
    EXPECT_TRUE(e2e::WaitUntil([&] { return RunFiles(".cnf").empty(); }));
    EXPECT_EQ(FilesIn(start.PathOf("dump 100%")), std::vector<std::string>{dated});
    ASSERT_TRUE(probe.Exec("create database mv_e2e_copy")) << probe.Error();
    EXPECT_TRUE(Restore(server, start.PathOf(dumpName), "mv_e2e_copy"));
    std::string copy, restored = "select concat((select count(*) from information_schema.ROUTINES where ROUTINE_SCHEMA "
                                 "= 'mv_e2e_copy'), (select count(*) from information_schema.EVENTS where EVENT_SCHEMA = "
                                 "'mv_e2e_copy'), (" + contents + "mv_e2e_copy.invoice))";
    EXPECT_TRUE(e2e::WaitUntil([&] { return (copy = probe.Value(restored)) == "11" + original; }))
        << copy << " instead of 11" << original;

    // A second dump of the same day asks first, and No starts nothing. Yes starts one that crashes as
    // it ends (a DLL missing): the first dump stays whole; the temporary file and the option file go.
    auto startBackup = [&](const std::string& file) {
        HWND dialog = e2e::Command(main, IDM_ADMIN_MYSQL_BACKUP) ? launcher.WaitForDialog("MySQL") : nullptr;
        HWND list = e2e::Control(dialog, IDC_MYBACKUP_DATABASE);
        SendMessageA(list, CB_SETCURSEL, SendMessageA(list, CB_FINDSTRINGEXACT, -1, (LPARAM) "mv_e2e_source"), 0);
        e2e::SetControlText(dialog, IDC_MYBACKUP_FILE, start.PathOf("dump 100%\\" + file));
        e2e::Click(dialog, IDC_MYBACKUP_SAVE);
        return dialog;
    };
    ASSERT_TRUE(WriteBytes(crash, "-1073741515"));
    backup = startBackup("source.sql");
    for (int answer : {IDNO, IDYES}) {
        HWND question = launcher.WaitForMessageBox("Figyelem");
        ASSERT_TRUE(question && e2e::ReadMessageBox(question, &view)) << e2e::DescribeWindows(launcher);
        EXPECT_EQ(view.text, "A(z) '" + start.PathOf(dumpName) + "' fájl már létezik.\r\nFelülírja?");
        EXPECT_EQ(view.buttons, (std::vector<int>{IDYES, IDNO}));
        e2e::Click(question, answer);
        ASSERT_TRUE(e2e::WaitForGone(question));
        if (answer == IDYES) break;
        EXPECT_TRUE(e2e::IsShown(backup) && RunFiles(".cnf").empty());
        e2e::Click(backup, IDC_MYBACKUP_SAVE);
    }
    ASSERT_TRUE(e2e::WaitForGone(backup));
    EXPECT_TRUE(e2e::WaitUntil([&] {
        return RunFiles(".cnf").empty() && FilesIn(start.PathOf("dump 100%")) == std::vector<std::string>{dated};
    }, 60000));
    EXPECT_EQ(start.Read(dumpName), dump);
    DeleteFileA(crash.c_str());

    // Two at once: the first has dumped and waits to end when the second starts, which waits before
    // reading its option file; the launcher ends meanwhile. Both end whole, each in its own file.
    const std::vector<std::string> all = {"first.sql-" + Today(false), "second.sql-" + Today(false), dated};
    ASSERT_TRUE(WriteBytes(after, "") && e2e::WaitForGone(startBackup("first.sql")));
    EXPECT_TRUE(e2e::WaitUntil([&] {
        for (const std::string& name : FilesIn(start.PathOf("dump 100%")))
            if (name.rfind("first", 0) == 0) return start.Read("dump 100%\\" + name).find("-- Dump completed") != std::string::npos;
        return false;
    }, 60000));
    ASSERT_TRUE(WriteBytes(before, "") && e2e::WaitForGone(startBackup("second.sql")));
    ASSERT_TRUE(e2e::PressCloseBox(main));
    EXPECT_TRUE(launcher.ExpectExit());
    EXPECT_EQ(RunFiles(".cnf").size(), 2u);
    DeleteFileA(before.c_str());
    DeleteFileA(after.c_str());
    EXPECT_TRUE(e2e::WaitUntil([&] { return RunFiles(".cnf").empty() && FilesIn(start.PathOf("dump 100%")) == all; }, 60000));
    EXPECT_EQ(FilesIn(start.Path()), startFiles);
    for (const char* sql : {"drop database if exists mv_e2e_source", "drop database mv_e2e_copy",
                            "delete from mysql.db where Db like 'mv%e2e%source'"})
        probe.Exec(sql);
}

}  // namespace
