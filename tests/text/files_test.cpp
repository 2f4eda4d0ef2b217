#include "text/files.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "common/tempdir.h"
#include "common/text_convert.h"
#include "os/os.h"

using test_files::readFile;
using test_files::TempDir;
using test_text::u16;

namespace {

// The two ways each reader opens a file: by ANSI path (C stream) and by UTF-16 path
// (descriptor with the reader's own buffer).
enum class OpenBy { Ansi, Wide };
constexpr OpenBy kBothModes[] = {OpenBy::Ansi, OpenBy::Wide};

const char* modeName(OpenBy by) {
  return by == OpenBy::Ansi ? "ANSI path" : "UTF-16 path";
}

int openByteReader(OpenBy by, const TempDir& dir, const char* name) {
  return by == OpenBy::Ansi ? rfopen(dir.ansi(name).c_str()) : rfopenW(dir.wide(u16(name)).c_str());
}

int openTextReader(OpenBy by, const TempDir& dir, const char* name) {
  return by == OpenBy::Ansi ? rf2open(dir.ansi(name).c_str())
                            : rf2openW(dir.wide(u16(name)).c_str());
}

std::string pattern(size_t size, size_t step = 7, size_t period = 256) {
  std::string s(size, '\0');
  for (size_t i = 0; i < size; i++)
    s[i] = static_cast<char>(i * step + i / period);
  return s;
}

// Where the reader stands: position, ended flag and the next byte (which is consumed).
struct State {
  int64_t position;
  int ended;
  int next;
};

State stateAfterGetc(OpenBy by, const TempDir& dir, int64_t start, int count) {
  EXPECT_EQ(openByteReader(by, dir, "f.bin"), 0);
  for (int64_t i = 0; i < start + count; ++i)
    rfgetc();
  State s{rftell(), rfeof(), 0};
  s.next = rfgetc();
  return s;
}

} // namespace

// ---- Byte reader ----

TEST(ByteReader, ReadingPastTheEndClosesAndGivesMinusOne) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  dir.write("six.bin", std::string("\x01\x02\x03\x04\xAB\xCD", 6));
  for (OpenBy by : kBothModes) {
    SCOPED_TRACE(modeName(by));
    ASSERT_EQ(openByteReader(by, dir, "six.bin"), 0);
    EXPECT_EQ(rfeof(), 0);
    EXPECT_EQ(rfgetint32(), 0x04030201);
    // The last two bytes in the low half; the two missing bytes count as 0xFF each.
    EXPECT_EQ(static_cast<uint32_t>(rfgetint32()), 0xFFFFCDABu);
    EXPECT_EQ(rfeof(), 0xFF);
    EXPECT_EQ(rftell(), 6);
    EXPECT_EQ(rfgetc(), -1);
    EXPECT_EQ(rfgetint32(), -1);
    EXPECT_TRUE(std::isnan(rfgetfloat()));
    EXPECT_EQ(rfread(nullptr, 0), 0);
    char sink[4];
    EXPECT_EQ(rfread(sink, 4), 0);
    EXPECT_EQ(rfseek(0), -2) << "reaching the end closed the file";
    EXPECT_EQ(rftell(), 6);
  }
}

TEST(ByteReader, FirstFailingGetcSetsEof) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  dir.write("one.bin", "Z");
  dir.write("empty.bin", "");
  for (OpenBy by : kBothModes) {
    SCOPED_TRACE(modeName(by));
    ASSERT_EQ(openByteReader(by, dir, "one.bin"), 0);
    EXPECT_EQ(rfgetc(), 'Z');
    EXPECT_EQ(rfeof(), 0) << "the last byte itself does not end the file";
    EXPECT_EQ(rfgetc(), -1);
    EXPECT_EQ(rfeof(), 0xFF);
    ASSERT_EQ(openByteReader(by, dir, "empty.bin"), 0);
    EXPECT_EQ(rfgetc(), -1);
    EXPECT_EQ(rfeof(), 0xFF);
  }
}

