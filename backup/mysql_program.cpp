#include "backup/mysql_program.h"

#include "support/bounded_text.h"

#include <stdlib.h>
#include <string.h>

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
