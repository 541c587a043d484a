// The MySQL backup: its batch line run through the real command interpreter with generated hostile
// values, and the dialog against the throwaway MariaDB server (the list, the files it leaves, what
// the exit steps remove). The restore's dialog against the same server, through the host's client.
#include "admin/admin_ids.h"
#include "admin/admin_menu.h"
#include "admin/admin_tools.h"
#include "backup/mysql_backup_files.h"
#include "config/session.h"
#include "support/bounded_text.h"
#include "support/process_state.h"
#include "tests/harness/hostile_values.h"
#include "tests/admin/mysql_probe.h"
#include "tests/harness/dialog_test.h"
#include "tests/harness/message_box_capture.h"
#include "tests/harness/test_files.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sddl.h>

#include <string.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

using ::testing::AllOf;
using ::testing::EndsWith;
using ::testing::StartsWith;

// Runs a batch file with the command interpreter in folder, its output into folder\console.txt and
// its input from a pipe; whileRunning (when given) gets the process and the pipe's writing end before
// the pipe is closed (a pause then returns). True when it ended within a minute and a fifth of a
// second a line.
bool RunBatch(const std::string& folder, const std::string& batch,
              const std::function<void(HANDLE process, HANDLE keyboard)>& whileRunning = nullptr)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE input = nullptr, keyboard = nullptr;
    CreatePipe(&input, &keyboard, &inherit, 0);
    SetHandleInformation(keyboard, HANDLE_FLAG_INHERIT, 0);
    HANDLE output = CreateFileA((folder + "\\console.txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOA startup = {sizeof startup};
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = startup.hStdError = output;
    PROCESS_INFORMATION process = {};
    std::string command = "cmd.exe /c " + batch;
    bool started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                  folder.c_str(), &startup, &process);
    CloseHandle(input);
    CloseHandle(output);
    if (started && whileRunning) whileRunning(process.hProcess, keyboard);
    CloseHandle(keyboard);
    std::string text = ReadBytes(folder + "\\" + batch);
    DWORD lines = static_cast<DWORD>(std::count(text.begin(), text.end(), '\n'));
    bool ended = started && WaitForSingleObject(process.hProcess, 60000 + 200 * lines) == WAIT_OBJECT_0;
    if (started) CloseHandle(process.hThread), CloseHandle(process.hProcess);
    return ended;
}

// The bytes of code page 1250 that the console's code page (852) has no character for.
const std::string consoleLacks = "\x80\x82\x84\x85\x86\x87\x89\x8b\x91\x92\x93\x94\x95\x96\x97\x99\x9b\xa6\xa9\xae"
                                 "\xb1\xb5\xb6\xb7";

