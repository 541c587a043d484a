// USER_APP: adds, changes or deletes one user of the user-rights editor (its owner). The creation
// parameter is the mode: 0 add, 1 change, 2 delete.
#pragma once

#include <windows.h>

// Mode of the open user dialog (0 also when change or delete found no focused user row).
extern int userDialogMode;

INT_PTR CALLBACK UserRecordDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
