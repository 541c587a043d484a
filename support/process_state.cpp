#include "support/process_state.h"

#include <stdlib.h>

HINSTANCE appInstance = nullptr;
char startDirectory[MAX_PATH] = "";
char* documentText = nullptr;

void ReplaceDocumentText(char* text)
{
    if (documentText == text) return;
    free(documentText);
    documentText = text;
}

bool FileExists(const char* path)
{
    if (!path || !*path) return false;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA(path, &entry);
    if (find == INVALID_HANDLE_VALUE) return false;
    const DWORD passedOver = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    bool found = false;
    do {
        if (!(entry.dwFileAttributes & passedOver)) found = true;
    } while (!found && FindNextFileA(find, &entry));
    FindClose(find);
    return found;
}
