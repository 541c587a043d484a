// End-to-end driver: starts the real Marvitelkon.exe (or another program of the build) under Wine in
// a temporary start directory and drives it from this test process by window messages.
//
//   e2e::StartDirectory start({{"Marvitelkon.ini", IniBytes()}, {"backup_mysql.bat", "rem"}});
//   e2e::Program launcher;
//   ASSERT_TRUE(launcher.Start(e2e::ProgramPath(), start.Path()));
//   HWND login = launcher.WaitForDialog("Bejelenkezés");
//   ASSERT_TRUE(login);
//   e2e::TypeText(login, IDC_LOGIN_PASSWORD, "SECRET");
//   e2e::Click(login, IDC_LOGIN_OK);
//   HWND main = launcher.WaitForWindow(e2e::HasControl(IDC_MAIN_LIST, "SysListView32"));
//   e2e::RemoteList list(e2e::Control(main, IDC_MAIN_LIST));
//   EXPECT_EQ(list.Count(), 2);
//   e2e::Close(main);
//   EXPECT_TRUE(launcher.ExpectExit());
//   EXPECT_FALSE(start.Exists("backup_mysql.bat"));
//
// Synchronisation is by polling with a time-out (WaitUntil and the Wait... members): a message
// posted to the other process is handled whenever its modal loop gets to it, so a test waits for
// the observable effect of its action (a window appearing or going, a text changing, the process
// ending), never for a fixed time.
//
// What works across processes under Wine, and how the driver uses it:
// - WM_GETTEXT, WM_SETTEXT and WM_CHAR are carried across (sent with a time-out).
// - Window classes, identifiers, styles, owners and visibility are read directly.
// - List-view messages are not carried: RemoteList places its LVITEMA/LVCOLUMNA and text buffers in
//   the target with VirtualAllocEx/WriteProcessMemory and reads them back with ReadProcessMemory.
// - Notifications (NM_DBLCLK...) cannot be faked from outside: select an item with
//   RemoteList::Select and press the button that acts on it instead (in the main window
//   Click(main, IDC_MAIN_START), the "&Program indítás" button, 104).
// - Menus of another process cannot be read; their commands can still be posted (Command).
//
// Clean-up: every Program runs in a job object that kills the process and everything it started
// when the Program object goes (also when a test fails half-way or this process dies). Programs
// the launcher starts (the recorder) are in the same job: read what they leave behind before the
// Program object goes. A time-out in ExpectExit is a test failure and kills the process at once.
// A program that crashes ends without Wine's crash dialog (the prefix sets ShowCrashDialog=0);
// Wine's debugger then writes its backtrace into the test's output.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "tests/harness/test_files.h"

namespace e2e {

// Default time-out of every wait, in milliseconds; generous because several Wine processes share
// two cores.
const DWORD DefaultTimeout = 30000;
// How often a wait looks again, in milliseconds.
const DWORD PollInterval = 20;

// ---------------------------------------------------------------------------------------------
// Paths

// A Unix path as Wine shows it to Windows programs: "/a/b.exe" gives "Z:\a\b.exe" (Wine maps the
// Unix root to Z:). Any other path comes back unchanged.
std::string WindowsPath(const std::string& path);

// Marvitelkon.exe of this build, as a Windows path.
std::string ProgramPath();

// The recorder of this build (recorder.exe), as a Windows path. See the recorder section below.
std::string RecorderPath();

// The directory part of a Windows path ("C:\a\b.exe" gives "C:\a"); empty when there is none.
std::string DirectoryOf(const std::string& path);

// ---------------------------------------------------------------------------------------------
// Waiting

// Calls condition every PollInterval until it is true (true) or timeout has passed (false). The
// condition is always tried at least once, and once more after the time-out.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeout = DefaultTimeout);

// ---------------------------------------------------------------------------------------------
// Start directory

// A fresh empty directory under the temporary folder, holding the files a test gives, removed with
// its contents (hidden and system files included) when the object goes.
class StartDirectory {
public:
    using File = std::pair<std::string, std::string>;  // name, bytes

