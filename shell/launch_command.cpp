#include "shell/launch_command.h"

#include "shell/text_utils.h"
#include "support/bounded_text.h"

#include <stdio.h>
#include <string.h>

bool BuildLaunchCommand(const char* path, const char* alias, const char* userId, const char* password,
                        char* command, size_t commandSize)
{
    if (!command || commandSize == 0) return false;
    int n = IsBlank(alias) ? snprintf(command, commandSize, "%s", path ? path : "")
                           : snprintf(command, commandSize, "%s %s;%s;%s", path ? path : "", alias,
                                      userId ? userId : "", password ? password : "");
    if (n < 0 || (size_t)n >= commandSize) {
        command[0] = '\0';
        return false;
    }
    return true;
}

bool IsExecutableCommand(const char* command)
{
    return command && strstr(command, ".exe") != nullptr;
}
