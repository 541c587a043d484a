// The SQL Server login manager and backup, run for real under Wine: the tool's entry point opens
// its connection through Wine's odbc32 and unixODBC to the SQL Server stand-in driver of the tests,
// its dialog is driven from inside its modal loop, and the stand-in's state (logins, roles, backup
// files, the statements it received) is read back afterwards.
#include "admin/admin_ids.h"
#include "admin/admin_tools.h"
#include "db/odbc_api.h"
#include "shell/session.h"
#include "support/bounded_text.h"
#include "support/process_state.h"
#include "tests/admin/sql_server_stand_in.h"
#include "tests/harness/dialog_test.h"
#include "tests/harness/message_box_capture.h"
#include "tests/harness/test_files.h"

#include <gtest/gtest.h>

#include <commdlg.h>

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

using Strings = std::vector<std::string>;

const char* const LoginFailed = "Az adatbázis a bejelentkezés sikertelen!\r\nKérem vegye fel a kapcsolatot a rendszergazdával!";
const char* const DeleteCaption = "Biztosan törölni akarod a bejelentkezést?";

// The roles a login's boxes show, as "0"/"1" per box 401..408.
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

// Picks entry index of a drop-down list as the mouse does: the list opens, the entry is chosen and
// the list closes (CBN_CLOSEUP reaches the dialog).
void Pick(HWND dialog, int id, int index)
{
    HWND combo = GetDlgItem(dialog, id);
    SendMessageA(combo, CB_SHOWDROPDOWN, TRUE, 0);
    SendMessageA(combo, CB_SETCURSEL, index, 0);
    SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
    PumpMessages(dialog);
}

int Selection(HWND dialog, int id)
{
    return (int)SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0);
}

Strings Texts(const MessageBoxCapture& boxes)
{
    Strings texts;
    for (const CapturedMessageBox& box : boxes.Boxes()) texts.push_back(box.caption + ": " + box.text);
    return texts;
}

// A host window for the tool, so that OnNextDialog sees the tool's dialog: the host's steps open the
// tool over the host and return when it has closed.
INT_PTR CALLBACK HostProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

void RunTool(int (*show)(HWND), DialogSteps steps, bool* shown = nullptr)
{
    RunDialog("MSSQL_BACKUP", HostProc, 0, [&](HWND host) {
        bool ran = false;
        OnNextDialog([&](HWND dialog) {
            ran = true;
            EXPECT_EQ(GetWindow(dialog, GW_OWNER), host);
            steps(dialog);
        });
        EXPECT_EQ(show(host), 0);
        if (shown) *shown = ran;
        EndDialog(host, 0);
    });
}

class SqlServerTools : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_EQ(LoadOdbcApi(), 1); }
    void SetUp() override
    {
        session = Session();
        CopyText(session.sqlServerDataSource, StandInDataSource());
        CopyText(session.sqlServerUser, "sa");
        CopyText(session.sqlServerPassword, "SAPWD");
        CopyText(startDirectory, scratch.path.c_str());
    }
    void TearDown() override { session = Session(); }

    ScratchDirectory scratch;
};

}  // namespace

