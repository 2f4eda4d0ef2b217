// The alias file read from the outside: rule files written in UTF-8 and in Shift-JIS, then
// the display forms of names under the rules they hold.
#include "names/alias.h"

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/vmd_builder.h"
#include "names/namelist.h"
#include "text/encoding.h"

using test_text::utf8Of;
using testing_vmd::ansiPathOf;
using testing_vmd::sjis;
using testing_vmd::TempDir;

namespace {

enum Encoding { UTF8, SHIFT_JIS };

struct RuleCase {
  const char* file; // UTF-8 text of alias.ini
  const char* name;
  const char* shown;
  bool morph;
};

class Alias : public ::testing::Test {
protected:
  void SetUp() override { nameListResetAll(); }

  // Each case is read from a UTF-8 file and from the same text in Shift-JIS.
  void checkCases(const std::vector<RuleCase>& cases) {
    for (Encoding encoding : {UTF8, SHIFT_JIS}) {
      for (const RuleCase& c : cases) {
        SCOPED_TRACE(std::string(encoding == UTF8 ? "UTF-8 " : "Shift-JIS ") + "file <" + c.file +
                     ">, name " + c.name);
        nameListResetAll();
        ASSERT_EQ(load(c.file, encoding), 0);
        const std::string name = sjis(c.name);
        EXPECT_EQ(utf8Of(c.morph ? morphRaw(name) : boneRaw(name)), c.shown);
      }
    }
  }

  // Writes the file (bytes as given) and reads it as the alias file.
  int loadBytes(const std::string& bytes) {
    const std::string path =
        dir_.write("alias.ini", std::vector<uint8_t>(bytes.begin(), bytes.end()));
    return readAliasFile(ansiPathOf(path).c_str(), u"", 0);
  }
  // The same text written in the given encoding.
  int load(const std::string& utf8Text, Encoding encoding) {
    return loadBytes(encoding == UTF8 ? utf8Text : sjis(utf8Text));
  }

  // Display forms, Shift-JIS in and out.
  static std::string boneRaw(const std::string& sjisName) {
    char out[ALIAS_OUTPUT_SIZE];
    applyBoneAliases(out, sizeof out, sjisName.c_str());
    return out;
  }
  static std::string morphRaw(const std::string& sjisName) {
    char out[ALIAS_OUTPUT_SIZE];
    applyMorphAliases(out, sizeof out, sjisName.c_str());
    return out;
  }
  // Display forms as UTF-8, for names written as UTF-8 literals.
  static std::string bone(const char* utf8) { return utf8Of(boneRaw(sjis(utf8))); }
  static std::string morph(const char* utf8) { return utf8Of(morphRaw(sjis(utf8))); }

  TempDir dir_;
};

} // namespace

