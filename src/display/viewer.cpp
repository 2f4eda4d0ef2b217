#include "display/viewer.h"

#include "display/capture.h"
#include "display/cursors.h"
#include "display/drop.h"
#include "display/glyph.h"
#include "display/report_draw.h"
#include "display/surface.h"
#include "display/window.h"
#include "text/files.h"
#include "text/paths.h"
#include "text/strings.h"
#include "text/trace.h"
#include "text/userdirs.h"

ViewerState gViewer;

namespace {

const char kTitle[] = "Kinetrace "; // the program's name and one blank
const char kNoteNoFolder[] = "Kinetrace - capture not saved: no writable folder";
const char kNoteNotSaved[] = "Kinetrace - capture not saved";
const char kFontName[] = "mplus-2m-regular.ttf";
constexpr int SHUTDOWN_SETTLE_MS = 200;

// ---- Input ----
// What each input code means to a run is given in one place. A key that acts first is a
// case of runKeyAction, which hands back the code to go on with; what a code does to the
// run is a case of inputEffect. Codes of neither are ignored.

enum InputEffect {
  INPUT_IGNORED,     // the viewer waits for the next input
  INPUT_NEW_PASS,    // the window is fitted and brought to the front again
  INPUT_DISMISS,     // the run ends: VIEWER_DISMISSED
  INPUT_NEXT_REPORT, // the run ends and the dropped files' reports follow: VIEWER_DROPPED
  INPUT_FOLLOW,      // the run ends at once: the file just put in the lists follows
};

// Runs the fix handler: the copy's report follows when it wrote one; the note shows either way.
int runFix() {
  ViewerState& s = gViewer;
  if (s.fix == nullptr)
    return EVENT_NONE;
  s.fixNote[0] = '\0';
  const int written = s.fix(s.fixNote, sizeof s.fixNote);
  s.note = s.fixNote;
  s.noteTicks = VIEWER_NOTE_POLLS;
  windowSetTitle(s.note);
  return written == VIEWER_FIX_WRITTEN ? VIEWER_CODE_FIXED : EVENT_NONE;
}

int runKeyAction(int code) {
  switch (code) {
  case 'S':
  case 's':
    // The result takes the key's place; CAPTURE_HEADER_FAILED shares Ctrl+K's code and so
    // starts a pass.
    return viewerCapture();
  case 'F':
  case 'f':
    return runFix();
  default:
    return code;
  }
}

int inputEffect(int code) {
  switch (code) {
  case EVENT_KEY_ESCAPE:
  case EVENT_KEY_CTRL_Q:
  case 'Q':
  case 'q':
  case VIEWER_CODE_QUIT:
    return INPUT_DISMISS;
  case VIEWER_CODE_DROPPED:
    return INPUT_NEXT_REPORT;
  case VIEWER_CODE_FIXED:
    return INPUT_FOLLOW;
  case EVENT_KEY_SPACE:
  case EVENT_KEY_ENTER:
  case 'R':
  case 'r':
  case 'C':
  case 'c':
  case VIEWER_CODE_PAN:
    return INPUT_NEW_PASS;
  default:
    break;
  }
  if (code >= EVENT_KEY_BACKSPACE && code <= EVENT_KEY_CTRL_L)
    return INPUT_NEW_PASS;
  // An arrow, alone or with Shift, Ctrl or both.
  const int key = code & EVENT_KEY_MASK;
  const int modifier = code & ~EVENT_KEY_MASK;
  if (key >= VIRTUAL_KEY_LEFT && key <= VIRTUAL_KEY_DOWN && modifier >= EVENT_NAVIGATION &&
      modifier <= EVENT_MODIFIER_CTRL_SHIFT)
    return INPUT_NEW_PASS;
  return INPUT_IGNORED;
}

bool panPending() {
  const ViewWindow& v = gViewWindow;
  return (v.leftUpEvent != 0 && v.leftPressed == 0) || v.draggedEvent != 0;
}

void endRun(int code) {
  gViewer.running = 0;
  gViewer.code = code;
}

// Polls the window until it has input for the viewer, counting a title note down between
// polls. The first dropped file joins the argument lists here, behind the others of its
// drop.
int waitForInput() {
  ViewWindow& v = gViewWindow;
  for (;;) {
    int code = EVENT_NONE;
    if (v.closed != 0)
      code = EVENT_KEY_ESCAPE;
    displayDispatchMessages();
    if (windowPeekEvent() != EVENT_NONE) {
      code = windowTakeEvent();
      if (code >= EVENT_BUTTON_FIRST) // the viewer follows the mouse by the window's flags
        code = EVENT_NONE;
    }
    if (panPending())
      code = VIEWER_CODE_PAN;
    if (v.dropped != 0) {
      code = VIEWER_CODE_DROPPED;
      addargW(&gArgTableW, v.droppedPathW);
      addarg(&gArgTable, v.droppedPath);
    }
    if (code != EVENT_NONE)
      return code;
    displayPause(VIEWER_POLL_MS);
    ViewerState& s = gViewer;
    if (s.noteTicks > 0 && --s.noteTicks == 0)
      windowSetTitle(kTitle);
  }
}

// Acts on the code of the last input, then on each one that follows, until the run ends
// (running cleared) or a new pass is due.
void handleInput(int code) {
  for (;;) {
    code = runKeyAction(code);
    // A pan or a drop outranks the key; without a font the run ends as on Q.
    if (panPending())
      code = VIEWER_CODE_PAN;
    if (gViewWindow.dropped != 0)
      code = VIEWER_CODE_DROPPED;
    if (gViewer.fontMissing != 0)
      code = 'Q';
    const int effect = inputEffect(code);
    if (effect == INPUT_DISMISS || effect == INPUT_FOLLOW) {
      endRun(code);
      return;
    }
    if (effect == INPUT_NEW_PASS)
      return;
    // Ignored, or a drop: the wait takes the drop's first file into the argument lists.
    code = waitForInput();
    displayDispatchMessages();
    windowTakeEvent();
    windowTakeLeftReleased();
    const int next = inputEffect(code);
    if (next == INPUT_DISMISS || next == INPUT_NEXT_REPORT) {
      endRun(code);
      return;
    }
  }
}

// One pass: fits the window to the report (made at the first pass), brings it to the
// front, pans while the left button drags, draws the report once in a run, then handles
// input.
void runPass(const char* actualName, const char16_t* actualNameW) {
  ViewerState& s = gViewer;
  ViewWindow& v = gViewWindow;
  const int leftUp = windowTakeLeftUp();
  const int dragged = windowTakeDragged();
  const int leftDown = windowTakeLeftDown();
  windowTakeResized();
  int width, height;
  reportSurfaceSize(&width, &height);
  if (v.state == WINDOW_NONE) {
    if (windowCreate(width, height, 1, kTitle) != 0) {
      // Nothing to show the report in: end the run rather than wait for input that
      // cannot come.
      trace("viewer: the report window could not be made\n");
      endRun(VIEWER_CODE_QUIT);
      return;
    }
  } else if (v.surfaceWidth != width || v.surfaceHeight != height) {
    windowResize(width, height, 1, kTitle);
  }
  windowSetHeldCursor(CURSOR_HAND);
  windowSetCursor(CURSOR_ARROW);
  windowSetTitle(s.noteTicks > 0 ? s.note : kTitle);
  windowDropTopmost();
  if (leftDown != 0) {
    s.pressHorizontal = v.horizontalPosition;
    s.pressVertical = v.verticalPosition;
  }
  if (leftUp != 0 || dragged != 0) {
    // The report follows the mouse while the left button is held.
    surfaceScrollHorizontalTo(s.pressHorizontal - (v.dragX - v.pressX));
    surfaceScrollVerticalTo(s.pressVertical - (v.dragY - v.pressY));
  }
  if (s.drawn == 0) {
    drawReport(actualName, actualNameW);
    // Nothing else is drawn in this run; a face loaded by its UTF-16 path would otherwise
    // keep the byte reader that the capture and the next file need.
    glyphUnloadFont();
    s.drawn = 1;
  }
  handleInput(EVENT_NONE);
}

} // namespace

