#include "shell/main_dialog.h"

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE) EndDialog(dialog, 0);
    return 0;
}
