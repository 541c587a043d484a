#include "admin/user_record_dialog.h"

#include "admin/admin_ids.h"
#include "admin/record_dialog_common.h"
#include "admin/user_rights_editor.h"
#include "config/record_edits.h"
#include "ui/dialog_utils.h"
#include "support/bounded_text.h"
#include "support/process_state.h"

#include <commctrl.h>

int userDialogMode = 0;

namespace {

// IDs and passwords can be typed up to the login field's 8 characters; every field keeps what the
// document reads back, so a hand-written longer value is not cut by a change of another field.
const int typedIdLimit = 8;
const FieldLimit fieldLimits[] = {
    {IDC_USER_NAME, modelNameLimit}, {IDC_USER_ID, typedIdLimit}, {IDC_USER_PASSWORD, typedIdLimit}};

struct UserFields {
    char name[modelNameLimit + 1];
    char id[modelIdLimit + 1];
    char password[modelIdLimit + 1];
    char admin[8];
};

bool ShowUserRefusal(RecordEditResult result)
{
    return ShowRecordRefusal(result, "Már létező felhasználó", "Legfeljebb 100 felhasználó tárolható.");
}

HWND UserList(HWND dialog)
{
    return EditorList(dialog, IDC_RIGHTS_USERS);
}

void InitUserDialog(HWND dialog, int mode)
{
    SendDlgItemMessageA(dialog, IDC_RECORD_ICON, STM_SETIMAGE, IMAGE_ICON,
                        reinterpret_cast<LPARAM>(LoadIconA(appInstance, "MV_USER")));
    userDialogMode = mode;
    SetRecordCommandCaption(dialog, mode);
    SetFieldLimits(dialog, fieldLimits);

    HWND list = UserList(dialog);
    int row = FocusedRow(list);
    if (row < 0) {
        userDialogMode = 0;
        return;
    }
    if (mode != 1 && mode != 2) return;
    // The values come whole from the row's record, not from the row.
    char rowId[rowIdSize];
    int at = FindUserRecord(&configModel, GetRowText(list, row, 1, rowId, sizeof rowId));
    if (at >= 0) {
        const UserRecord& record = configModel.userRecords[at];
        SetControlText(dialog, IDC_USER_NAME, record.name);
        SetControlText(dialog, IDC_USER_ID, record.id);
        SetControlText(dialog, IDC_USER_PASSWORD, record.password);
        CheckDlgButton(dialog, IDC_USER_ADMIN, record.isAdmin ? BST_CHECKED : BST_UNCHECKED);
    }
    if (mode == 2) {
        static const int inputs[] = {IDC_USER_NAME, IDC_USER_ID, IDC_USER_PASSWORD, IDC_USER_ADMIN};
        for (int input : inputs) EnableWindow(GetDlgItem(dialog, input), FALSE);
    }
}

void SetRow(HWND list, int row, const UserFields& fields)
{
    SetRowText(list, row, 0, fields.name);
    SetRowText(list, row, 1, fields.id);
    SetRowText(list, row, 2, fields.password);
    SetRowText(list, row, 4, fields.admin);
}

// Runs the dialog's command; false when it was refused and the dialog stays open.
bool RunUserCommand(HWND dialog)
{
    UserFields fields;
    GetControlText(dialog, IDC_USER_NAME, fields.name, sizeof fields.name);
    GetControlText(dialog, IDC_USER_ID, fields.id, sizeof fields.id);
    GetControlText(dialog, IDC_USER_PASSWORD, fields.password, sizeof fields.password);
    bool isAdmin = IsDlgButtonChecked(dialog, IDC_USER_ADMIN) == BST_CHECKED;
    CopyText(fields.admin, isAdmin ? "Igen" : "Nem");
    UserValues values = {fields.name, fields.id, fields.password, isAdmin};
    HWND list = UserList(dialog);

    if (userDialogMode == 0) {
        if (ShowUserRefusal(AddUserRecord(&configModel, values, nullptr))) return false;
        int row = AppendRow(list, fields.name);
        if (row >= 0) {
            SetRow(list, row, fields);
            SetRowText(list, row, 3, "");
            SetRowText(list, row, 5, FormatCount((long)SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)));
        }
        return true;
    }

    int row = FocusedRow(list);
    if (row < 0) return true;
    char rowId[rowIdSize];
    GetRowText(list, row, 1, rowId, sizeof rowId);
    if (userDialogMode == 1) {
        RecordEditResult result = ChangeUserRecord(&configModel, rowId, values);
        if (ShowUserRefusal(result)) return false;
        if (result == recordDone) SetRow(list, row, fields);
    } else if (DeleteUserRecord(&configModel, rowId) == recordDone) {
        SendMessageA(list, LVM_DELETEITEM, row, 0);
    }
    // The rights list shows the focused user's boxes, whichever row holds the focus now.
    RefillUserRightsList(GetWindow(dialog, GW_OWNER));
    return true;
}

}  // namespace

INT_PTR CALLBACK UserRecordDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: InitUserDialog(dialog, (int)lParam); break;
    case WM_CLOSE: EndDialog(dialog, 0); break;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_RECORD_COMMAND && RunUserCommand(dialog)) EndDialog(dialog, 0);
        break;
    default: break;
    }
    return 0;
}
