// Fuzz target: the correction of a motion, as --fix runs it on a file that reads whole:
// checked, corrected into memory, the copy written out, read back and checked again.
//
// The input is the motion. Motions whose keys reach beyond frame 4,000 are only checked
// (the correction measures every frame, which would slow the fuzzer, not teach it).
//
// Checks: a result the correction knows; nothing to correct gives the motion byte for
// byte; a corrected copy reads whole, keeps the motion's key counts after the bone block,
// has its chains checked, and stays within 0.05 degrees of the motion's at every frame.
#include <cstdint>
#include <cstring>
#include <string>

#include "analysis/evaluate.h"
#include "analysis/report.h"
#include "fix/correction.h"
#include "fuzz_support.h"
#include "motion/motion.h"
#include "names/builtin_tables.h"
#include "names/namelist.h"

namespace {

constexpr int32_t kFrameLimit = 4000;

struct Copy {
  std::string bytes;
};

int toMemory(const void* data, size_t size, void* context) {
  static_cast<Copy*>(context)->bytes.append(static_cast<const char*>(data), size);
  return 0;
}

// The motion's bone keys lie in 0..kFrameLimit.
bool framesWithinLimit() {
  const int bones = nameListCount(LIST_BONE);
  for (int e = 1; e <= bones; ++e) {
    const BoneStats& b = gMotion.bones[e];
    if (b.keyCount > 0 && (b.firstFrame < 0 || b.lastFrame > kFrameLimit))
      return false;
  }
  return true;
}

int readAndEvaluate(const std::string& path) {
  nameListResetAll();
  registerBuiltinTables();
  const int result = readMotionFileAnsi(fuzz::ansiFormOf(path).c_str());
  // Whole as the console takes it: every block it has ends where its count says.
  const MotionSummary& m = gMotion;
  if (result != 0 || m.end == MOTION_END_SIGNATURE || m.endBlock != MOTION_BLOCK_NONE ||
      m.namesRefused > 0)
    return -1;
  writeReportHeader("motion.vmd", u"motion.vmd", 0);
  evaluateMotion();
  return 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = fuzz::writeScratch("motion.vmd", data, size);
  if (readAndEvaluate(path) != 0) {
    fuzz::count("not whole");
    return 0;
  }
  if (!framesWithinLimit()) {
    fuzz::count("too long");
    return 0;
  }
  const int32_t morphs = gMotion.morphKeyTotal;

  Copy copy;
  const FixSink sink = {toMemory, &copy};
  static FixReport report;
  report = {};
  const int result = fixWriteCopy(fuzz::ansiFormOf(path).c_str(), u"", 0, &sink, &report);
  FUZZ_CHECK(result == FIX_COPY_CORRECTED || result == FIX_COPY_UNCHANGED ||
             result == FIX_COPY_BAD_ROTATION);
  if (result == FIX_COPY_BAD_ROTATION) {
    fuzz::count("bad rotation");
    return 0;
  }
  if (result == FIX_COPY_UNCHANGED) {
    FUZZ_CHECK(copy.bytes.size() == size && std::memcmp(copy.bytes.data(), data, size) == 0);
    fuzz::count("unchanged");
    return 0;
  }
  fuzz::count("corrected");
  FUZZ_CHECK(report.boneKeysAfter >= 0);
  const std::string copyPath = fuzz::writeScratch(
      "copy.vmd", reinterpret_cast<const uint8_t*>(copy.bytes.data()), copy.bytes.size());
  const int check = fixCheckCopy(fuzz::ansiFormOf(copyPath).c_str(), u"", 0, &report);
  FUZZ_CHECK(check == FIX_COPY_CORRECTED || check == FIX_COPY_UNCHANGED);
  FUZZ_CHECK(report.maxDifferenceDegrees <= 0.05);
  FUZZ_CHECK(readAndEvaluate(copyPath) == 0);
  FUZZ_CHECK(gMotion.boneKeyTotal == report.boneKeysAfter);
  FUZZ_CHECK(gMotion.morphKeyTotal == morphs);
  return 0;
}
