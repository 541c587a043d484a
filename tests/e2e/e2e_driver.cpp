#include "tests/e2e/e2e_driver.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#ifndef MV_E2E_PROGRAM
#error "MV_E2E_PROGRAM must name Marvitelkon.exe of the build"
#endif
#ifndef MV_E2E_RECORDER
#error "MV_E2E_RECORDER must name recorder.exe of the build"
#endif

namespace e2e {

namespace {

// Time a single cross-process message may take before the target counts as hung.
const UINT MessageTimeout = 10000;

bool SendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, MessageTimeout, &answer)) return false;
    if (result) *result = static_cast<LRESULT>(answer);
    return true;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Paths

std::string WindowsPath(const std::string& path)
{
    if (path.empty() || path[0] != '/') return path;
    std::string windows = "Z:" + path;
    for (char& c : windows)
        if (c == '/') c = '\\';
    return windows;
}

std::string ProgramPath()
{
    return WindowsPath(MV_E2E_PROGRAM);
}

std::string RecorderPath()
{
    return WindowsPath(MV_E2E_RECORDER);
}

std::string DirectoryOf(const std::string& path)
{
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// ---------------------------------------------------------------------------------------------
// Waiting

bool WaitUntil(const std::function<bool()>& condition, DWORD timeout)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (GetTickCount() - start >= timeout) return condition();
        Sleep(PollInterval);
    }
}

// ---------------------------------------------------------------------------------------------
// Start directory

StartDirectory::StartDirectory() = default;

StartDirectory::StartDirectory(std::initializer_list<File> files)
{
    for (const auto& file : files) EXPECT_TRUE(Write(file.first, file.second)) << "cannot write " << file.first;
}

bool StartDirectory::Write(const std::string& name, const std::string& bytes) const
{
    return WriteBytes(PathOf(name), bytes);
}

std::string StartDirectory::Read(const std::string& name) const
{
    return ReadBytes(PathOf(name));
}

bool StartDirectory::Exists(const std::string& name) const
{
    return PathExists(PathOf(name));
}

bool StartDirectory::MakeDirectory(const std::string& name) const
{
    return ::MakeDirectory(PathOf(name));
}

bool StartDirectory::SetAttributes(const std::string& name, DWORD attributes) const
{
    return SetFileAttributesA(PathOf(name).c_str(), attributes) != 0;
}

DWORD StartDirectory::Attributes(const std::string& name) const
{
    return GetFileAttributesA(PathOf(name).c_str());
}

bool StartDirectory::CopyIn(const std::string& source, const std::string& name) const
{
    return CopyFileA(source.c_str(), PathOf(name).c_str(), FALSE) != 0;
}

// ---------------------------------------------------------------------------------------------
// Windows of another process

std::string ClassName(HWND window)
{
    char name[256];
    int n = GetClassNameA(window, name, sizeof name);
    return std::string(name, n > 0 ? n : 0);
}

int ControlId(HWND window)
{
    return static_cast<int>(GetWindowLongPtrA(window, GWLP_ID));
}

LONG_PTR Style(HWND window)
{
    return GetWindowLongPtrA(window, GWL_STYLE);
}

std::string Text(HWND window)
{
    LRESULT length = 0;
    if (!IsWindow(window) || !SendWithTimeout(window, WM_GETTEXTLENGTH, 0, 0, &length) || length < 0) return "";
    // WM_GETTEXTLENGTH may count more than WM_GETTEXT gives (never less).
    std::vector<char> buffer(static_cast<size_t>(length) + 64, '\0');
    LRESULT got = 0;
    if (!SendWithTimeout(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()), &got)) return "";
    if (got < 0) got = 0;
    return std::string(buffer.data(), strnlen(buffer.data(), static_cast<size_t>(got)));
}

std::vector<HWND> Children(HWND dialog)
{
    std::vector<HWND> children;
    EnumChildWindows(
        dialog,
        [](HWND child, LPARAM param) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(param)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&children));
    return children;
}

HWND Control(HWND dialog, int id)
{
    if (!IsWindow(dialog)) return nullptr;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if ((ControlId(child) & 0xFFFF) == (id & 0xFFFF)) return child;
    return nullptr;
}

std::string ControlText(HWND dialog, int id)
{
    HWND control = Control(dialog, id);
    return control ? Text(control) : std::string();
}

bool IsShown(HWND window)
{
    return window && IsWindow(window) && IsWindowVisible(window);
}

