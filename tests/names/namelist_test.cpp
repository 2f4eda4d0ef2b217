#include "names/namelist.h"

#include <cstdio>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "common/text_convert.h"
#include "names/builtin_tables.h"

using test_text::sjis;

namespace {

constexpr int kList = 5; // a list the program leaves empty

// Fills kList with the numbered names n1, n2, ... and marks after the given counts.
void fillNumbered(int count, std::initializer_list<int> marksAt) {
  nameListResetAll();
  auto mark = marksAt.begin();
  for (int i = 1; i <= count; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "n%d", i);
    ASSERT_EQ(nameListAppend(kList, name), i);
    if (mark != marksAt.end() && *mark == i) {
      ASSERT_EQ(nameListMarkGroup(kList), 0);
      ++mark;
    }
  }
}

} // namespace

TEST(NameList, PatternMatching) {
  // "、" is 0x81 0x41: it shares its first byte with "？" (0x81 0x48).
  const char kTouten[] = {'\x81', '\x41', 0};      // 、
  const char kQuestion[] = {'\x81', '\x48', 0};    // ？
  const char kTrailA[] = {'a', '?', 0};            // a?
  const char kLoneLead[] = {'a', '\x82', 0};       // a, lone lead byte
  const char kKanaA[] = {'\x83', '\x41', 0};       // ア (second byte is ASCII A)
  const char kHalfKana[] = {'\xB1', 0};            // ｱ (single byte)
  const char kFullQ2[] = {'a', '\x81', '\x48', 0}; // a？
  struct Case {
    std::string pattern;
    std::string name;
    bool matches;
  } cases[] = {
      {sjis("スカート*"), sjis("スカート1"), true},
      {sjis("スカート*"), sjis("スカート前"), true},
      {sjis("スカート*"), sjis("スカート"), false}, // "*" needs one byte
      {"*", "", false},
      {"*", "x", true},
      {"a*b", "axyz", true}, // the pattern ends at "*"
      {sjis("左？指３先"), sjis("左人指３先"), true},
      {sjis("左？指３先"), sjis("左A指３先"), false}, // "？" never takes a single byte
      {sjis("左？指３先"), sjis("左指３先"), false},
      {sjis("左足？リボ*"), sjis("左足首リボン"), true},
      {sjis("左HA*"), sjis("左HA1"), true},
      {sjis("左HA*"), sjis("左ha1"), false}, // case-sensitive
      {"a?c", "abc", true},
      {"a?c", sjis("aあc"), true},
      {"a?c", "ac", false},
      {"a?c", "abbc", false},
      {"?", kHalfKana, true},
      {"?A", kKanaA, false},      // "?" takes both bytes of ア
      {kTrailA, kLoneLead, true}, // a lone lead byte counts as one character
      {kFullQ2, kLoneLead, false},
      {kQuestion, kQuestion, true}, // the name holds "？" as text
      {kQuestion, sjis("ア"), true},
      {kQuestion, "A", false},
      {kQuestion, kTouten, false}, // first byte 0x81: only "？" itself
      {"a*", "a*", true},
      {"a?", "a?", true},
      {sjis("え"), sjis("えー"), false},
      {sjis("えー"), sjis("え"), false},
      {sjis("左腕"), sjis("左腕"), true},
  };
  for (const Case& c : cases) {
    nameListResetAll();
    const int e = nameListAppend(kList, c.pattern.c_str());
    ASSERT_EQ(e, 1);
    EXPECT_EQ(nameListMatch(kList, c.name.c_str(), e), c.matches ? 0 : -1)
        << "pattern #" << (&c - cases);
  }
}

TEST(NameList, LiteralEntriesMatchOnlyTheirOwnText) {
  nameListResetAll();
  const int star = nameListAppendLiteral(kList, sjis("左腕*").c_str());
  const int question = nameListAppendLiteral(kList, "a?c");
  EXPECT_EQ(nameListMatch(kList, sjis("左腕*").c_str(), star), 0);
  EXPECT_EQ(nameListMatch(kList, sjis("左腕捩").c_str(), star), -1);
  EXPECT_EQ(nameListMatch(kList, sjis("左腕").c_str(), star), -1);
  EXPECT_EQ(nameListMatch(kList, "a?c", question), 0);
  EXPECT_EQ(nameListMatch(kList, "abc", question), -1);

  // A later motion name is not swallowed by the earlier one.
  EXPECT_EQ(nameListFindOrAddLiteral(kList, sjis("左腕捩").c_str()), 3);
  EXPECT_EQ(nameListFindOrAddLiteral(kList, sjis("左腕*").c_str()), star);
  EXPECT_EQ(nameListCount(kList), 3);

  // Pattern entries keep their wildcards beside literal ones.
  const int pattern = nameListFindOrAdd(kList, sjis("髪*").c_str());
  EXPECT_EQ(nameListFindOrAddLiteral(kList, sjis("髪1").c_str()), pattern);
}

