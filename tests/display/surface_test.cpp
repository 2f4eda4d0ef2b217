#include "display/surface.h"

#include "display/display_support.h"
#include "display/glyph.h"

#include <gtest/gtest.h>

namespace {

constexpr int SLOT = 5;

struct Rgb {
  int red, green, blue;
  bool operator==(const Rgb& o) const { return red == o.red && green == o.green && blue == o.blue; }
};

std::ostream& operator<<(std::ostream& out, const Rgb& c) {
  return out << "(" << c.red << ", " << c.green << ", " << c.blue << ")";
}

// Reads a pixel of the given page, whichever is on display.
Rgb pagePixel(int page, int x, int y) {
  const SurfacePage& p = gViewWindow.pages[page];
  const uint8_t* at = p.pixels + static_cast<size_t>(y) * p.stride + static_cast<size_t>(x) * 3;
  return Rgb{at[2], at[1], at[0]};
}

Rgb pixel(int x, int y) {
  return pagePixel(gViewWindow.drawPage, x, y);
}

class Surface : public ::testing::Test {
protected:
  void SetUp() override {
    gViewWindow = ViewWindow{};
    gViewWindow.screenWidth = 1920;
    gViewWindow.screenHeight = 1080;
    surfaceSetBackground(0, 0, 0);
    surfaceSetForeground(255, 255, 255);
    ASSERT_EQ(0, surfaceCreatePages(200, 20, 1));
    installRecordingPlatform();
  }
  void TearDown() override {
    displaySetPlatform(nullptr);
    surfaceDestroyPages();
    removeTestSlot(SLOT);
  }
};

TEST_F(Surface, PagesAreFilledWithTheBackgroundAndOnlySensibleSizesAreMade) {
  surfaceSetBackground(1, 2, 3);
  ASSERT_EQ(0, surfaceCreatePages(3, 2, 2));
  EXPECT_EQ(2, gViewWindow.pageCount);
  for (int page = 0; page < 2; ++page)
    EXPECT_EQ((Rgb{1, 2, 3}), pagePixel(page, 2, 1));
  EXPECT_EQ(-1, surfaceCreatePages(0, 5, 1));
  EXPECT_EQ(0, gViewWindow.pageCount);
  EXPECT_EQ(nullptr, gViewWindow.pages[0].pixels);
  surfaceFillRect(0, 0, 0, 5, 5, 9, 9, 9); // no pages: nothing happens
  EXPECT_EQ(-1, surfaceWriteRows(-1, 0, 0, 1, 1, reinterpret_cast<const uint8_t*>("abc")));
}

TEST_F(Surface, FillTakesInclusiveCornersAndIsClippedByThePage) {
  gViewWindow.horizontalPosition = 4;
  surfaceFillRect(0, -5, -5, 2, 3, 200, 100, 50);
  EXPECT_EQ((Rgb{200, 100, 50}), pixel(0, 0));
  EXPECT_EQ((Rgb{200, 100, 50}), pixel(2, 3));
  EXPECT_EQ((Rgb{0, 0, 0}), pixel(3, 3));
  EXPECT_EQ((Rgb{0, 0, 0}), pixel(2, 4));
  surfaceFillRect(0, 190, 15, 400, 400, 1, 1, 1); // past the right and bottom edges
  EXPECT_EQ((Rgb{1, 1, 1}), pixel(199, 19));
  ASSERT_EQ(2u, recordedCalls().size());
  EXPECT_EQ((PlatformCall{'i', -9, -5, 8, 9}), recordedCalls()[0]); // moved by the scroll
}

TEST_F(Surface, BlendDividesBy256) {
  struct Case {
    uint8_t coverage;
    Rgb foreground, background, expected;
  } cases[] = {
      {255, {255, 255, 255}, {0, 0, 0}, {254, 254, 254}}, // full white on black: 254
      {0, {255, 255, 255}, {10, 20, 30}, {9, 19, 29}},    // even no coverage darkens
      {128, {200, 100, 0}, {0, 0, 0}, {100, 50, 0}},
      {64, {0, 0, 0}, {255, 128, 4}, {190, 95, 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.coverage));
    installTestSlot(SLOT, 1, 1, {c.coverage});
    surfaceSetForeground(c.foreground.red, c.foreground.green, c.foreground.blue);
    surfaceSetBackground(c.background.red, c.background.green, c.background.blue);
    surfaceBlendImage(0, 7, 3, SLOT, 0, 0, 0, 0);
    EXPECT_EQ(c.expected, pixel(7, 3));
    removeTestSlot(SLOT);
  }
}

TEST_F(Surface, BlendClipsTheDestinationAndTheSource) {
  // One row of ten columns; column c has coverage 20 x (c + 1), so white over black gives
  // 20 x (c + 1) x 255 / 256 at the pixel it lands on.
  std::vector<uint8_t> row(10);
  for (int c = 0; c < 10; ++c)
    row[c] = static_cast<uint8_t>(20 * (c + 1));
  auto shade = [](int column) { return 20 * (column + 1) * 255 / 256; };
  struct Case {
    const char* what;
    int x, y, sx0, sx1;
    int firstX, firstColumn, lastX; // destination span and the column at its start
  } cases[] = {
      {"whole row", 3, 2, 0, 9, 3, 0, 12},
      {"negative x: from the sixth column at x = 0", -5, 2, 0, 9, 0, 5, 4},
      {"negative source start moves the destination", 2, 2, -3, 9, 5, 0, 14},
      {"source end cut to the slot", 3, 2, 0, 50, 3, 0, 12},
      {"part of the source", 3, 2, 4, 6, 3, 4, 5},
      {"past the right edge", 195, 2, 0, 9, 195, 0, 199},
  };
  installTestSlot(SLOT, 10, 1, row);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    surfaceFillRect(-1, 0, 0, 199, 19, 0, 0, 0);
    surfaceBlendImage(-1, c.x, c.y, SLOT, c.sx0, 0, c.sx1, 0);
    for (int x = 0; x < 200; ++x) {
      int expected = x >= c.firstX && x <= c.lastX ? shade(c.firstColumn + x - c.firstX) : 0;
      ASSERT_EQ(expected, pixel(x, c.y).red) << x;
    }
  }
}

