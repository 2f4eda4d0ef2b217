// The console's text output: --print (the report rows, in colour on a terminal), the
// --summary line, and the conversions that make text from a file safe to show.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "analysis/evaluate.h"
#include "analysis/report.h"
#include "app/console.h"
#include "app/console_internal.h"
#include "motion/motion.h"
#include "names/namelist.h"
#include "os/os.h"
#include "text/encoding.h"

// ---- Text helpers ----

std::string utf8Of(const char* sjis) {
  std::string out(std::strlen(sjis) * 3 + 1, '\0');
  strsjis2utf8(out.data(), sjis);
  out.resize(std::strlen(out.c_str()));
  return out;
}

// Text from a file must not move the cursor, recolour or retitle the terminal. A C1
// control character (U+0080-U+009F) is 0xC2 and a byte 0x80-0x9F.
std::string printable(const std::string& text, bool keepLineFeeds) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if ((c < 0x20 && !(keepLineFeeds && c == '\n')) || c == 0x7F) {
      out += '?';
    } else if (c == 0xC2 && i + 1 < text.size() &&
               static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
               static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
      out += '?';
      ++i;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

// ---- --print ----

bool useConsoleColour(ColourChoice choice) {
  if (choice == COLOUR_ALWAYS)
    return true;
  if (choice == COLOUR_NEVER)
    return false;
  const char* noColour = std::getenv("NO_COLOR");
  const char* term = std::getenv("TERM");
  return isatty(STDOUT_FILENO) && (noColour == nullptr || noColour[0] == '\0') &&
         (term == nullptr || std::strcmp(term, "dumb") != 0);
}

void printCheckedReport(bool colour) {
  const ReportLines& r = gReport;
  std::string out;
  for (int i = 0; i < r.lineCount; ++i) {
    std::string text = utf8Of(r.text[i]);
    // A line feed at the end of a morph line belongs to the stored text, not to the view.
    if (!text.empty() && text.back() == '\n')
      text.pop_back();
    text = printable(text, false);
    // White is the report's plain colour: the terminal's own suits its background better.
    const uint32_t c = r.colour[i];
    if (colour && !text.empty() && c != 0xFFFFFF) {
      char escape[32];
      std::snprintf(escape, sizeof escape, "\x1b[38;2;%u;%u;%um", c & 0xFF, (c >> 8) & 0xFF,
                    (c >> 16) & 0xFF);
      out += escape;
      out += text;
      out += "\x1b[0m";
    } else {
      out += text;
    }
    out += '\n';
  }
  out += '\n';
  std::string verdict;
  for (char c : utf8Of(gResult.text)) {
    if (c != '\r')
      verdict += c;
  }
  out += printable(verdict, true);
  out += '\n';
  osWriteText(1, out.data(), out.size());
}

void printUnreadFile(const FileOutcome& o) {
  const std::string out = "\n" + printable(fileName(o), false) + "\n\n\n" + o.error + "\n";
  osWriteText(1, out.data(), out.size());
}

// ---- --summary ----

// path, verdict (category names, or "error: " and the reason), bones, morphs, arm twist.
std::string summaryLine(const FileOutcome& o) {
  std::string verdict;
  if (o.verdict) {
    const VerdictCategories v = verdictCategories();
    for (int i = 0; i < v.count; ++i)
      verdict += (i > 0 ? "," : "") + std::string(kCategoryNames[v.category[i]]);
  } else {
    verdict = "error: " + o.error;
  }
  int bones = 0;
  int morphs = 0;
  for (int entry = 1; entry <= nameListCount(LIST_BONE); ++entry)
    bones += gMotion.bones[entry].keyCount >= 1;
  for (int entry = 1; entry <= nameListCount(LIST_MORPH); ++entry)
    morphs += gMotion.morphs[entry].keyCount >= 1;
  char numbers[64];
  std::snprintf(numbers, sizeof numbers, "\t%d\t%d\t%.1f\n", bones, morphs,
                static_cast<double>(gEval.armTwistWorst));
  return printable(o.argument, false) + "\t" + printable(verdict, false) + numbers;
}
