#include "display/window_support.h"

#include "display/cursors.h"
#include "display/viewer.h"
#include "text/paths.h"

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>

FakeWindowSystem gFake;

namespace {

char gCursorObjects[CURSOR_TABLE_SIZE]; // their addresses are the cursor handles

void deliverSize() {
  fakeSend(WINDOW_MSG_SIZE, 0, fakeClientWidth(), fakeClientHeight());
}

void showBar(int bar, bool show) {
  if (gFake.live && gFake.barVisible[bar] != show) {
    gFake.barVisible[bar] = show;
    deliverSize();
  }
}

void* createWindow(const char*, int x, int y, int width, int height, int defaultPosition,
                   WindowProcedure procedure) {
  if (defaultPosition != 0)
    x = gFake.workArea.left + 40, y = gFake.workArea.top + 30;
  gFake.live = true;
  gFake.creates++;
  gFake.procedure = procedure;
  gFake.outer = {x, y, x + width, y + height};
  gFake.barVisible[0] = gFake.barVisible[1] = true; // both are in the window style
  fakeSend(WINDOW_MSG_CREATE);
  deliverSize();
  return &gFake;
}

void setWindowPos(int zOrder, int x, int y, int width, int height, unsigned flags) {
  WindowRect& r = gFake.outer;
  if (zOrder == WINDOW_Z_NOTOPMOST && flags == (WINDOW_POS_NO_MOVE | WINDOW_POS_NO_SIZE))
    gFake.topmostDrops++;
  if ((flags & WINDOW_POS_NO_MOVE) == 0)
    r = {x, y, x + r.right - r.left, y + r.bottom - r.top};
  if ((flags & WINDOW_POS_NO_SIZE) != 0 ||
      (width == r.right - r.left && height == r.bottom - r.top))
    return;
  r.right = r.left + width;
  r.bottom = r.top + height;
  deliverSize();
}

int metric(int which) {
  if (which == METRIC_SCREEN_WIDTH || which == METRIC_SCREEN_HEIGHT)
    return 4000;
  return which == METRIC_CAPTION_HEIGHT ? 0 : which >= METRIC_CURSOR_WIDTH ? 32 : FAKE_BAR;
}

void waitForEvent(int) {
  if (!gFake.live)
    return;
  if (!gFake.script.empty()) {
    std::function<void()> action = gFake.script.front();
    gFake.script.pop_front();
    gFake.idleWaits = 0;
    action();
  } else if (++gFake.idleWaits > 1000) {
    ADD_FAILURE() << "the viewer still waits after its script ran out";
    fakeSend(WINDOW_MSG_CLOSE);
  }
}

// Index -1 answers the count; a name is copied only when it fits with its terminator.
template <int Form, typename Char>
int queryName(void* drop, int index, Char* out, int size) {
  const FakeDrop& d = *static_cast<FakeDrop*>(drop);
  if (index < 0)
    return static_cast<int>(d.names.size());
  const std::basic_string<Char>& name = std::get<Form>(d.names[index]);
  const int length = static_cast<int>(name.size());
  if (length < size)
    std::copy(name.c_str(), name.c_str() + length + 1, out);
  return length;
}

DisplayPlatform fakePlatform() {
  DisplayPlatform p{};
  p.invalidate = [](int, int, int, int) { gFake.repaints++; };
  p.scrollBy = [](int, int) { gFake.repaints++; };
  p.createWindow = createWindow;
  p.destroyWindow = [] { gFake.live = false; };
  p.setWindowPos = setWindowPos;
  p.getWindowRect = [](WindowRect* r) { *r = gFake.outer; };
  p.getSystemMetric = metric;
  p.getWorkArea = [](WindowRect* area) { *area = gFake.workArea; };
  p.setScrollRange = [](int bar, int maximum) { showBar(bar, maximum > 0); };
  p.showScrollBar = [](int bar, int show) { showBar(bar, show != 0); };
  p.waitForEvent = waitForEvent;
  p.loadSystemCursor = [](int which) -> void* { return &gCursorObjects[which]; };
  p.createCursor = [](int, int, int, int, const uint8_t*, const uint8_t*) -> void* {
    return &gCursorObjects[CURSOR_HAND];
  };
  p.setCursor = [](void* cursor) { gFake.cursorShown = cursor; };
  p.clipboardSetText = [](char* block) {
    gFake.clipboard = block;
    std::free(block);
    return 0;
  };
  p.dragQueryFileW = queryName<0, char16_t>;
  p.dragQueryFile = queryName<1, char>;
  p.dragFinish = [](void* drop) { static_cast<FakeDrop*>(drop)->finished = true; };
  return p;
}

const DisplayPlatform kFakePlatform = fakePlatform();

} // namespace

void fakeInstall(WindowRect workArea) {
  gFake = FakeWindowSystem{};
  gFake.workArea = workArea;
  gViewWindow = ViewWindow{};
  gViewer = ViewerState{};
  getargs(&gArgTable, "prog");
  getargsW(&gArgTableW, u"prog");
  surfaceSetBackground(0, 0, 0);
  surfaceSetForeground(255, 255, 255);
  displaySetPlatform(&kFakePlatform);
}

void fakeRemove() {
  windowDestroy();
  cursorsRelease();
  displaySetPlatform(nullptr);
  gViewWindow = ViewWindow{};
}

int fakeSend(int id, int code, int x, int y, void* drop) {
  WindowMessage m = {id, code, x, y, 0, 0, drop};
  return gFake.procedure != nullptr ? gFake.procedure(&m) : WINDOW_DEFAULT;
}

void fakeUserResize(int edge, int width, int height) {
  fakeSend(WINDOW_MSG_SIZING, edge);
  gFake.outer.right = gFake.outer.left + width;
  gFake.outer.bottom = gFake.outer.top + height;
  deliverSize();
  fakeSend(WINDOW_MSG_EXIT_SIZE_MOVE);
}

int fakeClientWidth() {
  return gFake.outer.right - gFake.outer.left - (gFake.barVisible[1] ? FAKE_BAR : 0);
}

int fakeClientHeight() {
  return gFake.outer.bottom - gFake.outer.top - (gFake.barVisible[0] ? FAKE_BAR : 0);
}

int fakeShownCursor() {
  for (int i = 0; i < CURSOR_TABLE_SIZE; ++i)
    if (gFake.cursorShown != nullptr && gCursors.cursors[i] == gFake.cursorShown)
      return i;
  return -1;
}
