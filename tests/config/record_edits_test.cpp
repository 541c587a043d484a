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
}

TEST(RecordEdits, EditsKeepIdsUniqueAndAFullTableReusesDeletedSlots)
{
    std::string programs, users;
    for (int i = 0; i < 100; i++) {
        programs += ProgramLine("P" + std::to_string(i));
        users += UserLine("U", "U" + std::to_string(i), "P", "NO", "P" + std::to_string(i) + ";");
    }
    ModelPointer model = LoadModel(Document("", programs, users).c_str());
    EXPECT_EQ(AddUserRecord(model.get(), {"Százegyedik", "U100", "P", 0}, nullptr), recordFull);
    EXPECT_EQ(AddProgramRecord(model.get(), {"P100", "", "", "", ""}, nullptr), recordFull);
    EXPECT_EQ(ChangeProgramRecord(model.get(), "P1", {"P2", "Rablás", "", "", ""}), recordDuplicate);
    EXPECT_EQ(ChangeProgramRecord(model.get(), "P1", {"P1X", "Új név", "C:\\n.exe", "AL", "n.ico"}), recordDone);
    EXPECT_EQ(ChangeUserRecord(model.get(), "U1", {"Betolakodó", "U2", "X", 1}), recordDuplicate);
    EXPECT_EQ(ChangeUserRecord(model.get(), "U1", {"Átnevezett", "U1X", "Y", 1}), recordDone);
    EXPECT_EQ(ChangeUserRecord(model.get(), "NINCS", {"Senki", "NINCS", "", 0}), recordMissing);
    EXPECT_EQ(DeleteUserRecord(model.get(), "U5"), recordDone);
    EXPECT_EQ(DeleteProgramRecord(model.get(), "P5"), recordDone);
    EXPECT_EQ(AddUserRecord(model.get(), {"Új", "U2", "Q", 0}, nullptr), recordDuplicate);
    EXPECT_EQ(AddUserRecord(model.get(), {"Új", "u2", "Q", 0}, nullptr), recordDone);  // letter case counts
    EXPECT_EQ(AddUserRecord(model.get(), {"Még egy", "U101", "Q", 0}, nullptr), recordFull);
    EXPECT_EQ(AddProgramRecord(model.get(), {"P5", "Újra", "C:\\5.exe", "", ""}, nullptr), recordDone);

    std::string expectedPrograms, expectedUsers;
    for (int i = 0; i < 100; i++) {
        std::string n = std::to_string(i);
        if (i == 1) expectedPrograms += ProgramLine("P1X", "Új név", "C:\\n.exe", "AL", "n.ico");
        else if (i != 5) expectedPrograms += ProgramLine("P" + n);
        if (i == 1) expectedUsers += UserLine("Átnevezett", "U1X", "Y", "YES", "P1;");
        else if (i != 5) expectedUsers += UserLine("U", "U" + n, "P", "NO", "P" + n + ";");
    }
    expectedPrograms += ProgramLine("P5", "Újra", "C:\\5.exe", "", "");
    expectedUsers += UserLine("Új", "u2", "Q", "NO", "");
    EXPECT_EQ(BuildText(model.get()), Document("", expectedPrograms, expectedUsers));
}

}  // namespace
