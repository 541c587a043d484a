// The SQL Server login manager and backup under Wine: the entry point opens its connection through
// Wine's odbc32 and unixODBC to the SQL Server stand-in driver, the dialog is driven from inside its
// modal loop, and the stand-in's state and the statements it received are read back.
#include "admin/admin_ids.h"
#include "admin/admin_tools.h"
#include "db/odbc_api.h"
#include "shell/session.h"
#include "support/bounded_text.h"
#include "support/process_state.h"
#include "tests/admin/sql_server_stand_in.h"
#include "tests/harness/dialog_test.h"
#include "tests/harness/message_box_capture.h"

#include <gtest/gtest.h>

#include <commdlg.h>
#include <stdio.h>

using Strings = std::vector<std::string>;

namespace {

const std::string rolesOfAlfa = "select * from \"sys\".\"syslogins\" where \"name\" = 'alfa'";
const std::string loginList = "select * from \"sys\".\"sql_logins\" order by \"name\"";

// The role boxes 401..408 as "0"/"1".
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

Strings Texts(MessageBoxCapture& boxes)
{
    Strings texts;
    for (const CapturedMessageBox& box : boxes.Boxes()) texts.push_back(box.caption + ": " + box.text);
    boxes.Clear();
    return texts;
}

INT_PTR CALLBACK HostProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// Opens the tool over a host dialog (so that its own dialog gets the steps); whether it showed.
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
    SeedStandIn({"login\tzeta\tZ\t", "login\talfa\tA\tsysadmin,diskadmin", "login\tbeta\tB\tsecurityadmin"});
    EXPECT_TRUE(RunTool(ShowSqlServerLoginManager, [&](HWND dialog) {
        EXPECT_EQ(ComboItems(dialog, IDC_MSSQL_LOGINS), (Strings{"alfa", "beta", "sa", "zeta"}));
        EXPECT_EQ(Selection(dialog, IDC_MSSQL_LOGINS), CB_ERR);
        Pick(dialog, IDC_MSSQL_LOGINS, 0);
        EXPECT_EQ(Text(dialog, IDC_MSSQL_USER_NAME) + " " + Boxes(dialog), "alfa 10000100");
        // The entry already selected, picked again, reloads the boxes.
        Click(dialog, IDC_MSSQL_CHECK_ALL);
        EXPECT_EQ(Boxes(dialog), "11111111");
        Pick(dialog, IDC_MSSQL_LOGINS, 0);
        EXPECT_EQ(Boxes(dialog), "10000100");
        // Arrow keys with the list closed change the entry but load nothing.
        PressKey(dialog, VK_DOWN);
        EXPECT_EQ(Selection(dialog, IDC_MSSQL_LOGINS), 1);
        EXPECT_EQ(Text(dialog, IDC_MSSQL_USER_NAME) + " " + Boxes(dialog), "alfa 10000100");

        ClearStandInStatements();
        Click(dialog, IDC_MSSQL_MODIFY);
        EXPECT_EQ(StandInStatements(), Strings{rolesOfAlfa});
        Click(dialog, IDC_MSSQL_CLEAR_ALL);
        SetBoxes(dialog, "00100101");
        Click(dialog, IDC_MSSQL_MODIFY);
        EXPECT_EQ(StandInStatements(), (Strings{rolesOfAlfa, rolesOfAlfa, "EXEC sp_dropsrvrolemember 'alfa', 'sysadmin'",
                                                "EXEC sp_addsrvrolemember 'alfa', 'serveradmin'",
                                                "EXEC sp_addsrvrolemember 'alfa', 'bulkadmin'"}));
        EXPECT_EQ(StandInLogins()[1], "alfa\tA\tdiskadmin,serveradmin,bulkadmin");
        // A refused role statement shows its error and the next role still goes out.
        SeedStandIn({"login\talfa\tA\tserveradmin,diskadmin,bulkadmin",
                     "fail\tEXEC sp_addsrvrolemember 'alfa', 'sysadmin'\t42000\t15247\tNo permission."});
        SetBoxes(dialog, "11100101");
        Click(dialog, IDC_MSSQL_MODIFY);
        EXPECT_EQ(Texts(boxes), Strings{"ODBC error: [Microsoft][SQL Server]No permission."});
        Pick(dialog, IDC_MSSQL_LOGINS, 0);
        EXPECT_EQ(Boxes(dialog), "01100101");
        PressKey(dialog, VK_ESCAPE);
        PressKey(dialog, VK_RETURN);
        EXPECT_TRUE(IsWindowVisible(dialog));
        SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    }));
    EXPECT_EQ(StandInStatements(), (Strings{rolesOfAlfa, "EXEC sp_addsrvrolemember 'alfa', 'sysadmin'",
                                            "EXEC sp_addsrvrolemember 'alfa', 'securityadmin'", rolesOfAlfa}));
    EXPECT_EQ(StandInLogins(), Strings{"alfa\tA\tserveradmin,diskadmin,bulkadmin,securityadmin"});
}

