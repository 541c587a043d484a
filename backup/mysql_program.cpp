#include "backup/mysql_program.h"

#include "support/bounded_text.h"

#include <stdlib.h>
#include <string.h>

#include <initializer_list>

namespace {

// True when folder "\" exeName names an existing file (not a folder); its path is then in target.
bool ProgramIn(const char* folder, const char* exeName, char* target, size_t capacity)
{
    char path[MAX_PATH];
    size_t length = CopyText(path, folder);
    if (length == 0 || length >= sizeof path - 1) return false;
    if (path[length - 1] != '\\') AppendText(path, sizeof path, "\\");
    if (AppendText(path, sizeof path, exeName) >= sizeof path - 1) return false;
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    return TextFits(path, capacity) && CopyText(target, capacity, path) > 0;
}

}  // namespace

bool FindMySqlProgram(const char* exeName, char* target, size_t capacity)
{
    if (capacity == 0) return false;
    target[0] = '\0';
    char folder[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, folder, sizeof folder);
    if (length > 0 && length < sizeof folder) {
        char* slash = strrchr(folder, '\\');
        if (slash) *slash = '\0';
        if (slash && ProgramIn(folder, exeName, target, capacity)) return true;
    }
    length = GetCurrentDirectoryA(sizeof folder, folder);
    if (length > 0 && length < sizeof folder && ProgramIn(folder, exeName, target, capacity)) return true;
    // The search path alone: SearchPathA without one would look into the system folders first.
    DWORD pathLength = GetEnvironmentVariableA("PATH", nullptr, 0);
    if (pathLength == 0) return false;
    char* path = static_cast<char*>(malloc(pathLength));
    char found[MAX_PATH];
    char* filePart = nullptr;
    DWORD foundLength = 0;
    if (path && GetEnvironmentVariableA("PATH", path, pathLength) < pathLength)
        foundLength = SearchPathA(path, exeName, nullptr, sizeof found, found, &filePart);
    free(path);
    if (foundLength == 0 || foundLength >= sizeof found || !TextFits(found, capacity)) return false;
    CopyText(target, capacity, found);
    return true;
}

bool StartProgram(const ProgramStart& start, HANDLE* process)
{
    *process = nullptr;
    HANDLE handles[4];
    DWORD count = 0;
    for (HANDLE one : {start.input, start.output, start.error, start.inherited}) {
        bool listed = false;
        for (DWORD i = 0; i < count; i++) listed = listed || handles[i] == one;
        if (one && one != INVALID_HANDLE_VALUE && !listed) handles[count++] = one;
    }
    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    auto* attributes = static_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(malloc(size));
    if (!attributes || !InitializeProcThreadAttributeList(attributes, 1, 0, &size)) {
        free(attributes);
        return false;
    }
    STARTUPINFOEXA startup = {};
    startup.StartupInfo.cb = sizeof startup;
    if (start.input || start.output || start.error) {
        startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
        startup.StartupInfo.hStdInput = start.input;
        startup.StartupInfo.hStdOutput = start.output;
        startup.StartupInfo.hStdError = start.error;
    } else {
        startup.StartupInfo.dwFlags = STARTF_USESHOWWINDOW;
        startup.StartupInfo.wShowWindow = start.show;
    }
    startup.lpAttributeList = attributes;
    PROCESS_INFORMATION started = {};
    bool ok = (count == 0 || UpdateProcThreadAttribute(attributes, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles,
                                                       count * sizeof(HANDLE), nullptr, nullptr)) &&
              CreateProcessA(start.program, start.commandLine, nullptr, nullptr, count > 0,
                             start.flags | EXTENDED_STARTUPINFO_PRESENT, nullptr, start.currentDirectory,
                             &startup.StartupInfo, &started);
    DWORD failure = GetLastError();
    DeleteProcThreadAttributeList(attributes);
    free(attributes);
    if (!ok) {
        SetLastError(failure);
        return false;
    }
    CloseHandle(started.hThread);
    *process = started.hProcess;
    return true;
}

bool RunMySqlProgram(const char* program, char* commandLine, HANDLE input, HANDLE output, HANDLE error,
                     DWORD interval, void (*progress)(void* context), void* context, DWORD* status)
{
    HANDLE process = nullptr;
    if (!StartProgram({program, commandLine, nullptr, 0, input, output, error, nullptr, SW_SHOWNORMAL}, &process))
        return false;
    while (WaitForSingleObject(process, progress ? interval : INFINITE) == WAIT_TIMEOUT) progress(context);
    bool ended = GetExitCodeProcess(process, status);
    CloseHandle(process);
    return ended;
}
