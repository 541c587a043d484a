// How a chosen program is started and what it receives on its command line.
#pragma once

#include <stddef.h>

// Longest path and alias a program record holds (terminator excluded).
enum { launchPathLength = 260, launchAliasLength = 60 };
// Room for "alias;userId;password" with the longest alias, user ID and password (9 each, as typed).
enum { launchArgumentsSize = launchAliasLength + 1 + 9 + 1 + 9 + 1 };
// Room for the longest command: the path in quotes, a blank, the arguments.
enum { launchCommandSize = 1 + launchPathLength + 1 + 1 + launchArgumentsSize };

// "alias;userId;password", or an empty text when the alias is blank. False (and an empty text) when
// the result would not fit.
bool BuildLaunchArguments(const char* alias, const char* userId, const char* password, char* arguments,
                          size_t argumentsSize);

// The command line for starting the program: the path, then a blank and the arguments when the alias
// is not blank. A path holding a blank or a tab is put in quotes, so that no program named by its
// first words (C:\Program.exe for "C:\Program Files\...") can be started instead and receive the
// password. Returns false (and an empty command) when the result would not fit into the buffer.
bool BuildLaunchCommand(const char* path, const char* alias, const char* userId, const char* password,
                        char* command, size_t commandSize);

// True when the path is started with its command line (WinExec): its own extension is ".exe" in any
// letter case. Any other path is opened through the shell, with the arguments as parameters.
bool IsExecutablePath(const char* path);
