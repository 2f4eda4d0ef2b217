#include "display/glyph.h"

#include "display/display_support.h"
#include "text/files.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

constexpr int SLOT = 6;
constexpr int OTHER_SLOT = 7;

struct Image {
  int width = 0, height = 0;
  std::vector<uint8_t> coverage;
  bool operator==(const Image& o) const {
    return width == o.width && height == o.height && coverage == o.coverage;
  }
};

Image imageOf(int slot) {
  return Image{glyphSlotWidth(slot), glyphSlotHeight(slot), slotCoverage(slot)};
}

Image draw(const char* sjis, int antialias = 1, int first = 0, int last = -1) {
  EXPECT_EQ(GLYPH_DRAW_OK, glyphDrawText(SLOT, sjis, antialias, -1, first, last)) << sjis;
  return imageOf(SLOT);
}

Image drawW(const char16_t* text) {
  EXPECT_EQ(GLYPH_DRAW_OK, glyphDrawTextW(SLOT, text, 1, -1, 0, -1));
  return imageOf(SLOT);
}

class Glyph : public ::testing::Test {
protected:
  void SetUp() override {
    if (!fileExists(reportFontPath()))
      GTEST_SKIP() << "no report font at " << reportFontPath() << " (set KINETRACE_FONT_SOURCE)";
    ASSERT_EQ(GLYPH_LOAD_OK, glyphLoadFont(ansiPath(reportFontPath()).c_str(), 0, 16));
    glyphSetTextColour(255, 255, 255);
  }
  void TearDown() override { glyphRelease(); }
};

TEST(GlyphSize, PointsBecome26Dot6UnitsWithTheRoundingOfTheFormat) {
  struct Case {
    float points;
    int32_t units;
  } cases[] = {{16.0f, 1024}, {10.99f, 703}, {0.0f, 0}, {12.5f, 800}, {0.01f, 1}};
  for (const Case& c : cases)
    EXPECT_EQ(c.units, glyphPointsToUnits(c.points)) << c.points;
}

TEST(GlyphLoad, FilesThatAreNoFontFailWithoutAFaceAndDrawingThenFails) {
  TempFolder folder;
  writeFile(folder.path("text.ttf"), {'n', 'o', 't', ' ', 'a', ' ', 'f', 'o', 'n', 't'});
  const std::string files[] = {folder.path("missing.ttf"), folder.path("text.ttf")};
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    EXPECT_EQ(GLYPH_LOAD_NO_FACE, glyphLoadFont(ansiPath(file).c_str(), 0, 16));
    EXPECT_EQ(0, glyphFontLoaded());
    EXPECT_EQ(GLYPH_LOAD_NO_FACE, glyphLoadFontW(widePathOf(file).c_str(), 0, 16));
    EXPECT_EQ(0, glyphFontLoaded());
    EXPECT_EQ(0xFF, rfeof()); // the failed stream gave the byte reader back
    EXPECT_EQ(GLYPH_DRAW_FAILED, glyphDrawText(SLOT, "A", 1, -1, 0, -1));
    EXPECT_EQ(0, glyphSlotValid(SLOT));
  }
  glyphRelease();
}

TEST_F(Glyph, TheFontOpenedByItsUtf16PathDrawsTheSameAsByItsAnsiPath) {
  Image byAnsi = draw("Kinetrace \x83\x41"); // ア
  ASSERT_EQ(GLYPH_LOAD_OK, glyphLoadFontW(widePathOf(reportFontPath()).c_str(), 0, 16));
  EXPECT_EQ(0, rfeof()); // the face reads through the byte reader
  EXPECT_EQ(byAnsi, draw("Kinetrace \x83\x41"));
  glyphUnloadFont();
  EXPECT_EQ(0xFF, rfeof());
}

TEST_F(Glyph, AmpersandEscapesOfShiftJisTextAndNoneInUtf16) {
  struct Case {
    const char* sjis;
    const char16_t* same;
  } cases[] = {
      {"A&&B", u"A&B"},  // doubled: one ampersand
      {"A&xB", u"AB"},   // unknown escape: both bytes dropped
      {"AB&", u"AB"},    // trailing ampersand ends the text
      {"A&rB", u"A\rB"}, // carriage return
      {"A&nB", u"A\nB"}, // line feed
      {"A&vB", u"A\vB"}, // vertical tab
      {"&&n", u"&n"},    // an escaped ampersand does not start another escape
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sjis);
    EXPECT_EQ(drawW(c.same), draw(c.sjis));
  }
}

