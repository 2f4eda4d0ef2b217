// The check of one motion file end to end: synthetic motions written to disk, checked with
// checkMotionFile(), and the report rows, evaluation and verdict that come out.
#include "app/check.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/evaluate.h"
#include "analysis/report.h"
#include "app/state.h"
#include "common/vmd_builder.h"
#include "motion/motion.h"
#include "names/namelist.h"
#include "text/encoding.h"
#include "text/pathconv.h"
#include "text/paths.h"

using test_text::utf8Of;
using testing_vmd::about;
using testing_vmd::Quaternion;
using testing_vmd::sjis;
using testing_vmd::TempDir;
using testing_vmd::VmdBuilder;

namespace {

const char* const kTarget = "想定使用先: VRMモデル (Lumivane 3.10-3.11) ";
const char* const kEnglishTarget = "Target model: VRM model (Lumivane 3.10-3.11) ";
const char* const kOk = "(OK): そのままで使用可能です. ";

// Rotation of the left arm about its own length axis.
Quaternion leftArmTwist(double degrees) {
  return about(0.819742, -0.572734, 0.0, degrees);
}
Quaternion leftElbowTwist(double degrees) {
  return about(0.759228, -0.650821, -0.00236674, degrees);
}

std::vector<std::string> rows() {
  std::vector<std::string> out;
  for (int i = 0; i < gReport.lineCount; ++i)
    out.push_back(utf8Of(gReport.text[i]));
  return out;
}

std::string verdict() {
  return utf8Of(gResult.text);
}

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class Check : public ::testing::Test {
protected:
  void SetUp() override {
    // The program's folder, where alias.ini is looked for, is a folder of the test's own.
    const std::string dir = program_.path() + "/";
    utf8PathToAnsi(gStartup.programDir, sizeof gStartup.programDir, dir.c_str());
    utf8PathToWide(gStartup.programDirW, PATH_SIZE, dir.c_str());
  }

  // Writes the motion and checks it through both path forms, as the run sequence does.
  void check(const std::vector<uint8_t>& bytes, const std::string& name = "dance.vmd") {
    checkPath(files_.write(name, bytes));
  }
  static void checkPath(const std::string& utf8Path) {
    FileState& f = gFile;
    f = FileState{};
    utf8PathToAnsi(f.ansiPath, sizeof f.ansiPath, utf8Path.c_str());
    utf8PathToWide(f.widePath, PATH_SIZE, utf8Path.c_str());
    if (findname(f.actualName, f.ansiPath) != 0)
      f.actualName[0] = '\0';
    if (findnameW(f.actualNameW, f.widePath) != 0)
      f.actualNameW[0] = 0;
    checkMotionFile();
  }
  void writeAlias(const std::string& utf8Text) {
    program_.write("alias.ini", std::vector<uint8_t>(utf8Text.begin(), utf8Text.end()));
  }
  void removeAlias() { std::remove((program_.path() + "/alias.ini").c_str()); }

  TempDir program_;
  TempDir files_;
};

} // namespace

TEST_F(Check, ATypicalMotion) {
  VmdBuilder b;
  b.header(sjis("ミク")).count(4);
  b.bone(sjis("センター"), 0, 1.0f, 0, 0, {});
  b.bone(sjis("左腕"), 0);
  b.bone(sjis("左腕"), 20, leftArmTwist(150));
  b.bone(sjis("ポニテ"), 5, about(0, 0, 1, 30));
  b.count(2).morph(sjis("まばたき"), 0, 0.0f).morph(sjis("まばたき"), 10, 1.0f).emptyTail();
  check(b.bytes);

  EXPECT_EQ(gFile.readResult, 0);
  EXPECT_EQ(gFile.ansiUnusable, 0);
  EXPECT_EQ(gFile.wideUnusable, 0);
  EXPECT_EQ(gFile.aliasInUse, 0);
  EXPECT_EQ(nameListFindUpTo(LIST_BONE, sjis("ポニテ").c_str(), nameListCount(LIST_BONE)), 471);
  EXPECT_EQ(gEval.slightlyRoughCount, 1);
  EXPECT_EQ(gEval.armTwistMildFlags, 0x01);
  EXPECT_EQ(rows(), (std::vector<std::string>{
                        "",
                        "dance.vmd",
                        "",
                        "元モデル名: ミク ",
                        kTarget,
                        "",
                        "使用ボーン: ",
                        "  センター  (1 keys) (frame 0 - 0) (|pos|=1) ",
                        "  左腕      (2 keys) (frame 0 - 20) (rot 150.0) (tws 150.0 (at 20)) ",
                        "     ",
                        "  ポニテ",
                        "",
                        "",
                        "使用モーフ(表情): ",
                        "  まばたき  (2 keys) (frame 0 - 10) (val 0 - 1) \n",
                        "",
                        "",
                        "",
                    }));
  EXPECT_EQ(gReport.colour[8], 250u | 250u << 8 | 150u << 16) << "左腕 pale yellow";
  EXPECT_EQ(verdict().rfind("(少し荒れ): ", 0), 0u) << verdict();
  EXPECT_TRUE(contains(verdict(), "[左腕] に荒れが生じうる捩りがあります. "));
}

