#include "shell/icon_pixels.h"

#include <string.h>

namespace {

uint32_t Read16(const unsigned char* at) { return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8; }

uint32_t Read32(const unsigned char* at) { return Read16(at) | Read16(at + 2) << 16; }

// One channel of colour over background with alpha 0..255, rounded.
uint32_t Blend(uint32_t colour, uint32_t background, uint32_t alpha, int shift)
{
    uint32_t c = (colour >> shift) & 0xFF, b = (background >> shift) & 0xFF;
    return ((c * alpha + b * (255 - alpha) + 127) / 255) << shift;
}

uint32_t Over(uint32_t colour, uint32_t background, uint32_t alpha)
{
    return Blend(colour, background, alpha, 16) | Blend(colour, background, alpha, 8) | Blend(colour, background, alpha, 0);
}

// Bytes of one row of a bitmap of this width and depth, padded to 4 bytes.
size_t RowBytes(int width, int bitsPerPixel) { return (static_cast<size_t>(width) * bitsPerPixel + 31) / 32 * 4; }

// Value of pixel x of a row of a palette image (1, 4 or 8 bits per pixel).
uint32_t PaletteIndex(const unsigned char* row, int x, int bitsPerPixel)
{
    size_t bit = static_cast<size_t>(x) * bitsPerPixel;
    uint32_t byte = row[bit / 8];
    return (byte >> (8 - bitsPerPixel - bit % 8)) & ((1u << bitsPerPixel) - 1);
}

}  // namespace

bool DecodeIconPixels(const unsigned char* bytes, size_t count, int size, uint32_t background, uint32_t* pixels)
{
    if (!bytes || !pixels || size <= 0 || size > 256 || count < 6) return false;
    if (Read16(bytes) != 0 || Read16(bytes + 2) != 1) return false;  // reserved 0, type 1: an icon
    size_t entries = Read16(bytes + 4);
    if (count < 6 + entries * 16) return false;

    // The size x size entry with the most bits per pixel, judged by its own header.
    const unsigned char* image = nullptr;
    size_t imageBytes = 0;
    uint32_t bestDepth = 0;
    for (size_t i = 0; i < entries; i++) {
        const unsigned char* entry = bytes + 6 + i * 16;
        int width = entry[0] ? entry[0] : 256, height = entry[1] ? entry[1] : 256;
        size_t length = Read32(entry + 8), offset = Read32(entry + 12);
        if (width != size || height != size || offset > count || length > count - offset || length < 40) continue;
        const unsigned char* header = bytes + offset;
        if (Read32(header) < 40) continue;  // not a bitmap header (a PNG starts with 0x89 'P' 'N' 'G')
        uint32_t depth = Read16(header + 14);
        if (!image || depth > bestDepth) {
            image = header;
            imageBytes = length;
            bestDepth = depth;
        }
    }
    if (!image) return false;

    size_t headerSize = Read32(image);
    int32_t width = static_cast<int32_t>(Read32(image + 4)), height = static_cast<int32_t>(Read32(image + 8));
    uint32_t planes = Read16(image + 12), depth = Read16(image + 14), compression = Read32(image + 16);
    uint32_t colours = Read32(image + 32);
    if (width != size || height != 2 * size || planes != 1 || compression != 0 || headerSize > imageBytes) return false;
    if (depth != 1 && depth != 4 && depth != 8 && depth != 24 && depth != 32) return false;
    if (depth <= 8 && (colours == 0 || colours > (1u << depth))) colours = 1u << depth;
    if (depth > 8) colours = 0;

    size_t paletteBytes = static_cast<size_t>(colours) * 4;
    size_t colourRow = RowBytes(size, static_cast<int>(depth)), maskRow = RowBytes(size, 1);
    size_t colourBytes = colourRow * size, maskBytes = maskRow * size;
    if (imageBytes - headerSize < paletteBytes + colourBytes) return false;
    const unsigned char* palette = image + headerSize;
    const unsigned char* colourBits = palette + paletteBytes;
    // The mask may be left out of an image whose alpha channel says everything.
    bool hasMask = imageBytes - headerSize - paletteBytes - colourBytes >= maskBytes;
    const unsigned char* maskBits = colourBits + colourBytes;

    bool useAlpha = false;
    if (depth == 32)
        for (size_t i = 0; i < colourBytes && !useAlpha; i += 4) useAlpha = colourBits[i + 3] != 0;
    if (!useAlpha && !hasMask) return false;

    // Everything is checked: from here on the pixels are written.
    for (int y = 0; y < size; y++) {
        // Rows are stored bottom-up.
        const unsigned char* row = colourBits + colourRow * (size - 1 - y);
        const unsigned char* mask = hasMask ? maskBits + maskRow * (size - 1 - y) : nullptr;
        for (int x = 0; x < size; x++) {
            uint32_t colour;
            if (depth == 32 || depth == 24) {
                const unsigned char* p = row + static_cast<size_t>(x) * (depth / 8);
                colour = static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[0];
            } else {
                const unsigned char* entry = palette + PaletteIndex(row, x, static_cast<int>(depth)) * 4;
                colour = static_cast<uint32_t>(entry[2]) << 16 | static_cast<uint32_t>(entry[1]) << 8 | entry[0];
            }
            uint32_t& out = pixels[static_cast<size_t>(y) * size + x];
            if (useAlpha)
                out = Over(colour, background, row[static_cast<size_t>(x) * 4 + 3]);
            else if (PaletteIndex(mask, x, 1))
                out = (background ^ colour) & 0xFFFFFF;
            else
                out = colour;
        }
    }
    return true;
}