bool IsEnabled(HWND window)
{
    return window && IsWindow(window) && IsWindowEnabled(window);
}

HWND Owner(HWND window)
{
    return GetWindow(window, GW_OWNER);
}

WindowMatch IsDialogWithCaption(const std::string& caption)
{
    return [caption](HWND window) { return ClassName(window) == "#32770" && Text(window) == caption; };
}

WindowMatch HasControl(int id, const std::string& className)
{
    return [id, className](HWND window) {
        if (ClassName(window) != "#32770") return false;
        HWND control = Control(window, id);
        return control && _stricmp(ClassName(control).c_str(), className.c_str()) == 0;
    };
}

WindowMatch IsMessageBox()
{
    return [](HWND window) {
        if (ClassName(window) != "#32770") return false;
        HWND text = Control(window, 0xFFFF);
        return text && _stricmp(ClassName(text).c_str(), "Static") == 0;
    };
}

bool Click(HWND dialog, int id)
{
    HWND button = Control(dialog, id);
    return PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button)) != 0;
}

bool PressButton(HWND dialog, int id)
{
    HWND button = Control(dialog, id);
    return button && PostMessageA(button, BM_CLICK, 0, 0) != 0;
}

bool Command(HWND window, int id)
{
    return PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, 0), 0) != 0;
}

bool SetControlText(HWND dialog, int id, const std::string& text)
{
    HWND control = Control(dialog, id);
    LRESULT accepted = 0;
    return control && SendWithTimeout(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), &accepted) &&
           accepted != 0;
}

bool TypeText(HWND dialog, int id, const std::string& text)
{
    HWND control = Control(dialog, id);
    if (!control) return false;
    for (unsigned char c : text)
        if (!SendWithTimeout(control, WM_CHAR, c, 1, nullptr)) return false;
    return true;
}

bool Close(HWND window)
{
    return PostMessageA(window, WM_CLOSE, 0, 0) != 0;
}

bool PressCloseBox(HWND window)
{
    return PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0) != 0;
}

bool WaitForGone(HWND window, DWORD timeout)
{
    return WaitUntil([window] { return !IsShown(window); }, timeout);
}

// ---------------------------------------------------------------------------------------------
// Message boxes

