#include "names/bone_roles.h"

#include <cstring>
#include <iterator>

#include "text/encoding.h"

// The axes are the bone length axes of the arm and elbow bones of the standard model,
// stored as these 32-bit floats.
const SpecialBoneInfo kSpecialBones[SPECIAL_BONE_COUNT] = {
    {"左腕捩", "[左腕捩] ", 0, {}},                                    // BONE_LEFT_ARM_TWIST
    {"左手捩", "[左手捩] ", 0, {}},                                    // BONE_LEFT_HAND_TWIST
    {"右腕捩", "[右腕捩] ", 0, {}},                                    // BONE_RIGHT_ARM_TWIST
    {"右手捩", "[右手捩] ", 0, {}},                                    // BONE_RIGHT_HAND_TWIST
    {"左腕", "[左腕] ", 1, {0.819742f, -0.572734f, 0.0f}},             // BONE_LEFT_ARM
    {"左ひじ", "[左ひじ] ", 1, {0.759228f, -0.650821f, -0.00236674f}}, // BONE_LEFT_ELBOW
    {"右腕", "[右腕] ", 1, {0.819742f, 0.572734f, 0.0f}},              // BONE_RIGHT_ARM
    {"右ひじ", "[右ひじ] ", 1, {0.759228f, 0.650821f, 0.00236674f}},   // BONE_RIGHT_ELBOW
    {"上半身２", "上半身２(L2) ", 0, {}}, // BONE_UPPER_BODY_2_FULL_WIDTH
    {"上半身2", nullptr, 0, {}},          // BONE_UPPER_BODY_2
    {"左足_+", "[左足_+] ", 0, {}},       // BONE_LEFT_LEG_PLUS
    {"左腕_+", "[左腕_+] ", 0, {}},       // BONE_LEFT_ARM_PLUS
    {"右足_+", "[右足_+] ", 0, {}},       // BONE_RIGHT_LEG_PLUS
    {"右腕_+", "[右腕_+] ", 0, {}},       // BONE_RIGHT_ARM_PLUS
    {"左肩_+", nullptr, 0, {}},           // BONE_LEFT_SHOULDER_PLUS
    {"左ひじ_+", nullptr, 0, {}},         // BONE_LEFT_ELBOW_PLUS
    {"右肩_+", nullptr, 0, {}},           // BONE_RIGHT_SHOULDER_PLUS
    {"右ひじ_+", nullptr, 0, {}},         // BONE_RIGHT_ELBOW_PLUS
    {"左足D", "[左足D] ", 0, {}},         // BONE_LEFT_LEG_D
    {"左ひざD", "[左ひざD] ", 0, {}},     // BONE_LEFT_KNEE_D
    {"左足首D", "[左足首D] ", 0, {}},     // BONE_LEFT_ANKLE_D
    {"右足D", "[右足D] ", 0, {}},         // BONE_RIGHT_LEG_D
    {"右ひざD", "[右ひざD] ", 0, {}},     // BONE_RIGHT_KNEE_D
    {"右足首D", "[右足首D] ", 0, {}},     // BONE_RIGHT_ANKLE_D
    {"左腕D", "[左腕D] ", 0, {}},         // BONE_LEFT_ARM_D
    {"左ひじD", "[左ひじD] ", 0, {}},     // BONE_LEFT_ELBOW_D
    {"右腕D", "[右腕D] ", 0, {}},         // BONE_RIGHT_ARM_D
    {"右ひじD", "[右ひじD] ", 0, {}},     // BONE_RIGHT_ELBOW_D
    {"上半身3", "[上半身3] ", 0, {}},     // BONE_UPPER_BODY_3
    {"左足ＩＫ親", nullptr, 0, {}},       // BONE_LEFT_LEG_IK_PARENT_FULL_WIDTH
    {"右足ＩＫ親", nullptr, 0, {}},       // BONE_RIGHT_LEG_IK_PARENT_FULL_WIDTH
    {"左足IK親", "[左足IK親] ", 0, {}},   // BONE_LEFT_LEG_IK_PARENT
    {"右足IK親", "[右足IK親] ", 0, {}},   // BONE_RIGHT_LEG_IK_PARENT
    {"左肩P", "[左肩P] ", 0, {}},         // BONE_LEFT_SHOULDER_P
    {"右肩P", "[右肩P] ", 0, {}},         // BONE_RIGHT_SHOULDER_P
    {"下半身", "[下半身] ", 0, {}},       // BONE_LOWER_BODY
    {"腰", "[腰] ", 0, {}},               // BONE_WAIST
    {"左足先EX", nullptr, 0, {}},         // BONE_LEFT_TOE_EX
    {"右足先EX", nullptr, 0, {}},         // BONE_RIGHT_TOE_EX
    {"左腕ＩＫ", nullptr, 0, {}},         // BONE_LEFT_ARM_IK
    {"右腕ＩＫ", nullptr, 0, {}},         // BONE_RIGHT_ARM_IK
    {"左親指０ ", nullptr, 0, {}},        // BONE_LEFT_THUMB_0_BLANK
    {"左肩", nullptr, 0, {}},             // BONE_LEFT_SHOULDER
    {"右肩", nullptr, 0, {}},             // BONE_RIGHT_SHOULDER
    {"左手首", nullptr, 0, {}},           // BONE_LEFT_WRIST
    {"右手首", nullptr, 0, {}},           // BONE_RIGHT_WRIST
};
static_assert(std::size(kSpecialBones) == SPECIAL_BONE_COUNT, "one row per special bone");

namespace {

// Shift-JIS copies of the names and labels; filled by prepare() on first use. Slot
// SPECIAL_BONE_NONE stays "".
struct SpecialBoneTexts {
  bool ready;
  char name[SPECIAL_BONE_COUNT + 1][SPECIAL_BONE_TEXT_SIZE];
  char label[SPECIAL_BONE_COUNT + 1][SPECIAL_BONE_TEXT_SIZE];
};
SpecialBoneTexts gTexts;

const SpecialBoneTexts& prepare() {
  SpecialBoneTexts& t = gTexts;
  if (t.ready)
    return t;
  for (int i = 0; i < SPECIAL_BONE_COUNT; ++i) {
    const SpecialBoneInfo& bone = kSpecialBones[i];
    utf8ToSjisBounded(t.name[i], sizeof t.name[i], bone.nameUtf8);
    if (bone.labelUtf8 != nullptr)
      utf8ToSjisBounded(t.label[i], sizeof t.label[i], bone.labelUtf8);
  }
  t.ready = true;
  return t;
}

int slotOf(SpecialBone bone) {
  return bone >= 0 && bone < SPECIAL_BONE_COUNT ? bone : SPECIAL_BONE_NONE;
}

} // namespace

const char* specialBoneName(SpecialBone bone) {
  return prepare().name[slotOf(bone)];
}

const char* specialBoneLabel(SpecialBone bone) {
  return prepare().label[slotOf(bone)];
}

SpecialBone specialBoneOf(const char* sjisName) {
  const SpecialBoneTexts& t = prepare();
  for (int i = 0; i < SPECIAL_BONE_COUNT; ++i) {
    if (std::strcmp(sjisName, t.name[i]) == 0)
      return static_cast<SpecialBone>(i);
  }
  return SPECIAL_BONE_NONE;
}
