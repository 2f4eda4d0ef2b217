#include "app/fix_copy.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "app/check.h"
#include "app/state.h"
#include "motion/motion.h"
#include "os/os.h"
#include "text/encoding.h"
#include "text/files.h"
#include "text/newfile.h"

namespace {

int toNewFile(const void* data, size_t size, void*) {
  return nfwrite(data, size);
}

const char* nonEmpty(const char* s) {
  return s != nullptr && s[0] != '\0' ? s : nullptr;
}

const char16_t* nonEmpty(const char16_t* s) {
  return s != nullptr && s[0] != 0 ? s : nullptr;
}

int finish(CorrectedCopy& c, int result, const char* format, const char* detail = "") {
  c.result = result;
  std::snprintf(c.reason, sizeof c.reason, format, detail);
  return result;
}

int failedWrite(CorrectedCopy& c) {
  const int error = gNewFile.error != 0 ? gNewFile.error : EIO;
  if (error == EEXIST)
    return finish(c, COPY_TARGET_REFUSED, "exists (--overwrite replaces it)");
  return finish(c, COPY_FAILED, "cannot write: %s", fileErrorText(error));
}

// Why the motion cannot be corrected, for a result of fixWriteCopy below 0.
int refusedSource(CorrectedCopy& c, int result) {
  char bone[64];
  sjisToUtf8Bounded(bone, sizeof bone, specialBoneName(c.report.badBone));
  char text[160];
  switch (result) {
  case FIX_COPY_CANNOT_OPEN:
    return finish(c, COPY_SOURCE_REFUSED, "cannot open: %s", fileErrorText(errno));
  case FIX_COPY_BAD_ROTATION:
    std::snprintf(text, sizeof text, "the key of %s at frame %d has no rotation", bone,
                  c.report.badFrame);
    return finish(c, COPY_SOURCE_REFUSED, "%s", text);
  case FIX_COPY_TOO_LONG:
    std::snprintf(text, sizeof text, "the keys of %s lie more than %lld frames apart", bone,
                  static_cast<long long>(FIX_FRAME_SPAN_LIMIT));
    return finish(c, COPY_SOURCE_REFUSED, "%s", text);
  case FIX_COPY_NO_MEMORY:
    return finish(c, COPY_FAILED, "not enough memory");
  case FIX_COPY_WRITE_FAILED:
    return failedWrite(c);
  default: // not a motion after all, or changed between the reads
    return finish(c, COPY_SOURCE_REFUSED, "the motion changed while it was read");
  }
}

} // namespace

int writeCorrectedCopy(const char* targetAnsi, const char16_t* targetW, int replace,
                       int keepUnchanged, CorrectedCopy* out) {
  CorrectedCopy& c = *out;
  c.reason[0] = '\0';
  c.report = FixReport{};
  const FileState& f = gFile;
  char problem[sizeof c.reason];
  if (describeReadProblem(problem, sizeof problem) != 0)
    return finish(c, COPY_SOURCE_REFUSED, "%s", problem);
  if (nonEmpty(targetW) == nullptr)
    return finish(c, COPY_TARGET_REFUSED, "the name cannot be written");
  if (chksameforms(nonEmpty(targetAnsi), targetW, nonEmpty(f.ansiPath), nonEmpty(f.widePath)))
    return finish(c, COPY_TARGET_REFUSED, "refusing to write over the motion itself");
  const int kind = chkfilekindW(targetW);
  if (kind == OS_ENTRY_OTHER || kind == OS_ENTRY_CHAR)
    return finish(c, COPY_TARGET_REFUSED, "not a regular file");
  if (kind != OS_ENTRY_NONE && replace == 0)
    return finish(c, COPY_TARGET_REFUSED, "exists (--overwrite replaces it)");
  if (nfopen(targetW, replace) != 0)
    return failedWrite(c);
  const FixSink sink = {toNewFile, nullptr};
  // The form that read the motion in the check reads it again.
  const int useWide = f.ansiUnusable != 0 ? 1 : 0;
  errno = 0;
  const int result = fixWriteCopy(f.ansiPath, f.widePath, useWide, &sink, &c.report);
  if (result < 0) {
    nfabandon();
    return refusedSource(c, result);
  }
  if (result == FIX_COPY_UNCHANGED && keepUnchanged == 0) {
    nfabandon();
    return finish(c, COPY_UNCHANGED, "");
  }
  if (nfclose() != 0)
    return failedWrite(c);
  // The copy as the viewer will read it, before it takes the target's name: its arm chains
  // against the motion's at every frame.
  if (fixCheckCopy("", gNewFile.tempW, 1, &c.report) < 0) {
    nfabandon();
    return finish(c, COPY_FAILED, "the copy could not be read back");
  }
  if (c.report.maxDifferenceDegrees > FIX_CHAIN_LIMIT_DEGREES) {
    nfabandon();
    char off[128];
    std::snprintf(off, sizeof off,
                  "the copy's arm chains would differ from the motion's by %.4f degrees at "
                  "frame %d",
                  c.report.maxDifferenceDegrees, static_cast<int>(c.report.maxDifferenceFrame));
    return finish(c, COPY_FAILED, "%s", off);
  }
  if (nfcommit() != 0)
    return failedWrite(c);
  return finish(c, result == FIX_COPY_UNCHANGED ? COPY_UNCHANGED : COPY_WRITTEN, "");
}
