// MintaProgram.exe: a sample program of the suite. It shows what the launcher hands a program it
// starts: the whole command line, the ODBC alias, user ID and password of the one argument
// "ALIAS;USER;PASSWORD", and the working directory (the program's own folder).
#include <windows.h>

#include <string.h>

#include <string>

namespace {

const char* const WindowClass = "MintaProgram";

// Controls; the value fields are read-only edits so their texts can be selected and copied.
enum {
    IdCommandLine = 201,
    IdAlias = 202,
    IdUser = 203,
    IdPassword = 204,
    IdDirectory = 205,
    IdNote = 301,
};

struct Received {
    std::string commandLine;
    std::string argument;  // what follows the program's path
    std::string alias, user, password;
    std::string directory;
};

// The text after the program's path. The launcher passes the path unquoted, blanks and all, so the
// command line is first compared with the program's own full path; otherwise the usual rule applies
// (a quoted first word, or everything up to the first blank).
std::string ArgumentOf(const std::string& commandLine)
{
    char self[MAX_PATH * 2] = "";
    DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
    size_t skip = 0;
    if (length > 0 && length < sizeof self && commandLine.size() >= length &&
        CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, commandLine.c_str(), length, self, length) == CSTR_EQUAL) {
        skip = length;
    } else if (!commandLine.empty() && commandLine[0] == '"') {
        size_t close = commandLine.find('"', 1);
        skip = close == std::string::npos ? commandLine.size() : close + 1;
    } else {
        skip = commandLine.find_first_of(" \t");
        if (skip == std::string::npos) skip = commandLine.size();
    }
    size_t start = commandLine.find_first_not_of(" \t", skip);
    return start == std::string::npos ? std::string() : commandLine.substr(start);
}

Received ReadReceived()
{
    Received r;
    r.commandLine = GetCommandLineA();
    r.argument = ArgumentOf(r.commandLine);
    // ALIAS;USER;PASSWORD: the password is whatever follows the second ";".
    size_t first = r.argument.find(';');
    size_t second = first == std::string::npos ? std::string::npos : r.argument.find(';', first + 1);
    r.alias = r.argument.substr(0, first);
    if (first != std::string::npos) r.user = r.argument.substr(first + 1, second - (first + 1));
    if (second != std::string::npos) r.password = r.argument.substr(second + 1);
    char directory[MAX_PATH * 2] = "";
    DWORD n = GetCurrentDirectoryA(sizeof directory, directory);
    if (n > 0 && n < sizeof directory) r.directory = directory;
    return r;
}

HFONT font = nullptr;

HWND AddControl(HWND window, const char* className, const char* text, DWORD style, int id, int x, int y, int width,
                int height)
{
    HWND control = CreateWindowExA(strcmp(className, "EDIT") == 0 ? WS_EX_CLIENTEDGE : 0, className, text,
                                   WS_CHILD | WS_VISIBLE | style, x, y, width, height, window,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

void CreateControls(HWND window)
{
    const Received r = ReadReceived();
    const bool started = !r.argument.empty();
    AddControl(window, "STATIC",
               started ? "Ezeket kapta a program a Marvitelkontól:"
                       : "A program paraméterek nélkül indult (üres alias, vagy nem a Marvitelkon indította).",
               SS_LEFT, IdNote, 12, 12, 496, 20);
    const struct {
        const char* label;
        int id;
        const std::string* value;
    } rows[] = {
        {"Parancssor:", IdCommandLine, &r.commandLine},
        {"ODBC alias:", IdAlias, &r.alias},
        {"Felhasználó:", IdUser, &r.user},
        {"Jelszó:", IdPassword, &r.password},
        {"Munkakönyvtár:", IdDirectory, &r.directory},
    };
    int y = 40;
    for (const auto& row : rows) {
        AddControl(window, "STATIC", row.label, SS_LEFT, -1, 12, y + 3, 100, 20);
        AddControl(window, "EDIT", row.value->c_str(), WS_TABSTOP | ES_AUTOHSCROLL | ES_READONLY, row.id, 116, y, 392, 23);
        y += 32;
    }
    HWND close = AddControl(window, "BUTTON", "&Bezárás", WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK, 408, y + 4, 100, 26);
    SetFocus(close);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: CreateControls(window); return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) DestroyWindow(window);
        return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = sizeof metrics;
    font = SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)
               ? CreateFontIndirectA(&metrics.lfMessageFont)
               : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = WindowClass;
    if (!RegisterClassA(&windowClass)) return 1;

    // A client area of 520 x 250 pixels.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT frame = {0, 0, 520, 250};
    AdjustWindowRect(&frame, style, FALSE);
    HWND window = CreateWindowExA(0, WindowClass, "Mintaprogram - Marvitelkon", style, CW_USEDEFAULT, CW_USEDEFAULT,
                                  frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    ShowWindow(window, show);
    UpdateWindow(window);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (IsDialogMessageA(window, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    if (font != GetStockObject(DEFAULT_GUI_FONT)) DeleteObject(font);
    return 0;
}
