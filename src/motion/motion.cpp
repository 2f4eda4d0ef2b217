#include "motion/motion.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <iterator>

#include "motion/rotation.h"
#include "names/bone_roles.h"
#include "text/encoding.h"
#include "text/files.h"
#include "text/trace.h"

// ---- Index ----
// Globals, special bones, the per-read name cache, block readers, the read.

MotionSummary gMotion;

namespace {

// ---- Special bones ----
// A bone name's kind is its SpecialBone (names/bone_roles.h), SPECIAL_BONE_NONE for
// every other name and for morphs. Only the twist bones and the bones with an axis change
// the twist statistics.

uint8_t boneKindOf(const char* name) {
  return static_cast<uint8_t>(specialBoneOf(name));
}
static_assert(SPECIAL_BONE_NONE <= UINT8_MAX, "a kind fits a byte");

// ---- Name cache ----
// A motion repeats a few dozen names millions of times. The entry a raw name resolves to
// never changes during a read (names met in the motion are literal entries, which match
// only their own text, and a full list stays full), so each distinct name is looked up
// once per read and its answer kept here, refusals included. Names arrive NUL-padded to
// 16 bytes (readNameField), so a name hashes and compares as two words.
//
// The cache holds the worst case of names that get entries of their own, both lists full
// (2 x 16,384), plus half as many again that resolve to a built-in entry or are refused:
// NAME_CACHE_CAPACITY names. A name that finds it full is looked up in the list at each of
// its keys; the list's index makes that cost independent of how many names the list or the
// motion holds, and the answer stays the same.
//
// Names are kept in the order met, and found through an index of 4-byte slots (a tag of
// the hash and the name's place) that grows with the names of the read, from 1,024 slots
// to 131,072, never more than half full: a small motion touches a few pages of the cache,
// and a probe for a new name passes two or three slots, comparing tags without visiting
// the names (at three quarters full it passed eight).

constexpr uint32_t NAME_CACHE_SLOTS = 131072;     // a power of two
constexpr uint32_t NAME_CACHE_FIRST_SLOTS = 1024; // one page
static_assert(NAME_CACHE_CAPACITY <= NAME_CACHE_SLOTS / 2, "probes end at an empty slot");
static_assert(NAME_CACHE_CAPACITY < 65536, "a place fits the low half of a slot");
constexpr uint32_t HOT_SLOTS = 1024; // a power of two; 24 KB stay in the first-level cache
constexpr int NAME_KEY_SIZE = VMD_NAME_SIZE + 1;
static_assert(NAME_KEY_SIZE == NAME_PADDED_SIZE, "the lists search a name key as it is");

struct NameCacheEntry {
  char name[NAME_KEY_SIZE]; // NUL-padded
  int16_t entry;            // list entry, 0 when the list refused the name
  uint8_t list;
  uint8_t kind; // SpecialBone of a bone name, else SPECIAL_BONE_NONE
};
static_assert(NAME_LIST_CAPACITY <= INT16_MAX, "entries fit a slot");

// The full table spreads a motion's few dozen names over many lines, a cache miss per
// key; a small direct-mapped copy in front of it keeps the names in use close together.
struct HotSlot {
  char name[NAME_KEY_SIZE]; // NUL-padded
  int32_t entry;
  uint8_t list;
  uint8_t kind;
  uint16_t read; // the read that filled the slot; a slot of an earlier read is empty
};

struct NameCache {
  NameCacheEntry names[NAME_CACHE_CAPACITY]; // the names of this read, in the order met
  uint32_t index[NAME_CACHE_SLOTS];          // hash tag << 16 | place + 1; 0 empty; 0..mask in use
  uint32_t mask;                             // slots in use - 1; set by nameCacheBeginRead, grown
  HotSlot hot[HOT_SLOTS];                    // copies of recently found names, by hash
  uint16_t read;                             // this read's number, never 0: see HotSlot::read
  int32_t count;                             // names kept in this read; set by resolveNameSlow
  int32_t countAtStart[2];                   // LIST_BONE / LIST_MORPH counts when the read began
  bool addedUncached[2]; // an entry was appended to the list once the cache was full
};
NameCache gNameCache;

void nameCacheBeginRead() {
  NameCache& c = gNameCache;
  std::memset(c.index, 0, (static_cast<size_t>(c.mask) + 1) * sizeof c.index[0]);
  c.mask = NAME_CACHE_FIRST_SLOTS - 1;
  // Numbering the reads empties the hot slots without writing them, so a small motion
  // touches only the slots its names use; clearing them all is left for the wrap.
  if (++c.read == 0) {
    std::memset(c.hot, 0, sizeof c.hot);
    c.read = 1;
  }
  c.count = 0;
  c.countAtStart[0] = nameListCount(LIST_BONE);
  c.countAtStart[1] = nameListCount(LIST_MORPH);
  c.addedUncached[0] = c.addedUncached[1] = false;
}

bool sameKey(const char* a, const char* b) {
  return std::memcmp(a, b, NAME_KEY_SIZE) == 0;
}

uint32_t hashName(const char* name, int list) {
  uint64_t lo, hi;
  std::memcpy(&lo, name, sizeof lo);
  std::memcpy(&hi, name + sizeof lo, sizeof hi);
  uint64_t h =
      (lo * 0x9E3779B97F4A7C15ull) ^ (hi * 0xC2B2AE3D27D4EB4Full) ^ static_cast<uint64_t>(list);
  // Generated names differ in a few digits: mix every input bit into the bits used.
  h ^= h >> 32;
  h *= 0x165667B19E3779F9ull;
  return static_cast<uint32_t>(h >> 32);
}

// The index slot of name (hash h) in list: its own, or the empty one where it belongs.
uint32_t findSlot(const char* name, int list, uint32_t h) {
  const NameCache& c = gNameCache;
  const uint32_t tag = h & 0xFFFF0000u;
  for (uint32_t i = h & c.mask;; i = (i + 1) & c.mask) {
    const uint32_t slot = c.index[i];
    if (slot == 0)
      return i;
    if ((slot & 0xFFFF0000u) == tag) {
      const NameCacheEntry& e = c.names[(slot & 0xFFFFu) - 1];
      if (e.list == list && sameKey(e.name, name))
        return i;
    }
  }
}

// Doubles the index and places every kept name again.
void growIndex() {
  NameCache& c = gNameCache;
  c.mask = c.mask * 2 + 1;
  std::memset(c.index, 0, (static_cast<size_t>(c.mask) + 1) * sizeof c.index[0]);
  for (int32_t n = 0; n < c.count; ++n) {
    const NameCacheEntry& e = c.names[n];
    const uint32_t h = hashName(e.name, e.list);
    c.index[findSlot(e.name, e.list, h)] = (h & 0xFFFF0000u) | static_cast<uint32_t>(n + 1);
  }
}

// The entry of a raw motion name (NUL-padded, hash h) in list, found or made without the
// hot copy.
int32_t resolveNameSlow(int list, const char* name, uint32_t h, uint8_t* kind) {
  NameCache& c = gNameCache;
  uint32_t i = findSlot(name, list, h);
  if (c.index[i] != 0) {
    const NameCacheEntry& e = c.names[(c.index[i] & 0xFFFFu) - 1];
    *kind = e.kind;
    return e.entry;
  }
  // The entries appended during this read are literal and cached, so a name the cache does
  // not know can match only the entries that existed when the read began; once the cache
  // is full, also those appended since, which it does not hold.
  const int which = list == LIST_BONE ? 0 : 1;
  const int last = c.addedUncached[which] ? NAME_LIST_CAPACITY : c.countAtStart[which];
  const int32_t entry = nameListFindOrAddPadded(list, name, last);
  if (entry > last && c.count >= NAME_CACHE_CAPACITY)
    c.addedUncached[which] = true;
  *kind = list == LIST_BONE ? boneKindOf(name) : static_cast<uint8_t>(SPECIAL_BONE_NONE);
  if (entry == 0)
    gMotion.namesRefused++;
  if (c.count >= NAME_CACHE_CAPACITY)
    return entry;
  if (static_cast<uint32_t>(c.count + 1) > (c.mask + 1) / 2) {
    growIndex();
    i = findSlot(name, list, h);
  }
  NameCacheEntry& e = c.names[c.count++];
  std::memcpy(e.name, name, NAME_KEY_SIZE);
  e.entry = static_cast<int16_t>(entry);
  e.list = static_cast<uint8_t>(list);
  e.kind = *kind;
  c.index[i] = (h & 0xFFFF0000u) | static_cast<uint32_t>(c.count);
  return entry;
}

// Starts fetching the index slot of a name of hash h.
inline void prefetchName(uint32_t h) {
  __builtin_prefetch(&gNameCache.index[h & gNameCache.mask]);
}

// The entry of a raw motion name (NUL-padded, hash h) in list; kind receives the bone kind.
// Appends the name as a literal entry when nothing matches; 0 when the list is full.
int32_t resolveHashedName(int list, const char* name, uint32_t h, uint8_t* kind) {
  HotSlot& hot = gNameCache.hot[h & (HOT_SLOTS - 1)];
  if (hot.read == gNameCache.read && hot.list == list && sameKey(hot.name, name)) {
    *kind = hot.kind;
    return hot.entry;
  }
  int32_t entry = resolveNameSlow(list, name, h, kind);
  std::memcpy(hot.name, name, NAME_KEY_SIZE);
  hot.entry = entry;
  hot.list = static_cast<uint8_t>(list);
  hot.kind = *kind;
  hot.read = gNameCache.read;
  return entry;
}

int32_t resolveName(int list, const char* name, uint8_t* kind) {
  return resolveHashedName(list, name, hashName(name, list), kind);
}

// ---- Field readers ----

// A 15-byte name field: its bytes up to the first NUL, all 15 when it has none. The bytes
// after the NUL are read and dropped; out is NUL-padded to NAME_KEY_SIZE bytes.
void readNameField(char out[NAME_KEY_SIZE]) {
  unsigned char* raw = reinterpret_cast<unsigned char*>(out);
  rfgetbytes(raw, VMD_NAME_SIZE);
  int length = 0;
  while (length < VMD_NAME_SIZE && raw[length] != 0)
    ++length;
  // Clear from the NUL on, a word at a time (a byte loop here becomes a memset call).
  uint64_t lo, hi;
  std::memcpy(&lo, raw, sizeof lo);
  std::memcpy(&hi, raw + sizeof lo, sizeof hi);
  if (length < 8) {
    lo &= (uint64_t{1} << (8 * length)) - 1;
    hi = 0;
  } else {
    hi &= (uint64_t{1} << (8 * (length - 8))) - 1;
  }
  std::memcpy(raw, &lo, sizeof lo);
  std::memcpy(raw + sizeof lo, &hi, sizeof hi);
}

void skipBytes(int count) {
  rfskip(count);
}

int32_t le32(const unsigned char* p) {
  return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                              static_cast<uint32_t>(p[2]) << 16 |
                              static_cast<uint32_t>(p[3]) << 24);
}