TEST(NameList, SearchRunsFromTheTopAndTheLastAddedWins) {
  nameListResetAll();
  const int exact = nameListFindOrAdd(kList, sjis("左目先").c_str());
  const int pattern = nameListFindOrAdd(kList, sjis("左目*").c_str());
  ASSERT_EQ(exact, 1);
  ASSERT_EQ(pattern, 2);
  EXPECT_EQ(nameListFindOrAdd(kList, sjis("左目先").c_str()), pattern);
  EXPECT_EQ(nameListFindUpTo(kList, sjis("左目先").c_str(), exact), exact);
  EXPECT_EQ(nameListFindUpTo(kList, sjis("左目先").c_str(), 0), 0);
  EXPECT_EQ(nameListFindUpTo(kList, sjis("左目先").c_str(), -3), 0);

  // Present: the same entry, no growth. New: count + 1.
  EXPECT_EQ(nameListFindOrAdd(kList, sjis("左目玉").c_str()), pattern);
  EXPECT_EQ(nameListCount(kList), 2);
  EXPECT_EQ(nameListFindOrAdd(kList, sjis("右目").c_str()), 3);
  EXPECT_EQ(nameListFindOrAdd(kList, sjis("右目").c_str()), 3);
  EXPECT_EQ(nameListCount(kList), 3);

  // Append does not look up: the same text twice is two entries, the later one found.
  EXPECT_EQ(nameListAppend(kList, sjis("右目").c_str()), 4);
  EXPECT_EQ(nameListFindUpTo(kList, sjis("右目").c_str(), 99), 4);
}

TEST(NameList, GroupsFollowTheMarks) {
  fillNumbered(70, {61, 62}); // marks 0, 61, 62
  struct {
    int entry, group;
  } groups[] = {{1, 1}, {61, 1}, {62, 2}, {63, 3}, {70, 3}, {71, 0}, {0, 0}, {-1, 0}};
  for (const auto& g : groups)
    EXPECT_EQ(nameListGroupOf(kList, g.entry), g.group) << "entry " << g.entry;

  struct {
    const char* name;
    int groups, found;
  } searches[] = {
      {"n63", 2, 0},  {"n62", 2, 62}, {"n1", 2, 1},    {"n63", 3, 63},
      {"n70", 0, 70}, {"n63", -1, 0}, {"n62", -1, 62}, {"n61", -2, 61},
      {"n62", -2, 0}, {"n1", 1, 1},   {"n1", 4, -1},   {"n1", -3, -1},
  };
  for (const auto& s : searches)
    EXPECT_EQ(nameListFindInGroups(kList, s.name, s.groups), s.found)
        << s.name << " in groups " << s.groups;
}

TEST(NameList, EmptyMarkedGroupsAndMarkLimit) {
  fillNumbered(3, {2});
  ASSERT_EQ(nameListMarkGroup(kList), 0); // marks 0, 2, 3, 3: group 3 is empty
  ASSERT_EQ(nameListMarkGroup(kList), 0);
  EXPECT_EQ(nameListGroupOf(kList, 3), 2);
  EXPECT_EQ(nameListAppend(kList, "n4"), 4);
  EXPECT_EQ(nameListGroupOf(kList, 4), 4);
  EXPECT_EQ(nameListFindInGroups(kList, "n4", 3), 0);

  nameListResetAll();
  for (int i = 1; i < NAME_MARK_CAPACITY; ++i)
    ASSERT_EQ(nameListMarkGroup(kList), 0);
  EXPECT_EQ(gNameLists[kList].markCount, NAME_MARK_CAPACITY);
  EXPECT_EQ(nameListAppend(kList, "x"), 1);
  EXPECT_EQ(nameListMarkGroup(kList), -1);
  EXPECT_EQ(gNameLists[kList].markCount, NAME_MARK_CAPACITY);
  EXPECT_EQ(nameListGroupOf(kList, 1), NAME_MARK_CAPACITY); // the group stays open
}

