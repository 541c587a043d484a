// Fuzz target over the command line a started program receives: whatever the texts and the room,
// the command fits its buffer; it is built exactly when it fits, and then it is the path (in quotes
// when it holds a blank or a tab), and for an alias that is not blank one blank and the alias, user
// ID and password joined by ";". The way of starting follows the path's own extension.
#include "shell/launch_command.h"
#include "ui/text_utils.h"
#include "tests/fuzz/fuzz_targets.h"

#include <string.h>

#include <vector>

std::string LaunchCommandProblem(const uint8_t* data, size_t size)
{
    if (size == 0) return "";
    // Below 0x80 the launcher's own room; otherwise a room of 0 to 381 bytes.
    size_t room = data[0] < 0x80 ? static_cast<size_t>(launchCommandSize) : static_cast<size_t>(data[0] - 0x80) * 3;
    data++;
    size--;
    std::string fields[4];
    for (std::string& field : fields) {
        std::string line = TakeLine(&data, &size);
        field = DocumentText(reinterpret_cast<const uint8_t*>(line.data()), line.size());
    }
    const std::string &path = fields[0], &alias = fields[1], &user = fields[2], &password = fields[3];

    // Guard bytes after the room show a write past its end.
    std::vector<char> buffer(room + 16, '#');
    bool built = BuildLaunchCommand(path.c_str(), alias.c_str(), user.c_str(), password.c_str(), buffer.data(), room);
    for (size_t i = room; i < buffer.size(); i++)
        if (buffer[i] != '#') return "written past the command's room";
    if (room == 0) return built ? "a command built into no room" : "";
    size_t length = strnlen(buffer.data(), room);
    if (length == room) return "the command is not terminated within its room";
    std::string command(buffer.data(), length);
    std::string arguments = IsBlank(alias.c_str()) ? "" : alias + ";" + user + ";" + password;
    std::string quoted = path.find_first_of(" \t") != std::string::npos ? "\"" + path + "\"" : path;
    std::string expected = quoted + (arguments.empty() ? "" : " " + arguments);
    bool fits = arguments.size() < launchArgumentsSize && expected.size() < room;
    if (built != fits) return built ? "a command built that does not fit" : "a command that fits refused";
    if (!built) return command.empty() ? "" : "a refused command is not empty";
    if (command != expected) return "the command is \"" + command + "\", not \"" + expected + "\"";

    std::string extension = path.size() >= 4 ? path.substr(path.size() - 4) : "";
    for (char& c : extension) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    if (IsExecutablePath(path.c_str()) != (extension == ".exe")) return "the way of starting ignores the path's own extension";
    return "";
}

MV_FUZZ_ENTRY(LaunchCommandProblem)
