#include "admin/mysql_backup.h"

#include "admin/admin_ids.h"
#include "admin/admin_tools.h"
#include "admin/mysql_admin_connection.h"
#include "admin/mysql_backup_line.h"
#include "config/scrambled_file.h"
#include "db/odbc_cursor.h"
#include "ui/dialog_utils.h"
#include "config/session.h"
#include "support/bounded_text.h"
#include "support/calendar_date.h"
#include "support/process_state.h"

#include <commctrl.h>
#include <stdlib.h>
#include <string.h>

const char* const mysqlBackupBatchName = "backup_mysql.bat";

namespace {

// The databases of the privilege table `db` of the data source's default database, backslashes
// (the escapes of "_" and "%" in its patterns) dropped; a database with several rows is listed as
// often.
void FillDatabaseList(HWND dialog)
{
    OdbcConnection* connection = mysqlAdminConnection;
    OdbcCursor* cursor = connection->OpenCursor("select * from db");
    while (cursor->Status() == 0) {
        char entry[256];
        DropBackslashes(cursor->ColumnByName("Db"), entry, sizeof entry);
        SendDlgItemMessageA(dialog, IDC_MYBACKUP_DATABASE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
        cursor->Fetch(1);
    }
    SendDlgItemMessageA(dialog, IDC_MYBACKUP_DATABASE, CB_SETCURSEL, 0, 0);
    connection->CloseCursor(cursor);
}

// The current entry's text; empty when there is none.
void CurrentDatabase(HWND dialog, char* target, size_t capacity)
{
    target[0] = 0;
    HWND combo = GetDlgItem(dialog, IDC_MYBACKUP_DATABASE);
    LRESULT selected = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (selected == CB_ERR) return;
    LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, selected, 0);
    if (length == CB_ERR || length >= static_cast<LRESULT>(capacity)) return;
    SendMessageA(combo, CB_GETLBTEXT, selected, reinterpret_cast<LPARAM>(target));
}

void ProposeFile(HWND dialog)
{
    char database[256];
    CurrentDatabase(dialog, database, sizeof database);
    if (!database[0]) return;
    CalendarDate today;
    today.Init();
    today.SetToday();
    char file[260];
    // A start directory too long for the proposal leaves the field as it is.
    if (BuildMySqlDumpFileName(startDirectory, database, today.ToIsoText(), file, sizeof file))
        SetControlText(dialog, IDC_MYBACKUP_FILE, file);
    today.Destroy(2);
}

void ChooseFile(HWND dialog)
{
    char file[258];
    char directory[258];
    GetControlText(dialog, IDC_MYBACKUP_FILE, file, sizeof file);
    DirectoryOf(file, directory, sizeof directory);
    const char* chosen = ChooseSaveFile(dialog, appInstance, IsBlank(directory) ? startDirectory : directory, nullptr);
    if (chosen[0]) SetControlText(dialog, IDC_MYBACKUP_FILE, chosen);
}

void SaveAndStart(HWND dialog)
{
    char database[256];
    char file[258];
    char server[127];
    CurrentDatabase(dialog, database, sizeof database);
    GetControlText(dialog, IDC_MYBACKUP_FILE, file, sizeof file);
    GetControlText(dialog, IDC_MYBACKUP_SERVER, server, sizeof server);
    CalendarDate today;
    today.Init();
    today.SetToday();
    char line[mysqlBackupLineCapacity];
    // A line that would not fit whole is refused like missing parameters, never cut.
    if (IsBlank(file) || IsBlank(database) ||
        !BuildMySqlBackupLine(server, session.mysqlUser, session.mysqlPassword, database, file,
                              today.ToCompactText(), line, sizeof line)) {
        MessageBoxA(dialog, "A paraméterek kitöltése hiányos!", "Hibaüzenet", MB_TASKMODAL);
        today.Destroy(2);
        return;
    }
    auto* batch = static_cast<ScrambledFile*>(malloc(sizeof(ScrambledFile)));
    if (batch) {
        batch->Init(mysqlBackupBatchName);
        SetCurrentDirectoryA(startDirectory);
        if (batch->Open(GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, CREATE_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_RANDOM_ACCESS)) {
            DWORD written = 0;
            batch->Write(line, static_cast<DWORD>(strlen(line)), &written);
            batch->Close();
            WinExec(mysqlBackupBatchName, SW_SHOW);
            EndDialog(dialog, 0);
        }
        batch->Destroy(3);
    }
    today.Destroy(2);
}

}  // namespace

INT_PTR CALLBACK MySqlBackupProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        HICON icon = LoadIconA(appInstance, "MV_BACKUP");
        SendDlgItemMessageA(dialog, IDC_MYBACKUP_ICON, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
        FillDatabaseList(dialog);
        SendDlgItemMessageA(dialog, IDC_MYBACKUP_SERVER, EM_LIMITTEXT, 15, 0);
        SendDlgItemMessageA(dialog, IDC_MYBACKUP_FILE, EM_LIMITTEXT, 260, 0);
        SetFocus(GetDlgItem(dialog, IDC_MYBACKUP_DATABASE));
        AddToolTip(dialog, IDC_MYBACKUP_DATABASE, "Mentendő adatbázis.", TTF_SUBCLASS);
        AddToolTip(dialog, IDC_MYBACKUP_SERVER,
                   "Szerver IP-címe vagy a gép neve. A mező üresesn hagyása esetén a program localhost-ról próbál "
                   "menteni.",
                   TTF_SUBCLASS);
        AddToolTip(dialog, IDC_MYBACKUP_FILE, "Mentést tartalmazó fájl neve.", TTF_SUBCLASS);
        AddToolTip(dialog, IDC_MYBACKUP_CHOOSE, "Fájl kiválasztás...", TTF_SUBCLASS);
        return 0;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_MYBACKUP_DATABASE:
            if (HIWORD(wParam) == CBN_CLOSEUP) ProposeFile(dialog);
            break;
        case IDC_MYBACKUP_CHOOSE: ChooseFile(dialog); break;
        case IDC_MYBACKUP_SAVE: SaveAndStart(dialog); break;
        }
        return 0;
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return 0;
    }
    return 0;
}

int ShowMySqlBackup(HWND owner)
{
    if (OpenMySqlAdminConnection(owner, session.mysqlUser, session.mysqlPassword, 0))
        DialogBoxParamA(appInstance, "MYSQL_BACKUP", owner, MySqlBackupProc, 0);
    CloseMySqlAdminConnection();
    return 0;
}
