// OdbcConnection and OdbcCursor against the fixture's real MariaDB server, through the real driver
// manager (unixODBC natively, Wine's odbc32 in the Windows build).
#include "tests/db/db_test_support.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

namespace {

class MariaDb : public ::testing::Test {
protected:
    void SetUp() override
    {
        server = ReadTestServer();
        ASSERT_EQ(server.error, "");
        ASSERT_TRUE(BindDriverManager());
    }
    void TearDown() override { UnloadOdbcApi(); }

    // An open connection to the test server; the test fails when it does not open.
    OdbcConnection* Open(int manualCommit)
    {
        OdbcConnection* connection = NewConnection(server.dsn, server.user, server.password, manualCommit);
        SQLRETURN result = connection->Open("", "");
        EXPECT_TRUE(result == 0 || result == 1) << result;
        return connection;
    }

    // Runs setup statements on a connection of its own; every one must succeed.
    void Prepare(const std::vector<std::string>& statements)
    {
        OdbcBoxLog boxes;
        OdbcConnection* connection = Open(0);
        connection->ExecDirect("create database if not exists mvdb", 0);
        for (const std::string& statement : statements) {
            EXPECT_EQ(connection->ExecDirect(statement.c_str(), 0), 0) << statement;
            for (const OdbcBox& box : boxes.Boxes()) ADD_FAILURE() << box.text;
            boxes.Clear();
        }
        connection->Destroy(3);
    }

    TestServer server;
};

// A wrong password: exactly one "ODBC error" box with the server's own message, both handles freed,
// Destroy still safe. The right account connects, classifies MariaDB and keeps Init's account when
// Open is given empty texts, or takes Open's when given.
TEST_F(MariaDb, ConnectsWithTheRightAccountAndReportsAWrongPasswordOnce)
{
    OdbcBoxLog boxes;
    OdbcConnection* refused = NewConnection(server.dsn, server.user, server.password + "-wrong", 0);
    SQLRETURN result = refused->Open("", "");
    EXPECT_EQ(result, SQL_ERROR);
    std::vector<OdbcBox> shown = boxes.Boxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, "ODBC error");
    EXPECT_EQ(shown[0].style, (unsigned)MB_SYSTEMMODAL);
    EXPECT_NE(shown[0].text.find("Access denied"), std::string::npos) << shown[0].text;
    EXPECT_TRUE(shown[0].arrowCursor);
    EXPECT_EQ(refused->connection, (SQLHDBC)nullptr);
    EXPECT_EQ(refused->environment, (SQLHENV)nullptr);
    refused->Destroy(3);

    // Empty arguments keep the account given to Init.
    boxes.Clear();
    OdbcConnection* connection = Open(1);
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_NE(connection->connection, (SQLHDBC)nullptr);
    EXPECT_STREQ(connection->dbmsName, "MariaDB");
    EXPECT_STREQ(connection->lowerDbmsName, "mariadb");
    EXPECT_EQ(connection->kind, DatabaseKind::Other);
    EXPECT_EQ(connection->initialFetch, 1);
    connection->Destroy(3);

    // Non-empty arguments replace a wrong account given to Init.
    OdbcConnection* replaced = NewConnection(server.dsn, "nobody", "nothing", 0);
    result = replaced->Open(server.user.c_str(), server.password.c_str());
    EXPECT_TRUE(result == 0 || result == 1) << result;
    EXPECT_STREQ(replaced->userId, server.user.c_str());
    EXPECT_EQ(boxes.Count(), 0u);
    replaced->Destroy(3);
}

