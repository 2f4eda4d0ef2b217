// Key S of an installed program: captures go beside the program when its folder takes a
// file, else into the user's pictures folder (XDG_PICTURES_DIR/Kinetrace, made when
// missing); when neither takes one, the title says so for a few seconds.
#include "display/viewer.h"

#include "analysis/report.h"
#include "common/text_convert.h"
#include "display/window_support.h"
#include "text/userdirs.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Root writes into any folder: its file checks run as another user while this lives.
class AsOtherUser {
public:
  AsOtherUser() : switched_(geteuid() == 0 && seteuid(65534) == 0) {}
  ~AsOtherUser() {
    if (switched_ && seteuid(0) != 0)
      std::abort();
  }

private:
  bool switched_;
};

void setEnv(const char* name, const std::string& value) {
  if (value.empty())
    unsetenv(name);
  else
    setenv(name, value.c_str(), 1);
}

std::function<void()> key(int character) {
  return [=] { fakeSend(WINDOW_MSG_CHAR, character); };
}

TEST(CaptureFolder, ThePicturesFolderTakesWhatTheProgramFolderCannot) {
  const struct {
    const char* name;
    bool programWritable;
    bool picturesWritable; // the folder above the pictures folder
    const char* captured;  // "program", "pictures" or "" (nowhere: a note in the title)
  } cases[] = {
      {"writable program folder", true, true, "program"},
      {"installed program", false, true, "pictures"},
      {"nowhere to write", false, false, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder program, home;
    ASSERT_EQ(0, symlink(reportFontPath().c_str(), program.path("mplus-2m-regular.ttf").c_str()));
    ASSERT_EQ(0, chmod(program.path().c_str(), c.programWritable ? 0777 : 0555));
    ASSERT_EQ(0, chmod(home.path().c_str(), c.picturesWritable ? 0777 : 0555));
    const std::string pictures = home.path("Bilder");
    setEnv("XDG_PICTURES_DIR", pictures);
    char dir[260];
    char16_t dirW[260];
    ASSERT_EQ(0, userPicturesFolder(dir, sizeof dir, dirW, 260));

    fakeRemove();
    fakeInstall({0, 0, 1024, 300});
    reportClear();
    reportAppend("line");
    reportFinishLine();
    const std::string programAnsi = ansiPath(program.path() + "/");
    const std::u16string programWide = test_text::widePathOf(program.path() + "/");
    bool noteShown = false;
    std::string titleAfter;
    {
      AsOtherUser user;
      viewerSetCaptureFolder(dir, dirW);
      ASSERT_EQ(0, viewerPrepare(programAnsi.c_str(), programWide.c_str()));
      gFake.script = {key('S'),
                      [&] { noteShown = std::string(gViewWindow.title) != "Kinetrace "; }};
      // The note goes away by itself after its polls.
      for (int i = 0; i < VIEWER_NOTE_POLLS; ++i)
        gFake.script.push_back([] {});
      gFake.script.push_back([&] { titleAfter = gViewWindow.title; });
      gFake.script.push_back(key(EVENT_KEY_ESCAPE));
      EXPECT_EQ(VIEWER_DISMISSED, viewerRun("a.vmd", u"a.vmd"));
    }
    const std::string where = c.captured;
    EXPECT_EQ(where == "program", fileExists(program.path("cap(1).bmp")));
    EXPECT_EQ(where == "pictures", fileExists(pictures + "/Kinetrace/cap(1).bmp"));
    EXPECT_EQ(where.empty(), noteShown);
    EXPECT_EQ("Kinetrace ", titleAfter);
    fakeRemove();
    viewerSetCaptureFolder(nullptr, nullptr);
    chmod(program.path().c_str(), 0700);
    chmod(home.path().c_str(), 0700);
  }
  unsetenv("XDG_PICTURES_DIR");
}

TEST(CaptureFolder, ThePicturesFolderFollowsXdgUserDirs) {
  TempFolder home;
  home.folder(".config");
  const struct {
    const char* name;
    std::string variable; // XDG_PICTURES_DIR, "" unset
    std::string userDirs; // the XDG_PICTURES_DIR line of user-dirs.dirs, "" none
    std::string expected; // UTF-8, without the trailing Kinetrace/
  } cases[] = {
      {"the variable", "/srv/pics", "XDG_PICTURES_DIR=\"$HOME/画像\"", "/srv/pics"},
      {"a relative variable is passed over", "pics", "", home.path("Pictures")},
      {"user-dirs.dirs under $HOME", "", "XDG_PICTURES_DIR=\"$HOME/画像\"", home.path("画像")},
      {"user-dirs.dirs, absolute", "", "  XDG_PICTURES_DIR=\"/data/p\"", "/data/p"},
      {"user-dirs.dirs, relative", "", "XDG_PICTURES_DIR=\"p\"", home.path("Pictures")},
      {"neither", "", "", home.path("Pictures")},
  };
  setEnv("HOME", home.path());
  unsetenv("XDG_CONFIG_HOME");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    setEnv("XDG_PICTURES_DIR", c.variable);
    home.write(".config/user-dirs.dirs", "# written by xdg-user-dirs-update\n" + c.userDirs + "\n");
    char dir[260];
    char16_t dirW[260];
    ASSERT_EQ(0, userPicturesFolder(dir, sizeof dir, dirW, 260));
    EXPECT_EQ(ansiPath(c.expected + "/Kinetrace/"), dir);
    EXPECT_EQ(test_text::widePathOf(c.expected + "/Kinetrace/"), dirW);
  }
  unsetenv("XDG_PICTURES_DIR");
}

} // namespace
