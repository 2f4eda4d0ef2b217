#include "fix/correction.h"

#include <cmath>
#include <cstring>
#include <new>

#include "analysis/evaluate.h"
#include "fix/compose.h"
#include "motion/motion.h"
#include "names/namelist.h"
#include "text/files.h"

FixState gFix;

namespace {

// ---- Index ----
// Deciding what to correct, the bones left, composing, writing the copy, checking it.

// A rotation closer to the identity than this is float noise: a bone keyed only so turns
// nothing, and is not worth a rewrite.
constexpr double NOISE_DEGREES = 1e-4;

const char* const kLeftReasons[] = {
    "needs the model's skeleton",
    "needs the model's IK solved",
    "both forms of the name are keyed",
    "its movement cannot be kept: only its rotation is folded",
};

// ---- What to correct ----

// The track turns or moves somewhere.
bool matters(const FixTrack& track) {
  const FixQuat identity = {0.0, 0.0, 0.0, 1.0};
  for (const FixKey& key : track.keys) {
    const FixQuat q = {key.rotation[0], key.rotation[1], key.rotation[2], key.rotation[3]};
    if (fixRotationAngle(&q, &identity) > NOISE_DEGREES || key.position[0] != 0.0f ||
        key.position[1] != 0.0f || key.position[2] != 0.0f)
      return true;
  }
  return false;
}

// The composition of a rewritten bone: its sources, in product order, and the primary.
struct Composition {
  FixSource sources[3];
  int32_t count;
  int32_t primary;
};

Composition compositionOf(const FixScan& scan, int side, int bone) {
  const FixTrack* t = scan.tracks[side];
  const uint8_t* removed = gFix.removed[side];
  Composition c = {};
  if (bone == CHAIN_SHOULDER) {
    c.sources[c.count++] = {&t[CHAIN_SHOULDER_P], 0};
    c.primary = c.count;
    c.sources[c.count++] = {&t[CHAIN_SHOULDER], 0};
  } else if (bone == CHAIN_ARM) {
    if (removed[CHAIN_SHOULDER_P])
      c.sources[c.count++] = {&t[CHAIN_SHOULDER_P], 1};
    c.primary = c.count;
    c.sources[c.count++] = {&t[CHAIN_ARM], 0};
    if (removed[CHAIN_ARM_TWIST])
      c.sources[c.count++] = {&t[CHAIN_ARM_TWIST], 0};
  } else {
    c.sources[c.count++] = {&t[CHAIN_HAND_TWIST], 0};
    c.primary = c.count;
    c.sources[c.count++] = {&t[CHAIN_WRIST], 0};
  }
  return c;
}

// Sets gFix.removed, rewritten and rename from the source's keys.
void planCorrections(const FixScan& scan) {
  for (int side = 0; side < FIX_SIDE_COUNT; ++side) {
    uint8_t* removed = gFix.removed[side];
    uint8_t* rewritten = gFix.rewritten[side];
    for (int bone = 0; bone < CHAIN_BONE_COUNT; ++bone) {
      removed[bone] = 0;
      rewritten[bone] = 0;
    }
    for (int bone : {CHAIN_SHOULDER_P, CHAIN_ARM_TWIST, CHAIN_HAND_TWIST})
      removed[bone] = matters(scan.tracks[side][bone]) ? 1 : 0;
    rewritten[CHAIN_SHOULDER] = removed[CHAIN_SHOULDER_P];
    rewritten[CHAIN_ARM] = removed[CHAIN_SHOULDER_P] | removed[CHAIN_ARM_TWIST];
    rewritten[CHAIN_WRIST] = removed[CHAIN_HAND_TWIST];
  }
  for (int name = 0; name < RENAME_NAME_COUNT; name += 2)
    gFix.rename[name] = scan.renameKeys[name] > 0 && scan.renameKeys[name + 1] == 0 ? 1 : 0;
}

bool anyCorrection() {
  for (int side = 0; side < FIX_SIDE_COUNT; ++side) {
    for (int bone = 0; bone < CHAIN_BONE_COUNT; ++bone) {
      if (gFix.rewritten[side][bone] || gFix.removed[side][bone])
        return true;
    }
  }
  for (int name = 0; name < RENAME_NAME_COUNT; ++name) {
    if (gFix.rename[name])
      return true;
  }
  return false;
}

// ---- The bones left ----

void addLeft(FixReport& r, SpecialBone bone, int reason, int32_t keys = 0) {
  if (r.leftCount < FIX_LEFT_CAPACITY)
    r.left[r.leftCount++] = {bone, reason, keys};
}

void addLeftBits(FixReport& r, int32_t flags, SpecialBoneSet set, int reason) {
  for (int i = 0; i < set.count; ++i) {
    if (flags & (1 << i))
      addLeft(r, specialBoneAt(set, i), reason);
  }
}

// Keyed, with a moving key: what the evaluation calls active.
bool active(SpecialBone bone) {
  const int entry = nameListFindInGroups(LIST_BONE, specialBoneName(bone), 0);
  return entry >= 1 && entry < BONE_STATS_CAPACITY && gMotion.bones[entry].keyCount >= 1 &&
         gMotion.bones[entry].moved != 0;
}

// What the verdict of the source names and the correction cannot mend, from gEval.
void noteLeftBones(const FixScan& scan, FixReport& r) {
  const Evaluation& e = gEval;
  addLeftBits(r, e.plusBoneFlags, PLUS_BONES, LEFT_NEEDS_SKELETON);
  if (scan.renameKeys[RENAME_UPPER_BODY_2_FULL_WIDTH] > 0 &&
      !gFix.rename[RENAME_UPPER_BODY_2_FULL_WIDTH])
    addLeft(r, BONE_UPPER_BODY_2_FULL_WIDTH, LEFT_BOTH_FORMS);
  addLeftBits(r, e.legDFlags, LEG_D_BONES, LEFT_NEEDS_SKELETON);
  addLeftBits(r, e.armDFlags, ARM_D_BONES, LEFT_NEEDS_SKELETON);
  if (e.extraParentFlags & 0x01)
    addLeft(r, BONE_UPPER_BODY_3, LEFT_NEEDS_SKELETON);
  const int fullWidth[2] = {RENAME_LEFT_LEG_IK_PARENT_FULL_WIDTH,
                            RENAME_RIGHT_LEG_IK_PARENT_FULL_WIDTH};
  for (int i = 0; i < 2; ++i) {
    if (scan.renameKeys[fullWidth[i]] > 0 && !gFix.rename[fullWidth[i]])
      addLeft(r, specialBoneAt(FULL_WIDTH_IK_PARENTS, i), LEFT_BOTH_FORMS);
  }
  for (int i = 0; i < 2; ++i) {
    if (active(specialBoneAt(ARM_IK_BONES, i)))
      addLeft(r, specialBoneAt(ARM_IK_BONES, i), LEFT_NEEDS_IK);
  }
  addLeftBits(r, e.legIkParentRotFlags >> 4, LEG_IK_PARENTS, LEFT_NEEDS_IK); // the strong bits
  addLeftBits(r, e.armTwistStrongFlags, ARM_BONES, LEFT_NEEDS_SKELETON);
  if (e.lowerBodyRating != 0)
    addLeft(r, BONE_LOWER_BODY, LEFT_NEEDS_SKELETON);
  if (e.waistUsed != 0)
    addLeft(r, BONE_WAIST, LEFT_NEEDS_SKELETON);
  for (int side = 0; side < FIX_SIDE_COUNT; ++side) {
    for (int bone : {CHAIN_SHOULDER_P, CHAIN_ARM_TWIST, CHAIN_HAND_TWIST}) {
      if (gFix.removed[side][bone] && scan.movedKeys[side][bone] > 0)
        addLeft(r, fixChainSpecialBone(side, bone), LEFT_MOVEMENT_DROPPED,
                scan.movedKeys[side][bone]);
    }
  }
}

// ---- Composing ----

// The first and last key frame of the tracks of a side, or false when none has a key.
bool frameSpan(const FixScan& scan, int side, int64_t* first, int64_t* last) {
  bool any = false;
  for (const FixTrack& t : scan.tracks[side]) {
    if (t.keys.empty())
      continue;
    const int64_t a = t.keys.front().frame;
    const int64_t b = t.keys.back().frame;
    if (!any || a < *first)
      *first = a;
    if (!any || b > *last)
      *last = b;
    any = true;
  }
  return any;
}

int composeAll(const FixScan& scan, FixReport& r) {
  for (int side = 0; side < FIX_SIDE_COUNT; ++side) {
    int rewrittenCount = 0;
    for (int bone = 0; bone < CHAIN_BONE_COUNT; ++bone)
      rewrittenCount += gFix.rewritten[side][bone] ? 1 : 0;
    const double tolerance =
        FIX_CHAIN_TOLERANCE_DEGREES / (rewrittenCount > 0 ? rewrittenCount : 1);
    for (int bone = 0; bone < CHAIN_BONE_COUNT; ++bone) {
      gFix.composed[side][bone].keys.clear();
      if (!gFix.rewritten[side][bone])
        continue;
      const Composition c = compositionOf(scan, side, bone);
      for (int i = 0; i < c.count; ++i) {
        const FixTrack* t = c.sources[i].track;
        const int chainBone = static_cast<int>(t - scan.tracks[side]);
        if (scan.badRotation[side][chainBone]) {
          r.badBone = fixChainSpecialBone(side, chainBone);
          r.badFrame = scan.badFrame[side][chainBone];
          return FIX_COPY_BAD_ROTATION;
        }
      }
      int64_t first = 0, last = 0;
      if (frameSpan(scan, side, &first, &last) && last - first > FIX_FRAME_SPAN_LIMIT) {
        r.badBone = fixChainSpecialBone(side, bone);
        r.badFrame = static_cast<int32_t>(last);
        return FIX_COPY_TOO_LONG;
      }
      const int result =
          fixCompose(&gFix.composed[side][bone], c.sources, c.count, c.primary, tolerance, nullptr);
      if (result == FIX_ERROR_NO_MEMORY)
        return FIX_COPY_NO_MEMORY;
      if (result != FIX_OK)
        return FIX_COPY_BAD_ROTATION;
    }
  }
  return FIX_COPY_CORRECTED;
}

void noteCorrections(const FixScan& scan, FixReport& r) {
  for (int side = 0; side < FIX_SIDE_COUNT; ++side) {
    for (int bone : {CHAIN_SHOULDER, CHAIN_ARM, CHAIN_WRIST}) {
      if (!gFix.rewritten[side][bone] || r.correctedCount >= FIX_CORRECTED_CAPACITY)
        continue;
      FixCorrectedBone& c = r.corrected[r.correctedCount++];
      c = {};
      c.bone = fixChainSpecialBone(side, bone);
      c.keysBefore = scan.records[side][bone];
      c.keysAfter = static_cast<int32_t>(gFix.composed[side][bone].keys.size());
      const int folds[3][2] = {
          {CHAIN_SHOULDER_P, -1}, {CHAIN_SHOULDER_P, CHAIN_ARM_TWIST}, {CHAIN_HAND_TWIST, -1}};
      const int* fold = folds[bone == CHAIN_SHOULDER ? 0 : bone == CHAIN_ARM ? 1 : 2];
      for (int k = 0; k < 2; ++k) {
        if (fold[k] >= 0 && gFix.removed[side][fold[k]]) {
          c.folded[c.foldedCount] = fixChainSpecialBone(side, fold[k]);
          c.foldedKeys[c.foldedCount++] = scan.records[side][fold[k]];
        }
      }
    }
  }
  for (int name = 0; name < RENAME_NAME_COUNT; name += 2) {
    if (gFix.rename[name] && r.renamedCount < FIX_RENAMED_CAPACITY)
      r.renamed[r.renamedCount++] = {fixRenameSpecialBone(name), fixRenameSpecialBone(name + 1),
                                     scan.renameKeys[name]};
  }
}

// ---- Writing ----

struct Output {
  const FixSink* sink;
  bool failed;
};

bool flush(Output& out) {
  if (!out.failed && gFix.buffered > 0 &&
      out.sink->write(gFix.buffer, gFix.buffered, out.sink->context) != 0)
    out.failed = true;
  gFix.buffered = 0;
  return !out.failed;
}

void put(Output& out, const void* data, size_t size) {
  const uint8_t* p = static_cast<const uint8_t*>(data);
  while (size > 0 && !out.failed) {
    if (gFix.buffered == sizeof gFix.buffer)
      flush(out);
    size_t n = sizeof gFix.buffer - gFix.buffered;
    if (n > size)
      n = size;
    std::memcpy(gFix.buffer + gFix.buffered, p, n);
    gFix.buffered += n;
    p += n;
    size -= n;
  }
}

void putInt32(Output& out, int32_t value) {
  const uint32_t v = static_cast<uint32_t>(value);
  const uint8_t bytes[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                            static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)};
  put(out, bytes, 4);
}

