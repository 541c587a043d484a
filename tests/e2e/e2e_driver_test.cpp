// The driver's own tests, against e2e_target.exe and recorder.exe: what the end-to-end tests read
// from another process must be what that process shows.
#include "tests/e2e/e2e_driver.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <stdio.h>

namespace {

std::string TargetPath()
{
    return e2e::WindowsPath(MV_E2E_TARGET);
}

std::string Hex(UINT value)
{
    char text[16];
    snprintf(text, sizeof text, "%x", value);
    return text;
}

const char* const TargetCaption = "E2E célablak";

}  // namespace

TEST(E2ePaths, UnixPathsBecomeDriveZ)
{
    EXPECT_EQ(e2e::WindowsPath("/work/build/shell/Marvitelkon.exe"), "Z:\\work\\build\\shell\\Marvitelkon.exe");
    EXPECT_EQ(e2e::WindowsPath("C:\\users\\x"), "C:\\users\\x");
    EXPECT_EQ(e2e::DirectoryOf("Z:\\a\\b.exe"), "Z:\\a");
    EXPECT_EQ(e2e::DirectoryOf("b.exe"), "");
    EXPECT_EQ(e2e::ProgramPath().substr(0, 3), "Z:\\");
    EXPECT_TRUE(PathExists(e2e::ProgramPath()));
    EXPECT_TRUE(PathExists(e2e::RecorderPath()));
}

TEST(E2eWait, PollsUntilTheConditionHoldsOrTheTimeOut)
{
    int calls = 0;
    EXPECT_TRUE(e2e::WaitUntil([&] { return ++calls == 3; }, 5000));
    EXPECT_EQ(calls, 3);
    DWORD start = GetTickCount();
    EXPECT_FALSE(e2e::WaitUntil([] { return false; }, 200));
    EXPECT_GE(GetTickCount() - start, 200u);
}

struct MessageBoxCase {
    UINT style;
    std::vector<int> buttons;
    bool icon;
};

TEST(E2eMessageBox, ReadsCaptionTextButtonsAndIconOfAnotherProcess)
{
    const MessageBoxCase cases[] = {
        {MB_TASKMODAL, {IDOK}, false},
        {MB_TASKMODAL | MB_ICONERROR, {IDOK}, true},
        {MB_OKCANCEL | MB_ICONINFORMATION, {IDOK, IDCANCEL}, true},
        {MB_YESNO, {IDYES, IDNO}, false},
    };
    for (const MessageBoxCase& c : cases) {
        SCOPED_TRACE("style " + Hex(c.style));
        e2e::StartDirectory start;
        e2e::Program target;
        ASSERT_TRUE(target.Start(TargetPath(), start.Path(), "msgbox " + Hex(c.style) + " Hibaüzenet \"Hiányzó őű\""));
        HWND box = target.WaitForMessageBox("Hibaüzenet");
        ASSERT_TRUE(box) << e2e::DescribeWindows(target);
        e2e::MessageBoxView view;
        ASSERT_TRUE(e2e::ReadMessageBox(box, &view));
        EXPECT_EQ(view.caption, "Hibaüzenet");
        EXPECT_EQ(view.text, "Hiányzó őű");
        EXPECT_EQ(view.buttons, c.buttons);
        EXPECT_EQ(view.hasIcon, c.icon);
        EXPECT_EQ(view.owner, nullptr);
        // The last button answers the box; the target ends with its identifier.
        ASSERT_TRUE(e2e::Click(box, c.buttons.back()));
        ASSERT_TRUE(target.ExpectExit());
        EXPECT_EQ(target.ExitCode(), static_cast<DWORD>(c.buttons.back()));
    }
}

TEST(E2eMessageBox, OtherWindowsAreNotMessageBoxes)
{
    e2e::StartDirectory start;
    e2e::Program target;
    ASSERT_TRUE(target.Start(TargetPath(), start.Path(), "dialog"));
    HWND dialog = target.WaitForDialog(TargetCaption);
    ASSERT_TRUE(dialog);
    e2e::MessageBoxView view;
    EXPECT_FALSE(e2e::ReadMessageBox(dialog, &view));
    EXPECT_EQ(target.FindTopWindow(e2e::IsMessageBox()), nullptr);
}

class E2eDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(target.Start(TargetPath(), start.Path(), "dialog"));
        dialog = target.WaitForDialog(TargetCaption);
        ASSERT_TRUE(dialog) << e2e::DescribeWindows(target);
        list = e2e::Control(dialog, 106);
        ASSERT_TRUE(list);
    }

    e2e::StartDirectory start;
    e2e::Program target;
    HWND dialog = nullptr;
    HWND list = nullptr;
};