    StartDirectory();
    StartDirectory(std::initializer_list<File> files);

    // The directory's full Windows path, without a trailing backslash.
    const std::string& Path() const { return scratch.path; }
    std::string PathOf(const std::string& name) const { return scratch.PathOf(name); }

    // Writes a file (bytes as given, replacing any old one); false on failure.
    bool Write(const std::string& name, const std::string& bytes) const;
    std::string Read(const std::string& name) const;
    // True when anything of that name exists (file or directory).
    bool Exists(const std::string& name) const;
    bool MakeDirectory(const std::string& name) const;
    // SetFileAttributesA / GetFileAttributesA on a name inside the directory.
    bool SetAttributes(const std::string& name, DWORD attributes) const;
    DWORD Attributes(const std::string& name) const;
    // Copies a file (a built program, say) into the directory under name.
    bool CopyIn(const std::string& source, const std::string& name) const;

private:
    ScratchDirectory scratch;
};

// ---------------------------------------------------------------------------------------------
// Windows of another process

// Class name, identifier, style and text of a window, read across processes.
std::string ClassName(HWND window);
int ControlId(HWND window);
LONG_PTR Style(HWND window);
// WM_GETTEXT sent with a time-out; empty when the window is gone or does not answer.
std::string Text(HWND window);
// The child of dialog with that identifier (compared as the 16-bit id a template gives, so 0xFFFF
// and -1 are the same); null when there is none.
HWND Control(HWND dialog, int id);
// Text of the child with that identifier; empty when there is none.
std::string ControlText(HWND dialog, int id);
bool IsShown(HWND window);    // exists and visible
bool IsEnabled(HWND window);  // exists and enabled
HWND Owner(HWND window);      // GW_OWNER

// Every child window of dialog (children of children included), in Z order.
std::vector<HWND> Children(HWND dialog);

// Window predicates for Program::WaitForWindow and FindWindows.
using WindowMatch = std::function<bool(HWND)>;
// A visible dialog box (class "#32770") with exactly this caption.
WindowMatch IsDialogWithCaption(const std::string& caption);
// A visible dialog box with a child of this identifier and class (compared without case).
WindowMatch HasControl(int id, const std::string& className);
// A visible message box: a dialog box with the message text control (id 0xFFFF).
WindowMatch IsMessageBox();

// Driving controls. Posted actions return at once: wait for their effect afterwards.
// Posts WM_COMMAND (id, BN_CLICKED, the button) to dialog, as a click on the button gives.
bool Click(HWND dialog, int id);
// Posts BM_CLICK to the button itself (the button then notifies its dialog).
bool PressButton(HWND dialog, int id);
// Posts WM_COMMAND (id, 0, null), as a menu command or accelerator gives.
bool Command(HWND window, int id);
// WM_SETTEXT on the control, sent; true when the control accepted the text.
bool SetControlText(HWND dialog, int id, const std::string& text);
// One WM_CHAR per character, sent to the control, so the control's own rules apply (upper case,
// length limit); done when it returns.
bool TypeText(HWND dialog, int id, const std::string& text);
// Posts WM_CLOSE.
bool Close(HWND window);
// Posts WM_SYSCOMMAND SC_CLOSE, as a click on the window's close box gives.
bool PressCloseBox(HWND window);
// Waits until the window no longer exists or is hidden (EndDialog hides a dialog at once).
bool WaitForGone(HWND window, DWORD timeout = DefaultTimeout);

// ---------------------------------------------------------------------------------------------
// Message boxes

struct MessageBoxView {
    std::string caption;
    std::string text;                      // the message text (static control 0xFFFF)
    std::vector<int> buttons;              // identifiers of the visible buttons (IDOK, IDCANCEL...)
    std::vector<std::string> buttonTexts;  // their texts, in the same order
    bool hasIcon = false;                  // a visible SS_ICON static that holds an icon
    HWND owner = nullptr;
};

// Reads a message box of any process; false when window is not a message box.
bool ReadMessageBox(HWND window, MessageBoxView* view);

// ---------------------------------------------------------------------------------------------
// List views of another process

// A list view (SysListView32) of another process. Holds a scratch block inside the target for the
// structures and texts that list-view messages exchange; freed when the object goes.
class RemoteList {
public:
    explicit RemoteList(HWND list);
    ~RemoteList();
    RemoteList(const RemoteList&) = delete;
    RemoteList& operator=(const RemoteList&) = delete;

