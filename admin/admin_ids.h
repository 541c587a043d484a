// Commands of the administrator popup menu (they arrive at the main window).
#pragma once

#define IDM_ADMIN_ODBC 131
#define IDM_ADMIN_MYSQL_USERS 132
#define IDM_ADMIN_MSSQL_LOGINS 133
#define IDM_ADMIN_USER_RIGHTS 135
#define IDM_ADMIN_MSSQL_BACKUP 136
#define IDM_ADMIN_MYSQL_BACKUP 137
