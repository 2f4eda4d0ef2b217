// Character encodings: Shift-JIS (the motion format's and the report's encoding), UTF-16
// (the platform edge, glyph drawing) and UTF-8 (the alias file, file names, the console).
//
// The mapping is the program's own (Shift_JIS-2004 with a few fixed choices), held in two
// generated constant tables; no conversion calls the system's code-page services.
// All strings are NUL-terminated; UTF-16 strings are char16_t arrays ending in a 0 unit.
//
// Output buffers: the functions named after the classic helpers (strsjis2uni, ...) do not
// take an output size; the caller provides the worst case given with each declaration.
// Input limits: conversions from ANSI and from UTF-16 stop after 9998 input bytes/units.
#pragma once

#include <cstddef>
#include <cstdint>

// ---- Tables ----

// Forward table: Shift-JIS code -> Unicode code point (0 = not mapped). Three
// direct-indexed ranges: single bytes 0x00-0xFF, 0x8000-0x9FFF, 0xE000-0xFCFF.
extern const uint32_t SjisToUniTable[256 + 8192 + 7424];
// Reverse table: UTF-16 unit -> Shift-JIS code (0 = not mapped; below 0x100 a single
// byte). Ranges U+0000-U+04FF, U+1E00-U+9FFF, U+F900-U+FFFF.
extern const uint16_t UniToSjisTable[1280 + 33280 + 1792];

// Flag set reported by strsjis2utf8 and the file scanner chkifsjis. Starts as 7.
//   bit 0: no pair with first byte 0x80 was met
//   bit 1: no pair with a second byte below 0x40 was met
//   bit 2: neither was met, and the input did not end inside a pair
//   bit 3: a byte 0xE0-0xFF was met since the last error
typedef uint8_t SjisStatus;
constexpr SjisStatus SJIS_STATUS_CLEAN = 7;

// ---- Single codes ----

// -1 when b is a Shift-JIS lead byte by the fixed test (0x80-0x9F, 0xE0-0xFC), else 0.
int issjislead(unsigned char b);
// Forward lookup; code is taken modulo 0x10000. 0 when not mapped.
uint32_t sjis2uni(uint32_t code);
// Reverse lookup; unit is taken modulo 0x10000. 0 when not mapped.
uint32_t uni2sjis(uint32_t unit);

// ---- Shift-JIS and UTF-16 (tables only, no code-page substitutions) ----

// ANSI bytes -> UTF-16. Lead bytes by the ANSI code page test. Unmapped pairs become '?',
// codes above U+FFFF a surrogate pair (two units for two bytes). Half-width katakana
// 0xA1-0xDF become U+FF61-U+FF9F; every other single byte becomes the unit of the same
// value (0x5C stays a backslash), so struni2sjis gives the same bytes back.
// Output: at most input bytes + 1 units. Returns the number of input bytes taken (at most
// 9998 are converted); a lead byte left without its second byte is dropped.
int strsjis2uni(char16_t* out, const char* in);
// The same, appended at the end of the UTF-16 string already in out. Its end is looked
// for within its first 9999 units; without one nothing is written and the result is -1.
int strcatsjis2uni(char16_t* out, const char* in);
// UTF-16 -> bytes: units below 0x100 as that byte, others through the reverse table,
// unmapped as '?'. Output: at most 2 x units + 1 bytes. Returns units examined.
int struni2sjis(char* out, const char16_t* in);
// 0 when every unit converts with struni2sjis, -1 otherwise.
int chkunisjis(const char16_t* in);

// ---- UTF-8 and UTF-16 ----

// UTF-8 -> UTF-16; a code point above U+FFFF becomes the seven units "x" and six hex
// digits. Output: at most 2 x input bytes + 2 units. Returns 7, or 0 after an error
// (the first error is skipped, the second ends the conversion). Two 0 units end it.
int strutf82uni(char16_t* out, const char* in);
// UTF-16 -> UTF-8, surrogate pairs as four bytes; a high surrogate without its low half
// becomes '?' and takes the next unit with it. Output: at most 3 x units + 1 bytes.
// Returns twice the number of units consumed (at most 9998 are converted).
int struni2utf8(char* out, const char16_t* in);

// ---- Shift-JIS and UTF-8 (with the 18 code-page substitutions) ----

// The code point the Windows Japanese code page gives a Shift-JIS code where it differs
// from the table (18 codes), or 0.
uint32_t substituteForSjis(uint32_t code);
// The Shift-JIS code the code page reads a code point as where it differs from the table
// (those 18 code points, and U+301C as 0x8160), or 0.
uint32_t sjisForSubstitute(uint32_t cp);

// UTF-8 -> Shift-JIS. Characters without a code (all above U+FFFF) write nothing.
// Output: at most input bytes + 1. Returns 7, or 0 after an error (handled as in
// strutf82uni).
int strutf82sjis(char* out, const char* in);
// Shift-JIS -> UTF-8 (0x5C stays a backslash). Unmapped pairs write nothing; a final lone
// lead byte is dropped. Output: at most 3 x input bytes + 1 (4 per pair above U+FFFF is
// still within 3 x 2). Returns the SjisStatus of what was met.
int strsjis2utf8(char* out, const char* in);
// The same, appended to the string in out; out's terminator must lie within its first
// 520 bytes, else nothing is written and the result is -1.
int strcatsjis2utf8(char* out, const char* in);
// Appends a Shift-JIS message to out: raw when messages are Shift-JIS (Japanese UI on a
// Shift-JIS console, see setMessagesRaw), otherwise converted with strcatsjis2utf8.
void strcatmsg(char* out, const char* in);
// Chosen by start-up: nonzero when both uiJapanese and consoleSjis are set.
void setMessagesRaw(int raw);

// Removes a final lone lead byte (fixed test). Returns 1 if a byte was removed, else 0.
int cutsjislead(char* s);

// ---- Sized helpers for callers that know their buffer ----

// strsjis2utf8 into out of outSize bytes: converts character by character, stops before
// a character that would not fit and always terminates (an outSize of 0 writes nothing).
// Returns the SjisStatus as strsjis2utf8 would for the converted part.
int sjisToUtf8Bounded(char* out, size_t outSize, const char* in);
// strutf82sjis into out of outSize bytes, likewise stopping before a character that would
// not fit. Returns 7, or 0 when the converted part met an error.
int utf8ToSjisBounded(char* out, size_t outSize, const char* in);
