// Conversions between Shift-JIS, UTF-16 and UTF-8.
#include "text/encoding.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string hexBytes(const std::string& s) {
  std::string r;
  char buf[8];
  for (unsigned char c : s) {
    std::snprintf(buf, sizeof buf, "%02X ", c);
    r += buf;
  }
  return r;
}

std::string hexUnits(const std::u16string& s) {
  std::string r;
  char buf[8];
  for (char16_t c : s) {
    std::snprintf(buf, sizeof buf, "%04X ", static_cast<unsigned>(c));
    r += buf;
  }
  return r;
}

// ---- Shift-JIS and UTF-16 ----

TEST(Encoding, Sjis2uniFollowsTheTableAndTheAnsiLeadByteTest) {
  struct Row {
    const char* in;
    std::u16string out;
    int taken;
  };
  const Row rows[] = {
      {"A\\~", u"A\\~", 3},       // 0x5C and 0x7E stay ASCII in UTF-16
      {"\x82\xA0", u"\u3042", 2}, // あ
      {"\x81\x5C", u"\u2014", 2}, // the table's EM DASH, no code-page substitution
      {"\xB1", u"\uFF71", 1},     // half-width ｱ
      {"\x80"
       "A",
       u"\u0080A", 2}, // 0x80 is no lead byte of the ANSI code page
      {"\xA0\xFD\xFF", u"\u00A0\u00FD\u00FF", 3},
      {"\x82 ", u"?", 2},             // second byte below 0x40: one question mark
      {"\x87\x90", u"?", 2},          // empty 0x87 row position
      {"\x87\xA0", u"\U0002000B", 2}, // above U+FFFF: a surrogate pair
      {"A\x82", u"A", 2},             // a final lone lead byte is dropped
      {"", u"", 0},
  };
  for (const Row& r : rows) {
    char16_t out[16];
    std::fill(std::begin(out), std::end(out), u'#');
    EXPECT_EQ(strsjis2uni(out, r.in), r.taken) << hexBytes(r.in);
    EXPECT_EQ(std::u16string(out), r.out) << hexBytes(r.in) << "-> " << hexUnits(out);
  }
}

TEST(Encoding, Sjis2uniConvertsAtMost9998Bytes) {
  static char in[10001];
  static char16_t out[10001];
  std::memset(in, 'a', 10000);
  in[10000] = '\0';
  EXPECT_EQ(strsjis2uni(out, in), 9998);
  EXPECT_EQ(std::char_traits<char16_t>::length(out), 9998u);

  // A lead byte as the 9998th byte loses its second byte to the limit.
  std::memcpy(in + 9997, "\x82\xA0", 2);
  EXPECT_EQ(strsjis2uni(out, in), 9998);
  EXPECT_EQ(std::char_traits<char16_t>::length(out), 9997u);
}

TEST(Encoding, Strcatsjis2uniAppendsOrRefusesAStringWithoutEnd) {
  char16_t small[8] = u"ab";
  EXPECT_EQ(strcatsjis2uni(small, "\x82\xA0"
                                  "c"),
            3);
  EXPECT_EQ(std::u16string(small), u"ab\u3042c");

  static char16_t big[10001];
  std::fill(std::begin(big), std::end(big), u'z');
  big[10000] = 0; // the end lies beyond the first 9999 units
  EXPECT_EQ(strcatsjis2uni(big, "A"), -1);
  EXPECT_EQ(big[9999], u'z');

  big[9998] = 0; // the last unit looked at
  EXPECT_EQ(strcatsjis2uni(big, "A"), 1);
  EXPECT_EQ(big[9998], u'A');
  EXPECT_EQ(big[9999], 0);
}

TEST(Encoding, Uni2sjisWritesLowUnitsAsBytesAndLooksUpTheRest) {
  struct Row {
    std::u16string in;
    const char* out;
  };
  const Row rows[] = {
      {u"A\u00B1\u00A5\\", "A\xB1\xA5\\"}, // below 0x100: the byte itself, no lookup
      {u"\uFF71", "\xB1"},                 // through the table to a single byte
      {u"\u203E", "~"},
      {u"\u3042\u2661", "\x82\xA0\x83\xBB"},
      {u"\u2014", "\x81\x5C"},
      {u"\u2015\uFF5E", "??"}, // substitutes belong to UTF-8 only
      {u"\U0002000B", "??"},   // surrogates have no entry
  };
  for (const Row& r : rows) {
    char out[32];
    EXPECT_EQ(struni2sjis(out, r.in.c_str()), static_cast<int>(r.in.size())) << hexUnits(r.in);
    EXPECT_EQ(std::string(out), r.out) << hexUnits(r.in);
  }
}

