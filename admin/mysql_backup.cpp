#include "admin/mysql_backup.h"

#include "admin/admin_ids.h"
#include "admin/admin_tools.h"
#include "admin/mysql_admin_connection.h"
#include "admin/mysql_backup_files.h"
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

// The file field holds a whole path, as the file chooser returns it, and is read whole.
const int fileCapacity = MAX_PATH + 1;

// The databases the server has, in its order, without its own schemas of views and statistics.
void FillDatabaseList(HWND dialog)
{
    OdbcConnection* connection = mysqlAdminConnection;
    OdbcCursor* cursor = connection->OpenCursor("SHOW DATABASES");
    while (cursor->Status() == 0) {
        const char* name = cursor->ColumnByIndex(1);
        if (lstrcmpiA(name, "information_schema") != 0 && lstrcmpiA(name, "performance_schema") != 0 &&
            lstrcmpiA(name, "sys") != 0)
            SendDlgItemMessageA(dialog, IDC_MYBACKUP_DATABASE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
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
    char file[fileCapacity];
    char directory[MAX_PATH];
    GetControlText(dialog, IDC_MYBACKUP_FILE, file, sizeof file);
    DirectoryOf(file, directory, sizeof directory);
    const char* chosen = ChooseSaveFile(dialog, appInstance, IsBlank(directory) ? startDirectory : directory, nullptr);
    if (chosen[0]) SetControlText(dialog, IDC_MYBACKUP_FILE, chosen);
}

// Writes backup_mysql.bat into the start directory; false when it cannot be made.
bool WriteBatchFile(const char* text)
{
    auto* batch = static_cast<ScrambledFile*>(malloc(sizeof(ScrambledFile)));
    if (!batch) return false;
    batch->Init(mysqlBackupBatchName);
    SetCurrentDirectoryA(startDirectory);
    bool written = false;
    if (batch->Open(GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, CREATE_ALWAYS,
                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_RANDOM_ACCESS)) {
        char bytes[mysqlBackupBatchCapacity];
        CopyText(bytes, text);
        DWORD size = static_cast<DWORD>(strlen(bytes));
        DWORD done = 0;
        written = batch->Write(bytes, size, &done) && done == size;
        written = batch->Close() && written;
    }
    batch->Destroy(3);
    return written;
}

void SaveAndStart(HWND dialog)
{
    char database[256];
    char file[fileCapacity];
    char server[127];
    CurrentDatabase(dialog, database, sizeof database);
    GetControlText(dialog, IDC_MYBACKUP_FILE, file, sizeof file);
    GetControlText(dialog, IDC_MYBACKUP_SERVER, server, sizeof server);
    if (IsBlank(file) || IsBlank(database)) {
        MessageBoxA(dialog, "A paraméterek kitöltése hiányos!", "Hibaüzenet", MB_TASKMODAL);
        return;
    }
    // The password goes into an option file of this run, never onto the line.
    char optionFile[MAX_PATH];
    char tag[64];
    if (!CreateMySqlOptionFile(session.mysqlPassword, optionFile, sizeof optionFile, tag, sizeof tag)) return;
    CalendarDate today;
    today.Init();
    today.SetToday();
    MySqlBackupRun run = {server, session.mysqlUser, database, file, today.ToCompactText(), tag, optionFile};
    char line[mysqlBackupBatchCapacity];
    bool built = BuildMySqlBackupConsoleBatch(run, line, sizeof line);
    today.Destroy(2);
    // A line that would not pass every value on whole (too long, a line break, a character the
    // console cannot show) is refused like missing parameters, never cut or altered.
    if (!built) {
        DeleteFileA(optionFile);
        MessageBoxA(dialog, "A paraméterek kitöltése hiányos!", "Hibaüzenet", MB_TASKMODAL);
        return;
    }
    if (!WriteBatchFile(line)) {
        DeleteFileA(optionFile);
        return;
    }
    WinExec(mysqlBackupBatchName, SW_SHOW);
    EndDialog(dialog, 0);
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
        SendDlgItemMessageA(dialog, IDC_MYBACKUP_FILE, EM_LIMITTEXT, fileCapacity - 1, 0);
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
