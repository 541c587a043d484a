#include "db/odbc_connection.h"

#include "db/odbc_api.h"
#include "db/odbc_cursor.h"
#include "support/bounded_text.h"

#include <ctype.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

// Counts automatic cursor names for the whole program; never reset.
unsigned cursorNameCounter = 0;

// The one buffer ShowOdbcError reads a diagnostic into.
char odbcErrorText[256];

const char* const odbcErrorCaption = "ODBC error";
const char* const noDiagnosticText = "Az ODBC-illesztőprogram nem adott hibaüzenetet.";
const char* const dataSourceTooLongText =
    "Az adatforrás neve túl hosszú (legfeljebb 255 karakter lehet); a kapcsolódás elmaradt.";
const char* const connectionStringTooLongText =
    "Az adatfájl elérési útja túl hosszú a kapcsolódási szöveghez (legfeljebb 259 karakter lehet); "
    "a kapcsolódás elmaradt.";
const char* const accountTooLongText =
    "A felhasználói azonosító vagy a jelszó túl hosszú; a kapcsolódás elmaradt.";
const char* const outOfMemoryText = "Nincs elég memória az adatbázis-kapcsolathoz.";

// An informational message is read into this many bytes; at most this many are read per result.
const int odbcMessageCapacity = 1024;
const int odbcMessageRecordLimit = 64;

bool Succeeded(SQLRETURN result) { return result == SQL_SUCCESS || result == SQL_SUCCESS_WITH_INFO; }

// Column names compared as the servers do, without regard to (ASCII) letter case.
bool SameName(const char* a, const char* b)
{
    for (; *a && tolower((unsigned char)*a) == tolower((unsigned char)*b); a++, b++) {}
    return *a == *b;
}

// An owned, empty text of capacity bytes.
char* EmptyBuffer(size_t capacity)
{
    char* buffer = static_cast<char*>(malloc(capacity));
    if (buffer) buffer[0] = '\0';
    return buffer;
}

void ReplaceText(char*& field, const char* text)
{
    char* copy = DuplicateText(text);
    if (!copy) return;  // out of memory: keep the old value
    free(field);
    field = copy;
}

template <typename T>
bool Append(T**& items, int& count, int& capacity, T* item)
{
    if (count == capacity) {
        int grown = capacity ? capacity * 2 : 8;
        T** larger = static_cast<T**>(realloc(items, (size_t)grown * sizeof(T*)));
        if (!larger) return false;
        items = larger;
        capacity = grown;
    }
    items[count++] = item;
    return true;
}

void ClearTableList(TableList& list)
{
    for (int i = 0; i < list.count; i++) free(list.names[i]);
    list.count = 0;
}

// What OpenCursor hands out when no cursor could be allocated: a failed, empty cursor that belongs
// to no connection (CloseCursor answers 0 for it).
OdbcCursor* UnavailableCursor()
{
    static OdbcCursor cursor;
    cursor.Init(SQL_NULL_HENV, SQL_NULL_HDBC, nullptr, nullptr, DatabaseKind::Other);
    cursor.status = SQL_ERROR;
    free(cursor.name);
    free(cursor.statement);
    cursor.name = nullptr;
    cursor.statement = nullptr;
    return &cursor;
}

// Length of a text as an ODBC small length; -1 when it does not fit.
int SmallLength(const char* text)
{
    size_t length = strlen(text);
    return length > SHRT_MAX ? -1 : (int)length;
}

OdbcMessageSink redirectedSink = nullptr;
void* redirectedContext = nullptr;

}  // namespace

void RedirectOdbcMessages(OdbcMessageSink sink, void* context)
{
    redirectedSink = sink;
    redirectedContext = context;
}

void ShowOdbcMessage(const char* text, HWND owner)
{
    if (redirectedSink) {
        redirectedSink(redirectedContext, 0, text && text[0] ? text : noDiagnosticText);
        return;
    }
    // A wait cursor set by the caller must not stay over the box.
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    MessageBoxA(owner, text && text[0] ? text : noDiagnosticText, odbcErrorCaption, MB_SYSTEMMODAL);
}

