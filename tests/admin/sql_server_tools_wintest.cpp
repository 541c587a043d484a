// The SQL Server login manager and backup under Wine: the entry point opens its connection through
// Wine's odbc32 and unixODBC to the SQL Server stand-in driver, the dialog is driven from inside its
// modal loop, and the stand-in's state and the statements it received are read back.
#include "admin/admin_ids.h"
#include "admin/admin_tools.h"
#include "db/odbc_api.h"
#include "config/session.h"
#include "support/bounded_text.h"
#include "support/process_state.h"
#include "tests/db/sqlserver_standin/standin_files.h"
#include "tests/harness/dialog_test.h"
#include "tests/harness/message_box_capture.h"

#include <gtest/gtest.h>

#include <commdlg.h>
#include <stdio.h>

#include <algorithm>
#include <sstream>

using Strings = std::vector<std::string>;

namespace {

const std::string rolesOfAlfa = "select * from \"sys\".\"syslogins\" where \"name\" = 'alfa'";
const std::string loginList = "select * from \"sys\".\"sql_logins\" order by \"name\"";

// A fresh stand-in: the login "sa" (password SAPWD) the tools connect with, then these state lines.
void Seed(const Strings& lines)
{
    std::string text = "login\tsa\tSAPWD\tsysadmin\n";
    for (const std::string& line : lines) text += line + "\n";
    ASSERT_TRUE(SeedStandIn(text));
}

// The state's lines that start with prefix, without it.
Strings StateLines(const std::string& prefix)
{
    std::istringstream state(StandInState());
    Strings lines;
    for (std::string line; std::getline(state, line);)
        if (line.compare(0, prefix.size(), prefix) == 0) lines.push_back(line.substr(prefix.size()));
    return lines;
}

// The role boxes 401..408 as "0"/"1", read and set.
std::string Boxes(HWND dialog)
{
    std::string roles;
    for (int i = 0; i < 8; i++) roles += IsChecked(dialog, IDC_MSSQL_ROLE_FIRST + i) ? '1' : '0';
    return roles;
}
void SetBoxes(HWND dialog, const std::string& roles)
{
    for (int i = 0; i < 8; i++) CheckDlgButton(dialog, IDC_MSSQL_ROLE_FIRST + i, roles[i] == '1' ? BST_CHECKED : BST_UNCHECKED);
}

// Picks an entry as the mouse does: the list opens, the entry is chosen, the list closes.
void Pick(HWND dialog, int id, int index)
{
    SendDlgItemMessageA(dialog, id, CB_SHOWDROPDOWN, TRUE, 0);
    SendDlgItemMessageA(dialog, id, CB_SETCURSEL, index, 0);
    SendDlgItemMessageA(dialog, id, CB_SHOWDROPDOWN, FALSE, 0);
}
int Selection(HWND dialog, int id) { return (int)SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0); }

// Caption and text of every box so far; the capture is emptied.
Strings Texts(MessageBoxCapture& boxes)
{
    Strings texts;
    for (const CapturedMessageBox& box : boxes.Boxes()) texts.push_back(box.caption + ": " + box.text);
    boxes.Clear();
    return texts;
}

INT_PTR CALLBACK HostProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// Opens the tool over a host dialog, so that its own dialog gets the steps; whether it showed.
bool RunTool(int (*show)(HWND), DialogSteps steps)
{
    bool shown = false;
    RunDialog("MSSQL_BACKUP", HostProc, 0, [&](HWND host) {
        OnNextDialog([&](HWND dialog) {
            shown = GetWindow(dialog, GW_OWNER) == host;
            steps(dialog);
        });
        EXPECT_EQ(show(host), 0);
        EndDialog(host, 0);
    });
    return shown;
}

class SqlServerTools : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_EQ(LoadOdbcApi(), 1); }
    void SetUp() override
    {
        session = Session();
        CopyText(session.sqlServerDataSource, "MV_MSSQL");
        CopyText(session.sqlServerUser, "sa");
        CopyText(session.sqlServerPassword, "SAPWD");
        CopyText(startDirectory, "C:\\Apps");
    }
    MessageBoxCapture boxes;
};

}  // namespace

