// The main window (template MARVITELKON with MainDialogProc) under a Session set up as a login leaves
// it: template and caption, columns, the walk of the permitted list, item records, sorting, view
// switching, menu and tooltips, closing, background picture and item icons.
#include "shell/main_dialog.h"
#include "config/session.h"
#include "shell/shell_ids.h"
#include "support/bounded_text.h"
#include "tests/harness/dialog_test.h"
#include "tests/harness/message_box_capture.h"
#include "tests/harness/test_files.h"
#include "tests/shell/main_window_support.h"
#include "ui/display_scale.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetMainWindowState();
        ClearSession();
        scratch.Enter();
    }
    void TearDown() override { ClearSession(); }

    ScratchDirectory scratch;
};

std::vector<std::string> Column(HWND list, int column)
{
    std::vector<std::string> texts;
    for (int i = 0; i < ListCount(list); i++) texts.push_back(ListText(list, i, column));
    return texts;
}

const ProgramItemData* ItemData(HWND list, int item)
{
    return reinterpret_cast<const ProgramItemData*>(ListParam(list, item));
}

// The screen's DPI, which a run at another display scale names (MV_DPI).
int ScreenDpi()
{
    int dpi = WindowDpi(nullptr);
    EXPECT_EQ(dpi, atoi(EnvironmentValue("MV_DPI", "96").c_str()));
    return dpi;
}

DWORD ViewBits(HWND list)
{
    return GetWindowLongA(list, GWL_STYLE) & LVS_TYPEMASK;
}

// Four programs whose orders by name, alias, path and ID all differ.
std::vector<TestProgram> SortPrograms()
{
    return {
        {"P1", "Béla", "C:\\b\\prog1.exe", "ZETA", ""},
        {"P2", "alma", "C:\\d\\prog2.exe", "alfa", ""},
        {"P3", "Ágnes", "C:\\a\\prog3.exe", "Beta", ""},
        {"P4", "cukor", "C:\\c\\prog4.exe", "delta", ""},
    };
}
const char* const SortPermitted = "P1;P2;P3;P4;";

// A real click on a column header: the header tells the list, which reports LVN_COLUMNCLICK.
void ClickHeader(HWND list, int column)
{
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    RECT rect = {};
    SendMessageA(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&rect));
    LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(header, WM_LBUTTONUP, 0, at);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Template, caption and the list's set-up

TEST_F(MainWindow, TemplateControlsKeepTheirTextsPlacesAndStyles)
{
    SetUpSession({}, "");
    struct Expected {
        int id;
        const char* className;
        const char* text;
        RECT units;  // x, y, width, height
    } expected[] = {
        {IDC_MAIN_START, "Button", "&Program indítás", {387, 3, 78, 13}},
        {IDC_MAIN_VIEW, "Button", "&Nézet", {387, 19, 78, 13}},
        {IDC_MAIN_ADMIN, "Button", "&Adminisztrátor", {387, 35, 78, 13}},
        {IDC_MAIN_EXIT, "Button", "&Kilép", {387, 249, 78, 13}},
        {IDC_MAIN_LIST, "SysListView32", "", {2, 2, 378, 260}},
    };
    RunMainWindow([&](HWND dialog) {
        LONG style = GetWindowLongA(dialog, GWL_STYLE);
        const LONG windowBits = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
        EXPECT_EQ(style & windowBits, windowBits);
        EXPECT_EQ(style & WS_MAXIMIZEBOX, 0);
        EXPECT_TRUE(GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);

        LOGFONTA font = {};
        GetObjectA(reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)), sizeof font, &font);
        EXPECT_STREQ(font.lfFaceName, "Arial");
        HDC screen = GetDC(nullptr);
        EXPECT_EQ(font.lfHeight, -MulDiv(9, GetDeviceCaps(screen, LOGPIXELSY), 72));
        ReleaseDC(nullptr, screen);

        // 472 dialog units wide; centred on the work area.
        RECT size = {0, 0, 472, 277}, client, frame, work;
        MapDialogRect(dialog, &size);
        GetClientRect(dialog, &client);
        EXPECT_EQ(client.right, size.right);
        GetWindowRect(dialog, &frame);
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
        EXPECT_NEAR((frame.left + frame.right) / 2, (work.left + work.right) / 2, 1);
        EXPECT_NEAR((frame.top + frame.bottom) / 2, (work.top + work.bottom) / 2, 1);

        for (const Expected& e : expected) {
            SCOPED_TRACE(e.id);
            HWND control = GetDlgItem(dialog, e.id);
            ASSERT_TRUE(control);
            char name[64] = "";
            GetClassNameA(control, name, sizeof name);
            EXPECT_STREQ(name, e.className);
            EXPECT_EQ(Text(dialog, e.id), e.text);
            RECT units = ControlRectInDialogUnits(dialog, e.id);
            EXPECT_EQ(units.left, e.units.left);
            EXPECT_EQ(units.top, e.units.top);
            EXPECT_EQ(units.right, e.units.right);
            EXPECT_EQ(units.bottom, e.units.bottom);
            LONG controlStyle = GetWindowLongA(control, GWL_STYLE);
            EXPECT_TRUE(controlStyle & WS_CHILD);
            if (e.id == IDC_MAIN_LIST) {
                const LONG listBits = LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_AUTOARRANGE;
                EXPECT_EQ(controlStyle & listBits, listBits);
                // The border: a 3D-look dialog turns WS_BORDER into a client edge.
                EXPECT_TRUE((controlStyle & WS_BORDER) || (GetWindowLongA(control, GWL_EXSTYLE) & WS_EX_CLIENTEDGE));
            } else {
                EXPECT_EQ(controlStyle & (WS_TABSTOP | BS_CENTER), WS_TABSTOP | BS_CENTER);
                EXPECT_EQ(controlStyle & BS_TYPEMASK, BS_PUSHBUTTON);
                if (e.id != IDC_MAIN_ADMIN) {
                    EXPECT_TRUE(controlStyle & WS_VISIBLE);
                }
            }
        }
    });
}

