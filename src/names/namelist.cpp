#include "names/namelist.h"

#include <cstring>

#include "text/strings.h"

NameList gNameLists[NAME_LIST_COUNT];

namespace {

// The fixed Shift-JIS lead-byte test, kept here so the lists stand without the encoding
// tables.
inline bool isLead(unsigned char b) {
  return (b >= 0x80 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

inline bool validList(int list) {
  return list >= 0 && list < NAME_LIST_COUNT;
}

// Stored pattern against plain name. The first rule that applies wins; byte equality comes
// first, so a name holding "*", "?" or "？" at that place matches it as text.
bool matchPattern(const unsigned char* pat, const unsigned char* name) {
  while (*pat != '\0') {
    const unsigned char c = *name;
    if (c == *pat) {
      ++pat;
      ++name;
    } else if (c == '\0') {
      return false;
    } else if (*pat == '*') {
      return true; // at least one byte is left
    } else if (*pat == '?') {
      name += (isLead(c) && name[1] != '\0') ? 2 : 1;
      ++pat;
    } else if (*pat == 0x81 && pat[1] == 0x48 && isLead(c) && name[1] != '\0') {
      pat += 2; // "？": one double-byte character
      name += 2;
    } else {
      return false;
    }
  }
  return *name == '\0';
}

inline bool matchEntry(const NameList& l, const char* name, int entry) {
  const char* text = l.entries[entry];
  if (l.literal[entry])
    return std::strcmp(text, name) == 0;
  return matchPattern(reinterpret_cast<const unsigned char*>(text),
                      reinterpret_cast<const unsigned char*>(name));
}

// Whether the matcher could accept the entry, judged by its first two bytes: equal bytes
// are always taken first, and only "*", "?" and the first byte of "？" accept a byte other
// than their own. Most entries fail on those bytes, and the first lookup of each name of a
// motion tries every built-in entry, so this spares most calls of the matcher.
inline bool mayMatch(const char* entryText, const char* nameText) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(entryText);
  const unsigned char* n = reinterpret_cast<const unsigned char*>(nameText);
  if (p[0] != n[0])
    return p[0] == '*' || p[0] == '?' || p[0] == 0x81;
  if (p[0] == '\0')
    return true;
  return p[1] == n[1] || p[1] == '*' || p[1] == '?' || p[1] == 0x81;
}

int findUpTo(const NameList& l, const char* name, int last) {
  if (last > l.count)
    last = l.count; // texts above count are stale leftovers of an earlier run
  for (int e = last; e >= 1; --e) {
    if (mayMatch(l.entries[e], name) && matchEntry(l, name, e))
      return e;
  }
  return 0;
}

int append(int list, const char* name, uint8_t literal) {
  if (!validList(list))
    return 0;
  NameList& l = gNameLists[list];
  if (l.count >= NAME_LIST_CAPACITY)
    return 0;
  const int e = ++l.count;
  copyString(l.entries[e], NAME_SLOT_SIZE, name);
  l.literal[e] = literal;
  return e;
}

int findOrAdd(int list, const char* name, uint8_t literal) {
  if (!validList(list))
    return 0;
  const NameList& l = gNameLists[list];
  int e = findUpTo(l, name, l.count);
  if (e != 0)
    return e;
  // A name too long for a slot is stored cut; look for that cut form too, so that asking
  // for the same long name again finds its entry instead of adding another.
  char cut[NAME_SLOT_SIZE];
  if (copyString(cut, sizeof cut, name) < std::strlen(name)) {
    e = findUpTo(l, cut, l.count);
    if (e != 0)
      return e;
  }
  return append(list, name, literal);
}

} // namespace

void nameListResetAll() {
  for (NameList& l : gNameLists) {
    l.count = 0;
    l.markCount = 0;
    l.marks[l.markCount++] = 0;
  }
}

int nameListMarkGroup(int list) {
  if (!validList(list))
    return -1;
  NameList& l = gNameLists[list];
  if (l.markCount >= NAME_MARK_CAPACITY)
    return -1;
  l.marks[l.markCount++] = l.count;
  return 0;
}

int nameListAppend(int list, const char* name) {
  return append(list, name, 0);
}

int nameListAppendLiteral(int list, const char* name) {
  return append(list, name, 1);
}

int nameListMatch(int list, const char* name, int entry) {
  if (!validList(list))
    return -1;
  const NameList& l = gNameLists[list];
  if (entry <= 0 || entry > l.count)
    return -1;
  return matchEntry(l, name, entry) ? 0 : -1;
}

int nameListFindUpTo(int list, const char* name, int last) {
  if (!validList(list))
    return 0;
  return findUpTo(gNameLists[list], name, last);
}

int nameListFindInGroups(int list, const char* name, int g) {
  if (!validList(list))
    return -1;
  const NameList& l = gNameLists[list];
  if (g > l.markCount)
    return -1;
  if (g <= 0) {
    g += l.markCount;
    if (g < 1)
      return -1;
  }
  const int last = (g == l.markCount) ? l.count : l.marks[g];
  return findUpTo(l, name, last);
}

int nameListGroupOf(int list, int entry) {
  if (!validList(list))
    return 0;
  const NameList& l = gNameLists[list];
  if (entry <= 0 || entry > l.count)
    return 0;
  int n = l.markCount;
  while (n >= 1 && l.marks[n - 1] >= entry)
    --n;
  return n;
}

int nameListGet(int list, char* out, int entry) {
  if (!validList(list))
    return -1;
  const NameList& l = gNameLists[list];
  if (entry <= 0 || entry > l.count)
    return -1;
  copyString(out, NAME_SLOT_SIZE, l.entries[entry]);
  return 0;
}

const char* nameListText(int list, int entry) {
  if (!validList(list))
    return "";
  const NameList& l = gNameLists[list];
  if (entry <= 0 || entry > l.count)
    return "";
  return l.entries[entry];
}

int nameListCount(int list) {
  return validList(list) ? gNameLists[list].count : 0;
}

int nameListFindOrAdd(int list, const char* name) {
  return findOrAdd(list, name, 0);
}

int nameListFindOrAddLiteral(int list, const char* name) {
  return findOrAdd(list, name, 1);
}