TEST_F(SqlServerTools, RolesShowWhenTheListClosesAndModifySendsOnlyTheDifferencesInRoleOrder)
{
    Seed({"login\tzeta\tZ\t", "login\talfa\tA\tsysadmin,diskadmin",
                 "fail\tEXEC sp_addsrvrolemember 'alfa', 'sysadmin'\t42000\t15247\tNo permission."});
    EXPECT_TRUE(RunTool(ShowSqlServerLoginManager, [&](HWND dialog) {
        EXPECT_EQ(ComboItems(dialog, IDC_MSSQL_LOGINS), (Strings{"alfa", "sa", "zeta"}));
        EXPECT_EQ(Selection(dialog, IDC_MSSQL_LOGINS), CB_ERR);
        Pick(dialog, IDC_MSSQL_LOGINS, 0);
        Click(dialog, IDC_MSSQL_CHECK_ALL);
        Pick(dialog, IDC_MSSQL_LOGINS, 0);  // the same entry again still reloads
        EXPECT_EQ(Text(dialog, IDC_MSSQL_USER_NAME) + " " + Boxes(dialog), "alfa 10000100");
        PressKey(dialog, VK_DOWN);  // arrow keys with the list closed load nothing
        EXPECT_EQ(Selection(dialog, IDC_MSSQL_LOGINS), 1);
        EXPECT_EQ(Text(dialog, IDC_MSSQL_USER_NAME) + " " + Boxes(dialog), "alfa 10000100");
        Click(dialog, IDC_MSSQL_MODIFY);
        SetBoxes(dialog, "00100101");
        Click(dialog, IDC_MSSQL_MODIFY);
        // The refused sysadmin shows its error; securityadmin still goes out.
        SetBoxes(dialog, "11100101");
        Click(dialog, IDC_MSSQL_MODIFY);
        EXPECT_EQ(Texts(boxes), Strings{"ODBC error: [Microsoft][SQL Server]No permission."});
        Click(dialog, IDC_MSSQL_CLEAR_ALL);
        Pick(dialog, IDC_MSSQL_LOGINS, 0);
        EXPECT_EQ(Boxes(dialog), "01100101");
        PressKey(dialog, VK_ESCAPE);
        PressKey(dialog, VK_RETURN);
        EXPECT_TRUE(IsWindowVisible(dialog));
        SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    }));
    EXPECT_EQ(StandInCalls("SQLExecDirect "),
              (Strings{loginList, rolesOfAlfa, rolesOfAlfa, rolesOfAlfa, rolesOfAlfa,
                       "EXEC sp_dropsrvrolemember 'alfa', 'sysadmin'", "EXEC sp_addsrvrolemember 'alfa', 'serveradmin'",
                       "EXEC sp_addsrvrolemember 'alfa', 'bulkadmin'", rolesOfAlfa, "EXEC sp_addsrvrolemember 'alfa', 'sysadmin'",
                       "EXEC sp_addsrvrolemember 'alfa', 'securityadmin'", rolesOfAlfa}));
    EXPECT_EQ(StateLines("login\talfa\t"), Strings{"A\tdiskadmin,serveradmin,bulkadmin,securityadmin"});
}

TEST_F(SqlServerTools, CreateChecksThePasswordsSendsThemInUpperCaseAndAddsTheCheckedRolesInOrder)
{
    Seed({"login\talfa\tA\t"});
    RunTool(ShowSqlServerLoginManager, [&](HWND dialog) {
        SetText(dialog, IDC_MSSQL_USER_NAME, "uj");
        TypeText(dialog, IDC_MSSQL_PASSWORD, "titok");
        TypeText(dialog, IDC_MSSQL_RETYPE, "titkos");
        SetBoxes(dialog, "10100000");
        Click(dialog, IDC_MSSQL_CREATE);
        EXPECT_EQ(Texts(boxes), Strings{"Figyelem: Különböző jelszavak!"});
        SetText(dialog, IDC_MSSQL_RETYPE, "");
        TypeText(dialog, IDC_MSSQL_RETYPE, "titok");
        Click(dialog, IDC_MSSQL_CREATE);
        EXPECT_EQ(Boxes(dialog) + Text(dialog, IDC_MSSQL_USER_NAME) + Text(dialog, IDC_MSSQL_PASSWORD) +
                      Text(dialog, IDC_MSSQL_RETYPE), "00000000");
        EXPECT_EQ(ComboItems(dialog, IDC_MSSQL_LOGINS), (Strings{"alfa", "sa", "uj"}));
        // A failed sp_addlogin stops the command: fields and boxes stay.
        SetText(dialog, IDC_MSSQL_USER_NAME, "alfa");
        SetBoxes(dialog, "01000000");
        Click(dialog, IDC_MSSQL_CREATE);
        EXPECT_EQ(Text(dialog, IDC_MSSQL_USER_NAME) + " " + Boxes(dialog), "alfa 01000000");
        SetText(dialog, IDC_MSSQL_USER_NAME, "ures");
        Click(dialog, IDC_MSSQL_CREATE);
        Click(dialog, IDC_MSSQL_EXIT);
    });
    EXPECT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(StandInCalls("SQLExecDirect "),
              (Strings{loginList, "EXEC sp_addlogin 'uj', @passwd = 'TITOK'", "EXEC sp_addsrvrolemember 'uj', 'sysadmin'",
                       "EXEC sp_addsrvrolemember 'uj', 'serveradmin'", loginList, "EXEC sp_addlogin 'alfa', @passwd = ''",
                       "EXEC sp_addlogin 'ures', @passwd = ''", "EXEC sp_addsrvrolemember 'ures', 'securityadmin'", loginList}));
    EXPECT_EQ(StateLines("login\t"), (Strings{"sa\tSAPWD\tsysadmin", "alfa\tA\t", "uj\tTITOK\tsysadmin,serveradmin",
                                                    "ures\t\tsecurityadmin"}));
}

