// The copy the correction writes, through a sink of the test's: the header, the records it
// does not correct and every byte after the bone block come through as they are, the
// corrected keys follow, a failing write is never a copy, and a motion it cannot read whole
// is refused.
#include "fix/correction.h"

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "common/vmd_builder.h"
#include "motion/motion.h"
#include "names/builtin_tables.h"
#include "names/namelist.h"

namespace {

using testing_vmd::about;
using testing_vmd::sjis;
using testing_vmd::TempDir;
using testing_vmd::VmdBuilder;

// The bytes written, failing from byte failAt on.
struct MemorySink {
  std::string bytes;
  size_t failAt = std::string::npos;
};

int memoryWrite(const void* data, size_t size, void* context) {
  MemorySink& m = *static_cast<MemorySink*>(context);
  if (m.failAt != std::string::npos && m.bytes.size() + size > m.failAt)
    return 1;
  m.bytes.append(static_cast<const char*>(data), size);
  return 0;
}

const uint8_t kOddBlock[64] = {1, 2, 99, 15, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17};

// Records of bones the correction leaves alone (one with bytes after its name's NUL),
// 上半身２ to rename, 左腕 with its twist and 左肩 with its P, then the other blocks and a
// few trailing bytes.
std::string sampleMotion(size_t* boneBlockEnd) {
  VmdBuilder b;
  b.header(sjis("モデル")).count(10);
  b.bone(sjis("センター"), 0, 1, 2, 3, about(0, 1, 0, 5), kOddBlock);
  b.bone(sjis("左腕"), 0, about(0, 0, 1, 30)).bone(sjis("左腕"), 10, about(0, 0, 1, -40));
  b.bone(sjis("左腕捩"), 10, about(0.82, -0.57, 0, -60))
      .bone(sjis("左腕捩"), 0, about(0.82, -0.57, 0, 20));
  b.bone(sjis("上半身２"), 5, about(1, 0, 0, 10));
  b.bone(sjis("左肩P"), 4, about(0, 0, 1, 12)).bone(sjis("左肩"), 8, about(1, 0, 0, 7));
  b.field(sjis("頭") + std::string("\0junk", 5), 15).int32(3);
  for (int i = 0; i < 7; ++i)
    b.float32(i == 6 ? 1.0f : 0.0f);
  b.raw(kOddBlock, 64);
  b.bone(sjis("左ひじ"), 2, about(0, 1, 0, 45));
  *boneBlockEnd = b.bytes.size();
  b.count(1).morph(sjis("あ"), 3, 0.5f).count(0).count(0).count(0).count(0).raw("TAIL", 4);
  return std::string(b.bytes.begin(), b.bytes.end());
}

class Correction : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_TRUE(dir_.ok()); }
  // Writes bytes as a motion and corrects it into sink.
  int correct(const std::string& bytes, MemorySink* sink) {
    path_ = dir_.write("in.vmd", bytes);
    const FixSink s = {memoryWrite, sink};
    return fixWriteCopy(testing_vmd::ansiPathOf(path_).c_str(), u"", 0, &s, &report_);
  }
  TempDir dir_;
  std::string path_;
  FixReport report_;
};

std::string record(const std::string& bytes, size_t offset) {
  return bytes.substr(offset, VMD_BONE_RECORD_SIZE);
}

