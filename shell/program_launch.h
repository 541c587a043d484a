// Starting the program chosen in the main window.
#pragma once

#include "support/platform.h"

// Starts the focused item of the main window's list with the Session's user ID and password on its
// command line, from the program's own folder (which stays the current directory). Nothing happens
// without a focused item.
void LaunchFocusedProgram(HWND dialog);
