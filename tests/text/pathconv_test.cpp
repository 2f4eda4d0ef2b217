#include "text/pathconv.h"

#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <ostream>
#include <string>

#include "text/encoding.h"

namespace {

// Result code and text of one conversion towards the file system.
struct ToSystem {
  int result;
  std::string text;
  bool operator==(const ToSystem& o) const { return result == o.result && text == o.text; }
};

std::ostream& operator<<(std::ostream& os, const ToSystem& r) {
  os << r.result << " \"";
  for (unsigned char c : r.text) {
    char shown[8];
    std::snprintf(shown, sizeof shown, c >= 0x20 && c < 0x7F ? "%c" : "\\x%02X", c);
    os << shown;
  }
  return os << "\"";
}

ToSystem fromAnsi(const std::string& ansi, size_t outSize = 64) {
  char out[64];
  std::memset(out, 'U', sizeof out);
  int r = ansiPathToUtf8(out, outSize, ansi.c_str());
  return {r, out};
}

ToSystem fromWide(const std::u16string& wide, size_t outSize = 64) {
  char out[64];
  std::memset(out, 'U', sizeof out);
  int r = widePathToUtf8(out, outSize, wide.c_str());
  return {r, out};
}

// U+E000-U+E0FF of a test text stand for the escapes U+DC00-U+DCFF, which a literal cannot
// hold.
std::u16string esc(std::u16string s) {
  for (char16_t& c : s)
    if (c >= 0xE000 && c <= 0xE0FF)
      c = static_cast<char16_t>(c - 0xE000 + 0xDC00);
  return s;
}

} // namespace

