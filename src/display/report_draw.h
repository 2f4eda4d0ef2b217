// Drawing the report (gReport, analysis/report.h) onto the surface, and the console
// rendering of a report into a BMP file.
//
// Layout: line l is drawn in its own colour with its top-left at (2, 17 x l + 2) on a
// background-filled surface of 8 pixels per byte of the longest line plus 16 (at least
// 512) by 17 pixels per line (at least 96). Line 0 shows the file's name instead of its
// row text, and only when that row is not empty. Report text is drawn literally: an
// ampersand in a name is shown as such, not taken as an escape of the glyph renderer.
#pragma once

// Results of renderReportToBmp besides the CAPTURE_* codes of display/capture.h.
constexpr int RENDER_FONT_MISSING = -10;  // the font file opens by neither path
constexpr int RENDER_FONT_UNUSABLE = -11; // the font file opens but is no usable font
constexpr int RENDER_NO_SURFACE = -12;    // the surface pages could not be allocated
constexpr int RENDER_WINDOW_LIVE = -13;   // a report window owns the surface; not touched

constexpr int REPORT_GLYPH_SLOT = 6; // the slot every report line is drawn through

// The surface size the current report needs.
void reportSurfaceSize(int* width, int* height);

// Fills the surface with the background colour and draws every line of gReport in mode 0.
// actualName (Shift-JIS) and actualNameW (UTF-16) name the file for line 0; either may be
// null or empty.
void drawReport(const char* actualName, const char16_t* actualNameW);

// Loads the report font at 16 points: by ansiPath when that file opens, else by widePath
// (either may be null). pause, when not null, is called with 50 between finding the file
// and loading it. Returns GLYPH_LOAD_OK, RENDER_FONT_MISSING, or RENDER_FONT_UNUSABLE (no
// face is then loaded).
int loadReportFont(const char* ansiPath, const char16_t* widePath, void (*pause)(int milliseconds));

// Console rendering: loads the font (by fontAnsiPath when it opens, else by fontWidePath;
// either may be null) at 16 points, sizes the surface to the report, draws it on black as
// the window would hold it and writes it to bmpAnsiPath. Returns the CAPTURE_* result of
// the write, or RENDER_*. The surface pages and the face are released before returning.
// For use without a report window only.
int renderReportToBmp(const char* bmpAnsiPath, const char* fontAnsiPath,
                      const char16_t* fontWidePath, const char* actualName,
                      const char16_t* actualNameW);