float leFloat(const unsigned char* p) {
  int32_t bits = le32(p);
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// Slots a read may have written: only these need their start values again. Slots above
// `ready` have never held a value: they are still zero, which every reader takes for an
// entry without keys, and get their start values only when a read first gives them a key,
// so a small motion touches a few pages of the tables instead of all of them.
struct DirtyRange {
  int32_t bones = 0;
  int32_t morphs = 0;
  int32_t bonesReady = 0; // slots 0..bonesReady have held their start values
  int32_t morphsReady = 0;
};
DirtyRange gDirty;

void resetBone(BoneStats& b) {
  b = BONE_STATS_START;
}

void resetMorph(MorphStats& s) {
  s = MORPH_STATS_START;
}

// The slot of entry, with its start values before its first key.
inline BoneStats& boneSlot(int32_t entry) {
  DirtyRange& d = gDirty;
  while (d.bonesReady < entry)
    resetBone(gMotion.bones[++d.bonesReady]);
  return gMotion.bones[entry];
}

inline MorphStats& morphSlot(int32_t entry) {
  DirtyRange& d = gDirty;
  while (d.morphsReady < entry)
    resetMorph(gMotion.morphs[++d.morphsReady]);
  return gMotion.morphs[entry];
}

// The statistics a read starts from.
void resetSummary() {
  MotionSummary& m = gMotion;
  m.modelName[0] = '\0';
  for (int32_t e = 0; e <= gDirty.bones && e <= gDirty.bonesReady; ++e)
    resetBone(m.bones[e]);
  for (int32_t e = 0; e <= gDirty.morphs && e <= gDirty.morphsReady; ++e)
    resetMorph(m.morphs[e]);
  m.boneKeyTotal = 0;
  m.morphKeyTotal = 0;
  m.cameraKeyTotal = 0;
  m.lightKeyTotal = 0;
  m.selfShadowKeyTotal = 0;
  m.showIkKeyTotal = 0;
  m.end = MOTION_END_COMPLETE;
  m.endOffset = 0;
  m.openErrno = 0;
  for (int32_t& n : m.recordsRead)
    n = 0;
  m.endBlock = MOTION_BLOCK_NONE;
  m.endInCount = 0;
  m.namesRefused = 0;
  gDirty.bones = 0;
  gDirty.morphs = 0;
}

// Entries of this read lie within the lists' counts.
void markDirty() {
  gDirty.bones = nameListCount(LIST_BONE);
  gDirty.morphs = nameListCount(LIST_MORPH);
}

// The first key of an entry sets both ends of its frame range.
void widenFrames(int32_t keyCountBefore, int32_t frame, int32_t* first, int32_t* last) {
  if (keyCountBefore == 0) {
    *first = frame;
    *last = frame;
    return;
  }
  if (frame < *first)
    *first = frame;
  if (frame > *last)
    *last = frame;
}

// Keeps the larger of a stored maximum and a length computed in double, compared in its
// stored 32-bit form so that equal magnitudes tie and keep the earlier frame.
bool raiseMax(float* stored, double length) {
  float value = static_cast<float>(length);
  if (*stored < value) {
    *stored = value;
    return true;
  }
  return false;
}

void recordTwist(BoneStats& b, bool positive, double magnitude, int32_t frame) {
  if (positive) {
    if (raiseMax(&b.twistPlusMax, magnitude))
      b.twistPlusFrame = frame;
  } else {
    if (raiseMax(&b.twistMinusMax, magnitude))
      b.twistMinusFrame = frame;
  }
}

void updateBone(BoneStats& b, uint8_t kind, int32_t frame, const float p[3], const float q[4]) {
  widenFrames(b.keyCount, frame, &b.firstFrame, &b.lastFrame);
  b.keyCount++;
  for (int i = 0; i < 3; ++i) {
    if (std::fabs(static_cast<double>(q[i])) > 0.01 || std::fabs(static_cast<double>(p[i])) > 0.01)
      b.moved = 0xFF;
  }
  // q and -q are the same rotation: take the vector part of the one with w >= 0, but keep
  // w as read.
  double sign = q[3] < 0.0f ? -1.0 : 1.0;
  double vx = sign * q[0], vy = sign * q[1], vz = sign * q[2];
  double px = p[0], py = p[1], pz = p[2];
  raiseMax(&b.maxTranslation, std::sqrt(px * px + py * py + pz * pz));
  double r = std::sqrt(vx * vx + vy * vy + vz * vz);
  raiseMax(&b.maxRotation, r);
  if (kind == SPECIAL_BONE_NONE)
    return;
  if (specialBoneIndexIn(static_cast<SpecialBone>(kind), TWIST_BONES) >= 0) {
    recordTwist(b, vx >= 0.0, r, frame);
  } else if (kSpecialBones[kind].hasAxis) {
    const float* a = kSpecialBones[kind].axis;
    const Vec3 axis = {a[0], a[1], a[2]};
    Quat rotation = {static_cast<float>(vx), static_cast<float>(vy), static_cast<float>(vz), q[3]};
    Quat swing, twist;
    quatSwingTwist(&swing, &twist, &rotation, &axis);
    double tx = twist.x, ty = twist.y, tz = twist.z;
    if (twist.w < 0.0f) {
      tx = -tx;
      ty = -ty;
      tz = -tz;
    }
    // The twist part's x sign is the direction; the components are taken as stored.
    float sx = static_cast<float>(tx), sy = static_cast<float>(ty), sz = static_cast<float>(tz);
    double s = std::sqrt(static_cast<double>(sx) * sx + static_cast<double>(sy) * sy +
                         static_cast<double>(sz) * sz);
    recordTwist(b, sx >= 0.0f, s, frame);
  }
}

void updateMorph(MorphStats& s, int32_t frame, float weight) {
  widenFrames(s.keyCount, frame, &s.firstFrame, &s.lastFrame);
  s.keyCount++;
  if (weight < s.minWeight)
    s.minWeight = weight;
  if (weight > s.maxWeight)
    s.maxWeight = weight;
}

// ---- Blocks ----
// Each returns how the read goes on: READ_ON, or the end it met. A record counts in
// recordsRead once all its bytes were read.

enum BlockResult { READ_ON, READ_ENDED_CLEAN, READ_ENDED_TRUNCATED };

// Notes the block the file ended inside; the first block that met the end keeps it.
void endInside(MotionBlock block, bool inCount) {
  MotionSummary& m = gMotion;
  if (m.endBlock != MOTION_BLOCK_NONE)
    return;
  m.endBlock = block;
  m.endInCount = inCount ? 0xFF : 0;
}

BlockResult readBoneBlock() {
  MotionSummary& m = gMotion;
  // A count cut, or missing after a cut model name, reads with its missing bytes as 0xFF:
  // negative, so no record is read.
  m.boneKeyTotal = rfgetint32();
  if (rfeof())
    endInside(MOTION_BLOCK_BONES, true);
  char name[NAME_KEY_SIZE];
  // Frame and seven floats: position x, y, z and the quaternion x, y, z, w.
  unsigned char numbers[4 + 7 * 4];
  for (int32_t n = 1; n <= m.boneKeyTotal && !rfeof(); ++n) {
    // A record cut anywhere (name, numbers or the interpolation block) stops the block.
    // Nothing happens between its parts, so one test after the whole record does.
    readNameField(name);
    rfgetbytes(numbers, sizeof numbers);
    // The interpolation block: no statistic depends on it.
    skipBytes(64);
    if (rfeof())
      break;
    m.recordsRead[MOTION_BLOCK_BONES]++;
    int32_t frame = le32(numbers);
    float p[3], q[4];
    for (int i = 0; i < 3; ++i)
      p[i] = leFloat(numbers + 4 + 4 * i);
    for (int i = 0; i < 4; ++i)
      q[i] = leFloat(numbers + 16 + 4 * i);
    uint8_t kind;
    int32_t entry = resolveName(LIST_BONE, name, &kind);
    if (entry < 1)
      continue;
    updateBone(boneSlot(entry), kind, frame, p, q);
  }
  return READ_ON;
}

// Reads a block's record count; a file that ends here ends cleanly with the block empty.
// A file that ends before the first byte of the count ends at the block boundary.
bool readCount(MotionBlock block, int32_t* total) {
  const int64_t before = rftell();
  *total = rfgetint32();
  if (!rfeof())
    return true;
  if (rftell() > before)
    endInside(block, true);
  *total = 0;
  return false;
}

// Morph keys are read a few at a time, fetching their names' cache slots ahead: a motion of
// thousands of distinct names then waits for memory about once per batch, not once per key.
constexpr int MORPH_BATCH = 8;

BlockResult readMorphBlock() {
  MotionSummary& m = gMotion;
  if (!readCount(MOTION_BLOCK_MORPHS, &m.morphKeyTotal))
    return READ_ENDED_CLEAN;
  struct MorphKey {
    char name[NAME_KEY_SIZE];
    int32_t frame;
    float weight;
    uint32_t hash; // hashName of name
  };
  MorphKey batch[MORPH_BATCH];
  unsigned char numbers[4 + 4]; // frame, weight
  BlockResult ended = READ_ON;
  bool cut = false; // the file ended inside a key's frame or weight
  for (int32_t n = 1; n <= m.morphKeyTotal && !rfeof() && ended == READ_ON && !cut;) {
    int count = 0;
    for (; count < MORPH_BATCH && n <= m.morphKeyTotal && !rfeof(); ++count, ++n) {
      MorphKey& k = batch[count];
      readNameField(k.name);
      if (rfeof()) {
        ended = READ_ENDED_TRUNCATED;
        break;
      }
      rfgetbytes(numbers, sizeof numbers);
      if (rfeof()) {
        cut = true;
        break;
      }
      m.recordsRead[MOTION_BLOCK_MORPHS]++;
      k.frame = le32(numbers);
      k.weight = leFloat(numbers + 4);
      k.hash = hashName(k.name, LIST_MORPH);
      prefetchName(k.hash);
    }
    for (int i = 0; i < count; ++i) {
      const MorphKey& k = batch[i];
      uint8_t kind;
      const int32_t entry = resolveHashedName(LIST_MORPH, k.name, k.hash, &kind);
      if (entry >= 1)
        updateMorph(morphSlot(entry), k.frame, k.weight);
    }
  }
  return ended;
}

BlockResult readCameraBlock() {
  MotionSummary& m = gMotion;
  if (!readCount(MOTION_BLOCK_CAMERA, &m.cameraKeyTotal))
    return READ_ENDED_CLEAN;
  for (int32_t n = 1; n <= m.cameraKeyTotal && !rfeof(); ++n) {
    skipBytes(4 + 7 * 4); // frame, distance, position, rotation
    if (rfeof())
      return READ_ENDED_TRUNCATED;
    skipBytes(24); // interpolation
    if (rfeof())
      return READ_ENDED_TRUNCATED;
    skipBytes(4 + 1); // view angle, perspective flag
    if (!rfeof())
      m.recordsRead[MOTION_BLOCK_CAMERA]++;
  }
  return READ_ON;
}

BlockResult readLightBlock() {
  MotionSummary& m = gMotion;
  if (!readCount(MOTION_BLOCK_LIGHT, &m.lightKeyTotal))
    return READ_ENDED_CLEAN;
  for (int32_t n = 1; n <= m.lightKeyTotal && !rfeof(); ++n) {
    skipBytes(4 + 3 * 4); // frame, colour
    if (rfeof())
      return READ_ENDED_TRUNCATED;
    skipBytes(3 * 4); // position
    if (!rfeof())
      m.recordsRead[MOTION_BLOCK_LIGHT]++;
  }
  return READ_ON;
}

BlockResult readSelfShadowBlock() {
  MotionSummary& m = gMotion;
  if (!readCount(MOTION_BLOCK_SELF_SHADOW, &m.selfShadowKeyTotal))
    return READ_ENDED_CLEAN;
  for (int32_t n = 1; n <= m.selfShadowKeyTotal && !rfeof(); ++n) {
    skipBytes(4); // frame
    if (rfeof())
      return READ_ENDED_TRUNCATED;
    skipBytes(1 + 4); // mode, distance
    if (!rfeof())
      m.recordsRead[MOTION_BLOCK_SELF_SHADOW]++;
  }
  return READ_ON;
}

BlockResult readShowIkBlock() {
  MotionSummary& m = gMotion;
  if (!readCount(MOTION_BLOCK_SHOW_IK, &m.showIkKeyTotal))
    return READ_ENDED_CLEAN;
  for (int32_t n = 1; n <= m.showIkKeyTotal && !rfeof(); ++n) {
    skipBytes(4 + 1); // frame, show flag
    if (rfeof())
      return READ_ENDED_TRUNCATED;
    int32_t ikCount = rfgetint32();
    for (int32_t i = 0; i < ikCount; ++i) {
      skipBytes(20); // IK bone name
      if (rfeof())
        return READ_ENDED_TRUNCATED;
      skipBytes(1); // enabled flag
    }
    if (!rfeof())
      m.recordsRead[MOTION_BLOCK_SHOW_IK]++;
  }
  return READ_ON;
}

// "Vocaloid Motion Data 0002": bytes 0-3 and 21-24 are checked, the rest skipped.
bool readSignature() {
  const char head[] = {'V', 'o', 'c', 'a'};
  for (char expected : head) {
    if (rfgetc() != expected)
      return false;
  }
  skipBytes(17);
  const char version[] = {'0', '0', '0', '2'};
  for (char expected : version) {
    if (rfgetc() != expected)
      return false;
  }
  skipBytes(5);
  return true;
}

// The model name keeps only the bytes actually read: a name cut by the end of the file
// holds no filler.
void readModelName() {
  char* out = gMotion.modelName;
  int length = -1;
  int stored = 0;
  for (int i = 0; i < VMD_MODEL_NAME_SIZE; ++i) {
    int c = rfgetc();
    if (c < 0)
      continue;
    if (c == 0 && length < 0)
      length = stored;
    out[stored++] = static_cast<char>(c);
  }
  out[length < 0 ? stored : length] = '\0';
  cutsjislead(out);
}

// Counts what follows the last block; it changes nothing.
int64_t countTrailingBytes() {
  int64_t count = 0;
  char chunk[FILE_BUFFER_SIZE];
  while (!rfeof()) {
    int n = rfread(chunk, sizeof chunk);
    if (n <= 0)
      break;
    count += n;
  }
  return count;
}

} // namespace

