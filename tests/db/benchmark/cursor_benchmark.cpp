// Reading 100,000 rows of 10 mixed columns from MariaDB: OdbcCursor beside a plain SQLFetch/SQLGetData
// loop over the same query on the same driver, in the same run; and the heap allocations made while
// the rows are walked (every malloc of the process is counted, the drivers' included).
// Run by scripts/bench-db.sh, which starts a throwaway server; not a test.
#include "db/odbc_api.h"
#include "db/odbc_connection.h"
#include "db/odbc_cursor.h"
#include "tests/db/test_server.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include <algorithm>

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* block, size_t size);
void __libc_free(void* block);
}

namespace {

bool counting = false;
long allocations = 0;

double Now()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + (double)t.tv_nsec / 1e9;
}

const char* const query = "select * from mvbench.t";
const int rowCount = 100000;

struct Figures {
    long rows;
    double seconds;
    long allocations;
    unsigned long checksum;  // so that no read can be left out
};

Figures ReadWithCursor(OdbcConnection* connection)
{
    Figures figures{};
    OdbcCursor* cursor = connection->OpenCursor(query);
    double start = Now();
    allocations = 0;
    counting = true;
    while (cursor->status == 0) {
        for (int i = 1; i <= cursor->columnCount; i++) figures.checksum += (unsigned char)cursor->ColumnByIndex(i)[0];
        figures.rows++;
        cursor->Fetch(1);
    }
    counting = false;
    figures.allocations = allocations;
    figures.seconds = Now() - start;
    connection->CloseCursor(cursor);
    return figures;
}

Figures ReadWithPlainLoop(OdbcConnection* connection)
{
    Figures figures{};
    SQLHSTMT statement = SQL_NULL_HSTMT;
    odbcApi.SQLAllocHandle(SQL_HANDLE_STMT, connection->connection, &statement);
    odbcApi.SQLExecDirect(statement, (SQLCHAR*)query, SQL_NTS);
    SQLSMALLINT columns = 0;
    odbcApi.SQLNumResultCols(statement, &columns);
    static char values[16][258];
    double start = Now();
    allocations = 0;
    counting = true;
    while (SQL_SUCCEEDED(odbcApi.SQLFetch(statement))) {
        for (int i = 1; i <= columns; i++) {
            SQLLEN indicator = 0;
            values[i][0] = '\0';
            odbcApi.SQLGetData(statement, (SQLUSMALLINT)i, SQL_C_CHAR, values[i], sizeof values[i], &indicator);
            figures.checksum += (unsigned char)values[i][0];
        }
        figures.rows++;
    }
    counting = false;
    figures.allocations = allocations;
    figures.seconds = Now() - start;
    odbcApi.SQLFreeHandle(SQL_HANDLE_STMT, statement);
    return figures;
}

}  // namespace

extern "C" {
void* malloc(size_t size)
{
    if (counting) allocations++;
    return __libc_malloc(size);
}
void* calloc(size_t count, size_t size)
{
    if (counting) allocations++;
    return __libc_calloc(count, size);
}
void* realloc(void* block, size_t size)
{
    if (counting) allocations++;
    return __libc_realloc(block, size);
}
void free(void* block) { __libc_free(block); }
}

int main()
{
    TestServer server = ReadTestServer();
    if (!server.error.empty()) {
        fprintf(stderr, "%s\n", server.error.c_str());
        return 1;
    }
    if (!LoadOdbcApi()) {
        fprintf(stderr, "the driver manager could not be bound\n");
        return 1;
    }
    OdbcConnection* connection = static_cast<OdbcConnection*>(malloc(sizeof(OdbcConnection)));
    connection->Init(server.dsn.c_str(), server.user.c_str(), server.password.c_str(), 0);
    SQLRETURN opened = connection->Open("", "");
    if (opened != 0 && opened != 1) {
        fprintf(stderr, "cannot connect\n");
        return 1;
    }
    const char* setup[] = {
        "create database if not exists mvbench",
        "drop table if exists mvbench.t",
        "create table mvbench.t (id int, big bigint, amount decimal(12,2), ratio double, code char(10), "
        "name varchar(40), note varchar(100), day date, stamp datetime, flag tinyint)",
        "insert into mvbench.t select seq, seq * 1000003, seq / 7, seq / 3.0, concat('C', seq % 1000), "
        "concat('Name number ', seq), repeat('n', seq % 100), '2024-01-01' + interval seq % 3000 day, "
        "'2024-01-01 08:00:00' + interval seq minute, seq % 2 from mvbench.seq_1_to_100000",
    };
    for (const char* statement : setup) {
        if (connection->ExecDirect(statement, 0) != 0) {
            fprintf(stderr, "setup failed: %s\n", statement);
            return 1;
        }
    }

    // Alternating rounds; the best of each side counts.
    Figures bestCursor{}, bestPlain{};
    bestCursor.seconds = bestPlain.seconds = 1e9;
    for (int round = 0; round < 3; round++) {
        Figures plain = ReadWithPlainLoop(connection);
        Figures cursor = ReadWithCursor(connection);
        if (plain.rows != rowCount || cursor.rows != rowCount || plain.checksum != cursor.checksum) {
            fprintf(stderr, "the two readers disagree: %ld/%ld rows\n", plain.rows, cursor.rows);
            return 1;
        }
        if (plain.seconds < bestPlain.seconds) bestPlain = plain;
        if (cursor.seconds < bestCursor.seconds) bestCursor = cursor;
    }
    printf("rows read per pass: %d (10 columns, as character data)\n", rowCount);
    printf("plain SQLFetch/SQLGetData loop: %.0f rows/s (%.3f s), %ld heap allocations while walking\n",
           rowCount / bestPlain.seconds, bestPlain.seconds, bestPlain.allocations);
    printf("OdbcCursor Fetch(1) loop:       %.0f rows/s (%.3f s), %ld heap allocations while walking\n",
           rowCount / bestCursor.seconds, bestCursor.seconds, bestCursor.allocations);
    printf("cursor / plain: %.3f\n", bestPlain.seconds / bestCursor.seconds);
    connection->ExecDirect("drop database mvbench", 0);
    connection->Destroy(3);
    UnloadOdbcApi();
    return 0;
}
