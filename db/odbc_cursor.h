// OdbcCursor: one executed SELECT with its current row. Created and executed only by
// OdbcConnection::OpenCursor, destroyed by OdbcConnection::CloseCursor or the connection's Destroy.
// Every column of the current row is read as character data into a buffer allocated when the
// statement is described, so moving through the rows allocates nothing.
#pragma once

#include "db/odbc_connection.h"

#include <stdint.h>

enum {
    odbcColumnNameCapacity = 256,  // each column name, terminator included
};

struct OdbcCursor {
    int status;                   // last execution or fetch: 0 a row is current, 100 none, other error
    DatabaseKind kind;            // of the connection at creation
    SQLSMALLINT columnCount;      // 0 until described
    SQLHENV environment;          // the connection's, not owned
    SQLHDBC connection;           // the connection's, not owned
    SQLHSTMT statementHandle;     // owned; null until executed and after FreeStatement
    char* name;                   // "tem2<n>"
    char* statement;              // the SQL text, executed again after a commit or rollback
    char** columnNames;           // columnCount texts of odbcColumnNameCapacity bytes
    char** values;                // columnCount texts, each columnSizes[i] + 2 bytes
    SQLSMALLINT* sqlTypes;        // ODBC SQL type codes
    uint32_t* columnSizes;        // as described, adjusted: 0 -> 255, < 32 -> 32, > 256 -> 65535
    SQLSMALLINT* decimalDigits;
    char emptyText[1];            // what the lookups return when there is no value
    // Targets of the pointer attributes. Wide enough for what a 64-bit driver writes through
    // SQL_ATTR_ROWS_FETCHED_PTR (an SQLULEN) and SQL_ATTR_ROW_BIND_OFFSET_PTR.
    SQLULEN rowStatus;
    SQLLEN bookmark;
    SQLLEN bindOffset;
    int initialFetch;             // relative offset used at the last execution; 1 before the first

    // Copies the texts (null counts as empty), clears the handle, columns and bookmark; initial
    // fetch 1. No ODBC call. Returns this.
    OdbcCursor* Init(SQLHENV environment, SQLHDBC connection, const char* statement, const char* name,
                     DatabaseKind kind);
    // Allocates a statement handle, sets the kind's statement attributes, executes the statement
    // (1 is stored as 0), describes the columns and makes the first row current. A failing execution
    // is shown. Returns the status.
    int Execute(int initialFetch);
    int Status() const { return status; }
    // Moves count rows (relative), 0 re-reads the current position, a negative count moves back;
    // running off the start leaves the first row current with status 100. Returns the last
    // SQLFetchScroll result. A fetch failure is not shown: the status carries it, the values are
    // empty.
    int Fetch(int count);
    // The current row's text for the column; never null. A name starting with a backquote matches a
    // column whose whole name begins the text after the backquote ("`User`" finds User).
    const char* ColumnByName(const char* columnName);
    // The current row's text for column number index (from 1); never null.
    const char* ColumnByIndex(int index);
    // Frees the statement handle if one is set; status, columns and values stay.
    void FreeStatement();
    // Frees the statement handle, texts and column arrays; bit 0 of flags also frees the object
    // (which must come from malloc).
    void Destroy(int flags);

    // Internal steps, public for the tests.
    void SetStatementAttributes();
    void DescribeColumns();
    void ReadValues();
    void ClearValues();
    void FreeColumns();
};
