// Fuzz target: every conversion of the encodings module (Shift-JIS, UTF-16, UTF-8, the
// single-code lookups, cut names, the sized helpers) and the path-form conversions.
//
// Input: one control byte, then the text. The text is used as bytes (Shift-JIS or UTF-8)
// and, taken pairwise, as UTF-16. Bits 2-7 of the control byte give the output size of the
// sized helpers; bit 0 gives the appending conversions a string without a terminator in the
// part they look at; bit 1 switches message appending to raw bytes.
//
// Every output goes into a heap buffer of exactly the worst-case size that the header
// gives for it, so a conversion that writes more than it promises is caught. Checks:
// results within their ranges; Shift-JIS -> UTF-16 -> Shift-JIS gives the bytes back when
// every pair maps to a code point of U+0100-U+FFFF; sized results are prefixes of the
// unsized ones.
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "text/encoding.h"
#include "text/pathconv.h"

namespace {

using fuzz::ExactBuffer;
using fuzz::ExactText;
using fuzz::ExactWide;

constexpr size_t kMaxInput = 9998; // conversions from ANSI and UTF-16 take at most this

bool isLead(uint8_t b) {
  return (b >= 0x80 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// The ANSI code page's lead bytes, which strsjis2uni pairs by (0x80 is a single byte).
bool isAnsiLead(uint8_t b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// True when text converts to UTF-16 and back unchanged: every pair maps to a code point
// of U+0100-U+FFFF (which the reverse table maps back), no lead byte is left alone at the
// end, and the text is within the input limit. Single bytes always come back.
bool roundTrips(const char* text, size_t length) {
  if (length >= kMaxInput)
    return false;
  for (size_t i = 0; i < length;) {
    const uint8_t b = static_cast<uint8_t>(text[i]);
    if (isAnsiLead(b)) {
      if (i + 1 >= length)
        return false;
      const uint32_t cp =
          sjis2uni(static_cast<uint32_t>(b) << 8 | static_cast<uint8_t>(text[i + 1]));
      if (cp < 0x100 || cp > 0xFFFF)
        return false;
      i += 2;
    } else {
      i += 1;
    }
  }
  return true;
}

void singleCodes(const uint8_t* data, size_t size) {
  for (size_t i = 0; i < size; ++i) {
    const int lead = issjislead(data[i]);
    FUZZ_CHECK(lead == (isLead(data[i]) ? -1 : 0));
  }
  for (size_t i = 0; i + 1 < size; i += 2) {
    const uint32_t code = static_cast<uint32_t>(data[i]) << 8 | data[i + 1];
    const uint32_t cp = sjis2uni(code | 0x30000); // taken modulo 0x10000
    FUZZ_CHECK(cp == sjis2uni(code));
    FUZZ_CHECK(cp <= 0x2FFFF);
    // A BMP code point maps back to the one code whose forward entry it is.
    if (cp >= 0x100 && cp <= 0xFFFF && code >= 0x100)
      FUZZ_CHECK(uni2sjis(cp) == code);
    const uint32_t back = uni2sjis(code);
    if (back != 0 && code >= 0x100)
      FUZZ_CHECK(sjis2uni(back) == code);
  }
}

void sjisAndUtf16(const char* text, size_t length, const char16_t* wide, size_t units) {
  ExactBuffer<char16_t> toWide(length + 1);
  const int taken = strsjis2uni(toWide.data, text);
  FUZZ_CHECK(taken >= 0 && static_cast<size_t>(taken) <= (length < kMaxInput ? length : kMaxInput));
  FUZZ_CHECK(toWide.terminated());
  if (roundTrips(text, length)) {
    ExactBuffer<char> back(2 * length + 1);
    struni2sjis(back.data, toWide.data);
    FUZZ_CHECK(std::strcmp(back.data, text) == 0);
    FUZZ_CHECK(chkunisjis(toWide.data) == 0);
  }

  ExactBuffer<char> toSjis(2 * units + 1);
  const int examined = struni2sjis(toSjis.data, wide);
  FUZZ_CHECK(examined >= 0 && static_cast<size_t>(examined) <= units);
  FUZZ_CHECK(toSjis.terminated());
  const int convertible = chkunisjis(wide);
  FUZZ_CHECK(convertible == 0 || convertible == -1);
  // When every unit converts, each question mark written was one in the text.
  if (convertible == 0 && units < kMaxInput) {
    size_t marksIn = 0, marksOut = 0;
    for (size_t i = 0; i < units; ++i)
      marksIn += wide[i] == u'?';
    for (const char* p = toSjis.data; *p != '\0'; ++p)
      marksOut += *p == '?';
    FUZZ_CHECK(marksIn == marksOut);
  }
}

void appendToWide(const char* text, size_t length, bool unterminated) {
  if (unterminated) {
    // No terminator among the 9999 units looked at: nothing is written.
    ExactBuffer<char16_t> out(kMaxInput + 1);
    for (size_t i = 0; i < out.count; ++i)
      out.data[i] = u'a';
    FUZZ_CHECK(strcatsjis2uni(out.data, text) == -1);
    for (size_t i = 0; i < out.count; ++i)
      FUZZ_CHECK(out.data[i] == u'a');
    return;
  }
  ExactBuffer<char16_t> out(3 + length + 1);
  out.data[0] = u'a';
  out.data[1] = u'b';
  out.data[2] = u'c';
  out.data[3] = 0;
  const int taken = strcatsjis2uni(out.data, text);
  FUZZ_CHECK(taken >= 0);
  FUZZ_CHECK(out.data[0] == u'a' && out.data[2] == u'c');
  FUZZ_CHECK(out.terminated());
}

void utf8AndUtf16(const char* text, size_t length, const char16_t* wide, size_t units) {
  ExactBuffer<char16_t> toWide(2 * length + 2);
  const int status = strutf82uni(toWide.data, text);
  FUZZ_CHECK(status == 7 || status == 0);
  FUZZ_CHECK(toWide.terminated());

  ExactBuffer<char> toUtf8(3 * units + 1);
  const int consumed = struni2utf8(toUtf8.data, wide);
  FUZZ_CHECK(consumed >= 0 && consumed % 2 == 0 && static_cast<size_t>(consumed) <= 2 * units);
  FUZZ_CHECK(toUtf8.terminated());
}

void sjisAndUtf8(const char* text, size_t length, size_t boundedSize, bool unterminated, bool raw) {
  ExactBuffer<char> toSjis(length + 1);
  const int status = strutf82sjis(toSjis.data, text);
  FUZZ_CHECK(status == 7 || status == 0);
  FUZZ_CHECK(toSjis.terminated());

  ExactBuffer<char> toUtf8(3 * length + 1);
  const int sjisStatus = strsjis2utf8(toUtf8.data, text);
  FUZZ_CHECK(sjisStatus >= 0 && sjisStatus <= 15);
  FUZZ_CHECK(toUtf8.terminated());

  // The sized helpers: terminated within the size, a prefix of the unsized result.
  {
    ExactBuffer<char> out(boundedSize);
    sjisToUtf8Bounded(out.data, boundedSize, text);
    if (boundedSize > 0) {
      FUZZ_CHECK(out.terminated());
      FUZZ_CHECK(std::strncmp(out.data, toUtf8.data, std::strlen(out.data)) == 0);
    }
  }
  {
    ExactBuffer<char> out(boundedSize);
    utf8ToSjisBounded(out.data, boundedSize, text);
    if (boundedSize > 0) {
      FUZZ_CHECK(out.terminated());
      FUZZ_CHECK(std::strncmp(out.data, toSjis.data, std::strlen(out.data)) == 0);
    }
  }

  // Appending: the existing text's end must lie within its first 520 bytes.
  if (unterminated) {
    ExactBuffer<char> out(520);
    for (size_t i = 0; i < out.count; ++i)
      out.data[i] = 'a';
    FUZZ_CHECK(strcatsjis2utf8(out.data, text) == -1);
  } else {
    ExactBuffer<char> out(4 + 3 * length + 1);
    std::memcpy(out.data, "abc", 4);
    const int appended = strcatsjis2utf8(out.data, text);
    FUZZ_CHECK(appended == sjisStatus);
    FUZZ_CHECK(std::strcmp(out.data + 3, toUtf8.data) == 0);
  }
  {
    setMessagesRaw(raw ? 1 : 0);
    ExactBuffer<char> out(4 + (raw ? length : 3 * length) + 1);
    std::memcpy(out.data, "abc", 4);
    strcatmsg(out.data, text);
    FUZZ_CHECK(out.terminated());
    setMessagesRaw(0);
  }

  ExactText cut(reinterpret_cast<const uint8_t*>(text), length);
  const int removed = cutsjislead(cut.text);
  FUZZ_CHECK(removed == 0 || removed == 1);
  FUZZ_CHECK(std::strlen(cut.text) + static_cast<size_t>(removed) == length);
}

void pathForms(const char* text, const char16_t* wide, size_t boundedSize) {
  {
    ExactBuffer<char> out(boundedSize);
    if (ansiPathToUtf8(out.data, boundedSize, text) == 0)
      FUZZ_CHECK(out.terminated());
  }
  {
    ExactBuffer<char> out(boundedSize);
    if (widePathToUtf8(out.data, boundedSize, wide) == 0)
      FUZZ_CHECK(out.terminated());
  }
  {
    ExactBuffer<char> out(boundedSize);
    utf8PathToAnsi(out.data, boundedSize, text);
    if (boundedSize > 0)
      FUZZ_CHECK(out.terminated());
  }
  {
    ExactBuffer<char16_t> out(boundedSize);
    utf8PathToWide(out.data, boundedSize, text);
    if (boundedSize > 0)
      FUZZ_CHECK(out.terminated());
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0)
    return 0;
  const uint8_t control = data[0];
  const uint8_t* body = data + 1;
  const size_t bodySize = size - 1;
  ExactText text(body, bodySize);
  const size_t length = std::strlen(text.text); // up to the first NUL of the input
  ExactWide wide(body, bodySize);
  size_t units = 0;
  while (wide.text[units] != 0)
    ++units;
  const size_t boundedSize = control >> 2;
  const bool unterminated = (control & 1) != 0;

  singleCodes(body, bodySize);
  sjisAndUtf16(text.text, length, wide.text, units);
  appendToWide(text.text, length, unterminated);
  utf8AndUtf16(text.text, length, wide.text, units);
  sjisAndUtf8(text.text, length, boundedSize, unterminated, (control & 2) != 0);
  pathForms(text.text, wide.text, boundedSize);
  fuzz::count(roundTrips(text.text, length) ? "round-trip" : "lossy");
  return 0;
}
