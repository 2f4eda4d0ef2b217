#include "text/encoding.h"

#include <cstring>

#include "os/os.h"
#include "text/sjis_lead.h"
#include "text/trace.h"
#include "text/utf8.h"

// ---- Contents ----
// ---- State ----
// ---- Tables and single codes ----
// ---- UTF-8 pieces ----
// ---- Shift-JIS and UTF-16 ----
// ---- UTF-8 and UTF-16 ----
// ---- Shift-JIS and UTF-8 ----
// ---- Messages and cut names ----

// ---- State ----

namespace {

struct EncodingState {
  int messagesRaw; // Set by setMessagesRaw() at start-up; read by strcatmsg(). Never cleared.
};

EncodingState gEncoding;

} // namespace

// ---- Tables and single codes ----

namespace {

// Conversions from ANSI and from UTF-16 take at most this many input bytes or units.
constexpr int kMaxInput = 9998;

constexpr uint32_t kForwardDouble1 = 256;        // codes 0x8000-0x9FFF
constexpr uint32_t kForwardDouble2 = 256 + 8192; // codes 0xE000-0xFCFF
constexpr uint32_t kReverseMiddle = 1280;        // U+1E00-U+9FFF
constexpr uint32_t kReverseHigh = 1280 + 33280;  // U+F900-U+FFFF

static_assert(sizeof SjisToUniTable == 63488, "forward table: 256 + 8192 + 7424 entries");
static_assert(sizeof UniToSjisTable == 72704, "reverse table: 1280 + 33280 + 1792 entries");

// The Windows Japanese code page gives these codes other code points than JIS X 0213.
// Only the Shift-JIS <-> UTF-8 conversions use them; UTF-16 follows the tables alone.
struct CodePageSubstitution {
  uint16_t sjis;
  uint16_t unicode;
};

constexpr CodePageSubstitution kCodePageSubstitutions[] = {
    {0x815C, 0x2015}, // ―
    {0x815F, 0xFF3C}, // ＼
    {0x8160, 0xFF5E}, // ～
    {0x8161, 0x2225}, // ∥
    {0x817C, 0xFF0D}, // －
    {0x8191, 0xFFE0}, // ￠
    {0x8192, 0xFFE1}, // ￡
    {0x81CA, 0xFFE2}, // ￢
    {0x8790, 0x2252}, // ≒
    {0x8791, 0x2261}, // ≡
    {0x8792, 0x222B}, // ∫
    {0x8794, 0x2211}, // ∑
    {0x8795, 0x221A}, // √
    {0x8796, 0x22A5}, // ⊥
    {0x8797, 0x2220}, // ∠
    {0x879A, 0x2235}, // ∵
    {0x879B, 0x2229}, // ∩
    {0x879C, 0x222A}, // ∪
};
static_assert(sizeof kCodePageSubstitutions / sizeof kCodePageSubstitutions[0] == 18,
              "the code page exchanges 18 codes");

} // namespace

// The code point a Shift-JIS code is written as in UTF-8, or 0 when it has no substitute.
uint32_t substituteForSjis(uint32_t code) {
  if (code < 0x815C || code > 0x879C)
    return 0; // outside the exchanged codes: most text never scans the table
  for (const CodePageSubstitution& s : kCodePageSubstitutions) {
    if (s.sjis == code)
      return s.unicode;
  }
  return 0;
}

// The Shift-JIS code a code point read from UTF-8 stands for, or 0 when it has none.
uint32_t sjisForSubstitute(uint32_t cp) {
  if (cp == 0x301C) // WAVE DASH is read as the code page's tilde too.
    return 0x8160;
  if (cp < 0x2015 || (cp > 0x22A5 && cp < 0xFF0D))
    return 0; // kana and kanji, the bulk of Japanese text, are never exchanged
  for (const CodePageSubstitution& s : kCodePageSubstitutions) {
    if (s.unicode == cp)
      return s.sjis;
  }
  return 0;
}

int issjislead(unsigned char b) {
  return isSjisLeadByte(b) ? -1 : 0;
}

uint32_t sjis2uni(uint32_t code) {
  code &= 0xFFFF;
  if (code < 0x100)
    return SjisToUniTable[code];
  if (code >= 0x8000 && code <= 0x9FFF)
    return SjisToUniTable[kForwardDouble1 + (code - 0x8000)];
  if (code >= 0xE000 && code <= 0xFCFF)
    return SjisToUniTable[kForwardDouble2 + (code - 0xE000)];
  return 0;
}

uint32_t uni2sjis(uint32_t unit) {
  unit &= 0xFFFF;
  if (unit <= 0x04FF)
    return UniToSjisTable[unit];
  if (unit >= 0x1E00 && unit <= 0x9FFF)
    return UniToSjisTable[kReverseMiddle + (unit - 0x1E00)];
  if (unit >= 0xF900)
    return UniToSjisTable[kReverseHigh + (unit - 0xF900)];
  return 0;
}

// ---- UTF-8 pieces ----

