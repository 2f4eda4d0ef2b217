// The VMD reader on damaged files: every prefix of real motions, counts that claim far more
// records than the file holds. The expected result of each read comes from the layout walk
// of common/vmd_reference.h, which shares no code with the reader; the walk itself is held
// to cut points worked out by hand first.
#include "motion/motion.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/wait.h>
#endif

#include <gtest/gtest.h>

#include "common/vmd_builder.h"
#include "common/vmd_reference.h"
#include "names/builtin_tables.h"
#include "names/namelist.h"
#include "text/files.h"
#include "text/pathconv.h"

using test_text::widePathOf;
using testing_vmd::ansiPathOf;
using testing_vmd::expectedRead;
using testing_vmd::ReadExpectation;
using testing_vmd::sjis;
using testing_vmd::TempDir;
using testing_vmd::VmdBuilder;

#if defined(__SANITIZE_ADDRESS__)
#define KT_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KT_ADDRESS_SANITIZER 1
#endif
#endif
#ifndef KT_ADDRESS_SANITIZER
#define KT_ADDRESS_SANITIZER 0
#endif

namespace {

int64_t keysCounted(int list) {
  int64_t total = 0;
  for (int e = 1; e <= nameListCount(list); ++e)
    total += list == LIST_BONE ? gMotion.bones[e].keyCount : gMotion.morphs[e].keyCount;
  return total;
}

// Reads the file at path by its ANSI path or, with wide set, its UTF-16 path, after the
// built-in tables were registered (or into empty lists, without builtins).
int readAt(const std::string& path, bool wide, bool builtins = true) {
  nameListResetAll();
  if (builtins)
    registerBuiltinTables();
  return wide ? readMotionFileWide(widePathOf(path).c_str())
              : readMotionFileAnsi(ansiPathOf(path).c_str());
}

// What a read left, against what the layout walk expects; empty when they agree.
std::string mismatch(int result, const ReadExpectation& e) {
  std::string out;
  if (result != e.result)
    out += " result " + std::to_string(result) + " (expected " + std::to_string(e.result) + ")";
  if (gMotion.recordsRead[MOTION_BLOCK_BONES] != e.boneRecords ||
      gMotion.recordsRead[MOTION_BLOCK_MORPHS] != e.morphRecords)
    out += " records read";
  if (gMotion.namesRefused > 0) {
    // Names used once each: every refused name is one skipped key.
    if (keysCounted(LIST_BONE) + keysCounted(LIST_MORPH) + gMotion.namesRefused !=
        e.boneRecords + e.morphRecords)
      out += " keys counted and refused";
    return out;
  }
  if (keysCounted(LIST_BONE) != e.boneRecords)
    out += " bone keys " + std::to_string(keysCounted(LIST_BONE)) + " (expected " +
           std::to_string(e.boneRecords) + ")";
  if (keysCounted(LIST_MORPH) != e.morphRecords)
    out += " morph keys " + std::to_string(keysCounted(LIST_MORPH)) + " (expected " +
           std::to_string(e.morphRecords) + ")";
  if (gMotion.modelName != e.modelName)
    out += " model name";
  if (e.boneCountRead && gMotion.boneKeyTotal != e.boneCount)
    out += " bone count";
  return out;
}

std::vector<std::string> sampleMotions() {
  std::vector<std::string> files;
  for (const std::string& name : test_files::listFolder(KT_SAMPLES_DIR)) {
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".vmd") == 0)
      files.push_back(std::string(KT_SAMPLES_DIR) + "/" + name);
  }
  return files;
}

// ---- A motion with every block, and its cut points worked out by hand ----

std::vector<uint8_t> everyBlock() {
  VmdBuilder b;
  b.header(sjis("ミク"));
  b.count(2).bone(sjis("左腕"), 1).bone(sjis("センター"), 2, 0.5f, 0, 0, {});
  b.count(2).morph(sjis("あ"), 3, 0.5f).morph(sjis("い"), 4, 1.0f);
  b.count(1).int32(5).zeros(7 * 4 + 24).float32(30.0f).raw("\x01", 1); // camera
  b.count(1).int32(6).zeros(6 * 4);                                    // light
  b.count(1).int32(7).raw("\x01", 1).float32(0.1f);                    // self-shadow
  b.count(1).int32(8).raw("\x01", 1).int32(2);                         // show-and-IK
  b.field(sjis("左足ＩＫ"), 20).raw("\x01", 1).field(sjis("右足ＩＫ"), 20).raw("\x01", 1);
  b.zeros(21); // trailing bytes
  return b.bytes;
}

} // namespace

