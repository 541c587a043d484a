#include "config/scrambled_file.h"

#include "support/bounded_text.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <atomic>

namespace {

// XOR with the key, which starts again at its first character on every call.
void Scramble(const ScrambledFile* file, void* buffer, DWORD count)
{
    if (file->key[0] == '\0' || file->keyLength <= 0 || count == 0) return;
    unsigned char* bytes = static_cast<unsigned char*>(buffer);
    int32_t j = 0;
    for (DWORD i = 0; i < count; i++) {
        bytes[i] ^= static_cast<unsigned char>(file->key[j]);
        if (++j == file->keyLength) j = 0;
    }
}

}  // namespace

ScrambledFile* ScrambledFile::Init(const char* name)
{
    handle = nullptr;
    if (TextFits(name, sizeof fileName))
        CopyText(fileName, name);
    else
        fileName[0] = '\0';
    key[0] = '\0';
    keyLength = 0;
    return this;
}

void ScrambledFile::SetKey(const char* text)
{
    size_t length = text ? strlen(text) : 0;
    keyLength = length < INT32_MAX ? static_cast<int32_t>(length) : INT32_MAX;
    if (length >= sizeof key)
        key[0] = '\0';
    else if (text != key)
        CopyText(key, text);
}

int ScrambledFile::Open(DWORD access, DWORD shareMode, DWORD creation, DWORD flagsAndAttributes)
{
    HANDLE opened = CreateFileA(fileName, access, shareMode, nullptr, creation, flagsAndAttributes, nullptr);
    if (opened == INVALID_HANDLE_VALUE) {
        handle = nullptr;
        return 0;
    }
    handle = opened;
    return 1;
}

DWORD ScrambledFile::Size() { return GetFileSize(handle, nullptr); }

DWORD ScrambledFile::Position() { return SetFilePointer(handle, 0, nullptr, FILE_CURRENT); }

DWORD ScrambledFile::Seek(LONG distance, DWORD method) { return SetFilePointer(handle, distance, nullptr, method); }

BOOL ScrambledFile::Read(void* buffer, DWORD count, DWORD* bytesRead)
{
    DWORD done = 0;
    if (Size() == Position()) {
        if (bytesRead) *bytesRead = 0;
        return 0;
    }
    BOOL result = ReadFile(handle, buffer, count, &done, nullptr);
    if (bytesRead) *bytesRead = done;
    Scramble(this, buffer, count);
    return result;
}

BOOL ScrambledFile::Write(void* buffer, DWORD count, DWORD* bytesWritten)
{
    DWORD done = 0;
    Scramble(this, buffer, count);
    BOOL result = WriteFile(handle, buffer, count, &done, nullptr);
    if (bytesWritten) *bytesWritten = done;
    return result;
}

BOOL ScrambledFile::Close()
{
    if (!handle) return 0;
    BOOL result = CloseHandle(handle);
    handle = nullptr;
    return result;
}

void ScrambledFile::Destroy(int flags)
{
    Close();
    if (flags & 1) free(this);
}

