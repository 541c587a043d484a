// Statement and batch-line building of the MySQL tools, without windows: the texts that must be
// exact to the blank, the limits, and what the batch line refuses. What the statements and the line
// do is judged against the real parsers (mysql_round_trip_test.cpp, mysql_backup_wintest.cpp) and the
// dialog tests.
#include "admin/mysql_account_statements.h"
#include "backup/mysql_backup_line.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

namespace {

using ::testing::StartsWith;

TEST(MySqlStatements, ClassicTextsAreExactAndOverlongValuesAreRefusedWhole)
{
    MySqlStatements s;
    const MySqlQuoting escapes = MySqlBackslashEscapes;
    ASSERT_TRUE(BuildMySqlUpdate(MySqlClassicGrantTables, escapes, "bob", "%", "SECRET", "YNYNNNNNNNYNNNYNYNNYYNNNNY", &s));
    ASSERT_EQ(s.count, 2);
    EXPECT_STREQ(s.text[0],
                 "update `mysql`.`user` set `Password` = password('SECRET'),`Select_priv` = 'Y', `Insert_priv` = 'N', "
                 "`Update_priv` = 'Y', `Delete_priv` = 'N',  `Create_priv` = 'N', `Drop_priv` = 'N', `Reload_priv` = "
                 "'N', `Shutdown_priv` = 'N', `Process_priv` = 'N',  `File_priv` = 'N', `Grant_priv` = 'Y', "
                 "`References_priv` = 'N', `Index_priv` = 'N', `Alter_priv` = 'N',       `Show_db_priv` = 'Y', "
                 "`Super_priv` = 'N', `Create_tmp_table_priv` = 'Y', `Lock_tables_priv` = 'N', `Execute_priv` = 'N', "
                 "`Repl_slave_priv` = 'Y', `Repl_client_priv` = 'Y', `Create_view_priv` = 'N', `Show_view_priv` = "
                 "'N', `Create_routine_priv` = 'N', `Alter_routine_priv` = 'N', `Create_user_priv` = 'Y', "
                 "`ssl_cipher` = ''      where `host` = '%' and `user` = 'bob'");
    ASSERT_TRUE(BuildMySqlCreate(MySqlClassicGrantTables, escapes, "bob", "%", "", "NNNNNNNNNNNNNNNNNNNNNNNNNN", &s));
    std::string create = s.text[0];
    for (const char* part : {"`Delete_priv`,  `Create_priv`", "`Process_priv`,  `File_priv`",
                             "`Alter_priv`,       `Show_db_priv`", "`x509_subject`      ) values ( '%', 'bob', PASSWORD('')"})
        EXPECT_NE(create.find(part), std::string::npos) << part;

    // 255 quotes (the longest field) still fit doubled; a longer value is refused, never cut.
    std::string quotes(mysqlHostLimit, '\'');
    EXPECT_TRUE(BuildMySqlDelete(MySqlAccountStatements, escapes, quotes.c_str(), quotes.c_str(), &s));
    EXPECT_FALSE(BuildMySqlDelete(MySqlAccountStatements, escapes, std::string(300, '\\').c_str(), "h", &s));
    EXPECT_EQ(s.count, 0);

    // Backslashes are doubled unless the session's mode (a list of names) makes them ordinary, and
    // when the mode could not be read.
    EXPECT_EQ(ChooseMySqlQuoting(0, "ANSI_QUOTES,NO_BACKSLASH_ESCAPES"), MySqlNoBackslashEscapes);
    for (const char* mode : {"NO_BACKSLASH_ESCAPES_X", "X_NO_BACKSLASH_ESCAPES,ANSI_QUOTES"})
        EXPECT_EQ(ChooseMySqlQuoting(0, mode), MySqlBackslashEscapes) << mode;
    EXPECT_EQ(ChooseMySqlQuoting(-1, "NO_BACKSLASH_ESCAPES"), MySqlBackslashEscapes);
}

TEST(MySqlBackupLine, PlainValuesGiveTheExactLineAndNoValueEscapesIt)
{
    char line[mysqlBackupBatchCapacity];
    MySqlBackupRun run = {"10.0.0.5", "root", "shop", "C:\\Apps\\shop.sql", "20260307", "5", "C:\\Temp\\o.cnf"};
    ASSERT_TRUE(BuildMySqlBackupBatch(run, line, sizeof line));
    EXPECT_THAT(line, StartsWith("@mysqldump --defaults-extra-file=C:\\Temp\\o.cnf -h 10.0.0.5 -u root --routines --events "
                                 "shop > C:\\Apps\\shop.sql-20260307.5.tmp & if errorlevel 1 ("));
    // A blank server names no host, an empty user is still a word, a database starting with "-" is no
    // option, and % can no longer expand.
    run = {"  ", "", "-x%", "C:\\My Dumps\\x.sql", "1", "t", "C:\\o.cnf"};
    ASSERT_TRUE(BuildMySqlBackupBatch(run, line, sizeof line));
    EXPECT_THAT(line, StartsWith("@mysqldump --defaults-extra-file=C:\\o.cnf -u \"\" --routines --events -- -x%% > "
                                 "\"C:\\My Dumps\\x.sql-1.t.tmp\""));
    // Refused whole: a line break or another control character, a quote in a path, a line too long.
    for (const std::string& bad : {std::string("a\r\nb"), std::string("\x1a"), std::string("C:\\a\"b"),
                                   std::string(4000, 'x')}) {
        run = {"s", "u", "d", bad.c_str(), "1", "t", "C:\\o.cnf"};
        EXPECT_FALSE(BuildMySqlBackupBatch(run, line, sizeof line)) << bad;
        EXPECT_STREQ(line, "");
    }
    char file[260];
    EXPECT_FALSE(BuildMySqlDumpFileName(std::string(250, 'd').c_str(), "shop", "2026-03-07", file, sizeof file));
    EXPECT_STREQ(file, "");
}

// A dump is complete only when its last line is the completion line; the sweep of the temporary
// folder takes a run's own two files for one and nothing else.
TEST(MySqlBackupLine, CompleteDumpsAndTheRunsOwnFiles)
{
    for (std::string dump : {"...\n-- Dump completed on 2026-03-07 10:11:12\n", "x\r\n-- Dump completed\r\n\r\n"})
        EXPECT_TRUE(IsCompleteMySqlDump(dump.data(), dump.size())) << dump;
    for (std::string dump : {"", "-- MariaDB dump\n", "-- Dump completed\nINSERT INTO t VALUES (1);\n", "-- Dump completedly"})
        EXPECT_FALSE(IsCompleteMySqlDump(dump.data(), dump.size())) << dump;
    char tag[16];
    EXPECT_TRUE(MySqlRunTagOf("mysqldump-12-34-5.cnf", tag, sizeof tag) && std::string(tag) == "12-34-5");
    EXPECT_TRUE(MySqlRunTagOf("mysqldump-6-7.txt", tag, sizeof tag) && std::string(tag) == "6-7");
    for (const char* other : {"mysqldump-.cnf", "mysqldump-1.cnf.bak", "mysqldump-1.tmp", "mysqldump-a.bat",
                              "xmysqldump-1.bat", "mysqldump-12345678901234567.cnf"})
        EXPECT_FALSE(MySqlRunTagOf(other, tag, sizeof tag)) << other;
}

}  // namespace