TEST_F(SqlServerTools, LoginRolesShowOnCloseUpAndModifySendsOnlyTheDifferencesInRoleOrder)
{
    SeedStandIn({{"zeta", "Z", "00000000"}, {"alfa", "A", "10000100"}, {"beta", "B", "01000000"}}, {"master"});
    const std::string rolesQuery = "select * from \"sys\".\"syslogins\" where \"name\" = 'alfa'";
    MessageBoxCapture boxes;
    bool shown = false;
    RunTool(ShowSqlServerLoginManager, [&](HWND dialog) {
        shown = true;
        EXPECT_EQ(ComboItems(dialog, IDC_MSSQL_LOGINS), (Strings{"alfa", "beta", "sa", "zeta"}));
        EXPECT_EQ(Selection(dialog, IDC_MSSQL_LOGINS), CB_ERR);
        EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_MSSQL_LOGINS));

        Pick(dialog, IDC_MSSQL_LOGINS, 0);
        EXPECT_EQ(Text(dialog, IDC_MSSQL_USER_NAME), "alfa");
        EXPECT_EQ(Boxes(dialog), "10000100");
        // The entry already selected, picked again, reloads the boxes.
        Click(dialog, IDC_MSSQL_CHECK_ALL);
        EXPECT_EQ(Boxes(dialog), "11111111");
        Pick(dialog, IDC_MSSQL_LOGINS, 0);
        EXPECT_EQ(Boxes(dialog), "10000100");
        // Arrow keys with the list closed change the entry but load nothing.
        PressKey(dialog, VK_DOWN);
        EXPECT_EQ(Selection(dialog, IDC_MSSQL_LOGINS), 1);
        EXPECT_EQ(Text(dialog, IDC_MSSQL_USER_NAME), "alfa");
        EXPECT_EQ(Boxes(dialog), "10000100");

        // Boxes equal to the server: only the role query goes out.
        ClearStandInStatements();
        Click(dialog, IDC_MSSQL_MODIFY);
        EXPECT_EQ(StandInStatements(), Strings{rolesQuery});

        // Differences only, in role order; never a password.
        Click(dialog, IDC_MSSQL_CLEAR_ALL);
        SetBoxes(dialog, "00100101");
        ClearStandInStatements();
        Click(dialog, IDC_MSSQL_MODIFY);
        EXPECT_EQ(StandInStatements(), (Strings{rolesQuery, "EXEC sp_dropsrvrolemember 'alfa', 'sysadmin'",
                                                "EXEC sp_addsrvrolemember 'alfa', 'serveradmin'",
                                                "EXEC sp_addsrvrolemember 'alfa', 'bulkadmin'"}));
        EXPECT_EQ(StandInRoles("alfa"), "00100101");
        EXPECT_EQ(Text(dialog, IDC_MSSQL_USER_NAME), "alfa");
        EXPECT_EQ(Boxes(dialog), "00100101");

        // A refused role statement shows its error and the next role still goes out.
        FailStandInStatement("EXEC sp_addsrvrolemember 'alfa', 'sysadmin'");
        SetBoxes(dialog, "11100101");
        ClearStandInStatements();
        Click(dialog, IDC_MSSQL_MODIFY);
        EXPECT_EQ(StandInStatements(), (Strings{rolesQuery, "EXEC sp_addsrvrolemember 'alfa', 'sysadmin'",
                                                "EXEC sp_addsrvrolemember 'alfa', 'securityadmin'"}));
        EXPECT_EQ(Texts(boxes), Strings{"ODBC error: [Microsoft][SQL Server]Refused by the test."});

        // The roles the server shows next are the changed ones.
        Pick(dialog, IDC_MSSQL_LOGINS, 0);
        EXPECT_EQ(Boxes(dialog), "01100101");

        // Esc and Enter leave the dialog open; the close box ends it.
        PressKey(dialog, VK_ESCAPE);
        PressKey(dialog, VK_RETURN);
        EXPECT_TRUE(IsWindowVisible(dialog));
        SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_FALSE(IsWindowVisible(dialog));
    });
    EXPECT_TRUE(shown);
    EXPECT_EQ(StandInRoles("alfa"), "01100101");
    EXPECT_EQ(StandInRoles("beta"), "01000000");
}

