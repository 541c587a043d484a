// The mvconfig command line as a user runs it (native build).
#include "tests/harness/test_documents.h"
#include "tests/harness/test_files.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

namespace {

struct CliRun {
    int status;
    std::string output;
};

CliRun Mvconfig(const std::string& arguments)
{
    std::string command = std::string(MV_MVCONFIG_PATH) + " " + arguments + " 2>&1";
    CliRun run{-1, ""};
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, n);
    int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

}  // namespace

TEST(MvconfigCli, InitWritesAScrambledStarterDocumentAndNeverOverwritesUnasked)
{
    ScratchDirectory dir;
    std::string ini = dir.PathOf("Marvitelkon.ini");
    CliRun first = Mvconfig("init " + ini + " --id ADMIN --password TITOK --header 'Pr\xC3\xB3" "ba Kft.'");  // UTF-8 bytes, as a terminal gives them
    ASSERT_EQ(first.status, 0) << first.output;
    std::string plain = Scramble(ReadBytes(ini));  // the same XOR turns the file back into text
    EXPECT_NE(plain.find("<HEADER>Pr\xF3" "ba Kft.</HEADER>"), std::string::npos) << "header converted to Windows-1250";
    EXPECT_NE(plain.find("<USERID>ADMIN</USERID><USERPWD>TITOK</USERPWD><USERADMIN>YES</USERADMIN>"),
              std::string::npos);

    CliRun again = Mvconfig("init " + ini + " --id OTHER --password X --header h");
    EXPECT_NE(again.status, 0);
    EXPECT_NE(again.output.find("--force"), std::string::npos);
    EXPECT_EQ(Scramble(ReadBytes(ini)), plain);

    EXPECT_EQ(Mvconfig("init " + ini + " --id OTHER --password X --header h --force").status, 0);
    EXPECT_NE(Scramble(ReadBytes(ini)).find("<USERID>OTHER</USERID>"), std::string::npos);
}

TEST(MvconfigCli, DecodeAndEncodeRoundTrip)
{
    ScratchDirectory dir;
    std::string ini = dir.PathOf("Marvitelkon.ini"), text = dir.PathOf("plain.txt"), again = dir.PathOf("again.ini");
    ASSERT_EQ(Mvconfig("init " + ini + " --id ADMIN --password TITOK --header '\xC3\x81rv\xC3\xADzt\xC5\xB1r\xC5\x91'").status, 0);
    ASSERT_EQ(Mvconfig("decode " + ini + " " + text).status, 0);
    EXPECT_NE(ReadBytes(text).find("<HEADER>\xC3\x81rv\xC3\xADzt\xC5\xB1r\xC5\x91</HEADER>"), std::string::npos)
        << "plain text is UTF-8";
    ASSERT_EQ(Mvconfig("encode " + text + " " + again).status, 0);
    EXPECT_EQ(ReadBytes(again), ReadBytes(ini));
    CliRun toStdout = Mvconfig("decode " + ini + " - --ansi");
    EXPECT_EQ(toStdout.status, 0);
    EXPECT_NE(toStdout.output.find("<HEADER>\xC1rv\xEDzt\xFBr\xF5</HEADER>"), std::string::npos);
}

TEST(MvconfigCli, RefusesBadInputWithAMessage)
{
    ScratchDirectory dir;
    std::string ini = dir.PathOf("Marvitelkon.ini");
    WriteBytes(dir.PathOf("nobody.txt"), "<MARVITELKON><HEADER>x</HEADER></MARVITELKON>");
    WriteBytes(dir.PathOf("notutf8.txt"), "<USER><USERID>A</USERID><USERPWD>\xE1</USERPWD></USER>");
    WriteBytes(dir.PathOf("plain.ini"), "<USER><USERID>A</USERID><USERPWD>B</USERPWD></USER>");
    struct Case {
        std::string arguments;
        const char* says;
    } cases[] = {
        {"", "usage"},
        {"frobnicate", "usage"},
        {"init " + ini + " --id ADMIN --password TITOK", "usage"},
        {"init " + ini + " --id admin --password TITOK --header h", "lower-case"},
        {"init " + ini + " --id ADMINISTRATOR --password TITOK --header h", "longer than 8"},
        {"init " + ini + " --id ADMIN --password '' --header h", "empty"},
        {"init " + ini + " --id ADMIN --password TITOK --header '<b>'", "'<'"},
        {"encode " + dir.PathOf("nobody.txt") + " " + ini, "nobody could log in"},
        {"encode " + dir.PathOf("notutf8.txt") + " " + ini, "UTF-8"},
        {"encode " + dir.PathOf("missing.txt") + " " + ini, "cannot open"},
        {"decode " + dir.PathOf("plain.ini") + " -", "not a Marvitelkon configuration"},
        {"decode " + dir.PathOf("missing.ini") + " -", "cannot open"},
    };
    for (const Case& c : cases) {
        CliRun run = Mvconfig(c.arguments);
        EXPECT_NE(run.status, 0) << c.arguments;
        EXPECT_NE(run.output.find(c.says), std::string::npos) << c.arguments << " said: " << run.output;
    }
    EXPECT_FALSE(PathExists(ini));
}

TEST(MvconfigCli, RewritingKeepsTheFilesModeAndWritesNothingThroughLinksOrBesideIt)
{
    ScratchDirectory dir, outside;
    std::string ini = dir.PathOf("Marvitelkon.ini"), text = dir.PathOf("plain.txt");
    std::string victim = outside.PathOf("victim");
    ASSERT_EQ(Mvconfig("init " + ini + " --id ADMIN --password TITOK --header Regi").status, 0);
    ASSERT_EQ(Mvconfig("decode " + ini + " " + text).status, 0);
    std::string plain = ReadBytes(text);
    size_t at = plain.find("Regi");
    ASSERT_NE(at, std::string::npos);
    WriteBytes(text, plain.replace(at, strlen("Regi"), "Uj"));
    ASSERT_EQ(chmod(ini.c_str(), 0640), 0);
    // The name an earlier version wrote to, planted as a link to a file elsewhere.
    ASSERT_EQ(symlink(victim.c_str(), (ini + ".mvconfig-tmp").c_str()), 0);

    CliRun run = Mvconfig("encode " + text + " " + ini + " --force");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(Scramble(ReadBytes(ini)).find("<HEADER>Uj</HEADER>"), std::string::npos);
    struct stat st;
    ASSERT_EQ(lstat(ini.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_FALSE(PathExists(victim));
    EXPECT_EQ(FilesIn(dir.path), (std::vector<std::string>{"Marvitelkon.ini", "Marvitelkon.ini.mvconfig-tmp", "plain.txt"}));
}
