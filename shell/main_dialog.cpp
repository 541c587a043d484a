#include "shell/main_dialog.h"

#include "admin/admin_menu.h"
#include "shell/dialog_utils.h"
#include "support/process_state.h"
#include "shell/program_launch.h"
#include "shell/session.h"
#include "shell/shell_ids.h"
#include "support/bounded_text.h"
#include "support/picture.h"

#include <commctrl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int viewCycleIndex = 0;
bool nameSortAscending = true;
bool otherSortAscending = true;

namespace {

struct MenuBitmap {
    int command;
    const char* name;
};
const MenuBitmap menuBitmapNames[] = {
    {IDM_VIEW_REPORT, "VIEW_REPORT"}, {IDM_VIEW_LIST, "VIEW_LIST"}, {IDM_VIEW_ICON, "VIEW_ICON"},
    {IDC_MAIN_START, "VIEW_FUTTAT"},  {IDC_MAIN_ADMIN, "VIEW_ODBC"}, {IDC_MAIN_EXIT, "VIEW_EXIT"},
};
const int menuBitmapCount = sizeof menuBitmapNames / sizeof menuBitmapNames[0];
HBITMAP menuBitmaps[menuBitmapCount];

// View modes of SetListViewMode in the order the "Nézet" button walks them.
const int viewCycle[3] = {0, 1, 3};

struct Column {
    const char* header;
    int width;
};
const Column columns[4] = {{"Név", 300}, {"Adatbázis", 400}, {"Program", 200}, {"Program ID", 200}};

HWND ListOf(HWND dialog)
{
    return GetDlgItem(dialog, IDC_MAIN_LIST);
}

HICON LoadIconFile(const char* path)
{
    return static_cast<HICON>(LoadImageA(appInstance, path, IMAGE_ICON, 64, 64, LR_LOADFROMFILE | LR_LOADTRANSPARENT));
}

// Appends the item's icon to the image list; when neither its own icon nor default.ico loads, a
// blank image keeps the place, so that each item's image index stays the count of items before it.
void AppendItemImage(HIMAGELIST images, const ProgramEntry& entry)
{
    HICON icon = IsBlank(entry.iconFile) ? nullptr : LoadIconFile(entry.iconFile);
    if (!icon) icon = LoadIconFile("default.ico");
    int added = -1;
    if (icon) {
        added = ImageList_AddIcon(images, icon);
        DestroyIcon(icon);
    }
    if (added >= 0) return;
    int width = 32, height = 32;
    ImageList_GetIconSize(images, &width, &height);
    HDC screen = GetDC(nullptr);
    HBITMAP blank = CreateCompatibleBitmap(screen, width, height);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(memory, blank);
    RECT all = {0, 0, width, height};
    FillRect(memory, &all, GetSysColorBrush(COLOR_WINDOW));
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    ImageList_Add(images, blank, nullptr);
    DeleteObject(blank);
}

// Inserts one item at the end of the list for entry; its image is the itemIndex-th of the image list.
bool AddProgramItem(HWND list, HIMAGELIST images, const ProgramEntry& entry, int itemIndex)
{
    ProgramItemData* data = static_cast<ProgramItemData*>(calloc(1, sizeof(ProgramItemData)));
    if (!data) return false;
    CopyText(data->alias, entry.alias);
    CopyText(data->fullPath, entry.fullPath);
    CopyText(data->description, entry.description);
    CopyText(data->iconFile, entry.iconFile);
    CopyText(data->id, entry.id);
    AppendItemImage(images, entry);

    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = itemIndex;
    item.pszText = const_cast<char*>(entry.description);
    item.iImage = itemIndex;
    item.lParam = reinterpret_cast<LPARAM>(data);
    int inserted = (int)SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    if (inserted < 0) {
        // Without its item the image would shift the images of every later item by one.
        ImageList_Remove(images, ImageList_GetImageCount(images) - 1);
        free(data);
        return false;
    }
    const char* texts[3] = {entry.alias, entry.fullPath, entry.id};
    for (int column = 1; column <= 3; column++) {
        LVITEMA sub = {};
        sub.iSubItem = column;
        sub.pszText = const_cast<char*>(texts[column - 1]);
        SendMessageA(list, LVM_SETITEMTEXTA, inserted, reinterpret_cast<LPARAM>(&sub));
    }
    return true;
}

const ProgramEntry* FindProgram(const char* id, size_t idLength)
{
    for (int i = 0; i < session.programCount; i++) {
        const ProgramEntry& entry = session.programs[i];
        if (strlen(entry.id) == idLength && memcmp(entry.id, id, idLength) == 0) return &entry;
    }
    return nullptr;
}

void SortList(HWND list, int column)
{
    SendMessageA(list, LVM_SORTITEMS, column, reinterpret_cast<LPARAM>(CompareProgramItems));
    if (column == 0) nameSortAscending = !nameSortAscending;
    else otherSortAscending = !otherSortAscending;
}

void InitMainDialog(HWND dialog)
{
    SetUpProgramList(dialog, IDC_MAIN_LIST);
    FillProgramList(dialog);

    HMENU menu = LoadMenuA(appInstance, "MARVITELKON");
    SetMenu(dialog, menu);

    char caption[sizeof session.header + 3 + sizeof session.userName];
    snprintf(caption, sizeof caption, "%s - %s", session.header, session.userName);
    SetWindowTextA(dialog, caption);

    for (int i = 0; i < menuBitmapCount; i++) {
        menuBitmaps[i] = LoadBitmapA(appInstance, menuBitmapNames[i].name);
        SetMenuItemBitmaps(menu, menuBitmapNames[i].command, MF_BYCOMMAND, menuBitmaps[i], menuBitmaps[i]);
    }
    if (!session.isAdmin) EnableMenuItem(menu, IDC_MAIN_ADMIN, MF_BYCOMMAND | MF_DISABLED);
    DrawMenuBar(dialog);

    HANDLE smallIcon = LoadImageA(appInstance, "AA_MARVITELKON", IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                  GetSystemMetrics(SM_CYSMICON), 0);
    SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));

    ShowWindow(GetDlgItem(dialog, IDC_MAIN_ADMIN), session.isAdmin ? SW_SHOW : SW_HIDE);
    SetListViewMode(ListOf(dialog), 0);

    AddToolTip(dialog, IDC_MAIN_ADMIN, "A marvitelkont elindító felhasználók jogainak beállítása.", TTF_SUBCLASS);
    AddToolTip(dialog, IDC_MAIN_VIEW, "A lista nézetének beállítása.", TTF_SUBCLASS);
    AddToolTip(dialog, IDC_MAIN_START, "A kiválasztott program indítása.", TTF_SUBCLASS);
    AddToolTip(dialog, IDC_MAIN_LIST, "A kiválasztott program indítása dupla kattintással.", TTF_SUBCLASS);
}

