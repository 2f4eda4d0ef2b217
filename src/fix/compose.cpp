#include "fix/compose.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <vector>

#include "fix/curve.h"
#include "fix/quat_math.h"

// ---- Sections ----
// Sources in one segment: which turn, the exact product
// Writing keys: rotation rounding, positions and curves from the primary
// Curves for a part: the error of a curve, fitting, byte search
// Segments: constant, one source turning, several
// fixCompose, fixCheck

namespace {

// Frames sampled at once where several sources turn.
constexpr int64_t kChunkFrames = 65536;
// Curve bytes are searched on at most this many frames of a part, evenly spaced, then checked
// on all of them.
constexpr int64_t kPolishFrames = 64;
constexpr int kPolishEvaluations = 64;
constexpr int kFitSamples = 32;
// A part where one source turns nearly 180 degrees (half angle's cosine below this) could be
// played the other way round once its ends are rounded: it is checked against samples.
constexpr double kSafeCosine = 1e-3;
// Half angles below this have no direction to interpolate along.
constexpr double kNoArc = 1e-12;
constexpr double kInfinity = std::numeric_limits<double>::infinity();

const FixQuat kIdentity = {0.0, 0.0, 0.0, 1.0};

// ---- Sources in one segment ----

// Equal rotations: the same floats, or all four negated. Exact, so that a stretch taken as
// constant is constant and no drift hides in it.
bool sameRotation(const float a[4], const float b[4]) {
  return (a[0] == b[0] && a[1] == b[1] && a[2] == b[2] && a[3] == b[3]) ||
         (a[0] == -b[0] && a[1] == -b[1] && a[2] == -b[2] && a[3] == -b[3]);
}

FixQuat factor(const float r[4], int32_t inverted) {
  const FixQuat q = fixq::fromFloats(r);
  return inverted ? fixq::conj(q) : q;
}

// A source turning over a segment [a, b] of the new track: [f0, f1] is its own segment,
// which contains [a, b].
struct Turner {
  fixq::Arc arc; // its end rotations, inverted when the source is
  int64_t f0, f1;
  FixCurve curve;
  FixBezier bezier;
};

// The product over a segment: constant[0] * turner[0] * constant[1] * ... * constant[count].
struct Product {
  FixQuat constant[FIX_SOURCE_CAPACITY + 1];
  Turner turner[FIX_SOURCE_CAPACITY];
  int32_t count;
};

double turnerWeight(const Turner& t, double frame, double* s) {
  if (frame <= t.f0)
    return 0.0;
  if (frame >= t.f1)
    return 1.0;
  return fixBezierWeight(&t.bezier, (frame - t.f0) / static_cast<double>(t.f1 - t.f0), s);
}

// guesses: one parameter per turner, carried along a sweep.
FixQuat productAt(const Product& p, double frame, double* guesses) {
  FixQuat r = p.constant[0];
  for (int32_t i = 0; i < p.count; ++i) {
    const FixQuat q = fixq::along(p.turner[i].arc, turnerWeight(p.turner[i], frame, &guesses[i]));
    r = fixq::mul(fixq::mul(r, q), p.constant[i + 1]);
  }
  return r;
}

// cursor[j]: the last key of source j at or before the segment's start, -1 when none.
void buildProduct(Product* p, const FixSource* sources, int32_t count, const int32_t* cursor) {
  p->count = 0;
  FixQuat run = kIdentity;
  for (int32_t j = 0; j < count; ++j) {
    const std::vector<FixKey>& keys = sources[j].track->keys;
    const int32_t n = static_cast<int32_t>(keys.size());
    const int32_t i = cursor[j];
    const int32_t inverted = sources[j].inverted;
    if (n == 0)
      continue;
    if (i < 0 || i == n - 1 || sameRotation(keys[i].rotation, keys[i + 1].rotation)) {
      run = fixq::mul(run, factor(keys[i < 0 ? 0 : i].rotation, inverted));
      continue;
    }
    // Both ends of a turning segment are frames of the new track (or the primary's), so the
    // segment holds all of [a, b].
    p->constant[p->count] = run;
    run = kIdentity;
    Turner& t = p->turner[p->count++];
    t.arc = fixq::arc(factor(keys[i].rotation, inverted), factor(keys[i + 1].rotation, inverted));
    t.f0 = keys[i].frame;
    t.f1 = keys[i + 1].frame;
    t.curve = fixBlockCurve(keys[i + 1].interpolation, FIX_AXIS_ROTATION);
    fixBezierPrepare(&t.bezier, &t.curve);
  }
  p->constant[p->count] = run;
}

// ---- Writing keys ----

struct Writer {
  FixTrack* out;
  const FixTrack* primary;
  int32_t hint;     // sweep hint into the primary
  FixQuat last;     // the last key's rotation as written
  double lastError; // its difference from the product
  FixComposeStats stats;
};

// The rotation as written: unit, on the previous key's side, in float; *read as played.
void storeRotation(const FixQuat& exact, const FixQuat& previous, float out[4], FixQuat* read) {
  FixQuat q = fixq::unit(exact);
  if (fixq::dot(q, previous) < 0.0)
    q = fixq::neg(q);
  out[0] = static_cast<float>(q.x);
  out[1] = static_cast<float>(q.y);
  out[2] = static_cast<float>(q.z);
  out[3] = static_cast<float>(q.w);
  *read = fixq::fromFloats(out);
}

void noteError(Writer& w, double error, int64_t frame) {
  if (error > w.stats.maxErrorDegrees || w.stats.maxErrorFrame < 0) {
    w.stats.maxErrorDegrees = error;
    w.stats.maxErrorFrame = static_cast<int32_t>(frame);
  }
}

// The primary's key segment holding [a, b]: the index of its end key, 0 before the first key,
// n after the last.
int32_t primarySegment(const std::vector<FixKey>& keys, int64_t a) {
  const auto it = std::upper_bound(keys.begin(), keys.end(), a,
                                   [](int64_t f, const FixKey& k) { return f < k.frame; });
  return static_cast<int32_t>(it - keys.begin());
}

// Position, position curves and bytes 2 and 3 of the key at b ending the part [a, b]: the
// primary's position curves cut to the part; a constant stretch gets the linear curve.
void primaryPart(Writer& w, int64_t a, int64_t b, FixKey* key, FixCurve curves[4]) {
  const std::vector<FixKey>& keys = w.primary->keys;
  const int32_t n = static_cast<int32_t>(keys.size());
  double position[3];
  fixTrackPosition(w.primary, static_cast<double>(b), &w.hint, position);
  for (int axis = 0; axis < 3; ++axis) {
    key->position[axis] = static_cast<float>(position[axis]);
    curves[axis] = FIX_CURVE_LINEAR;
  }
  key->interpolation[2] = key->interpolation[3] = 0;
  if (n == 0)
    return;
  const int32_t i = primarySegment(keys, a);
  // Bytes 2 and 3: the primary's key at b, or its last before b, or its first.
  const int32_t flagKey = i < n && keys[i].frame == b ? i : std::max(i - 1, 0);
  key->interpolation[2] = keys[flagKey].interpolation[2];
  key->interpolation[3] = keys[flagKey].interpolation[3];
  if (i == 0 || i == n || a == b)
    return;
  const FixKey& k0 = keys[i - 1];
  const FixKey& k1 = keys[i];
  const double span = static_cast<double>(k1.frame) - k0.frame;
  const bool whole = a == k0.frame && b == k1.frame;
  for (int axis = 0; axis < 3; ++axis) {
    const FixCurve c = fixBlockCurve(k1.interpolation, axis);
    if (whole) {
      curves[axis] = c;
    } else if (k0.position[axis] != k1.position[axis]) {
      FixCurveReal r;
      if (fixCurveSplit(&r, &c, (a - k0.frame) / span, (b - k0.frame) / span) == 0)
        curves[axis] = fixCurveQuantize(&r);
    }
  }
}

void emitKey(Writer& w, int64_t a, int64_t b, const float rotation[4], const FixQuat& read,
             double readError, const FixCurve& rotationCurve) {
  FixKey key;
  key.frame = static_cast<int32_t>(b);
  for (int i = 0; i < 4; ++i)
    key.rotation[i] = rotation[i];
  key.recordIndex = -1;
  FixCurve curves[FIX_AXIS_COUNT];
  primaryPart(w, a, b, &key, curves);
  curves[FIX_AXIS_ROTATION] = rotationCurve;
  fixBlockWrite(key.interpolation, curves, key.interpolation[2], key.interpolation[3]);
  w.out->keys.push_back(key);
  w.last = read;
  w.lastError = readError;
  noteError(w, readError, b);
}

// ---- Curves for a part ----

// How far a curve on the part [a, b] lands from the product at the frames inside it.
struct Evaluator {
  int64_t a, b;
  int64_t step; // every step-th frame from a + 1 (and always b - 1)
  // One source turning: the product runs along the written arc with this source's weight,
  // from w0 at a to w1 at b; full is the degrees of its whole segment.
  const Turner* turner;
  double w0, w1, full;
  // Otherwise: the product at frame a + 1 + k is c[k] * A + s[k] * B' + (off the arc), with A
  // the written start, B' the unit quaternion normal to it towards the written end, omega
  // the written half angle.
  const double* c;
  const double* s;
  double omega;
};

double evaluate(const Evaluator& e, const FixCurve& curve, int64_t* worst) {
  FixBezier bezier;
  fixBezierPrepare(&bezier, &curve);
  const double span = static_cast<double>(e.b - e.a);
  double sCurve = -1.0, sTurner = -1.0, largest = 0.0;
  *worst = e.a + 1;
  for (int64_t f = e.a + 1; f < e.b; f = f == e.b - 1 ? e.b : std::min(f + e.step, e.b - 1)) {
    const double w = fixBezierWeight(&bezier, (f - e.a) / span, &sCurve);
    double error;
    if (e.turner) {
      const double exact = turnerWeight(*e.turner, static_cast<double>(f), &sTurner);
      error = std::fabs(e.w0 + w * (e.w1 - e.w0) - exact) * e.full;
    } else {
      const size_t k = static_cast<size_t>(f - e.a - 1);
      const double d = e.c[k] * std::cos(w * e.omega) + e.s[k] * std::sin(w * e.omega);
      error = 2.0 * std::acos(std::min(1.0, std::fabs(d))) * fixq::kDegrees;
    }
    if (error > largest) {
      largest = error;
      *worst = f;
    }
  }
  return largest;
}

struct Choice {
  FixCurve curve;
  double error;
  int64_t worst;
  FixCurve tried[FIX_SOURCE_CAPACITY + 2];
  int32_t triedCount;
};

bool sameCurve(const FixCurve& a, const FixCurve& b) {
  return a.x1 == b.x1 && a.y1 == b.y1 && a.x2 == b.x2 && a.y2 == b.y2;
}

void consider(Choice* choice, const Evaluator& e, const FixCurve& curve) {
  for (int32_t i = 0; i < choice->triedCount; ++i)
    if (sameCurve(choice->tried[i], curve))
      return;
  if (choice->triedCount < FIX_SOURCE_CAPACITY + 2)
    choice->tried[choice->triedCount++] = curve;
  int64_t worst;
  const double error = evaluate(e, curve, &worst);
  if (error < choice->error) {
    choice->curve = curve;
    choice->error = error;
    choice->worst = worst;
  }
}

// A turner's own curve cut to the part [a, b]; false where it does not move there.
bool partCurve(const Turner& t, int64_t a, int64_t b, FixCurve* out) {
  if (a == t.f0 && b == t.f1) {
    *out = t.curve;
    return true;
  }
  const double span = static_cast<double>(t.f1 - t.f0);
  FixCurveReal r;
  if (fixCurveSplit(&r, &t.curve, (a - t.f0) / span, (b - t.f0) / span) != 0)
    return false;
  *out = fixCurveQuantize(&r);
  return true;
}

// y1 and y2 by least squares for fixed x1 and x2: the weight is linear in them once the
// parameter of each fraction is known. A light pull towards y = x settles one or two samples.
double fitHeights(double x1, double x2, const double* t, const double* p, int n, double* y1,
                  double* y2) {
  constexpr double kPull = 1e-4;
  const FixCurveReal shape = {x1, x1, x2, x2};
  FixBezier b;
  fixBezierPrepareReal(&b, &shape);
  double s11 = kPull, s12 = 0.0, s22 = kPull;
  double r1 = kPull * x1, r2 = kPull * x2, rr = kPull * (x1 * x1 + x2 * x2);
  for (int k = 0; k < n; ++k) {
    const double s = fixBezierParameter(&b, t[k], t[k]);
    const double u = 1.0 - s;
    const double b1 = 3.0 * u * u * s, b2 = 3.0 * u * s * s, r = p[k] - s * s * s;
    s11 += b1 * b1;
    s12 += b1 * b2;
    s22 += b2 * b2;
    r1 += b1 * r;
    r2 += b2 * r;
    rr += r * r;
  }
  const double det = s11 * s22 - s12 * s12;
  double h1 = (r1 * s22 - r2 * s12) / det;
  double h2 = (s11 * r2 - s12 * r1) / det;
  if (!(h1 >= 0.0 && h1 <= 1.0 && h2 >= 0.0 && h2 <= 1.0)) {
    h1 = std::min(1.0, std::max(0.0, h1));
    h2 = std::min(1.0, std::max(0.0, (r2 - s12 * h1) / s22));
    h1 = std::min(1.0, std::max(0.0, (r1 - s12 * h2) / s11));
  }
  *y1 = h1;
  *y2 = h2;
  return h1 * h1 * s11 + 2.0 * h1 * h2 * s12 + h2 * h2 * s22 - 2.0 * h1 * r1 - 2.0 * h2 * r2 + rr;
}

// A curve through the progress p[k] at fractions t[k]: x1, x2 on a grid refined three times
// around the best, y1, y2 by least squares.
FixCurveReal fitProgress(const double* t, const double* p, int n) {
  FixCurveReal best = {0.25, 0.25, 0.75, 0.75};
  double bestError = kInfinity;
  double c1 = 0.5, c2 = 0.5, step = 0.25;
  for (int level = 0; level < 4; ++level) {
    const int reach = level == 0 ? 2 : 1;
    const double b1 = c1, b2 = c2;
    for (int i = -reach; i <= reach; ++i) {
      for (int j = -reach; j <= reach; ++j) {
        const double x1 = b1 + i * step, x2 = b2 + j * step;
        if (x1 < 0.0 || x1 > 1.0 || x2 < 0.0 || x2 > 1.0)
          continue;
        double y1, y2;
        const double error = fitHeights(x1, x2, t, p, n, &y1, &y2);
        if (error < bestError) {
          bestError = error;
          best = {x1, y1, x2, y2};
          c1 = x1;
          c2 = x2;
        }
      }
    }
    step *= 0.5;
  }
  return best;
}

// A step of the byte search: one control point moved to one of its 8 neighbours (moving x
// and y together slides it along the curve, which single bytes cannot).
struct Move {
  int8_t x1, y1, x2, y2;
};
constexpr Move kMoves[] = {
    {1, 0, 0, 0},  {-1, 0, 0, 0},  {0, 1, 0, 0},  {0, -1, 0, 0}, {1, 1, 0, 0}, {-1, -1, 0, 0},
    {1, -1, 0, 0}, {-1, 1, 0, 0},  {0, 0, 1, 0},  {0, 0, -1, 0}, {0, 0, 0, 1}, {0, 0, 0, -1},
    {0, 0, 1, 1},  {0, 0, -1, -1}, {0, 0, 1, -1}, {0, 0, -1, 1},
};

bool moveCurve(FixCurve* c, const Move& m, int step) {
  const int x1 = c->x1 + m.x1 * step, y1 = c->y1 + m.y1 * step;
  const int x2 = c->x2 + m.x2 * step, y2 = c->y2 + m.y2 * step;
  if (x1 < 0 || x1 > 127 || y1 < 0 || y1 > 127 || x2 < 0 || x2 > 127 || y2 < 0 || y2 > 127)
    return false;
  *c = {static_cast<uint8_t>(x1), static_cast<uint8_t>(y1), static_cast<uint8_t>(x2),
        static_cast<uint8_t>(y2)};
  return true;
}

// Steps of 4, 2, 1 while the error falls, until it meets the tolerance. A long part is
// searched on spaced frames and the result checked on all.
void polish(Choice* choice, const Evaluator& full, double tolerance) {
  const int64_t inner = full.b - full.a - 1;
  Evaluator e = full;
  const Choice start = *choice;
  if (inner > kPolishFrames) {
    e.step = (inner + kPolishFrames - 1) / kPolishFrames;
    choice->error = evaluate(e, choice->curve, &choice->worst);
  }
  int evaluations = 0;
  for (int step = 4; step >= 1 && choice->error > tolerance; step /= 2) {
    bool improved = true;
    while (improved && choice->error > tolerance && evaluations < kPolishEvaluations) {
      improved = false;
      for (const Move& m : kMoves) {
        FixCurve c = choice->curve;
        if (!moveCurve(&c, m, step))
          continue;
        int64_t worst;
        const double error = evaluate(e, c, &worst);
        ++evaluations;
        if (error < choice->error) {
          choice->curve = c;
          choice->error = error;
          choice->worst = worst;
          improved = true;
          break;
        }
      }
    }
  }
  if (inner > kPolishFrames) {
    choice->error = evaluate(full, choice->curve, &choice->worst);
    if (!(choice->error < start.error))
      *choice = start;
  }
}

// ---- Segments ----

struct Part {
  int64_t a, b;
};

struct Work {
  std::vector<int64_t> frames;
  std::vector<FixQuat> samples; // the exact product at each frame of a chunk
  std::vector<double> c, s;     // arc coordinates of a part's inner frames
  std::vector<Part> stack;      // parts still to write, the next on top
};

void solveConstant(Writer& w, const Product& p, int64_t a, int64_t b) {
  float stored[4];
  FixQuat read;
  storeRotation(p.constant[0], w.last, stored, &read);
  emitKey(w, a, b, stored, read, fixq::angle(read, p.constant[0]), FIX_CURVE_LINEAR);
}

// Only turner 0 turns: the product is constant[0] * slerp * constant[1], itself a slerp with
// the same weights (a constant factor keeps dot products), so the turner's curve cut to each
// part plays it; only rounding can miss.
void solveSingle(Writer& w, Work& work, const Product& p, int64_t a, int64_t b, double tolerance,
                 bool* refined) {
  const Turner& t = p.turner[0];
  const double full = 2.0 * t.arc.omega * fixq::kDegrees;
  work.stack.clear();
  work.stack.push_back({a, b});
  while (!work.stack.empty()) {
    const Part part = work.stack.back();
    work.stack.pop_back();
    double s = -1.0;
    const double w0 = turnerWeight(t, static_cast<double>(part.a), &s);
    const double w1 = turnerWeight(t, static_cast<double>(part.b), &s);
    const FixQuat exact =
        fixq::mul(fixq::mul(p.constant[0], fixq::along(t.arc, w1)), p.constant[1]);
    float stored[4];
    FixQuat read;
    storeRotation(exact, w.last, stored, &read);
    const double endError = fixq::angle(read, exact);
    // The written slerp between rounded ends strays from the exact one by about their errors.
    const double rounding = w.lastError + endError;

    Choice choice = {};
    choice.curve = FIX_CURVE_LINEAR;
    choice.worst = part.a + 1; // where to split when only rounding misses
    const Evaluator e = {part.a, part.b, 1, &t, w0, w1, full, nullptr, nullptr, 0.0};
    FixCurve curve;
    if (part.a == t.f0 && part.b == t.f1) {
      choice.curve = t.curve; // the same curve over the same frames: no difference
    } else if (partCurve(t, part.a, part.b, &curve)) {
      choice.curve = curve;
      choice.error = evaluate(e, curve, &choice.worst);
    } else {
      choice.error = (w1 - w0) * full; // flat: the source barely moves here
    }
    const int64_t inner = part.b - part.a - 1;
    if (choice.error + rounding > tolerance && inner > 0) {
      polish(&choice, e, tolerance - rounding);
      if (choice.error + rounding > tolerance) {
        work.stack.push_back({choice.worst, part.b});
        work.stack.push_back({part.a, choice.worst});
        *refined = true;
        continue;
      }
    }
    if (inner > 0)
      noteError(w, choice.error + rounding, choice.worst);
    emitKey(w, part.a, part.b, stored, read, endError, choice.curve);
  }
}

// Arc coordinates of the product at the inner frames of a part, against the written ends
// w.last and read. Returns the written half angle; *offArc: the largest distance in degrees
// of the product from the written arc (no curve comes closer), at frame *offFrame.
double arcCoordinates(Work& work, const Writer& w, const FixQuat& read, int64_t chunkStart,
                      const Part& part, double* offArc, int64_t* offFrame) {
  const fixq::Arc arc = fixq::arc(fixq::unit(w.last), fixq::unit(read));
  const FixQuat a = arc.q0;
  FixQuat normal = {0.0, 0.0, 0.0, 0.0};
  double omega = 0.0;
  if (arc.sinOmega > kNoArc) {
    omega = arc.omega;
    normal = fixq::scale(fixq::sub(arc.q1, fixq::scale(a, std::cos(omega))), 1.0 / arc.sinOmega);
  }
  const size_t inner = static_cast<size_t>(part.b - part.a - 1);
  work.c.resize(inner);
  work.s.resize(inner);
  double nearest = 1.0; // cosine of the half distance
  *offFrame = part.a + 1;
  for (size_t k = 0; k < inner; ++k) {
    const FixQuat& q = work.samples[static_cast<size_t>(part.a - chunkStart) + 1 + k];
    const double c = fixq::dot(q, a), s = fixq::dot(q, normal);
    work.c[k] = c;
    work.s[k] = s;
    const double onArc = c * c + s * s;
    if (onArc < nearest) {
      nearest = onArc;
      *offFrame = part.a + 1 + static_cast<int64_t>(k);
    }
  }
  *offArc = 2.0 * std::acos(std::min(1.0, std::sqrt(nearest))) * fixq::kDegrees;
  return omega;
}

// Several sources turn (or one turns nearly 180 degrees): the product is sampled at every
// frame; each part tries the turners' own curves (the shared one where they share it), then a
// curve fitted to the product's progress along the written arc, then nearby bytes, and is
// split at its worst frame when none meets the tolerance.
void solveSampled(Writer& w, Work& work, const Product& p, int64_t a, int64_t b, double tolerance,
                  bool* refined) {
  for (int64_t chunkStart = a; chunkStart < b;) {
    const int64_t chunkEnd = std::min(b, chunkStart + kChunkFrames);
    if (chunkEnd < b)
      *refined = true;
    work.samples.resize(static_cast<size_t>(chunkEnd - chunkStart + 1));
    double guesses[FIX_SOURCE_CAPACITY];
    for (int32_t i = 0; i < p.count; ++i)
      guesses[i] = -1.0;
    for (int64_t f = chunkStart; f <= chunkEnd; ++f)
      work.samples[static_cast<size_t>(f - chunkStart)] =
          fixq::unit(productAt(p, static_cast<double>(f), guesses));

    work.stack.clear();
    work.stack.push_back({chunkStart, chunkEnd});
    while (!work.stack.empty()) {
      const Part part = work.stack.back();
      work.stack.pop_back();
      const FixQuat& exact = work.samples[static_cast<size_t>(part.b - chunkStart)];
      float stored[4];
      FixQuat read;
      storeRotation(exact, w.last, stored, &read);
      const double endError = fixq::angle(read, exact);
      const int64_t inner = part.b - part.a - 1;
      // Ends a half turn apart, as written: which way a player turns between them hangs on
      // the rounding of their dot product. A key between them takes the doubt away.
      if (inner > 0 && std::fabs(fixq::dot(w.last, read)) <
                           kSafeCosine * fixq::norm(w.last) * fixq::norm(read)) {
        const int64_t middle = part.a + (part.b - part.a) / 2;
        work.stack.push_back({middle, part.b});
        work.stack.push_back({part.a, middle});
        *refined = true;
        continue;
      }
      double offArc;
      int64_t offFrame;
      const double omega = arcCoordinates(work, w, read, chunkStart, part, &offArc, &offFrame);
      if (offArc > tolerance && inner > 0) {
        // No curve can follow a product this far off the arc: split where it strays most.
        work.stack.push_back({offFrame, part.b});
        work.stack.push_back({part.a, offFrame});
        *refined = true;
        continue;
      }
      const Evaluator e = {part.a,        part.b,        1,    nullptr, 0.0, 0.0, 0.0,
                           work.c.data(), work.s.data(), omega};

      Choice choice = {};
      choice.curve = FIX_CURVE_LINEAR;
      choice.error = kInfinity;
      choice.worst = part.a + 1;
      for (int32_t i = 0; i < p.count; ++i) {
        FixCurve curve;
        if (partCurve(p.turner[i], part.a, part.b, &curve))
          consider(&choice, e, curve);
      }
      if (choice.triedCount == 0)
        consider(&choice, e, FIX_CURVE_LINEAR);
      if (choice.error > tolerance && inner > 0 && omega > 0.0) {
        // Progress along the written arc at (up to kFitSamples of) the inner frames.
        double t[kFitSamples], progress[kFitSamples];
        const int n = static_cast<int>(std::min<int64_t>(inner, kFitSamples));
        for (int j = 0; j < n; ++j) {
          const int64_t k = n == inner ? j : j * (inner - 1) / (n - 1);
          const double c = work.c[static_cast<size_t>(k)], s = work.s[static_cast<size_t>(k)];
          t[j] = static_cast<double>(k + 1) / static_cast<double>(part.b - part.a);
          progress[j] = std::atan2(c < 0.0 ? -s : s, std::fabs(c)) / omega;
        }
        const FixCurveReal fitted = fitProgress(t, progress, n);
        consider(&choice, e, fixCurveQuantize(&fitted));
      }
      if (choice.error > tolerance && inner > 0)
        polish(&choice, e, tolerance);
      if (choice.error > tolerance && inner > 0) {
        work.stack.push_back({choice.worst, part.b});
        work.stack.push_back({part.a, choice.worst});
        *refined = true;
        continue;
      }
      if (inner > 0)
        noteError(w, choice.error, choice.worst);
      emitKey(w, part.a, part.b, stored, read, endError, choice.curve);
    }
    chunkStart = chunkEnd;
  }
}

// ---- fixCompose, fixCheck ----

// Finished: frames strictly increasing, rotations finite and of unit length. Returns the
// result code; *badFrame for FIX_ERROR_ROTATION.
int checkTrack(const FixTrack* track, int32_t* badFrame) {
  const std::vector<FixKey>& keys = track->keys;
  for (size_t i = 0; i < keys.size(); ++i) {
    if (i > 0 && keys[i].frame <= keys[i - 1].frame)
      return FIX_ERROR_ARGUMENT;
    const double length = fixq::norm(fixq::fromFloats(keys[i].rotation));
    if (!(length > 0.0) || !std::isfinite(length)) {
      *badFrame = keys[i].frame;
      return FIX_ERROR_ROTATION;
    }
    if (std::fabs(length - 1.0) > 1e-3)
      return FIX_ERROR_ARGUMENT;
  }
  return FIX_OK;
}

// The primary's frames, and the others' frames where they turn on either side.
void joinFrames(std::vector<int64_t>& frames, const FixSource* sources, int32_t count,
                int32_t primary) {
  frames.clear();
  size_t total = 0;
  for (int32_t j = 0; j < count; ++j)
    total += sources[j].track->keys.size();
  frames.reserve(total);
  int64_t first = std::numeric_limits<int64_t>::max();
  for (int32_t j = 0; j < count; ++j) {
    const std::vector<FixKey>& keys = sources[j].track->keys;
    const size_t n = keys.size();
    if (n > 0)
      first = std::min<int64_t>(first, keys[0].frame);
    for (size_t i = 0; i < n; ++i) {
      const bool stillBefore = i == 0 || sameRotation(keys[i - 1].rotation, keys[i].rotation);
      const bool stillAfter = i + 1 == n || sameRotation(keys[i].rotation, keys[i + 1].rotation);
      if (j == primary || !stillBefore || !stillAfter)
        frames.push_back(keys[i].frame);
    }
  }
  std::sort(frames.begin(), frames.end());
  frames.erase(std::unique(frames.begin(), frames.end()), frames.end());
  // Only constant sources: one key holds their product.
  if (frames.empty() && total > 0)
    frames.push_back(first);
}

int compose(Writer& w, Work& work, const FixSource* sources, int32_t count, int32_t primary,
            double tolerance) {
  joinFrames(work.frames, sources, count, primary);
  const std::vector<int64_t>& frames = work.frames;
  w.stats.framesJoined = static_cast<int32_t>(frames.size());
  if (frames.empty())
    return FIX_OK;
  w.out->keys.reserve(frames.size() + frames.size() / 4);

  // The first key: the product there; the primary's block when it has a key there.
  const int64_t start = frames[0];
  FixQuat exact = kIdentity;
  for (int32_t j = 0; j < count; ++j) {
    FixQuat q;
    fixTrackRotation(sources[j].track, static_cast<double>(start), nullptr, &q);
    exact = fixq::mul(exact, sources[j].inverted ? fixq::conj(q) : q);
  }
  float stored[4];
  FixQuat read;
  storeRotation(exact, kIdentity, stored, &read);
  emitKey(w, start, start, stored, read, fixq::angle(read, exact), FIX_CURVE_LINEAR);
  const std::vector<FixKey>& primaryKeys = w.primary->keys;
  const int32_t at = primarySegment(primaryKeys, start) - 1;
  if (at >= 0 && primaryKeys[at].frame == start)
    for (int i = 0; i < FIX_BLOCK_SIZE; ++i)
      w.out->keys[0].interpolation[i] = primaryKeys[at].interpolation[i];

  int32_t cursor[FIX_SOURCE_CAPACITY];
  for (int32_t j = 0; j < count; ++j)
    cursor[j] = -1;
  Product product;
  for (size_t k = 1; k < frames.size(); ++k) {
    const int64_t a = frames[k - 1], b = frames[k];
    for (int32_t j = 0; j < count; ++j) {
      const std::vector<FixKey>& keys = sources[j].track->keys;
      while (cursor[j] + 1 < static_cast<int32_t>(keys.size()) && keys[cursor[j] + 1].frame <= a)
        ++cursor[j];
    }
    buildProduct(&product, sources, count, cursor);
    bool refined = false;
    if (product.count == 0) {
      solveConstant(w, product, a, b);
    } else {
      bool single = product.count == 1;
      if (single) {
        const Turner& t = product.turner[0];
        double s = -1.0;
        const double part = turnerWeight(t, static_cast<double>(b), &s) -
                            turnerWeight(t, static_cast<double>(a), &s);
        single = std::cos(part * t.arc.omega) > kSafeCosine;
      }
      if (single)
        solveSingle(w, work, product, a, b, tolerance, &refined);
      else
        solveSampled(w, work, product, a, b, tolerance, &refined);
    }
    if (refined)
      ++w.stats.segmentsRefined;
  }
  return FIX_OK;
}

int checkSources(const FixSource* sources, int32_t count) {
  if (!sources || count < 1 || count > FIX_SOURCE_CAPACITY)
    return FIX_ERROR_ARGUMENT;
  for (int32_t j = 0; j < count; ++j)
    if (!sources[j].track)
      return FIX_ERROR_ARGUMENT;
  return FIX_OK;
}

} // namespace