// With manualCommit 1 a change is invisible from a second connection until Commit and gone after
// Rollback; every open cursor is back on its first row afterwards. ExecDirect's commit-after flag
// commits only after a statement that succeeded. Without manualCommit, Commit ends nothing but still
// re-executes the cursors.
TEST_F(MariaDb, ManualCommitShowsChangesOnlyAfterCommitAndRewindsTheCursors)
{
    Prepare({"drop table if exists mvdb.tx", "create table mvdb.tx (id int primary key, name varchar(20))",
             "insert into mvdb.tx values (1, 'egy'), (2, 'ketto')"});
    OdbcBoxLog boxes;
    OdbcConnection* writer = Open(1);
    OdbcConnection* reader = Open(0);
    auto countSeenByReader = [&]() {
        OdbcCursor* count = reader->OpenCursor("select count(*) as n from mvdb.tx");
        std::string n = count->ColumnByName("n");
        EXPECT_EQ(reader->CloseCursor(count), 1);
        return n;
    };

    OdbcCursor* rows = writer->OpenCursor("select id, name from mvdb.tx order by id");
    ASSERT_EQ(rows->status, 0);
    EXPECT_EQ(CurrentRow(rows), "1|egy");
    rows->Fetch(1);
    EXPECT_EQ(CurrentRow(rows), "2|ketto");

    EXPECT_EQ(writer->ExecDirect("insert into mvdb.tx values (3, 'harom')", 0), 0);
    EXPECT_EQ(countSeenByReader(), "2");
    EXPECT_EQ(writer->Commit(), 0);
    EXPECT_EQ(countSeenByReader(), "3");
    EXPECT_EQ(rows->status, 0);
    EXPECT_EQ(CurrentRow(rows), "1|egy");  // executed again, from its first row
    EXPECT_EQ(RemainingRows(rows), (std::vector<std::string>{"1|egy", "2|ketto", "3|harom"}));

    EXPECT_EQ(writer->ExecDirect("delete from mvdb.tx where id = 1", 0), 0);
    rows->Fetch(-1);
    EXPECT_EQ(writer->Rollback(), 0);
    EXPECT_EQ(countSeenByReader(), "3");
    EXPECT_EQ(CurrentRow(rows), "1|egy");

    // A failing statement with the commit-after flag commits nothing; a succeeding one does.
    EXPECT_EQ(writer->ExecDirect("insert into mvdb.tx values (4, 'negy')", 0), 0);
    EXPECT_EQ(writer->ExecDirect("insert into mvdb.tx values (1, 'duplicate key')", 1), SQL_ERROR);
    EXPECT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(countSeenByReader(), "3");
    EXPECT_EQ(writer->ExecDirect("insert into mvdb.tx values (5, 'ot')", 1), 0);
    EXPECT_EQ(countSeenByReader(), "5");

    // Autocommit: Commit and Rollback end nothing, the change is already visible, the cursors rewind.
    OdbcCursor* readerRows = reader->OpenCursor("select id from mvdb.tx order by id");
    readerRows->Fetch(2);
    EXPECT_STREQ(readerRows->ColumnByIndex(1), "3");
    EXPECT_EQ(reader->ExecDirect("delete from mvdb.tx where id = 5", 0), 0);
    EXPECT_EQ(reader->Rollback(), 0);
    EXPECT_STREQ(readerRows->ColumnByIndex(1), "1");
    EXPECT_EQ(RemainingRows(readerRows).size(), 4u);
    EXPECT_EQ(boxes.Count(), 1u);

    writer->Destroy(3);
    reader->Destroy(3);
}