    // False when the target could not be opened or the scratch block not placed in it.
    bool Ready() const { return remote != nullptr; }

    int Count() const;                                   // LVM_GETITEMCOUNT
    std::string ItemText(int item, int column) const;    // LVM_GETITEMTEXTA
    std::vector<std::vector<std::string>> Rows(int columns) const;
    UINT State(int item, UINT mask = ~0u) const;         // LVM_GETITEMSTATE
    bool Selected(int item) const { return (State(item, LVIS_SELECTED) & LVIS_SELECTED) != 0; }
    bool Checked(int item) const;                        // state image 2 (ticked check box)
    int Image(int item) const;                           // iImage, -1 on failure
    LPARAM Param(int item) const;                        // lParam (an address in the target)
    int Focused() const;                                 // -1 when no item has the focus
    int FirstSelected() const;                           // -1 when none is selected
    DWORD View() const;                                  // LVM_GETVIEW: LV_VIEW_ICON, _DETAILS...
    std::vector<std::string> ColumnHeaders() const;
    std::vector<int> ColumnWidths() const;

    // LVM_SETITEMSTATE with a remote LVITEM; item -1 changes every item.
    bool SetState(int item, UINT state, UINT mask);
    // Makes item the only selected item and the focused one, as a click on it does (the list
    // reports LVN_ITEMCHANGED to its dialog as usual).
    bool Select(int item);

private:
    bool Put(const void* data, size_t size, size_t offset) const;
    bool Get(void* data, size_t size, size_t offset) const;
    bool Send(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) const;
    LPARAM At(size_t offset) const { return reinterpret_cast<LPARAM>(static_cast<char*>(remote) + offset); }
    bool GetItem(int item, UINT mask, LVITEMA* out) const;

    HWND list;
    HANDLE process = nullptr;
    void* remote = nullptr;
};

// ---------------------------------------------------------------------------------------------
// Processes

// One started program. Not copyable; the destructor kills whatever still runs (see Kill).
class Program {
public:
    Program() = default;
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Starts path (a Windows path) with CreateProcessA in currentDirectory. The command line is the
    // quoted path, then a blank and arguments when there are any. The process and everything it
    // starts run in a job object that is killed with this object. False (and a test failure) when
    // the program could not be started.
    bool Start(const std::string& path, const std::string& currentDirectory, const std::string& arguments = "");

    bool Started() const { return process != nullptr; }
    bool Running() const;
    DWORD Id() const { return id; }
    HANDLE Handle() const { return process; }
    const std::string& CommandLine() const { return commandLine; }

    // Waits for the process to end by itself. On time-out reports a test failure naming what, kills
    // the process and returns false. Nothing started is a failure too.
    bool ExpectExit(DWORD timeout = DefaultTimeout, const char* what = "the program to end");
    // Waits without judging: true when it ended within timeout (or nothing was started).
    bool WaitForExit(DWORD timeout);
    // Exit code of an ended process (STILL_ACTIVE while it runs).
    DWORD ExitCode() const;
    // Kills the process and everything it started; waits until they are gone. Harmless when nothing
    // runs.
    void Kill();
    // Makes the running process crash, as a fault inside it would: a thread of its own starts at an
    // address holding no code. For checking that a crash ends the program instead of hanging.
    bool Crash();

