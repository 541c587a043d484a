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
MySqlQuoting mysqlUserManagerQuoting = MySqlBackslashEscapes;
const char* mysqlUserManagerTable = mysqlAccountTable;

namespace {

const int userCapacity = mysqlUserLimit + 1;
const int hostCapacity = mysqlHostLimit + 1;
const int passwordCapacity = mysqlPasswordLimit + 1;
const int entryCapacity = mysqlUserLimit + 1 + mysqlHostLimit + 1;  // "user@host"

const char* const tooLongText =
    "Túl hosszú név vagy jelszó: a felhasználónév legfeljebb 80, a gépnév 255, a jelszó 128 karakter lehet.";

// What the fields hold for a command.
struct AccountFields {
    char user[userCapacity];
    char host[hostCapacity];
    char password[passwordCapacity];
    char granted[mysqlWrittenPrivilegeCount + 1];  // 'Y' or 'N' for each written box
};

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

// Asks the server how its session reads a backslash in a quoted text.
MySqlQuoting DetectQuoting(OdbcConnection* connection)
{
    OdbcCursor* cursor = connection->OpenCursor(mysqlSqlModeStatement);
    int status = cursor->Status();
    char mode[1024] = "";
    if (status == 0) CopyText(mode, cursor->ColumnByIndex(1));
    connection->CloseCursor(cursor);
    return ChooseMySqlQuoting(status, mode);
}

void FillAccountList(HWND dialog)
{
    char statement[512];
    if (!BuildMySqlAccountList(mysqlUserManagerTable, statement, sizeof statement)) return;
    OdbcConnection* connection = mysqlAdminConnection;
    OdbcCursor* cursor = connection->OpenCursor(statement);
    while (cursor->Status() == 0) {
        // One character more than a name can have: an overlong entry is listed as overlong (and
        // refused when picked), never cut into the name of another account.
        char entry[entryCapacity + 1];
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
    if (length <= 0) return;
    char entry[entryCapacity + 1] = "";
    char user[userCapacity];
    char host[hostCapacity];
    if (length < static_cast<LRESULT>(sizeof entry)) {
        SendMessageA(combo, CB_GETLBTEXT, selected, reinterpret_cast<LPARAM>(entry));
        if (!strchr(entry, '@')) return;
    }
    // A name longer than its field is refused whole: cut, it would name another account.
    if (!SplitMySqlAccountEntry(entry, user, sizeof user, host, sizeof host)) {
        MessageBoxA(dialog, tooLongText, "Figyelem", MB_TASKMODAL);
        return;
    }
    SetControlText(dialog, IDC_MYUSER_USER, user);
    SetControlText(dialog, IDC_MYUSER_HOST, host);

    char query[2048];
    if (!BuildMySqlAccountQuery(mysqlUserManagerTable, mysqlUserManagerQuoting, user, host, query, sizeof query)) return;
    OdbcConnection* connection = mysqlAdminConnection;
    OdbcCursor* cursor = connection->OpenCursor(query);
    if (cursor->Status() == 0) {
        for (const MySqlPrivilege& privilege : mysqlPrivileges) {
            bool granted = cursor->ColumnByName(privilege.column)[0] == 'Y';
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

// Reads a field whole into buffer; false when it holds more than buffer takes (a text set past the
// typing limit is refused, never cut).
bool ReadField(HWND dialog, int id, char* buffer, int capacity)
{
    if (GetWindowTextLengthA(GetDlgItem(dialog, id)) >= capacity) return false;
    GetControlText(dialog, id, buffer, capacity);
    return true;
}

// Reads user and host, and for an update or a create the passwords and the boxes; false (after
// its message) when a field is too long or the two passwords differ.
bool ReadAccountFields(HWND dialog, AccountFields* fields, bool passwordsToo)
{
    char retyped[passwordCapacity] = "";
    fields->password[0] = 0;
    if (!ReadField(dialog, IDC_MYUSER_USER, fields->user, userCapacity) ||
        !ReadField(dialog, IDC_MYUSER_HOST, fields->host, hostCapacity) ||
        (passwordsToo && (!ReadField(dialog, IDC_MYUSER_PASSWORD, fields->password, passwordCapacity) ||
                          !ReadField(dialog, IDC_MYUSER_RETYPE, retyped, passwordCapacity)))) {
        MessageBoxA(dialog, tooLongText, "Figyelem", MB_TASKMODAL);
        return false;
    }
    if (strcmp(fields->password, retyped) != 0) {
        MessageBoxA(dialog, "Különböző jelszavak!", "Figyelem", MB_TASKMODAL);
        return false;
    }
    for (int i = 0; i < mysqlWrittenPrivilegeCount; i++)
        fields->granted[i] = IsDlgButtonChecked(dialog, mysqlPrivileges[i].checkBoxId) == BST_CHECKED ? 'Y' : 'N';
    fields->granted[mysqlWrittenPrivilegeCount] = 0;
    return true;
}

void DeleteAccount(HWND dialog)
{
    AccountFields fields;
    if (!ReadAccountFields(dialog, &fields, false)) return;
    static MySqlStatements statements;
    if (!BuildMySqlDelete(mysqlUserManagerForm, mysqlUserManagerQuoting, fields.user, fields.host, &statements)) return;
    if (MessageBoxExA(dialog, statements.text[0], "Biztos vagy benne?", MB_YESNO | MB_ICONQUESTION, 0x400) != IDYES)
        return;
    if (RunStatements(statements, 0, statements.count, 0))
        mysqlAdminConnection->Commit();
    else
        mysqlAdminConnection->Rollback();
    ResetDialog(dialog, false);
}

void UpdateAccount(HWND dialog)
{
    AccountFields fields;
    if (!ReadAccountFields(dialog, &fields, true)) return;
    static MySqlStatements statements;
    if (!BuildMySqlUpdate(mysqlUserManagerForm, mysqlUserManagerQuoting, fields.user, fields.host, fields.password,
                          fields.granted, &statements))
        return;
    RunStatements(statements, 0, statements.count, 1);
}

void CreateAccount(HWND dialog)
{
    AccountFields fields;
    if (!ReadAccountFields(dialog, &fields, true)) return;
    static MySqlStatements statements;
    if (!BuildMySqlCreate(mysqlUserManagerForm, mysqlUserManagerQuoting, fields.user, fields.host, fields.password,
                          fields.granted, &statements))
        return;
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
        SendDlgItemMessageA(dialog, IDC_MYUSER_USER, EM_LIMITTEXT, mysqlUserLimit, 0);
        SendDlgItemMessageA(dialog, IDC_MYUSER_HOST, EM_LIMITTEXT, mysqlHostLimit, 0);
        SendDlgItemMessageA(dialog, IDC_MYUSER_PASSWORD, EM_LIMITTEXT, mysqlPasswordLimit, 0);
        SendDlgItemMessageA(dialog, IDC_MYUSER_RETYPE, EM_LIMITTEXT, mysqlPasswordLimit, 0);
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
        mysqlUserManagerQuoting = DetectQuoting(mysqlAdminConnection);
        DialogBoxParamA(appInstance, "MYSQL_USER_MANAGER", owner, MySqlUserManagerProc, 0);
    }
    CloseMySqlAdminConnection();
    return 0;
}
