#include "admin/backup_schedule_dialog.h"

#include "admin/admin_ids.h"
#include "backup/backup_log.h"
#include "backup/backup_task.h"
#include "backup/backup_task_xml.h"
#include "support/bounded_text.h"
#include "support/process_state.h"
#include "ui/dialog_utils.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

// What the dialog schedules; lives on the opener's stack while the dialog runs.
struct ScheduleRequest {
    BackupKind kind;
    const char* database;
    const char* server;
    char folder[MAX_PATH];  // proposed when nothing is scheduled
    char task[192];         // the task's name
};

const char* const defaultTime = "02:00";
const char* const defaultKeep = "7";

void Refuse(HWND dialog, const char* text)
{
    MessageBoxA(dialog, text, "Hibaüzenet", MB_TASKMODAL);
}

// "... (0x80070005)." after text.
void RefuseWithResult(HWND dialog, const char* text, HRESULT result)
{
    char message[256];
    snprintf(message, sizeof message, "%s (0x%08lX).", text, static_cast<unsigned long>(result));
    Refuse(dialog, message);
}

// Reads the registered task into the fields and the label; the fields keep the proposal when there is
// none (or its XML does not say, as under Wine, whose Task Scheduler keeps no trigger or action).
void ShowSchedule(HWND dialog, const ScheduleRequest& request, bool fill)
{
    static char xml[32768];
    HRESULT result = ReadBackupTask(request.task, xml, sizeof xml);
    EnableWindow(GetDlgItem(dialog, IDC_SCHEDULE_DELETE), SUCCEEDED(result));
    char text[512];
    if (FAILED(result)) {
        if (IsMissingTask(result)) CopyText(text, "Nincs ütemezve.");
        else snprintf(text, sizeof text, "Az ütemezés nem olvasható (0x%08lX).", static_cast<unsigned long>(result));
        SetControlText(dialog, IDC_SCHEDULE_CURRENT, text);
        return;
    }
    char time[8], arguments[2048];
    ReadBackupTaskXml(xml, time, sizeof time, arguments, sizeof arguments);
    std::vector<std::string> words;
    std::vector<const char*> pointers;
    BackupCommand command;
    char error[256];
    bool known = time[0] && SplitCommandLine(arguments, &words);
    for (const std::string& word : words) pointers.push_back(word.c_str());
    known = known && ParseBackupCommand(static_cast<int>(pointers.size()), pointers.data(), &command, error, sizeof error);
    if (!known) {
        SetControlText(dialog, IDC_SCHEDULE_CURRENT, "Ütemezve (a részletei nem olvashatók).");
        return;
    }
    snprintf(text, sizeof text, "Ütemezve: naponta %s-kor ide: %s, megtartott példányok: %d.", time, command.folder,
             command.keep);
    SetControlText(dialog, IDC_SCHEDULE_CURRENT, text);
    if (!fill) return;
    char keep[16];
    snprintf(keep, sizeof keep, "%d", command.keep);
    SetControlText(dialog, IDC_SCHEDULE_TIME, time);
    SetControlText(dialog, IDC_SCHEDULE_FOLDER, command.folder);
    SetControlText(dialog, IDC_SCHEDULE_KEEP, keep);
}

void InitSchedule(HWND dialog, ScheduleRequest& request)
{
    SetControlText(dialog, IDC_SCHEDULE_GROUP, request.task);
    SetControlText(dialog, IDC_SCHEDULE_TIME, defaultTime);
    SetControlText(dialog, IDC_SCHEDULE_FOLDER, request.folder);
    SetControlText(dialog, IDC_SCHEDULE_KEEP, defaultKeep);
    SendDlgItemMessageA(dialog, IDC_SCHEDULE_TIME, EM_LIMITTEXT, 5, 0);
    SendDlgItemMessageA(dialog, IDC_SCHEDULE_FOLDER, EM_LIMITTEXT, MAX_PATH - 1, 0);
    SendDlgItemMessageA(dialog, IDC_SCHEDULE_KEEP, EM_LIMITTEXT, 5, 0);
    ShowSchedule(dialog, request, true);
}

void ChooseScheduleFolder(HWND dialog)
{
    char folder[MAX_PATH];
    GetControlText(dialog, IDC_SCHEDULE_FOLDER, folder, sizeof folder);
    const char* chosen = ChooseFolder(dialog, folder, "A mentések mappája");
    if (chosen[0]) SetControlText(dialog, IDC_SCHEDULE_FOLDER, chosen);
}