TEST(Encoding, Uni2sjisAndChkunisjisStopAfter9998Units) {
  static char16_t in[10001];
  static char out[2 * 10001];
  std::fill(std::begin(in), std::end(in), u'a');
  in[10000] = 0;
  EXPECT_EQ(struni2sjis(out, in), 9998);
  EXPECT_EQ(std::strlen(out), 9998u);

  in[9998] = u'\u2015'; // the 9999th unit is not looked at
  EXPECT_EQ(chkunisjis(in), 0);
  in[9997] = u'\u2015';
  EXPECT_EQ(chkunisjis(in), -1);
}

TEST(Encoding, ChkunisjisFindsUnitsThatWouldBecomeQuestionMarks) {
  struct Row {
    std::u16string in;
    int result;
  };
  const Row rows[] = {
      {u"", 0},         {u"A\u00FF", 0},     {u"\u3042\uFF71", 0},
      {u"a\u2015", -1}, {u"\U0001F600", -1}, {u"\u2661\u0500", -1},
  };
  for (const Row& r : rows)
    EXPECT_EQ(chkunisjis(r.in.c_str()), r.result) << hexUnits(r.in);
}

TEST(Encoding, MappedCodesRoundTripThroughUtf16) {
  int checked = 0;
  for (uint32_t code = 1; code <= 0xFCFF; ++code) {
    char in[3] = {};
    if (code < 0x100) {
      if (issjislead(static_cast<unsigned char>(code)) && code != 0x80)
        continue;
      in[0] = static_cast<char>(code);
    } else {
      if (sjis2uni(code) == 0)
        continue;
      in[0] = static_cast<char>(code >> 8);
      in[1] = static_cast<char>(code & 0xFF);
    }
    char16_t wide[4];
    char back[8];
    strsjis2uni(wide, in);
    struni2sjis(back, wide);
    uint32_t cp = sjis2uni(code);
    if (cp > 0xFFFF) {
      EXPECT_STREQ(back, "??") << std::hex << code;
    } else if (code >= 0x100 && cp < 0x100) {
      // A unit below 0x100 is written as its own byte: 0x814C (U+00B4) comes back as 0xB4.
      const char single[2] = {static_cast<char>(cp), 0};
      EXPECT_STREQ(back, single) << std::hex << code;
    } else {
      EXPECT_STREQ(back, in) << std::hex << code;
    }
    ++checked;
  }
  EXPECT_EQ(checked, 195 + 11208); // all single bytes but NUL and the ANSI lead bytes
}

// ---- UTF-8 and UTF-16 ----

TEST(Encoding, Utf82uniDecodesAndSpellsOutCharactersAboveTheBmp) {
  struct Row {
    const char* in;
    std::u16string out;
    int status;
  };
  const Row rows[] = {
      {"A", u"A", 7},
      {"\xC2\xA9\xE3\x81\x82", u"\u00A9\u3042", 7},
      {"\xF0\x9F\x98\x80", u"x01F600", 7},
      {"\xF0\x82\x82\xAC", u"\u20AC", 7}, // overlong four bytes below U+10000: one unit
      {"\xED\xA0\x80", u"\xD800", 7},     // encoded surrogates pass
      {"\xEF\xBB\xBF"
       "A",
       u"\uFEFFA", 7}, // a byte-order mark is text
      {"a\x80"
       "b",
       u"ab", 0}, // stray continuation byte: skipped
      {"a\xFF"
       "b",
       u"ab", 0},
      {"a\x80"
       "b\xF8"
       "c",
       u"ab", 0},             // the second error ends the conversion
      {"a\xE3\x81", u"a", 0}, // cut by the terminator
      {"\xE3"
       "AB",
       u"B", 0}, // the byte that breaks a sequence is lost
      {"\xE3"
       "A\xE3"
       "BC",
       u"", 0},
  };
  for (const Row& r : rows) {
    char16_t out[16];
    std::fill(std::begin(out), std::end(out), u'#');
    EXPECT_EQ(strutf82uni(out, r.in), r.status) << hexBytes(r.in);
    EXPECT_EQ(std::u16string(out), r.out) << hexBytes(r.in) << "-> " << hexUnits(out);
    EXPECT_EQ(out[r.out.size() + 1], 0) << "second terminating unit, " << hexBytes(r.in);
  }
}

