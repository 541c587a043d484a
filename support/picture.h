// Picture files to bitmap handles: GIF and JPEG through the OLE picture service, everything else as
// a Windows bitmap file. Windows only.
#pragma once

#include <windows.h>

// Loads the picture at path (relative to the current directory) and returns a bitmap the caller
// owns and deletes. The extension decides the decoder: ".gif", ".jpg" and ".jpeg" in any case go to
// LoadOlePicture, any other name is read as a bitmap file. An empty path, a missing file and every
// failure of the bitmap branch (a file shorter than its two headers included) give null silently.
HBITMAP LoadPicture(const char* path);

// Decodes a GIF or JPEG file with OleLoadPicture and returns a copy of its bitmap that the caller
// owns. Each failure shows one "Hiba" message box (no owner, MB_ICONERROR) and gives null. File,
// memory block, stream and picture object are released before it returns, on every path.
HBITMAP LoadOlePicture(const char* path);
