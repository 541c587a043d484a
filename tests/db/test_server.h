// The throwaway MariaDB server of the "mariadb" test fixture (scripts/mariadb-test-server.sh): its
// data source, account and port, read from the env file the script writes into its directory.
#pragma once

#include "db/odbc_api.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

struct TestServer {
    std::string dsn;       // the data source name in the fixture's odbc.ini
    std::string user;
    std::string password;
    std::string port;
    std::string error;     // why the values could not be read, empty when they were
};

// Reads ${MV_TEST_STATE}/mariadb/env (KEY=value lines), or the env of the server directory named by
// MV_TEST_SERVER (mariadb-classic for the classic-layout server). Under Wine the Unix path is
// reached through drive Z:.
inline TestServer ReadTestServer()
{
    TestServer server;
    const char* state = getenv("MV_TEST_STATE");
    if (!state || !*state) {
        server.error = "MV_TEST_STATE is not set";
        return server;
    }
    const char* name = getenv("MV_TEST_SERVER");
    std::string path = std::string(state) + "/" + (name && *name ? name : "mariadb") + "/env";
#ifdef _WIN32
    if (path[0] == '/') path = "Z:" + path;
#endif
    FILE* file = fopen(path.c_str(), "r");
    if (!file) {
        server.error = "cannot read " + path + " (is the mariadb fixture running?)";
        return server;
    }
    char line[1024];
    while (fgets(line, sizeof line, file)) {
        line[strcspn(line, "\r\n")] = 0;
        const char* equals = strchr(line, '=');
        if (!equals) continue;
        std::string key(line, equals - line);
        std::string value(equals + 1);
        if (key == "MV_MYSQL_DSN") server.dsn = value;
        else if (key == "MV_MYSQL_USER") server.user = value;
        else if (key == "MV_MYSQL_PASSWORD") server.password = value;
        else if (key == "MV_MYSQL_PORT") server.port = value;
    }
    fclose(file);
    if (server.dsn.empty() || server.user.empty()) server.error = path + " names no data source or user";
    return server;
}

// unixODBC keeps parsed odbcinst.ini/odbc.ini data behind static pointers of its own libraries. When
// UnloadOdbcApi unmaps them, LeakSanitizer reports that data as lost; a test that connects therefore
// holds one more reference to both libraries for the rest of the process, so they stay mapped.
// Nothing to do on Windows.
inline void KeepOdbcLibrariesMapped()
{
#ifndef _WIN32
    static bool kept = false;
    if (kept) return;
    kept = LoadLibraryA(odbcInstallerLibrary) != nullptr && LoadLibraryA(odbcManagerLibrary) != nullptr;
#endif
}
