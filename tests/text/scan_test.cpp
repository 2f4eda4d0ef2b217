#include "text/scan.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>

#include "common/tempdir.h"
#include "common/text_convert.h"
#include "text/files.h"

using test_files::TempDir;
using test_text::u16;

namespace {

struct Case {
  const char* label;
  std::string content;
  int utf8;       // chkifutf8
  int sjis;       // chkifsjis
  bool takenSjis; // what the alias reader concludes from the two
};

// The alias reader's rule: Shift-JIS when the file is not UTF-8 and the Shift-JIS status,
// read as a signed byte, is 3 or more.
bool takenAsSjis(int utf8, int sjis) {
  return utf8 == 0 && static_cast<int8_t>(sjis) >= 3;
}

const Case kCases[] = {
    {"empty", "", 7, 7, false},
    {"UTF-8 text", "bone=ボーン\r\n", 7, 15, false},
    {"pure ASCII", "center=Center\r\n", 7, 7, false},
    {"Shift-JIS", "\x95\x5C\x8E\xA6\r\n", 0, 7, true}, // 表示
    {"Shift-JIS with lead 0xE0-0xFC", "\x88\x9F\xE0\x40", 0, 15, true},
    {"second byte below 0x40", "a\x82\x20", 0, 1, false},
    {"lead 0xE0-0xFC after the error", "\x82\x20\xE0\x40", 0, 9, true},
    {"byte 0xFD after the error", "\x82\x20\xFD", 0, 9, true},
    {"pair with first byte 0x80", "\x80\x41", 0, 2, false},
    {"0x80 pair after 0xE0 lead", "\xE0\x40\x80\x41", 0, 2, false},
    {"ends after a lead byte", "ab\x81", 0, 3, true},
    {"ends after lead 0xE0-0xFC", "\xE0\x40\xE0", 0, 3, true},
    {"single bytes 0xFD-0xFF", "\xFD\xFE\xFF", 0, 15, true},
    {"half-width kana", "\xB1\xB2", 0, 7, true},
    {"byte-order mark is text",
     "\xEF\xBB\xBF"
     "a",
     7, 15, false},
    {"UTF-8 two to four bytes", "\xC3\xA9\xE6\x97\xA5\xF0\x9F\x98\x80", 7, 15, false},
    {"end inside a sequence", "a\xE6\x97", 0, 15, true},
    {"wrong continuation byte", "\xC3\x41", 0, 7, true},
    {"stray continuation byte", "\x80", 0, 3, true},
    {"byte 0xF8", "\xF8\x61", 0, 15, true},
};

} // namespace

TEST(Scan, ClassifiesFilesInBothPathForms) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.label);
    dir.write("alias.ini", c.content);
    const std::string ansi = dir.ansi("alias.ini");
    const std::u16string wide = dir.wide(u"alias.ini");
    EXPECT_EQ(chkifutf8(ansi.c_str()), c.utf8);
    EXPECT_EQ(chkifutf8W(wide.c_str()), c.utf8);
    EXPECT_EQ(chkifutf8(ansi.c_str(), u"", 0), c.utf8);
    EXPECT_EQ(chkifsjis(ansi.c_str()), c.sjis);
    EXPECT_EQ(chkifsjisW(wide.c_str()), c.sjis);
    EXPECT_EQ(chkifsjis("", wide.c_str(), 1), c.sjis);
    EXPECT_EQ(takenAsSjis(c.utf8, c.sjis), c.takenSjis);
  }
}

TEST(Scan, InvalidBytesAnywhereMakeTheFileNotUtf8) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  // The first error is passed over, the second ends the scan; either way the file is not
  // UTF-8, and the text reader is closed afterwards.
  const std::string contents[] = {"\x80\x80" + std::string(20000, 'a'),
                                  std::string(9000, 'a') + "\xFF", // after a buffer refill
                                  std::string(8191, 'a') + "\xE6\x97"};
  for (const std::string& content : contents) {
    dir.write("t.txt", content);
    EXPECT_EQ(chkifutf8W(dir.wide(u"t.txt").c_str()), 0);
    EXPECT_EQ(chkifutf8(dir.ansi("t.txt").c_str()), 0);
    EXPECT_EQ(rf2peek(), -1);
    EXPECT_NE(rf2eof(), 0);
  }
}

TEST(Scan, UnopenableFilesGiveFF) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  ASSERT_EQ(test_files::makeFolder(dir.path("folder")), 0);
  for (const char* name : {"missing.ini", "folder"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(chkifutf8(dir.ansi(name).c_str()), 0xFF);
    EXPECT_EQ(chkifutf8W(dir.wide(u16(name)).c_str()), 0xFF);
    EXPECT_EQ(chkifsjis(dir.ansi(name).c_str()), 0xFF);
    EXPECT_EQ(chkifsjisW(dir.wide(u16(name)).c_str()), 0xFF);
    EXPECT_EQ(static_cast<int8_t>(chkifsjis(dir.ansi(name).c_str())), -1);
  }
  // The flag picks the path; the other one is not looked at.
  dir.write("there.ini", "x");
  EXPECT_EQ(chkifsjis(dir.ansi("there.ini").c_str(), dir.wide(u"missing.ini").c_str(), 0), 7);
  EXPECT_EQ(chkifsjis(dir.ansi("missing.ini").c_str(), dir.wide(u"there.ini").c_str(), 1), 7);
}
