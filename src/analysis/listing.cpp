#include "analysis/listing.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "analysis/evaluate.h"
#include "analysis/report.h"
#include "analysis/thresholds.h"
#include "motion/motion.h"
#include "names/alias.h"
#include "names/bone_roles.h"
#include "names/namelist.h"
#include "text/sjis_text.h"
#include "text/strings.h"

ListingWidths gListingWidths;

namespace {

// ---- Colours ----

constexpr uint32_t rgb(int r, int g, int b) {
  return static_cast<uint32_t>(r) | static_cast<uint32_t>(g) << 8 | static_cast<uint32_t>(b) << 16;
}
constexpr uint32_t WHITE = rgb(255, 255, 255);
constexpr uint32_t RED = rgb(255, 0, 0);
constexpr uint32_t ORANGE_RED = rgb(255, 80, 0);
constexpr uint32_t ORANGE = rgb(255, 120, 0);
constexpr uint32_t YELLOW = rgb(255, 240, 0);
constexpr uint32_t PALE_YELLOW = rgb(250, 250, 150);

void setColour(uint32_t colour) {
  reportSetColour(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

bool isIn(SpecialBone bone, SpecialBoneSet set) {
  return specialBoneIndexIn(bone, set) >= 0;
}

// The colour of a detailed bone line: the first matching row of the table wins.
uint32_t boneLineColour(SpecialBone bone) {
  const Evaluation& e = gEval;
  if (isIn(bone, TWIST_BONES))
    return RED;
  if (bone == BONE_UPPER_BODY_2_FULL_WIDTH && e.upperBody2Flag == -1)
    return RED;
  if (isIn(bone, FULL_WIDTH_IK_PARENTS))
    return RED;
  if (isIn(bone, TOE_EX_BONES))
    return WHITE;
  if (isIn(bone, ALL_PLUS_BONES))
    return RED;
  if (isIn(bone, ARM_D_BONES) || isIn(bone, LEG_D_BONES))
    return ORANGE_RED;
  if (bone == BONE_UPPER_BODY_3)
    return ORANGE;
  int legIkParent = specialBoneIndexIn(bone, LEG_IK_PARENTS);
  if (legIkParent >= 0) {
    int32_t flags = e.legIkParentRotFlags >> legIkParent; // left bits 0x01/0x04/0x10
    if (flags & 0x10)
      return YELLOW;
    if (flags & 0x05)
      return PALE_YELLOW;
    return WHITE;
  }
  if (isIn(bone, SHOULDER_P_BONES))
    return ORANGE;
  if (bone == BONE_LOWER_BODY) {
    if (e.lowerBodyRating & 0x04)
      return YELLOW;
    if (e.lowerBodyRating & 0x02)
      return PALE_YELLOW;
    return WHITE;
  }
  if (bone == BONE_WAIST)
    return YELLOW;
  int arm = specialBoneIndexIn(bone, ARM_BONES);
  if (arm >= 0) {
    if (e.armTwistStrongFlags & (1 << arm))
      return YELLOW;
    if (e.armTwistMildFlags & (1 << arm))
      return PALE_YELLOW;
    return WHITE;
  }
  if (isIn(bone, ARM_IK_BONES))
    return ORANGE_RED;
  return WHITE;
}

// ---- Names ----

// The name as shown: aliased when an alias file is in use.
const char* shownBoneName(char* buffer, size_t size, const char* stored, int aliasInUse) {
  if (!aliasInUse)
    return stored;
  applyBoneAliases(buffer, size, stored);
  return buffer;
}

const char* shownMorphName(char* buffer, size_t size, const char* stored, int aliasInUse) {
  if (!aliasInUse)
    return stored;
  applyMorphAliases(buffer, size, stored);
  return buffer;
}

void appendPadding(int32_t width, const char* shown) {
  char blanks[REPORT_LINE_SIZE];
  int32_t n = width - static_cast<int32_t>(std::strlen(shown));
  if (n <= 0)
    return;
  if (n >= REPORT_LINE_SIZE)
    n = REPORT_LINE_SIZE - 1;
  std::memset(blanks, ' ', static_cast<size_t>(n));
  blanks[n] = '\0';
  reportAppend(blanks);
}

// A full store takes nothing more: a motion of thousands of names lists no more of them
// than its rows hold.
bool reportFull() {
  return gReport.lineCount >= REPORT_LINE_CAPACITY;
}

void appendFormatted(const char* format, ...) __attribute__((format(printf, 1, 2)));

void appendFormatted(const char* format, ...) {
  if (reportFull() || gReport.openCut != 0)
    return;
  char piece[REPORT_LINE_SIZE * 2];
  va_list args;
  va_start(args, format);
  vsnprintf(piece, sizeof piece, format, args);
  va_end(args);
  reportAppend(piece);
}

// ---- Bone lines ----

void writeDetailedBoneLine(const char* stored, const BoneStats& b, int aliasInUse) {
  char aliased[ALIAS_OUTPUT_SIZE];
  const char* shown = shownBoneName(aliased, sizeof aliased, stored, aliasInUse);
  const SpecialBone bone = specialBoneOf(stored);
  setColour(boneLineColour(bone));
  reportAppend("  ");
  reportAppend(shown);
  appendPadding(gListingWidths.boneNameWidth, shown);
  appendFormatted("  (%d keys) (frame %d - %d) ", b.keyCount, b.firstFrame, b.lastFrame);
  if (above(b.maxTranslation, 0.01))
    appendFormatted("(|pos|=%g) ", static_cast<double>(b.maxTranslation));
  const bool twistBone = isIn(bone, TWIST_BONES);
  if (!twistBone && above(b.maxRotation, 0.01))
    appendFormatted("(rot%6.1f) ", rotationDegrees(b.maxRotation));
  if ((twistBone || isIn(bone, ARM_BONES)) && twisted(b)) {
    float minus = twistDegrees(b.twistMinusMax);
    float plus = twistDegrees(b.twistPlusMax);
    if (minus < plus)
      appendFormatted("(tws%6.1f (at %d)) ", static_cast<double>(plus), b.twistPlusFrame);
    else
      appendFormatted("(tws%6.1f (at %d)) ", static_cast<double>(minus), b.twistMinusFrame);
  }
  reportFinishLine();
}

// Names outside the built-in tables share lines of under 80 columns.
void appendPackedBoneName(const char* stored, int aliasInUse) {
  char aliased[ALIAS_OUTPUT_SIZE];
  const char* shown = shownBoneName(aliased, sizeof aliased, stored, aliasInUse);
  setColour(WHITE);
  if (static_cast<int32_t>(std::strlen(stored)) + gReport.openLength + 2 >= 80)
    reportFinishLine();
  reportAppend("  ");
  if (std::strcmp(stored, specialBoneName(BONE_LEFT_THUMB_0_BLANK)) == 0) {
    reportAppend("\"");
    reportAppend(shown);
    reportAppend("\"");
  } else {
    reportAppend(shown);
  }
}

// ---- Morph lines ----

// Three one-character morph names are written with a look-alike and a trailing blank.
const char* morphPiece(const char* stored) {
  if (std::strcmp(stored, "\x81\xBF") == 0) // ∩
    return "  \x83\xAE ";                   // Π
  if (std::strcmp(stored, "\x81\xC8") == 0) // ∧
    return "  \x83\xA9 ";                   // Λ
  if (std::strcmp(stored, "\x83\xD6") == 0) // ω
    return "  \x83\xD6 ";                   // ω
  return nullptr;
}

bool morphHasWeight(const MorphStats& s) {
  return s.keyCount >= 1 && (s.minWeight < 0.0f || s.maxWeight > 0.0f);
}

} // namespace

void computeNameWidths(int aliasInUse) {
  ListingWidths& w = gListingWidths;
  w.boneNameWidth = 0;
  w.morphNameWidth = 0;
  char aliased[ALIAS_OUTPUT_SIZE];
  int boneCount = nameListCount(LIST_BONE);
  for (int e = 1; e <= boneCount; ++e) {
    const BoneStats& b = gMotion.bones[e];
    if (nameListGroupOf(LIST_BONE, e) != BONE_GROUP_MAIN || b.keyCount < 1 || b.moved == 0)
      continue;
    const char* shown =
        shownBoneName(aliased, sizeof aliased, nameListText(LIST_BONE, e), aliasInUse);
    int32_t length = static_cast<int32_t>(std::strlen(shown));
    if (length > w.boneNameWidth)
      w.boneNameWidth = length;
  }
  int morphCount = nameListCount(LIST_MORPH);
  for (int e = 1; e <= morphCount; ++e) {
    if (nameListGroupOf(LIST_MORPH, e) != MORPH_GROUP_EXPRESSION ||
        !morphHasWeight(gMotion.morphs[e]))
      continue;
    const char* shown =
        shownMorphName(aliased, sizeof aliased, nameListText(LIST_MORPH, e), aliasInUse);
    int32_t length = static_cast<int32_t>(std::strlen(shown));
    if (length > w.morphNameWidth)
      w.morphNameWidth = length;
  }
}

void writeBoneListing(int aliasInUse) {
  setColour(WHITE);
  reportFinishLine();
  if (aliasInUse)
    reportAppend("Bones: ");
  else
    reportAppend(SjisText("使用ボーン: "));
  reportFinishLine();

  // listState: 0 nothing listed since the last group change, 1 a detailed line was
  // written, -1 a packed line is open.
  int previousGroup = 0;
  int listState = 0;
  int count = nameListCount(LIST_BONE);
  for (int e = 1; e <= count && !reportFull(); ++e) {
    const BoneStats& b = gMotion.bones[e];
    int g = nameListGroupOf(LIST_BONE, e);
    if (g == BONE_GROUP_FINGER &&
        !(b.keyCount != 0 && b.moved != 0 && above(b.maxTranslation, 0.05)))
      continue;
    if (g == BONE_GROUP_IGNORED)
      continue;
    if (g != previousGroup) {
      previousGroup = g;
      if (g > BONE_GROUP_FINGER && listState != 0) {
        reportAppend("     ");
        reportFinishLine();
      }
      listState = 0;
    }
    const char* stored = nameListText(LIST_BONE, e);
    if (g == BONE_GROUP_MAIN || g == BONE_GROUP_FINGER) {
      if (b.keyCount >= 1 && b.moved != 0) {
        writeDetailedBoneLine(stored, b, aliasInUse);
        listState = 1;
      }
    } else if (above(b.maxTranslation, 0.01) || above(b.maxRotation, 0.01)) {
      listState = -1;
      appendPackedBoneName(stored, aliasInUse);
    }
  }
  if (listState == -1)
    reportFinishLine();
  if (listState != 0)
    reportFinishLine();
  setColour(WHITE);
  reportFinishLine();
}

void writeMorphListing(int aliasInUse) {
  setColour(WHITE);
  if (aliasInUse)
    reportAppend("Morphing (Expression): ");
  else
    reportAppend(SjisText("使用モーフ(表情): "));
  reportFinishLine();

  int previousGroup = 0;
  int count = nameListCount(LIST_MORPH);
  char aliased[ALIAS_OUTPUT_SIZE];
  for (int e = 1; e <= count && !reportFull(); ++e) {
    int g = nameListGroupOf(LIST_MORPH, e);
    if (g == MORPH_GROUP_IGNORED)
      continue;
    if (g != previousGroup) {
      previousGroup = g;
      if (g >= MORPH_GROUP_IGNORED) {
        reportAppend("     ");
        reportFinishLine();
      }
    }
    const MorphStats& s = gMotion.morphs[e];
    if (!morphHasWeight(s))
      continue;
    const char* stored = nameListText(LIST_MORPH, e);
    const char* shown = shownMorphName(aliased, sizeof aliased, stored, aliasInUse);
    setColour(WHITE);
    const char* piece = morphPiece(stored);
    if (piece != nullptr) {
      reportAppend(piece);
    } else {
      reportAppend("  ");
      reportAppend(shown);
    }
    appendPadding(gListingWidths.morphNameWidth, shown);
    appendFormatted("  (%d keys) (frame %d - %d) (val %g - %g) \n", s.keyCount, s.firstFrame,
                    s.lastFrame, static_cast<double>(s.minWeight),
                    static_cast<double>(s.maxWeight));
    reportFinishLine();
  }
  for (int i = 0; i < 3; ++i)
    reportFinishLine();
}
