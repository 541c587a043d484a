#include "tests/harness/dialog_test.h"

#include "support/process_state.h"

#include <deque>

namespace {

std::deque<DialogSteps> pendingSteps;
HHOOK hook = nullptr;
int hookUsers = 0;

struct ScheduledRun {
    HWND dialog;
    DialogSteps steps;
};
std::deque<ScheduledRun> scheduled;

void CALLBACK RunScheduled(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    if (scheduled.empty()) return;
    ScheduledRun run = std::move(scheduled.front());
    scheduled.pop_front();
    if (IsWindow(run.dialog)) run.steps(run.dialog);
    // EndDialog hides the dialog at once and destroys it when its loop next looks: a dialog that
    // is still visible was not ended by its steps.
    if (IsWindow(run.dialog) && IsWindowVisible(run.dialog)) EndDialog(run.dialog, DialogLeftOpen);
}

// Sees every WM_INITDIALOG after the procedure has answered it, and hands the dialog its steps
// through a thread timer: the timer fires from inside the dialog's own modal loop.
LRESULT CALLBACK WatchInitDialog(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION) {
        auto* message = reinterpret_cast<CWPRETSTRUCT*>(lParam);
        if (message->message == WM_INITDIALOG && !pendingSteps.empty()) {
            scheduled.push_back({message->hwnd, std::move(pendingSteps.front())});
            pendingSteps.pop_front();
            SetTimer(nullptr, 0, 1, RunScheduled);
        }
    }
    return CallNextHookEx(hook, code, wParam, lParam);
}

}  // namespace

void OnNextDialog(DialogSteps steps)
{
    pendingSteps.push_back(std::move(steps));
}

INT_PTR RunDialog(const char* templateName, DLGPROC proc, LPARAM param, DialogSteps steps, HWND owner)
{
    if (!appInstance) appInstance = GetModuleHandleA(nullptr);
    InitCommonControls();
    if (hookUsers++ == 0) hook = SetWindowsHookExA(WH_CALLWNDPROCRET, WatchInitDialog, nullptr, GetCurrentThreadId());
    pendingSteps.push_front(std::move(steps));
    INT_PTR result = DialogBoxParamA(appInstance, templateName, owner, proc, param);
    if (result == -1 && !pendingSteps.empty()) pendingSteps.pop_front();
    if (--hookUsers == 0) {
        UnhookWindowsHookEx(hook);
        hook = nullptr;
        pendingSteps.clear();
    }
    return result;
}