// Values of many types as text, NULL as empty, a long text whole in its room, long column names,
// the name lookups, an empty result, walking off the end and back before the start.
TEST_F(MariaDb, ReadsEveryTypeAsTextAndWalksBothWays)
{
    std::string longText(300, 'x');
    longText[0] = 'A';
    longText[299] = 'Z';
    Prepare({"drop table if exists mvdb.kinds",
             "create table mvdb.kinds (id int, amount decimal(10,2), day date, note varchar(20), "
             "memo varchar(300), flag boolean)",
             "insert into mvdb.kinds values (1, 1234.50, '2024-02-29', 'elso', '" + longText + "', 1), "
             "(2, -0.75, null, null, '', 0), (3, 0, '1999-12-31', 'harmadik', 'rovid', null)"});
    OdbcBoxLog boxes;
    OdbcConnection* connection = Open(0);

    OdbcCursor* cursor = connection->OpenCursor(
        "select id, amount, day, note, memo, flag, note as `User`, id as `user` from mvdb.kinds order by id");
    ASSERT_EQ(cursor->status, 0);
    ASSERT_EQ(cursor->columnCount, 8);
    EXPECT_EQ(CurrentRow(cursor), "1|1234.50|2024-02-29|elso|" + longText + "|1|elso|1");
    // Room: small sizes get 32 + 2 bytes; the 300-character column more than 256, so 65535 + 2.
    EXPECT_EQ(cursor->columnSizes[0], 32u);
    EXPECT_EQ(cursor->columnSizes[4], 65535u);

    // Lookups: exact and case-sensitive; a backquote compares over the column's name.
    EXPECT_STREQ(cursor->ColumnByName("User"), "elso");
    EXPECT_STREQ(cursor->ColumnByName("user"), "1");
    EXPECT_STREQ(cursor->ColumnByName("`User`"), "elso");
    EXPECT_STREQ(cursor->ColumnByName("`User"), "elso");
    EXPECT_STREQ(cursor->ColumnByName("`Use"), "");
    EXPECT_STREQ(cursor->ColumnByName("nothing"), "");
    EXPECT_STREQ(cursor->ColumnByIndex(0), "");
    EXPECT_STREQ(cursor->ColumnByIndex(-1), "");
    EXPECT_STREQ(cursor->ColumnByIndex(9), "");
    EXPECT_STREQ(cursor->ColumnByIndex(8), "1");

    EXPECT_EQ(cursor->Fetch(1), 0);
    EXPECT_EQ(CurrentRow(cursor), "2|-0.75||||0||2");
    EXPECT_EQ(cursor->Fetch(1), 0);
    EXPECT_EQ(CurrentRow(cursor), "3|0.00|1999-12-31|harmadik|rovid||harmadik|3");
    // Off the end: status 100, every column empty.
    EXPECT_EQ(cursor->Fetch(1), SQL_NO_DATA);
    EXPECT_EQ(cursor->status, SQL_NO_DATA);
    EXPECT_EQ(CurrentRow(cursor), "|||||||");
    // Back from after the end to the last row, then further back than the start: status 100 with
    // the first row current.
    EXPECT_EQ(cursor->Fetch(-1), 0);
    EXPECT_STREQ(cursor->ColumnByName("id"), "3");
    EXPECT_EQ(cursor->Fetch(-5), SQL_SUCCESS);
    EXPECT_EQ(cursor->status, SQL_NO_DATA);
    EXPECT_STREQ(cursor->ColumnByName("id"), "1");
    EXPECT_EQ(cursor->Fetch(0), 0);
    EXPECT_EQ(CurrentRow(cursor), "1|1234.50|2024-02-29|elso|" + longText + "|1|elso|1");
    EXPECT_EQ(cursor->Fetch(2), 0);
    EXPECT_STREQ(cursor->ColumnByName("id"), "3");

    // An empty result: status 100 right after opening, every column empty.
    OdbcCursor* empty = connection->OpenCursor("select id, note from mvdb.kinds where id > 100");
    EXPECT_EQ(empty->status, SQL_NO_DATA);
    EXPECT_EQ(empty->columnCount, 2);
    EXPECT_STREQ(empty->ColumnByName("note"), "");

    // A column name of 255 characters is kept whole.
    std::string longName(255, 'n');
    OdbcCursor* named = connection->OpenCursor(("select 7 as `" + longName + "`").c_str());
    ASSERT_EQ(named->status, 0);
    EXPECT_EQ(std::string(named->columnNames[0]), longName);
    EXPECT_STREQ(named->ColumnByName(longName.c_str()), "7");

    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_EQ(connection->CloseCursor(cursor), 1);
    connection->Destroy(3);  // destroys the cursors still open
}

