// The run sequence: start-up, then for each motion file argument (dropped files extend the
// list while it runs) the extension check, the check itself and one turn of the display,
// then the display's shutdown. The display is reached through DisplayHandover only, so the
// whole sequence runs without a window system in tests.
#pragma once

#include "display/viewer.h" // VIEWER_DISMISSED, VIEWER_DROPPED

struct DisplayHandover {
  // Prepares the display for the current report (colours, font, cursors). Returns 0, or
  // nonzero when the cursor table cannot be loaded (the process then ends with status 1).
  int (*prepare)();
  // Shows the report until the user dismisses it or drops files (VIEWER_* of
  // display/viewer.h).
  int (*runViewer)();
  // Nonzero when the last prepare found no font file: the report could not be drawn.
  int (*fontMissing)();
  // Closes the display after the last file.
  void (*shutdown)();
};

// Installs the display; nullptr restores the report window (display/viewer.h), which
// needs a window platform installed (displaySetPlatform) to show anything.
void setDisplayHandover(const DisplayHandover* display);

// Pauses of the sequence go through here (tests replace it to run at full speed).
void setRunPause(void (*pause)(int milliseconds));

// Turn result of runOneFile.
enum RunTurn { RUN_GO_ON, RUN_STOP };

// The whole run for main's arguments; returns the process exit status (0, or 16 when a
// file was declined at the extension check). May end the process itself: with 0 when no
// argument was given and the open dialog is cancelled, with 1 when the display cannot be
// prepared.
int runAll(int argc, char** argv);
// One file's turn for argument index.
RunTurn runOneFile(int index);
// The extension check of the current file (gFile): true to go on, false when declined.
bool checkMotionExtension();
// Asks for a file with the open dialog; false when none was chosen or it cannot be opened.
bool obtainFileFromDialog();