TEST(Encoding, Uni2utf8EncodesPairsAndReplacesBrokenOnes) {
  struct Row {
    std::u16string in;
    const char* out;
    int consumed;
  };
  const Row rows[] = {
      {u"A", "A", 2},
      {u"\u00A9\u3042", "\xC2\xA9\xE3\x81\x82", 4},
      {u"\U0001F600", "\xF0\x9F\x98\x80", 4},
      {u"\xD83D"
       u"AB",
       "?B", 6},                      // the unit after a lone high goes with it
      {u"A\xD83D", "A?", 4},          // a high surrogate cut by the end
      {u"\xDC00", "\xED\xB0\x80", 2}, // a lone low surrogate is encoded
      {u"\xD83D\xD83D\xDE00", "?\xED\xB8\x80", 6},
  };
  for (const Row& r : rows) {
    char out[32];
    EXPECT_EQ(struni2utf8(out, r.in.c_str()), r.consumed) << hexUnits(r.in);
    EXPECT_EQ(std::string(out), r.out) << hexUnits(r.in);
  }
}

TEST(Encoding, Uni2utf8StopsAfter9998Units) {
  static char16_t in[10001];
  static char out[3 * 10001];
  std::fill(std::begin(in), std::end(in), u'a');
  in[10000] = 0;
  EXPECT_EQ(struni2utf8(out, in), 2 * 9998);
  EXPECT_EQ(std::strlen(out), 9998u);

  // A pair whose low half is the 9999th unit is cut by the limit.
  in[9997] = 0xD83D;
  in[9998] = 0xDE00;
  EXPECT_EQ(struni2utf8(out, in), 2 * 9998);
  EXPECT_EQ(std::strlen(out), 9998u);
  EXPECT_EQ(out[9997], '?');
}

// ---- Shift-JIS and UTF-8 ----

TEST(Encoding, Utf82sjisUsesSubstitutesBeforeTheReverseTable) {
  struct Row {
    const char* in;
    const char* out;
    int status;
  };
  const Row rows[] = {
      {"A\\~", "A\\~", 7},
      {"\xE3\x81\x82\xE2\x82\xAC", "\x82\xA0\x85\x40", 7}, // あ€
      {"\xEF\xBD\xB1", "\xB1", 7},                         // U+FF71: the single byte 0xB1
      {"\xC2\xA5", "\x5C", 7},                             // U+00A5: the single byte 0x5C
      {"\xC2\xA2", "\x81\x91", 7},                         // two-byte sequence through the table
      {"\xE2\x80\x94", "\x81\x5C", 7},                     // U+2014 through the table
      {"\xE2\x80\x95", "\x81\x5C", 7},                     // U+2015 through the substitutes
      {"\xE3\x80\x9C", "\x81\x60", 7},                     // U+301C and U+FF5E both give 0x8160
      {"\xEF\xBD\x9E", "\x81\x60", 7},
      {"\xEF\xBC\xBC", "\x81\x5F", 7},
      {"\xE2\x88\xA5", "\x81\x61", 7}, // before the table's 0x81D2
      {"\xE2\x89\x92", "\x87\x90", 7}, // before the table's 0x81E0
      {"\xF0\xA0\x80\x8B", "", 7},     // four-byte sequences write nothing
      {"\xF0\x9F\x98\x80", "", 7},
      {"\xEF\xBB\xBF"
       "A",
       "A", 7},                                    // a byte-order mark writes nothing
      {"\xE2\x80\x95\xEF\xBF\xBF", "\x81\x5C", 7}, // U+FFFF has no code
      {"a\xFF"
       "b",
       "ab", 0},
      {"a\x80"
       "b\xC3",
       "ab", 0}, // the second error ends it
      {"\xE3\x81", "", 0},
  };
  for (const Row& r : rows) {
    char out[32];
    EXPECT_EQ(strutf82sjis(out, r.in), r.status) << hexBytes(r.in);
    EXPECT_EQ(std::string(out), r.out) << hexBytes(r.in) << "-> " << hexBytes(out);
  }
}