TEST(PathConv, AnsiPathsBecomeUtf8WithSlashes) {
  struct Case {
    const char* label;
    std::string ansi;
    ToSystem expected;
  };
  const Case cases[] = {
      {"separators", "C:\\motion\\a.vmd", {0, "C:/motion/a.vmd"}},
      {"slash kept", "/tmp/a", {0, "/tmp/a"}},
      {"tilde kept", "~x", {0, "~x"}},
      {"second byte 0x5C is no separator", "\x95\x5C\\a", {0, "表/a"}}, // 表 then \ a
      {"half-width kana", "\xB1\xDF", {0, "ｱﾟ"}},
      {"above U+FFFF", "\x87\xA0", {0, "\xF0\xA0\x80\x8B"}}, // U+2000B
      {"pair with ASCII code point stays a character",
       "a\x81\xB0"
       "b",
       {0, "a~b"}},
      {"code page 932 characters", "\x81\x60\x81\x5C\x81\x5F\x81\x61", {0, "～―＼∥"}},
      {"empty", "", {0, ""}},
      {"lone lead byte at the end", "a\x81", {-1, ""}},
      {"0x80 maps to nothing", "\x80", {-1, ""}},
      {"0xA0 maps to nothing", "\xA0", {-1, ""}},
      {"0xFD maps to nothing", "a\xFD", {-1, ""}},
      {"code page 932 fills a table gap", "\x87\x90", {0, "≒"}},
      {"unmapped pair", "\x81\x7F", {-1, ""}},
      {"second byte out of range", "\x81\x20", {-1, ""}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(fromAnsi(c.ansi), c.expected) << c.label;
  EXPECT_EQ(fromAnsi("abc", 4), (ToSystem{0, "abc"}));
  EXPECT_EQ(fromAnsi("abcd", 4), (ToSystem{-1, ""})) << "a cut path would name another file";
  EXPECT_EQ(fromAnsi("\x95\x5C", 3), (ToSystem{-1, ""})) << "表 needs three bytes";
  char out[8];
  EXPECT_EQ(ansiPathToUtf8(out, sizeof out, nullptr), -1);
  EXPECT_EQ(ansiPathToUtf8(out, 0, "a"), -1);
}

TEST(PathConv, WidePathsBecomeUtf8WithSlashes) {
  struct Case {
    const char* label;
    std::u16string wide;
    ToSystem expected;
  };
  const Case cases[] = {
      {"separators", u"C:\\motion\\表.vmd", {0, "C:/motion/表.vmd"}},
      {"surrogate pair", u"\U00020B9F", {0, "\xF0\xA0\xAE\x9F"}},
      {"U+10FFFF", u"\U0010FFFF", {0, "\xF4\x8F\xBF\xBF"}},
      {"two-byte form", u"\u00E9", {0, "\xC3\xA9"}},
      {"fullwidth backslash is a character",
       u"a\uFF3Cb",
       {0, "a\xEF\xBC\xBC"
           "b"}},
      {"lone high surrogate", std::u16string(u"a") + char16_t(0xD842) + u"b", {-1, ""}},
      {"high surrogate at the end", std::u16string(u"a") + char16_t(0xD842), {-1, ""}},
      {"lone low surrogate", std::u16string(1, char16_t(0xDF9F)), {-1, ""}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(fromWide(c.wide), c.expected) << c.label;
  EXPECT_EQ(fromWide(u"\U00020B9F", 5), (ToSystem{0, "\xF0\xA0\xAE\x9F"}));
  EXPECT_EQ(fromWide(u"\U00020B9F", 4), (ToSystem{-1, ""}));
  char out[8];
  EXPECT_EQ(widePathToUtf8(out, sizeof out, nullptr), -1);
}

TEST(PathConv, SystemPathsBecomeAnsiWithQuestionMarksForLostCharacters) {
  struct Case {
    const char* label;
    std::string utf8;
    int result;
    std::string ansi;
  };
  const Case cases[] = {
      {"separators", "/tmp/表.vmd", 0, "\\tmp\\\x95\x5C.vmd"},
      {"half-width kana", "ｱﾟ", 0, "\xB1\xDF"},
      {"above U+FFFF in the table", "\xF0\xA0\x80\x8B", 0, "\x87\xA0"},
      {"above U+FFFF not in the table", "\xF0\x9F\x98\x80", 0, "?"}, // U+1F600
      {"yen sign would become a separator",
       "a\xC2\xA5"
       "b",
       0, "a?b"},
      {"overline would become a tilde", "\xE2\x80\xBE", 0, "?"},
      {"code page 932 characters", "～―＼", 0, "\x81\x60\x81\x5C\x81\x5F"},
      {"the table's code before the code page's", "≒∥", 0, "\x81\xE0\x81\xD2"},
      // Their table twins would come back as the code page's characters: another file.
      {"wave dash and em dash are lost", "〜—", 0, "??"},
      {"invalid byte",
       "a\xFF"
       "b",
       0, "a?b"},
      {"overlong slash is half-width katakana", "\xC0\xAF", 0, "\xC0\xAF"},
      {"encoded surrogate", "\xED\xA0\x80", 0, "???"},
      {"cut sequence is a Shift-JIS pair", "\xE8\xA1", 0, "\xE8\xA1"},
      {"empty", "", 0, ""},
      {"Shift-JIS name keeps its bytes", "/\x83\x82/\x95\x5C.vmd", 0, "\\\x83\x82\\\x95\x5C.vmd"},
      {"per component", "\xE6\xAD\xA9/\x83\x82", 0, "\x95\xE0\\\x83\x82"},
      {"Latin-1 name", "caf\xE9.vmd", 0, "caf?.vmd"},
      {"backslash of a name that is neither", "\xFF\\\xE6\xAD\xA9", 0, "??\x95\xE0"},
      {"lone lead byte is no Shift-JIS", "a\x83", 0, "a?"},
  };
  for (const Case& c : cases) {
    char out[64];
    EXPECT_EQ(utf8PathToAnsi(out, sizeof out, c.utf8.c_str()), c.result) << c.label;
    EXPECT_EQ(std::string(out), c.ansi) << c.label;
  }
  // A cut result ends on a whole character.
  char out[8];
  EXPECT_EQ(utf8PathToAnsi(out, 4, "表表"), -1);
  EXPECT_EQ(std::string(out), "\x95\x5C");
  EXPECT_EQ(utf8PathToAnsi(out, 3, "表"), 0);
  EXPECT_EQ(std::string(out), "\x95\x5C");
  EXPECT_EQ(utf8PathToAnsi(out, sizeof out, nullptr), -1);
  EXPECT_EQ(std::string(out), "");
}

TEST(PathConv, SystemPathsBecomeUtf16) {
  struct Case {
    const char* label;
    std::string utf8;
    std::u16string wide;
  };
  const Case cases[] = {
      {"separators", "/tmp/表.vmd", u"\\tmp\\表.vmd"},
      {"surrogate pair", "\xF0\xA0\xAE\x9F", u"\U00020B9F"},
      {"invalid byte", "a\xFF", esc(u"a\uE0FF")},
      {"overlong slash", "\xC0\xAF", esc(u"\uE0C0\uE0AF")},
      {"above U+10FFFF", "\xF4\x90\x80\x80", esc(u"\uE0F4\uE090\uE080\uE080")},
      {"Shift-JIS name", "/\x83\x82.vmd", esc(u"\\\uE083\uE082.vmd")},
      {"backslash byte of a name that is not UTF-8", "\x95\x5C", esc(u"\uE095\uE05C")},
      {"per component", "\xE6\xAD\xA9\\/\x83\x82", esc(u"\u6B69\\\\\uE083\uE082")},
      {"UTF-8 inside a name that is not", "\xE6\xAD\xA9\xFF", esc(u"\u6B69\uE0FF")},
  };
  for (const Case& c : cases) {
    char16_t out[16];
    EXPECT_EQ(utf8PathToWide(out, 16, c.utf8.c_str()), 0) << c.label;
    EXPECT_EQ(std::u16string(out), c.wide) << c.label;
  }
  char16_t out[4];
  EXPECT_EQ(utf8PathToWide(out, 3, "a\xF0\xA0\xAE\x9F"), -1) << "no half surrogate pair";
  EXPECT_EQ(std::u16string(out), u"a");
  EXPECT_EQ(utf8PathToWide(out, 4, "a\xF0\xA0\xAE\x9F"), 0);
  EXPECT_EQ(std::u16string(out), u"a\U00020B9F");
}

// Every character of the table survives the way through the file system and back, so a
// path without '?' in its ANSI form always names the same file as its UTF-16 form. Only
// the code page's duplicates of table characters (0x8790 and 0x81E0 are both ≒) come back
// as their twin, which names the same file.
TEST(PathConv, EveryMappedCodeRoundTrips) {
  int checked = 0;
  std::string failures;
  auto check = [&](const std::string& ansi) {
    char utf8[16];
    char back[16];
    char again[16];
    if (ansiPathToUtf8(utf8, sizeof utf8, ansi.c_str()) != 0 ||
        utf8PathToAnsi(back, sizeof back, utf8) != 0 ||
        ansiPathToUtf8(again, sizeof again, back) != 0 || std::strcmp(utf8, again) != 0 ||
        (ansi != back && substituteForSjis(static_cast<unsigned char>(ansi[0]) << 8 |
                                           static_cast<unsigned char>(ansi[1])) == 0)) {
      if (failures.size() < 200)
        failures += " " + std::to_string(static_cast<unsigned char>(ansi[0])) + "/" +
                    std::to_string(ansi.size() > 1 ? static_cast<unsigned char>(ansi[1]) : 0);
    }
    checked++;
  };
  for (unsigned b = 0xA1; b <= 0xDF; b++)
    check(std::string(1, static_cast<char>(b)));
  for (unsigned lead = 0x81; lead <= 0xFC; lead++) {
    if (lead >= 0xA0 && lead < 0xE0)
      continue;
    for (unsigned second = 0x40; second <= 0xFC; second++) {
      uint32_t code = lead << 8 | second;
      uint32_t cp = substituteForSjis(code) != 0 ? substituteForSjis(code) : sjis2uni(code);
      if (cp == 0 || cp < 0x80) // 0x81B0 holds an ASCII code point: no way back
        continue;
      check(std::string{static_cast<char>(lead), static_cast<char>(second)});
    }
  }
  EXPECT_EQ(failures, "");
  EXPECT_GT(checked, 11000);
}

// Every name the file system can hold comes back byte for byte through the UTF-16 form;
// escapes that would stand for other bytes, or for no name of the file system, convert
// to nothing.
TEST(PathConv, EscapesCarryNamesThatAreNotUtf8) {
  const char* names[] = {
      "/tmp/\x83\x82\x81\x5B.vmd", "\x95\x5C\x8F\xEE\\x", "caf\xE9.vmd",
      "\x80\xA0\xFD\xFE\xFF",      "\xED\xA0\x80",        "\xC0\xAF/\xE6\xAD\xA9",
      "\xE6\xAD\xA9\xFF",
  };
  for (const char* name : names) {
    char16_t wide[64];
    ASSERT_EQ(utf8PathToWide(wide, 64, name), 0) << name;
#ifdef _WIN32
    EXPECT_EQ(hasPathEscapes(wide), 0) << "UTF-16 is the system's own form: nothing escaped";
#else
    EXPECT_EQ(hasPathEscapes(wide), 1) << name;
#endif
    EXPECT_EQ(fromWide(wide), (ToSystem{0, name}));
  }
  struct Case {
    const char* label;
    std::u16string wide;
  } refused[] = {
      {"slash", esc(u"a\uE02F")},
      {"NUL", std::u16string(u"a") + char16_t(0xDC00)},
      {"ASCII letter", esc(u"\uE041")},
      {"dot", esc(u"\uE02E\uE02E")},
      {"bytes that read as UTF-8", esc(u"\uE0E3\uE083\uE0A2")},
      {"escaped backslash in a UTF-8 name", esc(u"a\uE05Cb")},
      {"byte escaped where it is UTF-8", esc(u"\u6B69\uE0E6\uE0AD\uE0A9\uE0FF")},
  };
  for (const Case& c : refused)
    EXPECT_EQ(fromWide(c.wide), (ToSystem{-1, ""})) << c.label;
  EXPECT_EQ(hasPathEscapes(u"\U00010080\u6B69"), 0) << "the low half of a pair";
}
