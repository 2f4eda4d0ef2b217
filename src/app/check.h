// The check of one motion file, from empty name lists to the finished report and verdict:
// reset the lists, read alias.ini beside the program, register the built-in tables, read
// the motion (ANSI path first, UTF-16 path when that fails), then the header lines, the
// evaluation, the listing and the result text. The window and the console front ends both
// call it; it shows nothing itself.
#pragma once

// Resets gFile to argument index of the two argument lists (each form only when its list
// is that long), with the names the directory stores for it (empty when absent).
void takeFileArgument(int index);
// The same for a path given in both forms (either may be empty).
void takeFilePath(const char* ansiPath, const char16_t* widePath);

// Checks the file of gFile (ansiPath, widePath, actualName, actualNameW must be set; the
// flags are set here). Fills gMotion, gEval, gReport and gResult.
void checkMotionFile();
