// The console front end run as a program: kinetrace --print and --json on synthetic motions,
// their standard output, standard error and exit status.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "app/console.h"
#include "common/program_run.h"
#include "common/vmd_builder.h"
#include "names/builtin_tables.h"

using test_program::copyProgramInto;
using test_program::kProgramPath;
using test_program::lines;
using test_program::Outcome;
using test_program::Output;
using test_program::RunOptions;
using test_program::runProgram;
using test_program::TO_FILE;
using test_program::TO_FULL_DEVICE;
using test_program::TO_TERMINAL;
using testing_vmd::about;
using testing_vmd::sjis;
using testing_vmd::TempDir;
using testing_vmd::VmdBuilder;
using Json = nlohmann::json;

namespace {

const char* const kTarget = "想定使用先: VRMモデル (Lumivane 3.10-3.11) ";
const char* const kOk = "(OK): そのままで使用可能です. ";

std::string withoutEscapes(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\x1b' && i + 1 < text.size() && text[i + 1] == '[') {
      i += 2;
      while (i < text.size() && text[i] != 'm')
        ++i;
      continue;
    }
    out += text[i];
  }
  return out;
}

std::string verdictAsPrinted(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
      continue;
    out += text[i];
  }
  return out;
}

class Console : public ::testing::Test {
protected:
  void SetUp() override {
    if (!test_files::exists(kProgramPath))
      GTEST_SKIP() << "kinetrace is not built (" << kProgramPath << "): build the kinetrace target";
  }
  std::string write(const std::string& name, const std::vector<uint8_t>& bytes) {
    return files_.write(name, bytes);
  }
  TempDir files_;
};

// A motion with one moving main bone and one expression.
std::vector<uint8_t> smallMotion() {
  VmdBuilder b;
  b.header(sjis("ミク")).count(1).bone(sjis("センター"), 0, 1.0f, 0, 0, {});
  b.count(1).morph(sjis("あ"), 0, 1.0f).emptyTail();
  return b.bytes;
}

const std::vector<std::string> kSmallRows = {
    "",
    "dance.vmd",
    "",
    "元モデル名: ミク ",
    kTarget,
    "",
    "使用ボーン: ",
    "  センター  (1 keys) (frame 0 - 0) (|pos|=1) ",
    "",
    "",
    "使用モーフ(表情): ",
    "  あ  (1 keys) (frame 0 - 0) (val 1 - 1) ",
    "",
    "",
    "",
};

std::string printed(const std::vector<std::string>& rows, const std::string& verdict) {
  std::string out;
  for (const std::string& row : rows)
    out += row + "\n";
  return out + "\n" + verdictAsPrinted(verdict) + "\n";
}

// A motion with a mildly twisted left arm, an ignored and an unknown bone, two morphs.
std::vector<uint8_t> richMotion() {
  VmdBuilder b;
  b.header(sjis("ミク")).count(6);
  b.bone(sjis("センター"), 0, 0.1f, 0, 0, {});
  b.bone(sjis("左腕"), 0);
  b.bone(sjis("左腕"), 20, about(0.819742, -0.572734, 0.0, 150));
  b.bone(sjis("髪1"), 3, about(0, 0, 1, 30));
  b.bone(sjis("髪2"), 4, about(0, 0, 1, 30));
  b.bone(sjis("ポニテ"), 5, about(0, 0, 1, 30));
  b.count(3).morph(sjis("まばたき"), 0, 0.0f).morph(sjis("まばたき"), 10, 1.0f);
  b.morph(sjis("テスト"), 7, 0.3f).emptyTail();
  return b.bytes;
}

} // namespace

// ---- Options ----

