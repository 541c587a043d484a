// The whole chain to a real server through the binding's pointers only: the driver manager
// (unixODBC natively; Wine's odbc32 forwarding to unixODBC in the Windows build), MariaDB
// Connector/ODBC and the fixture's throwaway MariaDB server.
#include "db/odbc_api.h"
#include "tests/db/test_server.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// The first diagnostic of a handle, for failure messages.
std::string Diagnostic(SQLHENV env, SQLHDBC dbc, SQLHSTMT stmt)
{
    SQLCHAR state[6] = "";
    SQLINTEGER native = 0;
    SQLCHAR message[512] = "";
    SQLSMALLINT length = 0;
    odbcApi.SQLError(env, dbc, stmt, state, &native, message, sizeof message, &length);
    return std::string((char*)state) + " " + (char*)message;
}

TEST(OdbcChain, ReadsTheUserTableOfTheTestServer)
{
    TestServer server = ReadTestServer();
    ASSERT_EQ(server.error, "");
    KeepOdbcLibrariesMapped();
    ASSERT_EQ(LoadOdbcApi(), 1);

    SQLHENV env = SQL_NULL_HENV;
    ASSERT_TRUE(SQL_SUCCEEDED(odbcApi.SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)));
    ASSERT_TRUE(SQL_SUCCEEDED(odbcApi.SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, (SQLPOINTER)SQL_OV_ODBC3, 0)));
    SQLHDBC dbc = SQL_NULL_HDBC;
    ASSERT_TRUE(SQL_SUCCEEDED(odbcApi.SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc)));

    SQLRETURN connected = odbcApi.SQLConnect(dbc, (SQLCHAR*)server.dsn.c_str(), SQL_NTS,
                                             (SQLCHAR*)server.user.c_str(), SQL_NTS,
                                             (SQLCHAR*)server.password.c_str(), SQL_NTS);
    ASSERT_TRUE(SQL_SUCCEEDED(connected)) << Diagnostic(env, dbc, SQL_NULL_HSTMT);

    char dbms[64] = "";
    SQLSMALLINT dbmsLength = 0;
    ASSERT_TRUE(SQL_SUCCEEDED(odbcApi.SQLGetInfo(dbc, SQL_DBMS_NAME, dbms, sizeof dbms, &dbmsLength)));
    EXPECT_STREQ(dbms, "MariaDB");

    SQLHSTMT stmt = SQL_NULL_HSTMT;
    ASSERT_TRUE(SQL_SUCCEEDED(odbcApi.SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt)));
    SQLRETURN executed =
        odbcApi.SQLExecDirect(stmt, (SQLCHAR*)"select `Host`, `User` from `mysql`.`user`", SQL_NTS);
    ASSERT_TRUE(SQL_SUCCEEDED(executed)) << Diagnostic(env, dbc, stmt);

    std::vector<std::string> users;
    SQLRETURN fetched;
    while (SQL_SUCCEEDED(fetched = odbcApi.SQLFetchScroll(stmt, SQL_FETCH_NEXT, 0))) {
        char user[128] = "";
        SQLLEN length = 0;
        ASSERT_TRUE(SQL_SUCCEEDED(odbcApi.SQLGetData(stmt, 2, SQL_C_CHAR, user, sizeof user, &length)));
        users.push_back(user);
    }
    EXPECT_EQ(fetched, SQL_NO_DATA);
    EXPECT_GE(users.size(), 1u);
    EXPECT_NE(std::find(users.begin(), users.end(), server.user), users.end());

    EXPECT_TRUE(SQL_SUCCEEDED(odbcApi.SQLFreeHandle(SQL_HANDLE_STMT, stmt)));
    EXPECT_TRUE(SQL_SUCCEEDED(odbcApi.SQLDisconnect(dbc)));
    EXPECT_TRUE(SQL_SUCCEEDED(odbcApi.SQLFreeHandle(SQL_HANDLE_DBC, dbc)));
    EXPECT_TRUE(SQL_SUCCEEDED(odbcApi.SQLFreeHandle(SQL_HANDLE_ENV, env)));
    UnloadOdbcApi();
}

// A wrong password is refused by the server and reported through the driver manager (28000).
TEST(OdbcChain, WrongPasswordIsRefused)
{
    TestServer server = ReadTestServer();
    ASSERT_EQ(server.error, "");
    KeepOdbcLibrariesMapped();
    ASSERT_EQ(LoadOdbcApi(), 1);
    SQLHENV env = SQL_NULL_HENV;
    ASSERT_TRUE(SQL_SUCCEEDED(odbcApi.SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)));
    odbcApi.SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, (SQLPOINTER)SQL_OV_ODBC3, 0);
    SQLHDBC dbc = SQL_NULL_HDBC;
    ASSERT_TRUE(SQL_SUCCEEDED(odbcApi.SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc)));
    std::string wrong = server.password + "-wrong";
    EXPECT_EQ(odbcApi.SQLConnect(dbc, (SQLCHAR*)server.dsn.c_str(), SQL_NTS, (SQLCHAR*)server.user.c_str(),
                                 SQL_NTS, (SQLCHAR*)wrong.c_str(), SQL_NTS),
              SQL_ERROR);
    EXPECT_EQ(Diagnostic(env, dbc, SQL_NULL_HSTMT).substr(0, 5), "28000");
    odbcApi.SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    odbcApi.SQLFreeHandle(SQL_HANDLE_ENV, env);
    UnloadOdbcApi();
}

}  // namespace