TEST_F(Glyph, ControlCodesMoveThePen) {
  Image a = draw("A");
  Image ab = draw("AB");
  // Line feed and vertical tab stack the second A one line (16 pixels) below or above.
  Image down = draw("A&nA");
  EXPECT_EQ(a.height + 16, down.height);
  Image up = draw("A&vA");
  EXPECT_EQ(a.height + 16, up.height);
  // Carriage return puts the pen back at the start: B lands on A.
  Image back = draw("AB&rB");
  EXPECT_EQ(ab.width, back.width);
  EXPECT_NE(ab.coverage, back.coverage);
  // Glyphs drawn over each other add their coverage, saturating at 255.
  Image twice = draw("A&rA");
  ASSERT_EQ(a.coverage.size(), twice.coverage.size());
  for (size_t i = 0; i < a.coverage.size(); ++i)
    ASSERT_EQ(std::min(255, a.coverage[i] == 255 ? 255 : 2 * a.coverage[i]), twice.coverage[i]);
}

TEST_F(Glyph, CharactersWithoutAGlyphAreSkippedWithoutAGap) {
  Image ab = drawW(u"AB");
  const char16_t* cases[] = {
      u"A\uE000B",       // private use: no glyph in the font
      u"A\U0001F600B",   // each surrogate unit is a code point of its own, with no glyph
      u"\uE000A\uE000B", // also at the start
  };
  for (const char16_t* text : cases)
    EXPECT_EQ(ab, drawW(text));
}

TEST_F(Glyph, HalfWidthCharactersAre8PixelsAndFullWidthOnes16) {
  EXPECT_EQ(8, draw("AAAA").width - draw("AAA").width);
  EXPECT_EQ(16, draw("\x83\x41\x83\x41").width - draw("\x83\x41").width); // アア, ア
  // The image is the ink box plus one pixel on each side: A is 8 x 12 pixels of ink.
  Image a = draw("A");
  EXPECT_EQ(10, a.width);
  EXPECT_EQ(14, a.height);
  EXPECT_EQ(std::vector<uint8_t>(10, 0),
            std::vector<uint8_t>(a.coverage.begin(), a.coverage.begin() + 10));
}

TEST_F(Glyph, SpacesGiveAnImageWithoutCoverage) {
  Image spaces = draw("   ");
  EXPECT_TRUE(glyphSlotValid(SLOT));
  EXPECT_EQ(2 * 8 + 2, spaces.width); // the box spans the pen positions of the spaces
  EXPECT_EQ(2, spaces.height);
  EXPECT_EQ(std::vector<uint8_t>(spaces.coverage.size(), 0), spaces.coverage);
}

TEST_F(Glyph, OnlyTheIndexRangeIsDrawn) {
  Image b = draw("B");
  EXPECT_EQ(b, draw("ABC", 1, 1, 1));
  EXPECT_EQ(draw("BC"), draw("ABC", 1, 1, -1));
  EXPECT_EQ(draw("AB"), draw("ABC", 1, 0, 1));
  EXPECT_EQ(b, draw("A&rB", 1, 2, 2)); // control codes count as positions
}

