#include "admin/admin_menu.h"

#include "admin/admin_ids.h"
#include "admin/admin_tools.h"
#include "backup/mysql_backup_files.h"

#include <stdint.h>

namespace {

struct AdminItem {
    int command;
    const char* text;
};
const AdminItem adminItems[] = {
    {IDM_ADMIN_ODBC, "ODBC adminsztrátor"},
    {IDM_ADMIN_MYSQL_USERS, "MySQL - Felhasználói jogosultságok"},
    {IDM_ADMIN_MYSQL_BACKUP, "MySQL - Mentés"},
    {IDM_ADMIN_MSSQL_LOGINS, "Microsoft SQL Server - Felhasználói jogosultságok"},
    {IDM_ADMIN_MSSQL_BACKUP, "Microsoft SQL Server - Mentés"},
    {IDM_ADMIN_MYSQL_RESTORE, "MySQL - Visszaállítás"},
    {IDM_ADMIN_MSSQL_RESTORE, "Microsoft SQL Server - Visszaállítás"},
    {IDM_ADMIN_USER_RIGHTS, "Felhasználói jogosultságok"},
};

typedef BOOL(WINAPI* ManageDataSources)(HWND parent);

}  // namespace

bool IsAdminCommand(int command)
{
    for (const AdminItem& item : adminItems)
        if (item.command == command) return true;
    return false;
}

void HandleAdminCommand(HWND mainWindow, int command)
{
    switch (command) {
    case IDM_ADMIN_ODBC: OpenOdbcAdministrator(mainWindow); break;
    case IDM_ADMIN_MYSQL_USERS: ShowMySqlUserManager(mainWindow); break;
    case IDM_ADMIN_MSSQL_LOGINS: ShowSqlServerLoginManager(mainWindow); break;
    case IDM_ADMIN_USER_RIGHTS: ShowUserRightsEditor(mainWindow); break;
    case IDM_ADMIN_MSSQL_BACKUP: ShowSqlServerBackup(mainWindow); break;
    case IDM_ADMIN_MYSQL_BACKUP: ShowMySqlBackup(mainWindow); break;
    case IDM_ADMIN_MYSQL_RESTORE: ShowMySqlRestore(mainWindow); break;
    case IDM_ADMIN_MSSQL_RESTORE: ShowSqlServerRestore(mainWindow); break;
    default: break;
    }
}

void ShowAdminMenu(HWND mainWindow, const RECT& anchor)
{
    HMENU popup = CreatePopupMenu();
    if (!popup) return;
    for (const AdminItem& item : adminItems) AppendMenuA(popup, MF_STRING, item.command, item.text);
    TrackPopupMenu(popup, TPM_RIGHTALIGN, anchor.left, anchor.top, 0, mainWindow, nullptr);
    DestroyMenu(popup);
}

void OpenOdbcAdministrator(HWND mainWindow)
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExA(&version);
#pragma GCC diagnostic pop
    if (version.dwMajorVersion >= 6) {
        HMODULE installer = LoadLibraryA("odbccp32.dll");
        if ((uintptr_t)installer <= 32) return;
        auto manage = reinterpret_cast<ManageDataSources>(
            reinterpret_cast<void*>(GetProcAddress(installer, "SQLManageDataSources")));
        if (manage) manage(mainWindow);
        FreeLibrary(installer);
    } else if (WinExec("odbcad32.exe", SW_SHOWNORMAL) < 32) {
        MessageBoxA(mainWindow, "Az odbcad32.exe betöltése sikertelen.", "Hibaüzenet", MB_TASKMODAL);
    }
}

void RemoveAdminToolLeftovers()
{
    RemoveEndedMySqlBackupRuns();
}

void CloseAdminTools()
{
    RemoveEndedMySqlBackupRuns();
}