TEST_F(Surface, BlendOfAnInvalidSlotOrAnEmptySourceDrawsNothing) {
  installTestSlot(SLOT, 2, 2, {255, 255, 255, 255});
  surfaceBlendImage(0, 0, -5, SLOT, 0, 0, 1, 1); // entirely above the page
  surfaceBlendImage(0, 0, 0, SLOT, 1, 1, 0, 0);  // inverted source
  removeTestSlot(SLOT);
  surfaceBlendImage(0, 0, 0, SLOT, 0, 0, 1, 1);
  EXPECT_EQ((Rgb{0, 0, 0}), pixel(0, 0));
  EXPECT_TRUE(recordedCalls().empty());
}

TEST_F(Surface, BlendOfARowWiderThanTheRowBufferIsComplete) {
  const int width = SURFACE_ROW_BUFFER_PIXELS + 300;
  ASSERT_EQ(0, surfaceCreatePages(width + 10, 2, 1));
  installTestSlot(SLOT, width, 1, std::vector<uint8_t>(width, 255));
  surfaceBlendImage(0, 5, 1, SLOT, 0, 0, width - 1, 0);
  EXPECT_EQ(0, pixel(4, 1).red);
  EXPECT_EQ(254, pixel(5, 1).red);
  EXPECT_EQ(254, pixel(5 + width - 1, 1).red);
  EXPECT_EQ(0, pixel(5 + width, 1).red);
}

