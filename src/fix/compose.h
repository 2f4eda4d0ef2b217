// Folding bones the viewer drops into bones it keeps: a new track for one bone whose
// rotation at every integer frame is, within a tolerance, the ordered product of several
// source tracks' rotations, some inverted. The callers fold
//   arm      腕′ = 肩P⁻¹ × 腕 × 腕捩 (or 腕 × 腕捩, or 肩P⁻¹ × 腕)
//   shoulder 肩′ = 肩P × 肩
//   wrist    手首′ = 手捩 × 手首
// the bone being rewritten (腕, 肩, 手首) being the primary source.
//
// Keys: the primary's frames, and each other source's frames where its rotation changes on
// either side. Where one source turns between two such frames the product is that source's
// slerp times constants, played exactly by a key pair carrying its curve (cut to the part);
// where several turn, keys are added at integer frames until a curve fitted to the product's
// progress meets the tolerance at every integer frame. Rounding of curves to bytes and of
// rotations to float is checked the same way. Positions and bytes 2 and 3 of the blocks come
// from the primary: its position curves cut where new keys fall inside its segments; the
// other sources' positions are dropped.
//
// Call fixCompose with finished tracks (fix/track.h); it fills a track of its own. Then, on
// the copy as read back, fixCheck measures the written motion against the product.
// Limits: at most FIX_SOURCE_CAPACITY sources; a tolerance below float rounding (about 1e-4
// degrees) puts a key at every frame where anything turns; a segment of more than 65,536
// frames in which several sources turn gets a key at least every 65,536 frames.
#pragma once

#include <cstdint>

#include "fix/track.h"

constexpr int32_t FIX_SOURCE_CAPACITY = 8;

struct FixSource {
  const FixTrack* track; // finished (fixTrackFinish)
  int32_t inverted;      // nonzero: the factor is the inverse of the track's rotation
};

struct FixComposeStats {
  int32_t keysWritten;     // keys of the new track
  int32_t framesJoined;    // of which the primary's frames and the others' turning frames
  int32_t segmentsRefined; // segments between those frames that needed keys of their own
  double maxErrorDegrees;  // the largest difference from the product at an integer frame
  int32_t maxErrorFrame;   // its frame; -1 when no key was written
};

// Writes into *out (its keys replaced) the track of the product sources[0] × sources[1] × ...
// × sources[sourceCount - 1]; sources[primary] gives positions and bytes 2 and 3. Each written
// key has recordIndex -1, a unit rotation whose dot product with the previous key's is >= 0,
// and its block by fixBlockWrite. toleranceDegrees: the largest difference allowed at an
// integer frame (finite, > 0). stats may be null.
// Returns FIX_OK; FIX_ERROR_ARGUMENT (a null pointer, sourceCount outside 1..
// FIX_SOURCE_CAPACITY, primary outside 0..sourceCount-1, a bad tolerance, a track that is not
// finished: frames not increasing, or a rotation's length off 1 by more than 1e-3);
// FIX_ERROR_ROTATION (a source key of zero length or not finite; stats->maxErrorFrame names its
// frame); FIX_ERROR_NO_MEMORY. On any error *out (when not null) holds no keys.
int fixCompose(FixTrack* out, const FixSource* sources, int32_t sourceCount, int32_t primary,
               double toleranceDegrees, FixComposeStats* stats);

// The largest difference in degrees between written's rotation and the product of the sources
// (as fixCompose takes them) over every integer frame from the first to the last key frame of
// all these tracks, in *maxErrorDegrees, and the first frame where it occurs in *frame (0 and
// -1 when no track has a key). Returns FIX_OK or FIX_ERROR_ARGUMENT (a null pointer,
// sourceCount outside 1..FIX_SOURCE_CAPACITY).
int fixCheck(const FixTrack* written, const FixSource* sources, int32_t sourceCount,
             double* maxErrorDegrees, int32_t* frame);
