// The administrator popup menu of the main window and the routing of its commands, driven inside the
// real main window: the popup is read while TrackPopupMenu's own loop runs (the loop tells the owner
// WM_ENTERIDLE with the popup window), then cancelled or used with the keyboard. The ODBC data source
// administrator is opened for real under Wine, and its two branches through replaced imports.
#include "admin/admin_ids.h"
#include "admin/admin_menu.h"
#include "db/odbc_api.h"
#include "config/session.h"
#include "support/bounded_text.h"
#include "shell/main_dialog.h"
#include "shell/shell_ids.h"
#include "tests/harness/dialog_test.h"
#include "tests/harness/message_box_capture.h"
#include "tests/shell/main_window_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <iostream>
#include <string>
#include <vector>

namespace {

struct PopupView {
    bool seen = false;
    std::vector<int> ids;
    std::vector<std::string> texts;
    std::vector<UINT> states;
    RECT rect = {};
};

// While an instance lives, the first menu loop of this thread that goes idle is read into view and
// then handed to act (which dismisses or uses the menu).
class PopupWatch {
public:
    explicit PopupWatch(std::function<void(HWND popup)> act) : act(std::move(act))
    {
        current = this;
        hook = SetWindowsHookExA(WH_CALLWNDPROC, Watch, nullptr, GetCurrentThreadId());
    }
    ~PopupWatch()
    {
        UnhookWindowsHookEx(hook);
        current = nullptr;
    }

    PopupView view;
    HWND owner = nullptr;

private:
    static LRESULT CALLBACK Watch(int code, WPARAM wParam, LPARAM lParam)
    {
        auto* message = reinterpret_cast<CWPSTRUCT*>(lParam);
        PopupWatch* self = current;
        if (code == HC_ACTION && self && !self->view.seen && message->message == WM_ENTERIDLE &&
            message->wParam == MSGF_MENU) {
            HWND popup = reinterpret_cast<HWND>(message->lParam);
            self->owner = message->hwnd;
            self->Read(popup);
            self->act(popup);
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    void Read(HWND popup)
    {
        view.seen = true;
        char name[32] = "";
        GetClassNameA(popup, name, sizeof name);
        EXPECT_STREQ(name, "#32768");
        GetWindowRect(popup, &view.rect);
        auto menu = reinterpret_cast<HMENU>(SendMessageA(popup, MN_GETHMENU, 0, 0));
        ASSERT_TRUE(menu);
        for (int i = 0; i < GetMenuItemCount(menu); i++) {
            char text[128] = "";
            GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
            view.ids.push_back(GetMenuItemID(menu, i));
            view.texts.push_back(text);
            view.states.push_back(GetMenuState(menu, i, MF_BYPOSITION));
        }
    }

    static PopupWatch* current;
    std::function<void(HWND popup)> act;
    HHOOK hook;
};
PopupWatch* PopupWatch::current = nullptr;

void PostKey(HWND window, UINT key)
{
    PostMessageA(window, WM_KEYDOWN, key, 1);
    PostMessageA(window, WM_KEYUP, key, 0xC0000001);
}

// Runs open (which shows the popup and returns when it has closed) until the popup's loop has been
// seen. A menu closes at once when another program's window takes the foreground, as other GUI tests
// on the same display may do; so the window is brought to the front and the opening tried again.
void OpenUntilSeen(HWND dialog, const PopupWatch& watch, const std::function<void()>& open)
{
    for (int attempt = 0; attempt < 5 && !watch.view.seen; attempt++) {
        SetForegroundWindow(dialog);
        open();
    }
}

class AdminMenu : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetMainWindowState();
        SetUpSession({{"A", "Program", "C:\\a.exe", "", ""}}, "A;");
    }
    void TearDown() override { ClearSession(); }
};

}  // namespace

