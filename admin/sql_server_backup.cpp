#include "admin/sql_server_backup.h"

#include "admin/admin_ids.h"
#include "admin/admin_tools.h"
#include "admin/backup_schedule_dialog.h"
#include "admin/sql_server_connection.h"
#include "admin/sql_server_statements.h"
#include "backup/statement_run.h"
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

// What a run's thread posts to the dialog.
const UINT backupStage = WM_APP + 1;     // wParam: the statement about to be sent
const UINT backupProgress = WM_APP + 2;  // wParam: the percentage the server last reported
const UINT backupEnded = WM_APP + 3;
const UINT_PTR cancelRepeat = 1;  // timer that repeats a cancel until the run has ended

// "&Ment" first asks the server what the file holds (RESTORE HEADERONLY) and, after the question
// that may need, backs up and verifies the backup (BACKUP, then RESTORE VERIFYONLY). Each of the two
// runs on a thread of its own that reads its statements to the end and posts its stages, progress
// and end to the dialog. Meanwhile the dialog keeps answering but is locked: "&Megszakítás" is its
// one button, nothing else uses the connection, and it cannot be closed or start another backup
// until the run has ended. One dialog runs at a time.
struct BackupRun {
    HWND dialog;
    StatementRun run;
    bool checking;  // the run is the file check, not the backup
    char database[entryCapacity];
    char file[fileCapacity];
    char check[1024], statement[1024], verification[1024];
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
    char database[entryCapacity];
    ShowLastBackupRun(dialog, IDC_MSSQL_BACKUP_LAST_RUN, BackupKind::SqlServer, CurrentDatabase(dialog, database));
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

void ReportStage(void* context, int stage)
{
    PostMessageA(static_cast<BackupRun*>(context)->dialog, backupStage, (WPARAM)stage, 0);
}

void ReportProgress(void* context, SQLINTEGER nativeError, const char* text)
{
    int percent = BackupPercent(nativeError, text);
    if (percent >= 0) PostMessageA(static_cast<BackupRun*>(context)->dialog, backupProgress, (WPARAM)percent, 0);
}

void ReportEnd(void* context)
{
    // The dialog waits for this message; a post fails only while its queue is full.
    HWND dialog = static_cast<BackupRun*>(context)->dialog;
    while (!PostMessageA(dialog, backupEnded, 0, 0) && IsWindow(dialog)) Sleep(50);
}

// Locks the dialog while a run is under way (every field and button but "&Megszakítás", the close
// box) and shows its stage and progress.
void LockBackup(HWND dialog, bool locked)
{
    SetControlText(dialog, IDC_MSSQL_BACKUP_STAGE, "");
    LockForRun(dialog, locked,
               {IDC_MSSQL_BACKUP_DATABASES, IDC_MSSQL_BACKUP_NAME, IDC_MSSQL_BACKUP_FILE, IDC_MSSQL_BACKUP_CHOOSE,
                IDC_MSSQL_BACKUP_SCHEDULE, IDC_MSSQL_BACKUP_RUN},
               {IDC_MSSQL_BACKUP_STAGE, IDC_MSSQL_BACKUP_PROGRESS, IDC_MSSQL_BACKUP_CANCEL}, IDC_MSSQL_BACKUP_PROGRESS,
               IDC_MSSQL_BACKUP_RUN);
    if (!locked) KillTimer(dialog, cancelRepeat);
}

// Starts the file check or the backup with its verification. False when it could not start.
bool StartRun(HWND dialog, bool checking)
{
    StatementRun& run = backup.run;
    run.connection = sqlServerConnection;
    run.context = &backup;
    run.onStage = ReportStage;
    run.onMessage = ReportProgress;
    run.onEnd = ReportEnd;
    run.statements[0] = checking ? backup.check : backup.statement;
    run.statements[1] = backup.verification;
    run.statementCount = checking ? 1 : 2;
    backup.checking = checking;
    LockBackup(dialog, true);
    if (run.Start()) return true;
    LockBackup(dialog, false);
    return false;
}

void StartBackup(HWND dialog)
{
    if (backup.run.Running()) return;  // one backup at a time
    char name[nameCapacity];
    CurrentDatabase(dialog, backup.database);
    GetControlText(dialog, IDC_MSSQL_BACKUP_NAME, name, sizeof name);
    GetControlText(dialog, IDC_MSSQL_BACKUP_FILE, backup.file, sizeof backup.file);
    if (IsBlank(name) || IsBlank(backup.file) || IsBlank(backup.database)) {
        MessageBoxA(dialog, "A paraméterek kitöltése hiányos!", "Hibaüzenet", MB_TASKMODAL);
        return;
    }
    backup.dialog = dialog;
    // A statement that does not fit is refused whole: nothing is sent.
    if (BuildBackupStatement(backup.statement, sizeof backup.statement, backup.database, backup.file, name) &&
        BuildBackupHeaderQuery(backup.check, sizeof backup.check, backup.file) &&
        BuildBackupVerification(backup.verification, sizeof backup.verification, backup.file) &&
        StartRun(dialog, true))
        return;
    MessageBoxA(dialog, "A mentés sikertelen!", "Hibaüzenet", MB_TASKMODAL);
}

// From the window's thread: stops the running statement; the run's end then unlocks the dialog.
void CancelBackup(HWND dialog)
{
    if (!backup.run.Running()) return;
    backup.run.Cancel();
    SetControlText(dialog, IDC_MSSQL_BACKUP_STAGE, "Megszakítás...");
    SetTimer(dialog, cancelRepeat, 500, nullptr);
}

void ShowStage(HWND dialog, int stage, int percent)
{
    if (!backup.run.Running() || backup.run.Cancelled()) return;  // a late message of an ended or stopped stage
    char text[64];
    if (backup.checking) CopyText(text, "A fájl vizsgálata...");
    else if (stage == 1) CopyText(text, "A mentés ellenőrzése...");
    else snprintf(text, sizeof text, "Mentés: %d%%", percent);
    SetControlText(dialog, IDC_MSSQL_BACKUP_STAGE, text);
    SendDlgItemMessageA(dialog, IDC_MSSQL_BACKUP_PROGRESS, PBM_SETPOS, stage == 1 ? 100 : percent, 0);
}

// The file check has ended: asks before a backup replaces what the file may hold. True to go on.
bool MayReplace(HWND dialog)
{
    const StatementRun& run = backup.run;
    const char* question = nullptr;
    switch (ClassifyBackupFile(run.Succeeded(), run.rowResults, run.errors, run.errorCount)) {
    case BackupFileState::Missing: return true;
    case BackupFileState::HoldsBackup: question = "A(z) '%s' fájl már tartalmaz mentést.\r\nFelülírja?"; break;
    case BackupFileState::HoldsNoBackup: question = "A(z) '%s' fájl már létezik, de nem tartalmaz mentést.\r\nFelülírja?"; break;
    case BackupFileState::Unknown:
        question = "Nem sikerült megállapítani, hogy a(z) '%s' fájl tartalmaz-e már mentést.\r\nFelülírja?";
        break;
    }
    char text[fileCapacity + 128];
    snprintf(text, sizeof text, question, backup.file);
    return MessageBoxA(dialog, text, "Figyelem", MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2 | MB_TASKMODAL) == IDYES;
}

void EndBackup(HWND dialog)
{
    StatementRun& run = backup.run;
    if (!run.Running()) return;
    run.End();
    if (run.Cancelled()) {
        LockBackup(dialog, false);
        MessageBoxA(dialog, "A mentés megszakítva.", "Üzenet", MB_TASKMODAL);
        return;
    }
    if (backup.checking) {
        if (!MayReplace(dialog)) LockBackup(dialog, false);
        else if (!StartRun(dialog, false)) MessageBoxA(dialog, "A mentés sikertelen!", "Hibaüzenet", MB_TASKMODAL);
        return;
    }
    LockBackup(dialog, false);
    if (!run.Succeeded()) {
        ShowOdbcMessage(run.failure, dialog);
        MessageBoxA(dialog, run.stage == 0 ? "A mentés sikertelen!" : "A mentés ellenőrzése sikertelen!", "Hibaüzenet",
                    MB_TASKMODAL);
        return;
    }
    char text[entryCapacity + fileCapacity + 64];
    snprintf(text, sizeof text, "A(z) '%s' adatbázis mentése '%s' néven lefutott!", backup.database, backup.file);
    MessageBoxA(dialog, text, "Üzenet", MB_TASKMODAL);
    EndDialog(dialog, 0);
}

void OpenSchedule(HWND dialog)
{
    char database[entryCapacity], file[fileCapacity];
    GetControlText(dialog, IDC_MSSQL_BACKUP_FILE, file, sizeof file);
    ShowBackupSchedule(dialog, BackupKind::SqlServer, CurrentDatabase(dialog, database), "", file);
}

}  // namespace

