#include "admin/mysql_admin_connection.h"

#include "config/session.h"

#include <stdlib.h>

OdbcConnection* mysqlAdminConnection = nullptr;

bool OpenMySqlAdminConnection(HWND owner, const char* user, const char* password, int manualCommit)
{
    CloseMySqlAdminConnection();
    auto* connection = static_cast<OdbcConnection*>(malloc(sizeof(OdbcConnection)));
    if (!connection) return false;
    connection->Init(session.mysqlDataSource, user, password, manualCommit);
    mysqlAdminConnection = connection;
    SQLRETURN result = connection->Open(session.mysqlUser, session.mysqlPassword);
    if (result == 0 || result == 1) return true;
    MessageBoxA(owner,
                "Az adatbázis a bejelentkezés sikertelen!\r\nKérem vegye fel a kapcsolatot a rendszergazdával!",
                "Hibaüzenet", MB_TASKMODAL);
    CloseMySqlAdminConnection();
    return false;
}

void CloseMySqlAdminConnection()
{
    if (!mysqlAdminConnection) return;
    mysqlAdminConnection->Destroy(3);
    mysqlAdminConnection = nullptr;
}
