// The evaluation read from the outside: statistics set by hand, the counters and flag words
// it derives, each threshold met by the floats on either side of it.
#include "analysis/evaluate.h"

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis_fixture.h"

using namespace analysis_testing;

namespace {

const float kAbove001 = std::nextafter(0.01f, 1.0f); // the first float above 0.01
const float kNaN = std::numeric_limits<float>::quiet_NaN();

// Twist extremes on either side of the degree thresholds (2 asin(s) in degrees with the
// stored reciprocal of pi, rounded to single precision).
const float kTwist160 = floatOfBits(0x3f7c1c5d); // 160.000015 degrees
const float kBelow160 = floatOfBits(0x3f7c1c5c); // 159.999985 degrees
const float kTwist145 = floatOfBits(0x3f7426cc); // 145.000015 degrees
const float kBelow145 = floatOfBits(0x3f7426cb); // 144.999985 degrees

class Evaluate : public ::testing::Test {
protected:
  void SetUp() override { resetAll(); }
};

} // namespace

TEST_F(Evaluate, DegreesOfHalfAngleSines) {
  // The stored reciprocal of pi is a little below 1/pi, so a half turn is not quite 180.
  EXPECT_NEAR(rotationDegrees(1.0f), 179.99999734, 1e-7);
  EXPECT_LT(rotationDegrees(1.0f), 180.0);
  EXPECT_EQ(rotationDegrees(0.0f), 0.0);
  EXPECT_EQ(rotationDegrees(2.0f), rotationDegrees(1.0f)) << "limited to 1";
  EXPECT_EQ(rotationDegrees(-3.0f), -rotationDegrees(1.0f)) << "limited to -1";
  EXPECT_NEAR(rotationDegrees(0.5f), 60.0, 1e-5);
  EXPECT_EQ(twistDegrees(0.5f), static_cast<float>(rotationDegrees(0.5f)));
  // The twist thresholds, met by neighbouring floats.
  EXPECT_GE(twistDegrees(kTwist160), 160.0f);
  EXPECT_LT(twistDegrees(kBelow160), 160.0f);
  EXPECT_GE(twistDegrees(kTwist145), 145.0f);
  EXPECT_LT(twistDegrees(kBelow145), 145.0f);
}

TEST_F(Evaluate, NothingKeyedIsOk) {
  evaluateMotion();
  const Evaluation& e = gEval;
  EXPECT_EQ(e.mustFixCount + e.checkReadmeCount + e.somewhatRoughCount + e.slightlyRoughCount, 0);
  EXPECT_EQ(e.twistBoneFlags | e.upperBody2Flag | e.plusBoneFlags | e.legDFlags | e.armDFlags |
                e.extraParentFlags | e.legIkParentRotFlags | e.shoulderPFlags |
                e.armTwistStrongFlags | e.armTwistMildFlags | e.lowerBodyRating | e.waistUsed,
            0);
}

TEST_F(Evaluate, TwistBones) {
  const char* names[] = {"左腕捩", "左手捩", "右腕捩", "右手捩"};
  struct Case {
    float plus;
    float minus;
    bool moved;
    bool counted;
    const char* what;
  } cases[] = {
      {0.5f, 0.0f, true, true, "plus twist"},
      {0.0f, 0.5f, true, true, "minus twist"},
      {kAbove001, 0.0f, true, true, "just above 0.01"},
      {0.01f, 0.01f, true, false, "0.01 is not above 0.01"},
      {0.5f, 0.5f, false, false, "not moved: not active"},
  };
  for (int bone = 0; bone < 4; ++bone) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(names[bone]) + ": " + c.what);
      resetAll();
      BoneStats& b = keyBone(names[bone], 0.0f, 0.5f);
      b.twistPlusMax = c.plus;
      b.twistMinusMax = c.minus;
      b.moved = c.moved ? 0xFF : 0;
      evaluateMotion();
      EXPECT_EQ(gEval.twistBoneFlags, c.counted ? 1 << bone : 0);
      EXPECT_EQ(gEval.mustFixCount, c.counted ? 1 : 0);
    }
  }
}

