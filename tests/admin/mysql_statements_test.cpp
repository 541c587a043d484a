// Statement and batch-line building of the MySQL tools, without windows: the texts that must be
// exact to the blank, the limits, and what the batch line refuses. What the statements and the line
// do is judged against the real parsers (mysql_round_trip_test.cpp, mysql_backup_wintest.cpp) and the
// dialog tests.
#include "admin/mysql_account_statements.h"
#include "admin/mysql_backup_line.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(MySqlStatements, ClassicTextsAreExactAndOverlongValuesAreRefusedWhole)
{
    MySqlStatements s;
    ASSERT_TRUE(BuildMySqlUpdate(MySqlClassicGrantTables, "bob", "%", "SECRET", "YNYNNNNNNNYNNNYNYNNYYNNNNY", &s));
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
    ASSERT_TRUE(BuildMySqlCreate(MySqlClassicGrantTables, "bob", "%", "", "NNNNNNNNNNNNNNNNNNNNNNNNNN", &s));
    std::string create = s.text[0];
    for (const char* part : {"`Delete_priv`,  `Create_priv`", "`Process_priv`,  `File_priv`",
                             "`Alter_priv`,       `Show_db_priv`", "`x509_subject`      ) values ( '%', 'bob', PASSWORD('')"})
        EXPECT_NE(create.find(part), std::string::npos) << part;

    // 255 quotes (the longest field) still fit doubled; a longer value is refused, never cut.
    std::string quotes(mysqlHostLimit, '\'');
    EXPECT_TRUE(BuildMySqlDelete(MySqlAccountStatements, quotes.c_str(), quotes.c_str(), &s));
    EXPECT_FALSE(BuildMySqlDelete(MySqlAccountStatements, std::string(300, '\\').c_str(), "h", &s));
    EXPECT_EQ(s.count, 0);

    // A list entry splits at its last "@"; a part longer than its field is refused, not cut.
    char user[mysqlUserLimit + 1], host[mysqlHostLimit + 1];
    ASSERT_TRUE(SplitMySqlAccountEntry("anna@firm@%", user, sizeof user, host, sizeof host));
    EXPECT_EQ(std::string(user) + "|" + host, "anna@firm|%");
    EXPECT_FALSE(SplitMySqlAccountEntry((std::string(81, 'u') + "@h").c_str(), user, sizeof user, host, sizeof host));
    EXPECT_FALSE(SplitMySqlAccountEntry(("u@" + std::string(256, 'h')).c_str(), user, sizeof user, host, sizeof host));
}

TEST(MySqlBackupLine, PlainValuesGiveTheExactLineAndNoValueEscapesIt)
{
    char line[mysqlBackupBatchCapacity];
    MySqlBackupRun run = {"10.0.0.5", "root", "shop", "C:\\Apps\\shop-2026-03-07.mysql-server", "20260307",
                          "12-34-5", "C:\\Temp\\mysqldump-12-34-5.cnf"};
    ASSERT_TRUE(BuildMySqlBackupBatch(run, line, sizeof line));
    const std::string temporary = "C:\\Apps\\shop-2026-03-07.mysql-server-20260307.12-34-5.tmp";
    EXPECT_EQ(std::string(line),
              "@mysqldump --defaults-extra-file=C:\\Temp\\mysqldump-12-34-5.cnf -h 10.0.0.5 -u root shop > " +
                  temporary + " & if errorlevel 1 (del C:\\Temp\\mysqldump-12-34-5.cnf & del " + temporary +
                  " 2>nul & echo A mentés sikertelen! & pause) else (del C:\\Temp\\mysqldump-12-34-5.cnf & move /y " +
                  temporary + " C:\\Apps\\shop-2026-03-07.mysql-server-20260307 >nul & if exist " + temporary +
                  " (echo A mentés sikertelen! & pause))\r\n");
    // A blank server names no host, an empty user is still a word, a database starting with "-" is no
    // option, and % can no longer expand.
    run = {"  ", "", "-x%", "C:\\My Dumps\\x.sql", "1", "t", "C:\\o.cnf"};
    ASSERT_TRUE(BuildMySqlBackupBatch(run, line, sizeof line));
    EXPECT_EQ(std::string(line).substr(0, 84),
              "@mysqldump --defaults-extra-file=C:\\o.cnf -u \"\" -- -x%% > \"C:\\My Dumps\\x.sql-1.t.tmp\" & if");
    // Refused whole: a line break or another control character in any value, a quote in a path, no
    // database, a line too long.
    struct Case {
        int value;  // server, user, database, file, date, tag, option file
        std::string text;
    };
    const Case refusals[] = {{0, "a\r\nb"}, {1, "a\nb"}, {2, "x\ry"}, {3, "\x1a"}, {4, "\n"}, {5, "\x01"},
                             {6, "a\nb"}, {3, "C:\\a\"b"}, {5, "\""}, {6, "\"C:\\o\""}, {2, ""},
                             {3, std::string(4000, 'x')}};
    for (const Case& refused : refusals) {
        std::string parts[] = {"s", "u", "d", "f", "1", "t", "o"};
        parts[refused.value] = refused.text;
        run = {parts[0].c_str(), parts[1].c_str(), parts[2].c_str(), parts[3].c_str(), parts[4].c_str(),
               parts[5].c_str(), parts[6].c_str()};
        EXPECT_FALSE(BuildMySqlBackupBatch(run, line, sizeof line)) << refused.value << " " << refused.text;
        EXPECT_STREQ(line, "");
    }
    char file[260];
    EXPECT_FALSE(BuildMySqlDumpFileName(std::string(250, 'd').c_str(), "shop", "2026-03-07", file, sizeof file));
    EXPECT_STREQ(file, "");
}

}  // namespace
