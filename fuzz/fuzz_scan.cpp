// Fuzz target: the two text-file scanners, chkifutf8 and chkifsjis, on a real file.
//
// Input: one control byte, then the file. Bit 0 of the control byte opens the file by its
// UTF-16 path (handle mode), otherwise by its ANSI path (stream mode).
//
// Checks: both results equal those of a byte-array walk written from the scanners' rules,
// and a missing file gives 0xFF from both.
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "text/scan.h"

namespace {

int expectedUtf8(const uint8_t* p, size_t n) {
  int status = 7;
  int errors = 0;
  size_t i = 0;
  while (i < n && errors < 2) {
    const uint8_t c = p[i++];
    int more;
    if (c < 0x80)
      continue;
    if (c >= 0xC0 && c <= 0xDF)
      more = 1;
    else if (c >= 0xE0 && c <= 0xEF)
      more = 2;
    else if (c >= 0xF0 && c <= 0xF7)
      more = 3;
    else
      more = -1;
    bool bad = more < 0;
    for (int k = 0; k < more && !bad; ++k) {
      // Each examined byte is taken; the end of the file fails the sequence.
      if (i >= n) {
        bad = true;
        break;
      }
      const uint8_t d = p[i++];
      bad = d < 0x80 || d > 0xBF;
    }
    if (bad) {
      ++errors;
      status = 0;
    }
  }
  return status;
}

int expectedSjis(const uint8_t* p, size_t n) {
  int status = 7;
  size_t i = 0;
  while (i < n) {
    const uint8_t b = p[i++];
    if (b >= 0xFD) {
      status |= 8;
      continue;
    }
    const bool lead = (b >= 0x80 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    if (!lead)
      continue;
    if (i >= n) {
      status &= 3;
      break;
    }
    const uint8_t second = p[i++];
    if (b == 0x80) {
      status &= 2;
      continue;
    }
    if (b >= 0xE0)
      status |= 8;
    if (second <= 0x3F)
      status &= 1;
  }
  return status;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0)
    return 0;
  const bool wide = (data[0] & 1) != 0;
  const std::string path = fuzz::writeScratch("text.ini", data + 1, size - 1);
  int utf8, sjis;
  if (wide) {
    const std::u16string widePath = fuzz::wideFormOf(path);
    utf8 = chkifutf8W(widePath.c_str());
    sjis = chkifsjisW(widePath.c_str());
  } else {
    const std::string ansiPath = fuzz::ansiFormOf(path);
    utf8 = chkifutf8(ansiPath.c_str());
    sjis = chkifsjis(ansiPath.c_str());
  }
  FUZZ_CHECK(utf8 == expectedUtf8(data + 1, size - 1));
  FUZZ_CHECK(sjis == expectedSjis(data + 1, size - 1));
  fuzz::count(utf8 == 7 ? "utf8" : static_cast<int8_t>(sjis) >= 3 ? "sjis" : "neither");
  if (data[0] & 2) {
    const std::string missing = fuzz::ansiFormOf(path + ".missing");
    FUZZ_CHECK(chkifutf8(missing.c_str()) == 0xFF);
    FUZZ_CHECK(chkifsjis(missing.c_str()) == 0xFF);
  }
  return 0;
}
