// What the two record dialogs share: captions of the command button, messages and the editor's lists.
#pragma once

#include "config/record_edits.h"

#include <windows.h>

// Buffer size for an ID read back from a row of the editor's lists (IDs are at most 16 characters).
enum { rowIdSize = 32 };

// Sets the command button's caption for mode (0 "&Felvisz", 1 "&Módosít", 2 "&Töröl").
void SetRecordCommandCaption(HWND dialog, int mode);

// The editor's list listId, reached through the dialog's owner; null without an editor.
HWND EditorList(HWND dialog, int listId);

// A "Hibaüzenet" box, task-modal, over the active window.
void ShowRecordError(const char* text);

// Shows why an edit was refused (duplicateText and fullText name the record's kind) and returns true;
// false, showing nothing, for an edit that was done or found no record.
bool ShowRecordRefusal(RecordEditResult result, const char* duplicateText, const char* fullText);

// Sets the typing limit of each control to its characters.
struct FieldLimit {
    int control;
    int characters;
};
template <size_t count>
void SetFieldLimits(HWND dialog, const FieldLimit (&limits)[count])
{
    for (const FieldLimit& limit : limits) SendDlgItemMessageA(dialog, limit.control, EM_LIMITTEXT, limit.characters, 0);
}