TEST(MotionDamage, TheLayoutWalkKeepsTheReadersEndOfFileRules) {
  const std::vector<uint8_t> full = everyBlock();
  ASSERT_EQ(full.size(), 512u);
  // Offsets: bones 54, morph count 276, morphs 280, camera count 326, camera 330, light
  // count 391, light 395, shadow count 423, shadow 427, show-IK count 436, record 440,
  // IK count 445, IK entries 449 and 470, end 491, then 21 trailing bytes.
  struct Cut {
    size_t length;
    int result;
    int64_t bones, morphs;
    const char* why;
  } cuts[] = {
      {0, 2, 0, 0, "empty"},
      {24, 2, 0, 0, "cut inside the version digits"},
      {25, 0, 0, 0, "signature whole, model name cut"},
      {53, 0, 0, 0, "bone count cut"},
      {54 + 110, 0, 0, 0, "first bone record cut"},
      {54 + 111, 0, 1, 0, "one bone record"},
      {276, 0, 2, 0, "ends after the bones"},
      {280, 2, 2, 0, "morph name due, none there"},
      {280 + 14, 2, 2, 0, "morph name cut"},
      {280 + 15, 0, 2, 0, "morph cut after its name"},
      {280 + 23, 2, 2, 1, "second morph name due"},
      {326, 0, 2, 2, "ends after the morphs"},
      {330, 2, 2, 2, "camera frame due"},
      {330 + 55, 2, 2, 2, "camera interpolation cut"},
      {330 + 56, 0, 2, 2, "camera view angle cut"},
      {395 + 15, 2, 2, 2, "light colour cut"},
      {395 + 16, 0, 2, 2, "light position cut"},
      {427 + 3, 2, 2, 2, "self-shadow frame cut"},
      {427 + 4, 0, 2, 2, "self-shadow mode cut"},
      {440 + 4, 2, 2, 2, "show flag cut"},
      {445 + 3, 0, 2, 2, "IK count cut: reads as negative"},
      {449 + 19, 2, 2, 2, "first IK name cut"},
      {449 + 20, 2, 2, 2, "first enabled flag cut, another IK due"},
      {470 + 20, 0, 2, 2, "last enabled flag cut"},
      {491, 0, 2, 2, "whole"},
      {512, 0, 2, 2, "trailing bytes"},
  };
  TempDir dir;
  for (const Cut& c : cuts) {
    SCOPED_TRACE(c.why);
    const ReadExpectation e = expectedRead(full.data(), c.length);
    EXPECT_EQ(e.result, c.result);
    EXPECT_EQ(e.boneRecords, c.bones);
    EXPECT_EQ(e.morphRecords, c.morphs);
    const std::string path =
        dir.write("cut.vmd", std::vector<uint8_t>(full.begin(), full.begin() + c.length));
    EXPECT_EQ(mismatch(readAt(path, false), e), "");
  }
}

TEST(MotionDamage, ANameFloodCutAnywhere) {
  // Every key a name of its own, more than the lists hold, then the other blocks.
  constexpr int kKeys = 17000;
  VmdBuilder b;
  b.header(sjis("洪水")).count(kKeys);
  char name[16];
  for (int i = 0; i < kKeys; ++i) {
    std::snprintf(name, sizeof name, "b%07d", i);
    b.bone(name, i);
  }
  b.count(kKeys);
  for (int i = 0; i < kKeys; ++i) {
    std::snprintf(name, sizeof name, "m%07d", i);
    b.morph(name, i, 0.5f);
  }
  const std::vector<uint8_t> tail = everyBlock();
  const size_t tailStart = 54 + 2 * 111 + 4 + 2 * 23; // the camera count of everyBlock()
  b.raw(tail.data() + tailStart, tail.size() - tailStart);
  const size_t morphs = 54 + kKeys * 111 + 4;
  const size_t lengths[] = {
      54 + 16000 * 111 + 60,    morphs - 2,          morphs + 16500 * 23 + 7,
      morphs + 16500 * 23 + 20, morphs + kKeys * 23, b.bytes.size(),
  };
  TempDir dir;
  for (size_t length : lengths) {
    SCOPED_TRACE(length);
    const std::string path =
        dir.write("flood.vmd", std::vector<uint8_t>(b.bytes.begin(), b.bytes.begin() + length));
    EXPECT_EQ(mismatch(readAt(path, length % 2 == 1), expectedRead(b.bytes.data(), length)), "");
  }
  EXPECT_EQ(gMotion.namesRefused, 2 * kKeys - (NAME_LIST_CAPACITY - BUILTIN_BONE_COUNT) -
                                      (NAME_LIST_CAPACITY - BUILTIN_MORPH_COUNT));
}

