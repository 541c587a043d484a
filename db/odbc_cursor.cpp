#include "db/odbc_cursor.h"

#include "db/odbc_api.h"
#include "support/bounded_text.h"

#include <stdlib.h>
#include <string.h>

namespace {

// The room a column's value gets beyond its adjusted size: the terminator and one byte more.
const uint32_t valueSlack = 2;

uint32_t AdjustColumnSize(SQLULEN size)
{
    if (size == 0) return 255;
    if (size < 32) return 32;
    if (size > 256) return 65535;
    return (uint32_t)size;
}

// Bit columns read as "T"/"F", "True"/"False" or "-1" by some drivers start with "1" or "0" instead.
// Only the first character changes ("-1" becomes "11"). A driver that hands over the raw byte (MariaDB's
// for BIT(1): one byte, 0 or 1, as the length says) gives "0" or "1".
void NormaliseBit(char* text, SQLLEN length)
{
    if (length == 1 && (text[0] == '\0' || text[0] == '\1')) {
        text[0] = text[0] ? '1' : '0';
        text[1] = '\0';
    } else if (text[0] == 'F') text[0] = '0';
    else if (text[0] == 'T') text[0] = '1';
    else if (strtol(text, nullptr, 10) == -1) text[0] = '1';
}

void SetAttribute(SQLHSTMT statement, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER length)
{
    odbcApi.SQLSetStmtAttr(statement, attribute, value, length);  // a refusal changes nothing here
}

SQLPOINTER Value(SQLULEN value) { return (SQLPOINTER)(uintptr_t)value; }

}  // namespace

OdbcCursor* OdbcCursor::Init(SQLHENV environmentHandle, SQLHDBC connectionHandle, const char* statementText,
                             const char* cursorName, DatabaseKind databaseKind)
{
    status = SQL_SUCCESS;
    kind = databaseKind;
    columnCount = 0;
    environment = environmentHandle;
    connection = connectionHandle;
    statementHandle = SQL_NULL_HSTMT;
    name = DuplicateText(cursorName);
    statement = DuplicateText(statementText);
    columnNames = nullptr;
    values = nullptr;
    sqlTypes = nullptr;
    columnSizes = nullptr;
    decimalDigits = nullptr;
    emptyText[0] = '\0';
    rowStatus = 0;
    bookmark = 0;
    bindOffset = 0;
    initialFetch = 1;
    return this;
}

void OdbcCursor::SetStatementAttributes()
{
    SQLHSTMT h = statementHandle;
    switch (kind) {
    case DatabaseKind::SqlServer:
        SetAttribute(h, SQL_ATTR_CURSOR_TYPE, Value(SQL_CURSOR_KEYSET_DRIVEN), 0);
        SetAttribute(h, SQL_ATTR_ROW_ARRAY_SIZE, Value(1), SQL_IS_INTEGER);
        SetAttribute(h, SQL_ATTR_ROW_BIND_TYPE, Value(SQL_BIND_BY_COLUMN), SQL_IS_UINTEGER);
        SetAttribute(h, SQL_ATTR_ROWS_FETCHED_PTR, &rowStatus, SQL_IS_POINTER);
        break;
    case DatabaseKind::InterBase:
    case DatabaseKind::Sap:
        SetAttribute(h, SQL_ATTR_CURSOR_SCROLLABLE, Value(SQL_SCROLLABLE), 0);
        SetAttribute(h, SQL_ATTR_CURSOR_TYPE, Value(SQL_CURSOR_DYNAMIC), 0);
        SetAttribute(h, SQL_ATTR_ROW_ARRAY_SIZE, Value(1), SQL_IS_INTEGER);
        SetAttribute(h, SQL_ATTR_ROW_BIND_TYPE, Value(SQL_BIND_BY_COLUMN), SQL_IS_UINTEGER);
        SetAttribute(h, SQL_ATTR_ROWS_FETCHED_PTR, &rowStatus, SQL_IS_POINTER);
        break;
    case DatabaseKind::MySql:
    case DatabaseKind::DBase:
    case DatabaseKind::Access:
    case DatabaseKind::Excel:
    case DatabaseKind::Text:
        SetAttribute(h, SQL_ATTR_CURSOR_SCROLLABLE, Value(SQL_SCROLLABLE), 0);
        SetAttribute(h, SQL_ATTR_CURSOR_SENSITIVITY, Value(SQL_SENSITIVE), 0);
        if (kind != DatabaseKind::MySql) SetAttribute(h, SQL_ATTR_CONCURRENCY, Value(SQL_CONCUR_LOCK), 0);
        SetAttribute(h, SQL_ATTR_CURSOR_TYPE, Value(SQL_CURSOR_KEYSET_DRIVEN), 0);
        SetAttribute(h, SQL_ATTR_ROW_ARRAY_SIZE, Value(1), 0);
        SetAttribute(h, SQL_ATTR_ROW_STATUS_PTR, &rowStatus, 0);
        // Every row of a result is read: no row limit.
        SetAttribute(h, SQL_ATTR_MAX_ROWS, Value(0), 0);
        SetAttribute(h, SQL_ATTR_USE_BOOKMARKS, Value(SQL_UB_VARIABLE), 0);
        SetAttribute(h, SQL_ATTR_FETCH_BOOKMARK_PTR, &bookmark, 0);
        SetAttribute(h, SQL_ATTR_ROW_BIND_OFFSET_PTR, &bindOffset, 0);
        break;
    case DatabaseKind::Other:
        break;  // the driver's default cursor
    }
}

