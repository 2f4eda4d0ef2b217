// Encoding scanners for text files that may be Shift-JIS or UTF-8 (the alias file): each
// reads a whole file through the text reader of text/files.h and reports what it met.
// Neither recognises, skips or writes a byte-order mark (EF BB BF is scanned as an
// ordinary three-byte sequence).
//
// Both use the single text reader: they close whatever it holds, and it is closed again
// when they return. The file is opened by widePath when useWide is nonzero, else by
// ansiPath; the other path is not looked at.
//
// A caller takes the file as Shift-JIS when chkifutf8 gives 0 and chkifsjis, read as a
// signed byte, gives 3 or more; otherwise as UTF-8.
#pragma once

// 7 when the file is valid UTF-8 (pure ASCII included), 0 after an invalid sequence, 0xFF
// when it cannot be opened. Lead bytes 0xC0-0xDF, 0xE0-0xEF and 0xF0-0xF7 take one, two or
// three continuation bytes 0x80-0xBF; overlong forms are not rejected. The scan stops at
// the second error.
int chkifutf8(const char* ansiPath, const char16_t* widePath, int useWide);
int chkifutf8(const char* ansiPath);
int chkifutf8W(const char16_t* widePath);

// The SjisStatus (text/encoding.h) of the Shift-JIS irregularities met in the file, or
// 0xFF when it cannot be opened.
int chkifsjis(const char* ansiPath, const char16_t* widePath, int useWide);
int chkifsjis(const char* ansiPath);
int chkifsjisW(const char16_t* widePath);