bool ReadMessageBox(HWND window, MessageBoxView* view)
{
    if (!IsMessageBox()(window)) return false;
    *view = MessageBoxView();
    view->caption = Text(window);
    view->text = ControlText(window, 0xFFFF);
    view->owner = Owner(window);
    for (HWND child : Children(window)) {
        if (!IsWindowVisible(child)) continue;
        std::string name = ClassName(child);
        if (_stricmp(name.c_str(), "Button") == 0) {
            view->buttons.push_back(ControlId(child));
            view->buttonTexts.push_back(Text(child));
        } else if (_stricmp(name.c_str(), "Static") == 0 && (Style(child) & SS_TYPEMASK) == SS_ICON) {
            // The box keeps its icon control even without an icon; only a held icon shows.
            LRESULT icon = 0;
            if (SendWithTimeout(child, STM_GETICON, 0, 0, &icon) && icon) view->hasIcon = true;
        }
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// List views of another process

namespace {

// Layout of the scratch block inside the target: one structure, then the text buffer.
const size_t StructureSize = 256;
const size_t TextCapacity = 4096;
const size_t ScratchSize = StructureSize + TextCapacity;
static_assert(sizeof(LVITEMA) <= StructureSize && sizeof(LVCOLUMNA) <= StructureSize, "scratch structure too small");

}  // namespace

RemoteList::RemoteList(HWND list) : list(list)
{
    DWORD processId = 0;
    if (!GetWindowThreadProcessId(list, &processId)) {
        ADD_FAILURE() << "RemoteList: no such window";
        return;
    }
    process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION, FALSE,
                          processId);
    if (!process) {
        ADD_FAILURE() << "RemoteList: cannot open process " << processId << ", error " << GetLastError();
        return;
    }
    remote = VirtualAllocEx(process, nullptr, ScratchSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remote) ADD_FAILURE() << "RemoteList: VirtualAllocEx failed, error " << GetLastError();
}

RemoteList::~RemoteList()
{
    if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    if (process) CloseHandle(process);
}

bool RemoteList::Put(const void* data, size_t size, size_t offset) const
{
    SIZE_T done = 0;
    return remote && WriteProcessMemory(process, static_cast<char*>(remote) + offset, data, size, &done) && done == size;
}

bool RemoteList::Get(void* data, size_t size, size_t offset) const
{
    SIZE_T done = 0;
    return remote && ReadProcessMemory(process, static_cast<char*>(remote) + offset, data, size, &done) && done == size;
}

bool RemoteList::Send(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) const
{
    if (SendWithTimeout(list, message, wParam, lParam, result)) return true;
    ADD_FAILURE() << "RemoteList: list-view message " << std::hex << message << " got no answer";
    return false;
}

int RemoteList::Count() const
{
    LRESULT count = -1;
    return Send(LVM_GETITEMCOUNT, 0, 0, &count) ? static_cast<int>(count) : -1;
}

std::string RemoteList::ItemText(int item, int column) const
{
    LVITEMA request = {};
    request.iSubItem = column;
    request.pszText = reinterpret_cast<char*>(At(StructureSize));
    request.cchTextMax = static_cast<int>(TextCapacity);
    char terminator = '\0';
    LRESULT length = 0;
    if (!Put(&terminator, 1, StructureSize) || !Put(&request, sizeof request, 0) ||
        !Send(LVM_GETITEMTEXTA, item, At(0), &length))
        return "";
    std::vector<char> text(TextCapacity, '\0');
    if (!Get(text.data(), text.size(), StructureSize)) return "";
    return std::string(text.data(), strnlen(text.data(), text.size()));
}

std::vector<std::vector<std::string>> RemoteList::Rows(int columns) const
{
    std::vector<std::vector<std::string>> rows;
    int count = Count();
    for (int item = 0; item < count; item++) {
        std::vector<std::string> row;
        for (int column = 0; column < columns; column++) row.push_back(ItemText(item, column));
        rows.push_back(row);
    }
    return rows;
}

UINT RemoteList::State(int item, UINT mask) const
{
    LRESULT state = 0;
    return Send(LVM_GETITEMSTATE, item, mask, &state) ? static_cast<UINT>(state) : 0;
}

bool RemoteList::Checked(int item) const
{
    return (State(item, LVIS_STATEIMAGEMASK) >> 12) == 2;
}

bool RemoteList::GetItem(int item, UINT mask, LVITEMA* out) const
{
    LVITEMA request = {};
    request.mask = mask;
    request.iItem = item;
    LRESULT ok = 0;
    return Put(&request, sizeof request, 0) && Send(LVM_GETITEMA, 0, At(0), &ok) && ok && Get(out, sizeof *out, 0);
}

int RemoteList::Image(int item) const
{
    LVITEMA answer;
    return GetItem(item, LVIF_IMAGE, &answer) ? answer.iImage : -1;
}

LPARAM RemoteList::Param(int item) const
{
    LVITEMA answer;
    return GetItem(item, LVIF_PARAM, &answer) ? answer.lParam : 0;
}

int RemoteList::Focused() const
{
    LRESULT item = -1;
    return Send(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED, &item) ? static_cast<int>(item) : -1;
}

int RemoteList::FirstSelected() const
{
    LRESULT item = -1;
    return Send(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED, &item) ? static_cast<int>(item) : -1;
}

DWORD RemoteList::View() const
{
    LRESULT view = 0;
    return Send(LVM_GETVIEW, 0, 0, &view) ? static_cast<DWORD>(view) : static_cast<DWORD>(-1);
}

std::vector<std::string> RemoteList::ColumnHeaders() const
{
    std::vector<std::string> headers;
    for (int column = 0;; column++) {
        LVCOLUMNA request = {};
        request.mask = LVCF_TEXT;
        request.pszText = reinterpret_cast<char*>(At(StructureSize));
        request.cchTextMax = static_cast<int>(TextCapacity);
        char terminator = '\0';
        LRESULT ok = 0;
        if (!Put(&terminator, 1, StructureSize) || !Put(&request, sizeof request, 0) ||
            !Send(LVM_GETCOLUMNA, column, At(0), &ok) || !ok)
            break;
        std::vector<char> text(TextCapacity, '\0');
        if (!Get(text.data(), text.size(), StructureSize)) break;
        headers.emplace_back(text.data(), strnlen(text.data(), text.size()));
    }
    return headers;
}

std::vector<int> RemoteList::ColumnWidths() const
{
    std::vector<int> widths;
    size_t columns = ColumnHeaders().size();
    for (size_t column = 0; column < columns; column++) {
        LRESULT width = 0;
        if (!Send(LVM_GETCOLUMNWIDTH, column, 0, &width)) break;
        widths.push_back(static_cast<int>(width));
    }
    return widths;
}

bool RemoteList::SetState(int item, UINT state, UINT mask)
{
    LVITEMA request = {};
    request.state = state;
    request.stateMask = mask;
    LRESULT ok = 0;
    return Put(&request, sizeof request, 0) && Send(LVM_SETITEMSTATE, static_cast<WPARAM>(item), At(0), &ok) && ok;
}

bool RemoteList::Select(int item)
{
    const UINT both = LVIS_SELECTED | LVIS_FOCUSED;
    return SetState(-1, 0, both) && SetState(item, both, both);
}

// ---------------------------------------------------------------------------------------------
// Processes

Program::~Program()
{
    Kill();
    if (job) CloseHandle(job);
    if (process) CloseHandle(process);
}

bool Program::Start(const std::string& path, const std::string& currentDirectory, const std::string& arguments)
{
    if (process) {
        ADD_FAILURE() << "Program::Start: a program is already started";
        return false;
    }
    commandLine = "\"" + path + "\"";
    if (!arguments.empty()) commandLine += " " + arguments;
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');

    // Wine starts its desktop process for the first window of a fresh server: from here, not from the
    // program, where it would join the program's job and be counted as one of its processes.
    GetDesktopWindow();
    // The job kills the program and whatever it starts when its last handle closes: when this
    // object goes, and also when this test process dies.
    job = CreateJobObjectA(nullptr, nullptr);
    if (job) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (!SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
            CloseHandle(job);
            job = nullptr;
        }
    }

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessA(path.c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                        currentDirectory.c_str(), &startup, &started)) {
        ADD_FAILURE() << "cannot start " << commandLine << " in " << currentDirectory << ", error " << GetLastError();
        return false;
    }
    if (job && !AssignProcessToJobObject(job, started.hProcess)) {
        CloseHandle(job);
        job = nullptr;
    }
    process = started.hProcess;
    id = started.dwProcessId;
    ResumeThread(started.hThread);
    CloseHandle(started.hThread);
    return true;
}

