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

// True when text holds a control character (C0 or DEL: a line break, a tab...). Null holds none.
bool HasControlCharacter(const char* text);

// A text built piece by piece into a fixed capacity: all of it or nothing. Once a piece does not fit,
// nothing more is added and Finish empties the target, so a cut text (a statement, a command line)
// is never used.
struct BoundedBuilder {
    char* target;
    size_t capacity;
    size_t length;
    bool failed;

    // Starts an empty text in target.
    void Init(char* text, size_t size);
    void Put(char c);
    void Put(const char* text);  // null adds nothing
    // True when everything fitted; otherwise the target is emptied.
    bool Finish();
};

template <size_t N>
inline size_t CopyText(char (&target)[N], const char* source)
{
    return CopyText(target, N, source);
}
