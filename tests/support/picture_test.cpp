// LoadPicture and LoadOlePicture on real files: the committed samples (drawn by
// tools/make_artwork.py: four coloured quarters) copied under the names each case needs.
#include "support/picture.h"

#include "tests/harness/message_box_capture.h"
#include "tests/harness/test_files.h"

#include <gtest/gtest.h>
#include <psapi.h>

#include <string>
#include <vector>

namespace {

// A file of the checkout, by its Wine path.
std::string SourcePath(const std::string& relative)
{
    std::string path = "Z:" + EnvironmentValue("MV_SOURCE_DIR") + "/" + relative;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

std::string SamplePath(const std::string& name)
{
    return SourcePath("tests/support/data/" + name);
}

std::string Sample(const std::string& name)
{
    std::string bytes = ReadBytes(SamplePath(name));
    EXPECT_FALSE(bytes.empty()) << SamplePath(name);
    return bytes;
}

struct Size {
    long width;
    long height;
};

Size BitmapSize(HBITMAP bitmap)
{
    BITMAP info = {};
    if (GetObjectA(bitmap, sizeof info, &info) != sizeof info) return {-1, -1};
    return {info.bmWidth, info.bmHeight};
}

COLORREF PixelAt(HBITMAP bitmap, int x, int y)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    COLORREF color = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteDC(dc);
    return color;
}

bool Near(COLORREF color, int r, int g, int b, int tolerance)
{
    return abs(GetRValue(color) - r) <= tolerance && abs(GetGValue(color) - g) <= tolerance &&
           abs(GetBValue(color) - b) <= tolerance;
}

const char JunkBytes[] = "\xFF\xD8\xFF\xE0 this is not a picture at all, only its first bytes look like one";

class PictureTest : public ::testing::Test {
protected:
    void SetUp() override { directory.Enter(); }
    void Write(const std::string& name, const std::string& bytes) { ASSERT_TRUE(WriteBytes(name, bytes)); }

