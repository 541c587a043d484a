// The user-rights editor with its program and user dialogs, driven as an administrator uses them:
// whole editing sessions in the real USER_ADMIN, PROGRAM_APP and USER_APP templates, checked against
// the exact document written to Marvitelkon.ini (and the message boxes shown).
#include "admin/admin_ids.h"
#include "admin/admin_tools.h"
#include "admin/user_rights_editor.h"
#include "config/config_document.h"
#include "config/session.h"
#include "support/bounded_text.h"
#include "support/process_state.h"
#include "tests/harness/dialog_test.h"
#include "tests/harness/message_box_capture.h"
#include "tests/harness/test_documents.h"
#include "tests/harness/test_files.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

// B02 and TOTH are hand-written records with values longer than the dialogs ever took.
const std::string longDescription = "Bér " + std::string(96, 'b'), longPath = "C:\\" + std::string(257, 'p'),
                  longAlias(60, 'a'), longIcon = "C:\\" + std::string(257, 'i'), longName = "Tóth " + std::string(95, 'e');
const std::string programs = ProgramLine("A01", "Könyvelés", "C:\\a.exe", "AL1", "a.ico") +
                             ProgramLine("AB", "Raktár", "C:\\ab.exe", "AL2", "ab.ico");
const std::string users = UserLine("Kiss Anna", "KISS", "PWK", "YES", "B02;A01;") +
                          UserLine("Nagy Béla", "NAGY", "PWN", "NO", "XAB;") +
                          UserLine(longName, "TOTH", "PWT4567890123456", "NO", "B02;AB;ZZ;");
const std::string original =
    Document("Fejléc", programs + ProgramLine("B02", longDescription, longPath, longAlias, longIcon), users);

class UserRightsEditorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CopyText(startDirectory, start.path.c_str());
        memset(&session, 0, sizeof session);
        Install(original);
    }
    void TearDown() override
    {
        ReplaceDocumentText(nullptr);
        startDirectory[0] = '\0';
    }

    // The document in memory and on disk.
    void Install(const std::string& text)
    {
        ReplaceDocumentText(strdup(text.c_str()));
        ASSERT_TRUE(WriteBytes(IniPath(), Scramble(text)));
    }
    std::string IniPath() const { return start.PathOf("Marvitelkon.ini"); }
    std::string OnDisk() const { return Scramble(ReadBytes(IniPath())); }

    INT_PTR RunEditor(DialogSteps steps) { return RunDialog("USER_ADMIN", UserRightsEditorProc, 0, std::move(steps)); }

    ScratchDirectory start;
};

HWND List(HWND editor, int id) { return GetDlgItem(editor, id); }

void SetState(HWND list, int row, UINT state, UINT mask)
{
    LVITEMA item = {};
    item.stateMask = mask;
    item.state = state;
    SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}
// Focus moved without a click (keys, hot-tracking).
void Focus(HWND list, int row) { SetState(list, row, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED); }
void Tick(HWND list, int row, bool ticked) { SetState(list, row, INDEXTOSTATEIMAGEMASK(ticked ? 2 : 1), LVIS_STATEIMAGEMASK); }

// The per-user list as "ID+" (ticked) or "ID-" entries.
std::vector<std::string> Rights(HWND editor)
{
    HWND list = List(editor, IDC_RIGHTS_USER_PROGRAMS);
    std::vector<std::string> rows;
    for (int i = 0; i < ListCount(list); i++) rows.push_back(ListText(list, i, 0) + (ListChecked(list, i) ? "+" : "-"));
    return rows;
}

// Opens a record dialog with button, runs steps in it, and reports whether it was still open after them.
bool InRecordDialog(HWND editor, int button, std::function<void(HWND)> steps)
{
    bool leftOpen = false;
    OnNextDialog([&](HWND dialog) {
        steps(dialog);
        leftOpen = IsWindowVisible(dialog) != FALSE;
    });
    Click(editor, button);
    return leftOpen;
}