TEST_F(Check, UnreadableFilesGiveAnEmptyReportAndOk) {
  const std::vector<std::string> emptyListing = {
      "", "使用ボーン: ", "", "使用モーフ(表情): ", "", "", ""};
  {
    SCOPED_TRACE("missing file");
    checkPath(files_.path() + "/missing.vmd");
    EXPECT_EQ(gFile.readResult, -1);
    EXPECT_EQ(gFile.ansiUnusable, 0xFF);
    EXPECT_EQ(gFile.wideUnusable, 0xFF);
    std::vector<std::string> expected = {"", "", kTarget};
    expected.insert(expected.end(), emptyListing.begin(), emptyListing.end());
    EXPECT_EQ(rows(), expected);
    EXPECT_EQ(verdict(), kOk);
  }
  {
    SCOPED_TRACE("not a VMD 0002 file");
    VmdBuilder b;
    b.field("Vocaloid Motion Data 0001", 30)
        .field("", 20)
        .count(1)
        .bone(sjis("腰"), 0, about(0, 1, 0, 40));
    check(b.bytes, "old.vmd");
    EXPECT_EQ(gFile.readResult, 2);
    std::vector<std::string> expected = {"", "old.vmd", "", kTarget};
    expected.insert(expected.end(), emptyListing.begin(), emptyListing.end());
    EXPECT_EQ(rows(), expected);
    EXPECT_EQ(verdict(), kOk);
  }
}

TEST_F(Check, AFileOnlyTheUtf16PathReaches) {
  VmdBuilder b;
  b.header().count(1).bone(sjis("腰"), 0, about(0, 1, 0, 40)).count(0).emptyTail();
  check(b.bytes, "모션.vmd");
  EXPECT_EQ(gFile.ansiUnusable, 0xFF);
  EXPECT_EQ(gFile.wideUnusable, 0);
  EXPECT_EQ(gFile.readResult, 0);
  EXPECT_EQ(gEval.waistUsed, -1);
  EXPECT_EQ(verdict().rfind("(やや荒れ): ", 0), 0u) << verdict();
}

TEST_F(Check, AliasFileSwitchesLabelsAndNames) {
  VmdBuilder b;
  b.header(sjis("ミク")).count(3);
  b.bone(sjis("センター"), 0, 1.0f, 0, 0, {});
  b.bone(sjis("左腕"), 0, about(0, 0, 1, 60));
  b.bone(sjis("左腕捩"), 3, {0.5f, 0, 0, 0.8660254f});
  b.count(1).morph(sjis("まばたき"), 0, 1.0f).emptyTail();
  const std::vector<uint8_t> motion = b.bytes;

  writeAlias("\"センター\"F Center\n左 L_\n-Morph\nまばたき Blink\n");
  check(motion);
  EXPECT_EQ(gFile.aliasInUse, 0xFF);
  EXPECT_EQ(rows(), (std::vector<std::string>{
                        "",
                        "dance.vmd",
                        "",
                        "Source model: ミク ",
                        kEnglishTarget,
                        "",
                        "Bones: ",
                        "  Center  (1 keys) (frame 0 - 0) (|pos|=1) ",
                        "  L_腕    (1 keys) (frame 0 - 0) (rot  60.0) ",
                        "  L_腕捩  (1 keys) (frame 3 - 3) (tws  60.0 (at 3)) ",
                        "",
                        "",
                        "Morphing (Expression): ",
                        "  Blink  (1 keys) (frame 0 - 0) (val 1 - 1) \n",
                        "",
                        "",
                        "",
                    }));
  EXPECT_EQ(gReport.colour[9], 255u) << "red, by the stored name 左腕捩";
  EXPECT_EQ(verdict().rfind("(要修正): ", 0), 0u) << "the verdict stays Japanese";

  writeAlias("// no rules at all\n");
  check(motion);
  EXPECT_EQ(gFile.aliasInUse, 0xFF);
  ASSERT_GE(rows().size(), 8u);
  EXPECT_EQ(rows()[6], "Bones: ");
  EXPECT_EQ(rows()[7], "  センター  (1 keys) (frame 0 - 0) (|pos|=1) ");

  removeAlias();
  check(motion);
  EXPECT_EQ(gFile.aliasInUse, 0);
  ASSERT_GE(rows().size(), 7u);
  EXPECT_EQ(rows()[4], kTarget);
  EXPECT_EQ(rows()[6], "使用ボーン: ");
}

