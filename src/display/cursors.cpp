#include "display/cursors.h"

#include <cstdlib>

#include "display/surface.h"
#include "text/trace.h"

CursorTable gCursors = {{}, 0, CURSOR_HAND, 0, 0};

// An open hand, fingers up, white with a black outline, in the top-left of the cell.
// Rows 20 to 31 are transparent.
const uint8_t kHandAndPlane[CURSOR_PLANE_BYTES] = {
    0xFF, 0x9F, 0xFF, 0xFF, 0xFC, 0x03, 0xFF, 0xFF, 0xF8, 0x00, 0x7F, 0xFF, // rows 0-2
    0xF8, 0x00, 0x7F, 0xFF, 0xF8, 0x00, 0x3F, 0xFF, 0xF8, 0x00, 0x3F, 0xFF, // rows 3-5
    0xF8, 0x00, 0x3F, 0xFF, 0x98, 0x00, 0x3F, 0xFF, 0x08, 0x00, 0x3F, 0xFF, // rows 6-8
    0x08, 0x00, 0x3F, 0xFF, 0x00, 0x00, 0x3F, 0xFF, 0x00, 0x00, 0x3F, 0xFF, // rows 9-11
    0x80, 0x00, 0x3F, 0xFF, 0x80, 0x00, 0x3F, 0xFF, 0xC0, 0x00, 0x3F, 0xFF, // rows 12-14
    0xC0, 0x00, 0x7F, 0xFF, 0xE0, 0x00, 0x7F, 0xFF, 0xE0, 0x00, 0xFF, 0xFF, // rows 15-17
    0xF0, 0x00, 0xFF, 0xFF, 0xF8, 0x01, 0xFF, 0xFF,                         // rows 18-19
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, // rows 20-22
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, // rows 23-25
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, // rows 26-28
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, // rows 29-31
};

const uint8_t kHandXorPlane[CURSOR_PLANE_BYTES] = {
    0x00, 0x00, 0x00, 0x00, 0x00, 0x60, 0x00, 0x00, 0x03, 0x6C, 0x00, 0x00, // rows 0-2
    0x03, 0x6D, 0x00, 0x00, 0x03, 0x6D, 0x80, 0x00, 0x03, 0x6D, 0x80, 0x00, // rows 3-5
    0x03, 0x6D, 0x80, 0x00, 0x03, 0x6D, 0x80, 0x00, 0x63, 0x6D, 0x80, 0x00, // rows 6-8
    0x63, 0x7D, 0x80, 0x00, 0x73, 0x7D, 0x80, 0x00, 0x7B, 0xFF, 0x80, 0x00, // rows 9-11
    0x3B, 0xFF, 0x80, 0x00, 0x3F, 0xFF, 0x80, 0x00, 0x1F, 0xFF, 0x80, 0x00, // rows 12-14
    0x1F, 0xFF, 0x00, 0x00, 0x0F, 0xFF, 0x00, 0x00, 0x0F, 0xFE, 0x00, 0x00, // rows 15-17
    0x07, 0xFE, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,                         // rows 18-19
                                                                            // rows 20-31: nothing
};

namespace {

void releaseAtExit() {
  cursorsRelease();
}

} // namespace

int cursorsLoad() {
  CursorTable& t = gCursors;
  const DisplayPlatform* p = displayPlatform();
  // A table loaded for an earlier report gives its own cursors back first.
  cursorsRelease();
  t.count = 0;
  t.firstOwn = CURSOR_HAND;
  if (p == nullptr || p->loadSystemCursor == nullptr || p->createCursor == nullptr)
    return -1;
  for (int i = 0; i < SYSTEM_CURSOR_COUNT; ++i) {
    t.cursors[i] = p->loadSystemCursor(i);
    if (t.cursors[i] == nullptr) {
      trace("cursors: system cursor %d is missing\n", i);
      return -1;
    }
    t.count = i + 1;
  }
  const int width = p->getSystemMetric != nullptr ? p->getSystemMetric(METRIC_CURSOR_WIDTH) : 32;
  const int height = p->getSystemMetric != nullptr ? p->getSystemMetric(METRIC_CURSOR_HEIGHT) : 32;
  t.cursors[CURSOR_HAND] = p->createCursor(CURSOR_HOT_SPOT, CURSOR_HOT_SPOT, width, height,
                                           kHandAndPlane, kHandXorPlane);
  if (t.cursors[CURSOR_HAND] == nullptr) {
    trace("cursors: the hand could not be made\n");
    return -1;
  }
  t.count = CURSOR_TABLE_SIZE;
  if (t.exitHookRegistered == 0) {
    std::atexit(releaseAtExit);
    t.exitHookRegistered = 0xFF;
  }
  return 0;
}

int cursorApply(int index) {
  CursorTable& t = gCursors;
  if (gViewWindow.state == WINDOW_NONE)
    return CURSOR_INVALID;
  if (t.applying != 0)
    return CURSOR_BUSY;
  t.applying = 0xFF;
  int result = CURSOR_INVALID;
  if (index >= 0 && index < t.count && t.cursors[index] != nullptr) {
    const DisplayPlatform* p = displayPlatform();
    if (p != nullptr && p->setClassCursor != nullptr)
      p->setClassCursor(t.cursors[index]);
    if (p != nullptr && p->setCursor != nullptr)
      p->setCursor(t.cursors[index]);
    result = CURSOR_APPLIED;
  }
  t.applying = 0;
  return result;
}

void cursorsRelease() {
  CursorTable& t = gCursors;
  const DisplayPlatform* p = displayPlatform();
  for (int i = CURSOR_TABLE_SIZE - 1; i >= t.firstOwn; --i) {
    if (t.cursors[i] != nullptr && p != nullptr && p->destroyCursor != nullptr)
      p->destroyCursor(t.cursors[i]);
    t.cursors[i] = nullptr;
  }
  if (t.count > t.firstOwn)
    t.count = t.firstOwn;
}
