#include "shell/login_dialog.h"

INT_PTR CALLBACK LoginDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE) EndDialog(dialog, 0);
    return 0;
}
