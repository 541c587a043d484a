// A second, independent look at a test MariaDB server, straight through the ODBC binding: runs
// statements and reads results so that tests judge the tools by what the server holds, and tries
// logins. Both builds; the fixture's server as tests/db/test_server.h reads it.
#pragma once

#include "db/odbc_api.h"
#include "tests/db/test_server.h"

#include <string>
#include <vector>

class MySqlProbe {
public:
    // Connects with a driver connection string to the server's port, without the data source's
    // default database, so accounts without rights on it can log in.
    explicit MySqlProbe(const TestServer& server) : MySqlProbe(server, server.user, server.password) {}
    MySqlProbe(const TestServer& server, const std::string& user, const std::string& password);
    ~MySqlProbe();
    MySqlProbe(const MySqlProbe&) = delete;
    MySqlProbe& operator=(const MySqlProbe&) = delete;

    bool Connected() const { return dbc != nullptr; }
    const std::string& Error() const { return error; }
    // Runs a statement; false (Error() says why) when it failed.
    bool Exec(const std::string& sql);
    // Every row of a query, each column as text (NULL as empty); empty on failure.
    std::vector<std::vector<std::string>> Rows(const std::string& sql);
    // The first column of the first row; empty when there is none.
    std::string Value(const std::string& sql);

private:
    std::string Diagnostic(SQLHSTMT stmt);
    SQLHENV env = nullptr;
    SQLHDBC dbc = nullptr;
    std::string error;
};

// Whether user can log in to the server with password.
bool CanLogIn(const TestServer& server, const std::string& user, const std::string& password);

// A value for a quoted SQL text: ' and \ doubled.
std::string Quoted(const std::string& value);