TEST_F(Check, NothingSurvivesIntoTheNextFile) {
  VmdBuilder first;
  first.header(sjis("ミク")).count(2).bone(sjis("ポニテ"), 0, about(0, 0, 1, 30));
  first.bone(sjis("左腕捩"), 0, {0.5f, 0, 0, 0.8660254f});
  first.count(1).morph(sjis("テスト"), 0, 1.0f).emptyTail();
  check(first.bytes, "first.vmd");
  ASSERT_EQ(gEval.mustFixCount, 1);

  VmdBuilder second;
  second.header().count(1).bone(sjis("リボン"), 4, about(0, 0, 1, 30)).count(0).emptyTail();
  check(second.bytes, "second.vmd");
  EXPECT_EQ(nameListCount(LIST_BONE), 471);
  EXPECT_EQ(nameListCount(LIST_MORPH), 62);
  EXPECT_STREQ(nameListText(LIST_BONE, 471), sjis("リボン").c_str());
  EXPECT_EQ(gMotion.bones[471].keyCount, 1);
  EXPECT_EQ(gMotion.bones[7].keyCount, 0);
  EXPECT_EQ(gEval.mustFixCount, 0);
  EXPECT_STREQ(gMotion.modelName, "");
  EXPECT_EQ(verdict(), kOk);
  EXPECT_EQ(rows()[1], "second.vmd");
  EXPECT_EQ(rows()[3], kTarget) << "no model row";
}

