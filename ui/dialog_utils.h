// Small helpers that the dialogs share: balloon tooltips, control texts, list-view check boxes and
// view modes, and the open and save file choosers. Windows only; the text and path helpers they
// go with live in text_utils.h.
#pragma once

#include "ui/text_utils.h"

#include <windows.h>

#include <initializer_list>

// Gives control controlId of dialog a balloon tooltip of its own showing text, with the tool flags
// extraFlags | TTF_IDISHWND (callers pass TTF_SUBCLASS). The text is not copied: it must live as long
// as the dialog. Returns the tooltip window, which the dialog owns and destroys; null (and no
// window) when the id is 0, the dialog or the text is null, or the control is missing.
HWND AddToolTip(HWND dialog, int controlId, const char* text, UINT extraFlags);

// Reads the text of control controlId into buffer (bufferSize characters, terminator included) and
// returns buffer. A dialog without that control gives an empty text.
char* GetControlText(HWND dialog, int controlId, char* buffer, int bufferSize);

// Sets the text of control controlId; what the control answers to WM_SETTEXT (false when missing).
LRESULT SetControlText(HWND dialog, int controlId, const char* text);

// Ticks (checked 1) or clears (0) the check box of a list-view item: state image 2 or 1.
void SetListCheck(HWND list, int item, int checked);

// Switches a list view to mode (LVS_ICON 0, LVS_REPORT 1, LVS_SMALLICON 2, LVS_LIST 3). The
// style is written only when its view bits differ.
void SetListViewMode(HWND list, DWORD mode);

// The standard save and open choosers. title null gives "Fájl mentés" / "Fálj kiválasztás"; the
// open chooser's filter (description/pattern pairs, each zero-terminated, an extra zero at the end)
// null gives "Összes fájl" / "*.*", which the save chooser always uses. The open chooser takes an
// existing file; the save chooser also a new name, and asks before an existing file is overwritten.
// The result is the chosen full path (up to MAX_PATH - 1 characters), or an empty text when the
// chooser was cancelled or failed; it lives in a buffer of each chooser's own that the next call of
// that chooser overwrites.
const char* ChooseSaveFile(HWND owner, HINSTANCE instance, const char* initialDirectory, const char* title);
const char* ChooseOpenFile(HWND owner, HINSTANCE instance, const char* initialDirectory, const char* title,
                           const char* filter);

// The standard folder chooser, opened at initialFolder (when it names one) with title above the
// folders. The chosen folder's full path, or an empty text when it was cancelled or the choice is no
// folder of the file system; it lives in a buffer that the next call overwrites.
const char* ChooseFolder(HWND owner, const char* initialFolder, const char* title);

// Locks a dialog while a run of its is under way, or unlocks it after: fields are disabled and the
// close box greyed; runControls (progress bar, stage label, "&Megszakítás"...) are shown and enabled
// only while locked; the progress bar progressId starts from 0 either way. Unlocked, the focus goes
// to startId, the button that starts a run.
void LockForRun(HWND dialog, bool locked, std::initializer_list<int> fields, std::initializer_list<int> runControls,
                int progressId, int startId);