TEST_F(E2eDialog, FindsWindowsByProcessClassCaptionAndControl)
{
    EXPECT_EQ(target.FindTopWindow(e2e::HasControl(106, "syslistview32")), dialog);
    EXPECT_EQ(target.FindTopWindow(e2e::HasControl(106, "Button")), nullptr);
    EXPECT_EQ(target.FindTopWindow(e2e::IsDialogWithCaption("E2E")), nullptr);
    EXPECT_EQ(target.VisibleWindows(), std::vector<HWND>{dialog});
    EXPECT_EQ(e2e::ControlText(dialog, 104), "&Program indítás");
    EXPECT_EQ(e2e::ClassName(e2e::Control(dialog, 201)), "Edit");
    EXPECT_TRUE(e2e::IsShown(e2e::Control(dialog, 105)));
    EXPECT_EQ(e2e::Control(dialog, 999), nullptr);
    // Windows of other processes are not the target's.
    e2e::Program other;
    ASSERT_TRUE(other.Start(TargetPath(), start.Path(), "dialog"));
    HWND otherDialog = other.WaitForDialog(TargetCaption);
    ASSERT_TRUE(otherDialog);
    EXPECT_NE(otherDialog, dialog);
    EXPECT_EQ(target.VisibleWindows(), std::vector<HWND>{dialog});
}

TEST_F(E2eDialog, TypingKeepsTheLengthLimitAndSettingTextDoesNot)
{
    ASSERT_TRUE(e2e::TypeText(dialog, 201, "abcdefghij"));
    EXPECT_EQ(e2e::ControlText(dialog, 201), "ABCDEFGH");
    // The field turns letters into capitals either way; accented ones too, in code page 1250.
    ASSERT_TRUE(e2e::SetControlText(dialog, 201, "Árvíztűrő tükörfúrógép"));
    EXPECT_EQ(e2e::ControlText(dialog, 201), "ÁRVÍZTŰRŐ TÜKÖRFÚRÓGÉP");
}

TEST_F(E2eDialog, ReadsListRowsStatesImagesAndColumns)
{
    e2e::RemoteList remote(list);
    ASSERT_TRUE(remote.Ready());
    EXPECT_EQ(remote.Count(), 3);
    using Rows = std::vector<std::vector<std::string>>;
    EXPECT_EQ(remote.Rows(2), (Rows{{"Első", "a"}, {"Második", "b"}, {"Harmadik", "c"}}));
    EXPECT_EQ(remote.ItemText(7, 0), "");
    EXPECT_EQ(remote.Image(0), 5);
    EXPECT_EQ(remote.Image(2), 7);
    EXPECT_NE(remote.Param(0), -1);
    EXPECT_TRUE(remote.Checked(0));
    EXPECT_FALSE(remote.Checked(1));
    EXPECT_EQ(remote.Focused(), 1);
    EXPECT_EQ(remote.FirstSelected(), 1);
    EXPECT_TRUE(remote.Selected(1));
    EXPECT_FALSE(remote.Selected(0));
    EXPECT_EQ(remote.View(), static_cast<DWORD>(LV_VIEW_DETAILS));
    EXPECT_EQ(remote.ColumnHeaders(), (std::vector<std::string>{"Név", "Betű"}));
    EXPECT_EQ(remote.ColumnWidths(), (std::vector<int>{150, 60}));
}

TEST_F(E2eDialog, SelectingAnItemAndPressingTheButtonActsOnIt)
{
    e2e::RemoteList remote(list);
    ASSERT_TRUE(remote.Select(2));
    EXPECT_EQ(remote.Focused(), 2);
    EXPECT_TRUE(remote.Selected(2));
    EXPECT_FALSE(remote.Selected(1));
    ASSERT_TRUE(e2e::Click(dialog, 104));
    EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::Text(dialog) == "104:2"; })) << e2e::Text(dialog);
    // BM_CLICK on the button itself gives the same command.
    ASSERT_TRUE(remote.Select(0));
    ASSERT_TRUE(e2e::PressButton(dialog, 104));
    EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::Text(dialog) == "104:0"; })) << e2e::Text(dialog);
}

TEST_F(E2eDialog, ButtonAndCloseBoxEndTheDialog)
{
    ASSERT_TRUE(e2e::Click(dialog, 105));
    ASSERT_TRUE(target.ExpectExit());
    EXPECT_EQ(target.ExitCode(), 105u);

    e2e::Program second;
    ASSERT_TRUE(second.Start(TargetPath(), start.Path(), "dialog"));
    HWND secondDialog = second.WaitForDialog(TargetCaption);
    ASSERT_TRUE(secondDialog);
    ASSERT_TRUE(e2e::PressCloseBox(secondDialog));
    EXPECT_TRUE(e2e::WaitForGone(secondDialog));
    ASSERT_TRUE(second.ExpectExit());
    EXPECT_EQ(second.ExitCode(), 0u);
}

// ExpectExit's failure must not depend on a local: gtest-spi runs the statement out of scope.
static e2e::Program* stuckProgram = nullptr;

