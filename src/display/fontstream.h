// A FreeType stream over the byte reader (text/files.h), so that a font face can be opened
// by a UTF-16 path: rfstreamopen fills the caller's stream record, FT_Open_Face with
// FT_OPEN_STREAM then reads through rfstreamread and closes with rfstreamclose (FreeType
// calls it when the face is done, or when opening the face fails).
//
// The byte reader is a single instance: while the stream is open it belongs to the stream.
// The stream record must stay in place as long as the face lives.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

// Opens the file at widePath with the byte reader and prepares stream. Returns 0, or the
// FreeType errors FT_Err_Invalid_Stream_Handle (null stream), FT_Err_Cannot_Open_Resource
// (the file does not open) or FT_Err_Cannot_Open_Stream (empty or unmeasurable file; the
// reader is closed again).
int rfstreamopen(FT_Stream stream, const char16_t* widePath);
// FreeType's read callback: reads count bytes at offset. With count 0 it only seeks and
// returns 0, or 1 when offset lies beyond the file or the seek failed. Otherwise returns
// the bytes delivered (fewer at the end or on a failed seek).
unsigned long rfstreamread(FT_Stream stream, unsigned long offset, unsigned char* buffer,
                           unsigned long count);
// FreeType's close callback: closes the byte reader and clears the stream's descriptor,
// size and base.
void rfstreamclose(FT_Stream stream);