int viewerPrepare(const char* programDir, const char16_t* programDirW) {
  ViewerState& s = gViewer;
  s.programDir = programDir;
  s.programDirW = programDirW;
  surfaceSetBackground(0, 0, 0);
  const DisplayPlatform* p = displayPlatform();
  const uint32_t text = p != nullptr && p->windowTextColour != nullptr ? p->windowTextColour() : 0;
  surfaceSetForeground(text & 0xFF, text >> 8 & 0xFF, text >> 16 & 0xFF);
  char font[PATH_SIZE];
  char16_t fontW[PATH_SIZE];
  catpath(font, sizeof font, programDir, kFontName);
  catpathW(fontW, PATH_SIZE, programDirW, kFontName);
  // A font that opens but cannot be used hides the report as surely as a missing one:
  // the verdict then goes to the message box.
  s.fontMissing = loadReportFont(font, fontW, displayPause) == GLYPH_LOAD_OK ? 0 : 0xFF;
  return cursorsLoad() == 0 ? 0 : -1;
}

int viewerRun(const char* actualName, const char16_t* actualNameW) {
  ViewerState& s = gViewer;
  s.drawn = 0;
  s.running = 1;
  s.code = 0;
  gViewWindow.dropped = 0;
  // The close button ends this report only, as Escape does.
  gViewWindow.closed = 0;
  while (s.running != 0)
    runPass(actualName, actualNameW);
  return s.code == VIEWER_CODE_DROPPED || s.code == VIEWER_CODE_FIXED ? VIEWER_DROPPED
                                                                      : VIEWER_DISMISSED;
}

