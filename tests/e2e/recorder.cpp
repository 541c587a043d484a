// recorder.exe: a stand-in for the programs the launcher starts. It writes down its full command line
// and its current directory, one per line, each ended by "\r\n", and ends at once. The file is named
// by the environment variable MV_RECORDER_OUT, or else is "recorder-out.txt" in the program's own
// directory. It is written under a temporary name and renamed when whole, so whoever polls for it
// never reads half a file. Exit status 0 when the file was written, 1 otherwise.
#include <windows.h>

#include <string.h>

namespace {

bool OutputPath(char* path, DWORD capacity)
{
    DWORD n = GetEnvironmentVariableA("MV_RECORDER_OUT", path, capacity);
    if (n > 0 && n < capacity) return true;
    n = GetModuleFileNameA(nullptr, path, capacity);
    if (n == 0 || n >= capacity) return false;
    char* slash = strrchr(path, '\\');
    char* name = slash ? slash + 1 : path;
    const char file[] = "recorder-out.txt";
    if (static_cast<size_t>(name - path) + sizeof file > capacity) return false;
    memcpy(name, file, sizeof file);
    return true;
}

bool WriteAll(HANDLE file, const char* bytes, DWORD size)
{
    DWORD done = 0;
    return WriteFile(file, bytes, size, &done, nullptr) && done == size;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char target[MAX_PATH * 4];
    if (!OutputPath(target, sizeof target - 8)) return 1;
    char partial[sizeof target];
    memcpy(partial, target, strlen(target) + 1);
    strcat(partial, ".part");

    char directory[MAX_PATH * 4];
    DWORD directoryLength = GetCurrentDirectoryA(sizeof directory, directory);
    if (directoryLength == 0 || directoryLength >= sizeof directory) return 1;
    const char* commandLine = GetCommandLineA();

    HANDLE file = CreateFileA(partial, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    bool written = WriteAll(file, commandLine, static_cast<DWORD>(strlen(commandLine))) && WriteAll(file, "\r\n", 2) &&
                   WriteAll(file, directory, directoryLength) && WriteAll(file, "\r\n", 2);
    CloseHandle(file);
    if (!written || !MoveFileExA(partial, target, MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileA(partial);
        return 1;
    }
    return 0;
}
