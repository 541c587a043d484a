// The schedule of a backup under Wine: BACKUP_SCHEDULE from its template registers, replaces and
// removes the daily task through Wine's Task Scheduler (which keeps the task by name and its
// description, not its trigger or action: those are judged natively), refuses bad fields with a
// message and nothing registered; and the backup log taking lines from many writers at once.
#include "admin/admin_ids.h"
#include "admin/backup_schedule_dialog.h"
#include "backup/backup_log.h"
#include "backup/backup_task.h"
#include "support/bounded_text.h"
#include "support/process_state.h"
#include "tests/e2e/e2e_driver.h"
#include "tests/harness/dialog_test.h"
#include "tests/harness/message_box_capture.h"

#include <gtest/gtest.h>

#include <sstream>
#include <thread>

using Strings = std::vector<std::string>;

namespace {

INT_PTR CALLBACK HostProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// Opens the schedule over a host dialog and runs steps in it.
void RunSchedule(BackupKind kind, const char* database, DialogSteps steps)
{
    RunDialog("MYSQL_BACKUP", HostProc, 0, [&](HWND host) {
        OnNextDialog(steps);
        ShowBackupSchedule(host, kind, database, "10.0.0.5", "C:\\Mentes\\shop.sql");
        EndDialog(host, 0);
    });
}

// Whether Wine's Task Scheduler holds a task of that name in \Marvitelkon.
bool TaskExists(const std::string& name)
{
    char folder[MAX_PATH];
    GetSystemDirectoryA(folder, sizeof folder);
    return PathExists(std::string(folder) + "\\Tasks\\Marvitelkon\\" + name);
}

// Where the launcher's mvbackup.exe is looked for: beside the running program.
std::string Program()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    return e2e::DirectoryOf(path) + "\\mvbackup.exe";
}

}  // namespace

