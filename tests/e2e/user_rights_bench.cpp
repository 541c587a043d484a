// user_rights_bench.exe: timings of the user-rights editor on the largest document under Wine (run by
// scripts/bench-user-rights.sh; not a test). 100 programs with icons of their own and 100 users whose
// lists name all of them (1000 characters each). In each round, in one launcher run:
//   (b) from the login's Ok click to the visible main window listing the 100 programs;
//   (d) from the administrator menu's command to the visible editor, its lists filled;
//   (e) from the editor's save click to the editor gone and the document rewritten.
// Prints each round, the medians and the ratio d/b. Usage: user_rights_bench [rounds].
#include "tests/e2e/e2e_driver.h"
#include "tests/e2e/bench_timing.h"

#include "admin/admin_ids.h"
#include "shell/shell_ids.h"
#include "tests/harness/test_documents.h"

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <string>
#include <vector>

#ifndef MV_DEMO_ART
#error "MV_DEMO_ART must name the demo artwork folder"
#endif

namespace {

using bench::Median;
using bench::Now;
using bench::PollForWindow;
using bench::Timeout;

const int ProgramCount = 100;
const int UserCount = 100;

bool PollUntilGone(HWND window)
{
    double deadline = Now() + Timeout;
    while (Now() < deadline) {
        if (!IsWindow(window) || !IsWindowVisible(window)) return true;
        Sleep(1);
    }
    return false;
}

void Prepare(const e2e::StartDirectory& start)
{
    const std::string art = e2e::WindowsPath(MV_DEMO_ART);
    const char* icons[] = {"ledger.ico", "stock.ico", "payroll.ico", "default.ico"};
    start.MakeDirectory("icons");
    std::string programs, permitted, users;
    for (int i = 1; i <= ProgramCount; i++) {
        char id[16], icon[64];
        snprintf(id, sizeof id, "PROGR%04d", i);  // 9 characters: 100 of them make a 1000-character list
        snprintf(icon, sizeof icon, "icons\\p%03d.ico", i);
        start.CopyIn(art + "\\" + icons[i % 4], icon);
        programs += ProgramLine(id, std::string("Program ") + id, start.PathOf(std::string("programs\\") + id + ".exe"),
                                std::string("DB") + id, start.PathOf(icon));
        permitted += std::string(id) + ";";
    }
    users = UserLine("Mérő", "BENCH", "BENCH", "YES", permitted);
    for (int i = 1; i < UserCount; i++)
        users += UserLine("Felhasználó " + std::to_string(i), "U" + std::to_string(i), "JELSZO", "NO", permitted);
    start.CopyIn(art + "\\Marvitelkon.jpg", "Marvitelkon.jpg");
    start.CopyIn(art + "\\default.ico", "default.ico");
    start.Write("Marvitelkon.ini", Scramble(Document("Mérés", programs, users, DataSourceFields("MYSQL", "dsn", "root", "pw"),
                                                     DataSourceFields("MSSQL", "dsn", "sa", "pw"))));
}

struct Times {
    double toMainWindow;
    double toEditor;
    double toSaved;
};

bool TimeRound(const e2e::StartDirectory& start, Times* times)
{
    e2e::Program launcher;
    if (!launcher.Start(e2e::ProgramPath(), start.Path())) return false;
    HWND login = PollForWindow(launcher, e2e::IsDialogWithCaption("Bejelenkezés"));
    if (!login) return false;
    e2e::SetControlText(login, IDC_LOGIN_ID, "BENCH");
    e2e::TypeText(login, IDC_LOGIN_PASSWORD, "BENCH");
    double clicked = Now();
    e2e::Click(login, IDC_LOGIN_OK);
    HWND main = PollForWindow(launcher, e2e::HasControl(IDC_MAIN_LIST, "SysListView32"));
    times->toMainWindow = Now() - clicked;
    if (!main) return false;

    double commanded = Now();
    e2e::Command(main, IDM_ADMIN_USER_RIGHTS);
    HWND editor = PollForWindow(launcher, e2e::IsDialogWithCaption("Felhasználói jogosultságok"));
    times->toEditor = Now() - commanded;
    if (!editor) return false;
    e2e::RemoteList programs(e2e::Control(editor, IDC_RIGHTS_PROGRAMS));
    e2e::RemoteList users(e2e::Control(editor, IDC_RIGHTS_USERS));
    if (programs.Count() != ProgramCount || users.Count() != UserCount) {
        fprintf(stderr, "the editor lists %d programs and %d users\n", programs.Count(), users.Count());
        return false;
    }

    double saving = Now();
    e2e::Click(editor, IDC_RIGHTS_SAVE);
    if (!PollUntilGone(editor)) return false;
    times->toSaved = Now() - saving;
    e2e::PressCloseBox(main);
    return launcher.WaitForExit(Timeout);
}

}  // namespace

int main(int argc, char** argv)
{
    int rounds = argc > 1 ? atoi(argv[1]) : 7;
    if (rounds < 1) rounds = 1;
    e2e::SavedLogin savedLogin;
    e2e::StartDirectory start;
    Prepare(start);

    Times times;
    if (!TimeRound(start, &times)) return 1;  // untimed: the first Wine processes load more

    std::vector<double> mainWindow, editor, saved;
    printf("round  (b) Ok->main window  (d) command->editor  (e) save->closed   [ms]\n");
    for (int round = 1; round <= rounds; round++) {
        if (!TimeRound(start, &times)) return 1;
        mainWindow.push_back(times.toMainWindow);
        editor.push_back(times.toEditor);
        saved.push_back(times.toSaved);
        printf("%5d  %20.1f  %19.1f  %16.1f\n", round, times.toMainWindow, times.toEditor, times.toSaved);
    }
    double b = Median(mainWindow), d = Median(editor), e = Median(saved);
    printf("\nmedians of %d rounds (%d programs, %d users with 1000-character lists):\n", rounds, ProgramCount, UserCount);
    printf("  (b) Ok click -> main window visible:            %8.1f ms\n", b);
    printf("  (d) command -> user-rights editor visible:      %8.1f ms\n", d);
    printf("  (e) save click -> editor closed, file written:  %8.1f ms\n", e);
    printf("ratio d/b = %.2f\n", d / b);
    return 0;
}
