// Statement and batch-line building of the MySQL tools, without windows. What the statements do on
// a server is checked by the dialog tests against real servers; here: the texts that must be exact,
// escaping and the limits.
#include "admin/mysql_account_statements.h"
#include "admin/mysql_backup_line.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char* const allY = "YYYYYYYYYYYYYYYYYYYYYYYYYY";
const char* const someY = "YNYNNNNNNNYNNNYNYNNYYNNNNY";  // Select, Update, Grant, Show db, tmp, repl x2, Create user

TEST(MySqlStatements, ClassicFormSendsTheToolsOwnStatementsExactly)
{
    MySqlStatements s;
    ASSERT_TRUE(BuildMySqlUpdate(MySqlClassicGrantTables, "bob", "%", "SECRET", someY, &s));
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
    EXPECT_STREQ(s.text[1], "flush privileges");

    // Without a password the clause is left out entirely.
    ASSERT_TRUE(BuildMySqlUpdate(MySqlClassicGrantTables, "bob", "%", "", someY, &s));
    EXPECT_EQ(std::string(s.text[0]).find("update `mysql`.`user` set `Select_priv` = 'Y', `Insert_priv` = 'N'"), 0u);

    ASSERT_TRUE(BuildMySqlCreate(MySqlClassicGrantTables, "bob", "%", "", allY, &s));
    ASSERT_EQ(s.count, 2);
    EXPECT_STREQ(s.text[0],
                 "insert into `mysql`.`user` ( `Host`, `User`, `Password`, `Select_priv`, `Insert_priv`, "
                 "`Update_priv`, `Delete_priv`,  `Create_priv`, `Drop_priv`, `Reload_priv`, `Shutdown_priv`, "
                 "`Process_priv`,  `File_priv`, `Grant_priv`, `References_priv`, `Index_priv`, `Alter_priv`,       "
                 "`Show_db_priv`, `Super_priv`, `Create_tmp_table_priv`, `Lock_tables_priv`, `Execute_priv`, "
                 "`Repl_slave_priv`, `Repl_client_priv`, `Create_view_priv`, `Show_view_priv`, "
                 "`Create_routine_priv`, `Alter_routine_priv`, `Create_user_priv`, `ssl_cipher`, `x509_issuer`, "
                 "`x509_subject`      ) values ( '%', 'bob', PASSWORD(''), 'Y', 'Y', 'Y', 'Y', 'Y', 'Y', 'Y', "
                 "'Y', 'Y', 'Y', 'Y', 'Y', 'Y', 'Y', 'Y', 'Y', 'Y', 'Y', 'Y', 'Y', 'Y', 'Y', 'Y', 'Y', 'Y', 'Y', "
                 "'', '', '')");

    ASSERT_TRUE(BuildMySqlDelete(MySqlClassicGrantTables, "", "h1", &s));
    ASSERT_EQ(s.count, 5);
    EXPECT_STREQ(s.text[0], "delete from `mysql`.`user` where `user` = '' and `host` = 'h1'");
    EXPECT_STREQ(s.text[3], "delete from `mysql`.`columns_priv` where `user` = '' and `host` = 'h1'");
    EXPECT_STREQ(s.text[4], "flush privileges");

    char query[512];
    ASSERT_TRUE(BuildMySqlAccountQuery("bob", "%", query, sizeof query));
    EXPECT_STREQ(query, "select * from `mysql`.`user` where `user` = 'bob' and `host` = '%'");
}

TEST(MySqlStatements, TypedValuesAreEscapedAndOverlongOnesRefused)
{
    MySqlStatements s;
    ASSERT_TRUE(BuildMySqlDelete(MySqlClassicGrantTables, "o'x\\", "h'; drop table t; --", &s));
    EXPECT_STREQ(s.text[1], "delete from `mysql`.`db` where `user` = 'o''x\\\\' and `host` = 'h''; drop table t; --'");
    ASSERT_TRUE(BuildMySqlCreate(MySqlAccountStatements, "a'b", "h", "P\\'", "NNNNNNNNNNYNNNNNNNNNNNNNNN", &s));
    ASSERT_EQ(s.count, 3);
    EXPECT_STREQ(s.text[0], "CREATE USER 'a''b'@'h' IDENTIFIED BY 'P\\\\'''");
    EXPECT_STREQ(s.text[1], "GRANT USAGE ON *.* TO 'a''b'@'h' WITH GRANT OPTION");

    // The longest field (63 characters, all quotes) still fits; a longer value or a tiny buffer is
    // refused whole, never cut.
    std::string quotes(63, '\'');
    ASSERT_TRUE(BuildMySqlUpdate(MySqlClassicGrantTables, quotes.c_str(), quotes.c_str(), quotes.c_str(), allY, &s));
    EXPECT_NE(std::string(s.text[0]).find("password('" + std::string(126, '\'') + "')"), std::string::npos);
    EXPECT_FALSE(BuildMySqlDelete(MySqlAccountStatements, std::string(70, '\\').c_str(), "h", &s));
    EXPECT_EQ(s.count, 0);
    char small[40];
    EXPECT_FALSE(BuildMySqlAccountQuery("bob", "%", small, sizeof small));
    EXPECT_STREQ(small, "");
}