TEST(ByteReader, GetcDeliversEveryByteAcrossBufferRefills) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  const std::string content = pattern(3 * FILE_BUFFER_SIZE + 17);
  dir.write("long.bin", content);
  for (OpenBy by : kBothModes) {
    SCOPED_TRACE(modeName(by));
    ASSERT_EQ(openByteReader(by, dir, "long.bin"), 0);
    size_t mismatches = 0;
    for (size_t i = 0; i < content.size(); i++)
      mismatches += rfgetc() != static_cast<unsigned char>(content[i]);
    EXPECT_EQ(mismatches, 0u);
    EXPECT_EQ(rftell(), static_cast<int64_t>(content.size()));
    EXPECT_EQ(rfgetc(), -1);
  }
}

TEST(ByteReader, ReadAfterGetcTakesBufferThenFile) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  const std::string content = pattern(9000);
  dir.write("mixed.bin", content);
  for (OpenBy by : kBothModes) {
    SCOPED_TRACE(modeName(by));
    ASSERT_EQ(openByteReader(by, dir, "mixed.bin"), 0);
    for (int i = 0; i < 8190; i++)
      rfgetc();
    char block[100];
    // Handle mode: two bytes from the buffer, 98 read directly.
    EXPECT_EQ(rfread(block, 100), 100);
    EXPECT_EQ(std::memcmp(block, content.data() + 8190, 100), 0);
    EXPECT_EQ(rftell(), 8290);
    EXPECT_EQ(rfgetc(), static_cast<unsigned char>(content[8290]));
    EXPECT_EQ(rfeof(), 0);
    // A read beyond the end delivers the rest and closes the reader.
    char rest[1000];
    EXPECT_EQ(rfread(rest, 1000), 709);
    EXPECT_EQ(std::memcmp(rest, content.data() + 8291, 709), 0);
    EXPECT_EQ(rfeof(), 0xFF);
    EXPECT_EQ(rftell(), 9000);
    EXPECT_EQ(rfread(rest, 1), 0);
  }
}

TEST(ByteReader, SeeksSetThePositionAndTheNextByte) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  const std::string content = pattern(1000);
  dir.write("k.bin", content);
  struct Case {
    int64_t offset;
    int origin;
    int result;
    int64_t position; // expected rftell afterwards (-1: unchanged from 100)
  };
  const Case cases[] = {
      {0, 2, 0, 1000},    // from the end: the file size
      {-10, 2, 0, 990},   //
      {5, 1, 0, 105},     // from the logical position, not the OS one
      {-100, 1, 0, 0},    //
      {250, 0, 0, 250},   //
      {0, 3, -5, -1},     // bad origin
      {0, -1, -5, -1},    //
      {-1, 0, -2, -1},    // before the start
      {-101, 1, -2, -1},  //
      {-1001, 2, -4, -1}, //
  };
  for (OpenBy by : kBothModes) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(modeName(by)) + " offset " + std::to_string(c.offset) + " origin " +
                   std::to_string(c.origin));
      ASSERT_EQ(openByteReader(by, dir, "k.bin"), 0);
      for (int i = 0; i < 100; i++)
        rfgetc();
      EXPECT_EQ(rfseekfrom(c.offset, c.origin), c.result);
      int64_t expected = c.position >= 0 ? c.position : 100;
      EXPECT_EQ(rftell(), expected);
      int next = expected < 1000 ? static_cast<unsigned char>(content[expected]) : -1;
      EXPECT_EQ(rfgetc(), next);
    }
  }
  for (OpenBy by : kBothModes) {
    SCOPED_TRACE(modeName(by));
    ASSERT_EQ(openByteReader(by, dir, "k.bin"), 0);
    rfgetc();
    EXPECT_EQ(rfseek(700), 0);
    EXPECT_EQ(rftell(), 700);
    EXPECT_EQ(rfgetc(), static_cast<unsigned char>(content[700]));
    EXPECT_EQ(rfseek(-5), -2);
    EXPECT_EQ(rftell(), 701);
    EXPECT_EQ(rfgetc(), static_cast<unsigned char>(content[701]));
    rfclose();
    EXPECT_EQ(rfseek(0), -2) << "a closed reader cannot seek";
    EXPECT_EQ(rfseekfrom(0, 1), -2);
    EXPECT_EQ(rfseekfrom(0, 2), -4);
    EXPECT_EQ(rfeof(), 0xFF);
  }
}

