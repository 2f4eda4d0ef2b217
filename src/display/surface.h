// The off-screen surface of the report window: one or two pages of 24-bit pixels as large
// as the whole report, drawing operations on them, and the view's scroll position.
//
// Pages are plain memory owned here (blue, green, red per pixel, rows top to bottom),
// allocated by surfaceCreatePages and freed by surfaceDestroyPages; nothing else on the
// drawing path allocates. What lands on the draw page while it is also the display page is
// announced to the window through the installed DisplayPlatform (invalidate a rectangle of
// the view), so the window repaints from the display page; with no platform installed
// (console rendering, tests) those calls do nothing.
//
// Mode argument of the drawing operations: mode <= 0 draws into the draw page; mode >= 0
// also updates the window when the draw page is the display page. The viewer passes 0.
// Coordinates are surface pixels; writes outside a page are clipped by the page.
#pragma once

#include <cstdint>

// ---- Platform interface ----

constexpr int SCROLL_BAR_HORIZONTAL = 0;
constexpr int SCROLL_BAR_VERTICAL = 1;

// Installed by the window; any member may be null. Rectangles are in window (view)
// pixels: surface position minus scroll position.
struct DisplayPlatform {
  void (*invalidate)(int x, int y, int width, int height); // repaint from the display page
  void (*scrollBy)(int dx, int dy);                        // move the shown contents by (dx, dy)
  void (*setScrollPosition)(int bar, int position);        // SCROLL_BAR_* and its new position
  void (*dispatchMessages)();                              // run pending window events once
};
// Installs platform (null uninstalls). The record must outlive its use.
void displaySetPlatform(const DisplayPlatform* platform);
// Runs pending window events through the platform, if one is installed.
void displayDispatchMessages();

// ---- Window state used by the surface ----

struct SurfacePage {
  int32_t width, height; // pixels; 0 for an empty page
  int32_t stride;        // bytes per row (width x 3)
  uint8_t* pixels;       // blue, green, red; null for an empty page
};

constexpr int VIEW_MAX_PAGES = 2;

// The report window's state as far as the surface needs it; the window extends it.
struct ViewWindow {
  // Set by the window's create/resize/destroy.
  int32_t state;       // 0 no window, -1 live, 1 live while pages are re-created
  int32_t screenWidth; // display size read at create; limits direct window drawing
  int32_t screenHeight;
  int32_t clientWidth; // last known view size
  int32_t clientHeight;
  // Set by surfaceCreatePages, cleared by surfaceDestroyPages.
  int32_t surfaceWidth;
  int32_t surfaceHeight;
  int32_t pageCount; // 0, 1 or 2
  SurfacePage pages[VIEW_MAX_PAGES];
  int32_t drawPage;    // page index 0 or 1; set by surfaceSetDrawPage
  int32_t displayPage; // page index 0 or 1; set by surfaceSetDisplayPage
  // Scroll state: ranges set by the window (0 = nothing to scroll), positions by the
  // window's scroll bars and by surfaceScrollHorizontalTo/VerticalTo.
  int32_t horizontalPosition;
  int32_t verticalPosition;
  int32_t horizontalRange;
  int32_t verticalRange;
};
extern ViewWindow gViewWindow;

// ---- Surface state ----

constexpr int SURFACE_ROW_BUFFER_PIXELS = 2048;

struct SurfaceState {
  // Set by displaySetPlatform; null while no window is attached.
  const DisplayPlatform* platform;
  // Set by surfaceSetBackground / surfaceSetForeground (0-255 each).
  int32_t backgroundRed, backgroundGreen, backgroundBlue;
  int32_t foregroundRed, foregroundGreen, foregroundBlue;
  // Scratch of surfaceBlendImage: one row piece of blended pixels, blue, green, red.
  uint8_t rowBuffer[SURFACE_ROW_BUFFER_PIXELS * 3];
};
extern SurfaceState gSurface;

// ---- Pages ----

// Frees any pages, then allocates pageCount (1 or 2; other values count as 1) pages of
// width x height, each filled with the background colour; draw and display page 0.
// Returns 0, or -1 when width or height is below 1 or a page could not be allocated
// (that page is left empty and drawing into it has no effect).
int surfaceCreatePages(int width, int height, int pageCount);
// Frees the pages; page count and surface size become 0. No effect without pages.
void surfaceDestroyPages();
// Stored only when two pages exist. Return the stored index.
int surfaceSetDrawPage(int index);
int surfaceSetDisplayPage(int index);

// ---- Colours ----

// Components are taken modulo 256. The background starts black, the foreground white.
void surfaceSetBackground(int red, int green, int blue);
void surfaceSetForeground(int red, int green, int blue);

// ---- Drawing ----

// Solid fill of the inclusive rectangle (x0, y0)-(x1, y1).
void surfaceFillRect(int mode, int x0, int y0, int x1, int y1, int red, int green, int blue);
// Places rowCount rows of width pixels with their top-left at (x, y). The pixel bytes
// follow the bottom-up 24-bit device-independent bitmap layout: the first row in memory is
// the bottom one, each row is blue, green, red per pixel padded to a multiple of 4 bytes
// (a single row needs no padding). Returns 0, or -1 when the arguments are unusable or
// the draw page has no pixels.
int surfaceWriteRows(int mode, int x, int y, int width, int rowCount, const uint8_t* pixels);
// Blends the inclusive part (sx0, sy0)-(sx1, sy1) of glyph image slot `slot` with its top-
// left at (x, y): each component = (a x foreground + (255 - a) x background) / 256 with a
// the slot's coverage. Nothing happens for an invalid slot.
void surfaceBlendImage(int mode, int x, int y, int slot, int sx0, int sy0, int sx1, int sy1);
// Copies the whole display page onto the draw page when they differ.
void surfaceCopyDisplayToDraw();
// Shows the display page at the scroll offset (invalidates the whole view).
void surfacePresent();

// ---- View ----

// Clamp position to 0..range; when it differs from the current one, the window contents
// move by (current - new), the bar is updated and the position stored. Return 0.
int surfaceScrollHorizontalTo(int position);
int surfaceScrollVerticalTo(int position);
// Red, green and blue of the display page at (x, y); black outside the page or without
// pages. Returns 0.
int surfaceReadPixel(int x, int y, int* red, int* green, int* blue);
