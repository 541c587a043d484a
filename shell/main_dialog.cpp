#include "shell/main_dialog.h"

#include "admin/admin_menu.h"
#include "ui/dialog_utils.h"
#include "ui/display_scale.h"
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

// Marvitelkon.jpg as loaded, at its own size; the list gets a copy scaled to its DPI. Null when
// there is none.
HBITMAP listPicture = nullptr;

// The program of each image of the list, by image index: the images are made again when the DPI
// changes. The entries belong to the Session's program table.
const ProgramEntry* imagePrograms[sizeof session.permittedPrograms];  // each ID, empty ones too, ends in ";"
int imageProgramCount = 0;

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

// Edge of the list's images at 96 DPI, and the largest edge an icon file holds.
const int imageSize = 32;
const int largestIconSize = 256;

// Edge of the list's images at dpi.
int ImageSizeAt(int dpi)
{
    int size = ScaleToDpi(imageSize, dpi);
    return size < 1 ? 1 : size > largestIconSize ? largestIconSize : size;
}

// Draws the icon of a file into one image slot of strip (a 32-bit bitmap selected into memory whose
// bits are pixels, size high, stride pixels wide) at column x. The image of the list's size is read
// from the file directly where it can be; otherwise the file is loaded as an icon at that size (the
// window system then scales the nearest image it has). False when the file gives no icon.
bool DrawIconFile(HDC memory, uint32_t* pixels, int stride, int x, const char* path, uint32_t background, int size)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN,
                              nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        // Icon files of more than a megabyte are left to the window system.
        static unsigned char bytes[1 << 20];
        DWORD fileSize = GetFileSize(file, nullptr), read = 0;
        bool whole = fileSize != INVALID_FILE_SIZE && fileSize <= sizeof bytes &&
                     ReadFile(file, bytes, fileSize, &read, nullptr) && read == fileSize;
        CloseHandle(file);
        static uint32_t image[largestIconSize * largestIconSize];
        if (whole && DecodeIconPixels(bytes, fileSize, size, background, image)) {
            for (int y = 0; y < size; y++)
                memcpy(pixels + static_cast<size_t>(y) * stride + x, image + y * size, size * sizeof(uint32_t));
            return true;
        }
    }
    HICON icon = static_cast<HICON>(
        LoadImageA(appInstance, path, IMAGE_ICON, size, size, LR_LOADFROMFILE | LR_LOADTRANSPARENT));
    if (!icon) return false;
    GdiFlush();
    DrawIconEx(memory, x, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    GdiFlush();
    DestroyIcon(icon);
    return true;
}

