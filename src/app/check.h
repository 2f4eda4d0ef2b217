// The check of one motion file, from empty name lists to the finished report and verdict:
// reset the lists, read alias.ini beside the program, register the built-in tables, read
// the motion (ANSI path first, UTF-16 path when that fails), then the header lines, the
// evaluation, the listing and the result text. The window and the console front ends both
// call it; it shows nothing itself.
#pragma once

#include <cstddef>
#include <cstdint>

// Resets gFile to argument index of the two argument lists (each form only when its list
// is that long), with the names the directory stores for it (empty when absent).
void takeFileArgument(int index);
// The same for a path given in both forms (either may be empty).
void takeFilePath(const char* ansiPath, const char16_t* widePath);

// Why the file just checked was not read whole, in UTF-8 (size bytes with the terminator):
// "cannot open: …", "not a VMD 0002 motion file", "ends inside the bone keys (read 43 of
// 872)", "N names beyond the name lists' capacity were not counted" … joined by "; ".
// Returns 0 with out empty when it was read whole.
int describeReadProblem(char* out, size_t size);
// The records the current motion declares for a block (MotionBlock).
int32_t declaredRecords(int block);

// Checks the file of gFile (ansiPath, widePath, actualName, actualNameW must be set; the
// flags are set here). Fills gMotion, gEval, gReport and gResult.
void checkMotionFile();