int viewerFontMissing() {
  return gViewer.fontMissing != 0 ? 1 : 0;
}

void viewerShutdown() {
  displayDispatchMessages();
  windowTakeEvent();
  windowTakeLeftReleased();
  windowDestroy();
  displayDispatchMessages();
  displayPause(SHUTDOWN_SETTLE_MS);
  displayDispatchMessages();
}

void viewerSetFixHandler(ViewerFixHandler fix) {
  gViewer.fix = fix;
}

void viewerSetCaptureFolder(const char* dir, const char16_t* dirW) {
  gViewer.captureDir = dir;
  gViewer.captureDirW = dirW;
}

namespace {

// Captures into the first free cap(N).bmp of the folder. Returns the capture's result, or
// VIEWER_CAPTURES_TAKEN.
int captureInto(const char* dir, const char16_t* dirW) {
  for (int n = 1; n <= VIEWER_CAPTURE_LIMIT; ++n) {
    char name[24];
    formatString(name, sizeof name, "cap(%d).bmp", n);
    char path[PATH_SIZE];
    char16_t pathW[PATH_SIZE];
    catpath(path, sizeof path, dir, name);
    catpathW(pathW, PATH_SIZE, dirW, name);
    if (rftryopen(path) != 0 && rftryopenW(pathW) != 0) {
      // A name held by something that is no capture (a dangling link, a folder) is passed.
      const int result = captureToBmp(path);
      if (result != CAPTURE_KEPT_FILE)
        return result;
      continue;
    }
    rfclose();
  }
  trace("viewer: cap(1) to cap(%d) exist; nothing captured\n", VIEWER_CAPTURE_LIMIT);
  return VIEWER_CAPTURES_TAKEN;
}

} // namespace

int viewerCapture() {
  ViewerState& s = gViewer;
  int result = captureInto(s.programDir != nullptr ? s.programDir : "",
                           s.programDirW != nullptr ? s.programDirW : u"");
  // An installed program's folder takes no file: the user's capture folder does instead.
  const bool fallback = s.captureDir != nullptr && s.captureDir[0] != '\0' &&
                        s.captureDirW != nullptr && s.captureDirW[0] != 0;
  if (result == CAPTURE_CREATE_FAILED && fallback) {
    if (makefolder(s.captureDir, s.captureDirW) == 0)
      result = captureInto(s.captureDir, s.captureDirW);
    else
      trace("viewer: the capture folder cannot be made\n");
  }
  if (result != CAPTURE_OK) {
    s.note = result == CAPTURE_CREATE_FAILED ? kNoteNoFolder : kNoteNotSaved;
    s.noteTicks = VIEWER_NOTE_POLLS;
    windowSetTitle(s.note);
  }
  return result;
}
