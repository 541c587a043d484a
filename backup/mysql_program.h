// The MySQL client programs (mysqldump.exe, mysql.exe) as the backup tools find and start them:
// directly, by their full path, with no command interpreter in between.
#pragma once

#include "support/platform.h"

#include <stddef.h>

// The full path of the client program exeName ("mysqldump.exe"), looked for beside the running
// program first, then in the current folder, then in the folders of the search path (PATH), in
// that order. False (target empty) when none of them holds it or the path does not fit.
bool FindMySqlProgram(const char* exeName, char* target, size_t capacity);
