// A copy of the built program among special files: FIFOs as the motion, as alias.ini and
// as the font beside it, a folder as the font, and --render told to write over its motion.
// A run past the deadline is killed, so a hang fails at once.
#include <csignal>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "common/program_run.h"
#include "common/vmd_builder.h"

using test_files::readFile;
using test_program::Outcome;
using test_program::RunOptions;
using test_program::runProgram;
using testing_vmd::sjis;
using testing_vmd::TempDir;
using testing_vmd::VmdBuilder;

TEST(SpecialFiles, NothingWaitsAndNothingIsWrittenOver) {
  TempDir dir;
  RunOptions copy;
  copy.program = test_program::copyProgramInto(dir);
  copy.deadlineSeconds = 1;
  ASSERT_NE(copy.program, "");
  VmdBuilder b;
  b.header(sjis("ミク")).count(1).bone(sjis("センター"), 0, 1.0f, 0, 0, {}).count(0).emptyTail();
  const std::string motion = dir.write("m.vmd", b.bytes);
  const std::string bmpMotion = dir.write("motion.bmp", b.bytes);
  ASSERT_EQ(symlink(motion.c_str(), dir.path("link.bmp").c_str()), 0);
  const std::string fifo = dir.path("x.vmd"), font = "mplus-2m-regular.ttf";
  const std::string refusal = ": refusing to write the picture over the motion file";
  const std::vector<std::string> render = {"--render", dir.path("o.bmp"), motion};
  struct Case {
    std::string special; // made a FIFO, or a folder when folder is set; "" for none
    bool folder, writer; // writer: a process writes hello into the FIFO, then ends
    std::vector<std::string> args;
    int status;
    std::string err;
  } cases[] = {
      {fifo, false, false, {"--json", fifo}, 2, "x.vmd"},
      {fifo, false, true, {"--json", fifo}, 2, "x.vmd"},
      {dir.path("alias.ini"), false, false, {"--json", motion}, 0, ""},
      {dir.path(font), false, false, render, 1, font + ": not a regular file"},
      {dir.path(font), true, false, render, 1, font + ": Is a directory"},
      {"", false, false, {"--render", bmpMotion, bmpMotion}, 1, "motion.bmp" + refusal},
      {"", false, false, {"--render", dir.path("link.bmp"), motion}, 1, "link.bmp" + refusal},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.special + " " + c.args[1]);
    if (!c.special.empty()) {
      ASSERT_EQ(c.folder ? mkdir(c.special.c_str(), 0700) : mkfifo(c.special.c_str(), 0600), 0);
    }
    const pid_t writer = c.writer ? fork() : -1;
    if (writer == 0) {
      const int fd = open(c.special.c_str(), O_WRONLY);
      _exit(fd >= 0 && write(fd, "hello", 5) == 5 ? 0 : 1);
    }
    const Outcome r = runProgram(c.args, copy);
    if (writer > 0) {
      kill(writer, SIGKILL);
      waitpid(writer, nullptr, 0);
    }
    if (!c.special.empty())
      std::remove(c.special.c_str());
    EXPECT_EQ(r.status, c.status) << "137: still running after a second";
    EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
  }
  const std::string bytes(b.bytes.begin(), b.bytes.end());
  EXPECT_TRUE(readFile(motion) == bytes && readFile(bmpMotion) == bytes) << "a motion was changed";
}
