// The VMD reader read from the outside: motions built byte by byte, read through the ANSI and
// the UTF-16 path, and the statistics it leaves per list entry.
#include "motion/motion.h"

#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/vmd_builder.h"
#include "names/builtin_tables.h"
#include "names/namelist.h"
#include "text/pathconv.h"

using test_text::widePathOf;
using testing_vmd::about;
using testing_vmd::ansiPathOf;
using testing_vmd::Quaternion;
using testing_vmd::sjis;
using testing_vmd::TempDir;
using testing_vmd::VmdBuilder;

namespace {

// ---- Records of the blocks after the morphs ----

void cameraRecord(VmdBuilder& b) {
  b.int32(7);
  for (int i = 0; i < 7; ++i)
    b.float32(1.5f);
  b.zeros(24);
  b.float32(30.0f);
  b.raw("\x01", 1);
}

void lightRecord(VmdBuilder& b) {
  b.int32(8);
  for (int i = 0; i < 6; ++i)
    b.float32(0.6f);
}

void selfShadowRecord(VmdBuilder& b) {
  b.int32(9);
  b.raw("\x01", 1);
  b.float32(0.1f);
}

void showIkRecord(VmdBuilder& b, int32_t ikCount) {
  b.int32(10);
  b.raw("\x01", 1);
  b.int32(ikCount);
  for (int32_t i = 0; i < ikCount; ++i) {
    b.field(sjis("左足ＩＫ"), 20);
    b.raw("\x01", 1);
  }
}

constexpr int kCameraSize = 61;
constexpr int kLightSize = 28;
constexpr int kSelfShadowSize = 9;

// A bone record whose 15-byte name field is given byte for byte.
void boneWithField(VmdBuilder& b, const std::string& field15, int32_t frame, Quaternion q) {
  b.raw(field15.data(), 15);
  b.int32(frame);
  for (float v : {0.0f, 0.0f, 0.0f, q.x, q.y, q.z, q.w})
    b.float32(v);
  b.zeros(64);
}

// Hamilton product a x b in double, stored as floats.
Quaternion multiply(const Quaternion& a, const Quaternion& b) {
  double ax = a.x, ay = a.y, az = a.z, aw = a.w, bx = b.x, by = b.y, bz = b.z, bw = b.w;
  return {static_cast<float>(ax * bw + aw * bx + ay * bz - az * by),
          static_cast<float>(ay * bw + aw * by + az * bx - ax * bz),
          static_cast<float>(az * bw + aw * bz + ax * by - ay * bx),
          static_cast<float>(aw * bw - ax * bx - ay * by - az * bz)};
}

Quaternion negated(const Quaternion& q) {
  return {-q.x, -q.y, -q.z, -q.w};
}

double degreesToHalfSine(double degrees) {
  return std::sin(degrees * M_PI / 360.0);
}

// ---- Fixture ----

class MotionReader : public ::testing::Test {
protected:
  void SetUp() override {
    nameListResetAll();
    registerBuiltinTables();
  }

  int read(const std::vector<uint8_t>& bytes, const std::string& name = "motion.vmd") {
    path_ = dir_.write(name, bytes);
    return readMotionFileAnsi(ansiPathOf(path_).c_str());
  }

  static int boneEntry(const char* utf8) {
    return nameListFindUpTo(LIST_BONE, sjis(utf8).c_str(), nameListCount(LIST_BONE));
  }
  static int morphEntry(const char* utf8) {
    return nameListFindUpTo(LIST_MORPH, sjis(utf8).c_str(), nameListCount(LIST_MORPH));
  }
  static const BoneStats& bone(const char* utf8) { return gMotion.bones[boneEntry(utf8)]; }
  static const MorphStats& morph(const char* utf8) { return gMotion.morphs[morphEntry(utf8)]; }

  static int boneKeysCounted() {
    int total = 0;
    for (int e = 1; e <= nameListCount(LIST_BONE); ++e)
      total += gMotion.bones[e].keyCount;
    return total;
  }
  static int morphKeysCounted() {
    int total = 0;
    for (int e = 1; e <= nameListCount(LIST_MORPH); ++e)
      total += gMotion.morphs[e].keyCount;
    return total;
  }

  TempDir dir_;
  std::string path_;
};

// A motion with two records in the bone and morph blocks and one in each later block.
std::vector<uint8_t> fullMotion() {
  VmdBuilder b;
  b.header(sjis("モデル"));
  b.count(2).bone(sjis("左腕"), 1, about(1, 0, 0, 30)).bone(sjis("センター"), 2, 0.5f, 0, 0, {});
  b.count(2).morph(sjis("あ"), 3, 0.5f).morph(sjis("い"), 4, 1.0f);
  b.count(1);
  cameraRecord(b);
  b.count(1);
  lightRecord(b);
  b.count(1);
  selfShadowRecord(b);
  b.count(1);
  showIkRecord(b, 1);
  return b.bytes;
}

// Offsets in fullMotion().
constexpr int kBones = 54;
constexpr int kMorphCount = kBones + 2 * 111;      // 276
constexpr int kMorphs = kMorphCount + 4;           // 280
constexpr int kCameraCount = kMorphs + 2 * 23;     // 326
constexpr int kCamera = kCameraCount + 4;          // 330
constexpr int kLightCount = kCamera + kCameraSize; // 391
constexpr int kLight = kLightCount + 4;            // 395
constexpr int kShadowCount = kLight + kLightSize;  // 423
constexpr int kShadow = kShadowCount + 4;          // 427
constexpr int kShowIkCount = kShadow + 9;          // 436
constexpr int kShowIk = kShowIkCount + 4;          // 440
constexpr int kEnd = kShowIk + 4 + 1 + 4 + 20 + 1; // 470

} // namespace

// ---- End of file ----

