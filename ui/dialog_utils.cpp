#include "ui/dialog_utils.h"

#include "support/process_state.h"
#include "support/bounded_text.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>

namespace {

const char AllFilesFilter[] = "Összes fájl\0*.*\0";
// The open chooser takes an existing file; the save chooser also a new name, and asks before it
// lets an existing file be overwritten.
const DWORD OpenChooserFlags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
const DWORD SaveChooserFlags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
// A whole path: with less room the chooser fails on a long path as if it had been cancelled.
const int ChooserNameSize = MAX_PATH;

char saveResult[MAX_PATH];
char openResult[MAX_PATH];
char folderResult[MAX_PATH];

// Opens the folder chooser at the folder its caller gave (lParam).
int CALLBACK StartFolderChooser(HWND chooser, UINT message, LPARAM, LPARAM folder)
{
    if (message == BFFM_INITIALIZED && folder) SendMessageA(chooser, BFFM_SETSELECTIONA, TRUE, folder);
    return 0;
}

typedef BOOL(APIENTRY* ChooserFunction)(LPOPENFILENAMEA);

// Shows one chooser and leaves its path, or an empty text, in result.
const char* RunChooser(ChooserFunction show, DWORD flags, char* result, size_t resultSize, HWND owner,
                       HINSTANCE instance, const char* initialDirectory, const char* title, const char* filter)
{
    char name[ChooserNameSize] = "";
    char fileTitle[ChooserNameSize] = "";
    OPENFILENAMEA chooser = {};
    // The record without the fields added after version 4 of the common dialogs.
    chooser.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    chooser.hwndOwner = owner;
    chooser.hInstance = instance;
    chooser.lpstrFilter = filter;
    chooser.nFilterIndex = 1;
    chooser.lpstrFile = name;
    chooser.nMaxFile = sizeof name;
    chooser.lpstrFileTitle = fileTitle;
    chooser.nMaxFileTitle = sizeof fileTitle;
    chooser.lpstrInitialDir = initialDirectory;
    chooser.lpstrTitle = title;
    chooser.Flags = flags;
    if (show(&chooser)) {
        CopyText(result, resultSize, name);
    } else {
        result[0] = '\0';
    }
    return result;
}

}  // namespace

HWND AddToolTip(HWND dialog, int controlId, const char* text, UINT extraFlags)
{
    if (controlId == 0 || !dialog || !text) return nullptr;
    HWND control = GetDlgItem(dialog, controlId);
    HWND tip = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_BALLOON | TTS_ALWAYSTIP, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr, appInstance, nullptr);
    if (!control || !tip) {
        // A tooltip without its control would only linger until the dialog goes.
        if (tip) DestroyWindow(tip);
        return nullptr;
    }
    TOOLINFOA tool = {};
    // The first version of the record: comctl32 takes it from every version on.
    tool.cbSize = TTTOOLINFOA_V1_SIZE;
    tool.uFlags = extraFlags | TTF_IDISHWND;
    tool.hwnd = dialog;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.hinst = appInstance;
    tool.lpszText = const_cast<char*>(text);
    SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    return tip;
}

char* GetControlText(HWND dialog, int controlId, char* buffer, int bufferSize)
{
    if (bufferSize <= 0) return buffer;
    HWND control = GetDlgItem(dialog, controlId);
    if (!control) {
        buffer[0] = '\0';
        return buffer;
    }
    LRESULT count = SendMessageA(control, WM_GETTEXT, bufferSize, reinterpret_cast<LPARAM>(buffer));
    if (count < 0) count = 0;
    if (count > bufferSize - 1) count = bufferSize - 1;
    buffer[count] = '\0';
    return buffer;
}

LRESULT SetControlText(HWND dialog, int controlId, const char* text)
{
    return SendDlgItemMessageA(dialog, controlId, WM_SETTEXT, text ? lstrlenA(text) : 0,
                               reinterpret_cast<LPARAM>(text));
}

void SetListCheck(HWND list, int item, int checked)
{
    LVITEMA state = {};
    state.stateMask = LVIS_STATEIMAGEMASK;
    state.state = INDEXTOSTATEIMAGEMASK(checked + 1);
    SendMessageA(list, LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&state));
}

void SetListViewMode(HWND list, DWORD mode)
{
    LONG_PTR style = GetWindowLongPtrA(list, GWL_STYLE);
    if ((DWORD)(style & LVS_TYPEMASK) == mode) return;
    SetWindowLongPtrA(list, GWL_STYLE, (style & ~(LONG_PTR)LVS_TYPEMASK) | (mode & LVS_TYPEMASK));
    // Wine's list view lays the items out anew but does not repaint what the old view drew.
    InvalidateRect(list, nullptr, TRUE);
}

const char* ChooseSaveFile(HWND owner, HINSTANCE instance, const char* initialDirectory, const char* title)
{
    return RunChooser(GetSaveFileNameA, SaveChooserFlags, saveResult, sizeof saveResult, owner, instance,
                      initialDirectory, title ? title : "Fájl mentés", AllFilesFilter);
}

const char* ChooseOpenFile(HWND owner, HINSTANCE instance, const char* initialDirectory, const char* title,
                           const char* filter)
{
    return RunChooser(GetOpenFileNameA, OpenChooserFlags, openResult, sizeof openResult, owner, instance,
                      initialDirectory, title ? title : "Fálj kiválasztás", filter ? filter : AllFilesFilter);
}

const char* ChooseFolder(HWND owner, const char* initialFolder, const char* title)
{
    folderResult[0] = '\0';
    // The chooser's newer look needs COM on this thread.
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    BROWSEINFOA request = {};
    request.hwndOwner = owner;
    request.lpszTitle = title;
    request.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    request.lpfn = StartFolderChooser;
    request.lParam = reinterpret_cast<LPARAM>(initialFolder && *initialFolder ? initialFolder : nullptr);
    LPITEMIDLIST chosen = SHBrowseForFolderA(&request);
    char path[MAX_PATH];
    if (chosen && SHGetPathFromIDListA(chosen, path)) CopyText(folderResult, path);
    if (chosen) CoTaskMemFree(chosen);
    if (SUCCEEDED(com)) CoUninitialize();
    return folderResult;
}

void LockForRun(HWND dialog, bool locked, std::initializer_list<int> fields, std::initializer_list<int> runControls,
                int progressId, int startId)
{
    for (int id : fields) EnableWindow(GetDlgItem(dialog, id), !locked);
    EnableMenuItem(GetSystemMenu(dialog, FALSE), SC_CLOSE, MF_BYCOMMAND | (locked ? MF_GRAYED : MF_ENABLED));
    SendDlgItemMessageA(dialog, progressId, PBM_SETPOS, 0, 0);
    for (int id : runControls) {
        ShowWindow(GetDlgItem(dialog, id), locked ? SW_SHOW : SW_HIDE);
        EnableWindow(GetDlgItem(dialog, id), locked);
    }
    if (!locked) SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, startId)), TRUE);
}
