// The searches pass over entries that cannot match by their first two bytes before calling
// the matcher; whatever they pass over must be an entry the matcher refuses.
#include "names/namelist.h"

#include <string>

#include <gtest/gtest.h>

namespace {

constexpr int kList = 6; // a list the program leaves empty

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
