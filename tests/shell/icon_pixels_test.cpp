// Reading the image of one size out of an icon file, as the main window draws its programs' icons.
#include "shell/icon_pixels.h"

#include "tests/harness/test_files.h"

#include <gtest/gtest.h>

#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

const uint32_t background = 0x00F0E0D0;

void Put16(std::string* out, uint32_t v) { out->append({char(v & 0xFF), char((v >> 8) & 0xFF)}); }
void Put32(std::string* out, uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// One image of an icon file: its pixels as 0xAARRGGBB (top row first) and its mask (1: transparent).
struct Image {
    int size;
    int depth;
    std::vector<uint32_t> argb;
    std::vector<int> mask;
    std::vector<uint32_t> palette;  // for depths up to 8: argb values are palette indexes
    bool png = false;
};

std::string Bitmap(const Image& image)
{
    std::string out;
    Put32(&out, 40);
    Put32(&out, image.size);
    Put32(&out, image.size * 2);
    Put16(&out, 1);
    Put16(&out, image.depth);
    Put32(&out, 0);
    Put32(&out, 0);
    Put32(&out, 0);
    Put32(&out, 0);
    Put32(&out, image.palette.size());
    Put32(&out, 0);
    for (uint32_t colour : image.palette) Put32(&out, colour);
    size_t row = (image.size * image.depth + 31) / 32 * 4, maskRow = (image.size + 31) / 32 * 4;
    for (int y = image.size - 1; y >= 0; y--) {
        std::string bits(row, '\0');
        for (int x = 0; x < image.size; x++) {
            uint32_t v = image.argb[y * image.size + x];
            if (image.depth >= 24) {
                for (int b = 0; b < image.depth / 8; b++) bits[x * (image.depth / 8) + b] = char((v >> (8 * b)) & 0xFF);
            } else {
                size_t bit = static_cast<size_t>(x) * image.depth;
                bits[bit / 8] = char(bits[bit / 8] | (v << (8 - image.depth - bit % 8)));
            }
        }
        out += bits;
    }
    for (int y = image.size - 1; y >= 0; y--) {
        std::string bits(maskRow, '\0');
        for (int x = 0; x < image.size; x++)
            if (image.mask[y * image.size + x]) bits[x / 8] = char(bits[x / 8] | (0x80 >> (x % 8)));
        out += bits;
    }
    return out;
}

std::string IconFile(const std::vector<Image>& images)
{
    std::string out;
    Put16(&out, 0);
    Put16(&out, 1);
    Put16(&out, images.size());
    std::vector<std::string> data;
    for (const Image& image : images) data.push_back(image.png ? std::string("\x89PNG\r\n\x1a\n") + std::string(64, 'x') : Bitmap(image));
    size_t offset = 6 + 16 * images.size();
    for (size_t i = 0; i < images.size(); i++) {
        out += char(images[i].size == 256 ? 0 : images[i].size);
        out += char(images[i].size == 256 ? 0 : images[i].size);
        out += std::string(2, '\0');
        Put16(&out, 1);
        Put16(&out, images[i].depth);
        Put32(&out, data[i].size());
        Put32(&out, offset);
        offset += data[i].size();
    }
    for (const std::string& d : data) out += d;
    return out;
}

// A size x size image: the top-left pixel red, the top row's second pixel transparent, the bottom
// right one half transparent green, everything else opaque blue.
Image Sample(int size, int depth)
{
    Image image{size, depth, std::vector<uint32_t>(size * size, 0xFF0000FF), std::vector<int>(size * size, 0), {}};
    image.argb[0] = 0xFFFF0000;
    image.argb[1] = 0x00000000;
    image.mask[1] = 1;
    image.argb[size * size - 1] = 0x8000FF00;
    if (depth <= 8) {
        image.palette = {0x00000000, 0x000000FF, 0x00FF0000, 0x0000FF00};
        if (depth == 1) image.palette = {0x00000000, 0x000000FF};
        for (uint32_t& v : image.argb) v = v == 0xFF0000FF ? 1 : v == 0xFFFF0000 ? 2 : v == 0x8000FF00 ? 3 : 0;
        if (depth == 1)
            for (uint32_t& v : image.argb) v = v > 1 ? 1 : v;
    }
    return image;
}

std::vector<uint32_t> Decode(const std::string& file, int size, bool* ok)
{
    std::vector<uint32_t> pixels(size * size, 0xDEADBEEF);
    *ok = DecodeIconPixels(reinterpret_cast<const unsigned char*>(file.data()), file.size(), size, background, pixels.data());
    return pixels;
}

TEST(IconPixels, ReadsTheImageOfTheAskedSizeWithTheMostColoursOverTheBackground)
{
    // Among 16, 32 (8 and 32 bits) and 64 pixels, the 32-pixel image of 32 bits is read.
    bool ok = false;
    std::vector<uint32_t> p =
        Decode(IconFile({Sample(16, 32), Sample(32, 8), Sample(32, 32), Sample(64, 32)}), 32, &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(p[0], 0x00FF0000u) << "top row first";
    EXPECT_EQ(p[1], background) << "alpha 0 shows the background";
    EXPECT_EQ(p[2], 0x000000FFu);
    // Half of green (0x80 of 0xFF) over the background, rounded.
    uint32_t r = (0xF0 * 127 + 127) / 255, g = (0xFF * 128 + 0xE0 * 127 + 127) / 255, b = (0xD0 * 127 + 127) / 255;
    EXPECT_EQ(p[32 * 32 - 1], r << 16 | g << 8 | b);

    // Images of 1, 4, 8 and 24 bits per pixel, and 32 bits without alpha, go by their mask: a masked
    // pixel shows the background turned by its colour (black leaves it as it is).
    for (int depth : {1, 4, 8, 24, 32}) {
        Image image = Sample(32, depth);
        if (depth >= 24)
            for (uint32_t& v : image.argb) v &= 0x00FFFFFF;
        image.mask[2] = 1;  // a masked blue pixel
        p = Decode(IconFile({Sample(16, depth), image}), 32, &ok);
        ASSERT_TRUE(ok) << depth;
        EXPECT_EQ(p[0], depth == 1 ? 0x000000FFu : 0x00FF0000u) << depth;
        EXPECT_EQ(p[1], background) << depth;
        EXPECT_EQ(p[2], background ^ 0x000000FFu) << depth;
        EXPECT_EQ(p[3], 0x000000FFu) << depth;
        EXPECT_EQ(p[32 * 32 - 1], depth == 1 ? 0x000000FFu : 0x0000FF00u) << depth;
    }
}

TEST(IconPixels, WhatItCannotReadIsRefusedWithThePixelsUntouched)
{
    std::string good = IconFile({Sample(32, 32)});
    Image png = Sample(32, 32);
    png.png = true;
    std::string noMask = IconFile({Sample(32, 24)});
    noMask.resize(noMask.size() - (32 + 31) / 32 * 4 * 32);
    std::string compressed = good, wrongHeight = good, hugeOffset = good, manyEntries = good, notIcon = good;
    compressed[6 + 16 + 16] = 1;
    wrongHeight[6 + 16 + 8] = 33;
    hugeOffset[6 + 12] = char(0xFF);
    hugeOffset[6 + 15] = char(0x7F);
    manyEntries[4] = char(0xFF);
    manyEntries[5] = char(0xFF);
    notIcon[2] = 2;  // a cursor file
    struct Case {
        const char* what;
        std::string file;
        int size;
    } cases[] = {
        {"empty", "", 32},
        {"no image of the size", IconFile({Sample(16, 32), Sample(48, 32)}), 32},
        {"a PNG image", IconFile({png}), 32},
        {"24 bits without a mask", noMask, 32},
        {"compressed", compressed, 32},
        {"height not twice the width", wrongHeight, 32},
        {"image beyond the file", hugeOffset, 32},
        {"more entries than the file holds", manyEntries, 32},
        {"not an icon file", notIcon, 32},
        {"size 0", good, 0},
    };
    for (const Case& c : cases) {
        bool ok = true;
        std::vector<uint32_t> p = Decode(c.file, c.size > 0 ? c.size : 1, &ok);
        if (c.size == 0) ok = DecodeIconPixels(reinterpret_cast<const unsigned char*>(c.file.data()), c.file.size(), 0,
                                               background, p.data());
        EXPECT_FALSE(ok) << c.what;
        for (uint32_t v : p) ASSERT_EQ(v, 0xDEADBEEFu) << c.what;
    }
    // Every shorter piece of a good file is refused without reading past it (the sanitizers watch).
    for (size_t length = 0; length < good.size(); length++) {
        std::vector<unsigned char> piece(good.begin(), good.begin() + length);
        std::vector<uint32_t> p(32 * 32, 0xDEADBEEF);
        EXPECT_FALSE(DecodeIconPixels(piece.data(), piece.size(), 32, background, p.data())) << length;
    }
}

#ifdef _WIN32
// The demo's icon files read here as the window system draws them at 32 x 32 over the background.
TEST(IconPixels, TheDemoIconsReadAsTheWindowSystemDrawsThem)
{
    std::string folder = EnvironmentValue("MV_SOURCE_DIR", ".") + "\\resources\\art\\demo\\";
    for (const char* name : {"ledger.ico", "stock.ico", "payroll.ico", "default.ico"}) {
        std::string path = folder + name;
        std::string bytes = ReadBytes(path);
        ASSERT_FALSE(bytes.empty()) << path;
        std::vector<uint32_t> mine(32 * 32);
        ASSERT_TRUE(DecodeIconPixels(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), 32, background,
                                     mine.data()))
            << name;

        HICON icon = static_cast<HICON>(LoadImageA(nullptr, path.c_str(), IMAGE_ICON, 32, 32, LR_LOADFROMFILE));
        ASSERT_NE(icon, nullptr) << name;
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = 32;
        info.bmiHeader.biHeight = -32;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HDC memory = CreateCompatibleDC(nullptr);
        HBITMAP target = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(memory, target);
        uint32_t* theirs = static_cast<uint32_t*>(bits);
        for (int i = 0; i < 32 * 32; i++) theirs[i] = background;
        DrawIconEx(memory, 0, 0, icon, 32, 32, 0, nullptr, DI_NORMAL);
        GdiFlush();
        int worst = 0;
        for (int i = 0; i < 32 * 32; i++)
            for (int shift = 0; shift <= 16; shift += 8) {
                int d = static_cast<int>((mine[i] >> shift) & 0xFF) - static_cast<int>((theirs[i] >> shift) & 0xFF);
                worst = d < 0 ? (-d > worst ? -d : worst) : (d > worst ? d : worst);
            }
        EXPECT_LE(worst, 2) << name << ": the largest difference of a channel";
        SelectObject(memory, old);
        DeleteObject(target);
        DeleteDC(memory);
        DestroyIcon(icon);
    }
}
#endif

}  // namespace
