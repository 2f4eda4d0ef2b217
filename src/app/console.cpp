#include "app/console.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <nlohmann/json.hpp>
#include <string>
#include <unistd.h>

#include "analysis/evaluate.h"
#include "analysis/report.h"
#include "app/check.h"
#include "app/render.h"
#include "app/startup.h"
#include "app/state.h"
#include "motion/motion.h"
#include "names/namelist.h"
#include "text/encoding.h"
#include "text/paths.h"
#include "text/sjis_text.h"
#include "text/strings.h"

// ---- Index ----
// Options, text helpers, --print, --json, the file loop.

namespace {

// Every number kept is an integer or a 32-bit float: with float as the floating type the
// dump writes the shortest decimal of the float itself, not of a widened double.
using Json = nlohmann::basic_json<nlohmann::ordered_map, std::vector, std::string, bool,
                                  std::int64_t, std::uint64_t, float>;

// ---- Options ----

bool startsWith(const char* s, const char* prefix) {
  return std::strncmp(s, prefix, std::strlen(prefix)) == 0;
}

// ---- Text helpers ----

// A Shift-JIS text as UTF-8.
std::string utf8Of(const char* sjis) {
  std::string out(std::strlen(sjis) * 3 + 1, '\0');
  strsjis2utf8(out.data(), sjis);
  out.resize(std::strlen(out.c_str()));
  return out;
}

// A 32-bit value as a JSON number; JSON has no infinity or NaN, so those are null.
Json floatJson(float value) {
  if (!std::isfinite(value))
    return nullptr;
  return value;
}

std::string colourHex(uint32_t colour) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", colour & 0xFF, (colour >> 8) & 0xFF,
                (colour >> 16) & 0xFF);
  return text;
}

// The verdict's category texts, in the order the result text holds them.
Json categories() {
  const Evaluation& e = gEval;
  Json list = Json::array();
  if (e.mustFixCount >= 1)
    list.push_back("(要修正)");
  if (e.checkReadmeCount >= 1)
    list.push_back("(確認要)");
  else if (e.somewhatRoughCount >= 1)
    list.push_back("(やや荒れ)");
  else if (e.slightlyRoughCount >= 1)
    list.push_back("(少し荒れ)");
  else if (e.mustFixCount == 0)
    list.push_back("(OK)");
  return list;
}

// ---- --print ----

} // namespace

bool useConsoleColour(ColourChoice choice) {
  if (choice == COLOUR_ALWAYS)
    return true;
  if (choice == COLOUR_NEVER)
    return false;
  const char* noColour = std::getenv("NO_COLOR");
  return isatty(STDOUT_FILENO) && (noColour == nullptr || noColour[0] == '\0');
}