    ScratchDirectory directory;
    MessageBoxCapture boxes;
};

TEST_F(PictureTest, EachKindLoadsAtItsOwnSizeWithItsColours)
{
    struct Case {
        const char* name;
        Size size;
        int tolerance;  // JPEG is lossy
    };
    const std::vector<Case> cases = {
        {"sample.jpg", {24, 16}, 40},
        {"sample.gif", {20, 12}, 0},
        {"sample.bmp", {14, 10}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Write(c.name, Sample(c.name));
        for (const std::string& path : {std::string(c.name), directory.PathOf(c.name)}) {
            HBITMAP bitmap = LoadPicture(path.c_str());
            ASSERT_NE(bitmap, nullptr) << path;
            EXPECT_EQ(BitmapSize(bitmap).width, c.size.width);
            EXPECT_EQ(BitmapSize(bitmap).height, c.size.height);
            // Top-left red, bottom-right yellow: the picture is upright and its own.
            EXPECT_TRUE(Near(PixelAt(bitmap, 1, 1), 220, 40, 40, c.tolerance)) << std::hex << PixelAt(bitmap, 1, 1);
            EXPECT_TRUE(Near(PixelAt(bitmap, c.size.width - 2, c.size.height - 2), 240, 200, 40, c.tolerance));
            EXPECT_TRUE(DeleteObject(bitmap));
        }
    }
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(PictureTest, ExtensionsInAnyCaseTakeTheOleBranch)
{
    // Only the OLE branch decodes these contents, and only it shows a message for junk.
    const std::vector<std::pair<std::string, std::string>> pictures = {
        {"KEP.JPG", "sample.jpg"}, {"Kep.Gif", "sample.gif"}, {"kep.JpEg", "sample.jpg"},
        {"kep.jpeg", "sample.jpg"}, {"a.b.GIF", "sample.gif"}, {"x.jpg", "sample.jpg"},
    };
    for (const auto& picture : pictures) {
        SCOPED_TRACE(picture.first);
        Write(picture.first, Sample(picture.second));
        HBITMAP bitmap = LoadPicture(picture.first.c_str());
        EXPECT_NE(bitmap, nullptr);
        DeleteObject(bitmap);
    }
    EXPECT_EQ(boxes.Count(), 0u);
    for (const char* name : {"ROSSZ.JPG", "Rossz.Gif", "rossz.JPEG"}) {
        SCOPED_TRACE(name);
        boxes.Clear();
        Write(name, JunkBytes);
        EXPECT_EQ(LoadPicture(name), nullptr);
        ASSERT_EQ(boxes.Count(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].text, "Hibás IPicture pointer létrehozás!");
    }
}

TEST_F(PictureTest, OtherNamesAreReadAsBitmapFilesAndFailSilently)
{
    // JPEG and GIF contents under names the OLE branch does not take, shorter names included.
    const std::vector<std::pair<std::string, std::string>> files = {
        {"kep.jpe", "sample.jpg"}, {"kep.png", "sample.gif"}, {"kep.bmp", "sample.jpg"},
        {"kep.jpg.txt", "sample.jpg"}, {"kep.jp", "sample.jpg"}, {"kepjpeg", "sample.jpg"},
        {"jpg", "sample.jpg"}, {"gif", "sample.gif"}, {"pg", "sample.jpg"},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.first);
        Write(file.first, Sample(file.second));
        EXPECT_EQ(LoadPicture(file.first.c_str()), nullptr);
    }
    // Junk under such names: still no message (the OLE branch would show one).
    for (const char* name : {"junk.jpe", "jpg", "x.gi"}) {
        SCOPED_TRACE(name);
        Write(name, JunkBytes);
        EXPECT_EQ(LoadPicture(name), nullptr);
    }
    EXPECT_EQ(boxes.Count(), 0u);
    // And a bitmap loads under any such name.
    for (const char* name : {"b", "kep.jpe", "kep.PNG", "gif"}) {
        SCOPED_TRACE(name);
        Write(name, Sample("sample.bmp"));
        HBITMAP bitmap = LoadPicture(name);
        ASSERT_NE(bitmap, nullptr);
        EXPECT_EQ(BitmapSize(bitmap).width, 14);
        DeleteObject(bitmap);
    }
}

TEST_F(PictureTest, MissingFilesEmptyPathsAndDirectoriesGiveNullSilently)
{
    ASSERT_TRUE(MakeDirectory(directory.PathOf("mappa.jpg")));
    for (const char* name : {"", "nincs.jpg", "nincs.GIF", "nincs.jpeg", "nincs.bmp", "nincs", "mappa.jpg",
                             "nincs\\kep.jpg"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(LoadPicture(name), nullptr);
    }
    EXPECT_EQ(LoadPicture(nullptr), nullptr);
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(PictureTest, UndecodablePicturesShowOneErrorBoxWithoutOwner)
{
    std::string jpeg = Sample("sample.jpg");
    const std::vector<std::pair<std::string, std::string>> files = {
        {"junk.jpg", JunkBytes},
        {"empty.jpg", ""},
        {"text.gif", "GIF? no."},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.first);
        boxes.Clear();
        Write(file.first, file.second);
        EXPECT_EQ(LoadPicture(file.first.c_str()), nullptr);
        ASSERT_EQ(boxes.Count(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].text, "Hibás IPicture pointer létrehozás!");
        EXPECT_EQ(boxes.Boxes()[0].caption, "Hiba");
        EXPECT_EQ(boxes.Boxes()[0].style, (UINT)MB_ICONERROR);
        EXPECT_EQ(boxes.Boxes()[0].owner, nullptr);
    }
}

TEST_F(PictureTest, LoadOlePictureReportsAFileItCannotOpen)
{
    EXPECT_EQ(LoadOlePicture("nincs.jpg"), nullptr);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "A kép megnyitása sikertelen!");
    EXPECT_EQ(boxes.Boxes()[0].caption, "Hiba");
    EXPECT_EQ(boxes.Boxes()[0].style, (UINT)MB_ICONERROR);

    // A file held open without read sharing cannot be opened either.
    Write("zarolt.jpg", Sample("sample.jpg"));
    HANDLE held = CreateFileA("zarolt.jpg", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    boxes.Clear();
    EXPECT_EQ(LoadPicture("zarolt.jpg"), nullptr);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "A kép megnyitása sikertelen!");
    CloseHandle(held);
}

TEST_F(PictureTest, BitmapFilesShorterThanTheirHeadersAreRefused)
{
    std::string bitmap = Sample("sample.bmp");
    for (size_t length : {0u, 2u, 14u, 30u, 53u}) {
        SCOPED_TRACE(length);
        Write("rovid.bmp", bitmap.substr(0, length));
        EXPECT_EQ(LoadPicture("rovid.bmp"), nullptr);
    }
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(PictureTest, ATopDownBitmapLoadsAtItsSize)
{
    // The sample turned into a top-down file: negative height, rows in reverse order.
    std::string bitmap = Sample("sample.bmp");
    const size_t stride = (14 * 3 + 3) & ~3u, rows = 10, offset = 54;
    std::string topDown = bitmap.substr(0, offset);
    for (size_t row = rows; row-- > 0;) topDown += bitmap.substr(offset + row * stride, stride);
    LONG height = -10;
    topDown.replace(22, 4, reinterpret_cast<const char*>(&height), 4);
    Write("fentrol.bmp", topDown);
    HBITMAP loaded = LoadPicture("fentrol.bmp");
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(BitmapSize(loaded).width, 14);
    EXPECT_EQ(abs(BitmapSize(loaded).height), 10);
    // Wine 8's LoadImageA leaves the pixels of a top-down file black, whatever the size asked for;
    // the colours are therefore not checked here.
    DeleteObject(loaded);
}

SIZE_T ProcessMemory()
{
    // Committed private memory; Wine fills PagefileUsage (its PrivateUsage stays 0).
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PagefileUsage;
}

TEST_F(PictureTest, RepeatedLoadsLeakNeitherHandlesNorMemory)
{
    // The demo background, 640 x 400: a bitmap left behind per load would show in the figures;
    // padded after its end so that a memory block left behind would show too.
    std::string background = ReadBytes(SourcePath("resources/art/demo/Marvitelkon.jpg"));
    ASSERT_FALSE(background.empty());
    Write("hatter.jpg", background + std::string(128 * 1024, '\0'));
    Write("hatter.gif", Sample("sample.gif"));
    Write("hatter.bmp", Sample("sample.bmp"));
    Write("rossz.jpg", JunkBytes);
    Write("rovid.bmp", "BM");
    auto loadAll = [](int times) {
        for (int i = 0; i < times; ++i) {
            for (const char* name : {"hatter.jpg", "hatter.gif", "hatter.bmp", "rossz.jpg", "rovid.bmp"}) {
                HBITMAP bitmap = LoadPicture(name);
                if (bitmap) DeleteObject(bitmap);
            }
        }
    };
    loadAll(5);  // first-use allocations of the decoders
    DWORD objectsBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    SIZE_T memoryBefore = ProcessMemory();
    loadAll(200);
    DWORD objectsAfter = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    SIZE_T memoryAfter = ProcessMemory();
    EXPECT_EQ(boxes.Count(), 205u);  // one per corrupt JPEG, no more

    if (objectsBefore == 0 && objectsAfter == 0) {
        std::printf("note: GetGuiResources(GR_GDIOBJECTS) gives 0 here; the memory figure stands in\n");
    } else {
        EXPECT_LE(objectsAfter, objectsBefore + 2);
    }
    // 200 leaked 640 x 400 bitmaps would be 200 MB, 200 leaked file blocks over 25 MB.
    std::printf("note: private memory %zu KiB before, %zu KiB after 1000 loads\n", (size_t)memoryBefore / 1024,
                (size_t)memoryAfter / 1024);
    ASSERT_NE(memoryBefore, 0u);
    EXPECT_LT(memoryAfter, memoryBefore + 8 * 1024 * 1024);

    // No file stays open: each can be deleted (an open handle without delete sharing would forbid it).
    for (const char* name : {"hatter.jpg", "hatter.gif", "hatter.bmp", "rossz.jpg", "rovid.bmp"}) {
        EXPECT_TRUE(DeleteFileA(name)) << name << " " << GetLastError();
    }
}

}  // namespace
