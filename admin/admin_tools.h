// Entry points of the administrator tools. Each runs its dialog modally over owner and returns 0
// when it has closed.
#pragma once

#include "support/platform.h"

int ShowMySqlUserManager(HWND owner);
int ShowSqlServerLoginManager(HWND owner);
int ShowMySqlBackup(HWND owner);
int ShowSqlServerBackup(HWND owner);
int ShowMySqlRestore(HWND owner);
int ShowSqlServerRestore(HWND owner);
int ShowUserRightsEditor(HWND owner);
