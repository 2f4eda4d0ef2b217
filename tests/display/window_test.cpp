#include "display/window.h"

#include "display/cursors.h"
#include "display/window_support.h"

#include <array>
#include <gtest/gtest.h>

namespace {

constexpr WindowRect kWide = {0, 0, 1024, 740};
constexpr WindowRect kShort = {0, 0, 1024, 300};
constexpr WindowRect kOffset = {100, 50, 900, 650};
constexpr int SLOT = 5;

class ReportWindow : public ::testing::Test {
protected:
  void TearDown() override { fakeRemove(); }
  void open(WindowRect area, int width, int height) {
    fakeRemove();
    fakeInstall(area);
    ASSERT_EQ(0, cursorsLoad());
    ASSERT_EQ(0, windowCreate(width, height, 1, "t"));
    windowSetHeldCursor(CURSOR_HAND);
  }
};

TEST_F(ReportWindow, OpensWithinTheWorkAreaAndSnapsAtTheEndOfAUserResize) {
  constexpr int LEFT = SIZING_EDGE_LEFT, BOTTOM = SIZING_EDGE_BOTTOM;
  constexpr int RIGHT = SIZING_EDGE_RIGHT, CORNER = SIZING_EDGE_BOTTOM_RIGHT;
  struct Case {
    WindowRect area;
    int surfaceWidth, surfaceHeight;
    std::array<int, 3> drags[2]; // edge (0: none), outer width, outer height
    std::array<int, 4> outer;
    bool horizontalBar, verticalBar;
  } cases[] = {
      {kOffset, 2000, 1000, {}, {100, 50, 900, 650}, 0, 0}, // exactly the work area
      {kWide, 600, 400, {}, {40, 30, 640, 430}, 0, 0},      // the system's place
      {kOffset, 2000, 1000, {{LEFT, 700, 600}}, {100, 50, 800, 666}, 1, 0},
      {kOffset, 2000, 1000, {{BOTTOM, 800, 500}}, {100, 50, 916, 550}, 0, 1},
      {kWide, 600, 400, {{CORNER, 500, 300}, {CORNER, 700, 500}}, {40, 30, 640, 430}, 0, 0},
      {kWide, 600, 400, {{RIGHT, 500, 400}, {RIGHT, 650, 416}}, {40, 30, 640, 430}, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.surfaceWidth << " " << c.drags[0][0]);
    open(c.area, c.surfaceWidth, c.surfaceHeight);
    for (const std::array<int, 3>& d : c.drags)
      if (d[0] != 0)
        fakeUserResize(d[0], d[1], d[2]);
    const WindowRect r = gFake.outer;
    EXPECT_EQ(c.outer, (std::array<int, 4>{r.left, r.top, r.right, r.bottom}));
    EXPECT_EQ(c.horizontalBar, gFake.barVisible[SCROLL_BAR_HORIZONTAL]);
    EXPECT_EQ(c.verticalBar, gFake.barVisible[SCROLL_BAR_VERTICAL]);
    EXPECT_EQ(fakeClientWidth(), gViewWindow.clientWidth);
    EXPECT_EQ(fakeClientHeight(), gViewWindow.clientHeight);
  }
}

// A bar that appears narrows the client inside the size message that showed it; the
// ranges must follow the narrower client, or the report's last pixels cannot be reached.
TEST_F(ReportWindow, BothBarsAppearingAtOnceStillReachTheSurfaceCorner) {
  open(kWide, 600, 400);
  fakeUserResize(SIZING_EDGE_BOTTOM_RIGHT, 500, 300); // client 484 x 284 between the bars
  fakeSend(WINDOW_MSG_HSCROLL, SCROLL_REQUEST_THUMB_POSITION, 600);
  fakeSend(WINDOW_MSG_VSCROLL, SCROLL_REQUEST_THUMB_POSITION, 400);
  EXPECT_EQ(600 - 484, gViewWindow.horizontalPosition);
  EXPECT_EQ(400 - 284, gViewWindow.verticalPosition);
}

TEST_F(ReportWindow, ArrowRepeatsAccelerateAndAWheelNotchMoves120) {
  // d/u: the vertical bar's down or up arrow; w/W: a wheel notch down or up; h: the mouse
  // moves over the window.
  struct Case {
    int range;
    const char* steps;
    std::vector<int> positions; // after each arrow or wheel step
  } cases[] = {
      {1000, "dddddddddddd", {2, 4, 6, 8, 10, 12, 14, 16, 18, 21, 25, 30}},
      {1000, "ddddddddddhd", {2, 4, 6, 8, 10, 12, 14, 16, 18, 21, 23}},
      {40, "dddddddddddd", {2, 4, 6, 8, 10, 12, 14, 16, 18, 21, 25, 29}},
      {9, "ddddduuuuuu", {2, 4, 6, 8, 9, 7, 5, 3, 1, 1, 1}}, // a tenth of 9 is 0
      {1000, "wwW", {120, 240, 120}},
      {50, "w", {50}},
      {0, "wd", {0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.range << " " << c.steps);
    open(kShort, 512, 300 + c.range);
    if (c.range > 0)
      fakeUserResize(SIZING_EDGE_BOTTOM, 512, 300);
    ASSERT_EQ(c.range, gViewWindow.verticalRange);
    std::vector<int> positions;
    for (const char* s = c.steps; *s != '\0'; ++s) {
      if (*s == 'd' || *s == 'u')
        fakeSend(WINDOW_MSG_VSCROLL,
                 *s == 'd' ? SCROLL_REQUEST_LINE_RIGHT : SCROLL_REQUEST_LINE_LEFT);
      else
        fakeSend(*s == 'h' ? WINDOW_MSG_NC_HIT_TEST : WINDOW_MSG_MOUSE_WHEEL,
                 *s == 'w' ? -120 : 120);
      if (*s != 'h')
        positions.push_back(gViewWindow.verticalPosition);
    }
    EXPECT_EQ(c.positions, positions);
  }
}

TEST_F(ReportWindow, InputBecomesOneEventCode) {
  constexpr int K = WINDOW_MSG_KEY_DOWN, SHIFT = VIRTUAL_KEY_SHIFT, CTRL = VIRTUAL_KEY_CONTROL;
  constexpr int LEFT = VIRTUAL_KEY_LEFT;
  const struct {
    int messages[3][2]; // id and code; unused entries are id 0 (create)
    int code;
  } cases[] = {
      {{{WINDOW_MSG_CHAR, 'a'}, {WINDOW_MSG_CHAR, 'b'}}, 'b'}, // the second key wins
      {{{K, LEFT}}, LEFT | EVENT_NAVIGATION},
      {{{K, SHIFT}, {K, LEFT}}, LEFT | EVENT_MODIFIER_SHIFT},
      {{{K, CTRL}, {K, LEFT}}, LEFT | EVENT_MODIFIER_CTRL},
      {{{K, CTRL}, {K, SHIFT}, {K, LEFT}}, LEFT | EVENT_MODIFIER_CTRL_SHIFT},
      {{{K, CTRL}, {WINDOW_MSG_CHAR, ' '}}, ' ' | EVENT_MODIFIER_CTRL},
      {{{WINDOW_MSG_SYS_CHAR, 'x'}}, 'x' | EVENT_MODIFIER_ALT},
      {{{WINDOW_MSG_LBUTTON_DOWN, KEY_STATE_SHIFT}}, EVENT_LEFT_DOWN + EVENT_BUTTON_SHIFT},
      {{{WINDOW_MSG_RBUTTON_DOWN, KEY_STATE_CONTROL}}, EVENT_RIGHT_DOWN + EVENT_BUTTON_CTRL},
      // The middle button reads the tracked modifiers, not the message's key state.
      {{{K, SHIFT}, {WINDOW_MSG_MBUTTON_DOWN, 0}}, EVENT_MIDDLE_DOWN + EVENT_BUTTON_SHIFT},
      {{{K, CTRL}, {WINDOW_MSG_MBUTTON_UP, KEY_STATE_SHIFT}}, EVENT_MIDDLE_UP + EVENT_BUTTON_CTRL},
  };
  open(kShort, 512, 96);
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.code);
    gViewWindow.shiftHeld = gViewWindow.ctrlHeld = 0;
    for (const auto& m : c.messages)
      if (m[0] != WINDOW_MSG_CREATE)
        fakeSend(m[0], m[1]);
    EXPECT_EQ(c.code, windowTakeEvent());
  }
}