TEST_F(Console, VersionHelpAndOptions) {
  Outcome version = runProgram({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "Kinetrace 1.17\n");

  const std::string file = write("dance.vmd", smallMotion());
  write("-x.vmd", smallMotion());
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* out; // expected within standard output
    const char* err; // expected within standard error
  } cases[] = {
      {{"--help"}, 0, "--print", ""},
      {{"-h"}, 0, "--summary", ""},
      {{"--json", "--", "-x.vmd"}, 0, "\"file\":\"-x.vmd\"", ""},
      {{"--json", "-ND2", "-D", file}, 0, "\"file\":\"dance.vmd\"", ""},
      {{"--print", "--frobnicate", file}, 2, "", "unknown option --frobnicate\nusage"},
      {{"--print=yes", file}, 2, "", "unknown option --print=yes\nusage"},
      {{"--print", "--colour=always", file}, 2, "", "usage"},
      {{"--json", "-X", file}, 2, "", "unknown option -X\nusage"},
      {{"--json", "-x.vmd"}, 2, "", "unknown option -x.vmd\nusage"},
      {{"--json", "--color=always", file}, 2, "", "--color works with --print only\nusage"},
      {{"--color", file}, 2, "", "--color works with --print only\nusage"},
      {{"--json", "--fail-on=bad", file}, 2, "", "unknown --fail-on category bad"},
      {{"--fail-on=must-fix", file}, 2, "", "--fail-on works with"},
      {{"--json", "--summary", file}, 2, "", "cannot be combined"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + (c.args.size() > 1 ? c.args[1] : ""));
    RunOptions inFiles;
    inFiles.directory = files_.path();
    Outcome r = runProgram(c.args, inFiles);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_NE(r.out.find(c.out), std::string::npos) << r.out;
    EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
    if (c.status == 2) {
      EXPECT_EQ(r.out, "");
    }
  }

  // The window program's option pass would take "-x.vmd" for options: after "--" it gets
  // a path that does not begin with '-'.
  std::vector<std::string> args = {"kinetrace", "-ND", "--", "-x.vmd"};
  std::vector<char*> argv;
  for (std::string& a : args)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  int argc = 4;
  ConsoleOptions options;
  parseConsoleOptions(&argc, argv.data(), &options);
  ASSERT_EQ(argc, 3);
  EXPECT_STREQ(argv[1], "-ND");
  EXPECT_STREQ(argv[2], "./-x.vmd");
}

// ---- --print ----

TEST_F(Console, PrintWritesTheRowsThenTheVerdict) {
  const std::string file = write("dance.vmd", smallMotion());
  Outcome r = runProgram({"--print", file});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, printed(kSmallRows, kOk));
}

TEST_F(Console, PrintShowsTheVerdictWithLineFeeds) {
  VmdBuilder b;
  b.header().count(1).bone(sjis("腰"), 0, about(0, 1, 0, 20)).count(0).emptyTail();
  const std::string file = write("waist.vmd", b.bytes);
  Outcome r = runProgram({"--print", file});
  EXPECT_EQ(r.status, 0);
  const std::string verdict = "(やや荒れ): やや荒れる／ややズレると予測. \r\n\r\n  "
                              "未変換なら、変換／修正によって軽減できる場合が多く、 "
                              "\r\n  変換をお奨めします. \r\n  --\r\n  理由: \r\n  "
                              "[腰] が使用されています. \r\n  ";
  EXPECT_EQ(r.out.find('\r'), std::string::npos);
  const std::string tail = "\n\n" + verdictAsPrinted(verdict) + "\n";
  ASSERT_GE(r.out.size(), tail.size());
  EXPECT_EQ(r.out.substr(r.out.size() - tail.size()), tail);
}

TEST_F(Console, PrintSeveralFilesInOrder) {
  const std::string first = write("dance.vmd", smallMotion());
  VmdBuilder b;
  b.header().count(0).count(0).emptyTail();
  const std::string second = write("ダンス.vmd", b.bytes);
  Outcome r = runProgram({"--print", first, second});
  EXPECT_EQ(r.status, 0);
  const std::vector<std::string> secondRows = {
      "", "ダンス.vmd", "", kTarget, "", "使用ボーン: ", "", "使用モーフ(表情): ", "", "", "",
  };
  EXPECT_EQ(r.out, printed(kSmallRows, kOk) + printed(secondRows, kOk));
}

