// The report window: one top-level window that shows the surface (display/surface.h) at a
// scroll offset, sized to the report and clipped to the desktop's work area, and whose
// window procedure turns input into a one-slot event code, a small mouse state and a few
// flags for the viewer (display/viewer.h) to poll.
//
// All of it is arithmetic over gViewWindow; the window system is reached only through the
// installed DisplayPlatform, so every rule here runs headless with a test double. The
// platform delivers each input as a WindowMessage to windowProcedure, on the one thread,
// during dispatchMessages, waitForEvent or its own window calls (a size message may arrive
// inside setWindowPos, as on Windows).
//
// Event codes (gViewWindow.eventCode; a new event overwrites one not yet taken):
//
//   0x0001-0x00FF  a typed character (0x1B Escape, 0x0D Enter, 0x20 space, 0x11 Ctrl+Q)
//   0x0320 0x030D  Ctrl+space, Ctrl+Enter
//   0x0121-0x012E  navigation key (virtual-key code | 0x100); 0x0125-0x0128 the arrows
//   0x0221.. / 0x0321.. / 0x0421..  the same with Shift / Ctrl / Ctrl and Shift
//   0x0541-0x057A  Alt+character
//   0x1000 0x1100 0x1200 0x1300  left button down: plain, Shift, Ctrl, Ctrl+Shift
//   0x2000 ..0x2300  right button down; 0x5000 ..0x5300 middle down; 0x5800 ..0x5B00 up
//
// Mouse state machine of the left button (flags of gViewWindow):
//
//   message            pressed,held  events set             cursor
//   left down          1, 1          leftDown, code 0x1x00  held (the hand)
//   left up            0, 0          leftUp, leftReleased   normal (the arrow)
//   move, left in key  unchanged     dragged if pressed     -
//   move, no left      0, 0          -                      -
//   move onto frame    0, 0          -                      normal
#pragma once

#include <cstdint>

#include "display/surface.h"

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

// Handles one message. Returns WINDOW_HANDLED or WINDOW_DEFAULT.
int windowProcedure(WindowMessage* message);

// ---- Lifecycle ----

// Creates and shows the window for a surface of width x height with pageCount pages (1 or
// 2) and title (Shift-JIS), topmost until the viewer drops it, accepting dropped files.
// Returns 0; -1 when a window exists or the platform cannot make one (nothing changed).
int windowCreate(int width, int height, int pageCount, const char* title);
// Gives the live window new, background-filled pages of width x height and fits the
// window to them. Returns 0; -1 without a window.
int windowResize(int width, int height, int pageCount, const char* title);
// Frees the pages and destroys the window. Returns 0;
// 1 without a window.
int windowDestroy();
// Sets the title when text differs from the stored one. Returns 1 when set, 0 when equal.
int windowSetTitle(const char* text);
// Places the window below all topmost windows without moving, sizing or hiding it.
void windowDropTopmost();

// ---- Input for the viewer ----

int windowPeekEvent();
// The event code, cleared.
int windowTakeEvent();
// Each returns its flag and clears it.
int windowTakeLeftDown();
int windowTakeLeftUp();
int windowTakeLeftReleased();
int windowTakeDragged();
int windowTakeResized();
// Stores the cursor index shown while the left button is held.
void windowSetHeldCursor(int index);
// Stores the normal cursor index and applies it when it differs from the shown one.
void windowSetCursor(int index);
