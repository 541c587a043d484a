#include "admin/sql_server_login_manager.h"

#include "admin/admin_ids.h"
#include "admin/admin_tools.h"
#include "admin/sql_server_connection.h"
#include "admin/sql_server_statements.h"
#include "db/odbc_connection.h"
#include "db/odbc_cursor.h"
#include "ui/dialog_utils.h"
#include "support/bounded_text.h"
#include "support/process_state.h"

#include <string.h>

namespace {

// Login names and passwords are read into 64 bytes: at most 63 characters.
const int fieldCapacity = 64;
const int textFields[] = {IDC_MSSQL_USER_NAME, IDC_MSSQL_PASSWORD, IDC_MSSQL_RETYPE};

void SetAllRoles(HWND dialog, UINT state)
{
    for (int i = 0; i < sqlServerRoleCount; i++) CheckDlgButton(dialog, IDC_MSSQL_ROLE_FIRST + i, state);
}

void FillLoginList(HWND dialog)
{
    OdbcCursor* cursor = sqlServerConnection->OpenCursor(sqlServerLoginListQuery);
    while (cursor->Status() == 0) {
        char entry[256];
        CopyText(entry, cursor->ColumnByName("name"));
        SendDlgItemMessageA(dialog, IDC_MSSQL_LOGINS, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
        cursor->Fetch(1);
    }
    sqlServerConnection->CloseCursor(cursor);
}

void ReloadLoginList(HWND dialog)
{
    SendDlgItemMessageA(dialog, IDC_MSSQL_LOGINS, CB_RESETCONTENT, 0, 0);
    FillLoginList(dialog);
}

// Reads the server's eight role columns of login into values; false when the server has no such
// login (or the query failed), values then untouched.
bool ReadServerRoles(const char* login, long values[sqlServerRoleCount])
{
    char query[256];
    if (!BuildLoginRolesQuery(query, sizeof query, login)) return false;
    OdbcCursor* cursor = sqlServerConnection->OpenCursor(query);
    bool found = cursor->Status() == 0;
    if (found)
        for (int i = 0; i < sqlServerRoleCount; i++) values[i] = RoleValue(cursor->ColumnByName(sqlServerRoles[i]));
    sqlServerConnection->CloseCursor(cursor);
    return found;
}

// Reads a name or password field. A field holding more than 63 characters (only a name taken from
// the list can) is refused rather than cut: a cut name would be another login.
bool ReadField(HWND dialog, int id, char (&buffer)[fieldCapacity])
{
    if (GetWindowTextLengthA(GetDlgItem(dialog, id)) >= fieldCapacity) {
        MessageBoxA(dialog, "Legfeljebb 63 karakter adható meg!", "Figyelem", MB_TASKMODAL);
        return false;
    }
    GetControlText(dialog, id, buffer, fieldCapacity);
    return true;
}

void InitLoginManager(HWND dialog)
{
    HICON icon = LoadIconA(appInstance, "MV_MSSQL");
    SendDlgItemMessageA(dialog, IDC_MSSQL_ICON, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
    // Typing stops at what the commands read.
    for (int id : textFields)
        SendDlgItemMessageA(dialog, id, EM_LIMITTEXT, fieldCapacity - 1, 0);
    FillLoginList(dialog);
    SetFocus(GetDlgItem(dialog, IDC_MSSQL_LOGINS));
}

// The drop-down list closed: show the picked login and its roles (also when it was picked before).
void ShowPickedLogin(HWND dialog)
{
    LRESULT selection = SendDlgItemMessageA(dialog, IDC_MSSQL_LOGINS, CB_GETCURSEL, 0, 0);
    if (selection == CB_ERR) return;
    char entry[256];
    LRESULT length = SendDlgItemMessageA(dialog, IDC_MSSQL_LOGINS, CB_GETLBTEXTLEN, selection, 0);
    if (length <= 0 || length >= (LRESULT)sizeof entry) return;
    SendDlgItemMessageA(dialog, IDC_MSSQL_LOGINS, CB_GETLBTEXT, selection, reinterpret_cast<LPARAM>(entry));
    if (!entry[0]) return;
    SetControlText(dialog, IDC_MSSQL_USER_NAME, entry);
    long values[sqlServerRoleCount];
    if (!ReadServerRoles(entry, values)) return;
    for (int i = 0; i < sqlServerRoleCount; i++)
        CheckDlgButton(dialog, IDC_MSSQL_ROLE_FIRST + i, values[i] != 0 ? BST_CHECKED : BST_UNCHECKED);
}

void DeleteLogin(HWND dialog)
{
    char name[fieldCapacity];
    if (!ReadField(dialog, IDC_MSSQL_USER_NAME, name)) return;
    char statement[256];
    if (!BuildDropLogin(statement, sizeof statement, name)) return;
    if (MessageBoxA(dialog, statement, "Biztosan törölni akarod a bejelentkezést?", MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL) != IDYES)
        return;
    // With autocommit both only re-run open cursors: the server has applied or refused the drop.
    if (sqlServerConnection->ExecDirect(statement, 0) == SQL_SUCCESS) sqlServerConnection->Commit();
    else sqlServerConnection->Rollback();
    SetControlText(dialog, IDC_MSSQL_USER_NAME, "");
    SetAllRoles(dialog, BST_UNCHECKED);
    ReloadLoginList(dialog);
}

// Sends only the differences between the boxes and the server, in role order; never a password.
// A failing statement has shown its error and the next role follows.
void ModifyLogin(HWND dialog)
{
    char name[fieldCapacity];
    if (!ReadField(dialog, IDC_MSSQL_USER_NAME, name)) return;
    long values[sqlServerRoleCount];
    if (!ReadServerRoles(name, values)) return;
    for (int i = 0; i < sqlServerRoleCount; i++) {
        bool checked = IsDlgButtonChecked(dialog, IDC_MSSQL_ROLE_FIRST + i) == BST_CHECKED;
        if (checked == (values[i] != 0)) continue;
        char statement[2048];
        if (BuildRoleChange(statement, sizeof statement, checked, name, sqlServerRoles[i]))
            sqlServerConnection->ExecDirect(statement, 0);
    }
}

void CreateLogin(HWND dialog)
{
    char name[fieldCapacity], password[fieldCapacity], retyped[fieldCapacity];
    if (!ReadField(dialog, IDC_MSSQL_USER_NAME, name) || !ReadField(dialog, IDC_MSSQL_PASSWORD, password) ||
        !ReadField(dialog, IDC_MSSQL_RETYPE, retyped))
        return;
    if (strcmp(password, retyped) != 0) {
        MessageBoxA(dialog, "Különböző jelszavak!", "Figyelem", MB_TASKMODAL);
        return;
    }
    char statement[2048];
    if (!BuildCreateLogin(statement, sizeof statement, name, password)) return;
    // Anything but a plain success, 1 included, stops here with the fields kept.
    if (sqlServerConnection->ExecDirect(statement, 1) != SQL_SUCCESS) return;
    for (int i = 0; i < sqlServerRoleCount; i++) {
        if (IsDlgButtonChecked(dialog, IDC_MSSQL_ROLE_FIRST + i) != BST_CHECKED) continue;
        if (BuildRoleChange(statement, sizeof statement, true, name, sqlServerRoles[i]))
            sqlServerConnection->ExecDirect(statement, 1);
        CheckDlgButton(dialog, IDC_MSSQL_ROLE_FIRST + i, BST_UNCHECKED);
    }
    for (int id : textFields) SetControlText(dialog, id, "");
    ReloadLoginList(dialog);
}

}  // namespace

INT_PTR CALLBACK SqlServerLoginManagerProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        InitLoginManager(dialog);
        return FALSE;  // the focus is set
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return TRUE;
    case WM_COMMAND:
        // Neither IDOK nor IDCANCEL is handled: Enter and Esc do nothing.
        if (LOWORD(wParam) == IDC_MSSQL_LOGINS) {
            if (HIWORD(wParam) == CBN_CLOSEUP) ShowPickedLogin(dialog);
            return TRUE;
        }
        if (HIWORD(wParam) != BN_CLICKED) return FALSE;
        switch (LOWORD(wParam)) {
        case IDC_MSSQL_CHECK_ALL: SetAllRoles(dialog, BST_CHECKED); break;
        case IDC_MSSQL_CLEAR_ALL: SetAllRoles(dialog, BST_UNCHECKED); break;
        case IDC_MSSQL_DELETE: DeleteLogin(dialog); break;
        case IDC_MSSQL_MODIFY: ModifyLogin(dialog); break;
        case IDC_MSSQL_CREATE: CreateLogin(dialog); break;
        case IDC_MSSQL_EXIT: EndDialog(dialog, 0); break;
        default: return FALSE;
        }
        return TRUE;
    default: return FALSE;
    }
}

int ShowSqlServerLoginManager(HWND owner)
{
    return RunSqlServerTool(owner, "MSSQL_USER_MANAGER", SqlServerLoginManagerProc);
}
