#include "fix/curve.h"

#include <cmath>

#include <gtest/gtest.h>

TEST(Curve, WeightAtHandComputedPoints) {
  // x1 = 0, x2 = 1 give x(s) = 3s^2 - 2s^3; x1 = 1, x2 = 0 give x(s) = 3s - 6s^2 + 4s^3, whose
  // slope is 0 at s = 0.5.
  struct {
    FixCurve curve;
    double t, weight;
  } cases[] = {
      {FIX_CURVE_LINEAR, 0.3, 0.3},     {{0, 0, 127, 127}, 0.7, 0.7},
      {{64, 0, 63, 127}, 0.5, 0.5}, // symmetric about the centre
      {{0, 127, 127, 127}, 0.5, 0.875}, {{0, 127, 127, 127}, 0.104, 0.488},  // s = 0.2
      {{127, 0, 0, 127}, 0.5, 0.5},     {{127, 0, 0, 127}, 0.4375, 0.15625}, // s = 0.25
      {{0, 127, 127, 127}, -1.0, 0.0},  {{0, 127, 127, 127}, 2.0, 1.0},
      {{255, 0, 0, 200}, 0.5, 0.5}, // bytes above 127 read as 127
  };
  for (const auto& c : cases)
    EXPECT_NEAR(fixCurveWeight(&c.curve, c.t), c.weight, 1e-9) << int(c.curve.x1) << " t=" << c.t;
}

TEST(Curve, BlockLayoutAsMmdWritesIt) {
  const FixCurve curves[4] = {{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}, {13, 14, 15, 16}};
  uint8_t block[64];
  fixBlockWrite(block, curves, 0x63, 0x0F);
  // L = x1 of X Y Z R, then y1, x2, y2; row k is L[k..15] and k zeros; bytes 2, 3 the flags.
  const uint8_t list[16] = {1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15, 4, 8, 12, 16};
  for (int row = 0; row < 4; ++row)
    for (int i = 0; i < 16; ++i) {
      const int at = 16 * row + i;
      const uint8_t expected = at == 2 ? 0x63 : at == 3 ? 0x0F : row + i < 16 ? list[row + i] : 0;
      EXPECT_EQ(block[at], expected) << at;
    }
  for (int axis = 0; axis < 4; ++axis) {
    const FixCurve c = fixBlockCurve(block, axis); // Z and R are read past the flags
    EXPECT_EQ(c.x1, curves[axis].x1);
    EXPECT_EQ(c.y1, curves[axis].y1);
    EXPECT_EQ(c.x2, curves[axis].x2);
    EXPECT_EQ(c.y2, curves[axis].y2);
  }
}

TEST(Curve, SplitKeepsTheWeightsOfItsPart) {
  struct {
    FixCurve curve;
    double u0, u1;
  } cases[] = {
      {FIX_CURVE_LINEAR, 0.2, 0.7},  {{64, 0, 64, 127}, 0.0, 0.5},   {{64, 0, 64, 127}, 0.3, 0.9},
      {{127, 0, 0, 127}, 0.1, 0.45}, {{0, 127, 127, 127}, 0.5, 1.0}, {{10, 90, 120, 30}, 0.25, 0.6},
  };
  for (const auto& c : cases) {
    FixCurveReal part;
    ASSERT_EQ(fixCurveSplit(&part, &c.curve, c.u0, c.u1), 0);
    FixBezier b;
    fixBezierPrepareReal(&b, &part);
    const double w0 = fixCurveWeight(&c.curve, c.u0), w1 = fixCurveWeight(&c.curve, c.u1);
    for (double t : {0.1, 0.37, 0.5, 0.8}) {
      const double whole = fixCurveWeight(&c.curve, c.u0 + t * (c.u1 - c.u0));
      EXPECT_NEAR(fixBezierWeight(&b, t, nullptr), (whole - w0) / (w1 - w0), 1e-9)
          << int(c.curve.x1) << " [" << c.u0 << ", " << c.u1 << "] t=" << t;
    }
  }
  FixCurveReal linear; // a linear curve stays MMD's linear curve
  fixCurveSplit(&linear, &FIX_CURVE_LINEAR, 0.2, 0.7);
  const FixCurve bytes = fixCurveQuantize(&linear);
  EXPECT_TRUE(bytes.x1 == bytes.y1 && bytes.x2 == bytes.y2);
}

TEST(Curve, SplitAnswersFlatAndRefusesBadIntervals) {
  const FixCurve slow = {127, 0, 127, 0}; // weight about t^3 / 27 near 0
  FixCurveReal out;
  EXPECT_EQ(fixCurveSplit(&out, &slow, 0.0, 1e-6), 1);
  EXPECT_EQ(fixCurveSplit(&out, &slow, 0.0, 0.5), 0);
  const double bad[][2] = {{0.5, 0.5}, {0.6, 0.4}, {-0.1, 0.5}, {0.5, 1.5}, {NAN, 0.5}};
  for (const auto& b : bad)
    EXPECT_EQ(fixCurveSplit(&out, &slow, b[0], b[1]), -1) << b[0] << " " << b[1];
}

TEST(Curve, QuantizeRoundsAndClamps) {
  const FixCurveReal in = {0.5, -0.2, 1.3, NAN};
  const FixCurve out = fixCurveQuantize(&in);
  EXPECT_EQ(out.x1, 64); // 63.5 rounds up
  EXPECT_EQ(out.y1, 0);
  EXPECT_EQ(out.x2, 127);
  EXPECT_EQ(out.y2, 0);
}