bool Program::Running() const
{
    return process && WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
}

bool Program::WaitForExit(DWORD timeout)
{
    return !process || WaitForSingleObject(process, timeout) == WAIT_OBJECT_0;
}

bool Program::ExpectExit(DWORD timeout, const char* what)
{
    if (!process) {
        ADD_FAILURE() << "waiting for " << what << ", but nothing was started";
        return false;
    }
    if (WaitForExit(timeout)) return true;
    ADD_FAILURE() << "timed out after " << timeout << " ms waiting for " << what << " (" << commandLine
                  << "); windows: " << DescribeWindows(*this) << "; killing it";
    Kill();
    return false;
}

DWORD Program::ExitCode() const
{
    DWORD code = STILL_ACTIVE;
    if (process) GetExitCodeProcess(process, &code);
    return code;
}

void Program::Kill()
{
    if (job) TerminateJobObject(job, 0xDEAD);
    if (Running()) TerminateProcess(process, 0xDEAD);
    if (process) WaitForSingleObject(process, DefaultTimeout);
}

bool Program::Crash()
{
    if (!Running()) return false;
    // Address 0x10 lies in the never-mapped first page: the thread faults on its first instruction.
    auto start = reinterpret_cast<LPTHREAD_START_ROUTINE>(static_cast<ULONG_PTR>(0x10));
    HANDLE thread = CreateRemoteThread(process, nullptr, 0, start, nullptr, 0, nullptr);
    if (!thread) return false;
    CloseHandle(thread);
    return true;
}

std::vector<HWND> Program::Windows() const
{
    struct Search {
        DWORD id;
        std::vector<HWND> found;
    } search{id, {}};
    if (!process) return search.found;
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == s->id) s->found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> Program::VisibleWindows() const
{
    std::vector<HWND> visible;
    for (HWND window : Windows())
        if (IsWindowVisible(window)) visible.push_back(window);
    return visible;
}

HWND Program::FindTopWindow(const WindowMatch& match) const
{
    for (HWND window : VisibleWindows())
        if (match(window)) return window;
    return nullptr;
}

HWND Program::WaitForWindow(const WindowMatch& match, DWORD timeout) const
{
    HWND found = nullptr;
    WaitUntil(
        [&] {
            found = FindTopWindow(match);
            return found != nullptr || !Running();
        },
        timeout);
    return found;
}

