#include "tests/admin/mysql_probe.h"

namespace {

// A value for a driver connection string: in braces, a closing brace doubled.
std::string Braced(const std::string& value)
{
    std::string out = "{";
    for (char c : value) {
        out += c;
        if (c == '}') out += '}';
    }
    return out + "}";
}

}  // namespace

MySqlProbe::MySqlProbe(const TestServer& server, const std::string& user, const std::string& password)
{
    if (!odbcApi.SQLAllocHandle && !LoadOdbcApi()) {
        error = "the ODBC binding did not load";
        return;
    }
    KeepOdbcLibrariesMapped();
    odbcApi.SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    odbcApi.SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, (SQLPOINTER)SQL_OV_ODBC3, 0);
    odbcApi.SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    std::string text = "DRIVER={MariaDB Unicode};SERVER=127.0.0.1;PORT=" + server.port + ";UID=" + Braced(user) +
                       ";PWD=" + Braced(password) + ";";
    SQLCHAR out[1024];
    SQLSMALLINT outLength = 0;
    SQLRETURN result = odbcApi.SQLDriverConnect(dbc, nullptr, (SQLCHAR*)text.c_str(), SQL_NTS, out, sizeof out,
                                                &outLength, SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(result)) {
        error = Diagnostic(nullptr);
        odbcApi.SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        dbc = nullptr;
    }
}

MySqlProbe::~MySqlProbe()
{
    if (dbc) {
        odbcApi.SQLDisconnect(dbc);
        odbcApi.SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    }
    if (env) odbcApi.SQLFreeHandle(SQL_HANDLE_ENV, env);
}

std::string MySqlProbe::Diagnostic(SQLHSTMT stmt)
{
    SQLCHAR state[6] = "";
    SQLINTEGER native = 0;
    SQLCHAR message[512] = "";
    SQLSMALLINT length = 0;
    odbcApi.SQLError(env, stmt ? nullptr : dbc, stmt, state, &native, message, sizeof message, &length);
    return std::string((char*)state) + " " + (char*)message;
}

bool MySqlProbe::Exec(const std::string& sql)
{
    if (!dbc) return false;
    SQLHSTMT stmt = nullptr;
    odbcApi.SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
    SQLRETURN result = odbcApi.SQLExecDirect(stmt, (SQLCHAR*)sql.c_str(), SQL_NTS);
    bool ok = SQL_SUCCEEDED(result) || result == SQL_NO_DATA;
    if (!ok) error = sql + ": " + Diagnostic(stmt);
    odbcApi.SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    return ok;
}

std::vector<std::vector<std::string>> MySqlProbe::Rows(const std::string& sql)
{
    std::vector<std::vector<std::string>> rows;
    if (!dbc) return rows;
    SQLHSTMT stmt = nullptr;
    odbcApi.SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
    if (!SQL_SUCCEEDED(odbcApi.SQLExecDirect(stmt, (SQLCHAR*)sql.c_str(), SQL_NTS))) {
        error = sql + ": " + Diagnostic(stmt);
        odbcApi.SQLFreeHandle(SQL_HANDLE_STMT, stmt);
        return rows;
    }
    SQLSMALLINT columns = 0;
    odbcApi.SQLNumResultCols(stmt, &columns);
    while (SQL_SUCCEEDED(odbcApi.SQLFetch(stmt))) {
        std::vector<std::string> row;
        for (SQLUSMALLINT i = 1; i <= columns; i++) {
            char value[4096] = "";
            SQLLEN indicator = 0;
            odbcApi.SQLGetData(stmt, i, SQL_C_CHAR, value, sizeof value, &indicator);
            row.push_back(indicator == SQL_NULL_DATA ? "" : value);
        }
        rows.push_back(row);
    }
    odbcApi.SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    return rows;
}

std::string MySqlProbe::Value(const std::string& sql)
{
    auto rows = Rows(sql);
    return rows.empty() || rows[0].empty() ? "" : rows[0][0];
}

bool CanLogIn(const TestServer& server, const std::string& user, const std::string& password)
{
    MySqlProbe probe(server, user, password);
    return probe.Connected();
}

std::string Quoted(const std::string& value)
{
    std::string out;
    for (char c : value) {
        out += c;
        if (c == '\'' || c == '\\') out += c;
    }
    return out;
}