TEST_F(SqlServerTools, CreateChecksThePasswordsSendsThemInUpperCaseAndAddsTheCheckedRolesInOrder)
{
    SeedStandIn({{"alfa", "A", "00000000"}}, {});
    MessageBoxCapture boxes;
    RunTool(ShowSqlServerLoginManager, [&](HWND dialog) {
        // Passwords that differ: a warning, nothing sent, every field kept.
        SetText(dialog, IDC_MSSQL_USER_NAME, "uj");
        TypeText(dialog, IDC_MSSQL_PASSWORD, "titok");
        TypeText(dialog, IDC_MSSQL_RETYPE, "titkos");
        SetBoxes(dialog, "10100000");
        ClearStandInStatements();
        Click(dialog, IDC_MSSQL_CREATE);
        EXPECT_EQ(Texts(boxes), Strings{"Figyelem: Különböző jelszavak!"});
        EXPECT_EQ(StandInStatements(), Strings{});
        EXPECT_EQ(Text(dialog, IDC_MSSQL_USER_NAME), "uj");
        EXPECT_EQ(Text(dialog, IDC_MSSQL_RETYPE), "TITKOS");
        boxes.Clear();

        // Typed in lower case, sent in upper case; the checked roles follow in role order, each box
        // cleared; then the fields are emptied and the list read again.
        SetText(dialog, IDC_MSSQL_RETYPE, "");
        TypeText(dialog, IDC_MSSQL_RETYPE, "titok");
        Click(dialog, IDC_MSSQL_CREATE);
        EXPECT_EQ(StandInStatements(), (Strings{"EXEC sp_addlogin 'uj', @passwd = 'TITOK'",
                                                "EXEC sp_addsrvrolemember 'uj', 'sysadmin'",
                                                "EXEC sp_addsrvrolemember 'uj', 'serveradmin'",
                                                "select * from \"sys\".\"sql_logins\" order by \"name\""}));
        EXPECT_EQ(Boxes(dialog), "00000000");
        for (int id : {IDC_MSSQL_USER_NAME, IDC_MSSQL_PASSWORD, IDC_MSSQL_RETYPE}) EXPECT_EQ(Text(dialog, id), "");
        EXPECT_EQ(ComboItems(dialog, IDC_MSSQL_LOGINS), (Strings{"alfa", "sa", "uj"}));
        EXPECT_EQ(Selection(dialog, IDC_MSSQL_LOGINS), CB_ERR);

        // A login the server already has: its error, and nothing after it; fields and boxes stay.
        SetText(dialog, IDC_MSSQL_USER_NAME, "alfa");
        SetBoxes(dialog, "01000000");
        ClearStandInStatements();
        Click(dialog, IDC_MSSQL_CREATE);
        EXPECT_EQ(StandInStatements(), Strings{"EXEC sp_addlogin 'alfa', @passwd = ''"});
        ASSERT_EQ(boxes.Count(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].caption, "ODBC error");
        EXPECT_EQ(Text(dialog, IDC_MSSQL_USER_NAME), "alfa");
        EXPECT_EQ(Boxes(dialog), "01000000");

        // Matching empty passwords make a login with an empty password.
        SetText(dialog, IDC_MSSQL_USER_NAME, "ures");
        Click(dialog, IDC_MSSQL_CREATE);
        SendMessageA(dialog, WM_COMMAND, IDC_MSSQL_EXIT, 0);
    });
    std::vector<StandInLogin> logins = StandInLogins();
    ASSERT_EQ(logins.size(), 3u);
    EXPECT_EQ(logins[0].name + "/" + logins[0].password + "/" + logins[0].roles, "alfa/A/00000000");
    EXPECT_EQ(logins[1].name + "/" + logins[1].password + "/" + logins[1].roles, "uj/TITOK/10100000");
    EXPECT_EQ(logins[2].name + "/" + logins[2].password + "/" + logins[2].roles, "ures//01000000");
}