TEST(ByteReader, BufferRewindGivesUnreadBytesBackToTheFile) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  const std::string content = pattern(500);
  dir.write("r.bin", content);
  ASSERT_EQ(openByteReader(OpenBy::Wide, dir, "r.bin"), 0);
  EXPECT_EQ(rfbufrewind(), 0) << "nothing buffered yet";
  for (int i = 0; i < 10; i++)
    rfgetc();
  int fd = static_cast<int>(rfhandle());
  EXPECT_EQ(osSeek(fd, 0, 1), 500) << "the whole file was read ahead";
  EXPECT_EQ(rfbufrewind(), 0);
  EXPECT_EQ(osSeek(fd, 0, 1), 10);
  EXPECT_EQ(rftell(), 10);
  EXPECT_EQ(rfgetc(), static_cast<unsigned char>(content[10]));
  rfclose();

  ASSERT_EQ(openByteReader(OpenBy::Ansi, dir, "r.bin"), 0);
  rfgetc();
  EXPECT_EQ(rfbufrewind(), 0) << "stream mode has no buffer of its own to give back";
  EXPECT_EQ(rfgetc(), static_cast<unsigned char>(content[1]));
  rfclose();
}

TEST(ByteReader, PositionsBeyondTwoGigabytes) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  const int64_t size = 3000000000LL;
  std::string p = dir.write("sparse.bin", "");
#ifdef _WIN32
  ASSERT_EQ(truncate64(p.c_str(), size), 0); // mingw-w64's truncate takes 32 bits
#else
  ASSERT_EQ(truncate(p.c_str(), size), 0);
#endif
  for (OpenBy by : kBothModes) {
    SCOPED_TRACE(modeName(by));
    ASSERT_EQ(openByteReader(by, dir, "sparse.bin"), 0);
    EXPECT_EQ(rfseekfrom(0, 2), 0);
    EXPECT_EQ(rftell(), size);
    EXPECT_EQ(rfseek(size - 2), 0);
    EXPECT_EQ(rfgetc(), 0);
    EXPECT_EQ(rfgetc(), 0);
    EXPECT_EQ(rftell(), size);
    EXPECT_EQ(rfgetc(), -1);
  }
}

TEST(ByteReader, FailedOpensLeaveTheReaderClosed) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  dir.write("there.bin", "abc");
  ASSERT_EQ(test_files::makeFolder(dir.path("folder")), 0);
  // Windows also refuses a file that another process holds open without sharing; Linux
  // has no such lock, so the missing file stands for every refused open here.
  const char* names[] = {"missing.bin", "folder"};
  for (const char* name : names) {
    SCOPED_TRACE(name);
    ASSERT_EQ(openByteReader(OpenBy::Wide, dir, "there.bin"), 0);
    EXPECT_EQ(rfgetc(), 'a'); // "bc" stay in the buffer
    EXPECT_EQ(rftryopenW(dir.wide(u16(name)).c_str()), -1);
    EXPECT_EQ(rfeof(), 0xFF) << "the failed open closed the file before";
    EXPECT_EQ(rfgetc(), -1) << "no byte of the file before";
    EXPECT_EQ(rftryopen(dir.ansi(name).c_str()), -1);
    EXPECT_EQ(rfopen(dir.ansi(name).c_str()), -1);
    EXPECT_EQ(rfopenW(dir.wide(u16(name)).c_str()), -1);
    EXPECT_EQ(rfeof(), 0xFF);
  }
  EXPECT_EQ(rfopen(nullptr), -1);
  EXPECT_EQ(rfopenW(nullptr), -1);
  rfclose();
  rfclose(); // closing twice is harmless
  EXPECT_EQ(rfeof(), 0xFF);
}

TEST(ByteReader, OpenTestsAndReopeningStartAfresh) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  dir.write("a.bin", "AAAA");
  dir.write("b.bin", "BB");
  for (OpenBy by : kBothModes) {
    SCOPED_TRACE(modeName(by));
    ASSERT_EQ(openByteReader(by, dir, "a.bin"), 0);
    rfgetc();
    rfgetc();
    ASSERT_EQ(openByteReader(by, dir, "b.bin"), 0);
    EXPECT_EQ(rftell(), 0);
    EXPECT_EQ(rfgetc(), 'B');
    EXPECT_EQ(rfgetc(), 'B');
    EXPECT_EQ(rfgetc(), -1);
  }
  ASSERT_EQ(rftryopen(dir.ansi("a.bin").c_str()), 0);
  EXPECT_NE(rfhandle(), 0);
  EXPECT_EQ(rfgetc(), 'A');
  ASSERT_EQ(rftryopenW(dir.wide(u"a.bin").c_str()), 0);
  EXPECT_GE(rfhandle(), 0);
  EXPECT_EQ(rfgetc(), 'A');
  rfclose();
}

