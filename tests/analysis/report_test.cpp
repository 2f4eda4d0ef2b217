// The report line store, the header lines and the result text store, read from the outside.
#include "analysis/report.h"

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis_fixture.h"
#include "text/strings.h"

using namespace analysis_testing;

namespace {

class Report : public ::testing::Test {
protected:
  void SetUp() override { resetAll(); }
};

const char* const kTarget = "想定使用先: VRMモデル (Lumivane 3.10-3.11) ";

} // namespace

TEST_F(Report, LinesKeepLengthAndColour) {
  reportClear();
  reportAppend("abc");
  reportAppend(sjis("あい").c_str());
  EXPECT_EQ(gReport.openLength, 7);
  reportFinishLine();
  reportSetColour(255, 80, 0);
  reportFinishLine();
  reportAppend("x");
  reportFinishLine();
  reportSetColour(1, 2, 3);
  reportAppend("0123456789");
  reportFinishLine();
  reportAppend("open");

  EXPECT_EQ(gReport.lineCount, 4);
  EXPECT_EQ(gReport.openLength, 4);
  EXPECT_EQ(gReport.maxLineLength, 10);
  const uint16_t lengths[] = {7, 0, 1, 10};
  const uint32_t colours[] = {WHITE, ORANGE_RED, ORANGE_RED, rgb(1, 2, 3)};
  const std::vector<std::string> texts = {"abcあい", "", "x", "0123456789"};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(gReport.length[i], lengths[i]);
    EXPECT_EQ(gReport.colour[i], colours[i]) << "R + G x 256 + B x 65536";
    EXPECT_EQ(utf8Of(gReport.text[i]), texts[i]);
  }

  reportClear();
  EXPECT_EQ(gReport.lineCount, 0);
  EXPECT_EQ(gReport.maxLineLength, 0);
  EXPECT_EQ(gReport.openLength, 0);
  for (int i = 0; i < REPORT_LINE_CAPACITY; ++i) {
    if (gReport.text[i][0] != '\0' || gReport.length[i] != 0) {
      ADD_FAILURE() << "row " << i << " not emptied";
      break;
    }
  }
  reportFinishLine();
  EXPECT_EQ(gReport.colour[0], WHITE) << "white after a clear";
}

TEST_F(Report, OverlongLinesAreCutAt127BytesOnACharacterBoundary) {
  struct Case {
    std::vector<std::string> pieces; // Shift-JIS
    const char* what;
  } cases[] = {
      {{std::string(127, 'a')}, "exactly 127 bytes"},
      {{std::string(200, 'a')}, "200 bytes"},
      {{std::string(126, 'a') + sjis("あ")}, "a double-byte character across the end"},
      {{std::string(125, 'a') + sjis("あ")}, "a double-byte character ending at 127"},
      {{std::string(120, 'a'), std::string(10, 'b')}, "two pieces"},
      {{std::string(126, 'a'), sjis("あ"), "b"}, "a piece after the cut"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    reportClear();
    std::string whole;
    for (const std::string& piece : c.pieces) {
      reportAppend(piece.c_str());
      whole += piece;
    }
    reportFinishLine();
    reportAppend("next");
    reportFinishLine();
    const size_t expected = sjisFitLength(whole.c_str(), REPORT_LINE_SIZE - 1);
    EXPECT_EQ(std::string(gReport.text[0]), whole.substr(0, expected))
        << "the row holds the line cut back to a character boundary";
    EXPECT_EQ(gReport.length[0], expected);
    EXPECT_EQ(gReport.maxLineLength, static_cast<int32_t>(expected));
    EXPECT_STREQ(gReport.text[1], "next");
  }
}

TEST_F(Report, LinesPast512AreDropped) {
  reportClear();
  char text[16];
  for (int i = 0; i < 600; ++i) {
    std::snprintf(text, sizeof text, "L%d", i);
    reportSetColour(i & 0xFF, 0, 0);
    reportAppend(text);
    reportFinishLine();
  }
  EXPECT_EQ(gReport.lineCount, REPORT_LINE_CAPACITY);
  EXPECT_STREQ(gReport.text[0], "L0");
  EXPECT_STREQ(gReport.text[511], "L511");
  EXPECT_EQ(gReport.length[511], 4);
  EXPECT_EQ(gReport.colour[511], rgb(511 & 0xFF, 0, 0));
  EXPECT_EQ(gReport.length[0], 2);
  EXPECT_EQ(gReport.maxLineLength, 4);
  reportAppend("more");
  reportFinishLine();
  EXPECT_EQ(gReport.lineCount, REPORT_LINE_CAPACITY);
  EXPECT_STREQ(gReport.text[511], "L511");
}

TEST_F(Report, HeaderLines) {
  const std::string source = "元モデル名: ミク ";
  struct Case {
    const char* actualName; // UTF-8, converted to Shift-JIS
    const char16_t* actualNameW;
    const char* model;
    int alias;
    std::vector<std::string> rows;
    const char* what;
  } cases[] = {
      {"dance.vmd", u"dance.vmd", "ミク", 0, {"", "dance.vmd", "", source, kTarget}, "all parts"},
      {"dance.vmd", u"dance.vmd", "", 0, {"", "dance.vmd", "", kTarget}, "no model name"},
      {"", u"ダンス.vmd", "", 0, {"", "ダンス.vmd", "", kTarget}, "only the UTF-16 name"},
      {"ダンス.vmd", u"other.vmd", "", 0, {"", "ダンス.vmd", "", kTarget}, "the ANSI name first"},
      {"", u"", "", 0, {"", "", kTarget}, "no name at all"},
      {"dance.vmd",
       u"",
       "ミク",
       0xFF,
       {"", "dance.vmd", "", "Source model: ミク ",
        "Target model: VRM model (Lumivane 3.10-3.11) "},
       "English labels with an alias file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    resetStatistics();
    copyString(gMotion.modelName, sizeof gMotion.modelName, sjis(c.model).c_str());
    writeReportHeader(sjis(c.actualName).c_str(), c.actualNameW, c.alias);
    EXPECT_EQ(reportRows(), c.rows);
    for (int i = 0; i < gReport.lineCount; ++i)
      EXPECT_EQ(gReport.colour[i], WHITE) << "row " << i;
  }
}

TEST_F(Report, HeaderStartsAFreshStore) {
  reportSetColour(255, 0, 0);
  for (int i = 0; i < 20; ++i)
    reportFinishLine();
  reportAppend("left open");
  writeReportHeader("a.vmd", u"a.vmd", 0);
  EXPECT_EQ(gReport.lineCount, 4);
  EXPECT_EQ(gReport.openLength, 0);
  EXPECT_EQ(gReport.colour[0], WHITE);
  EXPECT_STREQ(gReport.text[1], "a.vmd");
}

TEST_F(Report, ResultTextInBothForms) {
  resultClear();
  resultAppend(sjis("(OK): ").c_str());
  resultAppend(sjis("そのままで使用可能です. \r\n").c_str());
  EXPECT_EQ(std::string(gResult.text), sjis("(OK): そのままで使用可能です. \r\n"));
  EXPECT_EQ(std::u16string(gResult.textW), u"(OK): そのままで使用可能です. \r\n");
  resultClear();
  EXPECT_STREQ(gResult.text, "");
  EXPECT_EQ(gResult.textW[0], 0);
}
