// Evaluation: grades the bones whose use troubles the target viewer into four verdict
// categories, each with a counter, and flag words that remember which bones raised them.
// The counters decide the verdict text, the flags its reasons and the listing's colours.
//
// A bone counts only when it is active: it resolves to an entry of LIST_BONE, has a key,
// and a key moved it. Thresholds are strict unless noted.
#pragma once

#include <cstdint>

struct Evaluation {
  // All reset and filled by evaluateMotion().
  int32_t mustFixCount;     // "(要修正)": twist bones, 上半身２ without 上半身2, _+ bones
  int32_t checkReadmeCount; // "(確認要)": D bones, 上半身3, ＩＫ親, strong IK親 turn, 肩P
  int32_t somewhatRoughCount; // "(やや荒れ)": arm twist of 160 degrees or more, 下半身, 腰
  int32_t slightlyRoughCount; // "(少し荒れ)": arm twist from 145 up to 160 degrees
  int32_t twistBoneFlags;     // 0x01 左腕捩, 0x02 左手捩, 0x04 右腕捩, 0x08 右手捩
  int32_t upperBody2Flag;     // -1 上半身２ without 上半身2; 1 both; 0 otherwise
  int32_t plusBoneFlags;      // 0x01 左足_+, 0x02 左腕_+, 0x04 右足_+, 0x08 右腕_+
  int32_t legDFlags; // 0x01 左足D 0x02 左ひざD 0x04 左足首D 0x08 右足D 0x10 右ひざD 0x20 右足首D
  int32_t armDFlags;        // 0x01 左腕D, 0x02 左ひじD, 0x04 右腕D, 0x08 右ひじD
  int32_t extraParentFlags; // 0x01 上半身3, 0x02 左足ＩＫ親, 0x04 右足ＩＫ親
  int32_t
      legIkParentRotFlags; // 左足IK親/右足IK親: 0x01/0x02 mild, 0x04/0x08 medium, 0x10/0x20 strong
  int32_t shoulderPFlags;      // 0x01 左肩P, 0x02 右肩P
  int32_t armTwistStrongFlags; // 0x01 左腕, 0x02 左ひじ, 0x04 右腕, 0x08 右ひじ
  int32_t armTwistMildFlags;   // same bits
  int32_t lowerBodyRating;     // 下半身: 0 not active, -1 strong, 3 medium, 1 mild
  int32_t waistUsed;           // -1 when 腰 is active
  float armTwistWorst;         // the largest twist of the four arm bones, degrees (0 when none)
};
extern Evaluation gEval;

// Resets gEval and runs every rule on the statistics of the last motion read.
void evaluateMotion();

// 2 x asin(s limited to -1..1) in degrees, computed in double.
double rotationDegrees(float s);
// The same, rounded to single precision, as the twist rules compare it.
float twistDegrees(float s);