TEST_F(Console, FilesThatGiveNoVerdict) {
  VmdBuilder old;
  old.field("Vocaloid Motion Data 0001", 30).field("", 20).count(0).count(0).emptyTail();
  const std::string folder = files_.path() + "/folder.vmd";
  ASSERT_EQ(test_files::makeFolder(folder), 0);
  struct Case {
    std::string path;
    std::string name; // the name row and "file"
    std::string reason;
  } cases[] = {
      {write("old.vmd", old.bytes), "old.vmd", "not a VMD 0002 motion file"},
      {write("empty.vmd", {}), "empty.vmd", "not a VMD 0002 motion file"},
      {write("picture.vmd", {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13}),
       "picture.vmd", "not a VMD 0002 motion file"},
      {files_.path() + "/missing.vmd", "missing.vmd", "cannot open: No such file or directory"},
      {folder, "folder.vmd", "cannot open: Is a directory"},
      {std::string(300, 'a') + ".vmd", std::string(300, 'a') + ".vmd",
       "path too long (304 characters, at most 259)"},
  };
  const std::string good = write("dance.vmd", smallMotion());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reason + " " + c.name);
    const std::string err = "kinetrace: " + c.path + ": " + c.reason + "\n";
    Outcome printedOut = runProgram({"--print", good, c.path});
    EXPECT_EQ(printedOut.status, 2);
    EXPECT_EQ(printedOut.err, err);
    EXPECT_EQ(printedOut.out,
              printed(kSmallRows, kOk) + "\n" + c.name + "\n\n\n" + c.reason + "\n");

    Outcome json = runProgram({"--json", c.path});
    EXPECT_EQ(json.status, 2);
    EXPECT_EQ(json.err, err);
    ASSERT_EQ(lines(json.out).size(), 1u);
    const Json j = Json::parse(json.out);
    EXPECT_EQ(j["file"], c.name);
    EXPECT_EQ(j["path"], c.path);
    EXPECT_EQ(j["error"], c.reason);
    EXPECT_EQ(j["categories"], Json::array());
    EXPECT_EQ(j["resultText"], "");
    EXPECT_EQ(j["bones"], Json::array());
  }

  // An empty argument names no file, and still gets its line.
  Outcome empty = runProgram({"--json", ""});
  EXPECT_EQ(empty.status, 2);
  ASSERT_EQ(lines(empty.out).size(), 1u);
  EXPECT_EQ(Json::parse(empty.out)["error"], "cannot open: No such file or directory");
}

// A file that ends inside its declared records keeps the verdict of what was read but is
// an error; one that ends between blocks is a complete motion.
TEST_F(Console, MotionsCutShort) {
  auto bonesThen = [](int declared) {
    VmdBuilder b;
    b.header().count(declared).bone(sjis("センター"), 0, 1.0f, 0, 0, {});
    return b;
  };
  VmdBuilder insideHeader;
  insideHeader.header();
  insideHeader.bytes.resize(40);
  VmdBuilder insideBones = bonesThen(3);
  insideBones.field("x", 20);
  VmdBuilder insideMorphCount = bonesThen(1);
  insideMorphCount.field("", 2);
  VmdBuilder insideMorphs = bonesThen(1);
  insideMorphs.count(2).morph(sjis("あ"), 0, 1.0f).field("x", 7);
  VmdBuilder insideCamera = bonesThen(1);
  insideCamera.count(0).count(3).field("", 30);
  VmdBuilder noCamera = bonesThen(1);
  noCamera.count(0);
  VmdBuilder complete = bonesThen(1);
  complete.count(0).emptyTail();
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    const char* error; // nullptr: read whole
    int bonesRead, morphsDeclared, morphsRead;
  } cases[] = {
      {"header.vmd", insideHeader.bytes, "ends inside the header (read 40 of 50 bytes)", 0, 0, 0},
      {"bones.vmd", insideBones.bytes, "ends inside the bone keys (read 1 of 3)", 1, 0, 0},
      {"count.vmd", insideMorphCount.bytes, "ends inside the count of the morph keys", 1, 0, 0},
      {"morphs.vmd", insideMorphs.bytes, "ends inside the morph keys (read 1 of 2)", 1, 2, 1},
      {"camera.vmd", insideCamera.bytes, "ends inside the camera keys (read 0 of 3)", 1, 0, 0},
      {"nocamera.vmd", noCamera.bytes, nullptr, 1, 0, 0},
      {"complete.vmd", complete.bytes, nullptr, 1, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = write(c.name, c.bytes);
    Outcome json = runProgram({"--json", path});
    EXPECT_EQ(json.status, c.error != nullptr ? 2 : 0);
    EXPECT_EQ(json.err, c.error != nullptr ? "kinetrace: " + path + ": " + c.error + "\n" : "");
    const Json j = Json::parse(json.out);
    EXPECT_EQ(j["error"], c.error != nullptr ? Json(c.error) : Json(nullptr));
    EXPECT_EQ(j["categories"], Json::array({"(OK)"})) << "the verdict of what was read";
    EXPECT_EQ(j["blocks"]["bones"]["read"], c.bonesRead);
    EXPECT_EQ(j["blocks"]["morphs"]["declared"], c.morphsDeclared);
    EXPECT_EQ(j["blocks"]["morphs"]["read"], c.morphsRead);
    EXPECT_EQ(j["bones"].size(), static_cast<size_t>(c.bonesRead));

    Outcome text = runProgram({"--print", path});
    EXPECT_EQ(text.status, json.status);
    EXPECT_NE(text.out.find(kOk), std::string::npos);
  }
}

