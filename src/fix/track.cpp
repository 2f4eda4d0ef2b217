#include "fix/track.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "fix/quat_math.h"

namespace {

// The first key after frame (keys.size() when none): the key that ends frame's segment.
int32_t upperKey(const std::vector<FixKey>& keys, double frame, int32_t* hint) {
  const int32_t n = static_cast<int32_t>(keys.size());
  if (hint && *hint >= 0 && *hint <= n) {
    // A sweep moves forward a key or two at a time.
    int32_t h = *hint;
    if (h == 0 || keys[h - 1].frame <= frame) {
      for (int step = 0; step < 8; ++step) {
        if (h == n || frame < keys[h].frame) {
          *hint = h;
          return h;
        }
        ++h;
      }
    }
  }
  const auto it = std::upper_bound(keys.begin(), keys.end(), frame,
                                   [](double f, const FixKey& k) { return f < k.frame; });
  const int32_t h = static_cast<int32_t>(it - keys.begin());
  if (hint)
    *hint = h;
  return h;
}

} // namespace

int fixTrackFinish(FixTrack* track, int32_t* badFrame) {
  std::vector<FixKey>& keys = track->keys;
  const auto byFrame = [](const FixKey& a, const FixKey& b) { return a.frame < b.frame; };
  // Motions mostly hold a bone's keys in frame order already; sorting those would only copy.
  if (!std::is_sorted(keys.begin(), keys.end(), byFrame)) {
    try {
      std::stable_sort(keys.begin(), keys.end(), byFrame);
    } catch (const std::bad_alloc&) {
      return FIX_ERROR_NO_MEMORY;
    }
  }
  // Stable: of the records of one frame the last in file order is the last of its run.
  size_t kept = 0;
  for (size_t i = 0; i < keys.size(); ++i) {
    if (i + 1 < keys.size() && keys[i + 1].frame == keys[i].frame)
      continue;
    keys[kept++] = keys[i];
  }
  keys.erase(keys.begin() + static_cast<std::ptrdiff_t>(kept), keys.end());

  for (const FixKey& k : keys) {
    const double length = fixq::norm(fixq::fromFloats(k.rotation));
    if (!(length > 0.0) || !std::isfinite(length)) {
      if (badFrame)
        *badFrame = k.frame;
      return FIX_ERROR_ROTATION;
    }
  }
  for (FixKey& k : keys) {
    const FixQuat q = fixq::unit(fixq::fromFloats(k.rotation));
    k.rotation[0] = static_cast<float>(q.x);
    k.rotation[1] = static_cast<float>(q.y);
    k.rotation[2] = static_cast<float>(q.z);
    k.rotation[3] = static_cast<float>(q.w);
  }
  return FIX_OK;
}

int fixTrackRotation(const FixTrack* track, double frame, int32_t* hint, FixQuat* out) {
  const std::vector<FixKey>& keys = track->keys;
  const int32_t n = static_cast<int32_t>(keys.size());
  if (n == 0) {
    *out = {0.0, 0.0, 0.0, 1.0};
    return 0;
  }
  const int32_t i = upperKey(keys, frame, hint);
  if (i == 0 || i == n) {
    *out = fixq::fromFloats(keys[i == 0 ? 0 : n - 1].rotation);
    return 0;
  }
  const FixKey& k0 = keys[i - 1];
  const FixKey& k1 = keys[i];
  const double t = (frame - k0.frame) / (static_cast<double>(k1.frame) - k0.frame);
  const FixCurve curve = fixBlockCurve(k1.interpolation, FIX_AXIS_ROTATION);
  const double w = fixCurveWeight(&curve, t);
  *out = fixq::along(fixq::arc(fixq::fromFloats(k0.rotation), fixq::fromFloats(k1.rotation)), w);
  return 0;
}

int fixTrackPosition(const FixTrack* track, double frame, int32_t* hint, double out[3]) {
  const std::vector<FixKey>& keys = track->keys;
  const int32_t n = static_cast<int32_t>(keys.size());
  if (n == 0) {
    out[0] = out[1] = out[2] = 0.0;
    return 0;
  }
  const int32_t i = upperKey(keys, frame, hint);
  if (i == 0 || i == n) {
    const FixKey& k = keys[i == 0 ? 0 : n - 1];
    for (int axis = 0; axis < 3; ++axis)
      out[axis] = k.position[axis];
    return 0;
  }
  const FixKey& k0 = keys[i - 1];
  const FixKey& k1 = keys[i];
  const double t = (frame - k0.frame) / (static_cast<double>(k1.frame) - k0.frame);
  for (int axis = 0; axis < 3; ++axis) {
    const double p0 = k0.position[axis], p1 = k1.position[axis];
    if (p0 == p1) {
      out[axis] = p0 + (p1 - p0); // as below for any weight, without solving the curve
      continue;
    }
    const FixCurve curve = fixBlockCurve(k1.interpolation, axis);
    const double w = fixCurveWeight(&curve, t);
    out[axis] = p0 + (p1 - p0) * w;
  }
  return 0;
}

void fixSweepStart(FixSweep* sweep, const FixTrack* track) {
  *sweep = {};
  sweep->track = track;
  sweep->s = -1.0;
}

FixQuat fixSweepRotation(FixSweep* sweep, double frame) {
  const std::vector<FixKey>& keys = sweep->track->keys;
  const int32_t n = static_cast<int32_t>(keys.size());
  if (n == 0)
    return {0.0, 0.0, 0.0, 1.0};
  bool moved = false;
  while (sweep->next < n && keys[sweep->next].frame <= frame) {
    ++sweep->next;
    moved = true;
  }
  if (sweep->next == 0 || sweep->next == n)
    return fixq::fromFloats(keys[sweep->next == 0 ? 0 : n - 1].rotation);
  const FixKey& k0 = keys[sweep->next - 1];
  const FixKey& k1 = keys[sweep->next];
  fixq::Arc arc;
  if (moved || sweep->s < 0.0) {
    arc = fixq::arc(fixq::fromFloats(k0.rotation), fixq::fromFloats(k1.rotation));
    sweep->q0 = arc.q0;
    sweep->q1 = arc.q1;
    sweep->omega = arc.omega;
    sweep->sinOmega = arc.sinOmega;
    const FixCurve curve = fixBlockCurve(k1.interpolation, FIX_AXIS_ROTATION);
    fixBezierPrepare(&sweep->bezier, &curve);
    sweep->s = 0.0;
  } else {
    arc = {sweep->q0, sweep->q1, sweep->omega, sweep->sinOmega};
  }
  if (arc.omega == 0.0)
    return arc.q0; // a segment that holds its rotation needs no weight
  const double t = (frame - k0.frame) / (static_cast<double>(k1.frame) - k0.frame);
  return fixq::along(arc, fixBezierWeight(&sweep->bezier, t, &sweep->s));
}

int fixQuatMultiply(FixQuat* out, const FixQuat* a, const FixQuat* b) {
  *out = fixq::mul(*a, *b);
  return 0;
}

FixQuat fixQuatInverse(const FixQuat* q) {
  return fixq::conj(*q);
}

double fixRotationAngle(const FixQuat* a, const FixQuat* b) {
  return fixq::angle(*a, *b);
}