TEST_F(Check, VerdictsOfSmallMotions) {
  struct Bone {
    const char* name;
    Quaternion q;
    float px;
  };
  struct Case {
    const char* what;
    std::vector<Bone> bones;
    const char* starts;
    std::vector<const char*> parts;
    std::vector<const char*> absent;
  } cases[] = {
      {"twist bone and leg D: must-fix, then check-readme with the editing wording",
       {{"左腕捩", {0.5f, 0, 0, 0.8660254f}, 0},
        {"左足D", about(1, 0, 0, 20), 0},
        {"右腕", about(0.819742, 0.572734, 0.0, 170), 0}},
       "(要修正): ",
       {"[左腕捩] ", "\r\n  \r\n  \r\n(確認要): ", "MMD での手編集／手修正が必須です. ",
        "[左足D] "},
       {"(やや荒れ)", "(少し荒れ)"}},
      {"shoulder P only",
       {{"左肩P", about(0, 0, 1, 20), 0}},
       "(確認要): ",
       {"MMD での手修正またはツール等での変換が必須です. ", "[左肩P] \r\n  が使用されています. "},
       {"(要修正)"}},
      {"strongly rotated leg IK parent: no bracketed reason",
       {{"左足IK親", about(1, 0, 0, 60), 0}},
       "(確認要): ",
       {"--\r\n  \r\n  が使用されています. "},
       {"[左足IK親]"}},
      {"waist only",
       {{"腰", about(0, 1, 0, 20), 0}},
       "(やや荒れ): ",
       {"[腰] が使用されています. \r\n  "},
       {"(変換してもこれ以上軽減できない場合もあります)"}},
      {"a 150-degree elbow twist",
       {{"左ひじ", leftElbowTwist(150), 0}},
       "(少し荒れ): ",
       {"[左ひじ] に荒れが生じうる捩りがあります. ",
        "\r\n    (変換してもこれ以上軽減できない場合もあります) "},
       {}},
      {"a 165-degree arm twist",
       {{"左腕", leftArmTwist(-165), 0}},
       "(やや荒れ): ",
       {"[左腕] にやや強い捩りがあります. ", "(変換してもこれ以上軽減できない場合もあります) "},
       {}},
      {"上半身２ alone",
       {{"上半身２", about(1, 0, 0, 20), 0}},
       "(要修正): ",
       {"上半身２(L2) "},
       {}},
      {"上半身２ with 上半身2",
       {{"上半身２", about(1, 0, 0, 20), 0}, {"上半身2", about(1, 0, 0, 20), 0}},
       kOk,
       {},
       {}},
      {"上半身3 that only moves", {{"上半身3", {}, 0.5f}}, kOk, {}, {}},
      {"腰 with rotation components of 0.01 never moved",
       {{"腰", {0.01f, 0.01f, 0.01f, 0.9997f}, 0}},
       kOk,
       {},
       {}},
      {"fingers and ignored bones only",
       {{"左人指１", about(1, 0, 0, 90), 0}, {"髪1", about(1, 0, 0, 90), 0.5f}},
       kOk,
       {},
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    VmdBuilder b;
    b.header().count(static_cast<int32_t>(c.bones.size()));
    for (const Bone& bone : c.bones)
      b.bone(sjis(bone.name), 1, bone.px, 0, 0, bone.q);
    b.count(0).emptyTail();
    check(b.bytes);
    ASSERT_EQ(gFile.readResult, 0);
    const std::string text = verdict();
    EXPECT_EQ(text.rfind(c.starts, 0), 0u) << text;
    for (const char* part : c.parts)
      EXPECT_TRUE(contains(text, part)) << "missing <" << part << "> in " << text;
    for (const char* part : c.absent)
      EXPECT_FALSE(contains(text, part)) << "unexpected <" << part << "> in " << text;
  }
}

TEST_F(Check, FrameRangesAsListed) {
  VmdBuilder b;
  b.header().count(4);
  b.bone(sjis("センター"), -5, 1.0f, 0, 0, {});
  b.bone(sjis("グルーブ"), 1000000, 1.0f, 0, 0, {});
  b.bone(sjis("上半身"), 1000000, about(1, 0, 0, 10));
  b.bone(sjis("上半身"), 1000005, about(1, 0, 0, 10));
  b.count(1).morph(sjis("あ"), -5, 1.0f).emptyTail();
  check(b.bytes);
  const std::vector<std::string> r = rows();
  ASSERT_GE(r.size(), 10u);
  EXPECT_EQ(r[6], "  センター  (1 keys) (frame -5 - -5) (|pos|=1) ");
  EXPECT_EQ(r[7], "  グルーブ  (1 keys) (frame 1000000 - 1000000) (|pos|=1) ");
  EXPECT_EQ(r[8], "  上半身    (2 keys) (frame 1000000 - 1000005) (rot  10.0) ");
  bool morphFound = false;
  for (const std::string& row : r)
    morphFound = morphFound || row == "  あ  (1 keys) (frame -5 - -5) (val 1 - 1) \n";
  EXPECT_TRUE(morphFound);
}

TEST_F(Check, MotionNamesWithPatternCharactersStayThemselves) {
  VmdBuilder b;
  b.header().count(2);
  b.bone(sjis("左腕*"), 0, about(0, 0, 1, 30));
  b.bone(sjis("左腕捩"), 2, {0.5f, 0, 0, 0.8660254f});
  b.count(0).emptyTail();
  check(b.bytes);
  EXPECT_EQ(gEval.twistBoneFlags, 0x01);
  EXPECT_EQ(gEval.mustFixCount, 1);
  const std::vector<std::string> r = rows();
  ASSERT_GE(r.size(), 9u);
  EXPECT_EQ(r[6], "  左腕捩  (1 keys) (frame 2 - 2) (tws  60.0 (at 2)) ");
  EXPECT_EQ(r[7], "     ");
  EXPECT_EQ(r[8], "  左腕*");
}

TEST_F(Check, SampleMotionsCountEveryKey) {
  std::vector<std::string> files;
  for (const std::string& name : test_files::listFolder(KT_SAMPLES_DIR)) {
    if (name.size() > 4 && name.substr(name.size() - 4) == ".vmd")
      files.push_back(std::string(KT_SAMPLES_DIR) + "/" + name);
  }
  if (files.empty())
    GTEST_SKIP() << "no .vmd files in " << KT_SAMPLES_DIR;
  for (const std::string& path : files) {
    SCOPED_TRACE(path);
    checkPath(path);
    ASSERT_EQ(gFile.readResult, 0);
    // Every key of the file lands on some entry: nothing is lost to the lists' capacity.
    int64_t bones = 0, morphs = 0;
    for (int e = 1; e <= nameListCount(LIST_BONE); ++e)
      bones += gMotion.bones[e].keyCount;
    for (int e = 1; e <= nameListCount(LIST_MORPH); ++e)
      morphs += gMotion.morphs[e].keyCount;
    EXPECT_EQ(bones, gMotion.boneKeyTotal);
    EXPECT_EQ(morphs, gMotion.morphKeyTotal);
    EXPECT_GE(gReport.lineCount, 10);
    EXPECT_GT(std::strlen(gResult.text), 0u);
  }
}
