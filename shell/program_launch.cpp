#include "shell/program_launch.h"

#include "shell/launch_command.h"
#include "shell/session.h"
#include "shell/shell_ids.h"
#include "shell/text_utils.h"

#include <commctrl.h>
#include <shellapi.h>

namespace {

// Reads one column of an item, cut at launchFieldLength characters.
void ReadItemText(HWND list, int item, int column, char (&buffer)[launchFieldLength + 1])
{
    buffer[0] = '\0';
    LVITEMA text = {};
    text.iSubItem = column;
    text.pszText = buffer;
    text.cchTextMax = sizeof buffer;
    SendMessageA(list, LVM_GETITEMTEXTA, item, reinterpret_cast<LPARAM>(&text));
    buffer[launchFieldLength] = '\0';
}

}  // namespace

void LaunchFocusedProgram(HWND dialog)
{
    HWND list = GetDlgItem(dialog, IDC_MAIN_LIST);
    int item = (int)SendMessageA(list, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_FOCUSED);
    if (item < 0) return;
    char path[launchFieldLength + 1], alias[launchFieldLength + 1];
    ReadItemText(list, item, 2, path);
    ReadItemText(list, item, 1, alias);

    char command[launchCommandSize];
    BuildLaunchCommand(path, alias, session.userId, session.password, command, sizeof command);

    char directory[MAX_PATH];
    SetCurrentDirectoryA(DirectoryOf(path, directory, sizeof directory));

    if (IsExecutableCommand(command)) {
        if (WinExec(command, SW_SHOWNORMAL) < 32)
            MessageBoxA(dialog, "A program nem indítható!\r\nKérem vegye fel a kapcsolatot a program szerzőivel.",
                        "Hibaüzenet", MB_TASKMODAL);
    } else {
        ShellExecuteA(nullptr, "open", command, nullptr, nullptr, SW_SHOWNA);
    }
}
