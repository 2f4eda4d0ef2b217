#include "fix/compose.h"

#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

#include "fix_fixture.h"

namespace {

constexpr double kTolerance = 0.02;
const FixQuat kOne = {0, 0, 0, 1};
const FixCurve kEase = {64, 0, 63, 127};
const FixCurve kOther = {10, 90, 120, 30};

struct Composed {
  FixTrack track;
  FixComposeStats stats;
  int result;
  double checked; // fixCheck's largest difference
};

Composed compose(const std::vector<FixSource>& sources, int primary) {
  Composed c;
  c.result = fixCompose(&c.track, sources.data(), static_cast<int32_t>(sources.size()), primary,
                        kTolerance, &c.stats);
  int32_t frame;
  fixCheck(&c.track, sources.data(), static_cast<int32_t>(sources.size()), &c.checked, &frame);
  return c;
}

// Unit rotations, each on the previous one's side.
bool signContinuous(const FixTrack& t) {
  for (size_t i = 0; i < t.keys.size(); ++i) {
    const float* q = t.keys[i].rotation;
    if (std::fabs(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3] - 1.0f) > 1e-6f)
      return false;
    const float* p = i > 0 ? t.keys[i - 1].rotation : q;
    if (p[0] * q[0] + p[1] * q[1] + p[2] * q[2] + p[3] * q[3] < 0.0f)
      return false;
  }
  return true;
}

FixCurve rotationCurve(const FixKey& k) {
  return fixBlockCurve(k.interpolation, FIX_AXIS_ROTATION);
}

} // namespace

TEST(Compose, EachFoldPlaysTheProduct) {
  const FixTrack arm =
      finished({makeKey(0, kOne), makeKey(10, axisAngle(0, 0, 1, 20), kEase),
                makeKey(25, axisAngle(0, 1, 1, 15), kOther), makeKey(40, axisAngle(0, 1, 0, 10))});
  const FixTrack armTwist =
      finished({makeKey(0, kOne), makeKey(10, axisAngle(1, 0, 0, 6), kEase),
                makeKey(18, axisAngle(1, 0, 0, -4), kOther), makeKey(40, axisAngle(1, 0, 0, 3))});
  const FixTrack shoulderP = finished({makeKey(0, kOne), makeKey(12, axisAngle(1, 0, 0, 8)),
                                       makeKey(30, axisAngle(1, 0, 0, -5), kEase)});
  const FixTrack shoulder = finished({makeKey(0, kOne), makeKey(20, axisAngle(0, 0, 1, 12), kEase),
                                      makeKey(40, axisAngle(0, 0, 1, -8))});
  const FixQuat twisted = axisAngle(1, 0, 0, 30);
  const FixQuat minusTwisted = {-twisted.x, -twisted.y, -twisted.z, -twisted.w}; // stored negated
  const FixTrack handTwist = finished({makeKey(0, kOne), makeKey(14, twisted, kEase),
                                       makeKey(20, minusTwisted), makeKey(40, kOne)});
  // A long turn whose curve is cut at 17, where byte rounding alone misses.
  const FixTrack swing = finished({makeKey(0, kOne), makeKey(40, axisAngle(0, 1, 0, 120), kOther)});
  const FixTrack nudge = finished({makeKey(0, kOne), makeKey(17, axisAngle(1, 0, 0, 1))});
  const FixTrack wrist = finished({makeKey(5, kOne), makeKey(14, axisAngle(0, 1, 0, 9), kOther),
                                   makeKey(30, axisAngle(0, 0, 1, 6))});
  const struct {
    const char* name;
    std::vector<FixSource> sources;
    int primary;
  } cases[] = {
      {"arm twist", {{&arm, 0}, {&armTwist, 0}}, 0},
      {"hand twist", {{&handTwist, 0}, {&wrist, 0}}, 1},
      {"shoulder P", {{&shoulderP, 0}, {&shoulder, 0}}, 1},
      {"arm under shoulder P", {{&shoulderP, 1}, {&arm, 0}, {&armTwist, 0}}, 1},
      {"cut curve", {{&swing, 0}, {&nudge, 0}}, 0},
  };
  for (const auto& c : cases) {
    const Composed out = compose(c.sources, c.primary);
    ASSERT_EQ(out.result, FIX_OK) << c.name;
    const int n = static_cast<int>(c.sources.size());
    EXPECT_LE(worstDifference(out.track, c.sources.data(), n, -5, 45), kTolerance) << c.name;
    EXPECT_LE(out.checked, kTolerance) << c.name;
    EXPECT_LE(out.checked, out.stats.maxErrorDegrees + 1e-6) << c.name; // both measure the same
    EXPECT_TRUE(signContinuous(out.track)) << c.name;
    EXPECT_EQ(out.stats.keysWritten, static_cast<int32_t>(out.track.keys.size()));
  }
}

