// The new-file writer: the target appears whole or not at all, never replaced unless asked,
// and no temporary file is left behind by any outcome.
#include "text/newfile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "common/tempdir.h"

namespace {

using test_files::TempDir;

std::u16string wideOf(const TempDir& d, const std::string& name) {
  const std::string ansi = d.ansi(name);
  return std::u16string(ansi.begin(), ansi.end());
}

TEST(NewFile, TheTargetAppearsWholeOrNotAtAll) {
  const struct {
    const char* what;
    const char* existing; // the target's content before, nullptr when absent
    int replace;
    const char* target; // the target's name in the folder
    int result;
    int error;
    const char* after; // the target's content afterwards, nullptr when absent
  } cases[] = {
      {"a new target", nullptr, 0, "out.vmd", 0, 0, "new"},
      {"a taken target, kept", "old", 0, "out.vmd", -1, EEXIST, "old"},
      {"a taken target, replaced", "old", 1, "out.vmd", 0, 0, "new"},
      {"a target named as the temporary file", nullptr, 0, ".kinetrace-1.tmp", 0, 0, "new"},
      {"no such folder", nullptr, 0, "missing/out.vmd", -1, ENOENT, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir d;
    ASSERT_TRUE(d.ok());
    if (c.existing != nullptr)
      d.write(c.target, c.existing);
    int result = nfopen(wideOf(d, c.target).c_str(), c.replace);
    if (result == 0)
      result = nfwrite("ne", 2) == 0 && nfwrite("w", 1) == 0 ? nfcommit() : -1;
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(gNewFile.error, c.error);
    EXPECT_EQ(test_files::exists(d.path(c.target)), c.after != nullptr);
    if (c.after != nullptr) {
      EXPECT_EQ(test_files::readFile(d.path(c.target)), c.after);
    }
    const auto names = test_files::listFolder(d.path());
    EXPECT_EQ(names.size(),
              c.after != nullptr && std::string(c.target).find('/') == std::string::npos ? 1u : 0u);
  }
}

TEST(NewFile, AClosedOrAbandonedFileIsNotTheTarget) {
  TempDir d;
  ASSERT_TRUE(d.ok());
  ASSERT_EQ(nfopen(wideOf(d, "out.vmd").c_str(), 0), 0);
  EXPECT_EQ(test_files::listFolder(d.path()).size(), 1u); // the temporary file
  EXPECT_EQ(nfwrite("half", 4), 0);
  // Closed, it can be read back under its temporary name before it is kept or dropped.
  ASSERT_EQ(nfclose(), 0);
  EXPECT_EQ(nfclose(), 0);
  const std::string temp = d.path(test_files::listFolder(d.path()).at(0));
  EXPECT_EQ(test_files::readFile(temp), "half");
  EXPECT_FALSE(test_files::exists(d.path("out.vmd")));
  nfabandon();
  EXPECT_TRUE(test_files::listFolder(d.path()).empty());
  EXPECT_EQ(nfclose(), -1);
  // Nothing open: writes and commits fail instead of landing anywhere.
  EXPECT_EQ(nfwrite("x", 1), -1);
  EXPECT_EQ(nfcommit(), -1);
  EXPECT_TRUE(test_files::listFolder(d.path()).empty());
}

} // namespace