INT_PTR CALLBACK SqlServerBackupProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        InitBackup(dialog);
        return FALSE;  // the focus is set
    case WM_CLOSE:
        if (!backup.run.Running()) EndDialog(dialog, 0);  // not while a backup runs
        return TRUE;
    case WM_DESTROY:
        // Only reached with a run under way when the dialog is ended from outside: the connection
        // must be free before its owner destroys it.
        backup.run.Cancel();
        backup.run.End();
        return FALSE;
    case WM_TIMER:
        if (wParam == cancelRepeat) backup.run.Cancel();
        return TRUE;
    case backupStage:
        ShowStage(dialog, (int)wParam, 0);
        return TRUE;
    case backupProgress:
        ShowStage(dialog, 0, (int)wParam);
        return TRUE;
    case backupEnded:
        EndBackup(dialog);
        return TRUE;
    case WM_COMMAND:
        // IDCANCEL is not handled: Esc does nothing.
        if (LOWORD(wParam) == IDC_MSSQL_BACKUP_DATABASES) {
            if (HIWORD(wParam) == CBN_CLOSEUP) ProposeBackup(dialog);
            if (HIWORD(wParam) == CBN_SELCHANGE) {
                char database[entryCapacity];
                ShowLastBackupRun(dialog, IDC_MSSQL_BACKUP_LAST_RUN, BackupKind::SqlServer, CurrentDatabase(dialog, database));
            }
            return TRUE;
        }
        if (HIWORD(wParam) != BN_CLICKED) return FALSE;
        if (LOWORD(wParam) == IDC_MSSQL_BACKUP_CHOOSE) ChooseBackupFile(dialog);
        else if (LOWORD(wParam) == IDC_MSSQL_BACKUP_RUN) StartBackup(dialog);
        else if (LOWORD(wParam) == IDC_MSSQL_BACKUP_SCHEDULE) OpenSchedule(dialog);
        else if (LOWORD(wParam) == IDC_MSSQL_BACKUP_CANCEL) CancelBackup(dialog);
        else return FALSE;
        return TRUE;
    default: return FALSE;
    }
}

int ShowSqlServerBackup(HWND owner)
{
    return RunSqlServerTool(owner, "MSSQL_BACKUP", SqlServerBackupProc);
}
