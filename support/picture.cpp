#include "support/picture.h"

#include "support/process_state.h"
#include "support/bounded_text.h"

#include <ole2.h>
#include <olectl.h>
#include <string.h>

namespace {

// Extensions of the OLE branch, each compared with the end of the lower-case name.
const char* const OleExtensions[] = {".gif", ".jpg", ".jpeg"};

bool EndsWith(const char* text, size_t length, const char* tail)
{
    size_t tailLength = strlen(tail);
    return length >= tailLength && memcmp(text + length - tailLength, tail, tailLength) == 0;
}

bool TakesOleBranch(const char* path)
{
    char lower[MAX_PATH];
    // A name too long for MAX_PATH cannot be opened anyway; its extension is still looked at.
    const char* name = path;
    size_t length = strlen(path);
    if (length >= sizeof lower) {
        name += length - (sizeof lower - 1);
        length = sizeof lower - 1;
    }
    CopyText(lower, name);
    CharLowerA(lower);
    for (const char* extension : OleExtensions) {
        if (EndsWith(lower, length, extension)) return true;
    }
    return false;
}

void ShowPictureError(const char* text)
{
    MessageBoxA(nullptr, text, "Hiba", MB_ICONERROR);
}

// Closes the file handle when the function leaves, whichever way.
struct FileGuard {
    HANDLE file;
    ~FileGuard() { Close(); }
    void Close()
    {
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
        file = INVALID_HANDLE_VALUE;
    }
};

}  // namespace

HBITMAP LoadOlePicture(const char* path)
{
    FileGuard file{CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN,
                               nullptr)};
    if (file.file == INVALID_HANDLE_VALUE) {
        ShowPictureError("A kép megnyitása sikertelen!");
        return nullptr;
    }
    DWORD size = GetFileSize(file.file, nullptr);
    if (size == INVALID_FILE_SIZE) {
        ShowPictureError("A fájlméret betöltése sikertelen!");
        return nullptr;
    }
    // Movable, as the stream over it needs; zero-filled.
    HGLOBAL block = GlobalAlloc(GHND, size);
    if (!block) {
        ShowPictureError("Memória allokálás hiba!");
        return nullptr;
    }
    // An empty file reads as nothing (a block of size 0 has no address); the decoder then refuses it.
    DWORD read = 0;
    void* bytes = size ? GlobalLock(block) : nullptr;
    BOOL readOk = size == 0 || (bytes && ReadFile(file.file, bytes, size, &read, nullptr) && read == size);
    if (bytes) GlobalUnlock(block);
    if (!readOk) {
        ShowPictureError("A kép beolvasása sikertelen!");
        GlobalFree(block);
        return nullptr;
    }
    file.Close();

    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(block, FALSE, &stream)) || !stream) {
        ShowPictureError("Hiba a stream objektum létrehozásakor!");
        GlobalFree(block);
        return nullptr;
    }
    IPicture* picture = nullptr;
    HRESULT decoded = OleLoadPicture(stream, 0, FALSE, IID_IPicture, reinterpret_cast<void**>(&picture));
    stream->Release();
    GlobalFree(block);
    if (FAILED(decoded) || !picture) {
        ShowPictureError("Hibás IPicture pointer létrehozás!");
        return nullptr;
    }

    // The picture owns its bitmap; the caller gets a copy that outlives it.
    OLE_HANDLE handle = 0;
    HBITMAP copy = nullptr;
    if (SUCCEEDED(picture->get_Handle(&handle)) && handle) {
        copy = static_cast<HBITMAP>(CopyImage(reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(handle)), IMAGE_BITMAP,
                                              0, 0, 0));
    }
    picture->Release();
    return copy;
}

HBITMAP LoadPicture(const char* path)
{
    if (!path || !path[0] || !FileExists(path)) return nullptr;
    if (TakesOleBranch(path)) return LoadOlePicture(path);

    FileGuard file{CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_READONLY,
                               nullptr)};
    if (file.file == INVALID_HANDLE_VALUE) return nullptr;
    BITMAPFILEHEADER fileHeader;
    BITMAPINFOHEADER infoHeader;
    DWORD read = 0;
    if (!ReadFile(file.file, &fileHeader, sizeof fileHeader, &read, nullptr) || read != sizeof fileHeader) {
        return nullptr;
    }
    // Without the whole information header the file gives no size to load at: refused.
    if (!ReadFile(file.file, &infoHeader, sizeof infoHeader, &read, nullptr) || read != sizeof infoHeader) {
        return nullptr;
    }
    HBITMAP bitmap = static_cast<HBITMAP>(LoadImageA(appInstance, path, IMAGE_BITMAP, infoHeader.biWidth,
                                                     infoHeader.biHeight,
                                                     LR_LOADFROMFILE | LR_LOADTRANSPARENT | LR_LOADMAP3DCOLORS |
                                                         LR_CREATEDIBSECTION));
    file.Close();
    return bitmap;
}
