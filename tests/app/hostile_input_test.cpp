// Input that strangers make, through the console front end and the per-file check: a
// folder, an empty file and a file the user may not read as arguments; an alias file of a
// megabyte on one line; more distinct names than the name lists hold.
#include <cerrno>
#include <cstring>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>
#ifndef _WIN32
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include "analysis/report.h"
#include "app/check.h"
#include "app/console.h"
#include "app/state.h"
#include "common/console_run.h"
#include "common/vmd_builder.h"
#include "motion/motion.h"
#include "names/alias.h"
#include "names/namelist.h"
#include "text/encoding.h"

using test_program::Outcome;
using test_text::utf8Of;
using testing_vmd::ansiPathOf;
using testing_vmd::sjis;
using testing_vmd::TempDir;
using testing_vmd::VmdBuilder;
using Json = nlohmann::json;

namespace {

#ifndef _WIN32
constexpr uid_t kNobody = 65534;

std::string drain(int fd) {
  std::string text;
  char chunk[4096];
  ssize_t n;
  while ((n = read(fd, chunk, sizeof chunk)) > 0)
    text.append(chunk, static_cast<size_t>(n));
  close(fd);
  return text;
}

// Runs the console front end on args in a child process, as the user nobody when asked.
// Status 77 from the child means it could not become nobody.
Outcome runConsoleInChild(std::vector<std::string> args, bool asNobody) {
  args.insert(args.begin(), "kinetrace");
  int out[2], err[2];
  Outcome r;
  if (pipe(out) != 0 || pipe(err) != 0)
    return r;
  fflush(stdout);
  fflush(stderr);
  pid_t child = fork();
  if (child == 0) {
    dup2(out[1], STDOUT_FILENO);
    dup2(err[1], STDERR_FILENO);
    close(out[0]);
    close(err[0]);
    if (asNobody && (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0))
      _exit(77);
    const int status = runConsoleWith(args);
    fflush(stdout);
    fflush(stderr);
    _exit(status);
  }
  close(out[1]);
  close(err[1]);
  r.out = drain(out[0]);
  r.err = drain(err[0]);
  int status = 0;
  if (waitpid(child, &status, 0) == child)
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return r;
}
#endif

// The per-file check of one file, with the program's folder (where alias.ini is looked
// for) set to programDir for the time of the call.
void checkWithProgramDir(const std::string& motionPath, const std::string& programDir) {
  const StartupState saved = gStartup;
  const std::string dir = ansiPathOf(programDir) + "\\";
  std::memset(gStartup.programDir, 0, sizeof gStartup.programDir);
  std::memcpy(gStartup.programDir, dir.data(), dir.size());
  for (size_t i = 0; i <= dir.size(); ++i)
    gStartup.programDirW[i] = static_cast<char16_t>(i < dir.size() ? dir[i] : 0);
  gFile = FileState{};
  const std::string ansi = ansiPathOf(motionPath);
  std::memcpy(gFile.ansiPath, ansi.c_str(), ansi.size() + 1);
  std::memcpy(gFile.actualName, "motion.vmd", 11);
  checkMotionFile();
  gStartup = saved;
}

// Every finished row of the report is terminated within its 128 bytes.
void expectReportWithinItsStore() {
  ASSERT_LE(gReport.lineCount, REPORT_LINE_CAPACITY);
  for (int i = 0; i < gReport.lineCount; ++i) {
    ASSERT_NE(std::memchr(gReport.text[i], 0, REPORT_LINE_SIZE), nullptr) << "row " << i;
    EXPECT_EQ(std::strlen(gReport.text[i]), gReport.length[i]) << "row " << i;
  }
}

} // namespace

// Linux only: the unreadable file is made by chmod and read by a forked child as nobody.
#ifndef _WIN32
TEST(HostileInput, AFolderAnEmptyFileAndAnUnreadableFileAsArguments) {
  TempDir dir;
  // The folder must be passable for nobody; the locked file must not be readable by it.
  ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
  const std::string folder = dir.path() + "/folder.vmd";
  ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
  const std::string empty = dir.write("empty.vmd", {});
  VmdBuilder b;
  b.header(sjis("ミク")).count(1).bone(sjis("センター"), 0, 1, 0, 0, {}).count(0).emptyTail();
  const std::string locked = dir.write("locked.vmd", b.bytes);
  ASSERT_EQ(chmod(locked.c_str(), 0), 0);
  // Root reads any file: the locked file is then read by a child that became nobody.
  const bool root = geteuid() == 0;

  struct Case {
    std::string file;
    bool asNobody;
    int readResult;
    std::string message;
  } cases[] = {
      {folder, false, -1, ": cannot open: " + std::string(std::strerror(EISDIR))},
      {empty, false, 2, ": not a VMD 0002 motion file"},
      {locked, root, -1, ": cannot open: " + std::string(std::strerror(EACCES))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const Outcome r = runConsoleInChild({"--json", c.file}, c.asNobody);
    if (r.status == 77)
      GTEST_SKIP() << "running as root and cannot become the user nobody (uid " << kNobody
                   << ") to make a file unreadable";
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "kinetrace: " + c.file + c.message + "\n");
    ASSERT_FALSE(r.out.empty());
    const Json j = Json::parse(r.out);
    EXPECT_EQ(j["readResult"], c.readResult);
    EXPECT_EQ(j["bones"], Json::array());
    EXPECT_EQ(j["morphs"], Json::array());
    EXPECT_EQ(j["categories"], Json::array()) << "no verdict for a file that was not read";
    EXPECT_EQ(j["error"], c.message.substr(2));
  }
}
#endif

