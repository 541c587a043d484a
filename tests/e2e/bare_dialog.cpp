// bare_dialog.exe: the smallest modal-dialog program, the floor for the start-up timings of
// scripts/bench-startup.sh. A dialog box from an in-memory template (caption "Alap", one button)
// that closes on the button, the close box or Escape.
#include <windows.h>

#include <string.h>

namespace {

INT_PTR CALLBACK BareProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) EndDialog(dialog, 0);
    if (message == WM_CLOSE) EndDialog(dialog, 0);
    return FALSE;
}

// Appends a UTF-16 text to a template under construction.
WORD* PutText(WORD* at, const wchar_t* text)
{
    size_t length = wcslen(text) + 1;
    memcpy(at, text, length * sizeof(WORD));
    return at + length;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    alignas(4) WORD buffer[256] = {};
    auto* dialog = reinterpret_cast<DLGTEMPLATE*>(buffer);
    dialog->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_MODALFRAME | DS_CENTER;
    dialog->cdit = 1;
    dialog->cx = 120;
    dialog->cy = 50;
    WORD* at = reinterpret_cast<WORD*>(dialog + 1);
    *at++ = 0;  // no menu
    *at++ = 0;  // the standard dialog class
    at = PutText(at, L"Alap");
    // The item starts on a 4-byte boundary.
    at = reinterpret_cast<WORD*>((reinterpret_cast<ULONG_PTR>(at) + 3) & ~ULONG_PTR(3));
    auto* item = reinterpret_cast<DLGITEMTEMPLATE*>(at);
    item->style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON;
    item->x = 35;
    item->y = 20;
    item->cx = 50;
    item->cy = 14;
    item->id = IDOK;
    at = reinterpret_cast<WORD*>(item + 1);
    *at++ = 0xFFFF;
    *at++ = 0x0080;  // button
    at = PutText(at, L"OK");
    *at++ = 0;  // no creation data
    return (int)DialogBoxIndirectParamA(instance, dialog, nullptr, BareProc, 0);
}