// Frees what WM_INITDIALOG made beyond the window itself: the menu bitmaps and the small icon.
void ReleaseMainDialog(HWND dialog)
{
    for (HBITMAP& bitmap : menuBitmaps) {
        if (bitmap) DeleteObject(bitmap);
        bitmap = nullptr;
    }
    HICON smallIcon = reinterpret_cast<HICON>(SendMessageA(dialog, WM_GETICON, ICON_SMALL, 0));
    if (smallIcon) DestroyIcon(smallIcon);
}

void OnCommand(HWND dialog, int command)
{
    HWND list = ListOf(dialog);
    switch (command) {
    case IDC_MAIN_START: LaunchFocusedProgram(dialog); break;
    case IDC_MAIN_VIEW:
        viewCycleIndex = viewCycleIndex >= 2 ? 0 : viewCycleIndex + 1;
        SetListViewMode(list, viewCycle[viewCycleIndex]);
        break;
    case IDM_VIEW_REPORT: SetListViewMode(list, 1); break;
    case IDM_VIEW_LIST: SetListViewMode(list, 3); break;
    case IDM_VIEW_ICON: SetListViewMode(list, 0); break;
    case IDC_MAIN_EXIT: EndDialog(dialog, 0); break;
    default:
        if (IsAdminCommand(command)) HandleAdminCommand(dialog, command);
        break;
    }
}