void PumpMessages(HWND dialog)
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_TIMER && message.hwnd == nullptr && message.lParam) {
            // Thread timers of other dialogs keep their turn.
            DispatchMessageA(&message);
            continue;
        }
        if (dialog && IsWindow(dialog) && IsDialogMessageA(dialog, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void Click(HWND dialog, int id)
{
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void SendCommand(HWND window, int id)
{
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

void SetText(HWND dialog, int id, const std::string& text)
{
    SetDlgItemTextA(dialog, id, text.c_str());
}

void TypeText(HWND dialog, int id, const std::string& text)
{
    HWND control = GetDlgItem(dialog, id);
    SetFocus(control);
    for (unsigned char c : text) SendMessageA(control, WM_CHAR, c, 1);
}

void PressKey(HWND dialog, UINT virtualKey)
{
    HWND target = GetFocus();
    if (!target) target = dialog;
    PostMessageA(target, WM_KEYDOWN, virtualKey, 1);
    PostMessageA(target, WM_KEYUP, virtualKey, 0xC0000001);
    PumpMessages(dialog);
}

std::string WindowText(HWND window)
{
    int length = GetWindowTextLengthA(window);
    std::string text(length + 1, '\0');
    int got = GetWindowTextA(window, &text[0], length + 1);
    text.resize(got > 0 ? got : 0);
    return text;
}

std::string Text(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    if (!control) return std::string();
    char buffer[4096];
    LRESULT n = SendMessageA(control, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
    return std::string(buffer, n > 0 ? n : 0);
}

bool IsShown(HWND dialog, int id)
{
    return (GetWindowLongA(GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) != 0;
}

bool IsEnabledControl(HWND dialog, int id)
{
    return IsWindowEnabled(GetDlgItem(dialog, id)) != 0;
}

bool IsChecked(HWND dialog, int id)
{
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

int ListCount(HWND list)
{
    return (int)SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
}

std::string ListText(HWND list, int item, int column)
{
    char buffer[1024] = "";
    LVITEMA lv = {};
    lv.iSubItem = column;
    lv.pszText = buffer;
    lv.cchTextMax = sizeof buffer;
    LRESULT n = SendMessageA(list, LVM_GETITEMTEXTA, item, reinterpret_cast<LPARAM>(&lv));
    return std::string(buffer, n > 0 ? n : 0);
}

std::vector<std::vector<std::string>> ListRows(HWND list, int columns)
{
    std::vector<std::vector<std::string>> rows;
    int count = ListCount(list);
    for (int i = 0; i < count; i++) {
        std::vector<std::string> row;
        for (int c = 0; c < columns; c++) row.push_back(ListText(list, i, c));
        rows.push_back(row);
    }
    return rows;
}

bool ListChecked(HWND list, int item)
{
    LRESULT state = SendMessageA(list, LVM_GETITEMSTATE, item, LVIS_STATEIMAGEMASK);
    return ((state & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

int ListFocused(HWND list)
{
    return (int)SendMessageA(list, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_FOCUSED);
}

LPARAM ListParam(HWND list, int item)
{
    LVITEMA lv = {};
    lv.mask = LVIF_PARAM;
    lv.iItem = item;
    SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&lv));
    return lv.lParam;
}

int ListImage(HWND list, int item)
{
    LVITEMA lv = {};
    lv.mask = LVIF_IMAGE;
    lv.iItem = item;
    SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&lv));
    return lv.iImage;
}

std::vector<std::string> ListColumnHeaders(HWND list)
{
    std::vector<std::string> headers;
    for (int c = 0;; c++) {
        char buffer[256] = "";
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT;
        column.pszText = buffer;
        column.cchTextMax = sizeof buffer;
        if (!SendMessageA(list, LVM_GETCOLUMNA, c, reinterpret_cast<LPARAM>(&column))) break;
        headers.push_back(buffer);
    }
    return headers;
}

std::vector<int> ListColumnWidths(HWND list)
{
    std::vector<int> widths;
    size_t count = ListColumnHeaders(list).size();
    for (size_t c = 0; c < count; c++) widths.push_back((int)SendMessageA(list, LVM_GETCOLUMNWIDTH, c, 0));
    return widths;
}

void ClickColumn(HWND list, int column)
{
    NMLISTVIEW notice = {};
    notice.hdr.hwndFrom = list;
    notice.hdr.idFrom = GetDlgCtrlID(list);
    notice.hdr.code = LVN_COLUMNCLICK;
    notice.iItem = -1;
    notice.iSubItem = column;
    SendMessageA(GetParent(list), WM_NOTIFY, notice.hdr.idFrom, reinterpret_cast<LPARAM>(&notice));
}

void NotifyList(HWND list, UINT code, int item)
{
    NMITEMACTIVATE notice = {};
    notice.hdr.hwndFrom = list;
    notice.hdr.idFrom = GetDlgCtrlID(list);
    notice.hdr.code = code;
    notice.iItem = item;
    SendMessageA(GetParent(list), WM_NOTIFY, notice.hdr.idFrom, reinterpret_cast<LPARAM>(&notice));
}

std::vector<std::string> ComboItems(HWND dialog, int id)
{
    std::vector<std::string> items;
    HWND combo = GetDlgItem(dialog, id);
    int count = (int)SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; i++) {
        int length = (int)SendMessageA(combo, CB_GETLBTEXTLEN, i, 0);
        std::string text(length > 0 ? length + 1 : 1, '\0');
        int got = (int)SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&text[0]));
        text.resize(got > 0 ? got : 0);
        items.push_back(text);
    }
    return items;
}

RECT ControlRectInDialogUnits(HWND dialog, int id)
{
    RECT rect;
    GetWindowRect(GetDlgItem(dialog, id), &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    RECT unit = {0, 0, 400, 800};  // 400 horizontal and 800 vertical dialog units
    MapDialogRect(dialog, &unit);
    auto toUnitsX = [&](LONG px) { return (LONG)(px * 400.0 / unit.right + 0.5); };
    auto toUnitsY = [&](LONG px) { return (LONG)(px * 800.0 / unit.bottom + 0.5); };
    // The dialog manager maps position and extent each on its own, so they are read back each on its own.
    return RECT{toUnitsX(rect.left), toUnitsY(rect.top), toUnitsX(rect.right - rect.left), toUnitsY(rect.bottom - rect.top)};
}