TEST_F(MainWindow, CaptionIsHeaderAndUserNameJoinedByADash)
{
    struct Case {
        std::string header, userName, caption;
    } cases[] = {
        {"Teszt Kft.", "Teszt Elek", "Teszt Kft. - Teszt Elek"},
        {"", "", " - "},
        {"Fej", "", "Fej - "},
        // The caption holds both at their full lengths.
        {std::string(1024, 'H'), std::string(100, 'N'), std::string(1024, 'H') + " - " + std::string(100, 'N')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption.substr(0, 20));
        SetUpSession({}, "", true, c.header, c.userName);
        RunMainWindow([&](HWND dialog) { EXPECT_EQ(WindowText(dialog), c.caption); });
    }
}

TEST_F(MainWindow, AnAbandonedLoginGivesAnEmptyWindow)
{
    // The Session as it is when the login was closed: all zero, no program table.
    RunMainWindow([](HWND dialog) {
        EXPECT_EQ(WindowText(dialog), " - ");
        EXPECT_EQ(ListCount(MainList(dialog)), 0);
        EXPECT_EQ(ListFocused(MainList(dialog)), -1);
        EXPECT_FALSE(IsShown(dialog, IDC_MAIN_ADMIN));
    });
}

TEST_F(MainWindow, ListHasFourLeftAlignedColumnsFullRowAndTrackSelectAndStartsInIconView)
{
    SetUpSession(SortPrograms(), SortPermitted);
    RunMainWindow([](HWND dialog) {
        HWND list = MainList(dialog);
        EXPECT_EQ(ListColumnHeaders(list), (std::vector<std::string>{"Név", "Adatbázis", "Program", "Program ID"}));
        EXPECT_EQ(ViewBits(list), (DWORD)LVS_ICON);
        // Column widths are reported in the report view.
        SendCommand(dialog, IDM_VIEW_REPORT);
        const int dpi = ScreenDpi(), widths[] = {300, 400, 200, 200};
        for (int c = 0; c < 4; c++) {
            EXPECT_EQ(ListColumnWidths(list)[c], ScaleToDpi(widths[c], dpi));
            LVCOLUMNA column = {};
            column.mask = LVCF_FMT;
            SendMessageA(list, LVM_GETCOLUMNA, c, reinterpret_cast<LPARAM>(&column));
            EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT) << c;
        }
        EXPECT_EQ(SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0), LVS_EX_FULLROWSELECT | LVS_EX_TRACKSELECT);
        // The list has the focus and its first item is selected and focused.
        EXPECT_EQ(GetFocus(), list);
        EXPECT_EQ(ListFocused(list), 0);
        EXPECT_EQ(SendMessageA(list, LVM_GETITEMSTATE, 0, LVIS_SELECTED | LVIS_FOCUSED),
                  LVIS_SELECTED | LVIS_FOCUSED);
        EXPECT_EQ(SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0), 1);

        // The item images: 32 x 32, 16-bit colour without mask, window-coloured background, normal
        // image list only.
        auto images = reinterpret_cast<HIMAGELIST>(SendMessageA(list, LVM_GETIMAGELIST, LVSIL_NORMAL, 0));
        ASSERT_TRUE(images);
        EXPECT_EQ(SendMessageA(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0), 0);
        EXPECT_EQ(SendMessageA(list, LVM_GETIMAGELIST, LVSIL_STATE, 0), 0);
        int width = 0, height = 0;
        ImageList_GetIconSize(images, &width, &height);
        EXPECT_EQ(width, ScaleToDpi(32, dpi));
        EXPECT_EQ(height, ScaleToDpi(32, dpi));
        EXPECT_EQ(ImageList_GetBkColor(images), GetSysColor(COLOR_WINDOW));
        IMAGEINFO info = {};
        ASSERT_TRUE(ImageList_GetImageInfo(images, 0, &info));
        BITMAP bitmap = {};
        GetObjectA(info.hbmImage, sizeof bitmap, &bitmap);
        EXPECT_EQ(bitmap.bmBitsPixel, 16);
        EXPECT_EQ(info.hbmMask, nullptr);
    });
}

// ---------------------------------------------------------------------------------------------
// Which programs the list shows

