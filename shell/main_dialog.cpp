#include "shell/main_dialog.h"

#include "admin/admin_menu.h"
#include "ui/dialog_utils.h"
#include "shell/icon_pixels.h"
#include "support/process_state.h"
#include "shell/program_launch.h"
#include "config/session.h"
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

// Edge of the list's images, in pixels.
const int imageSize = 32;

// Draws the icon of a file into one image slot of strip (a 32-bit bitmap selected into memory whose
// bits are pixels, imageSize high, stride pixels wide) at column x. The image of the list's size is
// read from the file directly where it can be; otherwise the file is loaded as an icon at that size.
// False when the file gives no icon.
bool DrawIconFile(HDC memory, uint32_t* pixels, int stride, int x, const char* path, uint32_t background)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN,
                              nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        // Icon files of more than a megabyte are left to the window system.
        static unsigned char bytes[1 << 20];
        DWORD size = GetFileSize(file, nullptr), read = 0;
        bool whole = size != INVALID_FILE_SIZE && size <= sizeof bytes && ReadFile(file, bytes, size, &read, nullptr) &&
                     read == size;
        CloseHandle(file);
        uint32_t image[imageSize * imageSize];
        if (whole && DecodeIconPixels(bytes, size, imageSize, background, image)) {
            for (int y = 0; y < imageSize; y++)
                memcpy(pixels + static_cast<size_t>(y) * stride + x, image + y * imageSize, imageSize * sizeof(uint32_t));
            return true;
        }
    }
    HICON icon = static_cast<HICON>(
        LoadImageA(appInstance, path, IMAGE_ICON, imageSize, imageSize, LR_LOADFROMFILE | LR_LOADTRANSPARENT));
    if (!icon) return false;
    GdiFlush();
    DrawIconEx(memory, x, 0, icon, imageSize, imageSize, 0, nullptr, DI_NORMAL);
    GdiFlush();
    DestroyIcon(icon);
    return true;
}

// Adds the images of the items, in item order, to the image list in one step: each item's own icon,
// else "default.ico", else a blank image that keeps the place, so that each item's image index stays
// the count of items before it. Drawing all of them into one bitmap spares the image list a
// conversion per icon.
void AddItemImages(HIMAGELIST images, const ProgramEntry* const* items, int count)
{
    if (count <= 0) return;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = imageSize * count;
    info.bmiHeader.biHeight = -imageSize;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC memory = CreateCompatibleDC(nullptr);
    HBITMAP strip = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!memory || !strip || !bits) {
        if (strip) DeleteObject(strip);
        if (memory) DeleteDC(memory);
        return;
    }
    HGDIOBJ old = SelectObject(memory, strip);
    COLORREF window = GetSysColor(COLOR_WINDOW);
    uint32_t background = static_cast<uint32_t>(GetRValue(window)) << 16 | GetGValue(window) << 8 | GetBValue(window);
    uint32_t* pixels = static_cast<uint32_t*>(bits);
    const int stride = imageSize * count;
    for (size_t i = 0; i < static_cast<size_t>(stride) * imageSize; i++) pixels[i] = background;
    for (int i = 0; i < count; i++) {
        const ProgramEntry& entry = *items[i];
        int x = i * imageSize;
        if (IsBlank(entry.iconFile) || !DrawIconFile(memory, pixels, stride, x, entry.iconFile, background))
            DrawIconFile(memory, pixels, stride, x, "default.ico", background);
    }
    SelectObject(memory, old);
    DeleteDC(memory);
    ImageList_Add(images, strip, nullptr);
    DeleteObject(strip);
}

// Inserts one item at the end of the list for entry; its image is the itemIndex-th of the image list.
bool AddProgramItem(HWND list, const ProgramEntry& entry, int itemIndex)
{
    ProgramItemData* data = static_cast<ProgramItemData*>(calloc(1, sizeof(ProgramItemData)));
    if (!data) return false;
    CopyText(data->alias, entry.alias);
    CopyText(data->fullPath, entry.fullPath);
    CopyText(data->description, entry.description);
    CopyText(data->iconFile, entry.iconFile);
    CopyText(data->id, entry.id);

    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = itemIndex;
    item.pszText = const_cast<char*>(entry.description);
    item.iImage = itemIndex;
    item.lParam = reinterpret_cast<LPARAM>(data);
    int inserted = (int)SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    if (inserted < 0) {
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
    case IDC_MAIN_ADMIN: {
        // The menu bar item and the button both open the menu beside the button.
        RECT button = {};
        GetWindowRect(GetDlgItem(dialog, IDC_MAIN_ADMIN), &button);
        ShowAdminMenu(dialog, button);
        break;
    }
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

    // Each ID of the permitted list ends with ";"; text after the last ";" is not an ID. The list is
    // not redrawn while it fills, and the images of the items are added in one step afterwards.
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    const ProgramEntry* items[sizeof session.permittedPrograms];  // each ID, empty ones too, ends in ";"
    int added = 0;
    const char* id = session.permittedPrograms;
    for (const char* end = strchr(id, ';'); end; id = end + 1, end = strchr(id, ';')) {
        const ProgramEntry* entry = FindProgram(id, (size_t)(end - id));
        if (entry && AddProgramItem(list, *entry, added)) items[added++] = entry;
    }
    AddItemImages(images, items, added);

    HIMAGELIST previous = reinterpret_cast<HIMAGELIST>(
        SendMessageA(list, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(images)));
    if (previous && previous != images) ImageList_Destroy(previous);

    SortList(list, 0);

    LVITEMA state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
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
