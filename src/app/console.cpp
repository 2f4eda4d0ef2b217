#include "app/console.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <nlohmann/json.hpp>
#include <string>
#include <unistd.h>
#include <vector>

#include "analysis/evaluate.h"
#include "analysis/report.h"
#include "app/check.h"
#include "app/render.h"
#include "app/startup.h"
#include "app/state.h"
#include "motion/motion.h"
#include "names/namelist.h"
#include "os/os.h"
#include "text/encoding.h"
#include "text/files.h"
#include "text/pathconv.h"
#include "text/paths.h"
#include "text/sjis_text.h"
#include "text/strings.h"
#include "text/utf8.h"

// ---- Index ----
// Options, text helpers, --print, --json, --summary, the file loop.

namespace {

// Every number kept is an integer or a 32-bit float: with float as the floating type the
// dump writes the shortest decimal of the float itself, not of a widened double.
using Json = nlohmann::basic_json<nlohmann::ordered_map, std::vector, std::string, bool,
                                  std::int64_t, std::uint64_t, float>;

// ---- Options ----

bool startsWith(const char* s, const char* prefix) {
  return std::strncmp(s, prefix, std::strlen(prefix)) == 0;
}

// The --fail-on names, in VerdictCategory order; "ok" is only ever shown.
const char* const kCategoryNames[] = {"must-fix", "check-readme", "somewhat-rough",
                                      "slightly-rough", "ok"};

int32_t categoryByName(const char* name) {
  for (int32_t c = VERDICT_MUST_FIX; c < VERDICT_OK; ++c) {
    if (std::strcmp(name, kCategoryNames[c]) == 0)
      return c;
  }
  return -1;
}

bool isLetter(char c, char letter) {
  return c == letter || c == letter - 'A' + 'a';
}

// The window program's options: one or more of ND and D, each with an optional "=" and
// digits ("-ND", "-ND2", "-D3").
bool isWindowOption(const char* arg) {
  const char* p = arg + 1;
  if (*p == '\0')
    return false;
  while (*p != '\0') {
    if (isLetter(p[0], 'N') && isLetter(p[1], 'D'))
      p += 2;
    else if (isLetter(p[0], 'D'))
      p += 1;
    else
      return false;
    if (*p == '=')
      ++p;
    while (*p >= '0' && *p <= '9')
      ++p;
  }
  return true;
}

// Texts that outlive the parse: error messages and rewritten file arguments.
struct OptionTexts {
  char message[160];
  std::vector<std::string> files;
};
OptionTexts gOptionTexts;

const char* optionError(const char* format, const char* arg) {
  std::snprintf(gOptionTexts.message, sizeof gOptionTexts.message, format, arg);
  return gOptionTexts.message;
}

// ---- Text helpers ----

// A Shift-JIS text as UTF-8.
std::string utf8Of(const char* sjis) {
  std::string out(std::strlen(sjis) * 3 + 1, '\0');
  strsjis2utf8(out.data(), sjis);
  out.resize(std::strlen(out.c_str()));
  return out;
}

// UTF-8 text for a terminal or a tab-separated line: every C0 control character (line
// feeds too unless kept), DEL and every C1 control character (U+0080-U+009F) becomes '?',
// so that text from a file cannot move the cursor, recolour or retitle the terminal.
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

// UTF-16 units of a UTF-8 argument: its length as the program's path forms count it, a
// character above U+FFFF two units, any byte that is no part of a well-formed character
// one (it travels as an escape unit, text/pathconv.h).
long utf16Length(const char* utf8) {
  long units = 0;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(utf8);
  for (size_t left = std::strlen(utf8); left > 0;) {
    uint32_t cp;
    const size_t length = utf8DecodeStrict(p, left, &cp);
    units += length == 4 ? 2 : 1;
    p += length > 0 ? length : 1;
    left -= length > 0 ? length : 1;
  }
  return units;
}

// Thousands separated by commas, as in "283,678".
std::string grouped(long long value) {
  std::string digits = std::to_string(value < 0 ? -value : value);
  std::string out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0)
      out += ',';
    out += digits[i];
  }
  return value < 0 ? "-" + out : out;
}

