#include "admin/record_dialog_common.h"

#include "admin/admin_ids.h"
#include "ui/dialog_utils.h"

void SetRecordCommandCaption(HWND dialog, int mode)
{
    static const char* const captions[3] = {"&Felvisz", "&Módosít", "&Töröl"};
    if (mode >= 0 && mode <= 2) SetControlText(dialog, IDC_RECORD_COMMAND, captions[mode]);
}

HWND EditorList(HWND dialog, int listId)
{
    HWND editor = GetWindow(dialog, GW_OWNER);
    return editor ? GetDlgItem(editor, listId) : nullptr;
}

void ShowRecordError(const char* text)
{
    MessageBoxA(GetActiveWindow(), text, "Hibaüzenet", MB_TASKMODAL);
}
