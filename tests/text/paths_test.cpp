#include "text/paths.h"

#include <gtest/gtest.h>

#include "common/tempdir.h"
#include "common/text_convert.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "os/os.h"
#include "text/pathconv.h"

using test_files::ansiPathOf;
using test_files::TempDir;
using test_text::u16;

namespace {

std::vector<std::string> argsOf(const ArgTable& t) {
  std::vector<std::string> v;
  for (int i = 0; i < t.count; i++)
    v.push_back(t.arg[i]);
  return v;
}

std::vector<std::u16string> argsOf(const ArgTableW& t) {
  std::vector<std::u16string> v;
  for (int i = 0; i < t.count; i++)
    v.push_back(t.arg[i]);
  return v;
}

// Tables are large; the tests share these.
ArgTable tableA;
ArgTableW tableW;

// The free-place pointer must follow the last argument and be an empty string.
void expectFreePlace(const ArgTable& a, const ArgTableW& w) {
  EXPECT_EQ(a.arg[a.count], a.pool + a.used);
  EXPECT_EQ(a.arg[a.count][0], '\0');
  EXPECT_EQ(w.arg[w.count], w.pool + w.used);
  EXPECT_EQ(w.arg[w.count][0], 0);
}

} // namespace

// ---- UTF-16 primitives and comparison ----

TEST(Paths, UnilenStopsAt4999) {
  std::u16string longText(6000, u'x');
  EXPECT_EQ(unilen(u""), 0);
  EXPECT_EQ(unilen(u"abc"), 3);
  EXPECT_EQ(unilen(longText.c_str()), 4999);
}

TEST(Paths, UnicpyAndUnicatCountWithoutTerminator) {
  char16_t buf[16] = {u'z', u'z', u'z', u'z', u'z', u'z', u'z', u'z'};
  EXPECT_EQ(unicpy(buf, u"ab"), 2);
  EXPECT_EQ(std::u16string(buf), u"ab");
  EXPECT_EQ(unicat(buf, u"cde"), 3);
  EXPECT_EQ(std::u16string(buf), u"abcde");
  EXPECT_EQ(unicat(buf, u""), 0);
  EXPECT_EQ(std::u16string(buf), u"abcde");
}

