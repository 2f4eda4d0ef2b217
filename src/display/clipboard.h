// Right-click copy of the report window: the clicked surface position, or with Shift its
// offset from the surface centre in percent of the surface width, or with Ctrl the colour
// of the pixel, placed on the clipboard as text ("120,48", "0.00%,0.00%", "255,255,0").
#pragma once

#include <cstddef>

// The text for a click at surface (x, y) with key state (KEY_STATE_* of display/window.h)
// on the current surface; Ctrl is tested after Shift, so Ctrl wins. Writes at most size
// bytes including the terminator. Returns the text's length.
size_t clipboardText(char* out, size_t size, int x, int y, int keyState);
// Builds the text and places it on the clipboard through the platform. The text is the
// clipboard's from the moment it takes it, so nothing stays to be released later.
// Failures are silent: the clipboard keeps what it had or stays empty.
void clipboardCopyPosition(int x, int y, int keyState);