void ShowOdbcError(SQLHENV environment, SQLHDBC connection, SQLHSTMT statement, HWND owner)
{
    SQLCHAR state[6] = "";
    SQLINTEGER nativeError = 0;
    SQLSMALLINT length = 0;
    odbcErrorText[0] = '\0';
    SQLRETURN result = SQL_ERROR;
    if (odbcApi.SQLError)
        result = odbcApi.SQLError(environment, connection, statement, state, &nativeError,
                                  reinterpret_cast<SQLCHAR*>(odbcErrorText), sizeof odbcErrorText, &length);
    odbcErrorText[sizeof odbcErrorText - 1] = '\0';  // terminated whatever the driver wrote
    ShowOdbcMessage(Succeeded(result) ? odbcErrorText : "", owner);
}

DatabaseKind ClassifyDbmsName(const char* lowerName, int* initialFetch)
{
    struct KindRow {
        const char* text;
        DatabaseKind kind;
        int initialFetch;
    };
    static const KindRow rows[] = {
        {"sql server", DatabaseKind::SqlServer, 1}, {"interbase", DatabaseKind::InterBase, 1},
        {"sap", DatabaseKind::Sap, 0},              {"mysql", DatabaseKind::MySql, 0},
        {"access", DatabaseKind::Access, 1},        {"excel", DatabaseKind::Excel, 1},
        {"text", DatabaseKind::Text, 1},            {"dbf", DatabaseKind::DBase, 1},
        {"dbase", DatabaseKind::DBase, 1},
    };
    for (const KindRow& row : rows) {
        if (strstr(lowerName, row.text)) {
            *initialFetch = row.initialFetch;
            return row.kind;
        }
    }
    *initialFetch = 1;
    return DatabaseKind::Other;
}

int BuildDataFileConnectionString(const char* dataSource, const char* lowerDataSource, char* target,
                                  size_t capacity)
{
    if (capacity == 0) return 0;
    target[0] = '\0';
    int written;
    if (strstr(lowerDataSource, ".mdb")) {
        written = snprintf(target, capacity, "Driver={Microsoft Access Driver (*.mdb)};DBQ=%s", dataSource);
    } else if (strstr(lowerDataSource, "*.dbf")) {
        // The folder: the data source without its last five characters (the "*.dbf" pattern).
        size_t length = strlen(dataSource);
        int folderLength = (int)(length >= 5 ? length - 5 : 0);
        written = snprintf(target, capacity, "Driver={Microsoft dBASE Driver (*.dbf)};DBQ=%.*s;DriverID=277",
                           folderLength, dataSource);
    } else if (strstr(lowerDataSource, ".xls")) {
        written = snprintf(target, capacity, "Driver={Microsoft Excel Driver (*.xls)};DBQ=%s;DriverID=790",
                           dataSource);
    } else {
        return 0;
    }
    if (written < 0 || (size_t)written >= capacity) {
        target[0] = '\0';  // refused: a cut path would name another file
        return 0;
    }
    return 1;
}

OdbcConnection* OdbcConnection::Init(const char* dataSourceText, const char* userIdText,
                                     const char* passwordText, int manualCommitFlag)
{
    environment = SQL_NULL_HENV;
    connection = SQL_NULL_HDBC;
    dataSource = DuplicateText(dataSourceText);
    password = DuplicateText(passwordText);
    userId = DuplicateText(userIdText);
    kind = DatabaseKind::Other;
    dbmsName = EmptyBuffer(odbcNameCapacity);
    tableList = TableList{};
    cursors = CursorList{};
    completedConnection = EmptyBuffer(odbcCompletedConnectionCapacity);
    lowerDbmsName = EmptyBuffer(odbcNameCapacity);
    lowerDataSource = EmptyBuffer(odbcNameCapacity);
    initialFetch = 1;
    manualCommit = manualCommitFlag ? 1 : 0;
    return this;
}

SQLRETURN OdbcConnection::Open(const char* userIdText, const char* passwordText)
{
    if (userIdText && *userIdText) ReplaceText(userId, userIdText);
    if (passwordText && *passwordText) ReplaceText(password, passwordText);
    if (!dataSource || !password || !userId || !dbmsName || !completedConnection || !lowerDbmsName ||
        !lowerDataSource) {
        ShowOdbcMessage(outOfMemoryText, GetActiveWindow());
        return SQL_ERROR;
    }
    SQLRETURN result = odbcApi.SQLAllocEnv(&environment);
    if (!Succeeded(result)) {
        ShowOdbcError(environment, SQL_NULL_HDBC, SQL_NULL_HSTMT, GetActiveWindow());
        return result;
    }
    return Connect();
}