TEST_F(Correction, KeepsWhatItDoesNotCorrectAndChecksWhatItDoes) {
  size_t boneEnd = 0;
  const std::string source = sampleMotion(&boneEnd);
  MemorySink sink;
  ASSERT_EQ(correct(source, &sink), FIX_COPY_CORRECTED);
  const std::string& copy = sink.bytes;
  EXPECT_EQ(copy.substr(0, 50), source.substr(0, 50));
  // Untouched and renamed records first, in their order; the rewritten bones after them.
  const size_t at = 54, r = VMD_BONE_RECORD_SIZE;
  EXPECT_EQ(record(copy, at), record(source, at)); // センター
  EXPECT_EQ(record(copy, at + r).substr(0, 15), sjis("上半身2") + std::string(8, '\0'));
  EXPECT_EQ(record(copy, at + r).substr(15), record(source, at + 5 * r).substr(15));
  EXPECT_EQ(record(copy, at + 2 * r), record(source, at + 8 * r)); // 頭, bytes after the NUL kept
  EXPECT_EQ(record(copy, at + 3 * r), record(source, at + 9 * r)); // 左ひじ
  EXPECT_EQ(copy.substr(copy.size() - (source.size() - boneEnd)), source.substr(boneEnd));
  const int32_t count = report_.boneKeysAfter;
  EXPECT_EQ(copy.size(), 54 + count * r + (source.size() - boneEnd));
  EXPECT_EQ(std::memcmp(copy.data() + 50, &count, 4), 0);
  ASSERT_EQ(report_.correctedCount, 2);
  EXPECT_EQ(report_.corrected[0].bone, BONE_LEFT_SHOULDER);
  EXPECT_EQ(report_.corrected[1].bone, BONE_LEFT_ARM);
  EXPECT_EQ(report_.corrected[1].foldedCount, 2); // 左肩P and 左腕捩
  ASSERT_EQ(report_.renamedCount, 1);
  EXPECT_EQ(report_.renamed[0].to, BONE_UPPER_BODY_2);

  // Read back: the motion reader takes the copy whole, and its arm chain plays as the
  // source's at every frame.
  const std::string written = dir_.write("out.vmd", copy);
  const std::string ansi = testing_vmd::ansiPathOf(written);
  nameListResetAll();
  registerBuiltinTables();
  EXPECT_EQ(readMotionFileAnsi(ansi.c_str()), 0);
  EXPECT_EQ(gMotion.endBlock, MOTION_BLOCK_NONE);
  EXPECT_EQ(gMotion.boneKeyTotal, count);
  EXPECT_EQ(gMotion.bones[nameListFindInGroups(LIST_BONE, sjis("左腕捩").c_str(), 0)].keyCount, 0);
  EXPECT_EQ(fixCheckCopy(ansi.c_str(), u"", 0, &report_), FIX_COPY_CORRECTED);
  EXPECT_LE(report_.maxDifferenceDegrees, 0.05);
  EXPECT_GE(report_.maxDifferenceFrame, 0);
}

TEST_F(Correction, ACopyIsWholeOrRefused) {
  size_t boneEnd = 0;
  const std::string motion = sampleMotion(&boneEnd);
  VmdBuilder plain;
  plain.header().count(1).bone(sjis("頭"), 0, about(1, 0, 0, 20)).count(0).raw("rest", 4);
  const std::string nothing(plain.bytes.begin(), plain.bytes.end());
  VmdBuilder zero;
  zero.header().count(3).bone(sjis("右手捩"), 0, about(1, 0, 0, 30));
  zero.bone(sjis("右手捩"), 5, {0, 0, 0, 0}).bone(sjis("右手首"), 0);
  const std::string noRotation(zero.bytes.begin(), zero.bytes.end());
  const struct {
    const char* what;
    std::string bytes;
    size_t failAt;
    int result;
  } cases[] = {
      {"nothing to correct: byte for byte", nothing, std::string::npos, FIX_COPY_UNCHANGED},
      {"a write fails at once", motion, 0, FIX_COPY_WRITE_FAILED},
      {"a write fails in the records", motion, 300, FIX_COPY_WRITE_FAILED},
      {"a write fails in the tail", motion, motion.size() - 2, FIX_COPY_WRITE_FAILED},
      {"cut inside a bone record", motion.substr(0, 54 + 3 * 111 + 40), std::string::npos,
       FIX_COPY_UNREADABLE},
      {"not a VMD 0002 motion", "Vocaloid Motion Data file" + std::string(40, '\0'),
       std::string::npos, FIX_COPY_UNREADABLE},
      {"a twist key without a rotation", noRotation, std::string::npos, FIX_COPY_BAD_ROTATION},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    MemorySink sink;
    sink.failAt = c.failAt;
    EXPECT_EQ(correct(c.bytes, &sink), c.result);
    if (c.result == FIX_COPY_UNCHANGED) {
      EXPECT_EQ(sink.bytes, c.bytes);
    }
    if (c.result == FIX_COPY_BAD_ROTATION) {
      EXPECT_EQ(report_.badBone, BONE_RIGHT_HAND_TWIST);
    }
  }
}

} // namespace
