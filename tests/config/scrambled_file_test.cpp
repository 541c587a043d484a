#include "config/scrambled_file.h"

#include "config/config_document.h"
#include "tests/config/config_test_support.h"
#include "tests/harness/test_files.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

const DWORD readWrite = GENERIC_READ | GENERIC_WRITE;
const DWORD shareBoth = FILE_SHARE_READ | FILE_SHARE_WRITE;
const DWORD randomNormal = FILE_FLAG_RANDOM_ACCESS | FILE_ATTRIBUTE_NORMAL;

class ScrambledFileTest : public ::testing::Test {
protected:
    void SetUp() override { scratch.Enter(); }

    // Writes the pieces, each in its own Write call, to a new file with the key.
    void WritePieces(const char* name, const char* key, const std::vector<std::string>& pieces)
    {
        ScrambledFile file;
        file.Init(name);
        file.SetKey(key);
        ASSERT_EQ(file.Open(readWrite, shareBoth, CREATE_ALWAYS, randomNormal), 1);
        for (std::string piece : pieces) {
            DWORD written = 0;
            EXPECT_TRUE(file.Write(&piece[0], static_cast<DWORD>(piece.size()), &written));
            EXPECT_EQ(written, piece.size());
        }
        EXPECT_TRUE(file.Close());
        file.Destroy(2);
    }

    // The whole file through one Read of Size bytes from offset 0.
    std::string ReadWhole(const char* name, const char* key)
    {
        ScrambledFile file;
        file.Init(name);
        file.SetKey(key);
        if (!file.Open(readWrite, shareBoth, OPEN_ALWAYS, randomNormal)) return "<not opened>";
        DWORD size = file.Size();
        std::vector<char> buffer(size + 1);
        DWORD read = 0;
        BOOL ok = file.Read(buffer.data(), size, &read);
        file.Destroy(2);
        if (size > 0 && (!ok || read != size)) return "<read failed>";
        return std::string(buffer.data(), read);
    }

    ScratchDirectory scratch;
};

TEST_F(ScrambledFileTest, DiskHoldsTheTextXoredWithTheKeyAndReadsBackUnchanged)
{
    const std::string text = "<MARVITELKON>\r\n<HEADER>Fejléc őű</HEADER>\r\n";
    WritePieces("Marvitelkon.ini", configurationKey, {text});
    EXPECT_EQ(ReadBytes(scratch.PathOf("Marvitelkon.ini")), XorWithKey(text, "58204719"));
    EXPECT_EQ(ReadWhole("Marvitelkon.ini", configurationKey), text);
    // Loaded whole, the same; a missing file is told apart from one that could not be read.
    size_t length = 0;
    bool opened = false;
    char* loaded = LoadScrambledFile("Marvitelkon.ini", configurationKey, &length, &opened);
    EXPECT_TRUE(loaded && opened && std::string(loaded, length) == text && loaded[length] == '\0');
    free(loaded);
    EXPECT_TRUE(!LoadScrambledFile("nincs.ini", configurationKey, &length, &opened) && !opened && length == 0);
}

TEST_F(ScrambledFileTest, EveryWriteStartsAgainAtTheFirstKeyCharacter)
{
    const std::string text = "ABCDEFGH";
    WritePieces("one.bin", configurationKey, {text});
    WritePieces("two.bin", configurationKey, {text.substr(0, 5), text.substr(5)});
    std::string one = ReadBytes(scratch.PathOf("one.bin"));
    std::string two = ReadBytes(scratch.PathOf("two.bin"));
    ASSERT_EQ(one.size(), 8u);
    ASSERT_EQ(two.size(), 8u);
    EXPECT_EQ(one.substr(0, 5), two.substr(0, 5));
    for (size_t i = 5; i < 8; i++) EXPECT_NE(one[i], two[i]) << i;
    EXPECT_EQ(two.substr(5), XorWithKey("FGH", "58204719"));
    // Only a Read from offset 0 in one call gives the one-call file back.
    EXPECT_EQ(ReadWhole("one.bin", configurationKey), text);
    EXPECT_NE(ReadWhole("two.bin", configurationKey), text);
}

