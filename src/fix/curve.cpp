#include "fix/curve.h"

#include <cmath>
#include <cstring>

namespace {

constexpr double kByte = 1.0 / 127.0;
// A change of weight below this over a split counts as none.
constexpr double kFlat = 1e-12;
constexpr int kSolveSteps = 64;

uint8_t curveByte(uint8_t v) {
  return v > 127 ? 127 : v;
}

double unit(double v) {
  if (!(v > 0.0))
    return 0.0;
  return v < 1.0 ? v : 1.0;
}

struct Point {
  double x, y;
};

Point mix(const Point& a, const Point& b, double t) {
  return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
}

// The cubic's blossom at (r0, r1, r2): de Casteljau with one parameter per level. The control
// points of the piece between parameters a and b are the blossoms (a,a,a), (a,a,b), (a,b,b)
// and (b,b,b).
Point blossom(const Point p[4], double r0, double r1, double r2) {
  const Point a0 = mix(p[0], p[1], r0), a1 = mix(p[1], p[2], r0), a2 = mix(p[2], p[3], r0);
  const Point b0 = mix(a0, a1, r1), b1 = mix(a1, a2, r1);
  return mix(b0, b1, r2);
}

uint8_t toByte(double v) {
  if (!(v > 0.0))
    return 0;
  if (v >= 1.0)
    return 127;
  return static_cast<uint8_t>(std::lround(v * 127.0));
}

} // namespace

int fixBezierPrepare(FixBezier* out, const FixCurve* curve) {
  const FixCurve c = {curveByte(curve->x1), curveByte(curve->y1), curveByte(curve->x2),
                      curveByte(curve->y2)};
  const FixCurveReal r = {c.x1 * kByte, c.y1 * kByte, c.x2 * kByte, c.y2 * kByte};
  fixBezierPrepareReal(out, &r);
  // Equal bytes are MMD's linear curve; equal doubles from a fit are only near it.
  out->linear = c.x1 == c.y1 && c.x2 == c.y2;
  return 0;
}

int fixBezierPrepareReal(FixBezier* out, const FixCurveReal* curve) {
  const double x1 = unit(curve->x1), y1 = unit(curve->y1);
  const double x2 = unit(curve->x2), y2 = unit(curve->y2);
  out->cx = 3.0 * x1;
  out->bx = 3.0 * x2 - 6.0 * x1;
  out->ax = 1.0 + 3.0 * x1 - 3.0 * x2;
  out->cy = 3.0 * y1;
  out->by = 3.0 * y2 - 6.0 * y1;
  out->ay = 1.0 + 3.0 * y1 - 3.0 * y2;
  out->linear = x1 == y1 && x2 == y2;
  return 0;
}

double fixBezierParameter(const FixBezier* b, double t, double start) {
  if (!(t > 0.0))
    return 0.0;
  if (t >= 1.0)
    return 1.0;
  double s = start > 0.0 && start < 1.0 ? start : t;
  double lo = 0.0, hi = 1.0;
  for (int i = 0; i < kSolveSteps; ++i) {
    const double f = ((b->ax * s + b->bx) * s + b->cx) * s - t;
    if (std::fabs(f) <= 1e-15)
      break;
    if (f > 0.0)
      hi = s;
    else
      lo = s;
    const double slope = (3.0 * b->ax * s + 2.0 * b->bx) * s + b->cx;
    double next = s - f / slope;
    // A flat spot (x1 or x2 at 0 or 1) or a step out of the bracket: halve instead.
    if (!(next > lo && next < hi))
      next = 0.5 * (lo + hi);
    const double step = std::fabs(next - s);
    s = next;
    if (step <= 1e-14 || hi - lo <= 1e-14)
      break;
  }
  return s;
}

double fixBezierWeight(const FixBezier* b, double t, double* s) {
  if (!(t > 0.0)) {
    if (s)
      *s = 0.0;
    return 0.0;
  }
  if (t >= 1.0) {
    if (s)
      *s = 1.0;
    return 1.0;
  }
  if (b->linear)
    return t;
  const double p = fixBezierParameter(b, t, s ? *s : -1.0);
  if (s)
    *s = p;
  return ((b->ay * p + b->by) * p + b->cy) * p;
}

double fixCurveWeight(const FixCurve* curve, double t) {
  FixBezier b;
  fixBezierPrepare(&b, curve);
  return fixBezierWeight(&b, t, nullptr);
}

FixCurve fixBlockCurve(const uint8_t* block, int32_t axis) {
  const uint8_t* p = block + 16 * axis;
  return {curveByte(p[0]), curveByte(p[4]), curveByte(p[8]), curveByte(p[12])};
}

int fixBlockWrite(uint8_t* block, const FixCurve curves[FIX_AXIS_COUNT], uint8_t byte2,
                  uint8_t byte3) {
  uint8_t list[16];
  for (int axis = 0; axis < FIX_AXIS_COUNT; ++axis) {
    list[axis] = curves[axis].x1;
    list[4 + axis] = curves[axis].y1;
    list[8 + axis] = curves[axis].x2;
    list[12 + axis] = curves[axis].y2;
  }
  // Each row is the list shifted by one more byte, zeros after its end.
  for (int row = 0; row < 4; ++row) {
    std::memcpy(block + 16 * row, list + row, static_cast<size_t>(16 - row));
    std::memset(block + 16 * row + 16 - row, 0, static_cast<size_t>(row));
  }
  block[2] = byte2;
  block[3] = byte3;
  return 0;
}

int fixCurveSplit(FixCurveReal* out, const FixCurve* curve, double u0, double u1) {
  if (!(u0 >= 0.0 && u1 <= 1.0 && u0 < u1))
    return -1;
  const FixCurveReal linear = {FIX_CURVE_LINEAR.x1 * kByte, FIX_CURVE_LINEAR.y1 * kByte,
                               FIX_CURVE_LINEAR.x2 * kByte, FIX_CURVE_LINEAR.y2 * kByte};
  FixBezier b;
  fixBezierPrepare(&b, curve);
  if (b.linear) {
    *out = linear;
    return 0;
  }
  const double s0 = fixBezierParameter(&b, u0, u0);
  const double s1 = fixBezierParameter(&b, u1, u1);
  const Point p[4] = {{0.0, 0.0},
                      {curveByte(curve->x1) * kByte, curveByte(curve->y1) * kByte},
                      {curveByte(curve->x2) * kByte, curveByte(curve->y2) * kByte},
                      {1.0, 1.0}};
  const Point q0 = blossom(p, s0, s0, s0), q1 = blossom(p, s0, s0, s1);
  const Point q2 = blossom(p, s0, s1, s1), q3 = blossom(p, s1, s1, s1);
  const double dx = q3.x - q0.x, dy = q3.y - q0.y;
  if (!(dy > kFlat) || !(dx > 0.0)) {
    *out = linear;
    return 1;
  }
  *out = {(q1.x - q0.x) / dx, (q1.y - q0.y) / dy, (q2.x - q0.x) / dx, (q2.y - q0.y) / dy};
  return 0;
}

FixCurve fixCurveQuantize(const FixCurveReal* curve) {
  return {toByte(curve->x1), toByte(curve->y1), toByte(curve->x2), toByte(curve->y2)};
}
