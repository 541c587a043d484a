#include "tests/harness/test_files.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
const char separator = '\\';
#else
const char separator = '/';
#endif

std::string CurrentDirectory()
{
#ifdef _WIN32
    char buffer[MAX_PATH * 4];
    DWORD n = GetCurrentDirectoryA(sizeof buffer, buffer);
    return n && n < sizeof buffer ? std::string(buffer, n) : std::string();
#else
    char buffer[4096];
    return getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string();
#endif
}

bool ChangeDirectory(const std::string& path)
{
#ifdef _WIN32
    return SetCurrentDirectoryA(path.c_str()) != 0;
#else
    return chdir(path.c_str()) == 0;
#endif
}

}  // namespace

ScratchDirectory::ScratchDirectory()
{
    static unsigned counter = 0;
#ifdef _WIN32
    char base[MAX_PATH];
    GetTempPathA(sizeof base, base);
    for (;;) {
        char name[MAX_PATH * 2];
        snprintf(name, sizeof name, "%smvtest-%lu-%u", base, GetCurrentProcessId(), ++counter);
        if (CreateDirectoryA(name, nullptr)) {
            path = name;
            break;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) abort();
    }
#else
    const char* base = getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/mvtest-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data())) abort();
    path = buffer.data();
    (void)counter;
#endif
}

ScratchDirectory::~ScratchDirectory()
{
    if (!previous.empty()) ChangeDirectory(previous);
    RemoveTree(path);
}

void ScratchDirectory::Enter()
{
    if (previous.empty()) previous = CurrentDirectory();
    ChangeDirectory(path);
}

std::string ScratchDirectory::PathOf(const std::string& name) const
{
    return path + separator + name;
}

bool WriteBytes(const std::string& path, const std::string& bytes)
{
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && ok;
}

std::string ReadBytes(const std::string& path)
{
    std::string bytes;
    FILE* file = fopen(path.c_str(), "rb");
    if (!file) return bytes;
    char buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, n);
    fclose(file);
    return bytes;
}

bool PathExists(const std::string& path)
{
#ifdef _WIN32
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
#else
    struct stat st;
    return stat(path.c_str(), &st) == 0;
#endif
}

bool MakeDirectory(const std::string& path)
{
#ifdef _WIN32
    return CreateDirectoryA(path.c_str(), nullptr) != 0;
#else
    return mkdir(path.c_str(), 0755) == 0;
#endif
}

void RemoveTree(const std::string& path)
{
    if (path.empty()) return;
#ifdef _WIN32
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        WIN32_FIND_DATAA entry;
        HANDLE find = FindFirstFileA((path + "\\*").c_str(), &entry);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                if (strcmp(entry.cFileName, ".") && strcmp(entry.cFileName, ".."))
                    RemoveTree(path + "\\" + entry.cFileName);
            } while (FindNextFileA(find, &entry));
            FindClose(find);
        }
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        RemoveDirectoryA(path.c_str());
    } else {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
    }
#else
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return;
    if (S_ISDIR(st.st_mode)) {
        if (DIR* dir = opendir(path.c_str())) {
            while (struct dirent* entry = readdir(dir))
                if (strcmp(entry->d_name, ".") && strcmp(entry->d_name, ".."))
                    RemoveTree(path + "/" + entry->d_name);
            closedir(dir);
        }
        rmdir(path.c_str());
    } else {
        unlink(path.c_str());
    }
#endif
}

std::vector<std::string> FilesIn(const std::string& directory)
{
    std::vector<std::string> names;
#ifdef _WIN32
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((directory + "\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (strcmp(entry.cFileName, ".") && strcmp(entry.cFileName, "..")) names.push_back(entry.cFileName);
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
#else
    if (DIR* dir = opendir(directory.c_str())) {
        while (struct dirent* entry = readdir(dir))
            if (strcmp(entry->d_name, ".") && strcmp(entry->d_name, "..")) names.push_back(entry->d_name);
        closedir(dir);
    }
#endif
    std::sort(names.begin(), names.end());
    return names;
}

std::string EnvironmentValue(const char* name, const char* fallback)
{
    const char* value = getenv(name);
    return value && *value ? std::string(value) : std::string(fallback);
}
