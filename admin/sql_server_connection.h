// The connection of the SQL Server tools (login manager and backup): one module slot that holds it
// while a tool's dialog runs.
#pragma once

#include "support/platform.h"

struct OdbcConnection;

// The current SQL Server administration connection: set just before a tool's dialog appears,
// destroyed and cleared just after it closes; null at every other time.
extern OdbcConnection* sqlServerConnection;

// Opens the connection with the Session's SQL Server data source and credentials (autocommit on),
// then shows templateName with proc modally over owner, or, when the connection cannot be opened,
// the login failure message instead. Destroys the connection afterwards either way. Returns 0.
int RunSqlServerTool(HWND owner, const char* templateName, DLGPROC proc);
