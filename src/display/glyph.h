// Glyph rendering with one TrueType font through FreeType: a string at a time becomes a
// small coverage image in one of eight image slots, which the surface then blends onto a
// page in a chosen colour.
//
// Call glyphLoadFont (or glyphLoadFontW) once per report, glyphSetTextColour before each
// string, then glyphDrawText (Shift-JIS) or glyphDrawTextW (UTF-16) into a slot. An image
// covers the ink of the drawn characters plus one pixel on every side; rows run top to
// bottom, byte r x width + c of a plane is row r, column c.
//
// Shift-JIS text carries escapes: "&&" is one ampersand, "&r" carriage return (pen back to
// the line start), "&n" line feed (one line down), "&v" vertical tab (one line up); an
// ampersand before any other byte drops both, a final ampersand ends the text. UTF-16 text
// has no escapes. At most 1,023 code points of a string are used. Characters the font
// lacks are skipped without a gap.
//
// Heap: the four planes of a slot (malloc), freed when the slot is drawn again and by
// glyphRelease, which also runs at process exit. FreeType owns the rest.
//
// A face loaded by UTF-16 path reads the font file through the byte reader (text/files.h)
// for as long as it stays loaded: do not open the byte reader on another file in between.
#pragma once

#include <cstdint>

#include <ft2build.h>
#include FT_FREETYPE_H

#include "display/freetype_calls.h"

constexpr int GLYPH_SLOT_COUNT = 8;
constexpr int GLYPH_MAX_CODE_POINTS = 1023;
constexpr int GLYPH_PLANE_SPARE = 16; // bytes after each plane

// Results of glyphLoadFont / glyphLoadFontW.
constexpr int GLYPH_LOAD_OK = 0;
constexpr int GLYPH_LOAD_NO_LIBRARY = -1; // FreeType could not be initialised
constexpr int GLYPH_LOAD_NO_FACE = 1;     // the file did not open as a font
constexpr int GLYPH_LOAD_BAD_SIZE = 2;    // the face refused the size

// Results of glyphDrawText / glyphDrawTextW.
constexpr int GLYPH_DRAW_OK = 0;
constexpr int GLYPH_DRAW_FAILED = -1;   // no image (see glyph.cpp for the inner causes)
constexpr int GLYPH_DRAW_BAD_SLOT = -4; // slot outside 0..7; nothing changed

enum GlyphPlane {
  GLYPH_PLANE_RED,
  GLYPH_PLANE_GREEN,
  GLYPH_PLANE_BLUE,
  GLYPH_PLANE_COVERAGE,
  GLYPH_PLANE_COUNT
};

struct GlyphImageSlot {
  int32_t width, height;              // pixels; set with the planes
  uint8_t* planes[GLYPH_PLANE_COUNT]; // width x height + 16 bytes each, or null
  int32_t offsetX, offsetY;           // image position relative to the pen origin
  uint8_t valid;                      // 0xFF while all four planes exist, else 0
};

// Font and slot state, one instance.
struct GlyphRenderer {
  // Set by the first font load; cleared by glyphRelease.
  const FreeTypeCalls* ft; // FreeType, loaded then
  FT_Library library;
  uint8_t exitHookRegistered; // set once glyphRelease is registered with atexit
  // Set by glyphLoadFont*; cleared by the next load, glyphUnloadFont and glyphRelease.
  FT_Face face;
  uint8_t faceLoaded; // 0xFF while a face is loaded
  int32_t charWidth;  // requested size in 26.6 units
  int32_t charHeight;
  uint8_t hasKerning;  // the face has a kerning table; kerning is applied
  FT_StreamRec stream; // a UTF-16-path face reads through it
  // Set by glyphSetTextColour.
  uint8_t textRed, textGreen, textBlue;
  // Filled by each draw from its text.
  uint32_t codePoints[GLYPH_MAX_CODE_POINTS + 1];
  int32_t codePointCount;
  // Slot images: planes allocated by a draw, freed by the next draw or glyphRelease.
  GlyphImageSlot slots[GLYPH_SLOT_COUNT];
  int32_t livePlanes; // planes allocated and not yet freed
};
extern GlyphRenderer gGlyph;

// ---- Font ----

// Converts a size in points (one point is one pixel at 72 dpi) to 26.6 units: the size
// times 64 as a float, plus 0.4, truncated. 16 gives 1024, 10.99 gives 703.
int32_t glyphPointsToUnits(float points);
// Replaces the current face by face 0 of the file at the Shift-JIS path, at width and
// height in points (width 0: same as height). Results GLYPH_LOAD_*.
int glyphLoadFont(const char* sjisPath, float widthPoints, float heightPoints);
// The same by UTF-16 path, reading the file through the byte reader.
int glyphLoadFontW(const char16_t* widePath, float widthPoints, float heightPoints);
// Releases the current face (and with it the byte reader for a UTF-16-path face).
void glyphUnloadFont();
// 0xFF while a face is loaded.
int glyphFontLoaded();

// ---- Images ----

// Components are taken modulo 256. Returns 0.
int glyphSetTextColour(int red, int green, int blue);
// Draws the characters firstIndex..lastIndex (code point positions, lastIndex < 0 meaning
// the last one) of text into slot: antialias nonzero gives 8-bit coverage, 0 a 1-bit
// rendering (coverage 0 or 255). alignment < 0 left, 0 centre, > 0 right sets the slot's
// offsets. Results GLYPH_DRAW_*. Failures before the image is sized (an empty text,
// lastIndex below firstIndex, a glyph FreeType cannot load or render) leave the slot as it
// was; later ones (no ink box, no memory) leave it invalid, its planes freed.
int glyphDrawText(int slot, const char* sjisText, int antialias, int alignment, int firstIndex,
                  int lastIndex);
int glyphDrawTextW(int slot, const char16_t* text, int antialias, int alignment, int firstIndex,
                   int lastIndex);

// Slot accessors; 0 / null for a slot outside 0..7.
int glyphSlotWidth(int slot);
int glyphSlotHeight(int slot);
const uint8_t* glyphSlotPlane(int slot, GlyphPlane plane);
int glyphSlotValid(int slot);

// Frees every slot's planes, the face and FreeType. Runs at process exit; a later load
// starts afresh.
void glyphRelease();
// Number of slot planes currently allocated (for leak checks).
int glyphLivePlaneCount();
