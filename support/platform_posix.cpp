// Native stand-ins for the kernel32 calls of platform.h (never built for Windows).
#ifndef _WIN32

#include "support/platform.h"

#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

thread_local DWORD lastError = 0;

DWORD ErrorFromErrno(int e)
{
    switch (e) {
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR: return ERROR_ACCESS_DENIED;
    case EEXIST: return ERROR_FILE_EXISTS;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EBADF: return ERROR_INVALID_HANDLE;
    default: return ERROR_INVALID_PARAMETER;
    }
}

BOOL Fail(int e)
{
    lastError = ErrorFromErrno(e);
    return FALSE;
}

// File handles carry the descriptor; +1 keeps descriptor 0 from looking like a null handle.
int DescriptorOf(HANDLE h) { return (int)(intptr_t)h - 1; }
HANDLE HandleOf(int fd) { return (HANDLE)(intptr_t)(fd + 1); }

bool IsFileHandle(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }

const char* LastComponent(const char* path)
{
    const char* slash = strrchr(path, '/');
    return slash ? slash + 1 : path;
}

// A find handle is a heap block of its own, so that FindClose releases something and a missing
// FindClose shows up as a leak under the sanitizers.
struct FindState {
    int exhausted;
};

}  // namespace

HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD share, void* security, DWORD creation, DWORD flags,
                   HANDLE templateFile)
{
    (void)share;
    (void)security;
    (void)flags;
    (void)templateFile;
    if (!name || !*name) {
        lastError = ERROR_FILE_NOT_FOUND;
        return INVALID_HANDLE_VALUE;
    }
    bool reads = (access & GENERIC_READ) != 0;
    bool writes = (access & GENERIC_WRITE) != 0;
    int mode = reads && writes ? O_RDWR : writes ? O_WRONLY : O_RDONLY;
    struct stat st;
    bool exists = stat(name, &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) {
        lastError = ERROR_ACCESS_DENIED;
        return INVALID_HANDLE_VALUE;
    }
    switch (creation) {
    case CREATE_NEW: mode |= O_CREAT | O_EXCL; break;
    case CREATE_ALWAYS: mode |= O_CREAT | O_TRUNC; break;
    case OPEN_EXISTING: break;
    case OPEN_ALWAYS: mode |= O_CREAT; break;
    case TRUNCATE_EXISTING: mode |= O_TRUNC; break;
    default: lastError = ERROR_INVALID_PARAMETER; return INVALID_HANDLE_VALUE;
    }
    int fd = open(name, mode | O_CLOEXEC, 0644);
    if (fd < 0) {
        Fail(errno);
        return INVALID_HANDLE_VALUE;
    }
    // As on Windows, OPEN_ALWAYS and CREATE_ALWAYS report an existing file through the last error.
    lastError = (exists && (creation == OPEN_ALWAYS || creation == CREATE_ALWAYS)) ? ERROR_ALREADY_EXISTS : 0;
    return HandleOf(fd);
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD count, DWORD* done, void* overlapped)
{
    (void)overlapped;
    if (done) *done = 0;
    if (!IsFileHandle(file)) return Fail(EBADF);
    DWORD total = 0;
    while (total < count) {
        ssize_t n = read(DescriptorOf(file), (char*)buffer + total, count - total);
        if (n < 0) {
            if (errno == EINTR) continue;
            return Fail(errno);
        }
        if (n == 0) break;
        total += (DWORD)n;
    }
    if (done) *done = total;
    return TRUE;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD count, DWORD* done, void* overlapped)
{
    (void)overlapped;
    if (done) *done = 0;
    if (!IsFileHandle(file)) return Fail(EBADF);
    DWORD total = 0;
    while (total < count) {
        ssize_t n = write(DescriptorOf(file), (const char*)buffer + total, count - total);
        if (n < 0) {
            if (errno == EINTR) continue;
            if (done) *done = total;
            return Fail(errno);
        }
        total += (DWORD)n;
    }
    if (done) *done = total;
    return TRUE;
}

