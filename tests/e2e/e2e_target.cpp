// e2e_target.exe: a small program for the driver's own tests, showing what the launcher shows
// (message boxes, a dialog box with an edit field, buttons and a list view) with known contents.
//
//   e2e_target.exe msgbox STYLE CAPTION TEXT   MessageBoxA(null, TEXT, CAPTION, STYLE (hex));
//                                              the exit status is the button pressed
//   e2e_target.exe dialog                      the dialog below; the exit status is the EndDialog value
//
// The dialog "E2E célablak": edit 201 (upper case, at most 8 characters), list view 106 (report
// view, check boxes, columns "Név" and "Betű", items "Első"/"a" (image 5, ticked), "Második"/"b"
// (image 6), "Harmadik"/"c" (image 7), the second selected and focused), button 104 "&Program
// indítás" that sets the caption to "104:" and the focused item's index, button 105 "&Kilép"
// that ends the dialog with 105; the close box ends it with 0.
#include <windows.h>
#include <commctrl.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

const int EditId = 201;
const int ListId = 106;
const int StartId = 104;
const int ExitId = 105;

void AddItem(HWND list, int index, const char* name, const char* letter, int image)
{
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = index;
    item.pszText = const_cast<char*>(name);
    item.iImage = image;
    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    item.mask = LVIF_TEXT;
    item.iSubItem = 1;
    item.pszText = const_cast<char*>(letter);
    SendMessageA(list, LVM_SETITEMTEXTA, index, reinterpret_cast<LPARAM>(&item));
}

void AddColumn(HWND list, int index, const char* header, int width)
{
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = const_cast<char*>(header);
    column.cx = width;
    SendMessageA(list, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&column));
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowTextA(dialog, "E2E célablak");
        HWND edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_UPPERCASE, 10, 10, 120, 20,
                                    dialog, reinterpret_cast<HMENU>(EditId), instance, nullptr);
        SendMessageA(edit, EM_LIMITTEXT, 8, 0);
        HWND list = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT | LVS_SHOWSELALWAYS,
                                    10, 40, 300, 150, dialog, reinterpret_cast<HMENU>(ListId), instance, nullptr);
        SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_CHECKBOXES);
        AddColumn(list, 0, "Név", 150);
        AddColumn(list, 1, "Betű", 60);
        AddItem(list, 0, "Első", "a", 5);
        AddItem(list, 1, "Második", "b", 6);
        AddItem(list, 2, "Harmadik", "c", 7);
        ListView_SetCheckState(list, 0, TRUE);
        ListView_SetItemState(list, 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        CreateWindowExA(0, "BUTTON", "&Program indítás", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 320, 10, 120, 24,
                        dialog, reinterpret_cast<HMENU>(StartId), instance, nullptr);
        CreateWindowExA(0, "BUTTON", "&Kilép", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 320, 40, 120, 24, dialog,
                        reinterpret_cast<HMENU>(ExitId), instance, nullptr);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == StartId) {
            char caption[32];
            int focused = static_cast<int>(SendDlgItemMessageA(dialog, ListId, LVM_GETNEXTITEM, -1, LVNI_FOCUSED));
            snprintf(caption, sizeof caption, "104:%d", focused);
            SetWindowTextA(dialog, caption);
        } else if (LOWORD(wParam) == ExitId) {
            EndDialog(dialog, ExitId);
        }
        return TRUE;
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

int ShowDialog()
{
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&classes);
    // An empty in-memory template: no menu, the standard class, no caption, no controls.
    struct alignas(4) Template {
        DLGTEMPLATE header;
        WORD menu, windowClass, title;
    } dialogTemplate = {};
    dialogTemplate.header.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_MODALFRAME | DS_CENTER;
    dialogTemplate.header.cx = 300;
    dialogTemplate.header.cy = 140;
    return static_cast<int>(
        DialogBoxIndirectParamA(GetModuleHandleA(nullptr), &dialogTemplate.header, nullptr, DialogProc, 0));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && strcmp(argv[1], "msgbox") == 0)
        return MessageBoxA(nullptr, argv[4], argv[3], static_cast<UINT>(strtoul(argv[2], nullptr, 16)));
    if (argc == 2 && strcmp(argv[1], "dialog") == 0) return ShowDialog();
    return 2;
}
