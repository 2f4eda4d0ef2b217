#include "text/pathconv.h"

#include <cstdint>

#include "os/os.h"
#include "text/encoding.h"
#include "text/utf8.h"

// ---- UTF-8 pieces ----

namespace {

constexpr uint32_t INVALID_CODE_POINT = 0xFFFFFFFFu;
// A byte that is no part of UTF-8 travels in the UTF-16 form as ESCAPE_BASE + byte.
constexpr uint32_t ESCAPE_BASE = 0xDC00;
constexpr uint32_t ESCAPE_BACKSLASH = ESCAPE_BASE + '\\';

// Appends cp as UTF-8 at out[*len], leaving room for the terminator. 0, or -1 when the
// character does not fit (nothing written).
int putUtf8(char* out, size_t outSize, size_t* len, uint32_t cp) {
  unsigned char bytes[4];
  const size_t n = static_cast<size_t>(utf8Encode(cp, bytes));
  if (*len + n >= outSize)
    return -1;
  for (size_t i = 0; i < n; i++)
    out[(*len)++] = static_cast<char>(bytes[i]);
  return 0;
}

// Decodes one character of a system path. Strict, because the result names a file:
// overlong forms, encoded surrogates and values above U+10FFFF are invalid. Returns the
// bytes consumed (1 for an invalid byte, so decoding resumes at the next byte); *cp is
// INVALID_CODE_POINT for an invalid byte.
size_t getUtf8(const unsigned char* p, uint32_t* cp) {
  const size_t n = utf8DecodeStrict(p, SIZE_MAX, cp); // the terminator ends any sequence
  if (n != 0)
    return n;
  *cp = INVALID_CODE_POINT;
  return 1;
}

// The Shift-JIS code whose forward entry is cp, above U+FFFF where the reverse table has no
// rows: a search of the double-byte rows (rare, file names only). 0 when none.
uint32_t supplementaryToSjis(uint32_t cp) {
  for (uint32_t lead = 0x81; lead <= 0xFC; lead++) {
    if (!osIsDbcsLeadByte(static_cast<unsigned char>(lead)))
      continue;
    for (uint32_t second = 0x40; second <= 0xFC; second++) {
      uint32_t code = lead << 8 | second;
      if (sjis2uni(code) == cp)
        return code;
    }
  }
  return 0;
}

// The code point of an ANSI code as the emulated code page 932 gives it: its 18 codes of
// its own, else the table (0 when unmapped).
uint32_t ansiCodeToCodePoint(uint32_t code) {
  uint32_t cp = substituteForSjis(code);
  return cp != 0 ? cp : sjis2uni(code);
}

// The ANSI code of cp, or 0 when Shift-JIS cannot hold it in a path. The table's code comes
// first (≒ stays 0x81E0, which UTF-16 shows too), the code page's own codes after it. Only
// codes that convert back to cp count, so a path without '?' names the same file both ways:
// U+301C and U+2014 share codes with U+FF5E and U+2015 and are lost; a single byte below
// 0x80 never counts (0x5C is the separator and 0x7E the tilde, not U+00A5 and U+203E).
uint32_t codePointToAnsi(uint32_t cp) {
  uint32_t code = cp < 0x10000 ? uni2sjis(cp) : supplementaryToSjis(cp);
  if (code == 0 || ansiCodeToCodePoint(code) != cp)
    code = sjisForSubstitute(cp);
  if (code == 0 || ansiCodeToCodePoint(code) != cp)
    return 0;
  if (code < 0x100)
    return code >= 0xA1 && code <= 0xDF ? code : 0;
  return code;
}

void terminateEmpty(char* out, size_t outSize) {
  if (out != nullptr && outSize > 0)
    out[0] = '\0';
}

// End of the component that starts at p: the next '/' or the terminator.
const unsigned char* componentEnd(const unsigned char* p) {
  while (*p != 0 && *p != '/')
    p++;
  return p;
}

// True when every character of [p, end) is valid UTF-8. A sequence never runs past end:
// '/' and the terminator are no continuation bytes.
bool isUtf8Run(const unsigned char* p, const unsigned char* end) {
  while (p < end) {
    uint32_t cp;
    p += getUtf8(p, &cp);
    if (cp == INVALID_CODE_POINT)
      return false;
  }
  return p == end;
}

// True when [p, end) is Shift-JIS of the emulated code page with at least one byte of
// 0x80 or more: pairs that map to a character, half-width katakana, ASCII.
bool isSjisRun(const unsigned char* p, const unsigned char* end) {
  bool wide = false;
  while (p < end) {
    unsigned char b = *p;
    if (b < 0x80) {
      p++;
      continue;
    }
    wide = true;
    if (osIsDbcsLeadByte(b)) {
      if (p + 1 >= end || ansiCodeToCodePoint(static_cast<uint32_t>(b) << 8 | p[1]) == 0)
        return false;
      p += 2;
    } else if (b >= 0xA1 && b <= 0xDF) {
      p++;
    } else {
      return false;
    }
  }
  return wide;
}

// U+DC80..U+DCFF (a byte 0x80-0xFF) or U+DC5C (a backslash byte in such a name).
bool isEscape(uint32_t unit) {
  return (unit >= ESCAPE_BASE + 0x80 && unit <= ESCAPE_BASE + 0xFF) || unit == ESCAPE_BACKSLASH;
}

// True when the system path utf8 converts back to exactly widePath (either separator).
bool isCanonicalWide(const char* utf8, const char16_t* widePath) {
  static char16_t back[4096];
  if (utf8PathToWide(back, sizeof back / sizeof back[0], utf8) != 0)
    return false;
  size_t i = 0;
  for (; widePath[i] != 0; i++) {
    char16_t unit = widePath[i] == '/' ? u'\\' : widePath[i];
    if (back[i] != unit)
      return false;
  }
  return back[i] == 0;
}

} // namespace

