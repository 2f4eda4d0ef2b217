// Fuzz target: the command-line splitters getargs and getargsW and the appenders addarg and
// addargW.
//
// Input: one control byte, then NUL-separated pieces. The first piece is the command line;
// each further piece is appended as an argument. Bit 2 of the control byte feeds the
// UTF-16 forms pairs of bytes instead of one unit per byte. With bits 3-6 equal to 1, bit
// 0 repeats the command line until it is 70,000 characters long (past every limit of the
// splitter); with bits 3-6 equal to 2, bit 1 appends every piece 520 times (past the
// 511-argument limit, and past the pool with long pieces).
//
// Checks, after the splitting and after all appends: count 1-511, arg[0..count] inside the
// pool in increasing order, each argument terminated before the next, arg[count] the free
// place at used. After each append: at most one argument more, ending at the free place.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "text/paths.h"

namespace {

// Static like the program's own tables: a write past the pool hits the next global.
ArgTable gTable;
ArgTableW gTableW;

template <class C, class Table>
void checkTable(const Table& t) {
  FUZZ_CHECK(t.count >= 1 && t.count <= ARG_MAX_COUNT);
  FUZZ_CHECK(t.used >= 1 && t.used < ARG_POOL_SIZE);
  FUZZ_CHECK(t.arg[0] == t.pool);
  FUZZ_CHECK(t.arg[t.count] == t.pool + t.used);
  FUZZ_CHECK(t.pool[t.used] == 0);
  for (int i = 0; i < t.count; ++i) {
    const C* a = t.arg[i];
    const C* next = t.arg[i + 1];
    FUZZ_CHECK(a >= t.pool && next > a && next <= t.pool + t.used);
    // The argument's text ends before the next one begins.
    bool ends = false;
    for (const C* p = a; p < next && !ends; ++p)
      ends = *p == 0;
    FUZZ_CHECK(ends);
  }
}

// What one append may change: at most one more argument, which ends at the free place.
template <class C, class Table>
void checkAppend(const Table& t, int countBefore) {
  FUZZ_CHECK(t.count == countBefore || t.count == countBefore + 1);
  FUZZ_CHECK(t.count <= ARG_MAX_COUNT);
  FUZZ_CHECK(t.used >= 1 && t.used < ARG_POOL_SIZE);
  FUZZ_CHECK(t.arg[t.count] == t.pool + t.used && t.pool[t.used] == 0);
  if (t.count > countBefore)
    FUZZ_CHECK(t.arg[t.count - 1] < t.arg[t.count] && t.pool[t.used - 1] == 0);
}

// The pieces of the input as byte strings (ANSI) or UTF-16 strings.
std::vector<std::string> piecesOf(const uint8_t* data, size_t size) {
  std::vector<std::string> pieces(1);
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0)
      pieces.emplace_back();
    else
      pieces.back() += static_cast<char>(data[i]);
  }
  return pieces;
}

std::u16string wideOf(const std::string& bytes, bool pairs) {
  std::u16string out;
  if (!pairs) {
    for (char c : bytes)
      out += static_cast<char16_t>(static_cast<unsigned char>(c));
    return out;
  }
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    char16_t unit = static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                          static_cast<unsigned char>(bytes[i + 1]) << 8);
    if (unit != 0)
      out += unit;
  }
  return out;
}

// The command lines, in static storage: a line of the long mode is 70,000 characters,
// and building it on the heap every run would cost more than splitting it.
constexpr size_t LONG_LINE = 70000;
char gLine[LONG_LINE + 1];
char16_t gWideLine[LONG_LINE + 1];

// Fills gLine and gWideLine with text, repeated up to LONG_LINE characters when repeat
// is set.
void makeLines(const std::string& text, bool pairs, bool repeat) {
  const std::u16string wide = wideOf(text, pairs);
  size_t n = text.size();
  std::memcpy(gLine, text.data(), n);
  if (repeat && n != 0) {
    for (; n < LONG_LINE; ++n)
      gLine[n] = gLine[n % text.size()];
  }
  gLine[n] = '\0';
  n = wide.size();
  std::memcpy(gWideLine, wide.data(), n * sizeof(char16_t));
  if (repeat && n != 0) {
    for (; n < LONG_LINE; ++n)
      gWideLine[n] = gWideLine[n % wide.size()];
  }
  gWideLine[n] = 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0)
    return 0;
  const uint8_t control = data[0];
  std::vector<std::string> pieces = piecesOf(data + 1, size - 1);
  // The long modes take a hundred times longer than the others: one control byte in 16
  // each.
  const bool repeat = (control & 0x78) == 0x08 && (control & 1);
  const bool pairs = (control & 4) != 0;
  // Enough rounds to pass the 511-argument limit even with one piece to append.
  const int appendRounds = (control & 0x78) == 0x10 && (control & 2) ? 520 : 1;

  makeLines(pieces[0], pairs, repeat);
  FUZZ_CHECK(getargs(&gTable, gLine) == 0);
  checkTable<char>(gTable);
  FUZZ_CHECK(getargsW(&gTableW, gWideLine) == 0);
  checkTable<char16_t>(gTableW);
  fuzz::count(gTable.count > 1 ? "arguments" : "program-only");

  // Each text to append, in both forms.
  std::vector<std::vector<char>> texts;
  std::vector<std::vector<char16_t>> wideTexts;
  for (size_t i = 1; i < pieces.size(); ++i) {
    texts.emplace_back(pieces[i].begin(), pieces[i].end());
    texts.back().push_back('\0');
    std::u16string wide = wideOf(pieces[i], pairs);
    wideTexts.emplace_back(wide.begin(), wide.end());
    wideTexts.back().push_back(0);
  }
  for (int round = 0; round < appendRounds; ++round) {
    for (size_t i = 0; i < texts.size(); ++i) {
      const int countBefore = gTable.count;
      FUZZ_CHECK(addarg(&gTable, texts[i].data()) == 0);
      checkAppend<char>(gTable, countBefore);
      const int countBeforeW = gTableW.count;
      FUZZ_CHECK(addargW(&gTableW, wideTexts[i].data()) == 0);
      checkAppend<char16_t>(gTableW, countBeforeW);
    }
  }
  checkTable<char>(gTable);
  checkTable<char16_t>(gTableW);
  if (gTable.count == ARG_MAX_COUNT)
    fuzz::count("table-full");
  return 0;
}
