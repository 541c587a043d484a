// A second, independent look at a test MariaDB server straight through the ODBC binding, so tests
// judge the MySQL tools by what the server holds. Connects by driver string to the server's port,
// without the data source's default database, so accounts without rights on it can log in too. Texts
// travel in code page 1250, as the program's do.
#pragma once

#include "db/odbc_api.h"
#include "tests/db/test_server.h"

#include <string>
#include <vector>

class MySqlProbe {
public:
    explicit MySqlProbe(const TestServer& server) : MySqlProbe(server, server.user, server.password) {}
    MySqlProbe(const TestServer& server, const std::string& user, const std::string& password)
    {
        if (!odbcApi.SQLAllocHandle && !LoadOdbcApi()) return;
        KeepOdbcLibrariesMapped();
        odbcApi.SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
        odbcApi.SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, (SQLPOINTER)SQL_OV_ODBC3, 0);
        odbcApi.SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
        std::string text = "DRIVER={MariaDB Unicode};SERVER=127.0.0.1;PORT=" + server.port + ";UID={" + user +
                           "};PWD={" + password + "};CHARSET=cp1250;";
        if (!SQL_SUCCEEDED(odbcApi.SQLDriverConnect(dbc, nullptr, (SQLCHAR*)text.c_str(), SQL_NTS, nullptr, 0,
                                                    nullptr, SQL_DRIVER_NOPROMPT))) {
            error = Diagnostic(nullptr);
            odbcApi.SQLFreeHandle(SQL_HANDLE_DBC, dbc);
            dbc = nullptr;
        }
    }
    ~MySqlProbe()
    {
        if (dbc) odbcApi.SQLDisconnect(dbc), odbcApi.SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        if (env) odbcApi.SQLFreeHandle(SQL_HANDLE_ENV, env);
    }

    bool Connected() const { return dbc != nullptr; }
    const std::string& Error() const { return error; }
    // Runs a statement; false (Error() says why) when it failed.
    bool Exec(const std::string& sql) { return Run(sql, nullptr); }
    // Every row of a query, each column as text (NULL as empty); empty on failure.
    std::vector<std::vector<std::string>> Rows(const std::string& sql)
    {
        std::vector<std::vector<std::string>> rows;
        Run(sql, &rows);
        return rows;
    }
    // The first column of the first row; empty when there is none.
    std::string Value(const std::string& sql)
    {
        auto rows = Rows(sql);
        return rows.empty() ? "" : rows[0][0];
    }

private:
    bool Run(const std::string& sql, std::vector<std::vector<std::string>>* rows)
    {
        SQLHSTMT stmt = nullptr;
        if (!dbc || !SQL_SUCCEEDED(odbcApi.SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt))) return false;
        SQLRETURN result = odbcApi.SQLExecDirect(stmt, (SQLCHAR*)sql.c_str(), SQL_NTS);
        bool ok = SQL_SUCCEEDED(result) || result == SQL_NO_DATA;
        if (!ok) error = sql + ": (" + std::to_string(result) + ") " + Diagnostic(stmt);
        SQLSMALLINT columns = 0;
        if (ok && rows) odbcApi.SQLNumResultCols(stmt, &columns);
        while (ok && rows && columns > 0 && SQL_SUCCEEDED(odbcApi.SQLFetch(stmt))) {
            rows->emplace_back();
            for (SQLUSMALLINT i = 1; i <= columns; i++) {
                char value[4096] = "";
                SQLLEN indicator = 0;
                odbcApi.SQLGetData(stmt, i, SQL_C_CHAR, value, sizeof value, &indicator);
                rows->back().push_back(indicator == SQL_NULL_DATA ? "" : value);
            }
        }
        odbcApi.SQLFreeHandle(SQL_HANDLE_STMT, stmt);
        return ok;
    }
    std::string Diagnostic(SQLHSTMT stmt)
    {
        SQLCHAR state[6] = "", message[512] = "";
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        odbcApi.SQLError(env, stmt ? nullptr : dbc, stmt, state, &native, message, sizeof message, &length);
        return std::string((char*)state) + " " + (char*)message;
    }

    SQLHENV env = nullptr;
    SQLHDBC dbc = nullptr;
    std::string error;
};

inline bool CanLogIn(const TestServer& server, const std::string& user, const std::string& password)
{
    return MySqlProbe(server, user, password).Connected();
}

// A value for a quoted SQL text: ' and \ doubled.
inline std::string Quoted(const std::string& value)
{
    std::string out;
    for (char c : value) out += (c == '\'' || c == '\\') ? std::string(2, c) : std::string(1, c);
    return out;
}

#ifdef _WIN32
// Feeds the dump to the host's mariadb client for database; the Linux child runs detached.
inline bool Restore(const TestServer& server, const std::string& dumpFile, const std::string& database)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE input = CreateFileA(dumpFile.c_str(), GENERIC_READ, FILE_SHARE_READ, &inherit, OPEN_EXISTING, 0, nullptr);
    std::string command = "\"Z:\\usr\\bin\\mariadb\" --no-defaults -h 127.0.0.1 -P " + server.port + " -u " +
                          server.user + " -p" + server.password + " " + database;
    STARTUPINFOA startup = {sizeof startup};
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process = {};
    bool started = input != INVALID_HANDLE_VALUE && CreateProcessA("Z:\\usr\\bin\\mariadb", &command[0], nullptr,
                                                                   nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
    CloseHandle(input);
    if (started) CloseHandle(process.hThread), CloseHandle(process.hProcess);
    return started;
}
#endif
