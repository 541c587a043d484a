// Statement and batch-line building of the MySQL tools, without windows: the texts that must be
// exact to the blank, the limits, and the batch line's quoting. What the statements do is judged by
// the dialog tests against real servers of both forms.
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

    // 63 quotes (the longest field) still fit doubled; a longer value is refused, never cut.
    std::string quotes(63, '\'');
    EXPECT_TRUE(BuildMySqlDelete(MySqlAccountStatements, quotes.c_str(), quotes.c_str(), &s));
    EXPECT_FALSE(BuildMySqlDelete(MySqlAccountStatements, std::string(70, '\\').c_str(), "h", &s));
    EXPECT_EQ(s.count, 0);
}

TEST(MySqlBackupLine, PlainValuesGiveTheExactLineAndOthersAreQuoted)
{
    char line[mysqlBackupLineCapacity];
    ASSERT_TRUE(BuildMySqlBackupLine("10.0.0.5", "root", "pw", "shop", "C:\\Apps\\shop-2026-03-07.mysql-server",
                                     "20260307", line, sizeof line));
    EXPECT_STREQ(line, "mysqldump -h 10.0.0.5 -u root -ppw shop > C:\\Apps\\shop-2026-03-07.mysql-server-20260307\r\n");
    ASSERT_TRUE(BuildMySqlBackupLine("   ", "ro ot", "a\"b&c%", "100%", "C:\\My Dumps\\x.sql", "20260307", line,
                                     sizeof line));
    EXPECT_STREQ(line, "mysqldump -u \"ro ot\" -p\"a\"\"b&c%%\" 100%% > \"C:\\My Dumps\\x.sql-20260307\"\r\n");
    // Backslashes before a closing quote are doubled so they do not escape it.
    ASSERT_TRUE(BuildMySqlBackupLine("", "u", "a b\\", "d", "f", "1", line, sizeof line));
    EXPECT_STREQ(line, "mysqldump -u u -p\"a b\\\\\" d > f-1\r\n");
    EXPECT_FALSE(BuildMySqlBackupLine("", "u", "p", "d", std::string(1000, 'x').c_str(), "1", line, sizeof line));
    EXPECT_STREQ(line, "");
    char file[260];
    EXPECT_FALSE(BuildMySqlDumpFileName(std::string(250, 'd').c_str(), "shop", "2026-03-07", file, sizeof file));
    EXPECT_STREQ(file, "");
}

}  // namespace
