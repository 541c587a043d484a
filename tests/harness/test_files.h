// Scratch directories and files for tests, in both builds.
#pragma once

#include <string>
#include <vector>

// A fresh empty directory, removed with its contents when the object goes. The constructor does
// not change the current directory; Enter does, and the destructor restores the old one.
struct ScratchDirectory {
    ScratchDirectory();
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    // Makes the directory current until destruction.
    void Enter();
    // Full path of a name inside the directory, with the platform's separator.
    std::string PathOf(const std::string& name) const;

    std::string path;
    std::string previous;
};

// Whole-file helpers; bytes are written and read as they are.
bool WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path);
bool PathExists(const std::string& path);
bool MakeDirectory(const std::string& path);
// Names of the entries of a directory ("." and ".." left out), sorted.
std::vector<std::string> FilesIn(const std::string& directory);
// Removes a file or a directory tree; quiet when nothing is there.
void RemoveTree(const std::string& path);

// A value of the environment, or the fallback.
std::string EnvironmentValue(const char* name, const char* fallback = "");