// Output that cannot be written is a failure, never a silent success.
TEST_F(Console, WriteErrorsFail) {
  if (!test_program::kFullDeviceOutput)
    GTEST_SKIP() << "Windows has no device that fails every write (NUL takes them all)";
  const std::string file = write("dance.vmd", smallMotion());
  for (const char* mode : {"--print", "--json", "--summary"}) {
    SCOPED_TRACE(mode);
    RunOptions toFull;
    toFull.output = TO_FULL_DEVICE;
    Outcome r = runProgram({mode, file, file}, toFull);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "kinetrace: cannot write output: No space left on device\n");
  }
}

// Names from a file cannot reach the terminal as control sequences.
TEST_F(Console, PrintShowsControlCharactersAsQuestionMarks) {
  VmdBuilder b;
  b.header("\x1b]0;owned\x07")
      .count(1)
      .bone("\x1b[31m\x7f"
            "ab",
            0, 1.0f, 0, 0, {});
  b.count(0).emptyTail();
  const std::string file = write("control.vmd", b.bytes);
  for (const char* colour : {"--color=never", "--color=always"}) {
    SCOPED_TRACE(colour);
    Outcome r = runProgram({"--print", colour, file});
    EXPECT_EQ(r.status, 0);
    const std::string text = withoutEscapes(r.out);
    EXPECT_EQ(text.find_first_of(std::string("\x1b\x07\x7f", 3)), std::string::npos) << text;
    EXPECT_NE(text.find("?]0;owned?"), std::string::npos) << text;
    EXPECT_NE(text.find("?[31m?ab"), std::string::npos) << text;
  }
  Outcome json = runProgram({"--json", file});
  EXPECT_EQ(Json::parse(json.out)["model"], "\x1b]0;owned\x07") << "JSON escapes them itself";
}

// --summary's lines, and --fail-on's gate over every console mode.
TEST_F(Console, SummaryAndFailOn) {
  VmdBuilder serious;
  serious.header().count(2).bone(sjis("左腕捩"), 1, {0.5f, 0, 0, 0.8660254f});
  serious.bone(sjis("左肩P"), 1, about(0, 0, 1, 20)).count(0).emptyTail();
  const std::string ok = write("ok.vmd", smallMotion());
  const std::string mild = write("mild.vmd", richMotion());
  const std::string both = write("both.vmd", serious.bytes);
  const std::string missing = files_.path() + "/missing.vmd";

  Outcome r = runProgram({"--summary", ok, mild, both, missing});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, ok + "\tok\t1\t1\t0.0\n" + mild + "\tslightly-rough\t4\t2\t150.0\n" + both +
                       "\tmust-fix,check-readme\t2\t0\t0.0\n" + missing +
                       "\terror: cannot open: No such file or directory\t0\t0\t0.0\n");
  if (test_program::kTerminalOutput) { // no pseudo-terminal on Windows
    RunOptions toTerminal;
    toTerminal.output = TO_TERMINAL;
    Outcome terminal = runProgram({"--summary", ok}, toTerminal);
    EXPECT_EQ(lines(terminal.out).at(0), "path\tverdict\tbones\tmorphs\tarm-twist");
  }

  struct Case {
    const char* mode;
    const char* failOn;
    std::vector<std::string> files;
    int status;
  } cases[] = {
      {"--summary", "must-fix", {ok, both}, 3},
      {"--json", "check-readme", {both}, 3},
      {"--print", "slightly-rough", {ok, mild}, 3},
      {"--print", "somewhat-rough", {ok, mild}, 0},
      {"--json", "must-fix", {ok, mild}, 0},
      {"--summary", "slightly-rough", {mild, missing}, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.mode) + " " + c.failOn);
    std::vector<std::string> args = {c.mode, std::string("--fail-on=") + c.failOn};
    args.insert(args.end(), c.files.begin(), c.files.end());
    EXPECT_EQ(runProgram(args).status, c.status);
  }
}

