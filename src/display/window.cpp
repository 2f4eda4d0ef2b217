#include "display/window.h"

#include <cstring>

#include "display/clipboard.h"
#include "display/cursors.h"
#include "display/drop.h"
#include "os/os.h"
#include "text/dialogs.h"
#include "text/strings.h"
#include "text/trace.h"

// ---- Index ----
// Platform calls, outer size, scroll bars, snapping, the window procedure (its handlers of
// window state, keys and the mouse), lifecycle, input for the viewer.

namespace {

constexpr int LINE_STEP = 2;          // pixels per arrow step
constexpr int ACCELERATION_FROM = 10; // repeats from which arrow steps grow
constexpr int EDGE_MARGIN = 4;        // a window this close to the work area's far side
constexpr int MAXIMISE_GROWTH = 8;
constexpr int RESIZE_SETTLE_MS = 50;
constexpr int RESIZE_SETTLE_TRIES = 20;
constexpr int SYSTEM_COMMAND_MASK = 0xFFF0; // the low four bits are the system's own

// ---- Platform calls ----
// Each does nothing (or answers 0) when the platform lacks the operation.

const DisplayPlatform* platform() {
  return displayPlatform();
}

int metric(int which) {
  const DisplayPlatform* p = platform();
  return p != nullptr && p->getSystemMetric != nullptr ? p->getSystemMetric(which) : 0;
}

WindowRect workArea() {
  WindowRect area = {0, 0, 0, 0};
  const DisplayPlatform* p = platform();
  if (p != nullptr && p->getWorkArea != nullptr)
    p->getWorkArea(&area);
  return area;
}

WindowRect windowRect() {
  WindowRect rect = {0, 0, 0, 0};
  const DisplayPlatform* p = platform();
  if (p != nullptr && p->getWindowRect != nullptr)
    p->getWindowRect(&rect);
  return rect;
}

void setWindowPos(int zOrder, int x, int y, int width, int height, unsigned flags) {
  const DisplayPlatform* p = platform();
  if (p != nullptr && p->setWindowPos != nullptr)
    p->setWindowPos(zOrder, x, y, width, height, flags);
}

void showScrollBar(int bar, int show) {
  const DisplayPlatform* p = platform();
  if (p != nullptr && p->showScrollBar != nullptr)
    p->showScrollBar(bar, show);
}

void setScrollRange(int bar, int maximum) {
  const DisplayPlatform* p = platform();
  if (p != nullptr && p->setScrollRange != nullptr)
    p->setScrollRange(bar, maximum);
}

void setScrollPosition(int bar, int position) {
  const DisplayPlatform* p = platform();
  if (p != nullptr && p->setScrollPosition != nullptr)
    p->setScrollPosition(bar, position);
}

void invalidateClient() {
  const DisplayPlatform* p = platform();
  const ViewWindow& v = gViewWindow;
  if (p != nullptr && p->invalidate != nullptr && v.clientWidth > 0 && v.clientHeight > 0)
    p->invalidate(0, 0, v.clientWidth, v.clientHeight);
}

int rectWidth(const WindowRect& r) {
  return r.right - r.left;
}

int rectHeight(const WindowRect& r) {
  return r.bottom - r.top;
}

// ---- Outer size ----

// Computes the maximum window size for the current surface and the four limits derived
// from it. Returns true when the window must be clamped to the work area's top-left corner.
bool fitOuterSize(bool resizing) {
  ViewWindow& v = gViewWindow;
  WindowRect outer = {0, 0, v.surfaceWidth, v.surfaceHeight};
  const DisplayPlatform* p = platform();
  if (p != nullptr && p->adjustWindowRect != nullptr)
    p->adjustWindowRect(&outer);
  int outerWidth = rectWidth(outer);
  int outerHeight = rectHeight(outer);
  const WindowRect area = workArea();
  bool clamped = false;
  if (outerWidth >= rectWidth(area)) {
    outerWidth = rectWidth(area);
    clamped = true;
  }
  if (outerHeight >= rectHeight(area)) {
    outerHeight = rectHeight(area);
    clamped = true;
  }
  if (resizing) {
    // A window that would lie almost wholly left of or above the work area.
    const WindowRect current = windowRect();
    if (current.left + outerWidth <= area.left + EDGE_MARGIN ||
        current.top + outerHeight <= area.top + EDGE_MARGIN)
      clamped = true;
  }
  const int barWidth = metric(METRIC_VERTICAL_BAR_WIDTH);
  const int barHeight = metric(METRIC_HORIZONTAL_BAR_HEIGHT);
  v.maxWidth = outerWidth;
  v.maxHeight = outerHeight;
  v.maxWidthWithBar = outerWidth + barWidth;
  v.maxHeightWithBar = outerHeight + barHeight;
  v.surfaceWidthWithBar = v.surfaceWidth + barWidth;
  v.surfaceHeightWithCaptionBar = metric(METRIC_CAPTION_HEIGHT) + barHeight + v.surfaceHeight;
  return clamped;
}

// ---- Scroll bars ----

struct BarState {
  int32_t* position;
  int32_t* range;
  uint8_t* enabled;
  int32_t extent; // surface pixels along the bar
};

BarState bar(int which) {
  ViewWindow& v = gViewWindow;
  if (which == SCROLL_BAR_HORIZONTAL)
    return {&v.horizontalPosition, &v.horizontalRange, &v.horizontalEnabled, v.surfaceWidth};
  return {&v.verticalPosition, &v.verticalRange, &v.verticalEnabled, v.surfaceHeight};
}

// Moves a bar's position without scrolling the contents; the whole view is repainted, so
// what is shown never lags behind the position.
void placeWithoutScrolling(int which, int position) {
  BarState b = bar(which);
  if (*b.position == position)
    return;
  *b.position = position;
  setScrollPosition(which, position);
  invalidateClient();
}

// Scrolling along a bar ends: nothing to scroll, position 0. The range goes too, so that
// neither the wheel nor a pan moves a view whose bar is gone.
void disableScrolling(int which) {
  BarState b = bar(which);
  *b.enabled = 0;
  *b.range = 0;
  placeWithoutScrolling(which, 0);
}

// The size message's work for one bar, with the new client extent along it. Showing or
// hiding a bar sends a nested size message for the changed client, which then does the
// whole work: returns false when that happened, so the outer message stops there.
bool fitBar(int which, int client) {
  ViewWindow& v = gViewWindow;
  const int32_t serial = v.sizeSerial;
  BarState b = bar(which);
  if (*b.enabled == 0) {
    showScrollBar(which, 0);
    if (v.sizeSerial != serial)
      return false;
    *b.range = 0;
    placeWithoutScrolling(which, 0);
    return true;
  }
  int range = b.extent - client;
  if (range < 0)
    range = 0;
  setScrollRange(which, range);
  if (v.sizeSerial != serial)
    return false;
  *b.range = range;
  if (range == 0) {
    *b.enabled = 0;
    placeWithoutScrolling(which, 0);
    return true;
  }
  int position = *b.position > range ? range : *b.position;
  if (position != *b.position)
    placeWithoutScrolling(which, position);
  else
    setScrollPosition(which, position);
  return true;
}

// Arrow steps grow after the ninth repeat, never beyond a tenth of the range.
int arrowStep(int range) {
  ViewWindow& v = gViewWindow;
  v.repeatCount++;
  if (v.repeatCount < ACCELERATION_FROM)
    return v.lineStep < 1 ? 1 : v.lineStep;
  int step = v.lineStep + v.repeatCount - (ACCELERATION_FROM - 1);
  if (step < 1)
    step = 1;
  if (step > range / 10)
    step = range / 10;
  return step;
}

void scrollRequest(int which, int request, int thumb) {
  BarState b = bar(which);
  const int position = *b.position;
  const int range = *b.range;
  int wanted;
  switch (request) {
  case SCROLL_REQUEST_LINE_LEFT:
    wanted = position - arrowStep(range);
    break;
  case SCROLL_REQUEST_LINE_RIGHT:
    wanted = position + arrowStep(range);
    break;
  case SCROLL_REQUEST_PAGE_LEFT:
    wanted = position - range / 10;
    break;
  case SCROLL_REQUEST_PAGE_RIGHT:
    wanted = position + range / 10;
    break;
  case SCROLL_REQUEST_THUMB_POSITION:
    wanted = thumb;
    break;
  default: // thumb tracking, top, bottom, end of scroll: nothing changes
    return;
  }
  gViewWindow.busy++;
  if (which == SCROLL_BAR_HORIZONTAL)
    surfaceScrollHorizontalTo(wanted);
  else
    surfaceScrollVerticalTo(wanted);
  gViewWindow.busy--;
}

// ---- Snapping at the end of a user move or resize ----

void snapSize() {
  ViewWindow& v = gViewWindow;
  const WindowRect outer = windowRect();
  int w = rectWidth(outer);
  int h = rectHeight(outer);
  const bool horizontal = v.horizontalRange > 0;
  const bool vertical = v.verticalRange > 0;
  const int caption = metric(METRIC_CAPTION_HEIGHT);
  if (horizontal && vertical) {
    if (w >= v.surfaceWidthWithBar) {
      w = v.maxWidth;
      disableScrolling(SCROLL_BAR_HORIZONTAL);
      if (caption + v.surfaceHeight <= h) {
        h = v.maxHeight;
        disableScrolling(SCROLL_BAR_VERTICAL);
      }
    }
    if (h >= v.surfaceHeightWithCaptionBar) {
      h = v.maxHeight;
      disableScrolling(SCROLL_BAR_VERTICAL);
      if (w >= v.surfaceWidth) {
        w = v.maxWidth;
        disableScrolling(SCROLL_BAR_HORIZONTAL);
      }
    }
  } else if (horizontal) {
    h = v.maxHeightWithBar;
    if (w >= v.surfaceWidth) {
      w = v.maxWidth;
      h = v.maxHeight;
      disableScrolling(SCROLL_BAR_HORIZONTAL);
    }
  } else if (vertical) {
    w = v.maxWidthWithBar;
    if (caption + v.surfaceHeight <= h) {
      w = v.maxWidth;
      h = v.maxHeight;
      disableScrolling(SCROLL_BAR_VERTICAL);
    }
  } else {
    w = v.maxWidth;
    h = v.maxHeight;
  }
  v.busy++;
  setWindowPos(WINDOW_Z_NOTOPMOST, 0, 0, w, h, WINDOW_POS_NO_MOVE);
  v.busy--;
  v.resized = 1;
}

// ---- Window procedure ----
// windowProcedure hands each message by its id to one of three handlers: the window's own
// state (creation, painting, size, frame, bars, closing), the keyboard, and the mouse
// (buttons, moves, the wheel, dropped files).

void enableForEdge(int edge) {
  ViewWindow& v = gViewWindow;
  switch (edge) {
  case SIZING_EDGE_LEFT:
  case SIZING_EDGE_RIGHT:
    v.horizontalEnabled = 1;
    break;
  case SIZING_EDGE_TOP:
  case SIZING_EDGE_BOTTOM:
    v.verticalEnabled = 1;
    break;
  case SIZING_EDGE_TOP_LEFT:
  case SIZING_EDGE_TOP_RIGHT:
  case SIZING_EDGE_BOTTOM_LEFT:
  case SIZING_EDGE_BOTTOM_RIGHT:
    v.horizontalEnabled = 1;
    v.verticalEnabled = 1;
    break;
  default:
    break;
  }
}

void systemCommand(int command) {
  ViewWindow& v = gViewWindow;
  switch (command & SYSTEM_COMMAND_MASK) {
  case SYSTEM_COMMAND_MINIMIZE:
  case SYSTEM_COMMAND_RESTORE:
    v.horizontalEnabled = v.horizontalRange > 0 ? 1 : 0;
    v.verticalEnabled = v.verticalRange > 0 ? 1 : 0;
    if ((command & SYSTEM_COMMAND_MASK) == SYSTEM_COMMAND_RESTORE)
      v.maximised = 0;
    break;
  case SYSTEM_COMMAND_MAXIMIZE:
    if (v.maximised == 0) {
      const WindowRect outer = windowRect();
      int w = rectWidth(outer) + MAXIMISE_GROWTH;
      int h = rectHeight(outer) + MAXIMISE_GROWTH;
      v.busy++;
      setWindowPos(WINDOW_Z_NOTOPMOST, 0, 0, w < v.maxWidth ? w : v.maxWidth,
                   h < v.maxHeight ? h : v.maxHeight, WINDOW_POS_NO_MOVE);
      v.busy--;
      v.maximised = 1;
    }
    break;
  default:
    break;
  }
}

void paint(const WindowMessage& m) {
  ViewWindow& v = gViewWindow;
  const DisplayPlatform* p = platform();
  if (v.pageCount < 1 || p == nullptr || p->copyPageToWindow == nullptr)
    return;
  const SurfacePage& page = v.pages[v.displayPage];
  if (page.pixels == nullptr)
    return;
  v.busy++;
  p->copyPageToWindow(&page, v.horizontalPosition + m.x, v.verticalPosition + m.y, m.x, m.y,
                      m.width, m.height);
  v.busy--;
}

int handleWindowStateMessage(WindowMessage& m) {
  ViewWindow& v = gViewWindow;
  switch (m.id) {
  case WINDOW_MSG_CREATE:
    v.horizontalPosition = v.verticalPosition = 0;
    v.horizontalRange = v.verticalRange = 0;
    v.horizontalEnabled = v.verticalEnabled = 0;
    v.repeatCount = 0;
    return WINDOW_DEFAULT;
  case WINDOW_MSG_PAINT:
    paint(m);
    return WINDOW_HANDLED;
  case WINDOW_MSG_SIZE:
    v.clientWidth = m.x;
    v.clientHeight = m.y;
    v.sizeSerial++;
    if (fitBar(SCROLL_BAR_HORIZONTAL, m.x))
      fitBar(SCROLL_BAR_VERTICAL, m.y);
    return WINDOW_HANDLED;
  case WINDOW_MSG_SIZING:
    enableForEdge(m.code);
    return WINDOW_DEFAULT;
  case WINDOW_MSG_EXIT_SIZE_MOVE:
    snapSize();
    return WINDOW_HANDLED;
  case WINDOW_MSG_GET_MIN_MAX_INFO:
    m.width = v.maxWidth;
    m.height = v.maxHeight;
    return WINDOW_HANDLED;
  case WINDOW_MSG_SYS_COMMAND:
    systemCommand(m.code);
    return WINDOW_DEFAULT;
  case WINDOW_MSG_HSCROLL:
    scrollRequest(SCROLL_BAR_HORIZONTAL, m.code, m.x);
    return WINDOW_HANDLED;
  case WINDOW_MSG_VSCROLL:
    scrollRequest(SCROLL_BAR_VERTICAL, m.code, m.x);
    return WINDOW_HANDLED;
  case WINDOW_MSG_CLOSE:
    v.closed = 1;
    return WINDOW_HANDLED;
  case WINDOW_MSG_DESTROY_CLIPBOARD: // the clipboard's text was never ours to free
    return WINDOW_HANDLED;
  default:
    return WINDOW_DEFAULT;
  }
}

int handleKeyMessage(const WindowMessage& m) {
  ViewWindow& v = gViewWindow;
  switch (m.id) {
  case WINDOW_MSG_KEY_DOWN:
    if (m.code == VIRTUAL_KEY_SHIFT)
      v.shiftHeld = 1;
    else if (m.code == VIRTUAL_KEY_CONTROL)
      v.ctrlHeld = 1;
    if (m.code >= VIRTUAL_KEY_PAGE_UP && m.code <= VIRTUAL_KEY_DELETE) {
      int modifier = v.shiftHeld && v.ctrlHeld ? EVENT_MODIFIER_CTRL_SHIFT
                     : v.ctrlHeld              ? EVENT_MODIFIER_CTRL
                     : v.shiftHeld             ? EVENT_MODIFIER_SHIFT
                                               : EVENT_NAVIGATION;
      v.eventCode = m.code | modifier;
      return WINDOW_HANDLED;
    }
    return WINDOW_DEFAULT;
  case WINDOW_MSG_KEY_UP:
    if (m.code == VIRTUAL_KEY_SHIFT)
      v.shiftHeld = 0;
    else if (m.code == VIRTUAL_KEY_CONTROL)
      v.ctrlHeld = 0;
    return WINDOW_DEFAULT;
  case WINDOW_MSG_CHAR:
    if (v.ctrlHeld && (m.code == EVENT_KEY_SPACE || m.code == EVENT_KEY_ENTER))
      v.eventCode = m.code | EVENT_MODIFIER_CTRL;
    else
      v.eventCode = m.code;
    return WINDOW_HANDLED;
  case WINDOW_MSG_SYS_CHAR:
    if (m.code >= 'A' && m.code <= 'z')
      v.eventCode = m.code | EVENT_MODIFIER_ALT;
    return WINDOW_DEFAULT;
  default:
    return WINDOW_DEFAULT;
  }
}

int buttonCode(int base, bool control, bool shift) {
  return (control ? base + EVENT_BUTTON_CTRL : base) + (shift ? EVENT_BUTTON_SHIFT : 0);
}

int handleMouseMessage(const WindowMessage& m) {
  ViewWindow& v = gViewWindow;
  const bool shift = (m.code & KEY_STATE_SHIFT) != 0;
  const bool control = (m.code & KEY_STATE_CONTROL) != 0;
  switch (m.id) {
  case WINDOW_MSG_LBUTTON_DOWN:
    v.leftPressed = v.leftHeld = 1;
    v.pressX = v.dragX = m.x;
    v.pressY = v.dragY = m.y;
    v.pressSurfaceX = v.dragSurfaceX = m.x + v.horizontalPosition;
    v.pressSurfaceY = v.dragSurfaceY = m.y + v.verticalPosition;
    v.eventCode = buttonCode(EVENT_LEFT_DOWN, control, shift);
    v.leftDownEvent = 1;
    cursorApply(v.heldCursor);
    return WINDOW_HANDLED;
  case WINDOW_MSG_LBUTTON_UP:
    v.leftPressed = v.leftHeld = 0;
    v.releaseSurfaceX = m.x + v.horizontalPosition;
    v.releaseSurfaceY = m.y + v.verticalPosition;
    cursorApply(v.normalCursor);
    v.leftUpEvent = v.leftReleasedEvent = 1;
    return WINDOW_HANDLED;
  case WINDOW_MSG_MOUSE_MOVE:
    v.mouseX = m.x;
    v.mouseY = m.y;
    v.mouseSurfaceX = m.x + v.horizontalPosition;
    v.mouseSurfaceY = m.y + v.verticalPosition;
    if ((m.code & KEY_STATE_LEFT) == 0)
      v.leftPressed = v.leftHeld = 0;
    if ((m.code & KEY_STATE_RIGHT) == 0)
      v.rightPressed = 0;
    if (v.leftPressed) {
      v.dragX = m.x;
      v.dragY = m.y;
      v.dragSurfaceX = v.mouseSurfaceX;
      v.dragSurfaceY = v.mouseSurfaceY;
      v.draggedEvent = 1;
    }
    return WINDOW_HANDLED;
  case WINDOW_MSG_NC_MOUSE_MOVE:
    v.leftPressed = v.leftHeld = 0;
    cursorApply(v.normalCursor);
    return WINDOW_HANDLED;
  case WINDOW_MSG_NC_HIT_TEST:
    v.repeatCount = 0;
    return WINDOW_DEFAULT;
  case WINDOW_MSG_RBUTTON_DOWN:
    v.rightPressed = 1;
    v.rightX = m.x;
    v.rightY = m.y;
    v.rightSurfaceX = m.x + v.horizontalPosition;
    v.rightSurfaceY = m.y + v.verticalPosition;
    v.eventCode = buttonCode(EVENT_RIGHT_DOWN, control, shift);
    clipboardCopyPosition(v.rightSurfaceX, v.rightSurfaceY, m.code);
    return WINDOW_HANDLED;
  case WINDOW_MSG_RBUTTON_UP:
    v.rightPressed = 0;
    return WINDOW_HANDLED;
  case WINDOW_MSG_MBUTTON_DOWN:
    v.eventCode = buttonCode(EVENT_MIDDLE_DOWN, v.ctrlHeld != 0, v.shiftHeld != 0);
    return WINDOW_HANDLED;
  case WINDOW_MSG_MBUTTON_UP:
    v.eventCode = buttonCode(EVENT_MIDDLE_UP, v.ctrlHeld != 0, v.shiftHeld != 0);
    return WINDOW_HANDLED;
  case WINDOW_MSG_MOUSE_WHEEL:
    v.busy++;
    surfaceScrollVerticalTo(v.verticalPosition - m.code);
    v.busy--;
    return WINDOW_HANDLED;
  case WINDOW_MSG_DROP_FILES:
    dropTakeFiles(m.drop);
    return WINDOW_HANDLED;
  default:
    return WINDOW_DEFAULT;
  }
}

} // namespace

