#include "support/registry_key.h"

#include "support/bounded_text.h"

#include <string.h>

namespace {

// The reader's own buffer: at most 255 characters and the terminator.
const DWORD ValueBufferSize = 256;

}  // namespace

bool RegistryKey::Open(HKEY root, const char* path)
{
    if (!root) return false;
    return RegOpenKeyA(root, path, &key) == ERROR_SUCCESS;
}

bool RegistryKey::Create(HKEY root, const char* path)
{
    if (!root) return false;
    return RegCreateKeyA(root, path, &key) == ERROR_SUCCESS;
}

bool RegistryKey::SetString(const char* text, const char* name)
{
    if (!key) return false;
    if (!text) text = "";
    DWORD size = (DWORD)strlen(text) + 1;
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), size) == ERROR_SUCCESS;
}

bool RegistryKey::GetString(char* text, size_t capacity, const char* name)
{
    if (!key) return false;
    if (capacity > 0) text[0] = '\0';

    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ) {
        return false;
    }

    // The second query gets the buffer's own size, not the one just reported: a value that does not
    // fit fails with ERROR_MORE_DATA instead of being written past the buffer.
    char buffer[ValueBufferSize];
    DWORD got = ValueBufferSize;
    bool ok = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &got) == ERROR_SUCCESS &&
              type == REG_SZ;
    if (ok) {
        // Data stored without its terminator is terminated here; a full buffer must hold its own.
        if (got < ValueBufferSize) {
            buffer[got] = '\0';
        } else if (buffer[ValueBufferSize - 1] != '\0') {
            ok = false;
        }
    }
    if (ok && TextFits(buffer, capacity)) {
        CopyText(text, capacity, buffer);
    } else {
        ok = false;
    }
    return ok;
}

void RegistryKey::Close()
{
    if (!key) return;
    RegCloseKey(key);
    key = nullptr;
}
