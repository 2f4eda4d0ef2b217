#include "display/glyph.h"

#include "display/fontstream.h"
#include "text/encoding.h"
#include "text/pathconv.h"
#include "text/trace.h"

#include <cstdlib>
#include <cstring>

namespace {

// Inner failures of a draw; the caller sees GLYPH_DRAW_FAILED for each.
constexpr int MAKE_LOAD_FAILED = 1;   // FT_Load_Glyph refused a glyph
constexpr int MAKE_RENDER_FAILED = 2; // FT_Render_Glyph refused a glyph
constexpr int MAKE_EMPTY = 3;         // no ink box: nothing to draw
constexpr int MAKE_NO_MEMORY = -3;    // a plane could not be allocated
constexpr int MAKE_BAD_RANGE = -1;    // last index below the first

constexpr int DPI = 72;

} // namespace

GlyphRenderer gGlyph;

namespace {

// ---- Slots ----

void freeSlot(GlyphImageSlot& slot) {
  for (uint8_t*& plane : slot.planes) {
    if (plane != nullptr) {
      std::free(plane);
      plane = nullptr;
      gGlyph.livePlanes--;
    }
  }
  slot.valid = 0;
  slot.width = 0;
  slot.height = 0;
}

int allocateSlot(GlyphImageSlot& slot, int32_t width, int32_t height) {
  size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(height) + GLYPH_PLANE_SPARE;
  for (uint8_t*& plane : slot.planes) {
    plane = static_cast<uint8_t*>(std::calloc(bytes, 1));
    if (plane == nullptr) {
      freeSlot(slot);
      return MAKE_NO_MEMORY;
    }
    gGlyph.livePlanes++;
  }
  slot.width = width;
  slot.height = height;
  return 0;
}

// ---- Font loading ----

int startLibrary() {
  if (gGlyph.library != nullptr)
    return 0;
  const FreeTypeCalls* ft = freeTypeCalls();
  if (ft == nullptr)
    return GLYPH_LOAD_NO_LIBRARY;
  gGlyph.ft = ft;
  if (ft->initFreeType(&gGlyph.library) != 0) {
    gGlyph.library = nullptr;
    trace("glyph: FreeType did not initialise\n");
    return GLYPH_LOAD_NO_LIBRARY;
  }
  if (!gGlyph.exitHookRegistered) {
    std::atexit(glyphRelease);
    gGlyph.exitHookRegistered = 1;
  }
  return 0;
}

int finishLoad(float widthPoints, float heightPoints) {
  gGlyph.faceLoaded = 0xFF;
  gGlyph.charWidth = glyphPointsToUnits(widthPoints);
  gGlyph.charHeight = glyphPointsToUnits(heightPoints);
  if (gGlyph.ft->setCharSize(gGlyph.face, gGlyph.charWidth, gGlyph.charHeight, DPI, DPI) != 0) {
    trace("glyph: the face refused the size %d x %d\n", static_cast<int>(gGlyph.charWidth),
          static_cast<int>(gGlyph.charHeight));
    return GLYPH_LOAD_BAD_SIZE;
  }
  gGlyph.hasKerning = FT_HAS_KERNING(gGlyph.face) ? 1 : 0;
  gGlyph.ft->setTransform(gGlyph.face, nullptr, nullptr);
  return GLYPH_LOAD_OK;
}

// ---- Text to code points ----

void pushCodePoint(uint32_t code) {
  if (gGlyph.codePointCount < GLYPH_MAX_CODE_POINTS)
    gGlyph.codePoints[gGlyph.codePointCount++] = code;
}

void sjisToCodePoints(const char* text) {
  gGlyph.codePointCount = 0;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  while (*p != 0 && gGlyph.codePointCount < GLYPH_MAX_CODE_POINTS) {
    unsigned char b = *p;
    if (issjislead(b)) {
      if (p[1] == 0)
        break;
      uint32_t code = sjis2uni(static_cast<uint32_t>(b) << 8 | p[1]);
      if (code >= 1)
        pushCodePoint(code);
      p += 2;
    } else if (b == '&') {
      switch (p[1]) {
      case 0:
        return;
      case '&':
        pushCodePoint('&');
        break;
      case 'r':
        pushCodePoint(13);
        break;
      case 'n':
        pushCodePoint(10);
        break;
      case 'v':
        pushCodePoint(11);
        break;
      default:
        break; // unknown escape: both bytes dropped
      }
      p += 2;
    } else {
      uint32_t code = sjis2uni(b);
      if (code >= 1)
        pushCodePoint(code);
      p += 1;
    }
  }
  gGlyph.codePoints[gGlyph.codePointCount] = 0;
}

void wideToCodePoints(const char16_t* text) {
  gGlyph.codePointCount = 0;
  for (const char16_t* p = text; *p != 0 && gGlyph.codePointCount < GLYPH_MAX_CODE_POINTS; ++p)
    pushCodePoint(*p);
  gGlyph.codePoints[gGlyph.codePointCount] = 0;
}

// ---- Layout and rendering ----

int64_t floorPixels(int64_t units) {
  return units >= 0 ? units / 64 : -((-units + 63) / 64);
}
int64_t ceilPixels(int64_t units) {
  return -floorPixels(-units);
}

struct InkBox {
  bool empty;
  int64_t left, top, right, bottom; // 26.6 units
};

// Copies the rendered bitmap of the face's glyph slot into the image, its top-left pixel
// at (column, row).
void copyBitmap(GlyphImageSlot& slot, const FT_Bitmap& bitmap, int64_t column, int64_t row) {
  const int32_t rows = static_cast<int32_t>(bitmap.rows);
  const int32_t width = static_cast<int32_t>(bitmap.width);
  const int32_t pitch = bitmap.pitch;
  const bool mono = bitmap.pixel_mode == FT_PIXEL_MODE_MONO;
  if (!mono && bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) {
    trace("glyph: bitmap mode %d not drawn\n", static_cast<int>(bitmap.pixel_mode));
    return;
  }
  uint8_t* red = slot.planes[GLYPH_PLANE_RED];
  uint8_t* green = slot.planes[GLYPH_PLANE_GREEN];
  uint8_t* blue = slot.planes[GLYPH_PLANE_BLUE];
  uint8_t* coverage = slot.planes[GLYPH_PLANE_COVERAGE];
  for (int32_t r = 0; r < rows; ++r) {
    int64_t y = row + r;
    if (y < 0 || y >= slot.height)
      continue;
    // With a negative pitch the rows are stored bottom-up from buffer.
    const unsigned char* source = pitch >= 0
                                      ? bitmap.buffer + static_cast<int64_t>(r) * pitch
                                      : bitmap.buffer + static_cast<int64_t>(rows - 1 - r) * -pitch;
    for (int32_t c = 0; c < width; ++c) {
      int64_t x = column + c;
      if (x < 0 || x >= slot.width)
        continue;
      int v = mono ? ((source[c >> 3] >> (7 - (c & 7))) & 1) * 255 : source[c];
      if (v == 0)
        continue;
      size_t at = static_cast<size_t>(y) * static_cast<size_t>(slot.width) + static_cast<size_t>(x);
      red[at] = gGlyph.textRed;
      green[at] = gGlyph.textGreen;
      blue[at] = gGlyph.textBlue;
      int sum = v == 255 ? 255 : coverage[at] + v;
      coverage[at] = static_cast<uint8_t>(sum > 255 ? 255 : sum);
    }
  }
}

// One pass over the code points. Measuring (slot null) widens box with the characters in
// first..last; drawing copies them into slot, placed relative to (imageLeft, imageTop).
int layoutPass(int antialias, int first, int last, InkBox* box, GlyphImageSlot* slot,
               int64_t imageLeft, int64_t imageTop) {
  FT_Face face = gGlyph.face;
  int32_t height = gGlyph.charHeight != 0 ? gGlyph.charHeight : gGlyph.charWidth;
  const int64_t lineAdvance = floorPixels(height) * 64;
  int64_t penX = 0, penY = 0;
  FT_UInt previous = 0;
  for (int i = 0; i < gGlyph.codePointCount; ++i) {
    uint32_t code = gGlyph.codePoints[i];
    if (code == 13) {
      penX = 0;
      previous = 0;
      continue;
    }
    if (code == 10) {
      penY += lineAdvance;
      continue;
    }
    if (code == 11) {
      penY -= lineAdvance;
      continue;
    }
    FT_UInt index = gGlyph.faceLoaded ? gGlyph.ft->getCharIndex(face, code) : 0;
    if (index == 0)
      continue;
    if (gGlyph.ft->loadGlyph(face, index, FT_LOAD_DEFAULT) != 0)
      return MAKE_LOAD_FAILED;
    FT_GlyphSlot glyph = face->glyph;
    if (glyph->format != FT_GLYPH_FORMAT_BITMAP &&
        gGlyph.ft->renderGlyph(glyph, antialias ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO) != 0)
      return MAKE_RENDER_FAILED;
    if (gGlyph.hasKerning && previous != 0) {
      FT_Vector delta;
      if (gGlyph.ft->getKerning(face, previous, index, FT_KERNING_DEFAULT, &delta) == 0) {
        penX += delta.x;
        penY += delta.y;
      }
    }
    int64_t left = penX + glyph->metrics.horiBearingX;
    int64_t top = penY - glyph->metrics.horiBearingY;
    if (i >= first && i <= last) {
      if (slot == nullptr) {
        int64_t right = left + static_cast<int64_t>(glyph->bitmap.width) * 64;
        int64_t bottom = top + static_cast<int64_t>(glyph->bitmap.rows) * 64;
        if (box->empty) {
          *box = InkBox{false, left, top, right, bottom};
        } else {
          box->left = left < box->left ? left : box->left;
          box->top = top < box->top ? top : box->top;
          box->right = right > box->right ? right : box->right;
          box->bottom = bottom > box->bottom ? bottom : box->bottom;
        }
      } else {
        copyBitmap(*slot, glyph->bitmap, (left - imageLeft) / 64, (top - imageTop) / 64);
      }
    }
    penX += glyph->advance.x;
    penY += glyph->advance.y;
    previous = index;
  }
  return 0;
}

// Measures and draws the code points already converted into the slot.
int makeImage(GlyphImageSlot& slot, int antialias, int alignment, int first, int last) {
  if (last < 0)
    last = gGlyph.codePointCount - 1;
  if (last < first)
    return MAKE_BAD_RANGE;
  InkBox box{true, 0, 0, 0, 0};
  int result = layoutPass(antialias, first, last, &box, nullptr, 0, 0);
  if (result != 0)
    return result;
  freeSlot(slot);
  if (box.empty)
    return MAKE_EMPTY;
  int64_t left = floorPixels(box.left) - 1;
  int64_t top = floorPixels(box.top) - 1;
  int64_t right = ceilPixels(box.right) + 1;
  int64_t bottom = ceilPixels(box.bottom) + 1;
  // A code point buffer of 1,023 characters keeps both extents far below 2^31.
  result =
      allocateSlot(slot, static_cast<int32_t>(right - left), static_cast<int32_t>(bottom - top));
  if (result != 0)
    return result;
  result = layoutPass(antialias, first, last, nullptr, &slot, left * 64, top * 64);
  if (result != 0) {
    freeSlot(slot);
    return result;
  }
  if (alignment < 0)
    slot.offsetX = static_cast<int32_t>(left);
  else if (alignment > 0)
    slot.offsetX = static_cast<int32_t>(left - right);
  else
    slot.offsetX = static_cast<int32_t>(left - (left + right) / 2);
  slot.offsetY = static_cast<int32_t>(top);
  slot.valid = 0xFF;
  return 0;
}

int finishDraw(int slot, int antialias, int alignment, int first, int last) {
  int result = makeImage(gGlyph.slots[slot], antialias, alignment, first, last);
  if (result != 0) {
    trace("glyph: no image in slot %d (%d)\n", slot, result);
    return GLYPH_DRAW_FAILED;
  }
  return GLYPH_DRAW_OK;
}

bool slotInRange(int slot) {
  return slot >= 0 && slot < GLYPH_SLOT_COUNT;
}

} // namespace

