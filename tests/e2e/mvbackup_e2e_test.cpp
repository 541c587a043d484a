// mvbackup.exe for real under Wine, started as a scheduled task would be, from another folder with
// --config: MySQL through the test dump program beside it (forwarding to the host's dump program, or
// ending as a crash or a cut dump) against the test MariaDB, the dump restored and compared; SQL
// Server against the stand-in driver. Four runs with --keep 2 keep that database's newest two and
// nothing else is touched; failures delete nothing; every run logs one whole line, runs at once too;
// bad input ends with 2. Two CTest entries, one per server (each needs its own ODBC files).
#include "tests/e2e/e2e_driver.h"

#include "tests/admin/mysql_probe.h"
#include "tests/db/sqlserver_standin/standin_files.h"
#include "tests/harness/test_documents.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

using Strings = std::vector<std::string>;

namespace {

// A run of mvbackup.exe in folder, started: its output goes to a file of its own.
struct Backup {
    PROCESS_INFORMATION process = {};
    std::string output;

    void Start(const std::string& folder, const std::string& arguments, const ScratchDirectory& outputs)
    {
        static int counter = 0;
        output = outputs.PathOf("out" + std::to_string(++counter));
        SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
        STARTUPINFOA startup = {sizeof startup};
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = startup.hStdError =
            CreateFileA(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
        std::string line = "mvbackup.exe " + arguments;
        EXPECT_TRUE(CreateProcessA((folder + "\\mvbackup.exe").c_str(), &line[0], nullptr, nullptr, TRUE, 0, nullptr,
                                   outputs.path.c_str(), &startup, &process));
        CloseHandle(startup.hStdOutput);
    }
    // Waits for the end: the status and the output, in the program's code page.
    std::pair<DWORD, std::string> End()
    {
        DWORD status = ~0u;
        EXPECT_EQ(WaitForSingleObject(process.hProcess, 180000), WAIT_OBJECT_0);
        GetExitCodeProcess(process.hProcess, &status);
        CloseHandle(process.hProcess), CloseHandle(process.hThread);
        std::string console = ReadBytes(output), text(console.size() * 2 + 1, '\0');
        std::wstring wide(console.size() + 1, L'\0');
        int count = MultiByteToWideChar(CP_OEMCP, 0, console.c_str(), -1, &wide[0], (int)wide.size());
        text.resize(WideCharToMultiByte(CP_ACP, 0, wide.c_str(), count, &text[0], (int)text.size(), nullptr, nullptr));
        return {status, text.c_str()};
    }
};

// The tests' own copies of the programs and of the machine's backup log (ProgramData goes to a folder here).
struct Place {
    e2e::StartDirectory programs, data;
    Place()
    {
        EXPECT_TRUE(programs.CopyIn(e2e::WindowsPath(MV_MVBACKUP), "mvbackup.exe"));
        EXPECT_TRUE(programs.CopyIn(e2e::WindowsPath(MV_MYSQLDUMP_FORWARDER), "mysqldump.exe"));
        SetEnvironmentVariableA("ProgramData", data.Path().c_str());
    }
    std::pair<DWORD, std::string> Run(const std::string& arguments)
    {
        Backup run;
        run.Start(programs.Path(), arguments, scratch);
        return run.End();
    }
    Strings LogLines()
    {
        Strings lines;
        std::istringstream log(data.Read("Marvitelkon\\mentesek.log"));
        for (std::string line; std::getline(log, line);) lines.push_back(line);
        return lines;
    }
    ScratchDirectory scratch;
};

// Adds to made the name in folder that is neither in made nor in others.
void AddNewName(const std::string& folder, Strings* made, const Strings& others)
{
    for (const std::string& name : FilesIn(folder))
        if (std::count(made->begin(), made->end(), name) + std::count(others.begin(), others.end(), name) == 0)
            return made->push_back(name);
    ADD_FAILURE() << "no new file in " << folder;
}

// The names, sorted as FilesIn gives them.
Strings Sorted(Strings names, const Strings& more)
{
    names.insert(names.end(), more.begin(), more.end());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(MvbackupE2e, MySqlDumpsWholeKeepsTheNewestCopiesAndFailsWithoutDeleting)
{
    TestServer server = ReadTestServer();
    ASSERT_TRUE(server.error.empty()) << server.error;
    MySqlProbe probe(server);
    ASSERT_TRUE(probe.Connected()) << probe.Error();
    for (const char* sql : {"drop database if exists mv_unattended", "drop database if exists mv_unattended_copy",
                            "create database mv_unattended", "create table mv_unattended.t (id int primary key, v varchar(20))",
                            "insert into mv_unattended.t values (1, 'O''Brien'), (2, 'back\\\\slash')",
                            "create procedure mv_unattended.p() select 1",
                            "create event mv_unattended.e on schedule every 1 day disable do delete from mv_unattended.t"})
        ASSERT_TRUE(probe.Exec(sql)) << probe.Error();
    Place place;
    ASSERT_TRUE(place.programs.Write("backup.ini", Scramble(Document("K", "", UserLine("A", "A", "A", "YES"),
                                                                 DataSourceFields("MYSQL", "", server.user, server.password)))));
    ASSERT_TRUE(place.data.MakeDirectory("mentés 1"));
    const std::string folder = place.data.PathOf("mentés 1");
    const Strings others = {"mv_unattended-20200101-000000.sql.part", "mv_unattended2-20200101-000000.sql", "x.txt"};
    for (const std::string& name : others) ASSERT_TRUE(WriteBytes(folder + "\\" + name, "x"));
    SetEnvironmentVariableA("MYSQL_TCP_PORT", server.port.c_str());
    const std::string arguments = "mysql mv_unattended --to \"" + folder + "\" --server 127.0.0.1 --keep 2 --config \"" +
                                  place.programs.PathOf("backup.ini") + "\"";
    // The first run records what the dump program is given.
    SetEnvironmentVariableA("MV_MYSQLDUMP_RECORD", place.scratch.PathOf("arguments").c_str());
    Strings made;
    for (int run = 0; run < 4; run++) {
        auto [status, output] = place.Run(arguments);
        EXPECT_EQ(status, 0u) << output;
        EXPECT_EQ(output.find(server.password), std::string::npos) << output;
        AddNewName(folder, &made, others);
        EXPECT_NE(output.find("Kész: a(z) 'mv_unattended' adatbázis mentése elkészült: '" + folder + "\\" + made.back()),
                  std::string::npos) << output;
        SetEnvironmentVariableA("MV_MYSQLDUMP_RECORD", nullptr);
    }
    std::string recorded = ReadBytes(place.scratch.PathOf("arguments")), words;  // each word ends with a zero byte
    for (const char* word : {"-h", "127.0.0.1", "-u", server.user.c_str(), "--routines", "--events"}) words += word + std::string(1, '\0');
    words += "--result-file=" + folder + "\\" + made[0] + ".part" + '\0' + "mv_unattended" + '\0' + '\n';
    EXPECT_TRUE(recorded.find("--defaults-extra-file=") == 0 && recorded.find(words) != std::string::npos) << recorded;
    EXPECT_EQ(recorded.find(server.password), std::string::npos);
    const Strings kept = Sorted({made[2], made[3]}, others);
    EXPECT_EQ(FilesIn(folder), kept);
    // The last dump brings the whole database back.
    ASSERT_TRUE(probe.Exec("create database mv_unattended_copy"));
    EXPECT_TRUE(Restore(server, folder + "\\" + made[3], "mv_unattended_copy"));
    auto of = [&](const std::string& d) {
        return probe.Value("select concat((select count(*) from information_schema.ROUTINES where ROUTINE_SCHEMA = '" + d +
                           "'), (select count(*) from information_schema.EVENTS where EVENT_SCHEMA = '" + d +
                           "'), (select group_concat(id, v order by id) from " + d + ".t))");
    };
    EXPECT_TRUE(e2e::WaitUntil([&] { return of("mv_unattended_copy") == of("mv_unattended"); })) << of("mv_unattended_copy");
    EXPECT_EQ(of("mv_unattended"), "111O'Brien,2back\\slash");
    // A dump that crashed as it ended, and one cut off that still said 0: nothing is deleted or left.
    for (const char* status : {"-1073741515", "0"}) {
        ASSERT_TRUE(WriteBytes(place.scratch.PathOf("status"), status));
        SetEnvironmentVariableA("MV_MYSQLDUMP_STATUS", place.scratch.PathOf("status").c_str());
        auto [code, output] = place.Run(arguments);
        EXPECT_EQ(code, 1u) << output;
        EXPECT_EQ(FilesIn(folder), kept);
    }
    SetEnvironmentVariableA("MV_MYSQLDUMP_STATUS", nullptr);
    Strings lines = place.LogLines();
    ASSERT_EQ(lines.size(), 6u);
    const std::string size = std::to_string(ReadBytes(folder + "\\" + made[3]).size());
    EXPECT_TRUE(lines[3][4] == '-' && lines[3][13] == ':' && lines[3].back() == '\r') << lines[3];
    EXPECT_EQ(lines[3].find("\tmysql\tmv_unattended\t" + folder + "\\" + made[3] + "\t" + size + "\tOK\tKész"), 19u) << lines[3];
    EXPECT_NE(lines[4].find("\tHIBA\ta mentőprogram hibával állt le (0xC0000135)"), std::string::npos) << lines[4];
    EXPECT_NE(lines[5].find("\tHIBA\ta mentés hiányos"), std::string::npos) << lines[5];
    probe.Exec("drop database mv_unattended");
    probe.Exec("drop database mv_unattended_copy");
}

TEST(MvbackupE2e, SqlServerBacksUpVerifiedKeepsOnlyWhereItSeesTheFolderAndRefusesBadInput)
{
    const std::string seed = "login\tsa\tSAPWD\tsysadmin\ndatabase\tsales\n";
    ASSERT_TRUE(SeedStandIn(seed + "backup\t2\t0\t0\t0\n"));
    std::string folder = StandInPath(".backups");  // a folder the stand-in sees as this program does, on Z:
    for (char& c : folder) c = c == '/' ? '\\' : c;
    RemoveTree(folder);
    ASSERT_TRUE(MakeDirectory(folder));
    const Strings others = {"sales-20200101-000000.bak.hibas", "sales2-20200101-000000.bak", "x.txt"};
    for (const std::string& name : others) ASSERT_TRUE(WriteBytes(folder + "\\" + name, "x"));
    Place place;
    const std::string document = Document("K", "", UserLine("A", "A", "A", "YES"), DataSourceFields("MYSQL", "", "", ""),
                                          DataSourceFields("MSSQL", "MV_MSSQL", "sa", "SAPWD"));
    ASSERT_TRUE(place.programs.Write("backup.ini", Scramble(document)));
    const std::string config = " --config \"" + place.programs.PathOf("backup.ini") + "\"", run = "mssql sales --to \"" + folder + "\"";
    Strings made;
    for (int i = 0; i < 4; i++) {
        auto [status, output] = place.Run(run + " --keep 2" + config);
        EXPECT_EQ(status, 0u) << output;
        EXPECT_NE(output.find("Mentés: 50%\r\nMentés: 100%\r\nA mentés ellenőrzése...\r\n"), std::string::npos) << output;
        AddNewName(folder, &made, others);
    }
    ASSERT_EQ(made.size(), 4u);
    const Strings kept = Sorted({made[2], made[3]}, others);
    EXPECT_EQ(FilesIn(folder), kept);
    const std::string file = folder + "\\" + made[3];
    EXPECT_EQ(StandInCalls("SQLExecDirect ").back(), "RESTORE VERIFYONLY FROM DISK = '" + file + "' WITH CHECKSUM");
    EXPECT_EQ(StandInCalls("SQLExecDirect BACKUP DATABASE [sales] TO DISK = '" + file +
                           "' WITH CHECKSUM, INIT, NAME = 'sales', STATS = 10").size(), 1u);
    // A verification that finds damage, then a backup failing part-way: exit 1, no copy deleted; the
    // damaged file is set aside under a name that is no copy. --keep where this machine does not see
    // what the server writes is refused before any backup.
    const Strings failing = {"backup\t2\t0\t0\t1", "backup\t2\t0\t2\t0"};
    for (const std::string& state : failing) {
        ASSERT_TRUE(SeedStandIn(seed + state + "\n"));
        auto [status, output] = place.Run(run + " --keep 1" + config);
        EXPECT_EQ(status, 1u) << output;
    }
    EXPECT_EQ(FilesIn(folder).size(), kept.size() + 1);
    ASSERT_TRUE(SeedStandIn(seed));
    for (const std::string& folderHere : {std::string("C:\\nincs ilyen"), place.data.Path()}) {
        auto [status, output] = place.Run("mssql sales --to \"" + folderHere + "\" --keep 1" + config);
        EXPECT_EQ(status, 2u) << output;
    }
    EXPECT_TRUE(StandInCalls("SQLExecDirect BACKUP").empty());
    // Bad input, all at once, each appending its line meanwhile.
    const std::string empty = DataSourceFields("MSSQL", "", "", "");
    ASSERT_TRUE(place.programs.Write("empty.ini", Scramble(Document("K", "", UserLine("A", "A", "A", "YES"), empty, empty))));
    const Strings bad = {"", "backup sales --to D:", "mssql sales --to D: --fast", "mssql sales --keep",
                         "mssql sales --to D: --keep 0" + config, "mssql sales --to D: --keep x" + config,
                         "mssql sales --to D:", "mssql sales --to D: --config \"" + place.programs.PathOf("empty.ini") + "\""};
    std::vector<Backup> runs(bad.size());
    for (size_t i = 0; i < bad.size(); i++) runs[i].Start(place.programs.Path(), bad[i], place.scratch);
    const Strings named = {"parancs", "'backup'", "'--fast'", "'--keep'", "'0'", "'x'", "Marvitelkon.ini", "MSSQL_DSN, MSSQL_ROOT, MSSQL_PWD"};
    for (size_t i = 0; i < bad.size(); i++) {
        auto [status, output] = runs[i].End();
        EXPECT_EQ(status, 2u) << bad[i];
        EXPECT_TRUE(output.rfind("Hiba: ", 0) == 0 && output.find(named[i]) != std::string::npos) << output;
    }
    Strings lines = place.LogLines();
    ASSERT_EQ(lines.size(), 4 + failing.size() + 2 + bad.size());
    EXPECT_NE(lines[3].find("mssql\tsales\t" + file + "\t18\tOK\tKész"), std::string::npos) << lines[3];
    EXPECT_NE(lines[4].find(".bak.hibas\t\tHIBA\ta mentés ellenőrzése sikertelen: [Microsoft][SQL Server]Damage"),
              std::string::npos) << lines[4];
    for (size_t i = lines.size() - bad.size(); i < lines.size(); i++)
        EXPECT_TRUE(lines[i][19] == '\t' && lines[i].find("\tHIBA\t") != std::string::npos) << lines[i];
    RemoveTree(folder);
}

}  // namespace
