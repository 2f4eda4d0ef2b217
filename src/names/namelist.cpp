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

// ---- Search index ----
// A search used to walk every entry from the top down: a motion of tens of thousands of
// distinct names then cost a walk of up to 16,384 entries per name. The index narrows a
// search to the entries that can match the name by its leading bytes:
//
//   | entry                                   | chained by                               |
//   |-----------------------------------------|------------------------------------------|
//   | literal, or a pattern without "*", "?"  | a hash of its whole text (it matches     |
//   | or 0x81 (the first byte of "？")        | only its own text)                       |
//   | pattern with 1-3 / 4+ bytes before its  | a hash of the first 1, 2 or 4 of those   |
//   | first wildcard byte                     | bytes: a name must start with them       |
//   | pattern that starts with a wildcard     | one chain of its own, tried for any name |
//
// Only "*", "?" and "？" accept a byte other than their own, so the bytes before the first
// of them must equal the name's. Every chain runs from the highest entry down; a search
// takes from each chain the first match not above `last` and returns the highest of them,
// which is the entry a walk from the top finds. The index follows the list: entries
// 1..indexed are chained, and a search chains the entries added since first.

constexpr int EXACT_BUCKETS = NAME_LIST_CAPACITY; // a chain of about one entry when full
// A list starts with this many exact buckets and doubles them as it grows past one entry a
// bucket: the built-in lists fill one page of heads rather than eight.
constexpr int EXACT_BUCKETS_FIRST = 1024;
constexpr int PREFIX_BUCKETS = 1024;

// Each entry's chain links sit together, so chaining or walking a few hundred entries
// touches a page or two rather than one per array.
struct IndexEntry {
  uint32_t textHash; // whole-text hash of a chained exact entry
  int16_t next;      // the next lower entry of the entry's chain
  uint16_t chain;    // the entry's head: see headOf
};

struct NameListIndex {
  int16_t exactHead[EXACT_BUCKETS];   // highest entry of each whole-text chain, 0 none
  int16_t prefixHead[PREFIX_BUCKETS]; // highest entry of each leading-bytes chain
  int16_t wildHead;                   // highest pattern that starts with a wildcard
  IndexEntry entry[NAME_LIST_CAPACITY + 1];
};
static_assert(NAME_LIST_CAPACITY <= INT16_MAX, "entry numbers fit the chains");
constexpr unsigned PREFIX_CHAIN = EXACT_BUCKETS; // chain numbers: exact buckets first,
constexpr unsigned WILD_CHAIN = PREFIX_CHAIN + PREFIX_BUCKETS; // then prefix, then wild
static_assert(WILD_CHAIN <= UINT16_MAX, "chain numbers fit IndexEntry::chain");

NameListIndex gNameIndex[NAME_LIST_COUNT];
// Entries 1..gIndexed[list] are chained; cleared by reset, raised by searches. Kept apart
// from the index so that emptying an unused list reads no page of it.
int32_t gIndexed[NAME_LIST_COUNT];
// Exact buckets in use by each list, a power of two; 0 stands for EXACT_BUCKETS_FIRST.
int32_t gExactBuckets[NAME_LIST_COUNT];
// Bit n: list n holds a state of its own. A list never used since start-up holds the
// zeros it started with and is brought to the emptied state when first used, so the
// lists a run never uses cost no page.
uint32_t gListsInUse;
NameSearchCost gSearchCost; // raised by every search, never cleared

static_assert(NAME_LIST_COUNT <= 32, "one bit of gListsInUse per list");

// The list, brought to the emptied state if this is its first use.
NameList& listInUse(int list) {
  NameList& l = gNameLists[list];
  if ((gListsInUse & (1u << list)) == 0) {
    gListsInUse |= 1u << list;
    l.count = 0;
    l.markCount = 1;
    l.marks[0] = 0;
  }
  return l;
}

inline int16_t& headOf(NameListIndex& x, unsigned chain) {
  if (chain < PREFIX_CHAIN)
    return x.exactHead[chain];
  if (chain < WILD_CHAIN)
    return x.prefixHead[chain - PREFIX_CHAIN];
  return x.wildHead;
}

inline bool isWildByte(unsigned char b) {
  return b == '*' || b == '?' || b == 0x81;
}

// FNV-1a over the text; length receives its length.
uint32_t textHashOf(const char* text, size_t* length) {
  uint32_t h = 2166136261u;
  size_t n = 0;
  for (; text[n] != '\0'; ++n)
    h = (h ^ static_cast<unsigned char>(text[n])) * 16777619u;
  *length = n;
  return h;
}

inline int prefixBucket(const char* text, int width) {
  uint32_t h = 2166136261u ^ static_cast<uint32_t>(width);
  for (int i = 0; i < width; ++i)
    h = (h ^ static_cast<unsigned char>(text[i])) * 16777619u;
  return static_cast<int>((h ^ (h >> 15)) & (PREFIX_BUCKETS - 1));
}

inline uint32_t exactMaskOf(int list) {
  return static_cast<uint32_t>(gExactBuckets[list] != 0 ? gExactBuckets[list] : EXACT_BUCKETS_FIRST) - 1;
}

