// One bone's keys of a VMD motion (a track), and the bone's rotation and position at any
// frame as the viewer plays them.
//
// Fill a track's keys with the bone's records in file order, then call fixTrackFinish: it
// sorts them by frame, keeps the later record where two share a frame and normalises the
// rotations. The evaluation functions then give the motion at any frame: a key's curves
// govern the segment that ends at it; the rotation is slerped along the shorter arc with the
// rotation curve's weight, each position axis is interpolated with its own curve; before the
// first key the first holds, after the last the last; a track without keys is the identity
// rotation at position zero. Arithmetic is in double precision.
//
// Limits: positions are taken as they are (not checked for being finite); the evaluation
// functions expect a finished track.
#pragma once

#include <cstdint>
#include <vector>

#include "fix/curve.h"

// Results of this module (src/fix/).
enum FixResult : int32_t {
  FIX_OK = 0,
  FIX_ERROR_NO_MEMORY = -1, // an allocation failed; outputs hold no partial result
  FIX_ERROR_ROTATION = -2,  // a rotation of zero length or not finite (its frame is reported)
  FIX_ERROR_ARGUMENT = -3,  // a null pointer, a count or index out of range, a bad tolerance,
                            // or a track that is not finished
};

// A rotation: vector part first, scalar last, as VMD stores it.
struct FixQuat {
  double x, y, z, w;
};

struct FixKey {
  int32_t frame;                         // integer frame, as VMD stores it
  float position[3];                     // x, y, z
  float rotation[4];                     // x, y, z, w
  uint8_t interpolation[FIX_BLOCK_SIZE]; // the 64-byte block (fix/curve.h)
  int32_t recordIndex;                   // the record's index in the file; -1 for a key made here
};

struct FixTrack {
  std::vector<FixKey> keys; // after fixTrackFinish: by frame, one per frame, unit rotations
};

// Finishes a track filled with one bone's records in file order (the order of keys): sorts
// them by frame, keeps the later record where frames are equal, normalises each rotation.
// Returns FIX_OK; FIX_ERROR_ROTATION when a kept record's rotation has zero length or is not
// finite (*badFrame: the smallest such frame; the keys are then sorted and deduplicated but
// no rotation is changed); FIX_ERROR_NO_MEMORY (keys unchanged). badFrame may be null.
int fixTrackFinish(FixTrack* track, int32_t* badFrame);

// The rotation (unit) and the position at a frame (any real number). hint may be null; a
// caller that asks for many frames in increasing order passes the same variable, set to 0
// before the first call, and each answer then costs a constant time. Return 0.
int fixTrackRotation(const FixTrack* track, double frame, int32_t* hint, FixQuat* out);
int fixTrackPosition(const FixTrack* track, double frame, int32_t* hint, double out[3]);

// A track played frame after frame, for a caller that asks for frames that never
// decrease: each key segment is prepared once and its curve solved from the previous
// frame's parameter. Start it with fixSweepStart; the track must stay unchanged meanwhile.
struct FixSweep {
  const FixTrack* track;
  int32_t next;   // the key ending the current segment: 0 before the first, n after the last
  FixQuat q0, q1; // the segment's ends, q1 on q0's side
  double omega;   // their angle in quaternion space
  double sinOmega;
  FixBezier bezier; // the segment's rotation curve
  double s;         // the curve's last parameter; below 0 before the segment is prepared
};
void fixSweepStart(FixSweep* sweep, const FixTrack* track);
// The rotation at frame, as fixTrackRotation gives it.
FixQuat fixSweepRotation(FixSweep* sweep, double frame);

// out = a * b (Hamilton product; a child's rotation composed after its parent's is
// parent * child). out may be a or b. Returns 0.
int fixQuatMultiply(FixQuat* out, const FixQuat* a, const FixQuat* b);
// The inverse of a unit rotation (its conjugate).
FixQuat fixQuatInverse(const FixQuat* q);
// The angle in degrees (0..180) of the rotation between a and b, neither need be unit:
// 2 atan2(|v|, |w|) of a * conj(b), exact near 0. q and -q are the same rotation.
double fixRotationAngle(const FixQuat* a, const FixQuat* b);
