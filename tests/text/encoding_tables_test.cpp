// The two generated mapping tables: their counts, the rows that tell one Shift-JIS
// mapping from another, and the reverse table being the exact inverse of the forward one.
#include "text/encoding.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

constexpr size_t kForwardSize = sizeof SjisToUniTable / sizeof SjisToUniTable[0];
constexpr size_t kReverseSize = sizeof UniToSjisTable / sizeof UniToSjisTable[0];

// The code a forward-table index stands for.
uint32_t forwardCode(size_t index) {
  if (index < 256)
    return static_cast<uint32_t>(index);
  if (index < 256 + 8192)
    return static_cast<uint32_t>(0x8000 + index - 256);
  return static_cast<uint32_t>(0xE000 + index - 256 - 8192);
}

std::string hex(uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%X", v);
  return buf;
}

} // namespace

TEST(EncodingTables, CountsMatchTheMapping) {
  ASSERT_EQ(kForwardSize, 256u + 8192u + 7424u);
  ASSERT_EQ(kReverseSize, 1280u + 33280u + 1792u);
  int single = 0, dbl = 0, aboveBmp = 0, reverse = 0;
  for (size_t i = 0; i < kForwardSize; ++i) {
    if (SjisToUniTable[i] == 0)
      continue;
    (i < 256 ? single : dbl) += 1;
    if (SjisToUniTable[i] > 0xFFFF)
      ++aboveBmp;
  }
  for (size_t i = 0; i < kReverseSize; ++i)
    reverse += UniToSjisTable[i] != 0;
  EXPECT_EQ(single, 190);
  EXPECT_EQ(dbl, 11208);
  EXPECT_EQ(aboveBmp, 303);
  EXPECT_EQ(reverse, 11095);
}

TEST(EncodingTables, DoubleByteCodesUseOnlyValidLeadAndSecondBytes) {
  for (size_t i = 256; i < kForwardSize; ++i) {
    if (SjisToUniTable[i] == 0)
      continue;
    uint32_t code = forwardCode(i);
    unsigned lead = code >> 8, trail = code & 0xFF;
    bool leadOk = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC);
    bool trailOk = trail >= 0x40 && trail <= 0xFC && trail != 0x7F;
    EXPECT_TRUE(leadOk && trailOk) << hex(code);
  }
}

TEST(EncodingTables, ForwardTellingRows) {
  struct Row {
    uint32_t code, cp;
  };
  const Row rows[] = {
      {0x00, 0},
      {0x41, 0x41},
      {0x5C, 0xA5},
      {0x7E, 0x203E},
      {0x7F, 0x7F},
      {0x80, 0},
      {0xA0, 0},
      {0xA1, 0xFF61},
      {0xB1, 0xFF71},
      {0xDF, 0xFF9F},
      {0xE0, 0},
      {0xFF, 0},
      {0x8040, 0},
      {0x8140, 0x3000},
      {0x815C, 0x2014},
      {0x815F, 0x5C},
      {0x8160, 0x301C},
      {0x8161, 0x2016},
      {0x817C, 0x2212},
      {0x8191, 0xA2},
      {0x81B0, 0x7E},
      {0x81D4, 0xFF5F},
      {0x81D5, 0xFF60},
      {0x83BB, 0x2661},
      {0x8540, 0x20AC},
      {0x87A0, 0x2000B},
      {0x889F, 0x4E9C},
      {0xFCF4, 0x2A6B2},
      {0x9873, 0x20B9F},
      {0xFC5A, 0x9B1C},
      {0x817F, 0},
      {0x81FD, 0},
      {0xFD40, 0},
      // The 0x87 row positions other tables fill with duplicates stay empty.
      {0x8790, 0},
      {0x8791, 0},
      {0x8792, 0},
      {0x8793, 0x222E},
      {0x8794, 0},
      {0x8795, 0},
      {0x8796, 0},
      {0x8797, 0},
      {0x8798, 0x221F},
      {0x8799, 0x22BF},
      {0x879A, 0},
      {0x879B, 0},
      {0x879C, 0},
      // The 25 codes that stand for two code points are not mapped.
      {0x82F5, 0},
      {0x82F6, 0},
      {0x82F7, 0},
      {0x82F8, 0},
      {0x82F9, 0},
      {0x8397, 0},
      {0x8398, 0},
      {0x8399, 0},
      {0x839A, 0},
      {0x839B, 0},
      {0x839C, 0},
      {0x839D, 0},
      {0x839E, 0},
      {0x83F6, 0},
      {0x8663, 0},
      {0x8667, 0},
      {0x8668, 0},
      {0x8669, 0},
      {0x866A, 0},
      {0x866B, 0},
      {0x866C, 0},
      {0x866D, 0},
      {0x866E, 0},
      {0x8685, 0},
      {0x8686, 0},
  };
  for (const Row& r : rows)
    EXPECT_EQ(sjis2uni(r.code), r.cp) << hex(r.code);
}

