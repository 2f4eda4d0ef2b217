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
// Every operation the report window needs from the window system, named by what it does
// for the window (the Win32 call it stands for in brackets). The Qt backend
// (platform/qt_window.h) implements them; tests install a recording double. Any member
// may be null: the window logic then does without it (a null createWindow means no window
// can be made).

constexpr int SCROLL_BAR_HORIZONTAL = 0; // SB_HORZ
constexpr int SCROLL_BAR_VERTICAL = 1;   // SB_VERT

// Stacking of setWindowPos (HWND_TOPMOST, HWND_NOTOPMOST, or unchanged).
constexpr int WINDOW_Z_KEEP = 0;
constexpr int WINDOW_Z_TOPMOST = 1;
constexpr int WINDOW_Z_NOTOPMOST = 2;
// Flags of setWindowPos (SWP_NOMOVE, SWP_NOSIZE).
constexpr unsigned WINDOW_POS_NO_MOVE = 0x1;
constexpr unsigned WINDOW_POS_NO_SIZE = 0x2;

// Metrics of getSystemMetric (SM_CXSCREEN, SM_CYSCREEN, SM_CXVSCROLL, SM_CYHSCROLL,
// SM_CYCAPTION, SM_CXCURSOR, SM_CYCURSOR).
enum SystemMetric {
  METRIC_SCREEN_WIDTH,
  METRIC_SCREEN_HEIGHT,
  METRIC_VERTICAL_BAR_WIDTH,
  METRIC_HORIZONTAL_BAR_HEIGHT,
  METRIC_CAPTION_HEIGHT,
  METRIC_CURSOR_WIDTH,
  METRIC_CURSOR_HEIGHT,
};

// The system cursors of loadSystemCursor, in the order of the cursor table (IDC_ARROW,
// IDC_CROSS, IDC_WAIT, IDC_NO, IDC_SIZEALL, IDC_SIZENWSE, IDC_SIZENS, IDC_SIZEWE).
enum SystemCursor {
  SYSTEM_CURSOR_ARROW,
  SYSTEM_CURSOR_CROSS,
  SYSTEM_CURSOR_WAIT,
  SYSTEM_CURSOR_NO,
  SYSTEM_CURSOR_SIZE_ALL,
  SYSTEM_CURSOR_SIZE_NWSE,
  SYSTEM_CURSOR_SIZE_NS,
  SYSTEM_CURSOR_SIZE_WE,
  SYSTEM_CURSOR_COUNT
};

// Left, top, right and bottom edges in screen pixels; right and bottom exclusive.
struct WindowRect {
  int32_t left, top, right, bottom;
};

struct SurfacePage;
struct WindowMessage;
// The window procedure: every input and state change of the window reaches it as one
// message; it answers 0 when it handled the message, 1 when the window system's default
// handling should follow (display/window.h).
typedef int (*WindowProcedure)(WindowMessage* message);

struct DisplayPlatform {
  // ---- Drawing on the window ----
  // Repaint from the display page (InvalidateRect). Rectangles are window (view) pixels:
  // surface position minus scroll position.
  void (*invalidate)(int x, int y, int width, int height);
  // Move the shown contents by (dx, dy); the uncovered strip is repainted (ScrollWindow).
  void (*scrollBy)(int dx, int dy);
  // Thumb of a scroll bar, with redraw (SetScrollPos).
  void (*setScrollPosition)(int bar, int position);
  // Run every pending window event once, without waiting (PeekMessage, TranslateMessage,
  // DispatchMessage).
  void (*dispatchMessages)();
  // Inside a paint message only: copy width x height pixels of page, from (sourceX,
  // sourceY), onto the window at (x, y) (BitBlt from the page's memory context).
  void (*copyPageToWindow)(const SurfacePage* page, int sourceX, int sourceY, int x, int y,
                           int width, int height);