int isRawSjisName(const char* begin, size_t length) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(begin);
  return isSjisRun(p, p + length) && !isUtf8Run(p, p + length) ? 1 : 0;
}

// ---- Towards the file system ----

// A path that cannot be converted completely is refused with an empty result: a shortened
// or altered path would name another file.
int ansiPathToUtf8(char* out, size_t outSize, const char* ansiPath) {
  terminateEmpty(out, outSize);
  if (out == nullptr || outSize == 0 || ansiPath == nullptr)
    return -1;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(ansiPath);
  size_t len = 0;
  while (*p != 0) {
    unsigned char b = *p;
    uint32_t cp;
    if (b < 0x80) {
      cp = b == '\\' ? '/' : b;
      p++;
    } else if (osIsDbcsLeadByte(b)) {
      if (p[1] == 0) {
        out[0] = '\0';
        return -1;
      }
      // A pair is one character even where the table gives an ASCII code point (0x81B0 is
      // U+007E): it stays a character of the name and never becomes a separator.
      cp = ansiCodeToCodePoint(static_cast<uint32_t>(b) << 8 | p[1]);
      p += 2;
    } else {
      cp = sjis2uni(b); // 0xA1-0xDF half-width katakana; 0x80, 0xA0, 0xFD-0xFF unmapped
      p++;
    }
    if (cp == 0 || putUtf8(out, outSize, &len, cp) != 0) {
      out[0] = '\0';
      return -1;
    }
  }
  out[len] = '\0';
  return 0;
}

int widePathToUtf8(char* out, size_t outSize, const char16_t* widePath) {
  terminateEmpty(out, outSize);
  if (out == nullptr || outSize == 0 || widePath == nullptr)
    return -1;
  const char16_t* p = widePath;
  size_t len = 0;
  bool escaped = false;
  while (*p != 0) {
    uint32_t cp = *p++;
    if (cp == '\\') {
      cp = '/';
    } else if (cp >= 0xD800 && cp <= 0xDBFF) {
      uint32_t low = *p;
      if (low < 0xDC00 || low > 0xDFFF) {
        out[0] = '\0';
        return -1;
      }
      p++;
      cp = 0x10000 + ((cp & 0x3FF) << 10 | (low & 0x3FF));
    } else if (isEscape(cp)) {
      if (len + 1 >= outSize) {
        out[0] = '\0';
        return -1;
      }
      out[len++] = static_cast<char>(cp - ESCAPE_BASE);
      escaped = true;
      continue;
    } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
      out[0] = '\0';
      return -1;
    }
    if (putUtf8(out, outSize, &len, cp) != 0) {
      out[0] = '\0';
      return -1;
    }
  }
  out[len] = '\0';
  // Escapes name bytes only where the file system's name holds them: bytes that would
  // read as UTF-8 (E3 83 A2 is モ), or a backslash outside such a name, give a path that
  // converts back to another text, and are refused. So a name has one UTF-16 form.
  if (escaped && !isCanonicalWide(out, widePath)) {
    out[0] = '\0';
    return -1;
  }
  return 0;
}

