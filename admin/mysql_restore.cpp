// The MySQL restore: a dump made by the backup (or by the dump program) goes back into a database
// of the server through the MySQL client program, a new database by default.
#include "admin/admin_ids.h"
#include "admin/admin_tools.h"
#include "admin/mysql_admin_connection.h"
#include "admin/mysql_client_run.h"
#include "admin/restore_dialog_common.h"
#include "admin/restore_text.h"
#include "backup/mysql_program.h"
#include "db/odbc_cursor.h"
#include "ui/dialog_utils.h"
#include "config/session.h"
#include "support/bounded_text.h"
#include "support/calendar_date.h"
#include "support/process_state.h"

#include <commctrl.h>
#include <stdio.h>
#include <string.h>

#include <initializer_list>

namespace {

const int fileCapacity = MAX_PATH + 1;  // a whole path, as the file chooser returns it
const int nameCapacity = 256;  // a database name is read whole (and typed up to the 64 characters a server takes)
const int nameLimit = 64;
const int serverCapacity = 127;

const UINT restoreProgress = WM_APP + 1;  // wParam: the share of the dump fed so far
const UINT restoreEnded = WM_APP + 2;

// The dialog's run: the client restores while the dialog keeps answering, locked, with
// "&Megszakítás" its one button. One dialog runs at a time.
struct Restore {
    HWND dialog;
    MySqlClientRun run;
    char file[fileCapacity];
    char target[nameCapacity];
    char server[serverCapacity];
    char program[MAX_PATH];
    char checked[fileCapacity];  // the file the target was last proposed for
};
Restore restore;

const char* const incompleteText = "A paraméterek kitöltése hiányos!";

// "A(z) 'NAME' ..." refusals.
void RefuseNaming(HWND dialog, const char* name, const char* after)
{
    char text[fileCapacity + 160] = "A(z) '";
    AppendText(text, sizeof text, name);
    AppendText(text, sizeof text, after);
    RefuseRestore(dialog, text);
}

// Reads the dump's beginning and end; false when the file cannot be read.
bool ReadDump(const char* file, MySqlDumpCheck* check, char* database, size_t capacity)
{
    HANDLE dump = CreateFileA(file, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (dump == INVALID_HANDLE_VALUE) return false;
    static char head[mysqlDumpHeadSize], tail[mysqlDumpTailSize];
    DWORD headLength = 0, tailLength = 0;
    LARGE_INTEGER size = {}, from = {};
    bool read = ReadFile(dump, head, sizeof head, &headLength, nullptr) && GetFileSizeEx(dump, &size);
    from.QuadPart = size.QuadPart > (LONGLONG)sizeof tail ? size.QuadPart - (LONGLONG)sizeof tail : 0;
    read = read && SetFilePointerEx(dump, from, nullptr, FILE_BEGIN) && ReadFile(dump, tail, sizeof tail, &tailLength, nullptr);
    CloseHandle(dump);
    if (read) *check = CheckMySqlDump(head, headLength, tail, tailLength, database, capacity);
    return read;
}

// When the file field holds a new file: a complete dump proposes database_YYYYMMDD; anything else
// proposes nothing (the restore refuses it with its reason).
void ProposeTarget(HWND dialog)
{
    char file[fileCapacity];
    GetControlText(dialog, IDC_MYRESTORE_FILE, file, sizeof file);
    if (IsBlank(file) || strcmp(file, restore.checked) == 0) return;
    CopyText(restore.checked, file);
    MySqlDumpCheck check;
    char database[256];
    if (!ReadDump(file, &check, database, sizeof database) || check != MySqlDumpCheck::Complete) return;
    CalendarDate today;
    today.Init();
    today.SetToday();
    char target[256];
    if (BuildRestoreTargetName(database, today.ToCompactText(), target, sizeof target))
        SetControlText(dialog, IDC_MYRESTORE_TARGET, target);
    today.Destroy(2);
}

void ChooseDump(HWND dialog)
{
    char file[fileCapacity], directory[MAX_PATH];
    GetControlText(dialog, IDC_MYRESTORE_FILE, file, sizeof file);
    DirectoryOf(file, directory, sizeof directory);
    const char* chosen = ChooseOpenFile(dialog, appInstance, IsBlank(directory) ? startDirectory : directory, nullptr, nullptr);
    if (!chosen[0]) return;
    SetControlText(dialog, IDC_MYRESTORE_FILE, chosen);
    ProposeTarget(dialog);
}

// Every database of the server but its own schemas, in its order; exists tells whether name is one
// of all of them.
void ListDatabases(HWND dialog, const char* name, bool* exists)
{
    OdbcConnection* connection = mysqlAdminConnection;
    OdbcCursor* cursor = connection->OpenCursor("SHOW DATABASES");
    while (cursor->Status() == 0) {
        const char* database = cursor->ColumnByIndex(1);
        if (exists && strcmp(database, name) == 0) *exists = true;
        if (dialog && lstrcmpiA(database, "information_schema") != 0 && lstrcmpiA(database, "performance_schema") != 0 &&
            lstrcmpiA(database, "sys") != 0)
            SendDlgItemMessageA(dialog, IDC_MYRESTORE_TARGET, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(database));
        cursor->Fetch(1);
    }
    connection->CloseCursor(cursor);
}

void ReportProgress(void* context, int percent)
{
    PostMessageA(static_cast<Restore*>(context)->dialog, restoreProgress, (WPARAM)percent, 0);
}

void ReportEnd(void* context)
{
    // The dialog waits for this message; a post fails only while its queue is full.
    HWND dialog = static_cast<Restore*>(context)->dialog;
    while (!PostMessageA(dialog, restoreEnded, 0, 0) && IsWindow(dialog)) Sleep(50);
}

// Locks the dialog while the client runs (every field and button but "&Megszakítás", the close box).
void LockRestore(HWND dialog, bool locked)
{
    LockForRun(dialog, locked,
               {IDC_MYRESTORE_FILE, IDC_MYRESTORE_CHOOSE, IDC_MYRESTORE_SERVER, IDC_MYRESTORE_TARGET,
                IDC_MYRESTORE_CONFIRM, IDC_MYRESTORE_RUN},
               {IDC_MYRESTORE_PROGRESS, IDC_MYRESTORE_CANCEL}, IDC_MYRESTORE_PROGRESS, IDC_MYRESTORE_RUN);
}

// "&Visszaállítás": every check first, so a refusal runs nothing; then a new target is created and
// the client started.
void StartRestore(HWND dialog)
{
    if (restore.run.Running()) return;
    char confirmation[nameCapacity];
    GetControlText(dialog, IDC_MYRESTORE_FILE, restore.file, sizeof restore.file);
    GetControlText(dialog, IDC_MYRESTORE_TARGET, restore.target, sizeof restore.target);
    GetControlText(dialog, IDC_MYRESTORE_CONFIRM, confirmation, sizeof confirmation);
    GetControlText(dialog, IDC_MYRESTORE_SERVER, restore.server, sizeof restore.server);
    if (IsBlank(restore.file) || IsBlank(restore.target)) return RefuseRestore(dialog, incompleteText);
    MySqlDumpCheck check;
    char database[256];
    if (!ReadDump(restore.file, &check, database, sizeof database))
        return RefuseNaming(dialog, restore.file, "' fájl nem olvasható, a visszaállítás nem indult el.");
    if (check == MySqlDumpCheck::Incomplete)
        return RefuseNaming(dialog, restore.file, "' fájl nem teljes mentés, a visszaállítás nem indult el.");
    if (check == MySqlDumpCheck::ChoosesDatabase)
        return RefuseNaming(dialog, restore.file,
                            "' fájl a mentett adatbázis nevét is tartalmazza, így más néven nem állítható vissza.");
    if (HasControlCharacter(restore.target))
        return RefuseRestore(dialog, "Az adatbázis neve nem tartalmazhat vezérlőkaraktert!");
    bool exists = false;
    ListDatabases(nullptr, restore.target, &exists);
    if (!MayRestoreInto(dialog, restore.target, exists, confirmation)) return;
    SetCurrentDirectoryA(startDirectory);  // the client is looked for in the start folder too
    if (!FindMySqlProgram("mysql.exe", restore.program, sizeof restore.program))
        return RefuseNaming(dialog, "mysql.exe", "' program nem található, a visszaállítás nem indult el.");
    char create[2 * nameCapacity + 32];
    if (!exists && (!BuildMySqlCreateDatabase(restore.target, create, sizeof create) ||
                    !SQL_SUCCEEDED(mysqlAdminConnection->ExecDirect(create, 0))))
        return RefuseRestore(dialog, restoreFailedText);
    MySqlClientRun& run = restore.run;
    run.program = restore.program;
    run.dumpFile = restore.file;
    run.server = restore.server;
    run.user = session.mysqlUser;
    run.password = session.mysqlPassword;
    run.database = restore.target;
    run.currentDirectory = startDirectory;
    run.context = &restore;
    run.onProgress = ReportProgress;
    run.onEnd = ReportEnd;
    restore.dialog = dialog;
    char failure[2 * MAX_PATH];
    LockRestore(dialog, true);
    if (run.Start(failure, sizeof failure)) return;
    LockRestore(dialog, false);
    RefuseRestore(dialog, failure);
}

void EndRestore(HWND dialog)
{
    MySqlClientRun& run = restore.run;
    if (!run.Running()) return;
    run.End();
    LockRestore(dialog, false);
    if (!run.Cancelled() && !run.Succeeded()) {
        // The client's own words; a client that said nothing (it crashed, say) is named by its status.
        char said[sizeof run.output + 64];
        if (run.output[0]) CopyText(said, run.output);
        else snprintf(said, sizeof said, "A mysql.exe 0x%08lX kóddal állt le.", (unsigned long)run.exitCode);
        RefuseRestore(dialog, said);
    }
    ShowRestoreEnd(dialog, restore.target, run.Cancelled(), run.Succeeded());
}

void InitRestore(HWND dialog)
{
    HICON icon = LoadIconA(appInstance, "MV_BACKUP");
    SendDlgItemMessageA(dialog, IDC_MYRESTORE_ICON, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
    ListDatabases(dialog, "", nullptr);
    restore.checked[0] = '\0';
    SendDlgItemMessageA(dialog, IDC_MYRESTORE_SERVER, EM_LIMITTEXT, 15, 0);
    InitRestoreFields(dialog, IDC_MYRESTORE_FILE, fileCapacity - 1, IDC_MYRESTORE_CHOOSE, IDC_MYRESTORE_TARGET,
                      IDC_MYRESTORE_CONFIRM, nameLimit);
    AddToolTip(dialog, IDC_MYRESTORE_FILE, "A visszaállítandó mentés fájlja.", TTF_SUBCLASS);
    AddToolTip(dialog, IDC_MYRESTORE_SERVER,
               "Szerver IP-címe vagy a gép neve. A mező üresen hagyása esetén a program localhost-ra állít vissza.",
               TTF_SUBCLASS);
}

}  // namespace

INT_PTR CALLBACK MySqlRestoreProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        InitRestore(dialog);
        return FALSE;  // the focus is set
    case WM_CLOSE:
        if (!restore.run.Running()) EndDialog(dialog, 0);  // not while the client runs
        return TRUE;
    case WM_DESTROY:
        // Only reached with a run under way when the dialog is ended from outside.
        restore.run.Cancel();
        restore.run.End();
        return FALSE;
    case restoreProgress:
        if (restore.run.Running()) SendDlgItemMessageA(dialog, IDC_MYRESTORE_PROGRESS, PBM_SETPOS, wParam, 0);
        return TRUE;
    case restoreEnded:
        EndRestore(dialog);
        return TRUE;
    case WM_COMMAND:
        // IDCANCEL is not handled: Esc does nothing.
        switch (LOWORD(wParam)) {
        case IDC_MYRESTORE_FILE:
            if (HIWORD(wParam) == EN_KILLFOCUS) ProposeTarget(dialog);
            return TRUE;
        case IDC_MYRESTORE_CHOOSE: ChooseDump(dialog); return TRUE;
        case IDC_MYRESTORE_RUN: StartRestore(dialog); return TRUE;
        case IDC_MYRESTORE_CANCEL: restore.run.Cancel(); return TRUE;
        }
        return FALSE;
    default: return FALSE;
    }
}

int ShowMySqlRestore(HWND owner)
{
    if (OpenMySqlAdminConnection(owner, session.mysqlUser, session.mysqlPassword, 0))
        DialogBoxParamA(appInstance, "MYSQL_RESTORE", owner, MySqlRestoreProc, 0);
    CloseMySqlAdminConnection();
    return 0;
}