// Everything from the reader's place to the end of the file.
void putRest(Output& out) {
  static uint8_t chunk[65536];
  int n;
  while (!out.failed && (n = rfread(chunk, sizeof chunk)) > 0)
    put(out, chunk, static_cast<size_t>(n));
}

int32_t copyBoneCount(const FixScan& scan) {
  int64_t count = scan.boneCount;
  for (int side = 0; side < FIX_SIDE_COUNT; ++side) {
    for (int bone = 0; bone < CHAIN_BONE_COUNT; ++bone) {
      if (gFix.rewritten[side][bone] || gFix.removed[side][bone])
        count -= scan.records[side][bone];
      if (gFix.rewritten[side][bone])
        count += static_cast<int64_t>(gFix.composed[side][bone].keys.size());
    }
  }
  return static_cast<int32_t>(count);
}

// The second pass over the source: its records, the new keys, the rest.
int writeCorrected(const FixScan& scan, Output& out, int32_t boneCount) {
  uint8_t header[VMD_HEADER_BYTES + 4];
  if (rfgetbytes(header, sizeof header) != static_cast<int>(sizeof header) ||
      std::memcmp(header, scan.header, VMD_HEADER_BYTES) != 0)
    return FIX_COPY_CHANGED;
  put(out, header, VMD_HEADER_BYTES);
  putInt32(out, boneCount);
  uint8_t record[VMD_BONE_RECORD_SIZE];
  for (int32_t i = 0; i < scan.boneCount && !out.failed; ++i) {
    if (rfgetbytes(record, VMD_BONE_RECORD_SIZE) != VMD_BONE_RECORD_SIZE)
      return FIX_COPY_CHANGED;
    const FixRecordRole role = fixRecordRole(record);
    if (role.kind == RECORD_CHAIN &&
        (gFix.rewritten[role.side][role.bone] || gFix.removed[role.side][role.bone]))
      continue;
    if (role.kind == RECORD_RENAME && gFix.rename[role.name]) {
      // The new name in the name field; NUL after it, the rest of the record as it was.
      const char* name = specialBoneName(fixRenameSpecialBone(role.name + 1));
      std::memset(record, 0, VMD_BONE_NAME_SIZE);
      std::memcpy(record, name, std::strlen(name));
    }
    put(out, record, sizeof record);
  }
  if (rftell() != scan.tailOffset)
    return FIX_COPY_CHANGED;
  for (int side = 0; side < FIX_SIDE_COUNT; ++side) {
    for (int bone = 0; bone < CHAIN_BONE_COUNT; ++bone) {
      if (!gFix.rewritten[side][bone])
        continue;
      const char* name = specialBoneName(fixChainSpecialBone(side, bone));
      for (const FixKey& key : gFix.composed[side][bone].keys) {
        fixEncodeBoneRecord(record, name, key);
        put(out, record, sizeof record);
      }
    }
  }
  putRest(out);
  return FIX_COPY_CORRECTED;
}

