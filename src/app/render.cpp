#include "app/render.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "app/state.h"
#include "display/capture.h"
#include "display/report_draw.h"
#include "os/os.h"
#include "text/encoding.h"
#include "text/files.h"
#include "text/pathconv.h"
#include "text/paths.h"
#include "text/strings.h"

namespace {

const char kFontName[] = "mplus-2m-regular.ttf";

const char* captureFailure(int result) {
  switch (result) {
  case CAPTURE_NOT_BMP:
    return "the picture's name must end in .bmp";
  case CAPTURE_CREATE_FAILED:
    return "cannot create the picture";
  case CAPTURE_KEPT_FILE:
    return "refusing to replace a file that is not an earlier picture";
  default:
    return "writing the picture failed";
  }
}

} // namespace

int renderCheckedReport(const char* utf8Path) {
  char fontPath[PATH_SIZE];
  char16_t fontPathW[PATH_SIZE];
  catpath(fontPath, sizeof fontPath, gStartup.programDir, kFontName);
  catpathW(fontPathW, PATH_SIZE, gStartup.programDirW, kFontName);

  char picture[PATH_SIZE * 2];
#ifdef _WIN32
  // The argument's text as the ANSI code page holds it, as the A functions take it.
  char16_t pictureW[PATH_SIZE * 2 + 2];
  const bool named = std::strlen(utf8Path) < PATH_SIZE && strutf82uni(pictureW, utf8Path) != 0 &&
                     osWideToAnsi(picture, sizeof picture, pictureW) == 0;
#else
  const bool named = utf8PathToAnsi(picture, sizeof picture, utf8Path) == 0;
#endif
  if (!named || chkqmark(picture) != 0) {
    std::fprintf(stderr, "kinetrace: %s: the picture's name cannot be written in Shift-JIS\n",
                 utf8Path);
    return 1;
  }
  // Both path forms of the motion: either may be the one that opened it.
  if (chksamefile(picture, gFile.ansiPath) || chksamefileW(picture, gFile.widePath)) {
    std::fprintf(stderr, "kinetrace: %s: refusing to write the picture over the motion file\n",
                 utf8Path);
    return 1;
  }
  errno = 0;
  int result = renderReportToBmp(picture, fontPath, fontPathW, gFile.actualName, gFile.actualNameW);
  // The font's failed open leaves its reason in errno: a folder or a FIFO is no missing file.
  int saved = errno;
  if (result == CAPTURE_OK)
    return 0;
  if (result == RENDER_FONT_MISSING || result == RENDER_FONT_UNUSABLE) {
    char fontUtf8[PATH_SIZE * 3];
    if (widePathToUtf8(fontUtf8, sizeof fontUtf8, fontPathW) != 0)
      copyString(fontUtf8, sizeof fontUtf8, kFontName);
    const char* why = "not a usable TrueType font";
    if (result == RENDER_FONT_MISSING)
      why = saved != 0 && saved != ENOENT ? fileErrorText(saved) : "not found";
    std::fprintf(stderr, "kinetrace: font %s: %s\n", fontUtf8, why);
    return 1;
  }
  if (result == RENDER_NO_SURFACE) {
    std::fprintf(stderr, "kinetrace: %s: not enough memory for the picture\n", utf8Path);
    return 1;
  }
  if (result == CAPTURE_KEPT_FILE)
    saved = 0;
  std::fprintf(stderr, "kinetrace: %s: %s%s%s\n", utf8Path, captureFailure(result),
               saved != 0 ? ": " : "", saved != 0 ? fileErrorText(saved) : "");
  return 1;
}
