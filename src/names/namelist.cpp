#include "names/namelist.h"

#include <cstring>

#include "text/sjis_lead.h"
#include "text/strings.h"

NameList gNameLists[NAME_LIST_COUNT];

namespace {

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
      name += (isSjisLeadByte(c) && name[1] != '\0') ? 2 : 1;
      ++pat;
    } else if (*pat == 0x81 && pat[1] == 0x48 && isSjisLeadByte(c) && name[1] != '\0') {
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
//   | or "？" (0x81 0x48)                     | only its own text)                       |
//   | pattern with 1-3 / 4+ bytes before its  | a hash of the first 1, 2 or 4 of those   |
//   | first wildcard byte                     | bytes: a name must start with them       |
//   | pattern that starts with a wildcard     | one chain of its own, tried for any name |
//
// Only "*", "?" and "？" accept a byte other than their own, so the bytes before the first
// of them must equal the name's. "？" is the byte pair wherever it stands, as the matcher
// reads it; a lone 0x81 (the lead byte of "▲", "□", "ー" ...) is an ordinary byte.
//
// Every chain runs from the highest entry down; a search takes from each chain the first
// match not above `last` and returns the highest of them, which is the entry a walk from
// the top finds. The index follows the list: entries 1..indexed are chained, and a search
// up to `last` first chains those up to `last` not chained yet. So a motion's searches up
// to the entries that existed before its read (it knows its own names otherwise) leave its
// tens of thousands of names out of the index, which then stays a few cache lines.

// Two buckets an entry: a name that no entry has, as most names of a flood of distinct
// names are, then finds an empty bucket or one other entry, seldom a longer chain.
constexpr int EXACT_BUCKETS = 2 * NAME_LIST_CAPACITY;
// A list starts with this many exact buckets and doubles them as it grows past one entry
// in two: the built-in lists (under 512 entries) fill one page of heads rather than sixteen.
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
// The prefix widths (1, 2, 4 as bits) of each list's chained patterns: a search hashes
// only the leading bytes some pattern can match, none for a list of plain names.
uint8_t gPrefixWidths[NAME_LIST_COUNT];
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

// The head of a chain by its number.
inline int16_t& headOf(NameListIndex& x, unsigned chain) {
  if (chain < PREFIX_CHAIN)
    return x.exactHead[chain];
  if (chain < WILD_CHAIN)
    return x.prefixHead[chain - PREFIX_CHAIN];
  return x.wildHead;
}

// Where the matcher may take a byte of the name other than the text's own.
inline bool isWildAt(const char* text) {
  const unsigned char b = static_cast<unsigned char>(text[0]);
  return b == '*' || b == '?' || (b == 0x81 && text[1] == '\x48');
}

// The whole-text hash is a sum over the text's 8-byte words, zero-padded, each times a
// factor of its own, then mixed: words of zeros add nothing, so a name NUL-padded to 16
// bytes, as a motion's names arrive, hashes from two word loads without being measured.
constexpr uint64_t WORD_FACTORS[NAME_SLOT_SIZE / 8] = {
    0x9E3779B97F4A7C15ull, 0xC2B2AE3D27D4EB4Full, 0x165667B19E3779F9ull, 0xD6E8FEB86659FD93ull,
    0xFF51AFD7ED558CCDull, 0xC4CEB9FE1A85EC53ull, 0x94D049BB133111EBull, 0xBF58476D1CE4E5B9ull,
};

inline uint32_t mixWordSum(uint64_t sum) {
  sum ^= sum >> 29;
  sum *= 0x165667B19E3779F9ull;
  return static_cast<uint32_t>(sum >> 32);
}

uint32_t textHashOf(const char* text) {
  const size_t n = std::strlen(text);
  uint64_t sum = 0;
  for (size_t i = 0; i < n; i += 8) {
    uint64_t w = 0;
    std::memcpy(&w, text + i, n - i < 8 ? n - i : 8);
    sum += w * WORD_FACTORS[(i / 8) % (NAME_SLOT_SIZE / 8)];
  }
  return mixWordSum(sum);
}

inline uint32_t paddedHashOf(const char* padded) {
  uint64_t lo, hi;
  std::memcpy(&lo, padded, sizeof lo);
  std::memcpy(&hi, padded + sizeof lo, sizeof hi);
  return mixWordSum(lo * WORD_FACTORS[0] + hi * WORD_FACTORS[1]);
}

// The first width bytes (1, 2 or 4) of a text at least that long, hashed.
inline int prefixBucket(const char* text, int width) {
  uint32_t v = 0;
  std::memcpy(&v, text, static_cast<size_t>(width));
  const uint64_t h =
      (static_cast<uint64_t>(v) << 3 | static_cast<uint64_t>(width)) * 0x9E3779B97F4A7C15ull;
  return static_cast<int>(h >> (64 - 10)) & (PREFIX_BUCKETS - 1);
}
static_assert(PREFIX_BUCKETS == 1 << 10, "prefixBucket takes the top ten bits");

inline uint32_t exactMaskOf(int list) {
  return static_cast<uint32_t>(gExactBuckets[list] != 0 ? gExactBuckets[list]
                                                        : EXACT_BUCKETS_FIRST) -
         1;
}

void chainEntry(int list, int e, uint32_t exactMask) {
  const NameList& l = gNameLists[list];
  NameListIndex& x = gNameIndex[list];
  const char* text = l.entries[e];
  int fixed = 0; // bytes before the first wildcard
  while (!l.literal[e] && text[fixed] != '\0' && !isWildAt(text + fixed))
    ++fixed;
  if (l.literal[e] || text[fixed] == '\0') {
    const uint32_t h = textHashOf(text);
    x.entry[e].textHash = h;
    x.entry[e].chain = static_cast<uint16_t>(h & exactMask);
  } else if (fixed > 0) {
    const int width = fixed >= 4 ? 4 : fixed >= 2 ? 2 : 1;
    x.entry[e].chain = static_cast<uint16_t>(PREFIX_CHAIN + prefixBucket(text, width));
    gPrefixWidths[list] |= static_cast<uint8_t>(width);
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
  gPrefixWidths[list] = 0;
}

// Before entries up to target are chained: past one entry in two buckets, the exact entries
// chained so far are chained again over more buckets, by the hashes kept; the other chains
// stay as they are.
void growExactBuckets(int list, int target) {
  const uint32_t count = static_cast<uint32_t>(target);
  uint32_t buckets = exactMaskOf(list) + 1;
  if (2 * count <= buckets || buckets >= EXACT_BUCKETS)
    return;
  while (buckets < 2 * count && buckets < EXACT_BUCKETS)
    buckets *= 2;
  NameListIndex& x = gNameIndex[list];
  const int indexed = gIndexed[list];
  for (int e = 1; e <= indexed; ++e) {
    if (x.entry[e].chain < PREFIX_CHAIN)
      x.exactHead[x.entry[e].chain] = 0;
  }
  gExactBuckets[list] = static_cast<int32_t>(buckets);
  for (int e = 1; e <= indexed; ++e) { // upwards, so each chain runs from its highest down
    IndexEntry& entry = x.entry[e];
    if (entry.chain < PREFIX_CHAIN) {
      entry.chain = static_cast<uint16_t>(entry.textHash & (buckets - 1));
      entry.next = x.exactHead[entry.chain];
      x.exactHead[entry.chain] = static_cast<int16_t>(e);
    }
  }
}

// Chains the entries up to last (at most count) not chained yet; called only when there
// are some, or when the list was emptied, not by the search for every name of a motion.
void catchUp(int list, int last) {
  const NameList& l = gNameLists[list];
  if (gIndexed[list] > l.count)
    unchainAll(list); // the list was emptied without nameListEmpty
  const int target = last < l.count ? last : l.count;
  if (gIndexed[list] >= target)
    return;
  growExactBuckets(list, target);
  const uint32_t mask = exactMaskOf(list);
  for (int e = gIndexed[list] + 1; e <= target; ++e)
    chainEntry(list, e, mask);
  gIndexed[list] = target;
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

// The highest entry up to last that matches name, whose whole-text hash is h. Inlined into
// the motion's search, which runs once for every name a motion brings.
[[gnu::always_inline]] inline int findHashedUpTo(int list, const char* name, uint32_t h, int last) {
  const NameList& l = gNameLists[list]; // an unused list has count 0: nothing to search
  if (last > l.count)
    last = l.count; // texts above count are stale leftovers of an earlier run
  gSearchCost.searches++;
  if (last < 1)
    return 0;
  if (gIndexed[list] < last || gIndexed[list] > l.count)
    catchUp(list, last);
  const NameListIndex& x = gNameIndex[list];
  int best = 0;
  for (int e = x.exactHead[h & exactMaskOf(list)]; e > 0; e = x.entry[e].next) {
    if (e > last)
      continue;
    gSearchCost.entriesTried++;
    if (x.entry[e].textHash == h && std::strcmp(l.entries[e], name) == 0) {
      best = e;
      break;
    }
  }
  const uint8_t widths = gPrefixWidths[list];
  if (widths == 0 && x.wildHead == 0)
    return best; // a list of plain names, as the morph list is
  int lead = 0;  // the name's length, counted up to 4 (no byte after its NUL is read)
  while (lead < 4 && name[lead] != '\0')
    ++lead;
  if ((widths & 4) != 0 && lead >= 4)
    best = bestOfChain(l, x, x.prefixHead[prefixBucket(name, 4)], name, last, best);
  if ((widths & 2) != 0 && lead >= 2)
    best = bestOfChain(l, x, x.prefixHead[prefixBucket(name, 2)], name, last, best);
  if ((widths & 1) != 0 && lead >= 1)
    best = bestOfChain(l, x, x.prefixHead[prefixBucket(name, 1)], name, last, best);
  return bestOfChain(l, x, x.wildHead, name, last, best);
}

int findUpTo(int list, const char* name, int last) {
  return findHashedUpTo(list, name, textHashOf(name), last);
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

int nameListFindOrAddPadded(int list, const char* padded, int last) {
  if (!validList(list))
    return 0;
  const int e = findHashedUpTo(list, padded, paddedHashOf(padded), last);
  return e != 0 ? e : append(list, padded, 1);
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