// The edge cases of the alias rules, each in both file encodings.
TEST_F(Alias, RulesAndTheirModes) {
  const std::vector<RuleCase> cases = {
      // A whole-name rule.
      {"\"左腕\"F LeftArm\n", "左腕", "LeftArm", false},
      {"\"左腕\"F LeftArm\n", "左腕捩", "左腕捩", false},
      // A bare source replaces every occurrence.
      {"左 L_\n", "左ひじ", "L_ひじ", false},
      {"左 L_\n", "左腕捩", "L_腕捩", false},
      {"左 L_\n", "右左", "右L_", false},
      // A tail rule: the source must end the name.
      {"\"捩\"L Twist\n", "左腕捩", "左腕Twist", false},
      {"\"捩\"L Twist\n", "捩左", "捩左", false},
      {"\"捩\"L Twist\n", "捩捩", "捩Twist", false},
      {"\"捩\"FL Twist\n", "左腕捩", "左腕Twist", false},
      // "*" takes the whole rest of the name, at least one byte of it.
      {"右* R\n", "右ひじ", "R", false},
      {"右* R\n", "右", "右", false},
      {"右* R\n", "左右ひじ", "左R", false},
      // "？" stands for one double-byte character.
      {"指？ F_\n", "人指３", "人F_", false},
      {"指？ F_\n", "指A", "指A", false},
      {"指？ F_\n", "指", "指", false},
      // "?" stands for any one byte.
      {"A?C X\n", "ABC", "X", false},
      {"A?C X\n", "AxCD", "XD", false},
      // Later rules win at every position.
      {"左 L_\n左腕 LeftArm\n", "左腕", "LeftArm", false},
      {"左 L_\n左腕 LeftArm\n", "左ひじ", "L_ひじ", false},
      {"左腕 LeftArm\n左 L_\n", "左腕", "L_腕", false},
      {"\"左腕\"F Whole\n左 L_\n", "左腕", "L_腕", false},
      {"左 L_\n\"左腕\"F Whole\n", "左腕", "Whole", false},
      {"左 L_\n\"左腕\"F Whole\n", "左腕捩", "L_腕捩", false},
      // A whole-name rule applies only to the whole name.
      {"\"腕\"F A\n", "腕", "A", false},
      {"\"腕\"F A\n", "左腕", "左腕", false},
      // Flags follow only a quoted source: a bare 腕F is a source of its own.
      {"腕F A\n", "腕F", "A", false},
      {"腕F A\n", "腕", "腕", false},
      // Replacements are cut to 15 bytes.
      {"A ABCDEFGHIJKLMNOPQRST\n", "A", "ABCDEFGHIJKLMNO", false},
      // Quoted tokens keep their blanks; anything after the replacement is ignored.
      {"\"左 腕\" X\n", "左 腕", "X", false},
      {"左 \"L_ \"\n", "左ひじ", "L_ ひじ", false},
      {"\"左\" L_ and other words\n", "左ひじ", "L_ひじ", false},
      {"左\tL_\n", "左ひじ", "L_ひじ", false},
      {"   \t左 L_   \n", "左ひじ", "L_ひじ", false},
      // Sections.
      {"-MORPH\nあ A\n", "あ", "A", true},
      {"-MORPH\nあ A\n", "あ", "あ", false},
      {"-Morph\n//-Bone\nい I\n", "い", "I", true},
      {"-Morph\n//-Bone\nい I\n", "い", "い", false},
      {"-morphs\nう U\n-bones\n左 L_\n", "う", "U", true},
      {"-morphs\nう U\n-bones\n左 L_\n", "左", "L_", false},
      {"-Morphing\nう U\n-BONEXYZ\nう W\n", "う", "U", true},
      {"-Morphing\nう U\n-BONEXYZ\nう W\n", "う", "W", false},
      {"  -Morph\nお O\n", "お", "O", true},
      // Comments, blank runs and line ends.
      {"// 左 X\n左 L_\n", "左", "L_", false},
      {"\r\n\r\n  \t\x1a\n左 L_\r\n\r\n\r\n右 R_\n", "右ひじ", "R_ひじ", false},
      {"\r\n\r\n  \t\x1a\n左 L_\r\n\r\n\r\n右 R_\n", "左ひじ", "L_ひじ", false},
      {"左 L_\x1a右 R_", "右ひじ", "R_ひじ", false},
      {"左 L_\x1a右 R_", "左ひじ", "L_ひじ", false},
      {"左 L_\r右 R_\r", "右左", "R_L_", false},
      {"/左 L_\n", "/左", "L_", false},
  };
  checkCases(cases);
}

