#include "fix/motion_keys.h"

#include <cstring>
#include <new>

#include "text/files.h"

namespace {

const SpecialBone kChainBones[FIX_SIDE_COUNT][CHAIN_BONE_COUNT] = {
    {BONE_LEFT_SHOULDER_P, BONE_LEFT_SHOULDER, BONE_LEFT_ARM, BONE_LEFT_ARM_TWIST, BONE_LEFT_ELBOW,
     BONE_LEFT_HAND_TWIST, BONE_LEFT_WRIST},
    {BONE_RIGHT_SHOULDER_P, BONE_RIGHT_SHOULDER, BONE_RIGHT_ARM, BONE_RIGHT_ARM_TWIST,
     BONE_RIGHT_ELBOW, BONE_RIGHT_HAND_TWIST, BONE_RIGHT_WRIST},
};

const SpecialBone kRenameBones[RENAME_NAME_COUNT] = {
    BONE_UPPER_BODY_2_FULL_WIDTH,        BONE_UPPER_BODY_2,
    BONE_LEFT_LEG_IK_PARENT_FULL_WIDTH,  BONE_LEFT_LEG_IK_PARENT,
    BONE_RIGHT_LEG_IK_PARENT_FULL_WIDTH, BONE_RIGHT_LEG_IK_PARENT,
};

// What a special bone is to the scan: a chain bone (side * CHAIN_BONE_COUNT + bone), a
// rename name (RENAME_BASE + name), or nothing.
constexpr int16_t ROLE_NONE = -1;
constexpr int16_t RENAME_BASE = 100;

// The names the correction reads, with their roles: compared against every record's name,
// so only these, not every special bone.
constexpr int ROLE_COUNT = FIX_SIDE_COUNT * CHAIN_BONE_COUNT + RENAME_NAME_COUNT;
struct ScanRoles {
  bool ready;
  const char* name[ROLE_COUNT]; // Shift-JIS
  size_t length[ROLE_COUNT];
  int16_t role[ROLE_COUNT];
};
ScanRoles gRoles;

const ScanRoles& roles() {
  ScanRoles& r = gRoles;
  if (r.ready)
    return r;
  int n = 0;
  auto add = [&](SpecialBone bone, int role) {
    r.name[n] = specialBoneName(bone);
    r.length[n] = std::strlen(r.name[n]);
    r.role[n++] = static_cast<int16_t>(role);
  };
  for (int side = 0; side < FIX_SIDE_COUNT; ++side) {
    for (int bone = 0; bone < CHAIN_BONE_COUNT; ++bone)
      add(kChainBones[side][bone], side * CHAIN_BONE_COUNT + bone);
  }
  for (int name = 0; name < RENAME_NAME_COUNT; ++name)
    add(kRenameBones[name], RENAME_BASE + name);
  r.ready = true;
  return r;
}

int32_t readInt32(const uint8_t* p) {
  return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                              static_cast<uint32_t>(p[2]) << 16 |
                              static_cast<uint32_t>(p[3]) << 24);
}

