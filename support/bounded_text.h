// Bounded copies into fixed-capacity texts. Every copy into a fixed field of the program goes
// through these: the result is always terminated and never runs past the capacity.
#pragma once

#include <stddef.h>

// Copies at most capacity - 1 characters of source into target and terminates it. Returns the number
// of characters copied. A null source gives an empty text; a capacity of 0 writes nothing.
size_t CopyText(char* target, size_t capacity, const char* source);

// Like CopyText, but copies at most count characters of source (stopping early at its terminator).
size_t CopyTextPart(char* target, size_t capacity, const char* source, size_t count);

// Appends source to the text already in target, within capacity. Returns the new length.
size_t AppendText(char* target, size_t capacity, const char* source);

// True when source fits into a field of this capacity whole (terminator included).
bool TextFits(const char* source, size_t capacity);

// An owned copy (free it with free); null counts as empty. Null only when memory runs out.
char* DuplicateText(const char* text);

template <size_t N>
inline size_t CopyText(char (&target)[N], const char* source)
{
    return CopyText(target, N, source);
}
