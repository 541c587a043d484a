// OdbcConnection and OdbcCursor against the fixture's real MariaDB server, through the real driver
// manager (unixODBC natively, Wine's odbc32 in the Windows build).
#include "tests/db/db_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Rows = std::vector<std::string>;

class MariaDb : public ::testing::Test {
protected:
    void SetUp() override
    {
        server = ReadTestServer();
        ASSERT_EQ(server.error, "");
        KeepOdbcLibrariesMapped();
        ASSERT_EQ(LoadOdbcApi(), 1);
    }
    void TearDown() override { UnloadOdbcApi(); }

    OdbcConnection* Open(int manualCommit)
    {
        OdbcConnection* connection = NewConnection(server.dsn, server.user, server.password, manualCommit);
        EXPECT_TRUE(SQL_SUCCEEDED(connection->Open("", "")));
        return connection;
    }
    // Runs statements on a connection of its own; each must succeed without a box.
    void Prepare(const std::vector<std::string>& statements)
    {
        OdbcBoxLog boxes;
        OdbcConnection* connection = Open(0);
        connection->ExecDirect("create database if not exists mvdb", 0);
        for (const std::string& statement : statements) EXPECT_EQ(connection->ExecDirect(statement.c_str(), 0), 0);
        for (const OdbcBox& box : boxes.Boxes()) ADD_FAILURE() << box.text;
        connection->Destroy(3);
    }

    TestServer server;
};

// A wrong password: one "ODBC error" box with the server's message, both handles freed, Destroy still
// safe. Empty Open arguments keep Init's account, non-empty ones replace it; MariaDB is Other.
TEST_F(MariaDb, ConnectsWithTheRightAccountAndReportsAWrongPasswordOnce)
{
    OdbcBoxLog boxes;
    OdbcConnection* refused = NewConnection(server.dsn, server.user, server.password + "-wrong", 0);
    EXPECT_EQ(refused->Open("", ""), SQL_ERROR);
    std::vector<OdbcBox> shown = boxes.Boxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, "ODBC error");
    EXPECT_EQ(shown[0].style, (unsigned)MB_SYSTEMMODAL);
    EXPECT_NE(shown[0].text.find("Access denied"), std::string::npos) << shown[0].text;
    EXPECT_TRUE(shown[0].arrowCursor);
    EXPECT_TRUE(refused->connection == nullptr && refused->environment == nullptr);
    refused->Destroy(3);

    OdbcConnection* connection = Open(1);
    EXPECT_STREQ(connection->dbmsName, "MariaDB");
    EXPECT_EQ(connection->kind, DatabaseKind::Other);
    EXPECT_EQ(connection->initialFetch, 1);
    connection->Destroy(3);
    OdbcConnection* replaced = NewConnection(server.dsn, "nobody", "nothing", 0);
    EXPECT_TRUE(SQL_SUCCEEDED(replaced->Open(server.user.c_str(), server.password.c_str())));
    replaced->Destroy(3);
    EXPECT_EQ(boxes.Count(), 1u);
}

