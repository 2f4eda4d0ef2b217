// What the parts of the console front end share: the outcome of one file, the text
// conversions, and the writers the file loop calls. Included by src/app/console_*.cpp only.
//
//   console_options.cpp  the options and the usage text
//   console_loop.cpp     batches, the check of each argument, its outcome, exit statuses
//   console_text.cpp     --print, --summary, colours, text a terminal shows safely
//   console_json.cpp     --json
#pragma once

#include <cstdint>
#include <string>

#include "analysis/report.h" // VERDICT_OK

// What the console says about the current file besides its report.
struct FileOutcome {
  const char* argument; // as given (UTF-8 from argv)
  bool verdict;         // the file was read as a motion, wholly or in part
  std::string error;    // why it was not read whole; empty when it was
};

// ---- Options ----

// The --fail-on names, in VerdictCategory order; "ok" is only ever shown.
extern const char* const kCategoryNames[VERDICT_OK + 1];

// ---- The file loop ----

// The file's name as the directory stores it, in UTF-8; the name part of the argument when
// the directory look-up found none (a missing file).
std::string fileName(const FileOutcome& o);

// ---- Text ----

// A Shift-JIS text as UTF-8.
std::string utf8Of(const char* sjis);
// UTF-8 text for a terminal or a tab-separated line: every C0 control character (line
// feeds too unless kept), DEL and every C1 control character becomes '?'.
std::string printable(const std::string& text, bool keepLineFeeds);
// --print for a file that gave no verdict: its name row as the report would show it, then
// the reason.
void printUnreadFile(const FileOutcome& o);
// The --summary line of the current file, with its line feed.
std::string summaryLine(const FileOutcome& o);

// ---- JSON ----

// The --json line of the current file, written to standard output. What it throws (a
// std::exception) the file loop reports as a problem of the file.
void writeReportJson(const FileOutcome& o);
