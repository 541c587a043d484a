// The login window (template LOGIN).
#pragma once

#include "support/platform.h"

INT_PTR CALLBACK LoginDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
