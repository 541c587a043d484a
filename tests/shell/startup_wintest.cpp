// Start-up and exit steps in this process: the configuration check and its message, the Windows
// attributes that FileExists passes over, and what the exit steps leave behind.
#include "shell/startup.h"

#include "db/odbc_api.h"
#include "support/process_state.h"
#include "shell/shell_ids.h"
#include "tests/harness/dialog_test.h"
#include "tests/harness/message_box_capture.h"
#include "tests/harness/test_files.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

namespace {

const char* const MissingConfigText = "Hiányzó 'Marvitelkon.ini', a program nem indítható";

std::string CurrentDirectory()
{
    char buffer[MAX_PATH];
    DWORD n = GetCurrentDirectoryA(sizeof buffer, buffer);
    return std::string(buffer, n < sizeof buffer ? n : 0);
}

bool WriteWithAttributes(const std::string& path, DWORD attributes)
{
    // Wine keeps these attributes in an extended attribute of the Unix file: check that they stuck.
    DWORD wanted = attributes & ~FILE_ATTRIBUTE_NORMAL;
    return WriteBytes(path, "x") && SetFileAttributesA(path.c_str(), attributes) &&
           (GetFileAttributesA(path.c_str()) & wanted) == wanted;
}

INT_PTR CALLBACK PlainProc(HWND dialog, UINT message, WPARAM, LPARAM)
{
    if (message == WM_CLOSE) EndDialog(dialog, 0);
    return 0;
}

// Keeps the process-wide values and the current directory of the test program as they were.
class ProcessStateGuard : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedDirectory = CurrentDirectory();
        memcpy(savedStart, startDirectory, sizeof savedStart);
        savedInstance = appInstance;
    }
    void TearDown() override
    {
        SetCurrentDirectoryA(savedDirectory.c_str());
        memcpy(startDirectory, savedStart, sizeof savedStart);
        appInstance = savedInstance;
        ReplaceDocumentText(nullptr);
        UnloadOdbcApi();
    }

    std::string savedDirectory;
    char savedStart[MAX_PATH];
    HINSTANCE savedInstance;
};

}  // namespace

struct ConfigCase {
    const char* name;
    DWORD attributes;  // 0: no file; FILE_ATTRIBUTE_DIRECTORY: a directory of that name
    bool present;
};

class CheckConfig : public ProcessStateGuard {};

TEST_F(CheckConfig, OnlyAnOrdinaryFileCountsAndOtherwiseTheMessageIsShown)
{
    const ConfigCase cases[] = {
        {"ordinary file", FILE_ATTRIBUTE_NORMAL, true},
        {"read-only file", FILE_ATTRIBUTE_READONLY, true},
        {"archive file", FILE_ATTRIBUTE_ARCHIVE, true},
        {"no file", 0, false},
        {"hidden file", FILE_ATTRIBUTE_HIDDEN, false},
        {"system file", FILE_ATTRIBUTE_SYSTEM, false},
        {"directory", FILE_ATTRIBUTE_DIRECTORY, false},
    };
    for (const ConfigCase& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDirectory scratch;
        if (c.attributes == FILE_ATTRIBUTE_DIRECTORY) {
            ASSERT_TRUE(MakeDirectory(scratch.PathOf("Marvitelkon.ini")));
        } else if (c.attributes) {
            ASSERT_TRUE(WriteWithAttributes(scratch.PathOf("Marvitelkon.ini"), c.attributes));
        }
        scratch.Enter();
        MessageBoxCapture capture;
        EXPECT_EQ(CheckConfigPresent(), c.present);
        if (c.present) {
            EXPECT_EQ(capture.Count(), 0u);
            continue;
        }
        ASSERT_EQ(capture.Count(), 1u);
        EXPECT_EQ(capture.Boxes()[0].text, MissingConfigText);
        EXPECT_EQ(capture.Boxes()[0].caption, "Hibaüzenet");
        EXPECT_EQ(capture.Boxes()[0].style, static_cast<UINT>(MB_TASKMODAL));
        EXPECT_EQ(capture.Boxes()[0].owner, nullptr);  // no window is active at start-up
    }
}

TEST_F(CheckConfig, TheMessageBelongsToTheActiveWindow)
{
    ScratchDirectory scratch;
    scratch.Enter();
    MessageBoxCapture capture;
    HWND active = nullptr;
    RunDialog("LOGIN", PlainProc, 0, [&](HWND dialog) {
        active = GetActiveWindow();
        EXPECT_FALSE(CheckConfigPresent());
        SendMessageA(dialog, WM_CLOSE, 0, 0);
    });
    ASSERT_TRUE(active);
    ASSERT_EQ(capture.Count(), 1u);
    EXPECT_EQ(capture.Boxes()[0].owner, active);
}

class FileExistsOnWindows : public ProcessStateGuard {};

