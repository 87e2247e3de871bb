// Bounded UTF-16 text helpers shared by the core and the shell.
#pragma once

#include <cstddef>
#include <cstdint>

// Every fixed text of the program holds 260 units including the terminating zero.
constexpr int TEXT_UNITS = 260;

// Element count of a real array; refuses a pointer at compile time.
template <typename T, size_t N>
constexpr size_t ArrayCount(T (&)[N]) {
    return N;
}

// Length in code units up to the terminating zero, never looking past limit units.
size_t TextLength(const char16_t* text, size_t limit = SIZE_MAX);

// Copies at most count - 1 units of source and terminates; returns 0 when source was cut.
int CopyText(char16_t* destination, size_t count, const char16_t* source);

// Copies the first length units of source (fewer if it ends sooner), bounded by count.
int CopyTextPart(char16_t* destination, size_t count, const char16_t* source, size_t length);

// Appends source after the text already in destination, bounded by count; 0 when cut.
int AppendText(char16_t* destination, size_t count, const char16_t* source);

// Appends the decimal form of value (as wsprintfW's %i would write it); 0 when cut.
int AppendNumber(char16_t* destination, size_t count, int32_t value);

// format with %s replaced by name and each %i by the next of numbers, as wsprintfW
// would write them; a caption's own % signs are never read as formats. 0 when cut.
int FormatText(char16_t* destination,
               size_t count,
               const char16_t* format,
               const char16_t* name,
               const int32_t* numbers = nullptr,
               size_t numberCount = 0);

// Compares two texts unit by unit.
int TextEquals(const char16_t* a, const char16_t* b);

template <size_t N>
int CopyText(char16_t (&destination)[N], const char16_t* source) {
    return CopyText(destination, N, source);
}

template <size_t N>
int AppendText(char16_t (&destination)[N], const char16_t* source) {
    return AppendText(destination, N, source);
}
