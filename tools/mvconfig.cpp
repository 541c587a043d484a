// mvconfig: makes and reads Marvitelkon.ini outside the launcher.
//
//   mvconfig init INI --id ID --password PASSWORD --header TEXT [--name NAME] [--force]
//   mvconfig encode PLAIN INI [--force]     plain-text document -> scrambled configuration
//   mvconfig decode INI PLAIN [--force]     scrambled configuration -> plain text ("-": standard output)
//   mvconfig --version                      the release's version
//
// Plain files and arguments are UTF-8 natively and in the ANSI code page on Windows, unless --utf8
// or --ansi says otherwise; the configuration itself is always Windows-1250. Existing files are
// never overwritten without --force.
#include "config/config_document.h"
#include "config/scrambled_file.h"
#include "support/platform.h"
#include "tools/config_text.h"

#include "mv_version.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

struct Options {
    std::vector<std::string> positional;
    std::string id, password, header, name;
    bool haveId = false, havePassword = false, haveHeader = false, haveName = false;
    bool force = false;
#ifdef _WIN32
    bool utf8 = false;
#else
    bool utf8 = true;
#endif
};

int Fail(const std::string& message)
{
    fprintf(stderr, "mvconfig: %s\n", message.c_str());
    return 1;
}

int Usage()
{
    fputs("usage:\n"
          "  mvconfig init INI --id ID --password PASSWORD --header TEXT [--name NAME] [--force]\n"
          "  mvconfig encode PLAIN INI [--force]\n"
          "  mvconfig decode INI PLAIN [--force]      (PLAIN may be - for standard output)\n"
          "  mvconfig --version\n"
          "options: --utf8 / --ansi  encoding of plain files and arguments (default: "
#ifdef _WIN32
          "the ANSI code page"
#else
          "UTF-8"
#endif
          ")\n",
          stderr);
    return 2;
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool ReadPlainFile(const std::string& path, std::string* bytes, std::string* error)
{
    FILE* file = path == "-" ? stdin : fopen(path.c_str(), "rb");
    if (!file) {
        *error = "cannot open " + path;
        return false;
    }
    char buffer[65536];
    size_t n;
    bytes->clear();
    while ((n = fread(buffer, 1, sizeof buffer, file)) > 0) bytes->append(buffer, n);
    bool ok = !ferror(file);
    if (file != stdin) fclose(file);
    if (!ok) *error = "cannot read " + path;
    return ok;
}

bool WritePlainFile(const std::string& path, const std::string& bytes, bool force, std::string* error)
{
    if (path == "-") return fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
    if (!force && Exists(path)) {
        *error = path + " exists; use --force to overwrite it";
        return false;
    }
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) {
        *error = "cannot create " + path;
        return false;
    }
    bool ok = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = fclose(file) == 0 && ok;
    if (!ok) *error = "cannot write " + path;
    return ok;
}

// Writes the scrambled document as the launcher saves it: through a temporary file of its own,
// flushed, that replaces the target in one step, so a failure never leaves a half-written
// configuration and a launcher reading it at the same time sees the old or the new one.
bool WriteScrambled(const std::string& path, const std::string& plain, bool force, std::string* error)
{
    if (!force && Exists(path)) {
        *error = path + " exists; use --force to overwrite it";
        return false;
    }
    if (!SaveScrambledFile(path.c_str(), configurationKey, plain.data(), plain.size())) {
        *error = "cannot write " + path;
        return false;
    }
    return true;
}

bool ReadScrambled(const std::string& path, std::string* plain, std::string* error)
{
    size_t length = 0;
    bool opened = false;
    char* text = LoadScrambledFile(path.c_str(), configurationKey, &length, &opened);
    if (!text) {
        *error = (opened ? "cannot read " : "cannot open ") + path;
        return false;
    }
    plain->assign(text, length);
    free(text);
    return true;
}

// Plain text in the user's encoding -> Windows-1250, and back.
bool ToDocumentText(const Options& options, const std::string& text, std::string* cp1250, std::string* error)
{
    if (!options.utf8) {
        *cp1250 = text;
        return true;
    }
    return Utf8ToCp1250(text, cp1250, error);
}

bool FromDocumentText(const Options& options, const std::string& cp1250, std::string* text, std::string* error)
{
    if (!options.utf8) {
        *text = cp1250;
        return true;
    }
    return Cp1250ToUtf8(cp1250, text, error);
}

int RunInit(const Options& options)
{
    if (options.positional.size() != 1 || !options.haveId || !options.havePassword || !options.haveHeader)
        return Usage();
    // The default name is a literal of this program, which is Windows-1250 already.
    std::string id, password, header, name = "Adminisztrátor", error;
    if (!ToDocumentText(options, options.id, &id, &error) || !ToDocumentText(options, options.password, &password, &error) ||
        !ToDocumentText(options, options.header, &header, &error) ||
        (options.haveName && !ToDocumentText(options, options.name, &name, &error)))
        return Fail(error);
    if (!CheckLoginValue(id, "the user ID", &error) || !CheckLoginValue(password, "the password", &error) ||
        !CheckFreeText(header, "the header", modelHeaderLimit, true, &error) ||
        !CheckFreeText(name, "the name", modelNameLimit, false, &error))
        return Fail(error);
    if (!WriteScrambled(options.positional[0], BuildStarterDocument(header, name, id, password), options.force, &error))
        return Fail(error);
    return 0;
}

int RunEncode(const Options& options)
{
    if (options.positional.size() != 2) return Usage();
    std::string text, document, error;
    if (!ReadPlainFile(options.positional[0], &text, &error) || !ToDocumentText(options, text, &document, &error) ||
        !CheckPlainDocument(document, &error) || !WriteScrambled(options.positional[1], document, options.force, &error))
        return Fail(error);
    return 0;
}

int RunDecode(const Options& options)
{
    if (options.positional.size() != 2) return Usage();
    std::string document, text, error;
    if (!ReadScrambled(options.positional[0], &document, &error)) return Fail(error);
    if (document.find("<USER>") == std::string::npos || document.find('\0') != std::string::npos)
        return Fail(options.positional[0] + " is not a Marvitelkon configuration (no <USER> record after unscrambling)");
    if (!FromDocumentText(options, document, &text, &error) ||
        !WritePlainFile(options.positional[1], text, options.force, &error))
        return Fail(error);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) return Usage();
    if (argc == 2 && strcmp(argv[1], "--version") == 0) {
        printf("mvconfig (Marvitelkon) %s\n%s\n", MV_VERSION_TEXT, MV_COPYRIGHT);
        return 0;
    }
    Options options;
    for (int i = 2; i < argc; i++) {
        std::string arg = argv[i];
        auto value = [&](std::string* target, bool* seen) {
            if (i + 1 >= argc) return false;
            *target = argv[++i];
            *seen = true;
            return true;
        };
        bool ok = true;
        if (arg == "--force") options.force = true;
        else if (arg == "--utf8") options.utf8 = true;
        else if (arg == "--ansi") options.utf8 = false;
        else if (arg == "--id") ok = value(&options.id, &options.haveId);
        else if (arg == "--password") ok = value(&options.password, &options.havePassword);
        else if (arg == "--header") ok = value(&options.header, &options.haveHeader);
        else if (arg == "--name") ok = value(&options.name, &options.haveName);
        else if (arg.size() > 1 && arg[0] == '-' && arg != "-") ok = false;
        else options.positional.push_back(arg);
        if (!ok) return Usage();
    }
    std::string command = argv[1];
    if (command == "init") return RunInit(options);
    if (command == "encode") return RunEncode(options);
    if (command == "decode") return RunDecode(options);
    return Usage();
}