float readFloat(const uint8_t* p) {
  const int32_t bits = readInt32(p);
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

void writeInt32(uint8_t* p, int32_t value) {
  const uint32_t v = static_cast<uint32_t>(value);
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}

void writeFloat(uint8_t* p, float value) {
  int32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  writeInt32(p, bits);
}

bool isVmd0002(const uint8_t* header) {
  return std::memcmp(header, "Voca", 4) == 0 && std::memcmp(header + 21, "0002", 4) == 0;
}

void resetScan(FixScan& scan) {
  std::memset(scan.header, 0, sizeof scan.header);
  scan.boneCount = 0;
  scan.tailOffset = 0;
  for (int side = 0; side < FIX_SIDE_COUNT; ++side) {
    for (int bone = 0; bone < CHAIN_BONE_COUNT; ++bone) {
      scan.tracks[side][bone].keys.clear();
      scan.records[side][bone] = 0;
      scan.movedKeys[side][bone] = 0;
      scan.badRotation[side][bone] = 0;
      scan.badFrame[side][bone] = 0;
    }
  }
  for (int32_t& keys : scan.renameKeys)
    keys = 0;
}

// Sorts each track and counts its kept keys that move.
void finishTracks(FixScan& scan) {
  for (int side = 0; side < FIX_SIDE_COUNT; ++side) {
    for (int bone = 0; bone < CHAIN_BONE_COUNT; ++bone) {
      FixTrack& track = scan.tracks[side][bone];
      int32_t frame = 0;
      if (fixTrackFinish(&track, &frame) == FIX_ERROR_ROTATION) {
        scan.badRotation[side][bone] = 1;
        scan.badFrame[side][bone] = frame;
      }
      for (const FixKey& key : track.keys) {
        if (key.position[0] != 0.0f || key.position[1] != 0.0f || key.position[2] != 0.0f)
          ++scan.movedKeys[side][bone];
      }
    }
  }
}

int scanBones(FixScan& scan) {
  if (rfgetbytes(scan.header, VMD_HEADER_BYTES) != VMD_HEADER_BYTES || !isVmd0002(scan.header))
    return SCAN_NOT_VMD;
  uint8_t count[4];
  if (rfgetbytes(count, 4) != 4)
    return SCAN_CUT;
  scan.boneCount = readInt32(count);
  uint8_t record[VMD_BONE_RECORD_SIZE];
  for (int32_t i = 0; i < scan.boneCount; ++i) {
    if (rfgetbytes(record, VMD_BONE_RECORD_SIZE) != VMD_BONE_RECORD_SIZE)
      return SCAN_CUT;
    const FixRecordRole role = fixRecordRole(record);
    if (role.kind == RECORD_RENAME)
      ++scan.renameKeys[role.name];
    if (role.kind != RECORD_CHAIN)
      continue;
    const int side = role.side;
    const int bone = role.bone;
    FixKey key;
    key.frame = readInt32(record + 15);
    for (int k = 0; k < 3; ++k)
      key.position[k] = readFloat(record + 19 + 4 * k);
    for (int k = 0; k < 4; ++k)
      key.rotation[k] = readFloat(record + 31 + 4 * k);
    std::memcpy(key.interpolation, record + 47, FIX_BLOCK_SIZE);
    key.recordIndex = i;
    scan.tracks[side][bone].keys.push_back(key);
    ++scan.records[side][bone];
  }
  scan.tailOffset = rftell();
  return SCAN_OK;
}

} // namespace

FixRecordRole fixRecordRole(const uint8_t* record) {
  // Every name the correction reads begins with 左, 右 or 上: most records are passed over
  // on their first two bytes.
  const bool left = record[0] == 0x8D && record[1] == 0xB6;
  const bool right = record[0] == 0x89 && record[1] == 0x45;
  const bool upper = record[0] == 0x8F && record[1] == 0xE3;
  if (!left && !right && !upper)
    return {RECORD_OTHER, 0, 0, 0};
  const size_t length = strnlen(reinterpret_cast<const char*>(record), VMD_BONE_NAME_SIZE);
  const ScanRoles& r = roles();
  int role = ROLE_NONE;
  for (int i = 0; i < ROLE_COUNT && role == ROLE_NONE; ++i) {
    if (r.length[i] == length && r.name[i][2] == static_cast<char>(record[2]) &&
        std::memcmp(r.name[i], record, length) == 0)
      role = r.role[i];
  }
  if (role == ROLE_NONE)
    return {RECORD_OTHER, 0, 0, 0};
  if (role >= RENAME_BASE)
    return {RECORD_RENAME, 0, 0, role - RENAME_BASE};
  return {RECORD_CHAIN, role / CHAIN_BONE_COUNT, role % CHAIN_BONE_COUNT, 0};
}

SpecialBone fixChainSpecialBone(int side, int chainBone) {
  return kChainBones[side][chainBone];
}

SpecialBone fixRenameSpecialBone(int name) {
  return kRenameBones[name];
}

int fixScanMotion(FixScan* scan, const char* ansiPath, const char16_t* widePath, int useWide) {
  resetScan(*scan);
  if ((useWide ? rfopenW(widePath) : rfopen(ansiPath)) != 0)
    return SCAN_CANNOT_OPEN;
  int result;
  try {
    result = scanBones(*scan);
    if (result == SCAN_OK)
      finishTracks(*scan);
  } catch (const std::bad_alloc&) {
    result = SCAN_NO_MEMORY;
  }
  rfclose();
  if (result != SCAN_OK)
    resetScan(*scan);
  return result;
}

void fixEncodeBoneRecord(uint8_t out[VMD_BONE_RECORD_SIZE], const char* sjisName,
                         const FixKey& key) {
  std::memset(out, 0, VMD_BONE_NAME_SIZE);
  const size_t length = std::strlen(sjisName);
  std::memcpy(out, sjisName, length < VMD_BONE_NAME_SIZE ? length : VMD_BONE_NAME_SIZE);
  writeInt32(out + 15, key.frame);
  for (int k = 0; k < 3; ++k)
    writeFloat(out + 19 + 4 * k, key.position[k]);
  for (int k = 0; k < 4; ++k)
    writeFloat(out + 31 + 4 * k, key.rotation[k]);
  std::memcpy(out + 47, key.interpolation, FIX_BLOCK_SIZE);
}