TEST_F(ScrambledFileTest, WriteLeavesTheScrambledBytesInTheCallersBuffer)
{
    ScrambledFile file;
    file.Init("buffer.bin");
    file.SetKey(configurationKey);
    ASSERT_EQ(file.Open(readWrite, shareBoth, CREATE_ALWAYS, randomNormal), 1);
    char buffer[] = "plain text!";
    DWORD written = 0;
    ASSERT_TRUE(file.Write(buffer, 11, &written));
    file.Destroy(2);
    EXPECT_EQ(std::string(buffer, 11), XorWithKey("plain text!", "58204719"));
    EXPECT_EQ(ReadBytes(scratch.PathOf("buffer.bin")), std::string(buffer, 11));
}

TEST_F(ScrambledFileTest, BytesEqualToTheKeyBecomeZerosAndReadBackBySize)
{
    const std::string text = "5x2047195y";  // bytes 0 and 2..8 match the key at their positions
    WritePieces("zeros.bin", configurationKey, {text});
    std::string disk = ReadBytes(scratch.PathOf("zeros.bin"));
    ASSERT_EQ(disk.size(), text.size());
    EXPECT_EQ(disk[0], '\0');
    EXPECT_EQ(disk[2], '\0');
    EXPECT_EQ(disk[8], '\0');
    EXPECT_EQ(ReadWhole("zeros.bin", configurationKey), text);
}

TEST_F(ScrambledFileTest, ReadAtTheEndOrOfAnEmptyFileGivesNothing)
{
    ScrambledFile file;
    file.Init("empty.bin");
    file.SetKey(configurationKey);
    ASSERT_EQ(file.Open(readWrite, shareBoth, OPEN_ALWAYS, randomNormal), 1);
    char buffer[8];
    memset(buffer, 'z', sizeof buffer);
    DWORD read = 77;
    EXPECT_EQ(file.Read(buffer, sizeof buffer, &read), 0);
    EXPECT_EQ(read, 0u);
    EXPECT_EQ(std::string(buffer, 8), "zzzzzzzz");  // nothing read, nothing unscrambled

    char text[] = "abc";
    DWORD written = 0;
    ASSERT_TRUE(file.Write(text, 3, &written));
    EXPECT_EQ(file.Position(), 3u);
    read = 77;
    EXPECT_EQ(file.Read(buffer, sizeof buffer, &read), 0);  // pointer at the end
    EXPECT_EQ(read, 0u);
    EXPECT_EQ(std::string(buffer, 8), "zzzzzzzz");

    EXPECT_EQ(file.Seek(0, FILE_BEGIN), 0u);
    EXPECT_NE(file.Read(buffer, 3, &read), 0);
    EXPECT_EQ(read, 3u);
    EXPECT_EQ(std::string(buffer, 3), "abc");
    file.Destroy(2);
}

TEST_F(ScrambledFileTest, ReadUnscramblesTheWholeRequestedCount)
{
    WritePieces("short.bin", configurationKey, {"xy"});
    ScrambledFile file;
    file.Init("short.bin");
    file.SetKey(configurationKey);
    ASSERT_EQ(file.Open(readWrite, shareBoth, OPEN_EXISTING, randomNormal), 1);
    char buffer[6] = {0, 0, 0, 0, 0, 0};
    DWORD read = 0;
    EXPECT_NE(file.Read(buffer, 6, &read), 0);
    file.Destroy(2);
    EXPECT_EQ(read, 2u);
    // The bytes beyond those delivered were XOR-ed as well: zeros became key characters.
    EXPECT_EQ(std::string(buffer, 6), std::string("xy") + "2047");
}

