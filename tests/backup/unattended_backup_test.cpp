// The unattended backup's pure parts, in both builds: its command line (bad inputs, and scheduled
// arguments read back as written), the dated copies it keeps, its log lines and the scheduled task's
// XML, read by a real XML parser natively and the arguments by CommandLineToArgvW on Windows.
#include "backup/backup_task_xml.h"
#include "backup/unattended_backup_text.h"
#include "support/bounded_text.h"
#include "tests/harness/hostile_values.h"
#include "tests/harness/test_files.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#endif

using Strings = std::vector<std::string>;

namespace {

// Parses the words; "" when they are taken, else the message.
std::string Parse(const Strings& words, BackupCommand* command)
{
    std::vector<const char*> pointers;
    for (const std::string& word : words) pointers.push_back(word.c_str());
    char error[512];
    return ParseBackupCommand(static_cast<int>(pointers.size()), pointers.data(), command, error, sizeof error) ? "" : error;
}

TEST(UnattendedBackup, EveryBadCommandLineIsRefusedWithAMessageNamingIt)
{
    BackupCommand command;
    ASSERT_EQ(Parse({"mysql", "shop", "--keep", "007", "--to", "D:\\M", "--server", "db1", "--config", "x.ini"}, &command), "");
    EXPECT_EQ(std::string(command.database) + command.folder + command.server + command.config + std::to_string(command.keep),
              "shopD:\\Mdb1x.ini7");
    ASSERT_EQ(Parse({"mssql", "sales", "--to", "E:\\"}, &command), "");
    EXPECT_TRUE(command.kind == BackupKind::SqlServer && command.keep == 0 && !command.server[0]);
    ASSERT_EQ(Parse({"--version"}, &command), "");
    EXPECT_TRUE(command.version);
    const struct {
        Strings words;
        const char* named;
    } bad[] = {
        {{}, "Hiányzik a parancs"}, {{"pgsql", "x", "--to", "D:"}, "'pgsql'"}, {{"mysql"}, "adatbázis neve"},
        {{"mysql", "--to", "D:"}, "adatbázis neve"}, {{"mysql", "a\\b", "--to", "D:"}, "'a\\b'"},
        {{"mysql", "x", "--to", "D:", "--fast"}, "'--fast'"}, {{"mysql", "x", "--to", "D:", "extra"}, "'extra'"},
        {{"mssql", "x", "--to", "D:", "--server", "h"}, "'--server'"}, {{"mysql", "x", "--to"}, "'--to'"},
        {{"mysql", "x", "--to", ""}, "'--to'"}, {{"mysql", "x", "--to", "D:", "--keep", "0"}, "'0'"},
        {{"mysql", "x", "--to", "D:", "--keep", "2x"}, "'2x'"}, {{"mysql", "x", "--to", "D:", "--keep", "-1"}, "'-1'"},
        {{"mysql", "x", "--to", "D:", "--to", "E:"}, "kétszer"}, {{"mysql", "x", "--keep", "1"}, "'--to MAPPA'"},
        {{"mysql", "x", "--to", std::string(260, 'f')}, "'--to'"}, {{"--version", "x"}, "'--version'"},
    };
    for (const auto& one : bad) {
        std::string error = Parse(one.words, &command);
        EXPECT_NE(error.find(one.named), std::string::npos) << error;
    }
}

TEST(UnattendedBackup, ScheduledArgumentsReadBackAsWritten)
{
    char line[2048];
    ASSERT_TRUE(BuildBackupArguments(BackupKind::MySql, "shop", "D:\\Mentes", "  ", 7, line, sizeof line));
    EXPECT_STREQ(line, "mysql shop --to D:\\Mentes --keep 7");
    ASSERT_TRUE(BuildBackupArguments(BackupKind::SqlServer, "a b", "C:\\x y\\", "h", 1, line, sizeof line));
    EXPECT_STREQ(line, "mssql \"a b\" --to \"C:\\x y\\\\\" --keep 1");
    HostileValues values("scheduled arguments");
    for (int i = 0; i < values.count; i++) {
        std::string database = values.Value(20, "\\/:*?\"<>|\t-"), folder = values.Value(60, "\t"), server = values.Value(20, "\t ");
        if (i % 3 == 0) folder += "\\\\";
        ASSERT_TRUE(BuildBackupArguments(BackupKind::MySql, database.c_str(), folder.c_str(), server.c_str(), 3, line, sizeof line));
        Strings words;
        ASSERT_TRUE(SplitCommandLine(line, &words)) << line;
        BackupCommand command;
        ASSERT_EQ(Parse(words, &command), "") << line;
        EXPECT_EQ(std::string(command.database) + "|" + command.folder + "|" + command.server, database + "|" + folder + "|" + server)
            << line;
#ifdef _WIN32
        // The split is the system's, which programs started by the Task Scheduler get.
        std::wstring wide(strlen(line) + 8, L'\0');
        wide.resize(MultiByteToWideChar(1250, 0, (std::string("x ") + line).c_str(), -1, &wide[0], (int)wide.size()) - 1);
        int count = 0;
        LPWSTR* system = CommandLineToArgvW(wide.c_str(), &count);
        ASSERT_EQ(count, (int)words.size() + 1) << line;
        for (int w = 1; w < count; w++) {
            char word[512];
            WideCharToMultiByte(1250, 0, system[w], -1, word, sizeof word, nullptr, nullptr);
            EXPECT_EQ(word, words[w - 1]) << line;
        }
        LocalFree(system);
#endif
    }
}

TEST(UnattendedBackup, KeptCopiesAreTheNewestOfTheDatabaseOnlyAndTheNewOneStays)
{
    Strings folder = {"shop-20260303-020000.sql", "shop-20260301-020000.sql", "shop2-20260101-020000.sql",
                      "Shop-20260101-020000.sql", "shop-20260101-02000.sql", "shop-20260101-020000.sql.part",
                      "shop-2026010a-020000.sql", "shop-20260302-020000.sql", "shop-20260304-020000.bak",
                      "shop-20260101-020000-20260101-020000.sql", "shop-20260305-020000.sql"};
    EXPECT_EQ(CopiesBeyond(folder, "shop", ".sql", 2, "shop-20260305-020000.sql"),
              (Strings{"shop-20260301-020000.sql", "shop-20260302-020000.sql"}));
    // A clock set back: the new copy is the oldest by its name and still stays.
    EXPECT_EQ(CopiesBeyond(folder, "shop", ".sql", 2, "shop-20260301-020000.sql"),
              (Strings{"shop-20260302-020000.sql", "shop-20260303-020000.sql"}));
    EXPECT_TRUE(CopiesBeyond(folder, "shop", ".sql", 5, "").empty());
    EXPECT_TRUE(CopiesBeyond(folder, "shop", ".sql", 0, "").empty());
    char path[64];
    ASSERT_TRUE(BuildDatedBackupPath("D:\\", "shop", "20260305-020000", ".sql", path, sizeof path));
    EXPECT_STREQ(path, "D:\\shop-20260305-020000.sql");
    EXPECT_FALSE(BuildDatedBackupPath(std::string(50, 'f').c_str(), "shop", "20260305-020000", ".sql", path, sizeof path));
}

TEST(UnattendedBackup, LogLinesStayOneLineAndTheDialogsFindTheLastOfTheirDatabase)
{
    BackupLogEntry entry = {"2026-03-07 02:00:05", "mysql", "shop", "D:\\shop.sql", "", false, "a\tb\r\nc"};
    char line[1024];
    size_t length = FormatBackupLogLine(entry, line, sizeof line);
    ASSERT_EQ(length, strlen(line));
    EXPECT_STREQ(line, "2026-03-07 02:00:05\tmysql\tshop\tD:\\shop.sql\t\tHIBA\ta b  c\r\n");
    std::string log = line;
    const size_t first = log.size();
    entry.ok = true;
    CopyText(entry.time, sizeof entry.time, "2026-03-08 02:00:05");
    FormatBackupLogLine(entry, line, sizeof line);
    log = log + line + "2026-03-09 02:00:05\tmssql\tshop\tx\t1\tHIBA\tmás\n2026-03-09 02:00:06\tmysql\tshop2\tx\t1\tHIBA\tm\n" +
          "2026-03-09 02:00:07\tmysql\tshop\tx\t1\tOK\tm\textra\n2026-03-09 02:00:08\tmysql\tshop\tx\t1\tH";
    BackupLogEntry found;
    char text[700];
    ASSERT_TRUE(FindLastBackupLogEntry(log.data(), log.size(), "mysql", "shop", &found));
    DescribeLastBackup(&found, text, sizeof text);
    EXPECT_STREQ(text, "Utolsó ütemezett mentés: 2026-03-08 02:00:05, sikeres");
    ASSERT_TRUE(FindLastBackupLogEntry(log.data(), first + 20, "mysql", "shop", &found));
    DescribeLastBackup(&found, text, sizeof text);
    EXPECT_STREQ(text, "Utolsó ütemezett mentés: 2026-03-07 02:00:05, SIKERTELEN: a b  c");
    EXPECT_FALSE(FindLastBackupLogEntry(log.data(), log.size(), "mssql", "shop2", &found));
    DescribeLastBackup(nullptr, text, sizeof text);
    EXPECT_STREQ(text, "Még nem volt ütemezett mentés.");
}

TEST(UnattendedBackup, TheTaskRunsTheBackupDailyAsTheUserAndItsXmlIsSound)
{
    const std::string odd = "a&b<c>'\"\xe1", folder = "D:\\M " + odd, program = "C:\\Program Files\\" + odd + "\\mvbackup.exe",
                      start = "C:\\" + odd, user = "KFT\\" + odd;
    BackupSchedule schedule = {BackupKind::MySql, "shop", "", folder.c_str(), 7, "02:30"};
    BackupTaskPlace place = {program.c_str(), start.c_str(), user.c_str(), "2026-03-07"};
    static char xml[16384];
    for (const char* time : {"2:30", "24:00", "12:60", "12.30", "12:3"})
        EXPECT_FALSE(BuildBackupTaskXml((schedule.time = time, schedule), place, xml, sizeof xml)) << time;
    schedule.time = "23:59";
    EXPECT_FALSE(BuildBackupTaskXml((schedule.keep = 0, schedule), place, xml, sizeof xml));
    EXPECT_FALSE(BuildBackupTaskXml((schedule.keep = 7, schedule), place, xml, 1000));
    ASSERT_TRUE(BuildBackupTaskXml(schedule, place, xml, sizeof xml));
    char time[8], arguments[1024];
    ReadBackupTaskXml(xml, time, sizeof time, arguments, sizeof arguments);
    EXPECT_EQ(std::string(time) + "|" + arguments, "23:59|mysql shop --to \"D:\\M " + odd.substr(0, 7) + "\\\"" + odd.substr(8) +
                                                        "\" --keep 7");
#ifndef _WIN32
    // The fields as an XML parser reads them, the text taken in the program's code page.
    ScratchDirectory scratch;
    ASSERT_TRUE(WriteBytes(scratch.PathOf("task.xml"), xml));
    FILE* reader = popen(("python3 - " + scratch.PathOf("task.xml") + " <<'E' | iconv -f utf-8 -t cp1250\n"
                          "import sys, xml.etree.ElementTree as X\n"
                          "for e in X.fromstring(open(sys.argv[1], 'rb').read().decode('cp1250').encode('utf-16')).iter():\n"
                          "  if e.text and e.text.strip(): print(e.tag.split('}')[1] + '=' + e.text)\nE\n").c_str(), "r");
    ASSERT_TRUE(reader);
    std::string fields;
    for (char chunk[512]; fgets(chunk, sizeof chunk, reader);) fields += chunk;
    ASSERT_EQ(pclose(reader), 0) << fields;
    EXPECT_EQ(fields, "Author=KFT\\" + odd + "\nDescription=Marvitelkon: a(z) 'shop' adatbázis mentése naponta 23:59-kor.\n"
                      "StartBoundary=2026-03-07T23:59:00\nEnabled=true\nDaysInterval=1\nUserId=KFT\\" + odd + "\n"
                      "LogonType=S4U\nRunLevel=LeastPrivilege\nMultipleInstancesPolicy=IgnoreNew\n"
                      "DisallowStartIfOnBatteries=false\nStopIfGoingOnBatteries=false\nStartWhenAvailable=true\nEnabled=true\n"
                      "Command=C:\\Program Files\\" + odd + "\\mvbackup.exe\nArguments=" + arguments + "\n"
                      "WorkingDirectory=C:\\" + odd + "\n");
#endif
}

}  // namespace
