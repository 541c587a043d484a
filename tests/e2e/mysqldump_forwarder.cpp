// Test aid, never shipped: mysqldump.exe for Wine, in two ways; built again as mysql.exe, the same for
// the host's client program (Z:\usr\bin\mariadb), whose standard input it first copies into a file
// of its own, since a Linux child cannot read a Windows pipe.
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
// the option-file options, which must come first.
//
// Recording (MV_MYSQLDUMP_RECORD names a file): appends the arguments as the program's runtime split
// them (each followed by a zero byte, the run by a line feed), writes "-- Dump completed" to
// standard output (or the file of --result-file=) and ends with 0, so a test sees exactly what a dump
// program would get.
//
// Either way, a file named by MV_MYSQLDUMP_STATUS may hold a status: nothing is dumped then, and the
// program ends with it, negative ones too (-1073741515: a DLL missing), after the completion line for
// any but 0 (failing or crashing as it ends) and only a first line for 0 (cut off, yet "success").
// While the file MV_MYSQLDUMP_HOLD_BEFORE (_AFTER) names exists, it waits before (after) the dump.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

namespace {

std::string Utf8(const std::wstring& text)
{
    char buffer[32768];
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, buffer, sizeof buffer, nullptr, nullptr);
    return size > 0 ? buffer : "";
}

// The host path of a Windows path (wine_get_unix_file_name); empty when Wine cannot tell.
std::string HostPath(const std::wstring& path)
{
    typedef char*(CDECL * UnixFileName)(const WCHAR*);
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

// A text of the environment, or fallback.
std::wstring Setting(const wchar_t* name, const wchar_t* fallback)
{
    const wchar_t* value = _wgetenv(name);
    return value && *value ? value : fallback;
}

// Where the dump goes: the file of --result-file=, else standard output.
FILE* DumpOutput(int argc, char** argv)
{
    for (int i = 1; i < argc; i++)
        if (strncmp(argv[i], "--result-file=", 14) == 0) return fopen(argv[i] + 14, "wb");
    return stdout;
}

int Record(int argc, char** argv, const std::wstring& file)
{
    FILE* out = _wfopen(file.c_str(), L"ab");
    if (!out) return 3;
    for (int i = 1; i < argc; i++) fwrite(argv[i], 1, strlen(argv[i]) + 1, out);
    fputc('\n', out);
    fclose(out);
    FILE* dump = DumpOutput(argc, argv);
    if (dump) fprintf(dump, "-- Dump completed\n");
    if (dump && dump != stdout) fclose(dump);
    return 0;
}

// True when this program is the client (named mysql.exe) rather than the dump program.
bool IsClient()
{
    WCHAR path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return length > 10 && _wcsicmp(path + length - 10, L"\\mysql.exe") == 0;
}

int Forward()
{
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const std::wstring port = Setting(L"MYSQL_TCP_PORT", L"");
    std::string command = ShellWord(HostPath(Setting(L"MV_MYSQLDUMP_PROGRAM", IsClient() ? L"Z:\\usr\\bin\\mariadb"
                                                                                         : L"Z:\\usr\\bin\\mariadb-dump")));
    bool portGiven = port.empty();
    for (int i = 1; i <= argc; i++) {
        std::wstring argument = i < argc ? argv[i] : L"";
        if (!portGiven && (i == argc || argument.rfind(L"--defaults", 0) != 0)) {
            command += " " + ShellWord("--port=" + Utf8(port));
            portGiven = true;
        }
        if (i == argc) break;
        size_t value = argument.find(L'=') + 1;
        std::string word = Utf8(argument);
        if (argument.rfind(L"--", 0) == 0 && value > 0 && argument.size() > value + 2 &&
            argument.compare(value + 1, 2, L":\\") == 0)
            word = Utf8(argument.substr(0, value)) + HostPath(argument.substr(value));
        command += " " + ShellWord(word);
    }
    LocalFree(argv);

    // The script runs the dump and then leaves its status in a file, renamed into place whole.
    WCHAR folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    std::wstring base = std::wstring(folder) + L"mvforward-" + std::to_wstring(GetCurrentProcessId());
    std::wstring script = base + L".sh", status = base + L".status", input = base + L".in";
    if (IsClient()) {
        FILE* copy = _wfopen(input.c_str(), L"wb");
        char buffer[65536];
        DWORD got = 0;
        while (copy && ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &got, nullptr) && got > 0)
            fwrite(buffer, 1, got, copy);
        if (copy) fclose(copy);
        // Wine hands a Linux child its standard input and output only: errors go to the output too.
        command += " < " + ShellWord(HostPath(input)) + " 2>&1";
    }
    std::string part = ShellWord(HostPath(status) + ".part");
    std::string text = command + "\necho $? > " + part + " && mv " + part + " " + ShellWord(HostPath(status)) + "\n";
    DeleteFileW(status.c_str());
    FILE* out = _wfopen(script.c_str(), L"wb");
    bool ready = out && fwrite(text.data(), 1, text.size(), out) == text.size();
    if (out) fclose(out);
    std::string hostScript = HostPath(script);
    std::wstring line = L"\"Z:\\bin\\sh\" \"" + std::wstring(hostScript.begin(), hostScript.end()) + L"\"";
    STARTUPINFOW startup = {sizeof startup};
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process = {};
    int code = 2;
    if (ready && CreateProcessW(L"Z:\\bin\\sh", &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                                &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        FILE* result = nullptr;
        for (int waited = 0; !result && waited < 600000; waited += 20) {
            if (!(result = _wfopen(status.c_str(), L"r"))) Sleep(20);
        }
        if (!result || fscanf(result, "%d", &code) != 1) code = 2;
        if (result) fclose(result);
    } else {
        fprintf(stderr, "mysqldump forwarder: cannot start the dump (error %lu)\n", GetLastError());
    }
    DeleteFileW(script.c_str());
    DeleteFileW(status.c_str());
    DeleteFileW(input.c_str());
    return code;
}

}  // namespace

int main(int argc, char** argv)
{
    auto hold = [](const wchar_t* name) {
        while (GetFileAttributesW(Setting(name, L"").c_str()) != INVALID_FILE_ATTRIBUTES) Sleep(20);
    };
    hold(L"MV_MYSQLDUMP_HOLD_BEFORE");
    FILE* file = _wfopen(Setting(L"MV_MYSQLDUMP_STATUS", L"").c_str(), L"r");
    int code = 0;
    bool fail = file && fscanf(file, "%d", &code) == 1;
    if (file) fclose(file);
    std::wstring record = Setting(L"MV_MYSQLDUMP_RECORD", L"");
    if (fail && !IsClient()) {
        if (FILE* dump = DumpOutput(argc, argv)) {
            fprintf(dump, code ? "-- Dump completed\n" : "-- MariaDB dump\n");
            if (dump != stdout) fclose(dump);
        }
    } else {
        code = record.empty() ? Forward() : Record(argc, argv, record);
    }
    hold(L"MV_MYSQLDUMP_HOLD_AFTER");
    return code;
}
