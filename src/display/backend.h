// The contract between the window logic and a window backend (backends/qt/,
// backends/win32/): the table of window-system operations a backend implements
// (DisplayPlatform), the messages it delivers to the window procedure (WindowMessage) and
// their constants, which keep the values of the Win32 names they stand for. A backend
// includes this header; nothing here depends on any toolkit.
#pragma once

#include <cstdint>

// ---- Pages ----

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

// ---- Messages ----

// Fields of WindowMessage each message uses (all others are ignored):
//
//   id                     code                  x, y             width, height
//   CREATE                 -                     -                -
//   PAINT                  -                     rectangle origin rectangle size (client)
//   SIZE                   -                     new client size  -
//   SIZING                 edge (SIZING_EDGE_*)  -                -
//   EXIT_SIZE_MOVE         -                     -                -
//   GET_MIN_MAX_INFO       -                     -                answered: maximum size
//   SYS_COMMAND            SYSTEM_COMMAND_*      -                -
//   HSCROLL, VSCROLL       SCROLL_REQUEST_*      x: thumb position -
//   MOUSE_WHEEL            signed delta, 120 a notch
//   NC_HIT_TEST            -
//   CLOSE                  -
//   KEY_DOWN, KEY_UP       virtual-key code (VIRTUAL_KEY_*, 0x21-0x2E)
//   CHAR, SYS_CHAR         character code
//   L/R/M BUTTON_DOWN/UP   key state (KEY_STATE_*) client position
//   MOUSE_MOVE             key state             client position
//   NC_MOUSE_MOVE          -
//   DROP_FILES             -                     (drop: the platform's drop handle)
//   DESTROY_CLIPBOARD      -
enum WindowMessageId : int32_t {
  WINDOW_MSG_CREATE,
  WINDOW_MSG_PAINT,
  WINDOW_MSG_SIZE,
  WINDOW_MSG_SIZING,
  WINDOW_MSG_EXIT_SIZE_MOVE,
  WINDOW_MSG_GET_MIN_MAX_INFO,
  WINDOW_MSG_SYS_COMMAND,
  WINDOW_MSG_HSCROLL,
  WINDOW_MSG_VSCROLL,
  WINDOW_MSG_MOUSE_WHEEL,
  WINDOW_MSG_NC_HIT_TEST,
  WINDOW_MSG_CLOSE,
  WINDOW_MSG_KEY_DOWN,
  WINDOW_MSG_KEY_UP,
  WINDOW_MSG_CHAR,
  WINDOW_MSG_SYS_CHAR,
  WINDOW_MSG_LBUTTON_DOWN,
  WINDOW_MSG_LBUTTON_UP,
  WINDOW_MSG_MOUSE_MOVE,
  WINDOW_MSG_NC_MOUSE_MOVE,
  WINDOW_MSG_RBUTTON_DOWN,
  WINDOW_MSG_RBUTTON_UP,
  WINDOW_MSG_MBUTTON_DOWN,
  WINDOW_MSG_MBUTTON_UP,
  WINDOW_MSG_DROP_FILES,
  WINDOW_MSG_DESTROY_CLIPBOARD,
};

struct WindowMessage {
  int32_t id;   // WindowMessageId
  int32_t code; // see the table above
  int32_t x, y;
  int32_t width, height;
  void* drop;
};

// Results of windowProcedure.
constexpr int WINDOW_HANDLED = 0; // answered; nothing more is done
constexpr int WINDOW_DEFAULT = 1; // the window system's default handling follows

// Key-state bits of the mouse messages (MK_LBUTTON, MK_RBUTTON, MK_SHIFT, MK_CONTROL,
// MK_MBUTTON).
constexpr int KEY_STATE_LEFT = 0x01;
constexpr int KEY_STATE_RIGHT = 0x02;
constexpr int KEY_STATE_SHIFT = 0x04;
constexpr int KEY_STATE_CONTROL = 0x08;
constexpr int KEY_STATE_MIDDLE = 0x10;

// Virtual-key codes the procedure knows (VK_SHIFT, VK_CONTROL, VK_PRIOR .. VK_DELETE).
constexpr int VIRTUAL_KEY_SHIFT = 0x10;
constexpr int VIRTUAL_KEY_CONTROL = 0x11;
constexpr int VIRTUAL_KEY_PAGE_UP = 0x21;
constexpr int VIRTUAL_KEY_PAGE_DOWN = 0x22;
constexpr int VIRTUAL_KEY_END = 0x23;
constexpr int VIRTUAL_KEY_HOME = 0x24;
constexpr int VIRTUAL_KEY_LEFT = 0x25;
constexpr int VIRTUAL_KEY_UP = 0x26;
constexpr int VIRTUAL_KEY_RIGHT = 0x27;
constexpr int VIRTUAL_KEY_DOWN = 0x28;
constexpr int VIRTUAL_KEY_SELECT = 0x29;
constexpr int VIRTUAL_KEY_PRINT = 0x2A;
constexpr int VIRTUAL_KEY_EXECUTE = 0x2B;
constexpr int VIRTUAL_KEY_SNAPSHOT = 0x2C;
constexpr int VIRTUAL_KEY_INSERT = 0x2D;
constexpr int VIRTUAL_KEY_DELETE = 0x2E;

// Edges of SIZING (WMSZ_*).
constexpr int SIZING_EDGE_LEFT = 1;
constexpr int SIZING_EDGE_RIGHT = 2;
constexpr int SIZING_EDGE_TOP = 3;
constexpr int SIZING_EDGE_TOP_LEFT = 4;
constexpr int SIZING_EDGE_TOP_RIGHT = 5;
constexpr int SIZING_EDGE_BOTTOM = 6;
constexpr int SIZING_EDGE_BOTTOM_LEFT = 7;
constexpr int SIZING_EDGE_BOTTOM_RIGHT = 8;

// Commands of SYS_COMMAND (SC_MINIMIZE, SC_MAXIMIZE, SC_RESTORE).
constexpr int SYSTEM_COMMAND_MINIMIZE = 0xF020;
constexpr int SYSTEM_COMMAND_MAXIMIZE = 0xF030;
constexpr int SYSTEM_COMMAND_RESTORE = 0xF120;

// Requests of HSCROLL and VSCROLL (SB_LINELEFT .. SB_ENDSCROLL; up is left, down right).
constexpr int SCROLL_REQUEST_LINE_LEFT = 0;
constexpr int SCROLL_REQUEST_LINE_RIGHT = 1;
constexpr int SCROLL_REQUEST_PAGE_LEFT = 2;
constexpr int SCROLL_REQUEST_PAGE_RIGHT = 3;
constexpr int SCROLL_REQUEST_THUMB_POSITION = 4;
constexpr int SCROLL_REQUEST_THUMB_TRACK = 5;
constexpr int SCROLL_REQUEST_LEFT = 6;
constexpr int SCROLL_REQUEST_RIGHT = 7;
constexpr int SCROLL_REQUEST_END = 8;

// ---- The window-system table ----
// Every operation the report window needs from the window system, named by what it does
// for the window (the Win32 call it stands for in brackets). The backends
// (backends/qt/qt_window.h, backends/win32/win32_window.h) implement them; tests install a
// recording double. Any member may be null: the window logic then does without it (a null
// createWindow means no window can be made).

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