TEST_F(MotionReader, EveryEndOfFileRuleOfThePass) {
  const std::vector<uint8_t> full = fullMotion();
  ASSERT_EQ(full.size(), static_cast<size_t>(kEnd));
  // countsRead: how many block counts (bone, morph, camera, ...) the file holds completely.
  struct Case {
    int length;
    int result;
    int boneKeys;
    int morphKeys;
    int countsRead;
    const char* what;
  } cases[] = {
      {0, 2, 0, 0, 0, "empty file"},
      {4, 2, 0, 0, 0, "only the letters Voca"},
      {24, 2, 0, 0, 0, "ends before byte 25"},
      {25, 0, 0, 0, 0, "ends right after the version digits"},
      {40, 0, 0, 0, 0, "ends inside the model name"},
      {52, 0, 0, 0, 0, "ends inside the bone count"},
      {kBones, 0, 0, 0, 1, "bone count without records"},
      {kBones + 10, 0, 0, 0, 1, "first bone cut in its name"},
      {kBones + 15 + 6, 0, 0, 0, 1, "first bone cut in its numbers"},
      {kBones + 47 + 30, 0, 0, 0, 1, "first bone cut in its interpolation block"},
      {kBones + 111, 0, 1, 0, 1, "ends after the first bone record"},
      {kMorphCount - 1, 0, 1, 0, 1, "second bone one byte short"},
      {kMorphCount, 0, 2, 0, 1, "ends exactly after the last bone record"},
      {kMorphCount + 2, 0, 2, 0, 1, "ends inside the morph count"},
      {kMorphs, 2, 2, 0, 2, "morph count, then nothing: cut at a morph name"},
      {kMorphs + 5, 2, 2, 0, 2, "first morph cut in its name"},
      {kMorphs + 15, 0, 2, 0, 2, "first morph cut after its name"},
      {kMorphs + 21, 0, 2, 0, 2, "first morph cut in its weight"},
      {kMorphs + 23, 2, 2, 1, 2, "second morph cut at its name"},
      {kCameraCount - 1, 0, 2, 1, 2, "second morph one byte short"},
      {kCameraCount, 0, 2, 2, 2, "ends after the morphs"},
      {kCameraCount + 2, 0, 2, 2, 2, "ends inside the camera count"},
      {kCamera, 2, 2, 2, 3, "camera count, then nothing"},
      {kCamera + 20, 2, 2, 2, 3, "camera cut in its numbers"},
      {kCamera + 40, 2, 2, 2, 3, "camera cut in its interpolation"},
      {kCamera + 58, 0, 2, 2, 3, "camera cut in its view angle"},
      {kLightCount, 0, 2, 2, 3, "ends after the camera block"},
      {kLightCount + 2, 0, 2, 2, 3, "ends inside the light count"},
      {kLight, 2, 2, 2, 4, "light count, then nothing"},
      {kLight + 10, 2, 2, 2, 4, "light cut in its colour"},
      {kLight + 20, 0, 2, 2, 4, "light cut in its position"},
      {kShadowCount, 0, 2, 2, 4, "ends after the light block"},
      {kShadow, 2, 2, 2, 5, "self-shadow count, then nothing"},
      {kShadow + 2, 2, 2, 2, 5, "self-shadow cut in its frame"},
      {kShadow + 6, 0, 2, 2, 5, "self-shadow cut in its distance"},
      {kShowIkCount, 0, 2, 2, 5, "ends after the self-shadow block"},
      {kShowIkCount + 2, 0, 2, 2, 5, "ends inside the show-and-IK count"},
      {kShowIk, 2, 2, 2, 6, "show-and-IK count, then nothing"},
      {kShowIk + 4, 2, 2, 2, 6, "show-and-IK cut before its show byte"},
      {kShowIk + 5, 0, 2, 2, 6, "show-and-IK cut before its IK count"},
      {kShowIk + 7, 0, 2, 2, 6, "show-and-IK cut inside its IK count (negative)"},
      {kShowIk + 9, 2, 2, 2, 6, "show-and-IK cut at an IK name"},
      {kShowIk + 20, 2, 2, 2, 6, "show-and-IK cut inside an IK name"},
      {kEnd - 1, 0, 2, 2, 6, "show-and-IK cut before the last enabled flag"},
      {kEnd, 0, 2, 2, 6, "complete"},
  };
  const int32_t stored[] = {2, 2, 1, 1, 1, 1};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    nameListResetAll();
    registerBuiltinTables();
    std::vector<uint8_t> bytes(full.begin(), full.begin() + c.length);
    EXPECT_EQ(read(bytes), c.result);
    EXPECT_EQ(boneKeysCounted(), c.boneKeys);
    EXPECT_EQ(morphKeysCounted(), c.morphKeys);
    const int32_t totals[] = {gMotion.boneKeyTotal,       gMotion.morphKeyTotal,
                              gMotion.cameraKeyTotal,     gMotion.lightKeyTotal,
                              gMotion.selfShadowKeyTotal, gMotion.showIkKeyTotal};
    // The total of a block whose count the file lacks is 0 (the bone count is left out:
    // its missing bytes read as 0xFF).
    for (int block = 1; block < 6; ++block) {
      EXPECT_EQ(totals[block], block < c.countsRead ? stored[block] : 0) << "block " << block;
    }
    if (c.countsRead >= 1) {
      EXPECT_EQ(totals[0], 2);
    }
  }
}

TEST_F(MotionReader, RecordLoopsStopOnceTheFileHasEnded) {
  // Each file claims more records than it holds and ends inside the last field of one;
  // the loop does not try another record, so the read ends cleanly.
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    int result;
    int boneKeys;
    int morphKeys;
  };
  std::vector<Case> cases;
  {
    VmdBuilder b;
    b.header().count(5).bone(sjis("センター"), 0, 1, 0, 0, {});
    cases.push_back({"five bones claimed, one present", b.bytes, 0, 1, 0});
  }
  {
    VmdBuilder b;
    b.header().count(0).count(2).morph(sjis("あ"), 0, 1.0f);
    b.bytes.resize(b.bytes.size() - 2);
    cases.push_back({"two morphs claimed, one cut in its weight", b.bytes, 0, 0, 0});
  }
  {
    VmdBuilder b;
    b.header().count(0).count(0).count(2);
    cameraRecord(b);
    b.bytes.resize(b.bytes.size() - 3);
    cases.push_back({"two cameras claimed, one cut in its view angle", b.bytes, 0, 0, 0});
  }
  {
    VmdBuilder b;
    b.header().count(0).count(0).count(0).count(2);
    lightRecord(b);
    b.bytes.resize(b.bytes.size() - 2);
    cases.push_back({"two lights claimed, one cut in its position", b.bytes, 0, 0, 0});
  }
  {
    VmdBuilder b;
    b.header().count(0).count(0).count(0).count(0).count(2);
    selfShadowRecord(b);
    b.bytes.resize(b.bytes.size() - 1);
    cases.push_back({"two self-shadows claimed, one cut in its distance", b.bytes, 0, 0, 0});
  }
  {
    VmdBuilder b;
    b.header().count(0).count(0).count(0).count(0).count(0).count(2);
    showIkRecord(b, 1);
    b.bytes.resize(b.bytes.size() - 1);
    cases.push_back({"two show-and-IK records claimed, one without its flag", b.bytes, 0, 0, 0});
  }
  {
    VmdBuilder b;
    b.header().count(0).count(0).count(0).count(0).count(0).count(1);
    showIkRecord(b, 2);
    b.bytes.resize(b.bytes.size() - 21);
    cases.push_back({"two IK entries claimed, one present", b.bytes, 2, 0, 0});
  }
  {
    VmdBuilder b;
    b.header().count(0).count(0).count(0).count(0).count(0).count(1);
    showIkRecord(b, 2);
    b.bytes.resize(b.bytes.size() - 22);
    cases.push_back({"two IK entries claimed, the first without its flag", b.bytes, 2, 0, 0});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    nameListResetAll();
    registerBuiltinTables();
    EXPECT_EQ(read(c.bytes), c.result);
    EXPECT_EQ(boneKeysCounted(), c.boneKeys);
    EXPECT_EQ(morphKeysCounted(), c.morphKeys);
  }
}