TEST(Compose, ShorterArcNeverFlipsOnALongTurn) {
  // Two 170-degree turns about one axis: 340 degrees, which one slerp would play as -20. Linear
  // curves cut exactly, so only the arc asks for keys.
  const FixTrack a = finished({makeKey(0, kOne), makeKey(100, axisAngle(1, 0, 0, 170))});
  const FixTrack b = finished({makeKey(0, kOne), makeKey(100, axisAngle(1, 0, 0, 170))});
  const Composed out = compose({{&a, 0}, {&b, 0}}, 0);
  ASSERT_EQ(out.result, FIX_OK);
  EXPECT_LE(out.checked, kTolerance);
  EXPECT_TRUE(signContinuous(out.track));
  EXPECT_GE(out.track.keys.size(), 3u);
  EXPECT_LE(out.track.keys.size(), 5u);
}

TEST(Compose, AHalfTurnKeepsItsWayThroughRounding) {
  // The arm turns 180 degrees over 3,900 frames (its keys' dot product is 2e-10, so the
  // source plays the direct way); times a constant twist the written ends' dot product
  // rounds to about -1e-18, which alone would play the copy the other way round.
  FixKey from = makeKey(0, kOne);
  FixKey to = makeKey(3900, kOne, {20, 107, 127, 0});
  const float a[4] = {-2.8063459e-37f, 1.0f, 7.006492e-45f, 7.114932e-07f};
  const float b[4] = {3.4575804e-12f, 2.2712324e-10f, 1.0f, 0.0f};
  std::copy(a, a + 4, from.rotation);
  std::copy(b, b + 4, to.rotation);
  const FixTrack arm = finished({from, to});
  const FixTrack twist = finished({makeKey(3000, axisAngle(1, 0, 0, 120))});
  const Composed out = compose({{&arm, 0}, {&twist, 0}}, 0);
  ASSERT_EQ(out.result, FIX_OK);
  EXPECT_LE(out.checked, kTolerance);
  EXPECT_TRUE(signContinuous(out.track));
}

TEST(Compose, BothSourcesTurningGetAFewKeysOfTheirOwn) {
  const struct {
    FixQuat arm, twist;
    FixCurve armCurve, twistCurve;
    int32_t frames, fewest, most;
  } cases[] = {
      // One curve, as arms and their twists mostly are: still 0.1 degrees off one slerp.
      {axisAngle(0, 0, 1, 10), axisAngle(1, 0, 0, 4), kEase, kEase, 30, 3, 6},
      // One axis, two curves: on the arc, its progress a curve of neither source.
      {axisAngle(0, 0, 1, 5), axisAngle(0, 0, 1, 2.5), kOther, {20, 100, 60, 127}, 12, 2, 2},
  };
  for (const auto& c : cases) {
    const FixTrack arm = finished({makeKey(0, kOne), makeKey(c.frames, c.arm, c.armCurve)});
    const FixTrack twist = finished({makeKey(0, kOne), makeKey(c.frames, c.twist, c.twistCurve)});
    const Composed out = compose({{&arm, 0}, {&twist, 0}}, 0);
    ASSERT_EQ(out.result, FIX_OK);
    EXPECT_LE(out.checked, kTolerance);
    EXPECT_EQ(out.stats.framesJoined, 2);
    EXPECT_EQ(out.stats.segmentsRefined, c.fewest > 2 ? 1 : 0);
    EXPECT_GE(out.stats.keysWritten, c.fewest);
    EXPECT_LE(out.stats.keysWritten, c.most);
  }
}

TEST(Compose, CutCurvesThatMissByRoundingGetNearbyBytes) {
  // One source turns; another's key at 3 cuts its curve, whose rounded bytes miss by a little.
  const struct {
    FixCurve curve;
    double degrees;
  } cases[] = {{{64, 0, 63, 127}, 20}, {{20, 100, 60, 127}, 40}};
  for (const auto& c : cases) {
    const FixTrack swing =
        finished({makeKey(0, kOne), makeKey(10, axisAngle(0, 1, 0, c.degrees), c.curve)});
    const FixTrack nudge = finished({makeKey(0, kOne), makeKey(3, axisAngle(1, 0, 0, 0.01))});
    const Composed out = compose({{&swing, 0}, {&nudge, 0}}, 0);
    EXPECT_LE(out.checked, kTolerance);
    EXPECT_EQ(out.stats.keysWritten, 3) << c.degrees;
  }
}

