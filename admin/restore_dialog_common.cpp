#include "admin/restore_dialog_common.h"

#include "ui/dialog_utils.h"

#include <commctrl.h>
#include <stdio.h>
#include <string.h>

const char* const restoreFailedText = "A visszaállítás sikertelen!";

void RefuseRestore(HWND dialog, const char* text) { MessageBoxA(dialog, text, "Hibaüzenet", MB_TASKMODAL); }

void InitRestoreFields(HWND dialog, int fileId, int fileLimit, int chooseId, int targetId, int confirmId,
                       int nameLimit)
{
    SendDlgItemMessageA(dialog, fileId, EM_LIMITTEXT, fileLimit, 0);
    SendDlgItemMessageA(dialog, targetId, CB_LIMITTEXT, nameLimit, 0);
    SendDlgItemMessageA(dialog, confirmId, EM_LIMITTEXT, nameLimit, 0);
    SetFocus(GetDlgItem(dialog, fileId));
    AddToolTip(dialog, chooseId, "Fájl kiválasztás...", TTF_SUBCLASS);
    AddToolTip(dialog, targetId, "Az adatbázis, amelybe a mentés kerül: új név, vagy a szerver egy adatbázisa.",
               TTF_SUBCLASS);
    AddToolTip(dialog, confirmId, "Létező adatbázis felülírásához írja be ide újra a nevét.", TTF_SUBCLASS);
}

bool MayRestoreInto(HWND dialog, const char* target, bool exists, const char* confirmation)
{
    if (!exists || strcmp(confirmation, target) == 0) return true;
    char text[512];
    snprintf(text, sizeof text, "A(z) '%s' adatbázis már létezik. A felülírásához írja be a nevét a megerősítés mezőbe!",
             target);
    MessageBoxA(dialog, text, "Figyelem", MB_ICONWARNING | MB_TASKMODAL);
    return false;
}

void ShowRestoreEnd(HWND dialog, const char* target, bool cancelled, bool succeeded)
{
    char text[512];
    if (cancelled) {
        snprintf(text, sizeof text, "A visszaállítás megszakítva.\r\nA(z) '%s' adatbázis tartalma hiányos lehet.",
                 target);
        MessageBoxA(dialog, text, "Üzenet", MB_TASKMODAL);
    } else if (!succeeded) {
        RefuseRestore(dialog, restoreFailedText);
    } else {
        snprintf(text, sizeof text, "A(z) '%s' adatbázis visszaállítása kész.", target);
        MessageBoxA(dialog, text, "Üzenet", MB_TASKMODAL);
        EndDialog(dialog, 0);
    }
}