TEST_F(AdminMenu, ButtonAndMenuItemOpenTheSixItemsLeftOfTheButtonAndCancellingDoesNothing)
{
    struct Case {
        const char* name;
        void (*open)(HWND dialog);
        void (*dismiss)(HWND popup);
    } cases[] = {
        {"button, EndMenu", [](HWND dialog) { Click(dialog, IDC_MAIN_ADMIN); }, [](HWND) { EndMenu(); }},
        {"menu bar item, EndMenu", [](HWND dialog) { SendCommand(dialog, IDC_MAIN_ADMIN); }, [](HWND) { EndMenu(); }},
        {"button, Escape", [](HWND dialog) { SendDlgItemMessageA(dialog, IDC_MAIN_ADMIN, BM_CLICK, 0, 0); },
         [](HWND popup) { PostKey(popup, VK_ESCAPE); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MessageBoxCapture boxes;
        PopupWatch watch(c.dismiss);
        RECT button = {};
        HWND window = nullptr;
        bool openAfterwards = true;
        RunMainWindow([&](HWND dialog) {
            window = dialog;
            GetWindowRect(GetDlgItem(dialog, IDC_MAIN_ADMIN), &button);
            OpenUntilSeen(dialog, watch, [&] { c.open(dialog); });
            openAfterwards = IsWindowVisible(dialog) != 0;
            PumpMessages(dialog);
        });
        ASSERT_TRUE(watch.view.seen) << "no menu loop went idle";
        EXPECT_EQ(watch.owner, window);
        EXPECT_EQ(watch.view.ids, (std::vector<int>{IDM_ADMIN_ODBC, IDM_ADMIN_MYSQL_USERS, IDM_ADMIN_MYSQL_BACKUP,
                                                    IDM_ADMIN_MSSQL_LOGINS, IDM_ADMIN_MSSQL_BACKUP, IDM_ADMIN_MYSQL_RESTORE,
                                                    IDM_ADMIN_MSSQL_RESTORE, IDM_ADMIN_USER_RIGHTS}));
        EXPECT_EQ(watch.view.texts, (std::vector<std::string>{
                                        "ODBC adminsztrátor",
                                        "MySQL - Felhasználói jogosultságok",
                                        "MySQL - Mentés",
                                        "Microsoft SQL Server - Felhasználói jogosultságok",
                                        "Microsoft SQL Server - Mentés",
                                        "MySQL - Visszaállítás",
                                        "Microsoft SQL Server - Visszaállítás",
                                        "Felhasználói jogosultságok",
                                    }));
        for (UINT state : watch.view.states) EXPECT_EQ(state & (MF_DISABLED | MF_GRAYED | MF_CHECKED | MF_POPUP), 0u);
        // Right edge at the button's left edge, top level with the button's top.
        EXPECT_NEAR(watch.view.rect.right, button.left, 2);
        EXPECT_NEAR(watch.view.rect.top, button.top, 2);
        EXPECT_LT(watch.view.rect.left, watch.view.rect.right);
        // Cancelling chose nothing.
        EXPECT_TRUE(openAfterwards);
        EXPECT_EQ(boxes.Count(), 0u);
    }
}

TEST_F(AdminMenu, AnItemChosenWithTheKeyboardArrivesAsItsCommand)
{
    MessageBoxCapture boxes;
    HWND window = nullptr;
    std::string editorCaption;
    HWND editorOwner = nullptr;
    PopupWatch watch([](HWND popup) {
        // Down to the last item, "Felhasználói jogosultságok", and choose it.
        for (int i = 0; i < 8; i++) PostKey(popup, VK_DOWN);
        PostKey(popup, VK_RETURN);
    });
    RunMainWindow([&](HWND dialog) {
        window = dialog;
        OnNextDialog([&](HWND editor) {
            editorCaption = WindowText(editor);
            editorOwner = GetWindow(editor, GW_OWNER);
            SendMessageA(editor, WM_CLOSE, 0, 0);
        });
        OpenUntilSeen(dialog, watch, [&] { Click(dialog, IDC_MAIN_ADMIN); });
        EXPECT_TRUE(editorCaption.empty()) << "the command comes after the menu has closed";
        PumpMessages(dialog);
    });
    ASSERT_TRUE(watch.view.seen);
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_EQ(editorCaption, "Felhasználói jogosultságok");
    EXPECT_EQ(editorOwner, window);
}

TEST_F(AdminMenu, EachToolCommandOpensItsOwnToolOverTheMainWindow)
{
    // The server tools open their connection first: to a data source that does not exist (or none)
    // each shows the driver manager's "ODBC error" box and then its own message, and opens no dialog.
    const std::string loginFailed =
        "Az adatbázis a bejelentkezés sikertelen!\r\nKérem vegye fel a kapcsolatot a rendszergazdával!";
    const struct {
        int command;
        std::vector<std::string> captionsAndTexts;
    } routes[] = {
        {IDM_ADMIN_MYSQL_USERS, {"ODBC error", "", "Hibaüzenet", loginFailed}},
        {IDM_ADMIN_MYSQL_BACKUP, {"ODBC error", "", "Hibaüzenet", loginFailed}},
        {IDM_ADMIN_MSSQL_LOGINS, {"ODBC error", "", "Hibaüzenet", loginFailed}},
        {IDM_ADMIN_MSSQL_BACKUP, {"ODBC error", "", "Hibaüzenet", loginFailed}},
        {IDM_ADMIN_MYSQL_RESTORE, {"ODBC error", "", "Hibaüzenet", loginFailed}},
        {IDM_ADMIN_MSSQL_RESTORE, {"ODBC error", "", "Hibaüzenet", loginFailed}},
    };
    ASSERT_EQ(LoadOdbcApi(), 1);
    CopyText(session.mysqlDataSource, "MV_NINCS_ILYEN");
    MessageBoxCapture boxes;
    HWND window = nullptr;
    std::vector<size_t> counts;
    HWND editorOwner = nullptr;
    RunMainWindow([&](HWND dialog) {
        window = dialog;
        for (const auto& route : routes) {
            SendCommand(dialog, route.command);
            counts.push_back(boxes.Count());
        }
        // The user-rights editor is a dialog of its own over the main window.
        OnNextDialog([&](HWND editor) {
            if (WindowText(editor) == "Felhasználói jogosultságok") editorOwner = GetWindow(editor, GW_OWNER);
            SendMessageA(editor, WM_CLOSE, 0, 0);
        });
        SendCommand(dialog, IDM_ADMIN_USER_RIGHTS);
        // 134 is no command of the menu.
        SendCommand(dialog, 134);
        EXPECT_TRUE(IsWindowVisible(dialog));
    });
    EXPECT_EQ(editorOwner, window);
    const size_t routeCount = sizeof routes / sizeof routes[0];
    ASSERT_EQ(counts.size(), routeCount);
    EXPECT_EQ(boxes.Count(), counts.back()) << "the editor shows no box";
    size_t box = 0;
    for (size_t i = 0; i < routeCount; i++) {
        SCOPED_TRACE(routes[i].command);
        const std::vector<std::string>& expected = routes[i].captionsAndTexts;
        ASSERT_EQ(counts[i] - box, expected.size() / 2);
        for (size_t k = 0; k < expected.size(); k += 2, box++) {
            EXPECT_EQ(boxes.Boxes()[box].caption, expected[k]);
            // The driver manager's own text is not ours to pin.
            if (!expected[k + 1].empty()) {
                EXPECT_EQ(boxes.Boxes()[box].text, expected[k + 1]);
            }
            if (expected[k] != "ODBC error") {
                EXPECT_EQ(boxes.Boxes()[box].owner, window);
            }
        }
    }
}

// ---------------------------------------------------------------------------------------------
// ODBC data source administrator

namespace {

struct OdbcStubs {
    DWORD majorVersion = 0;  // 0: the platform's own answer
    bool libraryMissing = false;
    int winExecResult = 33;
    bool fakeManager = false;

    std::vector<std::string> winExecCommands;
    std::vector<UINT> winExecShows;
    std::vector<HWND> managerParents;
    std::vector<DWORD> versionSizes;
};
OdbcStubs* stubs = nullptr;
void* realGetVersionExA = nullptr;
void* realLoadLibraryA = nullptr;

BOOL WINAPI StubGetVersionExA(OSVERSIONINFOA* version)
{
    stubs->versionSizes.push_back(version->dwOSVersionInfoSize);
    BOOL result = reinterpret_cast<BOOL(WINAPI*)(OSVERSIONINFOA*)>(realGetVersionExA)(version);
    if (stubs->majorVersion) version->dwMajorVersion = stubs->majorVersion;
    return result;
}

HMODULE WINAPI StubLoadLibraryA(const char* name)
{
    if (stubs->libraryMissing && _stricmp(name, "odbccp32.dll") == 0) return nullptr;
    return reinterpret_cast<HMODULE(WINAPI*)(const char*)>(realLoadLibraryA)(name);
}

UINT WINAPI StubWinExec(const char* command, UINT show)
{
    stubs->winExecCommands.push_back(command);
    stubs->winExecShows.push_back(show);
    return stubs->winExecResult;
}

BOOL WINAPI FakeManageDataSources(HWND parent)
{
    stubs->managerParents.push_back(parent);
    return TRUE;
}

void* realGetProcAddress = nullptr;
FARPROC WINAPI StubGetProcAddress(HMODULE module, const char* name)
{
    if (stubs->fakeManager && !IS_INTRESOURCE(name) && strcmp(name, "SQLManageDataSources") == 0)
        return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&FakeManageDataSources));
    return reinterpret_cast<FARPROC(WINAPI*)(HMODULE, const char*)>(realGetProcAddress)(module, name);
}

// Replaces the imports the command uses for as long as it lives.
class OdbcImports {
public:
    explicit OdbcImports(OdbcStubs* s)
    {
        stubs = s;
        realGetVersionExA = ReplaceImport("kernel32.dll", "GetVersionExA", reinterpret_cast<void*>(&StubGetVersionExA));
        realLoadLibraryA = ReplaceImport("kernel32.dll", "LoadLibraryA", reinterpret_cast<void*>(&StubLoadLibraryA));
        realWinExec = ReplaceImport("kernel32.dll", "WinExec", reinterpret_cast<void*>(&StubWinExec));
        realGetProcAddress =
            ReplaceImport("kernel32.dll", "GetProcAddress", reinterpret_cast<void*>(&StubGetProcAddress));
    }
    ~OdbcImports()
    {
        ReplaceImport("kernel32.dll", "GetVersionExA", realGetVersionExA);
        ReplaceImport("kernel32.dll", "LoadLibraryA", realLoadLibraryA);
        ReplaceImport("kernel32.dll", "WinExec", realWinExec);
        ReplaceImport("kernel32.dll", "GetProcAddress", realGetProcAddress);
        stubs = nullptr;
    }
    bool Complete() const { return realGetVersionExA && realLoadLibraryA && realWinExec && realGetProcAddress; }

private:
    void* realWinExec;
};

}  // namespace

