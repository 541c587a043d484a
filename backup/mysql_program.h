// The MySQL client programs (mysqldump.exe, mysql.exe) as the backup tools find and start them:
// directly, by their full path, with no command interpreter in between.
#pragma once

#include "support/platform.h"

#include <stddef.h>

// The full path of the client program exeName ("mysqldump.exe"), looked for beside the running
// program first, then in the current folder, then in the folders of the search path (PATH), in
// that order. False (target empty) when none of them holds it or the path does not fit.
bool FindMySqlProgram(const char* exeName, char* target, size_t capacity);

// How a program is started: by its full path, inheriting the listed handles and nothing else (no
// socket of a connection, say), so that what it must not hold stays the starter's.
struct ProgramStart {
    const char* program;           // full path
    char* commandLine;             // starts with the program's own name; CreateProcess may change it
    const char* currentDirectory;  // null: the starter's
    DWORD flags;                   // for CreateProcess: CREATE_NEW_CONSOLE, CREATE_NO_WINDOW or 0
    HANDLE input, output, error;   // its standard handles (inheritable), or all null: its own
    HANDLE inherited;              // one more inheritable handle it holds, or null
    WORD show;                     // how its first window is shown, with the standard handles null
};

// Starts it; *process receives the process handle, which the caller closes. False when it did not
// start (GetLastError says why).
bool StartProgram(const ProgramStart& start, HANDLE* process);

// Starts program by its full path with commandLine (which starts with the program's own name, as the
// programs expect; it may be changed by the call) in the current folder, with these standard
// handles (inheritable, or null for none), and waits for it to end, calling progress(context) every
// interval milliseconds meanwhile when progress is given. The program inherits those handles and
// nothing else. True with its exit status in *status (any status, the negative ones of a program
// that crashed or could not load included); false when it did not start (GetLastError says why).
bool RunMySqlProgram(const char* program, char* commandLine, HANDLE input, HANDLE output, HANDLE error,
                     DWORD interval, void (*progress)(void* context), void* context, DWORD* status);
