// The file test and the document slot of the process-wide values, in both builds.
#include "support/process_state.h"

#include "tests/harness/test_files.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

TEST(FileExists, AnswersForOrdinaryFilesOnly)
{
    ScratchDirectory scratch;
    ASSERT_TRUE(WriteBytes(scratch.PathOf("Marvitelkon.ini"), "x"));
    ASSERT_TRUE(WriteBytes(scratch.PathOf("empty.ini"), ""));
    ASSERT_TRUE(MakeDirectory(scratch.PathOf("folder.ini")));
    struct {
        const char* name;
        bool exists;
    } cases[] = {
        {"Marvitelkon.ini", true},
        {"empty.ini", true},  // size does not matter
        {"folder.ini", false},
        {"missing.ini", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FileExists(scratch.PathOf(c.name).c_str()), c.exists);
    }
    EXPECT_FALSE(FileExists(""));
    EXPECT_FALSE(FileExists(nullptr));
}

TEST(FileExists, RelativeNamesAreLookedUpInTheCurrentDirectory)
{
    ScratchDirectory scratch;
    ASSERT_TRUE(WriteBytes(scratch.PathOf("Marvitelkon.ini"), "x"));
    EXPECT_FALSE(FileExists("Marvitelkon.ini"));
    scratch.Enter();
    EXPECT_TRUE(FileExists("Marvitelkon.ini"));
}

TEST(DocumentText, ReplacingFreesTheOldTextAndNullClears)
{
    ReplaceDocumentText(nullptr);
    char* first = static_cast<char*>(malloc(8));
    strcpy(first, "<USER>");
    ReplaceDocumentText(first);
    EXPECT_EQ(documentText, first);
    ReplaceDocumentText(first);  // the same text again must not free it
    EXPECT_STREQ(documentText, "<USER>");
    char* second = static_cast<char*>(malloc(4));
    strcpy(second, "abc");
    ReplaceDocumentText(second);  // the sanitizers report a leak or a double free here
    EXPECT_EQ(documentText, second);
    ReplaceDocumentText(nullptr);
    EXPECT_EQ(documentText, nullptr);
}