#ifdef _WIN32
constexpr size_t kPrefixStride = 53;
#else
constexpr size_t kPrefixStride = 1;
#endif

// Each prefix costs a read of its bytes, so every prefix of a file of n bytes costs n²/2:
// minutes for the dances of a few megabytes. A large file gets every k-th prefix instead,
// k the first prime from the stride above that keeps one file's reads near 2 GB and divides
// no record size (111, 23, 61, 28 and 9 bytes), so the cuts still fall on every offset
// within the records.
size_t prefixStride(size_t size) {
  constexpr double kReadBudget = 2e9;
  const double wanted = static_cast<double>(size) * static_cast<double>(size) / (2 * kReadBudget);
  size_t stride = wanted > kPrefixStride ? static_cast<size_t>(wanted) : kPrefixStride;
  if (stride == 1)
    return 1;
  auto isPrime = [](size_t n) {
    for (size_t d = 2; d * d <= n; ++d)
      if (n % d == 0)
        return false;
    return true;
  };
  while (!isPrime(stride) || stride == 61)
    ++stride;
  return stride;
}

TEST(MotionDamage, EveryPrefixOfEverySampleMotion) {
  const std::vector<std::string> samples = sampleMotions();
  if (samples.empty())
    GTEST_SKIP() << "no sample motions in " KT_SAMPLES_DIR
                    " (set KINETRACE_SAMPLES_DIR to a folder of .vmd files)";
  TempDir dir;
  const std::string path = dir.path() + "/prefix.vmd";
  for (const std::string& sample : samples) {
    SCOPED_TRACE(sample);
    const std::string content = test_files::readFile(sample);
    const std::vector<uint8_t> bytes(content.begin(), content.end());
    ASSERT_FALSE(bytes.empty());
    ASSERT_EQ(expectedRead(bytes.data(), bytes.size()).result, 0) << "a sample reads whole";
    // One copy of the file, cut shorter and shorter in place. Windows refuses the reader a
    // file that is open for writing elsewhere: there it is opened for each cut.
    dir.write("prefix.vmd", bytes);
#ifdef _WIN32
    auto cut = [&path](size_t length) {
      const int fd = open(path.c_str(), O_WRONLY | O_BINARY);
      const bool done = fd >= 0 && ftruncate(fd, static_cast<off_t>(length)) == 0;
      return close(fd) == 0 && done;
    };
#else
    int fd = open(path.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    auto cut = [fd](size_t length) { return ftruncate(fd, static_cast<off_t>(length)) == 0; };
#endif
    int failures = 0;
    // Under Wine each open is a trip to its server (about a millisecond a prefix): there
    // every 53rd prefix at least, and the whole file.
    const size_t stride = prefixStride(bytes.size());
    for (size_t length = bytes.size() + 1; length-- > 0 && failures < 5;) {
      if (stride > 1 && length % stride != 0 && length != bytes.size())
        continue;
      ASSERT_TRUE(cut(length));
      // Both ways of opening, alternately: the stream and the descriptor read-ahead. The
      // built-in tables only for the whole file: where names land does not change how a
      // damaged file ends, and matching hundreds of names against them at each of the
      // prefixes would take minutes.
      const int result = readAt(path, length % 2 == 1, length == bytes.size());
      const std::string wrong = mismatch(result, expectedRead(bytes.data(), length));
      if (!wrong.empty()) {
        ADD_FAILURE() << "prefix of " << length << " bytes:" << wrong;
        ++failures;
      }
    }
#ifndef _WIN32
    close(fd);
#endif
  }
}

TEST(MotionDamage, CountsFarBeyondTheFileEndAtTheFile) {
  // Each block claims 2,147,483,647 records and holds two; the read ends where the file
  // does, by the rule of the block it ends in.
  auto withCount = [](int block) {
    VmdBuilder b;
    b.header(sjis("多い"));
    const int32_t big = INT32_MAX;
    b.count(block == 0 ? big : 2).bone(sjis("左腕"), 1).bone(sjis("右腕"), 2);
    if (block == 0)
      return b.bytes;
    b.count(block == 1 ? big : 2).morph(sjis("あ"), 3, 1.0f).morph(sjis("い"), 4, 0.5f);
    if (block == 1)
      return b.bytes;
    b.count(block == 2 ? big : 0);
    if (block == 2) {
      for (int i = 0; i < 2; ++i)
        b.int32(i).zeros(7 * 4 + 24).float32(30.0f).raw("\x01", 1);
      return b.bytes;
    }
    b.count(block == 3 ? big : 0);
    if (block == 3) {
      b.int32(1).zeros(6 * 4).int32(2).zeros(6 * 4);
      return b.bytes;
    }
    b.count(block == 4 ? big : 0);
    if (block == 4) {
      b.int32(1).raw("\x01", 1).float32(0.1f).int32(2).raw("\x01", 1).float32(0.1f);
      return b.bytes;
    }
    // Show-and-IK: block 5 claims records, block 6 claims IK entries in one record.
    b.count(block == 5 ? big : 1).int32(8).raw("\x01", 1).int32(block == 6 ? big : 2);
    b.field(sjis("左足ＩＫ"), 20).raw("\x01", 1).field(sjis("右足ＩＫ"), 20).raw("\x01", 1);
    return b.bytes;
  };
  struct Case {
    int block;
    int result;
    const char* why;
  } cases[] = {
      {0, 0, "bones: a cut bone block ends the file cleanly"},
      {1, 2, "morphs: the third name is due and missing"},
      {2, 2, "cameras"},
      {3, 2, "lights"},
      {4, 2, "self-shadows"},
      {5, 2, "show-and-IK records"},
      {6, 2, "IK entries of one record"},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    const std::vector<uint8_t> bytes = withCount(c.block);
    const ReadExpectation e = expectedRead(bytes.data(), bytes.size());
    EXPECT_EQ(e.result, c.result);
    const std::string path = dir.write("big.vmd", bytes);
    for (bool wide : {false, true})
      EXPECT_EQ(mismatch(readAt(path, wide), e), "") << (wide ? "UTF-16 path" : "ANSI path");
  }
}

TEST(MotionDamage, ABoneCountOfTwoBillionAllocatesNothing) {
  VmdBuilder b;
  b.header(sjis("多い")).count(INT32_MAX);
  for (int i = 0; i < 3; ++i)
    b.bone(sjis("左腕"), i, 0.5f, 0, 0, {});
  TempDir dir;
  const std::string path = dir.write("big.vmd", b.bytes);
#if KT_ADDRESS_SANITIZER || defined(_WIN32)
  // The sanitizer reserves terabytes of address space up front, and Windows has no limit
  // for one forked child: the keys are counted without a limit.
  EXPECT_EQ(readAt(path, false), 0);
  EXPECT_EQ(keysCounted(LIST_BONE), 3);
#else
  // The read runs in a child whose address space may grow by no more than 64 MB: a reader
  // that sized anything by the count could not get the memory and would fail.
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    rlimit limit;
    long pages = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
      if (std::fscanf(f, "%ld", &pages) != 1)
        pages = 0;
      std::fclose(f);
    }
    if (pages == 0)
      _exit(3);
    limit.rlim_cur = limit.rlim_max =
        static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (64 << 20);
    if (setrlimit(RLIMIT_AS, &limit) != 0)
      _exit(3);
    const int result = readAt(path, false);
    const bool counted = keysCounted(LIST_BONE) == 3 && gMotion.boneKeyTotal == INT32_MAX;
    _exit(result == 0 && counted ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "the read crashed (signal " << WTERMSIG(status) << ")";
  ASSERT_NE(WEXITSTATUS(status), 3) << "could not limit the child's address space";
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the three keys were not read with result 0";
#endif
}

// Linux only: Windows has no FIFOs in its file system.
#ifndef _WIN32
TEST(MotionDamage, AFifoIsRefusedAtOnceWithItsReason) {
  TempDir dir;
  ASSERT_EQ(mkfifo(dir.path("pipe.vmd").c_str(), 0600), 0);
  alarm(10); // an open that waits for a writer ends the test program here
  for (bool wide : {false, true}) {
    EXPECT_EQ(readAt(dir.path("pipe.vmd"), wide), -1);
    EXPECT_EQ(gMotion.openErrno, OS_ERROR_NOT_REGULAR);
  }
  alarm(0);
}
#endif
