// The desktop program's window comes from the Qt module beside it, loaded when the program
// starts without a console option: loaded here the way the program loads it, and missing or
// damaged beside a copy of the program.
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "app/backend.h"
#include "common/program_run.h"
#include "common/tempdir.h"
#include "display/surface.h"

using test_files::TempDir;

namespace {

const std::string kBin = KT_BINARY_DIR "/bin";

bool built(const std::string& path) {
  struct stat s;
  return stat(path.c_str(), &s) == 0;
}

int recordingProcedure(WindowMessage*) {
  return 0;
}

} // namespace

TEST(QtModule, TheProgramsModuleGivesAWorkingWindow) {
  if (!built(kBin + "/kinetrace-qt.so"))
    GTEST_SKIP() << "no Qt module in " << kBin << " (a build without Qt)";
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  ASSERT_EQ(installQtBackendFrom((kBin + "/kinetrace-qt.so").c_str()), 0);
  const DisplayPlatform* p = displayPlatform();
  ASSERT_NE(p, nullptr);
  ASSERT_NE(p->createWindow("report", 0, 0, 320, 240, 1, recordingProcedure), nullptr);
  p->showWindow();
  p->dispatchMessages();
  WindowRect r = {};
  p->getWindowRect(&r);
  EXPECT_GT(r.right - r.left, 0);
  p->destroyWindow();
  displaySetPlatform(nullptr);
}

TEST(QtModule, AMissingOrDamagedModuleIsOneLineAndStatusOne) {
  if (!built(kBin + "/kinetrace-qt.so"))
    GTEST_SKIP() << "no Qt module in " << kBin << " (a build without Qt)";
  struct Case {
    const char* what;
    std::vector<uint8_t> module; // empty: no module at all
  } cases[] = {{"missing", {}}, {"damaged", {'n', 'o', 't', ' ', 'E', 'L', 'F'}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    test_program::RunOptions options;
    options.program = test_program::copyProgramInto(dir);
    ASSERT_NE(options.program, "");
    if (!c.module.empty())
      dir.write("kinetrace-qt.so", c.module);
    const test_program::Outcome r = test_program::runProgram({"-ND2", "nothing.vmd"}, options);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.rfind("kinetrace: cannot load the report window: ", 0), 0u) << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line: " << r.err;
    // The console modes never need the module.
    EXPECT_EQ(test_program::runProgram({"--version"}, options).status, 0);
  }
}
