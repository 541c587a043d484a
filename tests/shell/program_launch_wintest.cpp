// LaunchFocusedProgram inside the test process, from the real main window: which item it takes, the
// folder it makes current, the WinExec failure message and the silent ShellExecuteA branch. Only
// missing programs and documents are "started" here, so nothing really runs; what the started program
// receives is checked end to end (tests/e2e).
#include "shell/main_dialog.h"
#include "shell/program_launch.h"
#include "shell/shell_ids.h"
#include "tests/harness/dialog_test.h"
#include "tests/harness/message_box_capture.h"
#include "tests/harness/test_files.h"
#include "tests/shell/main_window_support.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char* const LaunchFailure = "A program nem indítható!\r\nKérem vegye fel a kapcsolatot a program szerzőivel.";

std::string CurrentDirectory()
{
    char buffer[MAX_PATH * 2] = "";
    GetCurrentDirectoryA(sizeof buffer, buffer);
    return buffer;
}

void Focus(HWND list, int item)
{
    LVITEMA state = {};
    state.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
    state.state = LVIS_FOCUSED | LVIS_SELECTED;
    SendMessageA(list, LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&state));
}

class ProgramLaunch : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetMainWindowState();
        ClearSession();
        scratch.Enter();
        ASSERT_TRUE(MakeDirectory(scratch.PathOf("egy")));
        ASSERT_TRUE(MakeDirectory(scratch.PathOf("ketto")));
        ASSERT_TRUE(MakeDirectory(scratch.PathOf("mappa.exe")));
    }
    void TearDown() override { ClearSession(); }

    // The folder that starts out current, so that a change shows.
    std::string Home() const { return scratch.path; }

    ScratchDirectory scratch;
};

}  // namespace

