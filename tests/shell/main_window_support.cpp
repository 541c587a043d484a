#include "tests/shell/main_window_support.h"

#include "shell/main_dialog.h"
#include "config/session.h"
#include "shell/shell_ids.h"
#include "support/bounded_text.h"
#include "tests/harness/message_box_capture.h"

#include <commctrl.h>
#include <stdlib.h>
#include <string.h>

void SetUpSession(const std::vector<TestProgram>& programs, const std::string& permitted, bool isAdmin,
                  const std::string& header, const std::string& userName)
{
    ClearSession();
    session.programCount = static_cast<int>(programs.size());
    session.programs = static_cast<ProgramEntry*>(calloc(programs.size() + 1, sizeof(ProgramEntry)));
    for (size_t i = 0; i < programs.size(); i++) {
        ProgramEntry& entry = session.programs[i];
        CopyText(entry.id, programs[i].id.c_str());
        CopyText(entry.description, programs[i].description.c_str());
        CopyText(entry.fullPath, programs[i].fullPath.c_str());
        CopyText(entry.alias, programs[i].alias.c_str());
        CopyText(entry.iconFile, programs[i].iconFile.c_str());
    }
    CopyText(session.userId, "TESZT");
    CopyText(session.password, "JELSZO");
    CopyText(session.userName, userName.c_str());
    CopyText(session.header, header.c_str());
    CopyText(session.permittedPrograms, permitted.c_str());
    session.isAdmin = isAdmin;
}

void ClearSession()
{
    free(session.programs);
    memset(&session, 0, sizeof session);
}

INT_PTR RunMainWindow(DialogSteps steps)
{
    return RunDialog("MARVITELKON", MainDialogProc, 0, std::move(steps));
}

HWND MainList(HWND dialog)
{
    return GetDlgItem(dialog, IDC_MAIN_LIST);
}

std::string SolidIconFile(COLORREF colour, int side)
{
    const DWORD pixelBytes = side * side * 4, maskBytes = (side + 31) / 32 * 4 * side;
    std::string file;
    auto put16 = [&](WORD value) { file.append(reinterpret_cast<const char*>(&value), 2); };
    auto put32 = [&](DWORD value) { file.append(reinterpret_cast<const char*>(&value), 4); };
    // ICONDIR and its one entry.
    put16(0);
    put16(1);
    put16(1);
    file += static_cast<char>(side);
    file += static_cast<char>(side);
    file += '\0';
    file += '\0';
    put16(1);
    put16(32);
    put32(sizeof(BITMAPINFOHEADER) + pixelBytes + maskBytes);
    put32(6 + 16);
    // The image: header (height counts the mask too), bottom-up BGRA rows, an all-opaque mask.
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = side;
    info.biHeight = side * 2;
    info.biPlanes = 1;
    info.biBitCount = 32;
    file.append(reinterpret_cast<const char*>(&info), sizeof info);
    for (int i = 0; i < side * side; i++) {
        file += static_cast<char>(GetBValue(colour));
        file += static_cast<char>(GetGValue(colour));
        file += static_cast<char>(GetRValue(colour));
        file += static_cast<char>(0xFF);
    }
    file.append(maskBytes, '\0');
    return file;
}

COLORREF ImageCentreColour(HIMAGELIST images, int index)
{
    int width = 0, height = 0;
    ImageList_GetIconSize(images, &width, &height);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC memory = CreateCompatibleDC(nullptr);
    HBITMAP target = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, target);
    RECT all = {0, 0, width, height};
    HBRUSH magenta = CreateSolidBrush(RGB(255, 0, 255));
    FillRect(memory, &all, magenta);
    DeleteObject(magenta);
    ImageList_Draw(images, index, memory, 0, 0, ILD_NORMAL);
    GdiFlush();
    const BYTE* pixel = static_cast<const BYTE*>(bits) + ((height / 2) * width + width / 2) * 4;
    COLORREF colour = RGB(pixel[2], pixel[1], pixel[0]);
    SelectObject(memory, old);
    DeleteObject(target);
    DeleteDC(memory);
    return colour;
}

bool SameColour(COLORREF a, COLORREF b, int tolerance)
{
    return abs(GetRValue(a) - GetRValue(b)) <= tolerance && abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

std::vector<HWND> ThreadWindowsOfClass(const char* className)
{
    struct Search {
        const char* className;
        std::vector<HWND> found;
    } search{className, {}};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            char name[64] = "";
            GetClassNameA(window, name, sizeof name);
            if (_stricmp(name, s->className) == 0) s->found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

namespace {

typedef void*(__cdecl* CallocFunction)(size_t, size_t);
typedef void(__cdecl* FreeFunction)(void*);

struct WatchedBlock {
    void* block;
    bool freed;
};
// Fixed room: the replacements run inside calloc and free and must not allocate themselves.
const int maxWatchedBlocks = 4096;
WatchedBlock watched[maxWatchedBlocks];
int watchedCount = 0;
int freedCount = 0;
CallocFunction originalCalloc = nullptr;
FreeFunction originalFree = nullptr;

void* __cdecl WatchingCalloc(size_t count, size_t size)
{
    void* block = originalCalloc(count, size);
    if (block && count * size == sizeof(ProgramItemData) && watchedCount < maxWatchedBlocks)
        watched[watchedCount++] = {block, false};
    return block;
}

void __cdecl WatchingFree(void* block)
{
    if (block) {
        for (int i = watchedCount - 1; i >= 0; i--) {
            if (watched[i].block != block) continue;
            if (!watched[i].freed) {
                watched[i].freed = true;
                freedCount++;
            }
            break;
        }
    }
    originalFree(block);
}

}  // namespace

ItemRecordWatch::ItemRecordWatch()
{
    watchedCount = 0;
    freedCount = 0;
    originalCalloc = reinterpret_cast<CallocFunction>(
        ReplaceImport("msvcrt.dll", "calloc", reinterpret_cast<void*>(&WatchingCalloc)));
    originalFree =
        reinterpret_cast<FreeFunction>(ReplaceImport("msvcrt.dll", "free", reinterpret_cast<void*>(&WatchingFree)));
}

ItemRecordWatch::~ItemRecordWatch()
{
    if (originalCalloc) ReplaceImport("msvcrt.dll", "calloc", reinterpret_cast<void*>(originalCalloc));
    if (originalFree) ReplaceImport("msvcrt.dll", "free", reinterpret_cast<void*>(originalFree));
}

bool ItemRecordWatch::Active() const
{
    return originalCalloc && originalFree;
}

int ItemRecordWatch::Allocated() const
{
    return watchedCount;
}

int ItemRecordWatch::Freed() const
{
    return freedCount;
}

bool ItemRecordWatch::WasFreed(const void* block) const
{
    for (int i = watchedCount - 1; i >= 0; i--)
        if (watched[i].block == block) return watched[i].freed;
    return false;
}