DWORD GetFileSize(HANDLE file, DWORD* high)
{
    struct stat st;
    if (!IsFileHandle(file) || fstat(DescriptorOf(file), &st) != 0) {
        Fail(EBADF);
        return INVALID_FILE_SIZE;
    }
    if (high) *high = (DWORD)((uint64_t)st.st_size >> 32);
    lastError = 0;
    return (DWORD)(uint64_t)st.st_size;
}

DWORD SetFilePointer(HANDLE file, LONG distance, PLONG high, DWORD method)
{
    int whence = method == FILE_BEGIN ? SEEK_SET : method == FILE_CURRENT ? SEEK_CUR : SEEK_END;
    off_t offset = high ? (off_t)(((uint64_t)(uint32_t)*high << 32) | (uint32_t)distance) : (off_t)distance;
    if (!IsFileHandle(file)) {
        Fail(EBADF);
        return INVALID_SET_FILE_POINTER;
    }
    off_t result = lseek(DescriptorOf(file), offset, whence);
    if (result < 0) {
        Fail(errno);
        return INVALID_SET_FILE_POINTER;
    }
    if (high) *high = (LONG)((uint64_t)result >> 32);
    lastError = 0;
    return (DWORD)(uint64_t)result;
}

BOOL FlushFileBuffers(HANDLE file)
{
    if (!IsFileHandle(file)) return Fail(EBADF);
    return fsync(DescriptorOf(file)) == 0 ? TRUE : Fail(errno);
}

BOOL CloseHandle(HANDLE handle)
{
    if (!IsFileHandle(handle)) return Fail(EBADF);
    return close(DescriptorOf(handle)) == 0 ? TRUE : Fail(errno);
}

BOOL DeleteFileA(LPCSTR name)
{
    struct stat st;
    if (!name || stat(name, &st) != 0) return Fail(ENOENT);
    if (S_ISDIR(st.st_mode)) return Fail(EACCES);
    return unlink(name) == 0 ? TRUE : Fail(errno);
}

BOOL MoveFileExA(LPCSTR from, LPCSTR to, DWORD flags)
{
    struct stat st;
    if (!from || !to) return Fail(EINVAL);
    if (!(flags & MOVEFILE_REPLACE_EXISTING) && stat(to, &st) == 0) return Fail(EEXIST);
    return rename(from, to) == 0 ? TRUE : Fail(errno);
}

DWORD GetFileAttributesA(LPCSTR name)
{
    struct stat st;
    if (!name || stat(name, &st) != 0) {
        Fail(errno);
        return INVALID_FILE_ATTRIBUTES;
    }
    DWORD attributes = S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    if (LastComponent(name)[0] == '.') attributes |= FILE_ATTRIBUTE_HIDDEN;
    if (!(st.st_mode & S_IWUSR)) attributes |= FILE_ATTRIBUTE_READONLY;
    return attributes;
}

DWORD GetCurrentDirectoryA(DWORD size, char* buffer)
{
    char path[4096];
    if (!getcwd(path, sizeof path)) {
        Fail(errno);
        return 0;
    }
    DWORD length = (DWORD)strlen(path);
    // Windows answers a short buffer with the size needed, terminator included, and writes nothing.
    if (!buffer || length + 1 > size) return length + 1;
    memcpy(buffer, path, length + 1);
    return length;
}

BOOL SetCurrentDirectoryA(LPCSTR path)
{
    if (!path || !*path) return Fail(ENOENT);
    return chdir(path) == 0 ? TRUE : Fail(errno);
}

HANDLE FindFirstFileA(LPCSTR name, LPWIN32_FIND_DATAA data)
{
    if (!name || !data) {
        lastError = ERROR_INVALID_PARAMETER;
        return INVALID_HANDLE_VALUE;
    }
    DWORD attributes = GetFileAttributesA(name);
    if (attributes == INVALID_FILE_ATTRIBUTES) return INVALID_HANDLE_VALUE;
    FindState* state = (FindState*)calloc(1, sizeof(FindState));
    if (!state) {
        lastError = ERROR_NOT_ENOUGH_MEMORY;
        return INVALID_HANDLE_VALUE;
    }
    struct stat st;
    memset(data, 0, sizeof *data);
    data->dwFileAttributes = attributes;
    if (stat(name, &st) == 0) data->nFileSizeLow = (DWORD)(uint64_t)st.st_size;
    snprintf(data->cFileName, sizeof data->cFileName, "%s", LastComponent(name));
    state->exhausted = 1;
    return (HANDLE)state;
}

