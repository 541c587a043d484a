// The SQL Server stand-in driver's state as the tool tests see it: seeded before a tool opens, read
// back after. The file is named by MV_SQLSERVER_STATE (a Unix path, reached through drive Z: under
// Wine); the driver writes the statements it receives into the same name followed by ".log".
#pragma once

#include "tests/harness/test_files.h"

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

struct StandInLogin {
    std::string name;
    std::string password;
    std::string roles;  // "0"/"1" per fixed server role, in the tools' role order
};

inline const char* StandInDataSource() { return "MV_MSSQL"; }

inline std::string StandInPath(const std::string& suffix = "")
{
    std::string path = EnvironmentValue("MV_SQLSERVER_STATE") + suffix;
#ifdef _WIN32
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
#endif
    return path;
}

inline const char* const* StandInRoleNames()
{
    static const char* const names[] = {"sysadmin",     "securityadmin", "serveradmin", "setupadmin",
                                        "processadmin", "diskadmin",     "dbcreator",   "bulkadmin"};
    return names;
}

inline std::vector<std::string> SplitTabs(const std::string& line)
{
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
        fields.push_back(line.substr(start, tab - start));
    fields.push_back(line.substr(start));
    return fields;
}

inline std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

// A fresh state: the administrator login "sa" (password SAPWD) the tools connect with, the given
// logins and databases; an empty call log.
inline void SeedStandIn(const std::vector<StandInLogin>& logins, const std::vector<std::string>& databases)
{
    std::string text = "login\tsa\tSAPWD\tsysadmin\n";
    for (const StandInLogin& login : logins) {
        std::string roles;
        for (int i = 0; i < 8; i++)
            if (login.roles.size() > (size_t)i && login.roles[i] == '1') roles += (roles.empty() ? "" : ",") + std::string(StandInRoleNames()[i]);
        text += "login\t" + login.name + "\t" + login.password + "\t" + roles + "\n";
    }
    for (const std::string& database : databases) text += "database\t" + database + "\n";
    WriteBytes(StandInPath(), text);
    WriteBytes(StandInPath(".log"), "");
}

// Makes the stand-in refuse exactly this statement (with a diagnostic) from now on.
inline void FailStandInStatement(const std::string& statement)
{
    WriteBytes(StandInPath(), ReadBytes(StandInPath()) + "fail\t" + statement + "\t42000\t50000\tRefused by the test.\n");
}

// Every login of the state except "sa", in the state's order.
inline std::vector<StandInLogin> StandInLogins()
{
    std::vector<StandInLogin> logins;
    for (const std::string& line : Lines(ReadBytes(StandInPath()))) {
        std::vector<std::string> fields = SplitTabs(line);
        if (fields[0] != "login" || fields.size() < 3 || fields[1] == "sa") continue;
        StandInLogin login{fields[1], fields[2], "00000000"};
        std::string roles = "," + (fields.size() > 3 ? fields[3] : std::string()) + ",";
        for (int i = 0; i < 8; i++)
            if (roles.find("," + std::string(StandInRoleNames()[i]) + ",") != std::string::npos) login.roles[i] = '1';
        logins.push_back(login);
    }
    return logins;
}

inline std::string StandInRoles(const std::string& name)
{
    for (const StandInLogin& login : StandInLogins())
        if (login.name == name) return login.roles;
    return "no such login";
}

inline std::vector<std::string> StandInLoginNames()
{
    std::vector<std::string> names;
    for (const StandInLogin& login : StandInLogins()) names.push_back(login.name);
    return names;
}

// The statements the stand-in received since the last clear, in order.
inline std::vector<std::string> StandInStatements()
{
    std::vector<std::string> statements;
    const std::string prefix = "SQLExecDirect ";
    for (const std::string& line : Lines(ReadBytes(StandInPath(".log"))))
        if (line.compare(0, prefix.size(), prefix) == 0) statements.push_back(line.substr(prefix.size()));
    return statements;
}

inline void ClearStandInStatements() { WriteBytes(StandInPath(".log"), ""); }