TEST_F(Evaluate, UpperBody2FullWidthWithoutAscii) {
  struct Case {
    float fullWidth; // rotation of 上半身２, 0 = not keyed
    float ascii;     // rotation of 上半身2
    int32_t flag;
    int32_t mustFix;
  } cases[] = {
      {0.2f, 0.0f, -1, 1}, {0.2f, 0.2f, 1, 0},       {0.0f, 0.2f, 0, 0},   {0.0f, 0.0f, 0, 0},
      {0.01f, 0.0f, 0, 0}, {kAbove001, 0.0f, -1, 1}, {0.2f, 0.01f, -1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.fullWidth << " / " << c.ascii);
    resetAll();
    if (c.fullWidth != 0.0f)
      keyBone("上半身２", 0.0f, c.fullWidth);
    if (c.ascii != 0.0f)
      keyBone("上半身2", 0.0f, c.ascii);
    evaluateMotion();
    EXPECT_EQ(gEval.upperBody2Flag, c.flag);
    EXPECT_EQ(gEval.mustFixCount, c.mustFix);
  }
}

TEST_F(Evaluate, RotatedBoneSets) {
  struct Set {
    std::vector<const char*> names;
    int32_t Evaluation::*flags;
    int32_t Evaluation::*counter;
    const char* what;
  } sets[] = {
      {{"左足_+", "左腕_+", "右足_+", "右腕_+"},
       &Evaluation::plusBoneFlags,
       &Evaluation::mustFixCount,
       "_+ bones"},
      {{"左足D", "左ひざD", "左足首D", "右足D", "右ひざD", "右足首D"},
       &Evaluation::legDFlags,
       &Evaluation::checkReadmeCount,
       "leg D bones"},
      {{"左腕D", "左ひじD", "右腕D", "右ひじD"},
       &Evaluation::armDFlags,
       &Evaluation::checkReadmeCount,
       "arm D bones"},
      {{"左肩P", "右肩P"},
       &Evaluation::shoulderPFlags,
       &Evaluation::checkReadmeCount,
       "shoulder P bones"},
  };
  for (const Set& set : sets) {
    for (size_t i = 0; i < set.names.size(); ++i) {
      struct Case {
        float translation;
        float rotation;
        bool moved;
        bool counted;
      } cases[] = {
          {0.0f, kAbove001, true, true},
          {0.0f, 0.01f, true, false},
          {0.5f, 0.0f, true, false},
          {0.0f, 0.5f, false, false},
      };
      for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << set.what << " " << set.names[i] << " rotation "
                                          << c.rotation << (c.moved ? "" : " not moved"));
        resetAll();
        keyBone(set.names[i], c.translation, c.rotation).moved = c.moved ? 0xFF : 0;
        evaluateMotion();
        EXPECT_EQ(gEval.*set.flags, c.counted ? 1 << i : 0);
        EXPECT_EQ(gEval.*set.counter, c.counted ? 1 : 0);
      }
    }
  }
}

TEST_F(Evaluate, ExtraParentsAreMarkedByMovementAndCountedByRotation) {
  const char* names[] = {"上半身3", "左足ＩＫ親", "右足ＩＫ親"};
  struct Case {
    float translation;
    float rotation;
    bool flagged;
    bool counted;
  } cases[] = {
      {0.5f, 0.0f, true, false},    {0.0f, 0.5f, true, true},       {0.5f, 0.5f, true, true},
      {0.01f, 0.01f, false, false}, {kAbove001, 0.0f, true, false}, {0.0f, kAbove001, true, true},
  };
  for (int i = 0; i < 3; ++i) {
    for (const Case& c : cases) {
      SCOPED_TRACE(::testing::Message() << names[i] << " " << c.translation << " / " << c.rotation);
      resetAll();
      keyBone(names[i], c.translation, c.rotation);
      evaluateMotion();
      EXPECT_EQ(gEval.extraParentFlags, c.flagged ? 1 << i : 0);
      EXPECT_EQ(gEval.checkReadmeCount, c.counted ? 1 : 0);
    }
  }
}