TEST_F(MotionReader, ZeroAndNegativeCountsReadNoRecordsAndGoOn) {
  const char* blocks[] = {"bone", "morph", "camera", "light", "self-shadow", "show-and-IK"};
  for (int target = 0; target < 6; ++target) {
    for (int32_t count : {0, -1, INT32_MIN}) {
      SCOPED_TRACE(std::string(blocks[target]) + " count " + std::to_string(count));
      nameListResetAll();
      registerBuiltinTables();
      VmdBuilder b;
      b.header();
      for (int block = 0; block < 6; ++block) {
        if (block == target) {
          b.count(count);
          continue;
        }
        b.count(1);
        switch (block) {
        case 0:
          b.bone(sjis("センター"), 3, 1, 0, 0, {});
          break;
        case 1:
          b.morph(sjis("あ"), 4, 1.0f);
          break;
        case 2:
          cameraRecord(b);
          break;
        case 3:
          lightRecord(b);
          break;
        case 4:
          selfShadowRecord(b);
          break;
        default:
          showIkRecord(b, 1);
          break;
        }
      }
      b.raw("trailing", 8);
      EXPECT_EQ(read(b.bytes), 0);
      EXPECT_EQ(bone("センター").keyCount, target == 0 ? 0 : 1);
      EXPECT_EQ(morph("あ").keyCount, target == 1 ? 0 : 1);
      const int32_t totals[] = {gMotion.boneKeyTotal,       gMotion.morphKeyTotal,
                                gMotion.cameraKeyTotal,     gMotion.lightKeyTotal,
                                gMotion.selfShadowKeyTotal, gMotion.showIkKeyTotal};
      for (int block = 0; block < 6; ++block) {
        EXPECT_EQ(totals[block], block == target ? count : 1) << blocks[block];
      }
    }
  }
}

TEST_F(MotionReader, SignatureAndOpenFailures) {
  struct Case {
    const char* signature; // 30 bytes are written from it, NUL padded
    int result;
  } cases[] = {
      {"Vocaloid Motion Data 0002", 0},
      {"VocaXXXXXXXXXXXXXXXXX0002\x01\x02\x03\x04\x05", 0}, // bytes 4-20 and 25-29 unchecked
      {"Vocaloid Motion Data 0001", 2},
      {"vocaloid Motion Data 0002", 2},
      {"Vocb", 2},
      {"Vocaloid Motion Data file", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.signature);
    VmdBuilder b;
    b.field(c.signature, 30).field("", 20).count(1).bone(sjis("センター"), 0, 1, 0, 0, {});
    b.count(0).emptyTail();
    EXPECT_EQ(read(b.bytes), c.result);
    EXPECT_EQ(bone("センター").keyCount, c.result == 0 ? 1 : 0);
  }
  EXPECT_EQ(readMotionFileAnsi(ansiPathOf(dir_.path() + "/missing.vmd").c_str()), -1);
  EXPECT_EQ(readMotionFileWide(widePathOf(dir_.path() + "/missing.vmd").c_str()), -1);
}

TEST_F(MotionReader, BytesAfterTheLastBlockChangeNothing) {
  std::vector<uint8_t> bytes = fullMotion();
  for (int i = 0; i < 9000; ++i)
    bytes.push_back(static_cast<uint8_t>(i * 7));
  EXPECT_EQ(read(bytes), 0);
  EXPECT_EQ(boneKeysCounted(), 2);
  EXPECT_EQ(morphKeysCounted(), 2);
}

// ---- Reset ----

TEST_F(MotionReader, EveryReadStartsFromTheStartValues) {
  // A first read that fills slots far up the tables: 9,000 distinct bone names and 5,000
  // distinct morph names, each keyed once.
  VmdBuilder b;
  b.header(sjis("ミク")).count(9000);
  for (int i = 0; i < 9000; ++i)
    b.bone("b" + std::to_string(i), 10, 1, 2, 2, about(1, 0, 0, 90));
  b.count(5000);
  for (int i = 0; i < 5000; ++i)
    b.morph("m" + std::to_string(i), 5, 0.5f);
  b.emptyTail();
  ASSERT_EQ(read(b.bytes), 0);
  ASSERT_GE(nameListCount(LIST_BONE), 9000);
  ASSERT_GE(nameListCount(LIST_MORPH), 5000);
  ASSERT_EQ(gMotion.bones[9000].keyCount, 1);
  ASSERT_EQ(gMotion.morphs[5000].keyCount, 1);

  // The next read, even one that fails at once, leaves nothing of the first behind; a slot
  // no read has used holds no keys either.
  EXPECT_EQ(readMotionFileAnsi(ansiPathOf(dir_.path() + "/missing.vmd").c_str()), -1);
  EXPECT_STREQ(gMotion.modelName, "");
  const BoneStats& bone = gMotion.bones[9000];
  EXPECT_EQ(bone.keyCount, 0);
  EXPECT_EQ(bone.firstFrame, 999999);
  EXPECT_EQ(bone.lastFrame, -1);
  EXPECT_EQ(bone.moved, 0);
  EXPECT_EQ(bone.maxTranslation, 0.0f);
  EXPECT_EQ(bone.maxRotation, 0.0f);
  EXPECT_EQ(bone.twistPlusMax, 0.0f);
  EXPECT_EQ(bone.twistPlusFrame, -1);
  EXPECT_EQ(bone.twistMinusMax, 0.0f);
  EXPECT_EQ(bone.twistMinusFrame, -1);
  const MorphStats& morph = gMotion.morphs[5000];
  EXPECT_EQ(morph.keyCount, 0);
  EXPECT_EQ(morph.firstFrame, 999999);
  EXPECT_EQ(morph.lastFrame, -1);
  EXPECT_EQ(morph.minWeight, 999.9f);
  EXPECT_EQ(morph.maxWeight, -999.9f);
  EXPECT_EQ(gMotion.bones[BONE_STATS_CAPACITY - 1].keyCount, 0);
  EXPECT_EQ(gMotion.morphs[MORPH_STATS_CAPACITY - 1].keyCount, 0);

  // A slot first used by a later read starts from the start values, not from zeros.
  VmdBuilder late;
  late.header().count(0).count(1).morph(sjis("あ"), 7, 2.0f).emptyTail();
  ASSERT_EQ(read(late.bytes), 0);
  const int entry = nameListFindUpTo(LIST_MORPH, sjis("あ").c_str(), nameListCount(LIST_MORPH));
  ASSERT_GE(entry, 1);
  EXPECT_EQ(gMotion.morphs[entry].minWeight, 2.0f);
  EXPECT_EQ(gMotion.morphs[entry].maxWeight, 2.0f);
}