// #rrggbb of a report colour (R + G * 256 + B * 65536), lower-case digits.
std::string colourHex(uint32_t colour) {
  static const char kDigits[] = "0123456789abcdef";
  char text[7];
  text[0] = '#';
  for (int i = 0; i < 3; ++i) {
    const uint32_t c = (colour >> (8 * i)) & 0xFF;
    text[1 + 2 * i] = kDigits[c >> 4];
    text[2 + 2 * i] = kDigits[c & 0xF];
  }
  return std::string(text, sizeof text);
}

// ---- One file's outcome ----

// What the console says about the current file besides its report.
struct FileOutcome {
  const char* argument; // as given (UTF-8 from argv)
  bool verdict;         // the file was read as a motion, wholly or in part
  std::string error;    // why it was not read whole; empty when it was
};

const char* const kBlockNames[MOTION_BLOCK_COUNT] = {"bone",        "morph", "camera",
                                                     "light",       "self-shadow",
                                                     "show-and-IK"};
const char* const kBlockKeys[MOTION_BLOCK_COUNT] = {"bones", "morphs",     "camera",
                                                    "light", "selfShadow", "showIk"};

// Signature (30 bytes) and model name (20 bytes) before the bone count.
constexpr int VMD_HEADER_SIZE = 30 + VMD_MODEL_NAME_SIZE;

int32_t declaredRecords(int block) {
  const MotionSummary& m = gMotion;
  const int32_t declared[MOTION_BLOCK_COUNT] = {m.boneKeyTotal,  m.morphKeyTotal,
                                                m.cameraKeyTotal, m.lightKeyTotal,
                                                m.selfShadowKeyTotal, m.showIkKeyTotal};
  return declared[block];
}

// Settles the outcome of the file just checked (gFile, gMotion).
FileOutcome judgeFile(const char* argument) {
  const MotionSummary& m = gMotion;
  FileOutcome o = {argument, true, ""};
  if (gFile.readResult == -1) {
    o.verdict = false;
    o.error = std::string("cannot open: ") + fileErrorText(m.openErrno);
    return o;
  }
  if (m.end == MOTION_END_SIGNATURE) {
    o.verdict = false;
    o.error = "not a VMD 0002 motion file";
    return o;
  }
  if (m.endBlock != MOTION_BLOCK_NONE) {
    const int block = m.endBlock;
    char text[160];
    if (m.endInCount != 0 && block == MOTION_BLOCK_BONES && m.endOffset < VMD_HEADER_SIZE)
      std::snprintf(text, sizeof text, "ends inside the header (read %lld of %d bytes)",
                    static_cast<long long>(m.endOffset), VMD_HEADER_SIZE);
    else if (m.endInCount != 0)
      std::snprintf(text, sizeof text, "ends inside the count of the %s keys", kBlockNames[block]);
    else
      std::snprintf(text, sizeof text, "ends inside the %s keys (read %d of %d)",
                    kBlockNames[block], m.recordsRead[block], declaredRecords(block));
    o.error = text;
  } else if (gFile.readResult != 0) {
    o.error = "truncated at byte " + std::to_string(static_cast<long long>(m.endOffset));
  }
  if (m.namesRefused > 0) {
    if (!o.error.empty())
      o.error += "; ";
    o.error += grouped(m.namesRefused) + " names beyond the name lists' capacity were not counted";
  }
  return o;
}

// The file's name as the directory stores it, in UTF-8; the name part of the argument when
// the directory look-up found none (a missing file). The UTF-16 form holds the whole name
// unless it carries escaped bytes that are not UTF-8: the ANSI form then shows what
// Shift-JIS makes of them.
std::string fileName(const FileOutcome& o) {
  const FileState& f = gFile;
  if (f.actualNameW[0] != 0 && hasPathEscapes(f.actualNameW) == 0) {
    char utf8[PATH_SIZE * 3 + 1];
    struni2utf8(utf8, f.actualNameW);
    return utf8;
  }
  if (f.actualName[0] != '\0')
    return utf8Of(f.actualName);
  std::string path = o.argument;
  while (path.size() > 1 && path.back() == '/')
    path.pop_back();
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos || path.size() == 1 ? path : path.substr(slash + 1);
}

// The verdict's category texts, in the order the result text holds them.
Json categoriesJson() {
  const VerdictCategories v = verdictCategories();
  Json list = Json::array();
  for (int i = 0; i < v.count; ++i)
    list.push_back(verdictCategoryLabel(v.category[i]));
  return list;
}

} // namespace

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

