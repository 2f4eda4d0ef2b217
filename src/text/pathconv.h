// Conversions between the program's two path forms and the file system's UTF-8.
//
// The program carries every path as an ANSI form (Shift-JIS bytes, the emulated ANSI code
// page 932, backslash separators) and a UTF-16 form (backslash separators). The file
// system speaks UTF-8 with '/'. Towards the system every backslash becomes '/'; from the
// system every '/' becomes a backslash, and in the ANSI form a character that Shift-JIS
// cannot hold becomes '?' (as the system's own conversion would leave it), which is what
// chkqmark detects.
//
// ASCII is kept as ASCII both ways (0x5C is the backslash, 0x7E the tilde), single bytes
// 0xA1-0xDF are half-width katakana, pairs go through the program's tables with the 18
// code-page substitutions, as code page 932 converts them (so ～ ― ＼ ∥ of a file name
// keep their codes 0x8160 0x815C 0x815F 0x8161). A backslash
// inside a Linux file name therefore cannot be expressed; such files are out of reach.
#pragma once

#include <cstddef>

// ANSI path -> UTF-8. Returns 0, or -1 when out (outSize bytes) is too small or the path
// holds a byte or pair that maps to nothing (such a path names no file).
int ansiPathToUtf8(char* out, size_t outSize, const char* ansiPath);
// UTF-16 path -> UTF-8 (surrogate pairs combined). Returns 0, or -1 as above (a lone
// surrogate maps to nothing).
int widePathToUtf8(char* out, size_t outSize, const char16_t* widePath);
// UTF-8 from the system -> ANSI form. Unmappable characters and invalid UTF-8 bytes
// become '?'. Returns 0, or -1 when the result was cut to fit outSize bytes.
int utf8PathToAnsi(char* out, size_t outSize, const char* utf8Path);
// UTF-8 from the system -> UTF-16 form (surrogate pairs above U+FFFF; invalid bytes become
// U+FFFD). Returns 0, or -1 when the result was cut to fit outUnits units.
int utf8PathToWide(char16_t* out, size_t outUnits, const char* utf8Path);
