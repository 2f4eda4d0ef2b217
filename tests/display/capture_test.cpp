#include "display/capture.h"

#include "display/display_support.h"
#include "display/surface.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}
uint32_t le16(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | b[at + 1] << 8;
}

class Capture : public ::testing::Test {
protected:
  void SetUp() override {
    gViewWindow = ViewWindow{};
    surfaceSetBackground(0, 0, 0);
  }
  void TearDown() override {
    displaySetPlatform(nullptr);
    surfaceDestroyPages();
  }
  TempFolder folder;
};

TEST_F(Capture, HeaderSizesAndRowPadding) {
  struct Case {
    int width, height;
    uint32_t fileSize, rowSize;
  } cases[] = {
      {512, 96, 147510, 1536}, // no padding
      {513, 96, 54 + 1540 * 96, 1540},
      {1, 1, 58, 4},
      {2, 3, 54 + 8 * 3, 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.width);
    ASSERT_EQ(0, surfaceCreatePages(c.width, c.height, 1));
    surfaceFillRect(-1, 0, 0, c.width - 1, c.height - 1, 0xFF, 0xFF, 0xFF);
    std::string file = folder.path("cap.bmp");
    ASSERT_EQ(CAPTURE_OK, captureToBmp(ansiPath(file).c_str()));
    std::vector<uint8_t> b = readFile(file);
    ASSERT_EQ(c.fileSize, b.size());
    EXPECT_EQ('B', b[0]);
    EXPECT_EQ('M', b[1]);
    const uint32_t header[][3] = {
        {2, 4, c.fileSize},
        {6, 2, 0},
        {8, 2, 0},
        {10, 4, 54},
        {14, 4, 40},
        {18, 4, static_cast<uint32_t>(c.width)},
        {22, 4, static_cast<uint32_t>(c.height)},
        {26, 2, 1},
        {28, 2, 24},
        {30, 4, 0},
        {34, 4, 0},
        {38, 4, 0},
        {42, 4, 0},
        {46, 4, 0},
        {50, 4, 0},
    };
    for (const auto& field : header)
      EXPECT_EQ(field[2], field[1] == 4 ? le32(b, field[0]) : le16(b, field[0]))
          << "offset " << field[0];
    // Every row: white pixels, then zero padding.
    for (int row = 0; row < c.height; ++row) {
      size_t start = 54 + static_cast<size_t>(row) * c.rowSize;
      for (uint32_t i = 0; i < c.rowSize; ++i)
        ASSERT_EQ(i < static_cast<uint32_t>(c.width) * 3 ? 0xFF : 0, b[start + i])
            << "row " << row << " byte " << i;
    }
  }
}

TEST_F(Capture, BottomRowFirstInBlueGreenRedOrder) {
  ASSERT_EQ(0, surfaceCreatePages(3, 2, 1));
  surfaceFillRect(-1, 0, 1, 0, 1, 1, 2, 3);    // bottom-left
  surfaceFillRect(-1, 2, 1, 2, 1, 4, 5, 6);    // bottom-right
  surfaceFillRect(-1, 0, 0, 0, 0, 7, 8, 9);    // top-left
  surfaceFillRect(-1, 2, 0, 2, 0, 10, 11, 12); // top-right
  std::string file = folder.path("order.bmp");
  ASSERT_EQ(CAPTURE_OK, captureToBmp(ansiPath(file).c_str()));
  std::vector<uint8_t> b = readFile(file);
  const std::vector<uint8_t> pixels(b.begin() + 54, b.end());
  const std::vector<uint8_t> expected = {3, 2, 1, 0, 0, 0, 6,  5,  4,  0, 0, 0,
                                         9, 8, 7, 0, 0, 0, 12, 11, 10, 0, 0, 0};
  EXPECT_EQ(expected, pixels);
}

