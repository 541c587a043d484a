#include "admin/mysql_backup.h"

#include "admin/admin_ids.h"
#include "admin/admin_tools.h"
#include "admin/backup_schedule_dialog.h"
#include "admin/mysql_admin_connection.h"
#include "backup/mysql_backup_files.h"
#include "db/odbc_cursor.h"
#include "ui/dialog_utils.h"
#include "config/session.h"
#include "support/bounded_text.h"
#include "support/calendar_date.h"
#include "support/process_state.h"

#include <commctrl.h>
#include <string.h>

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

// True when the dated dump of this file already exists and the administrator does not want it
// replaced.
bool KeepsTodaysDump(HWND dialog, const char* file, const char* date)
{
    char dated[fileCapacity + 16];
    CopyText(dated, file);
    AppendText(dated, sizeof dated, "-");
    AppendText(dated, sizeof dated, date);
    SetCurrentDirectoryA(startDirectory);  // where the console resolves a relative path
    if (GetFileAttributesA(dated) == INVALID_FILE_ATTRIBUTES) return false;
    char question[sizeof dated + 64] = "A(z) '";
    AppendText(question, sizeof question, dated);
    AppendText(question, sizeof question, "' fájl már létezik.\r\nFelülírja?");
    return MessageBoxA(dialog, question, "Figyelem", MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL) != IDYES;
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
    CalendarDate today;
    today.Init();
    today.SetToday();
    char date[16];
    CopyText(date, today.ToCompactText());
    today.Destroy(2);
    if (KeepsTodaysDump(dialog, file, date)) return;
    // The password goes into the run's option file, never onto the line.
    MySqlBackupRun run = {server, session.mysqlUser, database, file, date, nullptr, nullptr};
    char failure[2 * MAX_PATH];
    switch (StartMySqlBackup(run, session.mysqlPassword, startDirectory, failure, sizeof failure)) {
    case MySqlBackupStarted: EndDialog(dialog, 0); break;
    // A line that would not pass every value on whole (too long, a line break, a character the
    // console cannot show) is refused like missing parameters, never cut or altered.
    case MySqlBackupRefused:
        MessageBoxA(dialog, "A paraméterek kitöltése hiányos!", "Hibaüzenet", MB_TASKMODAL);
        break;
    case MySqlBackupFailed: MessageBoxA(dialog, failure, "Hibaüzenet", MB_TASKMODAL); break;
    }
}

void ShowLastRun(HWND dialog)
{
    char database[256];
    CurrentDatabase(dialog, database, sizeof database);
    ShowLastBackupRun(dialog, IDC_MYBACKUP_LAST_RUN, BackupKind::MySql, database);
}

void OpenSchedule(HWND dialog)
{
    char database[256], file[fileCapacity], server[127];
    CurrentDatabase(dialog, database, sizeof database);
    GetControlText(dialog, IDC_MYBACKUP_FILE, file, sizeof file);
    GetControlText(dialog, IDC_MYBACKUP_SERVER, server, sizeof server);
    ShowBackupSchedule(dialog, BackupKind::MySql, database, server, file);
}

}  // namespace

INT_PTR CALLBACK MySqlBackupProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        HICON icon = LoadIconA(appInstance, "MV_BACKUP");
        SendDlgItemMessageA(dialog, IDC_MYBACKUP_ICON, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
        FillDatabaseList(dialog);
        ShowLastRun(dialog);
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
            if (HIWORD(wParam) == CBN_SELCHANGE) ShowLastRun(dialog);
            break;
        case IDC_MYBACKUP_CHOOSE: ChooseFile(dialog); break;
        case IDC_MYBACKUP_SCHEDULE: OpenSchedule(dialog); break;
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