// The first row is current after execution on the MySQL set-up too, although MariaDB answers a
// first fetch at relative offset 0 with no data.
TEST_F(MariaDb, MySqlCursorStartsOnItsFirstRow)
{
    Prepare({"drop table if exists mvdb.first", "create table mvdb.first (id int)",
             "insert into mvdb.first values (10), (20), (30)"});
    OdbcBoxLog boxes;
    OdbcConnection* connection = Open(1);
    connection->kind = DatabaseKind::MySql;
    connection->initialFetch = 0;
    OdbcCursor* cursor = connection->OpenCursor("select id from mvdb.first order by id");
    EXPECT_EQ(cursor->status, 0);
    EXPECT_EQ(cursor->initialFetch, 0);
    EXPECT_EQ(RemainingRows(cursor), (std::vector<std::string>{"10", "20", "30"}));
    EXPECT_EQ(connection->Commit(), 0);
    EXPECT_EQ(cursor->status, 0);
    EXPECT_STREQ(cursor->ColumnByIndex(1), "10");
    EXPECT_EQ(cursor->Fetch(-3), 0);
    EXPECT_EQ(cursor->status, SQL_NO_DATA);
    EXPECT_STREQ(cursor->ColumnByIndex(1), "10");
    OdbcCursor* empty = connection->OpenCursor("select id from mvdb.first where id = 0");
    EXPECT_EQ(empty->status, SQL_NO_DATA);
    EXPECT_EQ(boxes.Count(), 0u);
    connection->Destroy(3);
}

// A failing SELECT shows one box and reconnects; the next cursor on the same connection works.
// Cursor names count across connections; a connection does not close another's cursor.
TEST_F(MariaDb, FailingSelectReconnectsAndCursorNamesCountAcrossConnections)
{
    OdbcBoxLog boxes;
    OdbcConnection* first = Open(0);
    OdbcConnection* second = Open(0);

    OdbcCursor* kept = first->OpenCursor("select 1 as one");
    ASSERT_EQ(kept->status, 0);
    OdbcCursor* failed = first->OpenCursor("select no_such_column from mvdb.no_such_table");
    EXPECT_EQ(failed->status, SQL_ERROR);
    std::vector<OdbcBox> shown = boxes.Boxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, "ODBC error");
    EXPECT_NE(shown[0].text.find("no_such_table"), std::string::npos) << shown[0].text;
    EXPECT_STREQ(failed->ColumnByIndex(1), "");
    // Reconnected: the cursors lost their statements but kept their status; both stay listed.
    EXPECT_EQ(kept->statementHandle, (SQLHSTMT)nullptr);
    EXPECT_EQ(failed->statementHandle, (SQLHSTMT)nullptr);
    EXPECT_EQ(kept->connection, first->connection);
    EXPECT_EQ(first->cursors.count, 2);
    EXPECT_NE(first->connection, (SQLHDBC)nullptr);

    OdbcCursor* next = first->OpenCursor("select 2 as two");
    EXPECT_EQ(next->status, 0);
    EXPECT_STREQ(next->ColumnByName("two"), "2");
    // A commit executes the older cursors again on the new connection.
    EXPECT_EQ(first->Commit(), 0);
    EXPECT_STREQ(kept->ColumnByName("one"), "1");
    EXPECT_EQ(boxes.Count(), 2u);  // the failed cursor failed again, and said so
    EXPECT_EQ(first->CloseCursor(failed), 1);

    OdbcCursor* other = second->OpenCursor("select 3");
    unsigned nextNumber = 0, otherNumber = 0;
    ASSERT_EQ(sscanf(next->name, "tem2%u", &nextNumber), 1);
    ASSERT_EQ(sscanf(other->name, "tem2%u", &otherNumber), 1);
    EXPECT_EQ(otherNumber, nextNumber + 1);

    EXPECT_EQ(first->CloseCursor(other), 0);
    EXPECT_EQ(second->cursors.count, 1);
    EXPECT_EQ(first->cursors.count, 2);
    EXPECT_STREQ(other->ColumnByIndex(1), "3");
    EXPECT_EQ(second->CloseCursor(other), 1);
    EXPECT_EQ(second->CloseCursor(other), 0);
    EXPECT_EQ(second->cursors.count, 0);

    first->Destroy(3);
    second->Destroy(3);
}

}  // namespace
