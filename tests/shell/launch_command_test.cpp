#include "shell/launch_command.h"

#include <gtest/gtest.h>

#include <string>

TEST(BuildLaunchCommand, AliasDecidesBetweenThePathAloneAndTheJoinedArgument)
{
    struct Case {
        const char* path;
        const char* alias;
        const char* expected;
    } cases[] = {
        {"C:\\Suite\\ledger.exe", "KONYV", "C:\\Suite\\ledger.exe KONYV;ZODA;TITOK"},
        {"C:\\Suite\\ledger.exe", "", "C:\\Suite\\ledger.exe"},
        {"C:\\Suite\\ledger.exe", "   ", "C:\\Suite\\ledger.exe"},
        {"C:\\Suite\\ledger.exe", " A", "C:\\Suite\\ledger.exe  A;ZODA;TITOK"},
        {"C:\\Suite\\ledger.exe", "\t", "C:\\Suite\\ledger.exe \t;ZODA;TITOK"},
        // A blank or a tab anywhere in the path: the path goes in quotes, the arguments stay as they are.
        {"C:\\Program Files\\app.EXE", "DB", "\"C:\\Program Files\\app.EXE\" DB;ZODA;TITOK"},
        {"C:\\apps\\Suite Bin\\konyv.exe", "KONYV", "\"C:\\apps\\Suite Bin\\konyv.exe\" KONYV;ZODA;TITOK"},
        {"C:\\apps\\Suite Bin\\konyv.exe", " ", "\"C:\\apps\\Suite Bin\\konyv.exe\""},
        {"C:\\a\tb\\c.exe", "DB", "\"C:\\a\tb\\c.exe\" DB;ZODA;TITOK"},
    };
    for (const Case& c : cases) {
        char command[launchCommandSize];
        ASSERT_TRUE(BuildLaunchCommand(c.path, c.alias, "ZODA", "TITOK", command, sizeof command)) << c.alias;
        EXPECT_STREQ(command, c.expected);
    }
}

TEST(BuildLaunchCommand, TheLongestInputsFitWhole)
{
    // A record's longest path (quoted, since it holds a blank) and alias, and what can be typed.
    std::string path = "C:\\Suite Bin\\" + std::string(launchPathLength - 17, 'p') + ".exe";
    ASSERT_EQ(path.size(), (size_t)launchPathLength);
    std::string alias(launchAliasLength, 'a');
    char command[launchCommandSize];
    ASSERT_TRUE(BuildLaunchCommand(path.c_str(), alias.c_str(), "123456789", "987654321", command, sizeof command));
    EXPECT_EQ(std::string(command), "\"" + path + "\" " + alias + ";123456789;987654321");
    char arguments[launchArgumentsSize];
    ASSERT_TRUE(BuildLaunchArguments(alias.c_str(), "123456789", "987654321", arguments, sizeof arguments));
    EXPECT_EQ(std::string(arguments), alias + ";123456789;987654321");
    ASSERT_TRUE(BuildLaunchArguments("   ", "U", "P", arguments, sizeof arguments));
    EXPECT_STREQ(arguments, "");
}

TEST(BuildLaunchCommand, ATooSmallBufferGivesNothingRatherThanACutCommand)
{
    char command[8] = "junk";
    EXPECT_FALSE(BuildLaunchCommand("C:\\a.exe", "DB", "U", "P", command, sizeof command));
    EXPECT_STREQ(command, "");
}

TEST(IsExecutablePath, ThePathsOwnExtensionInAnyLetterCase)
{
    EXPECT_TRUE(IsExecutablePath("C:\\a.exe"));
    EXPECT_TRUE(IsExecutablePath("C:\\KONYV.EXE"));
    EXPECT_TRUE(IsExecutablePath("C:\\a.Exe"));
    EXPECT_TRUE(IsExecutablePath("C:\\Suite Bin\\konyv.exe"));
    // ".exe" elsewhere in the path, or missing its dot, is no executable.
    EXPECT_FALSE(IsExecutablePath("C:\\dir.exe\\report.pdf"));
    EXPECT_FALSE(IsExecutablePath("C:\\a.exe.txt"));
    EXPECT_FALSE(IsExecutablePath("C:\\run.bat"));
    EXPECT_FALSE(IsExecutablePath("C:\\aexe"));
    EXPECT_FALSE(IsExecutablePath("C:\\a.exe "));
    EXPECT_FALSE(IsExecutablePath("exe"));
    EXPECT_FALSE(IsExecutablePath(""));
    EXPECT_FALSE(IsExecutablePath(nullptr));
}
