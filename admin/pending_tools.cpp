// Tools whose dialogs are not part of this version yet: they say so instead of opening.
#include "admin/admin_tools.h"

namespace {

int ShowPending(HWND owner, const char* tool)
{
    char text[256];
    wsprintfA(text, "%s: ez az eszköz ebben a változatban még nem érhető el.", tool);
    MessageBoxA(owner, text, "Üzenet", MB_TASKMODAL);
    return 0;
}

}  // namespace

int ShowSqlServerLoginManager(HWND owner) { return ShowPending(owner, "Microsoft SQL Server - Felhasználói jogosultságok"); }
int ShowSqlServerBackup(HWND owner) { return ShowPending(owner, "Microsoft SQL Server - Mentés"); }
int ShowUserRightsEditor(HWND owner) { return ShowPending(owner, "Felhasználói jogosultságok"); }