// ---- Names ----

TEST_F(MotionReader, ModelNames) {
  struct Case {
    std::string field; // the model name bytes as written (20, or fewer when the file ends)
    bool fileEndsInside;
    std::string expected;
    const char* what;
  } cases[] = {
      {std::string(20, '\0'), false, "", "empty"},
      {sjis("ミク") + std::string(16, '\0'), false, sjis("ミク"), "padded with NULs"},
      {"ABCDEFGHIJKLMNOPQRST", false, "ABCDEFGHIJKLMNOPQRST", "20 bytes without NUL"},
      {sjis("あいうえおかきくけ") + "A\x82", false, sjis("あいうえおかきくけ") + "A",
       "last byte a lone lead byte"},
      {std::string("AB\0XYZ", 6) + std::string(14, 'Q'), false, "AB", "garbage after the NUL"},
      {"ABCDE", true, "ABCDE", "cut by the end of the file"},
      {"ABCD\x82", true, "ABCD", "cut by the end of the file after a lead byte"},
      {"", true, "", "the file ends before the model name"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    VmdBuilder b;
    b.field("Vocaloid Motion Data 0002", 30).raw(c.field.data(), c.field.size());
    if (!c.fileEndsInside)
      b.count(0).count(0).emptyTail();
    EXPECT_EQ(read(b.bytes), 0);
    EXPECT_EQ(std::string(gMotion.modelName), c.expected);
  }
}

TEST_F(MotionReader, BoneNameFields) {
  struct Case {
    std::string field;
    std::string expectedText;
    const char* what;
  } cases[] = {
      {"ABCDEFGHIJKLMNO", "ABCDEFGHIJKLMNO", "15 bytes without NUL are the whole name"},
      {sjis("あいうえおかき") + "\x82", sjis("あいうえおかき") + "\x82",
       "15 bytes ending in a lead byte are kept whole"},
      {sjis("ポニテ") + std::string("\0garbage!", 9), sjis("ポニテ"), "bytes after the NUL"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    nameListResetAll();
    registerBuiltinTables();
    ASSERT_EQ(c.field.size(), 15u);
    VmdBuilder b;
    b.header().count(1);
    boneWithField(b, c.field, 4, about(0, 1, 0, 20));
    b.count(0).emptyTail();
    EXPECT_EQ(read(b.bytes), 0);
    ASSERT_EQ(nameListCount(LIST_BONE), 471);
    EXPECT_EQ(std::string(nameListText(LIST_BONE, 471)), c.expectedText);
    EXPECT_EQ(gMotion.bones[471].keyCount, 1);
  }
}

TEST_F(MotionReader, TwistBoneNamePaddedAndFollowedByGarbage) {
  VmdBuilder b;
  b.header().count(1);
  std::string field = sjis("左腕捩") + std::string("\0\xff\xfe garb", 9);
  ASSERT_EQ(field.size(), 15u);
  boneWithField(b, field, 12, {0.5f, 0, 0, 0.8660254f});
  b.count(0).emptyTail();
  ASSERT_EQ(read(b.bytes), 0);
  EXPECT_EQ(nameListCount(LIST_BONE), 470);
  const BoneStats& s = gMotion.bones[7];
  EXPECT_EQ(s.keyCount, 1);
  EXPECT_EQ(s.twistPlusMax, 0.5f);
  EXPECT_EQ(s.twistPlusFrame, 12);
}

TEST_F(MotionReader, NamesLandOnTheirEntries) {
  VmdBuilder b;
  b.header().count(8);
  b.bone(sjis("左腕捩"), 1).bone(sjis("左親指１"), 2).bone(sjis("左目先"), 3);
  b.bone(sjis("髪1"), 4).bone(sjis("髪2"), 9).bone(sjis("髪先"), 6);
  b.bone(sjis("左ひじ補助"), 7).bone(sjis("ポニテ"), 8);
  b.count(3).morph(sjis("まばたき"), 0, 1.0f).morph(sjis("テスト"), 1, 0.5f);
  b.morph(sjis("えー"), 2, 1.0f);
  b.emptyTail();
  ASSERT_EQ(read(b.bytes), 0);

  struct Case {
    const char* name;
    int entry;
    int group;
  } bones[] = {
      {"左腕捩", 7, BONE_GROUP_MAIN},
      {"左親指１", 62, BONE_GROUP_FINGER},
      {"左目先", 332, BONE_GROUP_IGNORED},
      {"ポニテ", 471, BONE_GROUP_OTHER},
  };
  for (const Case& c : bones) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(boneEntry(c.name), c.entry);
    EXPECT_EQ(nameListGroupOf(LIST_BONE, c.entry), c.group);
    EXPECT_EQ(gMotion.bones[c.entry].keyCount, 1);
  }
  // Names matched by one wildcard entry share its slot.
  const int hair = boneEntry("髪1");
  EXPECT_EQ(std::string(nameListText(LIST_BONE, hair)), sjis("髪*"));
  EXPECT_EQ(boneEntry("髪先"), hair);
  EXPECT_EQ(gMotion.bones[hair].keyCount, 3);
  EXPECT_EQ(gMotion.bones[hair].firstFrame, 4);
  EXPECT_EQ(gMotion.bones[hair].lastFrame, 9);
  const int elbowAid = boneEntry("左ひじ補助");
  EXPECT_EQ(std::string(nameListText(LIST_BONE, elbowAid)), sjis("左ひじ補*"));
  EXPECT_EQ(nameListGroupOf(LIST_BONE, elbowAid), BONE_GROUP_IGNORED);
  EXPECT_EQ(gMotion.bones[90].keyCount, 0) << "the exact entry 左目先 is not used";
  EXPECT_EQ(nameListCount(LIST_BONE), 471);

  EXPECT_EQ(morphEntry("まばたき"), 13);
  EXPECT_EQ(gMotion.morphs[13].keyCount, 1);
  EXPECT_EQ(morphEntry("テスト"), 63);
  EXPECT_EQ(nameListGroupOf(LIST_MORPH, 63), MORPH_GROUP_OTHER);
  EXPECT_EQ(gMotion.morphs[5].keyCount, 1) << "えー";
  EXPECT_EQ(gMotion.morphs[32].keyCount, 0) << "え is a different entry";
}

TEST_F(MotionReader, SkirtWithoutAFollowingCharacterIsAnOtherBone) {
  VmdBuilder b;
  b.header().count(2).bone(sjis("スカート"), 0).bone(sjis("スカート1"), 1);
  b.count(0).emptyTail();
  ASSERT_EQ(read(b.bytes), 0);
  EXPECT_EQ(boneEntry("スカート"), 471);
  EXPECT_EQ(nameListGroupOf(LIST_BONE, 471), BONE_GROUP_OTHER);
  EXPECT_EQ(nameListGroupOf(LIST_BONE, boneEntry("スカート1")), BONE_GROUP_IGNORED);
}

TEST_F(MotionReader, NamesFromTheMotionMatchOnlyTheirOwnText) {
  // A motion name holding "*", "?" or "？" is data: it must not take the keys of names
  // read after it.
  struct Case {
    const char* first;
    const char* second;
    int secondEntry; // 0: a new entry of its own right after the first name's
    bool morphs;
  } cases[] = {
      {"左腕*", "左腕捩", 7, false}, {"左?", "左腕", 6, false}, {"左？", "左腕", 6, false},
      {"ポニ*", "ポニテ", 0, false}, {"?", "A", 0, false},      {"*", "センター", 3, false},
      {"*", "まばたき", 13, true},   {"あ*", "あい", 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.first) + " then " + c.second);
    nameListResetAll();
    registerBuiltinTables();
    VmdBuilder b;
    b.header();
    if (c.morphs) {
      b.count(0).count(2).morph(sjis(c.first), 1, 1.0f).morph(sjis(c.second), 2, 1.0f);
    } else {
      b.count(2).bone(sjis(c.first), 1, about(0, 1, 0, 20)).bone(sjis(c.second), 2);
      b.count(0);
    }
    b.emptyTail();
    ASSERT_EQ(read(b.bytes), 0);
    const int list = c.morphs ? LIST_MORPH : LIST_BONE;
    const int builtin = c.morphs ? 62 : 470;
    const int firstEntry = nameListFindUpTo(list, sjis(c.first).c_str(), nameListCount(list));
    const int secondEntry = nameListFindUpTo(list, sjis(c.second).c_str(), nameListCount(list));
    EXPECT_EQ(firstEntry, builtin + 1);
    EXPECT_EQ(secondEntry, c.secondEntry != 0 ? c.secondEntry : builtin + 2);
    if (c.morphs) {
      EXPECT_EQ(gMotion.morphs[firstEntry].keyCount, 1);
      EXPECT_EQ(gMotion.morphs[secondEntry].keyCount, 1);
    } else {
      EXPECT_EQ(gMotion.bones[firstEntry].keyCount, 1);
      EXPECT_EQ(gMotion.bones[secondEntry].keyCount, 1);
    }
  }
}

