// Test aid, never shipped: mysqldump.exe for Wine. Wine's command interpreter cannot start a Linux
// program, so a batch file's "mysqldump ... > file" reaches the host's dump program through this
// forwarder: it starts Z:\usr\bin\mariadb-dump (or the program named by MV_MYSQLDUMP_PROGRAM) with
// its own arguments and hands on its standard handles, so the redirection lands where the batch
// line says. The batch line names no port: MYSQL_TCP_PORT of this program's environment, when set,
// goes along as --port, so a test server on another port is reached. The Linux child runs detached
// (waiting for it returns at once): a test waits for the dump file to be complete, not for this
// program.
#include <windows.h>

#include <stdio.h>
#include <string.h>

int main()
{
    const char* line = GetCommandLineA();
    // Skip the program's own name, quoted or not.
    if (*line == '"') {
        line++;
        while (*line && *line != '"') line++;
        if (*line) line++;
    } else {
        while (*line && *line != ' ' && *line != '\t') line++;
    }
    char program[MAX_PATH] = "Z:\\usr\\bin\\mariadb-dump";
    DWORD length = GetEnvironmentVariableA("MV_MYSQLDUMP_PROGRAM", program, sizeof program);
    if (length == 0 || length >= sizeof program) lstrcpynA(program, "Z:\\usr\\bin\\mariadb-dump", sizeof program);

    char port[16] = "";
    char portOption[32] = "";
    length = GetEnvironmentVariableA("MYSQL_TCP_PORT", port, sizeof port);
    if (length > 0 && length < sizeof port) wsprintfA(portOption, " --port=%s", port);

    static char command[32768];
    if (strlen(program) + strlen(portOption) + strlen(line) + 4 > sizeof command) return 2;
    // (wsprintfA stops at 1024 characters; a long batch line needs more.)
    strcpy(command, "\"");
    strcat(command, program);
    strcat(command, "\"");
    strcat(command, portOption);
    strcat(command, line);

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(program, command, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        fprintf(stderr, "mysqldump forwarder: cannot start %s (error %lu)\n", program, GetLastError());
        return 1;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}
