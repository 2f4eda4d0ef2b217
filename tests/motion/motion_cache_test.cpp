// The reader resolves each distinct raw name once per read and keeps the answer in a name
// cache with a small direct-mapped copy in front. These tests hold the cache to what a
// lookup of every key would give: one entry per distinct name per list, names compared up
// to their NUL, nothing carried from one read into the next.
#include "motion/motion.h"

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "common/vmd_builder.h"
#include "names/builtin_tables.h"
#include "names/namelist.h"

using testing_vmd::ansiPathOf;
using testing_vmd::sjis;
using testing_vmd::TempDir;
using testing_vmd::VmdBuilder;

namespace {

int readFresh(const TempDir& dir, const VmdBuilder& b) {
  nameListResetAll();
  registerBuiltinTables();
  return readMotionFileAnsi(ansiPathOf(dir.write("m.vmd", b.bytes)).c_str());
}

std::string numbered(int i) {
  char name[16];
  std::snprintf(name, sizeof name, "bone%05d", i);
  return name;
}

} // namespace

TEST(MotionNameCache, ManyNamesInAnyOrderKeepTheirEntries) {
  // More distinct names than the direct-mapped copy has slots, met twice in another order.
  constexpr int kNames = 3000;
  VmdBuilder b;
  b.header().count(2 * kNames);
  for (int i = 0; i < kNames; ++i)
    b.bone(numbered(i), i);
  for (int i = 0; i < kNames; ++i)
    b.bone(numbered((i * 7) % kNames), kNames + i);
  b.count(0).emptyTail();
  TempDir dir;
  ASSERT_EQ(readFresh(dir, b), 0);
  ASSERT_EQ(nameListCount(LIST_BONE), BUILTIN_BONE_COUNT + kNames);
  int wrong = 0;
  for (int i = 0; i < kNames; ++i) {
    const int e = BUILTIN_BONE_COUNT + 1 + i;
    const BoneStats& s = gMotion.bones[e];
    wrong += numbered(i) != nameListText(LIST_BONE, e) || s.keyCount != 2 || s.firstFrame != i;
  }
  EXPECT_EQ(wrong, 0);
}

TEST(MotionNameCache, NamesCompareUpToTheirNulAndPerList) {
  const std::string full15 = "abcdefghijklmnX";          // no NUL: all 15 bytes
  const std::string other15 = "abcdefghijklmnY";         // differs in the last byte only
  const std::string garbage = std::string("abc\0zz", 6); // "abc", bytes after the NUL
  const std::string longGarbage = std::string("abcdefghij\0zzzz", 15); // in both halves
  const std::string shared = sjis("ぷるん"); // a bone and a morph of one name
  VmdBuilder b;
  b.header().count(8);
  b.bone(full15, 1).bone(other15, 2).bone("abc", 3).bone(garbage, 4).bone(full15, 5);
  b.bone(shared, 6).bone("abcdefghij", 7).bone(longGarbage, 8);
  b.count(2).morph(shared, 7, 0.5f).morph("abc", 8, 1.0f).emptyTail();
  TempDir dir;
  ASSERT_EQ(readFresh(dir, b), 0);
  const int first = BUILTIN_BONE_COUNT + 1;
  EXPECT_EQ(nameListCount(LIST_BONE), BUILTIN_BONE_COUNT + 5);
  EXPECT_EQ(nameListText(LIST_BONE, first), full15);
  EXPECT_EQ(gMotion.bones[first].keyCount, 2);
  EXPECT_EQ(nameListText(LIST_BONE, first + 1), other15);
  EXPECT_EQ(gMotion.bones[first + 1].keyCount, 1);
  EXPECT_EQ(nameListText(LIST_BONE, first + 2), std::string("abc"));
  EXPECT_EQ(gMotion.bones[first + 2].keyCount, 2) << "the bytes after a NUL are not the name";
  EXPECT_EQ(nameListText(LIST_BONE, first + 3), shared);
  EXPECT_EQ(gMotion.bones[first + 3].keyCount, 1);
  EXPECT_EQ(nameListText(LIST_BONE, first + 4), std::string("abcdefghij"));
  EXPECT_EQ(gMotion.bones[first + 4].keyCount, 2);
  const int morphFirst = BUILTIN_MORPH_COUNT + 1;
  EXPECT_EQ(nameListCount(LIST_MORPH), BUILTIN_MORPH_COUNT + 2);
  EXPECT_EQ(nameListText(LIST_MORPH, morphFirst), shared);
  EXPECT_EQ(gMotion.morphs[morphFirst].keyCount, 1);
  EXPECT_EQ(gMotion.morphs[morphFirst + 1].lastFrame, 8);
}

