#include "names/bone_roles.h"

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "names/builtin_tables.h"
#include "names/namelist.h"
#include "text/encoding.h"

namespace {

std::string backToUtf8(const char* sjis) {
  char utf8[64];
  sjisToUtf8Bounded(utf8, sizeof utf8, sjis);
  return utf8;
}

// Special bones that the built-in tables do not list as main bones: motions name them,
// but they fall into the open group (the D arm bones, the other _+ bones) or are no bone
// of the tables at all (the thumb name with its blank).
bool outsideMainGroup(SpecialBone bone) {
  return specialBoneIndexIn(bone, ARM_D_BONES) >= 0 ||
         (specialBoneIndexIn(bone, ALL_PLUS_BONES) >= 0 &&
          specialBoneIndexIn(bone, PLUS_BONES) < 0) ||
         bone == BONE_LEFT_THUMB_0_BLANK;
}

} // namespace

// Every name and label survives its conversion whole, every name finds its own row, and
// the bones the evaluation looks up are the main bones of the built-in tables, so no rule
// waits for a name that never resolves.
TEST(SpecialBones, NamesConvertWholeAndResolveToTheirOwnRow) {
  nameListResetAll();
  registerBuiltinTables();
  for (int i = 0; i < SPECIAL_BONE_COUNT; ++i) {
    const SpecialBone bone = static_cast<SpecialBone>(i);
    const SpecialBoneInfo& info = kSpecialBones[i];
    EXPECT_EQ(backToUtf8(specialBoneName(bone)), info.nameUtf8) << i;
    EXPECT_EQ(backToUtf8(specialBoneLabel(bone)), info.labelUtf8 ? info.labelUtf8 : "") << i;
    EXPECT_EQ(specialBoneOf(specialBoneName(bone)), bone) << info.nameUtf8;
    int entry = nameListFindInGroups(LIST_BONE, specialBoneName(bone), 0);
    int group = nameListGroupOf(LIST_BONE, entry);
    if (outsideMainGroup(bone))
      EXPECT_NE(group, BONE_GROUP_MAIN) << info.nameUtf8;
    else
      EXPECT_EQ(group, BONE_GROUP_MAIN) << info.nameUtf8;
  }
  EXPECT_EQ(specialBoneOf(specialBoneName(SPECIAL_BONE_NONE)), SPECIAL_BONE_NONE);
  EXPECT_EQ(specialBoneOf("\x8d\xb6"), SPECIAL_BONE_NONE); // 左: a prefix of 左腕 is no match
}