TEST(HostileInput, AnAliasFileOfOneMegabyteOnOneLine) {
  TempDir program;
  TempDir files;
  VmdBuilder b;
  b.header().count(2).bone("x", 0, 1, 0, 0, {}).bone(sjis("センター"), 0, 1, 0, 0, {});
  b.count(1).morph(sjis("あ"), 0, 1.0f).emptyTail();
  const std::string motion = files.write("motion.vmd", b.bytes);

  // A line is read 253 bytes at a time, each piece as a line of its own. Pieces of the
  // form "x y...y" make one rule each (x shown as fifteen y), a line without blanks none.
  const std::string piece = "x " + std::string(251, 'y');
  ASSERT_EQ(piece.size(), 253u);
  std::string rules;
  while (rules.size() < (1u << 20))
    rules += piece;
  rules.resize(1u << 20); // the last piece is cut short: still "x y...y"
  const size_t pieces = (rules.size() + 252) / 253;
  struct Case {
    std::string line;
    int boneRules;
    const char* shownX;
    const char* why;
  } cases[] = {
      {rules, static_cast<int>(pieces), "yyyyyyyyyyyyyyy", "a rule in every piece"},
      {std::string(1u << 20, 'z'), 0, "x", "no blank: no rule"},
      {rules + rules + rules, ALIAS_RULE_CAPACITY, "yyyyyyyyyyyyyyy",
       "three megabytes: more pieces than rules fit"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    const std::string text = c.line + "\n-Morph\n" + sjis("あ") + " A\n";
    program.write("alias.ini", std::vector<uint8_t>(text.begin(), text.end()));
    checkWithProgramDir(motion, program.path());
    EXPECT_EQ(gFile.readResult, 0);
    EXPECT_EQ(gFile.aliasInUse, 0xFF);
    EXPECT_EQ(nameListCount(LIST_BONE_ALIAS), c.boneRules);
    EXPECT_EQ(nameListCount(LIST_MORPH_ALIAS), 1) << "the rule after the long line is read";
    char shown[ALIAS_OUTPUT_SIZE];
    applyBoneAliases(shown, sizeof shown, "x");
    EXPECT_STREQ(shown, c.shownX);
    expectReportWithinItsStore();
    std::string report;
    for (int i = 0; i < gReport.lineCount; ++i)
      report += utf8Of(gReport.text[i]) + "\n";
    EXPECT_NE(report.find("  " + std::string(c.shownX) + "\n"), std::string::npos) << report;
    EXPECT_NE(report.find("  A  (1 keys)"), std::string::npos) << report;
  }
}

TEST(HostileInput, MoreDistinctNamesThanTheListsHoldThroughTheReport) {
  constexpr int kNames = 20000;
  VmdBuilder b;
  b.header().count(kNames);
  char name[16];
  for (int i = 0; i < kNames; ++i) {
    std::snprintf(name, sizeof name, "b%05d", i);
    b.bone(name, i, 0.5f, 0, 0, {});
  }
  b.count(kNames);
  for (int i = 0; i < kNames; ++i) {
    std::snprintf(name, sizeof name, "m%05d", i);
    b.morph(name, i, 0.5f);
  }
  b.emptyTail();
  TempDir files;
  const std::string motion = files.write("many.vmd", b.bytes);

  // The report holds 512 rows; the names beyond them are dropped, nothing is overrun.
  checkWithProgramDir(motion, files.path() + "/no-program-here");
  EXPECT_EQ(gFile.readResult, 0);
  expectReportWithinItsStore();
  EXPECT_EQ(gReport.lineCount, REPORT_LINE_CAPACITY);

  // Every name that got an entry is counted and listed in the JSON report; the names the
  // full lists refused are not, and the console says how many.
  const Outcome r = runConsoleCaptured({"--json", motion});
  const char* refused = "7,764 names beyond the name lists' capacity were not counted";
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "kinetrace: " + motion + ": " + refused + "\n");
  const Json j = Json::parse(r.out);
  EXPECT_EQ(j["error"], refused);
  const Json& bones = j["bones"];
  const Json& morphs = j["morphs"];
  ASSERT_EQ(bones.size(), static_cast<size_t>(NAME_LIST_CAPACITY - 470));
  ASSERT_EQ(morphs.size(), static_cast<size_t>(NAME_LIST_CAPACITY - 62));
  int wrong = 0;
  for (int i = 0; i < static_cast<int>(bones.size()); ++i) {
    std::snprintf(name, sizeof name, "b%05d", i);
    wrong += bones[i]["name"] != name || bones[i]["keyCount"] != 1 || bones[i]["firstFrame"] != i;
  }
  for (int i = 0; i < static_cast<int>(morphs.size()); ++i) {
    std::snprintf(name, sizeof name, "m%05d", i);
    wrong += morphs[i]["name"] != name || morphs[i]["keyCount"] != 1 || morphs[i]["lastFrame"] != i;
  }
  EXPECT_EQ(wrong, 0);
}