TEST_F(SqlServerTools, DeleteAsksAboutTheStatementAndAQuotedNameDoesWhatWasTypedAndNothingMore)
{
    // Unescaped, "EXEC sp_droplogin 'O'Brien'" would drop the login O.
    Seed({"login\tO\tX\t", "login\t" + std::string(70, 'h') + "\tH\t"});
    int answer = IDNO;
    boxes.AnswerWith([&](const CapturedMessageBox&) { return answer; });
    RunTool(ShowSqlServerLoginManager, [&](HWND dialog) {
        SetText(dialog, IDC_MSSQL_PASSWORD, "JELSZO");
        Click(dialog, IDC_MSSQL_DELETE);
        EXPECT_EQ(boxes.Boxes()[0].style & (MB_TYPEMASK | MB_ICONMASK), (UINT)(MB_YESNO | MB_ICONQUESTION));
        answer = IDYES;
        SetBoxes(dialog, "11000000");
        Click(dialog, IDC_MSSQL_DELETE);  // refused by the server, the list is read again all the same
        EXPECT_EQ(Boxes(dialog) + " " + Text(dialog, IDC_MSSQL_PASSWORD), "00000000 JELSZO");
        Pick(dialog, IDC_MSSQL_LOGINS, 1);  // longer than the field reads: refused, not cut
        Click(dialog, IDC_MSSQL_DELETE);

        SetText(dialog, IDC_MSSQL_USER_NAME, "O'Brien");
        SetText(dialog, IDC_MSSQL_PASSWORD, "");
        TypeText(dialog, IDC_MSSQL_PASSWORD, "a'b");
        TypeText(dialog, IDC_MSSQL_RETYPE, "a'b");
        SetBoxes(dialog, "00000100");
        Click(dialog, IDC_MSSQL_CREATE);
        Pick(dialog, IDC_MSSQL_LOGINS, 1);
        EXPECT_EQ(Text(dialog, IDC_MSSQL_USER_NAME) + " " + Boxes(dialog), "O'Brien 00000100");
        SetBoxes(dialog, "10000000");
        Click(dialog, IDC_MSSQL_MODIFY);
        EXPECT_EQ(StateLines("login\tO"), (Strings{"\tX\t", "'Brien\tA'B\tsysadmin"}));
        Click(dialog, IDC_MSSQL_DELETE);
        Click(dialog, IDC_MSSQL_EXIT);
    });
    const std::string ask = "Biztosan törölni akarod a bejelentkezést?: ";
    Strings texts = Texts(boxes);
    ASSERT_EQ(texts.size(), 5u);
    EXPECT_EQ(texts[0] + texts[1], ask + "EXEC sp_droplogin ''" + ask + "EXEC sp_droplogin ''");
    EXPECT_EQ(texts[2].substr(0, 12) + texts[3], "ODBC error: Figyelem: Legfeljebb 63 karakter adható meg!");
    EXPECT_EQ(texts[4], ask + "EXEC sp_droplogin 'O''Brien'");
    EXPECT_EQ(StandInCalls("SQLExecDirect EXEC sp_droplogin").size(), 2u);
    EXPECT_EQ(StateLines("login\t").size(), 3u);
}

