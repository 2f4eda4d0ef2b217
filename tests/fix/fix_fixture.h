// Hand-made keys and tracks for the fix tests.
#pragma once

#include <cmath>
#include <initializer_list>

#include "fix/compose.h"
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

// The product of the sources at a frame, from the track evaluation and the Hamilton product.
inline FixQuat productAt(const FixSource* s, int count, double frame) {
  FixQuat r = {0.0, 0.0, 0.0, 1.0};
  for (int j = 0; j < count; ++j) {
    FixQuat q;
    fixTrackRotation(s[j].track, frame, nullptr, &q);
    if (s[j].inverted)
      q = fixQuatInverse(&q);
    fixQuatMultiply(&r, &r, &q);
  }
  return r;
}

// The largest difference from the product over frames from..to, recomputed here.
inline double worstDifference(const FixTrack& written, const FixSource* s, int count, int from,
                              int to) {
  double worst = 0.0;
  for (int f = from; f <= to; ++f) {
    FixQuat played;
    fixTrackRotation(&written, f, nullptr, &played);
    const FixQuat exact = productAt(s, count, f);
    worst = std::fmax(worst, fixRotationAngle(&played, &exact));
  }
  return worst;
}
