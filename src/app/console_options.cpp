// The console's options: taking the long options out of the argument list, checking what
// is left for the mode chosen, and the usage text.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/console.h"
#include "app/console_internal.h"

const char* const kCategoryNames[VERDICT_OK + 1] = {"must-fix", "check-readme", "somewhat-rough",
                                                    "slightly-rough", "ok"};

namespace {

// ---- Option helpers ----

bool startsWith(const char* s, const char* prefix) {
  return std::strncmp(s, prefix, std::strlen(prefix)) == 0;
}

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

} // namespace

// ---- Usage ----

void printUsage(bool full) {
  std::FILE* out = full ? stdout : stderr;
  std::fputs("usage: kinetrace [-ND[2]] [FILE.vmd...]\n"
             "       kinetrace --print [--color=auto|always|never] [--fail-on=CATEGORY] "
             "FILE.vmd...\n"
             "       kinetrace --json|--summary [--fail-on=CATEGORY] FILE.vmd...\n"
             "       kinetrace --render OUT.bmp FILE.vmd\n"
             "       kinetrace --fix OUT.vmd [--overwrite] [--json] [--fail-on=CATEGORY] "
             "FILE.vmd\n"
             "       kinetrace --fix-into DIR [--overwrite] [--json] [--fail-on=CATEGORY] "
             "FILE.vmd...\n",
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
      "  --fix OUT        write a corrected copy of one motion to OUT: the twist and\n"
      "                   shoulder P bones folded into the bones Lumivane keeps, full-width\n"
      "                   names it does not know renamed; then check the copy and say what\n"
      "                   was corrected and left (with --json: one object per file)\n"
      "  --fix-into DIR   the same for each motion given, into DIR under its own name\n"
      "  --overwrite      let --fix and --fix-into replace an existing file (never the\n"
      "                   motion itself)\n"
      "  -ND              no verdict message box; -ND2 also no question about the extension\n"
      "  -D               detail level of the diagnostic trace\n"
      "  -h, --help       this text\n"
      "  --version        the program's version\n"
      "  --               the arguments that follow are files, even when they begin with -\n"
      "\n"
      "Exit status: 0; 1 when the output cannot be written or --render or --fix cannot\n"
      "write its file; 2 when a file could not be read whole as a VMD 0002 motion or the\n"
      "options are wrong; 3 when a verdict (of the copy, with --fix) reached --fail-on; 16\n"
      "when a file was declined in the window.\n",
      out);
}

// ---- The option pass ----

void parseConsoleOptions(int* argc, char** argv, ConsoleOptions* options) {
  *options = ConsoleOptions{CONSOLE_NONE, COLOUR_AUTO, false, nullptr, nullptr, false,
                            false,        false,       -1,    false,   false,   nullptr};
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
    } else if (std::strcmp(arg, "--fix") == 0 || startsWith(arg, "--fix=") ||
               std::strcmp(arg, "--fix-into") == 0 || startsWith(arg, "--fix-into=")) {
      const bool into = startsWith(arg, "--fix-into");
      const char* equals = std::strchr(arg, '=');
      if (options->fixTarget != nullptr)
        options->error = "--fix and --fix-into are given once, and not together";
      else if (equals != nullptr)
        options->fixTarget = equals + 1;
      else if (i + 1 < *argc)
        options->fixTarget = argv[++i];
      else
        options->error = into ? "--fix-into needs the folder to write into"
                              : "--fix needs the name of the copy to write";
      options->fixInto = into;
    } else if (std::strcmp(arg, "--overwrite") == 0) {
      options->overwrite = true;
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
  if (options->fixTarget != nullptr) {
    if (options->mode != CONSOLE_NONE && options->mode != CONSOLE_JSON)
      options->error = "--fix and --fix-into write no report: they take --json, not --print, "
                       "--summary or --render";
    else if (options->fixTarget[0] == '\0')
      options->error = "--fix and --fix-into need a name";
    options->fixJson = options->mode == CONSOLE_JSON;
    options->mode = CONSOLE_FIX;
  } else if (options->overwrite) {
    options->error = "--overwrite works with --fix or --fix-into only";
  }
  if (options->error != nullptr)
    return;
  if (options->colourGiven && options->mode != CONSOLE_PRINT)
    options->error = "--color works with --print only";
  else if (options->failOn >= 0 && options->mode == CONSOLE_NONE)
    options->error = "--fail-on works with a console mode only";
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
