#include "app/run.h"

#include <cstdio>
#include <cstdlib>

#include "analysis/report.h"
#include "app/check.h"
#include "app/startup.h"
#include "app/state.h"
#include "app/window_fix.h"
#include "display/surface.h"
#include "display/viewer.h"
#include "os/os.h"
#include "text/dialogs.h"
#include "text/encoding.h"
#include "text/files.h"
#include "text/pathconv.h"
#include "text/paths.h"
#include "text/sjis_text.h"
#include "text/strings.h"
#include "text/trace.h"

// ---- Index ----
// Window display, hooks, extension check, open dialog, one file, the whole run.

namespace {

// ---- Window display ----
// The report window, fed with the start-up and per-file state.

int windowPrepare() {
  if (displayPlatform() == nullptr) {
    std::fputs("kinetrace: this build has no report window; use --print or --json for a "
               "console report\n",
               stderr);
    std::exit(1);
  }
  viewerSetCaptureFolder(gStartup.picturesDir, gStartup.picturesDirW);
  viewerSetFixHandler(fixShownMotion);
  return viewerPrepare(gStartup.programDir, gStartup.programDirW);
}

int windowRunViewer() {
  return viewerRun(gFile.actualName, gFile.actualNameW);
}

void windowShutdown() {
  // Nothing was shown when no file got a turn (a declined first file).
  if (gViewWindow.state != WINDOW_NONE)
    viewerShutdown();
}

const DisplayHandover kWindowDisplay = {windowPrepare, windowRunViewer, viewerFontMissing,
                                        windowShutdown};

struct RunHooks {
  const DisplayHandover* display = &kWindowDisplay; // set by setDisplayHandover
  void (*pause)(int milliseconds) = osSleepMs;      // set by setRunPause
};
RunHooks gRunHooks;

// ---- Extension check ----

bool hasMotionExtension(const FileState& f) {
  char ext[PATH_SIZE];
  char16_t extW[PATH_SIZE];
  getext(ext, f.actualName);
  getextW(extW, f.actualNameW);
  return (ext[0] != '\0' && headcmpi(ext, ".VMD") == 0) ||
         (extW[0] != 0 && headcmpiW(extW, u".VMD") == 0);
}

// The question about a file without ".VMD", in Shift-JIS.
void composeExtensionQuestion(char* out, size_t size, const char* actualName) {
  const StartupState& s = gStartup;
  char nameLine[PATH_SIZE + 16];
  formatString(nameLine, sizeof nameLine, "   %s \r\n", actualName);
  out[0] = '\0';
  if (s.uiJapanese != 0 && s.consoleSjis != 0) {
    appendString(out, size, SjisText(" モーションファイル： \r\n"));
    appendString(out, size, nameLine);
    appendString(out, size, SjisText(" には拡張子 \".VMD\" がありません. \r\n"));
    appendString(out, size, " \r\n");
    appendString(out, size, SjisText(" 強行しますか? "));
  } else if (s.consoleOutputCodePage != 65001) {
    appendString(out, size, " Motion file: \r\n");
    appendString(out, size, nameLine);
    appendString(out, size, " does not have extension \".VMD\" in the file name. \r\n");
    appendString(out, size, " \r\n");
    appendString(out, size, " Do you like to continue? ");
  } else {
    appendString(out, size, " The motion file \r\n");
    appendString(out, size, " does not have extension \".VMD\" in the file name. \r\n");
    appendString(out, size, " \r\n");
    appendString(out, size, " Do you like to continue? ");
  }
}

// ---- One file ----

// The verdict box of a report the window could not draw.
void showResultBox() {
  const FileState& f = gFile;
  if (f.ansiUnusable != 0 && f.wideUnusable == 0)
    messageBoxW(gResult.textW, u"Kinetrace", MB_OK | MB_ICONINFORMATION | MB_TOPMOST);
  else
    messageBoxA(gResult.text, "Kinetrace", MB_OK | MB_ICONINFORMATION | MB_TOPMOST);
}

const char* argumentAt(int index) {
  if (index < gArgTable.count)
    return gArgTable.arg[index];
  return "";
}

bool isOptionAt(int index) {
  if (index < gArgTable.count)
    return isOptionArgument(gArgTable.arg[index]);
  const char16_t* wide = index < gArgTableW.count ? gArgTableW.arg[index] : u"";
  return wide[0] == u'-' || wide[0] == u'/';
}

int argumentCount() {
  return gArgTable.count > gArgTableW.count ? gArgTable.count : gArgTableW.count;
}

// Files given that the argument tables could not hold are named on standard error, never
// dropped silently.
void reportLeftOut(int leftOut) {
  if (gArgTable.count >= ARG_MAX_COUNT)
    std::fprintf(stderr, "kinetrace: %d file%s left out: at most %d arguments fit\n", leftOut,
                 leftOut == 1 ? "" : "s", ARG_MAX_COUNT - 1);
  else
    std::fprintf(stderr,
                 "kinetrace: %d file%s left out: the arguments fit in %d characters at most\n",
                 leftOut, leftOut == 1 ? "" : "s", ARG_POOL_FULL);
}

} // namespace