TEST(ByteReader, OpensShiftJisAndUtf16NamesOfTheSameFile) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  // 表 is 0x95 0x5C in Shift-JIS: its second byte is not a separator.
  dir.write("表ﾓｰｼｮﾝ.vmd", "ok");
  const std::string sjisName = "\x95\x5C"  // 表
                               "\xD3\xB0"  // ﾓｰ
                               "\xBC\xAE"  // ｼｮ
                               "\xDD.vmd"; // ﾝ
  ASSERT_EQ(rfopen(dir.ansi(sjisName).c_str()), 0);
  EXPECT_EQ(rfgetc(), 'o');
  ASSERT_EQ(rfopenW(dir.wide(u"表ﾓｰｼｮﾝ.vmd").c_str()), 0);
  EXPECT_EQ(rfgetc(), 'o');
  rfclose();
  // A '?' left by a lossy conversion names no file.
  EXPECT_EQ(rfopen(dir.ansi("?\xD3\xB0\xBC\xAE\xDD.vmd").c_str()), -1);
}

// ---- Byte reader: block operations ----
// rfskip, rfgetbytes and the inline fast paths must leave the reader exactly where the same
// number of rfgetc calls would, across buffer refills and at the end of the file.

TEST(ByteReader, SkipAndBlockReadsEndWhereSingleBytesWould) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  const int size = 3 * FILE_BUFFER_SIZE + 100;
  const std::string content = pattern(size, 13, 251);
  dir.write("f.bin", content);
  struct Case {
    int64_t start; // bytes taken with rfgetc first
    int count;     // then skipped or taken as a block
  } cases[] = {
      {0, 0},
      {0, 64},
      {FILE_BUFFER_SIZE - 10, 64},     // across a refill
      {FILE_BUFFER_SIZE - 64, 64},     // up to the buffer's end exactly
      {10, 2 * FILE_BUFFER_SIZE + 50}, // across several refills
      {size - 30, 30},                 // up to the file's end exactly
      {size - 30, 64},                 // beyond the end: the reader closes
      {size, 5},                       // nothing left
      {0, size + 1000},                //
  };
  for (OpenBy by : kBothModes) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(modeName(by)) + " start " + std::to_string(c.start) + " count " +
                   std::to_string(c.count));
      const State expected = stateAfterGetc(by, dir, c.start, c.count);
      const int available =
          static_cast<int>(std::max<int64_t>(0, std::min<int64_t>(c.count, size - c.start)));

      ASSERT_EQ(openByteReader(by, dir, "f.bin"), 0);
      for (int64_t i = 0; i < c.start; ++i)
        rfgetc();
      EXPECT_EQ(rfskip(c.count), available);
      EXPECT_EQ(rftell(), expected.position);
      EXPECT_EQ(rfeof(), expected.ended);
      EXPECT_EQ(rfgetc(), expected.next);

      ASSERT_EQ(openByteReader(by, dir, "f.bin"), 0);
      for (int64_t i = 0; i < c.start; ++i)
        rfgetc();
      std::string block(static_cast<size_t>(c.count), 'x');
      EXPECT_EQ(rfgetbytes(reinterpret_cast<unsigned char*>(block.data()), c.count), available);
      std::string wanted = content.substr(static_cast<size_t>(std::min<int64_t>(c.start, size)),
                                          static_cast<size_t>(available));
      wanted.append(static_cast<size_t>(c.count - available), '\xFF'); // as rfgetc's -1
      EXPECT_EQ(block, wanted);
      EXPECT_EQ(rftell(), expected.position);
      EXPECT_EQ(rfeof(), expected.ended);
      EXPECT_EQ(rfgetc(), expected.next);
    }
  }
  rfclose();
}

