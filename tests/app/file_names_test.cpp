// File names as the file system holds them, run through the built program: names that are
// not UTF-8 (an archive unpacked without conversion, Latin-1), names with a double quote,
// folders of such names. Each must be read, whatever its name shows as.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "common/program_run.h"
#include "common/vmd_builder.h"

using test_program::kProgramPath;
using test_program::lines;
using test_program::Outcome;
using test_program::runProgram;
using testing_vmd::sjis;
using testing_vmd::TempDir;
using testing_vmd::VmdBuilder;

TEST(FileNames, EveryNameTheFileSystemHoldsIsRead) {
  struct stat s;
  if (stat(kProgramPath.c_str(), &s) != 0)
    GTEST_SKIP() << "kinetrace is not built (" << kProgramPath << ")";
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  dir.folder("\x83\x82");    // モ in Shift-JIS bytes
  dir.folder("caf\xE9 dir"); // Latin-1
  VmdBuilder b;
  b.header(sjis("ミク")).count(1).bone(sjis("センター"), 3, 1, 0, 0, {}).count(0).emptyTail();
  // A UTF-8 twin of a raw Shift-JIS name: each argument must reach its own file.
  VmdBuilder twin;
  twin.header(sjis("双子")).count(0).count(0).emptyTail();
  dir.write("モ.vmd", twin.bytes);
  struct Case {
    const char* name;
    const char* file; // the JSON "file": what Shift-JIS makes of bytes that are not UTF-8
  } cases[] = {
      {"\x83\x82\x81\x5B\x83\x56\x83\x87\x83\x93.vmd", "モーション.vmd"}, // Shift-JIS bytes
      {"\x95\x5C\x8F\xEE.vmd", "表情.vmd"},                               // 0x5C as a second byte
      {"caf\xE9.vmd", "caf?.vmd"},                                        // Latin-1
      {"\xFF\xFE.vmd", "??.vmd"},                                         // neither
      {"say \"hi\".vmd", "say \"hi\".vmd"},
      {"\"", "\""},
      {"\x83\x82/\x95\x5C.vmd", "表.vmd"},
      {"caf\xE9 dir/\"\x83\x82\".vmd", "\"モ\".vmd"},
      {"\x83\x82.vmd", "モ.vmd"},
  };
  std::vector<std::string> args = {"--json"};
  for (const Case& c : cases)
    args.push_back(dir.write(c.name, b.bytes));
  args.push_back(dir.path("モ.vmd"));
  const Outcome r = runProgram(args);
  const std::vector<std::string> objects = lines(r.out);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  ASSERT_EQ(objects.size(), std::size(cases) + 1) << r.err;
  for (size_t i = 0; i < objects.size(); ++i) {
    const nlohmann::json j = nlohmann::json::parse(objects[i], nullptr, false);
    const bool last = i == std::size(cases);
    const char* name = last ? "モ.vmd" : cases[i].name;
    ASSERT_FALSE(j.is_discarded()) << name;
    EXPECT_EQ(j["readResult"], 0) << name;
    EXPECT_EQ(j["model"], last ? "双子" : "ミク") << name;
    EXPECT_EQ(j["file"], last ? "モ.vmd" : cases[i].file) << name;
  }
}