TEST_F(Evaluate, LegIkParentRotationGrades) {
  // r = 3.2 x maxRotation in double: above 0.4 strong (counted), above 0.25 medium, above
  // 0.12 mild. The boundary floats give r exactly 0.4 and 0.25, and the last one at or
  // below 0.12.
  struct Case {
    float rotation;
    int32_t leftFlags; // the right bone's bits are these shifted left once
    int32_t count;
  } cases[] = {
      {0.15f, 0x10, 1},
      {0.1f, 0x04, 0},
      {0.05f, 0x01, 0},
      {0.03f, 0x00, 0},
      {floatOfBits(0x3e000001), 0x10, 1}, // r = 0.40000005
      {0.125f, 0x04, 0},                  // r = 0.4
      {floatOfBits(0x3da00001), 0x04, 0}, // r = 0.25000002
      {0.078125f, 0x01, 0},               // r = 0.25
      {floatOfBits(0x3d19999a), 0x01, 0}, // r = 0.12000000477
      {floatOfBits(0x3d199999), 0x00, 0}, // r = 0.11999999285
  };
  const char* names[] = {"左足IK親", "右足IK親"};
  for (int side = 0; side < 2; ++side) {
    for (const Case& c : cases) {
      SCOPED_TRACE(::testing::Message() << names[side] << " rotation " << c.rotation);
      resetAll();
      keyBone(names[side], 0.0f, c.rotation);
      evaluateMotion();
      EXPECT_EQ(gEval.legIkParentRotFlags, c.leftFlags << side);
      EXPECT_EQ(gEval.checkReadmeCount, c.count);
    }
  }
}

TEST_F(Evaluate, ArmTwistThresholds) {
  const char* names[] = {"左腕", "左ひじ", "右腕", "右ひじ"};
  enum Grade { NONE, MILD, STRONG };
  struct Case {
    float plus;
    float minus;
    Grade grade;
    const char* what;
  } cases[] = {
      {kTwist160, 0.0f, STRONG, "160 degrees"},
      {kBelow160, 0.0f, MILD, "just below 160"},
      {kTwist145, 0.0f, MILD, "145 degrees"},
      {kBelow145, 0.0f, NONE, "just below 145"},
      {0.0f, kTwist160, STRONG, "160 in the negative direction"},
      {0.5f, kTwist145, MILD, "the larger direction counts"},
      {kTwist160, kBelow145, STRONG, "plus larger than minus"},
      {1.5f, 0.0f, STRONG, "a sine above 1 is limited to a half turn"},
      {kTwist160, kNaN, NONE, "minus not a number: the twist is not a number"},
      {kNaN, kTwist160, STRONG, "plus not a number: the twist is the minus one"},
      {0.01f, 0.01f, NONE, "no twist above 0.01"},
  };
  for (int bone = 0; bone < 4; ++bone) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(names[bone]) + ": " + c.what);
      resetAll();
      BoneStats& b = keyBone(names[bone], 0.0f, 0.99f);
      b.twistPlusMax = c.plus;
      b.twistMinusMax = c.minus;
      evaluateMotion();
      EXPECT_EQ(gEval.armTwistStrongFlags, c.grade == STRONG ? 1 << bone : 0);
      EXPECT_EQ(gEval.armTwistMildFlags, c.grade == MILD ? 1 << bone : 0);
      EXPECT_EQ(gEval.somewhatRoughCount, c.grade == STRONG ? 1 : 0);
      EXPECT_EQ(gEval.slightlyRoughCount, c.grade == MILD ? 1 : 0);
    }
  }
  resetAll();
  BoneStats& b = keyBone("左腕", 0.0f, 0.99f);
  b.twistPlusMax = kTwist160;
  b.moved = 0;
  evaluateMotion();
  EXPECT_EQ(gEval.armTwistStrongFlags, 0) << "a bone that never moved is not active";
}

