#include "shell/startup.h"

#include "admin/admin_menu.h"
#include "db/odbc_api.h"
#include "shell/login_dialog.h"
#include "shell/main_dialog.h"
#include "shell/single_instance.h"
#include "support/process_state.h"

#include <commctrl.h>

void RunLauncher(HINSTANCE instance)
{
    // A second launcher of the start folder hands over to the first and ends here, before the exit
    // steps, which would tidy the folder under the first one.
    if (!ClaimStartFolder()) return;
    if (LoadOdbcApi() && CheckConfigPresent()) {
        appInstance = instance;
        GetCurrentDirectoryA(MAX_PATH, startDirectory);
        // Registers the list view, tooltip and progress bar classes of the manifest's common controls version.
        INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&classes);
        RemoveAdminToolLeftovers();
        if (ShowLoginDialog()) ShowMainDialog();
    }
    RunExitSteps();
}

bool CheckConfigPresent()
{
    if (FileExists("Marvitelkon.ini")) return true;
    MessageBoxA(GetActiveWindow(), "Hiányzó 'Marvitelkon.ini', a program nem indítható", "Hibaüzenet", MB_TASKMODAL);
    return false;
}

bool ShowLoginDialog()
{
    return DialogBoxParamA(appInstance, "LOGIN", GetActiveWindow(), LoginDialogProc, 0) != -1;
}

void ShowMainDialog()
{
    DialogBoxParamA(appInstance, "MARVITELKON", GetActiveWindow(), MainDialogProc, 0);
}

void RunExitSteps()
{
    UnloadOdbcApi();
    ReplaceDocumentText(nullptr);
    SetCurrentDirectoryA(startDirectory);
    DeleteFileA("backup_mysql.bat");
    CloseAdminTools();
}