// Adds the images of the items, in item order, to the image list in one step: each item's own icon,
// else "default.ico", else a blank image that keeps the place, so that each item's image index stays
// the count of items before it. Drawing all of them into one bitmap spares the image list a
// conversion per icon. size is the image list's edge.
void AddItemImages(HIMAGELIST images, const ProgramEntry* const* items, int count, int size)
{
    if (count <= 0) return;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size * count;
    info.bmiHeader.biHeight = -size;  // top row first
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
    const int stride = size * count;
    for (size_t i = 0; i < static_cast<size_t>(stride) * size; i++) pixels[i] = background;
    for (int i = 0; i < count; i++) {
        const ProgramEntry& entry = *items[i];
        int x = i * size;
        if (IsBlank(entry.iconFile) || !DrawIconFile(memory, pixels, stride, x, entry.iconFile, background, size))
            DrawIconFile(memory, pixels, stride, x, "default.ico", background, size);
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

// Gives the list a copy of listPicture at dpi (an empty background when there is no picture).
void SetListBackground(HWND list, int dpi)
{
    // The list view owns the bitmap from here on.
    LVBKIMAGEA background = {};
    background.ulFlags = LVBKIF_SOURCE_HBITMAP;
    background.hbm = ScaleBitmapToDpi(listPicture, dpi);
    background.xOffsetPercent = 50;
    background.yOffsetPercent = 50;
    if (!SendMessageA(list, LVM_SETBKIMAGEA, 0, reinterpret_cast<LPARAM>(&background)) && background.hbm)
        DeleteObject(background.hbm);
}

// In any view: a list view may take LVM_SETCOLUMNWIDTH only in the report and list views.
void SetColumnWidths(HWND list, int dpi)
{
    for (int i = 0; i < 4; i++) {
        LVCOLUMNA column = {};
        column.mask = LVCF_WIDTH;
        column.cx = ScaleToDpi(columns[i].width, dpi);
        SendMessageA(list, LVM_SETCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
}

// Makes the image list of the items at dpi from imagePrograms and installs it in the list.
void SetItemImages(HWND list, int dpi)
{
    int size = ImageSizeAt(dpi);
    HIMAGELIST images = ImageList_Create(size, size, ILC_COLOR16, session.programCount, 0);
    ImageList_SetBkColor(images, GetSysColor(COLOR_WINDOW));
    AddItemImages(images, imagePrograms, imageProgramCount, size);
    HIMAGELIST previous = reinterpret_cast<HIMAGELIST>(
        SendMessageA(list, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(images)));
    if (previous && previous != images) ImageList_Destroy(previous);
}

// The menu's bitmaps at dpi, each as both the checked and the unchecked bitmap of its command; the
// ones they replace are deleted. At 96 DPI they are the resource bitmaps themselves.
void SetMenuBitmaps(HMENU menu, int dpi)
{
    for (int i = 0; i < menuBitmapCount; i++) {
        HBITMAP bitmap = LoadBitmapA(appInstance, menuBitmapNames[i].name);
        if (dpi != 96) {
            HBITMAP scaled = ScaleBitmapToDpi(bitmap, dpi);
            if (scaled) {
                DeleteObject(bitmap);
                bitmap = scaled;
            }
        }
        SetMenuItemBitmaps(menu, menuBitmapNames[i].command, MF_BYCOMMAND, bitmap, bitmap);
        if (menuBitmaps[i]) DeleteObject(menuBitmaps[i]);
        menuBitmaps[i] = bitmap;
    }
}

// The window's small icon at the small-icon size of dpi; the one it replaces is destroyed.
void SetSmallIcon(HWND dialog, int dpi)
{
    HANDLE smallIcon = LoadImageA(appInstance, "AA_MARVITELKON", IMAGE_ICON, SystemMetricForDpi(SM_CXSMICON, dpi),
                                  SystemMetricForDpi(SM_CYSMICON, dpi), 0);
    HICON previous = reinterpret_cast<HICON>(
        SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon)));
    if (previous && previous != smallIcon) DestroyIcon(previous);
}

// The window moved to a display of another scale: it takes the rectangle the system suggests, and
// everything sized in pixels is made again at the new DPI. The dialog's fonts and controls are
// scaled by the dialog manager.
void OnDpiChanged(HWND dialog, int dpi, const RECT& suggested)
{
    SetWindowPos(dialog, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    HWND list = ListOf(dialog);
    SetListBackground(list, dpi);
    SetColumnWidths(list, dpi);
    SetItemImages(list, dpi);
    SetMenuBitmaps(GetMenu(dialog), dpi);
    DrawMenuBar(dialog);
    SetSmallIcon(dialog, dpi);
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

    int dpi = WindowDpi(dialog);
    SetMenuBitmaps(menu, dpi);
    if (!session.isAdmin) EnableMenuItem(menu, IDC_MAIN_ADMIN, MF_BYCOMMAND | MF_DISABLED);
    DrawMenuBar(dialog);

    SetSmallIcon(dialog, dpi);

    ShowWindow(GetDlgItem(dialog, IDC_MAIN_ADMIN), session.isAdmin ? SW_SHOW : SW_HIDE);
    SetListViewMode(ListOf(dialog), 0);

    AddToolTip(dialog, IDC_MAIN_ADMIN, "A marvitelkont elindító felhasználók jogainak beállítása.", TTF_SUBCLASS);
    AddToolTip(dialog, IDC_MAIN_VIEW, "A lista nézetének beállítása.", TTF_SUBCLASS);
    AddToolTip(dialog, IDC_MAIN_START, "A kiválasztott program indítása.", TTF_SUBCLASS);
    AddToolTip(dialog, IDC_MAIN_LIST, "A kiválasztott program indítása dupla kattintással.", TTF_SUBCLASS);
}

// Frees what WM_INITDIALOG made beyond the window itself: the menu bitmaps, the small icon and the
// background picture as loaded.
void ReleaseMainDialog(HWND dialog)
{
    for (HBITMAP& bitmap : menuBitmaps) {
        if (bitmap) DeleteObject(bitmap);
        bitmap = nullptr;
    }
    if (listPicture) DeleteObject(listPicture);
    listPicture = nullptr;
    HICON smallIcon = reinterpret_cast<HICON>(SendMessageA(dialog, WM_GETICON, ICON_SMALL, 0));
    if (smallIcon) DestroyIcon(smallIcon);
}

void OnCommand(HWND dialog, int command)
{
    HWND list = ListOf(dialog);
    switch (command) {
    // Enter in the list: the dialog manager turns it into IDOK, the window having no default button
    // (on a focused button Enter presses that button instead).
    case IDOK:
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
    int dpi = WindowDpi(dialog);
    if (FileExists("Marvitelkon.jpg")) {
        if (listPicture) DeleteObject(listPicture);
        listPicture = LoadPicture("Marvitelkon.jpg");
        SetListBackground(list, dpi);
    }
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_TRACKSELECT);
    for (int i = 0; i < 4; i++) {
        LVCOLUMNA column = {};
        column.mask = LVCF_FMT | LVCF_TEXT;
        column.fmt = LVCFMT_LEFT;
        column.pszText = const_cast<char*>(columns[i].header);
        SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
    SetColumnWidths(list, dpi);
}

void FillProgramList(HWND dialog)
{
    HWND list = ListOf(dialog);
    SetFocus(list);
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);

    // Each ID of the permitted list ends with ";"; text after the last ";" is not an ID. The list is
    // not redrawn while it fills, and the images of the items are added in one step afterwards.
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    imageProgramCount = 0;
    const char* id = session.permittedPrograms;
    for (const char* end = strchr(id, ';'); end; id = end + 1, end = strchr(id, ';')) {
        const ProgramEntry* entry = FindProgram(id, (size_t)(end - id));
        if (entry && AddProgramItem(list, *entry, imageProgramCount)) imagePrograms[imageProgramCount++] = entry;
    }
    SetItemImages(list, WindowDpi(dialog));

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
    case WM_DPICHANGED: OnDpiChanged(dialog, LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam)); break;
    case WM_DESTROY: ReleaseMainDialog(dialog); break;
    default: break;
    }
    return 0;
}
