// The login's reading of the document: which user record matches and what reaches the Session.
#include "config/session.h"

#include "support/bounded_text.h"
#include "tests/harness/test_documents.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <string>

namespace {

// Program records of these tests: path and icon follow the ID.
std::string Program(const std::string& id, const std::string& description = "D")
{
    return ProgramLine(id, description, "C:\\" + id + ".exe", "AL", id + ".ico");
}

// A Session that frees its table.
struct LoginTarget : Session {
    LoginTarget() { memset(static_cast<Session*>(this), 0, sizeof(Session)); }
    ~LoginTarget() { free(programs); }
    bool Login(const std::string& document, const char* id, const char* password)
    {
        return MatchLoginUser(document.c_str(), id, password, this);
    }
};

TEST(MatchLoginUser, FillsTheSessionFromTheFirstMatchingRecord)
{
    std::string document = Document("Fejléc", Program("P1", "Egy") + Program("P2"),
                                     UserLine("Kiss Anna", "ANNA", "TITOK", "YES", "P1;P2;") +
                                         UserLine("Másik Anna", "ANNA", "TITOK", "NO", "P2;"));
    LoginTarget target;
    CopyText(target.userId, "typed");
    CopyText(target.password, "typed");
    ASSERT_TRUE(target.Login(document, "ANNA", "TITOK"));
    EXPECT_STREQ(target.userName, "Kiss Anna");
    EXPECT_TRUE(target.isAdmin);
    EXPECT_STREQ(target.permittedPrograms, "P1;P2;");
    EXPECT_STREQ(target.header, "Fejléc");
    EXPECT_STREQ(target.mysqlDataSource, "mydsn");
    EXPECT_STREQ(target.mysqlUser, "root");
    EXPECT_STREQ(target.mysqlPassword, "mypwd");
    EXPECT_STREQ(target.sqlServerDataSource, "msdsn");
    EXPECT_STREQ(target.sqlServerUser, "sa");
    EXPECT_STREQ(target.sqlServerPassword, "mspwd");
    ASSERT_EQ(target.programCount, 2);
    EXPECT_STREQ(target.programs[0].id, "P1");
    EXPECT_STREQ(target.programs[0].description, "Egy");
    EXPECT_STREQ(target.programs[0].fullPath, "C:\\P1.exe");
    EXPECT_STREQ(target.programs[0].alias, "AL");
    EXPECT_STREQ(target.programs[0].iconFile, "P1.ico");
    EXPECT_STREQ(target.programs[1].id, "P2");
    // The typed texts belong to the dialog.
    EXPECT_STREQ(target.userId, "typed");
    EXPECT_STREQ(target.password, "typed");
}

TEST(MatchLoginUser, ComparesWholeTextsByteForByte)
{
    std::string document =
        Document("Fejléc", "", UserLine("Anna", "ANNA", "TITOK") + UserLine("Béla", "BÉLA", "Jelszó"));
    struct Case {
        const char* id;
        const char* password;
        const char* name;  // null: no match
    } cases[] = {
        {"ANNA", "TITOK", "Anna"},
        {"anna", "TITOK", nullptr},
        {"ANNA", "titok", nullptr},
        {"ANN", "TITOK", nullptr},
        {"ANNA ", "TITOK", nullptr},
        {"ANNA", "TITOKK", nullptr},
        {"BÉLA", "Jelszó", "Béla"},
        {"BÉLA", "JELSZÓ", nullptr},
        {"", "", nullptr},
    };
    for (const Case& c : cases) {
        LoginTarget target;
        EXPECT_EQ(target.Login(document, c.id, c.password), c.name != nullptr) << c.id << "/" << c.password;
        EXPECT_STREQ(target.userName, c.name ? c.name : "") << c.id;
    }
}

TEST(MatchLoginUser, AdministratorOnlyForExactlyYes)
{
    struct Case {
        const char* value;
        bool isAdmin;
    } cases[] = {{"YES", true}, {"Yes", false}, {"yes", false}, {"Y", false}, {"YES ", false}, {"NO", false}, {"", false}};
    for (const Case& c : cases) {
        LoginTarget target;
        ASSERT_TRUE(target.Login(Document("Fejléc", "", UserLine("N", "A", "B", c.value)), "A", "B"));
        EXPECT_EQ(target.isAdmin, c.isAdmin) << c.value;
    }
}

TEST(MatchLoginUser, FieldsMissingFromARecordAreNeverTakenFromTheNextOne)
{
    std::string document = Document("Fejléc", "",
                                    std::string("  <USER><USERPWD>P1</USERPWD><USERADMIN>YES</USERADMIN></USER>\r\n") +
                                        "  <USER><USERNAME>Kis</USERNAME><USERID>K</USERID><USERPWD>PK</USERPWD></USER>\r\n" +
                                        UserLine("Béla", "B", "P2", "YES", "X;"));
    // The first record has no ID: it matches nobody, not even with the next record's ID.
    LoginTarget first;
    EXPECT_FALSE(first.Login(document, "B", "P1"));
    EXPECT_FALSE(first.Login(document, "", "P1"));
    // A record without flag and list gets neither from the administrator after it.
    LoginTarget kis;
    ASSERT_TRUE(kis.Login(document, "K", "PK"));
    EXPECT_STREQ(kis.userName, "Kis");
    EXPECT_FALSE(kis.isAdmin);
    EXPECT_STREQ(kis.permittedPrograms, "");
    LoginTarget bela;
    ASSERT_TRUE(bela.Login(document, "B", "P2"));
    EXPECT_TRUE(bela.isAdmin);
    EXPECT_STREQ(bela.permittedPrograms, "X;");
}

TEST(MatchLoginUser, OnlyAWellFormedRecordMatches)
{
    struct Case {
        const char* name;
        std::string record;
        const char* id;
        const char* password;
    } cases[] = {
        {"password over its limit, empty typed", UserLine("N", "ANNA", std::string(17, 'P')), "ANNA", ""},
        {"password over its limit, its start typed", UserLine("N", "ANNA", std::string(17, 'P')), "ANNA", "PPPPPPPP"},
        {"no password tag", "  <USER><USERNAME>N</USERNAME><USERID>ANNA</USERID><USERADMIN>NO</USERADMIN></USER>\r\n",
         "ANNA", ""},
        {"password without its closing tag", "  <USER><USERID>ANNA</USERID><USERPWD>X</USER>\r\n", "ANNA", ""},
        {"ID over its limit", UserLine("N", std::string(17, 'I'), "X"), "", "X"},
        {"empty ID", UserLine("N", "", "X"), "", "X"},
        {"only a name and the administrator flag",
         "  <USER><USERNAME>Senki</USERNAME><USERADMIN>YES</USERADMIN></USER>\r\n", "", ""},
    };
    for (const Case& c : cases) {
        // Between two proper users, and as the last record, where nothing follows to take from.
        const std::string proper = UserLine("Utolsó", "UTOLSO", "", "YES", "P1;");
        const std::string documents[] = {
            Document("Fejléc", Program("P1"), UserLine("Első", "ELSO", "E") + c.record + proper),
            Document("Fejléc", Program("P1"), proper + c.record),
        };
        for (const std::string& document : documents) {
            LoginTarget target;
            EXPECT_FALSE(target.Login(document, c.id, c.password)) << c.name;
            EXPECT_STREQ(target.userName, "") << c.name;
            EXPECT_FALSE(target.isAdmin) << c.name;
            // An empty password that is there is a password.
            LoginTarget other;
            EXPECT_TRUE(other.Login(document, "UTOLSO", "")) << c.name;
        }
    }
}

TEST(MatchLoginUser, ReadsTheLoginsLimits)
{
    std::string longest(16, 'I');
    std::string header1024(1024, 'h');
    std::string permitted1024(1024, 'p');
    std::string name100(100, 'n');
    std::string document = Document(header1024, "", UserLine(name100, longest, longest, "YES", permitted1024));
    LoginTarget target;
    ASSERT_TRUE(target.Login(document, longest.c_str(), longest.c_str()));
    EXPECT_EQ(std::string(target.header), header1024);
    EXPECT_EQ(std::string(target.permittedPrograms), permitted1024);
    EXPECT_EQ(std::string(target.userName), name100);

    // One more character and the value reads as empty.
    std::string tooLong = Document(header1024 + "h", "", UserLine(name100 + "n", "A", "B", "YES", permitted1024 + "p"));
    LoginTarget second;
    ASSERT_TRUE(second.Login(tooLong, "A", "B"));
    EXPECT_STREQ(second.header, "");
    EXPECT_STREQ(second.permittedPrograms, "");
    EXPECT_STREQ(second.userName, "");

    // An ID longer than 16 reads as empty and cannot be matched by its text.
    std::string id17(17, 'I');
    LoginTarget third;
    EXPECT_FALSE(third.Login(Document("Fejléc", "", UserLine("N", id17, "B")), id17.c_str(), "B"));
}

TEST(MatchLoginUser, NoMatchLeavesTheTargetAsItWas)
{
    LoginTarget target;
    memset(target.header, 'x', sizeof target.header - 1);
    target.programCount = 3;
    Session before;
    memcpy(&before, static_cast<Session*>(&target), sizeof before);
    EXPECT_FALSE(target.Login(Document("Fejléc", Program("P1"), UserLine("N", "A", "B")), "A", "C"));
    EXPECT_FALSE(target.Login("", "", ""));
    EXPECT_FALSE(MatchLoginUser(nullptr, "A", "B", &target));
    EXPECT_EQ(memcmp(&before, static_cast<Session*>(&target), sizeof before), 0);
}

TEST(MatchLoginUser, ATableTheTargetHadIsReplacedNotLeaked)
{
    LoginTarget target;
    std::string document = Document("Fejléc", Program("P1") + Program("P2"), UserLine("N", "A", "B"));
    ASSERT_TRUE(target.Login(document, "A", "B"));
    ASSERT_TRUE(target.Login(document, "A", "B"));  // the sanitizers report the first table if leaked
    EXPECT_EQ(target.programCount, 2);
}

TEST(MatchLoginUser, ProgramTableHoldsTheCompleteRecordsOnly)
{
    // A broken record in the middle is no entry; the next one is read whole, and an opening tag in
    // the permitted list adds nothing.
    std::string broken = Program("P1");
    broken = broken.substr(0, broken.find("</PROGRAM>")) + "\r\n";
    LoginTarget target;
    ASSERT_TRUE(target.Login(
        Document("Fejléc", broken + Program("P2") + Program("P3"), UserLine("N", "A", "B", "NO", "<PROGRAM>")), "A", "B"));
    ASSERT_EQ(target.programCount, 2);
    EXPECT_STREQ(target.programs[0].id, "P2");
    EXPECT_STREQ(target.programs[0].fullPath, "C:\\P2.exe");
    EXPECT_STREQ(target.programs[1].id, "P3");
}

}  // namespace
