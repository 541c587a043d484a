// The SQL Server restore: a backup file as the server sees it goes back into a database, a new one
// by default, its files moved to the server's folders under the target's name.
#include "admin/admin_ids.h"
#include "admin/admin_tools.h"
#include "admin/restore_dialog_common.h"
#include "admin/restore_text.h"
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
#include <string.h>

#include <initializer_list>

namespace {

const int fileCapacity = MAX_PATH;
const int nameCapacity = 256;  // read whole; typed up to the 128 characters of a server's name
const int nameLimit = 128;
const int fileLimit = 32;  // files of one backup set the tool moves
const size_t statementCapacity = 32768;

const UINT restoreProgress = WM_APP + 1;  // wParam: the percentage the server last reported
const UINT restoreEnded = WM_APP + 2;
const UINT_PTR cancelRepeat = 1;  // timer that repeats a cancel until the run has ended

// The last backup set of a file, as RESTORE HEADERONLY describes it.
struct BackupSet {
    char database[nameCapacity];
    char name[nameCapacity];
    char date[64];
    char position[16];
    bool checksums;
    int count;  // sets the file holds
};

// The restore under way: its statements run on a thread of their own while the dialog answers,
// locked, with "&Megszakítás" its one button. One dialog runs at a time.
struct Restore {
    HWND dialog;
    StatementRun run;
    char file[fileCapacity];
    char target[nameCapacity];
    char checked[fileCapacity];  // the file the label and target were last read for
    char singleUser[nameCapacity + 64], multiUser[nameCapacity + 64];
    char statement[statementCapacity];
};
Restore restore;

// Keeps every row's values in the set: the last one stays, the file's newest set.
void KeepBackupSet(void* context, const char* const* values)
{
    auto* set = static_cast<BackupSet*>(context);
    set->count++;
    CopyText(set->database, values[0]);
    CopyText(set->name, values[1]);
    CopyText(set->date, values[2]);
    CopyText(set->position, values[3]);
    set->checksums = RoleValue(values[4]) != 0;
}

// Reads the file's last backup set into set; false when the server refused (its message has been
// shown) or the file holds none.
bool ReadBackupSet(const char* file, BackupSet* set)
{
    static const char* const columns[] = {"DatabaseName", "BackupName", "BackupFinishDate", "Position",
                                          "HasBackupChecksums"};
    char query[2 * fileCapacity + 64];
    set->count = 0;
    if (!BuildBackupHeaderQuery(query, sizeof query, file) ||
        !SQL_SUCCEEDED(sqlServerConnection->ReadRows(query, columns, 5, KeepBackupSet, set)))
        return false;
    if (set->count && (!set->position[0] || strspn(set->position, "0123456789") != strlen(set->position)))
        snprintf(set->position, sizeof set->position, "%d", set->count);
    return set->count > 0;
}

// The file field holds a new file: label 105 shows its last backup set and the target proposed is
// its database_YYYYMMDD; a file without one empties both.
void ShowBackupSet(HWND dialog)
{
    char file[fileCapacity];
    GetControlText(dialog, IDC_MSRESTORE_FILE, file, sizeof file);
    if (IsBlank(file) || strcmp(file, restore.checked) == 0) return;
    CopyText(restore.checked, file);
    BackupSet set;
    char text[3 * nameCapacity + 64] = "", target[nameCapacity] = "";
    if (ReadBackupSet(file, &set)) {
        CalendarDate today;
        today.Init();
        today.SetToday();
        BuildBackupSetText(text, sizeof text, set.database, set.name, set.date);
        BuildRestoreTargetName(set.database, today.ToCompactText(), target, sizeof target);
        today.Destroy(2);
    }
    SetControlText(dialog, IDC_MSRESTORE_HEADER, text);
    SetControlText(dialog, IDC_MSRESTORE_TARGET, target);
}

void ChooseBackupFile(HWND dialog)
{
    char file[fileCapacity], directory[MAX_PATH];
    GetControlText(dialog, IDC_MSRESTORE_FILE, file, sizeof file);
    DirectoryOf(file, directory, sizeof directory);
    const char* chosen = ChooseOpenFile(dialog, appInstance, IsBlank(directory) ? startDirectory : directory, nullptr, nullptr);
    if (!chosen[0]) return;
    SetControlText(dialog, IDC_MSRESTORE_FILE, chosen);
    ShowBackupSet(dialog);
}

// The server's databases into the list (dialog given), and whether name is one of them (as the
// server compares names, without regard to letter case).
bool ListDatabases(HWND dialog, const char* name)
{
    bool exists = false;
    OdbcCursor* cursor = sqlServerConnection->OpenCursor(sqlServerDatabaseListQuery);
    for (; cursor->Status() == 0; cursor->Fetch(1)) {
        const char* database = cursor->ColumnByName("name");
        exists = exists || lstrcmpiA(database, name) == 0;
        if (dialog) SendDlgItemMessageA(dialog, IDC_MSRESTORE_TARGET, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(database));
    }
    sqlServerConnection->CloseCursor(cursor);
    return exists;
}

// A file of the backup set, as RESTORE FILELISTONLY lists it.
struct SetFile {
    char logical[nameCapacity];
    char physical[2 * fileCapacity];
    char type;
};
struct FileList {
    SetFile files[fileLimit];
    int count;
    bool fits;
};

void KeepFile(void* context, const char* const* values)
{
    auto* list = static_cast<FileList*>(context);
    if (list->count == fileLimit) list->fits = false;
    if (!list->fits) return;
    SetFile& file = list->files[list->count++];
    CopyText(file.logical, values[0]);
    CopyText(file.physical, values[1]);
    file.type = values[2][0];
}

// The backup set's files, at most fileLimit; false when the server refused (its message has been
// shown), the set lists none, or more than the tool moves.
bool ReadFileList(const BackupSet& set, FileList* list)
{
    static const char* const columns[] = {"LogicalName", "PhysicalName", "Type"};
    char query[2 * fileCapacity + 64];
    list->count = 0;
    list->fits = true;
    return BuildRestoreFileListQuery(query, sizeof query, restore.file, set.position) &&
           SQL_SUCCEEDED(sqlServerConnection->ReadRows(query, columns, 3, KeepFile, list)) && list->fits &&
           list->count > 0;
}

// The server's default folders of data and log files; empty where it names none.
struct Folders {
    char data[2 * fileCapacity];
    char log[2 * fileCapacity];
};
void KeepFolders(void* context, const char* const* values)
{
    CopyText(static_cast<Folders*>(context)->data, values[0]);
    CopyText(static_cast<Folders*>(context)->log, values[1]);
}

void ReportProgress(void* context, SQLINTEGER nativeError, const char* text)
{
    int percent = BackupPercent(nativeError, text);
    if (percent >= 0) PostMessageA(static_cast<Restore*>(context)->dialog, restoreProgress, (WPARAM)percent, 0);
}

void ReportEnd(void* context)
{
    // The dialog waits for this message; a post fails only while its queue is full.
    HWND dialog = static_cast<Restore*>(context)->dialog;
    while (!PostMessageA(dialog, restoreEnded, 0, 0) && IsWindow(dialog)) Sleep(50);
}

// Locks the dialog while the restore runs (every field and button but "&Megszakítás", the close box).
void LockRestore(HWND dialog, bool locked)
{
    LockForRun(dialog, locked,
               {IDC_MSRESTORE_FILE, IDC_MSRESTORE_CHOOSE, IDC_MSRESTORE_TARGET, IDC_MSRESTORE_CONFIRM, IDC_MSRESTORE_RUN},
               {IDC_MSRESTORE_PROGRESS, IDC_MSRESTORE_CANCEL}, IDC_MSRESTORE_PROGRESS, IDC_MSRESTORE_RUN);
    if (!locked) KillTimer(dialog, cancelRepeat);
}

// "&Visszaállítás": every check first, so a refusal sends nothing; then the restore, which replaces
// an existing database only with the database set to single user around it.
void StartRestore(HWND dialog)
{
    if (restore.run.Running()) return;
    char confirmation[nameCapacity];
    GetControlText(dialog, IDC_MSRESTORE_FILE, restore.file, sizeof restore.file);
    GetControlText(dialog, IDC_MSRESTORE_TARGET, restore.target, sizeof restore.target);
    GetControlText(dialog, IDC_MSRESTORE_CONFIRM, confirmation, sizeof confirmation);
    if (IsBlank(restore.file) || IsBlank(restore.target)) return RefuseRestore(dialog, "A paraméterek kitöltése hiányos!");
    BackupSet set;
    if (!ReadBackupSet(restore.file, &set)) return;  // the server's message has been shown
    if (HasControlCharacter(restore.target)) return RefuseRestore(dialog, "Az adatbázis neve nem tartalmazhat vezérlőkaraktert!");
    bool replace = ListDatabases(nullptr, restore.target);
    if (!MayRestoreInto(dialog, restore.target, replace, confirmation)) return;
    static FileList list;
    RestoreFile moves[fileLimit];
    if (!ReadFileList(set, &list)) return RefuseRestore(dialog, restoreFailedText);
    for (int i = 0; i < list.count; i++) moves[i] = {list.files[i].logical, list.files[i].physical, list.files[i].type};
    static const char* const folderColumns[] = {"DataPath", "LogPath"};
    Folders folders = {};
    sqlServerConnection->ReadRows(sqlServerFoldersQuery, folderColumns, 2, KeepFolders, &folders);
    StatementRun& run = restore.run;
    // A statement that does not fit is refused whole: nothing is sent.
    if (!BuildRestoreStatement(restore.statement, sizeof restore.statement, restore.target, restore.file, set.position,
                               moves, list.count, folders.data, folders.log, replace, set.checksums) ||
        !BuildSingleUser(restore.singleUser, sizeof restore.singleUser, restore.target) ||
        !BuildMultiUser(restore.multiUser, sizeof restore.multiUser, restore.target))
        return RefuseRestore(dialog, restoreFailedText);
    run.connection = sqlServerConnection;
    run.context = &restore;
    run.onStage = nullptr;
    run.onMessage = ReportProgress;
    run.onEnd = ReportEnd;
    run.statementCount = 0;
    if (replace) run.statements[run.statementCount++] = restore.singleUser;
    run.statements[run.statementCount++] = restore.statement;
    run.closing = replace ? restore.multiUser : nullptr;
    restore.dialog = dialog;
    LockRestore(dialog, true);
    if (run.Start()) return;
    LockRestore(dialog, false);
    RefuseRestore(dialog, restoreFailedText);
}

void CancelRestore(HWND dialog)
{
    if (!restore.run.Running()) return;
    restore.run.Cancel();
    SetTimer(dialog, cancelRepeat, 500, nullptr);
}

void EndRestore(HWND dialog)
{
    StatementRun& run = restore.run;
    if (!run.Running()) return;
    run.End();
    LockRestore(dialog, false);
    if (!run.Cancelled() && !run.Succeeded()) ShowOdbcMessage(run.failure, dialog);
    ShowRestoreEnd(dialog, restore.target, run.Cancelled(), run.Succeeded());
}

void InitRestore(HWND dialog)
{
    HICON icon = LoadIconA(appInstance, "MV_BACKUP");
    SendDlgItemMessageA(dialog, IDC_MSRESTORE_ICON, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
    ListDatabases(dialog, "");
    restore.checked[0] = '\0';
    InitRestoreFields(dialog, IDC_MSRESTORE_FILE, fileCapacity - 1, IDC_MSRESTORE_CHOOSE, IDC_MSRESTORE_TARGET,
                      IDC_MSRESTORE_CONFIRM, nameLimit);
    AddToolTip(dialog, IDC_MSRESTORE_FILE, "A mentés fájlja, ahogy a szerver látja.", TTF_SUBCLASS);
}

}  // namespace

INT_PTR CALLBACK SqlServerRestoreProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        InitRestore(dialog);
        return FALSE;  // the focus is set
    case WM_CLOSE:
        if (!restore.run.Running()) EndDialog(dialog, 0);  // not while the restore runs
        return TRUE;
    case WM_DESTROY:
        // Only reached with a run under way when the dialog is ended from outside: the connection
        // must be free before its owner destroys it.
        restore.run.Cancel();
        restore.run.End();
        return FALSE;
    case WM_TIMER:
        if (wParam == cancelRepeat) restore.run.Cancel();
        return TRUE;
    case restoreProgress:
        if (restore.run.Running() && !restore.run.Cancelled())
            SendDlgItemMessageA(dialog, IDC_MSRESTORE_PROGRESS, PBM_SETPOS, wParam, 0);
        return TRUE;
    case restoreEnded:
        EndRestore(dialog);
        return TRUE;
    case WM_COMMAND:
        // IDCANCEL is not handled: Esc does nothing.
        switch (LOWORD(wParam)) {
        case IDC_MSRESTORE_FILE:
            if (HIWORD(wParam) == EN_KILLFOCUS) ShowBackupSet(dialog);
            return TRUE;
        case IDC_MSRESTORE_CHOOSE: ChooseBackupFile(dialog); return TRUE;
        case IDC_MSRESTORE_RUN: StartRestore(dialog); return TRUE;
        case IDC_MSRESTORE_CANCEL: CancelRestore(dialog); return TRUE;
        }
        return FALSE;
    default: return FALSE;
    }
}

int ShowSqlServerRestore(HWND owner)
{
    return RunSqlServerTool(owner, "MSSQL_RESTORE", SqlServerRestoreProc);
}
