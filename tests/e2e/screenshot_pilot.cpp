// screenshot_pilot.exe: takes the README's screenshots from the real program (run by
// scripts/screenshots.sh; not a test). Starts Marvitelkon.exe in the demo folder, saves the login
// window, logs in as ADMIN, saves the main window in icon view and in report view, and the sample
// program started from it. Usage: screenshot_pilot DEMO-FOLDER OUTPUT-FOLDER (Windows paths).
#include "tests/e2e/e2e_driver.h"

#include "shell/shell_ids.h"

#include <stdio.h>

#include <string>
#include <vector>

namespace {

// Saves a screen rectangle as a 24-bit bitmap file.
bool SaveScreenRect(const RECT& rect, const std::string& path)
{
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return false;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    SelectObject(memory, old);

    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    int stride = (width * 3 + 3) & ~3;
    std::vector<char> pixels((size_t)stride * height);
    GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    BITMAPFILEHEADER header = {};
    header.bfType = 0x4D42;
    header.bfOffBits = sizeof header + sizeof info;
    header.bfSize = header.bfOffBits + (DWORD)pixels.size();
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) return false;
    bool ok = fwrite(&header, sizeof header, 1, file) == 1 && fwrite(&info, sizeof info, 1, file) == 1 &&
              fwrite(pixels.data(), 1, pixels.size(), file) == pixels.size();
    return fclose(file) == 0 && ok;
}

bool SaveWindow(HWND window, const std::string& path)
{
    RECT rect;
    GetWindowRect(window, &rect);
    // The pointer off the window (no tooltip in the picture), then time to finish painting.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    Sleep(1500);
    bool saved = SaveScreenRect(rect, path);
    printf("%s %s\n", saved ? "saved" : "could not save", path.c_str());
    return saved;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: screenshot_pilot DEMO-FOLDER OUTPUT-FOLDER\n");
        return 2;
    }
    std::string demo = argv[1], output = argv[2];
    e2e::Program launcher;
    if (!launcher.Start(demo + "\\Marvitelkon.exe", demo)) return 1;
    HWND login = launcher.WaitForDialog("Bejelenkezés");
    if (!login) return 1;
    e2e::SetControlText(login, IDC_LOGIN_ID, "ADMIN");
    e2e::TypeText(login, IDC_LOGIN_PASSWORD, "ADMIN");
    SaveWindow(login, output + "\\login.bmp");

    e2e::Click(login, IDC_LOGIN_OK);
    HWND main = launcher.WaitForWindow(e2e::HasControl(IDC_MAIN_LIST, "SysListView32"));
    if (!main) return 1;
    SaveWindow(main, output + "\\main-icons.bmp");
    e2e::Command(main, IDM_VIEW_REPORT);
    e2e::WaitUntil([&] { return (e2e::Style(e2e::Control(main, IDC_MAIN_LIST)) & LVS_TYPEMASK) == LVS_REPORT; });
    SaveWindow(main, output + "\\main-report.bmp");

    // The first item (Bérszámfejtés) starts the sample program with its alias.
    e2e::Click(main, IDC_MAIN_START);
    HWND sample = nullptr;
    e2e::WaitUntil([&] { return (sample = FindWindowA("MintaProgram", nullptr)) != nullptr && IsWindowVisible(sample); });
    if (sample) {
        SaveWindow(sample, output + "\\sample-program.bmp");
        e2e::Close(sample);
    }

    e2e::PressCloseBox(main);
    return launcher.ExpectExit() ? 0 : 1;
}