TEST(ByteReader, FourByteValuesAcrossARefillAndAtTheEnd) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  std::string content = pattern(FILE_BUFFER_SIZE + 3, 13, 251);
  // Bytes 8190-8193 straddle the first refill; the file ends two bytes into the last value.
  const char straddling[] = {'\x78', '\x56', '\x34', '\x12'};
  content.replace(FILE_BUFFER_SIZE - 2, 4, straddling, 4);
  content += "\xCD\xAB";
  dir.write("f.bin", content);
  for (OpenBy by : kBothModes) {
    SCOPED_TRACE(modeName(by));
    ASSERT_EQ(openByteReader(by, dir, "f.bin"), 0);
    EXPECT_EQ(rfskip(FILE_BUFFER_SIZE - 2), FILE_BUFFER_SIZE - 2);
    EXPECT_EQ(rfgetint32(), 0x12345678);
    EXPECT_EQ(rfskip(1), 1);
    EXPECT_EQ(rftell(), FILE_BUFFER_SIZE + 3);
    EXPECT_EQ(static_cast<uint32_t>(rfgetint32()), 0xFFFFABCDu);
    EXPECT_EQ(rfeof(), 0xFF);
    EXPECT_EQ(rfskip(4), 0);
    unsigned char sink[2] = {1, 2};
    EXPECT_EQ(rfgetbytes(sink, 2), 0);
    EXPECT_EQ(sink[0], 0xFF);
    EXPECT_EQ(rftell(), FILE_BUFFER_SIZE + 5);
  }
}

// Stream mode keeps its own read-ahead: a seek must drop it and land on the byte asked for.
TEST(ByteReader, StreamSeeksDropTheReadAhead) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  const std::string content = pattern(2 * FILE_BUFFER_SIZE, 13, 251);
  dir.write("f.bin", content);
  ASSERT_EQ(openByteReader(OpenBy::Ansi, dir, "f.bin"), 0);
  EXPECT_EQ(rfgetc(), static_cast<unsigned char>(content[0]));
  EXPECT_EQ(rfseekfrom(FILE_BUFFER_SIZE + 7, 1), 0); // from the logical position 1
  EXPECT_EQ(rftell(), FILE_BUFFER_SIZE + 8);
  EXPECT_EQ(rfgetc(), static_cast<unsigned char>(content[FILE_BUFFER_SIZE + 8]));
  EXPECT_EQ(rfseek(3), 0);
  EXPECT_EQ(rfgetc(), static_cast<unsigned char>(content[3]));
  char block[10];
  EXPECT_EQ(rfread(block, 10), 10);
  EXPECT_EQ(std::memcmp(block, content.data() + 4, 10), 0);
  EXPECT_EQ(rfseekfrom(-1, 2), 0);
  EXPECT_EQ(rfgetc(), static_cast<unsigned char>(content.back()));
  EXPECT_EQ(rfgetc(), -1);
  EXPECT_EQ(rfeof(), 0xFF);
}

// ---- Text reader ----

TEST(TextReader, GetlineSplitsLinesAndSkipsLineEnds) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  struct Case {
    const char* name;
    std::string content;
    int size;
    std::vector<std::string> lines; // every line until the at-end flag is set
  };
  const Case cases[] = {
      {"crlf", "a\r\n\r\nb", 255, {"a", "b"}},
      {"split", "abcd\n", 3, {"a", "b", "c", "d", ""}},
      {"split 2", "abcdefg\r\nh", 5, {"abc", "def", "g", "h"}},
      {"sub", "x\x1Ay\x1A", 255, {"x", "y", ""}},
      {"leading", "\n\r\nfirst", 255, {"", "first"}},
      {"empty", "", 255, {""}},
      {"trailing", "last\n", 255, {"last", ""}},
      {"bytes", std::string("\x82\xA0\x00z\n", 5), 255, {std::string("\x82\xA0\x00z", 4), ""}},
  };
  for (OpenBy by : kBothModes) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(modeName(by)) + " " + c.name);
      dir.write("t.txt", c.content);
      ASSERT_EQ(openTextReader(by, dir, "t.txt"), 0);
      std::vector<std::string> got;
      for (int guard = 0; guard < 20 && !rf2eof(); guard++) {
        char line[256];
        std::memset(line, 'U', sizeof line);
        int n = rf2getline(line, c.size);
        ASSERT_LE(n, c.size - 2);
        EXPECT_EQ(line[n], '\0');
        EXPECT_EQ(line[n + 1], '\0');
        got.emplace_back(line, static_cast<size_t>(n));
      }
      EXPECT_EQ(got, c.lines);
      rf2close();
    }
  }
}

