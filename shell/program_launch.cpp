#include "shell/program_launch.h"

#include "shell/launch_command.h"
#include "shell/main_dialog.h"
#include "config/session.h"
#include "shell/shell_ids.h"
#include "ui/text_utils.h"

#include <commctrl.h>
#include <shellapi.h>

namespace {

// The record copy an item of the list carries (null when it has none).
const ProgramItemData* ItemData(HWND list, int item)
{
    LVITEMA query = {};
    query.mask = LVIF_PARAM;
    query.iItem = item;
    if (!SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query))) return nullptr;
    return reinterpret_cast<const ProgramItemData*>(query.lParam);
}

void ReportLaunchFailure(HWND dialog)
{
    MessageBoxA(dialog, "A program nem indítható!\r\nKérem vegye fel a kapcsolatot a program szerzőivel.",
                "Hibaüzenet", MB_TASKMODAL);
}

}  // namespace

void LaunchFocusedProgram(HWND dialog)
{
    HWND list = GetDlgItem(dialog, IDC_MAIN_LIST);
    int item = (int)SendMessageA(list, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_FOCUSED);
    if (item < 0) return;
    // Path and alias whole, from the item's copy of its program record: the list's texts would be
    // read back cut.
    const ProgramItemData* program = ItemData(list, item);
    if (!program) return;
    const char* path = program->fullPath;

    char directory[sizeof program->fullPath];
    SetCurrentDirectoryA(DirectoryOf(path, directory, sizeof directory));

    if (IsExecutablePath(path)) {
        char command[launchCommandSize];
        if (!BuildLaunchCommand(path, program->alias, session.userId, session.password, command, sizeof command) ||
            WinExec(command, SW_SHOWNORMAL) < 32)
            ReportLaunchFailure(dialog);
    } else {
        char arguments[launchArgumentsSize];
        if (!BuildLaunchArguments(program->alias, session.userId, session.password, arguments, sizeof arguments))
            return;
        ShellExecuteA(nullptr, "open", path, arguments[0] ? arguments : nullptr, nullptr, SW_SHOWNA);
    }
}