void chainEntry(const NameList& l, NameListIndex& x, int e, uint32_t exactMask) {
  const char* text = l.entries[e];
  int fixed = 0; // bytes before the first wildcard byte, or -1 when there is none
  while (text[fixed] != '\0' && !isWildByte(static_cast<unsigned char>(text[fixed])))
    ++fixed;
  if (l.literal[e] || text[fixed] == '\0') {
    size_t length;
    const uint32_t h = textHashOf(text, &length);
    x.entry[e].textHash = h;
    x.entry[e].chain = static_cast<uint16_t>(h & exactMask);
  } else if (fixed > 0) {
    x.entry[e].chain = static_cast<uint16_t>(
        PREFIX_CHAIN + prefixBucket(text, fixed >= 4 ? 4 : fixed >= 2 ? 2 : 1));
  } else {
    x.entry[e].chain = static_cast<uint16_t>(WILD_CHAIN);
  }
  int16_t& head = headOf(x, x.entry[e].chain);
  x.entry[e].next = head;
  head = static_cast<int16_t>(e);
}

// Empties the chains of entries 1..indexed: cheaper than clearing every head when a list
// is emptied after a few entries, as it is before every read.
void unchainAll(int list) {
  if (gIndexed[list] == 0)
    return; // nothing chained: an unused list's index is not even touched
  NameListIndex& x = gNameIndex[list];
  for (int e = 1; e <= gIndexed[list]; ++e)
    headOf(x, x.entry[e].chain) = 0;
  gIndexed[list] = 0;
  gExactBuckets[list] = 0;
}

// Chains the entries added since the last search (all of them after a reset).
void catchUp(int list) {
  const NameList& l = gNameLists[list];
  NameListIndex& x = gNameIndex[list];
  if (gIndexed[list] > l.count)
    unchainAll(list); // the list was emptied without nameListEmpty
  uint32_t mask = exactMaskOf(list);
  if (static_cast<uint32_t>(l.count) > mask + 1 && mask + 1 < EXACT_BUCKETS) {
    // Past one entry a bucket: chain everything again over more buckets.
    uint32_t buckets = mask + 1;
    while (buckets < static_cast<uint32_t>(l.count) && buckets < EXACT_BUCKETS)
      buckets *= 2;
    unchainAll(list);
    gExactBuckets[list] = static_cast<int32_t>(buckets);
    mask = buckets - 1;
  }
  for (int e = gIndexed[list] + 1; e <= l.count; ++e)
    chainEntry(l, x, e, mask);
  gIndexed[list] = l.count;
}

// The first entry of a chain from its head down that is at most last, above best and
// matches; best when there is none.
int bestOfChain(const NameList& l, const NameListIndex& x, int e, const char* name, int last,
                int best) {
  for (; e > best; e = x.entry[e].next) {
    if (e > last)
      continue;
    gSearchCost.entriesTried++;
    if (matchEntry(l, name, e))
      return e;
  }
  return best;
}

int findUpTo(int list, const char* name, int last) {
  const NameList& l = gNameLists[list]; // an unused list has count 0: nothing to search
  if (last > l.count)
    last = l.count; // texts above count are stale leftovers of an earlier run
  gSearchCost.searches++;
  if (last < 1)
    return 0;
  catchUp(list);
  const NameListIndex& x = gNameIndex[list];
  size_t length;
  const uint32_t h = textHashOf(name, &length);
  int best = 0;
  for (int e = x.exactHead[h & exactMaskOf(list)]; e > best; e = x.entry[e].next) {
    if (e > last)
      continue;
    gSearchCost.entriesTried++;
    if (x.entry[e].textHash == h && std::strcmp(l.entries[e], name) == 0) {
      best = e;
      break;
    }
  }
  const int widths[] = {4, 2, 1};
  for (int width : widths) {
    if (length >= static_cast<size_t>(width))
      best = bestOfChain(l, x, x.prefixHead[prefixBucket(name, width)], name, last, best);
  }
  return bestOfChain(l, x, x.wildHead, name, last, best);
}

int append(int list, const char* name, uint8_t literal) {
  if (!validList(list))
    return 0;
  NameList& l = listInUse(list);
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
  int e = findUpTo(list, name, nameListCount(list));
  if (e != 0)
    return e;
  // A name too long for a slot is stored cut; look for that cut form too, so that asking
  // for the same long name again finds its entry instead of adding another.
  char cut[NAME_SLOT_SIZE];
  if (std::strlen(name) >= sizeof cut && copyString(cut, sizeof cut, name) < std::strlen(name)) {
    e = findUpTo(list, cut, nameListCount(list));
    if (e != 0)
      return e;
  }
  return append(list, name, literal);
}

} // namespace

void nameListResetAll() {
  // A list never used reads as emptied already; most of the sixteen are never used, and
  // emptying them would cost a fresh page each.
  for (int list = 0; list < NAME_LIST_COUNT; ++list) {
    if ((gListsInUse & (1u << list)) != 0)
      nameListEmpty(list);
  }
}

void nameListEmpty(int list) {
  if (!validList(list))
    return;
  NameList& l = listInUse(list); // its fields may be written directly from here on
  if (l.count != 0 || l.markCount != 1 || l.marks[0] != 0) {
    l.count = 0;
    l.markCount = 0;
    l.marks[l.markCount++] = 0;
  }
  unchainAll(list);
}

int nameListMarkGroup(int list) {
  if (!validList(list))
    return -1;
  NameList& l = listInUse(list);
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
  return findUpTo(list, name, last);
}

int nameListFindInGroups(int list, const char* name, int g) {
  if (!validList(list))
    return -1;
  const NameList& l = listInUse(list);
  if (g > l.markCount)
    return -1;
  if (g <= 0) {
    g += l.markCount;
    if (g < 1)
      return -1;
  }
  const int last = (g == l.markCount) ? l.count : l.marks[g];
  return findUpTo(list, name, last);
}

int nameListGroupOf(int list, int entry) {
  if (!validList(list))
    return 0;
  const NameList& l = listInUse(list);
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

NameSearchCost nameListSearchCost() {
  return gSearchCost;
}
