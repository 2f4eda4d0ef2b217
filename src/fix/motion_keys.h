// The bone keys the correction works on, read from a motion file in one pass, and the
// layout of a VMD bone record for writing keys back.
//
// fixScanMotion reads a whole VMD 0002 file through the byte reader (text/files.h) and
// keeps, per side, the keys of the seven bones of the arm chain (the shoulder P, shoulder,
// arm, arm twist, elbow, hand twist and wrist), plus the number of keys of the names a
// rename may touch. Every other record is passed over: the copy writer reads them again from
// the file. A name is the record's name field up to its first NUL, compared byte for byte.
#pragma once

#include <cstdint>

#include "fix/track.h"
#include "names/bone_roles.h"

constexpr int VMD_HEADER_BYTES = 50; // signature (30) and model name (20)
constexpr int VMD_BONE_RECORD_SIZE = 111;
constexpr int VMD_BONE_NAME_SIZE = 15;

// The bones of one side's arm chain, parent first.
enum FixChainBone : int32_t {
  CHAIN_SHOULDER_P,
  CHAIN_SHOULDER,
  CHAIN_ARM,
  CHAIN_ARM_TWIST,
  CHAIN_ELBOW,
  CHAIN_HAND_TWIST,
  CHAIN_WRIST,
  CHAIN_BONE_COUNT
};
constexpr int FIX_SIDE_COUNT = 2; // 0 left, 1 right

// The special bone of a chain bone on a side.
SpecialBone fixChainSpecialBone(int side, int chainBone);

// The names a rename looks at, in pairs: the full-width form, then the half-width one.
enum FixRenameName : int32_t {
  RENAME_UPPER_BODY_2_FULL_WIDTH,
  RENAME_UPPER_BODY_2,
  RENAME_LEFT_LEG_IK_PARENT_FULL_WIDTH,
  RENAME_LEFT_LEG_IK_PARENT,
  RENAME_RIGHT_LEG_IK_PARENT_FULL_WIDTH,
  RENAME_RIGHT_LEG_IK_PARENT,
  RENAME_NAME_COUNT
};
SpecialBone fixRenameSpecialBone(int name);

// What a bone record is to the correction.
enum FixRecordKind : int32_t { RECORD_OTHER, RECORD_CHAIN, RECORD_RENAME };
struct FixRecordRole {
  int32_t kind; // FixRecordKind
  int32_t side; // RECORD_CHAIN: the side and the chain bone
  int32_t bone;
  int32_t name; // RECORD_RENAME: the FixRenameName
};
// The role of a 111-byte bone record, by its name field.
FixRecordRole fixRecordRole(const uint8_t* record);

// Results of fixScanMotion.
enum FixScanResult : int32_t {
  SCAN_OK = 0,
  SCAN_CANNOT_OPEN = -1, // errno says why
  SCAN_NOT_VMD = -2,     // not a VMD 0002 motion
  SCAN_CUT = -3,         // the file ends inside its bone block
  SCAN_NO_MEMORY = -4,   // the keys did not fit in memory
};

struct FixScan {
  // Set by fixScanMotion.
  uint8_t header[VMD_HEADER_BYTES]; // signature and model name, as they are
  int32_t boneCount;                // the bone block's count as stored (records read)
  int64_t tailOffset;               // where the bone block ends: the rest is copied as it is
  FixTrack tracks[FIX_SIDE_COUNT][CHAIN_BONE_COUNT];   // finished (fix/track.h)
  int32_t records[FIX_SIDE_COUNT][CHAIN_BONE_COUNT];   // records of each, duplicates included
  int32_t movedKeys[FIX_SIDE_COUNT][CHAIN_BONE_COUNT]; // kept keys with a position not 0
  int32_t renameKeys[RENAME_NAME_COUNT];               // records of each name
  // A track whose kept key has a rotation of zero length or not a number cannot be
  // composed: the first such frame (the track is sorted, its rotations not normalised).
  uint8_t badRotation[FIX_SIDE_COUNT][CHAIN_BONE_COUNT];
  int32_t badFrame[FIX_SIDE_COUNT][CHAIN_BONE_COUNT];
};

// Reads the file (by widePath when useWide is nonzero, else by ansiPath) into scan. Any file
// that is not read whole up to its bone block's end is refused (the blocks after it are not
// looked at: the copy takes them as they are).
int fixScanMotion(FixScan* scan, const char* ansiPath, const char16_t* widePath, int useWide);

// Writes key as a bone record of name (Shift-JIS, at most 15 bytes; the rest of the field
// NUL) into out.
void fixEncodeBoneRecord(uint8_t out[VMD_BONE_RECORD_SIZE], const char* sjisName,
                         const FixKey& key);