// Types one character more than each field's limit into the empty field: it keeps the limit.
void TypePastLimits(HWND dialog, const std::vector<std::pair<int, size_t>>& fields, const std::string& letters)
{
    for (size_t i = 0; i < fields.size(); i++) {
        TypeText(dialog, fields[i].first, std::string(fields[i].second + 1, letters[i]));
        EXPECT_EQ(Text(dialog, fields[i].first), std::string(fields[i].second, letters[i])) << fields[i].first;
    }
}
std::string Repeated(size_t count, char letter) { return std::string(count, letter); }

TEST_F(UserRightsEditorTest, AWholeEditingSessionWritesExactlyTheEditedDocument)
{
    MessageBoxCapture boxes;
    INT_PTR result = RunEditor([&](HWND editor) {
        HWND programList = List(editor, IDC_RIGHTS_PROGRAMS);
        HWND userList = List(editor, IDC_RIGHTS_USERS);
        EXPECT_EQ(Text(editor, IDC_RIGHTS_MYSQL_DSN), "mydsn");
        EXPECT_EQ(Text(editor, IDC_RIGHTS_HEADER), "Fejléc");
        EXPECT_EQ(ListRows(programList, 6)[1], (std::vector<std::string>{"AB", "Raktár", "C:\\ab.exe", "AL2", "  1", "ab.ico"}));
        EXPECT_EQ(ListRows(userList, 6)[2], (std::vector<std::string>{longName, "TOTH", "PWT4567890123456", "B02;AB;ZZ;", "Nem", "  2"}));
        EXPECT_TRUE(Rights(editor).empty());

        // "=" with no focused user adds, under the change caption.
        EXPECT_FALSE(InRecordDialog(editor, IDC_RIGHTS_USER_CHANGE, [](HWND dialog) {
            EXPECT_EQ(Text(dialog, IDC_RECORD_COMMAND), "&Módosít");
            SetText(dialog, IDC_USER_NAME, "<x>");
            SetText(dialog, IDC_USER_ID, "UJ");
            Click(dialog, IDC_RECORD_COMMAND);  // refused: the dialog stays
            SetText(dialog, IDC_USER_NAME, "");
            SetText(dialog, IDC_USER_ID, "");
            TypePastLimits(dialog, {{IDC_USER_NAME, 100}, {IDC_USER_ID, 8}, {IDC_USER_PASSWORD, 8}}, "nUT");
            CheckDlgButton(dialog, IDC_USER_ADMIN, BST_CHECKED);
            Click(dialog, IDC_RECORD_COMMAND);
        }));
        EXPECT_EQ(ListRows(userList, 6)[3], (std::vector<std::string>{Repeated(100, 'n'), "UUUUUUUU", "TTTTTTTT", "", "Igen", "  4"}));

        // The rights list follows the focus, however it moves; a change rewrites the list in program order.
        Focus(userList, 0);
        EXPECT_EQ(Rights(editor), (std::vector<std::string>{"A01+", "AB-", "B02+"}));
        Tick(List(editor, IDC_RIGHTS_USER_PROGRAMS), 2, false);
        EXPECT_EQ(ListText(userList, 0, 3), "A01;");
        Tick(List(editor, IDC_RIGHTS_USER_PROGRAMS), 2, true);
        EXPECT_EQ(ListText(userList, 0, 3), "A01;B02;");
        // "XAB;" does not hold "AB", and changing another box does not grant it.
        Focus(userList, 1);
        EXPECT_EQ(Rights(editor), (std::vector<std::string>{"A01-", "AB-", "B02-"}));
        EXPECT_EQ(ListText(userList, 1, 3), "XAB;");  // looking changes nothing
        Tick(List(editor, IDC_RIGHTS_USER_PROGRAMS), 0, true);
        EXPECT_EQ(ListText(userList, 1, 3), "A01;");

        // Programs: add, rename through "=", delete through "-" (fields shown disabled).
        EXPECT_FALSE(InRecordDialog(editor, IDC_RIGHTS_PROGRAM_ADD, [](HWND dialog) {
            EXPECT_EQ(Text(dialog, IDC_RECORD_COMMAND), "&Felvisz");
            for (const char* refused : {"A;B", ""}) {
                SetText(dialog, IDC_PROGRAM_ID, refused);
                Click(dialog, IDC_RECORD_COMMAND);
            }
            SetText(dialog, IDC_PROGRAM_ID, "");
            TypePastLimits(dialog, {{IDC_PROGRAM_DESCRIPTION, 120}, {IDC_PROGRAM_ID, 16}, {IDC_PROGRAM_PATH, 260},
                                    {IDC_PROGRAM_ALIAS, 60}, {IDC_PROGRAM_ICON_FILE, 260}}, "dCpai");
            Click(dialog, IDC_RECORD_COMMAND);
        }));
        const std::string c16 = Repeated(16, 'C');
        EXPECT_EQ(Rights(editor), (std::vector<std::string>{"A01+", "AB-", "B02-", c16 + "-"}));
        // Only the ID of the long record changes; every list that named it names the new one, in place.
        Focus(programList, 2);
        EXPECT_FALSE(InRecordDialog(editor, IDC_RIGHTS_PROGRAM_CHANGE, [](HWND dialog) {
            EXPECT_EQ(Text(dialog, IDC_PROGRAM_PATH), longPath);
            SetText(dialog, IDC_PROGRAM_ID, "B03");
            Click(dialog, IDC_RECORD_COMMAND);
        }));
        EXPECT_EQ(ListText(userList, 2, 3), "B03;AB;ZZ;");
        Focus(programList, 1);
        EXPECT_FALSE(InRecordDialog(editor, IDC_RIGHTS_PROGRAM_DELETE, [](HWND dialog) {
            EXPECT_EQ(Text(dialog, IDC_RECORD_COMMAND), "&Töröl");
            EXPECT_EQ(Text(dialog, IDC_PROGRAM_ID), "AB");
            EXPECT_FALSE(IsEnabledControl(dialog, IDC_PROGRAM_ID));
            EXPECT_FALSE(IsEnabledControl(dialog, IDC_PROGRAM_CHOOSE_ICON));
            Click(dialog, IDC_RECORD_COMMAND);
        }));
        EXPECT_EQ(Rights(editor), (std::vector<std::string>{"A01+", "B03-", c16 + "-"}));
        // A new program under the deleted ID is granted to nobody.
        EXPECT_FALSE(InRecordDialog(editor, IDC_RIGHTS_PROGRAM_ADD, [](HWND dialog) {
            SetText(dialog, IDC_PROGRAM_ID, "AB");
            Click(dialog, IDC_RECORD_COMMAND);
        }));

        // Users: a rename through "=", a rename onto that new ID refused (the dialog stays), a change
        // that keeps the ID, a delete.
        Focus(userList, 0);
        EXPECT_FALSE(InRecordDialog(editor, IDC_RIGHTS_USER_CHANGE, [](HWND dialog) {
            SetText(dialog, IDC_USER_ID, "KISSA");
            Click(dialog, IDC_RECORD_COMMAND);
        }));
        EXPECT_EQ(Rights(editor), (std::vector<std::string>{"A01+", "B03+", c16 + "-", "AB-"}));
        Focus(userList, 1);
        EXPECT_TRUE(InRecordDialog(editor, IDC_RIGHTS_USER_CHANGE, [](HWND dialog) {
            SetText(dialog, IDC_USER_ID, "KISSA");
            SetText(dialog, IDC_USER_NAME, "Betolakodó");
            SetText(dialog, IDC_USER_PASSWORD, "X");
            Click(dialog, IDC_RECORD_COMMAND);
        }));
        EXPECT_EQ(ListRows(userList, 5)[1], (std::vector<std::string>{"Nagy Béla", "NAGY", "PWN", "A01;", "Nem"}));
        Focus(userList, 2);
        EXPECT_FALSE(InRecordDialog(editor, IDC_RIGHTS_USER_CHANGE, [](HWND dialog) {
            CheckDlgButton(dialog, IDC_USER_ADMIN, BST_CHECKED);
            Click(dialog, IDC_RECORD_COMMAND);
        }));
        Focus(userList, 1);
        EXPECT_FALSE(InRecordDialog(editor, IDC_RIGHTS_USER_DELETE, [](HWND dialog) {
            EXPECT_FALSE(IsEnabledControl(dialog, IDC_USER_NAME));
            Click(dialog, IDC_RECORD_COMMAND);
        }));
        EXPECT_EQ(ListCount(userList), 3);

        SetText(editor, IDC_RIGHTS_MSSQL_USER, "<sa>");
        Click(editor, IDC_RIGHTS_SAVE);  // refused: the editor stays
        SetText(editor, IDC_RIGHTS_MYSQL_DSN, "");
        SetText(editor, IDC_RIGHTS_HEADER, "");
        TypePastLimits(editor, {{IDC_RIGHTS_MYSQL_DSN, 100}, {IDC_RIGHTS_HEADER, 1024}}, "Dh");
        SetText(editor, IDC_RIGHTS_MSSQL_USER, "sa2");
        Click(editor, IDC_RIGHTS_SAVE);
    });
    EXPECT_EQ(result, 0);
    std::vector<std::string> texts;
    for (const CapturedMessageBox& box : boxes.Boxes()) texts.push_back(box.caption + ": " + box.text);
    const std::string tags = "Hibaüzenet: A < és > jel nem szerepelhet az adatokban.";
    const std::string badId = "Hibaüzenet: A program azonosítója nem lehet üres, és nem tartalmazhat pontosvesszőt (;).";
    EXPECT_EQ(texts, (std::vector<std::string>{tags, badId, badId, "Hibaüzenet: Már létező felhasználó", tags}));

    const std::string longDataSource = Repeated(100, 'D');
    const std::string expected = Document(
        Repeated(1024, 'h'),
        ProgramLine("A01", "Könyvelés", "C:\\a.exe", "AL1", "a.ico") + ProgramLine("B03", longDescription, longPath, longAlias, longIcon) +
            ProgramLine(Repeated(16, 'C'), Repeated(120, 'd'), Repeated(260, 'p'), Repeated(60, 'a'), Repeated(260, 'i')) +
            ProgramLine("AB", "", "", "", ""),
        UserLine("Kiss Anna", "KISSA", "PWK", "YES", "A01;B03;") + UserLine(longName, "TOTH", "PWT4567890123456", "YES", "B03;ZZ;") +
            UserLine(Repeated(100, 'n'), "UUUUUUUU", "TTTTTTTT", "YES", ""),
        DataSourceFields("MYSQL", longDataSource, "root", "mypwd"), DataSourceFields("MSSQL", "msdsn", "sa2", "mspwd"));
    EXPECT_EQ(OnDisk(), expected);
    ASSERT_NE(documentText, nullptr);
    EXPECT_EQ(std::string(documentText), expected);
    // The credentials reach the running session at once; nothing else does.
    EXPECT_EQ(std::string(session.mysqlDataSource), longDataSource);
    EXPECT_EQ(std::string(session.sqlServerUser), "sa2");
    EXPECT_EQ(std::string(session.header), "");
}

