#include "app/window_fix.h"

#include <cstdio>

#include "app/fix_copy.h"
#include "app/state.h"
#include "display/viewer.h"
#include "os/os.h"
#include "text/encoding.h"
#include "text/pathconv.h"
#include "text/paths.h"
#include "text/userdirs.h"

namespace {

constexpr int COPY_NAME_LIMIT = 99;

// The title's note, from UTF-8 to the window's Shift-JIS.
int say(char* note, int noteSize, int result, const char* text, const char* detail) {
  char utf8[PATH_SIZE * 3 + 256];
  std::snprintf(utf8, sizeof utf8, text, detail);
  utf8ToSjisBounded(note, static_cast<size_t>(noteSize), utf8);
  return result;
}

// The ANSI form of a UTF-16 path ("" when it has none).
void ansiFormOf(char* ansi, size_t size, const char16_t* wide) {
#ifdef _WIN32
  if (osWideToAnsi(ansi, size, wide) != 0)
    ansi[0] = '\0';
#else
  char utf8[PATH_SIZE * 3 + 1];
  if (widePathToUtf8(utf8, sizeof utf8, wide) != 0 || utf8PathToAnsi(ansi, size, utf8) != 0)
    ansi[0] = '\0';
#endif
}

// Tries the free names of folder in turn. Returns the copy's result; COPY_FAILED when the
// folder takes no file, COPY_TARGET_REFUSED when every name is taken.
int writeInto(const char16_t* folder, const char16_t* body, CorrectedCopy* copy, char16_t* target) {
  for (int n = 1; n <= COPY_NAME_LIMIT; ++n) {
    char suffix[32];
    if (n == 1)
      std::snprintf(suffix, sizeof suffix, "_fixed.vmd");
    else
      std::snprintf(suffix, sizeof suffix, "_fixed(%d).vmd", n);
    char16_t name[PATH_SIZE];
    if (unilen(body) + 16 >= PATH_SIZE)
      return COPY_FAILED;
    unicpy(name, body);
    strcatsjis2uni(name, suffix);
    if (catpathW(target, PATH_SIZE, folder, "") != 0 || unilen(target) + unilen(name) >= PATH_SIZE)
      return COPY_FAILED;
    unicat(target, name);
    char ansi[PATH_SIZE * 2];
    ansiFormOf(ansi, sizeof ansi, target);
    const int result = writeCorrectedCopy(ansi, target, 0, 0, copy);
    if (result != COPY_TARGET_REFUSED)
      return result; // a taken name goes on to the next
  }
  return COPY_TARGET_REFUSED;
}

} // namespace

int fixShownMotion(char* note, int noteSize) {
  const FileState& f = gFile;
  char16_t body[PATH_SIZE];
  getbodyW(body, f.actualNameW[0] != 0 ? f.actualNameW : f.widePath);
  getfnameW(body, body);
  char16_t folder[PATH_SIZE];
  getdirW(folder, f.widePath);
  static CorrectedCopy copy;
  char16_t target[PATH_SIZE];
  int result = writeInto(folder, body, &copy, target);
  const StartupState& s = gStartup;
  if (result == COPY_FAILED && s.picturesDirW[0] != 0 &&
      makefolder(s.picturesDir, s.picturesDirW) == 0)
    result = writeInto(s.picturesDirW, body, &copy, target);
  switch (result) {
  case COPY_WRITTEN: {
    char ansi[PATH_SIZE * 2];
    ansiFormOf(ansi, sizeof ansi, target);
    addargW(&gArgTableW, target);
    addarg(&gArgTable, ansi);
    char16_t name[PATH_SIZE];
    getfnameW(name, target);
    char utf8[PATH_SIZE * 3 + 1];
    struni2utf8(utf8, name);
    return say(note, noteSize, VIEWER_FIX_WRITTEN, "Kinetrace - corrected copy written: %s", utf8);
  }
  case COPY_UNCHANGED:
    return say(note, noteSize, VIEWER_FIX_NOT_WRITTEN, "Kinetrace - nothing to correct%s", "");
  case COPY_TARGET_REFUSED:
    return say(note, noteSize, VIEWER_FIX_NOT_WRITTEN,
               "Kinetrace - no corrected copy: every name up to _fixed(99) is taken%s", "");
  default:
    return say(note, noteSize, VIEWER_FIX_NOT_WRITTEN, "Kinetrace - no corrected copy: %s",
               copy.reason);
  }
}
