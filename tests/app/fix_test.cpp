// --fix and --fix-into through the built program: the copy's arm chains play as the
// source's at every frame (measured here, from both files), the verdict no longer names the
// folded bones, and every refusal and failure leaves nothing behind.
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/program_run.h"
#include "common/vmd_builder.h"
#include "fix/motion_keys.h"

namespace {

using test_program::Outcome;
using test_program::runProgram;
using testing_vmd::about;
using testing_vmd::sjis;
using testing_vmd::TempDir;
using testing_vmd::VmdBuilder;

std::string bytesOf(const VmdBuilder& b) {
  return std::string(b.bytes.begin(), b.bytes.end());
}

// The chain of a side after its wrist, as MMD plays the source (肩C turns 肩P back) and as
// the viewer plays the copy (no 肩P, 腕捩, 手捩), at a frame.
FixQuat chain(const FixTrack* t, double frame, bool source) {
  FixQuat q[CHAIN_BONE_COUNT];
  for (int bone = 0; bone < CHAIN_BONE_COUNT; ++bone)
    fixTrackRotation(&t[bone], frame, nullptr, &q[bone]);
  const FixQuat identity = {0, 0, 0, 1};
  if (!source)
    q[CHAIN_SHOULDER_P] = q[CHAIN_ARM_TWIST] = q[CHAIN_HAND_TWIST] = identity;
  FixQuat r = q[CHAIN_SHOULDER_P];
  const FixQuat cancel = fixQuatInverse(&q[CHAIN_SHOULDER_P]);
  const FixQuat order[] = {q[CHAIN_SHOULDER],  cancel,         q[CHAIN_ARM],
                           q[CHAIN_ARM_TWIST], q[CHAIN_ELBOW], q[CHAIN_HAND_TWIST],
                           q[CHAIN_WRIST]};
  for (const FixQuat& part : order)
    fixQuatMultiply(&r, &r, &part);
  return r;
}

// The largest difference of the two sides' chains over every frame from 0 to lastFrame.
double worstChainDifference(const std::string& source, const std::string& copy, int lastFrame) {
  static FixScan a, b;
  EXPECT_EQ(fixScanMotion(&a, "", test_text::widePathOf(source).c_str(), 1), SCAN_OK);
  EXPECT_EQ(fixScanMotion(&b, "", test_text::widePathOf(copy).c_str(), 1), SCAN_OK);
  double worst = 0.0;
  for (int side = 0; side < FIX_SIDE_COUNT; ++side) {
    for (int f = 0; f <= lastFrame; ++f) {
      const FixQuat want = chain(a.tracks[side], f, true);
      const FixQuat got = chain(b.tracks[side], f, false);
      worst = std::max(worst, fixRotationAngle(&want, &got));
    }
  }
  return worst;
}

bool has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(Fix, EachFoldPlaysAsTheSourceAndTheVerdictDropsIt) {
  const auto arm = [](double d) { return about(0.82, -0.57, 0, d); };
  const struct {
    const char* what;
    VmdBuilder motion;
    std::vector<std::string> expected; // in the JSON line
    std::vector<std::string> absent;   // not in the copy's --json
  } cases[] = {
      {"arm twist",
       VmdBuilder()
           .header()
           .count(4)
           .bone(sjis("左腕"), 0, about(0, 0, 1, 40))
           .bone(sjis("左腕"), 30, about(0, 0, 1, -50))
           .bone(sjis("左腕捩"), 0, arm(10))
           .bone(sjis("左腕捩"), 30, arm(170)),
       {"\"bone\":\"左腕\",\"keysBefore\":2", "\"categoriesBefore\":[\"(要修正)\"]"},
       {"\"twistBoneFlags\":1"}},
      {"hand twist, keys out of order, one twice at a frame",
       VmdBuilder()
           .header()
           .count(4)
           .bone(sjis("右手捩"), 20, about(0.8, 0.6, 0, 60))
           .bone(sjis("右手首"), 10, about(0, 1, 0, 30))
           .bone(sjis("右手捩"), 0, about(0.8, 0.6, 0, 5))
           .bone(sjis("右手捩"), 20, about(0.8, 0.6, 0, -30)),
       {"\"bone\":\"右手首\",\"keysBefore\":1", "\"folded\":[{\"bone\":\"右手捩\",\"keys\":3}]"},
       {"\"twistBoneFlags\":8"}},
      {"shoulder P, whose twist key also moves",
       VmdBuilder()
           .header()
           .count(5)
           .bone(sjis("左肩P"), 0, about(0, 0, 1, 15))
           .bone(sjis("左肩P"), 12, about(0, 0, 1, -20))
           .bone(sjis("左肩"), 6, about(1, 0, 0, 25))
           .bone(sjis("左腕"), 0, about(0, 1, 0, 35))
           .bone(sjis("左腕捩"), 9, 0.5f, 0, 0, arm(30)),
       {"\"bone\":\"左肩\",\"keysBefore\":1", "\"reason\":\"its movement cannot be kept",
        "\"maxDifferenceBone\""},
       {"\"shoulderPFlags\":1"}},
      {"full-width names keyed alone are renamed; both forms keyed stay",
       VmdBuilder()
           .header()
           .count(4)
           .bone(sjis("上半身２"), 0, about(1, 0, 0, 20))
           .bone(sjis("左足ＩＫ親"), 0, about(0, 1, 0, 20))
           .bone(sjis("右足ＩＫ親"), 0, about(0, 1, 0, 9))
           .bone(sjis("右足IK親"), 5, about(0, 1, 0, 9)),
       {"{\"from\":\"上半身２\",\"to\":\"上半身2\",\"keys\":1}", "\"from\":\"左足ＩＫ親\"",
        "{\"bone\":\"右足ＩＫ親\",\"reason\":\"both forms of the name are keyed\"}"},
       {"\"upperBody2Flag\":-1", "\"extraParentFlags\":2"}},
      {"nothing to correct",
       VmdBuilder().header().count(1).bone(sjis("頭"), 0, about(1, 0, 0, 20)),
       {"\"unchanged\":true", "\"corrected\":[]"},
       {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir d;
    VmdBuilder motion = c.motion;
    motion.count(1).morph(sjis("あ"), 0, 1.0f).emptyTail().raw("end", 3);
    const std::string in = d.write("in.vmd", motion.bytes);
    const Outcome r = runProgram({"--fix", d.path("out.vmd"), "--json", in});
    ASSERT_EQ(r.status, 0) << r.err;
    for (const std::string& part : c.expected)
      EXPECT_TRUE(has(r.out, part)) << part << "\n" << r.out;
    EXPECT_LE(worstChainDifference(in, d.path("out.vmd"), 40), 0.05);
    const std::string copy = test_files::readFile(d.path("out.vmd"));
    const std::string tail =
        bytesOf(VmdBuilder().count(1).morph(sjis("あ"), 0, 1.0f).emptyTail().raw("end", 3));
    EXPECT_EQ(copy.substr(copy.size() - tail.size()), tail);
    const Outcome again = runProgram({"--json", d.path("out.vmd")});
    EXPECT_EQ(again.status, 0);
    for (const std::string& part : c.absent)
      EXPECT_FALSE(has(again.out, part)) << part;
  }
}

TEST(Fix, SharedSampleDancesKeepTheirArmChains) {
  const struct {
    const char* name;
    int lastFrame;
  } samples[] = {{"miu200521358__mmd_base__サンプルモーション2.vmd", 7410},
                 {"shiroha-233__MC-MMD-rust__swingLeft.vmd", 60},
                 {"miu200521358__mlib_go__サンプルモーション_0046.vmd", 10}};
  TempDir d;
  int found = 0;
  for (const auto& s : samples) {
    const std::string in = std::string(KT_SAMPLES_DIR) + "/" + s.name;
    if (test_files::readFile(in).empty())
      continue;
    ++found;
    SCOPED_TRACE(s.name);
    const Outcome r = runProgram({"--fix-into", d.path(), "--json", in});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string out = d.path(s.name);
    EXPECT_LE(worstChainDifference(in, out, s.lastFrame), 0.05);
    const Outcome copy = runProgram({"--json", out});
    EXPECT_TRUE(has(copy.out, "\"twistBoneFlags\":0,")) << copy.out.substr(0, 600);
    EXPECT_TRUE(has(copy.out, "\"shoulderPFlags\":0,"));
    // Folding more than one turning bone costs keys, but never a key at every frame.
    const long before = std::stol(r.out.substr(r.out.find("\"boneKeysBefore\":") + 17));
    const long after = std::stol(r.out.substr(r.out.find("\"boneKeysAfter\":") + 16));
    EXPECT_LE(after, before * 3 / 2 + 100) << before << " -> " << after;
  }
  if (found == 0)
    GTEST_SKIP() << "the shared sample dances are not in " << KT_SAMPLES_DIR;
}

TEST(Fix, RefusalsAndFailuresLeaveNothingBehind) {
  VmdBuilder b;
  b.header().count(2).bone(sjis("左腕捩"), 0, about(1, 0, 0, 30)).bone(sjis("左腕"), 0);
  b.count(1).morph(sjis("あ"), 0, 1.0f).emptyTail();
  const std::string motion = bytesOf(b);
  const struct {
    const char* what;
    std::vector<std::string> args; // "IN" the motion, "OUT" the copy's path, in the folder
    std::string input;             // the motion's bytes
    bool outExists;                // OUT holds "old" before
    int status;
    const char* message;
  } cases[] = {
      {"cut inside the morphs",
       {"--fix", "OUT", "IN"},
       motion.substr(0, motion.size() - 20),
       false,
       2,
       "ends inside the morph keys"},
      {"cut inside the bones",
       {"--fix", "OUT", "IN"},
       motion.substr(0, 100),
       false,
       2,
       "ends inside the bone keys"},
      {"not a motion", {"--fix", "OUT", "IN"}, "plain text", false, 2, "not a VMD 0002"},
      {"an existing copy", {"--fix", "OUT", "IN"}, motion, true, 1, "exists (--overwrite"},
      {"the motion itself",
       {"--fix", "IN", "--overwrite", "IN"},
       motion,
       false,
       1,
       "refusing to write over the motion itself"},
      {"a missing folder", {"--fix", "OUT/x.vmd", "IN"}, motion, false, 1, "cannot write"},
      {"with --print", {"--fix", "OUT", "--print", "IN"}, motion, false, 2, "take --json"},
      {"two motions for --fix",
       {"--fix", "OUT", "IN", "IN"},
       motion,
       false,
       2,
       "--fix takes exactly one"},
      {"--overwrite alone",
       {"--overwrite", "--json", "IN"},
       motion,
       false,
       2,
       "--overwrite works with --fix"},
      {"no name", {"IN", "--fix"}, motion, false, 2, "--fix needs the name"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir d;
    const std::string in = d.write("in.vmd", c.input);
    if (c.outExists)
      d.write("out.vmd", "old");
    std::vector<std::string> args;
    for (const std::string& a : c.args)
      args.push_back(a == "IN" ? in : a.rfind("OUT", 0) == 0 ? d.path("out.vmd") + a.substr(3) : a);
    const Outcome r = runProgram(args);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_TRUE(has(r.err, c.message)) << r.err;
    EXPECT_EQ(test_files::readFile(in), c.input);
    const size_t left = c.outExists ? 2 : 1; // the motion, and the old copy untouched
    EXPECT_EQ(test_files::listFolder(d.path()).size(), left);
    if (c.outExists) {
      EXPECT_EQ(test_files::readFile(d.path("out.vmd")), "old");
    }
  }
}

#ifndef _WIN32
// A full disk, as a file size limit gives it: status 1, no copy, no temporary file; and a
// link to the motion is the motion.
TEST(Fix, AFullDiskOrALinkToTheMotionGivesNoCopy) {
  TempDir d;
  VmdBuilder b;
  b.header().count(300);
  for (int i = 0; i < 300; ++i)
    b.bone(sjis("左腕捩"), i, about(1, 0, 0, i));
  const std::string in = d.write("in.vmd", b.bytes);
  test_program::RunOptions limited;
  limited.program = "/bin/sh";
  const Outcome full = runProgram({"-c", "ulimit -f 8; exec \"$0\" --fix \"$1\" \"$2\"",
                                   test_program::kProgramPath, d.path("out.vmd"), in},
                                  limited);
  EXPECT_EQ(full.status, 1) << full.err;
  EXPECT_TRUE(has(full.err, "cannot write: File too large")) << full.err;
  ASSERT_EQ(symlink(in.c_str(), d.path("link.vmd").c_str()), 0);
  const Outcome link = runProgram({"--fix", d.path("link.vmd"), "--overwrite", in});
  EXPECT_EQ(link.status, 1);
  EXPECT_TRUE(has(link.err, "over the motion itself")) << link.err;
  EXPECT_EQ(test_files::listFolder(d.path()), (std::vector<std::string>{"in.vmd", "link.vmd"}));
}
#endif

TEST(Fix, FixIntoWritesEachMotionAndFailOnJudgesTheCopy) {
  TempDir d;
  d.folder("into");
  VmdBuilder twist;
  twist.header().count(1).bone(sjis("右腕捩"), 0, about(1, 0, 0, 30));
  VmdBuilder ik;
  ik.header().count(1).bone(sjis("左足D"), 0, about(1, 0, 0, 20));
  const std::string a = d.write("a.vmd", twist.bytes);
  const std::string b = d.write("b.vmd", ik.bytes);
  // The twist folds away: must-fix is not reached by the copies; check-readme is, by the
  // D bone the correction leaves.
  const Outcome mustFix = runProgram({"--fix-into", d.path("into"), "--fail-on=must-fix", a, b});
  EXPECT_EQ(mustFix.status, 0) << mustFix.err;
  EXPECT_EQ(test_files::listFolder(d.path("into")), (std::vector<std::string>{"a.vmd", "b.vmd"}));
  EXPECT_TRUE(has(mustFix.out, "a.vmd -> " + d.path("into") + "/a.vmd\n"));
  EXPECT_TRUE(has(mustFix.out, "左足D: needs the model's skeleton"));
  const Outcome again =
      runProgram({"--fix-into", d.path("into"), "--overwrite", "--fail-on=check-readme", a, b});
  EXPECT_EQ(again.status, 3) << again.err;
}

} // namespace