// The batch line of generated runs goes through Wine's real command interpreter to a stand-in dump
// program (the forwarder's recording mode) that writes down the arguments its runtime split: each
// run's arguments arrive exactly, the dump ends as the dated file, the option file and the temporary
// file are gone, and nothing else runs. A run with a character the console cannot show is refused.
TEST(MySqlBackupBatch, EveryValueReachesTheDumpProgramExactly)
{
    ScratchDirectory scratch;
    ASSERT_TRUE(CopyFileA((std::string("Z:") + MV_MYSQLDUMP_FORWARDER).c_str(), scratch.PathOf("mysqldump.exe").c_str(), FALSE));
    HostileValues values("batch line");
    const std::string notInNames = "\\/:*?\"<>|\t";
    struct Run {
        std::string tag, line, record, optionFile, dated, temporary;
    };
    std::vector<Run> runs;
    std::string batch;
    int refused = 0;
    for (int n = 0; static_cast<int>(runs.size()) < values.count; n++) {
        // One run in ten may hold what the console cannot show; the others keep to what it can.
        const std::string lacking = values.Below(10) == 0 ? "" : consoleLacks;
        const std::string server = values.Below(6) == 0 ? std::string(values.Below(3), ' ') : values.Value(15, lacking);
        const std::string user = values.Below(20) == 0 ? "" : values.Value(32, lacking);
        const std::string database = values.Value(64, lacking), tag = std::to_string(n);
        const std::string file = scratch.PathOf("f" + tag + "_" + values.Value(30, notInNames + lacking));
        const std::string options = scratch.PathOf("o" + tag + "_" + values.Value(30, notInNames + lacking) + ".cnf");
        MySqlBackupRun run = {server.c_str(), user.c_str(), database.c_str(), file.c_str(), "20260307", tag.c_str(),
                              options.c_str()};
        char line[mysqlBackupBatchCapacity];
        if (!BuildMySqlBackupConsoleBatch(run, line, sizeof line)) {
            ASSERT_NE((server + user + database + file + options).find_first_of(consoleLacks), std::string::npos)
                << "refused without a reason: " << line << ", MV_HOSTILE_SEED=" << values.seed;
            refused++;
            continue;
        }
        batch += line;
        std::string record = "--defaults-extra-file=" + options + '\0';
        if (server.find_first_not_of(' ') != std::string::npos) record += "-h" + std::string(1, '\0') + server + '\0';
        record += "-u" + std::string(1, '\0') + user + '\0' + "--routines" + '\0' + "--events" + '\0' +
                  (database[0] == '-' ? "--" + std::string(1, '\0') : "");
        runs.push_back({tag, line, record + database + '\0', options, file + "-20260307", file + "-20260307." + tag + ".tmp"});
    }
    std::cout << runs.size() << " runs, " << refused << " refused" << std::endl;
    // Runs lines through the command interpreter and files each call under the tag its option file
    // names ("...\o<tag>_...").
    const std::string record = scratch.PathOf("arguments.bin"), console = scratch.PathOf("console.txt");
    SetEnvironmentVariableA("MV_MYSQLDUMP_RECORD", record.c_str());
    std::map<std::string, std::vector<std::string>> calls;
    auto runLines = [&](const std::string& lines) {
        for (const Run& run : runs)
            if (!calls.count(run.tag)) WriteBytes(run.optionFile, "[client]\r\n");
        DeleteFileA(record.c_str());
        bool ran = WriteBytes(scratch.PathOf("backup_mysql.bat"), lines) && RunBatch(scratch.path, "backup_mysql.bat");
        std::string recorded = ReadBytes(record);
        for (size_t start = 0, end; (end = recorded.find('\n', start)) != std::string::npos; start = end + 1) {
            size_t at = recorded.find("\\o", start) + 2;
            calls[recorded.substr(at, recorded.find('_', at) - at)].push_back(recorded.substr(start, end - start));
        }
        return ran;
    };
    ASSERT_TRUE(runLines(batch));
    // Under load Wine now and then fails to start a program ("Can't recognize ..."): such a run goes once more.
    std::string again;
    for (const Run& run : runs)
        if (!calls.count(run.tag) || !PathExists(run.dated)) again += run.line, calls.erase(run.tag);
    ASSERT_TRUE(again.empty() || runLines(again)) << again;
    EXPECT_EQ(calls.size(), runs.size()) << ReadBytes(console);
    for (const Run& run : runs) {
        std::vector<std::string> got = calls[run.tag];
        EXPECT_EQ(got.size() == 1 ? Hex(got[0]) : std::to_string(got.size()) + " calls", Hex(run.record))
            << "run " << run.tag << ", MV_HOSTILE_SEED=" << values.seed;
        EXPECT_EQ(ReadBytes(run.dated).substr(0, 17), "-- Dump completed") << "run " << run.tag;
        EXPECT_FALSE(PathExists(run.temporary) || PathExists(run.optionFile)) << "run " << run.tag;
    }
    EXPECT_EQ(ReadBytes(console), "");

    // A dump program that fails or crashes (a negative status) as it ends, or ends with 0 but no
    // completion line, leaves the earlier dump of the same name as it was, removes its temporary file
    // and the option file, and the console shows the failure until a key is pressed.
    const Run& earlier = runs[0];
    ASSERT_TRUE(WriteBytes(scratch.PathOf("failing.bat"), earlier.line));
    SetEnvironmentVariableA("MV_MYSQLDUMP_STATUS", scratch.PathOf("status").c_str());
    char message[64];
    CharToOemA("A mentés sikertelen!", message);
    bool waited = false;
    auto waitAndPressAKey = [&](HANDLE process, HANDLE keyboard) {
        for (int i = 0; i < 600 && ReadBytes(console).find(message) == std::string::npos; i++) Sleep(50);
        Sleep(500);
        waited = WaitForSingleObject(process, 0) == WAIT_TIMEOUT && ReadBytes(console).find(message) != std::string::npos;
        DWORD written = 0;
        WriteFile(keyboard, "x\r\n", 3, &written, nullptr);
    };
    for (const char* status : {"2", "-1073741515", "0"}) {
        ASSERT_TRUE(WriteBytes(earlier.optionFile, "[client]\r\n") && WriteBytes(earlier.dated, "earlier dump") &&
                    WriteBytes(scratch.PathOf("status"), status));
        EXPECT_TRUE(RunBatch(scratch.path, "failing.bat", waitAndPressAKey));
        EXPECT_TRUE(waited) << status << ": " << ReadBytes(console);
        EXPECT_EQ(ReadBytes(earlier.dated), "earlier dump") << status;
        EXPECT_FALSE(PathExists(earlier.temporary) || PathExists(earlier.optionFile)) << status;
        waited = false;
    }
    SetEnvironmentVariableA("MV_MYSQLDUMP_RECORD", nullptr);
    SetEnvironmentVariableA("MV_MYSQLDUMP_STATUS", nullptr);
}