TEST_F(MotionReader, ARepeatedMotionNameReusesItsEntry) {
  VmdBuilder b;
  b.header().count(3).bone(sjis("ポニテ"), 5).bone(sjis("リボン"), 6).bone(sjis("ポニテ"), 2);
  b.count(0).emptyTail();
  ASSERT_EQ(read(b.bytes), 0);
  EXPECT_EQ(nameListCount(LIST_BONE), 472);
  EXPECT_EQ(gMotion.bones[471].keyCount, 2);
  EXPECT_EQ(gMotion.bones[471].firstFrame, 2);
  EXPECT_EQ(gMotion.bones[471].lastFrame, 5);
}

// ---- Frames and weights ----

TEST_F(MotionReader, FrameRangesStartAtTheFirstKey) {
  struct Case {
    std::vector<int32_t> frames;
    int32_t first;
    int32_t last;
  } cases[] = {
      {{-5}, -5, -5},
      {{0}, 0, 0},
      {{999999}, 999999, 999999},
      {{1000000}, 1000000, 1000000},
      {{1000000, 1000005}, 1000000, 1000005},
      {{30, 10, 20}, 10, 30},
      {{-5, -10}, -10, -5},
      {{7, 7}, 7, 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.frames));
    nameListResetAll();
    registerBuiltinTables();
    VmdBuilder b;
    b.header().count(static_cast<int32_t>(c.frames.size()));
    for (int32_t f : c.frames)
      b.bone(sjis("センター"), f, 1, 0, 0, {});
    b.count(static_cast<int32_t>(c.frames.size()));
    for (int32_t f : c.frames)
      b.morph(sjis("あ"), f, 1.0f);
    b.emptyTail();
    ASSERT_EQ(read(b.bytes), 0);
    const BoneStats& s = bone("センター");
    EXPECT_EQ(s.keyCount, static_cast<int32_t>(c.frames.size()));
    EXPECT_EQ(s.firstFrame, c.first);
    EXPECT_EQ(s.lastFrame, c.last);
    const MorphStats& m = morph("あ");
    EXPECT_EQ(m.keyCount, static_cast<int32_t>(c.frames.size()));
    EXPECT_EQ(m.firstFrame, c.first);
    EXPECT_EQ(m.lastFrame, c.last);
  }
}

TEST_F(MotionReader, MorphWeightRanges) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    std::vector<float> weights;
    float min;
    float max;
    const char* what;
  } cases[] = {
      {{0.5f}, 0.5f, 0.5f, "one key"},
      {{1.0f, 0.0f, 0.25f}, 0.0f, 1.0f, "three keys"},
      {{-0.5f, -0.25f}, -0.5f, -0.25f, "negative weights"},
      {{nan, 0.5f}, 0.5f, 0.5f, "a NaN weight changes neither"},
      {{nan}, 999.9f, -999.9f, "only a NaN weight"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    nameListResetAll();
    registerBuiltinTables();
    VmdBuilder b;
    b.header().count(0).count(static_cast<int32_t>(c.weights.size()));
    for (float w : c.weights)
      b.morph(sjis("あ"), 1, w);
    b.emptyTail();
    ASSERT_EQ(read(b.bytes), 0);
    const MorphStats& m = morph("あ");
    EXPECT_EQ(m.keyCount, static_cast<int32_t>(c.weights.size()));
    EXPECT_EQ(m.minWeight, c.min);
    EXPECT_EQ(m.maxWeight, c.max);
  }
}

// ---- Movement ----

