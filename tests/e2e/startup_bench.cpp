// startup_bench.exe: whole-process start-up timings under Wine (run by scripts/bench-startup.sh; not a
// test). In one run, several times over and interleaved:
//   (a) Marvitelkon.exe from process start to the visible login window;
//   (b) from the Ok click to the visible, filled main window with 100 programs, every one permitted
//       and with an icon of its own file, over the background picture;
//   (c) bare_dialog.exe from process start to its visible dialog: the floor of any dialog program.
// Prints each round, then the medians and the ratios to the floor. Usage: startup_bench [rounds]
// [other Marvitelkon.exe]; with a second program (a Windows path), (a) and (b) are timed for it too,
// interleaved in the same rounds, to compare two versions side by side.
#include "tests/e2e/e2e_driver.h"
#include "tests/e2e/bench_timing.h"

#include "shell/shell_ids.h"
#include "tests/harness/test_documents.h"

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <string>
#include <vector>

#ifndef MV_BARE_DIALOG
#error "MV_BARE_DIALOG must name bare_dialog.exe of the build"
#endif
#ifndef MV_DEMO_ART
#error "MV_DEMO_ART must name the demo artwork folder"
#endif

namespace {

using bench::Median;
using bench::Now;
using bench::PollForWindow;
using bench::Timeout;

const int ProgramCount = 100;

// The start directory: 100 programs with an icon file each, one user permitted all of them.
void Prepare(const e2e::StartDirectory& start)
{
    const std::string art = e2e::WindowsPath(MV_DEMO_ART);
    const char* icons[] = {"ledger.ico", "stock.ico", "payroll.ico", "default.ico"};
    start.MakeDirectory("icons");
    std::string programs, permitted;
    for (int i = 1; i <= ProgramCount; i++) {
        char id[16], icon[64];
        snprintf(id, sizeof id, "P%03d", i);
        snprintf(icon, sizeof icon, "icons\\p%03d.ico", i);
        start.CopyIn(art + "\\" + icons[i % 4], icon);
        programs += ProgramLine(id, std::string("Program ") + id, start.PathOf(std::string("programs\\") + id + ".exe"),
                                std::string("DB") + id, start.PathOf(icon));
        permitted += std::string(id) + ";";
    }
    start.CopyIn(art + "\\Marvitelkon.jpg", "Marvitelkon.jpg");
    start.CopyIn(art + "\\default.ico", "default.ico");
    std::string document = Document("Mérés", programs, UserLine("Mérő", "BENCH", "BENCH", "YES", permitted),
                                    DataSourceFields("MYSQL", "", "", ""), DataSourceFields("MSSQL", "", "", ""));
    start.Write("Marvitelkon.ini", Scramble(document));
}

struct LauncherTimes {
    double toLogin;
    double toMainWindow;
};

bool TimeLauncher(const e2e::StartDirectory& start, const std::string& program, LauncherTimes* times)
{
    e2e::Program launcher;
    double started = Now();
    if (!launcher.Start(program, start.Path())) return false;
    HWND login = PollForWindow(launcher, e2e::IsDialogWithCaption("Bejelenkezés"));
    times->toLogin = Now() - started;
    if (!login) {
        fprintf(stderr, "no login window: %s\n", e2e::DescribeWindows(launcher).c_str());
        return false;
    }
    e2e::SetControlText(login, IDC_LOGIN_ID, "BENCH");
    e2e::TypeText(login, IDC_LOGIN_PASSWORD, "BENCH");
    double clicked = Now();
    e2e::Click(login, IDC_LOGIN_OK);
    HWND main = PollForWindow(launcher, e2e::HasControl(IDC_MAIN_LIST, "SysListView32"));
    times->toMainWindow = Now() - clicked;
    if (!main) {
        fprintf(stderr, "no main window: %s\n", e2e::DescribeWindows(launcher).c_str());
        return false;
    }
    e2e::RemoteList list(e2e::Control(main, IDC_MAIN_LIST));
    if (list.Count() != ProgramCount) {
        fprintf(stderr, "the main window lists %d programs instead of %d\n", list.Count(), ProgramCount);
        return false;
    }
    e2e::PressCloseBox(main);
    return launcher.WaitForExit(Timeout);
}

bool TimeBareDialog(const e2e::StartDirectory& start, double* toWindow)
{
    e2e::Program bare;
    double started = Now();
    if (!bare.Start(e2e::WindowsPath(MV_BARE_DIALOG), start.Path())) return false;
    HWND dialog = PollForWindow(bare, e2e::IsDialogWithCaption("Alap"));
    *toWindow = Now() - started;
    if (!dialog) return false;
    e2e::Close(dialog);
    return bare.WaitForExit(Timeout);
}

}  // namespace

int main(int argc, char** argv)
{
    int rounds = argc > 1 ? atoi(argv[1]) : 7;
    if (rounds < 1) rounds = 1;
    const std::string program = e2e::ProgramPath();
    const std::string other = argc > 2 ? argv[2] : "";
    e2e::SavedLogin savedLogin;
    e2e::StartDirectory start;
    Prepare(start);

    // One untimed round first: the first Wine processes of a session load more than later ones.
    LauncherTimes times, otherTimes;
    double bareTime;
    if (!TimeLauncher(start, program, &times) || !TimeBareDialog(start, &bareTime)) return 1;
    if (!other.empty() && !TimeLauncher(start, other, &otherTimes)) return 1;

    std::vector<double> login, mainWindow, bare, otherLogin, otherMain;
    printf("round  (a) start->login  (b) Ok->main window  (c) bare dialog%s   [ms]\n",
           other.empty() ? "" : "  (a') other  (b') other");
    for (int round = 1; round <= rounds; round++) {
        if (!TimeBareDialog(start, &bareTime) || !TimeLauncher(start, program, &times)) return 1;
        if (!other.empty() && !TimeLauncher(start, other, &otherTimes)) return 1;
        login.push_back(times.toLogin);
        mainWindow.push_back(times.toMainWindow);
        bare.push_back(bareTime);
        printf("%5d  %16.1f  %20.1f  %16.1f", round, times.toLogin, times.toMainWindow, bareTime);
        if (!other.empty()) {
            otherLogin.push_back(otherTimes.toLogin);
            otherMain.push_back(otherTimes.toMainWindow);
            printf("  %10.1f  %10.1f", otherTimes.toLogin, otherTimes.toMainWindow);
        }
        printf("\n");
    }
    double a = Median(login), b = Median(mainWindow), c = Median(bare);
    printf("\nmedians of %d rounds:\n", rounds);
    printf("  (a) Marvitelkon.exe start -> login window visible:           %8.1f ms\n", a);
    printf("  (b) Ok click -> main window with %d programs visible:       %8.1f ms\n", ProgramCount, b);
    printf("  (c) bare dialog program start -> its window visible (floor): %8.1f ms\n", c);
    printf("ratios: a/c = %.2f, b/c = %.2f, (a+b)/c = %.2f\n", a / c, b / c, (a + b) / c);
    if (!other.empty()) {
        double a2 = Median(otherLogin), b2 = Median(otherMain);
        printf("other program %s:\n", other.c_str());
        printf("  (a') start -> login window visible: %8.1f ms, (b') Ok click -> main window: %8.1f ms\n", a2, b2);
        printf("ratios: a'/c = %.2f, b'/c = %.2f\n", a2 / c, b2 / c);
    }
    return 0;
}