// With manualCommit 1 a change is invisible from a second connection until Commit and gone after
// Rollback, and every open cursor is back on its first row; the commit-after flag commits only after
// a statement that succeeded. With autocommit, Rollback ends nothing but still rewinds the cursors.
TEST_F(MariaDb, ManualCommitShowsChangesOnlyAfterCommitAndRewindsTheCursors)
{
    Prepare({"drop table if exists mvdb.tx", "create table mvdb.tx (id int primary key, name varchar(20))",
             "insert into mvdb.tx values (1, 'egy'), (2, 'ketto')"});
    OdbcBoxLog boxes;
    OdbcConnection* writer = Open(1);
    OdbcConnection* reader = Open(0);
    auto seenByReader = [&]() {
        OdbcCursor* count = reader->OpenCursor("select count(*) as n from mvdb.tx");
        std::string n = count->ColumnByName("n");
        reader->CloseCursor(count);
        return n;
    };
    OdbcCursor* rows = writer->OpenCursor("select id, name from mvdb.tx order by id");
    EXPECT_EQ(RemainingRows(rows), (Rows{"1|egy", "2|ketto"}));

    EXPECT_EQ(writer->ExecDirect("insert into mvdb.tx values (3, 'harom')", 0), 0);
    EXPECT_EQ(seenByReader(), "2");
    EXPECT_EQ(writer->Commit(), 0);
    EXPECT_EQ(seenByReader(), "3");
    EXPECT_EQ(RemainingRows(rows), (Rows{"1|egy", "2|ketto", "3|harom"}));

    EXPECT_EQ(writer->ExecDirect("delete from mvdb.tx where id = 1", 0), 0);
    EXPECT_EQ(writer->Rollback(), 0);
    EXPECT_EQ(seenByReader(), "3");
    EXPECT_EQ(CurrentRow(rows), "1|egy");

    EXPECT_EQ(writer->ExecDirect("insert into mvdb.tx values (4, 'negy')", 0), 0);
    EXPECT_EQ(writer->ExecDirect("insert into mvdb.tx values (1, 'duplicate')", 1), SQL_ERROR);
    EXPECT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(seenByReader(), "3");
    EXPECT_EQ(writer->ExecDirect("insert into mvdb.tx values (5, 'ot')", 1), 0);
    EXPECT_EQ(seenByReader(), "5");

    OdbcCursor* readerRows = reader->OpenCursor("select id from mvdb.tx order by id");
    readerRows->Fetch(2);
    EXPECT_EQ(reader->ExecDirect("delete from mvdb.tx where id = 5", 0), 0);
    EXPECT_EQ(reader->Rollback(), 0);
    EXPECT_EQ(RemainingRows(readerRows), (Rows{"1", "2", "3", "4"}));
    EXPECT_EQ(boxes.Count(), 1u);
    writer->Destroy(3);
    reader->Destroy(3);
}

// Values of many types as text (a BIT(1) as "0" or "1"), NULL empty, a 300-character text whole in its
// room, a 255-character column name, the name lookups, an empty result, walking off the end and back
// before the start; the MySQL set-up starts on the first row too, although MariaDB answers a first
// relative fetch of 0 with no data.
TEST_F(MariaDb, ReadsEveryTypeAsTextAndWalksBothWays)
{
    std::string longText = "A" + std::string(298, 'x') + "Z";
    Prepare({"drop table if exists mvdb.kinds",
             "create table mvdb.kinds (id int, amount decimal(10,2), day date, note varchar(20), memo varchar(300), "
             "flag boolean, bits bit(1))",
             "insert into mvdb.kinds values (1, 1234.50, '2024-02-29', 'elso', '" + longText + "', 1, b'1'), "
             "(2, -0.75, null, null, '', 0, b'0'), (3, 0, '1999-12-31', 'harmadik', 'rovid', null, null)"});
    OdbcBoxLog boxes;
    OdbcConnection* connection = Open(0);
    const char* query = "select id, amount, day, note, memo, flag, bits, note as `User`, id as `user` from mvdb.kinds order by id";
    const std::string first = "1|1234.50|2024-02-29|elso|" + longText + "|1|1|elso|1";
    for (DatabaseKind kind : {DatabaseKind::Other, DatabaseKind::MySql}) {
        connection->kind = kind;
        connection->initialFetch = kind == DatabaseKind::MySql ? 0 : 1;
        OdbcCursor* cursor = connection->OpenCursor(query);
        EXPECT_EQ(cursor->status, 0);
        EXPECT_EQ(CurrentRow(cursor), first);
        EXPECT_EQ(cursor->columnSizes[0], 32u);
        EXPECT_EQ(cursor->columnSizes[4], 65535u);
        EXPECT_STREQ(cursor->ColumnByName("User"), "elso");
        EXPECT_STREQ(cursor->ColumnByName("user"), "1");
        EXPECT_STREQ(cursor->ColumnByName("`User`"), "elso");
        EXPECT_STREQ(cursor->ColumnByName("`User"), "elso");
        EXPECT_STREQ(cursor->ColumnByName("`Use"), "");
        EXPECT_STREQ(cursor->ColumnByName("nothing"), "");
        EXPECT_EQ(std::string(cursor->ColumnByIndex(0)) + cursor->ColumnByIndex(-1) + cursor->ColumnByIndex(10), "");

        EXPECT_EQ(cursor->Fetch(1), 0);
        EXPECT_EQ(RemainingRows(cursor), (Rows{"2|-0.75||||0|0||2", "3|0.00|1999-12-31|harmadik|rovid|||harmadik|3"}));
        EXPECT_EQ(cursor->status, SQL_NO_DATA);
        EXPECT_EQ(CurrentRow(cursor), "||||||||");
        EXPECT_EQ(cursor->Fetch(-1), 0);
        EXPECT_STREQ(cursor->ColumnByName("id"), "3");
        EXPECT_EQ(cursor->Fetch(-5), 0);  // ran off the start: the first row is current, status 100
        EXPECT_EQ(cursor->status, SQL_NO_DATA);
        EXPECT_EQ(CurrentRow(cursor), first);
        EXPECT_EQ(cursor->Fetch(0), 0);
        EXPECT_EQ(CurrentRow(cursor), first);
        EXPECT_EQ(connection->CloseCursor(cursor), 1);

        OdbcCursor* empty = connection->OpenCursor("select id, note from mvdb.kinds where id > 100");
        EXPECT_EQ(empty->status, SQL_NO_DATA);
        EXPECT_EQ(CurrentRow(empty), "|");
    }
    std::string longName(255, 'n');
    OdbcCursor* named = connection->OpenCursor(("select 7 as `" + longName + "`").c_str());
    EXPECT_STREQ(named->ColumnByName(longName.c_str()), "7");
    EXPECT_EQ(boxes.Count(), 0u);
    connection->Destroy(3);  // destroys the cursors still open
}

