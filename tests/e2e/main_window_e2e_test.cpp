// The real Marvitelkon.exe from the login to the launch: a scrambled Marvitelkon.ini in a temporary
// start directory, the main window's caption and rows, and what the started programs receive (the
// recorder writes down its command line and working directory).
#include "tests/e2e/e2e_driver.h"

#include "shell/shell_ids.h"
#include "tests/harness/test_documents.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char* const LaunchFailure = "A program nem indítható!\r\nKérem vegye fel a kapcsolatot a program szerzőivel.";

struct DocumentProgram {
    std::string id, description, fullPath, alias, icon;
};

// The document as the launcher writes it (Windows-1250: the literals of this file are compiled so).
std::string PlainDocument(const std::vector<DocumentProgram>& programs, const std::string& permitted)
{
    std::string lines;
    for (const DocumentProgram& p : programs) lines += ProgramLine(p.id, p.description, p.fullPath, p.alias, p.icon);
    return Document("E2E Kft.", lines, UserLine("Teszt Elek", "TESZT", "JELSZO", "NO", permitted),
                    DataSourceFields("MYSQL", "", "", ""), DataSourceFields("MSSQL", "", "", ""));
}

e2e::WindowMatch IsMainWindow()
{
    return e2e::HasControl(IDC_MAIN_LIST, "SysListView32");
}

// One launcher run: start directory with the document, the programs' folders and recorders.
class LaunchE2e : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(start.MakeDirectory("programs"));
        ASSERT_TRUE(start.MakeDirectory("ures"));
        ASSERT_TRUE(start.MakeDirectory("nagy"));
        ASSERT_TRUE(e2e::InstallRecorder(start.PathOf("programs")));
        ASSERT_TRUE(e2e::InstallRecorder(start.PathOf("ures")));
        ASSERT_TRUE(e2e::InstallRecorder(start.PathOf("nagy"), "RECORDER.EXE"));
        programs = {
            {"REC", "Rögzítő", start.PathOf("programs\\recorder.exe"), "KONYVELES", ""},
            {"URES", "Üres alias", start.PathOf("ures\\recorder.exe"), "   ", ""},
            {"NAGY", "Nagybetűs kiterjesztés", start.PathOf("nagy\\RECORDER.EXE"), "DB", ""},
            {"HIANY", "Hiányzó program", start.PathOf("programs\\nincs.exe"), "DB", ""},
            {"TILTOTT", "Nem engedélyezett", start.PathOf("programs\\recorder.exe"), "", ""},
        };
        ASSERT_TRUE(start.Write("Marvitelkon.ini", Scramble(PlainDocument(programs, "REC;URES;NAGY;HIANY;ISMERETLEN;"))));
    }

    // Starts the launcher, logs in and returns the main window (null on failure, with a test failure).
    HWND LogIn()
    {
        if (!launcher.Start(e2e::ProgramPath(), start.Path())) return nullptr;
        HWND login = launcher.WaitForDialog("Bejelenkezés");
        EXPECT_TRUE(login) << "no login window; windows: " << e2e::DescribeWindows(launcher);
        if (!login) return nullptr;
        EXPECT_TRUE(e2e::SetControlText(login, IDC_LOGIN_ID, "TESZT"));
        EXPECT_TRUE(e2e::TypeText(login, IDC_LOGIN_PASSWORD, "JELSZO"));
        EXPECT_TRUE(e2e::Click(login, IDC_LOGIN_OK));
        HWND main = launcher.WaitForWindow(IsMainWindow());
        EXPECT_TRUE(main) << "no main window; windows: " << e2e::DescribeWindows(launcher);
        return main;
    }

    // Focuses the item with that description and presses "Program indítás", or Enter in the list.
    void Launch(HWND main, const std::string& description, bool enter = false)
    {
        e2e::RemoteList list(e2e::Control(main, IDC_MAIN_LIST));
        ASSERT_TRUE(list.Ready());
        int item = -1;
        for (int i = 0; i < list.Count(); i++)
            if (list.ItemText(i, 0) == description) item = i;
        ASSERT_GE(item, 0) << description;
        ASSERT_TRUE(list.Select(item));
        ASSERT_EQ(list.Focused(), item);
        ASSERT_TRUE(enter ? PostMessageA(e2e::Control(main, IDC_MAIN_LIST), WM_KEYDOWN, VK_RETURN, 1)
                          : e2e::Click(main, IDC_MAIN_START));
    }

    void CloseLauncher(HWND main)
    {
        ASSERT_TRUE(e2e::PressCloseBox(main));
        EXPECT_TRUE(launcher.ExpectExit());
    }

    e2e::SavedLogin savedLogin;
    e2e::StartDirectory start;
    std::vector<DocumentProgram> programs;
    e2e::Program launcher;
};

}  // namespace