int windowProcedure(WindowMessage* message) {
  WindowMessage& m = *message;
  switch (m.id) {
  case WINDOW_MSG_CREATE:
  case WINDOW_MSG_PAINT:
  case WINDOW_MSG_SIZE:
  case WINDOW_MSG_SIZING:
  case WINDOW_MSG_EXIT_SIZE_MOVE:
  case WINDOW_MSG_GET_MIN_MAX_INFO:
  case WINDOW_MSG_SYS_COMMAND:
  case WINDOW_MSG_HSCROLL:
  case WINDOW_MSG_VSCROLL:
  case WINDOW_MSG_CLOSE:
  case WINDOW_MSG_DESTROY_CLIPBOARD:
    return handleWindowStateMessage(m);
  case WINDOW_MSG_KEY_DOWN:
  case WINDOW_MSG_KEY_UP:
  case WINDOW_MSG_CHAR:
  case WINDOW_MSG_SYS_CHAR:
    return handleKeyMessage(m);
  case WINDOW_MSG_LBUTTON_DOWN:
  case WINDOW_MSG_LBUTTON_UP:
  case WINDOW_MSG_MOUSE_MOVE:
  case WINDOW_MSG_NC_MOUSE_MOVE:
  case WINDOW_MSG_NC_HIT_TEST:
  case WINDOW_MSG_RBUTTON_DOWN:
  case WINDOW_MSG_RBUTTON_UP:
  case WINDOW_MSG_MBUTTON_DOWN:
  case WINDOW_MSG_MBUTTON_UP:
  case WINDOW_MSG_MOUSE_WHEEL:
  case WINDOW_MSG_DROP_FILES:
    return handleMouseMessage(m);
  default:
    return WINDOW_DEFAULT;
  }
}