namespace {

// Stands in for the save chooser: records the initial directory, answers with chosen (empty: cancel).
std::string chosen;
Strings initialDirectories;
BOOL WINAPI FakeSaveChooser(OPENFILENAMEA* request)
{
    initialDirectories.push_back(request->lpstrInitialDir);
    CopyText(request->lpstrFile, request->nMaxFile, chosen.c_str());
    return !chosen.empty();
}

// Lets the dialog's loop run until its backup has ended (the dialog unlocked or closed), or until
// its stage (the text of stageLabel) begins with stage; the stages and percentages it showed
// meanwhile ("stage|percentage").
Strings WaitForBackup(HWND dialog, const std::string& stage = "\n", int stageLabel = IDC_MSSQL_BACKUP_STAGE)
{
    Strings shown;
    for (DWORD start = GetTickCount(); GetTickCount() - start < 30000; Sleep(5)) {
        PumpMessages(dialog);
        if (!IsWindowVisible(dialog) || IsEnabledControl(dialog, IDC_MSSQL_BACKUP_RUN)) return shown;
        std::string now = Text(dialog, stageLabel) + "|" +
                          std::to_string(SendDlgItemMessageA(dialog, IDC_MSSQL_BACKUP_PROGRESS, PBM_GETPOS, 0, 0));
        if (IsShown(dialog, IDC_MSSQL_BACKUP_PROGRESS) && (shown.empty() || shown.back() != now)) shown.push_back(now);
        if (now.compare(0, stage.size(), stage) == 0) return shown;
    }
    ADD_FAILURE() << "the backup did not end";
    return shown;
}

}  // namespace

