// The searches look only at the entries an index of leading bytes offers; whatever they
// pass over must be an entry the matcher refuses.
#include "names/namelist.h"

#include <string>

#include <gtest/gtest.h>

#include "names/builtin_tables.h"
#include "text/encoding.h"

namespace {

constexpr int kList = 6; // a list the program leaves empty

std::string sjis(const char* utf8) {
  char out[64];
  utf8ToSjisBounded(out, sizeof out, utf8);
  return out;
}

} // namespace

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
      sjis("左目先"), sjis("髪1"), sjis("センター"), sjis("スカート"), sjis("左人指３先"),
      sjis("左足首リボン"), "lit0", "lit16000", "lit99999", "", "x", sjis("揺れ幅2"),
  };
  const int bounds[] = {NAME_LIST_CAPACITY, builtins + 5, builtins, 100, 1, 0};
  const NameSearchCost before = nameListSearchCost();
  for (const std::string& n : names) {
    for (int last : bounds) {
      int walk = 0;
      for (int e = last; e >= 1 && walk == 0; --e)
        walk = nameListMatch(LIST_BONE, n.c_str(), e) == 0 ? e : 0;
      EXPECT_EQ(nameListFindUpTo(LIST_BONE, n.c_str(), last), walk)
          << testing::PrintToString(n) << " up to " << last;
    }
  }
  const NameSearchCost after = nameListSearchCost();
  EXPECT_LT(after.entriesTried - before.entriesTried, 40 * (after.searches - before.searches));
}
