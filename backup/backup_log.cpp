#include "backup/backup_log.h"

#include "support/bounded_text.h"
#include "support/platform.h"

#include <stdlib.h>

namespace {

// The log's folder; false when it is not known.
bool LogFolder(char* target, size_t capacity)
{
    for (const char* name : {"ProgramData", "ALLUSERSPROFILE"}) {
        DWORD length = GetEnvironmentVariableA(name, target, static_cast<DWORD>(capacity));
        if (length > 0 && length < capacity) return AppendText(target, capacity, "\\Marvitelkon") < capacity - 1;
    }
    return false;
}

// The most of the log's end that is read for the last run: years of nightly lines.
const DWORD readLimit = 8u << 20;

}  // namespace

bool BackupLogPath(char* target, size_t capacity)
{
    char folder[MAX_PATH];
    if (capacity == 0 || !LogFolder(folder, sizeof folder)) return false;
    CopyText(target, capacity, folder);
    return AppendText(target, capacity, "\\mentesek.log") < capacity - 1;
}

bool AppendBackupLog(const char* line, size_t length)
{
    char folder[MAX_PATH], path[MAX_PATH];
    if (!LogFolder(folder, sizeof folder) || !BackupLogPath(path, sizeof path)) return false;
    CreateDirectoryA(folder, nullptr);  // there already, or it cannot be made: the open says which
    // Appending only: every write lands at the end of the file as it is then, whoever else writes.
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA | FILE_READ_DATA | SYNCHRONIZE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    // The lock covers no byte of the text, so readers are never held up; writers take turns on it.
    OVERLAPPED lockPlace = {};
    lockPlace.Offset = 0xFFFFFFF0u;
    lockPlace.OffsetHigh = 0x7FFFFFFFu;
    bool locked = LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &lockPlace);
    DWORD written = 0;
    bool ok = WriteFile(file, line, static_cast<DWORD>(length), &written, nullptr) && written == length;
    if (locked) UnlockFileEx(file, 0, 1, 0, &lockPlace);
    return CloseHandle(file) && ok;
}

bool ReadLastBackup(const char* kind, const char* database, BackupLogEntry* entry)
{
    char path[MAX_PATH];
    if (!BackupLogPath(path, sizeof path)) return false;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size = {};
    bool found = false;
    if (GetFileSizeEx(file, &size)) {
        DWORD count = size.QuadPart > readLimit ? readLimit : static_cast<DWORD>(size.QuadPart);
        LARGE_INTEGER from;
        from.QuadPart = size.QuadPart - count;
        char* text = static_cast<char*>(malloc(count + 1));
        DWORD read = 0;
        if (text && SetFilePointerEx(file, from, nullptr, FILE_BEGIN) && ReadFile(file, text, count, &read, nullptr)) {
            // A read that starts inside a line leaves that line out.
            DWORD start = 0;
            if (from.QuadPart > 0)
                while (start < read && text[start++] != '\n') {
                }
            found = FindLastBackupLogEntry(text + start, read - start, kind, database, entry);
        }
        free(text);
    }
    CloseHandle(file);
    return found;
}
