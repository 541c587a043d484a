// OdbcConnection and OdbcCursor through the real driver manager against the SQL Server stand-in
// driver (tests/db/sqlserver_standin): what reaches the driver, and how driver answers are read.
#include "tests/db/db_test_support.h"
#include "tests/db/sqlserver_standin/standin_files.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

class StandIn : public ::testing::Test {
protected:
    void SetUp() override
    {
        KeepOdbcLibrariesMapped();
        ASSERT_EQ(LoadOdbcApi(), 1);
    }
    void TearDown() override { UnloadOdbcApi(); }

    // Seeds the state; the login sa/geheim always exists.
    void Seed(const std::string& dbms, const std::string& more = "")
    {
        ASSERT_TRUE(SeedStandIn("dbms\t" + dbms + "\nlogin\tsa\tgeheim\tsysadmin\n" + more));
    }
    std::vector<std::string> Calls(const std::string& prefix) { return StandInCalls(prefix); }
    OdbcConnection* Open(const std::string& dataSource, const char* password = "geheim")
    {
        OdbcConnection* connection = NewConnection(dataSource, "sa", password, 0);
        connection->Open("", "");
        return connection;
    }
};

// The SqlServer kind: an ODBC 2 environment, autocommit on, the cursor's attributes in order with
// the fetched-rows target written by the driver. Values: bits in the driver's T/F/-1
// forms, sizes adjusted, a value longer than its room cut, a name longer than 255 cut, NULL empty.
// A failing statement shows the driver's message; a box without a diagnostic says so.
TEST_F(StandIn, SqlServerCursorSetUpAndValues)
{
    std::string longName(300, 'c'), longValue(300, 'v');
    Seed("Microsoft SQL Server",
         "result\tselect * from t\ncolumn\tflag\t-7\t1\ncolumn\tshort\t12\t10\ncolumn\tzero\t12\t0\n"
         "column\tbig\t-1\t1000\ncolumn\t" + longName + "\t4\t10\n"
         "row\tT\t" + longValue + "\t" + longValue + "\tx\t1\nrow\tF\t\\N\ta\tb\t2\nrow\t-1\tq\tr\ts\t3\n"
         "row\tTrue\t\t\t\t4\nrow\t0\t\t\t\t5\n"
         "table\tkonyv\tTABLE\ntable\tsysobjects\tSYSTEM TABLE\ntable\tnaplo\tVIEW\n");
    OdbcBoxLog boxes;
    OdbcConnection* connection = Open("MV_MSSQL");
    EXPECT_EQ(connection->kind, DatabaseKind::SqlServer);
    // Read with the driver manager's SQLFetch, whose driver entry calls the driver's SQLFetchScroll.
    ASSERT_EQ(connection->tableList.count, 2);
    EXPECT_EQ(std::string(connection->tableList.names[0]) + "|" + connection->tableList.names[1], "konyv|naplo");
    EXPECT_EQ(Calls("SQLConnect "), (std::vector<std::string>{"MV_MSSQL|sa|geheim"}));
    EXPECT_EQ(Calls("SQLSetConnectAttr 102 "), (std::vector<std::string>{"1 0"}));
    // An ODBC 2 environment: the driver manager tells the driver so, and the program's later request
    // for ODBC 3 stays with the driver manager, which refuses it once connected.
    EXPECT_EQ(Calls("SQLSetEnvAttr 200 "), (std::vector<std::string>{"2 0"}));

    OdbcCursor* cursor = connection->OpenCursor("select * from t");
    ASSERT_EQ(cursor->status, 0);
    EXPECT_EQ(Calls("SQLSetStmtAttr "),
              (std::vector<std::string>{"6 1 0", "27 1 -6", "5 0 -5", "26 pointer -4"}));
    EXPECT_EQ(cursor->rowStatus, 1u);
    EXPECT_EQ(std::vector<uint32_t>(cursor->columnSizes, cursor->columnSizes + 5),
              (std::vector<uint32_t>{32, 32, 255, 65535, 32}));
    EXPECT_EQ(std::string(cursor->columnNames[4]), longName.substr(0, 255));
    EXPECT_EQ(RemainingRows(cursor), (std::vector<std::string>{"1|" + longValue.substr(0, 33) + "|" +
                                                                   longValue.substr(0, 256) + "|x|1",
                                                               "0||a|b|2", "11|q|r|s|3", "1rue||||4", "0||||5"}));
    EXPECT_EQ(cursor->rowStatus, 0u);
    EXPECT_EQ(boxes.Count(), 0u);

    OdbcCursor* failed = connection->OpenCursor("select nothing");
    EXPECT_EQ(failed->status, SQL_ERROR);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_NE(boxes.Boxes()[0].text.find("Incorrect syntax near 'select nothing'"), std::string::npos)
        << boxes.Boxes()[0].text;
    EXPECT_EQ(connection->ExecDirect("EXEC sp_addlogin 'sa', @passwd = 'x'", 1), SQL_ERROR);
    ASSERT_EQ(boxes.Count(), 2u);
    EXPECT_NE(boxes.Boxes()[1].text.find("The server principal 'sa' already exists."), std::string::npos);
    EXPECT_EQ(Calls("SQLEndTran").size(), 0u);

    ShowOdbcError(connection->environment, connection->connection, nullptr, nullptr);  // nothing to report
    ASSERT_EQ(boxes.Count(), 3u);
    EXPECT_EQ(boxes.Boxes()[2].caption, "ODBC error");
    EXPECT_FALSE(boxes.Boxes()[2].text.empty());
    connection->Destroy(3);
}

