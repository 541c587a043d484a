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

// Field buffers: the backup name is read with 255 bytes, the file as a whole path (what the file
// chooser may return); list entries are 256.
const int nameCapacity = 255;
const int fileCapacity = MAX_PATH;
const int entryCapacity = 256;

// What a backup's thread posts to the dialog.
const UINT backupProgress = WM_APP + 1;  // wParam: the percentage the server last reported
const UINT backupEnded = WM_APP + 2;

// The backup under way. The server goes on with a backup only while the client reads its results, and
// one read may wait for as long as the server works, so the statement runs on a thread of its own
// that reads it to the end and posts its progress and its end to the dialog. Meanwhile the dialog
// keeps answering but is locked: nothing else uses the connection, and it cannot be closed or start
// another backup until the thread has ended and has been joined. One dialog runs at a time.
struct BackupRun {
    HWND dialog;
    OdbcConnection* connection;
    HANDLE thread;  // null when no backup runs
    char database[entryCapacity];
    char file[fileCapacity];
    char statement[1024];
    SQLHSTMT handle;  // of the statement, until JoinBackup frees it
    SQLRETURN result;
};
BackupRun backup;

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

void ReportProgress(void* context, SQLINTEGER nativeError, const char* text)
{
    int percent = BackupPercent(nativeError, text);
    if (percent >= 0) PostMessageA(static_cast<BackupRun*>(context)->dialog, backupProgress, (WPARAM)percent, 0);
}

DWORD WINAPI RunBackupStatement(LPVOID parameter)
{
    auto* run = static_cast<BackupRun*>(parameter);
    run->result = run->connection->ExecuteToEnd(run->statement, &run->handle, ReportProgress, run);
    // The dialog waits for this message; a post fails only while its queue is full.
    while (!PostMessageA(run->dialog, backupEnded, 0, 0) && IsWindow(run->dialog)) Sleep(50);
    return 0;
}

// Locks the dialog while a backup runs (every field and button, the close box) and shows its progress.
void LockBackup(HWND dialog, bool locked)
{
    static const int controls[] = {IDC_MSSQL_BACKUP_DATABASES, IDC_MSSQL_BACKUP_NAME, IDC_MSSQL_BACKUP_FILE,
                                   IDC_MSSQL_BACKUP_CHOOSE, IDC_MSSQL_BACKUP_RUN};
    for (int id : controls) EnableWindow(GetDlgItem(dialog, id), !locked);
    EnableMenuItem(GetSystemMenu(dialog, FALSE), SC_CLOSE, MF_BYCOMMAND | (locked ? MF_GRAYED : MF_ENABLED));
    HWND progress = GetDlgItem(dialog, IDC_MSSQL_BACKUP_PROGRESS);
    SendMessageA(progress, PBM_SETPOS, 0, 0);
    ShowWindow(progress, locked ? SW_SHOW : SW_HIDE);
    if (!locked) SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDC_MSSQL_BACKUP_RUN)), TRUE);
}

void StartBackup(HWND dialog)
{
    if (backup.thread) return;  // one backup at a time
    char name[nameCapacity];
    CurrentDatabase(dialog, backup.database);
    GetControlText(dialog, IDC_MSSQL_BACKUP_NAME, name, sizeof name);
    GetControlText(dialog, IDC_MSSQL_BACKUP_FILE, backup.file, sizeof backup.file);
    if (IsBlank(name) || IsBlank(backup.file) || IsBlank(backup.database)) {
        MessageBoxA(dialog, "A paraméterek kitöltése hiányos!", "Hibaüzenet", MB_TASKMODAL);
        return;
    }
    backup.dialog = dialog;
    backup.connection = sqlServerConnection;
    backup.handle = SQL_NULL_HSTMT;
    backup.result = SQL_ERROR;
    // A statement that does not fit is refused whole: nothing is sent.
    if (BuildBackupStatement(backup.statement, sizeof backup.statement, backup.database, backup.file, name)) {
        LockBackup(dialog, true);
        backup.thread = CreateThread(nullptr, 0, RunBackupStatement, &backup, 0, nullptr);
        if (backup.thread) return;
        LockBackup(dialog, false);
    }
    MessageBoxA(dialog, "A mentés sikertelen!", "Hibaüzenet", MB_TASKMODAL);
}

// Waits for the backup's thread, which has ended or is about to, and releases the connection's
// statement; a failure is shown from its diagnostics. True when the backup succeeded.
bool JoinBackup(HWND dialog)
{
    WaitForSingleObject(backup.thread, INFINITE);
    CloseHandle(backup.thread);
    backup.thread = nullptr;
    backup.connection->EndStatement(backup.handle, backup.result, dialog);
    backup.handle = SQL_NULL_HSTMT;
    return backup.result == SQL_SUCCESS || backup.result == SQL_SUCCESS_WITH_INFO;
}

void EndBackup(HWND dialog)
{
    if (!backup.thread) return;
    bool succeeded = JoinBackup(dialog);
    LockBackup(dialog, false);
    if (!succeeded) {
        MessageBoxA(dialog, "A mentés sikertelen!", "Hibaüzenet", MB_TASKMODAL);
        return;
    }
    char text[entryCapacity + fileCapacity + 64];
    snprintf(text, sizeof text, "A(z) '%s' adatbázis mentése '%s' néven lefutott!", backup.database, backup.file);
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
        if (!backup.thread) EndDialog(dialog, 0);  // not while a backup runs
        return TRUE;
    case WM_DESTROY:
        // Only reached with a backup under way when the dialog is ended from outside: the connection
        // must be free before its owner destroys it.
        if (backup.thread) JoinBackup(dialog);
        return FALSE;
    case backupProgress:
        if (backup.thread) SendDlgItemMessageA(dialog, IDC_MSSQL_BACKUP_PROGRESS, PBM_SETPOS, wParam, 0);
        return TRUE;
    case backupEnded:
        EndBackup(dialog);
        return TRUE;
    case WM_COMMAND:
        // IDCANCEL is not handled: Esc does nothing.
        if (LOWORD(wParam) == IDC_MSSQL_BACKUP_DATABASES) {
            if (HIWORD(wParam) == CBN_CLOSEUP) ProposeBackup(dialog);
            return TRUE;
        }
        if (HIWORD(wParam) != BN_CLICKED) return FALSE;
        if (LOWORD(wParam) == IDC_MSSQL_BACKUP_CHOOSE) ChooseBackupFile(dialog);
        else if (LOWORD(wParam) == IDC_MSSQL_BACKUP_RUN) StartBackup(dialog);
        else return FALSE;
        return TRUE;
    default: return FALSE;
    }
}

int ShowSqlServerBackup(HWND owner)
{
    return RunSqlServerTool(owner, "MSSQL_BACKUP", SqlServerBackupProc);
}