    // The process's top-level windows (EnumWindows and GetWindowThreadProcessId), in Z order.
    std::vector<HWND> Windows() const;
    // The visible ones only.
    std::vector<HWND> VisibleWindows() const;
    // The first visible top-level window that matches; null when none does.
    HWND FindTopWindow(const WindowMatch& match) const;
    // Waits until a visible top-level window matches; null (no test failure) on time-out or when
    // the process ends first.
    HWND WaitForWindow(const WindowMatch& match, DWORD timeout = DefaultTimeout) const;
    // Shorthands: a dialog box with this caption; a message box (of any caption when empty).
    HWND WaitForDialog(const std::string& caption, DWORD timeout = DefaultTimeout) const;
    HWND WaitForMessageBox(const std::string& caption = "", DWORD timeout = DefaultTimeout) const;

    // Added for the main-window tests (see the section at the end of this file).
    int ProcessCount() const;

private:
    HANDLE process = nullptr;
    HANDLE job = nullptr;
    DWORD id = 0;
    std::string commandLine;
};

// Describes the visible top-level windows of a process, for failure messages.
std::string DescribeWindows(const Program& program);

// ---------------------------------------------------------------------------------------------
// Registry (the same Wine prefix, so the same registry as the program under test)

// HKEY_LOCAL_MACHINE "Software\KOLV Kft.\Marvitelkon\System", value "Login" (REG_SZ): the ID the
// login window remembers.
extern const char* const LoginKeyPath;
extern const char* const LoginValueName;

// False when the key or the value is missing or the value is not a REG_SZ text.
bool ReadRememberedLogin(std::string* value);
// Creates the key when needed.
bool WriteRememberedLogin(const std::string& value);
// Deletes the value only; quiet when it is missing.
void DeleteRememberedLogin();
// Deletes the whole "System" key (and the value with it); quiet when it is missing.
void DeleteRememberedLoginKey();

// Keeps the remembered login of the prefix as it was: saved on construction, written back (or
// deleted, if there was none) on destruction. The Windows user's own (HKEY_CURRENT_USER, which the
// login offers first) is the tests' alone: deleted on construction and on destruction.
class SavedLogin {
public:
    SavedLogin();
    ~SavedLogin();
    SavedLogin(const SavedLogin&) = delete;
    SavedLogin& operator=(const SavedLogin&) = delete;

private:
    bool existed;
    std::string value;
};

// True when Wine ends a crashing program without its crash dialog
// (HKCU\Software\Wine\WineDbg ShowCrashDialog is 0), so a crash cannot hang a test.
bool CrashDialogDisabled();

// ---------------------------------------------------------------------------------------------
// Recorder

// recorder.exe writes down how it was started and ends at once: its full command line
// (GetCommandLineA) on the first line and its current directory on the second, each ended by
// "\r\n". It writes to the file named by the environment variable MV_RECORDER_OUT, or else to
// "recorder-out.txt" in its own directory; the file appears whole (written under another name,
// then renamed), so a reader never sees half of it. A later run replaces it.
extern const char* const RecorderOutputVariable;  // "MV_RECORDER_OUT"
extern const char* const RecorderOutputName;      // "recorder-out.txt"

struct Recording {
    std::string commandLine;
    std::string currentDirectory;
};

// Copies recorder.exe into directory under name; false on failure.
bool InstallRecorder(const std::string& directory, const std::string& name = "recorder.exe");
// Reads a recorder file; false when it is missing or not in the recorder's format.
bool ReadRecording(const std::string& file, Recording* recording);
// Waits until the file exists and reads it.
bool WaitForRecording(const std::string& file, Recording* recording, DWORD timeout = DefaultTimeout);

// ---------------------------------------------------------------------------------------------
// Additions for the main-window and launch tests

// Program::ProcessCount: how many processes the program's job has held so far, the program itself
// and everything it started included, also those that have ended already (the job's
// TotalProcesses); -1 without a job. So 1 means the program has started nothing.

// Waits until a message posted to the launcher's main window after an earlier one has been handled,
// which shows that the earlier one was handled too (a thread takes posted messages in order): posts
// the "&Nézet" command (109) and waits for the list's view to change. Leaves the view changed.
bool WaitForPostedMessagesHandled(HWND mainWindow, DWORD timeout = DefaultTimeout);

}  // namespace e2e
