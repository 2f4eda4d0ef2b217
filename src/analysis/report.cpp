#include "analysis/report.h"

#include <cstring>

#include "analysis/evaluate.h"
#include "motion/motion.h"
#include "text/encoding.h"
#include "text/paths.h"
#include "text/sjis_text.h"
#include "text/strings.h"

// ---- Index ----
// Line store, result text, header lines, verdict.

ReportLines gReport;
ResultText gResult;
// Rows 0..gRowsWritten-1 may hold text since the last clear; the rows above still hold
// the zeros of a clear (or of start-up), so a clear leaves their pages untouched.
static int gRowsWritten;

// ---- Line store ----

void reportClear() {
  ReportLines& r = gReport;
  for (int i = 0; i < gRowsWritten; ++i) {
    r.text[i][0] = '\0';
    r.length[i] = 0;
    r.colour[i] = 0;
  }
  gRowsWritten = 0;
  r.lineCount = 0;
  r.maxLineLength = 0;
  r.openLength = 0;
  r.openCut = 0;
  r.currentRed = r.currentGreen = r.currentBlue = 255;
}

void reportAppend(const char* sjisText) {
  ReportLines& r = gReport;
  if (r.lineCount >= REPORT_LINE_CAPACITY || r.openCut)
    return; // the store is full, or the row was cut: it keeps its start only
  if (gRowsWritten <= r.lineCount)
    gRowsWritten = r.lineCount + 1;
  size_t wanted = static_cast<size_t>(r.openLength) + std::strlen(sjisText);
  size_t stored = appendString(r.text[r.lineCount], REPORT_LINE_SIZE, sjisText);
  r.openLength = static_cast<int32_t>(stored);
  r.openCut = stored < wanted ? 1 : 0;
}

void reportFinishLine() {
  ReportLines& r = gReport;
  if (r.lineCount >= REPORT_LINE_CAPACITY)
    return;
  if (gRowsWritten <= r.lineCount)
    gRowsWritten = r.lineCount + 1;
  r.length[r.lineCount] = static_cast<uint16_t>(r.openLength);
  if (r.openLength > r.maxLineLength)
    r.maxLineLength = r.openLength;
  r.colour[r.lineCount] = static_cast<uint32_t>(r.currentRed) |
                          static_cast<uint32_t>(r.currentGreen) << 8 |
                          static_cast<uint32_t>(r.currentBlue) << 16;
  r.lineCount++;
  r.openLength = 0;
  r.openCut = 0;
}

void reportSetColour(int red, int green, int blue) {
  gReport.currentRed = static_cast<uint8_t>(red);
  gReport.currentGreen = static_cast<uint8_t>(green);
  gReport.currentBlue = static_cast<uint8_t>(blue);
}

// ---- Result text ----

void resultClear() {
  gResult.text[0] = '\0';
  gResult.textW[0] = 0;
}

void resultAppend(const char* sjisText) {
  size_t before = std::strlen(gResult.text);
  size_t after = appendString(gResult.text, RESULT_TEXT_SIZE, sjisText);
  // The UTF-16 twin receives exactly the part that fitted, so both stay the same text.
  char piece[RESULT_TEXT_SIZE];
  std::memcpy(piece, gResult.text + before, after - before);
  piece[after - before] = '\0';
  strcatsjis2uni(gResult.textW, piece);
}

// ---- Header ----

void writeReportHeader(const char* actualName, const char16_t* actualNameW, int aliasInUse) {
  reportClear();
  reportSetColour(255, 255, 255);
  reportFinishLine();
  if (actualName[0] != '\0' || actualNameW[0] != 0) {
    if (actualName[0] != '\0') {
      reportAppend(actualName);
    } else {
      char converted[2 * PATH_SIZE + 1];
      char16_t name[PATH_SIZE];
      size_t n = 0;
      for (; n < PATH_SIZE - 1 && actualNameW[n] != 0; ++n)
        name[n] = actualNameW[n];
      name[n] = 0;
      struni2sjis(converted, name);
      reportAppend(converted);
    }
    reportFinishLine();
  }
  reportFinishLine();
  if (gMotion.modelName[0] != '\0') {
    char line[REPORT_LINE_SIZE];
    SjisText japanese("元モデル名: %s ");
    formatString(line, sizeof line, aliasInUse ? "Source model: %s " : japanese.text,
                 gMotion.modelName);
    reportAppend(line);
    reportFinishLine();
  }
  if (aliasInUse)
    reportAppend("Target model: VRM model (Lumivane 3.10-3.11) ");
  else
    reportAppend(SjisText("想定使用先: VRMモデル (Lumivane 3.10-3.11) "));
  reportFinishLine();
}
