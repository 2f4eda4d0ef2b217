// Interpolation curves of VMD bone keys. A curve is the cubic Bézier from (0,0) through
// (x1,y1), (x2,y2) to (1,1), its control points stored as bytes over 127; it maps the frame
// fraction t of a key segment to a weight: the parameter s with x(s) = t is found, and the
// weight is y(s). A curve with x1 == y1 and x2 == y2 is linear (weight = t).
//
// Reads the four curves (X, Y, Z position, rotation) of a key's 64-byte interpolation block,
// writes a block as MMD lays it out, splits a curve to a part of its segment (for a key put
// inside it) and rounds a continuous curve back to bytes.
//
// One weight: fixCurveWeight. Many weights of one curve (a sweep through a segment): prepare
// the curve once with fixBezierPrepare and pass the previous parameter to fixBezierWeight as a
// start. Nothing here allocates. Every function accepts any input: bytes above 127 read as
// 127, fractions outside 0..1 are clamped, and any x1, x2 in 0..1 gives an x(s) that never
// decreases, so the parameter of a fraction always exists.
#pragma once

#include <cstdint>

// Control points as stored: 0..127 each, over 127.
struct FixCurve {
  uint8_t x1, y1, x2, y2;
};

// Control points in the unit square, before rounding to bytes (a split or a fit).
struct FixCurveReal {
  double x1, y1, x2, y2;
};

// MMD's default curve, linear.
constexpr FixCurve FIX_CURVE_LINEAR = {20, 20, 107, 107};

// The curves of a block, in the order of the block's layout.
enum FixAxis : int32_t {
  FIX_AXIS_X = 0,
  FIX_AXIS_Y = 1,
  FIX_AXIS_Z = 2,
  FIX_AXIS_ROTATION = 3,
  FIX_AXIS_COUNT = 4
};

constexpr int FIX_BLOCK_SIZE = 64;

// The polynomial form of a curve, x(s) = ((ax s + bx) s + cx) s and likewise y.
struct FixBezier {
  double ax, bx, cx;
  double ay, by, cy;
  uint8_t linear; // 1 when the weight is t itself
};

// Fills *out from the bytes, or from continuous control points (clamped to 0..1). Return 0.
int fixBezierPrepare(FixBezier* out, const FixCurve* curve);
int fixBezierPrepareReal(FixBezier* out, const FixCurveReal* curve);

// The parameter s in 0..1 with x(s) = t (to about 1e-13 in x), by Newton steps kept inside a
// shrinking bracket. start is a first guess (a previous answer in a sweep); outside 0..1 it
// counts as t.
double fixBezierParameter(const FixBezier* bezier, double t, double start);

// The weight y(s) at fraction t. *s holds a first guess on entry (any value outside 0..1:
// none) and the parameter found on return. s may be null.
double fixBezierWeight(const FixBezier* bezier, double t, double* s);

// The weight of a byte curve at fraction t: 0 at t <= 0, 1 at t >= 1, t itself for a linear
// curve.
double fixCurveWeight(const FixCurve* curve, double t);

// One curve of a block: the bytes at 16 * axis + 0, 4, 8, 12 (x1, y1, x2, y2).
FixCurve fixBlockCurve(const uint8_t* block, int32_t axis);

// Writes the 64 bytes of a block as MMD does: with L = the x1 of X, Y, Z, rotation, then
// their y1, x2, y2 (16 bytes), row k (bytes 16k..16k+15) is L[k..15] then k zero bytes; then
// bytes 2 and 3, which MMD does not read as curve data (0 or the physics-off flag), are set
// to byte2 and byte3. curves: X, Y, Z, rotation. Returns 0.
int fixBlockWrite(uint8_t* block, const FixCurve curves[FIX_AXIS_COUNT], uint8_t byte2,
                  uint8_t byte3);

// The part of a curve over the fractions u0..u1 (0 <= u0 < u1 <= 1) of its segment, as a
// curve of its own over 0..1: the Bézier cut at the parameters of u0 and u1 (de Casteljau),
// scaled back to the unit square. A linear curve gives a linear curve.
// Returns 0; 1 when the weight does not change over u0..u1 (flat: *out is linear, any curve
// plays the same there); -1 when u0, u1 are not such an interval (*out untouched).
int fixCurveSplit(FixCurveReal* out, const FixCurve* curve, double u0, double u1);

// The nearest bytes: each control point times 127, rounded, clamped to 0..127 (not a number
// reads as 0).
FixCurve fixCurveQuantize(const FixCurveReal* curve);
