// Run-time binding of the ODBC driver manager and installer. Every ODBC call of the program goes
// through odbcApi; nothing links against the driver manager.
#pragma once

#include "support/platform.h"

// X(entry, library, presence) in the order of lookup. Presence: Required entries make loading fail
// when missing, Optional ones are stored as found.
#define MV_ODBC_ENTRIES(X)                              \
    X(SQLConfigDataSource, Installer, InstallerCheck)   \
    X(SQLGetInstalledDrivers, Installer, InstallerCheck)\
    X(SQLRemoveDSNFromIni, Installer, Optional)         \
    X(SQLAllocConnect, Manager, Required)               \
    X(SQLAllocEnv, Manager, Required)                   \
    X(SQLAllocStmt, Manager, Required)                  \
    X(SQLAllocHandle, Manager, Required)                \
    X(SQLBindCol, Manager, Required)                    \
    X(SQLCancel, Manager, Required)                     \
    X(SQLColAttributes, Manager, Required)              \
    X(SQLColumns, Manager, Required)                    \
    X(SQLConnect, Manager, Required)                    \
    X(SQLDescribeCol, Manager, Required)                \
    X(SQLDisconnect, Manager, Required)                 \
    X(SQLError, Manager, Required)                      \
    X(SQLExecDirect, Manager, Required)                 \
    X(SQLExecute, Manager, Required)                    \
    X(SQLFetch, Manager, Required)                      \
    X(SQLFreeConnect, Manager, Required)                \
    X(SQLFreeEnv, Manager, Required)                    \
    X(SQLFreeStmt, Manager, Required)                   \
    X(SQLFreeHandle, Manager, Required)                 \
    X(SQLGetCursorName, Manager, Required)              \
    X(SQLNumResultCols, Manager, Required)              \
    X(SQLPrepare, Manager, Required)                    \
    X(SQLRowCount, Manager, Required)                   \
    X(SQLSetCursorName, Manager, Required)              \
    X(SQLTransact, Manager, Required)                   \
    X(SQLDataSourcesW, Manager, Required)               \
    X(SQLGetInfo, Manager, Required)                    \
    X(SQLGetConnectOption, Manager, Required)           \
    X(SQLGetData, Manager, Required)                    \
    X(SQLTables, Manager, Required)                     \
    X(SQLFetchScroll, Manager, Required)                \
    X(SQLSetPos, Manager, Required)                     \
    X(SQLSetStmtAttr, Manager, Required)                \
    X(SQLBindParameter, Manager, Required)              \
    X(SQLEndTran, Manager, Required)                    \
    X(SQLSetConnectAttr, Manager, Required)             \
    X(SQLBulkOperations, Manager, Required)             \
    X(SQLStatistics, Manager, Required)                 \
    X(SQLSetEnvAttr, Manager, Required)                 \
    X(SQLCloseCursor, Manager, Required)                \
    X(SQLPrimaryKeys, Manager, Optional)                \
    X(SQLForeignKeys, Manager, Optional)                \
    X(SQLProcedures, Manager, Optional)                 \
    X(SQLProcedureColumns, Manager, Optional)           \
    X(SQLGetFunctions, Manager, Optional)               \
    X(SQLDriverConnect, Manager, Required)              \
    X(SQLMoreResults, Manager, Required)

// The program-wide table: written only by LoadOdbcApi, read-only afterwards. Entry points carry
// their standard names and signatures (ANSI, but SQLDataSourcesW).
struct OdbcApi {
    HMODULE installerModule;  // odbccp32.dll, null when not loaded
    HMODULE managerModule;    // odbc32.dll, null when not loaded
#define MV_ODBC_FIELD(entry, library, presence) decltype(&::entry) entry;
    MV_ODBC_ENTRIES(MV_ODBC_FIELD)
#undef MV_ODBC_FIELD
};

extern OdbcApi odbcApi;

// Loads the installer and the driver manager and looks up every entry point. Nonzero when both
// libraries loaded, the installer answered SQLGetInstalledDrivers and every required entry exists.
// Shows nothing. After a failure the libraries that were loaded stay loaded until UnloadOdbcApi.
int LoadOdbcApi();

// The same with other library names (another platform's driver manager, or test libraries).
int LoadOdbcApiFrom(const char* installerName, const char* managerName);

// Releases the driver manager, then the installer, each only when loaded; harmless after a failed
// load or a second call.
void UnloadOdbcApi();

// The libraries LoadOdbcApi binds on this platform.
extern const char* const odbcInstallerLibrary;
extern const char* const odbcManagerLibrary;