int OdbcCursor::Execute(int fetchToFirstRow)
{
    SQLRETURN result =
        connection ? odbcApi.SQLAllocHandle(SQL_HANDLE_STMT, connection, &statementHandle) : SQL_INVALID_HANDLE;
    status = result;
    if (result != SQL_SUCCESS) {
        ClearValues();
        return status;
    }
    SetStatementAttributes();
    result = odbcApi.SQLExecDirect(statementHandle, reinterpret_cast<SQLCHAR*>(statement ? statement : emptyText),
                                   SQL_NTS);
    status = result == SQL_SUCCESS_WITH_INFO ? SQL_SUCCESS : result;
    if (status != SQL_SUCCESS) {
        ClearValues();
        ShowOdbcError(environment, connection, statementHandle, GetActiveWindow());
        return status;
    }
    DescribeColumns();
    Fetch(fetchToFirstRow);
    // Some drivers (MariaDB's among them) leave a fresh result before its first row at relative
    // offset 0; the first row must be current whenever the result has one.
    if (fetchToFirstRow <= 0 && status != SQL_SUCCESS) Fetch(1);
    initialFetch = fetchToFirstRow;
    return status;
}

void OdbcCursor::DescribeColumns()
{
    SQLSMALLINT count = 0;
    SQLRETURN result = odbcApi.SQLNumResultCols(statementHandle, &count);
    status = result;
    if (result != SQL_SUCCESS) return;
    FreeColumns();
    if (count <= 0) {
        status = SQL_SUCCESS_WITH_INFO;
        return;
    }
    columnNames = static_cast<char**>(calloc((size_t)count, sizeof(char*)));
    values = static_cast<char**>(calloc((size_t)count, sizeof(char*)));
    sqlTypes = static_cast<SQLSMALLINT*>(calloc((size_t)count, sizeof(SQLSMALLINT)));
    columnSizes = static_cast<uint32_t*>(calloc((size_t)count, sizeof(uint32_t)));
    decimalDigits = static_cast<SQLSMALLINT*>(calloc((size_t)count, sizeof(SQLSMALLINT)));
    columnCount = count;
    bool complete = columnNames && values && sqlTypes && columnSizes && decimalDigits;
    for (SQLSMALLINT i = 0; complete && i < count; i++) {
        columnNames[i] = static_cast<char*>(malloc(odbcColumnNameCapacity));
        if (!columnNames[i]) {
            complete = false;
            break;
        }
        columnNames[i][0] = '\0';
        SQLSMALLINT nameLength = 0, nullable = 0;
        SQLULEN size = 0;
        // A longer name arrives cut to the buffer.
        odbcApi.SQLDescribeCol(statementHandle, (SQLUSMALLINT)(i + 1), reinterpret_cast<SQLCHAR*>(columnNames[i]),
                               odbcColumnNameCapacity, &nameLength, &sqlTypes[i], &size, &decimalDigits[i],
                               &nullable);
        columnNames[i][odbcColumnNameCapacity - 1] = '\0';
        columnSizes[i] = AdjustColumnSize(size);
        values[i] = static_cast<char*>(malloc(columnSizes[i] + valueSlack));
        if (!values[i]) {
            complete = false;
            break;
        }
        values[i][0] = '\0';
    }
    if (!complete) {  // out of memory: the cursor has no columns and reports a failure
        FreeColumns();
        status = SQL_ERROR;
    }
}