TEST(BackupSchedule, RegistersReplacesAndRemovesTheDailyTaskAndRefusesBadFields)
{
    CopyText(startDirectory, "C:\\Apps");
    ASSERT_TRUE(CopyFileA(e2e::WindowsPath(MV_MVBACKUP).c_str(), Program().c_str(), FALSE));
    DeleteBackupTask("MySQL - shop");
    MessageBoxCapture boxes;
    RunSchedule(BackupKind::MySql, "shop", [&](HWND dialog) {
        EXPECT_EQ(WindowText(dialog), "Ütemezett mentés");
        EXPECT_EQ(Text(dialog, IDC_SCHEDULE_GROUP) + "|" + Text(dialog, IDC_SCHEDULE_TIME) + "|" + Text(dialog, IDC_SCHEDULE_FOLDER) +
                      "|" + Text(dialog, IDC_SCHEDULE_KEEP) + "|" + Text(dialog, IDC_SCHEDULE_CURRENT),
                  "MySQL - shop|02:00|C:\\Mentes|7|Nincs ütemezve.");
        EXPECT_FALSE(IsEnabledControl(dialog, IDC_SCHEDULE_DELETE));
        const struct {
            int id;
            const char* bad;
            const char* good;
        } fields[] = {{IDC_SCHEDULE_TIME, "2:00", "23:30"}, {IDC_SCHEDULE_TIME, "24:00", "23:30"},
                      {IDC_SCHEDULE_FOLDER, "  ", "D:\\Mentés"}, {IDC_SCHEDULE_KEEP, "0", "3"}, {IDC_SCHEDULE_KEEP, "3x", "3"}};
        for (const auto& field : fields) {
            SetText(dialog, field.id, field.bad);
            Click(dialog, IDC_SCHEDULE_SAVE);
            SetText(dialog, field.id, field.good);
        }
        EXPECT_FALSE(TaskExists("MySQL - shop"));
        DeleteFileA(Program().c_str());
        Click(dialog, IDC_SCHEDULE_SAVE);
        EXPECT_FALSE(TaskExists("MySQL - shop"));
        ASSERT_TRUE(CopyFileA(e2e::WindowsPath(MV_MVBACKUP).c_str(), Program().c_str(), FALSE));
        for (int save = 0; save < 2; save++) {  // the second replaces the first
            Click(dialog, IDC_SCHEDULE_SAVE);
            EXPECT_TRUE(TaskExists("MySQL - shop"));
            EXPECT_TRUE(IsEnabledControl(dialog, IDC_SCHEDULE_DELETE));
        }
        EXPECT_EQ(Text(dialog, IDC_SCHEDULE_CURRENT), "Ütemezve (a részletei nem olvashatók).");
        static char xml[32768];
        ASSERT_EQ(ReadBackupTask("MySQL - shop", xml, sizeof xml), S_OK);
        EXPECT_NE(strstr(xml, "Marvitelkon: a(z) 'shop' adatbázis mentése naponta 23:30-kor."), nullptr) << xml;
        Click(dialog, IDC_SCHEDULE_DELETE);
        EXPECT_FALSE(TaskExists("MySQL - shop"));
        EXPECT_EQ(Text(dialog, IDC_SCHEDULE_CURRENT), "Nincs ütemezve.");
        EXPECT_FALSE(IsEnabledControl(dialog, IDC_SCHEDULE_DELETE));
        PressKey(dialog, VK_ESCAPE);
        EXPECT_TRUE(IsWindowVisible(dialog));
        SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    RunSchedule(BackupKind::MySql, "a:b", [&](HWND) { ADD_FAILURE() << "no dialog for a name no task can have"; });
    Strings texts;
    for (const CapturedMessageBox& box : boxes.Boxes()) texts.push_back(box.caption + ": " + box.text);
    const std::string time = "Hibaüzenet: Az időpontot ÓÓ:PP alakban kell megadni (például 02:00)!",
                      keep = "Hibaüzenet: A megtartott példányok száma pozitív egész szám legyen!";
    EXPECT_EQ(texts, (Strings{time, time, "Hibaüzenet: Meg kell adni a mentések mappáját!", keep, keep,
                              "Hibaüzenet: A(z) '" + Program() + "' nem található, az ütemezés nem menthető.",
                              "Hibaüzenet: A(z) 'a:b' adatbázis neve fájlnévben nem használható, a mentése nem ütemezhető."}));
}

TEST(BackupSchedule, TheLogTakesWholeLinesFromManyWritersAtOnce)
{
    ScratchDirectory data;
    SetEnvironmentVariableA("ProgramData", data.path.c_str());
    const int writers = 4, lines = 200;
    std::vector<std::thread> threads;
    for (int writer = 0; writer < writers; writer++)
        threads.emplace_back([writer] {
            for (int i = 0; i < lines; i++) {
                BackupLogEntry entry = {"2026-03-07 02:00:00", "mysql", "", "", "1", true, ""};
                snprintf(entry.database, sizeof entry.database, "db%d", writer);
                snprintf(entry.message, sizeof entry.message, "%d %s", i, std::string(300, 'a' + writer).c_str());
                char line[1024];
                size_t length = FormatBackupLogLine(entry, line, sizeof line);
                EXPECT_TRUE(AppendBackupLog(line, length));
            }
        });
    for (std::thread& thread : threads) thread.join();
    std::istringstream log(ReadBytes(data.PathOf("Marvitelkon\\mentesek.log")));
    std::vector<int> next(writers, 0);
    int count = 0;
    for (std::string line; std::getline(log, line); count++) {
        int writer = line.size() > 30 ? line[28] - '0' : -1;
        ASSERT_TRUE(writer >= 0 && writer < writers) << line;
        EXPECT_EQ(line, "2026-03-07 02:00:00\tmysql\tdb" + std::to_string(writer) + "\t\t1\tOK\t" + std::to_string(next[writer]++) +
                            " " + std::string(300, 'a' + writer) + "\r");
    }
    EXPECT_EQ(count, writers * lines);
    BackupLogEntry last;
    ASSERT_TRUE(ReadLastBackup("mysql", "db2", &last));
    EXPECT_EQ(std::string(last.message, 4), "199 ");
}