TEST(Compose, MillionFramesWithOneSourceTurning) {
  const FixCurve curve = {90, 10, 30, 110};
  const FixTrack arm =
      finished({makeKey(0, kOne), makeKey(1000000, axisAngle(0, 1, 0, 90), curve)});
  const FixQuat still = axisAngle(1, 0, 0, 10);
  const struct {
    FixTrack twist;
    size_t keys;
  } cases[] = {
      {finished({makeKey(0, still)}), 2},
      {finished({makeKey(0, still), makeKey(500000, still), makeKey(1000000, still)}), 2},
      {finished({makeKey(0, kOne), makeKey(10, still)}), 3}, // the arm's curve cut at 10
  };
  for (const auto& c : cases) {
    const Composed out = compose({{&arm, 0}, {&c.twist, 0}}, 0);
    ASSERT_EQ(out.result, FIX_OK);
    EXPECT_LE(out.checked, kTolerance);
    ASSERT_EQ(out.track.keys.size(), c.keys);
    if (c.keys == 2) {
      const FixCurve kept = rotationCurve(out.track.keys[1]);
      EXPECT_TRUE(kept.x1 == 90 && kept.y1 == 10 && kept.x2 == 30 && kept.y2 == 110);
    }
  }
}

TEST(Compose, RecordsInAnyOrderWithRepeatsAndAnyLength) {
  const FixQuat q1 = axisAngle(0, 0, 1, 30), q2 = axisAngle(0, 1, 0, 20);
  const FixTrack clean =
      finished({makeKey(0, kOne), makeKey(8, q1, kEase), makeKey(20, q2, kOther)});
  FixTrack raw;
  raw.keys = {makeKey(20, {3 * q2.x, 3 * q2.y, 3 * q2.z, 3 * q2.w}, kOther), makeKey(8, q2),
              makeKey(0, {0, 0, 0, 0.25}),
              makeKey(8, {0.5 * q1.x, 0.5 * q1.y, 0.5 * q1.z, 0.5 * q1.w}, kEase)};
  ASSERT_EQ(fixTrackFinish(&raw, nullptr), FIX_OK);
  const FixTrack twist = finished({makeKey(4, kOne), makeKey(12, axisAngle(1, 0, 0, 5))});
  const Composed a = compose({{&clean, 0}, {&twist, 0}}, 0);
  const Composed b = compose({{&raw, 0}, {&twist, 0}}, 0);
  ASSERT_EQ(a.track.keys.size(), b.track.keys.size());
  for (size_t i = 0; i < a.track.keys.size(); ++i) {
    EXPECT_EQ(a.track.keys[i].frame, b.track.keys[i].frame);
    for (int k = 0; k < 4; ++k)
      EXPECT_NEAR(a.track.keys[i].rotation[k], b.track.keys[i].rotation[k], 1e-6f);
  }
}

TEST(Compose, PrimaryWithoutKeys) {
  const FixTrack wrist;
  const FixTrack twist = finished({makeKey(5, kOne), makeKey(15, axisAngle(1, 0, 0, 25), kEase)});
  const Composed out = compose({{&twist, 0}, {&wrist, 0}}, 1);
  ASSERT_EQ(out.result, FIX_OK);
  ASSERT_EQ(out.track.keys.size(), 2u);
  EXPECT_LE(out.checked, kTolerance);
  for (const FixKey& k : out.track.keys)
    EXPECT_TRUE(k.position[0] == 0 && k.position[1] == 0 && k.position[2] == 0 &&
                k.interpolation[2] == 0 && k.interpolation[3] == 0);
  EXPECT_EQ(out.track.keys[1].frame, 15);
  const FixCurve kept = rotationCurve(out.track.keys[1]);
  EXPECT_TRUE(kept.x1 == kEase.x1 && kept.y1 == kEase.y1 && kept.x2 == kEase.x2 &&
              kept.y2 == kEase.y2);
}

TEST(Compose, BytesTwoAndThreeAndPositionsComeFromThePrimary) {
  const float p0[3] = {0, 0, 0}, p1[3] = {10, -4, 2};
  const FixCurve slow = {64, 0, 63, 127};
  const FixTrack primary = finished({makeKey(5, kOne, FIX_CURVE_LINEAR, p0, slow, 0x63, 0x0F),
                                     makeKey(25, axisAngle(0, 0, 1, 20), kEase, p1, slow, 0, 0)});
  const FixTrack twist = finished(
      {makeKey(0, kOne), makeKey(12, axisAngle(1, 0, 0, 5)), makeKey(30, axisAngle(1, 0, 0, 9))});
  const Composed out = compose({{&primary, 0}, {&twist, 0}}, 0);
  ASSERT_EQ(out.result, FIX_OK);
  // The primary's key at the frame, else its last before, else its first.
  const struct {
    int32_t frame;
    uint8_t b2, b3;
  } expected[] = {{0, 0x63, 0x0F}, {5, 0x63, 0x0F}, {12, 0x63, 0x0F}, {25, 0, 0}, {30, 0, 0}};
  for (const auto& e : expected) {
    const auto it = std::find_if(out.track.keys.begin(), out.track.keys.end(),
                                 [&](const FixKey& k) { return k.frame == e.frame; });
    ASSERT_NE(it, out.track.keys.end()) << e.frame;
    EXPECT_EQ(it->interpolation[2], e.b2) << e.frame;
    EXPECT_EQ(it->interpolation[3], e.b3) << e.frame;
  }
  for (int f = -2; f <= 32; ++f) {
    double written[3], source[3];
    fixTrackPosition(&out.track, f, nullptr, written);
    fixTrackPosition(&primary, f, nullptr, source);
    for (int axis = 0; axis < 3; ++axis) // byte rounding of the cut curves only
      EXPECT_NEAR(written[axis], source[axis], 0.01 * std::fabs(p1[axis])) << f;
  }
}