int readMotionFile(const char* ansiPath, const char16_t* widePath, int useWide) {
  resetSummary();
  MotionSummary& m = gMotion;
  errno = 0;
  int opened = useWide ? rfopenW(widePath) : rfopen(ansiPath);
  if (opened != 0) {
    m.end = MOTION_END_NO_FILE;
    m.openErrno = errno != 0 ? errno : ENOENT;
    trace("motion: cannot open\n");
    return -1;
  }
  if (!readSignature()) {
    m.end = MOTION_END_SIGNATURE;
    m.endOffset = rftell();
    rfclose();
    return 2;
  }
  readModelName();
  nameCacheBeginRead();

  BlockResult (*const blocks[])() = {readBoneBlock,  readMorphBlock,      readCameraBlock,
                                     readLightBlock, readSelfShadowBlock, readShowIkBlock};
  static_assert(std::size(blocks) == MOTION_BLOCK_COUNT, "one reader per block");
  BlockResult ended = READ_ON;
  for (int b = 0; b < MOTION_BLOCK_COUNT; ++b) {
    ended = blocks[b]();
    // A block's count cut is noted where it is read; this notes the end inside records.
    if (ended == READ_ENDED_TRUNCATED || (ended == READ_ON && rfeof()))
      endInside(static_cast<MotionBlock>(b), false);
    if (ended != READ_ON)
      break;
  }
  int result = 0;
  if (ended == READ_ENDED_TRUNCATED) {
    m.end = MOTION_END_TRUNCATED;
    result = 2;
  } else if (ended == READ_ENDED_CLEAN) {
    m.end = MOTION_END_EARLY;
  } else if (rfeof()) {
    // Every block was entered, but one ended inside its last record or a bone record.
    m.end = MOTION_END_EARLY;
  } else {
    int64_t trailing = countTrailingBytes();
    if (trailing > 0)
      trace("motion: %lld trailing bytes\n", static_cast<long long>(trailing));
  }
  m.endOffset = rftell();
  rfclose();
  markDirty();
  return result;
}

int readMotionFileAnsi(const char* ansiPath) {
  return readMotionFile(ansiPath, nullptr, 0);
}

int readMotionFileWide(const char16_t* widePath) {
  return readMotionFile(nullptr, widePath, 1);
}
