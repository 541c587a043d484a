#include "ui/text_utils.h"

#include <gtest/gtest.h>

#include <string>
#include <string.h>

TEST(IsBlank, OnlyBlanksCount)
{
    EXPECT_TRUE(IsBlank(""));
    EXPECT_TRUE(IsBlank("   "));
    EXPECT_TRUE(IsBlank(nullptr));
    EXPECT_FALSE(IsBlank(" a "));
    EXPECT_FALSE(IsBlank("\t"));
    EXPECT_FALSE(IsBlank(" \r\n"));
    EXPECT_FALSE(IsBlank("x"));
}

TEST(DirectoryOf, KeepsTheLastBackslash)
{
    char buffer[260];
    struct Case {
        const char* path;
        const char* directory;
    } cases[] = {
        {"C:\\Programs\\Suite\\app.exe", "C:\\Programs\\Suite\\"},
        {"C:\\app.exe", "C:\\"},
        {"\\", "\\"},
        {"app.exe", ""},
        {"", ""},
        {"C:\\dir\\", "C:\\dir\\"},
        {"C:/forward/slashes.exe", ""},
        {"\\\\server\\share\\x.exe", "\\\\server\\share\\"},
    };
    for (const Case& c : cases) {
        strcpy(buffer, "old contents");
        EXPECT_STREQ(DirectoryOf(c.path, buffer, sizeof buffer), c.directory) << c.path;
    }
}

TEST(DirectoryOf, RefusesAPathLongerThanItsBuffer)
{
    char small[8];
    EXPECT_STREQ(DirectoryOf("C:\\a\\b.exe", small, sizeof small), "");
    EXPECT_STREQ(DirectoryOf("C:\\a\\b", small, sizeof small), "C:\\a\\");
    EXPECT_EQ(DirectoryOf(nullptr, small, sizeof small), small);
    EXPECT_STREQ(small, "");
}

TEST(FormatCount, RightAlignedInThreePlaces)
{
    EXPECT_STREQ(FormatCount(0), "  0");
    EXPECT_STREQ(FormatCount(7), "  7");
    EXPECT_STREQ(FormatCount(42), " 42");
    EXPECT_STREQ(FormatCount(999), "999");
    EXPECT_STREQ(FormatCount(1000), "0.");
    EXPECT_STREQ(FormatCount(2147483647L), "0.");
}

TEST(FormatCount, EachCallOverwritesTheLast)
{
    std::string first = FormatCount(5);
    const char* second = FormatCount(12);
    EXPECT_EQ(first, "  5");
    EXPECT_STREQ(second, " 12");
}
