// The SQL Server stand-in driver's files as a test program reaches them (natively, or under Wine
// through drive Z:): its state, which a test seeds and reads, and its call log. The format of both is
// described at the top of sqlserver_standin.c.
#pragma once

#include "tests/harness/test_files.h"

#include <sstream>
#include <string>
#include <vector>

// MV_SQLSERVER_STATE (set by the test's CTest entry) followed by suffix: "" the state, ".log" the log.
inline std::string StandInPath(const char* suffix)
{
    std::string path = EnvironmentValue("MV_SQLSERVER_STATE") + suffix;
#ifdef _WIN32
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
#endif
    return path;
}

// Replaces the state with these lines and starts an empty call log.
inline bool SeedStandIn(const std::string& stateLines)
{
    RemoveTree(StandInPath(".log"));
    return WriteBytes(StandInPath(""), stateLines);
}

inline std::string StandInState() { return ReadBytes(StandInPath("")); }

// Replaces the first from of the state by to; the stand-in reads it again at each statement.
inline bool ChangeStandIn(const std::string& from, const std::string& to)
{
    std::string state = StandInState();
    size_t at = state.find(from);
    return at != std::string::npos && WriteBytes(StandInPath(""), state.replace(at, from.size(), to));
}

// The logged calls that start with prefix, without it, in order.
inline std::vector<std::string> StandInCalls(const std::string& prefix)
{
    std::istringstream log(ReadBytes(StandInPath(".log")));
    std::vector<std::string> lines;
    for (std::string line; std::getline(log, line);)
        if (line.compare(0, prefix.size(), prefix) == 0) lines.push_back(line.substr(prefix.size()));
    return lines;
}