// ---- From the file system ----

int utf8PathToAnsi(char* out, size_t outSize, const char* utf8Path) {
  terminateEmpty(out, outSize);
  if (out == nullptr || outSize == 0 || utf8Path == nullptr)
    return -1;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(utf8Path);
  size_t len = 0;
  while (*p != 0) {
    const unsigned char* end = componentEnd(p);
    const bool utf8 = isUtf8Run(p, end);
    if (!utf8 && isSjisRun(p, end)) {
      // A name stored as Shift-JIS bytes (an archive unpacked without conversion) is its
      // own ANSI form. A cut ends on a whole character.
      while (p < end) {
        size_t n = osIsDbcsLeadByte(*p) ? 2 : 1;
        if (len + n >= outSize) {
          out[len] = '\0';
          return -1;
        }
        for (size_t i = 0; i < n; i++)
          out[len++] = static_cast<char>(*p++);
      }
    }
    while (p < end) {
      uint32_t cp;
      p += getUtf8(p, &cp);
      uint32_t code;
      if (cp < 0x80)
        code = cp == '\\' && !utf8 ? '?' : cp; // a backslash byte of such a name is no separator
      else if (cp == INVALID_CODE_POINT)
        code = '?';
      else
        code = codePointToAnsi(cp);
      if (code == 0)
        code = '?';
      size_t n = code >= 0x100 ? 2 : 1;
      if (len + n >= outSize) {
        out[len] = '\0';
        return -1;
      }
      if (n == 2)
        out[len++] = static_cast<char>(code >> 8);
      out[len++] = static_cast<char>(code & 0xFF);
    }
    if (*p == '/') {
      if (len + 1 >= outSize) {
        out[len] = '\0';
        return -1;
      }
      out[len++] = '\\';
      p++;
    }
  }
  out[len] = '\0';
  return 0;
}

int utf8PathToWide(char16_t* out, size_t outUnits, const char* utf8Path) {
  if (out != nullptr && outUnits > 0)
    out[0] = 0;
  if (out == nullptr || outUnits == 0 || utf8Path == nullptr)
    return -1;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(utf8Path);
  size_t len = 0;
  while (*p != 0) {
    const unsigned char* end = componentEnd(p);
    const bool utf8 = isUtf8Run(p, end);
    while (p < end) {
      uint32_t cp;
      const unsigned char* at = p;
      p += getUtf8(p, &cp);
      if (cp == INVALID_CODE_POINT)
        cp = ESCAPE_BASE + *at;
      else if (cp == '\\' && !utf8)
        cp = ESCAPE_BACKSLASH; // part of the name, as in a Shift-JIS pair such as 0x955C
      size_t n = cp >= 0x10000 ? 2 : 1;
      if (len + n >= outUnits) {
        out[len] = 0;
        return -1;
      }
      if (n == 2) {
        cp -= 0x10000;
        out[len++] = static_cast<char16_t>(0xD800 | (cp >> 10));
        out[len++] = static_cast<char16_t>(0xDC00 | (cp & 0x3FF));
      } else {
        out[len++] = static_cast<char16_t>(cp);
      }
    }
    if (*p == '/') {
      if (len + 1 >= outUnits) {
        out[len] = 0;
        return -1;
      }
      out[len++] = '\\';
      p++;
    }
  }
  out[len] = 0;
  return 0;
}

int hasPathEscapes(const char16_t* widePath) {
#ifdef _WIN32
  // UTF-16 is the system's own form there: nothing in it was escaped.
  return 0;
#endif
  if (widePath == nullptr)
    return 0;
  for (const char16_t* p = widePath; *p != 0; p++) {
    if (*p >= 0xD800 && *p <= 0xDBFF && p[1] >= 0xDC00 && p[1] <= 0xDFFF)
      p++; // the low half of a pair is a character, not an escape
    else if (isEscape(*p))
      return 1;
  }
  return 0;
}