TEST_F(ScrambledFileTest, LongOrEmptyKeysMeanPlainFiles)
{
    struct Case {
        const char* key;
        bool scrambles;
    } cases[] = {
        {"", false},
        {nullptr, false},
        {"0123456789012345678901234567890", true},    // 31 characters
        {"01234567890123456789012345678901", false},  // 32
        {"0123456789012345678901234567890123456789", false},
    };
    const std::string text = "plain <USER> text";
    for (const Case& c : cases) {
        const char* label = c.key ? c.key : "(null)";
        WritePieces("key.bin", c.key, {text});
        std::string disk = ReadBytes(scratch.PathOf("key.bin"));
        if (c.scrambles)
            EXPECT_EQ(disk, XorWithKey(text, c.key)) << label;
        else
            EXPECT_EQ(disk, text) << label;
        EXPECT_EQ(ReadWhole("key.bin", c.key), text) << label;
    }
}

TEST_F(ScrambledFileTest, InitLeavesNoKeyAndSetKeyReplacesIt)
{
    ScrambledFile file;
    memset(&file, 0x5A, sizeof file);
    file.Init("plain.bin");
    EXPECT_EQ(file.handle, nullptr);
    EXPECT_STREQ(file.fileName, "plain.bin");
    EXPECT_EQ(file.key[0], '\0');
    file.SetKey("0123456789012345678901234567890123");
    EXPECT_EQ(file.key[0], '\0');
    file.SetKey("ab");
    EXPECT_STREQ(file.key, "ab");
    EXPECT_EQ(file.keyLength, 2);
}

TEST_F(ScrambledFileTest, OpenAlwaysCreatesAMissingFile)
{
    ASSERT_FALSE(PathExists(scratch.PathOf("new.ini")));
    ScrambledFile file;
    file.Init("new.ini");
    ASSERT_EQ(file.Open(readWrite, shareBoth, OPEN_ALWAYS, randomNormal), 1);
    EXPECT_NE(file.handle, nullptr);
    EXPECT_EQ(file.Size(), 0u);
    EXPECT_TRUE(file.Close());
    EXPECT_EQ(file.handle, nullptr);
    EXPECT_EQ(file.Close(), 0);  // nothing open any more
    file.Destroy(2);
    EXPECT_TRUE(PathExists(scratch.PathOf("new.ini")));
}

TEST_F(ScrambledFileTest, OpenFailureLeavesTheHandleNull)
{
    ScrambledFile file;
    file.Init("missing.ini");
    file.handle = reinterpret_cast<HANDLE>(1);
    EXPECT_EQ(file.Open(readWrite, shareBoth, OPEN_EXISTING, randomNormal), 0);
    EXPECT_EQ(file.handle, nullptr);
    DWORD read = 5;
    char buffer[4];
    EXPECT_EQ(file.Read(buffer, 4, &read), 0);
    EXPECT_EQ(read, 0u);
    file.Destroy(2);
}

TEST_F(ScrambledFileTest, ANameTooLongForTheFieldIsNotCutIntoAnotherName)
{
    std::string fits(255, 'f');
    ScrambledFile file;
    file.Init(fits.c_str());
    EXPECT_EQ(std::string(file.fileName), fits);

    std::string tooLong(256, 'g');
    file.Init(tooLong.c_str());
    EXPECT_EQ(file.fileName[0], '\0');
    EXPECT_EQ(file.Open(readWrite, shareBoth, OPEN_ALWAYS, randomNormal), 0);
    EXPECT_EQ(file.handle, nullptr);
    EXPECT_FALSE(PathExists(scratch.PathOf(std::string(255, 'g'))));
    file.Destroy(2);
}

TEST_F(ScrambledFileTest, DestroyClosesTheFileAndFreesAHeapObject)
{
    ScrambledFile* file = static_cast<ScrambledFile*>(malloc(sizeof(ScrambledFile)));
    ASSERT_NE(file, nullptr);
    file->Init("heap.bin");
    ASSERT_EQ(file->Open(readWrite, shareBoth, CREATE_ALWAYS, randomNormal), 1);
    char text[] = "kept";
    DWORD written = 0;
    ASSERT_TRUE(file->Write(text, 4, &written));
    file->Destroy(3);  // the sanitizers report the object if it is not freed
    // The handle is closed: the file can be deleted and is complete.
    EXPECT_EQ(ReadBytes(scratch.PathOf("heap.bin")), "kept");
    EXPECT_TRUE(DeleteFileA("heap.bin"));
}

}  // namespace
