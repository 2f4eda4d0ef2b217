#include "display/display_support.h"

#include "display/glyph.h"
#include "display/surface.h"
#include "text/pathconv.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

std::string reportFontPath() {
  return std::string(KT_BINARY_DIR) + "/bin/mplus-2m-regular.ttf";
}

std::string kerningFontPath() {
  return std::string(KT_BINARY_DIR) + "/test-fonts/kerning.ttf";
}

bool fileExists(const std::string& path) {
  return test_files::exists(path);
}

std::string ansiPath(const std::string& utf8Path) {
  char out[4096];
  utf8PathToAnsi(out, sizeof out, utf8Path.c_str());
  return out;
}

std::vector<uint8_t> readFile(const std::string& path) {
  const std::string content = test_files::readFile(path);
  return std::vector<uint8_t>(content.begin(), content.end());
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* out = test_files::openFile(path, "wb");
  if (out == nullptr)
    return;
  if (!bytes.empty())
    std::fwrite(bytes.data(), 1, bytes.size(), out);
  std::fclose(out);
}

namespace {

std::vector<PlatformCall> gCalls;

void recordInvalidate(int x, int y, int w, int h) {
  gCalls.push_back({'i', x, y, w, h});
}
void recordScrollBy(int dx, int dy) {
  gCalls.push_back({'s', dx, dy, 0, 0});
}
void recordScrollPosition(int bar, int position) {
  gCalls.push_back({'p', bar, position, 0, 0});
}
void recordDispatch() {
  gCalls.push_back({'d', 0, 0, 0, 0});
}

DisplayPlatform recordingPlatform() {
  DisplayPlatform p{};
  p.invalidate = recordInvalidate;
  p.scrollBy = recordScrollBy;
  p.setScrollPosition = recordScrollPosition;
  p.dispatchMessages = recordDispatch;
  return p;
}

const DisplayPlatform kRecordingPlatform = recordingPlatform();

} // namespace

std::vector<PlatformCall>& recordedCalls() {
  return gCalls;
}

void installRecordingPlatform() {
  gCalls.clear();
  displaySetPlatform(&kRecordingPlatform);
}

void installTestSlot(int slot, int width, int height, const std::vector<uint8_t>& coverage) {
  GlyphImageSlot& s = gGlyph.slots[slot];
  size_t bytes = static_cast<size_t>(width) * height + GLYPH_PLANE_SPARE;
  for (uint8_t*& plane : s.planes)
    plane = static_cast<uint8_t*>(std::calloc(bytes, 1));
  std::memcpy(s.planes[GLYPH_PLANE_COVERAGE], coverage.data(), coverage.size());
  s.width = width;
  s.height = height;
  s.valid = 0xFF;
}

void removeTestSlot(int slot) {
  GlyphImageSlot& s = gGlyph.slots[slot];
  for (uint8_t*& plane : s.planes) {
    std::free(plane);
    plane = nullptr;
  }
  s.width = s.height = 0;
  s.valid = 0;
}

std::vector<uint8_t> slotCoverage(int slot) {
  if (!glyphSlotValid(slot))
    return {};
  const uint8_t* plane = glyphSlotPlane(slot, GLYPH_PLANE_COVERAGE);
  return std::vector<uint8_t>(plane, plane + static_cast<size_t>(glyphSlotWidth(slot)) *
                                                 glyphSlotHeight(slot));
}
