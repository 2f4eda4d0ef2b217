// The report of one motion file: a store of coloured Shift-JIS lines that the window draws
// (header lines, then the bone and morph listing), and the verdict text in Shift-JIS and
// UTF-16 that a message box shows when the window cannot draw.
//
// Lines hold at most 127 bytes; longer text is cut on a character boundary. At most 512
// lines are stored; further lines are dropped. Nothing is ever written past the store.
#pragma once

#include <cstdint>

constexpr int REPORT_LINE_CAPACITY = 512;
constexpr int REPORT_LINE_SIZE = 128;
constexpr int RESULT_TEXT_SIZE = 776;

struct ReportLines {
  char text[REPORT_LINE_CAPACITY][REPORT_LINE_SIZE]; // row text; the open row is lineCount
  uint16_t length[REPORT_LINE_CAPACITY];             // byte length of each finished row
  uint32_t colour[REPORT_LINE_CAPACITY];             // R + G*256 + B*65536 of each row
  int32_t lineCount;                                 // finished rows
  int32_t maxLineLength;                             // longest finished row
  int32_t openLength;                                // bytes in the open row so far
  uint8_t openCut; // set when an append did not fit: the open row takes nothing more
  uint8_t currentRed, currentGreen, currentBlue; // colour of the next finished row
};
extern ReportLines gReport;

struct ResultText {
  char text[RESULT_TEXT_SIZE];      // the verdict, Shift-JIS
  char16_t textW[RESULT_TEXT_SIZE]; // the same, UTF-16, converted piece by piece
};
extern ResultText gResult;

// ---- Line store ----
void reportClear();
void reportAppend(const char* sjisText);
void reportFinishLine();
void reportSetColour(int red, int green, int blue);

// ---- Result text ----
void resultClear();
void resultAppend(const char* sjisText);

// ---- Report steps ----
// Clears the store and writes the header: an empty row, the file's name (actualName, or
// actualNameW converted when that is empty; no row when both are empty), an empty row, the
// source model (when the motion names one) and the target. English labels with aliasInUse.
void writeReportHeader(const char* actualName, const char16_t* actualNameW, int aliasInUse);
// Composes the verdict from the evaluation (analysis/evaluate.h) into gResult.
void composeResultText();

// ---- Verdict categories ----
// Most serious first, the order in which --fail-on ranks them.
enum VerdictCategory : int32_t {
  VERDICT_MUST_FIX,       // "(要修正)"
  VERDICT_CHECK_README,   // "(確認要)"
  VERDICT_SOMEWHAT_ROUGH, // "(やや荒れ)"
  VERDICT_SLIGHTLY_ROUGH, // "(少し荒れ)"
  VERDICT_OK,             // "(OK)"
};
struct VerdictCategories {
  int32_t count; // 1 or 2
  VerdictCategory category[2];
};
// The categories of the evaluation in the order the result text holds them: "(要修正)"
// first, then "(確認要)" or one roughness category; "(OK)" alone when none applies.
VerdictCategories verdictCategories();
// The label that opens a category's part of the result text, in UTF-8 ("(要修正)").
const char* verdictCategoryLabel(VerdictCategory category);
