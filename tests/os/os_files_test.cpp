// New files, on both systems: created only where no file is, written whole, renamed into
// place with or without replacing what is there, and removed.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "common/tempdir.h"
#include "os/os.h"

namespace {

using test_files::readFile;
using test_files::TempDir;

// Creates path with text through the layer; false when any step fails.
bool writeNew(const std::string& path, const std::string& text) {
  const int fd = osCreateNew(path.c_str());
  if (fd < 0)
    return false;
  const bool ok =
      osWrite(fd, text.data(), static_cast<long>(text.size())) == static_cast<long>(text.size()) &&
      osSyncFile(fd) == 0;
  osClose(fd);
  return ok;
}

TEST(OsFiles, ANewFileNeverTakesAnotherFilesPlace) {
  TempDir d;
  ASSERT_TRUE(d.ok());
  d.write("taken", "old");
  ASSERT_TRUE(writeNew(d.path("new"), "fresh"));
  EXPECT_EQ(readFile(d.path("new")), "fresh");
  const struct {
    const char* name;
    int error;
  } refused[] = {{"taken", EEXIST}, {"new", EEXIST}, {"missing/new", ENOENT}};
  for (const auto& r : refused) {
    errno = 0;
    EXPECT_EQ(osCreateNew(d.path(r.name).c_str()), -1) << r.name;
    EXPECT_EQ(errno, r.error) << r.name;
  }
  EXPECT_EQ(readFile(d.path("taken")), "old");
}

TEST(OsFiles, RenamesReplaceOnlyWhenAskedTo) {
  const struct {
    bool targetExists;
    int replace;
    int result;
    const char* target; // the target's content afterwards
    bool sourceLeft;
  } cases[] = {
      {false, 0, 0, "source", false},
      {false, 1, 0, "source", false},
      {true, 0, -1, "target", true}, // refused with EEXIST, both kept
      {true, 1, 0, "source", false},
  };
  for (const auto& c : cases) {
    TempDir d;
    ASSERT_TRUE(d.ok());
    d.write("from", "source");
    if (c.targetExists)
      d.write("to", "target");
    errno = 0;
    EXPECT_EQ(osRenameFile(d.path("from").c_str(), d.path("to").c_str(), c.replace), c.result);
    if (c.result != 0) {
      EXPECT_EQ(errno, EEXIST);
    }
    EXPECT_EQ(readFile(d.path("to")), c.target);
    EXPECT_EQ(test_files::exists(d.path("from")), c.sourceLeft);
  }
  TempDir d;
  d.write("gone", "x");
  EXPECT_EQ(osRemoveFile(d.path("gone").c_str()), 0);
  EXPECT_FALSE(test_files::exists(d.path("gone")));
  EXPECT_EQ(osRemoveFile(d.path("gone").c_str()), -1);
}

} // namespace
