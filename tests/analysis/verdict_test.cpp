// The verdict text, byte for byte, for each combination of categories and reasons. The
// expected texts are written here as UTF-8 and converted with the program's own tables;
// the UTF-16 twin must hold the same text.
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis_fixture.h"

using namespace analysis_testing;

namespace {

// ---- The texts, piece by piece ----

const std::string kMustFix = "(要修正): MMD での手修正またはツール等での変換が必須です. \r\n"
                             "\r\n  理由: このまま使用するとボーン抜けが発生します. \r\n  --\r\n  ";
const std::string kUsed = "が使用されています. ";
const std::string kSeparator = "\r\n  \r\n  \r\n";
const std::string kCheckEditing =
    "(確認要): ReadMe 中で「必要」と記載されていれば、MMD での手編集／手修正が必須です. \r\n"
    "\r\n  理由: そのままでは再現できないボーンの動きが含まれます. \r\n  --\r\n  ";
const std::string kCheckConverting =
    "(確認要): ReadMe 中で「必要」と記載されていれば、MMD "
    "での手修正またはツール等での変換が必須です. \r\n"
    "\r\n  理由: そのままでは再現できないボーンの動きが含まれます. "
    "\r\n  --\r\n  ";
const std::string kSomewhat = "(やや荒れ): やや荒れる／ややズレると予測. \r\n\r\n  "
                              "未変換なら、変換／修正によって軽減できる場合が多く、 "
                              "\r\n  変換をお奨めします. "
                              "\r\n  --\r\n  理由: \r\n  ";
const std::string kSlightly =
    "(少し荒れ): 少し荒れる／少しズレると予測. \r\n\r\n  "
    "そのままで使用可能ですが、 "
    "\r\n  未変換なら、変換／修正によって軽減できる場合があります. \r\n  --"
    "\r\n  理由: ";
const std::string kNote = "\r\n    (変換してもこれ以上軽減できない場合もあります) ";
const std::string kStrongTwist = "にやや強い捩りがあります. \r\n  ";
const std::string kMildTwist = "に荒れが生じうる捩りがあります. \r\n  ";
const std::string kOk = "(OK): そのままで使用可能です. ";

std::u16string toUtf16(const std::string& utf8) {
  std::vector<char16_t> out(utf8.size() * 2 + 2);
  strutf82uni(out.data(), utf8.c_str());
  return out.data();
}

struct Case {
  const char* what;
  Evaluation evaluation;
  std::string text; // UTF-8
};

Evaluation counts(int32_t mustFix, int32_t checkReadme, int32_t somewhat, int32_t slightly) {
  Evaluation e{};
  e.mustFixCount = mustFix;
  e.checkReadmeCount = checkReadme;
  e.somewhatRoughCount = somewhat;
  e.slightlyRoughCount = slightly;
  return e;
}

template <typename Change>
Evaluation with(Evaluation e, Change change) {
  change(e);
  return e;
}

std::vector<Case> verdictCases() {
  const std::string mustFixTwist = kMustFix + "[左腕捩] " + "\r\n  " + kUsed;
  return {
      {"nothing found", counts(0, 0, 0, 0), kOk},
      {"twist bones", with(counts(2, 0, 0, 0), [](Evaluation& e) { e.twistBoneFlags = 0x05; }),
       kMustFix + "[左腕捩] [右腕捩] " + "\r\n  " + kUsed},
      {"上半身２ alone", with(counts(1, 0, 0, 0), [](Evaluation& e) { e.upperBody2Flag = -1; }),
       kMustFix + "上半身２(L2) \r\n  " + kUsed},
      {"_+ bones", with(counts(4, 0, 0, 0), [](Evaluation& e) { e.plusBoneFlags = 0x0F; }),
       kMustFix + "[左足_+] [左腕_+] [右足_+] [右腕_+] (P_Bone+) \r\n  " + kUsed},
      {"every must-fix reason",
       with(counts(5, 0, 0, 0),
            [](Evaluation& e) {
              e.twistBoneFlags = 0x0A;
              e.upperBody2Flag = -1;
              e.plusBoneFlags = 0x06;
            }),
       kMustFix + "[左手捩] [右手捩] \r\n  上半身２(L2) \r\n  [左腕_+] [右足_+] (P_Bone+) \r\n  " +
           kUsed},
      {"must-fix and check-readme: the roughness is left out",
       with(counts(1, 1, 4, 0),
            [](Evaluation& e) {
              e.twistBoneFlags = 0x01;
              e.legDFlags = 0x01;
              e.armTwistStrongFlags = 0x0F;
            }),
       mustFixTwist + kSeparator + kCheckEditing + "[左足D] \r\n  " + kUsed},
      {"shoulder P only", with(counts(0, 2, 0, 0), [](Evaluation& e) { e.shoulderPFlags = 0x03; }),
       kCheckConverting + "[左肩P] [右肩P] \r\n  " + kUsed},
      {"strongly rotated leg IK parent: no bracketed reason",
       with(counts(0, 1, 0, 0), [](Evaluation& e) { e.legIkParentRotFlags = 0x10; }),
       kCheckConverting + "\r\n  " + kUsed},
      {"rotated full-width IK parent: no bracketed reason",
       with(counts(0, 1, 0, 0), [](Evaluation& e) { e.extraParentFlags = 0x02; }),
       kCheckConverting + "\r\n  " + kUsed},
      {"上半身3", with(counts(0, 1, 0, 0), [](Evaluation& e) { e.extraParentFlags = 0x01; }),
       kCheckConverting + "[上半身3] \r\n  " + kUsed},
      {"arm D bone: the editing wording",
       with(counts(0, 1, 0, 0), [](Evaluation& e) { e.armDFlags = 0x04; }),
       kCheckEditing + "[右腕D] \r\n  " + kUsed},
      {"medium leg IK parent beside a shoulder P",
       with(counts(0, 1, 0, 0),
            [](Evaluation& e) {
              e.legIkParentRotFlags = 0x04;
              e.shoulderPFlags = 0x02;
            }),
       kCheckConverting + "[右肩P] \r\n  " + kUsed},
      {"every check-readme reason",
       with(counts(0, 17, 0, 0),
            [](Evaluation& e) {
              e.legDFlags = 0x3F;
              e.armDFlags = 0x0F;
              e.legIkParentRotFlags = 0x03;
              e.shoulderPFlags = 0x03;
              e.extraParentFlags = 0x07;
            }),
       kCheckEditing +
           "[左足D] [左ひざD] [左足首D] [右足D] [右ひざD] [右足首D] \r\n  "
           "[左腕D] [左ひじD] [右腕D] [右ひじD] \r\n  "
           "[左足IK親] [右足IK親] [左肩P] [右肩P] \r\n  [上半身3] \r\n  " +
           kUsed},
      {"strong twists, lower body and waist",
       with(counts(0, 0, 4, 0),
            [](Evaluation& e) {
              e.armTwistStrongFlags = 0x05;
              e.lowerBodyRating = -1;
              e.waistUsed = -1;
            }),
       kSomewhat + "[左腕] [右腕] " + kStrongTwist + "[下半身] [腰] " + kUsed + "\r\n  " + kNote},
      {"waist only: no closing note",
       with(counts(0, 0, 1, 0), [](Evaluation& e) { e.waistUsed = -1; }),
       kSomewhat + "[腰] " + kUsed + "\r\n  "},
      {"mildly rated lower body",
       with(counts(0, 0, 1, 0), [](Evaluation& e) { e.lowerBodyRating = 1; }),
       kSomewhat + "[下半身] " + kUsed + "\r\n  "},
      {"one strong elbow twist",
       with(counts(0, 0, 1, 0), [](Evaluation& e) { e.armTwistStrongFlags = 0x08; }),
       kSomewhat + "[右ひじ] " + kStrongTwist + kNote},
      {"somewhat rough wins over slightly rough",
       with(counts(0, 0, 1, 1),
            [](Evaluation& e) {
              e.armTwistStrongFlags = 0x01;
              e.armTwistMildFlags = 0x02;
            }),
       kSomewhat + "[左腕] " + kStrongTwist + kNote},
      {"one mild elbow twist",
       with(counts(0, 0, 0, 1), [](Evaluation& e) { e.armTwistMildFlags = 0x02; }),
       kSlightly + "[左ひじ] " + kMildTwist + kNote},
      {"every mild twist",
       with(counts(0, 0, 0, 4), [](Evaluation& e) { e.armTwistMildFlags = 0x0F; }),
       kSlightly + "[左腕] [左ひじ] [右腕] [右ひじ] " + kMildTwist + kNote},
      {"must-fix then somewhat rough, no separator",
       with(counts(1, 0, 1, 0),
            [](Evaluation& e) {
              e.twistBoneFlags = 0x01;
              e.waistUsed = -1;
            }),
       mustFixTwist + kSomewhat + "[腰] " + kUsed + "\r\n  "},
      {"must-fix then slightly rough, no separator",
       with(counts(1, 0, 0, 1),
            [](Evaluation& e) {
              e.twistBoneFlags = 0x01;
              e.armTwistMildFlags = 0x01;
            }),
       mustFixTwist + kSlightly + "[左腕] " + kMildTwist + kNote},
      {"check-readme hides both roughness categories",
       with(counts(0, 1, 1, 1),
            [](Evaluation& e) {
              e.shoulderPFlags = 0x01;
              e.armTwistStrongFlags = 0x01;
              e.armTwistMildFlags = 0x02;
            }),
       kCheckConverting + "[左肩P] \r\n  " + kUsed},
  };
}

} // namespace

