// The correction of a motion for the viewer: a copy in which the bones the viewer drops are
// folded into the bones it keeps, and the names it does not know are renamed, so that the
// viewer plays the copy as MMD plays the original. Per side (左, 右), when the bone has keys
// that turn or move:
//
//   arm twist   腕′ = 腕 × 腕捩                     腕捩 removed
//   hand twist  手首′ = 手捩 × 手首                  手捩 removed
//   shoulder P  肩′ = 肩P × 肩, 腕′ = 肩P⁻¹ × 腕 (× 腕捩)  肩P removed (肩C turns 肩P back)
//
// and 上半身２ / 左足ＩＫ親 / 右足ＩＫ親 are renamed to 上半身2 / 左足IK親 / 右足IK親 when only
// the full-width form is keyed. What else the verdict names needs the model's skeleton or
// its IK solved: it is listed as left, with the reason.
//
// The copy holds the source's header and model name, every record of a bone that is not
// corrected byte for byte and in its order (renamed ones with their new name), then the
// corrected bones' keys (fix/compose.h), then every byte after the bone block as it is. A
// motion with nothing to correct is copied byte for byte.
//
// Calling order, per motion: check the source with the analysis (gMotion and gEval describe
// it), fixWriteCopy into a sink (the new-file writer, or a test's), commit the file, then
// fixCheckCopy on the written copy. The state between the two is gFix.
#pragma once

#include <cstddef>
#include <cstdint>

#include "fix/motion_keys.h"

// An arm chain of the copy stays within 0.05 degrees of the source's at every integer frame.
// A side's rewritten bones (肩, 腕, 手首: one to three) share the allowance equally, since
// differences of rotations composed in a chain add up at most; 0.001 of it is kept back for
// the rounding of the check that measures the chain.
constexpr double FIX_CHAIN_TOLERANCE_DEGREES = 0.049;
// A copy whose chains the check finds further off than this is not kept.
constexpr double FIX_CHAIN_LIMIT_DEGREES = 0.05;

// Where the copy's bytes go. write returns 0, or nonzero when the bytes could not be written
// (the copy is then abandoned).
struct FixSink {
  int (*write)(const void* data, size_t size, void* context);
  void* context;
};

// Results of fixWriteCopy and fixCheckCopy.
enum FixCopyResult : int32_t {
  FIX_COPY_CORRECTED = 0,     // written, with corrections
  FIX_COPY_UNCHANGED = 1,     // written byte for byte: nothing to correct
  FIX_COPY_CANNOT_OPEN = -1,  // the motion could not be opened (again)
  FIX_COPY_UNREADABLE = -2,   // not a VMD 0002 motion, or cut inside the bone block
  FIX_COPY_CHANGED = -3,      // the file changed between its reads
  FIX_COPY_BAD_ROTATION = -4, // a key to fold has no rotation (badBone, badFrame)
  FIX_COPY_NO_MEMORY = -5,
  FIX_COPY_WRITE_FAILED = -6, // the sink refused bytes
  FIX_COPY_TOO_LONG = -7,     // keys to fold lie more than FIX_FRAME_SPAN_LIMIT frames apart
};
// The check measures every integer frame: keys further apart than this are refused rather
// than measured for minutes.
constexpr int64_t FIX_FRAME_SPAN_LIMIT = 10000000;

enum FixLeftReason : int32_t {
  LEFT_NEEDS_SKELETON,   // the model's skeleton decides the motion (D, _+ bones, 上半身3 ...)
  LEFT_NEEDS_IK,         // the model's IK must be solved (arm IK, a strongly turned IK parent)
  LEFT_BOTH_FORMS,       // both forms of the name are keyed: both stay as they are
  LEFT_MOVEMENT_DROPPED, // a folded key also moved: only its rotation could be kept
};
// The English text of a reason.
const char* fixLeftReasonText(int reason);

struct FixCorrectedBone {
  SpecialBone bone;      // the bone rewritten (肩, 腕 or 手首 of a side)
  int32_t keysBefore;    // its records in the source
  int32_t keysAfter;     // its keys in the copy
  int32_t foldedCount;   // bones folded into it (1 or 2)
  SpecialBone folded[2]; // 肩P, 腕捩, 手捩
  int32_t foldedKeys[2]; // their records
};

struct FixRenamedBone {
  SpecialBone from, to;
  int32_t keys;
};

struct FixLeftBone {
  SpecialBone bone;
  int32_t reason; // FixLeftReason
  int32_t keys;   // for LEFT_MOVEMENT_DROPPED: the keys whose movement was dropped
};

constexpr int FIX_CORRECTED_CAPACITY = 6;
constexpr int FIX_RENAMED_CAPACITY = 3;
constexpr int FIX_LEFT_CAPACITY = 48;

struct FixReport {
  // Set by fixWriteCopy.
  int32_t correctedCount;
  FixCorrectedBone corrected[FIX_CORRECTED_CAPACITY];
  int32_t renamedCount;
  FixRenamedBone renamed[FIX_RENAMED_CAPACITY];
  int32_t leftCount;
  FixLeftBone left[FIX_LEFT_CAPACITY];
  int32_t boneKeysBefore; // bone records of the source
  int32_t boneKeysAfter;  // of the copy
  SpecialBone badBone;    // FIX_COPY_BAD_ROTATION: the key's bone and frame
  int32_t badFrame;
  // Set by fixCheckCopy: the largest difference in degrees between the copy's arm chains
  // and the source's at an integer frame (0 when nothing was folded), its frame (-1 none)
  // and the chain's last bone there (肩, 腕 or 手首; SPECIAL_BONE_NONE when none).
  double maxDifferenceDegrees;
  int32_t maxDifferenceFrame;
  SpecialBone maxDifferenceBone;
  // The largest distance between a rewritten bone's position in the copy and in the source.
  double maxPositionDifference;
};

struct FixState {
  FixScan source; // the motion corrected, as fixWriteCopy read it
  FixScan copy;   // the copy, as fixCheckCopy read it
  FixTrack composed[FIX_SIDE_COUNT][CHAIN_BONE_COUNT]; // the rewritten bones' new keys
  uint8_t rewritten[FIX_SIDE_COUNT][CHAIN_BONE_COUNT]; // 1: the bone's records are replaced
  uint8_t removed[FIX_SIDE_COUNT][CHAIN_BONE_COUNT];   // 1: the bone's records are dropped
  uint8_t rename[RENAME_NAME_COUNT];                   // 1: the full-width name is renamed
  uint8_t buffer[65536];                               // the copy's bytes on their way to the sink
  size_t buffered;
};
extern FixState gFix;

// Reads the source (by widePath when useWide is nonzero, else ansiPath), decides what to
// correct, composes and writes the copy into sink, and fills report. gMotion and gEval must
// describe the same motion (they give the bones left). Returns FixCopyResult.
int fixWriteCopy(const char* ansiPath, const char16_t* widePath, int useWide, const FixSink* sink,
                 FixReport* report);

// Reads the written copy and measures its arm chains against the source's of the last
// fixWriteCopy at every integer frame, into report. Returns FIX_COPY_CORRECTED (or
// FIX_COPY_UNCHANGED when nothing was folded), or FIX_COPY_CANNOT_OPEN, FIX_COPY_UNREADABLE,
// FIX_COPY_NO_MEMORY.
int fixCheckCopy(const char* ansiPath, const char16_t* widePath, int useWide, FixReport* report);
