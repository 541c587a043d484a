#include "shell/launch_command.h"

#include "ui/text_utils.h"

#include <stdio.h>
#include <string.h>

namespace {

bool Fail(char* text)
{
    text[0] = '\0';
    return false;
}

}  // namespace

bool BuildLaunchArguments(const char* alias, const char* userId, const char* password, char* arguments,
                          size_t argumentsSize)
{
    if (!arguments || argumentsSize == 0) return false;
    arguments[0] = '\0';
    if (IsBlank(alias)) return true;
    int n = snprintf(arguments, argumentsSize, "%s;%s;%s", alias, userId ? userId : "", password ? password : "");
    return n >= 0 && (size_t)n < argumentsSize ? true : Fail(arguments);
}

bool BuildLaunchCommand(const char* path, const char* alias, const char* userId, const char* password,
                        char* command, size_t commandSize)
{
    if (!command || commandSize == 0) return false;
    if (!path) path = "";
    char arguments[launchArgumentsSize];
    if (!BuildLaunchArguments(alias, userId, password, arguments, sizeof arguments)) return Fail(command);
    const char* quote = strpbrk(path, " \t") ? "\"" : "";
    int n = snprintf(command, commandSize, "%s%s%s%s%s", quote, path, quote, arguments[0] ? " " : "", arguments);
    return n >= 0 && (size_t)n < commandSize ? true : Fail(command);
}

bool IsExecutablePath(const char* path)
{
    if (!path) return false;
    size_t length = strlen(path);
    if (length < 4) return false;
    const char* extension = path + length - 4;
    return extension[0] == '.' && (extension[1] | 0x20) == 'e' && (extension[2] | 0x20) == 'x' &&
           (extension[3] | 0x20) == 'e';
}