namespace {

// A file that gave no verdict: its name row as the report would show it, then the reason.
void printUnreadFile(const FileOutcome& o) {
  const std::string out = "\n" + printable(fileName(o), false) + "\n\n\n" + o.error + "\n";
  osWriteText(1, out.data(), out.size());
}

// ---- --json ----

// The bone and morph entries are written straight into the text rather than built as JSON
// values first: a motion can hold 16,000 of each, and building them cost more than reading
// the motion. The bytes are those the dump writes (the same number and string writers).


// Printable ASCII without quote or backslash and well-formed UTF-8 stand in a JSON string
// as they are (the dump writes them so, its ensure_ascii off); the dump escapes the rest.
bool standsAsIs(const char* text, size_t n) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  for (size_t i = 0; i < n;) {
    const unsigned char c = p[i];
    if (c >= 0x20 && c <= 0x7E && c != '"' && c != '\\') {
      ++i;
      continue;
    }
    uint32_t cp;
    const size_t length = c >= 0x80 ? utf8DecodeStrict(p + i, n - i, &cp) : 0;
    if (length == 0)
      return false;
    i += length;
  }
  return true;
}

void appendEscaped(std::string& out, const char* text, size_t n) {
  out += Json(std::string(text, n)).dump(-1, ' ', false, Json::error_handler_t::replace);
}

void appendString(std::string& out, const char* text, size_t n) {
  if (!standsAsIs(text, n)) {
    appendEscaped(out, text, n);
    return;
  }
  out += '"';
  out.append(text, n);
  out += '"';
}

void appendString(std::string& out, const std::string& text) {
  appendString(out, text.data(), text.size());
}

// The number writers fill a small buffer and return its end, so that an entry is a few
// appends: a motion's 16,000 entries make a quarter of a million members.
char* putNumber(char* at, char* end, long long value) {
  return std::to_chars(at, end, value).ptr;
}

// JSON has no infinity or NaN: those are null.
char* putNumber(char* at, char* end, float value) {
  if (!std::isfinite(value)) {
    std::memcpy(at, "null", 4);
    return at + 4;
  }
  return nlohmann::detail::to_chars(at, end, value);
}

// ,"key": (keys are the short names of this file, their lengths known when compiled)
template <size_t N> char* putKey(char* at, const char (&key)[N]) {
  *at++ = ',';
  *at++ = '"';
  std::memcpy(at, key, N - 1);
  at += N - 1;
  *at++ = '"';
  *at++ = ':';
  return at;
}

// ,"key":value
template <size_t N, typename T>
char* putMember(char* at, char* end, const char (&key)[N], T value) {
  return putNumber(putKey(at, key), end, value);
}

// Room for an entry written at once: its number, its name in UTF-8 (a Shift-JIS byte
// becomes at most three bytes) and quotes, and eight keys and numbers.
constexpr size_t ENTRY_SIZE = 32 + NAME_SLOT_SIZE * 3 + 512;

// Puts {"entry":N,"name":"..." at text, with the name of a list entry in UTF-8, and returns
// its end. A name the dump must escape is appended to out with what precedes it, and the
// entry goes on at text.
char* putEntryName(std::string& out, char* text, int list, int entry) {
  static const char kHead[] = "{\"entry\":";
  std::memcpy(text, kHead, sizeof kHead - 1);
  char* at = putNumber(text + sizeof kHead - 1, text + ENTRY_SIZE, static_cast<long long>(entry));
  std::memcpy(at, ",\"name\":\"", 9);
  at += 9;
  strsjis2utf8(at, nameListText(list, entry));
  const size_t length = std::strlen(at);
  if (standsAsIs(at, length)) {
    at += length;
    *at++ = '"';
    return at;
  }
  out.append(text, static_cast<size_t>(at - 1 - text)); // without the opening quote
  appendEscaped(out, at, length);
  return text;
}

// The members every entry has after its name: group and the key counts.
char* putEntryCounts(char* at, char* end, int list, int entry, int32_t keyCount,
                     int32_t firstFrame, int32_t lastFrame) {
  at = putMember(at, end, "group", static_cast<long long>(nameListGroupOf(list, entry)));
  at = putMember(at, end, "keyCount", static_cast<long long>(keyCount));
  at = putMember(at, end, "firstFrame", static_cast<long long>(firstFrame));
  return putMember(at, end, "lastFrame", static_cast<long long>(lastFrame));
}