// A backup waiting in the driver is stopped from another thread through the driver manager: the
// waiting call fails, the server drops the file. The WITH list is read in any order, an unknown
// option refused.
TEST_F(StandIn, ACancelFromAnotherThreadStopsAWaitingBackup)
{
    const std::string file = StandInPath(".bak"), backup = "BACKUP DATABASE [db] TO DISK = '" + file + "' WITH ";
    Seed("Microsoft SQL Server", "database\tdb\nbackup\t2\t20000\t0\n");
    OdbcBoxLog boxes;
    OdbcConnection* connection = Open("MV_MSSQL");
    EXPECT_EQ(connection->ExecDirect((backup + "NOSKIP, ZIP").c_str(), 0), SQL_ERROR);
    SQLHSTMT handle;
    ASSERT_EQ(connection->AllocateStatement(&handle), SQL_SUCCESS);
    std::atomic<bool> ended(false);
    std::thread canceller([&] {
        for (; !ended; std::this_thread::sleep_for(std::chrono::milliseconds(100))) connection->Cancel(handle);
    });
    EXPECT_EQ(connection->RunToEnd(handle, (backup + "STATS = 10, CHECKSUM, INIT").c_str(), nullptr, nullptr, nullptr),
              SQL_ERROR);
    ended = true;
    canceller.join();
    connection->EndStatement(handle, SQL_ERROR, nullptr);  // shows the waiting call's failure
    EXPECT_TRUE(!PathExists(file) && !Calls("SQLCancel").empty());
    ASSERT_EQ(boxes.Count(), 2u);
    EXPECT_NE((boxes.Boxes()[0].text + boxes.Boxes()[1].text).find("'ZIP' is not a recognized BACKUP option."
                                                                   "[Microsoft][SQL Server]Operation canceled"), std::string::npos);
    connection->Destroy(3);
}