void OnListNotify(HWND dialog, const NMHDR* header)
{
    switch (header->code) {
    case LVN_COLUMNCLICK:
        SortList(header->hwndFrom, reinterpret_cast<const NMLISTVIEW*>(header)->iSubItem);
        break;
    case LVN_DELETEITEM:
        free(reinterpret_cast<ProgramItemData*>(reinterpret_cast<const NMLISTVIEW*>(header)->lParam));
        break;
    case NM_DBLCLK: LaunchFocusedProgram(dialog); break;
    default: break;
    }
}

}  // namespace

void ResetMainWindowState()
{
    viewCycleIndex = 0;
    nameSortAscending = true;
    otherSortAscending = true;
}

void SetUpProgramList(HWND dialog, int listId)
{
    HWND list = GetDlgItem(dialog, listId);
    if (FileExists("Marvitelkon.jpg")) {
        // The list view owns the bitmap from here on.
        LVBKIMAGEA background = {};
        background.ulFlags = LVBKIF_SOURCE_HBITMAP;
        background.hbm = LoadPicture("Marvitelkon.jpg");
        background.xOffsetPercent = 50;
        background.yOffsetPercent = 50;
        if (!SendMessageA(list, LVM_SETBKIMAGEA, 0, reinterpret_cast<LPARAM>(&background)) && background.hbm)
            DeleteObject(background.hbm);
    }
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_TRACKSELECT);
    for (int i = 0; i < 4; i++) {
        LVCOLUMNA column = {};
        column.mask = LVCF_FMT | LVCF_TEXT;
        column.fmt = LVCFMT_LEFT;
        column.pszText = const_cast<char*>(columns[i].header);
        SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
        SendMessageA(list, LVM_SETCOLUMNWIDTH, i, columns[i].width);
    }
}

void FillProgramList(HWND dialog)
{
    HWND list = ListOf(dialog);
    SetFocus(list);
    HIMAGELIST images = ImageList_Create(32, 32, ILC_COLOR16, session.programCount, 0);
    ImageList_SetBkColor(images, GetSysColor(COLOR_WINDOW));
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);

    // Each ID of the permitted list ends with ";"; text after the last ";" is not an ID.
    int added = 0;
    const char* id = session.permittedPrograms;
    for (const char* end = strchr(id, ';'); end; id = end + 1, end = strchr(id, ';')) {
        const ProgramEntry* entry = FindProgram(id, (size_t)(end - id));
        if (entry && AddProgramItem(list, images, *entry, added)) added++;
    }

    HIMAGELIST previous = reinterpret_cast<HIMAGELIST>(
        SendMessageA(list, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(images)));
    if (previous && previous != images) ImageList_Destroy(previous);

    SortList(list, 0);

    LVITEMA state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
}

int CALLBACK CompareProgramItems(LPARAM item1, LPARAM item2, LPARAM sortColumn)
{
    const ProgramItemData* first = reinterpret_cast<const ProgramItemData*>(item1);
    const ProgramItemData* second = reinterpret_cast<const ProgramItemData*>(item2);
    if (!first || !second) return 1;
    bool ascending = sortColumn == 0 ? nameSortAscending : otherSortAscending;
    if (!ascending) {
        const ProgramItemData* swap = first;
        first = second;
        second = swap;
    }
    switch (sortColumn) {
    case 0: return lstrcmpiA(first->description, second->description);
    case 1: return lstrcmpiA(first->alias, second->alias);
    case 2: return lstrcmpiA(first->fullPath, second->fullPath);
    default: return lstrcmpiA(first->id, second->id);
    }
}

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: InitMainDialog(dialog); break;
    case WM_COMMAND: OnCommand(dialog, LOWORD(wParam)); break;
    case WM_NOTIFY:
        if (wParam == IDC_MAIN_LIST) OnListNotify(dialog, reinterpret_cast<const NMHDR*>(lParam));
        break;
    case WM_CLOSE: EndDialog(dialog, 0); break;
    case WM_DESTROY: ReleaseMainDialog(dialog); break;
    default: break;
    }
    return 0;
}
