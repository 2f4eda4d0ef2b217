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
// keep their codes 0x8160 0x815C 0x815F 0x8161). A backslash inside a Linux file name
// that is valid UTF-8 therefore cannot be expressed; such files are out of reach.
//
// Names that are not UTF-8 (what unzip makes of a Japanese archive, a Latin-1 name) are
// handled per path component, so that every name the file system holds can be opened:
//
//   component of the system path      UTF-16 form                    ANSI form
//   valid UTF-8                       its characters                 Shift-JIS, '?' for
//                                                                    what it cannot hold
//   not UTF-8, valid Shift-JIS        escapes (below)                its own bytes
//   neither                           escapes (below)                Shift-JIS of its
//                                                                    UTF-8 characters,
//                                                                    '?' for every other
//                                                                    byte and backslash
//
// Escapes: in a component that is not UTF-8, every byte 0x80-0xFF that is no part of a
// UTF-8 character becomes the lone surrogate U+DC80-U+DCFF (U+DC00 + byte), and a
// backslash byte becomes U+DC5C (it belongs to the name, as the second byte of 表
// 0x955C does). widePathToUtf8 turns them back into those bytes, so a UTF-16 form from
// utf8PathToWide names its file byte for byte. Escapes never give a byte below 0x80 other
// than the backslash, and a UTF-16 path whose escapes would not come back as the same
// units (bytes that read as UTF-8 together, U+DC5C in a UTF-8 name) is refused. Every
// other lone surrogate still maps to nothing.
//
// An ANSI form holding a component's own bytes reads, through ansiPathToUtf8, as the
// name those bytes spell in UTF-8; findname (text/paths.h) tries the raw bytes when that
// name does not exist, the file objects reach such a file through the UTF-16 form.
#pragma once

#include <cstddef>

// ANSI path -> UTF-8. Returns 0, or -1 when out (outSize bytes) is too small or the path
// holds a byte or pair that maps to nothing (such a path names no file).
int ansiPathToUtf8(char* out, size_t outSize, const char* ansiPath);
// UTF-16 path -> UTF-8 (surrogate pairs combined, escapes back to their bytes). Returns
// 0, or -1 as above (a lone surrogate that is no escape maps to nothing).
int widePathToUtf8(char* out, size_t outSize, const char16_t* widePath);
// UTF-8 from the system -> ANSI form. Returns 0, or -1 when the result was cut to fit
// outSize bytes (it ends on a whole character).
int utf8PathToAnsi(char* out, size_t outSize, const char* utf8Path);
// UTF-8 from the system -> UTF-16 form (surrogate pairs above U+FFFF, escapes for what
// is not UTF-8). Returns 0, or -1 when the result was cut to fit outUnits units.
int utf8PathToWide(char16_t* out, size_t outUnits, const char* utf8Path);
// 1 when the length bytes at begin (one path component) are valid Shift-JIS with a byte
// of 0x80 or more but not UTF-8: the components utf8PathToAnsi keeps as their own bytes.
// 0 otherwise.
int isRawSjisName(const char* begin, size_t length);
// 1 when the UTF-16 path holds an escape unit (U+DC80-U+DCFF or U+DC5C), 0 otherwise.
int hasPathEscapes(const char16_t* widePath);
