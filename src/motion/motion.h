// The VMD motion reader: one forward pass over a motion file (VMD, format version 0002)
// that reduces it to per-name statistics. Keys are not stored.
//
// Every bone and morph name met is looked up in LIST_BONE / LIST_MORPH (names/namelist.h);
// the statistics of a name land on the entry it resolves to, so the built-in tables must be
// registered before a read. A name that matches no entry is appended as a literal entry;
// when the list is full its keys are skipped (namesRefused). Each distinct name is looked
// up once per read and answered from a fixed table afterwards; the first look-up costs the
// same however many names the motion has. Camera, light, self-shadow and show-and-IK blocks
// are read for completeness only. Nothing here allocates.
//
// Results:
//   0  read; also a file that ends early where no field it needs is cut (table below)
//  -1  cannot open
//   2  not a version-2 VMD (also any file shorter than 25 bytes), or the file ends inside a
//      field that must be whole (table below)
//
// Where the file ends (from byte 25 on)    | result | the record cut
// -----------------------------------------|--------|---------------------------------------
// header, or any block count               |   0    | -
// at a block boundary                      |   0    | -
// anywhere in a bone record                |   0    | not counted
// morph name (also: no byte of it left)    |   2    | not counted
// morph frame or weight                    |   0    | not counted
// camera frame, numbers or interpolation   |   2    | -
// camera view angle or perspective flag    |   0    | -
// light frame or colour / light position   | 2 / 0  | -
// self-shadow frame / mode or distance     | 2 / 0  | -
// show-and-IK frame or show flag           |   2    | -
// show-and-IK IK count (reads as negative) |   0    | -
// an IK name / an enabled flag             | 2 / 0  | 2 when another IK name is still due
#pragma once

#include <cstdint>

#include "names/namelist.h"

// Slot 0 of each table is never used; entries 1..16384 of the name lists have a slot each.
// Every read starts each slot it may give a key from the start values noted below; a slot
// that no read has used yet holds zeros, which (like the start values) means no keys: read
// a slot's other members only when its keyCount is 1 or more.
constexpr int BONE_STATS_CAPACITY = NAME_LIST_CAPACITY + 1;
constexpr int MORPH_STATS_CAPACITY = NAME_LIST_CAPACITY + 1;
constexpr int VMD_NAME_SIZE = 15;
constexpr int VMD_MODEL_NAME_SIZE = 20;
// Distinct names (bone and morph together) a read remembers the answer of: both lists full
// and half as many again. Further names are looked up in the lists at each of their keys.
constexpr int NAME_CACHE_CAPACITY = 49152;

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

// What a slot holds before its first key.
constexpr BoneStats BONE_STATS_START = {0, 999999, -1, 0, 0.0f, 0.0f, 0.0f, -1, 0.0f, -1};
constexpr MorphStats MORPH_STATS_START = {0, 999999, -1, 999.9f, -999.9f};

// How a read ended, for callers that explain a failure (the console front end).
enum MotionReadEnd : int32_t {
  MOTION_END_COMPLETE = 0,  // every block read (trailing bytes ignored)
  MOTION_END_EARLY = 1,     // ended at a block boundary or inside a bone record (result 0)
  MOTION_END_NO_FILE = 2,   // could not be opened (result -1)
  MOTION_END_SIGNATURE = 3, // not a version-2 VMD (result 2)
  MOTION_END_TRUNCATED = 4, // cut inside a morph ... show-and-IK record (result 2)
};

// The blocks of a motion, in file order.
enum MotionBlock : int32_t {
  MOTION_BLOCK_NONE = -1,
  MOTION_BLOCK_BONES,
  MOTION_BLOCK_MORPHS,
  MOTION_BLOCK_CAMERA,
  MOTION_BLOCK_LIGHT,
  MOTION_BLOCK_SELF_SHADOW,
  MOTION_BLOCK_SHOW_IK,
  MOTION_BLOCK_COUNT
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
  // Where the read stopped, per block.
  int32_t recordsRead[MOTION_BLOCK_COUNT]; // records read whole (skipped keys included)
  // The block whose count or declared records the file ended inside. MOTION_BLOCK_NONE
  // when every block was read, when the file ended exactly at a block boundary (many tools
  // write no camera or light block), and when it could not be opened or is not a VMD. A
  // file that ends before its bone count is whole (inside the model name, say) ends in
  // the bone block's count.
  MotionBlock endBlock;
  uint8_t endInCount; // 0xFF when the file ended inside endBlock's 4-byte count, else 0
  // Distinct names the full name lists refused (their keys were skipped), per list: a name
  // refused as a bone and as a morph counts twice. Exact up to NAME_CACHE_CAPACITY
  // distinct names in a read; past that, every key of a refused name that found no room
  // in the table may count again, so the count may exceed the distinct names then.
  int32_t namesRefused;
};
extern MotionSummary gMotion;

int readMotionFileAnsi(const char* ansiPath);
int readMotionFileWide(const char16_t* widePath);
// Shared body of the two: opens by widePath when useWide is nonzero, else by ansiPath.
int readMotionFile(const char* ansiPath, const char16_t* widePath, int useWide);
