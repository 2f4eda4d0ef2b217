// The run sequence, driven with a recording display and scripted dialogs: which files get
// a turn, in which order, what the user is asked, what the verdict box shows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/report.h"
#include "app/run.h"
#include "app/startup.h"
#include "app/state.h"
#include "common/vmd_builder.h"
#include "text/dialogs.h"
#include "text/encoding.h"
#include "text/paths.h"

using test_text::utf8Of;
using testing_vmd::sjis;
using testing_vmd::TempDir;
using testing_vmd::VmdBuilder;

namespace {

struct Turn {
  std::string ansiPath;
  std::string actualName;
  int readResult;
  std::string result; // the verdict, UTF-8
};

struct Box {
  std::u16string text;
  std::u16string caption;
  unsigned style;
};

// ---- Recording doubles ----

struct Script {
  std::vector<Turn> turns;
  std::vector<Box> boxes;
  std::vector<int> pauses;
  std::vector<int> boxAnswers;    // answers in order; IDOK when they run out
  std::vector<std::string> drops; // UTF-8 paths dropped during the first turn
  bool fontMissing = false;
  std::u16string dialogChoice; // empty: the open dialog is cancelled
  int dialogCalls = 0;
  int shutdowns = 0;
};
Script gScript;

int fakePrepare() {
  return 0;
}

int fakeRunViewer() {
  gScript.turns.push_back(
      {gFile.ansiPath, gFile.actualName, gFile.readResult, utf8Of(gResult.text)});
  if (gScript.turns.size() == 1 && !gScript.drops.empty()) {
    for (const std::string& path : gScript.drops) {
      std::string ansi = testing_vmd::ansiPathOf(path);
      std::u16string wide(ansi.begin(), ansi.end());
      addarg(&gArgTable, ansi.c_str());
      addargW(&gArgTableW, wide.c_str());
    }
    return VIEWER_DROPPED;
  }
  return VIEWER_DISMISSED;
}

int fakeFontMissing() {
  return gScript.fontMissing ? 1 : 0;
}
void fakeShutdown() {
  gScript.shutdowns++;
}

const DisplayHandover kFakeDisplay = {fakePrepare, fakeRunViewer, fakeFontMissing, fakeShutdown};

int fakeBox(const char16_t* text, const char16_t* caption, unsigned style, void*) {
  gScript.boxes.push_back({text, caption, style});
  size_t asked = gScript.boxes.size();
  return asked <= gScript.boxAnswers.size() ? gScript.boxAnswers[asked - 1] : IDOK;
}

int fakeOpenDialog(OpenDialogRecord* record) {
  gScript.dialogCalls++;
  if (gScript.dialogChoice.empty())
    return DIALOG_CANCELLED;
  size_t n = gScript.dialogChoice.copy(record->fileW, PATH_SIZE - 1);
  record->fileW[n] = 0;
  return DIALOG_FILE_CHOSEN;
}

void recordPause(int milliseconds) {
  gScript.pauses.push_back(milliseconds);
}

class RunSequence : public ::testing::Test {
protected:
  void SetUp() override {
    gScript = Script{};
    setDisplayHandover(&kFakeDisplay);
    setRunPause(recordPause);
    previousBox_ = setMessageBoxHandler(fakeBox);
    previousDialog_ = setOpenDialogHandler(fakeOpenDialog);
    motion_ = VmdBuilder()
                  .header()
                  .count(1)
                  .bone(sjis("左腕捩"), 3, testing_vmd::about(1, 0, 0, 30))
                  .count(0)
                  .emptyTail()
                  .bytes;
  }
  void TearDown() override {
    setDisplayHandover(nullptr);
    setRunPause(nullptr);
    setMessageBoxHandler(previousBox_);
    setOpenDialogHandler(previousDialog_);
  }
  // Runs the whole sequence on these arguments (argv[0] is replaced by the executable).
  int run(std::vector<std::string> args) {
    args.insert(args.begin(), "kinetrace");
    std::vector<char*> argv;
    for (std::string& a : args)
      argv.push_back(a.data());
    argv.push_back(nullptr);
    return runAll(static_cast<int>(args.size()), argv.data());
  }
  std::string file(const std::string& name) { return dir_.write(name, motion_); }

