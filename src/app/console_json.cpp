// The console's --json: one line per file, the report's header members built as a JSON
// object and dumped, the report rows and the bone and morph entries written after them.
#include <charconv>
#include <cstdint>
#include <cstring>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

#include "analysis/evaluate.h"
#include "analysis/report.h"
#include "app/check.h"
#include "app/console_internal.h"
#include "app/fix_copy.h"
#include "app/state.h"
#include "motion/motion.h"
#include "names/namelist.h"
#include "os/os.h"
#include "text/encoding.h"
#include "text/utf8.h"

namespace {

// Every number kept is an integer or a 32-bit float: with float as the floating type the
// dump writes a short decimal of the float itself, not of a widened double.
using Json = nlohmann::basic_json<nlohmann::ordered_map, std::vector, std::string, bool,
                                  std::int64_t, std::uint64_t, float>;

const char* const kBlockKeys[MOTION_BLOCK_COUNT] = {"bones", "morphs",     "camera",
                                                    "light", "selfShadow", "showIk"};

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

// The verdict's category texts, in the order the result text holds them.
Json categoriesJson(const VerdictCategories& v) {
  Json list = Json::array();
  for (int i = 0; i < v.count; ++i)
    list.push_back(verdictCategoryLabel(v.category[i]));
  return list;
}

// ---- Entries ----

// The bone and morph entries are written straight into the text rather than built as JSON
// values first: a motion can hold 16,000 of each, and building them cost more than reading
// the motion. The bytes are those the dump writes.

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

// ---- Floats ----
// A float is written as the dump writes it. Its digits come from the library's own search
// for a short decimal, which std::to_chars does not reproduce: for 0.4 % of all floats it
// finds other digits (9.999998e+07 where the dump writes 9.9999984e+07). A dump call costs
// several times the number it writes, so an entry leaves a mark where each float goes, and
// the floats of a part are dumped together, as one array, when the part is written out.
// A JSON text holds no raw control character, so a byte 0x01 in the text is always a mark.

constexpr char FLOAT_MARK = '\x01';
constexpr char MARK_NEXT = 'n'; // after FLOAT_MARK: the next float of the part
constexpr char MARK_SAME = 's'; // after FLOAT_MARK: the float of the mark before once more

struct PendingFloats {
  Json values;        // the floats marked in the part so far; emptied by writePart()
  std::string merged; // the part with its floats in place; kept for its capacity
};
PendingFloats gPending;

// The end parameter is only there for putMember(): a mark is two bytes.
char* putNumber(char* at, char*, float value) {
  gPending.values.push_back(value);
  *at++ = FLOAT_MARK;
  *at++ = MARK_NEXT;
  return at;
}

// Writes out the part with its floats in their places, and empties it.
void writePart(std::string& part) {
  PendingFloats& p = gPending;
  if (p.values.empty()) {
    osWriteText(1, part.data(), part.size());
    part.clear();
    return;
  }
  // [a,b,...]: a number (or null) holds no comma. Each is put in at most twice (MARK_SAME).
  const std::string numbers = p.values.dump(-1, ' ', false, Json::error_handler_t::replace);
  p.merged.resize(part.size() + 2 * numbers.size());
  char* out = &p.merged[0];
  const char* number = numbers.c_str() + 1;
  size_t numberLength = 0;
  const char* text = part.data();
  const char* const textEnd = text + part.size();
  for (;;) {
    const char* mark = static_cast<const char*>(
        std::memchr(text, FLOAT_MARK, static_cast<size_t>(textEnd - text)));
    const size_t segment = static_cast<size_t>((mark != nullptr ? mark : textEnd) - text);
    std::memcpy(out, text, segment);
    out += segment;
    if (mark == nullptr)
      break;
    if (mark[1] == MARK_NEXT) {
      number += numberLength;
      if (*number == ',')
        ++number;
      numberLength = std::strcspn(number, ",]");
    }
    std::memcpy(out, number, numberLength);
    out += numberLength;
    text = mark + 2;
  }
  osWriteText(1, p.merged.data(), static_cast<size_t>(out - p.merged.data()));
  part.clear();
  p.values.clear();
}

// ,"key": (keys are the short names of this file, their lengths known when compiled)
template <size_t N>
char* putKey(char* at, const char (&key)[N]) {
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
char* putEntryCounts(char* at, char* end, int list, int entry, int32_t keyCount, int32_t firstFrame,
                     int32_t lastFrame) {
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
  at = putMember(at, end, "minWeight", m.minWeight);
  at = putKey(at, "maxWeight");
  if (std::memcmp(&m.maxWeight, &m.minWeight, sizeof m.minWeight) == 0) {
    // A morph of one key, or of one weight, has the same number twice: formatted once.
    *at++ = FLOAT_MARK;
    *at++ = MARK_SAME;
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
  if (text.size() >= JSON_PART_SIZE)
    writePart(text);
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

} // namespace

// ---- The line ----

void writeReportJson(const FileOutcome& o) {
  const Evaluation& e = gEval;
  gPending.values.clear(); // what a line cut short by an exception left
  Json j;
  j["file"] = fileName(o);
  j["path"] = o.argument; // a byte that is not UTF-8 becomes U+FFFD in the dump
  j["readResult"] = gFile.readResult;
  j["error"] = o.error.empty() ? Json(nullptr) : Json(o.error);
  j["model"] = utf8Of(gMotion.modelName);
  j["categories"] = o.verdict ? categoriesJson(verdictCategories()) : Json::array();
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
  writePart(text);
}

// ---- --fix ----

namespace {

Json boneJson(SpecialBone bone) {
  return utf8Of(specialBoneName(bone));
}

} // namespace

void writeFixJson(const FixFileOutcome& r) {
  const FixReport& f = r.copy->report;
  Json j;
  j["file"] = r.file;
  j["path"] = r.argument;
  j["output"] = r.target;
  j["written"] = r.written;
  j["unchanged"] = r.written && r.copy->result == COPY_UNCHANGED;
  j["error"] = r.error.empty() ? Json(nullptr) : Json(r.error);
  Json corrected = Json::array();
  for (int i = 0; i < f.correctedCount; ++i) {
    const FixCorrectedBone& c = f.corrected[i];
    Json folded = Json::array();
    for (int k = 0; k < c.foldedCount; ++k)
      folded.push_back({{"bone", boneJson(c.folded[k])}, {"keys", c.foldedKeys[k]}});
    corrected.push_back({{"bone", boneJson(c.bone)},
                         {"keysBefore", c.keysBefore},
                         {"keysAfter", c.keysAfter},
                         {"folded", std::move(folded)}});
  }
  j["corrected"] = std::move(corrected);
  Json renamed = Json::array();
  for (int i = 0; i < f.renamedCount; ++i)
    renamed.push_back({{"from", boneJson(f.renamed[i].from)},
                       {"to", boneJson(f.renamed[i].to)},
                       {"keys", f.renamed[i].keys}});
  j["renamed"] = std::move(renamed);
  Json left = Json::array();
  for (int i = 0; i < f.leftCount; ++i) {
    const FixLeftBone& l = f.left[i];
    Json entry = {{"bone", boneJson(l.bone)}, {"reason", fixLeftReasonText(l.reason)}};
    if (l.reason == LEFT_MOVEMENT_DROPPED)
      entry["keys"] = l.keys;
    left.push_back(std::move(entry));
  }
  j["left"] = std::move(left);
  j["boneKeysBefore"] = f.boneKeysBefore;
  j["boneKeysAfter"] = r.written ? Json(f.boneKeysAfter) : Json(nullptr);
  j["categoriesBefore"] = categoriesJson(r.before);
  j["categoriesAfter"] = r.written ? categoriesJson(r.after) : Json::array();
  const bool measured = r.written && f.maxDifferenceFrame >= 0;
  j["maxDifferenceDegrees"] =
      measured ? Json(static_cast<float>(f.maxDifferenceDegrees)) : Json(nullptr);
  j["maxDifferenceFrame"] = measured ? Json(f.maxDifferenceFrame) : Json(nullptr);
  j["maxDifferenceBone"] = measured ? boneJson(f.maxDifferenceBone) : Json(nullptr);
  j["maxPositionDifference"] =
      measured ? Json(static_cast<float>(f.maxPositionDifference)) : Json(nullptr);
  const std::string text = j.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
  osWriteText(1, text.data(), text.size());
}