  // ---- The window ----
  // Creates the report window with the given outer size, at (x, y) or where the system
  // places new windows when defaultPosition is nonzero, with title (Shift-JIS), both scroll
  // bars and a sizing frame, not yet shown; every message goes to procedure
  // (RegisterClass and CreateWindowEx). Returns the window's handle, or null.
  void* (*createWindow)(const char* title, int x, int y, int width, int height, int defaultPosition,
                        WindowProcedure procedure);
  void (*destroyWindow)(); // DestroyWindow, UnregisterClass
  void (*showWindow)();    // ShowWindow(SW_SHOWDEFAULT)
  void (*setWindowPos)(int zOrder, int x, int y, int width, int height, unsigned flags);
  void (*getWindowRect)(WindowRect* outer);     // GetWindowRect
  void (*setWindowText)(const char* sjisTitle); // SetWindowText
  // The outer rectangle of a window whose client rectangle is rect (AdjustWindowRect).
  void (*adjustWindowRect)(WindowRect* rect);
  int (*getSystemMetric)(int metric);    // GetSystemMetrics, SystemMetric
  void (*getWorkArea)(WindowRect* area); // SystemParametersInfo(SPI_GETWORKAREA)
  // The system's window-text colour, 0x00BBGGRR (GetSysColor(COLOR_WINDOWTEXT)).
  uint32_t (*windowTextColour)();
  // Scroll range 0..maximum, without redraw (SetScrollRange). A range of 0 hides a bar of
  // the window's own, any other shows it, as standard scroll bars do.
  void (*setScrollRange)(int bar, int maximum);
  void (*showScrollBar)(int bar, int show); // ShowScrollBar
  // Sleep for milliseconds; returns early when an event arrives, which is then pending
  // (MsgWaitForMultipleObjects, or Sleep where only the duration matters).
  void (*waitForEvent)(int milliseconds);

  // ---- Cursors ----
  void* (*loadSystemCursor)(int which); // LoadCursor, SystemCursor; null on failure
  // A monochrome cursor from 32 x 32 AND and XOR planes of 4 bytes a row, most
  // significant bit leftmost, shown at width x height (CreateCursor). Null on failure.
  void* (*createCursor)(int hotX, int hotY, int width, int height, const uint8_t* andPlane,
                        const uint8_t* xorPlane);
  void (*destroyCursor)(void* cursor);  // DestroyCursor
  void (*setClassCursor)(void* cursor); // SetClassLong(GCL_HCURSOR)
  void (*setCursor)(void* cursor);      // SetCursor

  // ---- Clipboard ----
  // Open the clipboard with no owner, empty it, close it (OpenClipboard, EmptyClipboard,
  // CloseClipboard). 0, or -1.
  int (*clipboardEmpty)();
  // Open the clipboard, place block (a malloc'ed NUL-terminated text) as CF_OEMTEXT,
  // close it. 0 when the clipboard took the block (it then frees it), -1 when the block
  // stays with the caller.
  int (*clipboardSetText)(char* block);

  // ---- Dropped files ----
  void (*dragAcceptFiles)(int accept); // DragAcceptFiles
  // Name index of a drop in the UTF-16 (W) or ANSI path form (DragQueryFileW/A). Index -1
  // answers the number of names. Otherwise the result is the name's length in units
  // (bytes for the ANSI form), terminator excluded; the name and a terminator are copied
  // only when that length is below size. 0 when the name cannot be expressed.
  int (*dragQueryFileW)(void* drop, int index, char16_t* out, int size);
  int (*dragQueryFile)(void* drop, int index, char* out, int size);
  void (*dragQueryPoint)(void* drop, int* x, int* y); // client position (DragQueryPoint)
  void (*dragFinish)(void* drop);                     // DragFinish
};
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

struct SurfacePage {
  int32_t width, height; // pixels; 0 for an empty page
  int32_t stride;        // bytes per row (width x 3)
  uint8_t* pixels;       // blue, green, red; null for an empty page
};

// Clips a copy of width x height pixels from (sourceX, sourceY) of page to (x, y) of the
// window to the part the page holds, moving the target with the source. False when nothing
// is left (or the page is empty): the copyPageToWindow of every backend starts here.
inline bool clipPageCopy(const SurfacePage& page, int& sourceX, int& sourceY, int& x, int& y,
                         int& width, int& height) {
  if (page.pixels == nullptr)
    return false;
  if (sourceX < 0) {
    x -= sourceX;
    width += sourceX;
    sourceX = 0;
  }
  if (sourceY < 0) {
    y -= sourceY;
    height += sourceY;
    sourceY = 0;
  }
  if (width > page.width - sourceX)
    width = page.width - sourceX;
  if (height > page.height - sourceY)
    height = page.height - sourceY;
  return width > 0 && height > 0;
}

constexpr int VIEW_MAX_PAGES = 2;
constexpr int VIEW_TITLE_SIZE = 128; // bytes of the stored title, terminator included
constexpr int VIEW_PATH_SIZE = 260;  // characters of a dropped path in either form

// The report window, one instance for the process. The window logic (display/window.h)
// owns every field; the surface reads the page, size and scroll fields.
struct ViewWindow {
  // ---- Existence (set by windowCreate, windowResize, windowDestroy) ----
  int32_t state;               // 0 no window, -1 live, 1 live while pages are re-created
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
  int32_t eventCode; // the one-slot WindowEventCode; 0 = none
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
  uint8_t dropped;                       // files were dropped; cleared when the viewer starts a run
  char16_t droppedPathW[VIEW_PATH_SIZE]; // the first dropped file
  char droppedPath[VIEW_PATH_SIZE];
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
