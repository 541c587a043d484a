// The main window (template MARVITELKON): the permitted programs of the logged-in user.
#pragma once

#include "support/platform.h"

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// What each list item carries; allocated when the item is inserted, freed on LVN_DELETEITEM.
// fullPath holds a whole record path, which the launch starts.
struct ProgramItemData {
    char alias[260];
    char fullPath[260 + 1];
    char description[260];
    char iconFile[260];
    char id[260];
};

// Background picture, extended style and the four columns of the list.
void SetUpProgramList(HWND dialog, int listId);

// Empties the list and fills it from the Session's permitted list and program table.
void FillProgramList(HWND dialog);

// LVM_SORTITEMS comparison of two ProgramItemData records by the column in sortColumn.
int CALLBACK CompareProgramItems(LPARAM item1, LPARAM item2, LPARAM sortColumn);

// View and sort state of the window (process-wide; reset only for tests).
extern int viewCycleIndex;
extern bool nameSortAscending;
extern bool otherSortAscending;
void ResetMainWindowState();