SQLRETURN OdbcConnection::Connect()
{
    SQLRETURN result =
        environment ? odbcApi.SQLAllocHandle(SQL_HANDLE_DBC, environment, &connection) : SQL_INVALID_HANDLE;
    if (!Succeeded(result)) {
        ShowOdbcError(environment, connection, SQL_NULL_HSTMT, GetActiveWindow());
        return result;
    }

    // A data source that does not fit the working copy is refused rather than cut: a cut name
    // could hide the data-file extension or name another source.
    bool refused = false;
    const char* refusal = nullptr;
    if (!TextFits(dataSource, odbcNameCapacity)) {
        refused = true;
        refusal = dataSourceTooLongText;
    } else {
        CopyText(lowerDataSource, odbcNameCapacity, dataSource);
        CharLowerA(lowerDataSource);
        if (strstr(lowerDataSource, ".mdb") || strstr(lowerDataSource, "*.dbf") || strstr(lowerDataSource, ".xls")) {
            // A data file: connected through its driver; the user ID and password are not used.
            char connectionString[odbcConnectionStringCapacity];
            if (!BuildDataFileConnectionString(dataSource, lowerDataSource, connectionString,
                                               sizeof connectionString)) {
                refused = true;
                refusal = connectionStringTooLongText;
            } else {
                SQLSMALLINT completedLength = 0;
                completedConnection[0] = '\0';
                result = odbcApi.SQLDriverConnect(
                    connection, nullptr, reinterpret_cast<SQLCHAR*>(connectionString),
                    (SQLSMALLINT)strlen(connectionString), reinterpret_cast<SQLCHAR*>(completedConnection),
                    odbcCompletedConnectionCapacity, &completedLength, SQL_DRIVER_NOPROMPT);
                completedConnection[odbcCompletedConnectionCapacity - 1] = '\0';
            }
        } else {
            int userLength = SmallLength(userId);
            int passwordLength = SmallLength(password);
            if (userLength < 0 || passwordLength < 0) {
                refused = true;
                refusal = accountTooLongText;
            } else {
                result = odbcApi.SQLConnect(connection, reinterpret_cast<SQLCHAR*>(dataSource),
                                            (SQLSMALLINT)strlen(dataSource), reinterpret_cast<SQLCHAR*>(userId),
                                            (SQLSMALLINT)userLength, reinterpret_cast<SQLCHAR*>(password),
                                            (SQLSMALLINT)passwordLength);
            }
        }
    }
    if (refused) {
        ShowOdbcMessage(refusal, GetActiveWindow());
        result = SQL_ERROR;
    } else if (!Succeeded(result)) {
        ShowOdbcError(environment, connection, SQL_NULL_HSTMT, GetActiveWindow());
    }
    if (!Succeeded(result)) {
        odbcApi.SQLFreeHandle(SQL_HANDLE_DBC, connection);
        connection = SQL_NULL_HDBC;
        odbcApi.SQLFreeHandle(SQL_HANDLE_ENV, environment);
        environment = SQL_NULL_HENV;
        return result;
    }

    // The driver cuts a longer name to the buffer; the last byte is terminated whatever it wrote.
    SQLSMALLINT nameLength = 0;
    dbmsName[0] = '\0';
    odbcApi.SQLGetInfo(connection, SQL_DBMS_NAME, dbmsName, odbcNameCapacity - 1, &nameLength);
    dbmsName[odbcNameCapacity - 1] = '\0';
    odbcApi.SQLSetConnectAttr(connection, SQL_ATTR_AUTOCOMMIT,
                              (SQLPOINTER)(uintptr_t)(manualCommit == 1 ? SQL_AUTOCOMMIT_OFF : SQL_AUTOCOMMIT_ON), 0);
    if (strstr(lowerDataSource, ".xls"))
        odbcApi.SQLSetConnectAttr(connection, SQL_ATTR_ACCESS_MODE, (SQLPOINTER)(uintptr_t)SQL_MODE_READ_WRITE, 0);

    CopyText(lowerDbmsName, odbcNameCapacity, dbmsName);
    CharLowerA(lowerDbmsName);
    int fetch = 1;
    DatabaseKind found = ClassifyDbmsName(lowerDbmsName, &fetch);
    initialFetch = fetch;
    if (found != DatabaseKind::Other) kind = found;  // an unknown name leaves the kind as it was
    switch (found) {
    case DatabaseKind::SqlServer:
    case DatabaseKind::InterBase:
    case DatabaseKind::Sap:
        odbcApi.SQLSetEnvAttr(environment, SQL_ATTR_ODBC_VERSION, (SQLPOINTER)(uintptr_t)SQL_OV_ODBC3,
                              SQL_IS_INTEGER);
        break;
    case DatabaseKind::MySql:
        odbcApi.SQLSetConnectAttr(connection, SQL_ATTR_TXN_ISOLATION,
                                  (SQLPOINTER)(uintptr_t)SQL_TXN_READ_COMMITTED, 0);
        break;
    default: break;
    }

    LoadTableList();
    return result;
}

