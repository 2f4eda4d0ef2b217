#include "display/fontstream.h"

#include "display/display_support.h"
#include "text/files.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

std::vector<uint8_t> patternBytes(size_t count) {
  std::vector<uint8_t> bytes(count);
  for (size_t i = 0; i < count; ++i)
    bytes[i] = static_cast<uint8_t>(i * 7 + 3);
  return bytes;
}

TEST(FontStream, OpenFailuresGiveFreeTypeCodesAndLeaveTheReaderClosed) {
  TempFolder folder;
  writeFile(folder.path("empty.ttf"), {});
  struct Case {
    const char* name;
    bool nullStream;
    std::string file;
    int expected;
  } cases[] = {
      {"null stream", true, folder.path("empty.ttf"), FT_Err_Invalid_Stream_Handle},
      {"missing file", false, folder.path("missing.ttf"), FT_Err_Cannot_Open_Resource},
      {"empty file", false, folder.path("empty.ttf"), FT_Err_Cannot_Open_Stream},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FT_StreamRec stream;
    std::memset(&stream, 0xA5, sizeof stream);
    std::u16string path = widePathOf(c.file);
    EXPECT_EQ(c.expected, rfstreamopen(c.nullStream ? nullptr : &stream, path.c_str()));
    EXPECT_EQ(0xFF, rfeof());
    if (!c.nullStream) {
      EXPECT_EQ(nullptr, stream.read); // FreeType must not call into a stream that failed
      EXPECT_EQ(nullptr, stream.close);
    }
  }
}

TEST(FontStream, ReadsAtAnyOffsetAndSeeksWithCountZero) {
  TempFolder folder;
  const std::vector<uint8_t> bytes = patternBytes(1000);
  writeFile(folder.path("font.bin"), bytes);
  std::u16string path = widePathOf(folder.path("font.bin"));
  FT_StreamRec stream;
  std::memset(&stream, 0, sizeof stream);
  ASSERT_EQ(0, rfstreamopen(&stream, path.c_str()));
  EXPECT_EQ(1000u, stream.size);
  EXPECT_EQ(rfstreamread, stream.read);
  EXPECT_EQ(rfstreamclose, stream.close);
  EXPECT_EQ(path.c_str(), stream.pathname.pointer);

  struct Read {
    unsigned long offset, count, delivered;
  } reads[] = {
      {500, 10, 10}, // forward
      {510, 4, 4},   // continues where the last read ended
      {0, 16, 16},   // backward
      {995, 10, 5},  // runs into the end
  };
  for (const Read& r : reads) {
    SCOPED_TRACE(r.offset);
    unsigned char buffer[16] = {};
    // The end closes the reader; FreeType seeks again before every read anyway.
    if (rfeof() != 0) {
      ASSERT_EQ(0, rfstreamopen(&stream, path.c_str()));
    }
    ASSERT_EQ(r.delivered, rfstreamread(&stream, r.offset, buffer, r.count));
    EXPECT_EQ(0, std::memcmp(buffer, bytes.data() + r.offset, r.delivered));
  }

  ASSERT_EQ(0, rfstreamopen(&stream, path.c_str()));
  EXPECT_EQ(0u, rfstreamread(&stream, 1000, nullptr, 0)); // seeking to the end is fine
  EXPECT_EQ(1u, rfstreamread(&stream, 1001, nullptr, 0)); // beyond it is an error
  EXPECT_EQ(0u, rfstreamread(&stream, 20, nullptr, 0));
  unsigned char buffer[4];
  ASSERT_EQ(4u, rfstreamread(&stream, 20, buffer, 4));
  EXPECT_EQ(0, std::memcmp(buffer, bytes.data() + 20, 4));

  rfstreamclose(&stream);
  EXPECT_EQ(0xFF, rfeof());
  EXPECT_EQ(0u, stream.size);
  EXPECT_EQ(nullptr, stream.descriptor.pointer);
  EXPECT_EQ(nullptr, stream.base);
}

TEST(FontStream, AFailedSeekIsNotReportedAsDone) {
  TempFolder folder;
  writeFile(folder.path("font.bin"), patternBytes(100));
  std::u16string path = widePathOf(folder.path("font.bin"));
  FT_StreamRec stream;
  std::memset(&stream, 0, sizeof stream);
  ASSERT_EQ(0, rfstreamopen(&stream, path.c_str()));
  rfclose(); // someone else took the byte reader
  unsigned char buffer[4];
  EXPECT_EQ(1u, rfstreamread(&stream, 10, nullptr, 0));
  EXPECT_EQ(0u, rfstreamread(&stream, 10, buffer, 4));
}

TEST(FontStream, FreeTypeOpensAFaceThroughItAndClosesItWithTheFace) {
  if (!fileExists(reportFontPath()))
    GTEST_SKIP() << "no report font at " << reportFontPath() << " (set KINETRACE_FONT_SOURCE)";
  FT_Library library;
  ASSERT_EQ(0, FT_Init_FreeType(&library));
  std::u16string path = widePathOf(reportFontPath());
  FT_StreamRec stream;
  std::memset(&stream, 0, sizeof stream);
  ASSERT_EQ(0, rfstreamopen(&stream, path.c_str()));
  FT_Open_Args args;
  std::memset(&args, 0, sizeof args);
  args.flags = FT_OPEN_STREAM;
  args.stream = &stream;
  FT_Face face = nullptr;
  ASSERT_EQ(0, FT_Open_Face(library, &args, 0, &face));
  EXPECT_GT(face->num_glyphs, 0);
  EXPECT_NE(0u, FT_Get_Char_Index(face, 'A'));
  EXPECT_EQ(0, FT_Load_Char(face, 'A', FT_LOAD_RENDER));
  EXPECT_EQ(0, rfeof()); // the face keeps reading through the byte reader
  FT_Done_Face(face);
  EXPECT_EQ(0xFF, rfeof());
  FT_Done_FreeType(library);
}

} // namespace
