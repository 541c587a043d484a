#include "admin/sql_server_backup.h"

#include "admin/admin_ids.h"
#include "admin/admin_tools.h"
#include "admin/sql_server_connection.h"
#include "admin/sql_server_statements.h"
#include "db/odbc_connection.h"
#include "db/odbc_cursor.h"
#include "ui/dialog_utils.h"
#include "support/bounded_text.h"
#include "support/calendar_date.h"
#include "support/process_state.h"

#include <commctrl.h>
#include <stdio.h>

namespace {

// Field buffers: the backup name is read with 255 bytes, the file with 258; list entries are 256.
const int nameCapacity = 255;
const int fileCapacity = 258;
const int entryCapacity = 256;

// The text of the database list's current entry; empty when none is selected.
char* CurrentDatabase(HWND dialog, char (&entry)[entryCapacity])
{
    entry[0] = '\0';
    LRESULT selection = SendDlgItemMessageA(dialog, IDC_MSSQL_BACKUP_DATABASES, CB_GETCURSEL, 0, 0);
    if (selection == CB_ERR) return entry;
    LRESULT length = SendDlgItemMessageA(dialog, IDC_MSSQL_BACKUP_DATABASES, CB_GETLBTEXTLEN, selection, 0);
    if (length > 0 && length < entryCapacity)
        SendDlgItemMessageA(dialog, IDC_MSSQL_BACKUP_DATABASES, CB_GETLBTEXT, selection, reinterpret_cast<LPARAM>(entry));
    return entry;
}

void InitBackup(HWND dialog)
{
    HICON icon = LoadIconA(appInstance, "MV_BACKUP");
    SendDlgItemMessageA(dialog, IDC_MSSQL_BACKUP_ICON, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
    OdbcCursor* cursor = sqlServerConnection->OpenCursor(sqlServerDatabaseListQuery);
    while (cursor->Status() == 0) {
        char entry[entryCapacity];
        CopyText(entry, cursor->ColumnByName("name"));
        SendDlgItemMessageA(dialog, IDC_MSSQL_BACKUP_DATABASES, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
        cursor->Fetch(1);
    }
    SendDlgItemMessageA(dialog, IDC_MSSQL_BACKUP_DATABASES, CB_SETCURSEL, 0, 0);
    sqlServerConnection->CloseCursor(cursor);
    // Typing stops at what the backup reads, so nothing typed is cut.
    SendDlgItemMessageA(dialog, IDC_MSSQL_BACKUP_NAME, EM_LIMITTEXT, nameCapacity - 1, 0);
    SendDlgItemMessageA(dialog, IDC_MSSQL_BACKUP_FILE, EM_LIMITTEXT, fileCapacity - 1, 0);
    SetFocus(GetDlgItem(dialog, IDC_MSSQL_BACKUP_DATABASES));
    AddToolTip(dialog, IDC_MSSQL_BACKUP_DATABASES, "Mentendő adatbázis.", TTF_SUBCLASS);
    AddToolTip(dialog, IDC_MSSQL_BACKUP_NAME, "Mentés neve.", TTF_SUBCLASS);
    AddToolTip(dialog, IDC_MSSQL_BACKUP_FILE, "Mentést tartalmazó fájl neve.", TTF_SUBCLASS);
    AddToolTip(dialog, IDC_MSSQL_BACKUP_CHOOSE, "Fájl kiválasztás...", TTF_SUBCLASS);
}

// The drop-down list closed: propose the database's name and a dated file in the start directory.
// A start directory too long for the file path leaves the file empty rather than cut.
void ProposeBackup(HWND dialog)
{
    char database[entryCapacity];
    if (!CurrentDatabase(dialog, database)[0]) return;
    CalendarDate today;
    today.Init();
    today.SetToday();
    SetControlText(dialog, IDC_MSSQL_BACKUP_NAME, database);
    char file[MAX_PATH];
    BuildBackupFileName(file, sizeof file, startDirectory, database, today.ToIsoText());
    SetControlText(dialog, IDC_MSSQL_BACKUP_FILE, file);
    today.Destroy(2);
}

void ChooseBackupFile(HWND dialog)
{
    char file[fileCapacity], directory[MAX_PATH];
    GetControlText(dialog, IDC_MSSQL_BACKUP_FILE, file, sizeof file);
    DirectoryOf(file, directory, sizeof directory);
    const char* chosen = ChooseSaveFile(dialog, appInstance, IsBlank(directory) ? startDirectory : directory, nullptr);
    if (chosen[0]) SetControlText(dialog, IDC_MSSQL_BACKUP_FILE, chosen);
}

void RunBackup(HWND dialog)
{
    char database[entryCapacity], name[nameCapacity], file[fileCapacity];
    CurrentDatabase(dialog, database);
    GetControlText(dialog, IDC_MSSQL_BACKUP_NAME, name, sizeof name);
    GetControlText(dialog, IDC_MSSQL_BACKUP_FILE, file, sizeof file);
    if (IsBlank(name) || IsBlank(file) || IsBlank(database)) {
        MessageBoxA(dialog, "A paraméterek kitöltése hiányos!", "Hibaüzenet", MB_TASKMODAL);
        return;
    }
    char statement[1024];
    SQLRETURN result = SQL_ERROR;
    if (BuildBackupStatement(statement, sizeof statement, database, file, name))
        result = sqlServerConnection->ExecDirect(statement, 0);
    if (result != SQL_SUCCESS && result != SQL_SUCCESS_WITH_INFO) {
        MessageBoxA(dialog, "A mentés sikertelen!", "Hibaüzenet", MB_TASKMODAL);
        return;
    }
    char text[entryCapacity + fileCapacity + 64];
    snprintf(text, sizeof text, "A(z) '%s' adatbázis mentése '%s' néven lefutott!", database, file);
    MessageBoxA(dialog, text, "Üzenet", MB_TASKMODAL);
    EndDialog(dialog, 0);
}

}  // namespace

INT_PTR CALLBACK SqlServerBackupProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        InitBackup(dialog);
        return FALSE;  // the focus is set
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return TRUE;
    case WM_COMMAND:
        // IDCANCEL is not handled: Esc does nothing.
        if (LOWORD(wParam) == IDC_MSSQL_BACKUP_DATABASES) {
            if (HIWORD(wParam) == CBN_CLOSEUP) ProposeBackup(dialog);
            return TRUE;
        }
        if (HIWORD(wParam) != BN_CLICKED) return FALSE;
        if (LOWORD(wParam) == IDC_MSSQL_BACKUP_CHOOSE) ChooseBackupFile(dialog);
        else if (LOWORD(wParam) == IDC_MSSQL_BACKUP_RUN) RunBackup(dialog);
        else return FALSE;
        return TRUE;
    default: return FALSE;
    }
}

int ShowSqlServerBackup(HWND owner)
{
    return RunSqlServerTool(owner, "MSSQL_BACKUP", SqlServerBackupProc);
}