TEST_F(SqlServerTools, DeleteAsksAboutTheStatementAndReloadsTheListWhateverTheServerAnswers)
{
    SeedStandIn({{"alfa", "A", "00000000"}, {"beta", "B", "10000000"}}, {});
    MessageBoxCapture boxes;
    bool yes = false;
    boxes.AnswerWith([&](const CapturedMessageBox&) { return yes ? IDYES : IDNO; });
    const std::string listQuery = "select * from \"sys\".\"sql_logins\" order by \"name\"";
    RunTool(ShowSqlServerLoginManager, [&](HWND dialog) {
        // An empty name: the question shows the statement with empty quotes; No sends nothing.
        SetText(dialog, IDC_MSSQL_PASSWORD, "JELSZO");
        ClearStandInStatements();
        Click(dialog, IDC_MSSQL_DELETE);
        ASSERT_EQ(boxes.Count(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].text, "EXEC sp_droplogin ''");
        EXPECT_EQ(boxes.Boxes()[0].caption, DeleteCaption);
        EXPECT_EQ(boxes.Boxes()[0].style & (MB_TYPEMASK | MB_ICONMASK), (UINT)(MB_YESNO | MB_ICONQUESTION));
        EXPECT_EQ(StandInStatements(), Strings{});

        // Yes sends it; the server refuses, and the list is read again all the same.
        yes = true;
        boxes.Clear();
        SetBoxes(dialog, "11000000");
        Click(dialog, IDC_MSSQL_DELETE);
        EXPECT_EQ(StandInStatements(), (Strings{"EXEC sp_droplogin ''", listQuery}));
        EXPECT_EQ(Texts(boxes).size(), 2u);
        EXPECT_EQ(boxes.Boxes()[1].caption, "ODBC error");
        EXPECT_EQ(Boxes(dialog), "00000000");
        EXPECT_EQ(Text(dialog, IDC_MSSQL_PASSWORD), "JELSZO");

        // The name field, not the list, names the login dropped.
        Pick(dialog, IDC_MSSQL_LOGINS, 0);
        SetText(dialog, IDC_MSSQL_USER_NAME, "beta");
        Click(dialog, IDC_MSSQL_DELETE);
        EXPECT_EQ(ComboItems(dialog, IDC_MSSQL_LOGINS), (Strings{"alfa", "sa"}));
        EXPECT_EQ(Text(dialog, IDC_MSSQL_USER_NAME), "");
        Click(dialog, IDC_MSSQL_EXIT);
    });
    EXPECT_EQ(StandInLoginNames(), Strings{"alfa"});
}

TEST_F(SqlServerTools, ALoginNameOrPasswordWithAQuoteDoesWhatWasTypedAndNothingMore)
{
    // Unescaped, "EXEC sp_droplogin 'O'Brien'" would drop the login O.
    SeedStandIn({{"O", "X", "00000000"}}, {});
    MessageBoxCapture boxes;
    boxes.AnswerWith([](const CapturedMessageBox&) { return IDYES; });
    RunTool(ShowSqlServerLoginManager, [&](HWND dialog) {
        SetText(dialog, IDC_MSSQL_USER_NAME, "O'Brien");
        TypeText(dialog, IDC_MSSQL_PASSWORD, "a'b");
        TypeText(dialog, IDC_MSSQL_RETYPE, "a'b");
        SetBoxes(dialog, "00000100");
        Click(dialog, IDC_MSSQL_CREATE);
        EXPECT_EQ(StandInRoles("O'Brien"), "00000100");
        ASSERT_EQ(ComboItems(dialog, IDC_MSSQL_LOGINS), (Strings{"O", "O'Brien", "sa"}));
        Pick(dialog, IDC_MSSQL_LOGINS, 1);
        EXPECT_EQ(Boxes(dialog), "00000100");
        SetBoxes(dialog, "10000000");
        Click(dialog, IDC_MSSQL_MODIFY);
        EXPECT_EQ(StandInRoles("O'Brien"), "10000000");
        EXPECT_EQ(StandInRoles("O"), "00000000");
        Click(dialog, IDC_MSSQL_DELETE);
        Click(dialog, IDC_MSSQL_EXIT);
    });
    EXPECT_EQ(Texts(boxes), Strings{"Biztosan törölni akarod a bejelentkezést?: EXEC sp_droplogin 'O''Brien'"});
    std::vector<StandInLogin> logins = StandInLogins();
    ASSERT_EQ(logins.size(), 1u);
    EXPECT_EQ(logins[0].name + "/" + logins[0].password, "O/X");
}

