#include "tools/config_text.h"

#include "config/config_document.h"
#include "config/session.h"

#include <gtest/gtest.h>

#include <stdlib.h>

TEST(Cp1250Conversion, HungarianLettersRoundTrip)
{
    // The source is UTF-8, but narrow literals are compiled to Windows-1250.
    const std::string cp1250 = "árvíztűrő tükörfúrógép ÁRVÍZTŰRŐ TÜKÖRFÚRÓGÉP – €";
    std::string utf8, back, error;
    ASSERT_TRUE(Cp1250ToUtf8(cp1250, &utf8, &error)) << error;
    EXPECT_EQ(utf8.size(), cp1250.size() + 18 + 2 + 2);  // 18 two-byte letters, dash and euro take three
    EXPECT_EQ(utf8.substr(0, 3), "\xC3\xA1r");
    ASSERT_TRUE(Utf8ToCp1250(utf8, &back, &error)) << error;
    EXPECT_EQ(back, cp1250);
}

TEST(Cp1250Conversion, RefusesWhatHasNoForm)
{
    struct Case {
        const char* utf8;
        const char* why;
    } cases[] = {
        {"\xE2\x98\x83", "snowman has no Windows-1250 form"},
        {"\xC3", "truncated sequence"},
        {"\xC3\x28", "bad continuation byte"},
        {"\xC0\xA1", "overlong form"},
        {"\xFF", "invalid lead byte"},
        {"\xF0\x9F\x98\x80", "emoji"},
    };
    for (const Case& c : cases) {
        std::string out, error;
        EXPECT_FALSE(Utf8ToCp1250(c.utf8, &out, &error)) << c.why;
        EXPECT_FALSE(error.empty()) << c.why;
    }
    std::string out, error;
    EXPECT_FALSE(Cp1250ToUtf8(std::string("a\x81z"), &out, &error));  // undefined in Windows-1250
}

TEST(CheckPlainDocument, NeedsSomebodyWhoCanLogIn)
{
    std::string error;
    EXPECT_TRUE(CheckPlainDocument("<USER><USERID>A</USERID><USERPWD>B</USERPWD></USER>", &error));
    EXPECT_FALSE(CheckPlainDocument("", &error));
    EXPECT_FALSE(CheckPlainDocument("<USER><USERID>A</USERID></USER>", &error));
    EXPECT_FALSE(CheckPlainDocument("<USERS><USERID>A</USERID><USERPWD>B</USERPWD></USERS>", &error));
    EXPECT_FALSE(CheckPlainDocument(std::string("<USER><USERID>A</USERID><USERPWD>B</USERPWD></USER>\0", 53), &error));
}

TEST(CheckPlainDocument, AUserNeedsIdAndPasswordInsideOneRecordHoweverManyRecordsComeFirst)
{
    // Half a mebibyte of empty records, then an ID and a password in two records of their own: nobody
    // could log in with them, so the document is refused; the same fields in one record pass.
    std::string empty;
    while (empty.size() < (512u << 10)) empty += "<USER></USER>";
    std::string error;
    EXPECT_FALSE(CheckPlainDocument(
        empty + "<USER><USERID>A</USERID></USER><USER><USERPWD>B</USERPWD></USER>", &error));
    EXPECT_NE(error.find("nobody could log in"), std::string::npos) << error;
    EXPECT_TRUE(CheckPlainDocument(empty + "<USER><USERID>A</USERID><USERPWD>B</USERPWD></USER>", &error)) << error;
    // An over-long password is no password.
    EXPECT_FALSE(CheckPlainDocument("<USER><USERID>A</USERID><USERPWD>" + std::string(17, 'B') + "</USERPWD></USER>", &error));
}

TEST(CheckLoginValue, OnlyWhatTheLoginWindowCanType)
{
    std::string error;
    for (const char* good : {"ZODA", "A", "12345678", "ÁRVÍZ", "A-B_C.1", "ß"})
        EXPECT_TRUE(CheckLoginValue(good, "ID", &error)) << good << ": " << error;
    for (const char* bad : {"", "123456789", "zoda", "ÁRVíZ", "A B", "A<B", "A>", "A\tB", "ŐRZŐő"})
        EXPECT_FALSE(CheckLoginValue(bad, "ID", &error)) << bad;
}

TEST(CheckFreeText, LimitsAndForbiddenCharacters)
{
    std::string error;
    EXPECT_TRUE(CheckFreeText("", "header", 255, true, &error));
    EXPECT_FALSE(CheckFreeText("", "name", 100, false, &error));
    EXPECT_TRUE(CheckFreeText(std::string(255, 'x'), "header", 255, true, &error));
    EXPECT_FALSE(CheckFreeText(std::string(256, 'x'), "header", 255, true, &error));
    EXPECT_FALSE(CheckFreeText("a</HEADER>b", "header", 255, true, &error));
    EXPECT_FALSE(CheckFreeText("line\r\nbreak", "header", 255, true, &error));
}

TEST(BuildStarterDocument, OneAdministratorWhoCanLogIn)
{
    std::string document = BuildStarterDocument("Teszt Kft.", "Rendszergazda", "ADMIN", "TITOK");
    Session found = {};
    ASSERT_TRUE(MatchLoginUser(document.c_str(), "ADMIN", "TITOK", &found));
    EXPECT_TRUE(found.isAdmin);
    EXPECT_STREQ(found.userName, "Rendszergazda");
    EXPECT_STREQ(found.header, "Teszt Kft.");
    EXPECT_EQ(found.programCount, 0);
    free(found.programs);
    EXPECT_EQ(document.rfind("<MARVITELKON>\r\n<HEADER>Teszt Kft.</HEADER>\r\n", 0), 0u);
}