TEST_F(LaunchE2e, AfterTheLoginTheMainWindowListsThePermittedPrograms)
{
    HWND main = LogIn();
    ASSERT_TRUE(main);
    EXPECT_EQ(e2e::Text(main), "E2E Kft. - Teszt Elek");
    EXPECT_FALSE(e2e::IsShown(e2e::Control(main, IDC_MAIN_ADMIN))) << "the user is no administrator";
    e2e::RemoteList list(e2e::Control(main, IDC_MAIN_LIST));
    ASSERT_TRUE(list.Ready());
    EXPECT_EQ(list.ColumnHeaders(), (std::vector<std::string>{"Név", "Adatbázis", "Program", "Program ID"}));
    // Sorted by name; the unknown ID and the program not on the list are missing.
    const std::vector<std::vector<std::string>> rows = {
        {"Hiányzó program", "DB", programs[3].fullPath, "HIANY"},
        {"Nagybetűs kiterjesztés", "DB", programs[2].fullPath, "NAGY"},
        {"Rögzítő", "KONYVELES", programs[0].fullPath, "REC"},
        {"Üres alias", "   ", programs[1].fullPath, "URES"},
    };
    EXPECT_EQ(list.Rows(4), rows);
    EXPECT_EQ(list.Focused(), 0);
    EXPECT_EQ(list.View(), (DWORD)LV_VIEW_ICON);
    EXPECT_EQ(launcher.ProcessCount(), 1);
    CloseLauncher(main);
}

TEST_F(LaunchE2e, AProgramWithAnAliasGetsAliasUserAndPasswordAndStartsInItsFolder)
{
    HWND main = LogIn();
    ASSERT_TRUE(main);
    Launch(main, "Rögzítő");
    e2e::Recording recording;
    ASSERT_TRUE(e2e::WaitForRecording(start.PathOf("programs\\recorder-out.txt"), &recording))
        << e2e::DescribeWindows(launcher);
    // The path as WinExec hands it on, a blank, then ALIAS;USER;PASSWORD as one argument.
    EXPECT_EQ(recording.commandLine, programs[0].fullPath + " KONYVELES;TESZT;JELSZO");
    EXPECT_EQ(recording.currentDirectory, start.PathOf("programs"));
    EXPECT_EQ(launcher.ProcessCount(), 2);

    // Blank alias: the path alone, no arguments at all; again from the program's own folder. Started
    // by Enter in the list this time, which does what the button does.
    Launch(main, "Üres alias", true);
    ASSERT_TRUE(e2e::WaitForRecording(start.PathOf("ures\\recorder-out.txt"), &recording));
    EXPECT_EQ(recording.commandLine, programs[1].fullPath);
    EXPECT_EQ(recording.currentDirectory, start.PathOf("ures"));
    EXPECT_EQ(launcher.ProcessCount(), 3);

    // The launcher did not wait and stays as it was.
    EXPECT_TRUE(e2e::IsShown(main));
    EXPECT_EQ(launcher.FindTopWindow(e2e::IsMessageBox()), nullptr);
    CloseLauncher(main);
}

TEST_F(LaunchE2e, ACapitalExeIsStartedWithItsCommandLine)
{
    HWND main = LogIn();
    ASSERT_TRUE(main);
    Launch(main, "Nagybetűs kiterjesztés");
    e2e::Recording recording;
    ASSERT_TRUE(e2e::WaitForRecording(start.PathOf("nagy\\recorder-out.txt"), &recording))
        << e2e::DescribeWindows(launcher);
    EXPECT_EQ(recording.commandLine, programs[2].fullPath + " DB;TESZT;JELSZO");
    EXPECT_EQ(recording.currentDirectory, start.PathOf("nagy"));
    EXPECT_EQ(launcher.FindTopWindow(e2e::IsMessageBox()), nullptr);
    CloseLauncher(main);
}

