#include "admin/mysql_user_manager.h"

#include "admin/admin_ids.h"
#include "admin/admin_tools.h"
#include "admin/mysql_admin_connection.h"
#include "db/odbc_cursor.h"
#include "ui/dialog_utils.h"
#include "support/bounded_text.h"
#include "support/process_state.h"

#include <string.h>

MySqlAccountForm mysqlUserManagerForm = MySqlAccountStatements;

namespace {

const int fieldCapacity = 64;  // user, host and the two passwords: at most 63 characters each

// Asks the server whether `mysql`.`user` is a base table with a `Password` column.
MySqlAccountForm DetectForm(OdbcConnection* connection)
{
    OdbcCursor* cursor = connection->OpenCursor(mysqlAccountFormStatement);
    char tableType[64] = "";
    char passwordColumns[16] = "";
    int status = cursor->Status();
    if (status == 0) {
        CopyText(tableType, cursor->ColumnByName("TABLE_TYPE"));
        CopyText(passwordColumns, cursor->ColumnByName("PASSWORD_COLUMNS"));
    }
    connection->CloseCursor(cursor);
    return ChooseMySqlAccountForm(status, tableType, passwordColumns);
}

void FillAccountList(HWND dialog)
{
    OdbcConnection* connection = mysqlAdminConnection;
    OdbcCursor* cursor = connection->OpenCursor(mysqlAccountListStatement);
    while (cursor->Status() == 0) {
        char entry[256];
        CopyText(entry, cursor->ColumnByName("User"));
        AppendText(entry, sizeof entry, "@");
        AppendText(entry, sizeof entry, cursor->ColumnByName("Host"));
        SendDlgItemMessageA(dialog, IDC_MYUSER_ACCOUNTS, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
        cursor->Fetch(1);
    }
    connection->CloseCursor(cursor);
}

void SetAllChecks(HWND dialog, UINT state)
{
    for (int id = IDC_MYUSER_FIRST_PRIVILEGE; id <= IDC_MYUSER_LAST_PRIVILEGE; id++) CheckDlgButton(dialog, id, state);
}

// Fields cleared and the list read again, as after a delete or a create.
void ResetDialog(HWND dialog, bool passwordsToo)
{
    SetControlText(dialog, IDC_MYUSER_USER, "");
    SetControlText(dialog, IDC_MYUSER_HOST, "");
    if (passwordsToo) {
        SetControlText(dialog, IDC_MYUSER_PASSWORD, "");
        SetControlText(dialog, IDC_MYUSER_RETYPE, "");
    }
    SetAllChecks(dialog, BST_UNCHECKED);
    SendDlgItemMessageA(dialog, IDC_MYUSER_ACCOUNTS, CB_RESETCONTENT, 0, 0);
    FillAccountList(dialog);
}

// The selected entry's user and host into the fields, and the account's privileges into the boxes.
void LoadAccount(HWND dialog)
{
    HWND combo = GetDlgItem(dialog, IDC_MYUSER_ACCOUNTS);
    LRESULT selected = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (selected == CB_ERR) return;
    LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, selected, 0);
    char entry[256] = "";
    if (length == CB_ERR || length >= static_cast<LRESULT>(sizeof entry)) return;
    SendMessageA(combo, CB_GETLBTEXT, selected, reinterpret_cast<LPARAM>(entry));
    const char* at = strchr(entry, '@');
    if (!entry[0] || !at) return;
    char user[fieldCapacity];
    char host[fieldCapacity];
    CopyTextPart(user, sizeof user, entry, static_cast<size_t>(at - entry));
    CopyText(host, at + 1);
    SetControlText(dialog, IDC_MYUSER_USER, user);
    SetControlText(dialog, IDC_MYUSER_HOST, host);

    char query[1024];
    if (!BuildMySqlAccountQuery(user, host, query, sizeof query)) return;
    OdbcConnection* connection = mysqlAdminConnection;
    OdbcCursor* cursor = connection->OpenCursor(query);
    if (cursor->Status() == 0) {
        for (const MySqlPrivilege& privilege : mysqlPrivileges) {
            bool granted = cursor->ColumnByIndex(privilege.readPosition)[0] == 'Y';
            CheckDlgButton(dialog, privilege.checkBoxId, granted ? BST_CHECKED : BST_UNCHECKED);
        }
    }
    connection->CloseCursor(cursor);
}

// Runs the statements in order while each returns exactly 0; true when all of them did.
bool RunStatements(const MySqlStatements& statements, int first, int end, int commitAfter)
{
    for (int i = first; i < end; i++)
        if (mysqlAdminConnection->ExecDirect(statements.text[i], commitAfter) != 0) return false;
    return true;
}

void DeleteAccount(HWND dialog)
{
    char user[fieldCapacity];
    char host[fieldCapacity];
    GetControlText(dialog, IDC_MYUSER_USER, user, sizeof user);
    GetControlText(dialog, IDC_MYUSER_HOST, host, sizeof host);
    static MySqlStatements statements;
    if (!BuildMySqlDelete(mysqlUserManagerForm, user, host, &statements)) return;
    if (MessageBoxExA(dialog, statements.text[0], "Biztos vagy benne?", MB_YESNO | MB_ICONQUESTION, 0x400) != IDYES)
        return;
    if (RunStatements(statements, 0, statements.count, 0))
        mysqlAdminConnection->Commit();
    else
        mysqlAdminConnection->Rollback();
    ResetDialog(dialog, false);
}

// Reads the fields for an update or a create; false (after the message) when the two passwords
// differ. granted receives 'Y' or 'N' for each written box.
bool ReadAccountFields(HWND dialog, char* user, char* host, char* password, char* granted)
{
    char retyped[fieldCapacity];
    GetControlText(dialog, IDC_MYUSER_USER, user, fieldCapacity);
    GetControlText(dialog, IDC_MYUSER_HOST, host, fieldCapacity);
    GetControlText(dialog, IDC_MYUSER_PASSWORD, password, fieldCapacity);
    GetControlText(dialog, IDC_MYUSER_RETYPE, retyped, sizeof retyped);
    if (strcmp(password, retyped) != 0) {
        MessageBoxA(dialog, "Különböző jelszavak!", "Figyelem", MB_TASKMODAL);
        return false;
    }
    for (int i = 0; i < mysqlWrittenPrivilegeCount; i++)
        granted[i] = IsDlgButtonChecked(dialog, mysqlPrivileges[i].checkBoxId) == BST_CHECKED ? 'Y' : 'N';
    granted[mysqlWrittenPrivilegeCount] = 0;
    return true;
}

void UpdateAccount(HWND dialog)
{
    char user[fieldCapacity], host[fieldCapacity], password[fieldCapacity];
    char granted[mysqlWrittenPrivilegeCount + 1];
    if (!ReadAccountFields(dialog, user, host, password, granted)) return;
    static MySqlStatements statements;
    if (!BuildMySqlUpdate(mysqlUserManagerForm, user, host, password, granted, &statements)) return;
    RunStatements(statements, 0, statements.count, 1);
}

void CreateAccount(HWND dialog)
{
    char user[fieldCapacity], host[fieldCapacity], password[fieldCapacity];
    char granted[mysqlWrittenPrivilegeCount + 1];
    if (!ReadAccountFields(dialog, user, host, password, granted)) return;
    static MySqlStatements statements;
    if (!BuildMySqlCreate(mysqlUserManagerForm, user, host, password, granted, &statements)) return;
    // Everything before the flush must succeed; otherwise the fields keep what was typed.
    if (!RunStatements(statements, 0, statements.count - 1, 1)) return;
    mysqlAdminConnection->ExecDirect(statements.text[statements.count - 1], 1);
    ResetDialog(dialog, true);
}

}  // namespace

