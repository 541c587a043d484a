// The dialog utilities on real windows: the LOGIN template as host dialog (with a procedure of the
// test's own), list views made here, and the real file choosers driven from inside their own loop.
#include "ui/dialog_utils.h"

#include "support/process_state.h"
#include "shell/shell_ids.h"
#include "tests/harness/dialog_test.h"
#include "tests/harness/test_files.h"

#include <commdlg.h>
#include <dlgs.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

INT_PTR CALLBACK HostProc(HWND dialog, UINT message, WPARAM, LPARAM)
{
    if (message == WM_CLOSE) EndDialog(dialog, 0);
    return FALSE;
}

// Runs steps inside the LOGIN dialog.
void InHostDialog(const DialogSteps& steps)
{
    RunDialog("LOGIN", HostProc, 0, steps);
}

std::string ClassOf(HWND window)
{
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

int ThreadTooltipCount()
{
    int count = 0;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM counter) -> BOOL {
            if (lstrcmpiA(ClassOf(window).c_str(), TOOLTIPS_CLASSA) == 0) ++*reinterpret_cast<int*>(counter);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

TEST(AddToolTip, RefusesWithoutIdTextDialogOrControlAndMakesNoWindow)
{
    InHostDialog([](HWND dialog) {
        struct Case {
            const char* what;
            HWND dialog;
            int id;
            const char* text;
        };
        const std::vector<Case> cases = {
            {"id 0", dialog, 0, "tipp"},
            {"null text", dialog, IDC_LOGIN_OK, nullptr},
            {"null dialog", nullptr, IDC_LOGIN_OK, "tipp"},
            {"missing control", dialog, 4242, "tipp"},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.what);
            int before = ThreadTooltipCount();
            EXPECT_EQ(AddToolTip(c.dialog, c.id, c.text, TTF_SUBCLASS), nullptr);
            EXPECT_EQ(ThreadTooltipCount(), before);
        }
    });
}

TEST(AddToolTip, GivesTheControlABalloonOfItsOwnOwnedByTheDialog)
{
    static const char tip[] = "Belépés a programba";
    InHostDialog([](HWND dialog) {
        int before = ThreadTooltipCount();
        HWND window = AddToolTip(dialog, IDC_LOGIN_OK, tip, TTF_SUBCLASS);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(ThreadTooltipCount(), before + 1);
        EXPECT_EQ(lstrcmpiA(ClassOf(window).c_str(), TOOLTIPS_CLASSA), 0);
        EXPECT_EQ(GetWindow(window, GW_OWNER), dialog);
        LONG style = GetWindowLongA(window, GWL_STYLE);
        EXPECT_EQ(style & (WS_POPUP | TTS_BALLOON | TTS_ALWAYSTIP), WS_POPUP | TTS_BALLOON | TTS_ALWAYSTIP);
        EXPECT_EQ(SendMessageA(window, TTM_GETTOOLCOUNT, 0, 0), 1);

        char text[80] = "";
        TOOLINFOA tool = {};
        tool.cbSize = TTTOOLINFOA_V1_SIZE;
        tool.hwnd = dialog;
        tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(dialog, IDC_LOGIN_OK));
        tool.lpszText = text;
        ASSERT_TRUE(SendMessageA(window, TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&tool)));
        EXPECT_EQ(tool.uFlags & (TTF_SUBCLASS | TTF_IDISHWND), (UINT)(TTF_SUBCLASS | TTF_IDISHWND));
        EXPECT_STREQ(text, tip);

        // A second control gets a second window.
        EXPECT_NE(AddToolTip(dialog, IDC_LOGIN_ID, tip, TTF_SUBCLASS), nullptr);
        EXPECT_EQ(ThreadTooltipCount(), before + 2);
    });
}

TEST(ControlText, ReadsBoundedAndEmptiesTheBufferForAMissingControl)
{
    InHostDialog([](HWND dialog) {
        EXPECT_TRUE(SetControlText(dialog, IDC_LOGIN_ID, "ŐRSZEM"));
        EXPECT_EQ(Text(dialog, IDC_LOGIN_ID), "ŐRSZEM");
        EXPECT_FALSE(SetControlText(dialog, 4242, "sehol"));

        char buffer[16];
        memset(buffer, 'x', sizeof buffer);
        EXPECT_EQ(GetControlText(dialog, IDC_LOGIN_ID, buffer, sizeof buffer), buffer);
        EXPECT_STREQ(buffer, "ŐRSZEM");

        memset(buffer, 'x', sizeof buffer);
        GetControlText(dialog, IDC_LOGIN_ID, buffer, 4);
        EXPECT_STREQ(buffer, "ŐRS");
        EXPECT_EQ(buffer[4], 'x');

        memset(buffer, 'x', sizeof buffer);
        buffer[sizeof buffer - 1] = '\0';
        EXPECT_EQ(GetControlText(dialog, 4242, buffer, sizeof buffer), buffer);
        EXPECT_STREQ(buffer, "");
    });
}

