// What the two record dialogs share: captions of the command button, messages and the editor's lists.
#pragma once

#include <windows.h>

// Sets the command button's caption for mode (0 "&Felvisz", 1 "&Módosít", 2 "&Töröl").
void SetRecordCommandCaption(HWND dialog, int mode);

// The editor's list listId, reached through the dialog's owner; null without an editor.
HWND EditorList(HWND dialog, int listId);

// A "Hibaüzenet" box, task-modal, over the active window.
void ShowRecordError(const char* text);
