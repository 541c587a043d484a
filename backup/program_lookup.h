// Where the backup tools find a server's client program (mysqldump.exe, mysql.exe): beside the
// running program, then in the current folder, then on the search path (PATH), as the command
// interpreter of the earlier batch files found the dump program.
#pragma once

#include <stddef.h>

// True with the program's full path in path. False, with path empty, when none of the three places
// has a file of that name or its path does not fit into capacity.
bool FindBackupProgram(const char* exeName, char* path, size_t capacity);