TEST(MotionNameCache, BonesAndMorphsOfTheSameNamesKeepTheirOwnEntries) {
  // Enough shared names that some fall on the same slot of the direct-mapped copy in both
  // lists.
  constexpr int kNames = 4000;
  VmdBuilder b;
  b.header().count(kNames);
  for (int i = 0; i < kNames; ++i)
    b.bone(numbered(i), i);
  b.count(kNames);
  for (int i = 0; i < kNames; ++i)
    b.morph(numbered(i), i, 0.5f);
  b.emptyTail();
  TempDir dir;
  ASSERT_EQ(readFresh(dir, b), 0);
  ASSERT_EQ(nameListCount(LIST_MORPH), BUILTIN_MORPH_COUNT + kNames);
  int wrong = 0;
  for (int i = 0; i < kNames; ++i) {
    const int e = BUILTIN_MORPH_COUNT + 1 + i;
    wrong += numbered(i) != nameListText(LIST_MORPH, e) || gMotion.morphs[e].keyCount != 1 ||
             gMotion.bones[BUILTIN_BONE_COUNT + 1 + i].keyCount != 1;
  }
  EXPECT_EQ(wrong, 0);
}

TEST(MotionNameCache, NothingIsCarriedIntoTheNextRead) {
  TempDir dir;
  VmdBuilder first;
  first.header().count(2).bone("older", 1).bone(sjis("髪1"), 2).count(0).emptyTail();
  ASSERT_EQ(readFresh(dir, first), 0);
  ASSERT_EQ(nameListText(LIST_BONE, BUILTIN_BONE_COUNT + 1), std::string("older"));

  // New lists: "newer" now comes first, and "older" must be appended again after it.
  VmdBuilder second;
  second.header().count(3).bone("newer", 1).bone("older", 2).bone(sjis("髪1"), 3);
  second.count(0).emptyTail();
  ASSERT_EQ(readFresh(dir, second), 0);
  EXPECT_EQ(nameListCount(LIST_BONE), BUILTIN_BONE_COUNT + 2);
  EXPECT_EQ(nameListText(LIST_BONE, BUILTIN_BONE_COUNT + 1), std::string("newer"));
  EXPECT_EQ(nameListText(LIST_BONE, BUILTIN_BONE_COUNT + 2), std::string("older"));
  EXPECT_EQ(gMotion.bones[BUILTIN_BONE_COUNT + 2].firstFrame, 2);
  const int hair = nameListFindUpTo(LIST_BONE, sjis("髪1").c_str(), BUILTIN_BONE_COUNT);
  EXPECT_EQ(nameListGroupOf(LIST_BONE, hair), BONE_GROUP_IGNORED);
  EXPECT_EQ(gMotion.bones[hair].keyCount, 1);

  // The same lists read again (the wide-path retry): the same entries, nothing new.
  ASSERT_EQ(readMotionFileAnsi(ansiPathOf(dir.path() + "/m.vmd").c_str()), 0);
  EXPECT_EQ(nameListCount(LIST_BONE), BUILTIN_BONE_COUNT + 2);
  EXPECT_EQ(gMotion.bones[BUILTIN_BONE_COUNT + 1].keyCount, 1);
}