TEST_F(UserRightsEditorTest, TheCloseBoxDiscardsEveryChangeAndALockedFileKeepsTheOldDocument)
{
    RunEditor([&](HWND editor) {
        Focus(List(editor, IDC_RIGHTS_USERS), 2);
        Tick(List(editor, IDC_RIGHTS_USER_PROGRAMS), 0, true);
        InRecordDialog(editor, IDC_RIGHTS_USER_ADD, [](HWND dialog) {
            SetText(dialog, IDC_USER_ID, "UJ");
            Click(dialog, IDC_RECORD_COMMAND);
        });
        SetText(editor, IDC_RIGHTS_HEADER, "Más");
        SendMessageA(editor, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(OnDisk(), original);
    EXPECT_EQ(std::string(documentText), original);

    // Reopened, the editor shows the old state; a save over a file another program holds locked fails visibly.
    HANDLE lock = CreateFileA(IniPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    MessageBoxCapture boxes;
    INT_PTR result = RunEditor([&](HWND editor) {
        EXPECT_EQ(ListCount(List(editor, IDC_RIGHTS_USERS)), 3);
        EXPECT_EQ(ListText(List(editor, IDC_RIGHTS_USERS), 2, 3), "B02;AB;ZZ;");
        SetText(editor, IDC_RIGHTS_HEADER, "Új fejléc");
        Click(editor, IDC_RIGHTS_SAVE);
    });
    CloseHandle(lock);
    EXPECT_EQ(result, 0);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "A 'Marvitelkon.ini' mentése sikertelen.");
    EXPECT_EQ(boxes.Boxes()[0].caption, "Hibaüzenet");
    EXPECT_EQ(OnDisk(), original);
}

TEST_F(UserRightsEditorTest, FullTablesAndListsTooLongForTheLoginAreRefused)
{
    // 100 programs, all but one with 16-character IDs; the first user may start the first 60 (1020
    // characters), and the 61st program's ID would make the list 1025 characters long.
    std::string manyPrograms, manyUsers, firstSixty;
    std::vector<std::string> ids;
    for (int i = 0; i < 100; i++) {
        char id[17];
        wsprintfA(id, i == 60 ? "X%03d" : "PROGRAM%09d", i);
        ids.push_back(id);
        manyPrograms += ProgramLine(id, "Program " + std::to_string(i));
        if (i < 60) firstSixty += ids.back() + ";";
    }
    for (int i = 0; i < 100; i++) manyUsers += UserLine("U", "U" + std::to_string(i), "P", "NO", i == 0 ? firstSixty : "");
    const std::string full = Document("Fej", manyPrograms, manyUsers);
    Install(full);

    MessageBoxCapture boxes;
    RunEditor([&](HWND editor) {
        HWND rights = List(editor, IDC_RIGHTS_USER_PROGRAMS);
        NotifyList(List(editor, IDC_RIGHTS_USERS), NM_CLICK, 0);
        Focus(List(editor, IDC_RIGHTS_USERS), 0);
        ASSERT_EQ(ListCount(rights), 100);
        EXPECT_TRUE(ListChecked(rights, 59));
        Tick(rights, 60, true);  // 1025 characters: refused, the box goes back
        EXPECT_FALSE(ListChecked(rights, 60));
        EXPECT_EQ(ListText(List(editor, IDC_RIGHTS_USERS), 0, 3), firstSixty);
        Tick(rights, 0, false);
        Tick(rights, 60, true);  // 1008: allowed
        EXPECT_EQ(ListText(List(editor, IDC_RIGHTS_USERS), 0, 3), firstSixty.substr(17) + ids[60] + ";");

        EXPECT_TRUE(InRecordDialog(editor, IDC_RIGHTS_USER_ADD, [](HWND dialog) {
            SetText(dialog, IDC_USER_ID, "U100");
            Click(dialog, IDC_RECORD_COMMAND);
        }));
        EXPECT_TRUE(InRecordDialog(editor, IDC_RIGHTS_PROGRAM_ADD, [](HWND dialog) {
            SetText(dialog, IDC_PROGRAM_ID, "UJ");
            Click(dialog, IDC_RECORD_COMMAND);
        }));
        Click(editor, IDC_RIGHTS_SAVE);
    });
    ASSERT_EQ(boxes.Count(), 3u);
    EXPECT_EQ(boxes.Boxes()[0].caption, "Hibaüzenet");
    EXPECT_EQ(boxes.Boxes()[1].text, "Legfeljebb 100 felhasználó tárolható.");
    EXPECT_EQ(boxes.Boxes()[2].text, "Legfeljebb 100 program tárolható.");
    std::string expectedUsers = UserLine("U", "U0", "P", "NO", firstSixty.substr(17) + ids[60] + ";");
    for (int i = 1; i < 100; i++) expectedUsers += UserLine("U", "U" + std::to_string(i), "P", "NO", "");
    EXPECT_EQ(OnDisk(), Document("Fej", manyPrograms, expectedUsers));
}

}  // namespace
