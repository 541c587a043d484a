// What the two restore dialogs share: their refusals, the target's fields and the end of a run.
#pragma once

#include <windows.h>

extern const char* const restoreFailedText;  // "A visszaállítás sikertelen!"

// A "Hibaüzenet" box, task-modal.
void RefuseRestore(HWND dialog, const char* text);

// Typing limits of the file (fileLimit characters), target and confirmation fields (nameLimit) and
// the tooltips of the chooser, target and confirmation; the focus goes to the file field.
void InitRestoreFields(HWND dialog, int fileId, int fileLimit, int chooseId, int targetId, int confirmId,
                       int nameLimit);

// True when target may be restored into: it does not exist, or the confirmation field repeats its
// name. Otherwise says so in a "Figyelem" box and returns false.
bool MayRestoreInto(HWND dialog, const char* target, bool exists, const char* confirmation);

// The box at a run's end: cancelled, failed (after the caller has shown why) or done, which ends the
// dialog.
void ShowRestoreEnd(HWND dialog, const char* target, bool cancelled, bool succeeded);