HWND Program::WaitForDialog(const std::string& caption, DWORD timeout) const
{
    return WaitForWindow(IsDialogWithCaption(caption), timeout);
}

HWND Program::WaitForMessageBox(const std::string& caption, DWORD timeout) const
{
    WindowMatch isBox = IsMessageBox();
    return WaitForWindow([&](HWND window) { return isBox(window) && (caption.empty() || Text(window) == caption); },
                         timeout);
}

std::string DescribeWindows(const Program& program)
{
    std::string description;
    for (HWND window : program.VisibleWindows()) {
        if (!description.empty()) description += ", ";
        description += ClassName(window) + " \"" + Text(window) + "\"";
    }
    return description.empty() ? "none visible" : description;
}

// ---------------------------------------------------------------------------------------------
// Registry

const char* const LoginKeyPath = "Software\\KOLV Kft.\\Marvitelkon\\System";
const char* const LoginValueName = "Login";

bool ReadRememberedLogin(std::string* value)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, LoginKeyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    char buffer[4096];
    DWORD type = 0, size = sizeof buffer - 1;
    LONG result = RegQueryValueExA(key, LoginValueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_SZ) return false;
    buffer[size] = '\0';
    *value = std::string(buffer, strnlen(buffer, size));
    return true;
}

bool WriteRememberedLogin(const std::string& value)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, LoginKeyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    LONG result = RegSetValueExA(key, LoginValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                 static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

void DeleteRememberedLogin()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, LoginKeyPath, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    RegDeleteValueA(key, LoginValueName);
    RegCloseKey(key);
}

void DeleteRememberedLoginKey()
{
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, LoginKeyPath);
}

// In the body: value must be constructed before the registry is read into it.
SavedLogin::SavedLogin() : existed(false)
{
    existed = ReadRememberedLogin(&value);
    RegDeleteKeyA(HKEY_CURRENT_USER, LoginKeyPath);
}

SavedLogin::~SavedLogin()
{
    if (existed)
        WriteRememberedLogin(value);
    else
        DeleteRememberedLogin();
    RegDeleteKeyA(HKEY_CURRENT_USER, LoginKeyPath);
}

bool CrashDialogDisabled()
{
    DWORD value = 1, size = sizeof value;
    return RegGetValueA(HKEY_CURRENT_USER, "Software\\Wine\\WineDbg", "ShowCrashDialog", RRF_RT_REG_DWORD, nullptr,
                        &value, &size) == ERROR_SUCCESS &&
           value == 0;
}

// ---------------------------------------------------------------------------------------------
// Recorder

const char* const RecorderOutputVariable = "MV_RECORDER_OUT";
const char* const RecorderOutputName = "recorder-out.txt";

bool InstallRecorder(const std::string& directory, const std::string& name)
{
    return CopyFileA(RecorderPath().c_str(), (directory + "\\" + name).c_str(), FALSE) != 0;
}

bool ReadRecording(const std::string& file, Recording* recording)
{
    if (!PathExists(file)) return false;
    std::string bytes = ReadBytes(file);
    size_t first = bytes.find("\r\n");
    if (first == std::string::npos) return false;
    size_t second = bytes.find("\r\n", first + 2);
    if (second == std::string::npos || second + 2 != bytes.size()) return false;
    recording->commandLine = bytes.substr(0, first);
    recording->currentDirectory = bytes.substr(first + 2, second - first - 2);
    return true;
}

bool WaitForRecording(const std::string& file, Recording* recording, DWORD timeout)
{
    return WaitUntil([&] { return ReadRecording(file, recording); }, timeout);
}

// ---------------------------------------------------------------------------------------------
// Additions for the main-window and launch tests

int Program::ProcessCount() const
{
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting = {};
    if (!job || !QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &accounting, sizeof accounting,
                                           nullptr))
        return -1;
    return static_cast<int>(accounting.TotalProcesses);
}

bool WaitForPostedMessagesHandled(HWND mainWindow, DWORD timeout)
{
    // 109 is the main window's "Nézet" button; the list is control 106.
    HWND list = Control(mainWindow, 106);
    if (!list) return false;
    LONG_PTR before = Style(list) & LVS_TYPEMASK;
    if (!Click(mainWindow, 109)) return false;
    return WaitUntil([&] { return (Style(list) & LVS_TYPEMASK) != before; }, timeout);
}

}  // namespace e2e
