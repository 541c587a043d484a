// Test aid, never shipped: mysqldump.exe for Wine, in two ways.
//
// Forwarding (the default): Wine's command interpreter cannot start a Linux program, so a batch
// file's "mysqldump ... > file" reaches the host's dump program (Z:\usr\bin\mariadb-dump, or the
// program named by MV_MYSQLDUMP_PROGRAM) through this program. A Linux child runs detached (waiting
// for it returns at once), so it is started as "sh script", the script running the dump program and
// then writing its exit status to a file, which this program waits for and returns: the batch's
// "if errorlevel 1" sees what the dump program reported. Windows paths in options
// ("--defaults-extra-file=C:\users\...\x.cnf") become the host's paths (wine_get_unix_file_name).
// The standard handles go along, so the redirection lands where the batch line says. The batch line
// names no port: MYSQL_TCP_PORT of this program's environment, when set, goes along as --port, after
// the option-file options, which must come first. When MV_MYSQLDUMP_DONE names a file, each ended
// dump appends its exit status there, so a test knows when the dump program has ended.
//
// Recording (MV_MYSQLDUMP_RECORD names a file): appends the arguments as the program's runtime split
// them (each followed by a zero byte, the run by a line feed), writes "-- Dump completed" to
// standard output and ends with 0, so a test sees exactly what a dump program would get. With
// MV_MYSQLDUMP_STATUS set it fails as a dump cut off part-way does: a first line, then that status.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include <string>
#include <vector>

namespace {

typedef char*(CDECL* UnixFileName)(const WCHAR*);

std::string Utf8(const std::wstring& text)
{
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string result(size > 0 ? size - 1 : 0, '\0');
    if (size > 1) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &result[0], size, nullptr, nullptr);
    return result;
}

std::wstring Wide(const std::string& text)
{
    int size = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    std::wstring result(size > 0 ? size - 1 : 0, L'\0');
    if (size > 1) MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &result[0], size);
    return result;
}

// The host path of a Windows path; empty when Wine cannot tell.
std::string HostPath(const std::wstring& path)
{
    static auto convert = reinterpret_cast<UnixFileName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    char* unix = convert ? convert(path.c_str()) : nullptr;
    std::string result = unix ? unix : "";
    if (unix) HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

// A word for sh: in single quotes, a quote inside written as '\''.
std::string ShellWord(const std::string& text)
{
    std::string word = "'";
    for (char c : text) word += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return word + "'";
}

int Record(int argc, char** argv, const char* file)
{
    FILE* out = fopen(file, "ab");
    if (!out) return 3;
    for (int i = 1; i < argc; i++) fwrite(argv[i], 1, strlen(argv[i]) + 1, out);
    fputc('\n', out);
    fclose(out);
    int status = atoi(getenv("MV_MYSQLDUMP_STATUS") ? getenv("MV_MYSQLDUMP_STATUS") : "0");
    printf(status ? "-- MariaDB dump\n" : "-- Dump completed\n");
    return status;
}

int Forward()
{
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    WCHAR program[MAX_PATH] = L"Z:\\usr\\bin\\mariadb-dump";
    DWORD length = GetEnvironmentVariableW(L"MV_MYSQLDUMP_PROGRAM", program, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) wcscpy(program, L"Z:\\usr\\bin\\mariadb-dump");
    WCHAR port[16] = L"";
    length = GetEnvironmentVariableW(L"MYSQL_TCP_PORT", port, 16);
    if (length >= 16) port[0] = 0;

    std::string command = ShellWord(HostPath(program));
    bool portGiven = !port[0];
    for (int i = 1; argv && i < argc; i++) {
        std::wstring argument = argv[i];
        if (!portGiven && argument.rfind(L"--defaults", 0) != 0 && argument.rfind(L"--no-defaults", 0) != 0) {
            command += " " + ShellWord("--port=" + Utf8(port));
            portGiven = true;
        }
        std::string word = Utf8(argument);
        size_t equals = argument.find(L'=');
        if (argument.rfind(L"--", 0) == 0 && equals != std::wstring::npos && argument.size() > equals + 3 &&
            argument[equals + 2] == L':' && argument[equals + 3] == L'\\')
            word = Utf8(argument.substr(0, equals + 1)) + HostPath(argument.substr(equals + 1));
        command += " " + ShellWord(word);
    }
    if (!portGiven) command += " " + ShellWord("--port=" + Utf8(port));
    LocalFree(argv);

    WCHAR folder[MAX_PATH];
    if (!GetTempPathW(MAX_PATH, folder)) return 2;
    std::wstring base = std::wstring(folder) + L"mvforward-" + std::to_wstring(GetCurrentProcessId());
    std::wstring script = base + L".sh", status = base + L".status";
    std::string hostStatus = HostPath(status);
    std::string text = command + "\necho $? > " + ShellWord(hostStatus + ".part") + " && mv " +
                       ShellWord(hostStatus + ".part") + " " + ShellWord(hostStatus) + "\n";
    DeleteFileW(status.c_str());
    HANDLE file = CreateFileW(script.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    bool ready = file != INVALID_HANDLE_VALUE && WriteFile(file, text.data(), text.size(), &written, nullptr) &&
                 written == text.size();
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);

    std::wstring line = L"\"Z:\\bin\\sh\" \"" + Wide(HostPath(script)) + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process = {};
    if (!ready || !CreateProcessW(L"Z:\\bin\\sh", &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                                  &process)) {
        fprintf(stderr, "mysqldump forwarder: cannot start the dump (error %lu)\n", GetLastError());
        DeleteFileW(script.c_str());
        return 2;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    // The script's status file appears when the dump program has ended (at most ten minutes).
    int code = 2;
    for (int waited = 0; waited < 600000; waited += 20) {
        FILE* result = _wfopen(status.c_str(), L"r");
        if (result) {
            if (fscanf(result, "%d", &code) != 1) code = 2;
            fclose(result);
            break;
        }
        Sleep(20);
    }
    DeleteFileW(script.c_str());
    DeleteFileW(status.c_str());
    char done[MAX_PATH];
    length = GetEnvironmentVariableA("MV_MYSQLDUMP_DONE", done, sizeof done);
    FILE* log = length > 0 && length < sizeof done ? fopen(done, "ab") : nullptr;
    if (log) fprintf(log, "%d\n", code), fclose(log);
    return code;
}

}  // namespace

int main(int argc, char** argv)
{
    char record[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("MV_MYSQLDUMP_RECORD", record, sizeof record);
    if (length > 0 && length < sizeof record) return Record(argc, argv, record);
    return Forward();
}
