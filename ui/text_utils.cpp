#include "ui/text_utils.h"

#include "support/bounded_text.h"

#include <stdio.h>
#include <string.h>

bool IsBlank(const char* text)
{
    if (!text) return true;
    for (; *text; ++text)
        if (*text != ' ') return false;
    return true;
}

char* DirectoryOf(const char* path, char* buffer, size_t bufferSize)
{
    if (!buffer || bufferSize == 0) return buffer;
    // A path that does not fit whole has no directory we could give exactly: empty text.
    size_t length = TextFits(path, bufferSize) ? CopyText(buffer, bufferSize, path) : CopyText(buffer, bufferSize, "");
    while (length > 0 && buffer[length - 1] != '\\') buffer[--length] = '\0';
    return buffer;
}

const char* FormatCount(long number)
{
    static char text[24];
    int written = snprintf(text, sizeof text, "%3ld", number);
    if (written < 0 || written > 3) CopyText(text, "0.");
    return text;
}