TEST_F(ReportWindow, LeftButtonHoldsTheHandUntilReleaseOrTheFrame) {
  constexpr int HAND = CURSOR_HAND, ARROW = CURSOR_ARROW, MOVE = WINDOW_MSG_MOUSE_MOVE;
  const struct {
    int id, keyState, x, pressed, cursor, dragged, dragX;
  } steps[] = {
      {WINDOW_MSG_LBUTTON_DOWN, 0, 10, 1, HAND, 0, 10},
      {MOVE, KEY_STATE_LEFT, 15, 1, HAND, 1, 15},
      {WINDOW_MSG_NC_MOUSE_MOVE, 0, 0, 0, ARROW, 0, 15}, // onto the frame
      {MOVE, KEY_STATE_LEFT, 40, 0, ARROW, 0, 15},       // no further pan step
      {WINDOW_MSG_LBUTTON_DOWN, 0, 50, 1, HAND, 0, 50},
      {MOVE, 0, 60, 0, HAND, 0, 50}, // released elsewhere: the cursor stays
      {WINDOW_MSG_LBUTTON_DOWN, 0, 70, 1, HAND, 0, 70},
      {WINDOW_MSG_LBUTTON_UP, 0, 70, 0, ARROW, 0, 70},
  };
  open(kShort, 512, 96);
  for (const auto& s : steps) {
    SCOPED_TRACE(testing::Message() << s.id << " at " << s.x);
    fakeSend(s.id, s.keyState, s.x, s.x);
    EXPECT_EQ(s.pressed, gViewWindow.leftPressed);
    EXPECT_EQ(s.cursor, fakeShownCursor());
    EXPECT_EQ(s.dragged, windowTakeDragged());
    EXPECT_EQ(s.dragX, gViewWindow.dragX);
  }
}