TEST(NameList, ResetEmptiesEveryListAndHidesOldTexts) {
  nameListResetAll();
  for (int list = 0; list < NAME_LIST_COUNT; ++list)
    nameListAppend(list, "old");
  nameListMarkGroup(LIST_BONE);
  nameListResetAll();
  for (int list = 0; list < NAME_LIST_COUNT; ++list) {
    EXPECT_EQ(nameListCount(list), 0);
    EXPECT_EQ(gNameLists[list].markCount, 1);
    EXPECT_EQ(gNameLists[list].marks[0], 0);
    EXPECT_EQ(nameListGroupOf(list, 1), 0);
    EXPECT_EQ(nameListFindInGroups(list, "old", 1), 0);
    EXPECT_EQ(nameListFindUpTo(list, "old", 1), 0); // the text is still in slot 1
    EXPECT_EQ(nameListMatch(list, "old", 1), -1);
    EXPECT_STREQ(nameListText(list, 1), "");
  }
  // The stale text must not turn a new name into a found one either.
  EXPECT_EQ(nameListFindOrAdd(LIST_BONE, "old"), 1);
  EXPECT_EQ(nameListCount(LIST_BONE), 1);
}

TEST(NameList, GetAndTextCheckTheRange) {
  nameListResetAll();
  nameListAppend(kList, sjis("左腕").c_str());
  char out[NAME_SLOT_SIZE] = "unchanged";
  EXPECT_EQ(nameListGet(kList, out, 1), 0);
  EXPECT_STREQ(out, sjis("左腕").c_str());
  EXPECT_STREQ(nameListText(kList, 1), sjis("左腕").c_str());
  for (int entry : {0, -1, 2, NAME_LIST_CAPACITY + 1}) {
    std::strcpy(out, "unchanged");
    EXPECT_EQ(nameListGet(kList, out, entry), -1) << entry;
    EXPECT_STREQ(out, "unchanged");
    EXPECT_STREQ(nameListText(kList, entry), "");
    EXPECT_EQ(nameListMatch(kList, sjis("左腕").c_str(), entry), -1);
  }
}

TEST(NameList, ListNumbersOutOfRangeAreRefused) {
  nameListResetAll();
  char out[NAME_SLOT_SIZE] = "";
  for (int list : {-1, NAME_LIST_COUNT}) {
    EXPECT_EQ(nameListAppend(list, "a"), 0);
    EXPECT_EQ(nameListAppendLiteral(list, "a"), 0);
    EXPECT_EQ(nameListFindOrAdd(list, "a"), 0);
    EXPECT_EQ(nameListFindOrAddLiteral(list, "a"), 0);
    EXPECT_EQ(nameListFindUpTo(list, "a", 1), 0);
    EXPECT_EQ(nameListFindInGroups(list, "a", 0), -1);
    EXPECT_EQ(nameListMatch(list, "a", 1), -1);
    EXPECT_EQ(nameListMarkGroup(list), -1);
    EXPECT_EQ(nameListGroupOf(list, 1), 0);
    EXPECT_EQ(nameListGet(list, out, 1), -1);
    EXPECT_STREQ(nameListText(list, 1), "");
    EXPECT_EQ(nameListCount(list), 0);
  }
}

TEST(NameList, FullListStoresEntry16384AndNoMore) {
  nameListResetAll();
  nameListAppend(kList + 1, "neighbour");
  char name[16];
  for (int i = 1; i <= NAME_LIST_CAPACITY; ++i) {
    std::snprintf(name, sizeof name, "b%d", i);
    ASSERT_EQ(nameListAppendLiteral(kList, name), i);
  }
  EXPECT_EQ(nameListAppend(kList, "more"), 0);
  EXPECT_EQ(nameListAppendLiteral(kList, "more"), 0);
  EXPECT_EQ(nameListFindOrAdd(kList, "more"), 0);
  EXPECT_EQ(nameListFindOrAddLiteral(kList, "more"), 0);
  EXPECT_EQ(nameListCount(kList), NAME_LIST_CAPACITY);
  EXPECT_EQ(nameListFindOrAddLiteral(kList, "b16384"), NAME_LIST_CAPACITY);
  EXPECT_STREQ(nameListText(kList, NAME_LIST_CAPACITY), "b16384");
  EXPECT_STREQ(nameListText(kList + 1, 1), "neighbour");
  EXPECT_EQ(nameListGroupOf(kList, NAME_LIST_CAPACITY), 1);
}

