/* Stand-in ODBC installer or driver manager for the binding tests. One source builds every variant:
 *   FAKE_INSTALLER              the installer's three entry points (otherwise the manager's 47);
 *   FAKE_OMIT_<entry>           leaves that entry point out of the exports;
 *   FAKE_NO_DRIVERS             SQLGetInstalledDrivers answers FALSE.
 * Only SQLGetInstalledDrivers is ever called; the rest exist to be found by name. Each load of the
 * library adds one to the environment value MV_FAKE_INSTALLER_LOADS or MV_FAKE_MANAGER_LOADS, so a
 * test can tell whether a library was loaded at all, and each unload appends "I" or "M" to
 * MV_FAKE_UNLOADS, so a test can see the order of release. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#ifdef _WIN32
#include <windows.h>
#define FAKE_EXPORT __declspec(dllexport)
#else
#define FAKE_EXPORT __attribute__((visibility("default")))
#endif

#define FAKE_ENTRY(name) \
    FAKE_EXPORT int name(void) { return -1; }

#ifdef FAKE_INSTALLER
#define FAKE_LOAD_COUNTER "MV_FAKE_INSTALLER_LOADS"
#define FAKE_ROLE_LETTER "I"
#else
#define FAKE_LOAD_COUNTER "MV_FAKE_MANAGER_LOADS"
#define FAKE_ROLE_LETTER "M"
#endif

static void ReadValue(const char* name, char* value, size_t size)
{
    value[0] = 0;
#ifdef _WIN32
    DWORD n = GetEnvironmentVariableA(name, value, (DWORD)size);
    if (n >= size) value[0] = 0;
#else
    const char* current = getenv(name);
    if (current) snprintf(value, size, "%s", current);
#endif
}

static void WriteValue(const char* name, const char* value)
{
#ifdef _WIN32
    SetEnvironmentVariableA(name, value);
#else
    setenv(name, value, 1);
#endif
}

static void OnLoad(void)
{
    char value[32];
    ReadValue(FAKE_LOAD_COUNTER, value, sizeof value);
    snprintf(value, sizeof value, "%d", atoi(value) + 1);
    WriteValue(FAKE_LOAD_COUNTER, value);
}

static void OnUnload(void)
{
    char value[64];
    char next[80];
    ReadValue("MV_FAKE_UNLOADS", value, sizeof value);
    snprintf(next, sizeof next, "%s%s", value, FAKE_ROLE_LETTER);
    WriteValue("MV_FAKE_UNLOADS", next);
}

#ifdef _WIN32
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)instance;
    if (reason == DLL_PROCESS_ATTACH) OnLoad();
    /* Not at process exit (reserved non-null): the environment no longer matters then. */
    if (reason == DLL_PROCESS_DETACH && !reserved) OnUnload();
    return TRUE;
}
#else
__attribute__((constructor)) static void Loaded(void) { OnLoad(); }
__attribute__((destructor)) static void Unloaded(void) { OnUnload(); }
#endif

#ifdef FAKE_INSTALLER

#ifndef FAKE_OMIT_SQLConfigDataSource
FAKE_ENTRY(SQLConfigDataSource)
#endif
#ifndef FAKE_OMIT_SQLGetInstalledDrivers
/* The real signature: BOOL (LPSTR buffer, WORD size, WORD* length). Lists one driver. */
FAKE_EXPORT int SQLGetInstalledDrivers(char* buffer, unsigned short size, unsigned short* length)
{
#ifdef FAKE_NO_DRIVERS
    (void)buffer;
    (void)size;
    if (length) *length = 0;
    return 0;
#else
    static const char drivers[] = "Fake Driver\0";
    if (!buffer || size < sizeof drivers) return 0;
    memcpy(buffer, drivers, sizeof drivers);
    if (length) *length = (unsigned short)(sizeof drivers - 1);
    return 1;
#endif
}
#endif
#ifndef FAKE_OMIT_SQLRemoveDSNFromIni
FAKE_ENTRY(SQLRemoveDSNFromIni)
#endif

#else /* the driver manager */

