// Statistics set by hand for the analysis tests: the name lists as a check run leaves them
// before the motion is read, every statistics slot at its start value, and bones and morphs
// "keyed" with chosen largest values, so that thresholds can be met to the last bit.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "analysis/evaluate.h"
#include "analysis/listing.h"
#include "analysis/report.h"
#include "common/text_convert.h"
#include "motion/motion.h"
#include "names/alias.h"
#include "names/builtin_tables.h"
#include "names/namelist.h"
#include "text/encoding.h"

namespace analysis_testing {

using test_text::sjis;
using test_text::utf8Of;

inline void resetStatistics() {
  MotionSummary& m = gMotion;
  m.modelName[0] = '\0';
  for (BoneStats& b : m.bones)
    b = BONE_STATS_START;
  for (MorphStats& s : m.morphs)
    s = MORPH_STATS_START;
}

// Fresh lists with the built-in tables, start statistics, an empty report and evaluation.
inline void resetAll() {
  nameListResetAll();
  registerBuiltinTables();
  resetStatistics();
  reportClear();
  gEval = Evaluation{};
}

// The entry a motion name lands on: the highest matching entry, else a new entry of its own.
inline int boneEntryFor(const char* utf8) {
  return nameListFindOrAddLiteral(LIST_BONE, sjis(utf8).c_str());
}
inline int morphEntryFor(const char* utf8) {
  return nameListFindOrAddLiteral(LIST_MORPH, sjis(utf8).c_str());
}

// One moving key at frame 0 with the given largest translation and rotation.
inline BoneStats& keyBone(const char* utf8, float translation, float rotation) {
  BoneStats& b = gMotion.bones[boneEntryFor(utf8)];
  b.keyCount = 1;
  b.firstFrame = 0;
  b.lastFrame = 0;
  b.moved = 0xFF;
  b.maxTranslation = translation;
  b.maxRotation = rotation;
  return b;
}

// A morph whose name is given as Shift-JIS bytes.
inline MorphStats& keyMorphSjis(const std::string& name, int32_t keys, int32_t first, int32_t last,
                                float minWeight, float maxWeight) {
  MorphStats& s = gMotion.morphs[nameListFindOrAddLiteral(LIST_MORPH, name.c_str())];
  s = {keys, first, last, minWeight, maxWeight};
  return s;
}
inline MorphStats& keyMorph(const char* utf8, int32_t keys, int32_t first, int32_t last,
                            float minWeight, float maxWeight) {
  return keyMorphSjis(sjis(utf8), keys, first, last, minWeight, maxWeight);
}

// An alias rule appended directly to the alias tables (the lists must have been reset).
inline void addAliasSjis(bool morph, const std::string& source, const char* replacementUtf8,
                         uint8_t mode) {
  const int e = nameListAppend(morph ? LIST_MORPH_ALIAS : LIST_BONE_ALIAS, source.c_str());
  char* replacement = morph ? gAlias.morphReplacement[e] : gAlias.boneReplacement[e];
  utf8ToSjisBounded(replacement, ALIAS_REPLACEMENT_SIZE, replacementUtf8);
  (morph ? gAlias.morphMode : gAlias.boneMode)[e] = mode;
}
inline void addAlias(bool morph, const char* sourceUtf8, const char* replacementUtf8,
                     uint8_t mode) {
  addAliasSjis(morph, sjis(sourceUtf8), replacementUtf8, mode);
}

// The finished report rows as UTF-8.
inline std::vector<std::string> reportRows() {
  std::vector<std::string> rows;
  for (int i = 0; i < gReport.lineCount; ++i)
    rows.push_back(utf8Of(gReport.text[i]));
  return rows;
}

// The listing's colours as the report stores them (red in the low byte). A copy: the
// constants are private to src/analysis/listing.cpp.
constexpr uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) {
  return r | g << 8 | b << 16;
}
constexpr uint32_t WHITE = rgb(255, 255, 255);
constexpr uint32_t RED = rgb(255, 0, 0);
constexpr uint32_t ORANGE_RED = rgb(255, 80, 0);
constexpr uint32_t ORANGE = rgb(255, 120, 0);
constexpr uint32_t YELLOW = rgb(255, 240, 0);
constexpr uint32_t PALE_YELLOW = rgb(250, 250, 150);

// Float values by their bits, for thresholds met to the last bit.
inline float floatOfBits(uint32_t bits) {
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

} // namespace analysis_testing
