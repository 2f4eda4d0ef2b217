// The console modes take any number of files: more than the argument tables hold (a
// script naming a whole folder) are checked in batches, in order, none left out.
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "app/console.h"
#include "common/console_run.h"
#include "common/vmd_builder.h"

using test_program::lines;
using test_program::Outcome;
using testing_vmd::sjis;
using testing_vmd::TempDir;
using testing_vmd::VmdBuilder;

TEST(ConsoleFileList, MoreFilesThanTheArgumentTablesHoldAreAllChecked) {
  TempDir dir;
  VmdBuilder b;
  b.header(sjis("ミク")).count(1).bone(sjis("センター"), 3, 1, 0, 0, {}).count(0).emptyTail();
  constexpr int kFiles = 1200; // more than the 510 arguments of one table
  std::vector<std::string> args = {"--json"};
  for (int i = 0; i < kFiles; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "f%04d.vmd", i);
    args.push_back(dir.write(name, b.bytes));
    if (i == 700)
      args.push_back(dir.path() + "/missing.vmd");
  }
  const Outcome r = runConsoleCaptured(args);
  const std::vector<std::string> out = lines(r.out);
  EXPECT_EQ(r.status, 2) << "the missing file";
  ASSERT_EQ(out.size(), static_cast<size_t>(kFiles + 1));
  int outOfPlace = 0;
  for (int i = 0, line = 0; i < kFiles; ++i, ++line) {
    if (i == 701)
      ++line; // the missing file's object
    char expected[48];
    std::snprintf(expected, sizeof expected, "{\"file\":\"f%04d.vmd\",", i);
    const std::string& object = out[static_cast<size_t>(line)];
    outOfPlace +=
        object.rfind(expected, 0) != 0 || object.find("\"readResult\":0,") == std::string::npos;
  }
  EXPECT_EQ(outOfPlace, 0);
  EXPECT_NE(out[701].find("\"readResult\":-1"), std::string::npos);
  EXPECT_NE(r.err.find("missing.vmd: cannot open"), std::string::npos) << r.err;
}

TEST(ConsoleFileList, AnArgumentTooLongForAPathIsReportedNotDropped) {
  TempDir dir;
  VmdBuilder b;
  b.header().count(0).count(0).emptyTail();
  const std::string good = dir.write("good.vmd", b.bytes);
  const std::string huge(70000, 'x');
  const Outcome r = runConsoleCaptured({"--print", "--color=never", good, huge, good});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find(": path too long (70000 characters, at most 259)"), std::string::npos)
      << r.err;
  size_t reports = 0;
  for (const std::string& line : lines(r.out))
    reports += line.rfind("(OK)", 0) == 0;
  EXPECT_EQ(reports, 2u) << "both copies of the good file are still checked";
}
