#include "admin/sql_server_connection.h"

#include "db/odbc_connection.h"
#include "config/session.h"
#include "support/process_state.h"

#include <stdlib.h>

OdbcConnection* sqlServerConnection = nullptr;

int RunSqlServerTool(HWND owner, const char* templateName, DLGPROC proc)
{
    auto* connection = static_cast<OdbcConnection*>(malloc(sizeof(OdbcConnection)));
    if (!connection) return 0;
    connection->Init(session.sqlServerDataSource, session.sqlServerUser, session.sqlServerPassword, 0);
    sqlServerConnection = connection;
    SQLRETURN result = connection->Open(session.sqlServerUser, session.sqlServerPassword);
    if (result != SQL_SUCCESS && result != SQL_SUCCESS_WITH_INFO) {
        // The connection has already shown its "ODBC error" box.
        MessageBoxA(owner, "Az adatbázis a bejelentkezés sikertelen!\r\nKérem vegye fel a kapcsolatot a rendszergazdával!",
                    "Hibaüzenet", MB_TASKMODAL);
    } else {
        DialogBoxParamA(appInstance, templateName, owner, proc, 0);
    }
    sqlServerConnection = nullptr;
    connection->Destroy(3);
    return 0;
}
