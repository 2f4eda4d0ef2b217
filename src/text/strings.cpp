#include "text/strings.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "text/sjis_lead.h"

size_t sjisFitLength(const char* s, size_t maxBytes) {
  size_t i = 0;
  while (i < maxBytes && s[i] != '\0') {
    if (isSjisLeadByte(static_cast<unsigned char>(s[i])) && s[i + 1] != '\0') {
      if (i + 2 > maxBytes)
        break;
      i += 2;
    } else {
      i += 1;
    }
  }
  return i;
}

size_t copyString(char* dst, size_t dstSize, const char* src) {
  if (dstSize == 0)
    return 0;
  // A text that fits whole is not cut: only a longer one needs its characters walked.
  size_t n = strnlen(src, dstSize);
  if (n == dstSize)
    n = sjisFitLength(src, dstSize - 1);
  std::memmove(dst, src, n);
  dst[n] = '\0';
  return n;
}

size_t appendString(char* dst, size_t dstSize, const char* src) {
  if (dstSize == 0)
    return 0;
  const void* end = std::memchr(dst, '\0', dstSize);
  if (end == nullptr)
    return dstSize - 1;
  size_t used = static_cast<size_t>(static_cast<const char*>(end) - dst);
  return used + copyString(dst + used, dstSize - used, src);
}

size_t formatString(char* buf, size_t size, const char* fmt, ...) {
  if (size == 0)
    return 0;
  va_list args;
  va_start(args, fmt);
  int n = std::vsnprintf(buf, size, fmt, args);
  va_end(args);
  if (n < 0) {
    buf[0] = '\0';
    return 0;
  }
  if (static_cast<size_t>(n) < size)
    return static_cast<size_t>(n);
  // Truncated: the last byte kept may be half of a double-byte character.
  size_t kept = sjisFitLength(buf, size - 1);
  buf[kept] = '\0';
  return kept;
}
