#include "names/builtin_tables.h"

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "common/text_convert.h"
#include "names/namelist.h"
#include "text/encoding.h"

using test_text::sjis;

namespace {

void resetAndRegister() {
  nameListResetAll();
  registerBuiltinTables();
}

void expectMarks(int list, std::initializer_list<int> marks, int count) {
  const NameList& l = gNameLists[list];
  ASSERT_EQ(l.markCount, static_cast<int>(marks.size())) << "list " << list;
  int k = 0;
  for (int mark : marks)
    EXPECT_EQ(l.marks[k++], mark) << "list " << list << " mark " << k - 1;
  EXPECT_EQ(l.count, count) << "list " << list;
}

} // namespace

TEST(BuiltinTables, RegistrationLeavesTheGroupMarks) {
  resetAndRegister();
  expectMarks(LIST_BONE, {0, 61, 89, 470}, BUILTIN_BONE_COUNT);
  expectMarks(LIST_MORPH, {0, 61, 62}, BUILTIN_MORPH_COUNT);
  EXPECT_EQ(nameListCount(LIST_BONE_ALIAS), 0);
  EXPECT_EQ(nameListCount(LIST_MORPH_ALIAS), 0);
}

TEST(BuiltinTables, EntryNumbersAndGroups) {
  resetAndRegister();
  struct {
    int entry;
    const char* name;
    int group;
  } bones[] = {
      {1, "操作中心", BONE_GROUP_MAIN},         {7, "左腕捩", BONE_GROUP_MAIN},
      {61, "右腕_+", BONE_GROUP_MAIN},          {62, "左親指１", BONE_GROUP_FINGER},
      {89, "右小指３", BONE_GROUP_FINGER},      {90, "左目先", BONE_GROUP_IGNORED},
      {211, "新規ボーン1", BONE_GROUP_IGNORED}, {212, "スカート*", BONE_GROUP_IGNORED},
      {332, "左目*", BONE_GROUP_IGNORED},       {366, "右Hair*", BONE_GROUP_IGNORED},
      {375, "右Hair*", BONE_GROUP_IGNORED},     {412, "猫耳右*", BONE_GROUP_IGNORED},
      {414, "猫耳右*", BONE_GROUP_IGNORED},     {470, "(ベル*", BONE_GROUP_IGNORED},
  };
  for (const auto& b : bones) {
    EXPECT_STREQ(nameListText(LIST_BONE, b.entry), sjis(b.name).c_str()) << "bone " << b.entry;
    EXPECT_EQ(nameListGroupOf(LIST_BONE, b.entry), b.group) << "bone " << b.entry;
  }
  EXPECT_EQ(nameListGroupOf(LIST_BONE, 471), 0);

  struct {
    int entry;
    const char* name;
    int group;
  } morphs[] = {
      {1, "あ", MORPH_GROUP_EXPRESSION},
      {61, "メガネ", MORPH_GROUP_EXPRESSION},
      {62, "クリ勃起", MORPH_GROUP_IGNORED},
  };
  for (const auto& m : morphs) {
    EXPECT_STREQ(nameListText(LIST_MORPH, m.entry), sjis(m.name).c_str()) << "morph " << m.entry;
    EXPECT_EQ(nameListGroupOf(LIST_MORPH, m.entry), m.group) << "morph " << m.entry;
  }
}

// Every entry holds its source name in Shift-JIS, with no character lost in conversion,
// and the generated form is the program's own conversion of the source.
TEST(BuiltinTables, EveryNameConvertsWhole) {
  resetAndRegister();
  struct {
    int list, count;
    const char* (*source)(int);
  } lists[] = {{LIST_BONE, BUILTIN_BONE_COUNT, builtinBoneNameUtf8},
               {LIST_MORPH, BUILTIN_MORPH_COUNT, builtinMorphNameUtf8}};
  for (const auto& l : lists) {
    EXPECT_EQ(l.source(0), nullptr);
    EXPECT_EQ(l.source(l.count + 1), nullptr);
    for (int e = 1; e <= l.count; ++e) {
      ASSERT_NE(l.source(e), nullptr);
      const char* stored = nameListText(l.list, e);
      char back[256] = "";
      strsjis2utf8(back, stored);
      EXPECT_STREQ(back, l.source(e)) << "list " << l.list << " entry " << e;
      char forward[256] = "";
      strutf82sjis(forward, l.source(e));
      EXPECT_STREQ(stored, forward)
          << "list " << l.list << " entry " << e << ": run tools/gen_builtin_names.py";
      EXPECT_LT(std::strlen(stored), std::strlen(l.source(e)) + 1);
    }
  }
}