void appendBone(std::string& out, int entry) {
  const BoneStats& b = gMotion.bones[entry];
  char text[ENTRY_SIZE];
  char* const end = text + sizeof text;
  char* at = putEntryName(out, text, LIST_BONE, entry);
  at = putEntryCounts(at, end, LIST_BONE, entry, b.keyCount, b.firstFrame, b.lastFrame);
  const char* moved = b.moved != 0 ? ",\"moved\":true" : ",\"moved\":false";
  std::memcpy(at, moved, std::strlen(moved));
  at += std::strlen(moved);
  at = putMember(at, end, "maxTranslation", b.maxTranslation);
  at = putMember(at, end, "maxRotation", b.maxRotation);
  at = putMember(at, end, "twistPlusMax", b.twistPlusMax);
  at = putMember(at, end, "twistPlusFrame", static_cast<long long>(b.twistPlusFrame));
  at = putMember(at, end, "twistMinusMax", b.twistMinusMax);
  at = putMember(at, end, "twistMinusFrame", static_cast<long long>(b.twistMinusFrame));
  *at++ = '}';
  out.append(text, static_cast<size_t>(at - text));
}

void appendMorph(std::string& out, int entry) {
  const MorphStats& m = gMotion.morphs[entry];
  char text[ENTRY_SIZE];
  char* const end = text + sizeof text;
  char* at = putEntryName(out, text, LIST_MORPH, entry);
  at = putEntryCounts(at, end, LIST_MORPH, entry, m.keyCount, m.firstFrame, m.lastFrame);
  at = putKey(at, "minWeight");
  char* const least = at;
  at = putNumber(at, end, m.minWeight);
  const size_t leastLength = static_cast<size_t>(at - least);
  at = putKey(at, "maxWeight");
  if (std::memcmp(&m.maxWeight, &m.minWeight, sizeof m.minWeight) == 0) {
    // A morph of one key, or of one weight, has the same number twice: written once.
    std::memcpy(at, least, leastLength);
    at += leastLength;
  } else {
    at = putNumber(at, end, m.maxWeight);
  }
  *at++ = '}';
  out.append(text, static_cast<size_t>(at - text));
}

// A line of a motion's 16,000 entries is megabytes: it is written a part at a time, so
// that its buffer stays a few pages (every new page costs more than the text it holds).
constexpr size_t JSON_PART_SIZE = 64 * 1024;

// Writes out the text so far once it passes JSON_PART_SIZE; called between entries, so a
// part ends on a whole character.
void writePartIfLarge(std::string& text) {
  if (text.size() >= JSON_PART_SIZE) {
    osWriteText(1, text.data(), text.size());
    text.clear();
  }
}

// ,"key":[...] with every entry of list that has a key.
void appendEntries(std::string& out, const char* key, int list, void (*append)(std::string&, int)) {
  out += ",\"";
  out += key;
  out += "\":[";
  bool first = true;
  const int count = nameListCount(list);
  for (int entry = 1; entry <= count; ++entry) {
    const int32_t keys =
        list == LIST_BONE ? gMotion.bones[entry].keyCount : gMotion.morphs[entry].keyCount;
    if (keys < 1)
      continue;
    if (!first)
      out += ',';
    first = false;
    append(out, entry);
    writePartIfLarge(out);
  }
  out += ']';
}