int fixCompose(FixTrack* out, const FixSource* sources, int32_t sourceCount, int32_t primary,
               double toleranceDegrees, FixComposeStats* stats) {
  FixComposeStats none = {0, 0, 0, 0.0, -1};
  if (stats)
    *stats = none;
  if (out)
    out->keys.clear();
  if (!out || checkSources(sources, sourceCount) != FIX_OK || primary < 0 ||
      primary >= sourceCount || !(toleranceDegrees > 0.0) || !std::isfinite(toleranceDegrees))
    return FIX_ERROR_ARGUMENT;
  for (int32_t j = 0; j < sourceCount; ++j) {
    int32_t badFrame = -1;
    const int result = checkTrack(sources[j].track, &badFrame);
    if (result != FIX_OK) {
      if (stats)
        stats->maxErrorFrame = badFrame;
      return result;
    }
  }
  Writer w = {out, sources[primary].track, 0, kIdentity, 0.0, none};
  int result;
  try {
    Work work;
    result = compose(w, work, sources, sourceCount, primary, toleranceDegrees);
  } catch (const std::bad_alloc&) {
    result = FIX_ERROR_NO_MEMORY;
  }
  if (result != FIX_OK) {
    out->keys.clear();
    return result;
  }
  w.stats.keysWritten = static_cast<int32_t>(out->keys.size());
  if (stats)
    *stats = w.stats;
  return FIX_OK;
}

