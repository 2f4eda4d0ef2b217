#include "display/freetype_calls.h"

#include <cstdio>

#include "os/os.h"
#include "text/trace.h"

#ifndef KINETRACE_FREETYPE_LIBRARY
#define KINETRACE_FREETYPE_LIBRARY "libfreetype.so.6"
#endif

#ifdef _WIN32
// Windows links the static FreeType into the program: the table is filled directly.
const FreeTypeCalls* freeTypeCalls() {
  static const FreeTypeCalls calls = {
      FT_Init_FreeType, FT_Done_FreeType, FT_New_Face,      FT_Open_Face,
      FT_Done_Face,     FT_Set_Char_Size, FT_Set_Transform, FT_Get_Char_Index,
      FT_Load_Glyph,    FT_Render_Glyph,  FT_Get_Kerning,
  };
  return &calls;
}
#else
namespace {

struct FreeTypeLoad {
  FreeTypeCalls calls;
  int state; // 0 not tried, 1 loaded, -1 failed
};
FreeTypeLoad gFreeType;

template <typename T>
bool take(T* call, const char* symbol, char* error, size_t errorSize) {
  *call = reinterpret_cast<T>(osModuleSymbol(KINETRACE_FREETYPE_LIBRARY, symbol, error, errorSize));
  return *call != nullptr;
}

} // namespace

const FreeTypeCalls* freeTypeCalls() {
  FreeTypeLoad& f = gFreeType;
  if (f.state == 0) {
    char error[512] = "";
    FreeTypeCalls& c = f.calls;
    const bool loaded = take(&c.initFreeType, "FT_Init_FreeType", error, sizeof error) &&
                        take(&c.doneFreeType, "FT_Done_FreeType", error, sizeof error) &&
                        take(&c.newFace, "FT_New_Face", error, sizeof error) &&
                        take(&c.openFace, "FT_Open_Face", error, sizeof error) &&
                        take(&c.doneFace, "FT_Done_Face", error, sizeof error) &&
                        take(&c.setCharSize, "FT_Set_Char_Size", error, sizeof error) &&
                        take(&c.setTransform, "FT_Set_Transform", error, sizeof error) &&
                        take(&c.getCharIndex, "FT_Get_Char_Index", error, sizeof error) &&
                        take(&c.loadGlyph, "FT_Load_Glyph", error, sizeof error) &&
                        take(&c.renderGlyph, "FT_Render_Glyph", error, sizeof error) &&
                        take(&c.getKerning, "FT_Get_Kerning", error, sizeof error);
    f.state = loaded ? 1 : -1;
    if (!loaded) {
      trace("glyph: FreeType cannot be loaded: %s\n", error);
      std::fprintf(stderr, "kinetrace: cannot load FreeType: %s\n", error);
    }
  }
  return f.state == 1 ? &f.calls : nullptr;
}
#endif