TEST_F(Surface, WrittenRowsReachTheWindowWithinTheScreen) {
  struct Case {
    const char* what;
    int mode, screenWidth, screenHeight, hPos, vPos, x, y, width, rows;
    std::vector<PlatformCall> calls;
  } cases[] = {
      {"scrolled 100: the row shows from its 61st pixel at the left edge",
       0,
       1920,
       1080,
       100,
       0,
       40,
       3,
       100,
       1,
       {{'i', 0, 3, 40, 1}}},
      {"a single row is cut at the screen's right edge",
       0,
       150,
       1080,
       0,
       0,
       120,
       3,
       60,
       1,
       {{'i', 120, 3, 30, 1}}},
      {"scrolled away entirely", 0, 1920, 1080, 100, 0, 10, 3, 50, 1, {}},
      {"several rows keep their width",
       0,
       1920,
       1080,
       100,
       5,
       40,
       8,
       100,
       3,
       {{'i', -60, 3, 100, 3}}},
      {"rows are cut at the screen's bottom", 0, 1920, 12, 0, 0, 0, 10, 4, 5, {{'i', 0, 10, 4, 2}}},
      {"page only", -1, 1920, 1080, 0, 0, 0, 0, 4, 1, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    gViewWindow.screenWidth = c.screenWidth;
    gViewWindow.screenHeight = c.screenHeight;
    gViewWindow.horizontalPosition = c.hPos;
    gViewWindow.verticalPosition = c.vPos;
    std::vector<uint8_t> data((static_cast<size_t>(c.width) * 3 + 3) / 4 * 4 * c.rows, 77);
    recordedCalls().clear();
    EXPECT_EQ(0, surfaceWriteRows(c.mode, c.x, c.y, c.width, c.rows, data.data()));
    EXPECT_EQ(c.calls, recordedCalls());
    // The page always holds the whole rows, whatever the window showed.
    EXPECT_EQ(77, pixel(c.x, c.y).red);
    EXPECT_EQ(77, pixel(c.x + c.width - 1, c.y + c.rows - 1).red);
  }
}

TEST_F(Surface, RowsComeBottomUpWithRowsPaddedToFourBytes) {
  // Two rows of one pixel: bottom row first in memory, each padded to 4 bytes.
  const uint8_t data[] = {3, 2, 1, 0, /* top: */ 30, 20, 10, 0};
  EXPECT_EQ(0, surfaceWriteRows(-1, 4, 5, 1, 2, data));
  EXPECT_EQ((Rgb{10, 20, 30}), pixel(4, 5));
  EXPECT_EQ((Rgb{1, 2, 3}), pixel(4, 6));
}

TEST_F(Surface, WindowOnlyModeLeavesThePageAndAHiddenDrawPageLeavesTheWindow) {
  const uint8_t data[] = {9, 9, 9};
  EXPECT_EQ(0, surfaceWriteRows(1, 0, 0, 1, 1, data));
  EXPECT_EQ((Rgb{0, 0, 0}), pixel(0, 0));
  EXPECT_EQ(1u, recordedCalls().size());

  ASSERT_EQ(0, surfaceCreatePages(10, 10, 2));
  EXPECT_EQ(1, surfaceSetDrawPage(1));
  recordedCalls().clear();
  EXPECT_EQ(0, surfaceWriteRows(0, 0, 0, 1, 1, data));
  EXPECT_EQ((Rgb{9, 9, 9}), pagePixel(1, 0, 0));
  EXPECT_EQ((Rgb{0, 0, 0}), pagePixel(0, 0, 0));
  EXPECT_TRUE(recordedCalls().empty());
}

TEST_F(Surface, CopyDisplayToDrawOnlyBetweenTwoDifferentPages) {
  ASSERT_EQ(0, surfaceCreatePages(10, 10, 1));
  EXPECT_EQ(0, surfaceSetDrawPage(1)); // one page: not stored
  ASSERT_EQ(0, surfaceCreatePages(10, 10, 2));
  surfaceFillRect(-1, 0, 0, 9, 9, 50, 60, 70); // into page 0, on display
  surfaceSetDrawPage(1);
  EXPECT_EQ((Rgb{0, 0, 0}), pixel(9, 9));
  surfaceCopyDisplayToDraw();
  EXPECT_EQ((Rgb{50, 60, 70}), pixel(9, 9));
}

TEST_F(Surface, ReadPixelGivesBlackOutsideTheSurface) {
  surfaceSetBackground(5, 6, 7);
  ASSERT_EQ(0, surfaceCreatePages(4, 3, 1));
  struct Case {
    int x, y;
    Rgb expected;
  } cases[] = {{0, 0, {5, 6, 7}}, {3, 2, {5, 6, 7}},  {4, 0, {0, 0, 0}},
               {0, 3, {0, 0, 0}}, {-1, 0, {0, 0, 0}}, {0, -1, {0, 0, 0}}};
  for (const Case& c : cases) {
    Rgb got;
    EXPECT_EQ(0, surfaceReadPixel(c.x, c.y, &got.red, &got.green, &got.blue));
    EXPECT_EQ(c.expected, got) << c.x << ", " << c.y;
  }
  surfaceDestroyPages();
  Rgb got{1, 1, 1};
  surfaceReadPixel(0, 0, &got.red, &got.green, &got.blue);
  EXPECT_EQ((Rgb{0, 0, 0}), got);
}

TEST_F(Surface, ScrollToClampsToTheRangeAndMovesTheWindowByTheDifference) {
  gViewWindow.horizontalRange = 50;
  gViewWindow.verticalRange = 0;
  struct Case {
    bool horizontal;
    int request, position;
    std::vector<PlatformCall> calls;
  } cases[] = {
      {true, 80, 50, {{'s', -50, 0, 0, 0}, {'p', SCROLL_BAR_HORIZONTAL, 50, 0, 0}}},
      {true, 50, 50, {}},
      {true, 20, 20, {{'s', 30, 0, 0, 0}, {'p', SCROLL_BAR_HORIZONTAL, 20, 0, 0}}},
      {true, -7, 0, {{'s', 20, 0, 0, 0}, {'p', SCROLL_BAR_HORIZONTAL, 0, 0, 0}}},
      {false, 30, 0, {}}, // a range of 0 never moves the view
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.request);
    recordedCalls().clear();
    EXPECT_EQ(0, c.horizontal ? surfaceScrollHorizontalTo(c.request)
                              : surfaceScrollVerticalTo(c.request));
    EXPECT_EQ(c.position,
              c.horizontal ? gViewWindow.horizontalPosition : gViewWindow.verticalPosition);
    EXPECT_EQ(c.calls, recordedCalls());
  }
}

TEST_F(Surface, PresentRepaintsTheWholeView) {
  gViewWindow.clientWidth = 120;
  gViewWindow.clientHeight = 15;
  surfacePresent();
  gViewWindow.clientWidth = 0;
  gViewWindow.clientHeight = 0;
  surfacePresent();
  EXPECT_EQ((std::vector<PlatformCall>{{'i', 0, 0, 120, 15}, {'i', 0, 0, 200, 20}}),
            recordedCalls());
}

} // namespace