TEST_F(Glyph, FailuresLeaveTheSlotAsTheyFoundItOrInvalid) {
  Image a = draw("A");
  struct Case {
    const char* what;
    int slot;
    const char* text;
    int first, last, expected;
    bool keepsImage;
  } cases[] = {
      {"empty text", SLOT, "", 0, -1, GLYPH_DRAW_FAILED, true},
      {"last below first", SLOT, "ABC", 2, 1, GLYPH_DRAW_FAILED, true},
      {"slot 8", 8, "A", 0, -1, GLYPH_DRAW_BAD_SLOT, true},
      {"slot -1", -1, "A", 0, -1, GLYPH_DRAW_BAD_SLOT, true},
      {"range beyond the text", SLOT, "AB", 5, 9, GLYPH_DRAW_FAILED, false},
      {"only missing glyphs", SLOT, "&v&n", 0, -1, GLYPH_DRAW_FAILED, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    draw("A");
    EXPECT_EQ(c.expected, glyphDrawText(c.slot, c.text, 1, -1, c.first, c.last));
    if (c.keepsImage) {
      EXPECT_EQ(a, imageOf(SLOT));
    } else {
      EXPECT_EQ(0, glyphSlotValid(SLOT));
      EXPECT_EQ(nullptr, glyphSlotPlane(SLOT, GLYPH_PLANE_COVERAGE));
    }
  }
}

TEST_F(Glyph, MonoRenderingHasOnlyFullAndNoCoverage) {
  Image mono = draw("Kinetrace", 0);
  Image smooth = draw("Kinetrace", 1);
  auto count = [](const Image& image, auto pred) {
    return std::count_if(image.coverage.begin(), image.coverage.end(), pred);
  };
  EXPECT_EQ(0, count(mono, [](uint8_t v) { return v != 0 && v != 255; }));
  EXPECT_GT(count(mono, [](uint8_t v) { return v == 255; }), 0);
  EXPECT_GT(count(smooth, [](uint8_t v) { return v != 0 && v != 255; }), 0);
}

TEST_F(Glyph, TheColourPlanesHoldTheTextColourWhereTheGlyphTouches) {
  glyphSetTextColour(10, 20, 30);
  draw("A");
  const uint8_t* red = glyphSlotPlane(SLOT, GLYPH_PLANE_RED);
  const uint8_t* green = glyphSlotPlane(SLOT, GLYPH_PLANE_GREEN);
  const uint8_t* blue = glyphSlotPlane(SLOT, GLYPH_PLANE_BLUE);
  const uint8_t* coverage = glyphSlotPlane(SLOT, GLYPH_PLANE_COVERAGE);
  int touched = 0;
  for (int i = 0; i < glyphSlotWidth(SLOT) * glyphSlotHeight(SLOT); ++i) {
    bool ink = coverage[i] != 0;
    touched += ink;
    ASSERT_EQ(ink ? 10 : 0, red[i]) << i;
    ASSERT_EQ(ink ? 20 : 0, green[i]) << i;
    ASSERT_EQ(ink ? 30 : 0, blue[i]) << i;
  }
  EXPECT_GT(touched, 0);
}

TEST_F(Glyph, TextIsCutAt1023CodePoints) {
  std::string long1100(1100, 'A');
  std::string long1023(1023, 'A');
  EXPECT_EQ(draw(long1023.c_str()), draw(long1100.c_str()));
  EXPECT_EQ(1023 * 8 + 2, glyphSlotWidth(SLOT));
}

TEST_F(Glyph, PlanesAreFreedWhenASlotIsDrawnAgainAndAtRelease) {
  for (int i = 0; i < 300; ++i) {
    glyphDrawText(SLOT, i % 3 == 0 ? "Kinetrace" : "AB", i % 2, -1, 0, -1);
    glyphDrawText(OTHER_SLOT, "\x83\x41", 1, -1, 0, -1);
    glyphDrawText(OTHER_SLOT, "", 1, -1, 0, -1); // fails, keeps the image
  }
  EXPECT_EQ(2 * GLYPH_PLANE_COUNT, glyphLivePlaneCount());
  glyphDrawText(SLOT, "&n", 1, -1, 0, -1); // fails after freeing: slot invalid
  EXPECT_EQ(GLYPH_PLANE_COUNT, glyphLivePlaneCount());
  glyphRelease();
  EXPECT_EQ(0, glyphLivePlaneCount());
  EXPECT_EQ(0, glyphSlotValid(OTHER_SLOT));
}

TEST(GlyphKerning, AFollowedByVIsNarrowerWithAFontThatHasKerning) {
  if (!fileExists(kerningFontPath()))
    GTEST_SKIP() << "no kerning font at " << kerningFontPath()
                 << " (install fonts-dejavu-core or set KINETRACE_KERNING_FONT)";
  ASSERT_EQ(GLYPH_LOAD_OK, glyphLoadFont(ansiPath(kerningFontPath()).c_str(), 0, 16));
  ASSERT_TRUE(gGlyph.hasKerning) << "the kerning test font has no kerning table";
  ASSERT_EQ(GLYPH_DRAW_OK, glyphDrawText(SLOT, "AV", 1, -1, 0, -1));
  int kerned = glyphSlotWidth(SLOT);
  gGlyph.hasKerning = 0;
  ASSERT_EQ(GLYPH_DRAW_OK, glyphDrawText(SLOT, "AV", 1, -1, 0, -1));
  int plain = glyphSlotWidth(SLOT);
  EXPECT_LT(kerned, plain);
  // A carriage return forgets the previous glyph: no kerning across it.
  gGlyph.hasKerning = 1;
  ASSERT_EQ(GLYPH_DRAW_OK, glyphDrawText(SLOT, "A&rV", 1, -1, 0, -1));
  Image acrossReturn = imageOf(SLOT);
  gGlyph.hasKerning = 0;
  ASSERT_EQ(GLYPH_DRAW_OK, glyphDrawText(SLOT, "A&rV", 1, -1, 0, -1));
  EXPECT_EQ(imageOf(SLOT), acrossReturn);
  glyphRelease();
}

TEST(GlyphKerning, TheReportFontHasNoKerningTable) {
  if (!fileExists(reportFontPath()))
    GTEST_SKIP() << "no report font at " << reportFontPath();
  ASSERT_EQ(GLYPH_LOAD_OK, glyphLoadFont(ansiPath(reportFontPath()).c_str(), 0, 16));
  EXPECT_FALSE(gGlyph.hasKerning);
  glyphRelease();
}

} // namespace
