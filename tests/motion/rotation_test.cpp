#include "motion/rotation.h"

#include <cmath>

#include <gtest/gtest.h>

namespace {

constexpr float kTolerance = 1e-6f;

Quat axisAngle(double x, double y, double z, double degrees) {
  const double length = std::sqrt(x * x + y * y + z * z);
  const double half = degrees * M_PI / 360.0;
  const double s = std::sin(half) / length;
  return {static_cast<float>(x * s), static_cast<float>(y * s), static_cast<float>(z * s),
          static_cast<float>(std::cos(half))};
}

::testing::AssertionResult near(const Quat& actual, const Quat& expected,
                                float tolerance = kTolerance) {
  if (std::fabs(actual.x - expected.x) <= tolerance &&
      std::fabs(actual.y - expected.y) <= tolerance &&
      std::fabs(actual.z - expected.z) <= tolerance &&
      std::fabs(actual.w - expected.w) <= tolerance)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "(" << actual.x << ", " << actual.y << ", " << actual.z << ", " << actual.w
         << ") is not (" << expected.x << ", " << expected.y << ", " << expected.z << ", "
         << expected.w << ")";
}

// Equal as rotations: q or -q.
::testing::AssertionResult sameRotation(const Quat& a, const Quat& b) {
  if (near(a, b, 1e-5f))
    return ::testing::AssertionSuccess();
  return near(a, {-b.x, -b.y, -b.z, -b.w}, 1e-5f);
}

Vec3 rotate(const Quat& q, const Vec3& v) {
  const Quat p = {v.x, v.y, v.z, 0.0f};
  const Quat conjugate = {-q.x, -q.y, -q.z, q.w};
  Quat t, r;
  quatMultiply(&t, &q, &p);
  quatMultiply(&r, &t, &conjugate);
  return {r.x, r.y, r.z};
}

Vec3 unitVector(double x, double y, double z) {
  const double length = std::sqrt(x * x + y * y + z * z);
  return {static_cast<float>(x / length), static_cast<float>(y / length),
          static_cast<float>(z / length)};
}

const Quat kIdentity = {0.0f, 0.0f, 0.0f, 1.0f};

} // namespace

TEST(Rotation, HamiltonProduct) {
  const float h = static_cast<float>(std::sqrt(0.5));
  struct {
    Quat a, b, product;
  } cases[] = {
      {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}},  // i j = k
      {{0, 1, 0, 0}, {1, 0, 0, 0}, {0, 0, -1, 0}}, // j i = -k
      {{0, 1, 0, 0}, {0, 0, 1, 0}, {1, 0, 0, 0}},  // j k = i
      {{1, 0, 0, 0}, {1, 0, 0, 0}, {0, 0, 0, -1}}, // i i = -1
      {{1, 2, 3, 4}, {5, 6, 7, 8}, {24, 48, 48, -6}},
      {{h, 0, 0, h}, {0, h, 0, h}, {0.5f, 0.5f, 0.5f, 0.5f}},
  };
  for (const auto& c : cases) {
    Quat out;
    EXPECT_EQ(quatMultiply(&out, &c.a, &c.b), 0);
    EXPECT_TRUE(near(out, c.product));
    Quat aliased = c.a; // the output may be an input
    quatMultiply(&aliased, &aliased, &c.b);
    EXPECT_TRUE(near(aliased, c.product));
    aliased = c.b;
    quatMultiply(&aliased, &c.a, &aliased);
    EXPECT_TRUE(near(aliased, c.product));
  }
}

TEST(Rotation, CanonicalProductHasNonNegativeW) {
  struct {
    Quat a, b, product;
  } cases[] = {
      {{1, 0, 0, 0}, {1, 0, 0, 0}, {0, 0, 0, 1}}, // -1 negated
      {{1, 2, 3, 4}, {5, 6, 7, 8}, {-24, -48, -48, 6}},
      {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}}, // w = 0 stays
      {{0, 0, 0, 1}, {0, 0, 0, 1}, {0, 0, 0, 1}},
  };
  for (const auto& c : cases) {
    Quat out = c.a;
    EXPECT_EQ(quatMultiplyCanonical(&out, &out, &c.b), 0);
    EXPECT_TRUE(near(out, c.product));
  }
}