int scanResultToCopy(int scan) {
  switch (scan) {
  case SCAN_OK:
    return FIX_COPY_CORRECTED;
  case SCAN_CANNOT_OPEN:
    return FIX_COPY_CANNOT_OPEN;
  case SCAN_NO_MEMORY:
    return FIX_COPY_NO_MEMORY;
  default:
    return FIX_COPY_UNREADABLE;
  }
}

// ---- Checking ----

// One side's chain played frame after frame. A bone whose track is the same in the copy as
// in the source (its records were copied) is played once for both.
struct ChainSample {
  FixSweep sweeps[CHAIN_BONE_COUNT];
  const bool* shared; // per bone: the source's rotation serves the copy too
  FixQuat* played;    // per bone: the source's rotation at the current frame
  bool source;
};

bool sameTrack(const FixTrack& a, const FixTrack& b) {
  if (a.keys.size() != b.keys.size())
    return false;
  for (size_t i = 0; i < a.keys.size(); ++i) {
    const FixKey& x = a.keys[i];
    const FixKey& y = b.keys[i];
    if (x.frame != y.frame || std::memcmp(x.rotation, y.rotation, sizeof x.rotation) != 0 ||
        std::memcmp(x.interpolation + 48, y.interpolation + 48, 16) != 0)
      return false;
  }
  return true;
}

