#include "config/scrambled_file.h"

#include "support/bounded_text.h"

#include <stdlib.h>
#include <string.h>

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