BOOL FindNextFileA(HANDLE find, LPWIN32_FIND_DATAA data)
{
    (void)data;
    if (!IsFileHandle(find)) return Fail(EBADF);
    lastError = 18;  // ERROR_NO_MORE_FILES: a name without wildcards has one entry at most
    return FALSE;
}

BOOL FindClose(HANDLE find)
{
    if (!IsFileHandle(find)) return Fail(EBADF);
    free(find);
    return TRUE;
}

HMODULE LoadLibraryA(LPCSTR name)
{
    if (!name) return Fail(EINVAL), nullptr;
    void* module = dlopen(name, RTLD_NOW | RTLD_LOCAL);
    lastError = module ? 0 : ERROR_MOD_NOT_FOUND;
    return module;
}

FARPROC GetProcAddress(HMODULE module, LPCSTR name)
{
    if (!module || !name) return nullptr;
    dlerror();
    void* symbol = dlsym(module, name);
    lastError = symbol ? 0 : ERROR_PROC_NOT_FOUND;
    FARPROC result;
    static_assert(sizeof result == sizeof symbol, "function and data pointers differ");
    memcpy(&result, &symbol, sizeof result);
    return result;
}

BOOL FreeLibrary(HMODULE module)
{
    if (!module) return Fail(EINVAL);
    return dlclose(module) == 0 ? TRUE : Fail(EINVAL);
}

namespace {
RecordedMessageBox recordedBoxes[64];
int recordedBoxCount = 0;
}  // namespace

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT style)
{
    if (recordedBoxCount < 64) {
        RecordedMessageBox& box = recordedBoxes[recordedBoxCount++];
        box.owner = owner;
        snprintf(box.text, sizeof box.text, "%s", text ? text : "");
        snprintf(box.caption, sizeof box.caption, "%s", caption ? caption : "");
        box.style = style;
        box.cursor = GetCursor();
    }
    return IDOK;
}

HWND GetActiveWindow(void) { return nullptr; }

int RecordedMessageBoxCount(void) { return recordedBoxCount; }

const RecordedMessageBox* RecordedMessageBoxAt(int index)
{
    return index >= 0 && index < recordedBoxCount ? &recordedBoxes[index] : nullptr;
}

void ClearRecordedMessageBoxes(void) { recordedBoxCount = 0; }

namespace {
HCURSOR currentCursor = nullptr;
// Stands for the system's cursors: LoadCursorA gives the address of the entry of its name.
char systemCursors[1];
}  // namespace

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name)
{
    return instance == nullptr && name == IDC_ARROW ? (HCURSOR)&systemCursors[0] : nullptr;
}

HCURSOR SetCursor(HCURSOR cursor)
{
    HCURSOR previous = currentCursor;
    currentCursor = cursor;
    return previous;
}

HCURSOR GetCursor(void) { return currentCursor; }

LPSTR CharLowerA(LPSTR text)
{
    if (!text) return text;
    for (unsigned char* c = (unsigned char*)text; *c; c++) {
        unsigned char u = *c;
        if (u >= 'A' && u <= 'Z') *c = (unsigned char)(u + 32);
        else if (u >= 0xC0 && u <= 0xDE && u != 0xD7) *c = (unsigned char)(u + 32);  // Á ... Ţ
        else if (u == 0x8A || (u >= 0x8C && u <= 0x8F)) *c = (unsigned char)(u + 16);  // Š Ś Ť Ž Ź
        else if (u == 0xA3) *c = 0xB3;                                                  // Ł
        else if (u == 0xA5) *c = 0xB9;                                                  // Ą
        else if (u == 0xAA) *c = 0xBA;                                                  // Ş
        else if (u == 0xAF) *c = 0xBF;                                                  // Ż
        else if (u == 0xBC) *c = 0xBE;                                                  // Ľ
    }
    return text;
}

DWORD GetLastError(void) { return lastError; }

void SetLastError(DWORD error) { lastError = error; }

#endif  // !_WIN32