INT_PTR CALLBACK HostProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// Each console asked for (interpreter, command line, current folder) is made but never runs: it holds
// what it inherited until the test ends it.
std::vector<std::string> started;
HANDLE console = nullptr;
void* originalCreateProcess = nullptr;
BOOL WINAPI RecordCreateProcess(LPCSTR program, LPSTR line, LPSECURITY_ATTRIBUTES process, LPSECURITY_ATTRIBUTES thread,
                                BOOL inherit, DWORD flags, LPVOID environment, LPCSTR folder, LPSTARTUPINFOA startup,
                                LPPROCESS_INFORMATION info)
{
    started.push_back(std::string(program) + "|" + line + "|" + folder);
    return reinterpret_cast<decltype(&CreateProcessA)>(originalCreateProcess)(
               program, line, process, thread, inherit, flags | CREATE_SUSPENDED, environment, folder, startup, info) &&
           DuplicateHandle(GetCurrentProcess(), info->hProcess, GetCurrentProcess(), &console, 0, FALSE, DUPLICATE_SAME_ACCESS);
}

// How the option file was asked for: its access list (as SDDL) and whether it had to be new. Wine
// keeps no access lists on disk, so the request is what shows.
std::string optionFileRequest;
void* originalCreateFile = nullptr;
HANDLE WINAPI RecordCreateFile(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD creation,
                               DWORD flags, HANDLE model)
{
    if (strstr(name, "mysqldump-") && strstr(name, ".cnf")) {
        char* text = nullptr;
        if (security && security->lpSecurityDescriptor &&
            ConvertSecurityDescriptorToStringSecurityDescriptorA(security->lpSecurityDescriptor, SDDL_REVISION_1,
                                                                 DACL_SECURITY_INFORMATION, &text, nullptr)) {
            optionFileRequest = text;
            LocalFree(text);
        }
        optionFileRequest += creation == CREATE_NEW ? " new" : " not new";
    }
    return reinterpret_cast<decltype(&CreateFileA)>(originalCreateFile)(name, access, share, security, creation, flags,
                                                                         model);
}