// One JSON line for the file, written to standard output.
void writeReportJson(const FileOutcome& o) {
  const Evaluation& e = gEval;
  Json j;
  j["file"] = fileName(o);
  j["path"] = o.argument; // a byte that is not UTF-8 becomes U+FFFD in the dump
  j["readResult"] = gFile.readResult;
  j["error"] = o.error.empty() ? Json(nullptr) : Json(o.error);
  j["model"] = utf8Of(gMotion.modelName);
  j["categories"] = o.verdict ? categoriesJson() : Json::array();
  j["resultText"] = o.verdict ? utf8Of(gResult.text) : "";
  j["counters"] = {{"mustFixCount", e.mustFixCount},
                   {"checkReadmeCount", e.checkReadmeCount},
                   {"somewhatRoughCount", e.somewhatRoughCount},
                   {"slightlyRoughCount", e.slightlyRoughCount}};
  j["flags"] = {{"twistBoneFlags", e.twistBoneFlags},
                {"upperBody2Flag", e.upperBody2Flag},
                {"plusBoneFlags", e.plusBoneFlags},
                {"legDFlags", e.legDFlags},
                {"armDFlags", e.armDFlags},
                {"extraParentFlags", e.extraParentFlags},
                {"legIkParentRotFlags", e.legIkParentRotFlags},
                {"shoulderPFlags", e.shoulderPFlags},
                {"armTwistStrongFlags", e.armTwistStrongFlags},
                {"armTwistMildFlags", e.armTwistMildFlags},
                {"lowerBodyRating", e.lowerBodyRating},
                {"waistUsed", e.waistUsed}};
  Json blocks;
  for (int block = 0; block < MOTION_BLOCK_COUNT; ++block)
    blocks[kBlockKeys[block]] = {{"declared", declaredRecords(block)},
                                 {"read", gMotion.recordsRead[block]}};
  j["blocks"] = std::move(blocks);
  std::string text = j.dump(-1, ' ', false, Json::error_handler_t::replace);
  text.pop_back(); // the closing brace: the lines and the entries follow
  text += ",\"lines\":[";
  for (int i = 0; i < gReport.lineCount; ++i) {
    text += i > 0 ? ",{\"text\":" : "{\"text\":";
    appendString(text, utf8Of(gReport.text[i]));
    text += ",\"colour\":";
    appendString(text, colourHex(gReport.colour[i]));
    text += '}';
  }
  text += ']';
  appendEntries(text, "bones", LIST_BONE, appendBone);
  appendEntries(text, "morphs", LIST_MORPH, appendMorph);
  text += "}\n";
  osWriteText(1, text.data(), text.size());
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

} // namespace

// ---- Usage ----

void printUsage(bool full) {
  std::FILE* out = full ? stdout : stderr;
  std::fputs("usage: kinetrace [-ND[2]] [FILE.vmd...]\n"
             "       kinetrace --print [--color=auto|always|never] [--fail-on=CATEGORY] "
             "FILE.vmd...\n"
             "       kinetrace --json|--summary [--fail-on=CATEGORY] FILE.vmd...\n"
             "       kinetrace --render OUT.bmp FILE.vmd\n",
             out);
  if (!full)
    return;
  std::fputs(
      "\n"
      "Checks MMD motion files (VMD 0002) before they are played on VRM avatars in Lumivane\n"
      "3.10-3.11, and reports the bones and morphs they use with a graded verdict.\n"
      "\n"
      "Without a console option the report opens in a window (an open dialog asks for a\n"
      "file when none is given).\n"
      "\n"
      "  --print          write each report and its verdict to standard output\n"
      "  --color=WHEN     colour the --print lines: auto (a terminal without NO_COLOR,\n"
      "                   TERM not dumb), always or never\n"
      "  --json           write one JSON object per file (JSON Lines)\n"
      "  --summary        write one tab-separated line per file: path, verdict, bones,\n"
      "                   morphs, worst arm twist in degrees\n"
      "  --fail-on=CAT    exit with 3 when a verdict is CAT or worse: must-fix,\n"
      "                   check-readme, somewhat-rough or slightly-rough\n"
      "  --render OUT     draw the report of one file into the BMP picture OUT\n"
      "  -ND              no verdict message box; -ND2 also no question about the extension\n"
      "  -D               detail level of the diagnostic trace\n"
      "  -h, --help       this text\n"
      "  --version        the program's version\n"
      "  --               the arguments that follow are files, even when they begin with -\n"
      "\n"
      "Exit status: 0; 1 when the output cannot be written or --render fails; 2 when a file\n"
      "could not be read whole as a VMD 0002 motion or the options are wrong; 3 when a\n"
      "verdict reached --fail-on; 16 when a file was declined in the window.\n",
      out);
}

// ---- Options ----