TEST(Encoding, Sjis2utf8WritesCodePageCodePointsAndReportsWhatItMet) {
  struct Row {
    const char* in;
    const char* out;
    int status;
  };
  const Row rows[] = {
      {"A\\~", "A\\~", 7}, // 0x5C stays a backslash
      {"\x82\xA0", "\xE3\x81\x82", 7},
      {"\x81\x5C", "\xE2\x80\x95", 7}, // the 18 code-page substitutes
      {"\x81\x5F", "\xEF\xBC\xBC", 7},
      {"\x81\x60", "\xEF\xBD\x9E", 7},
      {"\x81\x61", "\xE2\x88\xA5", 7},
      {"\x81\x7C", "\xEF\xBC\x8D", 7},
      {"\x81\x91", "\xEF\xBF\xA0", 7},
      {"\x81\x92", "\xEF\xBF\xA1", 7},
      {"\x81\xCA", "\xEF\xBF\xA2", 7},
      {"\x87\x90", "\xE2\x89\x92", 7},
      {"\x87\x91", "\xE2\x89\xA1", 7},
      {"\x87\x92", "\xE2\x88\xAB", 7},
      {"\x87\x94", "\xE2\x88\x91", 7},
      {"\x87\x95", "\xE2\x88\x9A", 7},
      {"\x87\x96", "\xE2\x8A\xA5", 7},
      {"\x87\x97", "\xE2\x88\xA0", 7},
      {"\x87\x9A", "\xE2\x88\xB5", 7},
      {"\x87\x9B", "\xE2\x88\xA9", 7},
      {"\x87\x9C", "\xE2\x88\xAA", 7},
      {"\x81\xE0", "\xE2\x89\x92", 7},     // ≒ through the table
      {"\x87\xA0", "\xF0\xA0\x80\x8B", 7}, // above U+FFFF: four bytes
      {"\x82\xF5", "", 7},                 // an unmapped pair writes nothing
      {"\xB1", "\xEF\xBD\xB1", 7},
      {"\xA0", "\xC2\xA0", 7},          // no entry: its own value
      {"\xE0\x40", "\xE6\xBC\xBE", 15}, // 漾, a byte 0xE0-0xFF was met
      {"\xFC\x5A", "\xE9\xAC\x9C", 15},
      {"\xFD", "", 15},
      {"\x82 ", "", 1}, // second byte below 0x40
      {"\xE0 ", "", 1},
      {"\x80"
       "A",
       "", 2},           // the empty 0x80 row
      {"A\x82", "A", 3}, // ends inside a pair
      {"\xFD\x82", "", 3},
      {"\x82 \xE0\x40", "\xE6\xBC\xBE", 9}, // bit 3 set again after the error
  };
  for (const Row& r : rows) {
    char out[32];
    EXPECT_EQ(strsjis2utf8(out, r.in), r.status) << hexBytes(r.in);
    EXPECT_EQ(std::string(out), r.out) << hexBytes(r.in) << "-> " << hexBytes(out);
  }
}