// ---- Colours ----

TEST_F(Console, ColourChoice) {
  const std::string file = write("dance.vmd", richMotion());
  const Outcome plain = runProgram({"--print", "--color=never", file});
  ASSERT_EQ(plain.status, 0);
  ASSERT_EQ(plain.out.find('\x1b'), std::string::npos);

  struct Case {
    std::vector<std::string> args;
    Output output;
    const char* noColor;
    bool coloured;
    const char* what;
  } cases[] = {
      {{"--print", file}, TO_FILE, nullptr, false, "auto, not a terminal"},
      {{"--print", "--color=auto", file}, TO_FILE, nullptr, false, "explicit auto"},
      {{"--print", "--color=always", file}, TO_FILE, nullptr, true, "always"},
      {{"--print", "--color=always", file}, TO_FILE, "1", true, "always overrides NO_COLOR"},
      {{"--print", file}, TO_TERMINAL, nullptr, true, "auto on a terminal"},
      {{"--print", file}, TO_TERMINAL, "1", false, "NO_COLOR on a terminal"},
      {{"--print", "--color=never", file}, TO_TERMINAL, nullptr, false, "never on a terminal"},
      {{"--print", file}, TO_TERMINAL, nullptr, false, "a dumb terminal"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.output == TO_TERMINAL && !test_program::kTerminalOutput)
      continue; // no pseudo-terminal on Windows
    const bool dumb = std::strcmp(c.what, "a dumb terminal") == 0;
    RunOptions options;
    options.output = c.output;
    options.noColor = c.noColor;
    options.term = dumb ? "dumb" : "xterm";
    Outcome r = runProgram(c.args, options);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(withoutEscapes(r.out), plain.out);
    EXPECT_EQ(r.out.find('\x1b') != std::string::npos, c.coloured);
    if (!c.coloured)
      continue;
    // Each coloured row starts with its 24-bit colour.
    bool armFound = false, centreFound = false;
    for (const std::string& line : lines(r.out)) {
      if (withoutEscapes(line).rfind("  左腕 ", 0) == 0) {
        armFound = true;
        EXPECT_EQ(line.rfind("\x1b[38;2;250;250;150m", 0), 0u) << line;
      }
      if (withoutEscapes(line).rfind("  センター ", 0) == 0) {
        centreFound = true;
        EXPECT_EQ(line.rfind("  センター ", 0), 0u) << "white is the terminal's own colour";
      }
    }
    EXPECT_TRUE(armFound);
    EXPECT_TRUE(centreFound);
  }
}

// ---- --json ----