// Registers the schedule of the fields, replacing the task of that name; refused with a message, and
// nothing registered, when a field is unusable.
void SaveSchedule(HWND dialog, const ScheduleRequest& request)
{
    char time[16], folder[MAX_PATH], keepText[16];
    GetControlText(dialog, IDC_SCHEDULE_TIME, time, sizeof time);
    GetControlText(dialog, IDC_SCHEDULE_FOLDER, folder, sizeof folder);
    GetControlText(dialog, IDC_SCHEDULE_KEEP, keepText, sizeof keepText);
    char* end = nullptr;
    long keep = strtol(keepText, &end, 10);
    if (!IsTimeOfDay(time)) return Refuse(dialog, "Az időpontot ÓÓ:PP alakban kell megadni (például 02:00)!");
    if (IsBlank(folder)) return Refuse(dialog, "Meg kell adni a mentések mappáját!");
    if (keepText[0] < '0' || keepText[0] > '9' || *end || keep < 1)
        return Refuse(dialog, "A megtartott példányok száma pozitív egész szám legyen!");
    // mvbackup.exe comes with the launcher, beside it.
    char program[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, program, sizeof program);
    char* slash = length > 0 && length < sizeof program ? strrchr(program, '\\') : nullptr;
    if (slash) *slash = '\0';
    if (!slash || AppendText(program, sizeof program, "\\mvbackup.exe") >= sizeof program - 1 || !FileExists(program)) {
        char text[MAX_PATH + 96];
        snprintf(text, sizeof text, "A(z) '%s' nem található, az ütemezés nem menthető.", program);
        return Refuse(dialog, text);
    }
    char user[256], date[16];
    SYSTEMTIME today;
    GetLocalTime(&today);
    snprintf(date, sizeof date, "%04d-%02d-%02d", today.wYear, today.wMonth, today.wDay);
    if (!CurrentTaskUser(user, sizeof user)) return Refuse(dialog, "A bejelentkezett felhasználó neve nem állapítható meg.");
    BackupSchedule schedule = {request.kind, request.database, request.server, folder, static_cast<int>(keep), time};
    BackupTaskPlace place = {program, startDirectory, user, date};
    static char xml[16384];
    if (!BuildBackupTaskXml(schedule, place, xml, sizeof xml))
        return Refuse(dialog, "Az ütemezés adatai túl hosszúak vagy nem megengedett karaktert tartalmaznak!");
    HRESULT result = RegisterBackupTask(request.task, xml, user);
    if (FAILED(result)) return RefuseWithResult(dialog, "Az ütemezés mentése sikertelen", result);
    ShowSchedule(dialog, request, false);
}

void DeleteSchedule(HWND dialog, const ScheduleRequest& request)
{
    HRESULT result = DeleteBackupTask(request.task);
    if (FAILED(result) && !IsMissingTask(result)) RefuseWithResult(dialog, "Az ütemezés törlése sikertelen", result);
    ShowSchedule(dialog, request, false);
    SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDC_SCHEDULE_SAVE)), TRUE);
}

INT_PTR CALLBACK BackupScheduleProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* request = reinterpret_cast<ScheduleRequest*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        InitSchedule(dialog, *reinterpret_cast<ScheduleRequest*>(lParam));
        return TRUE;
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return TRUE;
    case WM_COMMAND:
        // IDCANCEL is not handled: Esc does nothing, as in the backup dialogs.
        if (HIWORD(wParam) != BN_CLICKED || !request) return FALSE;
        switch (LOWORD(wParam)) {
        case IDC_SCHEDULE_CHOOSE: ChooseScheduleFolder(dialog); return TRUE;
        case IDC_SCHEDULE_SAVE: SaveSchedule(dialog, *request); return TRUE;
        case IDC_SCHEDULE_DELETE: DeleteSchedule(dialog, *request); return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

}  // namespace

void ShowBackupSchedule(HWND owner, BackupKind kind, const char* database, const char* server, const char* fileField)
{
    ScheduleRequest request = {kind, database, server, "", ""};
    if (IsBlank(database)) return Refuse(owner, "A paraméterek kitöltése hiányos!");
    if (!IsBackupDatabaseName(database) || !BuildBackupTaskName(kind, database, request.task, sizeof request.task)) {
        char text[backupDatabaseLimit + 96];
        snprintf(text, sizeof text, "A(z) '%s' adatbázis neve fájlnévben nem használható, a mentése nem ütemezhető.", database);
        return Refuse(owner, text);
    }
    // The folder of the dialog's file, without its last backslash; else the start folder.
    DirectoryOf(fileField, request.folder, sizeof request.folder);
    size_t length = strlen(request.folder);
    if (length > 1 && request.folder[length - 1] == '\\' && request.folder[length - 2] != ':') request.folder[length - 1] = '\0';
    if (IsBlank(request.folder)) CopyText(request.folder, startDirectory);
    DialogBoxParamA(appInstance, "BACKUP_SCHEDULE", owner, BackupScheduleProc, reinterpret_cast<LPARAM>(&request));
}

void ShowLastBackupRun(HWND dialog, int labelId, BackupKind kind, const char* database)
{
    BackupLogEntry entry;
    char text[700];
    DescribeLastBackup(database[0] && ReadLastBackup(BackupKindName(kind), database, &entry) ? &entry : nullptr, text,
                       sizeof text);
    SetControlText(dialog, labelId, text);
}
