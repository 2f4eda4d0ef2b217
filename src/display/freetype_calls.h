// FreeType's functions as the glyph drawing calls them. The shared library is loaded on
// first use rather than at start-up, so the console modes that draw nothing never map it
// (nor the compression libraries it needs), which is most of their start-up time.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

struct FreeTypeCalls {
  decltype(&FT_Init_FreeType) initFreeType;
  decltype(&FT_Done_FreeType) doneFreeType;
  decltype(&FT_New_Face) newFace;
  decltype(&FT_Open_Face) openFace;
  decltype(&FT_Done_Face) doneFace;
  decltype(&FT_Set_Char_Size) setCharSize;
  decltype(&FT_Set_Transform) setTransform;
  decltype(&FT_Get_Char_Index) getCharIndex;
  decltype(&FT_Load_Glyph) loadGlyph;
  decltype(&FT_Render_Glyph) renderGlyph;
  decltype(&FT_Get_Kerning) getKerning;
};

// The calls, loading FreeType on the first call; nullptr when it cannot be loaded (the
// reason goes to the trace, and to standard error once).
const FreeTypeCalls* freeTypeCalls();