TEST_F(Alias, InvalidLinesAreSkippedAndTheRestRead) {
  struct Case {
    const char* file;
    int boneRules;
    int morphRules;
  } cases[] = {
      {"\"左 X\n右 R_\n", 1, 0}, {"左\n右 R_\n", 1, 0},
      {"\"\" X\n右 R_\n", 1, 0}, {"X \"\"\n右 R_\n", 1, 0},
      {"\"X\"F\n右 R_\n", 1, 0}, {"// only a comment\n", 0, 0},
      {"-Morph\n", 0, 0},        {"A a\nB b\nA c\n-Morph\nA a\n", 3, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    nameListResetAll();
    ASSERT_EQ(load(c.file, UTF8), 0);
    EXPECT_EQ(nameListCount(LIST_BONE_ALIAS), c.boneRules);
    EXPECT_EQ(nameListCount(LIST_MORPH_ALIAS), c.morphRules);
  }
  nameListResetAll();
  ASSERT_EQ(load("\"左 X\n右 R_\n", UTF8), 0);
  EXPECT_EQ(bone("左 X"), "左 X");
  EXPECT_EQ(bone("右ひじ"), "R_ひじ");
}

TEST_F(Alias, RulesAreNumberedPerSectionWithTheirModes) {
  ASSERT_EQ(load("-Bone\nA a\n-Morph\n\"B\"F b\n\"C\"L c\n-Bone\n\"D\"FL d\n\"E\" e\n", UTF8), 0);
  ASSERT_EQ(nameListCount(LIST_BONE_ALIAS), 3);
  ASSERT_EQ(nameListCount(LIST_MORPH_ALIAS), 2);
  struct Case {
    bool morph;
    int entry;
    const char* source;
    const char* replacement;
    uint8_t mode;
  } cases[] = {
      {false, 1, "A", "a", ALIAS_MODE_PART}, {false, 2, "D", "d", ALIAS_MODE_TAIL},
      {false, 3, "E", "e", ALIAS_MODE_PART}, {true, 1, "B", "b", ALIAS_MODE_WHOLE},
      {true, 2, "C", "c", ALIAS_MODE_TAIL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source);
    EXPECT_STREQ(nameListText(c.morph ? LIST_MORPH_ALIAS : LIST_BONE_ALIAS, c.entry), c.source);
    EXPECT_STREQ(c.morph ? gAlias.morphReplacement[c.entry] : gAlias.boneReplacement[c.entry],
                 c.replacement);
    EXPECT_EQ(c.morph ? gAlias.morphMode[c.entry] : gAlias.boneMode[c.entry], c.mode);
  }
}

TEST_F(Alias, ReplacementsAreCutToFifteenBytes) {
  // Cut after 15 bytes even when that falls inside a double-byte character.
  ASSERT_EQ(load("A ABCDEFGHIJKLMNOPQRST\nB あいうえおかきく\n", UTF8), 0);
  EXPECT_STREQ(gAlias.boneReplacement[1], "ABCDEFGHIJKLMNO");
  EXPECT_EQ(std::string(gAlias.boneReplacement[2]), sjis("あいうえおかきく").substr(0, 15));
}

TEST_F(Alias, LinesOfAtMost253Bytes) {
  struct Case {
    std::string file;
    int boneRules;
    const char* name;
    std::string shown;
    const char* what;
  } cases[] = {
      {"//" + std::string(251, 'x') + "右 R_\n", 1, "右ひじ", "R_ひじ",
       "the rest of a long comment is a line of its own"},
      {"左 " + std::string(250, 'L') + "\n右 R_\n", 2, "左", std::string(15, 'L'),
       "a rule of exactly 253 bytes"},
      {"左 " + std::string(251, 'L') + "\n右 R_\n", 2, "左", std::string(15, 'L'),
       "the 254th byte is a line of one token"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    nameListResetAll();
    ASSERT_EQ(load(c.file, UTF8), 0);
    EXPECT_EQ(nameListCount(LIST_BONE_ALIAS), c.boneRules);
    EXPECT_EQ(bone(c.name), c.shown);
    EXPECT_EQ(bone("右"), "R_");
  }
}

// ---- Encodings ----

TEST_F(Alias, ShiftJisOrUtf8IsDetected) {
  struct Case {
    std::string bytes;
    std::string sjisName;
    std::string shown; // Shift-JIS
    const char* what;
  } cases[] = {
      {sjis("ｽｶｰﾄ Skirt\n"), sjis("ｽｶｰﾄ"), "Skirt", "half-width katakana in Shift-JIS"},
      {"ｽｶｰﾄ Skirt\n", sjis("ｽｶｰﾄ"), "Skirt", "half-width katakana in UTF-8"},
      // A pair with a second byte below 0x40, then a lead byte 0xE0-0xFC: Shift-JIS.
      {"\x81\x20 X\n\xE0\x40 Y\n", "\xE0\x40", "Y", "Shift-JIS despite an early error"},
      // The same error with no later byte 0xE0-0xFF: read as UTF-8, so no rule for 亜.
      {"\x81\x20 X\n\x88\x9F Y\n", "\x88\x9F", "\x88\x9F", "UTF-8 after a Shift-JIS error"},
      // A byte-order mark is scanned as ordinary UTF-8 and not skipped.
      {"\xEF\xBB\xBF// c\n左 L_\n", sjis("左ひじ"), "L_" + sjis("ひじ"), "UTF-8 with a BOM"},
      {"ASCII ascii\n", "ASCII", "ascii", "pure ASCII"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    nameListResetAll();
    ASSERT_EQ(loadBytes(c.bytes), 0);
    EXPECT_EQ(boneRaw(c.sjisName), c.shown);
  }
}

TEST_F(Alias, TokensWithoutShiftJisFormAreInvalid) {
  ASSERT_EQ(load("😀 X\nY 😀\n左 L_\n", UTF8), 0);
  EXPECT_EQ(nameListCount(LIST_BONE_ALIAS), 1);
  EXPECT_EQ(bone("左"), "L_");
}

// ---- Applying ----

TEST_F(Alias, NoRulesShowNamesAsStored) {
  for (const char* name : {"左腕捩", "センター", "", "ABC"}) {
    EXPECT_EQ(bone(name), name);
    EXPECT_EQ(morph(name), name);
  }
  EXPECT_EQ(boneRaw("A\x82"), "A\x82");
}

TEST_F(Alias, ANameEndingInALoneLeadByte) {
  ASSERT_EQ(load("左 L_\nA B\n", UTF8), 0);
  EXPECT_EQ(boneRaw("xA\x82"), "xB\x82");
  EXPECT_EQ(boneRaw(sjis("左") + "\x82"), "L_\x82");
  EXPECT_EQ(boneRaw("\x82"), "\x82");
}

TEST_F(Alias, TheOutputIsBounded) {
  ASSERT_EQ(load("あ ABCDEFGHIJKLMNO\na あいうえおかき\n", UTF8), 0);
  const std::string name = sjis("あああああああ") + "a";
  std::string expected;
  for (int i = 0; i < 7; ++i)
    expected += "ABCDEFGHIJKLMNO";
  expected += sjis("あいうえおかき");
  EXPECT_EQ(boneRaw(name), expected) << "room for the whole result";

  for (size_t size : {1u, 2u, 16u, 40u, 110u, 120u}) {
    SCOPED_TRACE(size);
    char out[256];
    std::memset(out, 0x55, sizeof out);
    applyBoneAliases(out, size, name.c_str());
    const size_t length = strnlen(out, size);
    ASSERT_LT(length, size) << "terminated within the buffer";
    EXPECT_EQ(std::string(out), expected.substr(0, length)) << "a prefix of the whole result";
    // Not cut inside a double-byte character of the replacement.
    EXPECT_EQ(length <= 105 ? 0u : (length - 105) % 2, 0u);
    for (size_t i = size; i < sizeof out; ++i) {
      if (static_cast<unsigned char>(out[i]) != 0x55) {
        ADD_FAILURE() << "byte " << i << " written past the buffer";
        break;
      }
    }
  }
}

TEST_F(Alias, RuleCapacityPerSection) {
  std::string file;
  char line[32];
  for (int i = 1; i <= ALIAS_RULE_CAPACITY + 9; ++i) {
    std::snprintf(line, sizeof line, "S%05d R%d\n", i, i);
    file += line;
  }
  file += std::string(70, 'Z') + " long\n";
  file += "-Morph\nあ A\n";
  ASSERT_EQ(load(file, UTF8), 0);
  EXPECT_EQ(nameListCount(LIST_BONE_ALIAS), ALIAS_RULE_CAPACITY);
  EXPECT_EQ(bone("S00001"), "R1");
  EXPECT_EQ(bone("S08191"), "R8191");
  EXPECT_EQ(bone("S08192"), "S08192") << "beyond the capacity: not stored";
  EXPECT_EQ(morph("あ"), "A");
}

TEST_F(Alias, ASourceTooLongForANameSlotHarmsNothing) {
  const std::string file = std::string(70, 'Z') + " long\n左 L_\n";
  ASSERT_EQ(load(file, UTF8), 0);
  EXPECT_EQ(bone("左"), "L_");
  EXPECT_EQ(bone("ZZZ"), "ZZZ");
}

TEST_F(Alias, AMissingFile) {
  EXPECT_EQ(readAliasFile(ansiPathOf(dir_.path() + "/none.ini").c_str(), u"", 0), -1);
  EXPECT_EQ(nameListCount(LIST_BONE_ALIAS), 0);
  EXPECT_EQ(nameListCount(LIST_MORPH_ALIAS), 0);
}

TEST_F(Alias, TheWidePathReadsTheSameRules) {
  const std::string path = dir_.write("alias.ini", {'A', ' ', 'B', '\n'});
  std::u16string wide;
  for (char c : ansiPathOf(path))
    wide += static_cast<char16_t>(c);
  ASSERT_EQ(readAliasFile("", wide.c_str(), 1), 0);
  EXPECT_EQ(bone("A"), "B");
}