TEST_F(AdminMenu, OdbcAdministratorUnderWineRunsSqlManageDataSourcesAndShowsNoMessage)
{
    // Wine reports version 6.1, and its odbccp32 exports the function: the newer systems' branch.
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    ASSERT_TRUE(GetVersionExA(&version));
#pragma GCC diagnostic pop
    EXPECT_GE(version.dwMajorVersion, 6u);
    HMODULE installer = LoadLibraryA("odbccp32.dll");
    ASSERT_TRUE(installer);
    EXPECT_TRUE(GetProcAddress(installer, "SQLManageDataSources"));
    FreeLibrary(installer);

    // Whatever window the administrator opens is recorded and closed from a thread timer, which its
    // modal loop (if it has one) dispatches.
    static std::vector<std::string> opened;
    opened.clear();
    MessageBoxCapture boxes;
    RunMainWindow([](HWND dialog) {
        UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) {
            EnumThreadWindows(
                GetCurrentThreadId(),
                [](HWND window, LPARAM) -> BOOL {
                    char name[64] = "";
                    GetClassNameA(window, name, sizeof name);
                    if (IsWindowVisible(window) && strcmp(name, "#32770") == 0 &&
                        GetDlgItem(window, IDC_MAIN_LIST) == nullptr) {
                        opened.push_back(name + (": " + WindowText(window)));
                        PostMessageA(window, WM_CLOSE, 0, 0);
                    }
                    return TRUE;
                },
                0);
        });
        SendCommand(dialog, IDM_ADMIN_ODBC);
        KillTimer(nullptr, timer);
        EXPECT_TRUE(IsWindowVisible(dialog));
    });
    EXPECT_EQ(boxes.Count(), 0u);
    // Wine 8's SQLManageDataSources opens no window; should a later Wine show one, it is listed here.
    for (const std::string& window : opened) std::cout << "  the ODBC administrator opened " << window << "\n";
}

