// The main window (template MARVITELKON).
#pragma once

#include "support/platform.h"

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
