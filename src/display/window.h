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
// Event codes (gViewWindow.eventCode, WindowEventCode; a new event overwrites one not yet
// taken). A typed character is its own code; the rest are built from the names below:
//
//   code           input                           built as
//   0x0001-0x00FF  typed character (EVENT_KEY_*)   the character
//   0x0320 0x030D  Ctrl+space, Ctrl+Enter          character | EVENT_MODIFIER_CTRL
//   0x0121-0x012E  navigation key                  virtual key | EVENT_NAVIGATION
//   0x0221-0x022E  the same with Shift             virtual key | EVENT_MODIFIER_SHIFT
//   0x0321-0x032E  the same with Ctrl              virtual key | EVENT_MODIFIER_CTRL
//   0x0421-0x042E  the same with Ctrl and Shift    virtual key | EVENT_MODIFIER_CTRL_SHIFT
//   0x0541-0x057A  Alt+character                   character | EVENT_MODIFIER_ALT
//   0x1000-0x1300  left button down                EVENT_LEFT_DOWN + EVENT_BUTTON_*
//   0x2000-0x2300  right button down               EVENT_RIGHT_DOWN + EVENT_BUTTON_*
//   0x5000-0x5300  middle button down              EVENT_MIDDLE_DOWN + EVENT_BUTTON_*
//   0x5800-0x5B00  middle button up                EVENT_MIDDLE_UP + EVENT_BUTTON_*
//   0x0999 0x4020 0x4051  the viewer's own (VIEWER_CODE_*, display/viewer.h); never set here
//
// The navigation keys are VIRTUAL_KEY_PAGE_UP .. VIRTUAL_KEY_DELETE (0x21-0x2E), the arrows
// among them 0x25-0x28.
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

enum WindowEventCode : int32_t {
  EVENT_NONE = 0,
  // Typed characters the viewer gives a meaning; letters are written as themselves ('S').
  EVENT_KEY_BACKSPACE = 0x08, // also Ctrl+H
  EVENT_KEY_TAB = 0x09,       // also Ctrl+I
  EVENT_KEY_CTRL_L = 0x0C,    // after Ctrl+J (0x0A) and Ctrl+K (0x0B)
  EVENT_KEY_ENTER = 0x0D,
  EVENT_KEY_CTRL_Q = 0x11,
  EVENT_KEY_ESCAPE = 0x1B,
  EVENT_KEY_SPACE = 0x20,
  EVENT_KEY_MASK = 0xFF, // the character or virtual-key part of a key's code
  // The part above it: a navigation key, and the keys held with a key.
  EVENT_NAVIGATION = 0x100,          // a navigation key alone (VIRTUAL_KEY_PAGE_UP .. DELETE)
  EVENT_MODIFIER_SHIFT = 0x200,      // a navigation key with Shift
  EVENT_MODIFIER_CTRL = 0x300,       // a navigation key, space or Enter with Ctrl
  EVENT_MODIFIER_CTRL_SHIFT = 0x400, // a navigation key with Ctrl and Shift
  EVENT_MODIFIER_ALT = 0x500,        // a character from 'A' to 'z' with Alt
  // Buttons: a base code, plus the offset of each key held in the message's key state
  // (the left and right buttons) or as tracked from key messages (the middle one).
  EVENT_BUTTON_SHIFT = 0x100,
  EVENT_BUTTON_CTRL = 0x200,
  EVENT_LEFT_DOWN = 0x1000,
  EVENT_RIGHT_DOWN = 0x2000,
  EVENT_MIDDLE_DOWN = 0x5000,
  EVENT_MIDDLE_UP = 0x5800,
  EVENT_BUTTON_FIRST = EVENT_LEFT_DOWN, // every code from here up is a button's
};

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
