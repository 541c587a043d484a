// The current MySQL administration connection: one slot shared by the MySQL user manager and the
// MySQL backup. Each tool fills it just before its dialog appears and empties it just after the
// dialog has closed; the dialogs' handlers reach the connection through it.
#pragma once

#include "db/odbc_connection.h"
#include "support/platform.h"

extern OdbcConnection* mysqlAdminConnection;

// Allocates a connection to the Session's MySQL data source (initialised with user and password and
// manualCommit), puts it into the slot and opens it with the Session's MySQL user and password.
// On failure the connection's "ODBC error" box has been shown; this adds the tools' own message
// (owner: owner), destroys the connection and returns false.
bool OpenMySqlAdminConnection(HWND owner, const char* user, const char* password, int manualCommit);

// Destroys the slot's connection, if any, and empties the slot.
void CloseMySqlAdminConnection();