// A list view of the test's own, with a window procedure in front that counts WM_STYLECHANGING.
struct WatchedList {
    HWND parent;
    HWND list;
    WNDPROC original;
    int styleChanges = 0;

    explicit WatchedList(DWORD style, DWORD extendedStyle = 0)
    {
        InitCommonControls();
        if (!appInstance) appInstance = GetModuleHandleA(nullptr);
        parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
        list = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | style, 0, 0, 300, 200, parent, nullptr,
                               nullptr, nullptr);
        SetPropA(list, "watch", this);
        original = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WatchedList::Proc)));
        if (extendedStyle) SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, extendedStyle, extendedStyle);
    }
    ~WatchedList() { DestroyWindow(parent); }

    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = static_cast<WatchedList*>(GetPropA(window, "watch"));
        if (message == WM_STYLECHANGING && wParam == (WPARAM)GWL_STYLE) self->styleChanges++;
        return CallWindowProcA(self->original, window, message, wParam, lParam);
    }
    LONG Style() const { return GetWindowLongA(list, GWL_STYLE); }
};

TEST(SetListViewMode, WritesTheStyleOnlyWhenTheModeChangesAndOnlyItsTwoBits)
{
    const DWORD others = LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_AUTOARRANGE;
    WatchedList watched(LVS_REPORT | others);
    // The watch sees a write even when it changes nothing, so silence below means no write.
    SetWindowLongA(watched.list, GWL_STYLE, watched.Style());
    ASSERT_EQ(watched.styleChanges, 1);

    struct Step {
        DWORD mode;
        int writes;
    };
    const std::vector<Step> steps = {{1, 0}, {3, 1}, {3, 0}, {0, 1}, {0, 0}, {2, 1}, {1, 1}};
    for (const Step& step : steps) {
        SCOPED_TRACE(step.mode);
        LONG before = watched.Style();
        watched.styleChanges = 0;
        SetListViewMode(watched.list, step.mode);
        EXPECT_EQ(watched.styleChanges, step.writes);
        EXPECT_EQ((DWORD)watched.Style(), (before & ~(DWORD)LVS_TYPEMASK) | step.mode);
        EXPECT_EQ(SendMessageA(watched.list, LVM_GETVIEW, 0, 0), (LRESULT)step.mode);  // LV_VIEW_* match
    }
}

TEST(SetListCheck, SetsStateImageTwoForTickedAndOneForClearedOnlyOnItsItem)
{
    WatchedList watched(LVS_REPORT, LVS_EX_CHECKBOXES);
    HWND list = watched.list;
    LVCOLUMNA column = {};
    column.mask = LVCF_WIDTH;
    column.cx = 100;
    SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    for (int i = 0; i < 3; ++i) {
        LVITEMA item = {};
        item.mask = LVIF_TEXT;
        item.iItem = i;
        item.pszText = const_cast<char*>("sor");
        SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    ListView_SetItemState(list, 1, LVIS_SELECTED, LVIS_SELECTED);
    auto stateImage = [&](int item) {
        return (int)((SendMessageA(list, LVM_GETITEMSTATE, item, LVIS_STATEIMAGEMASK) & LVIS_STATEIMAGEMASK) >> 12);
    };

    SetListCheck(list, 1, 1);
    EXPECT_EQ(stateImage(1), 2);
    EXPECT_TRUE(ListChecked(list, 1));
    EXPECT_EQ(stateImage(0), 1);
    EXPECT_EQ(stateImage(2), 1);
    EXPECT_TRUE(SendMessageA(list, LVM_GETITEMSTATE, 1, LVIS_SELECTED) & LVIS_SELECTED);
    SetListCheck(list, 1, 0);
    EXPECT_EQ(stateImage(1), 1);
    EXPECT_FALSE(ListChecked(list, 1));
    SetListCheck(list, 2, 1);
    EXPECT_EQ(stateImage(2), 2);
    EXPECT_TRUE(SendMessageA(list, LVM_GETITEMSTATE, 1, LVIS_SELECTED) & LVIS_SELECTED);
}

// --- file choosers ----------------------------------------------------------------------------------

// What a step saw of a chooser.
struct ChooserView {
    std::string caption;
    std::vector<std::string> filters;
    bool seen = false;
};

HWND NameField(HWND chooser)
{
    HWND field = GetDlgItem(chooser, cmb13);
    return field ? field : GetDlgItem(chooser, edt1);
}

// Queues steps for the chooser about to open: note what it shows, then cancel it or accept name.
// With asked, the chooser's question that follows (whether to overwrite) is noted there and answered
// yes.
void DriveChooser(ChooserView& view, const char* name, bool* asked = nullptr)
{
    OnNextDialog([&view, name, asked](HWND chooser) {
        view.seen = true;
        view.caption = WindowText(chooser);
        view.filters = ComboItems(chooser, cmb1);
        if (!name) {
            Click(chooser, IDCANCEL);
            return;
        }
        SetWindowTextA(NameField(chooser), name);
        if (asked) OnNextDialog([asked](HWND question) { *asked = true; Click(question, IDYES); });
        Click(chooser, IDOK);
    });
}

class ChooserTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(WriteBytes(directory.PathOf("adat.txt"), "x"));
        ASSERT_TRUE(WriteBytes(directory.PathOf("ikon.ico"), "x"));
    }
    ScratchDirectory directory;  // the choosers' initial directory; never the current one
};

