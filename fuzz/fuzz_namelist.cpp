// Fuzz target: wildcard matching and the list operations (append, find, find-or-add, get,
// groups) on arbitrary names.
//
// Input: one control byte, then NUL-separated names. The low four bits of the control byte
// say how many of the names are first appended as pattern entries; bit 5 makes a group
// mark after the patterns. The control bytes 0xF0-0xFF fill the list to a few entries
// below its capacity first (and check only the first four names, as every search then
// walks 16,380 entries); below 0xF0, bit 4 registers the built-in tables first.
//
// Checks: every match against a matcher written from the pattern rules; every search
// against a top-down walk with that matcher, also of a short name NUL-padded as a motion
// brings it; stored texts cut to 63 bytes on a character boundary; find-or-add returns an
// existing entry or count + 1, or 0 when full.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "names/builtin_tables.h"
#include "names/namelist.h"

namespace {

bool isLead(uint8_t b) {
  return (b >= 0x80 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// The pattern rules: byte equality first, "*" takes a rest of at least one byte, "?" one
// character, "？" (81 48) one double-byte character.
bool referenceMatch(const char* pattern, const char* name) {
  const uint8_t* q = reinterpret_cast<const uint8_t*>(pattern);
  const uint8_t* p = reinterpret_cast<const uint8_t*>(name);
  while (*q != 0) {
    const bool pair = *p != 0 && isLead(*p) && p[1] != 0;
    if (*p == *q) {
      ++p;
      ++q;
    } else if (*p != 0 && *q == '*') {
      return true;
    } else if (pair && *q == '?') {
      p += 2;
      ++q;
    } else if (*p != 0 && *q == '?') {
      ++p;
      ++q;
    } else if (pair && q[0] == 0x81 && q[1] == 0x48) {
      p += 2;
      q += 2;
    } else {
      return false;
    }
  }
  return *p == 0;
}

// A name as a slot stores it: at most 63 bytes, a lead byte only with its second byte.
std::string storedForm(const std::string& name) {
  size_t keep = 0;
  size_t i = 0;
  while (i < name.size()) {
    const size_t step = isLead(static_cast<uint8_t>(name[i])) && i + 1 < name.size() ? 2 : 1;
    if (i + step > static_cast<size_t>(NAME_SLOT_SIZE - 1))
      break;
    i += step;
    keep = i;
  }
  return name.substr(0, keep);
}

bool matchesEntry(int list, const char* name, int e) {
  const char* text = nameListText(list, e);
  // Literal entries (names met in a motion) match only their own text.
  if (gNameLists[list].literal[e])
    return std::strcmp(text, name) == 0;
  return referenceMatch(text, name);
}

int referenceFind(int list, const char* name, int last) {
  if (last > nameListCount(list))
    last = nameListCount(list);
  for (int e = last; e >= 1; --e) {
    if (matchesEntry(list, name, e))
      return e;
  }
  return 0;
}

std::vector<std::string> namesOf(const uint8_t* data, size_t size) {
  std::vector<std::string> names(1);
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0)
      names.emplace_back();
    else
      names.back() += static_cast<char>(data[i]);
  }
  return names;
}

// Makes list a freshly reset list of numbered names up to four entries below its
// capacity. The filled list is made once and copied in afterwards.
void fillNearlyFull(int list) {
  static NameList* filled = nullptr;
  if (filled == nullptr) {
    nameListResetAll();
    char name[16];
    while (nameListCount(list) < NAME_LIST_CAPACITY - 4) {
      std::snprintf(name, sizeof name, "F%05d", nameListCount(list));
      nameListAppend(list, name);
    }
    filled = new NameList(gNameLists[list]);
    return;
  }
  gNameLists[list] = *filled;
}

void checkName(int list, const std::string& name, bool full) {
  fuzz::ExactText text(reinterpret_cast<const uint8_t*>(name.data()), name.size());
  const int count = nameListCount(list);
  // Matching, entry by entry (the top of the list).
  for (int e = count; e >= 1 && e > count - 64; --e)
    FUZZ_CHECK((nameListMatch(list, text.text, e) == 0) == matchesEntry(list, text.text, e));
  FUZZ_CHECK(nameListMatch(list, text.text, 0) == -1);
  FUZZ_CHECK(nameListMatch(list, text.text, count + 1) == -1);

  const int found = nameListFindUpTo(list, text.text, count);
  FUZZ_CHECK(found == referenceFind(list, text.text, count));
  if (!full) {
    // Groups 1..g, g <= 0 counting from the end; g picked by the name's length.
    const NameList& l = gNameLists[list];
    int g = static_cast<int>(name.size() % (l.markCount + 4)) - 2;
    const int inGroups = nameListFindInGroups(list, text.text, g);
    if (g <= 0)
      g += l.markCount;
    if (g < 1 || g > l.markCount)
      FUZZ_CHECK(inGroups == -1);
    else
      FUZZ_CHECK(inGroups == referenceFind(list, text.text, g == l.markCount ? count : l.marks[g]));
  }

  // A name as a motion brings it, NUL-padded to 16 bytes, finds the same entry.
  if (found != 0 && name.size() < NAME_PADDED_SIZE) {
    char padded[NAME_PADDED_SIZE] = {};
    std::memcpy(padded, name.data(), name.size());
    FUZZ_CHECK(nameListFindOrAddPadded(list, padded, count) == found);
    FUZZ_CHECK(nameListCount(list) == count);
  }

  // Find-or-add: an entry that matches, or the name's cut form, or a new entry.
  const int added = nameListFindOrAdd(list, text.text);
  if (found != 0) {
    FUZZ_CHECK(added == found);
    FUZZ_CHECK(nameListCount(list) == count);
  } else if (added == 0) {
    FUZZ_CHECK(count == NAME_LIST_CAPACITY);
  } else if (added == count + 1) {
    FUZZ_CHECK(nameListCount(list) == count + 1);
    FUZZ_CHECK(std::string(nameListText(list, added)) == storedForm(name));
  } else {
    // The name is too long for a slot and its cut form was found.
    FUZZ_CHECK(storedForm(name).size() < name.size());
    FUZZ_CHECK(added == referenceFind(list, storedForm(name).c_str(), count));
  }
  // Asking again never adds another entry.
  const int countAfter = nameListCount(list);
  if (added != 0) {
    FUZZ_CHECK(nameListFindOrAdd(list, text.text) != 0);
    FUZZ_CHECK(nameListCount(list) == countAfter);
  }

  fuzz::ExactBuffer<char> out(NAME_SLOT_SIZE);
  if (added != 0) {
    FUZZ_CHECK(nameListGet(list, out.data, added) == 0);
    FUZZ_CHECK(out.terminated());
    const int group = nameListGroupOf(list, added);
    FUZZ_CHECK(group >= 1 && group <= gNameLists[list].markCount);
  }
  FUZZ_CHECK(nameListGet(list, out.data, countAfter + 1) == -1);
  FUZZ_CHECK(nameListGroupOf(list, countAfter + 1) == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0)
    return 0;
  const uint8_t control = data[0];
  const std::vector<std::string> names = namesOf(data + 1, size - 1);
  const int list = LIST_BONE;
  const bool full = control >= 0xF0;
  nameListResetAll();
  if (full)
    fillNearlyFull(list);
  else if (control & 16)
    registerBuiltinTables();

  const size_t patterns = control & 15;
  for (size_t i = 0; i < patterns && i < names.size(); ++i) {
    fuzz::ExactText text(reinterpret_cast<const uint8_t*>(names[i].data()), names[i].size());
    const int count = nameListCount(list);
    const int e = nameListAppend(list, text.text);
    if (count == NAME_LIST_CAPACITY) {
      FUZZ_CHECK(e == 0);
      fuzz::count("full");
    } else {
      FUZZ_CHECK(e == count + 1);
      FUZZ_CHECK(std::string(nameListText(list, e)) == storedForm(names[i]));
    }
  }
  if (control & 32)
    nameListMarkGroup(list);

  for (size_t i = 0; i < names.size() && (!full || i < 4); ++i) {
    checkName(list, names[i], full);
    // Names from a motion are literal entries.
    fuzz::ExactText text(reinterpret_cast<const uint8_t*>(names[i].data()), names[i].size());
    const int literal = nameListFindOrAddLiteral(LIST_MORPH, text.text);
    FUZZ_CHECK(literal == 0 ? nameListCount(LIST_MORPH) == NAME_LIST_CAPACITY
                            : literal <= nameListCount(LIST_MORPH));
  }
  fuzz::count(nameListCount(list) > NAME_LIST_CAPACITY - 8 ? "near-full" : "roomy");
  return 0;
}
