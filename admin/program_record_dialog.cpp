#include "admin/program_record_dialog.h"

#include "admin/admin_ids.h"
#include "admin/record_dialog_common.h"
#include "admin/user_rights_editor.h"
#include "config/record_edits.h"
#include "ui/dialog_utils.h"
#include "support/process_state.h"

#include <commctrl.h>

int programDialogMode = 0;

namespace {

// Every field takes and keeps what the document reads back, so a record is changed without losing a
// character of the values not touched.
const FieldLimit fieldLimits[] = {{IDC_PROGRAM_DESCRIPTION, modelDescriptionLimit},
                                  {IDC_PROGRAM_ID, modelIdLimit},
                                  {IDC_PROGRAM_PATH, modelPathLimit},
                                  {IDC_PROGRAM_ICON_FILE, modelPathLimit},
                                  {IDC_PROGRAM_ALIAS, modelAliasLimit}};

struct ProgramFields {
    char description[modelDescriptionLimit + 1];
    char id[modelIdLimit + 1];
    char fullPath[modelPathLimit + 1];
    char alias[modelAliasLimit + 1];
    char iconFile[modelPathLimit + 1];

    ProgramValues Values() const { return {id, description, fullPath, alias, iconFile}; }
};

bool ShowProgramRefusal(RecordEditResult result)
{
    return ShowRecordRefusal(result, "Már létező program!", "Legfeljebb 100 program tárolható.");
}

HWND ProgramList(HWND dialog)
{
    return EditorList(dialog, IDC_RIGHTS_PROGRAMS);
}

void InitProgramDialog(HWND dialog, int mode)
{
    SendDlgItemMessageA(dialog, IDC_RECORD_ICON, STM_SETIMAGE, IMAGE_ICON,
                        reinterpret_cast<LPARAM>(LoadIconA(appInstance, "MV_PROGRAM")));
    programDialogMode = mode;
    SetRecordCommandCaption(dialog, mode);
    SetFieldLimits(dialog, fieldLimits);

    HWND list = ProgramList(dialog);
    int row = FocusedRow(list);
    if (row < 0) {
        programDialogMode = 0;
        return;
    }
    if (mode != 1 && mode != 2) return;
    // The values come whole from the row's record, not from the row.
    char rowId[rowIdSize];
    int at = FindProgramRecord(&configModel, GetRowText(list, row, 0, rowId, sizeof rowId));
    if (at >= 0) {
        const ProgramRecord& record = configModel.programRecords[at];
        SetControlText(dialog, IDC_PROGRAM_ID, record.id);
        SetControlText(dialog, IDC_PROGRAM_DESCRIPTION, record.description);
        SetControlText(dialog, IDC_PROGRAM_PATH, record.fullPath);
        SetControlText(dialog, IDC_PROGRAM_ALIAS, record.alias);
        SetControlText(dialog, IDC_PROGRAM_ICON_FILE, record.iconFile);
    }
    if (mode == 2) {
        static const int inputs[] = {IDC_PROGRAM_DESCRIPTION, IDC_PROGRAM_ID,         IDC_PROGRAM_PATH,       IDC_PROGRAM_CHOOSE_PATH,
                                     IDC_PROGRAM_ALIAS,       IDC_PROGRAM_ICON_FILE,  IDC_PROGRAM_CHOOSE_ICON};
        for (int input : inputs) EnableWindow(GetDlgItem(dialog, input), FALSE);
    }
}

void ChooseInto(HWND dialog, int field, const char* title, const char* filter)
{
    char current[modelPathLimit + 1], directory[modelPathLimit + 1];
    GetControlText(dialog, field, current, sizeof current);
    DirectoryOf(current, directory, sizeof directory);
    const char* chosen = ChooseOpenFile(dialog, appInstance, directory, title, filter);
    if (chosen[0]) SetControlText(dialog, field, chosen);
}

void SetRow(HWND list, int row, const ProgramFields& fields)
{
    SetRowText(list, row, 0, fields.id);
    SetRowText(list, row, 1, fields.description);
    SetRowText(list, row, 2, fields.fullPath);
    SetRowText(list, row, 3, fields.alias);
    SetRowText(list, row, 5, fields.iconFile);
}

// Runs the dialog's command; false when it was refused and the dialog stays open.
bool RunProgramCommand(HWND dialog)
{
    ProgramFields fields;
    GetControlText(dialog, IDC_PROGRAM_DESCRIPTION, fields.description, sizeof fields.description);
    GetControlText(dialog, IDC_PROGRAM_ID, fields.id, sizeof fields.id);
    GetControlText(dialog, IDC_PROGRAM_PATH, fields.fullPath, sizeof fields.fullPath);
    GetControlText(dialog, IDC_PROGRAM_ALIAS, fields.alias, sizeof fields.alias);
    GetControlText(dialog, IDC_PROGRAM_ICON_FILE, fields.iconFile, sizeof fields.iconFile);
    HWND list = ProgramList(dialog);
    HWND editor = GetWindow(dialog, GW_OWNER);

    if (programDialogMode == 0) {
        if (ShowProgramRefusal(AddProgramRecord(&configModel, fields.Values(), nullptr))) return false;
        int row = AppendRow(list, fields.id);
        if (row >= 0) {
            SetRow(list, row, fields);
            SetRowText(list, row, 4, FormatCount((long)SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)));
        }
        RefillUserRightsList(editor);
        return true;
    }

    int row = FocusedRow(list);
    if (row < 0) return true;
    char rowId[rowIdSize];
    GetRowText(list, row, 0, rowId, sizeof rowId);
    if (programDialogMode == 1) {
        RecordEditResult result = ChangeProgramRecord(&configModel, rowId, fields.Values());
        if (ShowProgramRefusal(result)) return false;
        if (result == recordDone) SetRow(list, row, fields);
    } else if (DeleteProgramRecord(&configModel, rowId) == recordDone) {
        SendMessageA(list, LVM_DELETEITEM, row, 0);
    }
    // A changed or deleted ID has changed users' lists too.
    ShowUsersPermittedPrograms(editor);
    RefillUserRightsList(editor);
    return true;
}

}  // namespace

INT_PTR CALLBACK ProgramRecordDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: InitProgramDialog(dialog, (int)lParam); break;
    case WM_CLOSE: EndDialog(dialog, 0); break;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_PROGRAM_CHOOSE_PATH: ChooseInto(dialog, IDC_PROGRAM_PATH, "Program kiválasztás", nullptr); break;
        case IDC_PROGRAM_CHOOSE_ICON: ChooseInto(dialog, IDC_PROGRAM_ICON_FILE, "Ikon kiválasztás", "Ikon fájlok\0*.ico\0"); break;
        case IDC_RECORD_COMMAND:
            if (RunProgramCommand(dialog)) EndDialog(dialog, 0);
            break;
        default: break;
        }
        break;
    default: break;
    }
    return 0;
}