void parseConsoleOptions(int* argc, char** argv, ConsoleOptions* options) {
  *options = ConsoleOptions{CONSOLE_NONE, COLOUR_AUTO, false, nullptr, -1, false, false, nullptr};
  auto setMode = [options](ConsoleMode mode) {
    if (options->mode != CONSOLE_NONE && options->mode != mode)
      options->error = "--print, --json, --summary and --render cannot be combined";
    options->mode = mode;
  };
  // Each kept argument: a file (true), or a single-dash option of the window program.
  std::vector<bool> isFile(static_cast<size_t>(*argc), false);
  bool optionsEnded = false;
  int kept = 1;
  for (int i = 1; i < *argc; ++i) {
    const char* arg = argv[i];
    if (optionsEnded || arg[0] != '-' || std::strcmp(arg, "-") == 0) {
      isFile[static_cast<size_t>(kept)] = true;
      argv[kept++] = argv[i];
    } else if (std::strcmp(arg, "--") == 0) {
      optionsEnded = true;
    } else if (!startsWith(arg, "--") && std::strcmp(arg, "-h") != 0) {
      argv[kept++] = argv[i];
    } else if (std::strcmp(arg, "--print") == 0) {
      setMode(CONSOLE_PRINT);
    } else if (std::strcmp(arg, "--json") == 0) {
      setMode(CONSOLE_JSON);
    } else if (std::strcmp(arg, "--summary") == 0) {
      setMode(CONSOLE_SUMMARY);
    } else if (std::strcmp(arg, "--render") == 0 || startsWith(arg, "--render=")) {
      setMode(CONSOLE_RENDER);
      if (arg[8] == '=')
        options->renderPath = arg + 9;
      else if (i + 1 < *argc)
        options->renderPath = argv[++i];
      else
        options->error = "--render needs the name of the picture to write";
    } else if (std::strcmp(arg, "--color") == 0 || std::strcmp(arg, "--color=always") == 0) {
      options->colour = COLOUR_ALWAYS;
      options->colourGiven = true;
    } else if (std::strcmp(arg, "--color=never") == 0) {
      options->colour = COLOUR_NEVER;
      options->colourGiven = true;
    } else if (std::strcmp(arg, "--color=auto") == 0) {
      options->colour = COLOUR_AUTO;
      options->colourGiven = true;
    } else if (startsWith(arg, "--fail-on=")) {
      options->failOn = categoryByName(arg + 10);
      if (options->failOn < 0)
        options->error = optionError("unknown --fail-on category %.60s (must-fix, check-readme, "
                                     "somewhat-rough, slightly-rough)",
                                     arg + 10);
    } else if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
      options->help = true;
    } else if (std::strcmp(arg, "--version") == 0) {
      options->version = true;
    } else {
      options->error = optionError("unknown option %.100s", arg);
    }
  }
  argv[kept] = nullptr;
  *argc = kept;
  if (options->error != nullptr)
    return;
  if (options->colourGiven && options->mode != CONSOLE_PRINT)
    options->error = "--color works with --print only";
  else if (options->failOn >= 0 && options->mode == CONSOLE_NONE)
    options->error = "--fail-on works with --print, --json, --summary or --render only";
  if (options->error != nullptr)
    return;

  if (options->mode != CONSOLE_NONE) {
    // The console modes take files only; -ND and -D mean nothing without a window.
    int files = 1;
    for (int k = 1; k < kept; ++k) {
      if (isFile[static_cast<size_t>(k)]) {
        argv[files++] = argv[k];
      } else if (!isWindowOption(argv[k]) && options->error == nullptr) {
        options->error = optionError("unknown option %.100s", argv[k]);
      }
    }
    argv[files] = nullptr;
    *argc = files;
    return;
  }
  // The window program's option pass takes every argument that begins with '-'.
  std::vector<std::string>& rewritten = gOptionTexts.files;
  rewritten.reserve(static_cast<size_t>(kept));
  for (int k = 1; k < kept; ++k) {
    if (isFile[static_cast<size_t>(k)] && argv[k][0] == '-') {
      rewritten.push_back(std::string("./") + argv[k]);
      argv[k] = rewritten.back().data();
    }
  }
}