// No later entry shadows a main or finger bone, so each classifies into its own entry.
TEST(BuiltinTables, MainAndFingerBonesFindThemselves) {
  resetAndRegister();
  for (int e = 1; e <= 89; ++e) {
    const std::string name = sjis(builtinBoneNameUtf8(e));
    EXPECT_EQ(nameListFindInGroups(LIST_BONE, name.c_str(), 0), e) << builtinBoneNameUtf8(e);
  }
  for (int e = 1; e <= BUILTIN_MORPH_COUNT; ++e) {
    const std::string name = sjis(builtinMorphNameUtf8(e));
    EXPECT_EQ(nameListFindInGroups(LIST_MORPH, name.c_str(), 0), e) << builtinMorphNameUtf8(e);
  }
}

TEST(BuiltinTables, MotionNamesClassify) {
  resetAndRegister();
  struct {
    const char* name;
    int entry, group;
  } bones[] = {
      {"左腕捩", 7, BONE_GROUP_MAIN},
      {"左親指１", 62, BONE_GROUP_FINGER},
      {"左目先", 332, BONE_GROUP_IGNORED}, // "左目*" beats the exact entry 90
      {"右目先", 333, BONE_GROUP_IGNORED},
      {"髪1", 232, BONE_GROUP_IGNORED},        // "髪*"
      {"左ひじ補助", 448, BONE_GROUP_IGNORED}, // "左ひじ補*"
      {"左人指３先", 456, BONE_GROUP_IGNORED}, // "左？指３先"
      {"左足首リボン", 328, BONE_GROUP_IGNORED},
      {"右Hair1", 375, BONE_GROUP_IGNORED}, // the later of the two copies
      {"猫耳右1", 414, BONE_GROUP_IGNORED},
      {"ベルト", 171, BONE_GROUP_IGNORED},
      {"ポニテ", 471, BONE_GROUP_OTHER},
      {"スカート", 472, BONE_GROUP_OTHER}, // "スカート*" needs a character after it
      {"ポニテ", 471, BONE_GROUP_OTHER},
  };
  for (const auto& b : bones) {
    const int e = nameListFindOrAddLiteral(LIST_BONE, sjis(b.name).c_str());
    EXPECT_EQ(e, b.entry) << b.name;
    EXPECT_EQ(nameListGroupOf(LIST_BONE, e), b.group) << b.name;
  }
  EXPECT_EQ(nameListCount(LIST_BONE), 472);

  struct {
    const char* name;
    int entry, group;
  } morphs[] = {
      {"えー", 5, MORPH_GROUP_EXPRESSION},   {"え", 32, MORPH_GROUP_EXPRESSION},
      {"クリ勃起", 62, MORPH_GROUP_IGNORED}, {"えーと", 63, MORPH_GROUP_OTHER},
      {"あ", 1, MORPH_GROUP_EXPRESSION},
  };
  for (const auto& m : morphs) {
    const int e = nameListFindOrAddLiteral(LIST_MORPH, sjis(m.name).c_str());
    EXPECT_EQ(e, m.entry) << m.name;
    EXPECT_EQ(nameListGroupOf(LIST_MORPH, e), m.group) << m.name;
  }
}

// A second run starts from the same entries, whatever the first run appended.
TEST(BuiltinTables, RegistrationIsTheSameEveryRun) {
  resetAndRegister();
  nameListFindOrAddLiteral(LIST_BONE, sjis("ポニテ").c_str());
  nameListFindOrAddLiteral(LIST_MORPH, sjis("ぷんぷん").c_str());
  nameListAppend(LIST_BONE_ALIAS, sjis("左").c_str());

  registerBuiltinTables(); // without a reset
  expectMarks(LIST_BONE, {0, 61, 89, 470}, BUILTIN_BONE_COUNT);
  expectMarks(LIST_MORPH, {0, 61, 62}, BUILTIN_MORPH_COUNT);
  EXPECT_EQ(nameListCount(LIST_BONE_ALIAS), 1); // other lists are left alone

  resetAndRegister();
  expectMarks(LIST_BONE, {0, 61, 89, 470}, BUILTIN_BONE_COUNT);
  EXPECT_EQ(nameListFindOrAddLiteral(LIST_BONE, sjis("ポニテ").c_str()), 471);
  EXPECT_STREQ(nameListText(LIST_BONE, 332), sjis("左目*").c_str());
}
