// The cursor table of the report window: the eight system cursors the window may show and
// a hand of our own, shown while the left button drags the report.
//
// cursorsLoad fills the table through the installed DisplayPlatform (before each report);
// cursorApply makes one entry the window's cursor. The hand is created from the two 32 x 32
// planes below (AND 1 XOR 0 transparent, AND 0 XOR 0 black, AND 0 XOR 1 white) with its
// hot spot at (10, 10); it is destroyed again at the next load and at process exit.
#pragma once

#include <cstdint>

constexpr int CURSOR_TABLE_SIZE = 9;
constexpr int CURSOR_ARROW = 0;
constexpr int CURSOR_HAND = 8;          // the first cursor the program creates itself
constexpr int CURSOR_PLANE_BYTES = 128; // 32 rows of 4 bytes
constexpr int CURSOR_HOT_SPOT = 10;     // x and y

// Results of cursorApply.
constexpr int CURSOR_APPLIED = 0;
constexpr int CURSOR_BUSY = 1;     // another change is in progress; nothing changes
constexpr int CURSOR_INVALID = -1; // no window, or no such entry; nothing changes

struct CursorTable {
  void* cursors[CURSOR_TABLE_SIZE]; // set by cursorsLoad; own ones freed by cursorsRelease
  int32_t count;                    // entries filled
  int32_t firstOwn;                 // index of the first cursor made by the program (8)
  uint8_t applying;                 // set while cursorApply runs
  uint8_t exitHookRegistered;       // cursorsRelease is registered with atexit
};
extern CursorTable gCursors;

extern const uint8_t kHandAndPlane[CURSOR_PLANE_BYTES];
extern const uint8_t kHandXorPlane[CURSOR_PLANE_BYTES];

// Loads the eight system cursors in table order and creates the hand. Returns 0, or -1
// when any of them cannot be had (the table then holds what was obtained).
int cursorsLoad();
// Sets entry index as the window's class cursor and current cursor. CURSOR_*.
int cursorApply(int index);
// Destroys the cursors the program created, from the last down to the first own one.
void cursorsRelease();
