#include "backup/mysql_backup_files.h"

#include "backup/mysql_program.h"
#include "support/bounded_text.h"

#include <sddl.h>
#include <stdlib.h>
#include <string.h>

#include <initializer_list>

namespace {

// A temporary dump's path: the dump file as typed (a whole path) and what follows it.
const size_t mysqlDumpNameCapacity = MAX_PATH + 96;

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

bool WriteAll(HANDLE file, const char* bytes)
{
    DWORD size = static_cast<DWORD>(strlen(bytes));
    DWORD written = 0;
    return WriteFile(file, bytes, size, &written, nullptr) && written == size;
}

// "A(z) 'NAME' fájl nem hozható létre, ..." and the like: before, name, after.
void Say(char* failure, size_t capacity, const char* before, const char* name, const char* after)
{
    CopyText(failure, capacity, before);
    AppendText(failure, capacity, name);
    AppendText(failure, capacity, after);
}

const char* const cannotCreateBefore = "A(z) '";
const char* const cannotCreateAfter = "' fájl nem hozható létre, a mentés nem indult el.";

// The option file, new and private, holding password, written through a handle shared as share says
// and returned open; INVALID_HANDLE_VALUE (nothing left) when it cannot be made.
HANDLE WritePrivateOptionFile(const char* path, const char* password, DWORD share)
{
    char content[512];  // a password of the document (100 characters) with every character escaped
    if (!BuildMySqlOptionFile(password, content, sizeof content)) return INVALID_HANDLE_VALUE;
    PSECURITY_DESCRIPTOR descriptor = PrivateToCurrentUser();
    SECURITY_ATTRIBUTES security = {sizeof security, descriptor, FALSE};
    // Created new, so a file or link planted under the name is never written through.
    HANDLE file = CreateFileA(path, GENERIC_WRITE, share, descriptor ? &security : nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY, nullptr);
    if (descriptor) LocalFree(descriptor);
    if (file == INVALID_HANDLE_VALUE) return INVALID_HANDLE_VALUE;
    bool ok = WriteAll(file, content);
    SecureZeroMemory(content, sizeof content);
    if (ok) return file;
    CloseHandle(file);
    DeleteFileA(path);
    return INVALID_HANDLE_VALUE;
}

// The run's temporary dump, as the batch line names it: dumpFile "-" date "." tag ".tmp".
bool BuildTemporaryDumpName(const MySqlBackupRun& run, char* target, size_t capacity)
{
    CopyText(target, capacity, "");
    for (const char* part : {run.dumpFile, "-", run.date, ".", run.tag, ".tmp"})
        if (!AppendText(target, capacity, part)) return false;
    return true;
}

bool WriteOptionFile(const char* path, const char* password)
{
    HANDLE file = WritePrivateOptionFile(path, password, 0);
    if (file == INVALID_HANDLE_VALUE) return false;
    if (CloseHandle(file)) return true;
    DeleteFileA(path);
    return false;
}

// Starts batch in a visible console of its own, in currentDirectory, handing it lock and nothing else
// (no socket of a connection, say). False when it does not start; interpreter names what was tried.
bool StartConsole(const char* batch, HANDLE lock, const char* currentDirectory, char* interpreter,
                  size_t interpreterCapacity)
{
    DWORD length = GetEnvironmentVariableA("ComSpec", interpreter, static_cast<DWORD>(interpreterCapacity));
    if (length == 0 || length >= interpreterCapacity) {
        UINT folder = GetSystemDirectoryA(interpreter, static_cast<UINT>(interpreterCapacity));
        if (folder == 0 || folder >= interpreterCapacity) interpreter[0] = 0;
        AppendText(interpreter, interpreterCapacity, "\\cmd.exe");
    }
    // /c takes off the outer pair of quotes and runs what is inside, whatever the path holds.
    char commandLine[MAX_PATH + 32] = "cmd.exe /c \"\"";
    AppendText(commandLine, sizeof commandLine, batch);
    AppendText(commandLine, sizeof commandLine, "\"\"");
    HANDLE process = nullptr;
    bool started = StartProgram({interpreter, commandLine, currentDirectory, CREATE_NEW_CONSOLE, nullptr, nullptr,
                                 nullptr, lock, SW_SHOW},
                                &process);
    if (started) CloseHandle(process);
    return started;
}

// A run's files while it is being started. The batch file comes first and stays undeletable from
// then on: the writer shares no deletion, and neither does the lock, which the console inherits and
// holds until the run has ended. Whatever is not kept goes when the object does.
struct RunFiles {
    char tag[64] = "";
    char batch[MAX_PATH] = "";
    char options[MAX_PATH] = "";
    char dumpName[MAX_PATH] = "";
    HANDLE writer = INVALID_HANDLE_VALUE;
    HANDLE lock = INVALID_HANDLE_VALUE;
    bool batchMade = false;
    bool optionsMade = false;
    bool dumpNameMade = false;
    bool keep = false;

