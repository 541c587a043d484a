// SaveConfigDocument against real directories: where the file goes, what it holds, and that a
// failed save leaves the old file whole.
#include "config/config_document.h"

#include "support/process_state.h"
#include "support/bounded_text.h"
#include "tests/config/config_test_support.h"
#include "tests/harness/test_files.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>

namespace {

const char* const saveFailed = "A 'Marvitelkon.ini' mentése sikertelen.";

class SaveConfigDocumentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        elsewhere.Enter();  // the current directory is not the start directory
        CopyText(startDirectory, start.path.c_str());
        oldText = Document("Régi", ProgramLine("P1"), UserLine("Régi Anna", "A", "PA", "YES", "P1;"));
        ReplaceDocumentText(HeapText(oldText));
        LoadConfigModel();
        CopyText(configModel.header, "Új fejléc");
        CopyText(configModel.userRecords[0].name, "Új Anna");
        newText = BuildText(&configModel);
    }

    void TearDown() override
    {
        ReplaceDocumentText(nullptr);
        memset(&configModel, 0, sizeof configModel);
        startDirectory[0] = '\0';
    }

    std::string IniIn(const ScratchDirectory& directory) const { return directory.PathOf("Marvitelkon.ini"); }
    std::string TemporaryIn(const ScratchDirectory& directory) const { return directory.PathOf("Marvitelkon.ini.tmp"); }

    // The save failed visibly: false, one error box, the new text in memory.
    void ExpectReportedFailure(bool saved, const MessageBoxLog& boxes)
    {
        EXPECT_FALSE(saved);
        ASSERT_NE(documentText, nullptr);
        EXPECT_EQ(std::string(documentText), newText);
        std::vector<ShownBox> shown = boxes.Boxes();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].text, saveFailed);
        EXPECT_EQ(shown[0].caption, "Hibaüzenet");
        EXPECT_EQ(shown[0].style, static_cast<unsigned>(MB_TASKMODAL));
    }

    ScratchDirectory start;
    ScratchDirectory elsewhere;
    std::string oldText;
    std::string newText;
};

TEST_F(SaveConfigDocumentTest, WritesTheScrambledDocumentIntoTheStartDirectory)
{
    ASSERT_TRUE(WriteBytes(IniIn(start), XorWithKey(oldText, "58204719")));
    // A file at a name that an older save used is not this save's: it is neither used nor removed.
    ASSERT_TRUE(WriteBytes(TemporaryIn(start), "stale temporary file"));
    MessageBoxLog boxes;
    EXPECT_TRUE(SaveConfigDocument());
    EXPECT_TRUE(boxes.Boxes().empty());
    ASSERT_NE(documentText, nullptr);
    EXPECT_EQ(std::string(documentText), newText);
    EXPECT_EQ(ReadBytes(IniIn(start)), XorWithKey(newText, "58204719"));
    EXPECT_EQ(ReadBytes(TemporaryIn(start)), "stale temporary file");
    EXPECT_EQ(FilesIn(start.path), (std::vector<std::string>{"Marvitelkon.ini", "Marvitelkon.ini.tmp"}))
        << "the save's own temporary file is gone";
    EXPECT_TRUE(FilesIn(elsewhere.path).empty());
}

TEST_F(SaveConfigDocumentTest, CreatesTheFileWhenThereIsNone)
{
    MessageBoxLog boxes;
    EXPECT_TRUE(SaveConfigDocument());
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(ReadBytes(IniIn(start)), XorWithKey(newText, "58204719"));
}

TEST_F(SaveConfigDocumentTest, WhenTheFileCannotBeReplacedTheOldOneStays)
{
    // Marvitelkon.ini is a directory: the temporary file is written but cannot take its place.
    ASSERT_TRUE(MakeDirectory(IniIn(start)));
    MessageBoxLog boxes;
    ExpectReportedFailure(SaveConfigDocument(), boxes);
    EXPECT_NE(GetFileAttributesA(IniIn(start).c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_EQ(FilesIn(start.path), std::vector<std::string>{"Marvitelkon.ini"}) << "the temporary file is removed";
}

TEST_F(SaveConfigDocumentTest, ADirectoryAtTheOldTemporaryNameNoLongerStopsTheSave)
{
    // Every save makes a file of a name of its own, so what sits at a fixed name cannot block it.
    // (A temporary file that cannot be made is checked natively, where a step can be made to fail.)
    std::string oldBytes = XorWithKey(oldText, "58204719");
    ASSERT_TRUE(WriteBytes(IniIn(start), oldBytes));
    ASSERT_TRUE(MakeDirectory(TemporaryIn(start)));
    MessageBoxLog boxes;
    EXPECT_TRUE(SaveConfigDocument());
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(ReadBytes(IniIn(start)), XorWithKey(newText, "58204719"));
    EXPECT_NE(GetFileAttributesA(TemporaryIn(start).c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

TEST_F(SaveConfigDocumentTest, AMissingStartDirectoryIsAFailureNotASaveElsewhere)
{
    std::string oldBytes = XorWithKey(oldText, "58204719");
    ASSERT_TRUE(WriteBytes(IniIn(elsewhere), oldBytes));
    CopyText(startDirectory, start.PathOf("missing").c_str());
    MessageBoxLog boxes;
    ExpectReportedFailure(SaveConfigDocument(), boxes);
    EXPECT_EQ(ReadBytes(IniIn(elsewhere)), oldBytes);
    EXPECT_EQ(FilesIn(elsewhere.path), std::vector<std::string>{"Marvitelkon.ini"});
    EXPECT_FALSE(PathExists(start.PathOf("missing")));
}

TEST_F(SaveConfigDocumentTest, ASavedDocumentReadsBackAsTheModel)
{
    configModel.userRecords[0].deleted = 1;
    CopyText(configModel.userRecords[1].name, "Béla");
    CopyText(configModel.userRecords[1].id, "B");
    CopyText(configModel.userRecords[1].password, "PB");
    configModel.userRecordCount = 2;
    ASSERT_TRUE(SaveConfigDocument());
    std::string onDisk = XorWithKey(ReadBytes(IniIn(start)), "58204719");
    EXPECT_EQ(onDisk, std::string(documentText));
    ModelPointer reloaded = LoadModel(onDisk.c_str());
    ASSERT_EQ(reloaded->userRecordCount, 1);
    EXPECT_STREQ(reloaded->userRecords[0].id, "B");
    EXPECT_STREQ(reloaded->header, "Új fejléc");
    ASSERT_EQ(reloaded->programRecordCount, 1);
    EXPECT_STREQ(reloaded->programRecords[0].id, "P1");
}

}  // namespace
