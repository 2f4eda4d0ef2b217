// Fuzz target: drawing arbitrary Shift-JIS and UTF-16 text into the glyph image slots with
// the report font, loaded once.
//
// Input: three control bytes, then the text. Byte 0: bit 0 UTF-16 text (pairs of bytes)
// instead of Shift-JIS, bit 1 antialiasing, bits 2-3 alignment (left, centre, right),
// bits 4-6 the slot, bit 7 a slot number outside 0-7 instead. Bytes 1 and 2: the first
// and last index as signed bytes.
//
// Checks: the result codes; a drawn slot is valid with both sides above 0 and planes of
// width x height + 16 bytes (every byte is read, so a smaller plane is caught); a slot
// outside 0-7 changes nothing; planes are freed as slots are redrawn (no leak).
#include <cstdint>
#include <cstdlib>
#include <string>

#include "display/glyph.h"
#include "fuzz_support.h"

#ifndef KT_FUZZ_FONT
#define KT_FUZZ_FONT "/usr/share/fonts/truetype/vlgothic/VL-Gothic-Regular.ttf"
#endif

namespace {

int validSlots() {
  int n = 0;
  for (int s = 0; s < GLYPH_SLOT_COUNT; ++s)
    n += glyphSlotValid(s) != 0;
  return n;
}

void checkSlot(int slot) {
  const int width = glyphSlotWidth(slot);
  const int height = glyphSlotHeight(slot);
  FUZZ_CHECK(width > 0 && height > 0);
  const size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(height) + GLYPH_PLANE_SPARE;
  unsigned sum = 0;
  for (int p = 0; p < GLYPH_PLANE_COUNT; ++p) {
    const uint8_t* plane = glyphSlotPlane(slot, static_cast<GlyphPlane>(p));
    FUZZ_CHECK(plane != nullptr);
    for (size_t i = 0; i < bytes; ++i)
      sum += plane[i];
  }
  // The spare bytes stay zero: drawing never reaches them.
  const uint8_t* coverage = glyphSlotPlane(slot, GLYPH_PLANE_COVERAGE);
  for (size_t i = bytes - GLYPH_PLANE_SPARE; i < bytes; ++i)
    FUZZ_CHECK(coverage[i] == 0);
  (void)sum;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const char* font = std::getenv("KT_FUZZ_FONT");
  if (font == nullptr)
    font = KT_FUZZ_FONT;
  // By the ANSI path: FreeType then maps the file, where the UTF-16 path would read it
  // through the byte reader with a seek and a read for every glyph.
  if (glyphLoadFont(fuzz::ansiFormOf(font).c_str(), 0.0f, 16.0f) != GLYPH_LOAD_OK) {
    std::fprintf(stderr, "fuzz_glyph: cannot load the font %s (set KT_FUZZ_FONT)\n", font);
    std::exit(1);
  }
  glyphSetTextColour(255, 240, 0);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3)
    return 0;
  const uint8_t control = data[0];
  const int first = static_cast<int8_t>(data[1]);
  const int last = static_cast<int8_t>(data[2]);
  const bool wide = (control & 1) != 0;
  const int antialias = (control & 2) != 0;
  const int alignment = ((control >> 2) & 3) - 1;
  int slot = (control >> 4) & 7;
  if (control & 128)
    slot = (control & 16) ? -1 : GLYPH_SLOT_COUNT + slot;

  const int validBefore = validSlots();
  int result;
  if (wide) {
    fuzz::ExactWide text(data + 3, size - 3);
    result = glyphDrawTextW(slot, text.text, antialias, alignment, first, last);
  } else {
    fuzz::ExactText text(data + 3, size - 3);
    result = glyphDrawText(slot, text.text, antialias, alignment, first, last);
  }

  if (slot < 0 || slot >= GLYPH_SLOT_COUNT) {
    FUZZ_CHECK(result == GLYPH_DRAW_BAD_SLOT);
    FUZZ_CHECK(validSlots() == validBefore);
    fuzz::count("bad-slot");
  } else if (result == GLYPH_DRAW_OK) {
    FUZZ_CHECK(glyphSlotValid(slot) == 0xFF);
    checkSlot(slot);
    fuzz::count("drawn");
  } else {
    FUZZ_CHECK(result == GLYPH_DRAW_FAILED);
    if (glyphSlotValid(slot))
      checkSlot(slot); // an early failure keeps the slot's image
    fuzz::count("no-image");
  }
  FUZZ_CHECK(glyphLivePlaneCount() == GLYPH_PLANE_COUNT * validSlots());
  return 0;
}
