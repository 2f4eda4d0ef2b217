// A fake window system behind DisplayPlatform: one window whose client is its outer size
// minus the visible scroll bars (no caption, bars of 16). As on Win32, a change of the
// client inside setWindowPos, setScrollRange or showScrollBar sends a size message at once.
// waitForEvent runs the next scripted user action while the window exists.
#pragma once

#include "display/display_support.h"
#include "display/surface.h"
#include "display/window.h"

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

constexpr int FAKE_BAR = 16;

// A drop handle: each name in the UTF-16 and the ANSI path form.
struct FakeDrop {
  std::vector<std::pair<std::u16string, std::string>> names;
  bool finished;
};

struct FakeWindowSystem {
  WindowRect workArea;
  bool live; // between createWindow and destroyWindow
  int creates;
  WindowProcedure procedure;
  WindowRect outer;
  bool barVisible[2]; // horizontal, vertical
  void* cursorShown;
  std::string clipboard;
  std::deque<std::function<void()>> script;
  int idleWaits;    // waits since the script ran out
  int topmostDrops; // setWindowPos below the topmost windows, in place: one per viewer pass
  int repaints;     // invalidate and scrollBy calls
};
extern FakeWindowSystem gFake;

// Resets the fake, gViewWindow, gViewer and both argument lists ("prog"); installs the fake.
void fakeInstall(WindowRect workArea);
// Destroys any window, frees the cursors and uninstalls the fake.
void fakeRemove();

int fakeSend(int id, int code = 0, int x = 0, int y = 0, void* drop = nullptr);
// The user drags a frame edge to an outer size of width x height and lets go.
void fakeUserResize(int edge, int width, int height);
int fakeClientWidth();
int fakeClientHeight();
// The cursor-table index of the cursor shown last, or -1.
int fakeShownCursor();
