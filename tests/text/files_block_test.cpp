// The byte reader's block operations (rfskip, rfgetbytes) and its inline fast paths: each
// must leave the reader exactly where the same number of rfgetc calls would, across buffer
// refills and at the end of the file, in both modes.
#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

#include "common/tempdir.h"
#include "common/text_convert.h"
#include "text/files.h"

using test_files::TempDir;
using test_text::u16;

namespace {

enum class OpenBy { Ansi, Wide };
constexpr OpenBy kBothModes[] = {OpenBy::Ansi, OpenBy::Wide};

int openIn(OpenBy by, const TempDir& dir, const char* name) {
  return by == OpenBy::Ansi ? rfopen(dir.ansi(name).c_str()) : rfopenW(dir.wide(u16(name)).c_str());
}

std::string pattern(size_t size) {
  std::string s(size, '\0');
  for (size_t i = 0; i < size; i++)
    s[i] = static_cast<char>(i * 13 + i / 251);
  return s;
}

// Where the reader stands: position, ended flag and the next byte (which is consumed).
struct State {
  int64_t position;
  int ended;
  int next;
};

State stateAfterGetc(OpenBy by, const TempDir& dir, int64_t start, int count) {
  EXPECT_EQ(openIn(by, dir, "f.bin"), 0);
  for (int64_t i = 0; i < start + count; ++i)
    rfgetc();
  State s{rftell(), rfeof(), 0};
  s.next = rfgetc();
  return s;
}

} // namespace

TEST(ByteReader, SkipAndBlockReadsEndWhereSingleBytesWould) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  const int size = 3 * FILE_BUFFER_SIZE + 100;
  const std::string content = pattern(size);
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
      SCOPED_TRACE(std::string(by == OpenBy::Ansi ? "ANSI " : "UTF-16 ") + "start " +
                   std::to_string(c.start) + " count " + std::to_string(c.count));
      const State expected = stateAfterGetc(by, dir, c.start, c.count);
      const int available =
          static_cast<int>(std::max<int64_t>(0, std::min<int64_t>(c.count, size - c.start)));

      ASSERT_EQ(openIn(by, dir, "f.bin"), 0);
      for (int64_t i = 0; i < c.start; ++i)
        rfgetc();
      EXPECT_EQ(rfskip(c.count), available);
      EXPECT_EQ(rftell(), expected.position);
      EXPECT_EQ(rfeof(), expected.ended);
      EXPECT_EQ(rfgetc(), expected.next);

      ASSERT_EQ(openIn(by, dir, "f.bin"), 0);
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
  std::string content = pattern(FILE_BUFFER_SIZE + 3);
  // Bytes 8190-8193 straddle the first refill; the file ends two bytes into the last value.
  const char straddling[] = {'\x78', '\x56', '\x34', '\x12'};
  content.replace(FILE_BUFFER_SIZE - 2, 4, straddling, 4);
  content += "\xCD\xAB";
  dir.write("f.bin", content);
  for (OpenBy by : kBothModes) {
    SCOPED_TRACE(by == OpenBy::Ansi ? "ANSI" : "UTF-16");
    ASSERT_EQ(openIn(by, dir, "f.bin"), 0);
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
  const std::string content = pattern(2 * FILE_BUFFER_SIZE);
  dir.write("f.bin", content);
  ASSERT_EQ(openIn(OpenBy::Ansi, dir, "f.bin"), 0);
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