TEST_F(Capture, OnlyBmpNamesAreWritten) {
  ASSERT_EQ(0, surfaceCreatePages(4, 4, 1));
  struct Case {
    std::string name;
    int expected;
  } cases[] = {
      {"a.bmp", CAPTURE_OK},
      {"b.Bmp", CAPTURE_OK},
      {"c.BMP", CAPTURE_OK},
      {"d.png", CAPTURE_NOT_BMP},
      {"e", CAPTURE_NOT_BMP},
      {"f.bmp;note", CAPTURE_OK},       // only the text before the semicolon is checked,
      {"g.png;h.bmp", CAPTURE_NOT_BMP}, // but the file takes the whole name
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string file = folder.path(c.name);
    EXPECT_EQ(c.expected, captureToBmp(ansiPath(file).c_str()));
    EXPECT_EQ(c.expected == CAPTURE_OK, fileExists(file));
  }
  EXPECT_EQ(CAPTURE_CREATE_FAILED, captureToBmp(ansiPath(folder.path("missing/cap.bmp")).c_str()));
}

// Linux only: Windows has no device that fails every write (NUL takes them all).
#ifndef _WIN32
TEST_F(Capture, AWriteFailureIsNeverReportedAsSuccess) {
  std::string full = folder.path("full.bmp");
  if (symlink("/dev/full", full.c_str()) != 0)
    GTEST_SKIP() << "cannot link to /dev/full";
  struct Case {
    const char* what;
    int width, height;
  } cases[] = {
      {"fails inside the pixel rows", 512, 96},
      {"fails inside the last row", 3000, 1},
      {"fails only at the final flush", 4, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(0, surfaceCreatePages(c.width, c.height, 1));
    EXPECT_EQ(CAPTURE_PIXELS_FAILED, captureToBmp(ansiPath(full).c_str()));
  }
}
#endif

// Only an earlier capture, an empty file or a new name is written; a motion (by name or
// through a link), another program's picture, a dangling link or a FIFO are kept.
TEST_F(Capture, ReplacesOnlyEarlierCaptures) {
  ASSERT_EQ(0, surfaceCreatePages(4, 4, 1));
  const std::vector<uint8_t> motion(60, 'V');
  writeFile(folder.path("m.vmd"), motion);
  writeFile(folder.path("motion.bmp"), motion);
  writeFile(folder.path("empty.bmp"), {});
  ASSERT_EQ(CAPTURE_OK, captureToBmp(ansiPath(folder.path("earlier.bmp")).c_str()));
  std::vector<uint8_t> deeper = readFile(folder.path("earlier.bmp"));
  deeper[28] = 32; // 32 bits per pixel
  writeFile(folder.path("other.bmp"), deeper);
  std::vector<const char*> kept = {"motion.bmp", "other.bmp"};
#ifndef _WIN32 // links and FIFOs: Linux only
  symlink(folder.path("m.vmd").c_str(), folder.path("link.bmp").c_str());
  symlink(folder.path("new.vmd").c_str(), folder.path("dangling.bmp").c_str());
  mkfifo(folder.path("pipe.bmp").c_str(), 0600);
  kept.insert(kept.end(), {"link.bmp", "dangling.bmp", "pipe.bmp"});
  alarm(10); // a FIFO would wait for a reader
#endif
  for (const char* name : kept)
    EXPECT_EQ(CAPTURE_KEPT_FILE, captureToBmp(ansiPath(folder.path(name)).c_str())) << name;
  for (const char* written : {"new.bmp", "earlier.bmp", "empty.bmp"})
    EXPECT_EQ(CAPTURE_OK, captureToBmp(ansiPath(folder.path(written)).c_str())) << written;
#ifndef _WIN32
  alarm(0);
#endif
  EXPECT_TRUE(readFile(folder.path("m.vmd")) == motion &&
              readFile(folder.path("motion.bmp")) == motion);
  EXPECT_TRUE(readFile(folder.path("other.bmp")) == deeper);
  EXPECT_FALSE(fileExists(folder.path("new.vmd")));
}

TEST_F(Capture, WindowEventsAreDispatchedBeforeEveryRow) {
  ASSERT_EQ(0, surfaceCreatePages(5, 7, 1));
  installRecordingPlatform();
  ASSERT_EQ(CAPTURE_OK, captureToBmp(ansiPath(folder.path("cap.bmp")).c_str()));
  EXPECT_EQ(7u, recordedCalls().size());
  for (const PlatformCall& call : recordedCalls())
    EXPECT_EQ('d', call.kind);
}

} // namespace