// The backup runs on while the dialog answers, locked, with its progress shown; it succeeds only when
// the server has said so to the end (the stand-in completes the file only then and removes it when
// the statement is given up earlier); a failure at any step, or a statement too long to build,
// keeps the dialog and its fields.
TEST_F(SqlServerTools, BackupProposesADatedFileChecksItsParametersAndStaysOpenAfterAFailure)
{
    Seed({"database\tsales", "database\tx]y", "database\tmaster", "backup\t3\t0\t2"});
    std::string folder = StandInPath("");  // a folder the stand-in (a host library) can write, as Z:
    folder.erase(folder.find_last_of('/') + 1);
    for (char& c : folder) c = c == '/' ? '\\' : c;
    const std::string file = folder + "x]y.bak", missing = folder + "nincs\\x.bak";
    DeleteFileA(file.c_str());
    // The last logged runs: none of master's, one of x]y's (and one of a MySQL database of that name).
    ScratchDirectory data;
    SetEnvironmentVariableA("ProgramData", data.path.c_str());
    ASSERT_TRUE(MakeDirectory(data.PathOf("Marvitelkon")) &&
                WriteBytes(data.PathOf("Marvitelkon\\mentesek.log"), "2026-03-07 02:00:05\tmssql\tx]y\tf\t1\tOK\tm\r\n"
                                                                         "2026-03-08 02:00:05\tmysql\tx]y\tf\t1\tHIBA\tm\r\n"));
    void* original = ReplaceImport("comdlg32.dll", "GetSaveFileNameA", reinterpret_cast<void*>(&FakeSaveChooser));
    SYSTEMTIME now;
    GetLocalTime(&now);
    char proposed[64];
    snprintf(proposed, sizeof proposed, "C:\\Apps\\sales-%04d-%02d-%02d.mssql-server", now.wYear, now.wMonth, now.wDay);
    RunTool(ShowSqlServerBackup, [&](HWND dialog) {
        EXPECT_EQ(ComboItems(dialog, IDC_MSSQL_BACKUP_DATABASES), (Strings{"master", "sales", "x]y"}));
        EXPECT_EQ(Selection(dialog, IDC_MSSQL_BACKUP_DATABASES), 0);
        EXPECT_EQ(Text(dialog, IDC_MSSQL_BACKUP_LAST_RUN), "Még nem volt ütemezett mentés.");
        EXPECT_FALSE(IsShown(dialog, IDC_MSSQL_BACKUP_CANCEL) || IsShown(dialog, IDC_MSSQL_BACKUP_PROGRESS));
        Click(dialog, IDC_MSSQL_BACKUP_RUN);  // nothing proposed yet
        Pick(dialog, IDC_MSSQL_BACKUP_DATABASES, 1);
        EXPECT_EQ(Text(dialog, IDC_MSSQL_BACKUP_NAME) + "|" + Text(dialog, IDC_MSSQL_BACKUP_FILE), "SALES|" + std::string(proposed));
        SetText(dialog, IDC_MSSQL_BACKUP_FILE, "   ");
        Click(dialog, IDC_MSSQL_BACKUP_CHOOSE);
        Click(dialog, IDC_MSSQL_BACKUP_RUN);  // blanks count as missing
        SetText(dialog, IDC_MSSQL_BACKUP_FILE, "C:\\mentes\\regi.bak");
        chosen = missing;
        Click(dialog, IDC_MSSQL_BACKUP_CHOOSE);
        PressKey(dialog, VK_DOWN);  // arrow keys choose x]y and propose nothing; the last run follows
        EXPECT_EQ(Text(dialog, IDC_MSSQL_BACKUP_LAST_RUN), "Utolsó ütemezett mentés: 2026-03-07 02:00:05, sikeres");
        OnNextDialog([&](HWND schedule) {
            EXPECT_EQ(Text(schedule, IDC_SCHEDULE_GROUP) + "|" + Text(schedule, IDC_SCHEDULE_FOLDER), "SQL Server - x]y|" + folder + "nincs");
            SendMessageA(schedule, WM_CLOSE, 0, 0);
        });
        Click(dialog, IDC_MSSQL_BACKUP_SCHEDULE);
        SetText(dialog, IDC_MSSQL_BACKUP_NAME, "HETI");
        Click(dialog, IDC_MSSQL_BACKUP_RUN);
        WaitForBackup(dialog);
        EXPECT_EQ(Text(dialog, IDC_MSSQL_BACKUP_NAME) + "|" + Text(dialog, IDC_MSSQL_BACKUP_FILE), "HETI|" + missing);
        PressKey(dialog, VK_ESCAPE);
        EXPECT_TRUE(IsWindowVisible(dialog));
        SetText(dialog, IDC_MSSQL_BACKUP_FILE, file);
        Click(dialog, IDC_MSSQL_BACKUP_RUN);  // the second of three steps fails
        WaitForBackup(dialog);
        EXPECT_EQ(Text(dialog, IDC_MSSQL_BACKUP_NAME) + "|" + Text(dialog, IDC_MSSQL_BACKUP_FILE), "HETI|" + file);
        EXPECT_FALSE(PathExists(file));
        SetText(dialog, IDC_MSSQL_BACKUP_NAME, std::string(254, '\''));  // doubled, past the statement's room
        SetText(dialog, IDC_MSSQL_BACKUP_FILE, std::string(259, '\''));
        Click(dialog, IDC_MSSQL_BACKUP_RUN);
        EXPECT_TRUE(IsEnabledControl(dialog, IDC_MSSQL_BACKUP_RUN));
        SetText(dialog, IDC_MSSQL_BACKUP_NAME, "HETI");
        SetText(dialog, IDC_MSSQL_BACKUP_FILE, file);
        WriteBytes(StandInPath(""), StandInState() + "backup\t3\t600\t0\n");
        PressKey(dialog, VK_RETURN);
        SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);  // refused while the backup runs, as is another
        Click(dialog, IDC_MSSQL_BACKUP_RUN);
        EXPECT_TRUE(IsWindowVisible(dialog) && !IsEnabledControl(dialog, IDC_MSSQL_BACKUP_FILE));
        Strings shown = WaitForBackup(dialog), stages = {"Mentés: 33%|33", "Mentés: 66%|66", "A mentés ellenőrzése...|100"};
        shown.erase(std::remove_if(shown.begin(), shown.end(), [&](const std::string& one) {
            return std::find(stages.begin(), stages.end(), one) == stages.end(); }), shown.end());
        EXPECT_EQ(shown, stages);
        EXPECT_FALSE(IsWindowVisible(dialog));
    });
    ReplaceImport("comdlg32.dll", "GetSaveFileNameA", original);
    EXPECT_EQ(initialDirectories, (Strings{"C:\\Apps", "C:\\mentes\\"}));
    Strings texts = Texts(boxes);
    const std::string failed = "Hibaüzenet: A mentés sikertelen!";
    EXPECT_EQ(texts, (Strings{"Hibaüzenet: A paraméterek kitöltése hiányos!", "Hibaüzenet: A paraméterek kitöltése hiányos!",
                              "ODBC error: [Microsoft][SQL Server]Cannot open backup device '" + missing +
                                  "'. Operating system error 3.", failed,
                              "ODBC error: [Microsoft][SQL Server]BACKUP DATABASE is terminating abnormally.", failed,
                              failed, "Üzenet: A(z) 'x]y' adatbázis mentése '" + file + "' néven lefutott!"}));
    EXPECT_EQ(StandInCalls("SQLExecDirect BACKUP DATABASE [x]]y] TO DISK = '" + file +
                           "' WITH NOFORMAT, INIT, NAME = 'HETI', NOREWIND, NOUNLOAD, NOSKIP, CHECKSUM, STATS = 10").size(), 2u);
    EXPECT_EQ(StandInCalls("SQLExecDirect BACKUP").size(), 3u);
    EXPECT_EQ(ReadBytes(file), "set\tx]y\tHETI\t1\n");

    CopyText(session.sqlServerPassword, "ROSSZ");  // a connection that cannot be opened: no dialog
    for (int (*show)(HWND) : {ShowSqlServerLoginManager, ShowSqlServerBackup}) {
        EXPECT_FALSE(RunTool(show, [](HWND) {}));
        texts = Texts(boxes);
        EXPECT_EQ(texts.size() == 2 ? texts[1] : "", "Hibaüzenet: Az adatbázis a bejelentkezés sikertelen!\r\n"
                                                     "Kérem vegye fel a kapcsolatot a rendszergazdával!");
    }
}

