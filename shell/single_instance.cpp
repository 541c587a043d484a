#include "shell/single_instance.h"

#include <stdint.h>
#include <stdio.h>

namespace {

// How long a second launcher waits for the first one's window, which may not be shown yet.
const DWORD windowWaitMilliseconds = 5000;
const DWORD windowPollMilliseconds = 50;

// Name of the session's object for folder: "Local\Marvitelkon-" and a 64-bit FNV-1a hash of the
// folder's full long path in capitals (a path does not fit the length of an object name).
void FolderObjectName(const char* folder, char* name, size_t capacity)
{
    char full[MAX_PATH * 2] = "", path[MAX_PATH * 2] = "";
    DWORD length = GetFullPathNameA(folder, sizeof full, full, nullptr);
    if (length == 0 || length >= sizeof full) snprintf(full, sizeof full, "%s", folder);
    length = GetLongPathNameA(full, path, sizeof path);
    if (length == 0 || length >= sizeof path) snprintf(path, sizeof path, "%s", full);
    CharUpperA(path);
    uint64_t hash = 14695981039346656037ull;
    for (const unsigned char* c = reinterpret_cast<const unsigned char*>(path); *c; c++)
        hash = (hash ^ *c) * 1099511628211ull;
    snprintf(name, capacity, "Local\\Marvitelkon-%016llx", static_cast<unsigned long long>(hash));
}

struct WindowSearch {
    DWORD processId;
    HWND found;
};

// EnumWindows goes from the top of the Z order down: the first visible window of the process is
// its topmost. Tooltips (tool windows) are passed over.
BOOL CALLBACK TakeTopWindow(HWND window, LPARAM param)
{
    WindowSearch* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window) ||
        (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW))
        return TRUE;
    search->found = window;
    return FALSE;
}

// Brings the topmost window of the process to the front, restoring its minimised owner, once there
// is one (the process may not have shown it yet); gives up when the process ends.
void BringForward(DWORD processId)
{
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
    for (DWORD waited = 0; waited < windowWaitMilliseconds; waited += windowPollMilliseconds) {
        WindowSearch search = {processId, nullptr};
        EnumWindows(TakeTopWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            HWND root = GetAncestor(search.found, GA_ROOTOWNER);
            if (!root) root = search.found;
            if (IsIconic(root)) ShowWindow(root, SW_RESTORE);
            HWND popup = GetLastActivePopup(root);
            SetForegroundWindow(popup ? popup : search.found);
            break;
        }
        if (!process) Sleep(windowPollMilliseconds);
        else if (WaitForSingleObject(process, windowPollMilliseconds) != WAIT_TIMEOUT) break;
    }
    if (process) CloseHandle(process);
}

}  // namespace

bool ClaimStartFolder()
{
    char folder[MAX_PATH] = "", name[64];
    if (!GetCurrentDirectoryA(sizeof folder, folder)) return true;
    FolderObjectName(folder, name, sizeof name);
    // The object holds the process ID of the launcher that made it; the system removes it with the
    // last handle, so a launcher that ended, however, frees its folder.
    HANDLE marker = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(LONG), name);
    bool first = GetLastError() != ERROR_ALREADY_EXISTS;
    if (!marker) return true;
    volatile LONG* holder = static_cast<volatile LONG*>(MapViewOfFile(marker, FILE_MAP_WRITE, 0, 0, sizeof(LONG)));
    if (!holder) {
        CloseHandle(marker);
        return true;
    }
    if (first) {
        // Handle and view stay open for the life of the process.
        InterlockedExchange(holder, static_cast<LONG>(GetCurrentProcessId()));
        return true;
    }
    // The first launcher writes its ID right after making the object.
    LONG processId = 0;
    for (int tries = 0; tries < 100 && !(processId = InterlockedCompareExchange(holder, 0, 0)); tries++) Sleep(10);
    // This process may claim its folder again (it keeps its first handle).
    bool ours = static_cast<DWORD>(processId) == GetCurrentProcessId();
    if (processId && !ours) BringForward(static_cast<DWORD>(processId));
    UnmapViewOfFile(const_cast<LONG*>(holder));
    CloseHandle(marker);
    return ours;
}
