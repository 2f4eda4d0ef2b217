// UTF-8 sequences, one character at a time: the encoder and the two decoders every
// conversion of the program uses. Dependency-free inlines.
//
// Two readings, named by what they accept:
//   strict   a well-formed sequence: no overlong form, no encoded surrogate, nothing
//            above U+10FFFF. For text that names a file or goes into JSON.
//   lenient  a lead byte 0xC0-0xF7 and as many continuation bytes 0x80-0xBF as it
//            announces; overlong forms and encoded surrogates pass. For what the program
//            reads from text files and its own conversions, which have always read so.
// Neither reads past a NUL: a NUL is never a continuation byte.
#pragma once

#include <cstddef>
#include <cstdint>

// Writes cp (at most U+10FFFF) as one to four bytes to out. Returns the number of bytes.
inline int utf8Encode(uint32_t cp, unsigned char* out) {
  if (cp < 0x80) {
    out[0] = static_cast<unsigned char>(cp);
    return 1;
  }
  if (cp < 0x800) {
    out[0] = static_cast<unsigned char>(0xC0 | ((cp >> 6) & 0x1F));
    out[1] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
    return 2;
  }
  if (cp < 0x10000) {
    out[0] = static_cast<unsigned char>(0xE0 | ((cp >> 12) & 0x0F));
    out[1] = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
    out[2] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
    return 3;
  }
  out[0] = static_cast<unsigned char>(0xF0 | ((cp >> 18) & 0x07));
  out[1] = static_cast<unsigned char>(0x80 | ((cp >> 12) & 0x3F));
  out[2] = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
  out[3] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
  return 4;
}

inline bool utf8IsContinuation(unsigned char b) {
  return (b & 0xC0) == 0x80;
}

// The length a lead byte announces by the lenient reading: 1 for ASCII, 2 for 0xC0-0xDF,
// 3 for 0xE0-0xEF, 4 for 0xF0-0xF7; 0 for a continuation byte or 0xF8-0xFF.
inline int utf8LenientLength(unsigned char lead) {
  if (lead < 0x80)
    return 1;
  if (lead < 0xC0 || lead >= 0xF8)
    return 0;
  return lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

// The lenient reading of the sequence at p. Returns its length 1-4 with its code point in
// *cp; or, for a broken sequence, minus the bytes it spans: -1 for a lone continuation byte
// or 0xF8-0xFF; else the lead byte, the continuation bytes that followed it and the byte
// that broke it, unless that is the NUL (a reader that goes on after an error takes them
// all and resumes at the NUL or after the breaking byte).
inline int utf8DecodeLenient(const unsigned char* p, uint32_t* cp) {
  const int length = utf8LenientLength(p[0]);
  if (length == 0)
    return -1;
  static const unsigned char kLeadMask[5] = {0, 0x7F, 0x1F, 0x0F, 0x07};
  uint32_t value = p[0] & kLeadMask[length];
  for (int i = 1; i < length; ++i) {
    if (!utf8IsContinuation(p[i]))
      return p[i] == 0 ? -i : -(i + 1);
    value = value << 6 | (p[i] & 0x3F);
  }
  *cp = value;
  return length;
}

// The strict reading of the sequence at p, of which n bytes are there. Returns its length
// 1-4 with its code point in *cp, or 0 when p starts no well-formed sequence (or n is 0).
inline size_t utf8DecodeStrict(const unsigned char* p, size_t n, uint32_t* cp) {
  if (n == 0)
    return 0;
  const unsigned char b = p[0];
  if (b < 0x80) {
    *cp = b;
    return 1;
  }
  size_t length;
  unsigned char low = 0x80, high = 0xBF; // the range of the second byte
  if (b >= 0xC2 && b <= 0xDF) {
    length = 2;
  } else if (b >= 0xE0 && b <= 0xEF) {
    length = 3;
    if (b == 0xE0)
      low = 0xA0; // overlong below U+0800
    else if (b == 0xED)
      high = 0x9F; // surrogates
  } else if (b >= 0xF0 && b <= 0xF4) {
    length = 4;
    if (b == 0xF0)
      low = 0x90; // overlong below U+10000
    else if (b == 0xF4)
      high = 0x8F; // above U+10FFFF
  } else {
    return 0;
  }
  if (n < length || p[1] < low || p[1] > high)
    return 0;
  for (size_t i = 2; i < length; ++i) {
    if (!utf8IsContinuation(p[i]))
      return 0;
  }
  static const unsigned char kLeadMask[5] = {0, 0x7F, 0x1F, 0x0F, 0x07};
  uint32_t value = b & kLeadMask[length];
  for (size_t i = 1; i < length; ++i)
    value = value << 6 | (p[i] & 0x3F);
  *cp = value;
  return length;
}
