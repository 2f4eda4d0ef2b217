// Shared helpers of the display tests: font locations in the build tree, a temporary
// folder, path forms, a recording platform double and hand-made glyph slots.
#pragma once

#include "common/tempdir.h"
#include "common/text_convert.h"

#include <cstdint>
#include <string>
#include <vector>

// The report font placed beside the program by the build, and a font with kerning.
std::string reportFontPath();
std::string kerningFontPath();
bool fileExists(const std::string& path);

// The program's path forms of a UTF-8 path (ASCII paths only in these tests).
std::string ansiPath(const std::string& utf8Path);
using test_text::widePathOf;

std::vector<uint8_t> readFile(const std::string& path);
void writeFile(const std::string& path, const std::vector<uint8_t>& bytes);

// A fresh folder under /tmp, removed with its files at destruction.
using TempFolder = test_files::TempDir;

// Records every call of the display platform interface.
struct PlatformCall {
  char kind; // 'i' invalidate, 's' scrollBy, 'p' setScrollPosition, 'd' dispatchMessages
  int a, b, c, d;
  bool operator==(const PlatformCall& o) const {
    return kind == o.kind && a == o.a && b == o.b && c == o.c && d == o.d;
  }
};
std::vector<PlatformCall>& recordedCalls();
// Installs the recording platform and empties the record.
void installRecordingPlatform();

// Puts a hand-made coverage image (width x height bytes, rows top to bottom) into glyph
// slot `slot`, bypassing the renderer; removeTestSlot frees it again.
void installTestSlot(int slot, int width, int height, const std::vector<uint8_t>& coverage);
void removeTestSlot(int slot);

// The coverage plane of a slot as a vector (empty for an invalid slot).
std::vector<uint8_t> slotCoverage(int slot);
