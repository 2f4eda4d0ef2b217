#include "display/capture.h"

#include "display/surface.h"
#include "text/files.h"
#include "text/paths.h"
#include "text/trace.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr int BMP_HEADER_SIZE = 54;
constexpr int BMP_INFO_HEADER_SIZE = 40;
// Bounds the field and extension buffers; getfield and getext write without a size.
constexpr size_t CAPTURE_PATH_LIMIT = 1040;

bool namesBmp(const char* ansiPath) {
  char field[CAPTURE_PATH_LIMIT];
  char extension[CAPTURE_PATH_LIMIT];
  getfield(field, ansiPath, 0);
  getext(extension, field);
  return headcmpi(extension, ".BMP") == 0;
}

// True when the file at ansiPath is empty or begins with the header captureToBmp writes:
// B M, size, two zero words, offset 54, info size 40, width, height, 1 plane, 24 bits, no
// compression. Read through the text reader: while a face opened by its UTF-16 path is
// loaded, the byte reader belongs to the font.
bool holdsEarlierCapture(const char* ansiPath) {
  constexpr int HEADER_CHECKED = 34;
  if (rf2open(ansiPath) != 0)
    return false;
  unsigned char b[HEADER_CHECKED];
  int got = 0;
  while (got < HEADER_CHECKED && rf2peek() >= 0)
    b[got++] = static_cast<unsigned char>(rf2getc());
  rf2close();
  if (got == 0)
    return true;
  if (got < HEADER_CHECKED)
    return false;
  auto le = [&](int at, int size) {
    uint32_t v = 0;
    for (int i = size - 1; i >= 0; --i)
      v = v << 8 | b[at + i];
    return v;
  };
  return b[0] == 'B' && b[1] == 'M' && le(6, 4) == 0 && le(10, 4) == BMP_HEADER_SIZE &&
         le(14, 4) == BMP_INFO_HEADER_SIZE && le(26, 2) == 1 && le(28, 2) == 24 && le(30, 4) == 0;
}

bool mayReplace(const char* ansiPath) {
  switch (chkfilekind(ansiPath)) {
  case OS_ENTRY_NONE:
  case OS_ENTRY_CHAR:
    return true;
  case OS_ENTRY_REGULAR:
    return holdsEarlierCapture(ansiPath);
  default:
    return false;
  }
}

} // namespace

int captureToBmp(const char* ansiPath) {
  if (ansiPath == nullptr)
    return CAPTURE_NOT_BMP;
  if (std::strlen(ansiPath) >= CAPTURE_PATH_LIMIT) {
    trace("capture: path too long\n");
    return CAPTURE_CREATE_FAILED;
  }
  if (!namesBmp(ansiPath))
    return CAPTURE_NOT_BMP;
  if (!mayReplace(ansiPath)) {
    trace("capture: the file there is no earlier capture; kept\n");
    return CAPTURE_KEPT_FILE;
  }
  const int32_t width = gViewWindow.surfaceWidth;
  const int32_t height = gViewWindow.surfaceHeight;
  const int32_t rowSize = (width * 3 + 3) / 4 * 4;
  const int32_t padding = rowSize - width * 3;

  if (wfopen(ansiPath) != 0)
    return CAPTURE_CREATE_FAILED;
  if (wfputc('B') != 0) {
    wfclose();
    return CAPTURE_FIRST_BYTE_FAILED;
  }
  if (wfputc('M') != 0) {
    wfclose();
    return CAPTURE_SECOND_BYTE_FAILED;
  }
  wfputint32(BMP_HEADER_SIZE + rowSize * height); // file size
  wfputint16(0);                                  // reserved
  wfputint16(0);                                  // reserved
  wfputint32(BMP_HEADER_SIZE);                    // offset of the pixel data
  wfputint32(BMP_INFO_HEADER_SIZE);
  wfputint32(width);
  wfputint32(height); // positive: bottom row first
  wfputint16(1);      // planes
  wfputint16(24);     // bits per pixel
  wfputint32(0);      // no compression
  wfputint32(0);      // image size
  wfputint32(0);      // horizontal resolution
  wfputint32(0);      // vertical resolution
  wfputint32(0);      // colours used
  wfputint32(0);      // important colours
  if (wfclosed() != 0) {
    wfclose();
    return CAPTURE_HEADER_FAILED;
  }

  for (int32_t y = height - 1; y >= 0; --y) {
    displayDispatchMessages();
    if (wfclosed() != 0) {
      trace("capture: writing row %d failed\n", static_cast<int>(y));
      return CAPTURE_PIXELS_FAILED;
    }
    for (int32_t x = 0; x < width; ++x) {
      int red, green, blue;
      surfaceReadPixel(x, y, &red, &green, &blue);
      wfputc(blue);
      wfputc(green);
      wfputc(red);
    }
    for (int32_t i = 0; i < padding; ++i)
      wfputc(0);
  }
  // A failure in the last row, or in the final flush, must not pass for success.
  if (wfclosed() != 0 || wfclose() != 0) {
    trace("capture: writing the last row or flushing failed\n");
    return CAPTURE_PIXELS_FAILED;
  }
  return CAPTURE_OK;
}