int OdbcConnection::LoadTableList()
{
    ClearTableList(tableList);
    SQLHSTMT statement = SQL_NULL_HSTMT;
    SQLRETURN result =
        connection ? odbcApi.SQLAllocHandle(SQL_HANDLE_STMT, connection, &statement) : SQL_INVALID_HANDLE;
    if (!Succeeded(result)) {
        ShowOdbcError(environment, connection, statement, GetActiveWindow());
        return 0;
    }
    int kept = 0;
    result = odbcApi.SQLTables(statement, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0);
    if (!Succeeded(result)) {
        ShowOdbcError(environment, connection, statement, GetActiveWindow());
    } else {
        char type[odbcNameCapacity];
        while (odbcApi.SQLFetch(statement) == SQL_SUCCESS) {
            char* name = EmptyBuffer(odbcNameCapacity);
            if (!name) break;
            SQLLEN indicator = 0;
            type[0] = '\0';
            // Longer names and types arrive cut to the buffers.
            odbcApi.SQLGetData(statement, 3, SQL_C_CHAR, name, odbcNameCapacity - 1, &indicator);
            odbcApi.SQLGetData(statement, 4, SQL_C_CHAR, type, odbcNameCapacity - 1, &indicator);
            name[odbcNameCapacity - 1] = '\0';
            type[odbcNameCapacity - 1] = '\0';
            if (strcmp(type, "SYSTEM TABLE") == 0 ||
                !Append(tableList.names, tableList.count, tableList.capacity, name)) {
                free(name);
                continue;
            }
            kept++;
        }
    }
    odbcApi.SQLFreeHandle(SQL_HANDLE_STMT, statement);
    return kept;
}

OdbcCursor* OdbcConnection::OpenCursor(const char* statement)
{
    char name[32];
    snprintf(name, sizeof name, "tem2%u", cursorNameCounter);
    cursorNameCounter++;
    OdbcCursor* cursor = static_cast<OdbcCursor*>(malloc(sizeof(OdbcCursor)));
    if (!cursor) return UnavailableCursor();
    cursor->Init(environment, connection, statement, name, kind);
    if (!Append(cursors.items, cursors.count, cursors.capacity, cursor)) {
        cursor->Destroy(3);
        return UnavailableCursor();
    }
    int status = cursor->Execute(initialFetch);
    if (status != SQL_SUCCESS && status != SQL_SUCCESS_WITH_INFO && status != SQL_NO_DATA) Reconnect();
    return cursor;
}

int OdbcConnection::CloseCursor(OdbcCursor* cursor)
{
    for (int i = 0; i < cursors.count; i++) {
        if (cursors.items[i] != cursor) continue;
        cursor->Destroy(3);
        memmove(&cursors.items[i], &cursors.items[i + 1], (size_t)(cursors.count - i - 1) * sizeof(OdbcCursor*));
        cursors.count--;
        return 1;
    }
    return 0;
}

SQLRETURN OdbcConnection::ExecDirect(const char* statement, int commitAfter)
{
    SQLHSTMT handle = SQL_NULL_HSTMT;
    SQLRETURN result = ExecuteToEnd(statement, &handle, nullptr, nullptr);
    if (!handle) return result;  // no handle: nothing reached the driver, nothing to show
    EndStatement(handle, result, GetActiveWindow());
    if (Succeeded(result) && commitAfter) Commit();
    return result;
}

