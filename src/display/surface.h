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

#include "display/backend.h"
#include "text/paths.h" // PATH_SIZE: a dropped path

// Installs platform (null uninstalls). The record must outlive its use.
void displaySetPlatform(const DisplayPlatform* platform);
// The installed platform, or null.
const DisplayPlatform* displayPlatform();
// Runs pending window events through the platform, if one is installed.
void displayDispatchMessages();
// Pauses for milliseconds: the platform's waitForEvent, which may return early when input
// arrives, or a plain sleep without one.
void displayPause(int milliseconds);

// ---- Window state used by the surface ----

constexpr int VIEW_MAX_PAGES = 2;
constexpr int VIEW_TITLE_SIZE = 128; // bytes of the stored title, terminator included

// What exists of the report window (ViewWindow.state). Only WINDOW_NONE means no window.
enum WindowState : int32_t {
  WINDOW_NONE = 0,
  WINDOW_LIVE = -1,
  WINDOW_CHANGING_PAGES = 1, // live while windowResize makes or windowDestroy frees its pages
};

// The report window, one instance for the process. The window logic (display/window.h)
// owns every field; the surface reads the page, size and scroll fields.
struct ViewWindow {
  // ---- Existence (set by windowCreate, windowResize, windowDestroy) ----
  WindowState state;           // WINDOW_NONE until windowCreate, again after windowDestroy
  void* handle;                // the platform's window, null without one
  char title[VIEW_TITLE_SIZE]; // what windowSetTitle last set (Shift-JIS)
  int32_t screenWidth;         // display size read at create; limits direct window drawing
  int32_t screenHeight;
  int32_t clientWidth; // last known view size (set by the size message)
  int32_t clientHeight;
  int32_t sizeSerial; // counts size messages; tells one that arrived inside another
  // ---- Pages (set by surfaceCreatePages, cleared by surfaceDestroyPages) ----
  int32_t surfaceWidth;
  int32_t surfaceHeight;
  int32_t pageCount; // 0, 1 or 2
  SurfacePage pages[VIEW_MAX_PAGES];
  int32_t drawPage;    // page index 0 or 1; set by surfaceSetDrawPage
  int32_t displayPage; // page index 0 or 1; set by surfaceSetDisplayPage
  // ---- Sizing limits (set by the outer-size rule of create and resize) ----
  int32_t maxWidth;                    // outer size that shows the whole surface, clipped to the
  int32_t maxHeight;                   //   work area
  int32_t maxWidthWithBar;             // maxWidth + vertical bar width
  int32_t maxHeightWithBar;            // maxHeight + horizontal bar height
  int32_t surfaceWidthWithBar;         // surfaceWidth + vertical bar width
  int32_t surfaceHeightWithCaptionBar; // caption + horizontal bar + surfaceHeight
  // ---- Scroll state ----
  // Ranges set by the size message (0 = nothing to scroll); positions by the scroll
  // messages, the wheel and surfaceScrollHorizontalTo/VerticalTo.
  int32_t horizontalPosition;
  int32_t verticalPosition;
  int32_t horizontalRange;
  int32_t verticalRange;
  uint8_t horizontalEnabled; // set by sizing, cleared when the bar goes away
  uint8_t verticalEnabled;
  int32_t repeatCount; // arrow-button repeats; reset by any mouse move over the window
  int32_t lineStep;    // pixels per arrow step (2)
  uint8_t maximised;   // set by the maximise command, cleared by restore
  int32_t busy;        // > 0 while the procedure copies, scrolls or repositions
  // ---- Input recorded by the procedure, taken by the viewer ----
  int32_t eventCode; // the one-slot WindowEventCode (display/window.h); EVENT_NONE = none
  uint8_t shiftHeld, ctrlHeld;
  uint8_t leftPressed, leftHeld;
  uint8_t leftDownEvent, leftUpEvent, leftReleasedEvent, draggedEvent;
  int32_t pressX, pressY;               // client position of the left press
  int32_t pressSurfaceX, pressSurfaceY; // the same plus the scroll position
  int32_t mouseX, mouseY;               // client position of the last move
  int32_t mouseSurfaceX, mouseSurfaceY;
  int32_t dragX, dragY; // client position of the last move while pressed
  int32_t dragSurfaceX, dragSurfaceY;
  int32_t releaseSurfaceX, releaseSurfaceY;
  uint8_t rightPressed;
  int32_t rightX, rightY; // client position of the right press
  int32_t rightSurfaceX, rightSurfaceY;
  uint8_t closed;  // the user asked to close the window
  uint8_t resized; // a user move or resize ended
  // ---- Cursors (indices into the cursor table) ----
  int32_t normalCursor; // shown while idle (0, the arrow)
  int32_t heldCursor;   // shown while the left button is held (8, the hand)
  // ---- Dropped files (display/drop.h) ----
  uint8_t dropped;                  // files were dropped; cleared when the viewer starts a run
  char16_t droppedPathW[PATH_SIZE]; // the first dropped file
  char droppedPath[PATH_SIZE];
  int32_t dropX, dropY; // client position of the drop
  int32_t dropSurfaceX, dropSurfaceY;
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