// ---- Font loading ----

int32_t glyphPointsToUnits(float points) {
  float scaled = points * 64.0f;
  return static_cast<int32_t>(scaled + 0.4f);
}

int glyphLoadFont(const char* sjisPath, float widthPoints, float heightPoints) {
  if (startLibrary() != 0)
    return GLYPH_LOAD_NO_LIBRARY;
  glyphUnloadFont();
#ifdef _WIN32
  // FreeType opens the name with the C runtime, which takes the ANSI form as it is.
  const char* systemPath = sjisPath;
#else
  char utf8Path[4096];
  const char* systemPath =
      sjisPath != nullptr && ansiPathToUtf8(utf8Path, sizeof utf8Path, sjisPath) == 0 ? utf8Path
                                                                                      : nullptr;
#endif
  if (systemPath == nullptr ||
      gGlyph.ft->newFace(gGlyph.library, systemPath, 0, &gGlyph.face) != 0) {
    gGlyph.face = nullptr;
    trace("glyph: the font did not open by its ANSI path\n");
    return GLYPH_LOAD_NO_FACE;
  }
  return finishLoad(widthPoints, heightPoints);
}

int glyphLoadFontW(const char16_t* widePath, float widthPoints, float heightPoints) {
  if (startLibrary() != 0)
    return GLYPH_LOAD_NO_LIBRARY;
  glyphUnloadFont();
  if (rfstreamopen(&gGlyph.stream, widePath) != 0) {
    trace("glyph: the font did not open by its UTF-16 path\n");
    return GLYPH_LOAD_NO_FACE;
  }
  FT_Open_Args args;
  std::memset(&args, 0, sizeof args);
  args.flags = FT_OPEN_STREAM;
  args.stream = &gGlyph.stream;
  // On failure FreeType closes the stream itself (rfstreamclose).
  if (gGlyph.ft->openFace(gGlyph.library, &args, 0, &gGlyph.face) != 0) {
    gGlyph.face = nullptr;
    trace("glyph: the file opened by its UTF-16 path is not a usable font\n");
    return GLYPH_LOAD_NO_FACE;
  }
  return finishLoad(widthPoints, heightPoints);
}