// Before a backup replaces a file's content it asks, also when the server cannot tell; a backup
// counts only when its verification passes; a run is stopped from its one button, and the dialog
// unlocks with its fields. (No to the question, and damage, are in the end-to-end test.)
TEST_F(SqlServerTools, BackupAsksBeforeReplacingIsVerifiedAndCanBeStopped)
{
    Seed({"database\tsales", "backup\t1\t0\t0\t0"});
    const std::string file = StandInPath(".bak");
    WriteBytes(file, "nem mentes\n");
    boxes.AnswerWith([&](const CapturedMessageBox& box) { return box.caption == "Figyelem" ? IDYES : IDOK; });
    RunTool(ShowSqlServerBackup, [&](HWND dialog) {
        Pick(dialog, IDC_MSSQL_BACKUP_DATABASES, 0);
        SetText(dialog, IDC_MSSQL_BACKUP_FILE, file);
        EXPECT_TRUE(ChangeStandIn("sysadmin", "bulkadmin"));  // neither the check nor the verification is allowed
        Click(dialog, IDC_MSSQL_BACKUP_RUN);
        WaitForBackup(dialog);
        EXPECT_TRUE(ChangeStandIn("bulkadmin", "sysadmin") && ChangeStandIn("\t1\t0\t", "\t1\t3000\t"));
        WriteBytes(file, "nem mentes\n");
        Click(dialog, IDC_MSSQL_BACKUP_RUN);
        WaitForBackup(dialog, "A mentés ellenőrzése");
        EXPECT_TRUE(IsEnabledControl(dialog, IDC_MSSQL_BACKUP_CANCEL) && !IsEnabledControl(dialog, IDC_MSSQL_BACKUP_RUN) &&
                    !IsEnabledControl(dialog, IDC_MSSQL_BACKUP_CHOOSE) && !IsEnabledControl(dialog, IDC_MSSQL_BACKUP_SCHEDULE));
        SendMessageA(dialog, WM_CLOSE, 0, 0);
        Click(dialog, IDC_MSSQL_BACKUP_CANCEL);
        WaitForBackup(dialog);
        EXPECT_TRUE(IsWindowVisible(dialog) && !IsShown(dialog, IDC_MSSQL_BACKUP_CANCEL));
        EXPECT_EQ(Text(dialog, IDC_MSSQL_BACKUP_NAME) + "|" + Text(dialog, IDC_MSSQL_BACKUP_FILE), "SALES|" + file);
        EXPECT_TRUE(ChangeStandIn("\t3000\t", "\t0\t"));
        Click(dialog, IDC_MSSQL_BACKUP_RUN);
        WaitForBackup(dialog);
    });
    EXPECT_EQ(boxes.Boxes().at(0).style & (MB_TYPEMASK | MB_ICONMASK), (UINT)(MB_YESNO | MB_ICONWARNING));
    const std::string ask = "Figyelem: A(z) '" + file + "' fájl ";
    EXPECT_EQ(Texts(boxes), (Strings{"Figyelem: Nem sikerült megállapítani, hogy a(z) '" + file +
                                         "' fájl tartalmaz-e már mentést.\r\nFelülírja?",
                                     "ODBC error: [Microsoft][SQL Server]CREATE DATABASE permission denied in database 'master'.",
                                     "Hibaüzenet: A mentés ellenőrzése sikertelen!",
                                     ask + "már létezik, de nem tartalmaz mentést.\r\nFelülírja?", "Üzenet: A mentés megszakítva.",
                                     ask + "már tartalmaz mentést.\r\nFelülírja?",
                                     "Üzenet: A(z) 'sales' adatbázis mentése '" + file + "' néven lefutott!"}));
    const std::string check = "RESTORE HEADERONLY FROM DISK = '" + file + "'",
                      run = "BACKUP DATABASE [sales] TO DISK = '" + file + "' WITH NOFORMAT, INIT, NAME = 'SALES', NOREWIND, "
                            "NOUNLOAD, NOSKIP, CHECKSUM, STATS = 10",
                      verify = "RESTORE VERIFYONLY FROM DISK = '" + file + "' WITH CHECKSUM";
    EXPECT_EQ(StandInCalls("SQLExecDirect "), (Strings{"select * from \"sys\".\"databases\" order by \"name\"", check, run,
                                                       verify, check, run, verify, check, run, verify}));
    EXPECT_FALSE(StandInCalls("SQLCancel").empty());
}

