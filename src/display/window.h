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

#include "display/backend.h"
#include "display/surface.h"

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
