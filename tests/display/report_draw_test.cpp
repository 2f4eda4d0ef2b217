#include "display/report_draw.h"

#include "analysis/report.h"
#include "common/text_convert.h"
#include "display/capture.h"
#include "display/display_support.h"
#include "display/glyph.h"
#include "display/surface.h"
#include "text/files.h"

#include <gtest/gtest.h>

using test_text::sjis;

namespace {

constexpr int REFERENCE_SLOT = 7;

struct Line {
  std::string text; // Shift-JIS
  int red, green, blue;
};

void fillReport(const std::vector<Line>& lines) {
  reportClear();
  for (const Line& line : lines) {
    reportSetColour(line.red, line.green, line.blue);
    reportAppend(line.text.c_str());
    reportFinishLine();
  }
}

std::vector<uint8_t> pagePixels() {
  const SurfacePage& page = gViewWindow.pages[0];
  return std::vector<uint8_t>(page.pixels,
                              page.pixels + static_cast<size_t>(page.stride) * page.height);
}

// What the page should hold: black, with each expected line image blended at its place.
struct Expected {
  int line;
  std::u16string text; // drawn literally
  int red, green, blue;
};

std::vector<uint8_t> composedPage(const std::vector<Expected>& lines) {
  surfaceFillRect(0, 0, 0, gViewWindow.surfaceWidth - 1, gViewWindow.surfaceHeight - 1, 0, 0, 0);
  for (const Expected& e : lines) {
    EXPECT_EQ(GLYPH_DRAW_OK, glyphDrawTextW(REFERENCE_SLOT, e.text.c_str(), 1, -1, 0, -1));
    surfaceSetForeground(e.red, e.green, e.blue);
    surfaceBlendImage(0, 2, 17 * e.line + 2, REFERENCE_SLOT, 0, 0,
                      glyphSlotWidth(REFERENCE_SLOT) - 1, glyphSlotHeight(REFERENCE_SLOT) - 1);
  }
  return pagePixels();
}

uint64_t fnv1a(const std::vector<uint8_t>& bytes) {
  uint64_t hash = 14695981039346656037ull;
  for (uint8_t b : bytes)
    hash = (hash ^ b) * 1099511628211ull;
  return hash;
}

TEST(ReportDraw, SurfaceSizeFollowsTheLongestLineAndTheLineCount) {
  struct Case {
    int lineCount, maxLineLength, width, height;
  } cases[] = {
      {10, 40, 512, 170}, // the width minimum applies
      {3, 40, 512, 96},   // the height minimum applies
      {1, 128, 1040, 96}, // 8 per byte plus 16
      {0, 0, 512, 96},    // empty report
      {100, 63, 520, 1700}, {512, 127, 1032, 8704},
  };
  for (const Case& c : cases) {
    gReport.lineCount = c.lineCount;
    gReport.maxLineLength = c.maxLineLength;
    int width = 0, height = 0;
    reportSurfaceSize(&width, &height);
    EXPECT_EQ(c.width, width) << c.maxLineLength;
    EXPECT_EQ(c.height, height) << c.lineCount;
  }
  reportClear();
}

class ReportDrawOnSurface : public ::testing::Test {
protected:
  void SetUp() override {
    if (!fileExists(reportFontPath()))
      GTEST_SKIP() << "no report font at " << reportFontPath() << " (set KINETRACE_FONT_SOURCE)";
    ASSERT_EQ(GLYPH_LOAD_OK, glyphLoadFont(ansiPath(reportFontPath()).c_str(), 0, 16));
    gViewWindow = ViewWindow{};
    surfaceSetBackground(0, 0, 0);
    ASSERT_EQ(0, surfaceCreatePages(512, 96, 1));
  }
  void TearDown() override {
    surfaceDestroyPages();
    glyphRelease();
    reportClear();
  }
};

TEST_F(ReportDrawOnSurface, EachLineInItsColourAt17PixelSteps) {
  fillReport({{"", 255, 255, 255},
              {"Kinetrace", 255, 255, 255},
              {"", 0, 0, 0},
              {sjis("左腕 150"), 255, 0, 0},
              {"Ag", 10, 200, 30}});
  surfaceFillRect(0, 0, 0, 511, 95, 90, 90, 90); // the draw starts with a background fill
  drawReport("ignored.vmd", u"ignored.vmd");
  std::vector<uint8_t> drawn = pagePixels();
  EXPECT_EQ(
      composedPage(
          {{1, u"Kinetrace", 255, 255, 255}, {3, u"左腕 150", 255, 0, 0}, {4, u"Ag", 10, 200, 30}}),
      drawn);
}

TEST_F(ReportDrawOnSurface, LineZeroShowsTheFileNameWhenItsRowIsNotEmpty) {
  struct Case {
    const char* what;
    const char* row0;
    std::string name;
    std::u16string nameW;
    std::u16string shown; // empty: line 0 stays blank
  } cases[] = {
      {"the ANSI name", "x", "AB.vmd", u"", u"AB.vmd"},
      {"an ANSI name that lost characters: the UTF-16 name", "x", "A?.vmd", u"AB.vmd", u"AB.vmd"},
      {"a UTF-16 name without Shift-JIS form is drawn as UTF-16", "x", "A?.vmd", u"A☺.vmd",
       u"A☺.vmd"},
      {"only a UTF-16 name", "x", "", u"CD.vmd", u"CD.vmd"},
      {"nothing better: the ANSI name as it is", "x", "A?.vmd", u"", u"A?.vmd"},
      {"no name at all", "x", "", u"", u""},
      {"an ampersand is shown, not taken as an escape", "x", "a&nb.vmd", u"", u"a&nb.vmd"},
      {"an empty row 0 stays blank", "", "AB.vmd", u"AB.vmd", u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fillReport({{c.row0, 255, 255, 0}});
    drawReport(c.name.c_str(), c.nameW.c_str());
    std::vector<uint8_t> drawn = pagePixels();
    std::vector<Expected> expected;
    if (!c.shown.empty())
      expected.push_back({0, c.shown, 255, 255, 0});
    EXPECT_EQ(composedPage(expected), drawn);
  }
}

TEST_F(ReportDrawOnSurface, ReportTextIsDrawnLiterally) {
  fillReport({{"", 255, 255, 255},
              {"A&&B &n &r &v &x &", 255, 255, 255},
              {sjis("ボーン&モーフ"), 255, 255, 255}});
  drawReport("", u"");
  std::vector<uint8_t> drawn = pagePixels();
  EXPECT_EQ(composedPage(
                {{1, u"A&&B &n &r &v &x &", 255, 255, 255}, {2, u"ボーン&モーフ", 255, 255, 255}}),
            drawn);
}

// renderReportToBmp as the console uses it.
class ReportRender : public ::testing::Test {
protected:
  void SetUp() override {
    if (!fileExists(reportFontPath()))
      GTEST_SKIP() << "no report font at " << reportFontPath() << " (set KINETRACE_FONT_SOURCE)";
    gViewWindow = ViewWindow{};
    fillReport({{"", 255, 255, 255},
                {"dance.vmd", 255, 255, 255},
                {"", 255, 255, 255},
                {sjis("元モデル名: 初音ミク "), 255, 255, 255},
                {sjis("左腕        12   0-120  150.0°"), 255, 0, 0},
                {sjis("右ひじ      8    0-96   捩 146.2°"), 255, 255, 128}});
  }
  void TearDown() override {
    glyphRelease();
    reportClear();
  }
  TempFolder folder;
};

// The picture of a small fixed report, pinned so that any change in drawing is noticed.
// It depends on the font (VL Gothic of Debian's fonts-vlgothic 20220612) and on FreeType's
// rasteriser (2.12); after a deliberate change, look at the picture the failure leaves in
// the build folder and update the value.
TEST_F(ReportRender, ThePictureOfAFixedReportIsPinned) {
  const std::string file = folder.path("report.bmp");
  ASSERT_EQ(CAPTURE_OK,
            renderReportToBmp(ansiPath(file).c_str(), ansiPath(reportFontPath()).c_str(), nullptr,
                              "dance.vmd", u"dance.vmd"));
  std::vector<uint8_t> bmp = readFile(file);
  ASSERT_EQ(54u + 1536 * 102, bmp.size()); // 512 x 102: six lines of 17 pixels
  const uint64_t pinned = 0x19e5ce72d075c22aull;
  if (fnv1a(bmp) != pinned) {
    std::string kept = std::string(KT_BINARY_DIR) + "/report_draw_actual.bmp";
    writeFile(kept, bmp);
    ADD_FAILURE() << "picture changed: FNV-1a 0x" << std::hex << fnv1a(bmp) << ", kept as " << kept;
  }
}

TEST_F(ReportRender, TheFontIsFoundByEitherPathAndReleasedAfterwards) {
  const std::string byAnsi = folder.path("ansi.bmp");
  const std::string byWide = folder.path("wide.bmp");
  std::u16string font = widePathOf(reportFontPath());
  ASSERT_EQ(CAPTURE_OK,
            renderReportToBmp(ansiPath(byAnsi).c_str(), ansiPath(reportFontPath()).c_str(),
                              font.c_str(), "dance.vmd", u""));
  ASSERT_EQ(CAPTURE_OK,
            renderReportToBmp(ansiPath(byWide).c_str(), ansiPath(folder.path("nofont.ttf")).c_str(),
                              font.c_str(), "dance.vmd", u""));
  EXPECT_EQ(readFile(byAnsi), readFile(byWide));
  EXPECT_EQ(0, gViewWindow.pageCount);
  EXPECT_EQ(0, glyphFontLoaded());
  EXPECT_EQ(0xFF, rfeof()); // the byte reader is free again
}

TEST_F(ReportRender, FailuresHaveTheirOwnCodesAndWriteNothing) {
  writeFile(folder.path("text.ttf"), {'t', 'e', 'x', 't'});
  const std::string out = folder.path("out.bmp");
  struct Case {
    const char* what;
    std::string fontAnsi;
    WindowState windowState;
    int expected;
  } cases[] = {
      {"no font", folder.path("missing.ttf"), WINDOW_NONE, RENDER_FONT_MISSING},
      {"no usable font", folder.path("text.ttf"), WINDOW_NONE, RENDER_FONT_UNUSABLE},
      {"a window owns the surface", reportFontPath(), WINDOW_LIVE, RENDER_WINDOW_LIVE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    gViewWindow.state = c.windowState;
    EXPECT_EQ(c.expected, renderReportToBmp(ansiPath(out).c_str(), ansiPath(c.fontAnsi).c_str(),
                                            nullptr, "dance.vmd", u""));
    EXPECT_FALSE(fileExists(out));
    gViewWindow.state = WINDOW_NONE;
  }
  EXPECT_EQ(CAPTURE_NOT_BMP,
            renderReportToBmp(ansiPath(folder.path("out.png")).c_str(),
                              ansiPath(reportFontPath()).c_str(), nullptr, "dance.vmd", u""));
}

} // namespace