TEST_F(MainWindow, PermittedListIsWalkedIdByIdEachEndedBySemicolon)
{
    const std::string sixteen = "ABCDEFGHIJKLMNOP";
    const std::vector<TestProgram> programs = {
        {"A1", "Alfa", "C:\\a.exe", "", ""},
        {"B2", "Bravo", "C:\\b.exe", "", ""},
        {"c3", "Charlie", "C:\\c.exe", "", ""},
        {sixteen, "Hosszú", "C:\\h.exe", "", ""},
        {"A1", "Alfa második", "C:\\a2.exe", "", ""},  // a later entry of the same ID is never found
    };
    struct Case {
        const char* name;
        std::string permitted;
        std::vector<std::string> shown;  // descriptions, in name order
    } cases[] = {
        {"every ID ended", "A1;B2;", {"Alfa", "Bravo"}},
        {"no ; after the last ID", "A1;B2", {"Alfa"}},
        {"only one ID without ;", "A1", {}},
        {"empty list", "", {}},
        {"IDs differing in case", "a1;C3;c3;", {"Charlie"}},
        {"an ID listed twice", "B2;A1;B2;", {"Alfa", "Bravo", "Bravo"}},
        {"unknown IDs", "X9;A1;ZZZ;", {"Alfa"}},
        {"an empty ID", ";;A1;", {"Alfa"}},
        {"an ID of 16 characters", sixteen + ";", {"Hosszú"}},
        {"an ID longer than 16 characters", sixteen + "Q;", {}},
        {"a blank inside the ID", "A1 ;B2;", {"Bravo"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetMainWindowState();
        SetUpSession(programs, c.permitted);
        RunMainWindow([&](HWND dialog) { EXPECT_EQ(Column(MainList(dialog), 0), c.shown); });
    }
}

TEST_F(MainWindow, ItemsShowTheirProgramInFourColumnsAndCarryCopiesOfItsTexts)
{
    const std::string longPath = "C:\\" + std::string(251, 'p') + "\\x.exe";  // 260 characters
    ASSERT_EQ(longPath.size(), 260u);
    const std::string longIcon = "D:\\" + std::string(257, 'i');
    SetUpSession(
        {
            {"KONYV", "Főkönyv", "C:\\Suite\\Fokonyv\\fokonyv.exe", "KONYVELES", "fokonyv.ico"},
            {"BER", "Bérszámfejtés", longPath, "", longIcon},
            {"RAKTAR", std::string(120, 'R'), "raktar.exe", std::string(60, 'A'), ""},
        },
        "KONYV;BER;RAKTAR;");
    RunMainWindow([&](HWND dialog) {
        HWND list = MainList(dialog);
        const std::vector<std::vector<std::string>> rows = {
            {"Bérszámfejtés", "", longPath, "BER"},
            {"Főkönyv", "KONYVELES", "C:\\Suite\\Fokonyv\\fokonyv.exe", "KONYV"},
            {std::string(120, 'R'), std::string(60, 'A'), "raktar.exe", "RAKTAR"},
        };
        EXPECT_EQ(ListRows(list, 4), rows);

        const ProgramItemData* ber = ItemData(list, 0);
        ASSERT_TRUE(ber);
        EXPECT_STREQ(ber->description, "Bérszámfejtés");
        EXPECT_STREQ(ber->alias, "");
        // The path is kept whole for the launch; the other copies hold 259 characters.
        EXPECT_EQ(std::string(ber->fullPath), longPath);
        EXPECT_EQ(std::string(ber->iconFile), longIcon.substr(0, 259));
        const ProgramItemData* konyv = ItemData(list, 1);
        ASSERT_TRUE(konyv);
        EXPECT_STREQ(konyv->description, "Főkönyv");
        EXPECT_STREQ(konyv->alias, "KONYVELES");
        EXPECT_STREQ(konyv->fullPath, "C:\\Suite\\Fokonyv\\fokonyv.exe");
        EXPECT_STREQ(konyv->iconFile, "fokonyv.ico");
        EXPECT_STREQ(konyv->id, "KONYV");
        const ProgramItemData* raktar = ItemData(list, 2);
        ASSERT_TRUE(raktar);
        EXPECT_EQ(std::string(raktar->description), std::string(120, 'R'));
        EXPECT_EQ(std::string(raktar->alias), std::string(60, 'A'));
        EXPECT_NE(ber, konyv);
        EXPECT_NE(konyv, raktar);
    });
}

TEST_F(MainWindow, ItemRecordsAreFreedWhenTheListDeletesItsItems)
{
    SetUpSession(SortPrograms(), "P1;P2;P1;P3;");
    ItemRecordWatch watch;
    ASSERT_TRUE(watch.Active());
    std::vector<const void*> records;
    INT_PTR result = RunMainWindow([&](HWND dialog) {
        HWND list = MainList(dialog);
        EXPECT_EQ(watch.Allocated(), 4);
        EXPECT_EQ(watch.Live(), 4);

        const void* deleted = ItemData(list, 0);
        ASSERT_TRUE(SendMessageA(list, LVM_DELETEITEM, 0, 0));
        EXPECT_TRUE(watch.WasFreed(deleted));
        EXPECT_EQ(watch.Live(), 3);

        // Refilling empties the list first: the old records go, new ones come.
        FillProgramList(dialog);
        EXPECT_EQ(ListCount(list), 4);
        EXPECT_EQ(watch.Allocated(), 8);
        EXPECT_EQ(watch.Freed(), 4);
        for (int i = 0; i < ListCount(list); i++) records.push_back(ItemData(list, i));

        SendMessageA(dialog, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(result, 0);
    // Destroying the window deleted the remaining items one by one.
    EXPECT_EQ(watch.Allocated(), 8);
    EXPECT_EQ(watch.Live(), 0);
    for (const void* block : records) EXPECT_TRUE(watch.WasFreed(block));
}

// ---------------------------------------------------------------------------------------------
// Sorting

TEST_F(MainWindow, FirstFillSortsByNameAscendingAndTheFirstNameClickDescending)
{
    SetUpSession(SortPrograms(), SortPermitted);
    RunMainWindow([](HWND dialog) {
        HWND list = MainList(dialog);
        // Case-insensitive and in the locale's order: "Ágnes" before "alma", not after "cukor".
        const std::vector<std::string> ascending = {"Ágnes", "alma", "Béla", "cukor"};
        const std::vector<std::string> descending = {"cukor", "Béla", "alma", "Ágnes"};
        EXPECT_EQ(Column(list, 0), ascending);
        EXPECT_FALSE(nameSortAscending);
        ClickColumn(list, 0);
        EXPECT_EQ(Column(list, 0), descending);
        ClickColumn(list, 0);
        EXPECT_EQ(Column(list, 0), ascending);
        // A real click on the header in the report view does the same.
        SendCommand(dialog, IDM_VIEW_REPORT);
        ClickHeader(list, 0);
        EXPECT_EQ(Column(list, 0), descending);
        // The name clicks left the other columns' direction alone.
        EXPECT_TRUE(otherSortAscending);
    });
}

TEST_F(MainWindow, OtherColumnsShareOneDirectionThatEachClickFlips)
{
    SetUpSession(SortPrograms(), SortPermitted);
    RunMainWindow([](HWND dialog) {
        HWND list = MainList(dialog);
        ClickColumn(list, 1);
        EXPECT_EQ(Column(list, 1), (std::vector<std::string>{"alfa", "Beta", "delta", "ZETA"}));
        ClickColumn(list, 1);
        EXPECT_EQ(Column(list, 1), (std::vector<std::string>{"ZETA", "delta", "Beta", "alfa"}));
        // Path and program ID share the flag: the next click on either sorts ascending again...
        ClickColumn(list, 2);
        EXPECT_EQ(Column(list, 2),
                  (std::vector<std::string>{"C:\\a\\prog3.exe", "C:\\b\\prog1.exe", "C:\\c\\prog4.exe", "C:\\d\\prog2.exe"}));
        // ...and the one after it descending, whichever of them it is.
        ClickColumn(list, 3);
        EXPECT_EQ(Column(list, 3), (std::vector<std::string>{"P4", "P3", "P2", "P1"}));
        // The name column's own direction is untouched: its first click still sorts descending.
        ClickColumn(list, 0);
        EXPECT_EQ(Column(list, 0), (std::vector<std::string>{"cukor", "Béla", "alma", "Ágnes"}));
    });
}

TEST_F(MainWindow, CompareProgramItemsTreatsAMissingRecordAsGreater)
{
    ProgramItemData a = {}, b = {};
    CopyText(a.description, "a");
    CopyText(b.description, "b");
    ResetMainWindowState();
    EXPECT_LT(CompareProgramItems(reinterpret_cast<LPARAM>(&a), reinterpret_cast<LPARAM>(&b), 0), 0);
    nameSortAscending = false;
    EXPECT_GT(CompareProgramItems(reinterpret_cast<LPARAM>(&a), reinterpret_cast<LPARAM>(&b), 0), 0);
    EXPECT_EQ(CompareProgramItems(0, reinterpret_cast<LPARAM>(&b), 0), 1);
    EXPECT_EQ(CompareProgramItems(reinterpret_cast<LPARAM>(&a), 0, 1), 1);
    EXPECT_EQ(CompareProgramItems(0, 0, 0), 1);
}

TEST_F(MainWindow, ViewAndSortStateLastForTheWholeProcess)
{
    SetUpSession(SortPrograms(), SortPermitted);
    RunMainWindow([](HWND dialog) { Click(dialog, IDC_MAIN_VIEW); });
    // A second window (no reset between) continues the cycle and sorts its first fill the other way.
    RunMainWindow([](HWND dialog) {
        HWND list = MainList(dialog);
        EXPECT_EQ(Column(list, 0), (std::vector<std::string>{"cukor", "Béla", "alma", "Ágnes"}));
        EXPECT_EQ(ViewBits(list), (DWORD)LVS_ICON);
        Click(dialog, IDC_MAIN_VIEW);
        EXPECT_EQ(ViewBits(list), (DWORD)LVS_LIST);
    });
}

// ---------------------------------------------------------------------------------------------
// View switching

TEST_F(MainWindow, ViewButtonCyclesReportListIconFromItsOwnIndex)
{
    SetUpSession(SortPrograms(), SortPermitted);
    RunMainWindow([](HWND dialog) {
        HWND list = MainList(dialog);
        const DWORD cycle[] = {LVS_REPORT, LVS_LIST, LVS_ICON, LVS_REPORT, LVS_LIST};
        for (DWORD view : cycle) {
            Click(dialog, IDC_MAIN_VIEW);
            EXPECT_EQ(ViewBits(list), view);
        }
        EXPECT_EQ(viewCycleIndex, 2);
    });
}

TEST_F(MainWindow, MenuViewCommandsLeaveTheCycleWhereItWas)
{
    SetUpSession(SortPrograms(), SortPermitted);
    RunMainWindow([](HWND dialog) {
        HWND list = MainList(dialog);
        SendCommand(dialog, IDM_VIEW_LIST);
        EXPECT_EQ(ViewBits(list), (DWORD)LVS_LIST);
        // Not the view after list: the cycle is still at its start, so report comes next.
        Click(dialog, IDC_MAIN_VIEW);
        EXPECT_EQ(ViewBits(list), (DWORD)LVS_REPORT);
        SendCommand(dialog, IDM_VIEW_ICON);
        EXPECT_EQ(ViewBits(list), (DWORD)LVS_ICON);
        Click(dialog, IDC_MAIN_VIEW);
        EXPECT_EQ(ViewBits(list), (DWORD)LVS_LIST);
        SendCommand(dialog, IDM_VIEW_REPORT);
        EXPECT_EQ(ViewBits(list), (DWORD)LVS_REPORT);
        Click(dialog, IDC_MAIN_VIEW);
        EXPECT_EQ(ViewBits(list), (DWORD)LVS_ICON);
        EXPECT_EQ(viewCycleIndex, 0);
    });
}

// ---------------------------------------------------------------------------------------------
// Menu, administrator controls, small icon and tooltips

TEST_F(MainWindow, MenuHoldsItsItemsEachCommandWithItsBitmap)
{
    SetUpSession({}, "");
    RunMainWindow([](HWND dialog) {
        HMENU bar = GetMenu(dialog);
        ASSERT_TRUE(bar);
        ASSERT_EQ(GetMenuItemCount(bar), 1);
        auto text = [](HMENU menu, int position) {
            char buffer[128] = "";
            GetMenuStringA(menu, position, buffer, sizeof buffer, MF_BYPOSITION);
            return std::string(buffer);
        };
        EXPECT_EQ(text(bar, 0), "&Program beállítások");
        HMENU popup = GetSubMenu(bar, 0);
        ASSERT_TRUE(popup);
        ASSERT_EQ(GetMenuItemCount(popup), 5);
        const struct {
            int id;  // -1: a submenu
            const char* text;
        } items[] = {{IDC_MAIN_START, "&Program indítás"}, {-1, "&Nézet"}, {IDC_MAIN_ADMIN, "&Adminisztrátor"},
                     {0, ""}, {IDC_MAIN_EXIT, "&Kilép"}};
        for (int i = 0; i < 5; i++) {
            SCOPED_TRACE(i);
            EXPECT_EQ(text(popup, i), items[i].text);
            EXPECT_EQ((int)GetMenuItemID(popup, i), items[i].id);
        }
        EXPECT_TRUE(GetMenuState(popup, 3, MF_BYPOSITION) & MF_SEPARATOR);
        HMENU view = GetSubMenu(popup, 1);
        ASSERT_TRUE(view);
        ASSERT_EQ(GetMenuItemCount(view), 3);
        const struct {
            int id;
            const char* text;
        } viewItems[] = {{IDM_VIEW_REPORT, "&Részletes"}, {IDM_VIEW_LIST, "&Lista"}, {IDM_VIEW_ICON, "&Ikon"}};
        for (int i = 0; i < 3; i++) {
            EXPECT_EQ(text(view, i), viewItems[i].text);
            EXPECT_EQ((int)GetMenuItemID(view, i), viewItems[i].id);
        }

        // Each command's checked and unchecked bitmap is its own resource bitmap.
        const struct {
            int id;
            const char* bitmap;
        } bitmaps[] = {{IDM_VIEW_REPORT, "VIEW_REPORT"}, {IDM_VIEW_LIST, "VIEW_LIST"},   {IDM_VIEW_ICON, "VIEW_ICON"},
                       {IDC_MAIN_START, "VIEW_FUTTAT"},  {IDC_MAIN_ADMIN, "VIEW_ODBC"}, {IDC_MAIN_EXIT, "VIEW_EXIT"}};
        auto pixels = [](HBITMAP bitmap) {
            BITMAPINFO info = {};
            info.bmiHeader.biSize = sizeof info.bmiHeader;
            info.bmiHeader.biWidth = 14;
            info.bmiHeader.biHeight = 14;
            info.bmiHeader.biPlanes = 1;
            info.bmiHeader.biBitCount = 32;
            std::vector<DWORD> bits(14 * 14);
            HDC screen = GetDC(nullptr);
            int rows = GetDIBits(screen, bitmap, 0, 14, bits.data(), &info, DIB_RGB_COLORS);
            ReleaseDC(nullptr, screen);
            return rows == 14 ? bits : std::vector<DWORD>();
        };
        std::vector<HBITMAP> seen;
        for (const auto& b : bitmaps) {
            SCOPED_TRACE(b.bitmap);
            MENUITEMINFOA info = {};
            info.cbSize = sizeof info;
            info.fMask = MIIM_CHECKMARKS;
            ASSERT_TRUE(GetMenuItemInfoA(bar, b.id, FALSE, &info));
            ASSERT_TRUE(info.hbmpChecked);
            EXPECT_EQ(info.hbmpChecked, info.hbmpUnchecked);
            BITMAP size = {};
            GetObjectA(info.hbmpChecked, sizeof size, &size);
            EXPECT_EQ(size.bmWidth, ScaleToDpi(14, ScreenDpi()));
            EXPECT_EQ(size.bmHeight, size.bmWidth);
            HBITMAP resource = LoadBitmapA(GetModuleHandleA(nullptr), b.bitmap);
            std::vector<DWORD> expected = pixels(resource);
            DeleteObject(resource);
            EXPECT_FALSE(expected.empty());
            if (size.bmWidth == 14) {  // else scaled
                EXPECT_EQ(pixels(info.hbmpChecked), expected);
            }
            for (HBITMAP other : seen) EXPECT_NE(other, info.hbmpChecked);
            seen.push_back(info.hbmpChecked);
        }

        // The small icon is the program's icon at the small size.
        auto icon = reinterpret_cast<HICON>(SendMessageA(dialog, WM_GETICON, ICON_SMALL, 0));
        ASSERT_TRUE(icon);
        ICONINFO iconInfo = {};
        ASSERT_TRUE(GetIconInfo(icon, &iconInfo));
        BITMAP iconBitmap = {};
        GetObjectA(iconInfo.hbmColor ? iconInfo.hbmColor : iconInfo.hbmMask, sizeof iconBitmap, &iconBitmap);
        EXPECT_EQ(iconBitmap.bmWidth, GetSystemMetrics(SM_CXSMICON));
        DeleteObject(iconInfo.hbmColor);
        DeleteObject(iconInfo.hbmMask);
    });
}

TEST_F(MainWindow, AdministratorControlsFollowTheSessionFlag)
{
    for (bool admin : {true, false}) {
        SCOPED_TRACE(admin ? "administrator" : "user");
        SetUpSession({}, "", admin);
        RunMainWindow([&](HWND dialog) {
            EXPECT_EQ(IsShown(dialog, IDC_MAIN_ADMIN), admin);
            UINT state = GetMenuState(GetMenu(dialog), IDC_MAIN_ADMIN, MF_BYCOMMAND);
            ASSERT_NE(state, (UINT)-1);
            // Disabled without being greyed: MF_DISABLED alone.
            EXPECT_EQ((state & MF_DISABLED) != 0, !admin);
            EXPECT_EQ(state & MF_GRAYED, 0u);
            // The other buttons and items stay as they are.
            EXPECT_TRUE(IsShown(dialog, IDC_MAIN_START));
            EXPECT_EQ(GetMenuState(GetMenu(dialog), IDC_MAIN_START, MF_BYCOMMAND) & (MF_DISABLED | MF_GRAYED), 0u);
        });
    }
}

TEST_F(MainWindow, FourControlsHaveBalloonTooltipsOfTheirOwn)
{
    SetUpSession({}, "");
    std::vector<HWND> tips;
    RunMainWindow([&](HWND dialog) {
        const struct {
            int id;
            const char* text;
        } expected[] = {
            {IDC_MAIN_ADMIN, "A marvitelkont elindító felhasználók jogainak beállítása."},
            {IDC_MAIN_VIEW, "A lista nézetének beállítása."},
            {IDC_MAIN_START, "A kiválasztott program indítása."},
            {IDC_MAIN_LIST, "A kiválasztott program indítása dupla kattintással."},
        };
        struct Tool {
            HWND tip;
            UINT flags;
            std::string text;
        };
        std::vector<std::pair<HWND, Tool>> tools;  // keyed by the control's window
        for (HWND tip : ThreadWindowsOfClass(TOOLTIPS_CLASSA)) {
            int count = (int)SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0);
            for (int i = 0; i < count; i++) {
                char text[256] = "";
                TOOLINFOA info = {};
                info.cbSize = sizeof info;
                info.lpszText = text;
                if (!SendMessageA(tip, TTM_ENUMTOOLSA, i, reinterpret_cast<LPARAM>(&info))) continue;
                if (info.hwnd != dialog) continue;
                text[0] = '\0';
                info.lpszText = text;
                SendMessageA(tip, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&info));
                tools.push_back({reinterpret_cast<HWND>(info.uId), {tip, info.uFlags, text}});
            }
        }
        ASSERT_EQ(tools.size(), 4u);
        for (const auto& e : expected) {
            SCOPED_TRACE(e.id);
            HWND control = GetDlgItem(dialog, e.id);
            auto found = std::find_if(tools.begin(), tools.end(), [&](const auto& t) { return t.first == control; });
            ASSERT_NE(found, tools.end());
            const Tool& tool = found->second;
            EXPECT_EQ(tool.text, e.text);
            EXPECT_EQ(tool.flags & (TTF_IDISHWND | TTF_SUBCLASS), (UINT)(TTF_IDISHWND | TTF_SUBCLASS));
            LONG style = GetWindowLongA(tool.tip, GWL_STYLE);
            EXPECT_EQ(style & (WS_POPUP | TTS_BALLOON | TTS_ALWAYSTIP), (LONG)(WS_POPUP | TTS_BALLOON | TTS_ALWAYSTIP));
            EXPECT_EQ(GetWindow(tool.tip, GW_OWNER), dialog);
            EXPECT_EQ(SendMessageA(tool.tip, TTM_GETTOOLCOUNT, 0, 0), 1);
            for (HWND other : tips) EXPECT_NE(other, tool.tip);
            tips.push_back(tool.tip);
        }
    });
    // They go with the window.
    ASSERT_EQ(tips.size(), 4u);
    for (HWND tip : tips) EXPECT_FALSE(IsWindow(tip)) << "a tooltip outlived its dialog";
}

// ---------------------------------------------------------------------------------------------
// Closing

TEST_F(MainWindow, EscapeDoesNothingWhileCloseAndExitEndTheWindowWithZero)
{
    SetUpSession(SortPrograms(), SortPermitted);
    struct Case {
        const char* name;
        void (*close)(HWND dialog);
    } cases[] = {
        {"WM_CLOSE", [](HWND dialog) { SendMessageA(dialog, WM_CLOSE, 0, 0); }},
        {"close box", [](HWND dialog) { SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"Kilép button", [](HWND dialog) { SendDlgItemMessageA(dialog, IDC_MAIN_EXIT, BM_CLICK, 0, 0); }},
        {"Kilép menu item", [](HWND dialog) { SendCommand(dialog, IDC_MAIN_EXIT); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<HBITMAP> bitmaps;
        HICON smallIcon = nullptr;
        INT_PTR result = RunMainWindow([&](HWND dialog) {
            PressKey(dialog, VK_ESCAPE);
            Click(dialog, IDCANCEL);
            EXPECT_TRUE(IsWindowVisible(dialog)) << "Escape must not close the main window";
            for (int id : {IDM_VIEW_REPORT, IDM_VIEW_LIST, IDM_VIEW_ICON, IDC_MAIN_START, IDC_MAIN_ADMIN, IDC_MAIN_EXIT}) {
                MENUITEMINFOA info = {};
                info.cbSize = sizeof info;
                info.fMask = MIIM_CHECKMARKS;
                GetMenuItemInfoA(GetMenu(dialog), id, FALSE, &info);
                bitmaps.push_back(info.hbmpChecked);
            }
            smallIcon = reinterpret_cast<HICON>(SendMessageA(dialog, WM_GETICON, ICON_SMALL, 0));
            c.close(dialog);
            EXPECT_FALSE(IsWindowVisible(dialog));
        });
        EXPECT_EQ(result, 0);
        // Closing released the menu bitmaps and the small icon.
        for (HBITMAP bitmap : bitmaps) {
            BITMAP object;
            EXPECT_EQ(GetObjectA(bitmap, sizeof object, &object), 0);
        }
        ICONINFO info;
        EXPECT_FALSE(GetIconInfo(smallIcon, &info));
    }
}

// ---------------------------------------------------------------------------------------------
// Background picture

namespace {

// Pixels of the list's client area, as the list paints itself (WM_PRINTCLIENT), that differ from the
// window colour. Wine's list view takes LVM_SETBKIMAGE but does not answer LVM_GETBKIMAGE (it also
// ignores the 50 % offsets and draws the picture at the top left), so the picture is looked for in
// what the list paints: an empty list paints nothing but its background.
int PaintedPixelsNotOfWindowColour(HWND list)
{
    RECT client;
    GetClientRect(list, &client);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = client.right;
    info.bmiHeader.biHeight = -client.bottom;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC memory = CreateCompatibleDC(nullptr);
    HBITMAP target = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, target);
    SendMessageA(list, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT | PRF_ERASEBKGND);
    GdiFlush();
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    int differing = 0;
    const BYTE* pixel = static_cast<const BYTE*>(bits);
    for (int i = 0; i < client.right * client.bottom; i++, pixel += 4)
        if (!SameColour(RGB(pixel[2], pixel[1], pixel[0]), window, 2)) differing++;
    SelectObject(memory, old);
    DeleteObject(target);
    DeleteDC(memory);
    return differing;
}

}  // namespace

TEST_F(MainWindow, BackgroundPictureComesFromMarvitelkonJpg)
{
    // 24 x 16 pixels, none of them near the window colour.
    std::string goodJpeg = ReadBytes("Z:" + EnvironmentValue("MV_SOURCE_DIR") + "\\tests\\support\\data\\sample.jpg");
    ASSERT_FALSE(goodJpeg.empty());
    struct Case {
        const char* name;
        const char* bytes;  // null: no file; empty: the demo picture
        bool background;
        int messages;
    } cases[] = {
        {"missing", nullptr, false, 0},
        {"broken", "\xFF\xD8\xFF\xE0 this is not a picture", false, 1},
        {"good", "", true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileA("Marvitelkon.jpg");
        if (c.bytes) {
            ASSERT_TRUE(WriteBytes("Marvitelkon.jpg", *c.bytes ? std::string(c.bytes) : goodJpeg));
        }
        // No items, so whatever the list paints beyond its window colour is the picture.
        SetUpSession({}, "");
        MessageBoxCapture boxes;
        RunMainWindow([&](HWND dialog) {
            // Drawn at the window's scale.
            const int dpi = ScreenDpi();
            EXPECT_EQ(PaintedPixelsNotOfWindowColour(MainList(dialog)),
                      c.background ? ScaleToDpi(24, dpi) * ScaleToDpi(16, dpi) : 0);
        });
        ASSERT_EQ(boxes.Count(), (size_t)c.messages);
        if (c.messages) {
            EXPECT_EQ(boxes.Boxes()[0].text, "Hibás IPicture pointer létrehozás!");
            EXPECT_EQ(boxes.Boxes()[0].caption, "Hiba");
        }
    }
}

TEST_F(MainWindow, OnADisplayOfAnotherScaleTheWindowTakesTheSuggestedRectangleAndScalesItsPixelSizes)
{
    SetUpSession(SortPrograms(), SortPermitted);
    RunMainWindow([](HWND dialog) {
        const int dpi = 2 * ScreenDpi();
        RECT suggested = {10, 20, 1010, 820}, frame;
        SendMessageA(dialog, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        GetWindowRect(dialog, &frame);
        EXPECT_TRUE(EqualRect(&frame, &suggested));
        int width = 0;
        auto images = reinterpret_cast<HIMAGELIST>(SendMessageA(MainList(dialog), LVM_GETIMAGELIST, 0, 0));
        ImageList_GetIconSize(images, &width, &width);
        EXPECT_EQ(width, ScaleToDpi(32, dpi));
        SendCommand(dialog, IDM_VIEW_REPORT);
        EXPECT_EQ(ListColumnWidths(MainList(dialog))[1], ScaleToDpi(400, dpi));
        MENUITEMINFOA item = {sizeof item, MIIM_CHECKMARKS};
        BITMAP bitmap = {};
        EXPECT_TRUE(GetMenuItemInfoA(GetMenu(dialog), IDC_MAIN_EXIT, FALSE, &item) &&
                    GetObjectA(item.hbmpChecked, sizeof bitmap, &bitmap) && bitmap.bmWidth == ScaleToDpi(14, dpi));
    });
}

// ---------------------------------------------------------------------------------------------
// Item icons

TEST_F(MainWindow, ItemsShowTheirOwnIconOrDefaultIco)
{
    const COLORREF red = RGB(255, 0, 0), green = RGB(0, 255, 0), blue = RGB(0, 0, 255);
    ASSERT_TRUE(WriteBytes("red.ico", SolidIconFile(red)));
    ASSERT_TRUE(WriteBytes(scratch.PathOf("blue.ico"), SolidIconFile(blue)));
    ASSERT_TRUE(WriteBytes("default.ico", SolidIconFile(green)));
    ASSERT_TRUE(WriteBytes("broken.ico", "not an icon"));
    // Without an image of the list's size the icon is scaled from the one it has.
    const COLORREF yellow = RGB(255, 255, 0);
    ASSERT_TRUE(WriteBytes("yellow48.ico", SolidIconFile(yellow, 48)));
    SetUpSession(
        {
            {"A", "1 saját relatív", "C:\\a.exe", "", "red.ico"},
            {"B", "2 saját teljes úttal", "C:\\b.exe", "", scratch.PathOf("blue.ico")},
            {"C", "3 nincs ikonja", "C:\\c.exe", "", ""},
            {"D", "4 csupa szóköz", "C:\\d.exe", "", "   "},
            {"E", "5 hiányzó ikon", "C:\\e.exe", "", "missing.ico"},
            {"F", "6 hibás ikon", "C:\\f.exe", "", "broken.ico"},
            {"G", "7 csak 48 pontos", "C:\\g.exe", "", "yellow48.ico"},
        },
        "A;B;C;D;E;F;G;");
    RunMainWindow([&](HWND dialog) {
        HWND list = MainList(dialog);
        auto images = reinterpret_cast<HIMAGELIST>(SendMessageA(list, LVM_GETIMAGELIST, LVSIL_NORMAL, 0));
        ASSERT_TRUE(images);
        EXPECT_EQ(ImageList_GetImageCount(images), 7);
        const COLORREF expected[] = {red, blue, green, green, green, green, yellow};
        for (int i = 0; i < 7; i++) {
            SCOPED_TRACE(ListText(list, i, 0));
            EXPECT_EQ(ListImage(list, i), i);
            COLORREF colour = ImageCentreColour(images, ListImage(list, i));
            EXPECT_TRUE(SameColour(colour, expected[i])) << std::hex << colour;
        }
    });
}

TEST_F(MainWindow, AnItemWithoutAnyLoadableIconGetsABlankImageAndLaterItemsKeepTheirOwn)
{
    const COLORREF red = RGB(255, 0, 0), blue = RGB(0, 0, 255);
    ASSERT_TRUE(WriteBytes("red.ico", SolidIconFile(red)));
    ASSERT_TRUE(WriteBytes("blue.ico", SolidIconFile(blue)));
    struct Case {
        const char* name;
        const char* defaultIco;  // null: none
    } cases[] = {{"no default.ico", nullptr}, {"broken default.ico", "garbage"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetMainWindowState();
        DeleteFileA("default.ico");
        if (c.defaultIco) {
            ASSERT_TRUE(WriteBytes("default.ico", c.defaultIco));
        }
        SetUpSession(
            {
                {"A", "Első", "C:\\a.exe", "", "red.ico"},
                {"B", "Második", "C:\\b.exe", "", "missing.ico"},
                {"C", "Harmadik", "C:\\c.exe", "", "blue.ico"},
            },
            "A;B;C;");
        RunMainWindow([&](HWND dialog) {
            HWND list = MainList(dialog);
            auto images = reinterpret_cast<HIMAGELIST>(SendMessageA(list, LVM_GETIMAGELIST, LVSIL_NORMAL, 0));
            ASSERT_TRUE(images);
            EXPECT_EQ(ImageList_GetImageCount(images), 3);
            // Sorted by name: Első, Harmadik, Második.
            ASSERT_EQ(Column(list, 0), (std::vector<std::string>{"Első", "Harmadik", "Második"}));
            EXPECT_EQ(ListImage(list, 0), 0);
            EXPECT_EQ(ListImage(list, 1), 2);
            EXPECT_EQ(ListImage(list, 2), 1);
            EXPECT_TRUE(SameColour(ImageCentreColour(images, 0), red)) << std::hex << ImageCentreColour(images, 0);
            EXPECT_TRUE(SameColour(ImageCentreColour(images, 2), blue)) << std::hex << ImageCentreColour(images, 2);
            EXPECT_TRUE(SameColour(ImageCentreColour(images, 1), GetSysColor(COLOR_WINDOW)))
                << std::hex << ImageCentreColour(images, 1);
        });
    }
}

namespace {

// Makes the main window's list refuse its second LVM_INSERTITEMA: the list view is subclassed as it
// is created (a CBT hook sees its creation before the dialog's WM_INITDIALOG).
int insertCalls = 0;
WNDPROC listProc = nullptr;
HHOOK cbtHook = nullptr;

LRESULT CALLBACK RefusingListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == LVM_INSERTITEMA && ++insertCalls == 2) return -1;
    return CallWindowProcA(listProc, list, message, wParam, lParam);
}

LRESULT CALLBACK SubclassNewLists(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND) {
        HWND window = reinterpret_cast<HWND>(wParam);
        char name[32] = "";
        GetClassNameA(window, name, sizeof name);
        if (_stricmp(name, WC_LISTVIEWA) == 0)
            listProc = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RefusingListProc)));
    }
    return CallNextHookEx(cbtHook, code, wParam, lParam);
}

}  // namespace

TEST_F(MainWindow, AnItemTheListRefusesTakesNeitherARecordNorAnImage)
{
    const COLORREF red = RGB(255, 0, 0), green = RGB(0, 255, 0), blue = RGB(0, 0, 255);
    ASSERT_TRUE(WriteBytes("red.ico", SolidIconFile(red)));
    ASSERT_TRUE(WriteBytes("green.ico", SolidIconFile(green)));
    ASSERT_TRUE(WriteBytes("blue.ico", SolidIconFile(blue)));
    SetUpSession(
        {
            {"A", "Első", "C:\\a.exe", "", "red.ico"},
            {"B", "Második", "C:\\b.exe", "", "green.ico"},
            {"C", "Harmadik", "C:\\c.exe", "", "blue.ico"},
        },
        "A;B;C;");
    insertCalls = 0;
    cbtHook = SetWindowsHookExA(WH_CBT, SubclassNewLists, nullptr, GetCurrentThreadId());
    ItemRecordWatch watch;
    RunMainWindow([&](HWND dialog) {
        UnhookWindowsHookEx(cbtHook);
        HWND list = MainList(dialog);
        ASSERT_EQ(Column(list, 0), (std::vector<std::string>{"Első", "Harmadik"}));
        auto images = reinterpret_cast<HIMAGELIST>(SendMessageA(list, LVM_GETIMAGELIST, LVSIL_NORMAL, 0));
        ASSERT_TRUE(images);
        EXPECT_EQ(ImageList_GetImageCount(images), 2);
        EXPECT_TRUE(SameColour(ImageCentreColour(images, ListImage(list, 0)), red));
        EXPECT_TRUE(SameColour(ImageCentreColour(images, ListImage(list, 1)), blue));
        EXPECT_EQ(watch.Allocated(), 3);
        EXPECT_EQ(watch.Live(), 2) << "the refused item's record must be freed at once";
    });
}
