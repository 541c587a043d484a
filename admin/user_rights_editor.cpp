#include "admin/user_rights_editor.h"

#include "admin/admin_ids.h"
#include "admin/admin_tools.h"
#include "admin/program_record_dialog.h"
#include "admin/record_dialog_common.h"
#include "admin/user_record_dialog.h"
#include "config/record_edits.h"
#include "ui/dialog_utils.h"
#include "ui/display_scale.h"
#include "config/session.h"
#include "support/bounded_text.h"
#include "support/process_state.h"

#include <commctrl.h>
#include <string.h>

bool rightsSyncEnabled = false;

namespace {

// The editor's own fields: each is typed, read and saved whole, up to what the document reads back;
// the credentials also go into the running Session (the header does not).
struct EditorField {
    int control;
    int limit;
    char* modelField;
    size_t modelSize;
    char* sessionField;  // null: not in the Session
    size_t sessionSize;
};
#define MV_FIELD(field) field, sizeof field
const EditorField editorFields[] = {
    {IDC_RIGHTS_MYSQL_DSN, modelServerLimit, MV_FIELD(configModel.mysql.dataSource), MV_FIELD(session.mysqlDataSource)},
    {IDC_RIGHTS_MYSQL_USER, modelServerLimit, MV_FIELD(configModel.mysql.user), MV_FIELD(session.mysqlUser)},
    {IDC_RIGHTS_MYSQL_PASSWORD, modelServerLimit, MV_FIELD(configModel.mysql.password), MV_FIELD(session.mysqlPassword)},
    {IDC_RIGHTS_MSSQL_DSN, modelServerLimit, MV_FIELD(configModel.sqlServer.dataSource), MV_FIELD(session.sqlServerDataSource)},
    {IDC_RIGHTS_MSSQL_USER, modelServerLimit, MV_FIELD(configModel.sqlServer.user), MV_FIELD(session.sqlServerUser)},
    {IDC_RIGHTS_MSSQL_PASSWORD, modelServerLimit, MV_FIELD(configModel.sqlServer.password), MV_FIELD(session.sqlServerPassword)},
    {IDC_RIGHTS_HEADER, modelHeaderLimit, MV_FIELD(configModel.header), nullptr, 0},
};
#undef MV_FIELD
const int editorFieldCount = sizeof editorFields / sizeof editorFields[0];

const char* const listTooLongText =
    "A jogosultság nem adható meg: a felhasználó programlistája hosszabb lenne, mint amit a bejelentkezés olvas.";

struct Column {
    const char* header;
    int width;
};
const Column programColumns[] = {{"Azonosító", 100}, {"Program leírás", 400}, {"Program", 400},
                                 {"Alias", 200},     {"Sorszám", 30},         {"Ikon neve", 200}};
const Column userColumns[] = {{"Név", 200},           {"Azonosító", 80}, {"Jelszó", 10},
                              {"Program lista", 200}, {"Adminisztrátor", 40}, {"Sorszám", 40}};
const Column rightsColumns[] = {{"Program azonosító", 200}, {"Programnév", 200}};

struct ToolTip {
    int control;
    const char* text;
};
const ToolTip toolTips[] = {
    {IDC_RIGHTS_PROGRAM_ADD, "Program felvitel."},
    {IDC_RIGHTS_PROGRAM_DELETE, "Program törlés."},
    {IDC_RIGHTS_PROGRAM_CHANGE, "Program módosítás."},
    {IDC_RIGHTS_USER_ADD, "Felhasználó felvitel."},
    {IDC_RIGHTS_USER_DELETE, "Felhasználó törlés."},
    {IDC_RIGHTS_USER_CHANGE, "Felhasználó módosítás."},
    {IDC_RIGHTS_PROGRAMS, "Elérhető programok."},
    {IDC_RIGHTS_USERS, "Felhasználók."},
    {IDC_RIGHTS_USER_PROGRAMS, "Felhasználó jogosultságainak beállítása."},
    {IDC_RIGHTS_MSSQL_DSN, "System adminisztrator jogú felhasználó bejelentkezésének beállítása."},
    {IDC_RIGHTS_MYSQL_DSN, "Root jogú felhasználó bejelentkezésének beállítása."},
    {IDC_RIGHTS_HEADER, "A főablak fejlécének beállítása."},
    {IDC_RIGHTS_SAVE,
     "Az adatok mentése, ablak bezárása. A jogosultság módosulások a program újraindítása után lépnek életbe."},
};

struct IconPlace {
    int control;
    const char* name;
};
const IconPlace icons[] = {{IDC_RIGHTS_MYSQL_ICON, "MV_MYSQL"},
                           {IDC_RIGHTS_MSSQL_ICON, "MV_MSSQL"},
                           {IDC_RIGHTS_PROGRAM_ICON, "MV_PROGRAM"},
                           {IDC_RIGHTS_USER_ICON, "MV_USER"},
                           {IDC_RIGHTS_JOG_ICON, "MV_JOG"}};

// Holds a list's drawing while it is refilled: Wine's list view otherwise lays out and paints the
// whole list again for every row added.
struct RedrawPause {
    HWND list;
    explicit RedrawPause(HWND pausedList) : list(pausedList) { SendMessageA(list, WM_SETREDRAW, FALSE, 0); }
    ~RedrawPause()
    {
        SendMessageA(list, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(list, nullptr, TRUE);
    }
};

template <size_t count>
void SetUpList(HWND list, const Column (&columns)[count], DWORD extraStyles)
{
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_TRACKSELECT | extraStyles);
    for (size_t i = 0; i < count; i++) {
        LVCOLUMNA column = {};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.fmt = LVCFMT_LEFT;
        column.cx = ScaleToDpi(columns[i].width, WindowDpi(list));  // widths are given at 96 DPI
        column.pszText = const_cast<char*>(columns[i].header);
        column.iSubItem = (int)i;
        SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
}

void FillProgramRows(HWND list)
{
    RedrawPause pause(list);
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    for (int i = 0; i < configModel.programRecordCount && i < maxConfigRecords; i++) {
        const ProgramRecord& program = configModel.programRecords[i];
        if (program.deleted) continue;
        int row = AppendRow(list, program.id);
        if (row < 0) continue;
        SetRowText(list, row, 1, program.description);
        SetRowText(list, row, 2, program.fullPath);
        SetRowText(list, row, 3, program.alias);
        SetRowText(list, row, 4, FormatCount(i));
        SetRowText(list, row, 5, program.iconFile);
    }
}

void FillUserRows(HWND list)
{
    RedrawPause pause(list);
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    for (int i = 0; i < configModel.userRecordCount && i < maxConfigRecords; i++) {
        const UserRecord& user = configModel.userRecords[i];
        if (user.deleted) continue;
        int row = AppendRow(list, user.name);
        if (row < 0) continue;
        SetRowText(list, row, 1, user.id);
        SetRowText(list, row, 2, user.password);
        SetRowText(list, row, 3, user.permittedPrograms);
        SetRowText(list, row, 4, user.isAdmin ? "Igen" : "Nem");
        SetRowText(list, row, 5, FormatCount(i));
    }
}

void InitEditor(HWND dialog)
{
    rightsSyncEnabled = false;
    LoadConfigModel();

    for (const EditorField& field : editorFields) {
        SendDlgItemMessageA(dialog, field.control, EM_LIMITTEXT, field.limit, 0);
        SetControlText(dialog, field.control, field.modelField);
    }

    HWND programs = GetDlgItem(dialog, IDC_RIGHTS_PROGRAMS);
    SetUpList(programs, programColumns, 0);
    FillProgramRows(programs);
    HWND users = GetDlgItem(dialog, IDC_RIGHTS_USERS);
    SetUpList(users, userColumns, 0);
    FillUserRows(users);
    SetUpList(GetDlgItem(dialog, IDC_RIGHTS_USER_PROGRAMS), rightsColumns, LVS_EX_CHECKBOXES);
    FillUserRightsList(dialog, IDC_RIGHTS_USER_PROGRAMS);
    rightsSyncEnabled = true;

    for (const IconPlace& icon : icons)
        SendDlgItemMessageA(dialog, icon.control, STM_SETIMAGE, IMAGE_ICON,
                            reinterpret_cast<LPARAM>(LoadIconA(appInstance, icon.name)));
    for (const ToolTip& tip : toolTips) AddToolTip(dialog, tip.control, tip.text, TTF_SUBCLASS);
}

// Saves the editor's fields and the model, and closes the editor; a value holding "<" or ">" is
// refused with a message instead, its field focused and the editor kept open.
void SaveEditor(HWND dialog)
{
    char texts[editorFieldCount][modelHeaderLimit + 1];
    for (int i = 0; i < editorFieldCount; i++) {
        GetControlText(dialog, editorFields[i].control, texts[i], editorFields[i].limit + 1);
        if (!HoldsTagCharacter(texts[i])) continue;
        ShowRecordRefusal(recordTagCharacter, nullptr, nullptr);
        SetFocus(GetDlgItem(dialog, editorFields[i].control));
        return;
    }
    for (int i = 0; i < editorFieldCount; i++) {
        const EditorField& field = editorFields[i];
        CopyText(field.modelField, field.modelSize, texts[i]);
        if (field.sessionField) CopyText(field.sessionField, field.sessionSize, texts[i]);
    }
    // A failed write is reported by SaveConfigDocument; the editor closes either way.
    SaveConfigDocument();
    EndDialog(dialog, 0);
}

// A box of the per-user list changed. A tick that would make the list too long for the login is
// taken back.
void OnRightsItemChanged(HWND dialog, const NMLISTVIEW* change)
{
    if (!rightsSyncEnabled || (change->uOldState == 0 && change->uNewState == 0)) return;
    if (StoreUserRights(dialog)) return;
    const UINT ticked = INDEXTOSTATEIMAGEMASK(2);
    if ((change->uNewState & LVIS_STATEIMAGEMASK) == ticked && (change->uOldState & LVIS_STATEIMAGEMASK) != ticked) {
        rightsSyncEnabled = false;
        SetListCheck(change->hdr.hwndFrom, change->iItem, 0);
        rightsSyncEnabled = true;
    }
    MessageBoxA(GetActiveWindow(), listTooLongText, "Hibaüzenet", MB_TASKMODAL);
}

void OnNotify(HWND dialog, const NMHDR* header)
{
    // Tooltips notify with their tool's window handle as idFrom: only the lists themselves count.
    if (!header || header->hwndFrom != GetDlgItem(dialog, (int)header->idFrom)) return;
    switch (header->idFrom) {
    case IDC_RIGHTS_PROGRAMS:
        if (header->code == NM_DBLCLK) DialogBoxParamA(appInstance, "PROGRAM_APP", dialog, ProgramRecordDialogProc, 1);
        break;
    case IDC_RIGHTS_USERS:
        if (header->code == NM_DBLCLK) {
            DialogBoxParamA(appInstance, "USER_APP", dialog, UserRecordDialogProc, 1);
        } else if (header->code == NM_CLICK) {
            RefillUserRightsList(dialog);
        } else if (header->code == LVN_ITEMCHANGED) {
            // Keys and hot-tracking move the focus too: the rights shown always belong to the focused user.
            const NMLISTVIEW* change = reinterpret_cast<const NMLISTVIEW*>(header);
            if ((change->uChanged & LVIF_STATE) && ((change->uOldState ^ change->uNewState) & LVIS_FOCUSED))
                RefillUserRightsList(dialog);
        }
        break;
    case IDC_RIGHTS_USER_PROGRAMS:
        if (header->code == LVN_ITEMCHANGED) OnRightsItemChanged(dialog, reinterpret_cast<const NMLISTVIEW*>(header));
        break;
    default: break;
    }
}

void OnCommand(HWND dialog, int command)
{
    switch (command) {
    case IDC_RIGHTS_PROGRAM_ADD: DialogBoxParamA(appInstance, "PROGRAM_APP", dialog, ProgramRecordDialogProc, 0); break;
    case IDC_RIGHTS_PROGRAM_DELETE: DialogBoxParamA(appInstance, "PROGRAM_APP", dialog, ProgramRecordDialogProc, 2); break;
    case IDC_RIGHTS_PROGRAM_CHANGE: DialogBoxParamA(appInstance, "PROGRAM_APP", dialog, ProgramRecordDialogProc, 1); break;
    case IDC_RIGHTS_USER_ADD: DialogBoxParamA(appInstance, "USER_APP", dialog, UserRecordDialogProc, 0); break;
    case IDC_RIGHTS_USER_DELETE: DialogBoxParamA(appInstance, "USER_APP", dialog, UserRecordDialogProc, 2); break;
    case IDC_RIGHTS_USER_CHANGE: DialogBoxParamA(appInstance, "USER_APP", dialog, UserRecordDialogProc, 1); break;
    case IDC_RIGHTS_SAVE: SaveEditor(dialog); break;
    default: break;
    }
}

}  // namespace

int FocusedRow(HWND list)
{
    return list ? (int)SendMessageA(list, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_FOCUSED) : -1;
}

char* GetRowText(HWND list, int row, int column, char* buffer, int size)
{
    if (size <= 0) return buffer;
    buffer[0] = '\0';
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = size;
    SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    buffer[size - 1] = '\0';
    return buffer;
}

void SetRowText(HWND list, int row, int column, const char* text)
{
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text);
    SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

int AppendRow(HWND list, const char* text)
{
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = (int)SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
    item.pszText = const_cast<char*>(text);
    return (int)SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

void FillUserRightsList(HWND editor, int listId)
{
    HWND users = GetDlgItem(editor, IDC_RIGHTS_USERS);
    HWND rights = GetDlgItem(editor, listId);
    RedrawPause pause(rights);
    SendMessageA(rights, LVM_DELETEALLITEMS, 0, 0);
    int focused = FocusedRow(users);
    if (focused < 0) return;
    char userId[rowIdSize];
    GetRowText(users, focused, 1, userId, sizeof userId);
    if (IsBlank(userId)) return;
    int userIndex = FindUserRecord(&configModel, userId);
    for (int i = 0; i < configModel.programRecordCount && i < maxConfigRecords; i++) {
        const ProgramRecord& program = configModel.programRecords[i];
        if (program.deleted) continue;
        int row = AppendRow(rights, program.id);
        if (row < 0) continue;
        SetRowText(rights, row, 1, program.description);
        if (userIndex >= 0)
            SetListCheck(rights, row, PermittedListHas(configModel.userRecords[userIndex].permittedPrograms, program.id));
    }
}

bool StoreUserRights(HWND editor)
{
    HWND users = GetDlgItem(editor, IDC_RIGHTS_USERS);
    int focused = FocusedRow(users);
    if (focused < 0) return true;
    char userId[rowIdSize];
    GetRowText(users, focused, 1, userId, sizeof userId);

    HWND rights = GetDlgItem(editor, IDC_RIGHTS_USER_PROGRAMS);
    char list[sizeof configModel.userRecords[0].permittedPrograms] = "";
    int rows = (int)SendMessageA(rights, LVM_GETITEMCOUNT, 0, 0);
    for (int row = 0; row < rows; row++) {
        UINT state = (UINT)SendMessageA(rights, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK);
        if ((state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(1)) continue;  // cleared
        char id[rowIdSize];
        GetRowText(rights, row, 0, id, sizeof id);
        if (!AppendPermittedId(list, sizeof list, id)) return false;
    }
    int userIndex = FindUserRecord(&configModel, userId);
    if (userIndex < 0) return true;
    SetRowText(users, focused, 3, list);
    CopyText(configModel.userRecords[userIndex].permittedPrograms, list);
    return true;
}

void ShowUsersPermittedPrograms(HWND editor)
{
    HWND users = GetDlgItem(editor, IDC_RIGHTS_USERS);
    RedrawPause pause(users);
    char userId[rowIdSize];
    for (int row = 0, rows = (int)SendMessageA(users, LVM_GETITEMCOUNT, 0, 0); row < rows; row++) {
        int at = FindUserRecord(&configModel, GetRowText(users, row, 1, userId, sizeof userId));
        if (at >= 0) SetRowText(users, row, 3, configModel.userRecords[at].permittedPrograms);
    }
}

void RefillUserRightsList(HWND editor)
{
    bool enabled = rightsSyncEnabled;
    rightsSyncEnabled = false;
    FillUserRightsList(editor, IDC_RIGHTS_USER_PROGRAMS);
    rightsSyncEnabled = enabled;
}

INT_PTR CALLBACK UserRightsEditorProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: InitEditor(dialog); break;
    case WM_CLOSE: EndDialog(dialog, 0); break;
    case WM_COMMAND: OnCommand(dialog, LOWORD(wParam)); break;
    case WM_NOTIFY: OnNotify(dialog, reinterpret_cast<const NMHDR*>(lParam)); break;
    case WM_DESTROY:
        // Unsaved edits go with the window; so do the passwords the model held.
        rightsSyncEnabled = false;
        memset(&configModel, 0, sizeof configModel);
        break;
    default: break;
    }
    return 0;
}

int ShowUserRightsEditor(HWND owner)
{
    DialogBoxParamA(appInstance, "USER_ADMIN", owner, UserRightsEditorProc, 0);
    return 0;
}
