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

bool ShowRecordRefusal(RecordEditResult result, const char* duplicateText, const char* fullText)
{
    const char* text = nullptr;
    switch (result) {
    case recordDuplicate: text = duplicateText; break;
    case recordFull: text = fullText; break;
    case recordBadProgramId: text = "A program azonosítója nem lehet üres, és nem tartalmazhat pontosvesszőt (;)."; break;
    case recordTagCharacter: text = "A < és > jel nem szerepelhet az adatokban."; break;
    case recordListTooLong:
        text = "Az azonosító nem módosítható: egy felhasználó programlistája hosszabb lenne, mint amit a bejelentkezés olvas.";
        break;
    case recordDone:
    case recordMissing: return false;
    }
    ShowRecordError(text);
    return true;
}