TEST(Rotation, CrossProduct) {
  struct {
    Vec3 a, b;
    Quat cross;
  } cases[] = {
      {{1, 0, 0}, {0, 1, 0}, {0, 0, 1, 0}},
      {{0, 1, 0}, {1, 0, 0}, {0, 0, -1, 0}},
      {{1, 2, 3}, {4, 5, 6}, {-3, 6, -3, 0}},
      {{1, 2, 3}, {2, 4, 6}, {0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    Quat out = {9, 9, 9, 9};
    EXPECT_EQ(vecCross(&out, &c.a, &c.b), 0);
    EXPECT_TRUE(near(out, c.cross));
  }
}

TEST(Rotation, FromToTakesAOntoB) {
  const float h = static_cast<float>(std::sqrt(0.5));
  struct {
    Vec3 a, b;
    Quat expected;
  } cases[] = {
      {{1, 0, 0}, {1, 0, 0}, {0, 0, 0, 1}},
      {{1, 0, 0}, {-1, 0, 0}, {0, 0, 0, -1}}, // opposite: no half turn
      {{0, h, h}, {0, -h, -h}, {0, 0, 0, -1}},
      {{1, 0, 0}, {1, 5e-7f, 0}, {0, 0, 0, 1}}, // cross product below 1e-6
      // Dot products just beyond +-1 (rounding) give no square root of a negative.
      {{1, 0, 0}, {1.0000002f, 2e-3f, 0}, {0, 0, 0, 1}},
      {{1, 0, 0}, {-1.0000002f, 2e-3f, 0}, {0, 0, 1, 0}},
      {{1, 0, 0}, {0, 1, 0}, {0, 0, h, h}}, // 90 degrees about z
      {{0, 0, 1}, {1, 0, 0}, {0, h, 0, h}},
  };
  for (const auto& c : cases) {
    Quat out;
    EXPECT_EQ(quatFromTo(&out, &c.a, &c.b), 0);
    EXPECT_TRUE(near(out, c.expected));
  }

  // The threshold is on the length of the cross product, whatever the angle.
  const Vec3 x = {1, 0, 0};
  const Vec3 shortBelow = {0.5f, 5e-7f, 0};
  const Vec3 shortAbove = {0.5f, 2e-6f, 0};
  Quat out;
  quatFromTo(&out, &x, &shortBelow);
  EXPECT_TRUE(near(out, kIdentity));
  quatFromTo(&out, &x, &shortAbove);
  EXPECT_TRUE(near(out, {0, 0, 0.5f, static_cast<float>(std::sqrt(0.75))}));

  const Vec3 directions[][2] = {
      {{0.819742f, -0.572734f, 0.0f}, {1, 0, 0}},
      {{0.759228f, 0.650821f, 0.00236674f}, {1, 0, 0}},
      {{0, 0, 1}, {0.6f, 0.8f, 0}},
      {{-0.6f, 0, 0.8f}, unitVector(0.6, 0, -0.799)}, // nearly opposite
  };
  for (const auto& d : directions) {
    Quat r;
    quatFromTo(&r, &d[0], &d[1]);
    const Vec3 moved = rotate(r, d[0]);
    EXPECT_NEAR(moved.x, d[1].x, 1e-4f);
    EXPECT_NEAR(moved.y, d[1].y, 1e-4f);
    EXPECT_NEAR(moved.z, d[1].z, 1e-4f);
    EXPECT_GE(r.w, 0.0f);
  }
}

TEST(Rotation, SwingTwistSpecialRotations) {
  const Vec3 x = {1, 0, 0};
  const Vec3 arm = {0.819742f, -0.572734f, 0.0f};
  const Quat armTwist = axisAngle(arm.x, arm.y, arm.z, 70);
  const Quat armTwistNegW = {-armTwist.x, -armTwist.y, -armTwist.z, -armTwist.w};
  struct {
    Quat q;
    Vec3 axis;
    Quat swing, twist;
  } cases[] = {
      {kIdentity, x, kIdentity, kIdentity},
      {kIdentity, arm, kIdentity, kIdentity},
      {axisAngle(1, 0, 0, 40), x, kIdentity, axisAngle(1, 0, 0, 40)},
      {axisAngle(1, 0, 0, -40), x, kIdentity, axisAngle(1, 0, 0, -40)},
      {armTwist, arm, kIdentity, armTwist},
      {armTwistNegW, arm, kIdentity, armTwist},                       // w made non-negative
      {axisAngle(0, 1, 0, 90), x, axisAngle(0, 1, 0, 90), kIdentity}, // perpendicular
      {{0, 1, 0, 0}, x, {0, 1, 0, 0}, kIdentity},                     // half turn: p.x = p.w = 0
      {{5e-7f, 1, 0, 0}, x, {5e-7f, 1, 0, 0}, kIdentity},             // l below 1e-6
      {{2e-6f, 1, 0, 0}, x, {0, 0, 1, 2e-6f}, {1, 0, 0, 0}},          // l above: a half twist
  };
  for (const auto& c : cases) {
    Quat swing = {9, 9, 9, 9}, twist = {9, 9, 9, 9};
    EXPECT_EQ(quatSwingTwist(&swing, &twist, &c.q, &c.axis), 0);
    EXPECT_TRUE(near(twist, c.twist)) << "twist #" << (&c - cases);
    EXPECT_TRUE(near(swing, c.swing)) << "swing #" << (&c - cases);
  }
}

// For general rotations: q = swing * twist, the twist lies on the axis with w >= 0, the
// swing has no turn about the axis, and q, -q, a scaled axis and aliased outputs agree.
TEST(Rotation, SwingTwistSplitsEveryRotation) {
  const Vec3 axes[] = {
      {1, 0, 0},
      {0.819742f, -0.572734f, 0.0f},
      {0.759228f, -0.650821f, -0.00236674f},
      {0.819742f, 0.572734f, 0.0f},
      {0.759228f, 0.650821f, 0.00236674f},
      {0, 0, 3},
      {-1, 2, 0.5f},
  };
  const Quat rotations[] = {
      axisAngle(1, 2, 3, 50),   axisAngle(-1, 0.5, 0.2, 170),
      axisAngle(0, 0, 1, -120), axisAngle(0.3, -1, 0, 10),
      axisAngle(1, 1, 1, 300),  axisAngle(0.819742, -0.572734, 0, 150),
  };
  for (const Vec3& axis : axes) {
    const double length =
        std::sqrt(double(axis.x) * axis.x + double(axis.y) * axis.y + double(axis.z) * axis.z);
    const Vec3 unit = {float(axis.x / length), float(axis.y / length), float(axis.z / length)};
    const Vec3 doubled = {axis.x * 2, axis.y * 2, axis.z * 2};
    for (const Quat& q : rotations) {
      Quat swing, twist;
      quatSwingTwist(&swing, &twist, &q, &axis);

      Quat rebuilt;
      quatMultiply(&rebuilt, &swing, &twist);
      EXPECT_TRUE(sameRotation(rebuilt, q));
      EXPECT_GE(twist.w, 0.0f);
      EXPECT_GE(swing.w, 0.0f);
      // Twist vector parallel to the axis: its cross product with the axis vanishes.
      const Vec3 tv = {twist.x, twist.y, twist.z};
      Quat c;
      vecCross(&c, &tv, &unit);
      EXPECT_TRUE(near(c, {0, 0, 0, 0}, 1e-5f));
      // Swing vector perpendicular to the axis.
      EXPECT_NEAR(swing.x * unit.x + swing.y * unit.y + swing.z * unit.z, 0.0f, 1e-5f);

      const Quat negated = {-q.x, -q.y, -q.z, -q.w};
      Quat swing2, twist2;
      quatSwingTwist(&swing2, &twist2, &negated, &axis);
      EXPECT_TRUE(near(twist2, twist, 1e-6f));
      EXPECT_TRUE(near(swing2, swing, 1e-6f));

      quatSwingTwist(&swing2, &twist2, &q, &doubled);
      EXPECT_TRUE(near(twist2, twist, 1e-6f));
      EXPECT_TRUE(near(swing2, swing, 1e-6f));

      Quat inPlace = q;
      Quat other;
      quatSwingTwist(&inPlace, &other, &inPlace, &axis);
      EXPECT_TRUE(near(inPlace, swing, 0.0f));
      EXPECT_TRUE(near(other, twist, 0.0f));
      inPlace = q;
      quatSwingTwist(&other, &inPlace, &inPlace, &axis);
      EXPECT_TRUE(near(inPlace, twist, 0.0f));
      EXPECT_TRUE(near(other, swing, 0.0f));
    }
  }
}

// The twist direction is read along the axis: reversing the axis keeps the same twist
// rotation but reverses its sign along the axis.
TEST(Rotation, TwistDirectionFollowsTheAxis) {
  const Vec3 arm = {0.819742f, -0.572734f, 0.0f};
  const Vec3 reversed = {-arm.x, -arm.y, -arm.z};
  const Quat q = axisAngle(arm.x, arm.y, arm.z, 60);
  Quat swing, twist;
  quatSwingTwist(&swing, &twist, &q, &arm);
  EXPECT_GT(twist.x * arm.x + twist.y * arm.y, 0.0f);
  EXPECT_NEAR(std::sqrt(twist.x * twist.x + twist.y * twist.y), std::sin(M_PI / 6), 1e-6);
  quatSwingTwist(&swing, &twist, &q, &reversed);
  EXPECT_TRUE(near(twist, q));
  EXPECT_LT(twist.x * reversed.x + twist.y * reversed.y, 0.0f);
}

// An axis exactly opposite to +X is not turned onto +X (the from-to rotation is then the
// identity); the twist must still be the same rotation as about +X.
TEST(Rotation, SwingTwistAboutMinusX) {
  const Vec3 plusX = {1, 0, 0};
  const Vec3 minusX = {-1, 0, 0};
  const Quat rotations[] = {axisAngle(1, 0, 0, 40), axisAngle(1, 2, 3, 50),
                            axisAngle(-1, 0.5, 0.2, 170)};
  for (const Quat& q : rotations) {
    Quat swingPlus, twistPlus, swingMinus, twistMinus;
    quatSwingTwist(&swingPlus, &twistPlus, &q, &plusX);
    quatSwingTwist(&swingMinus, &twistMinus, &q, &minusX);
    EXPECT_TRUE(near(twistMinus, twistPlus));
    EXPECT_TRUE(near(swingMinus, swingPlus));
    Quat rebuilt;
    quatMultiply(&rebuilt, &swingMinus, &twistMinus);
    EXPECT_TRUE(sameRotation(rebuilt, q));
  }
}

TEST(Rotation, SwingTwistWithoutAnAxis) {
  const Quat q = axisAngle(1, 2, 3, 50);
  const Quat negated = {-q.x, -q.y, -q.z, -q.w};
  const Vec3 axes[] = {{0, 0, 0}, {NAN, 0, 0}, {INFINITY, 0, 0}};
  for (const Vec3& axis : axes) {
    Quat swing, twist;
    EXPECT_EQ(quatSwingTwist(&swing, &twist, &negated, &axis), 0);
    EXPECT_TRUE(near(twist, kIdentity));
    EXPECT_TRUE(near(swing, q));
  }
}