SQLRETURN OdbcConnection::ReadRows(const char* statement, const char* const* columns, int columnCount, OdbcRowSink onRow,
                                   void* context)
{
    SQLHSTMT handle = SQL_NULL_HSTMT;
    SQLRETURN result = AllocateStatement(&handle);
    if (!handle) return result;
    // Where each named column stands in the result (0: not in it), and its text of the current row.
    int* places = static_cast<int*>(calloc((size_t)columnCount + 1, sizeof(int)));
    char* texts = static_cast<char*>(malloc(((size_t)columnCount + 1) * odbcValueCapacity));
    const char** values = static_cast<const char**>(calloc((size_t)columnCount + 1, sizeof(char*)));
    if (!places || !texts || !values) result = SQL_ERROR;
    else result = odbcApi.SQLExecDirect(handle, reinterpret_cast<SQLCHAR*>(const_cast<char*>(statement ? statement : "")),
                                        SQL_NTS);
    SQLSMALLINT count = 0;
    if (Succeeded(result) && Succeeded(odbcApi.SQLNumResultCols(handle, &count))) {
        for (SQLSMALLINT column = 1; column <= count; column++) {
            char name[odbcColumnNameLimit] = "";
            SQLSMALLINT length = 0, type = 0, digits = 0, nullable = 0;
            SQLULEN size = 0;
            if (!Succeeded(odbcApi.SQLDescribeCol(handle, (SQLUSMALLINT)column, reinterpret_cast<SQLCHAR*>(name), sizeof name,
                                                  &length, &type, &size, &digits, &nullable)))
                continue;
            name[sizeof name - 1] = '\0';
            for (int i = 0; i < columnCount; i++)
                if (!places[i] && SameName(name, columns[i])) places[i] = column;
        }
    }
    SQLRETURN fetched = SQL_NO_DATA;
    while (Succeeded(result) && count > 0 && Succeeded(fetched = odbcApi.SQLFetch(handle))) {
        for (int i = 0; i < columnCount; i++) {
            char* text = texts + (size_t)i * odbcValueCapacity;
            SQLLEN indicator = 0;
            text[0] = '\0';
            if (places[i] && (!Succeeded(odbcApi.SQLGetData(handle, (SQLUSMALLINT)places[i], SQL_C_CHAR, text,
                                                              odbcValueCapacity, &indicator)) ||
                              indicator == SQL_NULL_DATA))
                text[0] = '\0';
            text[odbcValueCapacity - 1] = '\0';
            values[i] = text;
        }
        onRow(context, values);
    }
    if (Succeeded(result) && fetched != SQL_NO_DATA) result = fetched;
    // The rest of what the statement brings, read to its end.
    for (SQLRETURN more = SQL_SUCCESS; Succeeded(result) && Succeeded(more);) {
        more = odbcApi.SQLMoreResults(handle);
        if (!Succeeded(more) && more != SQL_NO_DATA) result = more;
    }
    free(places);
    free(texts);
    free(values);
    EndStatement(handle, result, GetActiveWindow());
    return result;
}

void OdbcConnection::EndStatement(SQLHSTMT handle, SQLRETURN result, HWND owner)
{
    if (!handle) return;
    if (!Succeeded(result)) ShowOdbcError(environment, connection, handle, owner);
    odbcApi.SQLFreeHandle(SQL_HANDLE_STMT, handle);
}

SQLRETURN OdbcConnection::AllocateStatement(SQLHSTMT* handle)
{
    *handle = SQL_NULL_HSTMT;
    SQLRETURN result =
        connection ? odbcApi.SQLAllocHandle(SQL_HANDLE_STMT, connection, handle) : SQL_INVALID_HANDLE;
    if (!Succeeded(result)) *handle = SQL_NULL_HSTMT;
    return result;
}

SQLRETURN OdbcConnection::ExecuteToEnd(const char* statement, SQLHSTMT* handle, OdbcMessageSink onMessage,
                                       void* context)
{
    SQLRETURN result = AllocateStatement(handle);
    return Succeeded(result) ? RunToEnd(*handle, statement, onMessage, context, nullptr) : result;
}

