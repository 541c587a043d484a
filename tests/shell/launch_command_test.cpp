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
        {"C:\\Program Files\\app.EXE", "DB", "C:\\Program Files\\app.EXE DB;ZODA;TITOK"},
    };
    for (const Case& c : cases) {
        char command[launchCommandSize];
        ASSERT_TRUE(BuildLaunchCommand(c.path, c.alias, "ZODA", "TITOK", command, sizeof command)) << c.alias;
        EXPECT_STREQ(command, c.expected);
    }
}

TEST(BuildLaunchCommand, TheLongestInputsFit)
{
    std::string path(launchFieldLength, 'p'), alias(launchFieldLength, 'a');
    char command[launchCommandSize];
    ASSERT_TRUE(BuildLaunchCommand(path.c_str(), alias.c_str(), "123456789", "987654321", command, sizeof command));
    EXPECT_EQ(std::string(command), path + " " + alias + ";123456789;987654321");
}

TEST(BuildLaunchCommand, ATooSmallBufferGivesNothingRatherThanACutCommand)
{
    char command[8] = "junk";
    EXPECT_FALSE(BuildLaunchCommand("C:\\a.exe", "DB", "U", "P", command, sizeof command));
    EXPECT_STREQ(command, "");
}

TEST(IsExecutableCommand, CaseSensitiveSubstringAnywhere)
{
    EXPECT_TRUE(IsExecutableCommand("C:\\a.exe"));
    EXPECT_TRUE(IsExecutableCommand("C:\\dir.exe\\report.pdf"));
    EXPECT_TRUE(IsExecutableCommand("C:\\a.pdf x.exe;U;P"));
    EXPECT_FALSE(IsExecutableCommand("C:\\a.EXE"));
    EXPECT_FALSE(IsExecutableCommand("C:\\a.Exe DB;U;P"));
    EXPECT_FALSE(IsExecutableCommand(""));
}
