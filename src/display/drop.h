// Files dropped on the report window become further input files of the run.
//
// The first dropped file is kept aside (gViewWindow.droppedPath, droppedPathW) and the
// others are appended at once to both argument lists (text/paths.h); the viewer appends
// the first one when it notices the drop, so files A, B and C dropped together are checked
// in the order B, C, A. A name that does not fit 259 characters in either path form is
// skipped in both, which keeps the two lists aligned.
#pragma once

// Takes the names of a drop from the platform's drop handle and finishes the drop.
void dropTakeFiles(void* drop);
// Clears the dropped flag and the first dropped file.
void dropClear();
