// What the VMD reader must make of a file, worked out from the file layout alone: a walk
// over the blocks that only measures how far each record reaches, with the reader's rules
// for a file that ends early. Tests and the motion fuzz target compare the reader with it,
// so it shares no code with the reader.
//
// Layout: 30-byte signature ("Voca" at 0, "0002" at 21), 20-byte model name, then six
// blocks, each a 32-bit count and its records: bones (111 bytes), morphs (23), cameras
// (61), lights (28), self-shadows (9), show-and-IK (5 bytes, an IK count, 21 per IK).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace testing_vmd {

struct ReadExpectation {
  int result;             // 0, or 2 (the file exists, so never -1)
  int64_t boneRecords;    // whole bone records the reader must count
  int64_t morphRecords;   // whole morph records the reader must count
  bool boneCountRead;     // the bone count lies wholly inside the file
  int32_t boneCount;      // the count as stored, when boneCountRead
  std::string modelName;  // the model name as the reader must store it
  int64_t consumedBlocks; // blocks whose count was read (0-6)
};

inline int32_t referenceLe32(const uint8_t* p) {
  return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                              static_cast<uint32_t>(p[2]) << 16 |
                              static_cast<uint32_t>(p[3]) << 24);
}

// The model name: the bytes of its field that the file holds, up to the first NUL, without
// a final lone Shift-JIS lead byte (0x80-0x9F, 0xE0-0xFC).
inline std::string referenceModelName(const uint8_t* data, size_t size) {
  std::string name;
  for (size_t i = 30; i < 50 && i < size && data[i] != 0; ++i)
    name += static_cast<char>(data[i]);
  size_t i = 0;
  while (i < name.size()) {
    const uint8_t b = static_cast<uint8_t>(name[i]);
    const bool lead = (b >= 0x80 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    if (!lead) {
      ++i;
    } else if (i + 1 == name.size()) {
      name.resize(i);
    } else {
      i += 2;
    }
  }
  return name;
}

inline ReadExpectation expectedRead(const uint8_t* data, size_t size) {
  ReadExpectation e{2, 0, 0, false, 0, "", 0};
  const char voca[] = "Voca";
  const char version[] = "0002";
  for (size_t i = 0; i < 4; ++i) {
    if (i >= size || data[i] != static_cast<uint8_t>(voca[i]))
      return e;
  }
  for (size_t i = 0; i < 4; ++i) {
    if (21 + i >= size || data[21 + i] != static_cast<uint8_t>(version[i]))
      return e;
  }
  e.result = 0;
  e.modelName = referenceModelName(data, size);
  // Bytes left from pos on; every check below asks whether a field lies wholly inside.
  size_t pos = 50;
  auto left = [&]() { return pos <= size ? size - pos : 0; };
  auto readCount = [&](int32_t* count) {
    if (left() < 4)
      return false; // the count is cut: the file counts as ending before this block
    *count = referenceLe32(data + pos);
    pos += 4;
    e.consumedBlocks++;
    return true;
  };

  // Bones: a record cut anywhere is not counted and the rest of the file counts as absent.
  int32_t count = 0;
  if (!readCount(&count))
    return e;
  e.boneCountRead = true;
  e.boneCount = count;
  if (count > 0) {
    const int64_t whole = static_cast<int64_t>(left() / 111);
    if (whole < count) {
      e.boneRecords = whole;
      return e;
    }
    e.boneRecords = count;
    pos += static_cast<size_t>(count) * 111;
  }

  // Morphs: a name cut by the end is a damaged file; a record cut after its name is not.
  if (!readCount(&count))
    return e;
  for (int64_t n = 0; n < count; ++n) {
    if (left() < 15) {
      e.result = 2;
      return e;
    }
    if (left() < 23)
      return e;
    pos += 23;
    e.morphRecords++;
  }

  // Cameras: frame and seven floats, then the interpolation, must be whole.
  if (!readCount(&count))
    return e;
  for (int64_t n = 0; n < count; ++n) {
    if (left() < 56) {
      e.result = 2;
      return e;
    }
    if (left() < 61)
      return e;
    pos += 61;
  }

  // Lights: frame and colour must be whole.
  if (!readCount(&count))
    return e;
  for (int64_t n = 0; n < count; ++n) {
    if (left() < 16) {
      e.result = 2;
      return e;
    }
    if (left() < 28)
      return e;
    pos += 28;
  }

  // Self-shadows: the frame must be whole.
  if (!readCount(&count))
    return e;
  for (int64_t n = 0; n < count; ++n) {
    if (left() < 4) {
      e.result = 2;
      return e;
    }
    if (left() < 9)
      return e;
    pos += 9;
  }

  // Show-and-IK: frame and show flag, then each IK name must be whole. A cut IK count
  // reads as negative (its missing bytes are 0xFF), and a cut enabled flag ends the file
  // cleanly unless another IK name is still due.
  if (!readCount(&count))
    return e;
  for (int64_t n = 0; n < count; ++n) {
    if (left() < 5) {
      e.result = 2;
      return e;
    }
    pos += 5;
    if (left() < 4)
      return e;
    const int32_t ikCount = referenceLe32(data + pos);
    pos += 4;
    for (int64_t i = 0; i < ikCount; ++i) {
      if (left() < 20) {
        e.result = 2;
        return e;
      }
      if (left() < 21) {
        if (i + 1 < ikCount)
          e.result = 2;
        return e;
      }
      pos += 21;
    }
  }
  return e;
}

} // namespace testing_vmd