// ---- Lifecycle ----

int windowCreate(int width, int height, int pageCount, const char* title) {
  ViewWindow& v = gViewWindow;
  const DisplayPlatform* p = platform();
  if (v.state != WINDOW_NONE || p == nullptr || p->createWindow == nullptr)
    return -1;
  const ViewWindow before = v;
  v.screenWidth = metric(METRIC_SCREEN_WIDTH);
  v.screenHeight = metric(METRIC_SCREEN_HEIGHT);
  v.state = WINDOW_LIVE;
  v.closed = v.maximised = v.resized = 0;
  v.drawPage = v.displayPage = 0;
  v.normalCursor = v.heldCursor = CURSOR_ARROW;
  v.lineStep = LINE_STEP;
  v.eventCode = EVENT_NONE;
  v.leftPressed = v.leftHeld = v.rightPressed = 0;
  v.leftDownEvent = v.leftUpEvent = v.leftReleasedEvent = v.draggedEvent = 0;
  v.shiftHeld = v.ctrlHeld = 0;
  v.busy = 0;
  dropClear();
  v.surfaceWidth = width;
  v.surfaceHeight = height;
  const bool clamped = fitOuterSize(false);
  const WindowRect area = workArea();
  copyString(v.title, sizeof v.title, title);
  void* handle = p->createWindow(v.title, area.left, area.top, v.maxWidth, v.maxHeight,
                                 clamped ? 0 : 1, windowProcedure);
  if (handle == nullptr) {
    trace("window: the platform made no window\n");
    v = before;
    return -1;
  }
  v.handle = handle;
  setWindowPos(WINDOW_Z_TOPMOST, 0, 0, 0, 0, WINDOW_POS_NO_MOVE | WINDOW_POS_NO_SIZE);
  if (p->showWindow != nullptr)
    p->showWindow();
  if (p->dragAcceptFiles != nullptr)
    p->dragAcceptFiles(1);
  if (surfaceCreatePages(width, height, pageCount > 1 ? 2 : 1) != 0)
    trace("window: a page could not be made; it stays empty\n");
  invalidateClient();
  setDialogOwner(handle);
  osFlushConsoleInput();
  return 0;
}