TEST(MotionNameCache, AFloodOfDistinctNamesCostsAFewComparesPerName) {
  // Every bone name twice; then more morph names than the cache holds, the first ten again.
  constexpr int kBones = 20000;
  constexpr int kMorphs = 60000;
  auto morphName = [](int i) {
    char name[16];
    std::snprintf(name, sizeof name, "morph%06d", i);
    return std::string(name);
  };
  VmdBuilder b;
  b.header().count(2 * kBones);
  for (int pass = 0; pass < 2; ++pass) {
    for (int i = 0; i < kBones; ++i)
      b.bone(numbered(i), pass * kBones + i);
  }
  b.count(kMorphs + 10);
  for (int i = 0; i < kMorphs + 10; ++i)
    b.morph(morphName(i % kMorphs), i, 0.5f);
  b.emptyTail();
  TempDir dir;
  const std::string path = ansiPathOf(dir.write("m.vmd", b.bytes));
  nameListResetAll();
  registerBuiltinTables();
  const NameSearchCost before = nameListSearchCost();
  ASSERT_EQ(readMotionFileAnsi(path.c_str()), 0);
  const NameSearchCost after = nameListSearchCost();

  // One search per distinct name, none for a name met again (refused ones included), and
  // each search compares a few entries, not the 16,384 of a full list.
  const int64_t searches = after.searches - before.searches;
  EXPECT_EQ(searches, kBones + kMorphs);
  EXPECT_LT(after.entriesTried - before.entriesTried, 4 * searches);

  const int boneRoom = NAME_LIST_CAPACITY - BUILTIN_BONE_COUNT;
  const int morphRoom = NAME_LIST_CAPACITY - BUILTIN_MORPH_COUNT;
  EXPECT_EQ(gMotion.namesRefused, (kBones - boneRoom) + (kMorphs - morphRoom));
  EXPECT_EQ(gMotion.recordsRead[MOTION_BLOCK_BONES], 2 * kBones);
  EXPECT_EQ(gMotion.recordsRead[MOTION_BLOCK_MORPHS], kMorphs + 10);
  EXPECT_EQ(gMotion.endBlock, MOTION_BLOCK_NONE);
  int wrong = 0;
  for (int i = 0; i < boneRoom; ++i)
    wrong += gMotion.bones[BUILTIN_BONE_COUNT + 1 + i].keyCount != 2;
  for (int i = 0; i < morphRoom; ++i)
    wrong += gMotion.morphs[BUILTIN_MORPH_COUNT + 1 + i].keyCount != (i < 10 ? 2 : 1);
  EXPECT_EQ(wrong, 0);
}

TEST(MotionNameCache, NamesAddedOnceTheCacheIsFullAreFoundAgain) {
  // Distinct bone names fill the bone list and then the cache; morph names met after that
  // get entries the cache does not hold, and must find them when met again.
  constexpr int kMorphs = 3000; // more than the hot copies, so the second pass searches
  VmdBuilder b;
  b.header().count(NAME_CACHE_CAPACITY);
  for (int i = 0; i < NAME_CACHE_CAPACITY; ++i)
    b.bone(numbered(i), i);
  b.count(2 * kMorphs);
  for (int i = 0; i < 2 * kMorphs; ++i)
    b.morph("late" + std::to_string(i % kMorphs), i, 0.5f);
  b.emptyTail();
  TempDir dir;
  ASSERT_EQ(readFresh(dir, b), 0);
  EXPECT_EQ(nameListCount(LIST_BONE), NAME_LIST_CAPACITY);
  EXPECT_EQ(gMotion.namesRefused, NAME_CACHE_CAPACITY - (NAME_LIST_CAPACITY - BUILTIN_BONE_COUNT));
  ASSERT_EQ(nameListCount(LIST_MORPH), BUILTIN_MORPH_COUNT + kMorphs);
  int wrong = 0;
  for (int i = 0; i < kMorphs; ++i) {
    const int e = BUILTIN_MORPH_COUNT + 1 + i;
    wrong += nameListText(LIST_MORPH, e) != "late" + std::to_string(i) ||
             gMotion.morphs[e].keyCount != 2 || gMotion.morphs[e].lastFrame != kMorphs + i;
  }
  EXPECT_EQ(wrong, 0);
}
