// The SQL Server stand-in driver's state as the tool tests see it: seeded before a tool opens, read
// back after. MV_SQLSERVER_STATE names the file (a Unix path, drive Z: under Wine); the driver logs
// what it receives into the same name followed by ".log".
#pragma once

#include "tests/harness/test_files.h"

#include <string>
#include <vector>

inline std::string StandInPath(const std::string& suffix = "")
{
    std::string path = EnvironmentValue("MV_SQLSERVER_STATE") + suffix;
    return path[0] == '/' ? "Z:" + path : path;
}

// Lines of the file that start with prefix, without it.
inline std::vector<std::string> StandInLines(const std::string& suffix, const std::string& prefix)
{
    std::vector<std::string> lines;
    std::string text = ReadBytes(StandInPath(suffix));
    for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        if (text.compare(start, prefix.size(), prefix) == 0) lines.push_back(text.substr(start + prefix.size(), end - start - prefix.size()));
    return lines;
}

// A fresh state: the login "sa" (password SAPWD) the tools connect with, then the given lines
// ("login\tname\tpassword\trole,role", "database\tname", "fail\tstatement\tstate\tnative\tmessage").
inline void SeedStandIn(const std::vector<std::string>& lines)
{
    std::string text = "login\tsa\tSAPWD\tsysadmin\n";
    for (const std::string& line : lines) text += line + "\n";
    WriteBytes(StandInPath(), text);
    WriteBytes(StandInPath(".log"), "");
}

// Every login but "sa" as "name\tpassword\troles", in the state's order.
inline std::vector<std::string> StandInLogins()
{
    std::vector<std::string> logins;
    for (const std::string& login : StandInLines("", "login\t"))
        if (login.compare(0, 3, "sa\t") != 0) logins.push_back(login);
    return logins;
}

// The statements received since the log was last cleared, in order.
inline std::vector<std::string> StandInStatements() { return StandInLines(".log", "SQLExecDirect "); }
inline void ClearStandInStatements() { WriteBytes(StandInPath(".log"), ""); }