TEST_F(Console, JsonObjectPerFile) {
  const std::string file = write("dance.vmd", richMotion());
  Outcome r = runProgram({"--json", file});
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  const std::vector<std::string> objects = lines(r.out);
  ASSERT_EQ(objects.size(), 1u);
  const Json j = Json::parse(objects[0]);

  auto keysOf = [](const Json& object) {
    std::vector<std::string> keys;
    for (auto it = object.begin(); it != object.end(); ++it)
      keys.push_back(it.key());
    std::sort(keys.begin(), keys.end());
    return keys;
  };
  auto sorted = [](std::vector<std::string> keys) {
    std::sort(keys.begin(), keys.end());
    return keys;
  };
  EXPECT_EQ(keysOf(j),
            sorted({"file", "path", "readResult", "error", "model", "categories", "resultText",
                    "counters", "flags", "blocks", "lines", "bones", "morphs"}));
  EXPECT_EQ(keysOf(j["counters"]), sorted({"mustFixCount", "checkReadmeCount", "somewhatRoughCount",
                                           "slightlyRoughCount"}));
  EXPECT_EQ(keysOf(j["flags"]),
            sorted({"twistBoneFlags", "upperBody2Flag", "plusBoneFlags", "legDFlags", "armDFlags",
                    "extraParentFlags", "legIkParentRotFlags", "shoulderPFlags",
                    "armTwistStrongFlags", "armTwistMildFlags", "lowerBodyRating", "waistUsed"}));

  EXPECT_EQ(j["file"], "dance.vmd");
  EXPECT_EQ(j["path"], file);
  EXPECT_EQ(j["readResult"], 0);
  EXPECT_EQ(j["error"], nullptr);
  const Json zero = {{"declared", 0}, {"read", 0}};
  EXPECT_EQ(j["blocks"], Json({{"bones", {{"declared", 6}, {"read", 6}}},
                               {"morphs", {{"declared", 3}, {"read", 3}}},
                               {"camera", zero},
                               {"light", zero},
                               {"selfShadow", zero},
                               {"showIk", zero}}));
  EXPECT_EQ(j["model"], "ミク");
  EXPECT_EQ(j["categories"], Json::array({"(少し荒れ)"}));
  EXPECT_EQ(j["counters"]["slightlyRoughCount"], 1);
  EXPECT_EQ(j["counters"]["mustFixCount"], 0);
  EXPECT_EQ(j["flags"]["armTwistMildFlags"], 1);
  EXPECT_EQ(j["flags"]["lowerBodyRating"], 0);
  const std::string verdict = j["resultText"];
  EXPECT_EQ(verdict.rfind("(少し荒れ): 少し荒れる／少しズレると予測. \r\n\r\n", 0), 0u) << verdict;

  // Lines: the report rows with their colours.
  const Json& rowsJson = j["lines"];
  ASSERT_GE(rowsJson.size(), 10u);
  EXPECT_EQ(rowsJson[1]["text"], "dance.vmd");
  bool armRow = false;
  for (const Json& row : rowsJson) {
    EXPECT_EQ(keysOf(row), sorted({"text", "colour"}));
    const std::string colour = row["colour"];
    EXPECT_EQ(colour.size(), 7u);
    EXPECT_EQ(colour[0], '#');
    EXPECT_EQ(colour.find_first_not_of("#0123456789abcdef"), std::string::npos) << colour;
    const std::string text = row["text"];
    if (text.rfind("  左腕 ", 0) == 0) {
      armRow = true;
      EXPECT_EQ(colour, "#fafa96");
    }
  }
  EXPECT_TRUE(armRow);

  // Bones: every entry with a key, in entry order.
  const Json& bones = j["bones"];
  ASSERT_EQ(bones.size(), 4u);
  const std::vector<std::string> boneKeys = sorted(
      {"entry", "name", "group", "keyCount", "firstFrame", "lastFrame", "moved", "maxTranslation",
       "maxRotation", "twistPlusMax", "twistPlusFrame", "twistMinusMax", "twistMinusFrame"});
  for (const Json& bone : bones)
    EXPECT_EQ(keysOf(bone), boneKeys);
  EXPECT_EQ(bones[0]["entry"], 3);
  EXPECT_EQ(bones[0]["name"], "センター");
  EXPECT_EQ(bones[0]["group"], 1);
  EXPECT_EQ(bones[0]["maxTranslation"].get<double>(), 0.1) << "the shortest decimal of 0.1f";
  EXPECT_EQ(bones[1]["entry"], 6);
  EXPECT_EQ(bones[1]["name"], "左腕");
  EXPECT_EQ(bones[1]["keyCount"], 2);
  EXPECT_EQ(bones[1]["firstFrame"], 0);
  EXPECT_EQ(bones[1]["lastFrame"], 20);
  EXPECT_TRUE(bones[1]["moved"] == true || bones[1]["moved"] == 255) << bones[1]["moved"];
  EXPECT_EQ(bones[1]["twistPlusFrame"], 20);
  EXPECT_EQ(bones[1]["twistMinusFrame"], -1);
  EXPECT_EQ(bones[1]["twistMinusMax"].get<double>(), 0.0);
  EXPECT_NEAR(bones[1]["twistPlusMax"].get<double>(), std::sin(75.0 * M_PI / 180.0), 2e-6);
  EXPECT_EQ(bones[2]["name"], "髪*");
  EXPECT_EQ(bones[2]["group"], 3);
  EXPECT_EQ(bones[2]["keyCount"], 2);
  EXPECT_EQ(bones[3]["entry"], 471);
  EXPECT_EQ(bones[3]["name"], "ポニテ");
  EXPECT_EQ(bones[3]["group"], 4);

  const Json& morphs = j["morphs"];
  ASSERT_EQ(morphs.size(), 2u);
  const std::vector<std::string> morphKeys = sorted(
      {"entry", "name", "group", "keyCount", "firstFrame", "lastFrame", "minWeight", "maxWeight"});
  for (const Json& morph : morphs)
    EXPECT_EQ(keysOf(morph), morphKeys);
  EXPECT_EQ(morphs[0]["entry"], 13);
  EXPECT_EQ(morphs[0]["name"], "まばたき");
  EXPECT_EQ(morphs[0]["keyCount"], 2);
  EXPECT_EQ(morphs[0]["lastFrame"], 10);
  EXPECT_EQ(morphs[0]["minWeight"].get<double>(), 0.0);
  EXPECT_EQ(morphs[0]["maxWeight"].get<double>(), 1.0);
  EXPECT_EQ(morphs[1]["entry"], 63);
  EXPECT_EQ(morphs[1]["group"], 3);
  EXPECT_EQ(morphs[1]["minWeight"].get<double>(), 0.3) << "the shortest decimal of 0.3f";
  // The raw text carries the short form too.
  EXPECT_NE(objects[0].find("\"minWeight\":0.3,"), std::string::npos);
}

