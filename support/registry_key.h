// A thin layer over the registry for short text values (the login remembers its last user ID with
// it). Windows only.
#pragma once

#include <windows.h>
#include <stddef.h>

// One slot for an open key. Set key to null before the first use (or use RegistryKey{}) and Close
// it before the slot goes: the slot does not close itself.
struct RegistryKey {
    HKEY key;

    // Opens an existing key below root. False at once for a null root, and when the key is missing.
    bool Open(HKEY root, const char* path);
    // Opens the key, creating it and any missing parents first.
    bool Create(HKEY root, const char* path);
    // Stores text as REG_SZ under name, terminator included (an empty text stores one zero byte).
    // False when no key is open or the registry refuses.
    bool SetString(const char* text, const char* name);
    // Reads the REG_SZ value name into text (capacity characters, terminator included). With no key
    // open: false and text untouched. Otherwise text is emptied first; a missing value, a value of
    // another type (REG_EXPAND_SZ, REG_DWORD, REG_BINARY...) and a value of 256 bytes or more, or
    // longer than capacity holds, give false and leave it empty.
    bool GetString(char* text, size_t capacity, const char* name);
    // Closes the key if one is open; a second call does nothing.
    void Close();
};
