// The command line a started program receives.
#pragma once

#include <stddef.h>

// Longest path and alias read back from the list (127 characters each, terminator excluded).
enum { launchFieldLength = 127 };
// Room for the longest command: path, blank, alias, ";", user ID, ";", password, terminator.
enum { launchCommandSize = launchFieldLength + 1 + launchFieldLength + 1 + 9 + 1 + 9 + 1 };

// "path" when the alias is blank, otherwise "path alias;userId;password". Returns false (and an
// empty command) when the result would not fit into the buffer.
bool BuildLaunchCommand(const char* path, const char* alias, const char* userId, const char* password,
                        char* command, size_t commandSize);

// True when the command is started with WinExec: it contains ".exe" anywhere (case-sensitive).
bool IsExecutableCommand(const char* command);