TEST(TextReader, GetlineWithTinyBufferLeavesItAlone) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  dir.write("t.txt", "ab\n");
  ASSERT_EQ(openTextReader(OpenBy::Wide, dir, "t.txt"), 0);
  char line[4] = {'u', 'u', 'u', 'u'};
  for (int size : {-1, 0, 1, 2}) {
    EXPECT_EQ(rf2getline(line, size), 0);
    EXPECT_EQ(std::string(line, 4), "uuuu");
  }
  EXPECT_EQ(rf2peek(), 'a') << "nothing was taken";
  EXPECT_EQ(rf2getline(line, 4), 2);
  EXPECT_STREQ(line, "ab");
  rf2close();
}

TEST(TextReader, EmptyFileEndsAtTheFirstGetc) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  dir.write("empty.txt", "");
  for (OpenBy by : kBothModes) {
    SCOPED_TRACE(modeName(by));
    ASSERT_EQ(openTextReader(by, dir, "empty.txt"), 0);
    EXPECT_EQ(rf2peek(), -1);
    EXPECT_EQ(rf2eof(), 0);
    EXPECT_EQ(rf2getc(), -1);
    EXPECT_EQ(rf2eof(), 0xFF);
    EXPECT_EQ(rf2getc(), -1);
    rf2close();
  }
}

TEST(TextReader, GetcAndPeekFollowTheFileAcrossRefills) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  const std::string content = pattern(2 * FILE_BUFFER_SIZE + 5);
  dir.write("t.bin", content);
  for (OpenBy by : kBothModes) {
    SCOPED_TRACE(modeName(by));
    ASSERT_EQ(openTextReader(by, dir, "t.bin"), 0);
    size_t mismatches = 0;
    for (size_t i = 0; i < content.size(); i++) {
      int expected = static_cast<unsigned char>(content[i]);
      mismatches += rf2peek() != expected;
      mismatches += rf2getc() != expected;
    }
    EXPECT_EQ(mismatches, 0u);
    EXPECT_EQ(rf2eof(), 0) << "set only by a read asked for at the end";
    EXPECT_EQ(rf2peek(), -1);
    EXPECT_EQ(rf2getc(), -1);
    EXPECT_EQ(rf2eof(), 0xFF);
    rf2close();
  }
}

TEST(TextReader, OpeningAgainOrFailingClosesTheFileBefore) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  dir.write("a.txt", "aaa");
  dir.write("b.txt", "bbb");
  for (OpenBy first : kBothModes) {
    for (OpenBy second : kBothModes) {
      SCOPED_TRACE(std::string(modeName(first)) + " then " + modeName(second));
      ASSERT_EQ(openTextReader(first, dir, "a.txt"), 0);
      EXPECT_EQ(rf2getc(), 'a');
      ASSERT_EQ(openTextReader(second, dir, "b.txt"), 0);
      EXPECT_EQ(rf2getc(), 'b');
      EXPECT_EQ(openTextReader(second, dir, "missing.txt"), -1);
      EXPECT_EQ(rf2peek(), -1);
      EXPECT_EQ(rf2getc(), -1);
      EXPECT_NE(rf2eof(), 0);
    }
  }
  rf2close();
  rf2close();
}

TEST(TextReader, ExistsTestsOpenAndCloseAgain) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  dir.write("alias.ini", "x=y\n");
  ASSERT_EQ(test_files::makeFolder(dir.path("folder")), 0);
  struct Case {
    const char* name;
    int result;
  };
  const Case cases[] = {{"alias.ini", 0}, {"missing.ini", -1}, {"folder", -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(openTextReader(OpenBy::Wide, dir, "alias.ini"), 0);
    EXPECT_EQ(rf2exists(dir.ansi(c.name).c_str()), c.result);
    EXPECT_EQ(rf2peek(), -1) << "the text reader was closed";
    ASSERT_EQ(openTextReader(OpenBy::Ansi, dir, "alias.ini"), 0);
    EXPECT_EQ(rf2existsW(dir.wide(u16(c.name)).c_str()), c.result);
    EXPECT_EQ(rf2peek(), -1);
  }
}

// ---- Byte writer ----

