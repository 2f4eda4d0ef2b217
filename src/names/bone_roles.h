// The special bones: the names the motion reader, the evaluation, the listing and the
// verdict single out. One table, indexed by SpecialBone, holds each bone's name, its
// reason label in the verdict text and, for the arm and elbow bones, the fixed axis the
// reader splits their twist about.
//
// The bones of a set (SpecialBoneSet) are consecutive, in the order of the bits of the
// evaluation's flag word for that set: the n-th bone of a set owns bit n (1 << n). The
// JSON of the console shows these flag words, so the order is part of the output.
//
// Names and labels are written in UTF-8 and converted to Shift-JIS on first use, into a
// fixed table; nothing allocates. Comparisons are exact, byte for byte (no wildcards).
#pragma once

#include <cstdint>

enum SpecialBone : int32_t {
  // twistBoneFlags
  BONE_LEFT_ARM_TWIST,   // 左腕捩
  BONE_LEFT_HAND_TWIST,  // 左手捩
  BONE_RIGHT_ARM_TWIST,  // 右腕捩
  BONE_RIGHT_HAND_TWIST, // 右手捩
  // armTwistStrongFlags / armTwistMildFlags; each has an axis
  BONE_LEFT_ARM,    // 左腕
  BONE_LEFT_ELBOW,  // 左ひじ
  BONE_RIGHT_ARM,   // 右腕
  BONE_RIGHT_ELBOW, // 右ひじ
  // upperBody2Flag
  BONE_UPPER_BODY_2_FULL_WIDTH, // 上半身２
  BONE_UPPER_BODY_2,            // 上半身2
  // plusBoneFlags (the first four); the listing colours all eight
  BONE_LEFT_LEG_PLUS,       // 左足_+
  BONE_LEFT_ARM_PLUS,       // 左腕_+
  BONE_RIGHT_LEG_PLUS,      // 右足_+
  BONE_RIGHT_ARM_PLUS,      // 右腕_+
  BONE_LEFT_SHOULDER_PLUS,  // 左肩_+
  BONE_LEFT_ELBOW_PLUS,     // 左ひじ_+
  BONE_RIGHT_SHOULDER_PLUS, // 右肩_+
  BONE_RIGHT_ELBOW_PLUS,    // 右ひじ_+
  // legDFlags
  BONE_LEFT_LEG_D,    // 左足D
  BONE_LEFT_KNEE_D,   // 左ひざD
  BONE_LEFT_ANKLE_D,  // 左足首D
  BONE_RIGHT_LEG_D,   // 右足D
  BONE_RIGHT_KNEE_D,  // 右ひざD
  BONE_RIGHT_ANKLE_D, // 右足首D
  // armDFlags
  BONE_LEFT_ARM_D,    // 左腕D
  BONE_LEFT_ELBOW_D,  // 左ひじD
  BONE_RIGHT_ARM_D,   // 右腕D
  BONE_RIGHT_ELBOW_D, // 右ひじD
  // extraParentFlags
  BONE_UPPER_BODY_3,                   // 上半身3
  BONE_LEFT_LEG_IK_PARENT_FULL_WIDTH,  // 左足ＩＫ親
  BONE_RIGHT_LEG_IK_PARENT_FULL_WIDTH, // 右足ＩＫ親
  // legIkParentRotFlags (left 0x01/0x04/0x10, right 0x02/0x08/0x20)
  BONE_LEFT_LEG_IK_PARENT,  // 左足IK親
  BONE_RIGHT_LEG_IK_PARENT, // 右足IK親
  // shoulderPFlags
  BONE_LEFT_SHOULDER_P,  // 左肩P
  BONE_RIGHT_SHOULDER_P, // 右肩P
  // lowerBodyRating, waistUsed
  BONE_LOWER_BODY, // 下半身
  BONE_WAIST,      // 腰
  // Only the listing's colours and packing look at these.
  BONE_LEFT_TOE_EX,        // 左足先EX
  BONE_RIGHT_TOE_EX,       // 右足先EX
  BONE_LEFT_ARM_IK,        // 左腕ＩＫ
  BONE_RIGHT_ARM_IK,       // 右腕ＩＫ
  BONE_LEFT_THUMB_0_BLANK, // "左親指０ " with its trailing blank
  // Only the correction (src/fix/) looks at these: the bones it rewrites and the elbow
  // its check passes through.
  BONE_LEFT_SHOULDER,  // 左肩
  BONE_RIGHT_SHOULDER, // 右肩
  BONE_LEFT_WRIST,     // 左手首
  BONE_RIGHT_WRIST,    // 右手首
  SPECIAL_BONE_COUNT,
  SPECIAL_BONE_NONE = SPECIAL_BONE_COUNT // a name that is none of them
};

// Room for a Shift-JIS name or label and its terminator.
constexpr int SPECIAL_BONE_TEXT_SIZE = 24;

struct SpecialBoneInfo {
  const char* nameUtf8;  // the bone name as motions and the built-in tables hold it
  const char* labelUtf8; // the verdict's reason text for it, nullptr when it names none
  uint8_t hasAxis;       // 1 for the arm and elbow bones
  float axis[3];         // their bone length axis in the standard model (x, y, z)
};
extern const SpecialBoneInfo kSpecialBones[SPECIAL_BONE_COUNT];

// count consecutive bones from first.
struct SpecialBoneSet {
  SpecialBone first;
  int count;
};
constexpr SpecialBoneSet TWIST_BONES = {BONE_LEFT_ARM_TWIST, 4};
constexpr SpecialBoneSet ARM_BONES = {BONE_LEFT_ARM, 4};
constexpr SpecialBoneSet PLUS_BONES = {BONE_LEFT_LEG_PLUS, 4};
constexpr SpecialBoneSet ALL_PLUS_BONES = {BONE_LEFT_LEG_PLUS, 8};
constexpr SpecialBoneSet LEG_D_BONES = {BONE_LEFT_LEG_D, 6};
constexpr SpecialBoneSet ARM_D_BONES = {BONE_LEFT_ARM_D, 4};
constexpr SpecialBoneSet EXTRA_PARENT_BONES = {BONE_UPPER_BODY_3, 3};
constexpr SpecialBoneSet FULL_WIDTH_IK_PARENTS = {BONE_LEFT_LEG_IK_PARENT_FULL_WIDTH, 2};
constexpr SpecialBoneSet LEG_IK_PARENTS = {BONE_LEFT_LEG_IK_PARENT, 2};
constexpr SpecialBoneSet SHOULDER_P_BONES = {BONE_LEFT_SHOULDER_P, 2};
constexpr SpecialBoneSet TOE_EX_BONES = {BONE_LEFT_TOE_EX, 2};
constexpr SpecialBoneSet ARM_IK_BONES = {BONE_LEFT_ARM_IK, 2};

// The n-th bone of a set.
constexpr SpecialBone specialBoneAt(SpecialBoneSet set, int n) {
  return static_cast<SpecialBone>(set.first + n);
}

// The position of bone in set (0 .. count - 1), or -1 when it is not in it.
constexpr int specialBoneIndexIn(SpecialBone bone, SpecialBoneSet set) {
  return bone >= set.first && bone < set.first + set.count ? bone - set.first : -1;
}

// The Shift-JIS name of a bone; "" for SPECIAL_BONE_NONE.
const char* specialBoneName(SpecialBone bone);
// The Shift-JIS reason label of a bone; "" when it has none.
const char* specialBoneLabel(SpecialBone bone);
// The bone whose Shift-JIS name equals sjisName exactly, or SPECIAL_BONE_NONE.
SpecialBone specialBoneOf(const char* sjisName);