// Floats whose widened double has no short decimal: the text must be the float's own.
TEST_F(Console, JsonFloatsAreTheShortestDecimalOfTheFloat) {
  VmdBuilder b;
  b.header().count(1).bone(sjis("センター"), 0, 0.8788493f, 0, 0, {});
  b.count(2).morph(sjis("あ"), 0, 0.20236817f).morph(sjis("い"), 0, 0.9876915f).emptyTail();
  Outcome r = runProgram({"--json", write("floats.vmd", b.bytes)});
  ASSERT_EQ(r.status, 0);
  for (const char* expected :
       {"\"maxTranslation\":0.8788493,", "\"minWeight\":0.20236817,", "\"maxWeight\":0.9876915}"})
    EXPECT_NE(r.out.find(expected), std::string::npos) << expected << " in " << r.out;
  const Json j = Json::parse(r.out);
  EXPECT_EQ(j["bones"][0]["maxTranslation"].get<float>(), 0.8788493f);
}

// Entries are written straight into the line; a name the dump must escape goes through it,
// and the entry's members must follow it whole.
TEST_F(Console, JsonEntriesKeepNamesThatNeedEscaping) {
  const std::string names[] = {"a\"b",
                               "c\\d",
                               "\x01"
                               "e",
                               "f\x7f",
                               "\x1b[31m",
                               sjis("表\"情")};
  VmdBuilder b;
  b.header().count(static_cast<int>(std::size(names)));
  for (size_t i = 0; i < std::size(names); ++i)
    b.bone(names[i], static_cast<int>(i), 0.25f, 0, 0, {});
  b.count(static_cast<int>(std::size(names)));
  for (size_t i = 0; i < std::size(names); ++i)
    b.morph(names[i], static_cast<int>(i), 0.5f);
  b.emptyTail();
  Outcome r = runProgram({"--json", write("escapes.vmd", b.bytes)});
  ASSERT_EQ(r.status, 0);
  ASSERT_EQ(lines(r.out).size(), 1u);
  const Json j = Json::parse(r.out);
  ASSERT_EQ(j["bones"].size(), std::size(names));
  ASSERT_EQ(j["morphs"].size(), std::size(names));
  for (size_t i = 0; i < std::size(names); ++i) {
    const std::string expected = i + 1 < std::size(names) ? names[i] : "表\"情";
    const Json& bone = j["bones"][i];
    const Json& morph = j["morphs"][i];
    EXPECT_EQ(bone["name"], expected);
    EXPECT_EQ(morph["name"], expected);
    EXPECT_EQ(bone["entry"], BUILTIN_BONE_COUNT + 1 + static_cast<int>(i));
    EXPECT_EQ(bone["firstFrame"], static_cast<int>(i));
    EXPECT_EQ(bone["maxTranslation"].get<float>(), 0.25f);
    EXPECT_EQ(morph["lastFrame"], static_cast<int>(i));
    EXPECT_EQ(morph["maxWeight"].get<float>(), 0.5f);
  }
}