TEST(ByteWriter, WritesLittleEndianAndCounts) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  for (OpenBy by : kBothModes) {
    SCOPED_TRACE(modeName(by));
    dir.write("cap.bmp", "old content that must go");
    int opened = by == OpenBy::Ansi ? wfopen(dir.ansi("cap.bmp").c_str())
                                    : wfopenW(dir.wide(u"cap.bmp").c_str());
    ASSERT_EQ(opened, 0);
    EXPECT_EQ(wfclosed(), 0);
    EXPECT_EQ(wfputc('B'), 0);
    EXPECT_EQ(wfputc(0x14D), 0) << "only the low byte is written";
    EXPECT_EQ(wfputint32(54), 0);
    EXPECT_EQ(wfputint32(-2), 0);
    EXPECT_EQ(wfputint16(0x1234), 0);
    EXPECT_EQ(wftell(), 12);
    EXPECT_EQ(wfclose(), 0);
    EXPECT_EQ(wfclosed(), 0xFF);
    EXPECT_EQ(wfputc('x'), -1);
    EXPECT_EQ(wfclose(), 0) << "closing again has no effect";
    EXPECT_EQ(readFile(dir.path("cap.bmp")),
              std::string("BM\x36\x00\x00\x00\xFE\xFF\xFF\xFF\x34\x12", 12));
  }
}

TEST(ByteWriter, WriteFailuresAreReported) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows has no device that fails every write (NUL takes them all)";
#endif
  // /dev/full accepts the open and fails every write that reaches it.
  ASSERT_EQ(wfopen("/dev/full"), 0);
  EXPECT_EQ(wfputint32(54), 0) << "still in the stream buffer";
  EXPECT_EQ(wfclose(), -1) << "the flush on close lost the bytes";
  EXPECT_EQ(wfclosed(), 0xFF);

  ASSERT_EQ(wfopen("\\dev\\full"), 0);
  int firstFailure = -1;
  for (int i = 0; i < 3 * FILE_BUFFER_SIZE && firstFailure < 0; i++)
    if (wfputc('x') != 0)
      firstFailure = i;
  EXPECT_EQ(firstFailure, FILE_BUFFER_SIZE) << "the first write past the full buffer fails";
  EXPECT_EQ(wfclosed(), 0xFF);
  EXPECT_EQ(wfputc('x'), -1);
  EXPECT_NE(wfputint16(1), 0);
  EXPECT_NE(wfputint32(1), 0);
  EXPECT_EQ(wftell(), FILE_BUFFER_SIZE);

  TempDir dir;
  ASSERT_TRUE(dir.ok());
  EXPECT_EQ(wfopen(dir.ansi("no\\such\\folder.bmp").c_str()), -1);
  EXPECT_EQ(wfopenW(dir.wide(u"no\\such\\folder.bmp").c_str()), -1);
  EXPECT_EQ(wfopen(dir.ansi("").c_str()), -1) << "a directory";
  EXPECT_EQ(wfclosed(), 0xFF);
  EXPECT_EQ(wfputc('x'), -1);
}

TEST(ByteWriter, OpeningAgainKeepsWhatWasWritten) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  ASSERT_EQ(wfopen(dir.ansi("first.bin").c_str()), 0);
  wfputc('1');
  ASSERT_EQ(wfopenW(dir.wide(u"second.bin").c_str()), 0);
  EXPECT_EQ(wftell(), 0);
  wfputc('2');
  EXPECT_EQ(wfclose(), 0);
  EXPECT_EQ(readFile(dir.path("first.bin")), "1");
  EXPECT_EQ(readFile(dir.path("second.bin")), "2");
}

// ---- Path test ----

TEST(Chkqmark, FindsQuestionMarksOutsidePairs) {
  struct Case {
    const char* label;
    std::string path;
    int result;
  };
  const Case cases[] = {
      {"plain", "C:\\motion\\dance.vmd", 0},
      {"empty", "", 0},
      {"lost character", "C:\\motion\\?.vmd", -1},
      {"second byte 0x3F", "\x81\x3F.vmd", 0},
      {"0x80 pairs too", "\x80?", 0},
      {"after a pair", "\x82\xA0?", -1},
      {"half-width kana are single", "\xB1?", -1},
      {"lead byte then end", "abc\x81", 0},
      {"519 bytes", std::string(519, 'a'), 0},
      {"520 bytes, no end within them", std::string(520, 'a'), -1},
      {"600 bytes", std::string(600, 'a'), -1},
      {"mark at byte 519", std::string(519, 'a') + "?", -1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(chkqmark(c.path.c_str()), c.result) << c.label;
  EXPECT_EQ(chkqmark(nullptr), -1);
}