TEST_F(AdminMenu, OdbcAdministratorBranchesByMajorVersion)
{
    struct Case {
        const char* name;
        DWORD major;
        bool libraryMissing;
        int winExecResult;
        int managerCalls;
        int winExecCalls;
        int messages;
    } cases[] = {
        {"version 6: SQLManageDataSources", 6, false, 33, 1, 0, 0},
        {"version 10: SQLManageDataSources", 10, false, 33, 1, 0, 0},
        {"version 6 without odbccp32.dll: nothing", 6, true, 33, 0, 0, 0},
        {"version 5: odbcad32.exe", 5, false, 33, 0, 1, 0},
        {"version 5, odbcad32.exe fails", 5, false, 2, 0, 1, 1},
        {"version 5, WinExec answers 31", 5, false, 31, 0, 1, 1},
        {"version 5, WinExec answers 32", 5, false, 32, 0, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OdbcStubs s;
        s.majorVersion = c.major;
        s.libraryMissing = c.libraryMissing;
        s.winExecResult = c.winExecResult;
        s.fakeManager = true;
        MessageBoxCapture boxes;
        HWND window = nullptr;
        {
            OdbcImports imports(&s);
            ASSERT_TRUE(imports.Complete());
            RunMainWindow([&](HWND dialog) {
                window = dialog;
                SendCommand(dialog, IDM_ADMIN_ODBC);
            });
        }
        EXPECT_EQ(s.versionSizes, std::vector<DWORD>{148});
        ASSERT_EQ((int)s.managerParents.size(), c.managerCalls);
        if (c.managerCalls) {
            EXPECT_EQ(s.managerParents[0], window);
        }
        ASSERT_EQ((int)s.winExecCommands.size(), c.winExecCalls);
        if (c.winExecCalls) {
            EXPECT_EQ(s.winExecCommands[0], "odbcad32.exe");
            EXPECT_EQ(s.winExecShows[0], (UINT)SW_SHOWNORMAL);
        }
        ASSERT_EQ((int)boxes.Count(), c.messages);
        if (c.messages) {
            EXPECT_EQ(boxes.Boxes()[0].text, "Az odbcad32.exe betöltése sikertelen.");
            EXPECT_EQ(boxes.Boxes()[0].caption, "Hibaüzenet");
            EXPECT_EQ(boxes.Boxes()[0].style, (UINT)MB_TASKMODAL);
            EXPECT_EQ(boxes.Boxes()[0].owner, window);
        }
    }
}

TEST_F(AdminMenu, ANonAdministratorCannotReachThePopupThroughTheHiddenButtonsMnemonic)
{
    for (bool admin : {true, false}) {
        SCOPED_TRACE(admin ? "administrator" : "user");
        SetUpSession({{"A", "Program", "C:\\a.exe", "", ""}}, "A;", admin);
        PopupWatch watch([](HWND) { EndMenu(); });
        RunMainWindow([&](HWND dialog) {
            // Alt+A as the dialog's modal loop hands it over, from the list, whatever window of the
            // display has the keyboard.
            OpenUntilSeen(dialog, watch, [&] {
                MSG key = {};
                key.hwnd = MainList(dialog);
                key.message = WM_SYSCHAR;
                key.wParam = 'a';
                key.lParam = 0x20000001;
                IsDialogMessageA(dialog, &key);
                PumpMessages(dialog);
            });
        });
        EXPECT_EQ(watch.view.seen, admin);
    }
}