TEST_F(SqlServerTools, AConnectionThatCannotBeOpenedShowsTheFailureInsteadOfTheDialog)
{
    SeedStandIn({}, {"master"});
    CopyText(session.sqlServerPassword, "ROSSZ");
    for (int (*show)(HWND) : {ShowSqlServerLoginManager, ShowSqlServerBackup}) {
        MessageBoxCapture boxes;
        bool shown = true;
        RunTool(show, [](HWND) {}, &shown);
        EXPECT_FALSE(shown);
        ASSERT_EQ(boxes.Count(), 2u);
        EXPECT_EQ(boxes.Boxes()[0].caption, "ODBC error");
        EXPECT_EQ(boxes.Boxes()[1].caption + ": " + boxes.Boxes()[1].text, std::string("Hibaüzenet: ") + LoginFailed);
        EXPECT_EQ(boxes.Boxes()[1].style & MB_TASKMODAL, (UINT)MB_TASKMODAL);
        EXPECT_TRUE(boxes.Boxes()[1].owner != nullptr);
    }
}

// ---------------------------------------------------------------------------------------------
// Backup

namespace {

std::string Today()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    char text[16];
    snprintf(text, sizeof text, "%04d-%02d-%02d", now.wYear, now.wMonth, now.wDay);
    return text;
}

// Stands in for the save chooser while an instance lives: records the initial directory and
// answers with chosen (empty: cancelled).
class SaveChooser {
public:
    explicit SaveChooser(std::string chosen) : chosen(std::move(chosen))
    {
        current = this;
        original = ReplaceImport("comdlg32.dll", "GetSaveFileNameA", reinterpret_cast<void*>(&Fake));
    }
    ~SaveChooser()
    {
        ReplaceImport("comdlg32.dll", "GetSaveFileNameA", original);
        current = nullptr;
    }
    std::vector<std::string> initialDirectories;
    std::string chosen;

private:
    static BOOL WINAPI Fake(OPENFILENAMEA* request)
    {
        current->initialDirectories.push_back(request->lpstrInitialDir ? request->lpstrInitialDir : "(null)");
        if (current->chosen.empty()) return FALSE;
        CopyText(request->lpstrFile, request->nMaxFile, current->chosen.c_str());
        return TRUE;
    }
    static SaveChooser* current;
    void* original;
};
SaveChooser* SaveChooser::current = nullptr;

}  // namespace

TEST_F(SqlServerTools, BackupProposesADatedFileAndChecksItsParametersBeforeSending)
{
    SeedStandIn({}, {"sales", "Alfa", "master"});
    MessageBoxCapture boxes;
    RunTool(ShowSqlServerBackup, [&](HWND dialog) {
        EXPECT_EQ(ComboItems(dialog, IDC_MSSQL_BACKUP_DATABASES), (Strings{"Alfa", "master", "sales"}));
        EXPECT_EQ(Selection(dialog, IDC_MSSQL_BACKUP_DATABASES), 0);
        EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_MSSQL_BACKUP_DATABASES));
        EXPECT_EQ(Text(dialog, IDC_MSSQL_BACKUP_NAME), "");
        EXPECT_EQ(Text(dialog, IDC_MSSQL_BACKUP_FILE), "");
        ClearStandInStatements();
        Click(dialog, IDC_MSSQL_BACKUP_RUN);
        EXPECT_EQ(Texts(boxes), Strings{"Hibaüzenet: A paraméterek kitöltése hiányos!"});

        Pick(dialog, IDC_MSSQL_BACKUP_DATABASES, 2);
        EXPECT_EQ(Text(dialog, IDC_MSSQL_BACKUP_FILE), std::string(startDirectory) + "\\sales-" + Today() + ".mssql-server");
        const std::string proposedName = Text(dialog, IDC_MSSQL_BACKUP_NAME);
        EXPECT_EQ(proposedName, "SALES");
        // Arrow keys choose another database but propose nothing.
        PressKey(dialog, VK_UP);
        EXPECT_EQ(Selection(dialog, IDC_MSSQL_BACKUP_DATABASES), 1);
        EXPECT_EQ(Text(dialog, IDC_MSSQL_BACKUP_NAME), proposedName);

        // Blanks only count as missing.
        SetText(dialog, IDC_MSSQL_BACKUP_NAME, "   ");
        boxes.Clear();
        Click(dialog, IDC_MSSQL_BACKUP_RUN);
        EXPECT_EQ(Texts(boxes), Strings{"Hibaüzenet: A paraméterek kitöltése hiányos!"});
        EXPECT_EQ(StandInStatements(), Strings{});

        // The chooser starts in the start directory for an empty field, else in the field's folder;
        // cancelling changes nothing.
        SaveChooser chooser("");
        SetText(dialog, IDC_MSSQL_BACKUP_FILE, "   ");
        Click(dialog, IDC_MSSQL_BACKUP_CHOOSE);
        SetText(dialog, IDC_MSSQL_BACKUP_FILE, "C:\\mentes\\regi.bak");
        Click(dialog, IDC_MSSQL_BACKUP_CHOOSE);
        EXPECT_EQ(Text(dialog, IDC_MSSQL_BACKUP_FILE), "C:\\mentes\\regi.bak");
        chooser.chosen = "D:\\uj.bak";
        Click(dialog, IDC_MSSQL_BACKUP_CHOOSE);
        EXPECT_EQ(Text(dialog, IDC_MSSQL_BACKUP_FILE), "D:\\uj.bak");
        EXPECT_EQ(chooser.initialDirectories, (Strings{startDirectory, "C:\\mentes\\", "C:\\mentes\\"}));
        SendMessageA(dialog, WM_CLOSE, 0, 0);
    });
}

