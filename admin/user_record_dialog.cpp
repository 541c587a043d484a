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

// Field buffers (characters kept + 1); IDs and passwords can be typed up to 8 characters.
const int nameSize = 50;
const int idSize = 10;
const int typedIdLimit = 8;

struct UserFields {
    char name[nameSize];
    char id[idSize];
    char password[idSize];
    char admin[idSize];
};

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
    SendDlgItemMessageA(dialog, IDC_USER_NAME, EM_LIMITTEXT, nameSize, 0);
    SendDlgItemMessageA(dialog, IDC_USER_ID, EM_LIMITTEXT, typedIdLimit, 0);
    SendDlgItemMessageA(dialog, IDC_USER_PASSWORD, EM_LIMITTEXT, typedIdLimit, 0);

    HWND list = UserList(dialog);
    int row = FocusedRow(list);
    if (row < 0) {
        userDialogMode = 0;
        return;
    }
    if (mode != 1 && mode != 2) return;
    UserFields fields;
    SetControlText(dialog, IDC_USER_NAME, GetRowText(list, row, 0, fields.name, sizeof fields.name));
    SetControlText(dialog, IDC_USER_ID, GetRowText(list, row, 1, fields.id, sizeof fields.id));
    SetControlText(dialog, IDC_USER_PASSWORD, GetRowText(list, row, 2, fields.password, sizeof fields.password));
    GetRowText(list, row, 4, fields.admin, sizeof fields.admin);
    CheckDlgButton(dialog, IDC_USER_ADMIN, fields.admin[0] == 'I' ? BST_CHECKED : BST_UNCHECKED);
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
        RecordEditResult result = AddUserRecord(&configModel, values, nullptr);
        if (result == recordDuplicate) ShowRecordError("Már létező felhasználó");
        if (result == recordFull) ShowRecordError("Legfeljebb 100 felhasználó tárolható.");
        if (result != recordDone) return false;
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
    char rowId[32];
    GetRowText(list, row, 1, rowId, sizeof rowId);
    if (userDialogMode == 1) {
        RecordEditResult result = ChangeUserRecord(&configModel, rowId, values);
        if (result == recordDuplicate) {
            ShowRecordError("Már létező felhasználó");
            return false;
        }
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