// The dialog lists the server's databases (one without any grant too, no grant pattern, none of the
// server's own schemas), writes a batch line without the password and an option file only the user
// can read into the user's temporary folder, nothing into the start folder, where the batch starts
// by its full path; the exit steps keep both files while the console runs and remove them after. A
// database whose name holds a line break is refused, a run whose batch file or console cannot be
// made says which; none of them leaves anything behind.
TEST(MySqlBackupDialog, ListsTheServersDatabasesAndKeepsThePasswordInAPrivateFile)
{
    TestServer server = ReadTestServer();
    MySqlProbe probe(server);
    ASSERT_TRUE(probe.Connected()) << server.error << probe.Error();
    for (const char* sql : {"drop database if exists mv_no_grants", "drop database if exists `mv\nbreak`",
                            "delete from mysql.db where Db like 'mvpattern%'", "create database mv_no_grants",
                            "create database `mv\nbreak`",
                            "insert into mysql.db (Host, Db, User) values ('%', 'mvpattern\\\\_%', 'mvuser')"})
        ASSERT_TRUE(probe.Exec(sql)) << probe.Error();
    std::vector<std::string> databases;
    for (const auto& row : probe.Rows("show databases"))
        if (row[0] != "information_schema" && row[0] != "performance_schema" && row[0] != "sys") databases.push_back(row[0]);
    CopyText(session.mysqlDataSource, server.dsn.c_str());
    CopyText(session.mysqlUser, server.user.c_str());
    CopyText(session.mysqlPassword, server.password.c_str());
    ScratchDirectory start;
    CopyText(startDirectory, start.path.c_str());
    char temporary[MAX_PATH];
    GetTempPathA(sizeof temporary, temporary);
    char comSpec[MAX_PATH];
    GetEnvironmentVariableA("ComSpec", comSpec, sizeof comSpec);
    auto runFiles = [&] {
        std::vector<std::string> names;
        for (const std::string& name : FilesIn(temporary))
            if (name.rfind("mysqldump-", 0) == 0) names.push_back(name);
        std::sort(names.begin(), names.end());  // .bat, .cnf, .txt
        return names;
    };
    for (const std::string& name : runFiles()) DeleteFileA((temporary + name).c_str());

    // As long a path as the file chooser returns is taken whole.
    const std::string wholePath = start.PathOf(std::string(MAX_PATH - 1 - start.PathOf("").size(), 'f'));
    ScratchDirectory data;  // the backup log: a failed run of mv_no_grants
    SetEnvironmentVariableA("ProgramData", data.path.c_str());
    ASSERT_TRUE(MakeDirectory(data.PathOf("Marvitelkon")) &&
                WriteBytes(data.PathOf("Marvitelkon\\mentesek.log"), "2026-03-07 02:00:05\tmysql\tmv_no_grants\tf\t\tHIBA\tok\r\n"));
    MessageBoxCapture boxes;
    originalCreateProcess = ReplaceImport("kernel32.dll", "CreateProcessA", reinterpret_cast<void*>(&RecordCreateProcess));
    originalCreateFile = ReplaceImport("kernel32.dll", "CreateFileA", reinterpret_cast<void*>(&RecordCreateFile));
    RunDialog("MYSQL_BACKUP", HostProc, 0, [&](HWND menuOwner) {
        OnNextDialog([&](HWND dialog) {
            EXPECT_EQ(ComboItems(dialog, IDC_MYBACKUP_DATABASE), databases);
            EXPECT_EQ(Text(dialog, IDC_MYBACKUP_LAST_RUN), "Még nem volt ütemezett mentés.");
            auto pick = [&](const char* name) {
                SendDlgItemMessageA(dialog, IDC_MYBACKUP_DATABASE, CB_SELECTSTRING, -1, (LPARAM)name);
            };
            pick("mv\nbreak");
            SetText(dialog, IDC_MYBACKUP_FILE, start.PathOf("x.sql"));
            Click(dialog, IDC_MYBACKUP_SAVE);
            ASSERT_EQ(boxes.Count(), 1u);
            EXPECT_EQ(boxes.Boxes()[0].text + "/" + boxes.Boxes()[0].caption, "A paraméterek kitöltése hiányos!/Hibaüzenet");
            pick("mv_no_grants");
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_MYBACKUP_DATABASE, CBN_SELCHANGE), 0);
            EXPECT_EQ(Text(dialog, IDC_MYBACKUP_LAST_RUN), "Utolsó ütemezett mentés: 2026-03-07 02:00:05, SIKERTELEN: ok");
            SetText(dialog, IDC_MYBACKUP_FILE, wholePath);
            SetText(dialog, IDC_MYBACKUP_SERVER, "127.0.0.1");
            OnNextDialog([&](HWND schedule) {
                EXPECT_EQ(Text(schedule, IDC_SCHEDULE_GROUP) + "|" + Text(schedule, IDC_SCHEDULE_FOLDER), "MySQL - mv_no_grants|" + start.path);
                SendMessageA(schedule, WM_CLOSE, 0, 0);
            });
            Click(dialog, IDC_MYBACKUP_SCHEDULE);
            const std::string missing = start.PathOf("missing\\");
            SetEnvironmentVariableA("TMP", missing.c_str());
            Click(dialog, IDC_MYBACKUP_SAVE);
            SetEnvironmentVariableA("TMP", temporary);
            SetEnvironmentVariableA("ComSpec", "C:\\missing\\cmd.exe");
            Click(dialog, IDC_MYBACKUP_SAVE);
            SetEnvironmentVariableA("ComSpec", comSpec);
            ASSERT_EQ(boxes.Count(), 3u);
            EXPECT_THAT(boxes.Boxes()[1].text, AllOf(StartsWith("A(z) '" + missing + "mysqldump-"), EndsWith(".bat' fájl nem "
                                                     "hozható létre, a mentés nem indult el.")));
            EXPECT_EQ(boxes.Boxes()[2].text, "A parancsértelmező ('C:\\missing\\cmd.exe') nem indítható, a mentés nem indult el.");
            EXPECT_TRUE(runFiles().empty() && FilesIn(start.path).empty());
            started.clear();
            Click(dialog, IDC_MYBACKUP_SAVE);
        });
        ShowMySqlBackup(menuOwner);
        EndDialog(menuOwner, 0);
    });
    ReplaceImport("kernel32.dll", "CreateProcessA", originalCreateProcess);
    ReplaceImport("kernel32.dll", "CreateFileA", originalCreateFile);
    auto names = runFiles();
    ASSERT_EQ(names.size(), 3u);
    const std::string batch = temporary + names[0], optionFile = temporary + names[1], dumpName = temporary + names[2];
    EXPECT_EQ(optionFile, batch.substr(0, batch.size() - 4) + ".cnf");
    EXPECT_EQ(dumpName, batch.substr(0, batch.size() - 4) + ".txt");
    const std::string tag = names[0].substr(10, names[0].size() - 14);
    EXPECT_THAT(ReadBytes(dumpName), AllOf(StartsWith(wholePath + "-"), EndsWith("." + tag + ".tmp")));
    EXPECT_EQ(started, std::vector<std::string>{std::string(comSpec) + "|cmd.exe /c \"\"" + batch + "\"\"|" + start.path});
    EXPECT_TRUE(FilesIn(start.path).empty());
    std::string line = ReadBytes(batch);
    EXPECT_EQ(line.find(server.password), std::string::npos) << line;
    const std::string beginning = "@mysqldump --defaults-extra-file=" + optionFile + " -h 127.0.0.1 -u root --routines --events mv_no_grants >";
    EXPECT_EQ(line.substr(0, beginning.size()), beginning);
    EXPECT_NE(line.find(wholePath + "-"), std::string::npos) << line;
    EXPECT_EQ(ReadBytes(optionFile), "[client]\r\npassword=\"" + server.password + "\"\r\n");
    // Only the current user, nothing inherited from the folder.
    EXPECT_THAT(optionFileRequest, AllOf(StartsWith("D:P(A;;FA;;;S-1-5-21-"), EndsWith(") new")));
    CloseAdminTools();
    EXPECT_EQ(runFiles(), names);
    TerminateProcess(console, 1);  // closed half-way
    WaitForSingleObject(console, 10000);
    CloseHandle(console);
    // What it left (under a name short enough to be made here) goes; what a run names that is not its
    // own temporary dump stays.
    const std::string partial = start.PathOf("x.sql-20260307." + tag + ".tmp");
    for (const std::string& file : {partial, start.PathOf("x.sql-20260307.9-9.tmp"), start.PathOf("kept.sql")})
        WriteBytes(file, "-- MariaDB dump\n");
    WriteBytes(dumpName, partial);
    WriteBytes(temporary + std::string("mysqldump-9-9.txt"), start.PathOf("kept.sql"));
    CloseAdminTools();
    EXPECT_TRUE(runFiles().empty());
    auto left = FilesIn(start.path);
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"kept.sql", "x.sql-20260307.9-9.tmp"}));
    startDirectory[0] = '\0';
    for (const char* sql : {"drop database mv_no_grants", "drop database `mv\nbreak`",
                            "delete from mysql.db where Db like 'mvpattern%'"})
        probe.Exec(sql);
}

