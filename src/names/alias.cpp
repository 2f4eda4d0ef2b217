#include "names/alias.h"

#include <cstring>

#include "names/namelist.h"
#include "text/encoding.h"
#include "text/files.h"
#include "text/scan.h"
#include "text/strings.h"
#include "text/trace.h"

AliasTables gAlias;

namespace {

constexpr int ALIAS_LINE_SIZE = 255; // rf2getline size: 253 bytes of text at most

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

bool isLineBreakOrBlank(int c) {
  return c == '\r' || c == '\n' || c == 0x1A || c == ' ' || c == '\t';
}

// Prefix test with ASCII letters compared without regard to case.
bool startsWithNoCase(const char* text, const char* prefix) {
  for (; *prefix != '\0'; ++prefix, ++text) {
    char a = *text, b = *prefix;
    if (a >= 'a' && a <= 'z')
      a = static_cast<char>(a - 'a' + 'A');
    if (b >= 'a' && b <= 'z')
      b = static_cast<char>(b - 'a' + 'A');
    if (a != b)
      return false;
  }
  return true;
}

// Reads a quoted or bare token at *cursor into out. Returns false for a quoted token
// without its closing quote. An empty token is returned as "".
bool readToken(const char** cursor, char* out, size_t outSize, bool* quoted) {
  const char* p = *cursor;
  const char* start;
  const char* end;
  *quoted = *p == '"';
  if (*quoted) {
    start = p + 1;
    end = std::strchr(start, '"');
    if (end == nullptr)
      return false;
    *cursor = end + 1;
  } else {
    start = p;
    end = p;
    while (*end != '\0' && !isBlank(*end))
      ++end;
    *cursor = end;
  }
  size_t length = static_cast<size_t>(end - start);
  if (length >= outSize)
    length = outSize - 1;
  std::memcpy(out, start, length);
  out[length] = '\0';
  return true;
}

// One rule line: source, optional flags, blanks, replacement. Returns false when invalid.
bool addRule(const char* line, int list, bool utf8) {
  char source[ALIAS_LINE_SIZE + 1];
  char replacement[ALIAS_LINE_SIZE + 1];
  const char* p = line;
  bool quoted;
  if (!readToken(&p, source, sizeof source, &quoted) || source[0] == '\0')
    return false;
  uint8_t mode = ALIAS_MODE_PART;
  if (quoted) {
    if (*p == 'F') {
      mode = ALIAS_MODE_WHOLE;
      ++p;
    }
    if (*p == 'L') {
      mode = ALIAS_MODE_TAIL;
      ++p;
    }
  }
  while (isBlank(*p))
    ++p;
  if (!readToken(&p, replacement, sizeof replacement, &quoted) || replacement[0] == '\0')
    return false;

  if (utf8) {
    char converted[ALIAS_LINE_SIZE + 1];
    strutf82sjis(converted, source);
    std::memcpy(source, converted, sizeof source);
    strutf82sjis(converted, replacement);
    std::memcpy(replacement, converted, sizeof replacement);
  }
  // The replacement is cut to its first 15 bytes, even inside a double-byte character.
  replacement[ALIAS_REPLACEMENT_MAX] = '\0';
  if (source[0] == '\0' || replacement[0] == '\0')
    return false;
  // A source longer than a name slot could never match a name that fits one: refuse it
  // rather than cut it into a different rule.
  if (std::strlen(source) >= NAME_SLOT_SIZE) {
    trace("alias: source too long\n");
    return false;
  }
  if (nameListCount(list) >= ALIAS_RULE_CAPACITY) {
    trace("alias: rule table full\n");
    return false;
  }
  int entry = nameListAppend(list, source);
  if (entry < 1)
    return false;
  bool bone = list == LIST_BONE_ALIAS;
  copyString(bone ? gAlias.boneReplacement[entry] : gAlias.morphReplacement[entry],
             ALIAS_REPLACEMENT_SIZE, replacement);
  (bone ? gAlias.boneMode : gAlias.morphMode)[entry] = mode;
  return true;
}

// ---- Applying rules ----

// Byte length of the character at s: 2 for a lead byte with a second byte, else 1.
size_t charLength(const char* s) {
  return issjislead(static_cast<unsigned char>(s[0])) && s[1] != '\0' ? 2 : 1;
}

// The whole rest of the name equals the source, where "*" in the source stands for one or
// more remaining bytes and ends the comparison.
bool matchesRest(const char* rest, const char* source) {
  for (size_t i = 0;; ++i) {
    if (source[i] == '*')
      return rest[i] != '\0';
    if (source[i] == '\0')
      return rest[i] == '\0';
    if (source[i] != rest[i])
      return false;
  }
}

// The source is a prefix of the rest of the name, where "?" stands for any one byte and
// "？" for one double-byte character.
bool matchesPrefix(const char* rest, const char* source) {
  size_t i = 0, j = 0;
  while (source[j] != '\0') {
    if (charLength(source + j) == 2) {
      bool fullWidthQuestion = static_cast<unsigned char>(source[j]) == 0x81 &&
                               static_cast<unsigned char>(source[j + 1]) == 0x48;
      if (fullWidthQuestion) {
        if (rest[i] == '\0' || charLength(rest + i) != 2)
          return false;
      } else if (rest[i] != source[j] || rest[i + 1] != source[j + 1]) {
        return false;
      }
      i += 2;
      j += 2;
      continue;
    }
    if (rest[i] == '\0' || (source[j] != '?' && rest[i] != source[j]))
      return false;
    ++i;
    ++j;
  }
  return true;
}

struct Output {
  char* text;
  size_t size;
  size_t length;
  bool full;
};

void emit(Output& out, const char* bytes, size_t count) {
  if (out.full)
    return;
  if (out.length + count >= out.size) {
    // Keep what fits on a character boundary and stop there.
    char piece[ALIAS_OUTPUT_SIZE];
    size_t room = out.size - 1 - out.length;
    size_t n = count < sizeof piece - 1 ? count : sizeof piece - 1;
    std::memcpy(piece, bytes, n);
    piece[n] = '\0';
    out.length += copyString(out.text + out.length, room + 1, piece);
    out.full = true;
    return;
  }
  std::memcpy(out.text + out.length, bytes, count);
  out.length += count;
  out.text[out.length] = '\0';
}

void applyAliases(char* outText, size_t outSize, const char* name, int list,
                  const char (*replacements)[ALIAS_REPLACEMENT_SIZE], const uint8_t* modes) {
  if (outSize == 0)
    return;
  Output out = {outText, outSize, 0, false};
  outText[0] = '\0';
  int ruleCount = nameListCount(list);
  const char* p = name;
  while (*p != '\0' && !out.full) {
    bool applied = false;
    for (int e = ruleCount; e >= 1 && !applied; --e) {
      const char* source = nameListText(list, e);
      const char* replacement = replacements[e];
      switch (modes[e]) {
      case ALIAS_MODE_WHOLE:
        if (p == name && std::strcmp(name, source) == 0) {
          emit(out, replacement, std::strlen(replacement));
          return;
        }
        break;
      case ALIAS_MODE_TAIL:
        if (std::strcmp(p, source) == 0) {
          emit(out, replacement, std::strlen(replacement));
          return;
        }
        break;
      default:
        if (matchesRest(p, source)) {
          emit(out, replacement, std::strlen(replacement));
          return;
        }
        if (matchesPrefix(p, source)) {
          emit(out, replacement, std::strlen(replacement));
          p += std::strlen(source);
          applied = true;
        }
        break;
      }
    }
    if (!applied) {
      size_t n = charLength(p);
      emit(out, p, n);
      p += n;
    }
  }
}

} // namespace

