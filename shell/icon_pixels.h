// The pixels of one image of an icon file (.ico), read without the window system: the main window
// draws the icons of its programs from these, since making an icon object for each program file
// costs far more than the list itself.
#pragma once

#include <stddef.h>
#include <stdint.h>

// Finds the image of exactly size x size pixels in the bytes of an icon file (of several, the one
// with the most bits per pixel) and draws it over the background colour into pixels: size * size
// values 0x00RRGGBB, top row first. Uncompressed images of 1, 4, 8, 24 and 32 bits per pixel are
// read (32 bits with their alpha channel, or with the mask when the alpha channel is empty; the
// others through the mask: a masked pixel shows the background, turned by the pixel's colour as
// the window system does). False, with pixels untouched, when the file has no such image, holds it
// compressed (PNG) or is malformed in any way: the caller then loads the icon the usual way.
bool DecodeIconPixels(const unsigned char* bytes, size_t count, int size, uint32_t background, uint32_t* pixels);