  TempDir dir_;
  std::vector<uint8_t> motion_;
  MessageBoxHandler previousBox_;
  OpenDialogHandler previousDialog_;
};

// ---- Options ----

TEST(StartupOptions, LevelsFromTheOptionPass) {
  struct Case {
    const char* commandLine;
    int displayLevel;
    int noDialogLevel;
  } cases[] = {
      {"prog -ND x.vmd", 0, 1}, {"prog -ND2", 0, 2}, {"prog -nd=2", 0, 2},  {"prog /ND2", 0, 2},
      {"prog -D", 1, 0},        {"prog -d=3", 3, 0}, {"prog -D3ND2", 3, 2}, {"prog -NDD", 1, 1},
      {"prog -N5D", 1, 0},     // N with anything else skips its number
      {"prog -ND300", 0, 44},  // kept in 8 bits
      {"prog -X -ND", 0, 1},   // unknown letters are skipped
      {"prog x.vmd", 0, 0},    // not an option
      {"prog \"-ND2\"", 0, 2}, // quotes are gone before the pass
  };
  for (const Case& c : cases) {
    gStartup = StartupState{};
    getargs(&gArgTable, c.commandLine);
    parseOptions();
    EXPECT_EQ(gStartup.displayLevel, c.displayLevel) << c.commandLine;
    EXPECT_EQ(gStartup.noDialogLevel, c.noDialogLevel) << c.commandLine;
  }
}

TEST(StartupOptions, ArgumentsFromIndex511OnAreIgnored) {
  std::string line = "prog";
  for (int i = 1; i < 511; ++i)
    line += " f";
  line += " -ND2"; // index 511
  gStartup = StartupState{};
  getargs(&gArgTable, line.c_str());
  parseOptions();
  EXPECT_EQ(gStartup.noDialogLevel, 0);
}

TEST(StartupOptions, SlashOrDashMakesAnOption) {
  EXPECT_TRUE(isOptionArgument("/nd"));
  EXPECT_TRUE(isOptionArgument("-"));
  EXPECT_FALSE(isOptionArgument("nd/"));
  EXPECT_FALSE(isOptionArgument(""));
}

// ---- Extension check ----

class ExtensionCheck : public RunSequence {};

TEST_F(ExtensionCheck, PassesVmdPrefixesAndAsksAboutTheRest) {
  struct Case {
    const char* name;
    int noDialogLevel;
    bool asked;
  } cases[] = {
      {"motion.Vmd", 0, false}, {"motion.VMDbackup", 0, false},
      {"motion.vmd", 1, false}, {"motion", 0, true},
      {"motion.vm", 0, true},   {"motion.vm", 1, true},
      {"motion.vm", 2, false},  {"", 0, true},
      {"a.vmd.txt", 0, true},
  };
  for (const Case& c : cases) {
    gScript.boxes.clear();
    gStartup = StartupState{};
    gStartup.noDialogLevel = static_cast<int8_t>(c.noDialogLevel);
    gFile = FileState{};
    std::strcpy(gFile.actualName, c.name);
    EXPECT_TRUE(checkMotionExtension()) << c.name; // the fake answers OK
    EXPECT_EQ(gScript.boxes.size(), c.asked ? 1u : 0u) << c.name;
  }
}

TEST_F(ExtensionCheck, TheUtf16NameAloneCanPass) {
  gStartup = StartupState{};
  gFile = FileState{};
  std::strcpy(gFile.actualName, "m?");
  const char16_t name[] = u"m\u266a.VMD";
  std::copy(std::begin(name), std::end(name), gFile.actualNameW);
  EXPECT_TRUE(checkMotionExtension());
  EXPECT_TRUE(gScript.boxes.empty());
}

TEST_F(ExtensionCheck, QuestionTextByLanguageAndConsole) {
  struct Case {
    bool japanese;
    bool sjisConsole;
    unsigned codePage;
    const char* expected; // UTF-8
  } cases[] = {
      {true, true, 932,
       " モーションファイル： \r\n   walk \r\n には拡張子 \".VMD\" がありません. \r\n \r\n "
       "強行しますか? "},
      {false, false, 0,
       " Motion file: \r\n   walk \r\n does not have extension \".VMD\" in the file name. \r\n"
       " \r\n Do you like to continue? "},
      {true, false, 0,
       " Motion file: \r\n   walk \r\n does not have extension \".VMD\" in the file name. \r\n"
       " \r\n Do you like to continue? "},
      {false, false, 65001,
       " The motion file \r\n does not have extension \".VMD\" in the file name. \r\n"
       " \r\n Do you like to continue? "},
  };
  for (const Case& c : cases) {
    gScript.boxes.clear();
    gStartup = StartupState{};
    gStartup.uiJapanese = c.japanese ? 0xFF : 0;
    gStartup.consoleSjis = c.sjisConsole ? 0xFF : 0;
    gStartup.consoleOutputCodePage = c.codePage;
    gFile = FileState{};
    std::strcpy(gFile.actualName, "walk");
    checkMotionExtension();
    ASSERT_EQ(gScript.boxes.size(), 1u);
    char16_t expected[512];
    strsjis2uni(expected, sjis(c.expected).c_str());
    EXPECT_EQ(gScript.boxes[0].text, std::u16string(expected)) << c.expected;
    EXPECT_EQ(gScript.boxes[0].caption, u"Kinevert");
    EXPECT_EQ(gScript.boxes[0].style, 0x00040041u);
  }
}

TEST_F(ExtensionCheck, DecliningSetsTheExitBitAndPauses) {
  gScript.boxAnswers = {IDCANCEL};
  gStartup = StartupState{};
  gFile = FileState{};
  std::strcpy(gFile.actualName, "walk");
  EXPECT_FALSE(checkMotionExtension());
  EXPECT_EQ(gStartup.exitStatus, 16);
  EXPECT_EQ(gScript.pauses, std::vector<int>{700});
}

// ---- Whole runs ----

TEST_F(RunSequence, EveryFileGetsATurnAndOptionsAreSkipped) {
  std::string a = file("a.vmd"), b = file("b.vmd"), c = file("c.vmd");
  EXPECT_EQ(run({a, "-ND", b, c}), 0);
  ASSERT_EQ(gScript.turns.size(), 3u);
  EXPECT_EQ(gScript.turns[0].actualName, "a.vmd");
  EXPECT_EQ(gScript.turns[1].actualName, "b.vmd");
  EXPECT_EQ(gScript.turns[2].actualName, "c.vmd");
  EXPECT_EQ(gScript.turns[2].readResult, 0);
  EXPECT_EQ(gScript.shutdowns, 1);
  EXPECT_EQ(gScript.pauses, std::vector<int>{500});
}

TEST_F(RunSequence, DecliningTheSecondOfThreeStopsTheRun) {
  std::string a = file("a.vmd"), b = file("b"), c = file("c.vmd");
  gScript.boxAnswers = {IDCANCEL};
  EXPECT_EQ(run({a, b, c}), 16);
  ASSERT_EQ(gScript.turns.size(), 1u);
  EXPECT_EQ(gScript.turns[0].actualName, "a.vmd");
  EXPECT_EQ(gScript.shutdowns, 1);
  EXPECT_EQ(gScript.pauses, (std::vector<int>{500, 700}));
}

TEST_F(RunSequence, AcceptedFileWithoutExtensionIsChecked) {
  std::string b = file("b");
  EXPECT_EQ(run({b}), 0);
  ASSERT_EQ(gScript.turns.size(), 1u);
  EXPECT_EQ(gScript.turns[0].readResult, 0);
  EXPECT_NE(gScript.turns[0].result.find("(要修正)"), std::string::npos);
}

TEST_F(RunSequence, DroppedFilesComeNextSecondToLastFirst) {
  std::string a = file("a.vmd"), b = file("b.vmd");
  std::string d1 = file("d1.vmd"), d2 = file("d2.vmd"), d3 = file("d3.vmd");
  // The window appends the second and later dropped names at once and the first one when
  // it ends the turn; the double appends in that order.
  gScript.drops = {d2, d3, d1};
  EXPECT_EQ(run({a, b}), 0);
  std::vector<std::string> order;
  for (const Turn& t : gScript.turns)
    order.push_back(t.actualName);
  EXPECT_EQ(order, (std::vector<std::string>{"a.vmd", "b.vmd", "d2.vmd", "d3.vmd", "d1.vmd"}));
}

TEST_F(RunSequence, MissingFileGivesAnEmptyReportAndOk) {
  EXPECT_EQ(run({"-ND2", dir_.path() + "/absent.vmd"}), 0);
  ASSERT_EQ(gScript.turns.size(), 1u);
  EXPECT_EQ(gScript.turns[0].readResult, -1);
  EXPECT_EQ(gScript.turns[0].actualName, "");
  EXPECT_EQ(gScript.turns[0].result, "(OK): そのままで使用可能です. ");
}

TEST_F(RunSequence, MissingFileIsAskedAboutWithoutNd2) {
  gScript.boxAnswers = {IDOK};
  EXPECT_EQ(run({dir_.path() + "/absent.vmd"}), 0);
  EXPECT_EQ(gScript.boxes.size(), 1u);
  EXPECT_EQ(gScript.turns.size(), 1u);
}

TEST_F(RunSequence, VerdictBoxOnlyWhenTheFontIsMissingAndNoNd) {
  std::string a = file("a.vmd");
  gScript.fontMissing = true;
  EXPECT_EQ(run({a}), 0);
  ASSERT_EQ(gScript.boxes.size(), 1u);
  EXPECT_EQ(gScript.boxes[0].caption, u"Kinetrace");
  EXPECT_EQ(gScript.boxes[0].style, 0x00040040u);
  char16_t expected[RESULT_TEXT_SIZE];
  strsjis2uni(expected, gResult.text);
  EXPECT_EQ(gScript.boxes[0].text, std::u16string(expected));

  gScript = Script{};
  gScript.fontMissing = true;
  EXPECT_EQ(run({"-ND", a}), 0);
  EXPECT_TRUE(gScript.boxes.empty());

  gScript = Script{};
  gScript.fontMissing = false;
  EXPECT_EQ(run({a}), 0);
  EXPECT_TRUE(gScript.boxes.empty());
}

TEST_F(RunSequence, NameShiftJisCannotHoldIsReadThroughItsUtf16Path) {
  std::string path = file("\xF0\x9F\x8E\xB5.vmd"); // 🎵.vmd
  gScript.fontMissing = true;
  EXPECT_EQ(run({path}), 0);
  ASSERT_EQ(gScript.turns.size(), 1u);
  EXPECT_EQ(gScript.turns[0].readResult, 0);
  EXPECT_NE(gScript.turns[0].result.find("(要修正)"), std::string::npos);
  EXPECT_EQ(gFile.ansiUnusable, 0xFF);
  EXPECT_EQ(gFile.wideUnusable, 0);
  // The verdict box then takes the UTF-16 text.
  ASSERT_EQ(gScript.boxes.size(), 1u);
  EXPECT_EQ(gScript.boxes[0].text, std::u16string(gResult.textW));
}

TEST_F(RunSequence, FilesTheArgumentTablesCannotHoldAreNamedOnStandardError) {
  struct Case {
    int files;
    size_t length; // bytes of each file argument
    const char* message;
  } cases[] = {
      {510, 1, ""},
      {600, 1, "kinetrace: 90 files left out: at most 510 arguments fit\n"},
      {512, 1, "kinetrace: 2 files left out: at most 510 arguments fit\n"},
      {3, 40000, "kinetrace: 1 file left out: the arguments fit in 65535 characters at most\n"},
  };
  const std::string a = file("a.vmd");
  for (const Case& c : cases) {
    gScript = Script{};
    std::vector<std::string> args = {"-ND2"};
    for (int i = 1; i < c.files; ++i)
      args.push_back(c.length == 1 ? a : std::string(c.length, 'x'));
    testing::internal::CaptureStderr();
    run(args);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.message) << c.files;
    EXPECT_EQ(gArgTable.count, gArgTableW.count);
  }
}