namespace {

// Tried names per save: a taken name is passed over, any other failure ends the save.
const int temporaryNameAttempts = 32;

std::atomic<unsigned> temporaryNameCounter{0};

// Creates the temporary file beside path; on success its name is in file->fileName.
bool CreateTemporaryBeside(const char* path, ScrambledFile* file)
{
    for (int attempt = 0; attempt < temporaryNameAttempts; attempt++) {
        char name[sizeof file->fileName];
        int length = snprintf(name, sizeof name, "%s.%lx-%lx-%x.tmp", path, static_cast<unsigned long>(GetCurrentProcessId()),
                              static_cast<unsigned long>(GetTickCount()), temporaryNameCounter.fetch_add(1) & 0xFFFFFFu);
        if (length < 0 || static_cast<size_t>(length) >= sizeof name) return false;
        file->Init(name);
        if (file->Open(GENERIC_WRITE, 0, CREATE_NEW, FILE_ATTRIBUTE_NORMAL)) return true;
        DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return false;
    }
    return false;
}

// A name for ReplaceFileA. Wine's takes the folder from each name and refuses a name without one
// (ERROR_DIRECTORY), so a bare name is given as ".\name" there; false when that does not fit.
template <size_t capacity>
bool ReplaceableName(const char* name, char (&target)[capacity])
{
#ifdef _WIN32
    if (!strpbrk(name, "\\/:")) {
        if (!TextFits(name, capacity - 2)) return false;
        CopyText(target, ".\\");
        AppendText(target, capacity, name);
        return true;
    }
#endif
    if (!TextFits(name, capacity)) return false;
    CopyText(target, name);
    return true;
}

// Puts the finished temporary file in the place of path in one step.
bool ReplaceWithTemporary(const char* path, const char* temporary)
{
    char replaced[MAX_PATH + 3], replacement[sizeof(ScrambledFile::fileName) + 2];
    if (!ReplaceableName(path, replaced) || !ReplaceableName(temporary, replacement)) return false;
    // Only a file is replaced (Wine's ReplaceFileA would put the file in the place of an empty folder).
    DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    for (int attempt = 0;; attempt++) {
        if (ReplaceFileA(replaced, replacement, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS,
                         nullptr, nullptr))
            return true;
#ifdef _WIN32
        // A reader that has the document open without delete sharing (a login reading it, for
        // a moment) blocks the replace: wait for it a little before giving up.
        if (GetLastError() == ERROR_SHARING_VIOLATION && attempt < 20) {
            Sleep(25);
            continue;
        }
#endif
        break;
    }
    // No old file to replace (ReplaceFileA needs one): the first save, or a file an administrator
    // removed.
    if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES || GetLastError() != ERROR_FILE_NOT_FOUND) return false;
    return MoveFileExA(temporary, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace

bool SaveScrambledFile(const char* path, const char* key, const void* bytes, size_t count)
{
    if (!path || !*path || count > 0xFFFFFFFFu || (count > 0 && !bytes)) return false;
    char* copy = static_cast<char*>(malloc(count ? count : 1));  // Write scrambles its buffer in place
    if (!copy) return false;
    if (count) memcpy(copy, bytes, count);

    ScrambledFile file;
    file.Init("");
    // Only a name this save created is ever removed: a taken one may be another save's file.
    bool created = CreateTemporaryBeside(path, &file);
    char temporary[sizeof file.fileName];
    CopyText(temporary, created ? file.fileName : "");
    bool written = created;
    if (written) {
        file.SetKey(key);
        DWORD done = 0;
        written = count == 0 || (file.Write(copy, static_cast<DWORD>(count), &done) && done == count);
        written = FlushFileBuffers(file.handle) && written;
        written = file.Close() && written;
    }
    file.Destroy(2);
    free(copy);
    if (!written) {
        if (created) DeleteFileA(temporary);
        return false;
    }
    if (ReplaceWithTemporary(path, temporary)) return true;
    DeleteFileA(temporary);
    return false;
}

char* LoadScrambledFile(const char* path, const char* key, size_t* length, bool* opened)
{
    *length = 0;
    ScrambledFile file;
    file.Init(path);
    file.SetKey(key);
    *opened = file.Open(GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL) != 0;
    DWORD size = *opened ? file.Size() : INVALID_FILE_SIZE;
    char* text = size != INVALID_FILE_SIZE ? static_cast<char*>(malloc((size_t)size + 1)) : nullptr;
    DWORD read = 0;
    if (text && size > 0 && (!file.Read(text, size, &read) || read != size)) {
        free(text);
        text = nullptr;
    }
    if (text) {
        text[size] = '\0';
        *length = size;
    }
    file.Close();
    file.Destroy(2);
    return text;
}
