#include "text/scan.h"

#include "text/encoding.h"
#include "text/files.h"
#include "text/sjis_lead.h"
#include "text/trace.h"
#include "text/utf8.h"

namespace {

constexpr int CANNOT_OPEN = 0xFF;

int openText(const char* ansiPath, const char16_t* widePath, int useWide) {
  return useWide ? rf2openW(widePath) : rf2open(ansiPath);
}

} // namespace

// ---- UTF-8 ----

int chkifutf8(const char* ansiPath, const char16_t* widePath, int useWide) {
  if (openText(ansiPath, widePath, useWide) != 0)
    return CANNOT_OPEN;
  int status = 7;
  int errors = 0;
  while (!rf2eof() && errors < 2) {
    int c = rf2getc();
    if (c < 0)
      break;
    if (c < 0x80)
      continue;
    // A stray continuation byte or 0xF8-0xFF fails at once.
    const int continuations = utf8LenientLength(static_cast<unsigned char>(c)) - 1;
    bool failed = continuations < 0;
    for (int i = 0; i < continuations && !failed; i++) {
      const int next = rf2getc(); // the end of the file (-1) fails too
      failed = next < 0 || !utf8IsContinuation(static_cast<unsigned char>(next));
    }
    if (failed) {
      errors++;
      status = 0;
      trace("chkifutf8: invalid sequence at byte 0x%02X\n", c);
    }
  }
  rf2close();
  return status;
}

int chkifutf8(const char* ansiPath) {
  return chkifutf8(ansiPath, u"", 0);
}

int chkifutf8W(const char16_t* widePath) {
  return chkifutf8("", widePath, 1);
}

// ---- Shift-JIS ----

int chkifsjis(const char* ansiPath, const char16_t* widePath, int useWide) {
  if (openText(ansiPath, widePath, useWide) != 0)
    return CANNOT_OPEN;
  SjisStatus status = SJIS_STATUS_CLEAN;
  while (!rf2eof()) {
    int b = rf2getc();
    if (b < 0)
      break;
    if (b >= 0xFD) {
      status |= 8;
      continue;
    }
    if (!isSjisLeadByte(static_cast<unsigned char>(b)))
      continue; // 0x00-0x7F and 0xA0-0xDF are single characters
    if (rf2peek() < 0) {
      status &= 3;
      trace("chkifsjis: file ends after a lead byte\n");
      break;
    }
    int second = rf2getc();
    if (b == 0x80) {
      status &= 2;
      trace("chkifsjis: pair with first byte 0x80\n");
      continue;
    }
    if (b >= 0xE0)
      status |= 8;
    if (second <= 0x3F) {
      status &= 1;
      trace("chkifsjis: second byte 0x%02X below 0x40\n", second);
    }
  }
  rf2close();
  return status;
}

int chkifsjis(const char* ansiPath) {
  return chkifsjis(ansiPath, u"", 0);
}

int chkifsjisW(const char16_t* widePath) {
  return chkifsjis("", widePath, 1);
}
