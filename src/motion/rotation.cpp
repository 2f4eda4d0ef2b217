#include "motion/rotation.h"

#include <cmath>

namespace {

// Below this the cross product or the twist component counts as absent.
constexpr double kTiny = 1e-6;

struct QuatD {
  double x, y, z, w;
};

QuatD product(const Quat& a, const Quat& b) {
  const double ax = a.x, ay = a.y, az = a.z, aw = a.w;
  const double bx = b.x, by = b.y, bz = b.z, bw = b.w;
  return {ax * bw + aw * bx + ay * bz - az * by, ay * bw + aw * by + az * bx - ax * bz,
          az * bw + aw * bz + ax * by - ay * bx, aw * bw - ax * bx - ay * by - az * bz};
}

Quat toFloat(const QuatD& q) {
  return {static_cast<float>(q.x), static_cast<float>(q.y), static_cast<float>(q.z),
          static_cast<float>(q.w)};
}

} // namespace

int quatMultiply(Quat* out, const Quat* a, const Quat* b) {
  *out = toFloat(product(*a, *b));
  return 0;
}

int quatMultiplyCanonical(Quat* out, const Quat* a, const Quat* b) {
  Quat r = toFloat(product(*a, *b));
  if (r.w < 0.0f)
    r = {-r.x, -r.y, -r.z, -r.w};
  *out = r;
  return 0;
}

int vecCross(Quat* out, const Vec3* a, const Vec3* b) {
  const double ax = a->x, ay = a->y, az = a->z;
  const double bx = b->x, by = b->y, bz = b->z;
  *out = toFloat({ay * bz - az * by, az * bx - ax * bz, ax * by - ay * bx, 0.0});
  return 0;
}

int quatFromTo(Quat* out, const Vec3* a, const Vec3* b) {
  Quat c;
  vecCross(&c, a, b);
  const double cx = c.x, cy = c.y, cz = c.z;
  const float len = static_cast<float>(std::sqrt(cx * cx + cy * cy + cz * cz));
  const float d =
      static_cast<float>(static_cast<double>(a->x) * b->x + static_cast<double>(a->y) * b->y +
                         static_cast<double>(a->z) * b->z);
  if (len < kTiny) {
    // Parallel or opposite: the identity either way; opposite vectors get no half turn.
    *out = {0.0f, 0.0f, 0.0f, d < 0.0f ? -1.0f : 1.0f};
    return 0;
  }
  const double nx = cx / len, ny = cy / len, nz = cz / len;
  const double s = d >= 1.0f ? 0.0 : std::sqrt((1.0 - d) * 0.5);
  const double k = d <= -1.0f ? 0.0 : std::sqrt((d + 1.0) * 0.5);
  *out = toFloat({nx * s, ny * s, nz * s, k});
  return 0;
}

int quatSwingTwist(Quat* swing, Quat* twist, const Quat* q, const Vec3* axis) {
  const Quat input = *q; // swing or twist may be q itself
  const double ax = axis->x, ay = axis->y, az = axis->z;
  const double axisLength = std::sqrt(ax * ax + ay * ay + az * az);

  Quat t = {0.0f, 0.0f, 0.0f, 1.0f};
  if (axisLength > 0.0 && std::isfinite(axisLength)) {
    const Vec3 a = {static_cast<float>(ax / axisLength), static_cast<float>(ay / axisLength),
                    static_cast<float>(az / axisLength)};
    const Vec3 unitX = {1.0f, 0.0f, 0.0f};
    Quat r;
    quatFromTo(&r, &a, &unitX);
    const Quat rInverse = {-r.x, -r.y, -r.z, r.w};

    Quat p = input;
    if (p.w < 0.0f)
      p = {-p.x, -p.y, -p.z, -p.w};
    quatMultiply(&p, &p, &rInverse);
    quatMultiply(&p, &r, &p);

    const double px = p.x, pw = p.w;
    const double l = std::sqrt(pw * pw + px * px);
    double tx = 0.0, tw = 1.0;
    if (!(l < kTiny)) { // a NaN length takes this branch too
      tx = px / l;
      tw = pw / l;
      if (tw < 0.0) {
        tx = -tx;
        tw = -tw;
      }
    }
    // An axis opposite to +X is not turned onto it (the from-to rotation is then the
    // identity), so the twist read off +X points against the axis: flip it back.
    if (r.w < 0.0f)
      tx = -tx;
    t = toFloat({tx * a.x, tx * a.y, tx * a.z, tw});
  }
  // A zero or non-finite axis has no direction to twist about: all of q is swing.

  const Quat tInverse = {-t.x, -t.y, -t.z, t.w};
  Quat s;
  quatMultiplyCanonical(&s, &input, &tInverse);
  if (s.w < 0.0f)
    s = {-s.x, -s.y, -s.z, -s.w};
  *twist = t;
  *swing = s;
  return 0;
}