TEST_F(LaunchE2e, APathWithABlankStartsThatProgramNotOneNamedByItsFirstWord)
{
    // "apps\Suite Bin\konyv.exe" beside a planted "apps\Suite.exe": unquoted, the command line
    // would start the planted program and hand it the password.
    ASSERT_TRUE(start.MakeDirectory("apps"));
    ASSERT_TRUE(start.MakeDirectory("apps\\Suite Bin"));
    ASSERT_TRUE(e2e::InstallRecorder(start.PathOf("apps\\Suite Bin"), "konyv.exe"));
    ASSERT_TRUE(e2e::InstallRecorder(start.PathOf("apps"), "Suite.exe"));
    const std::string path = start.PathOf("apps\\Suite Bin\\konyv.exe");
    programs.push_back({"KONYV", "Könyvelés", path, "KONYV", ""});
    ASSERT_TRUE(start.Write("Marvitelkon.ini", Scramble(PlainDocument(programs, "KONYV;"))));
    HWND main = LogIn();
    ASSERT_TRUE(main);
    Launch(main, "Könyvelés");
    e2e::Recording recording;
    ASSERT_TRUE(e2e::WaitForRecording(start.PathOf("apps\\Suite Bin\\recorder-out.txt"), &recording))
        << e2e::DescribeWindows(launcher);
    EXPECT_EQ(recording.commandLine, "\"" + path + "\" KONYV;TESZT;JELSZO");
    EXPECT_EQ(recording.currentDirectory, start.PathOf("apps\\Suite Bin"));
    EXPECT_FALSE(start.Exists("apps\\recorder-out.txt")) << "the planted program ran";
    EXPECT_EQ(launcher.ProcessCount(), 2);
    CloseLauncher(main);
}

TEST_F(LaunchE2e, APathLongerThanTheListShowsStartsWhole)
{
    // The first 127 characters name a folder; the whole path names the program below it.
    std::string cut = start.PathOf("");
    cut += std::string(127 - cut.size() - 4, 'r') + ".exe";
    ASSERT_EQ(cut.size(), 127u);
    const std::string folder = cut.substr(start.Path().size() + 1);
    ASSERT_TRUE(start.MakeDirectory(folder));
    ASSERT_TRUE(start.MakeDirectory(folder + "\\mely"));
    ASSERT_TRUE(e2e::InstallRecorder(start.PathOf(folder + "\\mely")));
    const std::string path = cut + "\\mely\\recorder.exe";
    programs.push_back({"HOSSZU", "Hosszú út", path, "HDB", ""});
    ASSERT_TRUE(start.Write("Marvitelkon.ini", Scramble(PlainDocument(programs, "HOSSZU;"))));
    HWND main = LogIn();
    ASSERT_TRUE(main);
    Launch(main, "Hosszú út");
    e2e::Recording recording;
    ASSERT_TRUE(e2e::WaitForRecording(start.PathOf(folder + "\\mely\\recorder-out.txt"), &recording))
        << e2e::DescribeWindows(launcher);
    EXPECT_EQ(recording.commandLine, path + " HDB;TESZT;JELSZO");
    EXPECT_EQ(recording.currentDirectory, start.PathOf(folder + "\\mely"));
    EXPECT_EQ(launcher.FindTopWindow(e2e::IsMessageBox()), nullptr);
    CloseLauncher(main);
}

TEST_F(LaunchE2e, ABatchFileInAFolderNamedExeIsOpenedWithTheArgumentsAsItsParameters)
{
    // The shell runs the batch file, which writes down its parameters and its current directory.
    ASSERT_TRUE(start.MakeDirectory("kotegelt.exe"));
    ASSERT_TRUE(start.Write("kotegelt.exe\\indit.bat",
                            "@echo %*> \"%~dp0bat-out.part\"\r\n@cd>> \"%~dp0bat-out.part\"\r\n"
                            "@ren \"%~dp0bat-out.part\" bat-out.txt\r\n"));
    programs.push_back({"KOTEG", "Kötegelt", start.PathOf("kotegelt.exe\\indit.bat"), "KONYV", ""});
    ASSERT_TRUE(start.Write("Marvitelkon.ini", Scramble(PlainDocument(programs, "KOTEG;"))));
    HWND main = LogIn();
    ASSERT_TRUE(main);
    Launch(main, "Kötegelt");
    ASSERT_TRUE(e2e::WaitUntil([&] { return start.Exists("kotegelt.exe\\bat-out.txt"); })) << e2e::DescribeWindows(launcher);
    EXPECT_EQ(start.Read("kotegelt.exe\\bat-out.txt"), "KONYV;TESZT;JELSZO\r\n" + start.PathOf("kotegelt.exe") + "\r\n");
    EXPECT_EQ(launcher.FindTopWindow(e2e::IsMessageBox()), nullptr);
    CloseLauncher(main);
}

