#include "analysis/evaluate.h"
#include "analysis/report.h"
#include "text/sjis_text.h"

// The verdict: the categories of the evaluation in a fixed order, each with its reasons.
// "(要修正)" may be followed by "(確認要)" or by one roughness category; "(OK)" when none.

namespace {

void append(const char* utf8) {
  resultAppend(SjisText(utf8));
}

// Appends the label of every set bit, lowest bit first.
void appendBits(int32_t flags, const char* const* labels, int count) {
  for (int i = 0; i < count; ++i) {
    if (flags & (1 << i))
      append(labels[i]);
  }
}

const char* const kArmLabels[] = {"[左腕] ", "[左ひじ] ", "[右腕] ", "[右ひじ] "};

void appendMustFix(const Evaluation& e) {
  append("(要修正): MMD での手修正またはツール等での変換が必須です. \r\n");
  append("\r\n  理由: このまま使用するとボーン抜けが発生します. \r\n  --\r\n  ");
  const char* twist[] = {"[左腕捩] ", "[左手捩] ", "[右腕捩] ", "[右手捩] "};
  appendBits(e.twistBoneFlags, twist, 4);
  if (e.twistBoneFlags != 0)
    append("\r\n  ");
  if (e.upperBody2Flag == -1)
    append("上半身２(L2) \r\n  ");
  const char* plus[] = {"[左足_+] ", "[左腕_+] ", "[右足_+] ", "[右腕_+] "};
  appendBits(e.plusBoneFlags, plus, 4);
  if (e.plusBoneFlags != 0)
    append("(P_Bone+) \r\n  ");
  append("が使用されています. ");
}

void appendCheckReadme(const Evaluation& e) {
  if (e.legDFlags != 0 || e.armDFlags != 0)
    append(
        "(確認要): ReadMe 中で「必要」と記載されていれば、MMD での手編集／手修正が必須です. \r\n");
  else
    append("(確認要): ReadMe 中で「必要」と記載されていれば、MMD での手修正またはツール等での変換が"
           "必須です. \r\n");
  append("\r\n  理由: そのままでは再現できないボーンの動きが含まれます. \r\n  --\r\n  ");
  const char* legD[] = {"[左足D] ", "[左ひざD] ", "[左足首D] ",
                        "[右足D] ", "[右ひざD] ", "[右足首D] "};
  appendBits(e.legDFlags, legD, 6);
  if (e.legDFlags != 0)
    append("\r\n  ");
  const char* armD[] = {"[左腕D] ", "[左ひじD] ", "[右腕D] ", "[右ひじD] "};
  appendBits(e.armDFlags, armD, 4);
  if (e.armDFlags != 0)
    append("\r\n  ");
  // Only the mild bits of the leg IK parents name them; strong and medium stay unnamed.
  const char* legIk[] = {"[左足IK親] ", "[右足IK親] "};
  appendBits(e.legIkParentRotFlags & 0x03, legIk, 2);
  const char* shoulderP[] = {"[左肩P] ", "[右肩P] "};
  appendBits(e.shoulderPFlags, shoulderP, 2);
  if (e.legIkParentRotFlags != 0 || e.shoulderPFlags != 0)
    append("\r\n  ");
  if (e.extraParentFlags & 0x01)
    append("[上半身3] ");
  if (e.extraParentFlags != 0)
    append("\r\n  ");
  append("が使用されています. ");
}

void appendSomewhatRough(const Evaluation& e) {
  append("(やや荒れ): やや荒れる／ややズレると予測. \r\n\r\n  "
         "未変換なら、変換／修正によって軽減できる場合が多く、 ");
  append("\r\n  変換をお奨めします. ");
  append("\r\n  --\r\n  理由: \r\n  ");
  if (e.armTwistStrongFlags != 0) {
    appendBits(e.armTwistStrongFlags, kArmLabels, 4);
    append("にやや強い捩りがあります. \r\n  ");
  }
  if (e.lowerBodyRating != 0 || e.waistUsed != 0) {
    if (e.lowerBodyRating != 0)
      append("[下半身] ");
    if (e.waistUsed != 0)
      append("[腰] ");
    append("が使用されています. \r\n  ");
  }
  if (e.armTwistStrongFlags != 0)
    append("\r\n    (変換してもこれ以上軽減できない場合もあります) ");
}

void appendSlightlyRough(const Evaluation& e) {
  append("(少し荒れ): 少し荒れる／少しズレると予測. \r\n\r\n  そのままで使用可能ですが、 ");
  append("\r\n  未変換なら、変換／修正によって軽減できる場合があります. \r\n  --");
  append("\r\n  理由: ");
  if (e.armTwistMildFlags != 0) {
    appendBits(e.armTwistMildFlags, kArmLabels, 4);
    append("に荒れが生じうる捩りがあります. \r\n  ");
  }
  append("\r\n    (変換してもこれ以上軽減できない場合もあります) ");
}

} // namespace

VerdictCategories verdictCategories() {
  const Evaluation& e = gEval;
  VerdictCategories v = {0, {VERDICT_OK, VERDICT_OK}};
  if (e.mustFixCount >= 1)
    v.category[v.count++] = VERDICT_MUST_FIX;
  if (e.checkReadmeCount >= 1)
    v.category[v.count++] = VERDICT_CHECK_README;
  else if (e.somewhatRoughCount >= 1)
    v.category[v.count++] = VERDICT_SOMEWHAT_ROUGH;
  else if (e.slightlyRoughCount >= 1)
    v.category[v.count++] = VERDICT_SLIGHTLY_ROUGH;
  else if (v.count == 0)
    v.category[v.count++] = VERDICT_OK;
  return v;
}

const char* verdictCategoryLabel(VerdictCategory category) {
  switch (category) {
  case VERDICT_MUST_FIX:
    return "(要修正)";
  case VERDICT_CHECK_README:
    return "(確認要)";
  case VERDICT_SOMEWHAT_ROUGH:
    return "(やや荒れ)";
  case VERDICT_SLIGHTLY_ROUGH:
    return "(少し荒れ)";
  case VERDICT_OK:
    break;
  }
  return "(OK)";
}

void composeResultText() {
  const Evaluation& e = gEval;
  const VerdictCategories v = verdictCategories();
  resultClear();
  for (int i = 0; i < v.count; ++i) {
    switch (v.category[i]) {
    case VERDICT_MUST_FIX:
      appendMustFix(e);
      break;
    case VERDICT_CHECK_README:
      // Only the two serious parts are set apart by blank lines.
      if (i > 0)
        append("\r\n  \r\n  \r\n");
      appendCheckReadme(e);
      break;
    case VERDICT_SOMEWHAT_ROUGH:
      appendSomewhatRough(e);
      break;
    case VERDICT_SLIGHTLY_ROUGH:
      appendSlightlyRough(e);
      break;
    case VERDICT_OK:
      append("(OK): そのままで使用可能です. ");
      break;
    }
  }
}
