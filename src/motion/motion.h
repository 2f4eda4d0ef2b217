// The VMD motion reader: one forward pass over a motion file (VMD, format version 0002)
// that reduces it to per-name statistics. Keys are not stored.
//
// Every bone and morph name met is looked up in LIST_BONE / LIST_MORPH (names/namelist.h);
// the statistics of a name land on the entry it resolves to, so the built-in tables must be
// registered before a read. A name that matches no entry is appended as a literal entry.
// Camera, light, self-shadow and show-and-IK blocks are read for completeness only.
//
// Results: 0 read (also a file that ends early at a block boundary or inside a bone
// record), -1 cannot open, 2 not a version-2 VMD or cut inside a morph, camera, light,
// self-shadow or show-and-IK record. Nothing here allocates.
#pragma once

#include <cstdint>

#include "names/namelist.h"

// Slot 0 of each table is never used; entries 1..16384 of the name lists have a slot each.
constexpr int BONE_STATS_CAPACITY = NAME_LIST_CAPACITY + 1;
constexpr int MORPH_STATS_CAPACITY = NAME_LIST_CAPACITY + 1;
constexpr int VMD_NAME_SIZE = 15;
constexpr int VMD_MODEL_NAME_SIZE = 20;

struct BoneStats {
  int32_t keyCount;       // key records of this entry
  int32_t firstFrame;     // smallest frame number (999999 before the first key)
  int32_t lastFrame;      // largest frame number (-1 before the first key)
  uint8_t moved;          // 0xFF once a position or rotation component exceeded 0.01
  float maxTranslation;   // largest length of a key's position
  float maxRotation;      // largest length of a key's quaternion vector part
  float twistPlusMax;     // largest twist (sine of half angle) in the positive direction
  int32_t twistPlusFrame; // frame of twistPlusMax, -1 when none
  float twistMinusMax;    // the same in the negative direction
  int32_t twistMinusFrame;
};

struct MorphStats {
  int32_t keyCount;
  int32_t firstFrame;
  int32_t lastFrame;
  float minWeight; // 999.9 before the first key
  float maxWeight; // -999.9 before the first key
};

// How a read ended, for callers that explain a failure (the console front end).
enum MotionReadEnd : int32_t {
  MOTION_END_COMPLETE = 0,  // every block read (trailing bytes ignored)
  MOTION_END_EARLY = 1,     // ended at a block boundary or inside a bone record (result 0)
  MOTION_END_NO_FILE = 2,   // could not be opened (result -1)
  MOTION_END_SIGNATURE = 3, // not a version-2 VMD (result 2)
  MOTION_END_TRUNCATED = 4, // cut inside a morph ... show-and-IK record (result 2)
};

struct MotionSummary {
  // Reset at the start of every read; filled by the read.
  char modelName[VMD_MODEL_NAME_SIZE + 1]; // Shift-JIS, "" when the file has none
  BoneStats bones[BONE_STATS_CAPACITY];    // indexed by LIST_BONE entry
  MorphStats morphs[MORPH_STATS_CAPACITY]; // indexed by LIST_MORPH entry
  int32_t boneKeyTotal;                    // record counts as stored; 0 for a block the file lacks
  int32_t morphKeyTotal;
  int32_t cameraKeyTotal;
  int32_t lightKeyTotal;
  int32_t selfShadowKeyTotal;
  int32_t showIkKeyTotal;
  // Ours, for error messages: how the read ended and at which byte offset.
  MotionReadEnd end;
  int64_t endOffset; // bytes consumed when the read ended (the file size when cut)
  int openErrno;     // errno of a failed open, else 0
};
extern MotionSummary gMotion;

int readMotionFileAnsi(const char* ansiPath);
int readMotionFileWide(const char16_t* widePath);
// Shared body of the two: opens by widePath when useWide is nonzero, else by ansiPath.
int readMotionFile(const char* ansiPath, const char16_t* widePath, int useWide);
