// The new-file writer: a whole file written under a temporary name beside its target and
// renamed into place only when every byte is on the disk, so that a failure (a full disk,
// a signal, a crash) never leaves a half-written file under the target's name, and the
// temporary file is removed on every failure the process lives through.
//
//   nfopen(target, replace) -> nfwrite ... [-> nfclose] -> nfcommit   (or nfabandon at any point)
//
// The target is a UTF-16 path (the program's form, backslash separators); the temporary
// file is ".kinetrace-N.tmp" in the target's folder, the first N from 1 that is free. With
// replace 0 an existing target is never replaced (also not one made while writing). One
// file at a time; the single instance is gNewFile.
//
// Results: 0 success, -1 failure with the reason's errno in gNewFile.error (0 when none).
#pragma once

#include <cstddef>
#include <cstdint>

#include "text/paths.h"

struct NewFile {
  int handle;                  // the temporary file's descriptor while open, else -1
  uint8_t replace;             // set by nfopen: the target may be replaced
  char16_t targetW[PATH_SIZE]; // set by nfopen
  char16_t tempW[PATH_SIZE];   // the temporary file, "" when none exists
  int64_t written;             // bytes written since nfopen
  int error;                   // errno of the first failure; 0 while none
};
extern NewFile gNewFile;

// Creates the temporary file for targetW. -1 when the target's folder takes no new file or
// the temporary name does not fit PATH_SIZE (error ENAMETOOLONG). A file still open is
// abandoned first.
int nfopen(const char16_t* targetW, int replace);
// Appends size bytes. -1 (and the file is abandoned) when a write fails or none is open.
int nfwrite(const void* data, size_t size);
// Syncs and closes the temporary file and renames it to the target. -1 when any step
// fails: the temporary file is removed, the target is untouched (error EEXIST when it is
// taken and replace was 0).
int nfcommit();
// Syncs and closes the temporary file, which keeps its temporary name (gNewFile.tempW) until
// nfcommit, so that it can be read back first. -1 when a step fails (the file is removed) or
// none is open; 0 when it is closed already.
int nfclose();
// Closes and removes the temporary file, also one that nfclose closed. No effect when there
// is none.
void nfabandon();