int OdbcCursor::Fetch(int count)
{
    status = SQL_SUCCESS;
    ClearValues();
    SQLRETURN last = SQL_SUCCESS;
    bool readFirstRow = false;  // ran off the start and the first row is current again
    if (!statementHandle) {
        status = last = SQL_INVALID_HANDLE;
    } else if (count == 0) {
        status = last = odbcApi.SQLFetchScroll(statementHandle, SQL_FETCH_RELATIVE, 0);
    } else {
        // A step forward is SQL_FETCH_NEXT, the same move as a relative fetch of 1 (also before the
        // start and after the end): MariaDB's driver walks the result from its start for every
        // relative fetch, which makes reading a result quadratic.
        SQLSMALLINT orientation = count > 0 ? SQL_FETCH_NEXT : SQL_FETCH_RELATIVE;
        SQLLEN offset = count > 0 ? 0 : -1;
        long steps = count > 0 ? (long)count : -(long)count;
        for (long i = 0; i < steps && status != SQL_NO_DATA && status != SQL_ERROR; i++)
            status = last = odbcApi.SQLFetchScroll(statementHandle, orientation, offset);
        if (count < 0 && status == SQL_NO_DATA) {
            last = odbcApi.SQLFetchScroll(statementHandle, SQL_FETCH_FIRST, 0);
            if (last != SQL_SUCCESS && last != SQL_NO_DATA)
                ShowOdbcError(environment, connection, statementHandle, GetActiveWindow());
            else
                readFirstRow = last == SQL_SUCCESS;
        }
    }
    // Past the end nothing is read: every value stays empty.
    if (status == SQL_SUCCESS || readFirstRow) ReadValues();
    return last;
}

void OdbcCursor::ReadValues()
{
    if (!values) return;
    for (SQLSMALLINT i = 0; i < columnCount; i++) {
        char* value = values[i];
        if (status == SQL_SUCCESS) value[0] = '\0';
        SQLLEN indicator = 0;
        // A NULL leaves the text empty; a longer value arrives cut to the room given.
        odbcApi.SQLGetData(statementHandle, (SQLUSMALLINT)(i + 1), SQL_C_CHAR, value, columnSizes[i] + valueSlack,
                           &indicator);
        value[columnSizes[i] + valueSlack - 1] = '\0';  // terminated whatever the driver wrote
        if (sqlTypes[i] == SQL_BIT) NormaliseBit(value, indicator);
    }
}

void OdbcCursor::ClearValues()
{
    if (!values) return;
    for (SQLSMALLINT i = 0; i < columnCount; i++)
        if (values[i]) values[i][0] = '\0';
}

const char* OdbcCursor::ColumnByName(const char* columnName)
{
    if (!columnName || !columnNames || !values) return emptyText;
    bool quoted = columnName[0] == '`';
    const char* wanted = quoted ? columnName + 1 : columnName;
    for (SQLSMALLINT i = 0; i < columnCount; i++) {
        bool matches = quoted ? strncmp(wanted, columnNames[i], strlen(columnNames[i])) == 0
                              : strcmp(wanted, columnNames[i]) == 0;
        if (matches) return values[i];
    }
    return emptyText;
}

const char* OdbcCursor::ColumnByIndex(int index)
{
    if (index < 1 || index > columnCount || !values || !values[index - 1]) return emptyText;
    return values[index - 1];
}

void OdbcCursor::FreeStatement()
{
    if (!statementHandle) return;
    odbcApi.SQLFreeHandle(SQL_HANDLE_STMT, statementHandle);
    statementHandle = SQL_NULL_HSTMT;
}

void OdbcCursor::FreeColumns()
{
    for (SQLSMALLINT i = 0; i < columnCount; i++) {
        if (columnNames) free(columnNames[i]);
        if (values) free(values[i]);
    }
    free(columnNames);
    free(values);
    free(sqlTypes);
    free(columnSizes);
    free(decimalDigits);
    columnNames = nullptr;
    values = nullptr;
    sqlTypes = nullptr;
    columnSizes = nullptr;
    decimalDigits = nullptr;
    columnCount = 0;
}

void OdbcCursor::Destroy(int flags)
{
    FreeStatement();
    free(name);
    free(statement);
    name = nullptr;
    statement = nullptr;
    FreeColumns();
    if (flags & 1) free(this);
}