TEST(NameList, LongNamesAreCutOnACharacterBoundary) {
  // 1 + 35 x 2 = 71 bytes: cut to 63 (a and 31 characters). 70 bytes of double-byte
  // characters: byte 63 would split one, so 62 are kept.
  std::string oddStart = "a";
  std::string evenStart;
  for (int i = 0; i < 35; ++i) {
    oddStart += sjis("ア");
    evenStart += sjis("ア");
  }
  struct {
    const std::string& name;
    size_t kept;
  } cases[] = {{oddStart, 63}, {evenStart, 62}};
  for (const auto& c : cases) {
    nameListResetAll();
    const int e = nameListFindOrAddLiteral(kList, c.name.c_str());
    nameListAppend(kList, "next");
    ASSERT_EQ(e, 1);
    EXPECT_EQ(std::strlen(nameListText(kList, e)), c.kept);
    EXPECT_EQ(c.name.compare(0, c.kept, nameListText(kList, e)), 0);
    EXPECT_STREQ(nameListText(kList, 2), "next");
    // Asking again finds the cut entry instead of adding the name once more.
    EXPECT_EQ(nameListFindOrAddLiteral(kList, c.name.c_str()), e);
    EXPECT_EQ(nameListFindOrAdd(kList, c.name.c_str()), e);
    EXPECT_EQ(nameListCount(kList), 2);
  }
}

TEST(NameList, ListsAreIndependent) {
  nameListResetAll();
  nameListAppend(LIST_BONE, sjis("髪*").c_str());
  nameListMarkGroup(LIST_BONE);
  EXPECT_EQ(nameListFindUpTo(LIST_MORPH, sjis("髪1").c_str(), 1), 0);
  EXPECT_EQ(nameListFindOrAdd(LIST_MORPH, sjis("髪1").c_str()), 1);
  EXPECT_EQ(nameListCount(LIST_BONE), 1);
  EXPECT_EQ(gNameLists[LIST_MORPH].markCount, 1);
}

// The searches look only at the entries an index of leading bytes offers; whatever they
// pass over must be an entry the matcher refuses.
TEST(NameList, SearchesAgreeWithTheMatcherOnEveryPair) {
  // Wildcards and "？" (0x81 0x48) at the first and second byte, double-byte names whose
  // first or second byte equals a pattern's, "、" (0x81 0x41) beside "？", empty texts.
  const std::string patterns[] = {
      "*",        "?",         "\x81\x48",  "a*", "a?",    "a\x81\x48", "?b",
      "*b",       "\x81\x48x", "ab",        "a",  "",      "\x8D\xB6*", "\x8D\xB6?",
      "\x8D\x45", "\x81\x41",  "\x83\x41?", "??", "a\x81", "\x81",
  };
  const std::string names[] = {
      "",          "a",         "ab",        "abc",      "b",
      "xb",        "\x81\x48",  "\x81\x41",  "\x8D\xB6", "\x8D\xB6\x96\xDA",
      "\x8D\x45",  "\x83\x41",  "\x83\x41x", "\x95\x5C", "\x95\x5Cx",
      "a\x81\x48", "a\x95\x5C", "\x81\x48x", "\x81",     "a\x81",
  };
  for (int literal = 0; literal < 2; ++literal) {
    for (const std::string& p : patterns) {
      nameListResetAll();
      const int e =
          literal ? nameListAppendLiteral(kList, p.c_str()) : nameListAppend(kList, p.c_str());
      ASSERT_EQ(e, 1);
      for (const std::string& n : names) {
        const bool matches = nameListMatch(kList, n.c_str(), e) == 0;
        EXPECT_EQ(nameListFindUpTo(kList, n.c_str(), 1), matches ? 1 : 0)
            << (literal ? "literal " : "pattern ") << testing::PrintToString(p) << " name "
            << testing::PrintToString(n);
        EXPECT_EQ(nameListFindInGroups(kList, n.c_str(), 0), matches ? 1 : 0);
      }
    }
  }
}