TEST(Encoding, MappedCodesSurviveUtf8AndBackExceptWhereSubstitutesDiffer) {
  // Codes whose code point reads back as a code-page code, and 0x81B0 whose U+007E is
  // plain ASCII in UTF-8.
  const uint32_t changed[][2] = {
      {0x81AF, 0x817C}, {0x81B0, 0x7E},   {0x81BE, 0x879C}, {0x81BF, 0x879B},
      {0x81D2, 0x8161}, {0x81DA, 0x8797}, {0x81DB, 0x8796}, {0x81DF, 0x8791},
      {0x81E0, 0x8790}, {0x81E3, 0x8795}, {0x81E6, 0x879A}, {0x81E7, 0x8792},
  };
  std::vector<uint32_t> seenChanged;
  int lost = 0;
  for (uint32_t code = 0x8100; code <= 0xFCFF; ++code) {
    if (sjis2uni(code) == 0)
      continue;
    const char in[3] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF), 0};
    char utf8[8], back[8];
    EXPECT_EQ(strsjis2utf8(utf8, in), (code >> 8) >= 0xE0 ? 15 : 7);
    EXPECT_EQ(strutf82sjis(back, utf8), 7);
    if (sjis2uni(code) > 0xFFFF) {
      EXPECT_STREQ(back, "") << std::hex << code;
      ++lost;
    } else if (std::strcmp(back, in) != 0) {
      seenChanged.push_back(code);
      uint32_t got = static_cast<unsigned char>(back[0]);
      if (back[1] != 0)
        got = got << 8 | static_cast<unsigned char>(back[1]);
      bool listed = false;
      for (const auto& c : changed)
        listed = listed || (c[0] == code && c[1] == got);
      EXPECT_TRUE(listed) << std::hex << code << " -> " << got;
    }
  }
  EXPECT_EQ(lost, 303);
  EXPECT_EQ(seenChanged.size(), std::size(changed));
}

TEST(Encoding, Strcatsjis2utf8NeedsAnEndWithin520Bytes) {
  char out[600] = "ab";
  EXPECT_EQ(strcatsjis2utf8(out, "\x82\xA0"), 7);
  EXPECT_STREQ(out, "ab\xE3\x81\x82");

  std::memset(out, 'z', sizeof out);
  out[520] = '\0';
  EXPECT_EQ(strcatsjis2utf8(out, "A"), -1);
  EXPECT_EQ(out[520], '\0');
  EXPECT_EQ(out[521], 'z');

  out[519] = '\0';
  EXPECT_EQ(strcatsjis2utf8(out, "A\x82"), 3);
  EXPECT_EQ(out[519], 'A');
  EXPECT_EQ(out[520], '\0');
}

TEST(Encoding, StrcatmsgAppendsRawOrAsUtf8ByOutputMode) {
  char out[32] = "ab";
  setMessagesRaw(1);
  strcatmsg(out, "\x82\xA0\\");
  EXPECT_STREQ(out, "ab\x82\xA0\\");
  setMessagesRaw(0);
  strcatmsg(out, "\x82\xA0");
  EXPECT_STREQ(out, "ab\x82\xA0\\\xE3\x81\x82");
}

TEST(Encoding, CutsjisleadRemovesOnlyAFinalLoneLeadByte) {
  struct Row {
    const char* in;
    const char* out;
    int result;
  };
  const Row rows[] = {
      {"", "", 0},
      {"abc", "abc", 0},
      {"\x82\xA0", "\x82\xA0", 0},
      {"ab\x82", "ab", 1},
      {"\x82\xA0\xE0", "\x82\xA0", 1},
      {"\x80", "", 1},             // 0x80 is a lead byte by the fixed test
      {"\x82\x82", "\x82\x82", 0}, // a lead byte as second byte belongs to the pair
      {"\x82\x82\x82", "\x82\x82", 1},
      {"a\xB1", "a\xB1", 0},
  };
  for (const Row& r : rows) {
    char s[16];
    std::strcpy(s, r.in);
    EXPECT_EQ(cutsjislead(s), r.result) << hexBytes(r.in);
    EXPECT_STREQ(s, r.out) << hexBytes(r.in);
  }
}

// ---- Output sizes ----

// Deterministic pseudo-random input (bytes 1-255, or units 1-0xFFFF).
struct Lcg {
  uint32_t state;
  uint32_t next(uint32_t below) {
    state = state * 1664525u + 1013904223u;
    return 1 + (state >> 8) % (below - 1);
  }
};

