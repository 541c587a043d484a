// The user-rights editor (USER_ADMIN): server credentials, header, programs, users and each user's
// permitted programs, edited on the ConfigModel and saved as a whole new document.
#pragma once

#include "config/config_document.h"

#include <windows.h>

// Set while check-box changes of the per-user list are the administrator's: cleared during every
// refill of that list (whose own notifications must not rewrite a user's rights) and when the editor ends.
extern bool rightsSyncEnabled;

INT_PTR CALLBACK UserRightsEditorProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Refills the per-user list listId of editor for the focused row of the users list: one row per live
// program, ticked when the program's ID is one of the user's permitted IDs. With no focused user the
// list is emptied, so its boxes never stand for another user.
void FillUserRightsList(HWND editor, int listId);

// Rebuilds the focused user's permitted programs (record and users row) from the ticked rows of the
// per-user list. Returns false, changing nothing, when the list would grow longer than the login
// reads; true otherwise (also when there is no focused user).
bool StoreUserRights(HWND editor);

// Shows each user's permitted programs from the model in the users list (after a program's ID has
// changed or left the lists).
void ShowUsersPermittedPrograms(HWND editor);

// FillUserRightsList with rightsSyncEnabled cleared around it (and then as it was), as every refill runs.
void RefillUserRightsList(HWND editor);

// The focused row of a list view, or -1.
int FocusedRow(HWND list);
// The text of one cell into buffer (size characters with the terminator); empty when missing.
char* GetRowText(HWND list, int row, int column, char* buffer, int size);
void SetRowText(HWND list, int row, int column, const char* text);
// Appends a row whose column 0 is text; returns its index or -1.
int AppendRow(HWND list, const char* text);