void printCheckedReport(bool colour) {
  const ReportLines& r = gReport;
  std::string out;
  for (int i = 0; i < r.lineCount; ++i) {
    std::string text = utf8Of(r.text[i]);
    // A line feed at the end of a morph line belongs to the stored text, not to the view.
    if (!text.empty() && text.back() == '\n')
      text.pop_back();
    if (colour && !text.empty()) {
      char escape[32];
      uint32_t c = r.colour[i];
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
  for (char c : utf8Of(gResult.text)) {
    if (c != '\r')
      out += c;
  }
  out += '\n';
  std::fwrite(out.data(), 1, out.size(), stdout);
}

namespace {

// ---- --json ----

Json boneJson(int entry) {
  const BoneStats& b = gMotion.bones[entry];
  Json j;
  j["entry"] = entry;
  j["name"] = utf8Of(nameListText(LIST_BONE, entry));
  j["group"] = nameListGroupOf(LIST_BONE, entry);
  j["keyCount"] = b.keyCount;
  j["firstFrame"] = b.firstFrame;
  j["lastFrame"] = b.lastFrame;
  j["moved"] = b.moved != 0;
  j["maxTranslation"] = floatJson(b.maxTranslation);
  j["maxRotation"] = floatJson(b.maxRotation);
  j["twistPlusMax"] = floatJson(b.twistPlusMax);
  j["twistPlusFrame"] = b.twistPlusFrame;
  j["twistMinusMax"] = floatJson(b.twistMinusMax);
  j["twistMinusFrame"] = b.twistMinusFrame;
  return j;
}

Json morphJson(int entry) {
  const MorphStats& s = gMotion.morphs[entry];
  Json j;
  j["entry"] = entry;
  j["name"] = utf8Of(nameListText(LIST_MORPH, entry));
  j["group"] = nameListGroupOf(LIST_MORPH, entry);
  j["keyCount"] = s.keyCount;
  j["firstFrame"] = s.firstFrame;
  j["lastFrame"] = s.lastFrame;
  j["minWeight"] = floatJson(s.minWeight);
  j["maxWeight"] = floatJson(s.maxWeight);
  return j;
}

std::string reportJson() {
  const Evaluation& e = gEval;
  Json j;
  // The UTF-16 name is the whole name; the ANSI one may hold '?' for what Shift-JIS lacks.
  j["file"] = gFile.actualNameW[0] == 0 ? utf8Of(gFile.actualName) : [] {
    char utf8[PATH_SIZE * 3 + 1];
    struni2utf8(utf8, gFile.actualNameW);
    return std::string(utf8);
  }();
  j["readResult"] = gFile.readResult;
  j["model"] = utf8Of(gMotion.modelName);
  j["categories"] = categories();
  j["resultText"] = utf8Of(gResult.text);
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
  Json lines = Json::array();
  for (int i = 0; i < gReport.lineCount; ++i)
    lines.push_back({{"text", utf8Of(gReport.text[i])}, {"colour", colourHex(gReport.colour[i])}});
  j["lines"] = std::move(lines);
  Json bones = Json::array();
  for (int entry = 1; entry <= nameListCount(LIST_BONE); ++entry) {
    if (gMotion.bones[entry].keyCount >= 1)
      bones.push_back(boneJson(entry));
  }
  j["bones"] = std::move(bones);
  Json morphs = Json::array();
  for (int entry = 1; entry <= nameListCount(LIST_MORPH); ++entry) {
    if (gMotion.morphs[entry].keyCount >= 1)
      morphs.push_back(morphJson(entry));
  }
  j["morphs"] = std::move(morphs);
  return j.dump(-1, ' ', false, Json::error_handler_t::replace);
}

// ---- The file loop ----

// Says on standard error why a file gave no motion; false when it was read.
bool reportReadFailure(const char* shownName) {
  const MotionSummary& m = gMotion;
  if (gFile.readResult == 0)
    return false;
  if (gFile.readResult == -1)
    std::fprintf(stderr, "kinetrace: %s: cannot open: %s\n", shownName, std::strerror(m.openErrno));
  else if (m.end == MOTION_END_SIGNATURE)
    std::fprintf(stderr, "kinetrace: %s: not a VMD 0002 motion file\n", shownName);
  else
    std::fprintf(stderr, "kinetrace: %s: truncated at byte %lld\n", shownName,
                 static_cast<long long>(m.endOffset));
  return true;
}

} // namespace

void printUsage(bool full) {
  std::FILE* out = full ? stdout : stderr;
  std::fputs("usage: kinetrace [-ND[2]] [FILE.vmd...]\n"
             "       kinetrace --print [--color=auto|always|never] FILE.vmd...\n"
             "       kinetrace --json FILE.vmd...\n"
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
      "  --color=WHEN     colour the --print lines: auto (a terminal without NO_COLOR),\n"
      "                   always or never\n"
      "  --json           write one JSON object per file (JSON Lines)\n"
      "  --render OUT     draw the report of one file into the BMP picture OUT\n"
      "  -ND              no verdict message box; -ND2 also no question about the extension\n"
      "  --help           this text\n"
      "  --version        the program's version\n"
      "\n"
      "Exit status: 0; 2 when a file could not be read as a VMD 0002 motion or the options\n"
      "are wrong; 1 when --render finds no font; 16 when a file was declined in the window.\n",
      out);
}

void parseConsoleOptions(int* argc, char** argv, ConsoleOptions* options) {
  *options = ConsoleOptions{CONSOLE_NONE, COLOUR_AUTO, nullptr, false, false, nullptr};
  auto setMode = [options](ConsoleMode mode) {
    if (options->mode != CONSOLE_NONE && options->mode != mode)
      options->error = "--print, --json and --render cannot be combined";
    options->mode = mode;
  };
  int kept = 1;
  for (int i = 1; i < *argc; ++i) {
    const char* arg = argv[i];
    if (!startsWith(arg, "--")) {
      argv[kept++] = argv[i];
      continue;
    }
    if (std::strcmp(arg, "--print") == 0) {
      setMode(CONSOLE_PRINT);
    } else if (std::strcmp(arg, "--json") == 0) {
      setMode(CONSOLE_JSON);
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
    } else if (std::strcmp(arg, "--color=never") == 0) {
      options->colour = COLOUR_NEVER;
    } else if (std::strcmp(arg, "--color=auto") == 0) {
      options->colour = COLOUR_AUTO;
    } else if (std::strcmp(arg, "--help") == 0) {
      options->help = true;
    } else if (std::strcmp(arg, "--version") == 0) {
      options->version = true;
    } else {
      static char message[160];
      std::snprintf(message, sizeof message, "unknown option %.100s", arg);
      options->error = message;
    }
  }
  argv[kept] = nullptr;
  *argc = kept;
}

namespace {

// ---- Batches ----
// The argument tables hold ARG_MAX_COUNT - 1 arguments in a command line of
// ARG_LINE_LIMIT characters, enough for a window's dropped files but not for a script
// that names a whole folder. The console modes therefore hand the files over in batches
// that fit, each with every option argument, so that no file given is left out.

constexpr int BATCH_FILES = 256;
constexpr int BATCH_OPTIONS = 64; // option arguments repeated in every batch; more are dropped
// Argument text per batch: a converted argument is never longer than its UTF-8 form, and
// quoting adds at most three characters; the rest of the line is left for the program's
// path and the options.
constexpr size_t BATCH_TEXT = ARG_LINE_LIMIT / 2;

struct ConsoleBatch {
  char* argv[ARG_MAX_COUNT + 1]; // argv[0], the options, then the batch's files
  int argc;                      // set by fillBatch()
};
ConsoleBatch gBatch;

bool isOptionText(const char* arg) {
  return arg[0] == '-';
}

// Fills gBatch from argv, starting at file argument *next; moves *next past the batch.
void fillBatch(int argc, char** argv, int* next) {
  ConsoleBatch& b = gBatch;
  b.argc = 0;
  b.argv[b.argc++] = argv[0];
  for (int k = 1; k < argc && b.argc <= BATCH_OPTIONS; ++k) {
    if (isOptionText(argv[k]))
      b.argv[b.argc++] = argv[k];
  }
  const int withOptions = b.argc;
  size_t text = 0;
  int k = *next;
  for (; k < argc && b.argc < withOptions + BATCH_FILES; ++k) {
    if (isOptionText(argv[k]))
      continue;
    size_t length = std::strlen(argv[k]) + 3;
    if (b.argc > withOptions && text + length > BATCH_TEXT)
      break;
    text += length;
    b.argv[b.argc++] = argv[k];
  }
  b.argv[b.argc] = nullptr;
  *next = k;
}

} // namespace

int runConsole(int argc, char** argv, const ConsoleOptions& options) {
  int fileCount = 0;
  for (int k = 1; k < argc; ++k) {
    if (!isOptionText(argv[k]))
      ++fileCount;
  }
  if (fileCount == 0 || (options.mode == CONSOLE_RENDER && fileCount != 1)) {
    std::fprintf(stderr, "kinetrace: %s\n",
                 fileCount == 0 ? "no motion file given"
                                : "--render takes exactly one motion file");
    printUsage(false);
    return 2;
  }

  bool colour = options.mode == CONSOLE_PRINT && useConsoleColour(options.colour);
  int status = 0;
  for (int next = 1; next < argc;) {
    fillBatch(argc, argv, &next);
    ConsoleBatch& b = gBatch;
    loadArguments(b.argc, b.argv);
    startupEnvironment();
    parseOptions();
    for (int i = 1; i < gArgTable.count && i < ARG_MAX_COUNT; ++i) {
      if (isOptionArgument(gArgTable.arg[i]))
        continue;
      takeFileArgument(i);
      checkMotionFile();
      // The batch's argv holds the arguments one to one with the tables.
      const char* shown = i < b.argc ? b.argv[i] : gArgTable.arg[i];
      if (reportReadFailure(shown))
        status = 2;
      try {
        if (options.mode == CONSOLE_PRINT) {
          printCheckedReport(colour);
        } else if (options.mode == CONSOLE_JSON) {
          std::string line = reportJson();
          line += '\n';
          std::fwrite(line.data(), 1, line.size(), stdout);
        } else {
          int rendered = renderCheckedReport(options.renderPath);
          if (rendered != 0 && status == 0)
            status = rendered;
        }
      } catch (const std::exception& error) {
        std::fprintf(stderr, "kinetrace: %s: %s\n", shown, error.what());
        status = 2;
      }
      std::fflush(stdout);
    }
    // An argument too long for the command line on its own is still not silently lost.
    for (int k = gArgTable.count; k < b.argc; ++k) {
      if (isOptionText(b.argv[k]))
        continue;
      std::fprintf(stderr, "kinetrace: %s: not checked: the argument is too long\n", b.argv[k]);
      status = 2;
    }
  }
  return status;
}