TEST_F(Console, JsonForSeveralAndUnreadableFiles) {
  VmdBuilder b;
  b.header().count(2).bone(sjis("左腕捩"), 1, {0.5f, 0, 0, 0.8660254f});
  b.bone(sjis("左肩P"), 1, about(0, 0, 1, 20)).count(0).emptyTail();
  const std::string both = write("both.vmd", b.bytes);
  const std::string missing = files_.path() + "/missing.vmd";
  const std::string ok = write("ok.vmd", smallMotion());
  Outcome r = runProgram({"--json", both, missing, ok});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(lines(r.err).size(), 1u);
  const std::vector<std::string> objects = lines(r.out);
  ASSERT_EQ(objects.size(), 3u);
  const Json first = Json::parse(objects[0]);
  const Json second = Json::parse(objects[1]);
  const Json third = Json::parse(objects[2]);
  EXPECT_EQ(first["categories"], Json::array({"(要修正)", "(確認要)"}));
  EXPECT_EQ(first["counters"]["mustFixCount"], 1);
  EXPECT_EQ(first["counters"]["checkReadmeCount"], 1);
  EXPECT_EQ(first["flags"]["twistBoneFlags"], 1);
  EXPECT_EQ(first["flags"]["shoulderPFlags"], 1);
  EXPECT_EQ(second["readResult"], -1);
  EXPECT_EQ(second["categories"], Json::array());
  EXPECT_EQ(third["readResult"], 0);
  EXPECT_EQ(third["file"], "ok.vmd");
}

TEST_F(Console, JsonFileKeepsWhatShiftJisCannotHold) {
  // ～ ― ＼ have code page 932 codes and stay in the report row too; 〜 — 😀 do not.
  const std::vector<uint8_t> motion = smallMotion();
  for (const char* name : {"ダンス～―＼.vmd", "波〜線—😀.vmd"}) {
    Outcome r = runProgram({"--json", write(name, motion)});
    ASSERT_EQ(r.status, 0) << name;
    Json j = Json::parse(lines(r.out)[0]);
    EXPECT_EQ(j["file"], name);
    EXPECT_EQ(j["readResult"], 0);
  }
  Outcome r = runProgram({"--print", "--color=never", files_.path() + "/ダンス～―＼.vmd"});
  EXPECT_EQ(lines(r.out)[1], "ダンス～―＼.vmd");
}

// ---- alias.ini beside the program ----

TEST_F(Console, AliasFileBesideTheProgram) {
  // A copy of the program in a folder of its own, so that its alias.ini affects no one else.
  TempDir program;
  RunOptions copy;
  copy.program = copyProgramInto(program);
  ASSERT_NE(copy.program, "");
  const std::string file = write("dance.vmd", smallMotion());
  program.write("alias.ini",
                {'"',  0xE3, 0x82, 0xBB, 0xE3, 0x83, 0xB3, 0xE3, 0x82, 0xBF, 0xE3, 0x83,
                 0xBC, '"',  'F',  ' ',  'C',  'e',  'n',  't',  'e',  'r',  '\n'});
  Outcome r = runProgram({"--print", file}, copy);
  EXPECT_EQ(r.status, 0);
  const std::vector<std::string> out = lines(r.out);
  ASSERT_GE(out.size(), 12u);
  EXPECT_EQ(out[3], "Source model: ミク ");
  EXPECT_EQ(out[4], "Target model: VRM model (Lumivane 3.10-3.11) ");
  EXPECT_EQ(out[6], "Bones: ");
  EXPECT_EQ(out[7], "  Center  (1 keys) (frame 0 - 0) (|pos|=1) ");
  EXPECT_EQ(out[10], "Morphing (Expression): ");
  EXPECT_NE(r.out.find(kOk), std::string::npos) << "the verdict stays Japanese";
}