TEST(NameList, IndexedSearchesFindWhatAWalkFromTheTopFinds) {
  // The built-in bone table, then literal names up to a full list: names that a wildcard,
  // an exact built-in entry, a literal entry or nothing takes, searched below several
  // bounds, against a walk from the bound down with the matcher.
  nameListResetAll();
  registerBuiltinTables();
  const int builtins = nameListCount(LIST_BONE);
  for (int i = 0; nameListCount(LIST_BONE) < NAME_LIST_CAPACITY; ++i)
    nameListAppendLiteral(LIST_BONE, ("lit" + std::to_string(i)).c_str());
  const std::string names[] = {
      sjis("左目先"),
      sjis("髪1"),
      sjis("センター"),
      sjis("スカート"),
      sjis("左人指３先"),
      sjis("左足首リボン"),
      "lit0",
      "lit16000",
      "lit99999",
      "",
      "x",
      sjis("揺れ幅2"),
  };
  // Rising bounds: the first name's searches chain the list a part at a time.
  const int bounds[] = {0, 1, 100, builtins, builtins + 5, NAME_LIST_CAPACITY, 100};
  const NameSearchCost before = nameListSearchCost();
  for (const std::string& n : names) {
    for (int last : bounds) {
      int walk = 0;
      for (int e = last; e >= 1 && walk == 0; --e)
        walk = nameListMatch(LIST_BONE, n.c_str(), e) == 0 ? e : 0;
      EXPECT_EQ(nameListFindUpTo(LIST_BONE, n.c_str(), last), walk)
          << testing::PrintToString(n) << " up to " << last;
      // The same name as a motion brings it, NUL-padded: the full list adds nothing.
      char padded[NAME_PADDED_SIZE] = {};
      std::memcpy(padded, n.data(), n.size());
      EXPECT_EQ(nameListFindOrAddPadded(LIST_BONE, padded, last), walk)
          << "padded " << testing::PrintToString(n) << " up to " << last;
    }
  }
  EXPECT_EQ(nameListCount(LIST_BONE), NAME_LIST_CAPACITY);
  const NameSearchCost after = nameListSearchCost();
  EXPECT_LT(after.entriesTried - before.entriesTried, 40 * (after.searches - before.searches));
}

TEST(NameList, AListNeverUsedBehavesAsEmptied) {
  // The last list is used by no other test here, so in a process of its own it is still
  // the zeros it started with; used or not, it must read as an emptied list.
  const int list = NAME_LIST_COUNT - 1;
  nameListResetAll();
  EXPECT_EQ(nameListCount(list), 0);
  EXPECT_EQ(nameListFindUpTo(list, "a", NAME_LIST_CAPACITY), 0);
  EXPECT_EQ(nameListFindInGroups(list, "a", 1), 0) << "group 1 is open";
  EXPECT_EQ(nameListFindInGroups(list, "a", 2), -1);
  EXPECT_EQ(nameListGroupOf(list, 1), 0);
  ASSERT_EQ(nameListMarkGroup(list), 0);
  EXPECT_EQ(nameListAppend(list, "a"), 1);
  EXPECT_EQ(nameListGroupOf(list, 1), 2);
  EXPECT_EQ(gNameLists[list].markCount, 2);
  EXPECT_EQ(gNameLists[list].marks[1], 0);
}

TEST(NameList, ExactSearchesStayShortAsAListGrowsOneNameAtATime) {
  // Names met in a motion arrive one at a time, each searched before it is added; the
  // index must keep finding every earlier one in about one compare, also after the list
  // is emptied and filled again.
  for (int count : {1024, 1025, 2049, 9000}) {
    for (int round = 1; round <= 2; ++round) {
      SCOPED_TRACE(testing::Message() << count << " names, round " << round);
      nameListEmpty(kList);
      char name[16];
      for (int i = 1; i <= count; ++i) {
        std::snprintf(name, sizeof name, "g%d", i);
        ASSERT_EQ(nameListFindOrAddLiteral(kList, name), i);
      }
      const NameSearchCost before = nameListSearchCost();
      for (int i = 1; i <= count; ++i) {
        std::snprintf(name, sizeof name, "g%d", i);
        ASSERT_EQ(nameListFindUpTo(kList, name, count), i);
      }
      EXPECT_EQ(nameListFindUpTo(kList, "g0", count), 0);
      const NameSearchCost after = nameListSearchCost();
      EXPECT_LT(after.entriesTried - before.entriesTried, 2 * (after.searches - before.searches));
    }
  }
}
