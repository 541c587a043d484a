// Documents no editor writes: every reader must stay within its fields and come back, whatever the
// text holds (the native build runs these under the address and undefined-behaviour sanitizers).
#include "config/config_document.h"

#include "config/session.h"
#include "tests/config/config_test_support.h"
#include "tests/config/reader_checks.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>

namespace {

std::string Repeat(const std::string& piece, size_t totalSize)
{
    std::string text;
    text.reserve(totalSize + piece.size());
    while (text.size() < totalSize) text += piece;
    return text;
}

TEST(ConfigRobustness, MalformedDocumentsAreReadWithoutHarm)
{
    std::string huge(5000, 'x');
    struct Case {
        const char* what;
        std::string document;
    } cases[] = {
        {"empty", ""},
        {"closing tags only",
         "</HEADER></MYSQL_DSN></USER></USER></PROGRAM></PROGRAMID></USERID></USERPWD></USERNAME></PROGRAMOK>"},
        {"opening tags only", "<HEADER><USER><USER><PROGRAM><PROGRAMID><USERID><USERPWD>"},
        {"records without closing tags", "<USER><USERID>A</USERID><USERPWD>B</USERPWD><PROGRAM><PROGRAMID>P</PROGRAMID>"},
        {"every value longer than every limit",
         Document(huge, ProgramLine(huge, huge, huge, huge, huge), UserLine(huge, huge, huge, huge, huge),
                  "<MYSQL_DSN>" + huge + "</MYSQL_DSN><MYSQL_ROOT>" + huge + "</MYSQL_ROOT><MYSQL_PWD>" + huge + "</MYSQL_PWD>",
                  "<MSSQL_DSN>" + huge + "</MSSQL_DSN><MSSQL_ROOT>" + huge + "</MSSQL_ROOT><MSSQL_PWD>" + huge + "</MSSQL_PWD>")},
        {"record tags inside values",
         Document("<USER><PROGRAM>", ProgramLine("P<USER>", "<PROGRAM><PROGRAM>", "</PROGRAM>"),
                  UserLine("<USER></USER><USER>", "A", "B", "YES", "<PROGRAM></PROGRAM>"))},
        {"closing tags before opening ones", "</USERID>A<USERID></USERPWD>B<USERPWD><USER></USER>"},
        {"tags cut at the end", Document("", ProgramLine("P1"), UserLine("N", "A", "B")) + "<USER><USERN"},
        {"one character", "<"},
        {"a lone record", "<USER></USER>"},
        {"binary garbage", "\x01\xff<\x80USER>\xfe</\x90USER>\x7f<USER>\xc3\xa9</USER>\x1b[0m"},
    };
    for (const Case& c : cases) EXPECT_EQ(CheckDocumentReaders(c.document.c_str()), "") << c.what;
}

TEST(ConfigRobustness, TheDocumentEndsAtItsFirstZeroByte)
{
    std::string document = Document("Fejléc", ProgramLine("P1"), UserLine("Anna", "A", "B"));
    std::string withZero = document.substr(0, document.find("<USERS>")) + std::string(1, '\0') + document.substr(document.find("<USERS>"));
    EXPECT_EQ(CheckDocumentReaders(withZero.c_str()), "");
    ModelPointer model = LoadModel(withZero.c_str());
    EXPECT_EQ(model->userRecordCount, 0);  // the users lie after the zero
    Session target{};
    EXPECT_FALSE(MatchLoginUser(withZero.c_str(), "A", "B", &target));
}

TEST(ConfigRobustness, AllByteValuesAsADocument)
{
    std::string bytes;
    for (int round = 0; round < 4; round++)
        for (int b = 1; b < 256; b++) bytes += static_cast<char>((b * 37 + round * 11) % 255 + 1);
    std::string document = bytes + Document("h", ProgramLine("P"), UserLine("N", "A", "B")) + bytes;
    EXPECT_EQ(CheckDocumentReaders(bytes.c_str()), "");
    EXPECT_EQ(CheckDocumentReaders(document.c_str()), "");
}

// Ten megabytes in the shapes that cost the most: many records without fields (every field search
// would reach the end of the document), many complete records, and one enormous value.
TEST(ConfigRobustness, TenMegabyteDocuments)
{
    const size_t size = 10 * 1024 * 1024;

    std::string emptyRecords = Repeat("<USER></USER>", size);
    Session target{};
    EXPECT_FALSE(MatchLoginUser(emptyRecords.c_str(), "A", "B", &target));
    ModelPointer model = LoadModel(emptyRecords.c_str());
    EXPECT_EQ(model->userRecordCount, 100);
    EXPECT_STREQ(model->userRecords[99].id, "");

    std::string users = Repeat(UserLine("Felhasználó", "U", "W", "NO", "P1;"), size);
    users += UserLine("Utolsó", "LAST", "W", "YES", "P1;");
    std::string manyUsers = Document("Fejléc", ProgramLine("P1"), users);
    ASSERT_TRUE(MatchLoginUser(manyUsers.c_str(), "LAST", "W", &target));
    EXPECT_STREQ(target.userName, "Utolsó");
    EXPECT_TRUE(target.isAdmin);
    EXPECT_EQ(target.programCount, 1);
    model = LoadModel(manyUsers.c_str());
    EXPECT_EQ(model->userRecordCount, 100);
    EXPECT_EQ(model->programRecordCount, 1);

    std::string oneValue = Document(std::string(size, 'h'), ProgramLine("P1"), UserLine("N", "A", "B"));
    EXPECT_EQ(CheckDocumentReaders(oneValue.c_str()), "");
    ASSERT_TRUE(MatchLoginUser(oneValue.c_str(), "A", "B", &target));
    EXPECT_STREQ(target.header, "");

    std::string programs = Document("", Repeat(ProgramLine("P"), 1024 * 1024), UserLine("N", "A", "B"));
    EXPECT_EQ(CheckDocumentReaders(programs.c_str()), "");
    ASSERT_TRUE(MatchLoginUser(programs.c_str(), "A", "B", &target));
    EXPECT_EQ(target.programCount, (int)maxProgramTableEntries);
    EXPECT_STREQ(target.programs[target.programCount - 1].id, "P");
    free(target.programs);
}

}  // namespace