// Every DBMS name of the kind table, through a real connect; the extra call of the MySQL kind; a
// name of 255 characters stays inside its buffer (cut by the driver to 254).
TEST_F(StandIn, ClassifiesTheDbmsNames)
{
    struct Case {
        std::string dbms;
        DatabaseKind kind;
        int initialFetch;
    } cases[] = {{"Microsoft SQL Server", DatabaseKind::SqlServer, 1}, {"InterBase", DatabaseKind::InterBase, 1},
                 {"SAP DB", DatabaseKind::Sap, 0},         {"MySQL", DatabaseKind::MySql, 0},
                 {"ACCESS", DatabaseKind::Access, 1},      {"EXCEL", DatabaseKind::Excel, 1},
                 {"TEXT", DatabaseKind::Text, 1},          {"DBF", DatabaseKind::DBase, 1},
                 {"dBASE IV", DatabaseKind::DBase, 1},     {"PostgreSQL", DatabaseKind::Other, 1},
                 {std::string(245, 'x') + "SQL Server", DatabaseKind::Other, 1}};
    for (const Case& c : cases) {
        Seed(c.dbms);
        OdbcConnection* connection = Open("MV_MSSQL");
        EXPECT_EQ(connection->kind, c.kind) << c.dbms;
        EXPECT_EQ(connection->initialFetch, c.initialFetch) << c.dbms;
        EXPECT_EQ(std::string(connection->dbmsName), c.dbms.substr(0, 254));
        EXPECT_EQ(Calls("SQLSetConnectAttr 108 ").size(), c.kind == DatabaseKind::MySql ? 1u : 0u) << c.dbms;
        connection->Destroy(3);
    }
}

// Data files connect through their driver's connection string, exactly, without the account; the
// data-file cursor attributes; data sources too long for the working buffers are refused.
TEST_F(StandIn, DataFilesConnectByConnectionString)
{
    struct Case {
        std::string dataSource;
        std::string connectionString;
    } cases[] = {
        {"C:\\Data\\Sales.MDB", "Driver={Microsoft Access Driver (*.mdb)};DBQ=C:\\Data\\Sales.MDB"},
        {"C:\\Data\\*.dbf", "Driver={Microsoft dBASE Driver (*.dbf)};DBQ=C:\\Data\\;DriverID=277"},
        {"C:\\Data\\book.xls.old\\x", "Driver={Microsoft Excel Driver (*.xls)};DBQ=C:\\Data\\book.xls.old\\x;DriverID=790"},
    };
    OdbcBoxLog boxes;
    for (const Case& c : cases) {
        Seed("ACCESS", "result\tselect 1\ncolumn\tn\t4\t10\nrow\t1\n");
        OdbcConnection* connection = Open(c.dataSource);
        EXPECT_EQ(Calls("SQLDriverConnect "), (std::vector<std::string>{c.connectionString + "|0"}));
        EXPECT_EQ(Calls("SQLConnect").size(), 0u);
        EXPECT_EQ(Calls("SQLSetConnectAttr 101 ").size(), c.dataSource.find(".xls") != std::string::npos ? 1u : 0u);
        EXPECT_EQ(connection->kind, DatabaseKind::Access);
        EXPECT_EQ(connection->OpenCursor("select 1")->status, 0);
        connection->Destroy(3);
    }
    EXPECT_EQ(Calls("SQLSetStmtAttr "),
              (std::vector<std::string>{"-1 1 0", "-2 2 0", "7 2 0", "6 1 0", "27 1 0", "25 pointer 0", "1 0 0",
                                        "12 2 0", "16 pointer 0", "23 pointer 0"}));
    EXPECT_EQ(boxes.Count(), 0u);

    // Refused before any driver call: a path whose connection string passes 259 characters, and a
    // data source longer than 255 characters.
    for (const std::string& dataSource : {"C:\\" + std::string(210, 'd') + ".mdb", std::string(256, 'n')}) {
        boxes.Clear();
        Seed("ACCESS");
        OdbcConnection* connection = Open(dataSource);
        EXPECT_EQ(Calls("SQLDriverConnect").size() + Calls("SQLConnect").size(), 0u);
        EXPECT_TRUE(connection->environment == nullptr && connection->connection == nullptr);
        ASSERT_EQ(boxes.Count(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].caption, "ODBC error");
        EXPECT_NE(boxes.Boxes()[0].text.find(dataSource.size() > 255 ? "255" : "259"), std::string::npos);
        connection->Destroy(3);
    }
}

}  // namespace