namespace {

// Takes one UTF-8 sequence from *p (which must not be at the terminator) by the lenient
// reading and advances past what it took. Returns the sequence length 1-4 with its code
// point in *cp, or -1 for an error: a stray continuation byte, a byte 0xF8-0xFF, or a
// sequence cut by the terminator (not taken) or by a byte that is not a continuation
// (taken and lost).
int takeUtf8(const unsigned char** p, uint32_t* cp) {
  const int length = utf8DecodeLenient(*p, cp);
  *p += length > 0 ? length : -length;
  return length > 0 ? length : -1;
}

} // namespace

// ---- Shift-JIS and UTF-16 ----

int strsjis2uni(char16_t* out, const char* in) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(in);
  size_t n = 0;
  int taken = 0;
  unsigned pending = 0; // lead byte waiting for its second byte, 0 when none
  while (*p != 0 && taken < kMaxInput) {
    unsigned b = *p++;
    ++taken;
    if (pending != 0) {
      uint32_t cp = sjis2uni(pending << 8 | b);
      pending = 0;
      if (cp == 0) {
        out[n++] = u'?';
      } else if (cp > 0xFFFF) {
        cp -= 0x10000;
        out[n++] = static_cast<char16_t>(0xD800 | (cp >> 10));
        out[n++] = static_cast<char16_t>(0xDC00 | (cp & 0x3FF));
      } else {
        out[n++] = static_cast<char16_t>(cp);
      }
    } else if (osIsDbcsLeadByte(static_cast<unsigned char>(b))) {
      pending = b;
    } else if (b >= 0xA1 && b <= 0xDF) {
      // Half-width katakana as the table has them; struni2sjis maps them back to the byte.
      out[n++] = static_cast<char16_t>(SjisToUniTable[b]);
    } else {
      // Other single bytes keep their value, so struni2sjis gives the same byte back.
      out[n++] = static_cast<char16_t>(b);
    }
  }
  if (pending != 0)
    trace("strsjis2uni: lead byte 0x%02X without a second byte dropped\n", pending);
  out[n] = 0;
  return taken;
}

int strcatsjis2uni(char16_t* out, const char* in) {
  for (int i = 0; i <= kMaxInput; ++i) {
    if (out[i] == 0)
      return strsjis2uni(out + i, in);
  }
  trace("strcatsjis2uni: no end within %d units\n", kMaxInput + 1);
  return -1;
}

int struni2sjis(char* out, const char16_t* in) {
  if (uni2sjis(0x2661) != 0x83BB)
    trace("struni2sjis: reverse table self-check failed (U+2661 -> 0x%X)\n", uni2sjis(0x2661));
  size_t n = 0;
  int taken = 0;
  while (in[taken] != 0 && taken < kMaxInput) {
    uint32_t unit = in[taken++];
    if (unit < 0x100) {
      out[n++] = static_cast<char>(unit);
      continue;
    }
    uint32_t code = uni2sjis(unit);
    if (code == 0) {
      out[n++] = '?';
    } else if (code >= 0x100) {
      out[n++] = static_cast<char>(code >> 8);
      out[n++] = static_cast<char>(code & 0xFF);
    } else {
      out[n++] = static_cast<char>(code);
    }
  }
  out[n] = '\0';
  return taken;
}

int chkunisjis(const char16_t* in) {
  for (int i = 0; in[i] != 0 && i < kMaxInput; ++i) {
    if (in[i] >= 0x100 && uni2sjis(in[i]) == 0)
      return -1;
  }
  return 0;
}

// ---- UTF-8 and UTF-16 ----

int strutf82uni(char16_t* out, const char* in) {
  static const char kHex[] = "0123456789ABCDEF";
  const unsigned char* p = reinterpret_cast<const unsigned char*>(in);
  size_t n = 0;
  int status = SJIS_STATUS_CLEAN;
  int errors = 0;
  while (*p != 0) {
    uint32_t cp = 0;
    if (takeUtf8(&p, &cp) < 0) {
      if (++errors == 2)
        break;
      status = 0;
      continue;
    }
    if (cp >= 0x10000) {
      // No surrogate pairs here: the character is spelled out as x and six hex digits.
      out[n++] = u'x';
      for (int shift = 20; shift >= 0; shift -= 4)
        out[n++] = static_cast<char16_t>(kHex[(cp >> shift) & 0xF]);
    } else {
      out[n++] = static_cast<char16_t>(cp);
    }
  }
  out[n++] = 0;
  out[n] = 0;
  return status;
}

int struni2utf8(char* out, const char16_t* in) {
  unsigned char* o = reinterpret_cast<unsigned char*>(out);
  size_t n = 0;
  int taken = 0;
  while (in[taken] != 0 && taken < kMaxInput) {
    uint32_t unit = in[taken++];
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      // A pair whose low half lies beyond the input limit counts as cut by the end.
      uint32_t low = taken < kMaxInput ? in[taken] : 0;
      if (low >= 0xDC00 && low <= 0xDFFF) {
        ++taken;
        n += utf8Encode((((unit & 0x3FF) << 10) | (low & 0x3FF)) + 0x10000, o + n);
        continue;
      }
      o[n++] = '?';
      if (low == 0)
        break;
      ++taken; // the unit after a lone high surrogate goes with it
      continue;
    }
    n += utf8Encode(unit, o + n);
  }
  o[n] = 0;
  return 2 * taken;
}