int windowResize(int width, int height, int pageCount, const char* title) {
  ViewWindow& v = gViewWindow;
  if (v.state == WINDOW_NONE)
    return -1;
  v.state = WINDOW_CHANGING_PAGES;
  if (surfaceCreatePages(width, height, pageCount > 1 ? 2 : 1) != 0)
    trace("window: a page could not be made; it stays empty\n");
  const WindowRect before = windowRect();
  const int horizontalRangeBefore = v.horizontalRange;
  const int verticalRangeBefore = v.verticalRange;
  v.state = WINDOW_LIVE;
  v.surfaceWidth = width;
  v.surfaceHeight = height;
  const bool clamped = fitOuterSize(true);
  windowSetTitle(title);
  v.repeatCount = 0;
  // A surface that fits the work area leaves nothing to scroll: both ranges become 0.
  disableScrolling(SCROLL_BAR_HORIZONTAL);
  disableScrolling(SCROLL_BAR_VERTICAL);
  setScrollRange(SCROLL_BAR_HORIZONTAL, 0);
  setScrollRange(SCROLL_BAR_VERTICAL, 0);
  if (clamped) {
    showScrollBar(SCROLL_BAR_HORIZONTAL, 0);
    showScrollBar(SCROLL_BAR_VERTICAL, 0);
    const WindowRect area = workArea();
    setWindowPos(WINDOW_Z_NOTOPMOST, area.left, area.top, v.maxWidth, v.maxHeight, 0);
  } else {
    if (horizontalRangeBefore > 0 && verticalRangeBefore > 0 &&
        rectWidth(before) < v.maxWidthWithBar && rectHeight(before) < v.maxHeightWithBar) {
      setWindowPos(WINDOW_Z_KEEP, 0, 0, v.maxWidthWithBar, v.maxHeightWithBar, WINDOW_POS_NO_MOVE);
      // Let a copy, scroll or move the procedure is doing finish.
      for (int i = 0; i < RESIZE_SETTLE_TRIES; ++i) {
        displayPause(RESIZE_SETTLE_MS);
        if (v.busy == 0)
          break;
      }
    }
    showScrollBar(SCROLL_BAR_HORIZONTAL, 0);
    showScrollBar(SCROLL_BAR_VERTICAL, 0);
    setWindowPos(WINDOW_Z_KEEP, 0, 0, v.maxWidth, v.maxHeight, WINDOW_POS_NO_MOVE);
  }
  invalidateClient();
  return 0;
}

