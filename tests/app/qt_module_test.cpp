// The desktop program's window comes from the Qt module beside it, loaded when the program
// starts without a console option: loaded here the way the program loads it, and missing or
// damaged beside a copy of the program.
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include <sys/stat.h>
#include <sys/wait.h>

#include "app/backend.h"
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

std::string slurp(const std::string& path) {
  std::string text;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    for (int c; (c = std::fgetc(f)) != EOF;)
      text += static_cast<char>(c);
    std::fclose(f);
  }
  return text;
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
    const std::string program = dir.path() + "/kinetrace";
    dir.write("kinetrace", slurp(kBin + "/kinetrace"));
    ASSERT_EQ(chmod(program.c_str(), 0755), 0);
    if (!c.module.empty())
      dir.write("kinetrace-qt.so", c.module);
    const std::string err = dir.path() + "/err";
    const std::string command = "'" + program + "' -ND2 nothing.vmd 2>'" + err + "'";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    const std::string text = slurp(err);
    EXPECT_EQ(text.rfind("kinetrace: cannot load the report window: ", 0), 0u) << text;
    EXPECT_EQ(text.find('\n'), text.size() - 1) << "one line: " << text;
    // The console modes never need the module.
    EXPECT_EQ(WEXITSTATUS(std::system(("'" + program + "' --version >/dev/null").c_str())), 0);
  }
}
