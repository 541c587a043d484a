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

// The lines of the state (suffix "") or of the log (".log") that start with prefix, without it.
inline std::vector<std::string> StandInLines(const std::string& suffix, const std::string& prefix)
{
    std::vector<std::string> lines;
    std::string text = ReadBytes(StandInPath(suffix));
    for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        if (text.compare(start, prefix.size(), prefix) == 0) lines.push_back(text.substr(start + prefix.size(), end - start - prefix.size()));
    return lines;
}

// A fresh state and an empty log: the login "sa" (password SAPWD) the tools connect with, then the
// given lines ("login\tname\tpassword\trole,role", "database\tname", "fail\tstatement\t...").
inline void SeedStandIn(const std::vector<std::string>& lines)
{
    std::string text = "login\tsa\tSAPWD\tsysadmin\n";
    for (const std::string& line : lines) text += line + "\n";
    WriteBytes(StandInPath(), text);
    WriteBytes(StandInPath(".log"), "");
}

// The statements received since the log was last emptied, in order.
inline std::vector<std::string> StandInStatements() { return StandInLines(".log", "SQLExecDirect "); }