TEST(Verdict, TextsForEachCombination) {
  for (const Case& c : verdictCases()) {
    SCOPED_TRACE(c.what);
    gEval = c.evaluation;
    composeResultText();
    EXPECT_EQ(std::string(gResult.text), sjis(c.text));
    EXPECT_EQ(utf8Of(gResult.text), c.text) << "readable form of the same comparison";
    EXPECT_EQ(std::u16string(gResult.textW), toUtf16(c.text));
  }
}

TEST(Verdict, TheLongestTextFitsItsStore) {
  Evaluation e = counts(9, 17, 4, 4);
  e.twistBoneFlags = 0x0F;
  e.upperBody2Flag = -1;
  e.plusBoneFlags = 0x0F;
  e.legDFlags = 0x3F;
  e.armDFlags = 0x0F;
  e.extraParentFlags = 0x07;
  e.legIkParentRotFlags = 0x3F;
  e.shoulderPFlags = 0x03;
  e.armTwistStrongFlags = 0x0F;
  e.armTwistMildFlags = 0x0F;
  e.lowerBodyRating = -1;
  e.waistUsed = -1;
  gEval = e;
  composeResultText();
  const std::string expected = kMustFix +
                               "[左腕捩] [左手捩] [右腕捩] [右手捩] \r\n  上半身２(L2) \r\n  "
                               "[左足_+] [左腕_+] [右足_+] [右腕_+] (P_Bone+) \r\n  " +
                               kUsed + kSeparator + kCheckEditing +
                               "[左足D] [左ひざD] [左足首D] [右足D] [右ひざD] [右足首D] \r\n  "
                               "[左腕D] [左ひじD] [右腕D] [右ひじD] \r\n  "
                               "[左足IK親] [右足IK親] [左肩P] [右肩P] \r\n  [上半身3] \r\n  " +
                               kUsed;
  EXPECT_EQ(std::string(gResult.text), sjis(expected));
  EXPECT_EQ(std::u16string(gResult.textW), toUtf16(expected));
  // Below the 604 bytes of the longest text the rules can make, well within the store.
  EXPECT_LE(std::strlen(gResult.text), 604u);
}

TEST(Verdict, ComposedAfreshForEveryFile) {
  gEval = counts(1, 0, 0, 0);
  gEval.twistBoneFlags = 0x01;
  composeResultText();
  gEval = counts(0, 0, 0, 0);
  composeResultText();
  EXPECT_EQ(std::string(gResult.text), sjis(kOk));
  EXPECT_EQ(std::u16string(gResult.textW), toUtf16(kOk));
}
