// Builds VMD motion files byte by byte for tests, and writes them into a temporary folder.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "common/tempdir.h"
#include "common/text_convert.h"

namespace testing_vmd {

using test_text::sjis;

struct Quaternion {
  float x = 0, y = 0, z = 0, w = 1;
};

// Rotation of degrees about an axis (any length).
inline Quaternion about(double ax, double ay, double az, double degrees) {
  double n = std::sqrt(ax * ax + ay * ay + az * az);
  double h = degrees * 3.14159265358979323846 / 360.0;
  double s = std::sin(h) / n;
  return {static_cast<float>(ax * s), static_cast<float>(ay * s), static_cast<float>(az * s),
          static_cast<float>(std::cos(h))};
}

class VmdBuilder {
public:
  std::vector<uint8_t> bytes;

  // Signature and model name (Shift-JIS bytes, padded or cut to 20).
  VmdBuilder& header(const std::string& modelSjis = "") {
    const char signature[] = "Vocaloid Motion Data 0002";
    raw(signature, sizeof signature - 1);
    zeros(30 - (sizeof signature - 1));
    field(modelSjis, 20);
    return *this;
  }
  VmdBuilder& count(int32_t n) {
    int32(n);
    return *this;
  }
  VmdBuilder& bone(const std::string& nameSjis, int32_t frame, float px, float py, float pz,
                   Quaternion q) {
    field(nameSjis, 15);
    int32(frame);
    for (float v : {px, py, pz, q.x, q.y, q.z, q.w})
      float32(v);
    zeros(64);
    return *this;
  }
  VmdBuilder& bone(const std::string& nameSjis, int32_t frame, Quaternion q = {}) {
    return bone(nameSjis, frame, 0, 0, 0, q);
  }
  // A bone record with its 64-byte interpolation block as given.
  VmdBuilder& bone(const std::string& nameSjis, int32_t frame, float px, float py, float pz,
                   Quaternion q, const uint8_t (&interpolation)[64]) {
    bone(nameSjis, frame, px, py, pz, q);
    std::memcpy(bytes.data() + bytes.size() - 64, interpolation, 64);
    return *this;
  }
  VmdBuilder& morph(const std::string& nameSjis, int32_t frame, float weight) {
    field(nameSjis, 15);
    int32(frame);
    float32(weight);
    return *this;
  }
  // The four blocks after the morphs, all empty.
  VmdBuilder& emptyTail() {
    for (int i = 0; i < 4; ++i)
      int32(0);
    return *this;
  }
  VmdBuilder& raw(const void* data, size_t n) {
    const uint8_t* p = static_cast<const uint8_t*>(data);
    bytes.insert(bytes.end(), p, p + n);
    return *this;
  }
  VmdBuilder& zeros(size_t n) {
    bytes.insert(bytes.end(), n, 0);
    return *this;
  }
  VmdBuilder& int32(int32_t v) {
    uint32_t u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i)
      bytes.push_back(static_cast<uint8_t>(u >> (8 * i)));
    return *this;
  }
  VmdBuilder& float32(float v) {
    int32_t bits;
    std::memcpy(&bits, &v, 4);
    return int32(bits);
  }
  // A name field: the bytes, then NUL padding (no NUL when the name fills the field).
  VmdBuilder& field(const std::string& text, size_t width) {
    size_t n = text.size() < width ? text.size() : width;
    raw(text.data(), n);
    zeros(width - n);
    return *this;
  }
};

using TempDir = test_files::TempDir;
using test_files::ansiPathOf;

} // namespace testing_vmd
