// Rotation math: quaternion products, the shortest-arc rotation between two directions,
// and the swing-twist split of a rotation about an axis, which measures how far an arm or
// elbow key turns about the bone's own length axis.
//
// Every operation computes in double precision and stores each component as a 32-bit
// float. Results are computed completely before any output is written, so an output may
// be the same record as an input. All operations return 0.
#pragma once

struct Quat {
  float x, y, z, w; // vector part first, scalar last, as VMD stores rotations
};
struct Vec3 {
  float x, y, z;
};

// out = a * b (Hamilton product).
int quatMultiply(Quat* out, const Quat* a, const Quat* b);
// out = a * b, then all four components negated when out.w < 0.
int quatMultiplyCanonical(Quat* out, const Quat* a, const Quat* b);
// out = (a x b, w = 0).
int vecCross(Quat* out, const Vec3* a, const Vec3* b);
// Shortest-arc rotation taking unit vector a onto unit vector b. Parallel or opposite
// vectors (cross product below 1e-6) give the identity, (0,0,0,-1) when opposite.
int quatFromTo(Quat* out, const Vec3* a, const Vec3* b);
// q = swing * twist, twist a rotation about axis (any length) with w >= 0. A zero or
// non-finite axis gives the identity twist and all of q (w made >= 0) as swing.
int quatSwingTwist(Quat* swing, Quat* twist, const Quat* q, const Vec3* axis);
