// The result viewer: shows one report (analysis/report.h) in the report window until the
// user dismisses it or drops files on it.
//
// Per input file the run sequence calls viewerPrepare (colours, font, cursors), then
// viewerRun; after the last file viewerShutdown. The window is made at the first report and
// kept for the later ones. viewerRun repeats passes: fit the window to the report, bring it
// to the front, pan while the left button drags, draw the report once, then act on the
// last input and wait (polling at most 50 ms apart) for the next one:
//
//   input                                   effect
//   Escape, Q, q, Ctrl+Q, the close button  the run ends (VIEWER_DISMISSED)
//   files dropped on the window             the run ends (VIEWER_DROPPED); the files are
//                                           already in the argument lists
//   S, s                                    the report is captured to cap(N).bmp beside the
//                                           program, N the first free of 1..99; when that
//                                           folder takes no file, in the capture folder
//                                           (viewerSetCaptureFolder); when neither does, the
//                                           title says so for VIEWER_NOTE_POLLS polls
//   F, f                                    the fix handler (viewerSetFixHandler) writes a
//                                           corrected copy of the motion; when it did, the
//                                           run ends (VIEWER_DROPPED) and the copy, already
//                                           in the argument lists, follows; its note stays in
//                                           the title for VIEWER_NOTE_POLLS polls either way
//   space, Enter, R, r, C, c, Backspace,    a new pass (re-fit and re-front, no redraw)
//   Tab, Ctrl+J, Ctrl+K, Ctrl+L, the arrows
//   (alone, with Shift, Ctrl or both), a pan
//   anything else                           ignored
//
// Without a usable font file the window stays black and the run ends at once; the caller
// then shows the verdict in a message box (viewerFontMissing).
#pragma once

#include <cstdint>

// Results of viewerRun.
constexpr int VIEWER_DISMISSED = 0; // the user closed the report (Escape, Q, close button)
constexpr int VIEWER_DROPPED = 1;   // files were dropped; they are already in the arg lists

// Codes of the loop besides the window's event codes (display/window.h).
constexpr int VIEWER_CODE_PAN = 0x4020; // a left-button release or drag is pending
constexpr int VIEWER_CODE_QUIT = 0x4051;
constexpr int VIEWER_CODE_DROPPED = 0x0999; // a file was dropped
constexpr int VIEWER_CODE_FIXED = 0x4046;   // a corrected copy was written and follows

// Results of a fix handler.
constexpr int VIEWER_FIX_WRITTEN = 1; // the copy is in the argument lists: its report follows
constexpr int VIEWER_FIX_NOT_WRITTEN = 0;
// Writes a corrected copy of the motion shown and puts it at the end of the argument lists.
// Leaves the title's note (Shift-JIS, noteSize bytes with the terminator) in note: what
// was written, or why nothing was. Returns VIEWER_FIX_*.
typedef int (*ViewerFixHandler)(char* note, int noteSize);

constexpr int VIEWER_POLL_MS = 50;
constexpr int VIEWER_CAPTURE_LIMIT = 99;
constexpr int VIEWER_CAPTURES_TAKEN = -20; // capture result: cap(1) to cap(99) all exist
constexpr int VIEWER_NOTE_POLLS = 60;      // a note stays in the title this many polls (3 s)

struct ViewerState {
  // Set by viewerPrepare.
  uint8_t fontMissing;         // no usable font: the report cannot be drawn
  const char* programDir;      // where the font and the captures live (Shift-JIS)
  const char16_t* programDirW; // the same in UTF-16
  // Set by viewerSetCaptureFolder; null when there is none.
  const char* captureDir;      // captures when programDir takes no file (Shift-JIS)
  const char16_t* captureDirW; // the same in UTF-16
  // Set by viewerCapture, counted down by the waits.
  const char* note;  // the title while noteTicks > 0
  char fixNote[128]; // the fix handler's note, which note then points at
  // Set by viewerSetFixHandler; null when F does nothing.
  ViewerFixHandler fix;
  int32_t noteTicks; // polls left before the title is the program's name again
  // Set by viewerRun for its run.
  uint8_t running;
  uint8_t drawn;           // the report has been drawn in this run
  int32_t pressHorizontal; // scroll positions at the last left press
  int32_t pressVertical;
  int32_t code; // the code that ended the run
};
extern ViewerState gViewer;

// Prepares the display for the current report: black background, the font
// mplus-2m-regular.ttf of programDir (by its Shift-JIS form, else by its UTF-16 form; both
// must stay valid until the next prepare), the cursor table. Returns 0, or -1 when the
// cursors cannot be loaded.
int viewerPrepare(const char* programDir, const char16_t* programDirW);
// Shows the current report until it is dismissed or files are dropped. actualName and
// actualNameW name the file on the report's first line. Returns VIEWER_*.
int viewerRun(const char* actualName, const char16_t* actualNameW);
// Nonzero when the last prepare found no usable font.
int viewerFontMissing();
// Closes the window after the last file.
void viewerShutdown();
// The folder for captures when the program's folder takes no file (both forms end in a
// backslash and must stay valid); it is created when a capture needs it. Null or "" for
// none.
void viewerSetCaptureFolder(const char* dir, const char16_t* dirW);
// Captures the window into the first free cap(N).bmp beside the program, else (no file can
// be created there) in the capture folder. Returns the capture's result (CAPTURE_* of
// display/capture.h), or VIEWER_CAPTURES_TAKEN; on a failure the title shows a note.
int viewerCapture();
// Installs the handler of F (null: F does nothing).
void viewerSetFixHandler(ViewerFixHandler fix);
