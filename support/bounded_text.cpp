#include "support/bounded_text.h"

#include <stdlib.h>
#include <string.h>

size_t CopyText(char* target, size_t capacity, const char* source)
{
    return CopyTextPart(target, capacity, source, (size_t)-1);
}

size_t CopyTextPart(char* target, size_t capacity, const char* source, size_t count)
{
    if (!target || capacity == 0) return 0;
    size_t n = 0;
    if (source) {
        size_t limit = capacity - 1 < count ? capacity - 1 : count;
        while (n < limit && source[n] != '\0') n++;
        memcpy(target, source, n);
    }
    target[n] = '\0';
    return n;
}

size_t AppendText(char* target, size_t capacity, const char* source)
{
    if (!target || capacity == 0) return 0;
    size_t length = strnlen(target, capacity);
    if (length == capacity) {  // not terminated within its capacity: terminate at the last place
        target[capacity - 1] = '\0';
        return capacity - 1;
    }
    return length + CopyText(target + length, capacity - length, source);
}

bool TextFits(const char* source, size_t capacity)
{
    if (!source) return capacity > 0;
    return capacity > 0 && strnlen(source, capacity) < capacity;
}

char* DuplicateText(const char* text)
{
    if (!text) text = "";
    size_t length = strlen(text);
    char* copy = static_cast<char*>(malloc(length + 1));
    if (copy) memcpy(copy, text, length + 1);
    return copy;
}

bool HasControlCharacter(const char* text)
{
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); p && *p; p++)
        if (*p < 0x20 || *p == 0x7f) return true;
    return false;
}

void BoundedBuilder::Init(char* text, size_t size)
{
    target = text;
    capacity = size;
    length = 0;
    failed = capacity == 0;
    if (capacity) target[0] = '\0';
}

void BoundedBuilder::Put(char c)
{
    if (failed || length + 1 >= capacity) {
        failed = true;
        return;
    }
    target[length++] = c;
    target[length] = '\0';
}

void BoundedBuilder::Put(const char* text)
{
    for (; text && *text && !failed; text++) Put(*text);
}

bool BoundedBuilder::Finish()
{
    if (failed && capacity) target[0] = '\0';
    return !failed;
}
