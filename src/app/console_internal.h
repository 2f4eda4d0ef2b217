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

#include "analysis/report.h" // VERDICT_OK, VerdictCategories

struct ConsoleOptions;
struct CorrectedCopy;

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

// One line on standard error about a file (a Windows console shows its name whole).
void sayFileProblem(const char* argument, const char* problem);

// ---- --fix ----

// What --fix made of one file.
struct FixFileOutcome {
  const char* argument;      // the motion as given
  std::string file;          // its name as the folder stores it (UTF-8)
  std::string target;        // the copy's path as given (--fix-into: the folder and name)
  const CorrectedCopy* copy; // what was corrected and left (app/fix_copy.h)
  bool written;              // a copy is in place
  std::string error;         // why not, "" when written
  VerdictCategories before;  // the motion's verdict
  VerdictCategories after;   // the copy's, when written
};
// How it went, for the exit status.
struct FixFileStatus {
  bool refused;        // the motion could not be corrected (status 2)
  bool failed;         // the copy could not be written (status 1)
  bool verdictReached; // the copy's verdict reached --fail-on (status 3)
};
// Corrects the file just checked (its outcome o) into the copy the options name, checks
// the copy, and writes the outcome to standard output.
FixFileStatus fixCheckedFile(const FileOutcome& o, const ConsoleOptions& options);
// The outcome as one JSON line on standard output.
void writeFixJson(const FixFileOutcome& r);

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
