// OdbcConnection: the program's one way of talking to a database server. It owns an ODBC 2
// environment, a connection handle, the cursors opened on it and the list of the database's table
// names. Every ODBC call goes through odbcApi; every ODBC failure is shown at once in a system-modal
// "ODBC error" box and its return code handed back (0 and 1 count as success).
#pragma once

#include "support/platform.h"

struct OdbcCursor;

// What the driver's DBMS name says the database is; decides how cursors are set up.
enum class DatabaseKind { Other, SqlServer, InterBase, Sap, MySql, Access, Excel, Text, DBase };

// Capacities of the connection's fixed buffers (terminator included).
enum {
    odbcNameCapacity = 256,              // DBMS name, its lower-case copy, the lower-case data source
    odbcCompletedConnectionCapacity = 2048,
    odbcConnectionStringCapacity = 260,  // a data-file connection string is built in this
    odbcValueCapacity = 1024,            // a value of ReadRows
    odbcColumnNameLimit = 256,           // a column name ReadRows compares
};

// Receives one informational message of a statement: its native error number and text.
typedef void (*OdbcMessageSink)(void* context, SQLINTEGER nativeError, const char* text);

// Receives one row of ReadRows: the texts of the columns asked for, in their order.
typedef void (*OdbcRowSink)(void* context, const char* const* values);

// Owned texts in order of appending.
struct TableList {
    char** names;
    int count;
    int capacity;
};

// Owned cursors in order of opening.
struct CursorList {
    OdbcCursor** items;
    int count;
    int capacity;
};

struct OdbcConnection {
    SQLHENV environment;        // null until Open; cleared when freed
    SQLHDBC connection;         // null until connected; cleared when freed
    char* dataSource;           // a data source name, or the path of a data file
    char* password;             // may be empty
    char* userId;               // may be empty
    DatabaseKind kind;          // Other until the DBMS name has been classified
    char* dbmsName;             // odbcNameCapacity bytes: SQL_DBMS_NAME as the driver reports it
    TableList tableList;        // non-system table names, loaded at every connect; read by nobody
    CursorList cursors;         // every cursor opened here and not yet closed
    char* completedConnection;  // odbcCompletedConnectionCapacity bytes: SQLDriverConnect's output
    char* lowerDbmsName;        // odbcNameCapacity bytes: working copy for the classification
    char* lowerDataSource;      // odbcNameCapacity bytes: working copy for the data-file test
    int initialFetch;           // relative offset a new cursor fetches first: 1, or 0 for MySQL and SAP
    int manualCommit;           // 1: autocommit off, Commit and Rollback end transactions