// A failing SELECT shows one box and reconnects; the next cursor on the same connection works and a
// commit executes the older cursors again on the new connection. Cursor names count across
// connections; a connection does not close another's cursor.
TEST_F(MariaDb, FailingSelectReconnectsAndCursorNamesCountAcrossConnections)
{
    OdbcBoxLog boxes;
    OdbcConnection* first = Open(0);
    OdbcConnection* second = Open(0);
    OdbcCursor* kept = first->OpenCursor("select 1 as one");
    OdbcCursor* failed = first->OpenCursor("select x from mvdb.no_such_table");
    EXPECT_EQ(failed->status, SQL_ERROR);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_NE(boxes.Boxes()[0].text.find("no_such_table"), std::string::npos) << boxes.Boxes()[0].text;
    EXPECT_TRUE(kept->statementHandle == nullptr && failed->statementHandle == nullptr);
    EXPECT_EQ(kept->connection, first->connection);
    EXPECT_EQ(first->cursors.count, 2);

    OdbcCursor* next = first->OpenCursor("select 2 as two");
    EXPECT_STREQ(next->ColumnByName("two"), "2");
    EXPECT_EQ(first->Commit(), 0);
    EXPECT_STREQ(kept->ColumnByName("one"), "1");
    EXPECT_EQ(boxes.Count(), 2u);  // the failed cursor failed again, and said so
    EXPECT_EQ(first->CloseCursor(failed), 1);

    OdbcCursor* other = second->OpenCursor("select 3");
    unsigned nextNumber = 0, otherNumber = 0;
    EXPECT_EQ(sscanf(next->name, "tem2%u", &nextNumber) + sscanf(other->name, "tem2%u", &otherNumber), 2);
    EXPECT_EQ(otherNumber, nextNumber + 1);
    EXPECT_EQ(first->CloseCursor(other), 0);
    EXPECT_EQ(first->cursors.count + second->cursors.count, 3);
    EXPECT_STREQ(other->ColumnByIndex(1), "3");
    EXPECT_EQ(second->CloseCursor(other), 1);
    EXPECT_EQ(second->CloseCursor(other), 0);
    first->Destroy(3);
    second->Destroy(3);
}

}  // namespace
