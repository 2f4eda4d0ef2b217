// Private to src/fix/: quaternion arithmetic in double precision, shared by the track
// evaluation and the composition so that both play a key segment by the same steps.
#pragma once

#include <cmath>

#include "fix/track.h"

namespace fixq {

constexpr double kDegrees = 57.295779513082320876798; // 180 / pi

inline FixQuat mul(const FixQuat& a, const FixQuat& b) {
  return {
      a.x * b.w + a.w * b.x + a.y * b.z - a.z * b.y, a.y * b.w + a.w * b.y + a.z * b.x - a.x * b.z,
      a.z * b.w + a.w * b.z + a.x * b.y - a.y * b.x, a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z};
}

inline FixQuat conj(const FixQuat& q) {
  return {-q.x, -q.y, -q.z, q.w};
}
inline FixQuat neg(const FixQuat& q) {
  return {-q.x, -q.y, -q.z, -q.w};
}
inline double dot(const FixQuat& a, const FixQuat& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
}
inline double norm(const FixQuat& q) {
  return std::sqrt(dot(q, q));
}
inline FixQuat scale(const FixQuat& q, double k) {
  return {q.x * k, q.y * k, q.z * k, q.w * k};
}
inline FixQuat add(const FixQuat& a, const FixQuat& b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z, a.w + b.w};
}
inline FixQuat sub(const FixQuat& a, const FixQuat& b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z, a.w - b.w};
}
inline FixQuat unit(const FixQuat& q) {
  return scale(q, 1.0 / norm(q));
}
inline FixQuat fromFloats(const float r[4]) {
  return {r[0], r[1], r[2], r[3]};
}

// Degrees between two rotations, from the vector and scalar parts of a * conj(b).
inline double angle(const FixQuat& a, const FixQuat& b) {
  const FixQuat r = mul(a, conj(b));
  const double v = std::sqrt(r.x * r.x + r.y * r.y + r.z * r.z);
  return 2.0 * std::atan2(v, std::fabs(r.w)) * kDegrees;
}

// A slerp prepared once for many weights: q1 is turned to q0's side (the shorter arc).
struct Arc {
  FixQuat q0, q1;
  double omega;    // angle between q0 and q1 in quaternion space, 0..pi/2
  double sinOmega; // below kStraight: interpolated linearly and normalised
};

constexpr double kStraight = 1e-12;

inline Arc arc(const FixQuat& q0, const FixQuat& q1) {
  Arc a;
  a.q0 = q0;
  a.q1 = dot(q0, q1) < 0.0 ? neg(q1) : q1;
  // The angle between unit vectors from their difference and sum, exact near 0.
  a.omega = 2.0 * std::atan2(norm(sub(a.q1, a.q0)), norm(add(a.q1, a.q0)));
  a.sinOmega = std::sin(a.omega);
  return a;
}

inline FixQuat along(const Arc& a, double w) {
  if (!(w > 0.0))
    return a.q0;
  if (w >= 1.0)
    return a.q1;
  if (a.sinOmega < kStraight)
    return unit(add(scale(a.q0, 1.0 - w), scale(a.q1, w)));
  const double k0 = std::sin((1.0 - w) * a.omega) / a.sinOmega;
  const double k1 = std::sin(w * a.omega) / a.sinOmega;
  return add(scale(a.q0, k0), scale(a.q1, k1));
}

} // namespace fixq