TEST_F(ReportWindow, RightClickCopiesPositionOffsetOrColour) {
  const struct {
    int surfaceHeight, scroll, keyState, x, y;
    const char* text;
  } cases[] = {
      {400, 100, 0, 10, 20, "10,120"},
      {96, 0, KEY_STATE_SHIFT, 256, 48, "0.00%,0.00%"},
      {96, 0, KEY_STATE_SHIFT, 0, 0, "-50.00%,-9.38%"},
      {96, 0, KEY_STATE_CONTROL, 30, 40, "254,254,254"},
      {96, 0, KEY_STATE_CONTROL | KEY_STATE_SHIFT, 31, 40, "127,127,127"}, // Ctrl wins
      {400, 100, KEY_STATE_CONTROL, 30, 40, "254,254,254"},                // the surface's pixel
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    open(kShort, 512, c.surfaceHeight);
    if (c.scroll > 0) {
      fakeUserResize(SIZING_EDGE_BOTTOM, 512, 300);
      fakeSend(WINDOW_MSG_VSCROLL, SCROLL_REQUEST_THUMB_POSITION, c.scroll);
    }
    // White text over black at client (30, 40): full coverage blends to 254, half to 127.
    installTestSlot(SLOT, 2, 1, {255, 128});
    surfaceBlendImage(0, 30, 40 + c.scroll, SLOT, 0, 0, 1, 0);
    removeTestSlot(SLOT);
    fakeSend(WINDOW_MSG_RBUTTON_DOWN, c.keyState, c.x, c.y);
    EXPECT_EQ(c.text, gFake.clipboard);
  }
}

} // namespace