// The restore shows what a file holds and proposes a new database; it refuses, sending nothing, a
// file without a backup, a missing or unfit name and an existing database not named again; it moves
// every file of the set under the target's name, replaces a database only in single-user mode
// (multi-user again after a failure too), asks for checksums only of a set that has them, can be
// stopped, and reports success only at the end.
TEST_F(SqlServerTools, RestoreMovesTheFilesUnderTheNewNameAndReplacesOnlyWhenConfirmed)
{
    Seed({"database\tsales", "database\tx]y", "folders\tC:\\SQL\\DATA\\\tC:\\SQL\\LOG\\", "backup\t2\t0\t0"});
    const std::string none = StandInPath(".none"), checked = StandInPath("'s.bak"), plain = StandInPath(".bak");
    WriteBytes(none, "nem mentes\n");
    WriteBytes(checked, "set\tsales\tSALES\t1\nfile\tsales\tD:\\Old\\sales.mdf\tD\nfile\tsales_2\tD:\\Old\\sales_2.ndf\tD\n"
                        "file\tsales_log\tE:\\Logs\\sales_log.ldf\tL\n");
    WriteBytes(plain, "set\tsales\tSALES\t0\nfile\tsales\tD:\\Old\\sales.mdf\tD\nfile\tsales_log\t/var/log/sales_log.ldf\tL\n");
    SYSTEMTIME now;
    GetLocalTime(&now);
    char today[16];
    snprintf(today, sizeof today, "%04d%02d%02d", now.wYear, now.wMonth, now.wDay);
    const std::string target = std::string("sales_") + today, quoted = checked.substr(0, checked.size() - 6) + "''s.bak";
    auto leave = [](HWND dialog, const std::string& file) {
        SetText(dialog, IDC_MSRESTORE_FILE, file);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_MSRESTORE_FILE, EN_KILLFOCUS), (LPARAM)GetDlgItem(dialog, IDC_MSRESTORE_FILE));
    };
    void* original = ReplaceImport("comdlg32.dll", "GetOpenFileNameA", reinterpret_cast<void*>(&FakeSaveChooser));
    RunTool(ShowSqlServerRestore, [&](HWND dialog) {
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_MSRESTORE_PROGRESS)) ||
                     IsWindowVisible(GetDlgItem(dialog, IDC_MSRESTORE_CANCEL)));  // until a run starts
        EXPECT_EQ(ComboItems(dialog, IDC_MSRESTORE_TARGET), (Strings{"sales", "x]y"}));
        leave(dialog, none);
        SetText(dialog, IDC_MSRESTORE_TARGET, "uj");
        Click(dialog, IDC_MSRESTORE_RUN);
        EXPECT_EQ(Text(dialog, IDC_MSRESTORE_HEADER) + "|" + Text(dialog, IDC_MSRESTORE_TARGET), "|uj");
        chosen = checked;
        Click(dialog, IDC_MSRESTORE_CHOOSE);
        EXPECT_EQ(Text(dialog, IDC_MSRESTORE_HEADER) + "|" + Text(dialog, IDC_MSRESTORE_TARGET),
                  "Adatbázis: sales, mentés: SALES, készült: 2026-03-07 10:00:00|" + target);
        for (const char* name : {"   ", "a\tb", "sales"}) {
            SetText(dialog, IDC_MSRESTORE_TARGET, name);
            Click(dialog, IDC_MSRESTORE_RUN);
        }
        SetText(dialog, IDC_MSRESTORE_CONFIRM, "sales");
        EXPECT_TRUE(ChangeStandIn("backup\t2\t0\t0", "backup\t2\t0\t2"));  // the second step fails
        Click(dialog, IDC_MSRESTORE_RUN);
        WaitForBackup(dialog);
        EXPECT_EQ(StateLines("database\tsales"), Strings{""});  // multi-user again
        EXPECT_TRUE(ChangeStandIn("backup\t2\t0\t2", "backup\t3\t600\t0"));
        SetText(dialog, IDC_MSRESTORE_TARGET, target);
        Click(dialog, IDC_MSRESTORE_RUN);
        WaitForBackup(dialog, Text(dialog, IDC_MSRESTORE_HEADER) + "|33", IDC_MSRESTORE_HEADER);
        EXPECT_TRUE(IsEnabledControl(dialog, IDC_MSRESTORE_CANCEL) && !IsEnabledControl(dialog, IDC_MSRESTORE_FILE) &&
                    !IsEnabledControl(dialog, IDC_MSRESTORE_TARGET));
        SendMessageA(dialog, WM_CLOSE, 0, 0);
        Click(dialog, IDC_MSRESTORE_CANCEL);
        WaitForBackup(dialog);
        EXPECT_TRUE(IsWindowVisible(dialog) && !IsShown(dialog, IDC_MSRESTORE_CANCEL));
        EXPECT_TRUE(ChangeStandIn("backup\t3\t600\t0", "backup\t2\t0\t0"));
        Click(dialog, IDC_MSRESTORE_RUN);
        WaitForBackup(dialog);
    });
    ReplaceImport("comdlg32.dll", "GetOpenFileNameA", original);
    const std::string none3241 = "ODBC error: [Microsoft][SQL Server]The media family on device '" + none + "' is incorrectly formed.";
    const std::string moves = " FROM DISK = '" + quoted + "' WITH FILE = 1, MOVE 'sales' TO 'C:\\SQL\\DATA\\";
    EXPECT_EQ(Texts(boxes),
              (Strings{none3241, none3241, "Hibaüzenet: A paraméterek kitöltése hiányos!",
                       "Hibaüzenet: Az adatbázis neve nem tartalmazhat vezérlőkaraktert!",
                       "Figyelem: A(z) 'sales' adatbázis már létezik. A felülírásához írja be a nevét a megerősítés mezőbe!",
                       "ODBC error: [Microsoft][SQL Server]RESTORE DATABASE is terminating abnormally.",
                       "Hibaüzenet: A visszaállítás sikertelen!",
                       "Üzenet: A visszaállítás megszakítva.\r\nA(z) '" + target + "' adatbázis tartalma hiányos lehet.",
                       "Üzenet: A(z) '" + target + "' adatbázis visszaállítása kész."}));
    auto restoreStatement = [&](const std::string& name, const std::string& options) {
        return "RESTORE DATABASE [" + name + "]" + moves + name + ".mdf', MOVE 'sales_2' TO 'C:\\SQL\\DATA\\" + name +
               "_2.ndf', MOVE 'sales_log' TO 'C:\\SQL\\LOG\\" + name + "_log.ldf', " + options + "STATS = 10";
    };
    Strings restores;
    for (const std::string& call : StandInCalls("SQLExecDirect "))
        if (call.rfind("RESTORE DATABASE", 0) == 0 || call.rfind("ALTER", 0) == 0) restores.push_back(call);
    EXPECT_EQ(restores, (Strings{"ALTER DATABASE [sales] SET SINGLE_USER WITH ROLLBACK IMMEDIATE",
                                 restoreStatement("sales", "REPLACE, CHECKSUM, "), "ALTER DATABASE [sales] SET MULTI_USER",
                                 restoreStatement(target, "CHECKSUM, "), restoreStatement(target, "CHECKSUM, ")}));
    EXPECT_EQ(StandInCalls("SQLExecDirect RESTORE FILELISTONLY").size(), 3u);  // none for a refusal
    EXPECT_FALSE(StandInCalls("SQLCancel").empty());
    EXPECT_EQ(StateLines("database\t"), (Strings{"sales", "x]y", target}));

    // Replacing: confirmed by the name exactly, each file into the folder it had when the server
    // names none, no checksums asked of a set without them.
    EXPECT_TRUE(ChangeStandIn("folders\tC:\\SQL\\DATA\\\tC:\\SQL\\LOG\\", "folders\t\t"));
    RemoveTree(StandInPath(".log"));
    RunTool(ShowSqlServerRestore, [&](HWND dialog) {
        leave(dialog, plain);
        SetText(dialog, IDC_MSRESTORE_TARGET, "x]y");
        SetText(dialog, IDC_MSRESTORE_CONFIRM, "X]y");
        Click(dialog, IDC_MSRESTORE_RUN);
        SetText(dialog, IDC_MSRESTORE_CONFIRM, "x]y");
        Click(dialog, IDC_MSRESTORE_RUN);
        WaitForBackup(dialog);
    });
    EXPECT_EQ(Texts(boxes), (Strings{"Figyelem: A(z) 'x]y' adatbázis már létezik. A felülírásához írja be a nevét a megerősítés mezőbe!",
                                     "Üzenet: A(z) 'x]y' adatbázis visszaállítása kész."}));
    EXPECT_EQ(StandInCalls("SQLExecDirect ALTER DATABASE [x]]y] SET "),
              (Strings{"SINGLE_USER WITH ROLLBACK IMMEDIATE", "MULTI_USER"}));
    EXPECT_EQ(StandInCalls("SQLExecDirect RESTORE DATABASE"),
              Strings{" [x]]y] FROM DISK = '" + plain + "' WITH FILE = 1, MOVE 'sales' TO 'D:\\Old\\x]y.mdf', MOVE 'sales_log' TO "
                      "'/var/log/x]y_log.ldf', REPLACE, STATS = 10"});
}
