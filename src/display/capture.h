// Window capture: the whole display page written as an uncompressed 24-bit Windows bitmap
// (BMP, bottom row first, rows padded to 4 bytes) through the byte writer (text/files.h),
// pixel by pixel. Pending window events are dispatched between rows, so the window stays
// responsive while a large surface is written.
//
// The path is an ANSI path; only the text before its first semicolon is checked for the
// extension, which must begin with ".BMP" in any case, but the file is created under the
// whole path. A failure inside the pixel rows leaves a truncated file behind.
//
// A capture replaces only what holds no data of the user's: an empty file, an earlier
// capture (a file that begins with the header written here), or a character device. Any
// other file, a link that leads nowhere, a folder, FIFO or socket is left alone and the
// result is CAPTURE_KEPT_FILE, rather than writing over a motion or a picture of another
// program through a name cap(N).bmp; the window's key S then tries the next name.
#pragma once

constexpr int CAPTURE_OK = 0;
constexpr int CAPTURE_CREATE_FAILED = -1;     // the file could not be created
constexpr int CAPTURE_FIRST_BYTE_FAILED = 1;  // writing 'B' failed
constexpr int CAPTURE_SECOND_BYTE_FAILED = 2; // writing 'M' failed
constexpr int CAPTURE_NOT_BMP = 4;            // not a .bmp path; nothing written
constexpr int CAPTURE_KEPT_FILE = 5;          // the path names no earlier capture; nothing written
constexpr int CAPTURE_HEADER_FAILED = 11;     // writing the rest of the header failed
constexpr int CAPTURE_PIXELS_FAILED = -2;     // writing the pixel rows or the last flush failed

// Writes the surface (gViewWindow's size, display page) to ansiPath. Returns CAPTURE_*.
int captureToBmp(const char* ansiPath);
