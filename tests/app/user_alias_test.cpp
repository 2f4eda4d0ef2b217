// alias.ini of an installed program: the user's $XDG_CONFIG_HOME/kinetrace/alias.ini (default
// ~/.config/kinetrace/) is read when it exists, else the one beside the program; the report's
// English labels follow whichever is read.
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>

#include "common/program_run.h"
#include "common/tempdir.h"
#include "common/vmd_builder.h"

namespace {

using test_files::TempDir;
using testing_vmd::sjis;
using testing_vmd::VmdBuilder;

// "センター"F NAME: renames the centre bone of the motion.
std::string aliasRule(const std::string& name) {
  return "\"\xE3\x82\xBB\xE3\x83\xB3\xE3\x82\xBF\xE3\x83\xBC\"F " + name + "\n";
}

TEST(UserAlias, TheUsersFileComesBeforeTheOneBesideTheProgram) {
  // A copy of the program in a folder of its own, so that its alias.ini affects no one else.
  TempDir program, home, files;
  test_program::RunOptions options;
  options.program = test_program::copyProgramInto(program);
  ASSERT_NE(options.program, "");
  options.directory = "/";
  VmdBuilder b;
  b.header(sjis("ミク")).count(1).bone(sjis("センター"), 0, 1.0f, 0, 0, {});
  b.count(0).emptyTail();
  const std::string motion = files.write("dance.vmd", b.bytes);
  home.folder(".config");
  home.folder(".config/kinetrace");
  home.folder("xdg");
  home.folder("xdg/kinetrace");

  const struct {
    const char* name;
    const char* configHome;  // XDG_CONFIG_HOME below home, "" unset
    const char* userAliasIn; // folder below home holding the user's alias.ini, "" none
    bool besideProgram;      // alias.ini beside the program
    const char* bonesLine;   // the report's bone heading
    const char* centreName;  // how the centre bone is shown
  } cases[] = {
      {"no alias file", "", "", false, "使用ボーン: ", "センター"},
      {"beside the program", "", "", true, "Bones: ", "ProgramCentre"},
      {"~/.config/kinetrace", "", ".config/kinetrace", true, "Bones: ", "UserCentre"},
      {"$XDG_CONFIG_HOME/kinetrace", "xdg", "xdg/kinetrace", true, "Bones: ", "UserCentre"},
      {"only the user's", "xdg", "xdg/kinetrace", false, "Bones: ", "UserCentre"},
      {"XDG_CONFIG_HOME elsewhere", "xdg", ".config/kinetrace", true, "Bones: ", "ProgramCentre"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::remove(home.path(".config/kinetrace/alias.ini").c_str());
    std::remove(home.path("xdg/kinetrace/alias.ini").c_str());
    std::remove(program.path("alias.ini").c_str());
    if (c.userAliasIn[0] != '\0')
      home.write(std::string(c.userAliasIn) + "/alias.ini", aliasRule("UserCentre"));
    if (c.besideProgram)
      program.write("alias.ini", aliasRule("ProgramCentre"));
    options.environment = {"HOME=" + home.path(), "XDG_CONFIG_HOME"};
    if (c.configHome[0] != '\0')
      options.environment[1] = "XDG_CONFIG_HOME=" + home.path(c.configHome);
    const std::string out =
        test_program::runProgram({"--print", "--color=never", motion}, options).out;
    EXPECT_NE(out.find(c.bonesLine), std::string::npos) << out;
    EXPECT_NE(out.find(std::string("  ") + c.centreName + "  (1 keys)"), std::string::npos) << out;
  }
}

} // namespace