SQLRETURN OdbcConnection::RunToEnd(SQLHSTMT handle, const char* statement, OdbcMessageSink onMessage,
                                   void* context, int* rowResults)
{
    SQLRETURN executed = odbcApi.SQLExecDirect(
        handle, reinterpret_cast<SQLCHAR*>(const_cast<char*>(statement ? statement : "")), SQL_NTS);
    SQLRETURN result;
    for (result = executed; Succeeded(result); result = odbcApi.SQLMoreResults(handle)) {
        if (result == SQL_SUCCESS_WITH_INFO && onMessage) ReadDiagnostics(handle, onMessage, context);
        SQLSMALLINT columns = 0;
        if (rowResults && Succeeded(odbcApi.SQLNumResultCols(handle, &columns)) && columns > 0 &&
            Succeeded(odbcApi.SQLFetch(handle)))
            (*rowResults)++;
    }
    return result == SQL_NO_DATA ? executed : result;
}

void OdbcConnection::ReadDiagnostics(SQLHSTMT handle, OdbcMessageSink sink, void* context)
{
    // Each SQLError call hands over the next record; the bound guards against a driver manager that
    // would repeat one for ever.
    char text[odbcMessageCapacity];
    SQLCHAR state[6];
    SQLINTEGER nativeError = 0;
    SQLSMALLINT length = 0;
    for (int record = 0; record < odbcMessageRecordLimit; record++) {
        text[0] = '\0';
        if (!Succeeded(odbcApi.SQLError(SQL_NULL_HENV, SQL_NULL_HDBC, handle, state, &nativeError,
                                        reinterpret_cast<SQLCHAR*>(text), sizeof text, &length)))
            break;
        text[sizeof text - 1] = '\0';
        sink(context, nativeError, text);
    }
}

SQLRETURN OdbcConnection::Cancel(SQLHSTMT handle)
{
    return handle ? odbcApi.SQLCancel(handle) : SQL_INVALID_HANDLE;
}

SQLRETURN OdbcConnection::EndTransaction(SQLSMALLINT completion)
{
    SQLRETURN result = SQL_SUCCESS;
    if (manualCommit == 1)
        result = connection ? odbcApi.SQLEndTran(SQL_HANDLE_DBC, connection, completion) : SQL_INVALID_HANDLE;
    if (result == SQL_SUCCESS) {
        for (int i = 0; i < cursors.count; i++) {
            cursors.items[i]->FreeStatement();
            cursors.items[i]->Execute(initialFetch);
        }
    }
    return result;
}

SQLRETURN OdbcConnection::Commit() { return EndTransaction(SQL_COMMIT); }

SQLRETURN OdbcConnection::Rollback() { return EndTransaction(SQL_ROLLBACK); }

void OdbcConnection::Reconnect()
{
    for (int i = 0; i < cursors.count; i++) cursors.items[i]->FreeStatement();
    if (connection) {
        odbcApi.SQLDisconnect(connection);
        odbcApi.SQLFreeHandle(SQL_HANDLE_DBC, connection);
        connection = SQL_NULL_HDBC;
    }
    Connect();
    // The cursors keep no handle of the old connection: a later commit or rollback executes them on
    // the new one (or fails with an invalid handle when connecting failed).
    for (int i = 0; i < cursors.count; i++) {
        cursors.items[i]->environment = environment;
        cursors.items[i]->connection = connection;
    }
}

void OdbcConnection::Destroy(int flags)
{
    free(dataSource);
    free(password);
    free(userId);
    free(dbmsName);
    free(completedConnection);
    free(lowerDbmsName);
    free(lowerDataSource);
    dataSource = password = userId = dbmsName = completedConnection = lowerDbmsName = lowerDataSource = nullptr;
    for (int i = 0; i < cursors.count; i++) cursors.items[i]->Destroy(3);
    free(cursors.items);
    cursors = CursorList{};
    ClearTableList(tableList);
    free(tableList.names);
    tableList = TableList{};
    if (connection) {
        odbcApi.SQLDisconnect(connection);
        odbcApi.SQLFreeHandle(SQL_HANDLE_DBC, connection);
        connection = SQL_NULL_HDBC;
    }
    if (environment) {
        odbcApi.SQLFreeHandle(SQL_HANDLE_ENV, environment);
        environment = SQL_NULL_HENV;
    }
    if (flags & 1) free(this);
}