TEST(Paths, HeadcmpiFoldsOnlyAsciiLetters) {
  struct Case {
    const char* s;
    const char* pattern;
    int expected;
  } cases[] = {
      {".Vmd", ".VMD", 0},  {".VM", ".VMD", -1},   {".VMDX", ".VMD", 0}, {".vmd2", ".VMD", 0},
      {"", ".VMD", -1},     {"abc", "", 0},        {"[", "{", -1},       {"@", "`", -1},
      {".vnd", ".VMD", -1}, {"x.vmd", ".VMD", -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(headcmpi(c.s, c.pattern), c.expected) << c.s << " / " << c.pattern;
    EXPECT_EQ(headcmpiW(u16(c.s).c_str(), u16(c.pattern).c_str()), c.expected) << c.s;
  }
  // Non-ASCII letters are not folded: U+00E9 and U+00C9 differ.
  EXPECT_EQ(headcmpiW(u"\u00e9", u"\u00c9"), -1);
  // The ANSI form compares bytes: a pair equal byte for byte matches.
  EXPECT_EQ(headcmpi("\x95\x5C.txt", "\x95\x5C"), 0);
}

// ---- Path splitting ----

TEST(Paths, SplittingInBothForms) {
  struct Case {
    const char* path;
    const char* dir;
    const char* fname;
    const char* body;
    const char* ext;
    int extResult;
  } cases[] = {
      {"C:\\m\\walk.vmd", "C:\\m\\", "walk.vmd", "C:\\m\\walk", ".vmd", -1},
      {"C:\\dir.x\\file", "C:\\dir.x\\", "file", "C:\\dir", ".x\\file", -1},
      {"C:\\dir\\file", "C:\\dir\\", "file", "C:\\dir\\file", "", 0},
      {"C:\\tools\\", "C:\\tools\\", "", "C:\\tools\\", "", 0},
      {"a/b.c/d", "", "d", "a/b", ".c/d", -1},
      {"a\\b/c", "a\\", "c", "a\\b/c", "", 0},
      {"name", "", "name", "name", "", 0},
      {"x.tar.gz", "", "x.tar.gz", "x.tar", ".gz", -1},
      {".hidden", "", ".hidden", "", ".hidden", -1},
      {"", "", "", "", "", 0},
  };
  for (const Case& c : cases) {
    char out[64];
    char16_t outW[64];
    std::u16string w = u16(c.path);
    EXPECT_EQ(getdir(out, c.path), 0);
    EXPECT_STREQ(out, c.dir) << c.path;
    EXPECT_EQ(getdirW(outW, w.c_str()), 0);
    EXPECT_EQ(std::u16string(outW), u16(c.dir)) << c.path;
    EXPECT_EQ(getfname(out, c.path), 0);
    EXPECT_STREQ(out, c.fname) << c.path;
    EXPECT_EQ(getfnameW(outW, w.c_str()), 0);
    EXPECT_EQ(std::u16string(outW), u16(c.fname)) << c.path;
    EXPECT_EQ(getbody(out, c.path), 0);
    EXPECT_STREQ(out, c.body) << c.path;
    EXPECT_EQ(getbodyW(outW, w.c_str()), 0);
    EXPECT_EQ(std::u16string(outW), u16(c.body)) << c.path;
    EXPECT_EQ(getext(out, c.path), c.extResult) << c.path;
    EXPECT_STREQ(out, c.ext) << c.path;
    EXPECT_EQ(getextW(outW, w.c_str()), c.extResult) << c.path;
    EXPECT_EQ(std::u16string(outW), u16(c.ext)) << c.path;
  }
}

TEST(Paths, AnsiSplittingSkipsSecondBytes) {
  // 0x95 0x5C is 表 and 0x83 0x5C is ソ: their second byte is the backslash code.
  struct Case {
    const char* path;
    const char* dir;
    const char* fname;
  } cases[] = {
      {"C:\\\x95\x5C\\a.txt", "C:\\\x95\x5C\\", "a.txt"},
      {"\x83\x5C", "", "\x83\x5C"},
      {"d\\\x83\x5C.txt", "d\\", "\x83\x5C.txt"},
      {"ab\x95", "", "ab\x95"}, // a lead byte before the terminator stands alone
  };
  for (const Case& c : cases) {
    char out[64];
    getdir(out, c.path);
    EXPECT_STREQ(out, c.dir) << c.path;
    getfname(out, c.path);
    EXPECT_STREQ(out, c.fname) << c.path;
  }
}

TEST(Paths, SplittingInPlace) {
  char path[] = "C:\\m\\walk.vmd";
  getfname(path, path);
  EXPECT_STREQ(path, "walk.vmd");
  char16_t pathW[] = u"C:\\m\\walk.vmd";
  getextW(pathW, pathW);
  EXPECT_EQ(std::u16string(pathW), u".vmd");
}

TEST(Paths, CutdirsepKeepsRoots) {
  struct Case {
    const char* path;
    const char* expected;
  } cases[] = {
      {"C:\\", "C:\\"},         {"\\", "\\"}, {"C:\\a\\", "C:\\a"}, {"a/", "a"},
      {"C:\\a", "C:\\a"},       {"", ""},     {"C:", "C:"},         {"c:/", "c:/"},
      {"\\\\", "\\"},           {"/", "/"},   {"ab\\", "ab"},       {"1:\\", "1:"},
      {"C:\\a\\\\", "C:\\a\\"},
  };
  for (const Case& c : cases) {
    char a[300];
    std::snprintf(a, sizeof a, "%s", c.path);
    cutdirsep(a);
    EXPECT_STREQ(a, c.expected) << c.path;
    std::u16string w = u16(c.path);
    char16_t b[300];
    unicpy(b, w.c_str());
    cutdirsepW(b);
    EXPECT_EQ(std::u16string(b), u16(c.expected)) << c.path;
  }
  // The second byte of 表 is not a separator.
  char pair[] = "d\\\x95\x5C";
  cutdirsep(pair);
  EXPECT_STREQ(pair, "d\\\x95\x5C");
}

TEST(Paths, CutdirsepLengthLimits) {
  // 258 characters ending in a separator lose it; at 259 the separator stays.
  std::string at258 = std::string(257, 'a') + "\\";
  std::string at259 = std::string(258, 'a') + "\\";
  std::string longPath(300, 'a');
  char buf[400];
  std::snprintf(buf, sizeof buf, "%s", at258.c_str());
  cutdirsep(buf);
  EXPECT_EQ(std::string(buf), std::string(257, 'a'));
  std::snprintf(buf, sizeof buf, "%s", at259.c_str());
  cutdirsep(buf);
  EXPECT_EQ(std::string(buf), at259);
  std::snprintf(buf, sizeof buf, "%s", longPath.c_str());
  cutdirsep(buf);
  EXPECT_EQ(std::string(buf), std::string(259, 'a'));
  char16_t bufW[400];
  unicpy(bufW, u16(longPath).c_str());
  cutdirsepW(bufW);
  EXPECT_EQ(std::u16string(bufW), std::u16string(259, u'a'));
  // A pair that would straddle the cut is dropped whole, never halved.
  std::string straddle = std::string(258, 'a') + "\x95\x5C" + "bbb";
  std::snprintf(buf, sizeof buf, "%s", straddle.c_str());
  cutdirsep(buf);
  EXPECT_EQ(std::string(buf), std::string(258, 'a'));
}

TEST(Paths, GetfieldPicksSemicolonFields) {
  struct Case {
    const char* s;
    int n;
    const char* expected;
    int result;
  } cases[] = {
      {"a;b;c", 0, "a", 0}, {"a;b;c", 1, "b", 0}, {"a;b;c", 2, "c", 0},
      {"a;b;c", 3, "", -1}, {"abc", 0, "abc", 0}, {"abc", 1, "", -1},
      {"a;;c", 1, "", 0},   {"a;", 1, "", 0},     {"", 0, "", 0},
      {";x", 0, "", 0},     {"a;b", -1, "", -1},  {"*.TXT;*.INI", 1, "*.INI", 0},
  };
  for (const Case& c : cases) {
    char out[32] = "junk";
    EXPECT_EQ(getfield(out, c.s, c.n), c.result) << c.s << " " << c.n;
    EXPECT_STREQ(out, c.expected) << c.s << " " << c.n;
  }
}

// ---- File lookup ----

TEST(Paths, FindnameMatchesLikeWindows) {
  TempDir d;
  ASSERT_FALSE(d.dir().empty());
  d.file("walk.vmd");
  d.file("b.txt");
  d.file("\xE6\xAD\xA9\xE3\x81\x8F.vmd"); // 歩く.vmd in UTF-8
  d.folder("a.x");                        // a directory sorted before the file b.x
  d.file("b.x");
  d.folder("a.d");
  d.folder("b.d");
  d.folder("sub");
  struct Case {
    const char* name; // relative to the scratch directory, '/' separated
    int result;
    const char* found;
  } cases[] = {
      {"walk.vmd", 0, "walk.vmd"},
#ifdef _WIN32
      {"WALK.VMD", 0, "walk.vmd"}, // the file system ignores case; the name as stored
#else
      {"WALK.VMD", -1, ""}, // the file system is case-sensitive
#endif
      {"missing.vmd", -1, ""},
      {"sub", -1, ""},  // only a directory
      {"sub/", -1, ""}, // no name part
      {"*.vmd", 0, "walk.vmd"},
      {"w?lk.*", 0, "walk.vmd"},
      {"*.x", 0, "b.x"}, // the directory a.x comes first and is passed over
      {"*.d", -2, ""},   // two directories first
      {"*", -2, ""},     // "." and ".." come first
      {"?.txt", 0, "b.txt"},
      {"*.txt*", 0, "b.txt"},
      {"??.txt", -1, ""},
      {"b.txt.*", 0, "b.txt"}, // a final ".*" may match nothing
      {"sub/*", -2, ""},
      {"nodir/*", -1, ""},
  };
  for (const Case& c : cases) {
    char out[260] = "junk";
    char16_t outW[260] = u"junk";
    EXPECT_EQ(findname(out, d.ansi(c.name).c_str()), c.result) << c.name;
    EXPECT_STREQ(out, c.found) << c.name;
    EXPECT_EQ(findnameW(outW, d.wide(u16(c.name)).c_str()), c.result) << c.name;
    EXPECT_EQ(std::u16string(outW), u16(c.found)) << c.name;
  }
  // '?' is one character, not one byte; each form gets the name in its own encoding.
  char out[260];
  char16_t outW[260];
  EXPECT_EQ(findname(out, d.ansi("??.vmd").c_str()), 0);
  EXPECT_STREQ(out, "\x95\xE0\x82\xAD.vmd"); // 歩く.vmd in Shift-JIS
  EXPECT_EQ(findnameW(outW, d.wide(u"??.vmd").c_str()), 0);
  EXPECT_EQ(std::u16string(outW), u"\u6B69\u304F.vmd");
  // The Shift-JIS path finds the same file.
  EXPECT_EQ(findname(out, (d.ansi("") + "\x95\xE0\x82\xAD.vmd").c_str()), 0);
  EXPECT_STREQ(out, "\x95\xE0\x82\xAD.vmd");
  // "*.*" matches a name without a dot.
  d.folder("only");
  d.file("only/README");
  EXPECT_EQ(findname(out, d.ansi("only/R*.*").c_str()), 0);
  EXPECT_STREQ(out, "README");
  EXPECT_EQ(findname(out, d.ansi("only/*.*").c_str()), -2); // ".", ".." as on Windows
}

// Linux only (this one and the next): symbolic links, and names that are not UTF-8.
#ifndef _WIN32
// findname on a name without wildcards looks at that one entry instead of listing the
// directory; its answers must stay those of the listing, also for the entry kinds that the
// listing treats specially (links, directories, names no directory can hold).
TEST(Paths, FindnameOfAnExactNameAnswersAsTheListingWould) {
  TempDir d;
  ASSERT_TRUE(d.ok());
  d.write("walk.vmd", "x");
  ASSERT_EQ(mkdir(d.path("sub").c_str(), 0700), 0);
  ASSERT_EQ(symlink("nowhere.vmd", d.path("dangling.vmd").c_str()), 0);
  ASSERT_EQ(symlink("sub", d.path("tosub").c_str()), 0);
  ASSERT_EQ(symlink("walk.vmd", d.path("tofile.vmd").c_str()), 0);
  struct Case {
    std::string name;
    int result;
    const char* found;
  } cases[] = {
      {"walk.vmd", 0, "walk.vmd"},
      {"dangling.vmd", 0, "dangling.vmd"}, // listed, though it leads nowhere
      {"tofile.vmd", 0, "tofile.vmd"},     // the link's own name, as listed
      {"tosub", -1, ""},                   // a directory through the link
      {"sub", -1, ""},
      {".", -1, ""},
      {"..", -1, ""},
      {"walk.vmd\\x", -1, ""},         // below a file
      {std::string(300, 'n'), -1, ""}, // longer than any name a directory holds
      {"walk.vm", -1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name.substr(0, 20));
    char out[260] = "junk";
    char16_t outW[260] = u"junk";
    EXPECT_EQ(findname(out, d.ansi(c.name).c_str()), c.result);
    EXPECT_STREQ(out, c.found);
    EXPECT_EQ(findnameW(outW, d.wide(u16(c.name)).c_str()), c.result);
    EXPECT_EQ(std::u16string(outW), u16(c.found));
  }
}

// Names that are not UTF-8 are found through both path forms, which are the forms
// utf8PathToAnsi and utf8PathToWide give them: the ANSI form names a Shift-JIS name by
// its own bytes, the UTF-16 form carries the bytes as escapes.
TEST(Paths, FindnameReachesNamesThatAreNotUtf8) {
  TempDir d;
  ASSERT_FALSE(d.dir().empty());
  d.folder("\x83\x82");     // モ in Shift-JIS bytes
  d.folder("\xE6\xAD\xA9"); // 歩 in UTF-8
  const char* names[] = {
      "\x83\x82\x81\x5B\x83\x56\x83\x87\x83\x93.vmd", // モーション.vmd in Shift-JIS
      "\x95\x5C\x8F\xEE.vmd",                         // 表情.vmd: 0x5C as a second byte
      "caf\xE9.vmd",                                  // Latin-1
      "\x83\x82/\x83\x82.vmd",                        // in a Shift-JIS folder
      "\xE6\xAD\xA9/\x83\x82.vmd",                    // a Shift-JIS name in a UTF-8 folder
      "\x83\x82/caf\xE9.vmd",
  };
  for (const char* name : names) {
    d.file(name);
    char ansi[260];
    char16_t wide[260];
    ASSERT_EQ(utf8PathToAnsi(ansi, sizeof ansi, d.path(name).c_str()), 0);
    ASSERT_EQ(utf8PathToWide(wide, 260, d.path(name).c_str()), 0);
    const char* base = std::strrchr(name, '/') != nullptr ? std::strrchr(name, '/') + 1 : name;
    char expected[260];
    char16_t expectedW[260];
    utf8PathToAnsi(expected, sizeof expected, base);
    utf8PathToWide(expectedW, 260, base);
    char out[260] = "junk";
    char16_t outW[260] = u"junk";
    EXPECT_EQ(findname(out, ansi), 0) << name;
    EXPECT_STREQ(out, expected) << name;
    EXPECT_EQ(findnameW(outW, wide), 0) << name;
    EXPECT_EQ(std::u16string(outW), std::u16string(expectedW)) << name;
  }
}

#endif

TEST(Paths, FindnameAndCurrentDirectoryRelative) {
  TempDir d;
  ASSERT_FALSE(d.dir().empty());
  d.file("rel.vmd");
  char previous[4096];
  ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
  ASSERT_EQ(chdir(d.dir().c_str()), 0);
  char out[260];
  char16_t outW[260];
  int found = findname(out, "rel.vmd");
  int foundW = findnameW(outW, u"r*");
  char cwd[260];
  char16_t cwdW[260];
  int cwdResult = getcurdir(cwd, sizeof cwd);
  int cwdResultW = getcurdirW(cwdW, 260);
  char tiny[4];
  int tinyResult = getcurdir(tiny, sizeof tiny);
  ASSERT_EQ(chdir(previous), 0);
  EXPECT_EQ(found, 0);
  EXPECT_STREQ(out, "rel.vmd");
  EXPECT_EQ(foundW, 0);
  EXPECT_EQ(std::u16string(outW), u"rel.vmd");
  EXPECT_EQ(cwdResult, 0);
  EXPECT_EQ(std::string(cwd), ansiPathOf(d.dir()));
  EXPECT_EQ(cwdResultW, 0);
  EXPECT_EQ(std::u16string(cwdW), u16(ansiPathOf(d.dir())));
  EXPECT_EQ(tinyResult, -1);
  EXPECT_STREQ(tiny, "");
}

// ---- Command line ----

TEST(Paths, GetargsSplitsInBothForms) {
  struct Case {
    const char* line;
    std::vector<std::string> args;
  } cases[] = {
      {"prog.exe  \"C:\\a b\\x.vmd\"   -ND", {"prog.exe", "C:\\a b\\x.vmd", "-ND"}},
      {"prog.exe a\tb", {"prog.exe", "a\tb"}},
      {"prog.exe ", {"prog.exe"}},
      {"prog.exe    ", {"prog.exe"}},
      {"prog.exe a ", {"prog.exe", "a", ""}},
      {"prog.exe \"\"", {"prog.exe"}},
      {"prog.exe \"\" x", {"prog.exe", "", "x"}},
      {"prog.exe \"a b\"c", {"prog.exe", "a bc"}},
      {"prog.exe a\"b c\"d", {"prog.exe", "ab cd"}},
      {" \t prog.exe x", {"prog.exe", "x"}},
      {"\"C:\\Program Files\\k.exe\" x", {"C:\\Program Files\\k.exe", "x"}},
      {"prog.exe a\\\" b", {"prog.exe", "a\\ b"}}, // no escape character
      {"prog.exe \"a\tb\"\t c", {"prog.exe", "a\tb\t", "c"}},
      {"", {""}},
      {"prog.exe", {"prog.exe"}},
      {"p \"unclosed  x", {"p", "unclosed  x"}},
  };
  for (const Case& c : cases) {
    getargs(&tableA, c.line);
    EXPECT_EQ(argsOf(tableA), c.args) << c.line;
    getargsW(&tableW, u16(c.line).c_str());
    std::vector<std::u16string> wide;
    for (const std::string& s : c.args)
      wide.push_back(u16(s));
    EXPECT_EQ(argsOf(tableW), wide) << c.line;
    expectFreePlace(tableA, tableW);
  }
}

TEST(Paths, GetargsTakesAnsiPairsWhole) {
  // A pair's second byte is never a quote or a space; here 0x81 0x22 is stored as it is.
  getargs(&tableA, "prog.exe \x95\x5C\\x \x81\" y");
  EXPECT_EQ(argsOf(tableA), (std::vector<std::string>{"prog.exe", "\x95\x5C\\x", "\x81\"", "y"}));
  // A lead byte at the very end stands alone.
  getargs(&tableA, "prog.exe a\x95");
  EXPECT_EQ(argsOf(tableA), (std::vector<std::string>{"prog.exe", "a\x95"}));
}

TEST(Paths, GetargsLimits) {
  // At most 511 arguments: splitting stops at the space that would start the 512th.
  std::string many = "prog.exe";
  for (int i = 1; i < 600; i++)
    many += " a" + std::to_string(i);
  getargs(&tableA, many.c_str());
  getargsW(&tableW, u16(many).c_str());
  ASSERT_EQ(tableA.count, 511);
  ASSERT_EQ(tableW.count, 511);
  EXPECT_STREQ(tableA.arg[510], "a510");
  EXPECT_EQ(std::u16string(tableW.arg[510]), u"a510");
  expectFreePlace(tableA, tableW);

  // No argument starts once 65,275 pool characters are used.
  std::string full = "p " + std::string(65273, 'x') + " b c";
  getargs(&tableA, full.c_str());
  getargsW(&tableW, u16(full).c_str());
  EXPECT_EQ(tableA.count, 2);
  EXPECT_EQ(tableW.count, 2);
  EXPECT_EQ(std::string(tableA.arg[1]).size(), 65273u);
  // One character less: "b" still starts (65,274 used), "c" no longer does.
  std::string below = "p " + std::string(65272, 'x') + " b c";
  getargs(&tableA, below.c_str());
  getargsW(&tableW, u16(below).c_str());
  EXPECT_EQ(tableA.count, 3);
  EXPECT_EQ(tableW.count, 3);
  EXPECT_STREQ(tableA.arg[2], "b");

  // Command-line characters from index 65,533 on are never used.
  std::string longLine = "p " + std::string(70000, 'x');
  getargs(&tableA, longLine.c_str());
  getargsW(&tableW, u16(longLine).c_str());
  EXPECT_EQ(std::string(tableA.arg[1]).size(), 65531u);
  EXPECT_EQ(std::u16string(tableW.arg[1]).size(), 65531u);
  expectFreePlace(tableA, tableW);
  EXPECT_LT(tableA.used, ARG_POOL_SIZE);
}

TEST(Paths, AddargAppendsLikeACommandLineArgument) {
  struct Case {
    const char* text;
    const char* appended; // nullptr: nothing appended
  } cases[] = {
      {"   ", "   "},           {"", nullptr},      {"\"C:\\a b\\x.vmd\"", "C:\\a b\\x.vmd"},
      {"\"\"", nullptr},        {"\"", nullptr},    {"\"abc", "abc"},
      {"abc\"def", "abc\"def"}, {"\"ab\"cd", "ab"}, {"C:\\m\\walk.vmd", "C:\\m\\walk.vmd"},
  };
  for (const Case& c : cases) {
    getargs(&tableA, "prog.exe x");
    getargsW(&tableW, u"prog.exe x");
    addarg(&tableA, c.text);
    addargW(&tableW, u16(c.text).c_str());
    std::vector<std::string> expected = {"prog.exe", "x"};
    if (c.appended != nullptr)
      expected.push_back(c.appended);
    EXPECT_EQ(argsOf(tableA), expected) << c.text;
    std::vector<std::u16string> expectedW;
    for (const std::string& s : expected)
      expectedW.push_back(u16(s));
    EXPECT_EQ(argsOf(tableW), expectedW) << c.text;
    expectFreePlace(tableA, tableW);
  }
  // Appends follow one another, and the ANSI form looks for the quote past pairs.
  getargs(&tableA, "prog.exe");
  addarg(&tableA, "one");
  addarg(&tableA, "\"\x81\"two\"");
  EXPECT_EQ(argsOf(tableA), (std::vector<std::string>{"prog.exe", "one", "\x81\"two"}));
}

TEST(Paths, AddargLimits) {
  // A full table changes nothing.
  std::string many = "prog.exe";
  for (int i = 1; i < 511; i++)
    many += " a";
  getargs(&tableA, many.c_str());
  getargsW(&tableW, u16(many).c_str());
  ASSERT_EQ(tableA.count, 511);
  int usedBefore = tableA.used;
  addarg(&tableA, "more");
  addargW(&tableW, u"more");
  EXPECT_EQ(tableA.count, 511);
  EXPECT_EQ(tableW.count, 511);
  EXPECT_EQ(tableA.used, usedBefore);
  expectFreePlace(tableA, tableW);

  // At most 65,533 - used characters are copied.
  struct Case {
    int used;
    const char* text;
    const char* appended; // nullptr: nothing appended
  } cases[] = {
      {65530, "abcdef", "abc"},
      {65533, "abc", nullptr},
      {65531, "\x95\x5Cx", "\x95\x5C"},
      {65532, "\x95\x5Cx", nullptr}, // a pair is never halved
  };
  for (const Case& c : cases) {
    getargs(&tableA, "p");
    tableA.used = c.used;
    tableA.arg[1] = tableA.pool + c.used;
    addarg(&tableA, c.text);
    EXPECT_EQ(tableA.count, c.appended != nullptr ? 2 : 1) << c.used;
    if (c.appended != nullptr) {
      EXPECT_STREQ(tableA.arg[1], c.appended);
    }
    EXPECT_LT(tableA.used, ARG_POOL_SIZE);
  }
  getargsW(&tableW, u"p");
  tableW.used = 65530;
  tableW.arg[1] = tableW.pool + 65530;
  addargW(&tableW, u"abcdef");
  EXPECT_EQ(std::u16string(tableW.arg[1]), u"abc");
}

TEST(Paths, PutargsTakesTextsAsTheyAreIntoBothTables) {
  clearargs(&tableA, &tableW);
  for (const char* text : {"prog", "a \"b\" c", "", "\"q", "\x95\x5C"})
    ASSERT_EQ(putargs(&tableA, &tableW, text, u16(text).c_str()), 0) << text;
  EXPECT_EQ(argsOf(tableA), (std::vector<std::string>{"prog", "a \"b\" c", "", "\"q", "\x95\x5C"}));
  EXPECT_EQ(argsOf(tableW).size(), 5u);
  expectFreePlace(tableA, tableW);

  // Both or neither: a text one pool cannot hold goes into neither table.
  struct Case {
    int count;
    int usedA;
    int usedW;
    size_t length;
    int result;
  } cases[] = {
      {510, 0, 0, 1, 0},    {511, 0, 0, 1, -1},  {1, 65533, 0, 1, 0},  {1, 65534, 0, 1, -1},
      {1, 0, 65534, 1, -1}, {1, 0, 0, 65534, 0}, {1, 0, 0, 65535, -1},
  };
  for (const Case& c : cases) {
    clearargs(&tableA, &tableW);
    putargs(&tableA, &tableW, "p", u"p");
    tableA.count = tableW.count = c.count;
    tableA.used = c.usedA;
    tableW.used = c.usedW;
    tableA.arg[c.count] = tableA.pool + c.usedA;
    tableW.arg[c.count] = tableW.pool + c.usedW;
    tableA.pool[c.usedA] = 0;
    tableW.pool[c.usedW] = 0;
    std::string text(c.length, 'x');
    EXPECT_EQ(putargs(&tableA, &tableW, text.c_str(), u16(text).c_str()), c.result) << c.length;
    EXPECT_EQ(tableA.count, c.count + (c.result == 0)) << c.length;
    EXPECT_EQ(tableW.count, tableA.count) << c.length;
    EXPECT_LE(tableA.used, ARG_POOL_FULL);
    expectFreePlace(tableA, tableW);
  }
}