TEST(Encoding, OutputsStayWithinTheStatedWorstCase) {
  constexpr char kGuard = 0x5A;
  Lcg rng{12345};
  for (int round = 0; round < 3000; ++round) {
    size_t len = rng.next(48);
    char in[48] = {};
    char16_t inW[48] = {};
    for (size_t i = 0; i < len; ++i) {
      in[i] = static_cast<char>(rng.next(256));
      inW[i] = static_cast<char16_t>(rng.next(0x10000));
    }
    char bytes[4 * 48];
    char16_t units[4 * 48];
    auto guardedBytes = [&](size_t limit, int (*convert)(char*, const char*), const char* what) {
      std::memset(bytes, kGuard, sizeof bytes);
      convert(bytes, in);
      for (size_t i = limit; i < sizeof bytes; ++i)
        ASSERT_EQ(bytes[i], kGuard) << what << " wrote byte " << i << " of " << hexBytes(in);
    };
    auto guardedUnits = [&](size_t limit, int (*convert)(char16_t*, const char*),
                            const char* what) {
      std::fill(std::begin(units), std::end(units), char16_t(kGuard));
      convert(units, in);
      for (size_t i = limit; i < std::size(units); ++i)
        ASSERT_EQ(units[i], kGuard) << what << " wrote unit " << i << " of " << hexBytes(in);
    };
    guardedUnits(len + 1, strsjis2uni, "strsjis2uni");
    guardedUnits(2 * len + 2, strutf82uni, "strutf82uni");
    guardedBytes(len + 1, strutf82sjis, "strutf82sjis");
    guardedBytes(3 * len + 1, strsjis2utf8, "strsjis2utf8");

    std::memset(bytes, kGuard, sizeof bytes);
    struni2sjis(bytes, inW);
    for (size_t i = 2 * len + 1; i < sizeof bytes; ++i)
      ASSERT_EQ(bytes[i], kGuard) << "struni2sjis wrote byte " << i;
    std::memset(bytes, kGuard, sizeof bytes);
    struni2utf8(bytes, inW);
    for (size_t i = 3 * len + 1; i < sizeof bytes; ++i)
      ASSERT_EQ(bytes[i], kGuard) << "struni2utf8 wrote byte " << i;
  }
}

// ---- Sized helpers ----

TEST(Encoding, BoundedConversionsStopBeforeACharacterThatWouldNotFit) {
  struct Row {
    int (*convert)(char*, size_t, const char*);
    const char* in;
    size_t outSize;
    const char* out;
    int status;
  };
  const Row rows[] = {
      {sjisToUtf8Bounded, "\x82\xA0\x82\xA2", 4, "\xE3\x81\x82", 7},
      {sjisToUtf8Bounded, "\x82\xA0\x82\xA2", 6, "\xE3\x81\x82", 7},
      {sjisToUtf8Bounded, "\x82\xA0\x82\xA2", 7, "\xE3\x81\x82\xE3\x81\x84", 7},
      {sjisToUtf8Bounded, "\x82\xA0\xE0\x40", 4, "\xE3\x81\x82", 7}, // status of what fit
      {sjisToUtf8Bounded,
       "\xFD"
       "A",
       1, "", 15},
      {sjisToUtf8Bounded, "abc", 1, "", 7},
      {utf8ToSjisBounded, "\xE3\x81\x82\xE3\x81\x84", 2, "", 7},
      {utf8ToSjisBounded, "\xE3\x81\x82\xE3\x81\x84", 4, "\x82\xA0", 7},
      {utf8ToSjisBounded, "\xE3\x81\x82\xE3\x81\x84", 5, "\x82\xA0\x82\xA2", 7},
      {utf8ToSjisBounded,
       "A\xEF\xBD\xB1"
       "B",
       3, "A\xB1", 7},
      {utf8ToSjisBounded,
       "\x80"
       "ab",
       2, "a", 0},
  };
  for (const Row& r : rows) {
    char out[16];
    std::memset(out, '#', sizeof out);
    EXPECT_EQ(r.convert(out, r.outSize, r.in), r.status) << hexBytes(r.in) << r.outSize;
    EXPECT_EQ(std::string(out), r.out) << hexBytes(r.in) << r.outSize;
    for (size_t i = r.outSize; i < sizeof out; ++i)
      EXPECT_EQ(out[i], '#') << "written past the size, " << hexBytes(r.in) << r.outSize;
  }
  char untouched[4] = "xyz";
  EXPECT_EQ(sjisToUtf8Bounded(untouched, 0, "A"), 7);
  EXPECT_EQ(utf8ToSjisBounded(untouched, 0, "A"), 7);
  EXPECT_STREQ(untouched, "xyz");
}

} // namespace