TEST_F(SqlServerTools, AFailedBackupKeepsTheDialogAndASuccessfulOneNamesDatabaseAndFile)
{
    SeedStandIn({}, {"x]y", "xy"});
    // Paths as the stand-in (a host library) can open them: the state file's folder through drive Z:.
    std::string folder = StandInPath();
    folder = folder.substr(0, folder.find_last_of("/\\") + 1);
    for (char& c : folder)
        if (c == '/') c = '\\';
    const std::string file = folder + "x]y.bak";
    const std::string missingFolder = folder + "nincs\\x.bak";
    DeleteFileA(file.c_str());
    MessageBoxCapture boxes;
    bool stillOpen = false;
    RunTool(ShowSqlServerBackup, [&](HWND dialog) {
        Pick(dialog, IDC_MSSQL_BACKUP_DATABASES, 0);
        SetText(dialog, IDC_MSSQL_BACKUP_NAME, "HETI");
        SetText(dialog, IDC_MSSQL_BACKUP_FILE, missingFolder);
        ClearStandInStatements();
        Click(dialog, IDC_MSSQL_BACKUP_RUN);
        EXPECT_EQ(StandInStatements(), Strings{"BACKUP DATABASE [x]]y] TO DISK = '" + missingFolder +
                                               "' WITH NOFORMAT, INIT, NAME = 'HETI', NOREWIND, NOUNLOAD, NOSKIP"});
        ASSERT_EQ(boxes.Count(), 2u);
        EXPECT_EQ(boxes.Boxes()[0].caption, "ODBC error");
        EXPECT_EQ(boxes.Boxes()[1].caption + ": " + boxes.Boxes()[1].text, "Hibaüzenet: A mentés sikertelen!");
        EXPECT_TRUE(IsWindowVisible(dialog));
        EXPECT_EQ(Text(dialog, IDC_MSSQL_BACKUP_NAME), "HETI");
        EXPECT_EQ(Text(dialog, IDC_MSSQL_BACKUP_FILE), missingFolder);
        EXPECT_EQ(Selection(dialog, IDC_MSSQL_BACKUP_DATABASES), 0);

        // Esc does nothing; Enter presses "Ment".
        PressKey(dialog, VK_ESCAPE);
        stillOpen = IsWindowVisible(dialog) != 0;
        SetText(dialog, IDC_MSSQL_BACKUP_FILE, file);
        boxes.Clear();
        SetFocus(GetDlgItem(dialog, IDC_MSSQL_BACKUP_NAME));
        PressKey(dialog, VK_RETURN);
        EXPECT_FALSE(IsWindowVisible(dialog));
    });
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(Texts(boxes), Strings{"Üzenet: A(z) 'x]y' adatbázis mentése '" + file + "' néven lefutott!"});
    // The stand-in wrote the backup of that database, and of no other.
    EXPECT_EQ(ReadBytes(file).substr(0, 23), "backup of database x]y\n");
}
