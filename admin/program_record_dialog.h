// PROGRAM_APP: adds, changes or deletes one program of the user-rights editor (its owner). The
// creation parameter is the mode: 0 add, 1 change, 2 delete.
#pragma once

#include <windows.h>

// Mode of the open program dialog (0 also when change or delete found no focused program row).
extern int programDialogMode;

INT_PTR CALLBACK ProgramRecordDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
