#include "fix/track.h"

#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "fix_fixture.h"

namespace {

FixKey scaled(int32_t frame, const FixQuat& q, float k, int32_t record) {
  FixKey key = makeKey(frame, {q.x * k, q.y * k, q.z * k, q.w * k});
  key.recordIndex = record;
  return key;
}

} // namespace

TEST(Track, FinishSortsKeepsTheLaterRecordAndNormalises) {
  FixTrack t;
  t.keys = {scaled(10, axisAngle(0, 0, 1, 30), 2.0f, 0), scaled(0, axisAngle(0, 0, 1, 0), 1.0f, 1),
            scaled(10, axisAngle(0, 0, 1, 60), 0.5f, 2),
            scaled(5, axisAngle(0, 0, 1, 10), 3.0f, 3)};
  ASSERT_EQ(fixTrackFinish(&t, nullptr), FIX_OK);
  const int32_t frames[] = {0, 5, 10}, records[] = {1, 3, 2};
  const double degrees[] = {0, 10, 60};
  ASSERT_EQ(t.keys.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(t.keys[i].frame, frames[i]);
    EXPECT_EQ(t.keys[i].recordIndex, records[i]);
    const FixQuat q = {t.keys[i].rotation[0], t.keys[i].rotation[1], t.keys[i].rotation[2],
                       t.keys[i].rotation[3]};
    EXPECT_NEAR(std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w), 1.0, 1e-7);
    const FixQuat expected = axisAngle(0, 0, 1, degrees[i]);
    EXPECT_LT(fixRotationAngle(&q, &expected), 1e-4);
  }
}

TEST(Track, FinishRefusesRotationsThatCannotBeNormalised) {
  const FixQuat zero = {0, 0, 0, 0}, nan = {NAN, 0, 0, 1}, inf = {0, INFINITY, 0, 1};
  const FixQuat one = {0, 0, 0, 1};
  struct {
    std::vector<FixKey> records;
    int result;
    int32_t frame;
  } cases[] = {
      {{makeKey(2, one), makeKey(7, zero)}, FIX_ERROR_ROTATION, 7},
      {{makeKey(9, zero), makeKey(3, nan)}, FIX_ERROR_ROTATION, 3}, // the smallest frame
      {{makeKey(1, inf)}, FIX_ERROR_ROTATION, 1},
      {{makeKey(4, zero), makeKey(4, one)}, FIX_OK, -1}, // the later record replaces it
  };
  for (const auto& c : cases) {
    FixTrack t;
    t.keys = c.records;
    int32_t frame = -1;
    EXPECT_EQ(fixTrackFinish(&t, &frame), c.result);
    EXPECT_EQ(frame, c.frame);
  }
}

TEST(Track, RotationAndPositionAsPlayed) {
  const float p0[3] = {0, 0, 0}, p1[3] = {10, 20, -5};
  const FixCurve ease = {0, 127, 127, 127}; // weight 0.875 at t = 0.5
  const FixQuat q = axisAngle(0, 0, 1, 90), minusQ = {-q.x, -q.y, -q.z, -q.w};
  const FixTrack tracks[] = {
      finished({makeKey(0, {0, 0, 0, 1}, FIX_CURVE_LINEAR, p0),
                makeKey(10, q, FIX_CURVE_LINEAR, p1, ease)}),
      finished({makeKey(0, {0, 0, 0, 1}, FIX_CURVE_LINEAR, p0),
                makeKey(10, minusQ, FIX_CURVE_LINEAR, p1, ease)}), // the shorter arc all the same
  };
  const struct {
    double frame, degrees, weight;
  } cases[] = {{-5, 0, 0}, {0, 0, 0}, {2.5, 22.5, 0.5}, {5, 45, 0.875}, {10, 90, 1}, {20, 90, 1}};
  for (const FixTrack& t : tracks)
    for (const auto& c : cases) {
      FixQuat r;
      double p[3];
      fixTrackRotation(&t, c.frame, nullptr, &r);
      fixTrackPosition(&t, c.frame, nullptr, p);
      const FixQuat expected = axisAngle(0, 0, 1, c.degrees);
      EXPECT_LT(fixRotationAngle(&r, &expected), 1e-4) << c.frame;
      for (int i = 0; i < 3 && c.frame != 2.5; ++i)
        EXPECT_NEAR(p[i], p1[i] * c.weight, 1e-5) << c.frame;
    }
  FixTrack empty;
  FixQuat r;
  double p[3];
  fixTrackRotation(&empty, 3, nullptr, &r);
  fixTrackPosition(&empty, 3, nullptr, p);
  EXPECT_TRUE(r.x == 0 && r.y == 0 && r.z == 0 && r.w == 1 && p[0] == 0 && p[1] == 0 && p[2] == 0);
}

TEST(Track, HintedSweepPlaysAsLookUps) {
  FixTrack t;
  for (int f = 0; f < 40; f += 3)
    t.keys.push_back(makeKey(f, axisAngle(1, f % 2, 0, f * 7.0), {10, 90, 120, 30}));
  fixTrackFinish(&t, nullptr);
  int32_t hint = 0;
  for (double f : {-3.0, 0.0, 1.5, 2.0, 3.0, 4.0, 17.25, 30.0, 38.0, 39.0, 50.0, 5.0, 4.5}) {
    FixQuat hinted, plain;
    fixTrackRotation(&t, f, &hint, &hinted);
    fixTrackRotation(&t, f, nullptr, &plain);
    EXPECT_TRUE(hinted.x == plain.x && hinted.y == plain.y && hinted.z == plain.z &&
                hinted.w == plain.w)
        << f;
  }
}

TEST(Track, ProductInverseAndAngle) {
  const FixQuat i = {1, 0, 0, 0}, j = {0, 1, 0, 0}, q = axisAngle(1, 2, 3, 70);
  const FixQuat minusQ = {-q.x, -q.y, -q.z, -q.w}, twiceQ = {2 * q.x, 2 * q.y, 2 * q.z, 2 * q.w};
  const FixQuat one = {0, 0, 0, 1}, tiny = axisAngle(0, 0, 1, 1e-4);
  FixQuat k, back;
  fixQuatMultiply(&k, &i, &j);
  EXPECT_TRUE(k.x == 0 && k.y == 0 && k.z == 1 && k.w == 0); // i j = k
  const FixQuat inverse = fixQuatInverse(&q);
  fixQuatMultiply(&back, &q, &inverse);
  EXPECT_LT(fixRotationAngle(&back, &one), 1e-9);
  EXPECT_NEAR(fixRotationAngle(&q, &one), 70.0, 1e-9);
  EXPECT_NEAR(fixRotationAngle(&minusQ, &q), 0.0, 1e-9);
  EXPECT_NEAR(fixRotationAngle(&twiceQ, &q), 0.0, 1e-9);
  EXPECT_NEAR(fixRotationAngle(&tiny, &one), 1e-4, 1e-12); // exact near 0
}
