// Hand-made keys and tracks for the fix tests.
#pragma once

#include <cmath>
#include <initializer_list>

#include "fix/curve.h"
#include "fix/track.h"

inline FixQuat axisAngle(double x, double y, double z, double degrees) {
  const double length = std::sqrt(x * x + y * y + z * z);
  const double s = std::sin(degrees * M_PI / 360.0) / length;
  return {x * s, y * s, z * s, std::cos(degrees * M_PI / 360.0)};
}

// A key turned to q, its rotation curve r, position p with curve c on every axis.
inline FixKey makeKey(int32_t frame, const FixQuat& q, FixCurve r = FIX_CURVE_LINEAR,
                      const float* p = nullptr, FixCurve c = FIX_CURVE_LINEAR, uint8_t b2 = 0,
                      uint8_t b3 = 0) {
  FixKey k = {};
  k.frame = frame;
  const float r4[4] = {static_cast<float>(q.x), static_cast<float>(q.y), static_cast<float>(q.z),
                       static_cast<float>(q.w)};
  for (int i = 0; i < 4; ++i)
    k.rotation[i] = r4[i];
  for (int i = 0; p && i < 3; ++i)
    k.position[i] = p[i];
  const FixCurve curves[4] = {c, c, c, r};
  fixBlockWrite(k.interpolation, curves, b2, b3);
  return k;
}

inline FixTrack finished(std::initializer_list<FixKey> keys) {
  FixTrack t;
  t.keys = keys;
  fixTrackFinish(&t, nullptr);
  return t;
}
