#include "backup/program_lookup.h"

#include "support/bounded_text.h"
#include "support/platform.h"
#include "ui/text_utils.h"

#include <stdlib.h>
#include <string.h>

namespace {

// folder (with or without its closing backslash) followed by exeName, when that is a file.
bool FileIn(const char* folder, const char* exeName, char* path, size_t capacity)
{
    char candidate[MAX_PATH];
    CopyText(candidate, folder);
    size_t length = strlen(candidate);
    if (length && candidate[length - 1] != '\\') AppendText(candidate, sizeof candidate, "\\");
    if (AppendText(candidate, sizeof candidate, exeName) >= sizeof candidate - 1) return false;
    DWORD attributes = GetFileAttributesA(candidate);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    return TextFits(candidate, capacity) && CopyText(path, capacity, candidate);
}

}  // namespace

bool FindBackupProgram(const char* exeName, char* path, size_t capacity)
{
    if (capacity) path[0] = '\0';
    char folder[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, folder, sizeof folder);
    char beside[MAX_PATH];
    if (length > 0 && length < sizeof folder && FileIn(DirectoryOf(folder, beside, sizeof beside), exeName, path, capacity))
        return true;
    length = GetCurrentDirectoryA(sizeof folder, folder);
    if (length > 0 && length < sizeof folder && FileIn(folder, exeName, path, capacity)) return true;
    // The search path may be long (up to 32767 characters).
    const DWORD searchCapacity = 32768;
    char* search = static_cast<char*>(malloc(searchCapacity));
    char found[MAX_PATH];
    char* name = nullptr;
    length = search ? GetEnvironmentVariableA("PATH", search, searchCapacity) : 0;
    DWORD size = length > 0 && length < searchCapacity ? SearchPathA(search, exeName, nullptr, sizeof found, found, &name) : 0;
    free(search);
    if (size == 0 || size >= sizeof found || (GetFileAttributesA(found) & FILE_ATTRIBUTE_DIRECTORY)) return false;
    return TextFits(found, capacity) && CopyText(path, capacity, found);
}