namespace {

// ---- Batches ----
// The argument tables hold ARG_MAX_COUNT - 1 arguments in pools of ARG_POOL_SIZE
// characters, enough for a window's dropped files but not for a script that names a whole
// folder. The console modes therefore hand the files over in batches that fit, so that no
// file given is left out.

constexpr int BATCH_FILES = 256;
// Argument text per batch: a converted argument is never longer than its UTF-8 form; the
// rest of the pool is left for the program's path.
constexpr size_t BATCH_TEXT = ARG_LINE_LIMIT / 2;

struct ConsoleBatch {
  char* argv[BATCH_FILES + 2]; // argv[0], then the batch's files
  int argc;                    // set by fillBatch()
};
ConsoleBatch gBatch;

// Fills gBatch from argv, starting at file argument *next; moves *next past the batch.
void fillBatch(int argc, char** argv, int* next) {
  ConsoleBatch& b = gBatch;
  b.argc = 0;
  b.argv[b.argc++] = argv[0];
  size_t text = 0;
  int k = *next;
  for (; k < argc && b.argc < 1 + BATCH_FILES; ++k) {
    size_t length = std::strlen(argv[k]) + 1;
    if (b.argc > 1 && text + length > BATCH_TEXT)
      break;
    text += length;
    b.argv[b.argc++] = argv[k];
  }
  b.argv[b.argc] = nullptr;
  *next = k;
}

// ---- The file loop ----

// Checks argument index of the tables, or, when its path is too long for the program's
// path forms or the tables could not take it, leaves an empty check behind.
FileOutcome checkArgument(int index, const char* argument) {
  const long length = utf16Length(argument);
  const char* refusal = nullptr;
  char text[96];
  if (length > PATH_SIZE - 1) {
    std::snprintf(text, sizeof text, "path too long (%ld characters, at most %d)", length,
                  PATH_SIZE - 1);
    refusal = text;
  } else if (index >= gArgTable.count) {
    refusal = "not checked: the argument is too long";
  }
  takeFileArgument(refusal == nullptr ? index : ARG_MAX_COUNT);
  checkMotionFile();
  FileOutcome o = judgeFile(argument);
  if (refusal != nullptr) {
    o.verdict = false;
    o.error = refusal;
  }
  return o;
}

// One line on standard error about a file (a Windows console shows its name whole).
void sayFileProblem(const char* argument, const char* problem) {
  const std::string line = "kinetrace: " + printable(argument, false) + ": " + problem + "\n";
  osWriteText(2, line.data(), line.size());
}

// Whether standard output has failed; says so once.
bool outputFailed() {
  if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0)
    return false;
  const int error = errno;
  std::fprintf(stderr, "kinetrace: cannot write output: %s\n",
               error != 0 ? std::strerror(error) : "write error");
  return true;
}

} // namespace

int runConsole(int argc, char** argv, const ConsoleOptions& options) {
  const int fileCount = argc - 1;
  if (fileCount == 0 || (options.mode == CONSOLE_RENDER && fileCount != 1)) {
    std::fprintf(stderr, "kinetrace: %s\n",
                 fileCount == 0 ? "no motion file given"
                                : "--render takes exactly one motion file");
    printUsage(false);
    return EXIT_UNREADABLE;
  }

  const bool colour = options.mode == CONSOLE_PRINT && useConsoleColour(options.colour);
  bool unreadable = false;
  bool renderFailed = false;
  bool verdictReached = false;
  if (options.mode == CONSOLE_SUMMARY && isatty(STDOUT_FILENO))
    std::fputs("path\tverdict\tbones\tmorphs\tarm-twist\n", stdout);
  for (int next = 1; next < argc;) {
    fillBatch(argc, argv, &next);
    ConsoleBatch& b = gBatch;
    loadArguments(b.argc, b.argv);
    startupEnvironment();
    for (int i = 1; i < b.argc; ++i) {
      const FileOutcome o = checkArgument(i, b.argv[i]);
      if (!o.error.empty()) {
        sayFileProblem(o.argument, o.error.c_str());
        unreadable = true;
      }
      if (o.verdict && options.failOn >= 0 &&
          verdictCategories().category[0] <= static_cast<VerdictCategory>(options.failOn))
        verdictReached = true;
      try {
        if (options.mode == CONSOLE_PRINT) {
          if (o.verdict)
            printCheckedReport(colour);
          else
            printUnreadFile(o);
        } else if (options.mode == CONSOLE_JSON) {
          writeReportJson(o);
        } else if (options.mode == CONSOLE_SUMMARY) {
          const std::string line = summaryLine(o);
          osWriteText(1, line.data(), line.size());
        } else if (renderCheckedReport(options.renderPath) != 0) {
          renderFailed = true;
        }
      } catch (const std::exception& error) {
        sayFileProblem(o.argument, error.what());
        unreadable = true;
      }
      if (outputFailed())
        return EXIT_FAILURE_OUTPUT;
    }
  }
  if (unreadable)
    return EXIT_UNREADABLE;
  if (renderFailed)
    return EXIT_FAILURE_OUTPUT;
  return verdictReached ? EXIT_VERDICT : 0;
}