TEST_F(SqlServerTools, CreateChecksThePasswordsSendsThemInUpperCaseAndAddsTheCheckedRolesInOrder)
{
    SeedStandIn({"login\talfa\tA\t"});
    RunTool(ShowSqlServerLoginManager, [&](HWND dialog) {
        SetText(dialog, IDC_MSSQL_USER_NAME, "uj");
        TypeText(dialog, IDC_MSSQL_PASSWORD, "titok");
        TypeText(dialog, IDC_MSSQL_RETYPE, "titkos");
        SetBoxes(dialog, "10100000");
        Click(dialog, IDC_MSSQL_CREATE);
        EXPECT_EQ(Texts(boxes), Strings{"Figyelem: Különböző jelszavak!"});
        EXPECT_EQ(Text(dialog, IDC_MSSQL_USER_NAME) + " " + Text(dialog, IDC_MSSQL_RETYPE), "uj TITKOS");
        SetText(dialog, IDC_MSSQL_RETYPE, "");
        TypeText(dialog, IDC_MSSQL_RETYPE, "titok");
        Click(dialog, IDC_MSSQL_CREATE);
        EXPECT_EQ(Boxes(dialog), "00000000");
        for (int id : {IDC_MSSQL_USER_NAME, IDC_MSSQL_PASSWORD, IDC_MSSQL_RETYPE}) EXPECT_EQ(Text(dialog, id), "");
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
    EXPECT_EQ(StandInStatements(),
              (Strings{loginList, "EXEC sp_addlogin 'uj', @passwd = 'TITOK'", "EXEC sp_addsrvrolemember 'uj', 'sysadmin'",
                       "EXEC sp_addsrvrolemember 'uj', 'serveradmin'", loginList, "EXEC sp_addlogin 'alfa', @passwd = ''",
                       "EXEC sp_addlogin 'ures', @passwd = ''", "EXEC sp_addsrvrolemember 'ures', 'securityadmin'",
                       loginList}));
    EXPECT_EQ(StandInLogins(), (Strings{"alfa\tA\t", "uj\tTITOK\tsysadmin,serveradmin", "ures\t\tsecurityadmin"}));
}

TEST_F(SqlServerTools, DeleteAsksAboutTheStatementAndAQuotedNameDoesWhatWasTypedAndNothingMore)
{
    // Unescaped, "EXEC sp_droplogin 'O'Brien'" would drop the login O.
    SeedStandIn({"login\tO\tX\t", "login\tbeta\tB\t"});
    int answer = IDNO;
    boxes.AnswerWith([&](const CapturedMessageBox&) { return answer; });
    RunTool(ShowSqlServerLoginManager, [&](HWND dialog) {
        SetText(dialog, IDC_MSSQL_PASSWORD, "JELSZO");
        Click(dialog, IDC_MSSQL_DELETE);
        ASSERT_EQ(boxes.Count(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].style & (MB_TYPEMASK | MB_ICONMASK), (UINT)(MB_YESNO | MB_ICONQUESTION));
        answer = IDYES;
        SetBoxes(dialog, "11000000");
        Click(dialog, IDC_MSSQL_DELETE);  // refused by the server, the list is read again all the same
        EXPECT_EQ(Boxes(dialog) + " " + Text(dialog, IDC_MSSQL_PASSWORD), "00000000 JELSZO");

        SetText(dialog, IDC_MSSQL_USER_NAME, "O'Brien");
        SetText(dialog, IDC_MSSQL_PASSWORD, "");
        TypeText(dialog, IDC_MSSQL_PASSWORD, "a'b");
        TypeText(dialog, IDC_MSSQL_RETYPE, "a'b");
        SetBoxes(dialog, "00000100");
        Click(dialog, IDC_MSSQL_CREATE);
        ASSERT_EQ(ComboItems(dialog, IDC_MSSQL_LOGINS), (Strings{"O", "O'Brien", "beta", "sa"}));
        Pick(dialog, IDC_MSSQL_LOGINS, 1);
        EXPECT_EQ(Boxes(dialog), "00000100");
        SetBoxes(dialog, "10000000");
        Click(dialog, IDC_MSSQL_MODIFY);
        EXPECT_EQ(StandInLogins(), (Strings{"O\tX\t", "beta\tB\t", "O'Brien\tA'B\tsysadmin"}));
        Click(dialog, IDC_MSSQL_DELETE);
        // The name field, not the list, names the login dropped.
        Pick(dialog, IDC_MSSQL_LOGINS, 0);
        SetText(dialog, IDC_MSSQL_USER_NAME, "O");
        Click(dialog, IDC_MSSQL_DELETE);
        EXPECT_EQ(Text(dialog, IDC_MSSQL_USER_NAME), "");
        Click(dialog, IDC_MSSQL_EXIT);
    });
    const std::string ask = "Biztosan törölni akarod a bejelentkezést?: ";
    Strings texts = Texts(boxes);
    ASSERT_EQ(texts.size(), 5u);
    EXPECT_EQ(texts[0], ask + "EXEC sp_droplogin ''");
    EXPECT_EQ(texts[1], ask + "EXEC sp_droplogin ''");
    EXPECT_EQ(texts[2].substr(0, 12), "ODBC error: ");
    EXPECT_EQ(texts[3], ask + "EXEC sp_droplogin 'O''Brien'");
    EXPECT_EQ(StandInLines(".log", "SQLExecDirect EXEC sp_droplogin").size(), 3u);
    EXPECT_EQ(StandInLogins(), Strings{"beta\tB\t"});
}

TEST_F(SqlServerTools, AConnectionThatCannotBeOpenedShowsTheFailureInsteadOfTheDialog)
{
    SeedStandIn({});
    CopyText(session.sqlServerPassword, "ROSSZ");
    for (int (*show)(HWND) : {ShowSqlServerLoginManager, ShowSqlServerBackup}) {
        EXPECT_FALSE(RunTool(show, [](HWND) {}));
        Strings texts = Texts(boxes);
        ASSERT_EQ(texts.size(), 2u);
        EXPECT_NE(texts[0].find("]Login failed for user 'sa'."), std::string::npos) << texts[0];
        EXPECT_EQ(texts[1], "Hibaüzenet: Az adatbázis a bejelentkezés sikertelen!\r\n"
                            "Kérem vegye fel a kapcsolatot a rendszergazdával!");
    }
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

}  // namespace

TEST_F(SqlServerTools, BackupProposesADatedFileAndChecksItsParametersBeforeSending)
{
    SeedStandIn({"database\tsales", "database\tAlfa", "database\tmaster"});
    void* original = ReplaceImport("comdlg32.dll", "GetSaveFileNameA", reinterpret_cast<void*>(&FakeSaveChooser));
    SYSTEMTIME now;
    GetLocalTime(&now);
    char today[16];
    snprintf(today, sizeof today, "%04d-%02d-%02d", now.wYear, now.wMonth, now.wDay);
    RunTool(ShowSqlServerBackup, [&](HWND dialog) {
        EXPECT_EQ(ComboItems(dialog, IDC_MSSQL_BACKUP_DATABASES), (Strings{"Alfa", "master", "sales"}));
        EXPECT_EQ(Selection(dialog, IDC_MSSQL_BACKUP_DATABASES), 0);
        EXPECT_EQ(Text(dialog, IDC_MSSQL_BACKUP_NAME) + Text(dialog, IDC_MSSQL_BACKUP_FILE), "");
        Click(dialog, IDC_MSSQL_BACKUP_RUN);
        Pick(dialog, IDC_MSSQL_BACKUP_DATABASES, 2);
        EXPECT_EQ(Text(dialog, IDC_MSSQL_BACKUP_NAME), "SALES");
        EXPECT_EQ(Text(dialog, IDC_MSSQL_BACKUP_FILE), std::string("C:\\Apps\\sales-") + today + ".mssql-server");
        PressKey(dialog, VK_UP);
        EXPECT_EQ(Selection(dialog, IDC_MSSQL_BACKUP_DATABASES), 1);
        EXPECT_EQ(Text(dialog, IDC_MSSQL_BACKUP_NAME), "SALES");
        SetText(dialog, IDC_MSSQL_BACKUP_NAME, "   ");
        Click(dialog, IDC_MSSQL_BACKUP_RUN);

        SetText(dialog, IDC_MSSQL_BACKUP_FILE, "   ");
        Click(dialog, IDC_MSSQL_BACKUP_CHOOSE);
        SetText(dialog, IDC_MSSQL_BACKUP_FILE, "C:\\mentes\\regi.bak");
        Click(dialog, IDC_MSSQL_BACKUP_CHOOSE);
        EXPECT_EQ(Text(dialog, IDC_MSSQL_BACKUP_FILE), "C:\\mentes\\regi.bak");
        chosen = "D:\\uj.bak";
        Click(dialog, IDC_MSSQL_BACKUP_CHOOSE);
        EXPECT_EQ(Text(dialog, IDC_MSSQL_BACKUP_FILE), "D:\\uj.bak");
        SendMessageA(dialog, WM_CLOSE, 0, 0);
    });
    ReplaceImport("comdlg32.dll", "GetSaveFileNameA", original);
    EXPECT_EQ(initialDirectories, (Strings{"C:\\Apps", "C:\\mentes\\", "C:\\mentes\\"}));
    EXPECT_EQ(Texts(boxes), Strings(2, "Hibaüzenet: A paraméterek kitöltése hiányos!"));
    EXPECT_EQ(StandInStatements(), Strings{"select * from \"sys\".\"databases\" order by \"name\""});
}

TEST_F(SqlServerTools, AFailedBackupKeepsTheDialogAndASuccessfulOneNamesDatabaseAndFile)
{
    SeedStandIn({"database\tx]y", "database\txy"});
    // Paths the stand-in (a host library) can write: its state folder, through drive Z:.
    std::string folder = StandInPath();
    folder.erase(folder.find_last_of('/') + 1);
    for (char& c : folder) c = c == '/' ? '\\' : c;
    const std::string file = folder + "x]y.bak", missing = folder + "nincs\\x.bak";
    DeleteFileA(file.c_str());
    RunTool(ShowSqlServerBackup, [&](HWND dialog) {
        Pick(dialog, IDC_MSSQL_BACKUP_DATABASES, 0);
        SetText(dialog, IDC_MSSQL_BACKUP_NAME, "HETI");
        SetText(dialog, IDC_MSSQL_BACKUP_FILE, missing);
        Click(dialog, IDC_MSSQL_BACKUP_RUN);
        Strings texts = Texts(boxes);
        ASSERT_EQ(texts.size(), 2u);
        EXPECT_EQ(texts[1], "Hibaüzenet: A mentés sikertelen!");
        EXPECT_EQ(Text(dialog, IDC_MSSQL_BACKUP_NAME) + "|" + Text(dialog, IDC_MSSQL_BACKUP_FILE), "HETI|" + missing);
        PressKey(dialog, VK_ESCAPE);
        EXPECT_TRUE(IsWindowVisible(dialog));
        SetText(dialog, IDC_MSSQL_BACKUP_FILE, file);
        PressKey(dialog, VK_RETURN);
        EXPECT_FALSE(IsWindowVisible(dialog));
    });
    EXPECT_EQ(StandInLines(".log", "SQLExecDirect BACKUP"),
              (Strings{" DATABASE [x]]y] TO DISK = '" + missing + "' WITH NOFORMAT, INIT, NAME = 'HETI', NOREWIND, NOUNLOAD, NOSKIP",
                       " DATABASE [x]]y] TO DISK = '" + file + "' WITH NOFORMAT, INIT, NAME = 'HETI', NOREWIND, NOUNLOAD, NOSKIP"}));
    EXPECT_EQ(Texts(boxes), Strings{"Üzenet: A(z) 'x]y' adatbázis mentése '" + file + "' néven lefutott!"});
    EXPECT_EQ(ReadBytes(file).substr(0, 23), "backup of database x]y\n");
}
