#include "analysis/evaluate.h"
#include "analysis/report.h"
#include "names/bone_roles.h"
#include "text/sjis_text.h"

// The verdict: the categories of the evaluation in a fixed order, each with its reasons.
// "(要修正)" may be followed by "(確認要)" or by one roughness category; "(OK)" when none.

namespace {

void append(const char* utf8) {
  resultAppend(SjisText(utf8));
}

void appendLabel(SpecialBone bone) {
  resultAppend(specialBoneLabel(bone));
}

// Appends the label of the bone of every set bit, lowest bit first.
void appendBits(int32_t flags, SpecialBoneSet set) {
  for (int i = 0; i < set.count; ++i) {
    if (flags & (1 << i))
      appendLabel(specialBoneAt(set, i));
  }
}

void appendMustFix(const Evaluation& e) {
  append("(要修正): MMD での手修正またはツール等での変換が必須です. \r\n");
  append("\r\n  理由: このまま使用するとボーン抜けが発生します. \r\n  --\r\n  ");
  appendBits(e.twistBoneFlags, TWIST_BONES);
  if (e.twistBoneFlags != 0)
    append("\r\n  ");
  if (e.upperBody2Flag == -1) {
    appendLabel(BONE_UPPER_BODY_2_FULL_WIDTH);
    append("\r\n  ");
  }
  appendBits(e.plusBoneFlags, PLUS_BONES);
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
  appendBits(e.legDFlags, LEG_D_BONES);
  if (e.legDFlags != 0)
    append("\r\n  ");
  appendBits(e.armDFlags, ARM_D_BONES);
  if (e.armDFlags != 0)
    append("\r\n  ");
  // Only the mild bits of the leg IK parents name them; strong and medium stay unnamed.
  appendBits(e.legIkParentRotFlags & 0x03, LEG_IK_PARENTS);
  appendBits(e.shoulderPFlags, SHOULDER_P_BONES);
  if (e.legIkParentRotFlags != 0 || e.shoulderPFlags != 0)
    append("\r\n  ");
  // Of the extra parents only 上半身3 is named; the full-width IK parents stay unnamed.
  appendBits(e.extraParentFlags & 0x01, EXTRA_PARENT_BONES);
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
    appendBits(e.armTwistStrongFlags, ARM_BONES);
    append("にやや強い捩りがあります. \r\n  ");
  }
  if (e.lowerBodyRating != 0 || e.waistUsed != 0) {
    if (e.lowerBodyRating != 0)
      appendLabel(BONE_LOWER_BODY);
    if (e.waistUsed != 0)
      appendLabel(BONE_WAIST);
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
    appendBits(e.armTwistMildFlags, ARM_BONES);
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