TEST_F(ProgramLaunch, WithoutAFocusedItemNothingHappens)
{
    struct Case {
        const char* name;
        std::string permitted;
        bool clearFocus;
    } cases[] = {{"empty list", "", false}, {"items but none focused", "A;", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUpSession({{"A", "Hiányzó", scratch.PathOf("egy\\nincs.exe"), "DB", ""}}, c.permitted);
        MessageBoxCapture boxes;
        RunMainWindow([&](HWND dialog) {
            HWND list = MainList(dialog);
            if (c.clearFocus) {
                LVITEMA state = {};
                state.stateMask = LVIS_FOCUSED;
                SendMessageA(list, LVM_SETITEMSTATE, (WPARAM)-1, reinterpret_cast<LPARAM>(&state));
                ASSERT_EQ(ListFocused(list), -1);
            }
            LaunchFocusedProgram(dialog);
            Click(dialog, IDC_MAIN_START);
            SendCommand(dialog, IDC_MAIN_START);
            NotifyList(list, NM_DBLCLK, 0);
            PressKey(dialog, VK_RETURN);
            EXPECT_TRUE(IsWindowVisible(dialog));
        });
        EXPECT_EQ(boxes.Count(), 0u);
        EXPECT_EQ(CurrentDirectory(), Home());
    }
}

TEST_F(ProgramLaunch, AProgramThatCannotStartGivesOneMessageOwnedByTheMainWindow)
{
    // Every trigger: the button, the menu item, a double-click on the list, Enter in the list, the
    // operation itself.
    struct Trigger {
        const char* name;
        void (*run)(HWND dialog);
    } triggers[] = {
        {"button", [](HWND dialog) { SendDlgItemMessageA(dialog, IDC_MAIN_START, BM_CLICK, 0, 0); }},
        {"menu item", [](HWND dialog) { SendCommand(dialog, IDC_MAIN_START); }},
        {"double-click", [](HWND dialog) { NotifyList(MainList(dialog), NM_DBLCLK, 0); }},
        {"Enter", [](HWND dialog) { PressKey(dialog, VK_RETURN); }},
        {"LaunchFocusedProgram", [](HWND dialog) { LaunchFocusedProgram(dialog); }},
    };
    for (const char* alias : {"", "KONYV"}) {
        for (const Trigger& t : triggers) {
            SCOPED_TRACE(std::string(t.name) + " alias '" + alias + "'");
            SetCurrentDirectoryA(Home().c_str());
            SetUpSession({{"A", "Hiányzó", scratch.PathOf("egy\\nincs.exe"), alias, ""}}, "A;");
            MessageBoxCapture boxes;
            HWND window = nullptr;
            RunMainWindow([&](HWND dialog) {
                window = dialog;
                t.run(dialog);
                // The launcher stays as it was.
                EXPECT_TRUE(IsWindowVisible(dialog));
                EXPECT_EQ(ListCount(MainList(dialog)), 1);
            });
            ASSERT_EQ(boxes.Count(), 1u);
            const CapturedMessageBox& box = boxes.Boxes()[0];
            EXPECT_EQ(box.text, LaunchFailure);
            EXPECT_EQ(box.caption, "Hibaüzenet");
            EXPECT_EQ(box.style, (UINT)MB_TASKMODAL);
            EXPECT_EQ(box.owner, window);
            // The program's folder became current and stays so.
            EXPECT_EQ(CurrentDirectory(), scratch.PathOf("egy"));
        }
    }
}

TEST_F(ProgramLaunch, TheFocusedItemIsStartedNotTheOneClicked)
{
    SetUpSession(
        {
            {"A", "Első", scratch.PathOf("egy\\elso.exe"), "", ""},
            {"B", "Második", scratch.PathOf("ketto\\masodik.exe"), "", ""},
        },
        "A;B;");
    MessageBoxCapture boxes;
    RunMainWindow([&](HWND dialog) {
        HWND list = MainList(dialog);
        ASSERT_EQ(ListText(list, 1, 0), "Második");
        Focus(list, 1);
        // The notification names item 0; the focused item 1 is the one started.
        NotifyList(list, NM_DBLCLK, 0);
        EXPECT_EQ(CurrentDirectory(), scratch.PathOf("ketto"));
        Focus(list, 0);
        Click(dialog, IDC_MAIN_START);
        EXPECT_EQ(CurrentDirectory(), scratch.PathOf("egy"));
    });
    EXPECT_EQ(boxes.Count(), 2u);
}

TEST_F(ProgramLaunch, WinExecOnlyForAPathWhoseOwnExtensionIsExeInAnyCase)
{
    struct Case {
        const char* name;
        std::string path;
        std::string alias;
        int messages;        // 1: the WinExec branch failed; 0: ShellExecuteA, silent
        std::string folder;  // current afterwards
    } cases[] = {
        {"lower-case .exe", scratch.PathOf("egy\\nincs.exe"), "", 1, scratch.PathOf("egy")},
        {"capital .EXE", scratch.PathOf("egy\\NINCS.EXE"), "", 1, scratch.PathOf("egy")},
        {"capital .EXE with alias", scratch.PathOf("egy\\RECORDER.EXE"), "DB", 1, scratch.PathOf("egy")},
        {"mixed .Exe", scratch.PathOf("egy\\nincs.Exe"), "", 1, scratch.PathOf("egy")},
        {"blank in the path", scratch.PathOf("egy\\nincs program.exe"), "DB", 1, scratch.PathOf("egy")},
        {"document", scratch.PathOf("ketto\\nincs.txt"), "", 0, scratch.PathOf("ketto")},
        // A folder named .exe does not make a document a program.
        {"document in a folder named .exe", scratch.PathOf("mappa.exe\\nincs.pdf"), "", 0, scratch.PathOf("mappa.exe")},
        // Nor does an alias holding it.
        {"alias holding .exe", scratch.PathOf("ketto\\nincs.pdf"), "x.exe", 0, scratch.PathOf("ketto")},
        {"document named like a program", scratch.PathOf("ketto\\nincs.exe.txt"), "DB", 0, scratch.PathOf("ketto")},
        // No folder at all: the current directory stays.
        {"bare name", "nincs.exe", "", 1, scratch.path},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetCurrentDirectoryA(Home().c_str());
        SetUpSession({{"A", "Program", c.path, c.alias, ""}}, "A;");
        MessageBoxCapture boxes;
        RunMainWindow([&](HWND dialog) { LaunchFocusedProgram(dialog); });
        ASSERT_EQ(boxes.Count(), (size_t)c.messages);
        if (c.messages) {
            EXPECT_EQ(boxes.Boxes()[0].text, LaunchFailure);
        }
        EXPECT_EQ(CurrentDirectory(), c.folder);
    }
}

TEST_F(ProgramLaunch, APathLongerThanTheListShowsIsUsedWhole)
{
    // The first 127 characters end in "elso.exe", a folder here; the whole path names a program in
    // a folder below it, which becomes current.
    std::string cut = scratch.PathOf("egy\\");
    cut += std::string(127 - cut.size() - 8, 'x') + "elso.exe";
    ASSERT_EQ(cut.size(), 127u);
    ASSERT_TRUE(MakeDirectory(cut));
    ASSERT_TRUE(MakeDirectory(cut + "\\alatta"));
    std::string path = cut + "\\alatta\\program.exe";
    SetUpSession({{"A", "Hosszú", path, "", ""}}, "A;");
    MessageBoxCapture boxes;
    RunMainWindow([&](HWND dialog) {
        EXPECT_EQ(ListText(MainList(dialog), 0, 2), path);
        LaunchFocusedProgram(dialog);
    });
    EXPECT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(CurrentDirectory(), cut + "\\alatta");
}