TEST_F(MotionReader, MovedFlagAndLengths) {
  const float justAbove = std::nextafter(0.01f, 1.0f);
  struct Case {
    float p[3];
    Quaternion q;
    bool moved;
    float translation;
    float rotation;
    const char* what;
  } cases[] = {
      {{0.02f, 0, 0}, {}, true, 0.02f, 0, "position x"},
      {{0, 0, -0.02f}, {}, true, 0.02f, 0, "negative position z"},
      {{0, 0, 0}, {0, 0, 0.02f, 0.9998f}, true, 0, 0.02f, "rotation z"},
      {{0, 0, 0}, {-0.02f, 0, 0, 0.9998f}, true, 0, 0.02f, "negative rotation x"},
      {{justAbove, 0, 0}, {}, true, justAbove, 0, "just above 0.01"},
      {{0.01f, 0.01f, 0.01f}, {}, false, 0.017320508f, 0, "each position component 0.01"},
      {{0, 0, 0},
       {0.01f, 0.01f, 0.01f, 0.9997f},
       false,
       0,
       0.017320508f,
       "each rotation component 0.01"},
      {{3, 4, 0}, {}, true, 5.0f, 0, "translation length"},
      {{0, 0, 0}, {}, false, 0, 0, "identity"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    nameListResetAll();
    registerBuiltinTables();
    VmdBuilder b;
    b.header().count(1).bone(sjis("センター"), 0, c.p[0], c.p[1], c.p[2], c.q);
    b.count(0).emptyTail();
    ASSERT_EQ(read(b.bytes), 0);
    const BoneStats& s = bone("センター");
    EXPECT_EQ(s.moved, c.moved ? 0xFF : 0);
    EXPECT_FLOAT_EQ(s.maxTranslation, c.translation);
    EXPECT_FLOAT_EQ(s.maxRotation, c.rotation);
  }
}

TEST_F(MotionReader, LargestValuesAndMovedSurviveLaterKeys) {
  VmdBuilder b;
  b.header().count(4);
  b.bone(sjis("センター"), 0, 3, 4, 0, about(0, 1, 0, 90));
  b.bone(sjis("センター"), 1, 0, 0, 0, {});
  b.bone(sjis("センター"), 2, 1, 2, 2, about(0, 1, 0, 30));
  b.bone(sjis("センター"), 2, 0, 0, 0, {});
  b.count(0).emptyTail();
  ASSERT_EQ(read(b.bytes), 0);
  const BoneStats& s = bone("センター");
  EXPECT_EQ(s.keyCount, 4) << "two keys on one frame both count";
  EXPECT_EQ(s.moved, 0xFF);
  EXPECT_FLOAT_EQ(s.maxTranslation, 5.0f);
  EXPECT_NEAR(s.maxRotation, degreesToHalfSine(90), 1e-6);
  EXPECT_EQ(s.twistPlusFrame, -1) << "no twist measured for other bones";
  EXPECT_EQ(s.twistMinusFrame, -1);
  EXPECT_EQ(s.twistPlusMax, 0.0f);
}

// ---- Twist bones and the sign rule ----

TEST_F(MotionReader, TwistBoneDirectionFollowsTheSignRule) {
  const float c30 = 0.8660254f;
  struct Case {
    const char* name;
    Quaternion q;
    bool plus;
    float magnitude;
    const char* what;
  } cases[] = {
      {"左腕捩", {0.5f, 0, 0, c30}, true, 0.5f, "x positive"},
      {"左手捩", {-0.5f, 0, 0, c30}, false, 0.5f, "x negative"},
      {"右腕捩", {0.5f, 0, 0, -c30}, false, 0.5f, "w negative turns x positive into negative"},
      {"右手捩", {-0.5f, 0, 0, -c30}, true, 0.5f, "w negative turns x negative into positive"},
      {"左腕捩", {0.3f, 0.4f, 0, c30}, true, 0.5f, "magnitude is the whole vector part"},
      {"左腕捩", {-0.0f, 0.6f, 0, 0.8f}, true, 0.6f, "x of -0 counts as not negative"},
      {"左腕捩", {0.0f, 0.6f, 0, -0.8f}, true, 0.6f, "x of 0 with w negative"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + ": " + c.what);
    nameListResetAll();
    registerBuiltinTables();
    VmdBuilder b;
    b.header().count(1).bone(sjis(c.name), 25, c.q).count(0).emptyTail();
    ASSERT_EQ(read(b.bytes), 0);
    const BoneStats& s = bone(c.name);
    EXPECT_FLOAT_EQ(s.maxRotation, c.magnitude);
    EXPECT_FLOAT_EQ(c.plus ? s.twistPlusMax : s.twistMinusMax, c.magnitude);
    EXPECT_EQ(c.plus ? s.twistPlusFrame : s.twistMinusFrame, 25);
    EXPECT_EQ(c.plus ? s.twistMinusMax : s.twistPlusMax, 0.0f);
    EXPECT_EQ(c.plus ? s.twistMinusFrame : s.twistPlusFrame, -1);
  }
}

TEST_F(MotionReader, TwistFieldsChangeOnlyForTheEightBones) {
  VmdBuilder b;
  b.header().count(3);
  b.bone(sjis("左腕捩1"), 1, {0.5f, 0, 0, 0.8660254f});
  b.bone(sjis("左腕D"), 2, about(0.819742, -0.572734, 0, 120));
  b.bone(sjis("上半身"), 3, {0.5f, 0, 0, 0.8660254f});
  b.count(0).emptyTail();
  ASSERT_EQ(read(b.bytes), 0);
  for (const char* name : {"左腕捩1", "左腕D", "上半身"}) {
    SCOPED_TRACE(name);
    const BoneStats& s = bone(name);
    EXPECT_EQ(s.keyCount, 1);
    EXPECT_GT(s.maxRotation, 0.4f);
    EXPECT_EQ(s.twistPlusMax, 0.0f);
    EXPECT_EQ(s.twistMinusMax, 0.0f);
    EXPECT_EQ(s.twistPlusFrame, -1);
    EXPECT_EQ(s.twistMinusFrame, -1);
  }
}

TEST_F(MotionReader, EqualTwistMagnitudesKeepTheEarlierFrame) {
  // 0.6 and (0.6, 0.00001) differ in double but have the same 32-bit length.
  const double shorter = static_cast<double>(0.6f);
  const double longer =
      std::sqrt(static_cast<double>(0.6f) * 0.6f + static_cast<double>(0.00001f) * 0.00001f);
  ASSERT_GT(longer, shorter);
  ASSERT_EQ(static_cast<float>(longer), static_cast<float>(shorter));

  VmdBuilder b;
  b.header().count(7);
  b.bone(sjis("左腕捩"), 10, {0.6f, 0, 0, 0.8f});
  b.bone(sjis("左腕捩"), 20, {0.6f, 0.00001f, 0, 0.8f});
  b.bone(sjis("左腕捩"), 15, {0.6f, 0, 0, 0.8f});
  b.bone(sjis("右腕捩"), 40, {-0.6f, 0, 0, 0.8f});
  b.bone(sjis("右腕捩"), 30, {-0.6f, 0, 0, 0.8f});
  b.bone(sjis("右腕捩"), 50, {-0.7f, 0, 0, 0.7141428f});
  b.bone(sjis("右腕捩"), 60, {-0.6f, 0, 0, 0.8f});
  b.count(0).emptyTail();
  ASSERT_EQ(read(b.bytes), 0);
  EXPECT_EQ(bone("左腕捩").twistPlusMax, 0.6f);
  EXPECT_EQ(bone("左腕捩").twistPlusFrame, 10);
  EXPECT_FLOAT_EQ(bone("右腕捩").twistMinusMax, 0.7f);
  EXPECT_EQ(bone("右腕捩").twistMinusFrame, 50) << "a larger magnitude moves the frame";
}

// ---- Arm and elbow twist ----

TEST_F(MotionReader, ArmTwistAboutTheFixedAxes) {
  struct Axis {
    double x, y, z;
  };
  const Axis leftArm{0.819742, -0.572734, 0.0};
  const Axis leftElbow{0.759228, -0.650821, -0.00236674};
  const Axis rightArm{0.819742, 0.572734, 0.0};
  const Axis rightElbow{0.759228, 0.650821, 0.00236674};
  struct Case {
    const char* name;
    Quaternion q;
    int direction; // 1 plus, -1 minus, 0 no twist
    double twistDegrees;
    const char* what;
  } cases[] = {
      {"左腕", about(leftArm.x, leftArm.y, leftArm.z, 150), 1, 150, "left arm +150"},
      {"左腕", about(leftArm.x, leftArm.y, leftArm.z, -150), -1, 150, "left arm -150"},
      {"左ひじ", about(leftElbow.x, leftElbow.y, leftElbow.z, 100), 1, 100, "left elbow +100"},
      {"右腕", about(rightArm.x, rightArm.y, rightArm.z, -120), -1, 120, "right arm -120"},
      {"右ひじ", about(rightElbow.x, rightElbow.y, rightElbow.z, 30), 1, 30, "right elbow +30"},
      {"左腕", about(0, 0, 1, 90), 0, 0, "swing only, about an axis across the bone"},
      {"左腕", multiply(about(0, 0, 1, 40), about(leftArm.x, leftArm.y, leftArm.z, 150)), 1, 150,
       "swing about Z after a twist of 150"},
      {"左腕", negated(about(leftArm.x, leftArm.y, leftArm.z, 150)), -1, 150,
       "the same +150 stored with w negative: the sign rule reverses it"},
      {"右ひじ", negated(about(rightElbow.x, rightElbow.y, rightElbow.z, -60)), 1, 60,
       "-60 stored with w negative"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + ": " + c.what);
    nameListResetAll();
    registerBuiltinTables();
    VmdBuilder b;
    b.header().count(1).bone(sjis(c.name), 33, c.q).count(0).emptyTail();
    ASSERT_EQ(read(b.bytes), 0);
    const BoneStats& s = bone(c.name);
    const float expected = static_cast<float>(degreesToHalfSine(c.twistDegrees));
    if (c.direction == 0) {
      // Rounding may leave a trace of twist; nothing near a measurable angle.
      EXPECT_NEAR(s.twistPlusMax, 0.0f, 1e-6);
      EXPECT_NEAR(s.twistMinusMax, 0.0f, 1e-6);
      EXPECT_NEAR(s.maxRotation, degreesToHalfSine(90), 1e-6);
      continue;
    }
    EXPECT_NEAR(c.direction > 0 ? s.twistPlusMax : s.twistMinusMax, expected, 2e-6);
    EXPECT_EQ(c.direction > 0 ? s.twistPlusFrame : s.twistMinusFrame, 33);
    EXPECT_EQ(c.direction > 0 ? s.twistMinusMax : s.twistPlusMax, 0.0f);
    EXPECT_EQ(c.direction > 0 ? s.twistMinusFrame : s.twistPlusFrame, -1);
  }
}

TEST_F(MotionReader, ArmTwistTiesKeepTheEarlierFrame) {
  const Quaternion q = about(0.819742, -0.572734, 0.0, 150);
  VmdBuilder b;
  b.header().count(3).bone(sjis("左腕"), 5, q).bone(sjis("左腕"), 9, q).bone(sjis("左腕"), 2, q);
  b.count(0).emptyTail();
  ASSERT_EQ(read(b.bytes), 0);
  EXPECT_EQ(bone("左腕").twistPlusFrame, 5);
  EXPECT_EQ(bone("左腕").keyCount, 3);
  EXPECT_EQ(bone("左腕").firstFrame, 2);
  EXPECT_EQ(bone("左腕").lastFrame, 9);
}

// ---- Reading again ----

TEST_F(MotionReader, TheWidePathRetryFindsTheSameEntries) {
  VmdBuilder b;
  b.header(sjis("ミク")).count(4);
  b.bone(sjis("ポニテ"), 1, 0.5f, 0, 0, {}).bone(sjis("左腕"), 2, about(1, 0, 0, 40));
  b.bone(sjis("リボン"), 3, about(0, 0, 1, 10)).bone(sjis("ポニテ"), 4);
  b.count(2).morph(sjis("新表情"), 5, 0.5f).morph(sjis("あ"), 6, 1.0f).emptyTail();
  ASSERT_EQ(read(b.bytes), 0);
  const int boneCount = nameListCount(LIST_BONE);
  const int morphCount = nameListCount(LIST_MORPH);
  const int ponytail = boneEntry("ポニテ");
  const int ribbon = boneEntry("リボン");
  const int newMorph = morphEntry("新表情");
  const BoneStats ponytailStats = gMotion.bones[ponytail];

  ASSERT_EQ(readMotionFileWide(widePathOf(path_).c_str()), 0);
  EXPECT_EQ(nameListCount(LIST_BONE), boneCount);
  EXPECT_EQ(nameListCount(LIST_MORPH), morphCount);
  EXPECT_EQ(boneEntry("ポニテ"), ponytail);
  EXPECT_EQ(boneEntry("リボン"), ribbon);
  EXPECT_EQ(morphEntry("新表情"), newMorph);
  EXPECT_EQ(gMotion.bones[ponytail].keyCount, 2) << "counted once, not twice";
  EXPECT_EQ(gMotion.bones[ponytail].firstFrame, ponytailStats.firstFrame);
  EXPECT_EQ(gMotion.bones[ponytail].maxTranslation, ponytailStats.maxTranslation);
  EXPECT_EQ(gMotion.bones[ribbon].keyCount, 1);
  EXPECT_EQ(gMotion.morphs[newMorph].keyCount, 1);
  EXPECT_EQ(std::string(gMotion.modelName), sjis("ミク"));
}

TEST_F(MotionReader, AFileOnlyTheWidePathReaches) {
  VmdBuilder b;
  b.header().count(1).bone(sjis("センター"), 3, 1, 0, 0, {}).count(0).emptyTail();
  // Hangul has no Shift-JIS code: the ANSI form of the path cannot name the file.
  const std::string path = dir_.write("모션.vmd", b.bytes);
  char ansi[1024];
  utf8PathToAnsi(ansi, sizeof ansi, path.c_str());
  EXPECT_EQ(readMotionFileAnsi(ansi), -1);
  EXPECT_EQ(readMotionFileWide(widePathOf(path).c_str()), 0);
  EXPECT_EQ(bone("センター").keyCount, 1);
}

// ---- Capacity ----

TEST_F(MotionReader, MoreDistinctNamesThanTheListsHold) {
  constexpr int kNames = 20000;
  constexpr int kBoneRoom = NAME_LIST_CAPACITY - 470;
  constexpr int kMorphRoom = NAME_LIST_CAPACITY - 62;
  auto nameOf = [](char prefix, int i) {
    char name[16];
    std::snprintf(name, sizeof name, "%c%05d", prefix, i);
    return std::string(name);
  };
  VmdBuilder b;
  b.header(sjis("多数")).count(kNames + 2);
  for (int i = 0; i < kNames; ++i)
    b.bone(nameOf('B', i), i, 0.5f, 0, 0, {});
  b.bone(nameOf('B', 0), kNames, 0.5f, 0, 0, {}); // a name that got an entry, again
  b.bone(sjis("センター"), 7, 1, 0, 0, {});       // a built-in name after the list is full
  b.count(kNames + 1);
  for (int i = 0; i < kNames; ++i)
    b.morph(nameOf('M', i), i, 0.5f);
  b.morph(sjis("あ"), 3, 1.0f);
  b.emptyTail();
  ASSERT_EQ(read(b.bytes), 0);

  EXPECT_EQ(nameListCount(LIST_BONE), NAME_LIST_CAPACITY);
  EXPECT_EQ(nameListCount(LIST_MORPH), NAME_LIST_CAPACITY);
  int counted = 0;
  for (int e = 471; e <= NAME_LIST_CAPACITY; ++e) {
    const int i = e - 471;
    if (std::string(nameListText(LIST_BONE, e)) != nameOf('B', i) ||
        gMotion.bones[e].keyCount != (i == 0 ? 2 : 1) || gMotion.bones[e].firstFrame != i) {
      ADD_FAILURE() << "bone entry " << e;
      break;
    }
    ++counted;
  }
  EXPECT_EQ(counted, kBoneRoom);
  counted = 0;
  for (int e = 63; e <= NAME_LIST_CAPACITY; ++e) {
    const int i = e - 63;
    if (std::string(nameListText(LIST_MORPH, e)) != nameOf('M', i) ||
        gMotion.morphs[e].keyCount != 1 || gMotion.morphs[e].lastFrame != i) {
      ADD_FAILURE() << "morph entry " << e;
      break;
    }
    ++counted;
  }
  EXPECT_EQ(counted, kMorphRoom);
  EXPECT_EQ(bone("センター").keyCount, 1);
  EXPECT_EQ(morph("あ").keyCount, 1);
  // Each name that found no room counts once, the repeated B00000 not at all.
  EXPECT_EQ(gMotion.namesRefused, (kNames - kBoneRoom) + (kNames - kMorphRoom));
  EXPECT_EQ(gMotion.recordsRead[MOTION_BLOCK_BONES], kNames + 2);
  // The fields after the tables are intact.
  EXPECT_EQ(gMotion.boneKeyTotal, kNames + 2);
  EXPECT_EQ(gMotion.morphKeyTotal, kNames + 1);
  EXPECT_EQ(gMotion.cameraKeyTotal, 0);
  EXPECT_EQ(std::string(gMotion.modelName), sjis("多数"));
}

// ---- What the read tells its callers ----

TEST_F(MotionReader, WhereTheFileEndedPerBlock) {
  const std::vector<uint8_t> full = fullMotion();
  constexpr MotionBlock NONE = MOTION_BLOCK_NONE;
  struct Case {
    int length;
    MotionBlock endBlock;
    uint8_t inCount;
    int32_t records[MOTION_BLOCK_COUNT]; // bones, morphs, camera, light, shadow, show-IK
    const char* what;
  } cases[] = {
      {40, MOTION_BLOCK_BONES, 0xFF, {0, 0, 0, 0, 0, 0}, "inside the model name"},
      {52, MOTION_BLOCK_BONES, 0xFF, {0, 0, 0, 0, 0, 0}, "inside the bone count"},
      {kBones + 111 + 50, MOTION_BLOCK_BONES, 0, {1, 0, 0, 0, 0, 0}, "inside a bone record"},
      {kMorphCount, NONE, 0, {2, 0, 0, 0, 0, 0}, "after the bones"},
      {kMorphCount + 2, MOTION_BLOCK_MORPHS, 0xFF, {2, 0, 0, 0, 0, 0}, "inside the morph count"},
      {kMorphs + 15, MOTION_BLOCK_MORPHS, 0, {2, 0, 0, 0, 0, 0}, "after a morph name"},
      {kMorphs + 23 + 5, MOTION_BLOCK_MORPHS, 0, {2, 1, 0, 0, 0, 0}, "inside a morph name"},
      {kCameraCount, NONE, 0, {2, 2, 0, 0, 0, 0}, "after the morphs"},
      {kCamera + 58, MOTION_BLOCK_CAMERA, 0, {2, 2, 0, 0, 0, 0}, "inside a camera"},
      {kShadowCount + 1, MOTION_BLOCK_SELF_SHADOW, 0xFF, {2, 2, 1, 1, 0, 0}, "shadow count"},
      {kEnd - 1, MOTION_BLOCK_SHOW_IK, 0, {2, 2, 1, 1, 1, 0}, "inside the IK entries"},
      {kEnd, NONE, 0, {2, 2, 1, 1, 1, 1}, "complete"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    nameListResetAll();
    registerBuiltinTables();
    read(std::vector<uint8_t>(full.begin(), full.begin() + c.length));
    EXPECT_EQ(gMotion.endBlock, c.endBlock);
    EXPECT_EQ(gMotion.endInCount, c.inCount);
    for (int b = 0; b < MOTION_BLOCK_COUNT; ++b)
      EXPECT_EQ(gMotion.recordsRead[b], c.records[b]) << "block " << b;
    EXPECT_EQ(gMotion.namesRefused, 0);
  }
}
