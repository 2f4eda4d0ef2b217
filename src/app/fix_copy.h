// The corrected copy of the motion just checked (gFile, gMotion, gEval), for the console's
// --fix and the window's F: the target refused when it is the motion itself or a file that
// may not be replaced, the copy written whole through the new-file writer (text/newfile.h),
// read back and measured before it takes its name, or not written at all.
#pragma once

#include <cstdint>

#include "fix/correction.h"

enum CorrectedCopyResult : int32_t {
  COPY_WRITTEN,        // the corrected copy is in place
  COPY_UNCHANGED,      // nothing to correct: a byte-for-byte copy is in place (or, when not
                       // kept, nothing was written)
  COPY_SOURCE_REFUSED, // the motion cannot be corrected (reason); nothing written
  COPY_TARGET_REFUSED, // the target may not be written (reason); nothing written
  COPY_FAILED,         // writing failed (reason); nothing left
};

struct CorrectedCopy {
  int32_t result;   // CorrectedCopyResult
  char reason[256]; // UTF-8: why not written, "" when it was
  FixReport report; // what was corrected and left (fix/correction.h)
};

// Writes the copy of the current file to targetW (UTF-16 form; ANSI form targetAnsi, either
// may be empty but not both), replacing an existing regular file only when replace is
// nonzero, never the motion itself. With keepUnchanged 0 a motion with nothing to correct
// leaves no file. Returns the result, also in out->result.
int writeCorrectedCopy(const char* targetAnsi, const char16_t* targetW, int replace,
                       int keepUnchanged, CorrectedCopy* out);