    // Makes the batch file new under a tag of its own in folder; false (failure set) when it cannot.
    bool Create(const char* folder, char* failure, size_t capacity)
    {
        for (int attempt = 0; attempt < 100; attempt++) {
            NewMySqlRunTag(tag, sizeof tag);
            if (!BuildMySqlRunFileName(folder, tag, mysqlRunBatchExtension, batch, sizeof batch) ||
                !BuildMySqlRunFileName(folder, tag, mysqlRunOptionExtension, options, sizeof options) ||
                !BuildMySqlRunFileName(folder, tag, mysqlRunDumpNameExtension, dumpName, sizeof dumpName))
                break;
            // Files left under this tag by an ended run are not this run's: another tag.
            if (GetFileAttributesA(options) != INVALID_FILE_ATTRIBUTES ||
                GetFileAttributesA(dumpName) != INVALID_FILE_ATTRIBUTES)
                continue;
            writer = CreateFileA(batch, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                 nullptr);
            if (writer == INVALID_HANDLE_VALUE) {
                if (GetLastError() == ERROR_FILE_EXISTS || GetLastError() == ERROR_ALREADY_EXISTS) continue;
                break;
            }
            batchMade = true;
            SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
            lock = CreateFileA(batch, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
            if (lock != INVALID_HANDLE_VALUE) return true;
            break;
        }
        Say(failure, capacity, cannotCreateBefore, batch[0] ? batch : folder, cannotCreateAfter);
        return false;
    }
    ~RunFiles()
    {
        if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
        if (lock != INVALID_HANDLE_VALUE) CloseHandle(lock);
        if (keep) return;
        if (optionsMade) DeleteFileA(options);
        if (dumpNameMade) DeleteFileA(dumpName);
        if (batchMade) DeleteFileA(batch);
    }
};

}  // namespace

void NewMySqlRunTag(char* tag, size_t capacity)
{
    static volatile LONG counter = 0;
    char text[64];
    wsprintfA(text, "%lu-%lu-%lu", GetCurrentProcessId(), GetTickCount(),
              static_cast<unsigned long>(InterlockedIncrement(&counter)));
    CopyText(tag, capacity, text);
}

HANDLE CreateHeldMySqlOptionFile(const char* path, const char* password)
{
    HANDLE file = WritePrivateOptionFile(path, password, FILE_SHARE_READ);
    if (file == INVALID_HANDLE_VALUE) return INVALID_HANDLE_VALUE;
    // The reading handle kept lets others read the file but not delete it; it is opened before the
    // writer closes, so the file is never there unheld.
    HANDLE held = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (CloseHandle(file) && held != INVALID_HANDLE_VALUE) return held;
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
    DeleteFileA(path);
    return INVALID_HANDLE_VALUE;
}

MySqlBackupStart StartMySqlBackup(MySqlBackupRun run, const char* password, const char* currentDirectory,
                                  char* failure, size_t failureCapacity)
{
    if (failureCapacity) failure[0] = 0;
    char folder[MAX_PATH];
    DWORD folderLength = GetTempPathA(sizeof folder, folder);
    if (folderLength == 0 || folderLength >= sizeof folder) {
        CopyText(failure, failureCapacity, "Az ideiglenes mappa nem érhető el, a mentés nem indult el.");
        return MySqlBackupFailed;
    }
    RunFiles files;
    if (!files.Create(folder, failure, failureCapacity)) return MySqlBackupFailed;
    run.tag = files.tag;
    run.optionFile = files.options;
    char line[mysqlBackupBatchCapacity];
    if (!BuildMySqlBackupConsoleBatch(run, line, sizeof line)) return MySqlBackupRefused;
    files.optionsMade = WriteOptionFile(files.options, password);
    if (!files.optionsMade) {
        Say(failure, failureCapacity, cannotCreateBefore, files.options, cannotCreateAfter);
        return MySqlBackupFailed;
    }
    char temporary[mysqlDumpNameCapacity];
    HANDLE name = INVALID_HANDLE_VALUE;
    if (BuildTemporaryDumpName(run, temporary, sizeof temporary))
        name = CreateFileA(files.dumpName, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY, nullptr);
    files.dumpNameMade = name != INVALID_HANDLE_VALUE;
    bool named = files.dumpNameMade && WriteAll(name, temporary);
    if (files.dumpNameMade) named = CloseHandle(name) && named;
    if (!named) {
        Say(failure, failureCapacity, cannotCreateBefore, files.dumpName, cannotCreateAfter);
        return MySqlBackupFailed;
    }
    bool written = WriteAll(files.writer, line);
    written = CloseHandle(files.writer) && written;
    files.writer = INVALID_HANDLE_VALUE;
    if (!written) {
        Say(failure, failureCapacity, cannotCreateBefore, files.batch, cannotCreateAfter);
        return MySqlBackupFailed;
    }
    char interpreter[MAX_PATH];
    if (!StartConsole(files.batch, files.lock, currentDirectory, interpreter, sizeof interpreter)) {
        Say(failure, failureCapacity, "A parancsértelmező ('", interpreter, "') nem indítható, a mentés nem indult el.");
        return MySqlBackupFailed;
    }
    files.keep = true;
    return MySqlBackupStarted;
}

namespace {

// The temporary dump of an ended run whose console was closed part-way (an ended run's own lines
// have moved or removed it), named by the run's dumpName file; that file goes once its dump has.
// Only a name ending in the run's own "." tag ".tmp" is ever deleted.
void RemoveTemporaryDump(const char* dumpName, const char* tag)
{
    char path[mysqlDumpNameCapacity] = "";
    DWORD read = 0;
    HANDLE file = CreateFileA(dumpName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    if (!ReadFile(file, path, sizeof path - 1, &read, nullptr)) read = 0;
    CloseHandle(file);
    path[read] = 0;
    char ending[80] = ".";
    AppendText(ending, sizeof ending, tag);
    AppendText(ending, sizeof ending, ".tmp");
    size_t length = strlen(path), endingLength = strlen(ending);
    bool ours = length == read && length > endingLength && strcmp(path + length - endingLength, ending) == 0;
    if (!ours || DeleteFileA(path) || GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) DeleteFileA(dumpName);
}

}  // namespace

void RemoveEndedMySqlBackupRuns()
{
    char folder[MAX_PATH];
    DWORD length = GetTempPathA(sizeof folder, folder);
    char pattern[MAX_PATH];
    if (length == 0 || length >= sizeof folder || !BuildMySqlRunFileName(folder, "*", "", pattern, sizeof pattern))
        return;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        char tag[64];
        char batch[MAX_PATH];
        char options[MAX_PATH];
        char dumpName[MAX_PATH];
        if (!MySqlRunTagOf(found.cFileName, tag, sizeof tag) ||
            !BuildMySqlRunFileName(folder, tag, mysqlRunBatchExtension, batch, sizeof batch) ||
            !BuildMySqlRunFileName(folder, tag, mysqlRunOptionExtension, options, sizeof options) ||
            !BuildMySqlRunFileName(folder, tag, mysqlRunDumpNameExtension, dumpName, sizeof dumpName))
            continue;
        // The batch file is tried now, not as listed: a run started meanwhile made it before its
        // other files and holds it.
        if (!DeleteFileA(batch) && GetLastError() != ERROR_FILE_NOT_FOUND) continue;
        DeleteFileA(options);
        RemoveTemporaryDump(dumpName, tag);
    } while (FindNextFileA(search, &found));
    FindClose(search);
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
