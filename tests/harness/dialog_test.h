// Runs a dialog of the program from its real template with its real procedure, modally, and drives
// it from inside its own modal loop. Also reads back what the controls show.
//
//   INT_PTR result = RunDialog("LOGIN", LoginDialogProc, 0, [](HWND dialog) {
//       SetText(dialog, IDC_LOGIN_PASSWORD, "SECRET");
//       Click(dialog, IDC_LOGIN_OK);
//   });
//
// The steps run once the dialog has finished WM_INITDIALOG. A dialog still open after its steps is
// closed with EndDialog(dialog, DialogLeftOpen). A dialog that another step opens (a nested
// DialogBox) gets the steps queued for it with OnNextDialog before the step that opens it.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

using DialogSteps = std::function<void(HWND dialog)>;

const INT_PTR DialogLeftOpen = 0x7E57;

// Runs templateName with proc under owner; the result of DialogBoxParamA. Sets appInstance to the
// test program's module (whose resources hold the templates) when it is not set yet.
INT_PTR RunDialog(const char* templateName, DLGPROC proc, LPARAM param, DialogSteps steps, HWND owner = nullptr);

// Queues steps for the next dialog box that initialises on this thread (nested ones included).
void OnNextDialog(DialogSteps steps);

// Dispatches what is waiting in the thread's queue, the way the modal loop would for dialog.
void PumpMessages(HWND dialog);

// Driving controls.
void Click(HWND dialog, int id);                     // WM_COMMAND BN_CLICKED, as a button press gives
void SetText(HWND dialog, int id, const std::string& text);  // WM_SETTEXT
void TypeText(HWND dialog, int id, const std::string& text);  // WM_CHAR per character (limits apply)
void PressKey(HWND dialog, UINT virtualKey);          // key down/up to the focus, through IsDialogMessage
void SendCommand(HWND window, int id);                 // WM_COMMAND as a menu command gives (code 0)

// Reading controls.
std::string Text(HWND dialog, int id);                // WM_GETTEXT of a control
std::string WindowText(HWND window);
bool IsShown(HWND dialog, int id);
bool IsEnabledControl(HWND dialog, int id);
bool IsChecked(HWND dialog, int id);                  // check box or radio button

// List views (in this process).
int ListCount(HWND list);
std::string ListText(HWND list, int item, int column);
std::vector<std::vector<std::string>> ListRows(HWND list, int columns);
bool ListChecked(HWND list, int item);               // state image 2 = ticked
int ListFocused(HWND list);                           // -1 when none
LPARAM ListParam(HWND list, int item);
int ListImage(HWND list, int item);
std::vector<std::string> ListColumnHeaders(HWND list);
std::vector<int> ListColumnWidths(HWND list);
// Clicks a column header, as LVN_COLUMNCLICK reports it to the list's parent.
void ClickColumn(HWND list, int column);
// Sends a list notification of code (NM_DBLCLK, NM_CLICK...) for item to the list's parent.
void NotifyList(HWND list, UINT code, int item = -1);

// Combo boxes.
std::vector<std::string> ComboItems(HWND dialog, int id);

// Dialog units of a control's rectangle, read back through MapDialogRect of a unit rectangle.
RECT ControlRectInDialogUnits(HWND dialog, int id);
