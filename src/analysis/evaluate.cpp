#include "analysis/evaluate.h"

#include <cmath>

#include "analysis/thresholds.h"
#include "motion/motion.h"
#include "names/bone_roles.h"
#include "names/namelist.h"

Evaluation gEval;

namespace {

// The stored reciprocal of pi the degree conversion uses.
constexpr double kReciprocalPi = 0.31830988148145367;

// The statistics of an active bone, or nullptr.
const BoneStats* activeStats(int entry) {
  if (entry < 1 || entry >= BONE_STATS_CAPACITY)
    return nullptr;
  const BoneStats& b = gMotion.bones[entry];
  return b.keyCount >= 1 && b.moved != 0 ? &b : nullptr;
}

const BoneStats* activeBone(SpecialBone bone) {
  return activeStats(nameListFindInGroups(LIST_BONE, specialBoneName(bone), 0));
}

void evaluateTwistBones(Evaluation& e) {
  for (int i = 0; i < TWIST_BONES.count; ++i) {
    const BoneStats* b = activeBone(specialBoneAt(TWIST_BONES, i));
    if (b != nullptr && twisted(*b)) {
      e.twistBoneFlags |= 1 << i;
      e.mustFixCount++;
    }
  }
}

// 上半身２ (full-width digit) alone drops out; together with 上半身2 it does not.
void evaluateUpperBody2(Evaluation& e) {
  const BoneStats* fullWidth =
      activeStats(nameListFindOrAdd(LIST_BONE, specialBoneName(BONE_UPPER_BODY_2_FULL_WIDTH)));
  if (fullWidth != nullptr && above(fullWidth->maxRotation, 0.01))
    e.upperBody2Flag = -1;
  const BoneStats* ascii =
      activeStats(nameListFindOrAdd(LIST_BONE, specialBoneName(BONE_UPPER_BODY_2)));
  if (ascii != nullptr && above(ascii->maxRotation, 0.01))
    e.upperBody2Flag = -e.upperBody2Flag;
  if (e.upperBody2Flag == -1)
    e.mustFixCount++;
}

// Rotated bones of a set: each sets its bit and adds to a counter.
void evaluateRotated(SpecialBoneSet set, int32_t* flags, int32_t* counter) {
  for (int i = 0; i < set.count; ++i) {
    const BoneStats* b = activeBone(specialBoneAt(set, i));
    if (b != nullptr && above(b->maxRotation, 0.01)) {
      *flags |= 1 << i;
      (*counter)++;
    }
  }
}

// Movement alone marks these bones; only rotation counts them.
void evaluateExtraParents(Evaluation& e) {
  for (int i = 0; i < EXTRA_PARENT_BONES.count; ++i) {
    const BoneStats* b = activeBone(specialBoneAt(EXTRA_PARENT_BONES, i));
    if (b == nullptr)
      continue;
    if (above(b->maxTranslation, 0.01))
      e.extraParentFlags |= 1 << i;
    if (above(b->maxRotation, 0.01)) {
      e.extraParentFlags |= 1 << i;
      e.checkReadmeCount++;
    }
  }
}

void evaluateLegIkParents(Evaluation& e) {
  for (int i = 0; i < LEG_IK_PARENTS.count; ++i) {
    const BoneStats* b = activeBone(specialBoneAt(LEG_IK_PARENTS, i));
    if (b == nullptr)
      continue;
    double r = static_cast<double>(b->maxRotation) * 1.6 * 2.0;
    if (r > 0.4) {
      e.legIkParentRotFlags |= 0x10 << i;
      e.checkReadmeCount++;
    } else if (r > 0.25) {
      e.legIkParentRotFlags |= 0x04 << i;
    } else if (r > 0.12) {
      e.legIkParentRotFlags |= 0x01 << i;
    }
  }
}

void evaluateArmTwist(Evaluation& e) {
  for (int i = 0; i < ARM_BONES.count; ++i) {
    const BoneStats* b = activeBone(specialBoneAt(ARM_BONES, i));
    if (b == nullptr || !twisted(*b))
      continue;
    float a = twistDegrees(b->twistMinusMax);
    float plus = twistDegrees(b->twistPlusMax);
    float t = a < plus ? plus : a;
    if (t > e.armTwistWorst)
      e.armTwistWorst = t;
    if (!(t >= 145.0f))
      continue; // below 145 degrees, or not a number
    if (t >= 160.0f) {
      e.armTwistStrongFlags |= 1 << i;
      e.somewhatRoughCount++;
    } else {
      e.armTwistMildFlags |= 1 << i;
      e.slightlyRoughCount++;
    }
  }
}

void evaluateLowerBodyAndWaist(Evaluation& e) {
  const BoneStats* lower = activeBone(BONE_LOWER_BODY);
  if (lower != nullptr && above(lower->maxRotation, 0.01)) {
    double rotation = lower->maxRotation;
    if (above(lower->maxTranslation, 0.01))
      e.lowerBodyRating = -1;
    else if (rotation >= std::sin(0.3054326236111111)) // half of 35 degrees
      e.lowerBodyRating = -1;
    else if (rotation >= std::sin(0.13089969583333333)) // half of 15 degrees
      e.lowerBodyRating = 3;
    else
      e.lowerBodyRating = 1;
    e.somewhatRoughCount++;
  }
  const BoneStats* waist = activeBone(BONE_WAIST);
  if (waist != nullptr && above(waist->maxRotation, 0.01)) {
    e.waistUsed = -1;
    e.somewhatRoughCount++;
  }
}

} // namespace

double rotationDegrees(float s) {
  double limited = s;
  if (limited >= 1.0)
    limited = 1.0;
  else if (limited <= -1.0)
    limited = -1.0;
  return 2.0 * std::asin(limited) * 180.0 * kReciprocalPi;
}

float twistDegrees(float s) {
  return static_cast<float>(rotationDegrees(s));
}

void evaluateMotion() {
  Evaluation& e = gEval;
  e = Evaluation{};
  evaluateTwistBones(e);
  evaluateUpperBody2(e);
  evaluateRotated(PLUS_BONES, &e.plusBoneFlags, &e.mustFixCount);
  evaluateRotated(LEG_D_BONES, &e.legDFlags, &e.checkReadmeCount);
  evaluateRotated(ARM_D_BONES, &e.armDFlags, &e.checkReadmeCount);
  evaluateExtraParents(e);
  evaluateLegIkParents(e);
  evaluateRotated(SHOULDER_P_BONES, &e.shoulderPFlags, &e.checkReadmeCount);
  evaluateArmTwist(e);
  evaluateLowerBodyAndWaist(e);
}
