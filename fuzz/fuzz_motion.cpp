// Fuzz target: the VMD motion reader fed through a real file, then the report built from
// what it read (header, evaluation, listing, verdict).
//
// The input is the file. Its length picks how it is opened: odd lengths by the UTF-16 path
// (handle mode), even ones by the ANSI path (stream mode); one length in 61 opens a missing
// file or a directory instead, so every result code (-1, 0, 2) is reached. Lengths of
// 4n + 3 bytes also build the report, in its alias-file form when n is odd.
//
// Checks: the result, the key counts and the model name that the layout walk of
// tests/common/vmd_reference.h derives from the same bytes; the report's bounds.
#include <cstdint>
#include <cstring>
#include <string>

#include "analysis/evaluate.h"
#include "analysis/listing.h"
#include "analysis/report.h"
#include "common/vmd_reference.h"
#include "fuzz_support.h"
#include "motion/motion.h"
#include "names/builtin_tables.h"
#include "names/namelist.h"

namespace {

enum OpenMode { OPEN_ANSI, OPEN_WIDE, OPEN_MISSING, OPEN_DIRECTORY };

OpenMode openModeOf(size_t size) {
  if (size % 61 == 60)
    return (size / 61) % 2 == 0 ? OPEN_MISSING : OPEN_DIRECTORY;
  return size % 2 == 1 ? OPEN_WIDE : OPEN_ANSI;
}

int64_t keySum(bool bones) {
  int64_t sum = 0;
  const int count = nameListCount(bones ? LIST_BONE : LIST_MORPH);
  for (int e = 1; e <= count; ++e)
    sum += bones ? gMotion.bones[e].keyCount : gMotion.morphs[e].keyCount;
  return sum;
}

void checkStatistics() {
  const int bones = nameListCount(LIST_BONE);
  for (int e = 1; e <= bones; ++e) {
    const BoneStats& b = gMotion.bones[e];
    FUZZ_CHECK(b.keyCount >= 0);
    if (b.keyCount > 0)
      FUZZ_CHECK(b.firstFrame <= b.lastFrame);
    FUZZ_CHECK(!(b.maxTranslation < 0.0f) && !(b.maxRotation < 0.0f));
  }
  const int morphs = nameListCount(LIST_MORPH);
  for (int e = 1; e <= morphs; ++e) {
    const MorphStats& s = gMotion.morphs[e];
    FUZZ_CHECK(s.keyCount >= 0);
    if (s.keyCount > 0)
      FUZZ_CHECK(s.firstFrame <= s.lastFrame);
  }
}

void checkReport() {
  const ReportLines& r = gReport;
  FUZZ_CHECK(r.lineCount >= 0 && r.lineCount <= REPORT_LINE_CAPACITY);
  for (int i = 0; i < r.lineCount; ++i) {
    FUZZ_CHECK(r.length[i] < REPORT_LINE_SIZE);
    FUZZ_CHECK(std::memchr(r.text[i], 0, REPORT_LINE_SIZE) != nullptr);
    FUZZ_CHECK(std::strlen(r.text[i]) == r.length[i]);
  }
  FUZZ_CHECK(std::memchr(gResult.text, 0, RESULT_TEXT_SIZE) != nullptr);
  bool wideEnds = false;
  for (int i = 0; i < RESULT_TEXT_SIZE && !wideEnds; ++i)
    wideEnds = gResult.textW[i] == 0;
  FUZZ_CHECK(wideEnds);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = fuzz::writeScratch("motion.vmd", data, size);
  const OpenMode mode = openModeOf(size);
  nameListResetAll();
  registerBuiltinTables();

  int result;
  switch (mode) {
  case OPEN_MISSING:
    result = readMotionFileAnsi(fuzz::ansiFormOf(path + ".missing").c_str());
    break;
  case OPEN_DIRECTORY:
    result = readMotionFileWide(fuzz::wideFormOf(fuzz::scratch().dir).c_str());
    break;
  case OPEN_WIDE:
    result = readMotionFileWide(fuzz::wideFormOf(path).c_str());
    break;
  default:
    result = readMotionFileAnsi(fuzz::ansiFormOf(path).c_str());
    break;
  }

  if (mode == OPEN_MISSING || mode == OPEN_DIRECTORY) {
    FUZZ_CHECK(result == -1);
    fuzz::count("cannot-open");
  } else {
    const testing_vmd::ReadExpectation expected = testing_vmd::expectedRead(data, size);
    FUZZ_CHECK(result == expected.result);
    fuzz::count(result == 0 ? "read" : "damaged");
    FUZZ_CHECK(std::string(gMotion.modelName) == expected.modelName);
    if (expected.boneCountRead)
      FUZZ_CHECK(gMotion.boneKeyTotal == expected.boneCount);
    // Every whole record lands on an entry while the lists have room.
    if (nameListCount(LIST_BONE) < NAME_LIST_CAPACITY)
      FUZZ_CHECK(keySum(true) == expected.boneRecords);
    if (nameListCount(LIST_MORPH) < NAME_LIST_CAPACITY)
      FUZZ_CHECK(keySum(false) == expected.morphRecords);
  }
  checkStatistics();

  // The report is built for one input length in four (its evaluation looks up dozens of
  // names and would otherwise take most of the run time).
  if (size % 4 != 3)
    return 0;
  const int aliasInUse = (size / 4) % 2 != 0 ? 0xFF : 0;
  writeReportHeader("motion.vmd", u"motion.vmd", aliasInUse);
  evaluateMotion();
  computeNameWidths(aliasInUse);
  writeBoneListing(aliasInUse);
  writeMorphListing(aliasInUse);
  composeResultText();
  checkReport();
  return 0;
}