int windowDestroy() {
  ViewWindow& v = gViewWindow;
  if (v.state == WINDOW_NONE)
    return 1;
  const DisplayPlatform* p = platform();
  if (p != nullptr && p->dragAcceptFiles != nullptr)
    p->dragAcceptFiles(0);
  v.state = WINDOW_CHANGING_PAGES;
  surfaceDestroyPages();
  setDialogOwner(nullptr);
  if (p != nullptr && p->destroyWindow != nullptr)
    p->destroyWindow();
  v.handle = nullptr;
  v.clientWidth = v.clientHeight = 0;
  v.state = WINDOW_NONE;
  return 0;
}

int windowSetTitle(const char* text) {
  ViewWindow& v = gViewWindow;
  if (std::strncmp(text, v.title, sizeof v.title) == 0)
    return 0;
  copyString(v.title, sizeof v.title, text);
  const DisplayPlatform* p = platform();
  if (v.state != WINDOW_NONE && p != nullptr && p->setWindowText != nullptr)
    p->setWindowText(v.title);
  return 1;
}

void windowDropTopmost() {
  if (gViewWindow.state != WINDOW_NONE)
    setWindowPos(WINDOW_Z_NOTOPMOST, 0, 0, 0, 0, WINDOW_POS_NO_MOVE | WINDOW_POS_NO_SIZE);
}

// ---- Input for the viewer ----

namespace {

int take(uint8_t& flag) {
  int value = flag;
  flag = 0;
  return value;
}

} // namespace

int windowPeekEvent() {
  return gViewWindow.eventCode;
}

int windowTakeEvent() {
  int code = gViewWindow.eventCode;
  gViewWindow.eventCode = EVENT_NONE;
  return code;
}

int windowTakeLeftDown() {
  return take(gViewWindow.leftDownEvent);
}

int windowTakeLeftUp() {
  return take(gViewWindow.leftUpEvent);
}

int windowTakeLeftReleased() {
  return take(gViewWindow.leftReleasedEvent);
}

int windowTakeDragged() {
  return take(gViewWindow.draggedEvent);
}

int windowTakeResized() {
  return take(gViewWindow.resized);
}

void windowSetHeldCursor(int index) {
  gViewWindow.heldCursor = index;
}

void windowSetCursor(int index) {
  if (gViewWindow.normalCursor == index)
    return;
  gViewWindow.normalCursor = index;
  cursorApply(index);
}
