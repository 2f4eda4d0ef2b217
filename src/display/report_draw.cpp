#include "display/report_draw.h"

#include "analysis/report.h"
#include "display/capture.h"
#include "display/glyph.h"
#include "display/surface.h"
#include "text/encoding.h"
#include "text/files.h"
#include "text/pathconv.h"
#include "text/trace.h"

namespace {

constexpr int LINE_PITCH = 17; // pixels from one line's top to the next
constexpr int LINE_MARGIN = 2; // left and top margin of every line
constexpr int BYTE_WIDTH = 8;  // pixels per byte of the longest line
constexpr int MIN_SURFACE_WIDTH = 512;
constexpr int MIN_SURFACE_HEIGHT = 96;
constexpr float FONT_HEIGHT_POINTS = 16.0f;
constexpr int NAME_UNITS = 1024; // more than the glyph renderer takes from one string

// Copies in to out (outSize bytes) with every ampersand doubled, so the glyph renderer
// shows it instead of taking it as an escape. Double-byte pairs are copied whole (0x26 is
// never the second byte of one); the copy stops before a character that would not fit.
void escapeAmpersands(char* out, size_t outSize, const char* in) {
  size_t used = 0;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(in);
  while (*p != 0) {
    size_t take = issjislead(*p) && p[1] != 0 ? 2 : 1;
    size_t need = *p == '&' ? 2 : take;
    if (used + need + 1 > outSize)
      break;
    if (*p == '&')
      out[used++] = '&';
    for (size_t i = 0; i < take; ++i)
      out[used++] = static_cast<char>(p[i]);
    p += take;
  }
  out[used] = '\0';
}

// Draws line 0's replacement, the file's name: the ANSI name unless it lost characters,
// else the UTF-16 name (as Shift-JIS when it converts without loss), else the ANSI name as
// it is. Returns the glyph renderer's result.
int drawFileName(const char* actualName, const char16_t* actualNameW, char* escaped,
                 size_t escapedSize) {
  const bool ansiUsable = actualName[0] != 0 && chkqmark(actualName) == 0;
  // A UTF-16 name with escaped bytes holds them no better than the ANSI form's '?'.
  if (!ansiUsable && actualNameW[0] != 0 && hasPathEscapes(actualNameW) == 0) {
    char16_t name[NAME_UNITS];
    int n = 0;
    for (; n < NAME_UNITS - 1 && actualNameW[n] != 0; ++n)
      name[n] = actualNameW[n];
    name[n] = 0;
    if (chkunisjis(name) != 0)
      return glyphDrawTextW(REPORT_GLYPH_SLOT, name, 1, -1, 0, -1);
    char sjis[2 * NAME_UNITS + 1];
    struni2sjis(sjis, name);
    escapeAmpersands(escaped, escapedSize, sjis);
  } else {
    escapeAmpersands(escaped, escapedSize, actualName);
  }
  return glyphDrawText(REPORT_GLYPH_SLOT, escaped, 1, -1, 0, -1);
}

} // namespace

void reportSurfaceSize(int* width, int* height) {
  int w = BYTE_WIDTH * gReport.maxLineLength + 16;
  int h = LINE_PITCH * gReport.lineCount;
  *width = w < MIN_SURFACE_WIDTH ? MIN_SURFACE_WIDTH : w;
  *height = h < MIN_SURFACE_HEIGHT ? MIN_SURFACE_HEIGHT : h;
}

void drawReport(const char* actualName, const char16_t* actualNameW) {
  if (actualName == nullptr)
    actualName = "";
  if (actualNameW == nullptr)
    actualNameW = u"";
  surfaceFillRect(0, 0, 0, gViewWindow.surfaceWidth - 1, gViewWindow.surfaceHeight - 1,
                  gSurface.backgroundRed, gSurface.backgroundGreen, gSurface.backgroundBlue);
  int lineCount = gReport.lineCount;
  if (lineCount > REPORT_LINE_CAPACITY)
    lineCount = REPORT_LINE_CAPACITY;
  // Room for a name of NAME_UNITS characters of two bytes, every byte doubled.
  char escaped[4 * NAME_UNITS + 1];
  for (int l = 0; l < lineCount; ++l) {
    uint32_t colour = gReport.colour[l];
    int red = colour & 0xFF, green = colour >> 8 & 0xFF, blue = colour >> 16 & 0xFF;
    glyphSetTextColour(red, green, blue);
    surfaceSetForeground(red, green, blue);
    if (gReport.text[l][0] == 0)
      continue;
    int result;
    if (l == 0) {
      result = drawFileName(actualName, actualNameW, escaped, sizeof escaped);
    } else {
      escapeAmpersands(escaped, sizeof escaped, gReport.text[l]);
      result = glyphDrawText(REPORT_GLYPH_SLOT, escaped, 1, -1, 0, -1);
    }
    if (result == GLYPH_DRAW_OK)
      surfaceBlendImage(0, LINE_MARGIN, LINE_PITCH * l + LINE_MARGIN, REPORT_GLYPH_SLOT, 0, 0,
                        glyphSlotWidth(REPORT_GLYPH_SLOT) - 1,
                        glyphSlotHeight(REPORT_GLYPH_SLOT) - 1);
  }
}

int loadReportFont(const char* ansiPath, const char16_t* widePath,
                   void (*pause)(int milliseconds)) {
  constexpr int SETTLE_MS = 50; // between finding the font file and loading it
  int loaded;
  if (ansiPath != nullptr && ansiPath[0] != 0 && rftryopen(ansiPath) == 0) {
    rfclose();
    if (pause != nullptr)
      pause(SETTLE_MS);
    loaded = glyphLoadFont(ansiPath, 0.0f, FONT_HEIGHT_POINTS);
  } else if (widePath != nullptr && widePath[0] != 0 && rftryopenW(widePath) == 0) {
    rfclose();
    if (pause != nullptr)
      pause(SETTLE_MS);
    loaded = glyphLoadFontW(widePath, 0.0f, FONT_HEIGHT_POINTS);
  } else {
    trace("report: the font file is missing\n");
    return RENDER_FONT_MISSING;
  }
  if (loaded != GLYPH_LOAD_OK) {
    glyphUnloadFont();
    return RENDER_FONT_UNUSABLE;
  }
  return GLYPH_LOAD_OK;
}

int renderReportToBmp(const char* bmpAnsiPath, const char* fontAnsiPath,
                      const char16_t* fontWidePath, const char* actualName,
                      const char16_t* actualNameW) {
  if (gViewWindow.state != WINDOW_NONE)
    return RENDER_WINDOW_LIVE;
  int loaded = loadReportFont(fontAnsiPath, fontWidePath, nullptr);
  if (loaded != GLYPH_LOAD_OK)
    return loaded;
  surfaceSetBackground(0, 0, 0);
  int width, height;
  reportSurfaceSize(&width, &height);
  int result;
  if (surfaceCreatePages(width, height, 1) != 0) {
    result = RENDER_NO_SURFACE;
  } else {
    drawReport(actualName, actualNameW);
    result = captureToBmp(bmpAnsiPath);
  }
  glyphUnloadFont();
  surfaceDestroyPages();
  return result;
}