TEST(EncodingTables, ReverseTellingRows) {
  struct Row {
    uint32_t unit, code;
  };
  const Row rows[] = {
      {0x0000, 0},      {0x0041, 0x41},   {0x005C, 0x815F}, {0x007E, 0x81B0}, {0x00A5, 0x5C},
      {0x203E, 0x7E},   {0xFF71, 0xB1},   {0x2014, 0x815C}, {0x2015, 0},      {0xFF5E, 0},
      {0x2661, 0x83BB}, {0x3000, 0x8140}, {0x301C, 0x8160}, {0xFF5F, 0x81D4}, {0xFF60, 0x81D5},
      {0x2985, 0},      {0x2986, 0},      {0x4E9C, 0x889F}, {0x9B1C, 0xFC5A}, {0x20AC, 0x8540},
      {0xD840, 0},      {0xDC0B, 0},      {0x0500, 0},      {0xE000, 0},      {0xFEFF, 0},
  };
  for (const Row& r : rows)
    EXPECT_EQ(uni2sjis(r.unit), r.code) << hex(r.unit);
}

TEST(EncodingTables, ReverseIsTheExactInverseOverTheBmp) {
  int checked = 0;
  for (size_t i = 0; i < kForwardSize; ++i) {
    uint32_t cp = SjisToUniTable[i];
    if (cp == 0 || cp > 0xFFFF)
      continue;
    ASSERT_EQ(uni2sjis(cp), forwardCode(i)) << hex(cp);
    ++checked;
  }
  EXPECT_EQ(checked, 11095);
  for (uint32_t unit = 0; unit <= 0xFFFF; ++unit) {
    uint32_t code = uni2sjis(unit);
    if (code != 0) {
      ASSERT_EQ(sjis2uni(code), unit) << hex(unit);
    }
  }
}

TEST(EncodingTables, LookupsTakeTheirArgumentModulo0x10000) {
  EXPECT_EQ(sjis2uni(0x1815C), 0x2014u);
  EXPECT_EQ(sjis2uni(0xFFFF00B1), 0xFF71u);
  EXPECT_EQ(uni2sjis(0x12661), 0x83BBu);
  EXPECT_EQ(uni2sjis(0x10041), 0x41u);
}

TEST(EncodingTables, IssjisleadUsesTheFixedRanges) {
  struct Row {
    unsigned char b;
    int lead;
  };
  const Row rows[] = {{0x00, 0},  {0x40, 0}, {0x7F, 0}, {0x80, -1}, {0x81, -1},
                      {0x9F, -1}, {0xA0, 0}, {0xB1, 0}, {0xDF, 0},  {0xE0, -1},
                      {0xFC, -1}, {0xFD, 0}, {0xFF, 0}};
  for (const Row& r : rows)
    EXPECT_EQ(issjislead(r.b), r.lead) << hex(r.b);
}
