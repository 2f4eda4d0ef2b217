// The console's file loop: the files handed to the argument tables in batches, each
// argument checked and its outcome settled, the mode's writer called, and the exit status.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <unistd.h>

#include "analysis/report.h"
#include "app/check.h"
#include "app/console.h"
#include "app/console_internal.h"
#include "app/render.h"
#include "app/startup.h"
#include "app/state.h"
#include "motion/motion.h"
#include "os/os.h"
#include "text/encoding.h"
#include "text/files.h"
#include "text/pathconv.h"
#include "text/paths.h"
#include "text/utf8.h"

// ---- One file's outcome ----

// The UTF-16 form holds the whole name unless it carries escaped bytes that are not UTF-8:
// the ANSI form then shows what Shift-JIS makes of them.
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

namespace {

// ---- Helpers ----

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

// ---- Settling the outcome ----

// Settles the outcome of the file just checked (gFile, gMotion).
FileOutcome judgeFile(const char* argument) {
  FileOutcome o = {argument, true, ""};
  char problem[512];
  if (describeReadProblem(problem, sizeof problem) != 0)
    o.error = problem;
  // Without an open file or a motion signature there is nothing to report on.
  o.verdict = gFile.readResult != -1 && gMotion.end != MOTION_END_SIGNATURE;
  return o;
}

} // namespace

void sayFileProblem(const char* argument, const char* problem) {
  const std::string line = "kinetrace: " + printable(argument, false) + ": " + problem + "\n";
  osWriteText(2, line.data(), line.size());
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
  const bool one =
      options.mode == CONSOLE_RENDER || (options.mode == CONSOLE_FIX && !options.fixInto);
  if (fileCount == 0 || (one && fileCount != 1)) {
    std::fprintf(stderr, "kinetrace: %s\n",
                 fileCount == 0                   ? "no motion file given"
                 : options.mode == CONSOLE_RENDER ? "--render takes exactly one motion file"
                                                  : "--fix takes exactly one motion file "
                                                    "(--fix-into takes several)");
    printUsage(false);
    return EXIT_UNREADABLE;
  }

  const bool colour = options.mode == CONSOLE_PRINT && useConsoleColour(options.colour);
  bool unreadable = false;
  bool renderFailed = false; // or --fix could not write a copy
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
      // --fix judges the copy's verdict.
      if (o.verdict && options.failOn >= 0 && options.mode != CONSOLE_FIX &&
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
        } else if (options.mode == CONSOLE_FIX) {
          const FixFileStatus s = fixCheckedFile(o, options);
          unreadable = unreadable || s.refused;
          renderFailed = renderFailed || s.failed;
          verdictReached = verdictReached || s.verdictReached;
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
