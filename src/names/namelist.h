// Name lists: sixteen fixed-capacity lists of short Shift-JIS names, filled in groups, with
// wildcard matching. All bone and morph vocabulary lives here; other tables (statistics,
// alias replacements) are parallel arrays indexed by entry number.
//
// Entries are numbered from 1; 0 means none. Lookups treat stored pattern entries as
// patterns ("*" rest of at least one byte, "?" one character, "？" one double-byte
// character) and the looked-up name as plain text, searching from the highest entry down,
// so the entry added last wins. Literal entries (names met in a motion) match only their
// own text. Names longer than 63 bytes are cut on a character boundary when stored.
// Searches go through an index of the entries by their leading bytes, so their cost does
// not grow with the number of literal entries: a name is compared with the literal entries
// of its own text hash and the patterns that share its first bytes. No operation allocates.
#pragma once

#include <cstdint>

constexpr int LIST_BONE_ALIAS = 0;
constexpr int LIST_BONE = 1;
constexpr int LIST_MORPH = 2;
constexpr int LIST_MORPH_ALIAS = 3;
constexpr int NAME_LIST_COUNT = 16;
constexpr int NAME_LIST_CAPACITY = 16384; // entries 1..16384
constexpr int NAME_SLOT_SIZE = 64;        // 63 bytes and a terminator
constexpr int NAME_MARK_CAPACITY = 15;

constexpr int BONE_GROUP_MAIN = 1;
constexpr int BONE_GROUP_FINGER = 2;
constexpr int BONE_GROUP_IGNORED = 3;
constexpr int BONE_GROUP_OTHER = 4;
constexpr int MORPH_GROUP_EXPRESSION = 1;
constexpr int MORPH_GROUP_IGNORED = 2;
constexpr int MORPH_GROUP_OTHER = 3;

struct NameList {
  char entries[NAME_LIST_CAPACITY + 1][NAME_SLOT_SIZE]; // slot 0 unused; texts kept by reset
  uint8_t literal[NAME_LIST_CAPACITY + 1]; // 1: matches only its own text (set by append)
  int32_t count;                           // entries in use; set by append, reset
  int32_t marks[NAME_MARK_CAPACITY];       // count at each mark; mark 0 made by reset
  int32_t markCount;                       // 1..15 after a reset
};
// A list that no function here has touched since start-up still holds its starting zeros
// (markCount 0), which the functions read as emptied; its fields read as this header says
// once any function has been called on it.
extern NameList gNameLists[NAME_LIST_COUNT];

// Empties all sixteen lists and makes mark 0 in each (markCount 1). Texts are not cleared.
void nameListResetAll();
// The same for one list. Code that writes entries directly must empty the list with this
// first, so that the search index starts over.
void nameListEmpty(int list);
// Closes the current group: -1 when 15 marks exist (nothing changes), else 0.
int nameListMarkGroup(int list);
// Appends a pattern entry without lookup. Returns the new entry number, 0 when full.
int nameListAppend(int list, const char* name);
// Appends a literal entry (matches only its own text). Returns the entry, 0 when full.
int nameListAppendLiteral(int list, const char* name);
// 0 when name matches the entry, -1 when not (or the entry is out of range).
int nameListMatch(int list, const char* name, int entry);
// The highest entry from last down to 1 that matches name; 0 when none. A last above
// count searches from count.
int nameListFindUpTo(int list, const char* name, int last);
// For a name of at most 15 bytes NUL-padded to 16 bytes, as a motion's names are read:
// nameListFindUpTo, else nameListAppendLiteral, without measuring or copying the name
// first. A last of NAME_LIST_CAPACITY or more searches every entry.
constexpr int NAME_PADDED_SIZE = 16;
int nameListFindOrAddPadded(int list, const char* padded, int last);
// Searches groups 1..g (g <= 0 counts from the end). -1 for a group number out of range.
int nameListFindInGroups(int list, const char* name, int g);
// Group of an entry, 0 when the entry is out of range.
int nameListGroupOf(int list, int entry);
// Copies the entry's text into out (NAME_SLOT_SIZE bytes). 0, or -1 when out of range.
int nameListGet(int list, char* out, int entry);
// The stored text of an entry (valid until the next reset), or "" when out of range.
const char* nameListText(int list, int entry);
int nameListCount(int list);
// nameListFindUpTo over all entries, else nameListAppend (a pattern entry). A name too
// long for a slot is also looked for in its cut form, so asking again finds its entry.
int nameListFindOrAdd(int list, const char* name);
// nameListFindUpTo over all entries, else nameListAppendLiteral: for names read from a
// motion file, which are data, not patterns.
int nameListFindOrAddLiteral(int list, const char* name);

// What the searches cost since the process began, for tests that hold them to a bound.
struct NameSearchCost {
  int64_t searches;     // searches of any list (every find, find-or-add, group search)
  int64_t entriesTried; // entries compared with the searched name
};
NameSearchCost nameListSearchCost();
