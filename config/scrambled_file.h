// ScrambledFile: the program's one file object. A Win32 file handle whose reads and writes can be
// XOR-ed with a short repeating key; Marvitelkon.ini is kept on disk only in that form.
#pragma once

#include "support/platform.h"

#include <stddef.h>
#include <stdint.h>

struct ScrambledFile {
    HANDLE handle;        // null while no file is open
    char fileName[256];   // the path given to Init; empty when it did not fit (Open then fails)
    char key[32];         // empty (first character 0): no scrambling
    int32_t keyLength;    // length of the text given to SetKey

    // Copies the name, sets the handle to null and the key to empty. A name of 256 characters or
    // more is not cut (that would name another file): the object is left without a name, so Open
    // fails. Returns this.
    ScrambledFile* Init(const char* name);
    // A key of 32 characters or more (and an empty or null one) means no scrambling.
    void SetKey(const char* text);
    // CreateFileA on the name; 1 when it opened, 0 (handle null) when not.
    int Open(DWORD access, DWORD shareMode, DWORD creation, DWORD flagsAndAttributes);
    // Low 32 bits of the size.
    DWORD Size();
    DWORD Position();
    DWORD Seek(LONG distance, DWORD method);
    // Reads count bytes and unscrambles all count bytes of the buffer (it must hold count bytes),
    // the key starting again at its first character. With the pointer at the end of the file
    // (an empty file included) nothing is read: *bytesRead is 0 and the result 0.
    BOOL Read(void* buffer, DWORD count, DWORD* bytesRead);
    // Scrambles the caller's buffer in place, the key starting again at its first character, then
    // writes it: afterwards the buffer holds the scrambled bytes. Returns WriteFile's result.
    BOOL Write(void* buffer, DWORD count, DWORD* bytesWritten);
    // CloseHandle's result, or 0 when nothing was open.
    BOOL Close();
    // Closes a file still open; bit 0 of flags also frees the object (which must come from malloc).
    void Destroy(int flags);
};

// Writes count bytes, scrambled with key (none when null or empty), as the whole new content of the
// file at path, so that a reader only ever sees the old file or the new one, whole:
// - the bytes go to a temporary file beside path with a name of this save's own (path, then
//   ".", process id, time, a counter, ".tmp"), created new and unshared; a name that is already
//   taken, by anything (a symbolic link included), is never opened but passed over for another;
// - the temporary file is flushed to the disk and closed, then takes the place of path in one step.
//   ReplaceFileA keeps what it can of the old file: on Windows its attributes and security, natively
//   its permission bits. When there is no old file, the temporary file is renamed to path.
// On any failure the temporary file is removed and path is left as it was. bytes is not changed (a
// copy is scrambled). True when path holds the new content.
bool SaveScrambledFile(const char* path, const char* key, const void* bytes, size_t count);

// Reads the whole file at path, unscrambled with key, into a new buffer (from malloc: the caller
// frees it) of *length bytes and a terminator after them. Opened for reading only and sharing
// everything, so a save may replace the file meanwhile. Null when the file cannot be opened (*opened
// false) or read whole (*opened true).
char* LoadScrambledFile(const char* path, const char* key, size_t* length, bool* opened);
