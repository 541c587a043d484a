// The editor's model edits without windows: rights as the login reads them, and a session of record
// edits checked against the document text it produces.
#include "config/record_edits.h"

#include "tests/config/config_test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(RecordEdits, RightsAreTheLoginsIdsAndListsStayReadable)
{
    EXPECT_FALSE(PermittedListHas("XAB;ABC;", "AB"));
    EXPECT_TRUE(PermittedListHas("XAB;AB;", "AB"));
    EXPECT_FALSE(PermittedListHas("A1;B2", "B2"));  // no ";", no ID
    EXPECT_FALSE(PermittedListHas("A1;;", ""));

    char list[1028] = "";
    const std::string id(15, 'P');  // 16 characters with its ";"
    for (int i = 0; i < 64; i++) ASSERT_TRUE(AppendPermittedId(list, sizeof list, id.c_str())) << i;
    EXPECT_FALSE(AppendPermittedId(list, sizeof list, ""));  // 1025 characters: more than the login reads
    EXPECT_EQ(strlen(list), 1024u);
    char small[8] = "AB;";
    EXPECT_FALSE(AppendPermittedId(small, sizeof small, "CDEF"));
    EXPECT_STREQ(small, "AB;");
    EXPECT_FALSE(ReplacePermittedId(list, sizeof list, id.c_str(), (id + "Q").c_str()));  // 1088: refused whole
    EXPECT_EQ(strlen(list), 1024u);

    // A renamed ID stays where it stood; only whole IDs change, and text after the last ";" is none.
    const char* const replacements[][4] = {{"A01;K1;B02;", "K1", "K9", "A01;K9;B02;"},
                                           {"K1;XK1;K1X;K1;K1", "K1", "K22", "K22;XK1;K1X;K22;K1"},
                                           {"K1;A;K1;", "K1", "", "A;"}};
    for (const auto& r : replacements) {
        char text[32];
        CopyText(text, r[0]);
        EXPECT_TRUE(ReplacePermittedId(text, sizeof text, r[1], r[2]));
        EXPECT_STREQ(text, r[3]);
    }
}

TEST(RecordEdits, EditsKeepIdsUniqueAndAFullTableReusesDeletedSlots)
{
    std::string programs, users;
    for (int i = 0; i < 100; i++) {
        programs += ProgramLine("P" + std::to_string(i));
        users += UserLine("U", "U" + std::to_string(i), "P", "NO", "P" + std::to_string(i) + ";");
    }
    // U8 may start P8 and stale IDs up to the login's 1024 characters.
    const std::string fullList = "P8;" + std::string(1020, 'Z') + ";";
    users.replace(users.find("P8;"), 3, fullList);
    ModelPointer model = LoadModel(Document("", programs, users).c_str());
    for (const char* badId : {"A;B", "", "P23456789ABCDEF17"}) {
        EXPECT_EQ(AddProgramRecord(model.get(), {badId, "", "", "", ""}, nullptr), recordBadProgramId) << badId;
        EXPECT_EQ(ChangeProgramRecord(model.get(), "P3", {badId, "", "", "", ""}), recordBadProgramId) << badId;
    }
    EXPECT_EQ(ChangeProgramRecord(model.get(), "P3", {"P3", "<x>", "", "", ""}), recordTagCharacter);
    EXPECT_EQ(AddUserRecord(model.get(), {"<x>", "UX", "P", 0}, nullptr), recordTagCharacter);
    EXPECT_EQ(ChangeProgramRecord(model.get(), "P8", {"P8X", "", "", "", ""}), recordListTooLong);  // U8: 1025
    // Changes that keep the ID.
    EXPECT_EQ(ChangeProgramRecord(model.get(), "P2", {"P2", "Új", "C:\\2.exe", "A2", ""}), recordDone);
    EXPECT_EQ(ChangeUserRecord(model.get(), "U3", {"U", "U3", "UJ", 0}), recordDone);
    EXPECT_EQ(AddUserRecord(model.get(), {"Százegyedik", "U100", "P", 0}, nullptr), recordFull);
    EXPECT_EQ(AddProgramRecord(model.get(), {"P100", "", "", "", ""}, nullptr), recordFull);
    EXPECT_EQ(ChangeProgramRecord(model.get(), "P1", {"P2", "Rablás", "", "", ""}), recordDuplicate);
    EXPECT_EQ(ChangeProgramRecord(model.get(), "P1", {"P1X", "Új név", "C:\\n.exe", "AL", "n.ico"}), recordDone);
    EXPECT_EQ(ChangeUserRecord(model.get(), "U1", {"Betolakodó", "U2", "X", 1}), recordDuplicate);
    EXPECT_EQ(ChangeUserRecord(model.get(), "U1", {"Átnevezett", "U1X", "Y", 1}), recordDone);
    EXPECT_EQ(ChangeUserRecord(model.get(), "NINCS", {"Senki", "NINCS", "", 0}), recordMissing);
    EXPECT_EQ(DeleteUserRecord(model.get(), "U5"), recordDone);
    EXPECT_EQ(DeleteProgramRecord(model.get(), "P6"), recordDone);
    EXPECT_EQ(AddUserRecord(model.get(), {"Új", "U2", "Q", 0}, nullptr), recordDuplicate);
    EXPECT_EQ(AddUserRecord(model.get(), {"Új", "u2", "Q", 0}, nullptr), recordDone);  // letter case counts
    EXPECT_EQ(AddUserRecord(model.get(), {"Még egy", "U101", "Q", 0}, nullptr), recordFull);
    EXPECT_EQ(AddProgramRecord(model.get(), {"P6", "Újra", "C:\\6.exe", "", ""}, nullptr), recordDone);

    std::string expectedPrograms, expectedUsers;
    for (int i = 0; i < 100; i++) {
        std::string n = std::to_string(i);
        if (i == 1) expectedPrograms += ProgramLine("P1X", "Új név", "C:\\n.exe", "AL", "n.ico");
        else if (i == 2) expectedPrograms += ProgramLine("P2", "Új", "C:\\2.exe", "A2", "");
        else if (i != 6) expectedPrograms += ProgramLine("P" + n);
        // P1's new ID moved into U1's list; P6 left U6's, so the new P6 is granted to nobody.
        if (i == 1) expectedUsers += UserLine("Átnevezett", "U1X", "Y", "YES", "P1X;");
        else if (i != 5) expectedUsers += UserLine("U", "U" + n, i == 3 ? "UJ" : "P", "NO", i == 6 ? "" : i == 8 ? fullList : "P" + n + ";");
    }
    expectedPrograms += ProgramLine("P6", "Újra", "C:\\6.exe", "", "");
    expectedUsers += UserLine("Új", "u2", "Q", "NO", "");
    EXPECT_EQ(BuildText(model.get()), Document("", expectedPrograms, expectedUsers));
}

}  // namespace