TEST_F(E2eDialog, AProgramThatDoesNotEndIsAFailureAndIsKilled)
{
    stuckProgram = &target;
    EXPECT_NONFATAL_FAILURE(stuckProgram->ExpectExit(300, "the stuck target"), "the stuck target");
    stuckProgram = nullptr;
    EXPECT_FALSE(target.Running());
    EXPECT_TRUE(e2e::WaitForGone(dialog, 5000));
}

TEST(E2eProgram, LeftoversAreKilledWhenTheProgramObjectGoes)
{
    e2e::StartDirectory start;
    HANDLE watch = nullptr;
    {
        e2e::Program target;
        ASSERT_TRUE(target.Start(TargetPath(), start.Path(), "dialog"));
        ASSERT_TRUE(target.WaitForDialog(TargetCaption));
        watch = OpenProcess(SYNCHRONIZE, FALSE, target.Id());
        ASSERT_TRUE(watch);
    }
    EXPECT_EQ(WaitForSingleObject(watch, 10000), WAIT_OBJECT_0);
    CloseHandle(watch);
}

TEST(E2eProgram, ACrashEndsTheProgramWithoutADialog)
{
    ASSERT_TRUE(e2e::CrashDialogDisabled());
    e2e::StartDirectory start;
    e2e::Program target;
    ASSERT_TRUE(target.Start(TargetPath(), start.Path(), "dialog"));
    ASSERT_TRUE(target.WaitForDialog(TargetCaption));
    ASSERT_TRUE(target.Crash());
    ASSERT_TRUE(target.ExpectExit(e2e::DefaultTimeout, "the crashed target to end"));
    EXPECT_NE(target.ExitCode(), 0u);
}

TEST(E2eProgram, AProgramThatCannotStartIsAFailure)
{
    e2e::StartDirectory start;
    static e2e::Program* missing;
    e2e::Program program;
    missing = &program;
    EXPECT_NONFATAL_FAILURE(missing->Start("Z:\\nonexistent\\nothing.exe", "C:\\"), "cannot start");
    EXPECT_FALSE(program.Started());
}

TEST(E2eRegistry, RememberedLoginRoundTripsAndIsRestored)
{
    std::string before;
    bool existed = e2e::ReadRememberedLogin(&before);
    {
        e2e::SavedLogin saved;
        e2e::DeleteRememberedLoginKey();
        std::string value;
        EXPECT_FALSE(e2e::ReadRememberedLogin(&value));
        ASSERT_TRUE(e2e::WriteRememberedLogin("KÁLMÁN"));
        ASSERT_TRUE(e2e::ReadRememberedLogin(&value));
        EXPECT_EQ(value, "KÁLMÁN");
        e2e::DeleteRememberedLogin();
        EXPECT_FALSE(e2e::ReadRememberedLogin(&value));
        ASSERT_TRUE(e2e::WriteRememberedLogin("ZODA"));
    }
    std::string after;
    EXPECT_EQ(e2e::ReadRememberedLogin(&after), existed);
    EXPECT_EQ(after, before);
}

TEST(E2eRecorder, RecordsItsCommandLineAndCurrentDirectory)
{
    e2e::StartDirectory programs, work;
    ASSERT_TRUE(e2e::InstallRecorder(programs.Path(), "könyvelő.exe"));
    ASSERT_TRUE(work.MakeDirectory("munka mappa"));
    const std::string directory = work.PathOf("munka mappa");

    e2e::Program recorder;
    ASSERT_TRUE(recorder.Start(programs.PathOf("könyvelő.exe"), directory, "ALIAS;ŐRZŐ;JELSZÓ"));
    e2e::Recording recording;
    ASSERT_TRUE(e2e::WaitForRecording(programs.PathOf(e2e::RecorderOutputName), &recording));
    EXPECT_EQ(recording.commandLine, "\"" + programs.PathOf("könyvelő.exe") + "\" ALIAS;ŐRZŐ;JELSZÓ");
    EXPECT_EQ(recording.currentDirectory, directory);
    ASSERT_TRUE(recorder.ExpectExit());
    EXPECT_EQ(recorder.ExitCode(), 0u);
    EXPECT_FALSE(programs.Exists(std::string(e2e::RecorderOutputName) + ".part"));
}

TEST(E2eRecorder, WritesWhereTheEnvironmentSays)
{
    e2e::StartDirectory work;
    const std::string output = work.PathOf("kimenet.txt");
    SetEnvironmentVariableA(e2e::RecorderOutputVariable, output.c_str());
    e2e::Program recorder;
    bool started = recorder.Start(e2e::RecorderPath(), work.Path());
    SetEnvironmentVariableA(e2e::RecorderOutputVariable, nullptr);
    ASSERT_TRUE(started);
    e2e::Recording recording;
    ASSERT_TRUE(e2e::WaitForRecording(output, &recording));
    EXPECT_EQ(recording.commandLine, "\"" + e2e::RecorderPath() + "\"");
    EXPECT_EQ(recording.currentDirectory, work.Path());
    EXPECT_TRUE(recorder.ExpectExit());
}
