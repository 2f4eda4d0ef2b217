// The bone and morph listing read from the outside: statistics set by hand, the report rows
// it writes (text, widths, padding, packing, separators, empty rows) and their colours.
#include "analysis/listing.h"

#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis_fixture.h"
#include "text/strings.h"

using namespace analysis_testing;

namespace {

const float kAbove001 = std::nextafter(0.01f, 1.0f);
const float kSin75 = static_cast<float>(std::sin(75.0 * M_PI / 180.0));
const float kSin5 = static_cast<float>(std::sin(5.0 * M_PI / 180.0));
// ∩ as motions store it (JIS row 2, 81 BF); the look-alike rule compares these bytes.
const std::string kIntersection = "\x81\xBF";

class Listing : public ::testing::Test {
protected:
  void SetUp() override { resetAll(); }

  static void runListing(int aliasInUse = 0) {
    reportClear();
    computeNameWidths(aliasInUse);
    writeBoneListing(aliasInUse);
    writeMorphListing(aliasInUse);
  }

  // Rows from the bone header up to (not including) the morph header.
  static std::vector<std::string> boneRows(const char* morphHeader = "使用モーフ(表情): ") {
    std::vector<std::string> rows = reportRows();
    std::vector<std::string> out;
    for (size_t i = 1; i < rows.size() && rows[i] != morphHeader; ++i)
      out.push_back(rows[i]);
    return out;
  }
  // Rows from the morph header to the end.
  static std::vector<std::string> morphRows(const char* morphHeader = "使用モーフ(表情): ") {
    std::vector<std::string> rows = reportRows();
    size_t i = 0;
    while (i < rows.size() && rows[i] != morphHeader)
      ++i;
    return std::vector<std::string>(rows.begin() + static_cast<long>(i), rows.end());
  }
};

using Rows = std::vector<std::string>;

// The padding blanks after a name, written out so that the rows read like the rule.
std::string pad(int blanks) {
  return std::string(static_cast<size_t>(blanks), ' ');
}

} // namespace

// ---- Bones ----

TEST_F(Listing, DetailedBoneLines) {
  keyBone("センター", 1.5f, 0.0f);
  BoneStats& arm = keyBone("左腕", 0.0f, kSin75);
  arm.keyCount = 2;
  arm.lastFrame = 20;
  arm.twistPlusMax = kSin75;
  arm.twistPlusFrame = 20;
  arm.twistMinusMax = 0.5f;
  arm.twistMinusFrame = 5;
  BoneStats& twist = keyBone("左腕捩", 0.0f, 0.5f);
  twist.firstFrame = twist.lastFrame = 10;
  twist.twistPlusMax = 0.5f;
  twist.twistPlusFrame = 10;
  keyBone("下半身", 0.2f, kSin5);
  runListing();

  ASSERT_GE(gReport.lineCount, 1);
  EXPECT_EQ(reportRows()[0], "");
  EXPECT_EQ(boneRows(),
            (Rows{
                "使用ボーン: ",
                "  センター" + pad(0) + "  (1 keys) (frame 0 - 0) (|pos|=1.5) ",
                "  左腕" + pad(4) + "  (2 keys) (frame 0 - 20) (rot 150.0) (tws 150.0 (at 20)) ",
                "  左腕捩" + pad(2) + "  (1 keys) (frame 10 - 10) (tws  60.0 (at 10)) ",
                "  下半身" + pad(2) + "  (1 keys) (frame 0 - 0) (|pos|=0.2) (rot  10.0) ",
                "",
                "",
            }));
  EXPECT_EQ(gListingWidths.boneNameWidth, 8);
  EXPECT_EQ(gReport.colour[0], WHITE);
  EXPECT_EQ(gReport.colour[1], WHITE);
  EXPECT_EQ(gReport.colour[2], WHITE);
  EXPECT_EQ(gReport.colour[4], RED) << "左腕捩";
}

