// The MySQL user manager (template MYSQL_USER_MANAGER): accounts and global privileges of the
// server behind the Session's MySQL data source. ShowMySqlUserManager (admin_tools.h) opens it.
#pragma once

#include "admin/mysql_account_statements.h"
#include "support/platform.h"

// The form of statements chosen for the open connection (from what the server shows when the tool
// opens).
extern MySqlAccountForm mysqlUserManagerForm;
// How the open connection's session reads a backslash (its sql_mode, read when the tool opens).
extern MySqlQuoting mysqlUserManagerQuoting;

// The table the accounts are listed and loaded from: mysqlAccountTable unless a test points the
// reading at a table of another layout.
extern const char* mysqlUserManagerTable;

INT_PTR CALLBACK MySqlUserManagerProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