int fixCheck(const FixTrack* written, const FixSource* sources, int32_t sourceCount,
             double* maxErrorDegrees, int32_t* frame) {
  if (!written || !maxErrorDegrees || !frame || checkSources(sources, sourceCount) != FIX_OK)
    return FIX_ERROR_ARGUMENT;
  int64_t first = std::numeric_limits<int64_t>::max();
  int64_t last = std::numeric_limits<int64_t>::min();
  for (int32_t j = -1; j < sourceCount; ++j) {
    const std::vector<FixKey>& keys = j < 0 ? written->keys : sources[j].track->keys;
    if (keys.empty())
      continue;
    first = std::min<int64_t>(first, keys.front().frame);
    last = std::max<int64_t>(last, keys.back().frame);
  }
  *maxErrorDegrees = 0.0;
  *frame = -1;
  FixSweep played;
  fixSweepStart(&played, written);
  FixSweep sweeps[FIX_SOURCE_CAPACITY];
  for (int32_t j = 0; j < sourceCount; ++j)
    fixSweepStart(&sweeps[j], sources[j].track);
  for (int64_t f = first; f <= last; ++f) {
    FixQuat exact = kIdentity;
    for (int32_t j = 0; j < sourceCount; ++j) {
      const FixQuat q = fixSweepRotation(&sweeps[j], static_cast<double>(f));
      exact = fixq::mul(exact, sources[j].inverted ? fixq::conj(q) : q);
    }
    const double error = fixq::angle(fixSweepRotation(&played, static_cast<double>(f)), exact);
    if (error > *maxErrorDegrees || *frame < 0) {
      *maxErrorDegrees = error;
      *frame = static_cast<int32_t>(f);
    }
  }
  return FIX_OK;
}