TEST_F(ChooserTest, OpenChooserDefaultsAcceptAndCancel)
{
    InHostDialog([&](HWND dialog) {
        ChooserView accepted;
        DriveChooser(accepted, "adat.txt");
        const char* result = ChooseOpenFile(dialog, appInstance, directory.path.c_str(), nullptr, nullptr);
        EXPECT_TRUE(accepted.seen);
        EXPECT_EQ(accepted.caption, "Fálj kiválasztás");
        EXPECT_EQ(accepted.filters, std::vector<std::string>{"Összes fájl"});
        EXPECT_STREQ(result, directory.PathOf("adat.txt").c_str());

        ChooserView cancelled;
        DriveChooser(cancelled, nullptr);
        const char* again = ChooseOpenFile(dialog, appInstance, directory.path.c_str(), nullptr, nullptr);
        EXPECT_TRUE(cancelled.seen);
        EXPECT_STREQ(again, "");
        // The same buffer: the earlier result is gone too.
        EXPECT_EQ(again, result);
        EXPECT_STREQ(result, "");
    });
}

TEST_F(ChooserTest, OpenChooserShowsTheCallersTitleAndFilters)
{
    static const char filter[] = "Ikonok\0*.ico\0Minden fájl\0*.*\0";
    InHostDialog([&](HWND dialog) {
        ChooserView view;
        DriveChooser(view, "ikon.ico");
        const char* result = ChooseOpenFile(dialog, appInstance, directory.path.c_str(), "Ikon választás", filter);
        EXPECT_EQ(view.caption, "Ikon választás");
        EXPECT_EQ(view.filters, (std::vector<std::string>{"Ikonok", "Minden fájl"}));
        EXPECT_STREQ(result, directory.PathOf("ikon.ico").c_str());
    });
}

// The save chooser takes a new name, a long one too (a whole path), and an existing file only after
// asking.
TEST_F(ChooserTest, SaveChooserHasItsOwnDefaultsAndItsOwnResult)
{
    InHostDialog([&](HWND dialog) {
        ChooserView view;
        const std::string fresh = std::string(200 - directory.path.size(), 'u') + ".bak";
        DriveChooser(view, fresh.c_str());
        EXPECT_EQ(ChooseSaveFile(dialog, appInstance, directory.path.c_str(), nullptr), directory.PathOf(fresh));
        bool asked = false;
        DriveChooser(view, "adat.txt", &asked);
        const char* saved = ChooseSaveFile(dialog, appInstance, directory.path.c_str(), nullptr);
        EXPECT_TRUE(asked);
        EXPECT_EQ(view.caption, "Fájl mentés");
        EXPECT_EQ(view.filters, std::vector<std::string>{"Összes fájl"});
        EXPECT_STREQ(saved, directory.PathOf("adat.txt").c_str());

        // Cancelling the open chooser leaves the save chooser's result alone.
        ChooserView cancelled;
        DriveChooser(cancelled, nullptr);
        EXPECT_STREQ(ChooseOpenFile(dialog, appInstance, directory.path.c_str(), nullptr, nullptr), "");
        EXPECT_STREQ(saved, directory.PathOf("adat.txt").c_str());

        ChooserView titled;
        DriveChooser(titled, nullptr);
        EXPECT_STREQ(ChooseSaveFile(dialog, appInstance, directory.path.c_str(), "Mentés helye"), "");
        EXPECT_EQ(titled.caption, "Mentés helye");
        EXPECT_STREQ(saved, "");
    });
}

}  // namespace
