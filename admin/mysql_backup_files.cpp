#include "admin/mysql_backup_files.h"

#include "support/bounded_text.h"

#include <sddl.h>
#include <stdlib.h>
#include <string.h>

namespace {

// The option files made by this run, each an owned text.
char** optionFiles = nullptr;
int optionFileCount = 0;

void RememberOptionFile(const char* path)
{
    char* copy = DuplicateText(path);
    auto** grown = static_cast<char**>(realloc(optionFiles, (optionFileCount + 1) * sizeof *optionFiles));
    if (!copy || !grown) {
        free(copy);
        if (grown) optionFiles = grown;
        return;
    }
    optionFiles = grown;
    optionFiles[optionFileCount++] = copy;
}

// A security descriptor whose access list lets in the current user alone (protected: nothing is
// inherited from the folder); null when the platform gives none. Free it with LocalFree.
PSECURITY_DESCRIPTOR PrivateToCurrentUser()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return nullptr;
    union {
        TOKEN_USER user;
        char bytes[256];
    } info;
    DWORD size = 0;
    char* sid = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetTokenInformation(token, TokenUser, &info, sizeof info, &size) &&
        ConvertSidToStringSidA(info.user.User.Sid, &sid)) {
        char text[256] = "D:P(A;;FA;;;";
        AppendText(text, sizeof text, sid);
        AppendText(text, sizeof text, ")");
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(text, SDDL_REVISION_1, &descriptor, nullptr))
            descriptor = nullptr;
        LocalFree(sid);
    }
    CloseHandle(token);
    return descriptor;
}

}  // namespace

bool CreateMySqlOptionFile(const char* password, char* path, size_t pathCapacity, char* tag, size_t tagCapacity)
{
    if (pathCapacity) path[0] = 0;
    if (tagCapacity) tag[0] = 0;
    char content[512];  // a password of the document (100 characters) with every character escaped
    char folder[MAX_PATH];
    DWORD length = GetTempPathA(sizeof folder, folder);
    if (!BuildMySqlOptionFile(password, content, sizeof content) || length == 0 || length >= sizeof folder)
        return false;
    PSECURITY_DESCRIPTOR descriptor = PrivateToCurrentUser();
    SECURITY_ATTRIBUTES security = {sizeof security, descriptor, FALSE};
    static unsigned counter = 0;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; attempt++) {
        char name[64];
        wsprintfA(name, "%lu-%lu-%u", GetCurrentProcessId(), GetTickCount(), ++counter);
        if (strlen(folder) + strlen("mysqldump-") + strlen(name) + strlen(".cnf") >= pathCapacity ||
            !TextFits(name, tagCapacity))
            break;
        CopyText(tag, tagCapacity, name);
        CopyText(path, pathCapacity, folder);
        AppendText(path, pathCapacity, "mysqldump-");
        AppendText(path, pathCapacity, name);
        AppendText(path, pathCapacity, ".cnf");
        // Created new, so a file or link planted under the name is never written through.
        file = CreateFileA(path, GENERIC_WRITE, 0, descriptor ? &security : nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_TEMPORARY, nullptr);
        if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS &&
            GetLastError() != ERROR_ALREADY_EXISTS)
            break;
    }
    if (descriptor) LocalFree(descriptor);
    if (file == INVALID_HANDLE_VALUE) {
        if (pathCapacity) path[0] = 0;
        if (tagCapacity) tag[0] = 0;
        return false;
    }
    DWORD written = 0;
    DWORD size = static_cast<DWORD>(strlen(content));
    bool ok = WriteFile(file, content, size, &written, nullptr) && written == size;
    SecureZeroMemory(content, sizeof content);
    ok = CloseHandle(file) && ok;
    if (!ok) {
        DeleteFileA(path);
        path[0] = 0;
        tag[0] = 0;
        return false;
    }
    RememberOptionFile(path);
    return true;
}

void RemoveMySqlOptionFiles()
{
    for (int i = 0; i < optionFileCount; i++) {
        DeleteFileA(optionFiles[i]);
        free(optionFiles[i]);
    }
    free(optionFiles);
    optionFiles = nullptr;
    optionFileCount = 0;
}

bool BuildMySqlBackupConsoleBatch(const MySqlBackupRun& run, char* target, size_t capacity)
{
    if (capacity == 0) return false;
    target[0] = 0;
    char text[mysqlBackupBatchCapacity];
    WCHAR wide[mysqlBackupBatchCapacity];
    WCHAR back[mysqlBackupBatchCapacity];
    if (!BuildMySqlBackupBatch(run, text, sizeof text)) return false;
    int count = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, -1, wide, mysqlBackupBatchCapacity);
    BOOL defaulted = FALSE;
    int bytes = count > 0 ? WideCharToMultiByte(CP_OEMCP, WC_NO_BEST_FIT_CHARS, wide, count, target,
                                                static_cast<int>(capacity), nullptr, &defaulted)
                          : 0;
    // Only an exact equivalent will do: what the console reads back must be what was meant.
    bool exact = bytes > 0 && !defaulted &&
                 MultiByteToWideChar(CP_OEMCP, 0, target, bytes, back, mysqlBackupBatchCapacity) == count &&
                 memcmp(back, wide, count * sizeof(WCHAR)) == 0;
    if (!exact) target[0] = 0;
    return exact;
}