TEST(MySqlStatements, AccountStatementsGrantTheTickedAndRevokeTheRest)
{
    MySqlStatements s;
    ASSERT_TRUE(BuildMySqlUpdate(MySqlAccountStatements, "bob", "%", "NEW", someY, &s));
    ASSERT_EQ(s.count, 4);
    EXPECT_STREQ(s.text[0], "ALTER USER 'bob'@'%' IDENTIFIED BY 'NEW'");
    EXPECT_STREQ(s.text[1],
                 "GRANT SELECT, UPDATE, SHOW DATABASES, CREATE TEMPORARY TABLES, REPLICATION SLAVE, "
                 "REPLICATION CLIENT, CREATE USER ON *.* TO 'bob'@'%' WITH GRANT OPTION");
    EXPECT_STREQ(s.text[2],
                 "REVOKE INSERT, DELETE, CREATE, DROP, RELOAD, SHUTDOWN, PROCESS, FILE, REFERENCES, INDEX, ALTER, "
                 "SUPER, LOCK TABLES, EXECUTE, CREATE VIEW, SHOW VIEW, CREATE ROUTINE, ALTER ROUTINE ON *.* FROM "
                 "'bob'@'%'");
    EXPECT_STREQ(s.text[3], "flush privileges");

    // No password: no ALTER USER; all boxes ticked: nothing to revoke.
    ASSERT_TRUE(BuildMySqlUpdate(MySqlAccountStatements, "bob", "%", "", allY, &s));
    ASSERT_EQ(s.count, 2);
    EXPECT_EQ(std::string(s.text[0]).rfind("GRANT SELECT, INSERT,", 0), 0u);
    ASSERT_TRUE(BuildMySqlDelete(MySqlAccountStatements, "bob", "%", &s));
    ASSERT_EQ(s.count, 2);
    EXPECT_STREQ(s.text[0], "DROP USER 'bob'@'%'");

    EXPECT_EQ(ChooseMySqlAccountForm(0, "BASE TABLE", "1"), MySqlClassicGrantTables);
    EXPECT_EQ(ChooseMySqlAccountForm(0, "VIEW", "1"), MySqlAccountStatements);
    EXPECT_EQ(ChooseMySqlAccountForm(0, "BASE TABLE", "0"), MySqlAccountStatements);
    EXPECT_EQ(ChooseMySqlAccountForm(100, "", ""), MySqlAccountStatements);
    EXPECT_EQ(ChooseMySqlAccountForm(-1, "", ""), MySqlClassicGrantTables);
}

TEST(MySqlBackupLine, PlainValuesGiveTheExactLineAndOthersAreQuoted)
{
    char line[mysqlBackupLineCapacity];
    ASSERT_TRUE(BuildMySqlBackupLine("10.0.0.5", "root", "pw", "shop", "C:\\Apps\\shop-2026-03-07.mysql-server",
                                     "20260307", line, sizeof line));
    EXPECT_STREQ(line, "mysqldump -h 10.0.0.5 -u root -ppw shop > C:\\Apps\\shop-2026-03-07.mysql-server-20260307\r\n");
    ASSERT_TRUE(BuildMySqlBackupLine("   ", "root", "pw", "shop", "C:\\b.sql", "20260307", line, sizeof line));
    EXPECT_STREQ(line, "mysqldump -u root -ppw shop > C:\\b.sql-20260307\r\n");

    ASSERT_TRUE(BuildMySqlBackupLine("", "ro ot", "a\"b&c%", "100%", "C:\\My Dumps\\x 5%.sql", "20260307", line,
                                     sizeof line));
    EXPECT_STREQ(line, "mysqldump -u \"ro ot\" -p\"a\"\"b&c%%\" 100%% > \"C:\\My Dumps\\x 5%%.sql-20260307\"\r\n");
    // Backslashes before a closing quote are doubled so they do not escape it.
    ASSERT_TRUE(BuildMySqlBackupLine("", "u", "a b\\", "d", "f", "1", line, sizeof line));
    EXPECT_STREQ(line, "mysqldump -u u -p\"a b\\\\\" d > f-1\r\n");

    std::string longPath(1000, 'x');
    EXPECT_FALSE(BuildMySqlBackupLine("", "u", "p", "d", longPath.c_str(), "20260307", line, sizeof line));
    EXPECT_STREQ(line, "");

    char file[260];
    ASSERT_TRUE(BuildMySqlDumpFileName("C:\\Apps", "shop", "2026-03-07", file, sizeof file));
    EXPECT_STREQ(file, "C:\\Apps\\shop-2026-03-07.mysql-server");
    EXPECT_FALSE(BuildMySqlDumpFileName(std::string(250, 'd').c_str(), "shop", "2026-03-07", file, sizeof file));
    EXPECT_STREQ(file, "");
    char name[8];
    DropBackslashes("te\\_st\\", name, sizeof name);
    EXPECT_STREQ(name, "te_st");
}

}  // namespace
