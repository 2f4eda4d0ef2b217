// Fixed-buffer string helpers shared by every subsystem.
//
// Strings are NUL-terminated Shift-JIS byte strings. Every helper takes the size of its
// destination, always terminates it (when the size is at least 1) and never writes past it.
// A cut never splits a double-byte character: a lead byte (0x80-0x9F, 0xE0-0xFC) is kept
// only together with its second byte.
#pragma once

#include <cstddef>

// Copies src into dst (dstSize bytes). Returns the number of bytes copied, terminator
// excluded. A src longer than dstSize - 1 is cut on a character boundary.
size_t copyString(char* dst, size_t dstSize, const char* src);

// Appends src to the string already in dst (dstSize bytes in all), with the same cutting
// rule as copyString. Returns the new length of dst. A dst without a terminator within
// dstSize bytes is left unchanged and its size minus one is returned.
size_t appendString(char* dst, size_t dstSize, const char* src);

// Length of the longest prefix of s (at most maxBytes bytes) that ends on a character
// boundary.
size_t sjisFitLength(const char* s, size_t maxBytes);

// snprintf into buf (size bytes), then cut the result back to a character boundary if it
// was truncated. Returns the length written, terminator excluded.
size_t formatString(char* buf, size_t size, const char* fmt, ...)
    __attribute__((format(printf, 3, 4)));