TEST_F(Evaluate, LowerBodyAndWaist) {
  // The rating thresholds are the sines of half of 35 and of 15 degrees, as computed at run
  // time from the stored radians; each is met by the first float at or above it.
  const float at35 = floatOfBits(0x3e99f61d);
  const float below35 = floatOfBits(0x3e99f61c);
  const float at15 = floatOfBits(0x3e05a8a9);
  const float below15 = floatOfBits(0x3e05a8a8);
  ASSERT_GE(static_cast<double>(at35), std::sin(0.3054326236111111));
  ASSERT_LT(static_cast<double>(below35), std::sin(0.3054326236111111));
  ASSERT_GE(static_cast<double>(at15), std::sin(0.13089969583333333));
  ASSERT_LT(static_cast<double>(below15), std::sin(0.13089969583333333));
  struct Case {
    float translation;
    float rotation;
    int32_t rating;
    int32_t count;
    const char* what;
  } cases[] = {
      {kAbove001, kAbove001, -1, 1, "moved: strong whatever the rotation"},
      {0.0f, at35, -1, 1, "35 degrees"},
      {0.0f, below35, 3, 1, "just below 35 degrees"},
      {0.0f, at15, 3, 1, "15 degrees"},
      {0.0f, below15, 1, 1, "just below 15 degrees"},
      {0.0f, kAbove001, 1, 1, "just above 0.01"},
      {0.5f, 0.01f, 0, 0, "moved but not rotated above 0.01"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    resetAll();
    keyBone("下半身", c.translation, c.rotation);
    evaluateMotion();
    EXPECT_EQ(gEval.lowerBodyRating, c.rating);
    EXPECT_EQ(gEval.somewhatRoughCount, c.count);
    EXPECT_EQ(gEval.waistUsed, 0);
  }
  struct WaistCase {
    float rotation;
    int32_t used;
  } waistCases[] = {{0.3f, -1}, {kAbove001, -1}, {0.01f, 0}};
  for (const WaistCase& c : waistCases) {
    SCOPED_TRACE(::testing::Message() << "腰 rotation " << c.rotation);
    resetAll();
    keyBone("腰", 0.5f, c.rotation);
    evaluateMotion();
    EXPECT_EQ(gEval.waistUsed, c.used);
    EXPECT_EQ(gEval.somewhatRoughCount, c.used != 0 ? 1 : 0);
    EXPECT_EQ(gEval.lowerBodyRating, 0);
  }
  resetAll();
  keyBone("腰", 0.0f, 0.3f);
  keyBone("下半身", 0.0f, 0.3f);
  evaluateMotion();
  EXPECT_EQ(gEval.somewhatRoughCount, 2);
}

TEST_F(Evaluate, EveryRuleAtOnce) {
  for (const char* name : {"左腕捩", "左手捩", "右腕捩", "右手捩"})
    keyBone(name, 0.0f, 0.5f).twistMinusMax = 0.5f;
  keyBone("上半身２", 0.0f, 0.2f);
  for (const char* name : {"左足_+", "左腕_+", "右足_+", "右腕_+", "左足D", "左ひざD", "左足首D",
                           "右足D", "右ひざD", "右足首D", "左腕D", "左ひじD", "右腕D", "右ひじD",
                           "上半身3", "左足ＩＫ親", "右足ＩＫ親", "左肩P", "右肩P"})
    keyBone(name, 0.0f, 0.2f);
  keyBone("左足IK親", 0.0f, 0.2f);
  keyBone("右足IK親", 0.0f, 0.1f);
  for (const char* name : {"左腕", "左ひじ"})
    keyBone(name, 0.0f, 0.99f).twistPlusMax = kTwist160;
  for (const char* name : {"右腕", "右ひじ"})
    keyBone(name, 0.0f, 0.99f).twistMinusMax = kTwist145;
  keyBone("下半身", 0.0f, 0.4f);
  keyBone("腰", 0.0f, 0.2f);
  evaluateMotion();
  const Evaluation& e = gEval;
  EXPECT_EQ(e.twistBoneFlags, 0x0F);
  EXPECT_EQ(e.upperBody2Flag, -1);
  EXPECT_EQ(e.plusBoneFlags, 0x0F);
  EXPECT_EQ(e.mustFixCount, 4 + 1 + 4);
  EXPECT_EQ(e.legDFlags, 0x3F);
  EXPECT_EQ(e.armDFlags, 0x0F);
  EXPECT_EQ(e.extraParentFlags, 0x07);
  EXPECT_EQ(e.legIkParentRotFlags, 0x10 | 0x08);
  EXPECT_EQ(e.shoulderPFlags, 0x03);
  EXPECT_EQ(e.checkReadmeCount, 6 + 4 + 3 + 1 + 2);
  EXPECT_EQ(e.armTwistStrongFlags, 0x03);
  EXPECT_EQ(e.armTwistMildFlags, 0x0C);
  EXPECT_EQ(e.lowerBodyRating, -1);
  EXPECT_EQ(e.waistUsed, -1);
  EXPECT_EQ(e.somewhatRoughCount, 2 + 2);
  EXPECT_EQ(e.slightlyRoughCount, 2);

  // Every field is reset for the next file.
  resetStatistics();
  evaluateMotion();
  EXPECT_EQ(gEval.mustFixCount + gEval.checkReadmeCount + gEval.somewhatRoughCount +
                gEval.slightlyRoughCount,
            0);
  EXPECT_EQ(gEval.twistBoneFlags | gEval.upperBody2Flag | gEval.plusBoneFlags | gEval.legDFlags |
                gEval.armDFlags | gEval.extraParentFlags | gEval.legIkParentRotFlags |
                gEval.shoulderPFlags | gEval.armTwistStrongFlags | gEval.armTwistMildFlags |
                gEval.lowerBodyRating | gEval.waistUsed,
            0);
}