TEST_F(FileExistsOnWindows, HiddenAndSystemFilesArePassedOver)
{
    ScratchDirectory scratch;
    struct {
        const char* name;
        DWORD attributes;
        bool exists;
    } cases[] = {
        {"plain.ini", FILE_ATTRIBUTE_NORMAL, true},
        {"readonly.ini", FILE_ATTRIBUTE_READONLY, true},
        {"hidden.ini", FILE_ATTRIBUTE_HIDDEN, false},
        {"system.ini", FILE_ATTRIBUTE_SYSTEM, false},
        {"both.ini", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, false},
    };
    for (const auto& c : cases) ASSERT_TRUE(WriteWithAttributes(scratch.PathOf(c.name), c.attributes)) << c.name;
    for (const auto& c : cases) EXPECT_EQ(FileExists(scratch.PathOf(c.name).c_str()), c.exists) << c.name;
    // The name is a search pattern, and the letter case of a name does not matter.
    scratch.Enter();
    EXPECT_TRUE(FileExists("PLAIN.INI"));
    EXPECT_FALSE(FileExists("HIDDEN.ini"));
    EXPECT_TRUE(FileExists("*.ini"));
    EXPECT_TRUE(FileExists("pl?in.*"));
    EXPECT_FALSE(FileExists("h*.ini"));
    EXPECT_FALSE(FileExists("*.txt"));
}

TEST_F(FileExistsOnWindows, APatternLooksPastEveryEntryThatIsPassedOver)
{
    ScratchDirectory scratch;
    // Whatever order the search returns them in, only the last kind of entry counts.
    for (const char* name : {"a.ini", "b.ini", "c.ini", "d.ini"})
        ASSERT_TRUE(WriteWithAttributes(scratch.PathOf(name), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(WriteWithAttributes(scratch.PathOf("e.ini"), FILE_ATTRIBUTE_SYSTEM));
    ASSERT_TRUE(MakeDirectory(scratch.PathOf("f.ini")));
    EXPECT_FALSE(FileExists(scratch.PathOf("*.ini").c_str()));
    ASSERT_TRUE(WriteBytes(scratch.PathOf("m.ini"), "x"));
    EXPECT_TRUE(FileExists(scratch.PathOf("*.ini").c_str()));
}

class ExitSteps : public ProcessStateGuard {};

TEST_F(ExitSteps, RemoveTheBatchFileOfTheStartDirectoryWhereverTheCurrentOneIs)
{
    ScratchDirectory start, elsewhere;
    ASSERT_TRUE(WriteBytes(start.PathOf("backup_mysql.bat"), "mysqldump"));
    ASSERT_TRUE(WriteBytes(elsewhere.PathOf("backup_mysql.bat"), "mysqldump"));
    ASSERT_TRUE(WriteBytes(start.PathOf("Marvitelkon.ini"), "x"));
    strcpy(startDirectory, start.path.c_str());
    elsewhere.Enter();
    ASSERT_EQ(LoadOdbcApi(), 1);
    char* text = static_cast<char*>(malloc(16));
    strcpy(text, "<USER></USER>");
    ReplaceDocumentText(text);

    RunExitSteps();

    EXPECT_FALSE(PathExists(start.PathOf("backup_mysql.bat")));
    EXPECT_TRUE(PathExists(elsewhere.PathOf("backup_mysql.bat")));
    EXPECT_TRUE(PathExists(start.PathOf("Marvitelkon.ini")));
    EXPECT_EQ(CurrentDirectory(), start.path);
    EXPECT_EQ(documentText, nullptr);
    EXPECT_EQ(odbcApi.managerModule, nullptr);
    EXPECT_EQ(odbcApi.installerModule, nullptr);

    // A second run finds nothing left to do and does no harm.
    RunExitSteps();
    EXPECT_EQ(CurrentDirectory(), start.path);
}

TEST_F(ExitSteps, AfterAnEarlyStopTheCurrentDirectoryIsUsed)
{
    ScratchDirectory current;
    ASSERT_TRUE(WriteBytes(current.PathOf("backup_mysql.bat"), "mysqldump"));
    current.Enter();
    startDirectory[0] = '\0';
    RunExitSteps();  // nothing bound, no document, no start directory
    EXPECT_FALSE(PathExists(current.PathOf("backup_mysql.bat")));
    EXPECT_EQ(CurrentDirectory(), current.path);
    EXPECT_EQ(documentText, nullptr);
}

class Launcher : public ProcessStateGuard {};

TEST_F(Launcher, WithoutTheConfigurationNothingIsRecordedAndTheExitStepsRun)
{
    ScratchDirectory start;
    ASSERT_TRUE(WriteBytes(start.PathOf("backup_mysql.bat"), "mysqldump"));
    start.Enter();
    appInstance = nullptr;
    startDirectory[0] = '\0';
    MessageBoxCapture capture;

    RunLauncher(GetModuleHandleA(nullptr));

    ASSERT_EQ(capture.Count(), 1u);
    EXPECT_EQ(capture.Boxes()[0].text, MissingConfigText);
    EXPECT_EQ(appInstance, nullptr) << "the instance is recorded only after the check";
    EXPECT_STREQ(startDirectory, "") << "the start directory is recorded only after the check";
    EXPECT_FALSE(PathExists(start.PathOf("backup_mysql.bat")));
    EXPECT_EQ(odbcApi.managerModule, nullptr);
}

TEST_F(Launcher, ADialogThatCannotBeCreatedIsReported)
{
    // A module without the templates: DialogBoxParamA gives -1 at once.
    appInstance = GetModuleHandleA("kernel32.dll");
    ASSERT_TRUE(appInstance);
    EXPECT_FALSE(ShowLoginDialog());
    ShowMainDialog();  // returns at once as well
}