void startChain(ChainSample& c, const FixTrack* tracks, const bool* shared, FixQuat* played,
                bool source) {
  for (int bone = 0; bone < CHAIN_BONE_COUNT; ++bone)
    fixSweepStart(&c.sweeps[bone], &tracks[bone]);
  c.shared = shared;
  c.played = played;
  c.source = source;
}

FixQuat rotationOf(ChainSample& c, int bone, double frame) {
  if (!c.source && c.shared[bone])
    return c.played[bone];
  const FixQuat q = fixSweepRotation(&c.sweeps[bone], frame);
  if (c.source)
    c.played[bone] = q;
  return q;
}

// The chain's orientation as MMD plays the source, after the shoulder, the arm and the
// wrist (肩C turns 肩P back before the arm).
void sourceChain(ChainSample& c, double f, FixQuat out[3]) {
  const FixQuat p = rotationOf(c, CHAIN_SHOULDER_P, f);
  const FixQuat pInverse = fixQuatInverse(&p);
  FixQuat q = rotationOf(c, CHAIN_SHOULDER, f);
  fixQuatMultiply(&out[0], &p, &q);
  fixQuatMultiply(&q, &out[0], &pInverse);
  const FixQuat parts[] = {rotationOf(c, CHAIN_ARM, f), rotationOf(c, CHAIN_ARM_TWIST, f),
                           rotationOf(c, CHAIN_ELBOW, f), rotationOf(c, CHAIN_HAND_TWIST, f),
                           rotationOf(c, CHAIN_WRIST, f)};
  fixQuatMultiply(&q, &q, &parts[0]);
  fixQuatMultiply(&out[1], &q, &parts[1]);
  fixQuatMultiply(&q, &out[1], &parts[2]);
  fixQuatMultiply(&q, &q, &parts[3]);
  fixQuatMultiply(&out[2], &q, &parts[4]);
}