TEST_F(LaunchE2e, AMissingProgramGivesTheLaunchersMessageOverTheMainWindow)
{
    HWND main = LogIn();
    ASSERT_TRUE(main);
    Launch(main, "Hiányzó program");
    HWND box = launcher.WaitForMessageBox("Hibaüzenet");
    ASSERT_TRUE(box) << e2e::DescribeWindows(launcher);
    e2e::MessageBoxView view;
    ASSERT_TRUE(e2e::ReadMessageBox(box, &view));
    EXPECT_EQ(view.text, LaunchFailure);
    EXPECT_EQ(view.owner, main);
    EXPECT_EQ(view.buttons, std::vector<int>{IDOK});
    EXPECT_FALSE(view.hasIcon);
    EXPECT_EQ(launcher.ProcessCount(), 1);

    ASSERT_TRUE(e2e::Click(box, IDOK));
    ASSERT_TRUE(e2e::WaitForGone(box));
    EXPECT_TRUE(e2e::IsShown(main));
    // The launcher goes on: a working program still starts.
    Launch(main, "Rögzítő");
    e2e::Recording recording;
    ASSERT_TRUE(e2e::WaitForRecording(start.PathOf("programs\\recorder-out.txt"), &recording));
    EXPECT_EQ(recording.currentDirectory, start.PathOf("programs"));
    CloseLauncher(main);
}

TEST_F(LaunchE2e, TheSampleProgramShowsWhatTheLauncherHandedIt)
{
    // In a folder whose name has blanks.
    ASSERT_TRUE(start.MakeDirectory("minta program"));
    ASSERT_TRUE(start.CopyIn(e2e::WindowsPath(MV_SAMPLE_PROGRAM), "minta program\\MintaProgram.exe"));
    const std::string path = start.PathOf("minta program\\MintaProgram.exe");
    programs.push_back({"MINTA", "Mintaprogram", path, "KONYVELES", ""});
    programs.push_back({"MINTA2", "Mintaprogram alias nélkül", path, "", ""});
    ASSERT_TRUE(start.Write("Marvitelkon.ini", Scramble(PlainDocument(programs, "MINTA;MINTA2;"))));
    HWND main = LogIn();
    ASSERT_TRUE(main);

    struct Case {
        const char* description;
        std::string arguments, alias, user, password;
    } cases[] = {
        {"Mintaprogram", " KONYVELES;TESZT;JELSZO", "KONYVELES", "TESZT", "JELSZO"},
        {"Mintaprogram alias nélkül", "", "", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.description);
        Launch(main, c.description);
        HWND sample = nullptr;
        ASSERT_TRUE(e2e::WaitUntil([&] {
            sample = FindWindowA("MintaProgram", nullptr);
            return sample && e2e::IsShown(sample);
        })) << e2e::DescribeWindows(launcher);
        EXPECT_EQ(e2e::Text(sample), "Mintaprogram - Marvitelkon");
        // The path has blanks: the launcher puts it in quotes.
        EXPECT_EQ(e2e::ControlText(sample, 201), "\"" + path + "\"" + c.arguments);
        EXPECT_EQ(e2e::ControlText(sample, 202), c.alias);
        EXPECT_EQ(e2e::ControlText(sample, 203), c.user);
        EXPECT_EQ(e2e::ControlText(sample, 204), c.password);
        EXPECT_EQ(e2e::ControlText(sample, 205), start.PathOf("minta program"));
        ASSERT_TRUE(e2e::Close(sample));
        ASSERT_TRUE(e2e::WaitUntil([] { return FindWindowA("MintaProgram", nullptr) == nullptr; }));
    }
    CloseLauncher(main);
}