    // Copies the three texts (null counts as empty), stores manualCommit, clears both handles and
    // allocates the empty buffers and lists. No ODBC call. Returns this.
    OdbcConnection* Init(const char* dataSource, const char* userId, const char* password, int manualCommit);
    // A non-empty argument replaces the stored user ID or password. Allocates the ODBC 2 environment
    // with SQLAllocEnv (no version attribute before connecting) and connects. Returns the SQLRETURN:
    // anything but 0 or 1 is a failed connection, already shown.
    SQLRETURN Open(const char* userId, const char* password);
    // Creates a cursor named "tem2<n>" (n counts program-wide from 0), appends it, executes the
    // statement and makes the first row current. Never null: the caller reads its status (0 a row
    // is current, 100 empty result, anything else a failure already shown, after which the
    // connection has reconnected).
    OdbcCursor* OpenCursor(const char* statement);
    // 1 when the cursor belonged to this connection (it is destroyed and removed), 0 otherwise.
    int CloseCursor(OdbcCursor* cursor);
    // Runs one statement that returns no rows on a statement handle of its own, reading all it
    // brings (ExecuteToEnd); a failure is shown. With commitAfter nonzero a successful statement is
    // followed by Commit.
    SQLRETURN ExecDirect(const char* statement, int commitAfter);
    // Runs statement on a statement handle of its own without any cursor attribute, so its result is
    // the forward-only one that every statement can give (RESTORE HEADERONLY, say, can have no server
    // cursor), and hands each row of its first result to onRow: the columns named (compared without
    // regard to letter case) as text, NULL and a column the result lacks as empty, each read into
    // odbcValueCapacity bytes. Then reads what else the statement brings to its end. A failure is
    // shown over the active window, as ExecDirect shows one. Returns the SQLRETURN.
    SQLRETURN ReadRows(const char* statement, const char* const* columns, int columnCount, OdbcRowSink onRow,
                       void* context);
    // Allocates a statement handle on this connection, showing nothing; *handle is null when none
    // could be had. The caller frees it with EndStatement.
    SQLRETURN AllocateStatement(SQLHSTMT* handle);
    // Executes statement on handle and reads every further result and message until the driver has
    // no more (SQLMoreResults answers SQL_NO_DATA): a server goes on with a statement (a backup, the
    // rest of a batch) only while its results are read, and cancels what is left when the handle is
    // freed or closed early. Stops at the first call that fails, whose code it returns and whose
    // diagnostics stay on handle; otherwise returns what the execution returned. Each informational
    // message (of a call answering SQL_SUCCESS_WITH_INFO) goes to onMessage when one is given. With
    // rowResults given, each result that brings a row adds one to it (its first row is fetched). Shows
    // nothing and touches no window, so another thread may run it while nothing else uses the
    // connection; the handle can be run again once this has returned.
    SQLRETURN RunToEnd(SQLHSTMT handle, const char* statement, OdbcMessageSink onMessage, void* context,
                       int* rowResults);
    // AllocateStatement, then RunToEnd without counting rows.
    SQLRETURN ExecuteToEnd(const char* statement, SQLHSTMT* handle, OdbcMessageSink onMessage, void* context);
    // Hands every diagnostic record left on handle to sink, in order; each is read once.
    void ReadDiagnostics(SQLHSTMT handle, OdbcMessageSink sink, void* context);
    // Asks the driver to stop what runs on handle (SQLCancel). Made for another thread than the one
    // waiting in RunToEnd, which then fails with HY008; the handle must stay allocated meanwhile. A
    // cancel with nothing running does nothing.
    SQLRETURN Cancel(SQLHSTMT handle);
    // After ExecuteToEnd, on the thread that owns the windows: shows the failure (result neither 0
    // nor 1) from the handle's diagnostics over owner, then frees the handle (nothing when null).
    void EndStatement(SQLHSTMT handle, SQLRETURN result, HWND owner);
    // End the transaction (only with manualCommit 1; otherwise 0 without a call) and, when that
    // succeeded with 0, execute every open cursor again from its first row. A failing SQLEndTran is
    // not shown.
    SQLRETURN Commit();
    SQLRETURN Rollback();
    // Releases everything; bit 0 of flags also frees the object (which must come from malloc).
    void Destroy(int flags);

    // Internal steps, public for the tests.
    // Allocates the connection handle, connects by data source name or data-file connection string,
    // reads and classifies the DBMS name, sets autocommit and loads the table list.
    SQLRETURN Connect();
    // Number of table names kept.
    int LoadTableList();
    // Frees every cursor's statement, disconnects and connects again on the same environment.
    void Reconnect();
    // Ends the transaction with SQL_COMMIT or SQL_ROLLBACK and re-executes the cursors.
    SQLRETURN EndTransaction(SQLSMALLINT completion);
};

// Shows the first diagnostic record of the handles (any may be null) in a system-modal box titled
// "ODBC error", after setting the arrow cursor. When the driver manager has no record to give, the
// box says so in a text of its own rather than staying empty.
void ShowOdbcError(SQLHENV environment, SQLHDBC connection, SQLHSTMT statement, HWND owner);

// The same box with a text of the program's own (a request refused before reaching the driver), or
// with a driver's message read earlier; an empty text says that the driver gave none.
void ShowOdbcMessage(const char* text, HWND owner);

// Sends what ShowOdbcError and ShowOdbcMessage would show to sink instead (native error 0), for a
// program without windows that must never wait for a click; null shows the box again.
void RedirectOdbcMessages(OdbcMessageSink sink, void* context);

// Classifies a lower-case DBMS name; the initial fetch of the kind goes to *initialFetch.
DatabaseKind ClassifyDbmsName(const char* lowerName, int* initialFetch);

// Builds the driver connection string for a data source that names a data file (".mdb", "*.dbf" or
// ".xls" in its lower-case form). 1 when built; 0 when the data source is no data file or the string
// would not fit into capacity (then target is empty: a cut path would name another file).
int BuildDataFileConnectionString(const char* dataSource, const char* lowerDataSource, char* target,
                                  size_t capacity);