#ifndef FAKE_OMIT_SQLAllocConnect
FAKE_ENTRY(SQLAllocConnect)
#endif
#ifndef FAKE_OMIT_SQLAllocEnv
FAKE_ENTRY(SQLAllocEnv)
#endif
#ifndef FAKE_OMIT_SQLAllocStmt
FAKE_ENTRY(SQLAllocStmt)
#endif
#ifndef FAKE_OMIT_SQLAllocHandle
FAKE_ENTRY(SQLAllocHandle)
#endif
#ifndef FAKE_OMIT_SQLBindCol
FAKE_ENTRY(SQLBindCol)
#endif
#ifndef FAKE_OMIT_SQLCancel
FAKE_ENTRY(SQLCancel)
#endif
#ifndef FAKE_OMIT_SQLColAttributes
FAKE_ENTRY(SQLColAttributes)
#endif
#ifndef FAKE_OMIT_SQLColumns
FAKE_ENTRY(SQLColumns)
#endif
#ifndef FAKE_OMIT_SQLConnect
FAKE_ENTRY(SQLConnect)
#endif
#ifndef FAKE_OMIT_SQLDescribeCol
FAKE_ENTRY(SQLDescribeCol)
#endif
#ifndef FAKE_OMIT_SQLDisconnect
FAKE_ENTRY(SQLDisconnect)
#endif
#ifndef FAKE_OMIT_SQLError
FAKE_ENTRY(SQLError)
#endif
#ifndef FAKE_OMIT_SQLExecDirect
FAKE_ENTRY(SQLExecDirect)
#endif
#ifndef FAKE_OMIT_SQLExecute
FAKE_ENTRY(SQLExecute)
#endif
#ifndef FAKE_OMIT_SQLFetch
FAKE_ENTRY(SQLFetch)
#endif
#ifndef FAKE_OMIT_SQLFreeConnect
FAKE_ENTRY(SQLFreeConnect)
#endif
#ifndef FAKE_OMIT_SQLFreeEnv
FAKE_ENTRY(SQLFreeEnv)
#endif
#ifndef FAKE_OMIT_SQLFreeStmt
FAKE_ENTRY(SQLFreeStmt)
#endif
#ifndef FAKE_OMIT_SQLFreeHandle
FAKE_ENTRY(SQLFreeHandle)
#endif
#ifndef FAKE_OMIT_SQLGetCursorName
FAKE_ENTRY(SQLGetCursorName)
#endif
#ifndef FAKE_OMIT_SQLNumResultCols
FAKE_ENTRY(SQLNumResultCols)
#endif
#ifndef FAKE_OMIT_SQLPrepare
FAKE_ENTRY(SQLPrepare)
#endif
#ifndef FAKE_OMIT_SQLRowCount
FAKE_ENTRY(SQLRowCount)
#endif
#ifndef FAKE_OMIT_SQLSetCursorName
FAKE_ENTRY(SQLSetCursorName)
#endif
#ifndef FAKE_OMIT_SQLTransact
FAKE_ENTRY(SQLTransact)
#endif
/* Only the wide-character name: the binding must not look for SQLDataSources. */
#ifndef FAKE_OMIT_SQLDataSourcesW
FAKE_ENTRY(SQLDataSourcesW)
#endif
#ifndef FAKE_OMIT_SQLGetInfo
FAKE_ENTRY(SQLGetInfo)
#endif
#ifndef FAKE_OMIT_SQLGetConnectOption
FAKE_ENTRY(SQLGetConnectOption)
#endif
#ifndef FAKE_OMIT_SQLGetData
FAKE_ENTRY(SQLGetData)
#endif
#ifndef FAKE_OMIT_SQLTables
FAKE_ENTRY(SQLTables)
#endif
#ifndef FAKE_OMIT_SQLFetchScroll
FAKE_ENTRY(SQLFetchScroll)
#endif
#ifndef FAKE_OMIT_SQLSetPos
FAKE_ENTRY(SQLSetPos)
#endif
#ifndef FAKE_OMIT_SQLSetStmtAttr
FAKE_ENTRY(SQLSetStmtAttr)
#endif
#ifndef FAKE_OMIT_SQLBindParameter
FAKE_ENTRY(SQLBindParameter)
#endif
#ifndef FAKE_OMIT_SQLEndTran
FAKE_ENTRY(SQLEndTran)
#endif
#ifndef FAKE_OMIT_SQLSetConnectAttr
FAKE_ENTRY(SQLSetConnectAttr)
#endif
#ifndef FAKE_OMIT_SQLBulkOperations
FAKE_ENTRY(SQLBulkOperations)
#endif
#ifndef FAKE_OMIT_SQLStatistics
FAKE_ENTRY(SQLStatistics)
#endif
#ifndef FAKE_OMIT_SQLSetEnvAttr
FAKE_ENTRY(SQLSetEnvAttr)
#endif
#ifndef FAKE_OMIT_SQLCloseCursor
FAKE_ENTRY(SQLCloseCursor)
#endif
#ifndef FAKE_OMIT_SQLPrimaryKeys
FAKE_ENTRY(SQLPrimaryKeys)
#endif
#ifndef FAKE_OMIT_SQLForeignKeys
FAKE_ENTRY(SQLForeignKeys)
#endif
#ifndef FAKE_OMIT_SQLProcedures
FAKE_ENTRY(SQLProcedures)
#endif
#ifndef FAKE_OMIT_SQLProcedureColumns
FAKE_ENTRY(SQLProcedureColumns)
#endif
#ifndef FAKE_OMIT_SQLGetFunctions
FAKE_ENTRY(SQLGetFunctions)
#endif
#ifndef FAKE_OMIT_SQLDriverConnect
FAKE_ENTRY(SQLDriverConnect)
#endif
#ifndef FAKE_OMIT_SQLMoreResults
FAKE_ENTRY(SQLMoreResults)
#endif

#endif /* FAKE_INSTALLER */