// The restore refuses, running nothing, a dump it cannot restore whole into the target (unreadable,
// cut off, naming its own database), a missing or unfit target, an existing one not named again, a
// client program it cannot find; the client's failure part-way is shown in its own words; a run is
// stopped from its one button; the client gets the password only through the run's option file.
TEST(MySqlRestoreDialog, RefusesWhatItCannotRestoreWholeAndShowsTheClientsOwnFailure)
{
    TestServer server = ReadTestServer();
    MySqlProbe probe(server);
    ASSERT_TRUE(probe.Connected()) << server.error << probe.Error();
    for (const char* sql : {"drop database if exists mv_restore_kept", "drop database if exists mv_restore_new",
                            "drop database if exists mv_restore_stop", "create database mv_restore_kept",
                            "create table mv_restore_kept.t (id int)", "insert into mv_restore_kept.t values (7)"})
        ASSERT_TRUE(probe.Exec(sql)) << probe.Error();
    CopyText(session.mysqlDataSource, server.dsn.c_str());
    CopyText(session.mysqlUser, server.user.c_str());
    CopyText(session.mysqlPassword, server.password.c_str());
    ScratchDirectory start;
    CopyText(startDirectory, start.path.c_str());
    SetEnvironmentVariableA("MYSQL_TCP_PORT", server.port.c_str());
    const std::string head = "-- MariaDB dump 10.19\n--\n-- Host: 127.0.0.1    Database: mv_restore_source\n-- ---\n",
                      body = "CREATE TABLE t (id int);\nINSERT INTO t VALUES (1),(2);\n", end = "-- Dump completed\n";
    const std::string whole = start.PathOf("whole.sql"), cut = start.PathOf("cut.sql"), several = start.PathOf("several.sql"),
                      failing = start.PathOf("failing.sql"), hold = start.PathOf("hold"), record = start.PathOf("record");
    WriteBytes(whole, head + body + end);
    WriteBytes(cut, head + body);
    WriteBytes(several, head + "USE `mv_restore_kept`;\n" + body + end);
    WriteBytes(failing, head + body + "INSERT INTO nincs VALUES (1);\nINSERT INTO t VALUES (3);\n" + end);
    SYSTEMTIME now;
    GetLocalTime(&now);
    char proposed[64];
    snprintf(proposed, sizeof proposed, "mv_restore_source_%04d%02d%02d", now.wYear, now.wMonth, now.wDay);
    MessageBoxCapture boxes;
    RunDialog("MYSQL_BACKUP", HostProc, 0, [&](HWND owner) {
        OnNextDialog([&](HWND dialog) {
            auto wait = [&] {
                for (DWORD began = GetTickCount(); GetTickCount() - began < 60000 && IsWindowVisible(dialog) &&
                                                   !IsEnabledControl(dialog, IDC_MYRESTORE_RUN); Sleep(5))
                    PumpMessages(dialog);
            };
            auto restore = [&](const std::string& file, const std::string& target, const std::string& confirmation) {
                SetText(dialog, IDC_MYRESTORE_FILE, file);
                SetText(dialog, IDC_MYRESTORE_TARGET, target);
                SetText(dialog, IDC_MYRESTORE_CONFIRM, confirmation);
                Click(dialog, IDC_MYRESTORE_RUN);
                wait();
            };
            EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_MYRESTORE_PROGRESS)) ||
                         IsWindowVisible(GetDlgItem(dialog, IDC_MYRESTORE_CANCEL)));  // until a run starts
            SetText(dialog, IDC_MYRESTORE_SERVER, "127.0.0.1");
            SetText(dialog, IDC_MYRESTORE_FILE, whole);
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_MYRESTORE_FILE, EN_KILLFOCUS), 0);
            EXPECT_EQ(Text(dialog, IDC_MYRESTORE_TARGET), proposed);
            for (const std::string& file : {start.PathOf("nincs.sql"), cut, several}) restore(file, "mv_restore_new", "");
            restore(whole, "  ", "");
            restore(whole, "mv\nnew", "");
            restore(whole, "mv_restore_kept", "mv_restore_KEPT");
            restore(whole, "mv_restore_new", "");  // no mysql.exe anywhere
            EXPECT_EQ(probe.Value("show databases like 'mv_restore_new'"), "");
            ASSERT_TRUE(CopyFileA((std::string("Z:") + MV_MYSQL_FORWARDER).c_str(), start.PathOf("mysql.exe").c_str(), FALSE));
            restore(failing, "mv_restore_new", "");
            WriteBytes(hold, "");
            SetEnvironmentVariableA("MV_MYSQLDUMP_HOLD_BEFORE", hold.c_str());
            SetText(dialog, IDC_MYRESTORE_TARGET, "mv_restore_stop");
            Click(dialog, IDC_MYRESTORE_RUN);
            EXPECT_TRUE(IsEnabledControl(dialog, IDC_MYRESTORE_CANCEL) && !IsEnabledControl(dialog, IDC_MYRESTORE_FILE) &&
                        !IsEnabledControl(dialog, IDC_MYRESTORE_TARGET) && !IsEnabledControl(dialog, IDC_MYRESTORE_RUN));
            Click(dialog, IDC_MYRESTORE_CANCEL);
            wait();
            SetEnvironmentVariableA("MV_MYSQLDUMP_HOLD_BEFORE", nullptr);
            SetEnvironmentVariableA("MV_MYSQLDUMP_RECORD", record.c_str());
            CopyText(session.mysqlUser, "a \"b\\");  // reaches the client as typed
            restore(whole, "mv_restore_kept", "mv_restore_kept");
            SetEnvironmentVariableA("MV_MYSQLDUMP_RECORD", nullptr);
        });
        ShowMySqlRestore(owner);
        EndDialog(owner, 0);
    });
    std::vector<std::string> texts;
    for (const CapturedMessageBox& box : boxes.Boxes()) texts.push_back(box.caption + ": " + box.text);
    const std::string notRun = " a visszaállítás nem indult el.";
    EXPECT_EQ(texts, (std::vector<std::string>{
                         "Hibaüzenet: A(z) '" + start.PathOf("nincs.sql") + "' fájl nem olvasható," + notRun,
                         "Hibaüzenet: A(z) '" + cut + "' fájl nem teljes mentés," + notRun,
                         "Hibaüzenet: A(z) '" + several + "' fájl a mentett adatbázis nevét is tartalmazza, így más néven nem "
                                                          "állítható vissza.",
                         "Hibaüzenet: A paraméterek kitöltése hiányos!",
                         "Hibaüzenet: Az adatbázis neve nem tartalmazhat vezérlőkaraktert!",
                         "Figyelem: A(z) 'mv_restore_kept' adatbázis már létezik. A felülírásához írja be a nevét a megerősítés mezőbe!",
                         "Hibaüzenet: A(z) 'mysql.exe' program nem található," + notRun,
                         "Hibaüzenet: ERROR 1146 (42S02) at line 7: Table 'mv_restore_new.nincs' doesn't exist",
                         "Hibaüzenet: A visszaállítás sikertelen!",
                         "Üzenet: A visszaállítás megszakítva.\r\nA(z) 'mv_restore_stop' adatbázis tartalma hiányos lehet.",
                         "Üzenet: A(z) 'mv_restore_kept' adatbázis visszaállítása kész."}));
    EXPECT_EQ(probe.Value("select group_concat(id order by id) from mv_restore_new.t"), "1,2");  // up to the failure
    EXPECT_EQ(probe.Value("select count(*) from information_schema.TABLES where TABLE_SCHEMA = 'mv_restore_stop'"), "0");
    EXPECT_EQ(probe.Value("select group_concat(id) from mv_restore_kept.t"), "7");  // the recording client restores nothing
    // The client's arguments, the password in none of them; its option file is gone.
    std::string arguments = ReadBytes(record);
    char temporary[MAX_PATH];
    GetTempPathA(sizeof temporary, temporary);
    const std::string options = "--defaults-extra-file=" + std::string(temporary) + "mysqldump-";
    EXPECT_EQ(arguments.substr(0, options.size()), options) << arguments;
    std::string rest = ".cnf";
    for (const char* argument : {"--default-character-set=cp1250", "-h", "127.0.0.1", "-u", "a \"b\\", "mv_restore_kept"})
        rest += std::string(1, '\0') + argument;
    rest += std::string(1, '\0') + '\n';
    EXPECT_EQ(arguments.size() > rest.size() ? Hex(arguments.substr(arguments.size() - rest.size())) : arguments, Hex(rest));
    EXPECT_EQ(arguments.find(server.password), std::string::npos);
    // The client's output file goes with its last handle, which a loaded Wine may close a moment after
    // the client's end has been signalled.
    std::string left;
    for (DWORD began = GetTickCount(); GetTickCount() - began < 5000; Sleep(50)) {
        left.clear();
        for (const std::string& name : FilesIn(temporary))
            if (name.rfind("mysqldump-", 0) == 0 && name.find(".bat") == std::string::npos) left += name + ' ';
        if (left.empty() || left.find(".out ") == std::string::npos) break;
    }
    EXPECT_EQ(left, "");
    startDirectory[0] = '\0';
    for (const char* sql : {"drop database mv_restore_kept", "drop database mv_restore_new", "drop database mv_restore_stop"})
        probe.Exec(sql);
}

}  // namespace