INT_PTR CALLBACK MySqlUserManagerProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        HICON icon = LoadIconA(appInstance, "MV_MYSQL");
        SendDlgItemMessageA(dialog, IDC_MYUSER_ICON, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
        FillAccountList(dialog);
        SetFocus(GetDlgItem(dialog, IDC_MYUSER_ACCOUNTS));
        return 0;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_MYUSER_ACCOUNTS:
            if (HIWORD(wParam) == CBN_CLOSEUP) LoadAccount(dialog);
            break;
        case IDC_MYUSER_CHECK_ALL: SetAllChecks(dialog, BST_CHECKED); break;
        case IDC_MYUSER_CLEAR_ALL: SetAllChecks(dialog, BST_UNCHECKED); break;
        case IDC_MYUSER_DELETE: DeleteAccount(dialog); break;
        case IDC_MYUSER_UPDATE: UpdateAccount(dialog); break;
        case IDC_MYUSER_CREATE: CreateAccount(dialog); break;
        case IDC_MYUSER_EXIT: EndDialog(dialog, 0); break;
        }
        return 0;
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return 0;
    }
    return 0;
}

int ShowMySqlUserManager(HWND owner)
{
    if (OpenMySqlAdminConnection(owner, "", "", 1)) {
        mysqlUserManagerForm = DetectForm(mysqlAdminConnection);
        DialogBoxParamA(appInstance, "MYSQL_USER_MANAGER", owner, MySqlUserManagerProc, 0);
    }
    CloseMySqlAdminConnection();
    return 0;
}
