// Text and path helpers shared by the dialogs; pure, no window needed.
#pragma once

#include <stddef.h>

// True when the text is empty or holds only blanks (code 32). Tabs and other white space are not
// blanks. A null text counts as empty.
bool IsBlank(const char* text);

// Copies the directory part of path into buffer (capacity bufferSize): the path cut after its last
// backslash, which stays. A path without a backslash, or one longer than the buffer holds, gives an
// empty text. Returns buffer.
char* DirectoryOf(const char* path, char* buffer, size_t bufferSize);

// The number right-aligned in three places ("  7", "999"); a number needing more places gives "0.". The result lives in a static buffer until the next call.
const char* FormatCount(long number);