TEST(Compose, CheckFindsTheLargestDifferenceAndItsFrame) {
  const FixTrack source = finished({makeKey(0, kOne), makeKey(10, axisAngle(0, 0, 1, 40), kEase),
                                    makeKey(20, axisAngle(0, 0, 1, 10))});
  const FixSource sources[] = {{&source, 0}};
  const struct {
    int key; // the written key turned away, -1 for a written track without keys
    int32_t frame;
    double degrees;
  } cases[] = {{0, 0, 3}, {1, 10, 0.5}, {2, 20, 2}, {-1, 10, 40}};
  for (const auto& c : cases) {
    FixTrack written = source;
    if (c.key < 0) {
      written.keys.clear();
    } else {
      FixQuat q = {written.keys[c.key].rotation[0], written.keys[c.key].rotation[1],
                   written.keys[c.key].rotation[2], written.keys[c.key].rotation[3]};
      const FixQuat away = axisAngle(1, 0, 0, c.degrees);
      fixQuatMultiply(&q, &q, &away);
      written.keys[c.key] = makeKey(c.frame, q, rotationCurve(written.keys[c.key]));
    }
    double degrees;
    int32_t frame;
    ASSERT_EQ(fixCheck(&written, sources, 1, &degrees, &frame), FIX_OK);
    EXPECT_NEAR(degrees, c.degrees, 1e-4) << c.key;
    EXPECT_EQ(frame, c.frame) << c.key;
  }
}

TEST(Compose, RefusesBadArgumentsAndBadRotations) {
  const FixTrack good = finished({makeKey(0, kOne), makeKey(5, axisAngle(1, 0, 0, 5))});
  FixTrack unsorted = good;
  std::swap(unsorted.keys[0], unsorted.keys[1]);
  FixTrack zero = good;
  zero.keys[1].rotation[3] = zero.keys[1].rotation[0] = 0.0f;
  const FixSource one[] = {{&good, 0}};
  FixSource many[FIX_SOURCE_CAPACITY + 1];
  std::fill(many, many + FIX_SOURCE_CAPACITY + 1, FixSource{&good, 0});
  const FixSource bad[] = {{&unsorted, 0}}, empty[] = {{nullptr, 0}}, zeroed[] = {{&zero, 0}};
  const struct {
    const FixSource* sources;
    int32_t count, primary;
    double tolerance;
    int result;
  } cases[] = {
      {one, 0, 0, 0.02, FIX_ERROR_ARGUMENT},
      {many, FIX_SOURCE_CAPACITY + 1, 0, 0.02, FIX_ERROR_ARGUMENT},
      {one, 1, 1, 0.02, FIX_ERROR_ARGUMENT},
      {one, 1, -1, 0.02, FIX_ERROR_ARGUMENT},
      {one, 1, 0, 0.0, FIX_ERROR_ARGUMENT},
      {one, 1, 0, NAN, FIX_ERROR_ARGUMENT},
      {one, 1, 0, INFINITY, FIX_ERROR_ARGUMENT},
      {bad, 1, 0, 0.02, FIX_ERROR_ARGUMENT},
      {empty, 1, 0, 0.02, FIX_ERROR_ARGUMENT},
      {zeroed, 1, 0, 0.02, FIX_ERROR_ROTATION},
      {many, FIX_SOURCE_CAPACITY, 0, 0.02, FIX_OK},
  };
  for (const auto& c : cases) {
    FixTrack out = good; // replaced, or emptied on an error
    FixComposeStats stats;
    EXPECT_EQ(fixCompose(&out, c.sources, c.count, c.primary, c.tolerance, &stats), c.result);
    EXPECT_EQ(out.keys.empty(), c.result != FIX_OK);
    if (c.result == FIX_ERROR_ROTATION) {
      EXPECT_EQ(stats.maxErrorFrame, 5);
    }
  }
}