void glyphUnloadFont() {
  if (gGlyph.face != nullptr)
    gGlyph.ft->doneFace(gGlyph.face);
  gGlyph.face = nullptr;
  gGlyph.faceLoaded = 0;
  gGlyph.hasKerning = 0;
}

int glyphFontLoaded() {
  return gGlyph.faceLoaded;
}

// ---- Images ----

int glyphSetTextColour(int red, int green, int blue) {
  gGlyph.textRed = static_cast<uint8_t>(red);
  gGlyph.textGreen = static_cast<uint8_t>(green);
  gGlyph.textBlue = static_cast<uint8_t>(blue);
  return 0;
}

int glyphDrawText(int slot, const char* sjisText, int antialias, int alignment, int firstIndex,
                  int lastIndex) {
  if (!slotInRange(slot))
    return GLYPH_DRAW_BAD_SLOT;
  sjisToCodePoints(sjisText != nullptr ? sjisText : "");
  return finishDraw(slot, antialias, alignment, firstIndex, lastIndex);
}

int glyphDrawTextW(int slot, const char16_t* text, int antialias, int alignment, int firstIndex,
                   int lastIndex) {
  if (!slotInRange(slot))
    return GLYPH_DRAW_BAD_SLOT;
  wideToCodePoints(text != nullptr ? text : u"");
  return finishDraw(slot, antialias, alignment, firstIndex, lastIndex);
}

int glyphSlotWidth(int slot) {
  return slotInRange(slot) ? gGlyph.slots[slot].width : 0;
}
int glyphSlotHeight(int slot) {
  return slotInRange(slot) ? gGlyph.slots[slot].height : 0;
}

const uint8_t* glyphSlotPlane(int slot, GlyphPlane plane) {
  if (!slotInRange(slot) || plane < 0 || plane >= GLYPH_PLANE_COUNT)
    return nullptr;
  return gGlyph.slots[slot].planes[plane];
}

int glyphSlotValid(int slot) {
  return slotInRange(slot) ? gGlyph.slots[slot].valid : 0;
}

void glyphRelease() {
  for (GlyphImageSlot& slot : gGlyph.slots)
    freeSlot(slot);
  glyphUnloadFont();
  if (gGlyph.library != nullptr)
    gGlyph.ft->doneFreeType(gGlyph.library);
  gGlyph.library = nullptr;
}

int glyphLivePlaneCount() {
  return gGlyph.livePlanes;
}