int readAliasFile(const char* ansiPath, const char16_t* widePath, int useWide) {
  // Shift-JIS only when the file is not valid UTF-8 and looks like clean Shift-JIS.
  int utf8Status = chkifutf8(ansiPath, widePath, useWide);
  int sjisStatus = static_cast<int8_t>(chkifsjis(ansiPath, widePath, useWide));
  bool utf8 = !(utf8Status == 0 && sjisStatus >= 3);

  if ((useWide ? rf2openW(widePath) : rf2open(ansiPath)) != 0)
    return -1;
  int list = LIST_BONE_ALIAS;
  char line[ALIAS_LINE_SIZE + 1];
  for (;;) {
    while (isLineBreakOrBlank(rf2peek()))
      rf2getc();
    if (rf2peek() < 0)
      break;
    int length = rf2getline(line, ALIAS_LINE_SIZE);
    if (length >= 2) {
      while (length > 0 &&
             (line[length - 1] == ' ' || line[length - 1] == '\r' || line[length - 1] == '\n'))
        --length;
      line[length] = '\0';
    }
    if (line[0] == '/' && line[1] == '/')
      continue;
    if (startsWithNoCase(line, "-Bone")) {
      list = LIST_BONE_ALIAS;
      continue;
    }
    if (startsWithNoCase(line, "-Morph")) {
      list = LIST_MORPH_ALIAS;
      continue;
    }
    if (!addRule(line, list, utf8))
      trace("alias: invalid line\n");
  }
  rf2close();
  return 0;
}

void applyBoneAliases(char* out, size_t outSize, const char* name) {
  applyAliases(out, outSize, name, LIST_BONE_ALIAS, gAlias.boneReplacement, gAlias.boneMode);
}

void applyMorphAliases(char* out, size_t outSize, const char* name) {
  applyAliases(out, outSize, name, LIST_MORPH_ALIAS, gAlias.morphReplacement, gAlias.morphMode);
}