TEST_F(Listing, TwistPieceShowsTheLargerDirection) {
  // Two sines whose degrees differ in double but not once rounded to single precision.
  const float tieLow = floatOfBits(0x3c257a79);
  const float tieHigh = floatOfBits(0x3c257a7a);
  ASSERT_LT(rotationDegrees(tieLow), rotationDegrees(tieHigh));
  ASSERT_EQ(twistDegrees(tieLow), twistDegrees(tieHigh));
  struct Case {
    float plus;
    float minus;
    const char* piece;
    const char* what;
  } cases[] = {
      {0.5f, 0.0f, "(tws  60.0 (at 10)) ", "plus only"},
      {0.5f, 0.5f, "(tws  60.0 (at 20)) ", "a tie shows the minus frame"},
      {tieHigh, tieLow, "(tws   1.2 (at 20)) ", "equal once rounded: a tie"},
      {0.3f, 0.5f, "(tws  60.0 (at 20)) ", "minus larger"},
      {0.5f, 0.3f, "(tws  60.0 (at 10)) ", "plus larger"},
      {0.01f, 0.01f, "", "nothing above 0.01"},
      {kAbove001, 0.0f, "(tws   1.1 (at 10)) ", "just above 0.01"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    resetAll();
    BoneStats& b = keyBone("左腕捩", 0.0f, 0.5f);
    b.twistPlusMax = c.plus;
    b.twistPlusFrame = 10;
    b.twistMinusMax = c.minus;
    b.twistMinusFrame = 20;
    runListing();
    ASSERT_GE(boneRows().size(), 2u);
    EXPECT_EQ(boneRows()[1], std::string("  左腕捩  (1 keys) (frame 0 - 0) ") + c.piece);
  }
}

TEST_F(Listing, PositionAndRotationPieces) {
  struct Case {
    const char* name;
    float translation;
    float rotation;
    const char* pieces;
  } cases[] = {
      {"センター", 0.01f, 0.0f, ""},
      {"センター", kAbove001, 0.0f, "(|pos|=0.01) "},
      {"センター", 0.123456789f, 0.0f, "(|pos|=0.123457) "},
      {"センター", 1234567.0f, 0.0f, "(|pos|=1.23457e+06) "},
      {"センター", 0.0f, 0.01f, ""},
      {"センター", 0.0f, kAbove001, "(rot   1.1) "},
      {"センター", 0.0f, 1.0f, "(rot 180.0) "},
      {"センター", 2.0f, 0.5f, "(|pos|=2) (rot  60.0) "},
      {"左腕", 0.0f, 0.5f, "(rot  60.0) "},
      {"右手捩", 0.0f, 0.5f, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.name << " " << c.translation << " / " << c.rotation);
    resetAll();
    keyBone(c.name, c.translation, c.rotation);
    runListing();
    ASSERT_GE(boneRows().size(), 2u);
    EXPECT_EQ(boneRows()[1], std::string("  ") + c.name + "  (1 keys) (frame 0 - 0) " + c.pieces);
  }
}

TEST_F(Listing, FingerBonesOnlyWhenTheyMove) {
  struct Case {
    float translation;
    bool moved;
    bool listed;
  } cases[] = {
      {0.0f, true, false},
      {0.06f, true, true},
      {std::nextafter(0.05f, 0.0f), true, false},
      {std::nextafter(0.05f, 1.0f), true, true},
      {0.06f, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.translation << (c.moved ? "" : " not moved"));
    resetAll();
    keyBone("左腕", 0.0f, 0.5f);
    keyBone("左人指１", c.translation, 0.5f).moved = c.moved ? 0xFF : 0;
    runListing();
    Rows expected = {"使用ボーン: ", "  左腕  (1 keys) (frame 0 - 0) (rot  60.0) "};
    if (c.listed) {
      // Finger names do not widen the name column.
      char line[128];
      formatString(line, sizeof line, "  左人指１  (1 keys) (frame 0 - 0) (|pos|=%g) (rot  60.0) ",
                   static_cast<double>(c.translation));
      expected.push_back(line);
    }
    expected.push_back("");
    expected.push_back("");
    EXPECT_EQ(boneRows(), expected);
    EXPECT_EQ(gListingWidths.boneNameWidth, 4);
  }
}

TEST_F(Listing, IgnoredBonesAreNeverListed) {
  keyBone("髪1", 0.5f, 0.5f);
  keyBone("左目先", 0.5f, 0.5f);
  keyBone("左腕捩1", 0.5f, 0.5f);
  runListing();
  EXPECT_EQ(boneRows(), (Rows{"使用ボーン: ", ""}));
  EXPECT_EQ(gListingWidths.boneNameWidth, 0);
}

TEST_F(Listing, SeparatorsAndEmptyRows) {
  const std::string center = "  センター" + pad(0) + "  (1 keys) (frame 0 - 0) (|pos|=1) ";
  struct Case {
    const char* what;
    std::function<void()> keys;
    Rows rows;
  } cases[] = {
      {"main and other bones",
       [] {
         keyBone("センター", 1.0f, 0.0f);
         keyBone("ポニテ", 0.0f, 0.2f);
         keyBone("リボン", 0.3f, 0.0f);
       },
       {"使用ボーン: ", center, "     ", "  ポニテ  リボン", "", ""}},
      {"other bones only",
       [] { keyBone("ポニテ", 0.0f, 0.2f); },
       {"使用ボーン: ", "  ポニテ", "", ""}},
      {"main bones and an other bone that hardly moves",
       [] {
         keyBone("センター", 1.0f, 0.0f);
         keyBone("ポニテ", 0.0f, 0.01f);
       },
       {"使用ボーン: ", center, "     ", ""}},
      {"nothing keyed", [] {}, {"使用ボーン: ", ""}},
      {"main bones only",
       [] { keyBone("センター", 1.0f, 0.0f); },
       {"使用ボーン: ", center, "", ""}},
      {"main and finger bones: no separator",
       [] {
         keyBone("センター", 1.0f, 0.0f);
         keyBone("左人指１", 0.1f, 0.0f);
       },
       {"使用ボーン: ", center, "  左人指１  (1 keys) (frame 0 - 0) (|pos|=0.1) ", "", ""}},
      {"finger and other bones",
       [] {
         keyBone("左人指１", 0.1f, 0.0f);
         keyBone("ポニテ", 0.0f, 0.2f);
       },
       {"使用ボーン: ", "  左人指１  (1 keys) (frame 0 - 0) (|pos|=0.1) ", "     ", "  ポニテ", "",
        ""}},
      {"the thumb name with a trailing blank is quoted",
       [] { keyBone("左親指０ ", 0.0f, 0.2f); },
       {"使用ボーン: ", "  \"左親指０ \"", "", ""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    resetAll();
    c.keys();
    runListing();
    EXPECT_EQ(boneRows(), c.rows);
  }
}

TEST_F(Listing, OtherBonesArePackedUnder80Columns) {
  auto name = [](char letter, size_t length) { return "X" + std::string(length - 1, letter); };
  struct Case {
    std::vector<std::string> names; // Shift-JIS
    size_t rowsExpected;
    const char* what;
  } cases[] = {
      {{name('A', 15), name('B', 15), name('C', 15), name('D', 9), name('E', 15)},
       1,
       "15 + 62 + 2 = 79 joins the open line"},
      {{name('A', 15), name('B', 15), name('C', 15), name('D', 10), name('E', 15)},
       2,
       "15 + 63 + 2 = 80 starts a new line"},
      {{name('A', 15), name('B', 15), name('C', 15), sjis("左親指０ "), name('E', 15)},
       2,
       "the quoted name's quotes are in the open line"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    resetAll();
    for (const std::string& n : c.names) {
      BoneStats& b = gMotion.bones[nameListFindOrAddLiteral(LIST_BONE, n.c_str())];
      b = {1, 0, 0, 0xFF, 0.0f, 0.2f, 0.0f, -1, 0.0f, -1};
    }
    runListing();
    // Rebuild the expected rows by the rule: a name whose length plus the open line plus 2
    // reaches 80 starts a new line.
    Rows expected = {"使用ボーン: "};
    std::string open;
    for (const std::string& n : c.names) {
      if (n.size() + open.size() + 2 >= 80) {
        expected.push_back(utf8Of(open.c_str()));
        open.clear();
      }
      open += n == sjis("左親指０ ") ? "  \"" + n + "\"" : "  " + n;
    }
    expected.push_back(utf8Of(open.c_str()));
    ASSERT_EQ(expected.size() - 1, c.rowsExpected);
    expected.push_back("");
    expected.push_back("");
    EXPECT_EQ(boneRows(), expected);
  }
}

TEST_F(Listing, ColoursOfDetailedLines) {
  struct Case {
    const char* name;
    int32_t Evaluation::*field;
    int32_t value;
    int32_t Evaluation::*field2;
    int32_t value2;
    uint32_t colour;
  } cases[] = {
      {"左腕捩", nullptr, 0, nullptr, 0, RED},
      {"右手捩", nullptr, 0, nullptr, 0, RED},
      {"上半身２", &Evaluation::upperBody2Flag, -1, nullptr, 0, RED},
      {"上半身２", &Evaluation::upperBody2Flag, 1, nullptr, 0, WHITE},
      {"上半身２", nullptr, 0, nullptr, 0, WHITE},
      {"上半身2", &Evaluation::upperBody2Flag, -1, nullptr, 0, WHITE},
      {"左足ＩＫ親", nullptr, 0, nullptr, 0, RED},
      {"右足ＩＫ親", nullptr, 0, nullptr, 0, RED},
      {"左足先EX", nullptr, 0, nullptr, 0, WHITE},
      {"右足先EX", nullptr, 0, nullptr, 0, WHITE},
      {"左足_+", nullptr, 0, nullptr, 0, RED},
      {"左腕_+", nullptr, 0, nullptr, 0, RED},
      {"右足_+", nullptr, 0, nullptr, 0, RED},
      {"右腕_+", nullptr, 0, nullptr, 0, RED},
      {"左足D", nullptr, 0, nullptr, 0, ORANGE_RED},
      {"左ひざD", nullptr, 0, nullptr, 0, ORANGE_RED},
      {"左足首D", nullptr, 0, nullptr, 0, ORANGE_RED},
      {"右足D", nullptr, 0, nullptr, 0, ORANGE_RED},
      {"右ひざD", nullptr, 0, nullptr, 0, ORANGE_RED},
      {"右足首D", nullptr, 0, nullptr, 0, ORANGE_RED},
      {"上半身3", nullptr, 0, nullptr, 0, ORANGE},
      {"左足IK親", &Evaluation::legIkParentRotFlags, 0x10, nullptr, 0, YELLOW},
      {"左足IK親", &Evaluation::legIkParentRotFlags, 0x14, nullptr, 0, YELLOW},
      {"左足IK親", &Evaluation::legIkParentRotFlags, 0x04, nullptr, 0, PALE_YELLOW},
      {"左足IK親", &Evaluation::legIkParentRotFlags, 0x01, nullptr, 0, PALE_YELLOW},
      {"左足IK親", &Evaluation::legIkParentRotFlags, 0x2A, nullptr, 0, WHITE},
      {"左足IK親", nullptr, 0, nullptr, 0, WHITE},
      {"右足IK親", &Evaluation::legIkParentRotFlags, 0x20, nullptr, 0, YELLOW},
      {"右足IK親", &Evaluation::legIkParentRotFlags, 0x08, nullptr, 0, PALE_YELLOW},
      {"右足IK親", &Evaluation::legIkParentRotFlags, 0x02, nullptr, 0, PALE_YELLOW},
      {"右足IK親", &Evaluation::legIkParentRotFlags, 0x15, nullptr, 0, WHITE},
      {"左肩P", nullptr, 0, nullptr, 0, ORANGE},
      {"右肩P", nullptr, 0, nullptr, 0, ORANGE},
      {"下半身", &Evaluation::lowerBodyRating, -1, nullptr, 0, YELLOW},
      {"下半身", &Evaluation::lowerBodyRating, 3, nullptr, 0, PALE_YELLOW},
      {"下半身", &Evaluation::lowerBodyRating, 1, nullptr, 0, WHITE},
      {"下半身", nullptr, 0, nullptr, 0, WHITE},
      {"腰", nullptr, 0, nullptr, 0, YELLOW},
      {"左腕", &Evaluation::armTwistStrongFlags, 0x01, nullptr, 0, YELLOW},
      {"左腕", &Evaluation::armTwistStrongFlags, 0x01, &Evaluation::armTwistMildFlags, 0x01,
       YELLOW},
      {"左腕", &Evaluation::armTwistMildFlags, 0x01, nullptr, 0, PALE_YELLOW},
      {"左腕", &Evaluation::armTwistStrongFlags, 0x0E, &Evaluation::armTwistMildFlags, 0x0E, WHITE},
      {"左ひじ", &Evaluation::armTwistStrongFlags, 0x02, nullptr, 0, YELLOW},
      {"左ひじ", &Evaluation::armTwistMildFlags, 0x02, nullptr, 0, PALE_YELLOW},
      {"左ひじ", &Evaluation::armTwistStrongFlags, 0x0D, nullptr, 0, WHITE},
      {"右腕", &Evaluation::armTwistStrongFlags, 0x04, nullptr, 0, YELLOW},
      {"右腕", &Evaluation::armTwistMildFlags, 0x04, nullptr, 0, PALE_YELLOW},
      {"右ひじ", &Evaluation::armTwistStrongFlags, 0x08, nullptr, 0, YELLOW},
      {"右ひじ", &Evaluation::armTwistMildFlags, 0x08, nullptr, 0, PALE_YELLOW},
      {"右ひじ", &Evaluation::armTwistMildFlags, 0x07, nullptr, 0, WHITE},
      {"左腕ＩＫ", nullptr, 0, nullptr, 0, ORANGE_RED},
      {"右腕ＩＫ", nullptr, 0, nullptr, 0, ORANGE_RED},
      {"センター", &Evaluation::waistUsed, -1, nullptr, 0, WHITE},
      {"左人指１", nullptr, 0, nullptr, 0, WHITE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.name << " with " << c.value << "/" << c.value2);
    resetAll();
    keyBone(c.name, 0.1f, 0.2f);
    if (c.field != nullptr)
      gEval.*c.field = c.value;
    if (c.field2 != nullptr)
      gEval.*c.field2 = c.value2;
    runListing();
    ASSERT_GE(gReport.lineCount, 3);
    ASSERT_EQ(reportRows()[2].rfind(std::string("  ") + c.name, 0), 0u) << reportRows()[2];
    EXPECT_EQ(gReport.colour[2], c.colour);
  }
}

TEST_F(Listing, PackedNamesAreWhite) {
  keyBone("左腕捩", 0.0f, 0.5f).twistPlusMax = 0.5f;
  keyBone("ポニテ", 0.0f, 0.2f);
  runListing();
  const Rows rows = reportRows();
  ASSERT_GE(rows.size(), 5u);
  EXPECT_EQ(rows[4], "  ポニテ");
  EXPECT_EQ(gReport.colour[2], RED);
  EXPECT_EQ(gReport.colour[4], WHITE);
}

// ---- Morphs ----

TEST_F(Listing, MorphLines) {
  keyMorph("あ", 2, 0, 10, 0.0f, 1.0f);
  keyMorph("∧", 1, 3, 3, 0.5f, 0.5f);
  keyMorph("ω", 1, 4, 4, 0.5f, 0.5f);
  keyMorph("まばたき", 1, 5, 5, 0.0f, 1.0f);
  keyMorph("え", 3, 0, 9, 0.0f, 0.0f);
  keyMorph("クリ勃起", 1, 0, 0, 0.5f, 1.0f);
  keyMorphSjis(kIntersection, 1, 6, 6, 0.5f, 0.5f);
  keyMorph("テスト", 1, 7, 7, -0.5f, -0.25f);
  runListing();
  EXPECT_EQ(gListingWidths.morphNameWidth, 8);
  // The look-alike pieces carry a blank of their own before the padding of their name.
  EXPECT_EQ(morphRows(), (Rows{
                             "使用モーフ(表情): ",
                             "  あ" + pad(6) + "  (2 keys) (frame 0 - 10) (val 0 - 1) \n",
                             "  Λ " + pad(6) + "  (1 keys) (frame 3 - 3) (val 0.5 - 0.5) \n",
                             "  ω " + pad(6) + "  (1 keys) (frame 4 - 4) (val 0.5 - 0.5) \n",
                             "  まばたき" + pad(0) + "  (1 keys) (frame 5 - 5) (val 0 - 1) \n",
                             "     ",
                             "  Π " + pad(6) + "  (1 keys) (frame 6 - 6) (val 0.5 - 0.5) \n",
                             "  テスト" + pad(2) + "  (1 keys) (frame 7 - 7) (val -0.5 - -0.25) \n",
                             "",
                             "",
                             "",
                         }));
  // The look-alike characters as bytes: Π is 83 AE, Λ 83 A9, ω 83 D6.
  const int first = gReport.lineCount - static_cast<int>(morphRows().size());
  EXPECT_EQ(std::string(gReport.text[first + 2]).substr(0, 5), "  \x83\xA9 ");
  EXPECT_EQ(std::string(gReport.text[first + 3]).substr(0, 5), "  \x83\xD6 ");
  EXPECT_EQ(std::string(gReport.text[first + 6]).substr(0, 5), "  \x83\xAE ");
  for (int i = first; i < gReport.lineCount; ++i)
    EXPECT_EQ(gReport.colour[i], WHITE) << "row " << i;
}

TEST_F(Listing, WhichMorphsAreListed) {
  struct Case {
    float minWeight;
    float maxWeight;
    int32_t keys;
    bool listed;
  } cases[] = {
      {0.0f, 0.0f, 2, false}, {-0.5f, -0.25f, 1, true}, {0.0f, 0.1f, 1, true},
      {-0.1f, 0.0f, 1, true}, {0.5f, 0.5f, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.minWeight << " - " << c.maxWeight);
    resetAll();
    keyMorph("恐ろしい子！", c.keys, 1, 1, c.minWeight, c.maxWeight);
    keyMorph("あ", 1, 0, 0, 0.0f, 1.0f);
    runListing();
    const Rows rows = morphRows();
    ASSERT_GE(rows.size(), 2u);
    // A morph that is not listed does not widen the name column either.
    EXPECT_EQ(gListingWidths.morphNameWidth, c.listed ? 12 : 2);
    EXPECT_EQ(rows.size(), c.listed ? 6u : 5u);
  }
}

TEST_F(Listing, OtherMorphsStartAfterASeparator) {
  struct Case {
    const char* what;
    std::function<void()> keys;
    Rows rows;
  } cases[] = {
      {"nothing keyed", [] {}, {"使用モーフ(表情): ", "", "", ""}},
      {"an expression only",
       [] { keyMorph("あ", 1, 0, 0, 0.0f, 1.0f); },
       {"使用モーフ(表情): ", "  あ  (1 keys) (frame 0 - 0) (val 0 - 1) \n", "", "", ""}},
      {"another morph keyed only at 0: the separator still comes",
       [] { keyMorph("テスト", 1, 0, 0, 0.0f, 0.0f); },
       {"使用モーフ(表情): ", "     ", "", "", ""}},
      {"another morph only, wider than the column",
       [] { keyMorph("テスト", 1, 0, 0, 0.0f, 0.5f); },
       {"使用モーフ(表情): ", "     ", "  テスト  (1 keys) (frame 0 - 0) (val 0 - 0.5) \n", "", "",
        ""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    resetAll();
    c.keys();
    runListing();
    EXPECT_EQ(morphRows(), c.rows);
  }
}

// ---- Aliases ----

TEST_F(Listing, AliasedNamesWithStoredNameColours) {
  addAlias(false, "左腕", "LeftUpperArmX", ALIAS_MODE_WHOLE);
  addAlias(false, "センター", "Center", ALIAS_MODE_WHOLE);
  addAlias(false, "ポニテ", "Pony", ALIAS_MODE_PART);
  addAlias(true, "まばたき", "Blink", ALIAS_MODE_WHOLE);
  addAliasSjis(true, kIntersection, "Cap", ALIAS_MODE_PART);
  keyBone("センター", 1.0f, 0.0f);
  keyBone("左腕", 0.0f, 0.5f);
  keyBone("ポニテ", 0.0f, 0.2f);
  keyMorph("まばたき", 1, 0, 0, 0.0f, 1.0f);
  keyMorphSjis(kIntersection, 1, 0, 0, 0.0f, 0.5f);
  gEval.armTwistStrongFlags = 0x01;
  runListing(0xFF);
  EXPECT_EQ(gListingWidths.boneNameWidth, 13);
  EXPECT_EQ(gListingWidths.morphNameWidth, 5);
  EXPECT_EQ(reportRows(), (Rows{
                              "",
                              "Bones: ",
                              "  Center" + pad(7) + "  (1 keys) (frame 0 - 0) (|pos|=1) ",
                              "  LeftUpperArmX  (1 keys) (frame 0 - 0) (rot  60.0) ",
                              "     ",
                              "  Pony",
                              "",
                              "",
                              "Morphing (Expression): ",
                              "  Blink  (1 keys) (frame 0 - 0) (val 0 - 1) \n",
                              "     ",
                              "  Π " + pad(2) + "  (1 keys) (frame 0 - 0) (val 0 - 0.5) \n",
                              "",
                              "",
                              "",
                          }));
  EXPECT_EQ(gReport.colour[3], YELLOW) << "the colour follows the stored name 左腕";
}

TEST_F(Listing, PackingCountsTheStoredNameNotTheShownOne) {
  // Stored names of 3 bytes shown as 15: pieces of 17 bytes, and the 80-column rule adds
  // the stored length to the open line.
  addAlias(false, "X", "ABCDEFGHIJKLM", ALIAS_MODE_PART);
  const char* names[] = {"XAA", "XBB", "XCC", "XDD", "XEE", "XFF"};
  for (const char* name : names)
    keyBone(name, 0.0f, 0.2f);
  runListing(0xFF);
  std::string joined;
  for (int i = 0; i < 5; ++i)
    joined += std::string("  ABCDEFGHIJKLM") + names[i][1] + names[i][2];
  // 3 + 68 + 2 = 73 lets the fifth name join; 3 + 85 + 2 = 90 puts the sixth on a new line.
  EXPECT_EQ(boneRows("Morphing (Expression): "),
            (Rows{"Bones: ", joined, "  ABCDEFGHIJKLMFF", "", ""}));
}

// ---- Limits of the line store ----

TEST_F(Listing, OverlongAndSurplusLinesStayInTheStore) {
  // Every byte of a name shown as 15 bytes: a detailed line far longer than a row.
  addAlias(false, "?", "Aあいうえおかき", ALIAS_MODE_PART);
  keyBone("センター", 1.5f, 0.0f);
  for (int i = 0; i < 600; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "M%04d", i);
    MorphStats& s = gMotion.morphs[nameListFindOrAddLiteral(LIST_MORPH, name)];
    s = {1, i, i, 0.0f, 1.0f};
  }
  runListing(0xFF);
  EXPECT_EQ(gReport.lineCount, REPORT_LINE_CAPACITY);
  const char* row = gReport.text[2];
  const size_t length = strnlen(row, REPORT_LINE_SIZE);
  ASSERT_LT(length, static_cast<size_t>(REPORT_LINE_SIZE));
  EXPECT_GE(length, 120u);
  EXPECT_EQ(gReport.length[2], length);
  EXPECT_EQ(sjisFitLength(row, length), length) << "cut on a character boundary";
  EXPECT_EQ(std::string(row).substr(0, 3), "  A");
  EXPECT_EQ(reportRows()[1], "Bones: ");
  for (int i = 0; i < REPORT_LINE_CAPACITY; ++i) {
    if (strnlen(gReport.text[i], REPORT_LINE_SIZE) >= static_cast<size_t>(REPORT_LINE_SIZE) ||
        gReport.length[i] >= REPORT_LINE_SIZE) {
      ADD_FAILURE() << "row " << i << " overruns";
      break;
    }
  }
  EXPECT_LT(gReport.maxLineLength, REPORT_LINE_SIZE);
}