// The same as the viewer plays the copy: shoulder, arm, elbow, wrist.
void copyChain(ChainSample& c, double f, FixQuat out[3]) {
  out[0] = rotationOf(c, CHAIN_SHOULDER, f);
  const FixQuat arm = rotationOf(c, CHAIN_ARM, f);
  fixQuatMultiply(&out[1], &out[0], &arm);
  const FixQuat elbow = rotationOf(c, CHAIN_ELBOW, f);
  const FixQuat wrist = rotationOf(c, CHAIN_WRIST, f);
  FixQuat q;
  fixQuatMultiply(&q, &out[1], &elbow);
  fixQuatMultiply(&out[2], &q, &wrist);
}

void checkSide(int side, FixReport& r) {
  const FixScan& source = gFix.source;
  const FixScan& copy = gFix.copy;
  int64_t first = 0, last = 0, copyFirst = 0, copyLast = 0;
  const bool any = frameSpan(source, side, &first, &last);
  if (frameSpan(copy, side, &copyFirst, &copyLast)) {
    first = any && first < copyFirst ? first : copyFirst;
    last = any && last > copyLast ? last : copyLast;
  } else if (!any) {
    return;
  }
  bool shared[CHAIN_BONE_COUNT];
  for (int bone = 0; bone < CHAIN_BONE_COUNT; ++bone)
    shared[bone] = sameTrack(source.tracks[side][bone], copy.tracks[side][bone]);
  FixQuat played[CHAIN_BONE_COUNT];
  ChainSample s, c;
  startChain(s, source.tracks[side], shared, played, true);
  startChain(c, copy.tracks[side], shared, played, false);
  const SpecialBone levels[3] = {fixChainSpecialBone(side, CHAIN_SHOULDER),
                                 fixChainSpecialBone(side, CHAIN_ARM),
                                 fixChainSpecialBone(side, CHAIN_WRIST)};
  const int rewritten[3] = {CHAIN_SHOULDER, CHAIN_ARM, CHAIN_WRIST};
  int32_t positionHints[2][3] = {};
  // Positions are compared for the rewritten bones that move in either file.
  bool comparePosition[3];
  for (int k = 0; k < 3; ++k)
    comparePosition[k] =
        gFix.rewritten[side][rewritten[k]] &&
        (source.movedKeys[side][rewritten[k]] > 0 || copy.movedKeys[side][rewritten[k]] > 0);
  for (int64_t frame = first; frame <= last; ++frame) {
    const double f = static_cast<double>(frame);
    FixQuat want[3], got[3];
    sourceChain(s, f, want);
    copyChain(c, f, got);
    for (int k = 0; k < 3; ++k) {
      const double d = fixRotationAngle(&want[k], &got[k]);
      if (!(d >= 0.0))
        continue; // a key without a rotation, which the correction did not fold
      if (d > r.maxDifferenceDegrees || r.maxDifferenceFrame < 0) {
        r.maxDifferenceDegrees = d;
        r.maxDifferenceFrame = static_cast<int32_t>(frame);
        r.maxDifferenceBone = levels[k];
      }
      if (!comparePosition[k])
        continue;
      double a[3], b[3];
      fixTrackPosition(&source.tracks[side][rewritten[k]], f, &positionHints[0][k], a);
      fixTrackPosition(&copy.tracks[side][rewritten[k]], f, &positionHints[1][k], b);
      const double distance =
          std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) +
                    (a[2] - b[2]) * (a[2] - b[2]));
      if (distance > r.maxPositionDifference)
        r.maxPositionDifference = distance;
    }
  }
}

} // namespace

