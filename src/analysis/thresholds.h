// Threshold tests shared by the evaluation and the listing. Statistics are 32-bit floats;
// they are compared in double against the thresholds, strictly.
#pragma once

#include "motion/motion.h"

inline bool above(float value, double threshold) {
  return static_cast<double>(value) > threshold;
}

// A twist in either direction beyond 0.01 (the sine of half the angle).
inline bool twisted(const BoneStats& b) {
  return above(b.twistMinusMax, 0.01) || above(b.twistPlusMax, 0.01);
}