void setDisplayHandover(const DisplayHandover* display) {
  gRunHooks.display = display != nullptr ? display : &kWindowDisplay;
}

void setRunPause(void (*pause)(int milliseconds)) {
  gRunHooks.pause = pause != nullptr ? pause : osSleepMs;
}

bool checkMotionExtension() {
  if (hasMotionExtension(gFile) || gStartup.noDialogLevel >= 2)
    return true;
  char question[1024];
  composeExtensionQuestion(question, sizeof question, gFile.actualName);
  if (messageBoxA(question, "Kinevert", MB_OKCANCEL | MB_ICONINFORMATION | MB_TOPMOST) == IDOK)
    return true;
  gStartup.exitStatus |= EXIT_DECLINED;
  gRunHooks.pause(700);
  return false;
}

bool obtainFileFromDialog() {
  if (gArgTableW.count >= gArgTable.count) {
    char16_t chosen[PATH_SIZE];
    if (openfiledlgW(chosen, 4, gStartup.programDirW) != 0)
      return false;
    char ansi[PATH_SIZE * 2];
#ifdef _WIN32
    if (osWideToAnsi(ansi, sizeof ansi, chosen) != 0)
      ansi[0] = '\0';
#else
    char utf8[PATH_SIZE * 3 + 1];
    if (widePathToUtf8(utf8, sizeof utf8, chosen) != 0 ||
        utf8PathToAnsi(ansi, sizeof ansi, utf8) != 0)
      ansi[0] = '\0';
#endif
    addargW(&gArgTableW, chosen);
    addarg(&gArgTable, ansi);
    if (rftryopenW(chosen) != 0)
      return false;
  } else {
    char chosen[PATH_SIZE];
    if (openfiledlg(chosen, 4, gStartup.programDir) != 0)
      return false;
    char16_t wide[PATH_SIZE];
#ifdef _WIN32
    if (osAnsiToWide(wide, PATH_SIZE, chosen) != 0)
      wide[0] = 0;
#else
    char utf8[PATH_SIZE * 3 + 1];
    if (ansiPathToUtf8(utf8, sizeof utf8, chosen) != 0 ||
        utf8PathToWide(wide, PATH_SIZE, utf8) != 0)
      wide[0] = 0;
#endif
    addarg(&gArgTable, chosen);
    addargW(&gArgTableW, wide);
    if (rftryopen(chosen) != 0)
      return false;
  }
  rfclose();
  gStartup.displayLevel = 0;
  return true;
}

RunTurn runOneFile(int index) {
  takeFileArgument(index);
  if (!checkMotionExtension())
    return RUN_STOP;
  checkMotionFile();

  const DisplayHandover& display = *gRunHooks.display;
  if (display.prepare() != 0) {
    trace("display: cursors cannot be loaded\n");
    std::exit(1);
  }
  int ended = display.runViewer();
  bool anyArgument = gArgTable.count >= 2 || gArgTableW.count >= 2;
  if (ended != VIEWER_DROPPED && display.fontMissing() != 0 && gStartup.noDialogLevel == 0 &&
      anyArgument)
    showResultBox();
  return RUN_GO_ON;
}

int runAll(int argc, char** argv) {
  gStartup = StartupState{};
  const int leftOut = loadArguments(argc, argv);
  if (leftOut > 0)
    reportLeftOut(leftOut);
  startupEnvironment();
  gRunHooks.pause(500);
  if (gArgTable.count < 2 && !obtainFileFromDialog()) {
    trace("usage: kinetrace [Options] <vmdFileName>\n");
    std::exit(0);
  }
  parseOptions();
  // The count is read anew on every turn: dropped files extend the lists.
  for (int index = 1; index < argumentCount() && index < ARG_MAX_COUNT; ++index) {
    if (isOptionAt(index))
      continue;
    trace("file %d: %s\n", index, argumentAt(index));
    if (runOneFile(index) == RUN_STOP)
      break;
  }
  gRunHooks.display->shutdown();
  return gStartup.exitStatus;
}