const char* fixLeftReasonText(int reason) {
  return reason >= 0 && reason <= LEFT_MOVEMENT_DROPPED ? kLeftReasons[reason] : "";
}

int fixWriteCopy(const char* ansiPath, const char16_t* widePath, int useWide, const FixSink* sink,
                 FixReport* report) {
  FixReport& r = *report;
  r = {};
  r.badBone = SPECIAL_BONE_NONE;
  r.maxDifferenceFrame = -1;
  r.maxDifferenceBone = SPECIAL_BONE_NONE;
  FixScan& scan = gFix.source;
  int result = scanResultToCopy(fixScanMotion(&scan, ansiPath, widePath, useWide));
  if (result != FIX_COPY_CORRECTED)
    return result;
  planCorrections(scan);
  noteLeftBones(scan, r);
  r.boneKeysBefore = scan.boneCount;
  const bool correct = anyCorrection();
  if (correct) {
    try {
      result = composeAll(scan, r);
    } catch (const std::bad_alloc&) {
      result = FIX_COPY_NO_MEMORY;
    }
    if (result != FIX_COPY_CORRECTED)
      return result;
    noteCorrections(scan, r);
  }
  const int32_t boneCount = correct ? copyBoneCount(scan) : scan.boneCount;
  r.boneKeysAfter = boneCount;
  if ((useWide ? rfopenW(widePath) : rfopen(ansiPath)) != 0)
    return FIX_COPY_CANNOT_OPEN;
  Output out = {sink, false};
  gFix.buffered = 0;
  result = FIX_COPY_UNCHANGED;
  if (correct)
    result = writeCorrected(scan, out, boneCount);
  else
    putRest(out);
  rfclose();
  if (result == FIX_COPY_CHANGED)
    return result;
  return flush(out) ? result : FIX_COPY_WRITE_FAILED;
}

int fixCheckCopy(const char* ansiPath, const char16_t* widePath, int useWide, FixReport* report) {
  FixReport& r = *report;
  r.maxDifferenceDegrees = 0.0;
  r.maxDifferenceFrame = -1;
  r.maxDifferenceBone = SPECIAL_BONE_NONE;
  r.maxPositionDifference = 0.0;
  const int result = scanResultToCopy(fixScanMotion(&gFix.copy, ansiPath, widePath, useWide));
  if (result != FIX_COPY_CORRECTED)
    return result;
  bool folded = false;
  for (int side = 0; side < FIX_SIDE_COUNT; ++side) {
    if (gFix.rewritten[side][CHAIN_SHOULDER] || gFix.rewritten[side][CHAIN_ARM] ||
        gFix.rewritten[side][CHAIN_WRIST]) {
      checkSide(side, r);
      folded = true;
    }
  }
  return folded ? FIX_COPY_CORRECTED : FIX_COPY_UNCHANGED;
}