// ---- Shift-JIS and UTF-8 ----

namespace {

// Shift-JIS -> UTF-8 into out of outSize bytes (outSize >= 1), stopping before a
// character whose bytes would not fit beside the terminator.
int sjisToUtf8Sized(char* out, size_t outSize, const char* in) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(in);
  unsigned char* o = reinterpret_cast<unsigned char*>(out);
  size_t n = 0;
  int status = SJIS_STATUS_CLEAN;
  while (*p != 0) {
    unsigned b = *p;
    if (b < 0x80) {
      // ASCII stands for itself (0x5C stays a backslash) and leaves the status as it is.
      if (1 >= outSize - n)
        break;
      o[n++] = static_cast<unsigned char>(b);
      ++p;
      continue;
    }
    const unsigned char* next = p + 1;
    int after = status; // the status once this character is taken
    uint32_t cp = 0;
    if (issjislead(static_cast<unsigned char>(b))) {
      if (*next == 0) {
        status &= 3;
        break;
      }
      unsigned trail = *next++;
      uint32_t code = b << 8 | trail;
      if (b >= 0x81 && b <= 0x9F)
        cp = substituteForSjis(code);
      if (cp == 0)
        cp = sjis2uni(code);
      if (b == 0x80) {
        after &= 2;
      } else {
        if (b >= 0xE0)
          after |= 8;
        if (trail <= 0x3F)
          after &= 1;
      }
    } else if (b <= 0xDF) {
      cp = SjisToUniTable[b] != 0 ? SjisToUniTable[b] : b; // 0xA0 keeps its own value
    } else {
      after |= 8; // 0xFD-0xFF: no character
    }
    unsigned char bytes[4];
    size_t len = cp != 0 ? static_cast<size_t>(utf8Encode(cp, bytes)) : 0;
    if (len >= outSize - n)
      break;
    std::memcpy(o + n, bytes, len);
    n += len;
    status = after;
    p = next;
  }
  o[n] = 0;
  return status;
}

// UTF-8 -> Shift-JIS into out of outSize bytes (outSize >= 1), stopping before a
// character whose bytes would not fit beside the terminator.
int utf8ToSjisSized(char* out, size_t outSize, const char* in) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(in);
  size_t n = 0;
  int status = SJIS_STATUS_CLEAN;
  int errors = 0;
  while (*p != 0) {
    uint32_t cp = 0;
    int length = takeUtf8(&p, &cp);
    if (length < 0) {
      if (++errors == 2)
        break;
      status = 0;
      continue;
    }
    uint32_t code = 0;
    if (length == 1) {
      code = cp;
    } else if (length == 2) {
      code = uni2sjis(cp);
    } else if (length == 3) {
      code = sjisForSubstitute(cp);
      if (code == 0)
        code = uni2sjis(cp);
    } // a four-byte character has no Shift-JIS code
    size_t len = code == 0 ? 0 : code >= 0x100 ? 2 : 1;
    if (len >= outSize - n)
      break;
    if (len == 2)
      out[n++] = static_cast<char>(code >> 8);
    if (len != 0)
      out[n++] = static_cast<char>(code & 0xFF);
  }
  out[n] = '\0';
  return status;
}

} // namespace

int strutf82sjis(char* out, const char* in) {
  return utf8ToSjisSized(out, SIZE_MAX, in);
}

int strsjis2utf8(char* out, const char* in) {
  return sjisToUtf8Sized(out, SIZE_MAX, in);
}

int strcatsjis2utf8(char* out, const char* in) {
  char* end = static_cast<char*>(std::memchr(out, '\0', 520));
  if (end == nullptr) {
    trace("strcatsjis2utf8: no end within 520 bytes\n");
    return -1;
  }
  return strsjis2utf8(end, in);
}

int sjisToUtf8Bounded(char* out, size_t outSize, const char* in) {
  if (outSize == 0)
    return SJIS_STATUS_CLEAN;
  return sjisToUtf8Sized(out, outSize, in);
}

int utf8ToSjisBounded(char* out, size_t outSize, const char* in) {
  if (outSize == 0)
    return SJIS_STATUS_CLEAN;
  return utf8ToSjisSized(out, outSize, in);
}

// ---- Messages and cut names ----

void setMessagesRaw(int raw) {
  gEncoding.messagesRaw = raw;
}

void strcatmsg(char* out, const char* in) {
  if (gEncoding.messagesRaw != 0)
    std::strcat(out, in);
  else
    strcatsjis2utf8(out, in);
}

int cutsjislead(char* s) {
  size_t i = 0;
  while (s[i] != '\0') {
    if (!issjislead(static_cast<unsigned char>(s[i]))) {
      ++i;
    } else if (s[i + 1] == '\0') {
      s[i] = '\0';
      return 1;
    } else {
      i += 2;
    }
  }
  return 0;
}
