// The editor's model edits without windows: rights as the login reads them, and whole sessions of
// record edits checked against the document text they produce.
#include "config/record_edits.h"

#include "tests/config/config_test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string programs = ProgramLine("A01", "Egy", "C:\\a.exe", "AL1", "a.ico") +
                             ProgramLine("B02", "Kettő", "C:\\b.exe", "AL2", "b.ico");
const std::string users = UserLine("Kiss Anna", "KISS", "PWK", "YES", "B02;A01;") +
                          UserLine("Nagy Béla", "NAGY", "PWN", "NO", "XAB;");

TEST(RecordEdits, RightsAreTheLoginsIdsAndListsStayReadable)
{
    // The walk takes each ID up to its ";": no substring matches, nothing after the last ";".
    EXPECT_FALSE(PermittedListHas("XAB;", "AB"));
    EXPECT_FALSE(PermittedListHas("ABC;", "AB"));
    EXPECT_TRUE(PermittedListHas("XAB;AB;", "AB"));
    EXPECT_TRUE(PermittedListHas("A1;B2;", "A1"));
    EXPECT_FALSE(PermittedListHas("A1;B2", "B2"));
    EXPECT_FALSE(PermittedListHas("A1;;", ""));

    // A list grows up to exactly what the login reads, and not one character further.
    char list[1028] = "";
    const std::string id(15, 'P');  // 16 characters with its ";"
    for (int i = 0; i < 64; i++) ASSERT_TRUE(AppendPermittedId(list, sizeof list, id.c_str())) << i;
    EXPECT_EQ(strlen(list), 1024u);
    EXPECT_FALSE(AppendPermittedId(list, sizeof list, ""));
    EXPECT_EQ(strlen(list), 1024u);
    char small[8] = "AB;";
    EXPECT_FALSE(AppendPermittedId(small, sizeof small, "CDEF"));  // would not fit the buffer
    EXPECT_STREQ(small, "AB;");
    EXPECT_TRUE(AppendPermittedId(small, sizeof small, "CD"));
    EXPECT_STREQ(small, "AB;CD;");
}

TEST(RecordEdits, EditingSessionWritesExactlyTheEditedDocument)
{
    ModelPointer model = LoadModel(Document("Fej", programs, users).c_str());

    // Programs: an add, a refused duplicate, a rename, a refused rename onto a live ID, a delete.
    EXPECT_EQ(AddProgramRecord(model.get(), {"C03", "Három", "C:\\c.exe", "", ""}, nullptr), recordDone);
    EXPECT_EQ(AddProgramRecord(model.get(), {"A01", "Más", "C:\\x.exe", "", ""}, nullptr), recordDuplicate);
    EXPECT_EQ(ChangeProgramRecord(model.get(), "C03", {"C09", "Három új", "C:\\c9.exe", "AL9", "c.ico"}), recordDone);
    EXPECT_EQ(ChangeProgramRecord(model.get(), "B02", {"A01", "Rablás", "C:\\r.exe", "", ""}), recordDuplicate);
    EXPECT_EQ(ChangeProgramRecord(model.get(), "ZZZ", {"ZZZ", "Nincs", "", "", ""}), recordMissing);
    EXPECT_EQ(DeleteProgramRecord(model.get(), "A01"), recordDone);
    EXPECT_EQ(DeleteProgramRecord(model.get(), "A01"), recordMissing);
    // A deleted record's ID is free again.
    EXPECT_EQ(AddProgramRecord(model.get(), {"A01", "Újra", "C:\\n.exe", "", ""}, nullptr), recordDone);

    // Users: rename keeps the rights; a rename onto another live ID leaves both as they were.
    EXPECT_EQ(ChangeUserRecord(model.get(), "KISS", {"Kiss Anna Mária", "KISSA", "UJ", 0}), recordDone);
    EXPECT_EQ(ChangeUserRecord(model.get(), "NAGY", {"Betolakodó", "KISSA", "X", 1}), recordDuplicate);
    EXPECT_EQ(AddUserRecord(model.get(), {"Új Ember", "KISSA", "P", 0}, nullptr), recordDuplicate);
    EXPECT_EQ(AddUserRecord(model.get(), {"Kis Éva", "kissa", "P", 1}, nullptr), recordDone);  // case counts
    EXPECT_EQ(DeleteUserRecord(model.get(), "NAGY"), recordDone);

    const std::string expected = Document(
        "Fej",
        ProgramLine("B02", "Kettő", "C:\\b.exe", "AL2", "b.ico") + ProgramLine("C09", "Három új", "C:\\c9.exe", "AL9", "c.ico") +
            ProgramLine("A01", "Újra", "C:\\n.exe", "", ""),
        UserLine("Kiss Anna Mária", "KISSA", "UJ", "NO", "B02;A01;") + UserLine("Kis Éva", "kissa", "P", "YES", ""));
    EXPECT_EQ(BuildText(model.get()), expected);
}

TEST(RecordEdits, TablesHoldAHundredLiveRecordsAndReuseDeletedSlots)
{
    std::string manyUsers, manyPrograms;
    for (int i = 0; i < 100; i++) {
        manyUsers += UserLine("U", "U" + std::to_string(i), "P", "NO", "P" + std::to_string(i) + ";");
        manyPrograms += ProgramLine("P" + std::to_string(i));
    }
    ModelPointer model = LoadModel(Document("", manyPrograms, manyUsers).c_str());
    ASSERT_EQ(model->userRecordCount, 100);
    EXPECT_EQ(AddUserRecord(model.get(), {"Százegyedik", "U100", "P", 0}, nullptr), recordFull);
    EXPECT_EQ(AddProgramRecord(model.get(), {"P100", "", "", "", ""}, nullptr), recordFull);
    EXPECT_EQ(BuildText(model.get()), Document("", manyPrograms, manyUsers));

    // With one deleted, the add makes room by dropping it and appends after the others.
    EXPECT_EQ(DeleteUserRecord(model.get(), "U5"), recordDone);
    int index = -1;
    EXPECT_EQ(AddUserRecord(model.get(), {"Új", "U100", "Q", 0}, &index), recordDone);
    EXPECT_EQ(index, 99);
    EXPECT_EQ(FindUserRecord(model.get(), "U6"), 5);
    EXPECT_EQ(AddUserRecord(model.get(), {"Még egy", "U101", "Q", 0}, nullptr), recordFull);
    std::string expectedUsers;
    for (int i = 0; i < 100; i++)
        if (i != 5) expectedUsers += UserLine("U", "U" + std::to_string(i), "P", "NO", "P" + std::to_string(i) + ";");
    expectedUsers += UserLine("Új", "U100", "Q", "NO", "");
    EXPECT_EQ(BuildText(model.get()), Document("", manyPrograms, expectedUsers));
}

}  // namespace