TEST_F(RunSequence, ArgumentsAreTakenAsGivenQuotesAndBlanksIncluded) {
#ifdef _WIN32
  const std::string name = "say 'hi' .vmd"; // a Windows file name holds no double quote
#else
  const std::string name = "say \"hi\" .vmd";
#endif
  const std::string quoted = file(name), plain = file("b.vmd");
  EXPECT_EQ(run({quoted, "", plain}), 0);
  ASSERT_EQ(gScript.turns.size(), 3u);
  EXPECT_EQ(gScript.turns[0].actualName, name);
  EXPECT_EQ(gScript.turns[0].readResult, 0);
  EXPECT_EQ(gScript.turns[1].ansiPath, ""); // still argument 2
  EXPECT_EQ(gScript.turns[2].actualName, "b.vmd");
}

TEST_F(RunSequence, NoArgumentAsksWithTheOpenDialog) {
  std::string a = file("chosen.vmd");
  std::string ansi = testing_vmd::ansiPathOf(a);
  gScript.dialogChoice = std::u16string(ansi.begin(), ansi.end());
  EXPECT_EQ(run({}), 0);
  EXPECT_EQ(gScript.dialogCalls, 1);
  ASSERT_EQ(gScript.turns.size(), 1u);
  EXPECT_EQ(gScript.turns[0].actualName, "chosen.vmd");
  EXPECT_EQ(gScript.turns[0].ansiPath, ansi);
}

TEST_F(RunSequence, CancellingTheOpenDialogEndsWithZero) {
  EXPECT_EXIT(run({}), ::testing::ExitedWithCode(0), "");
}

} // namespace
