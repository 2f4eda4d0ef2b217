// The console front end, for Linux users and scripts: checks motion files with the same
// analysis as the window and writes the result to standard output instead.
//
//   kinetrace --print [--color=auto|always|never] FILE...   report lines and verdict
//   kinetrace --json FILE...                                 one JSON object per file
//   kinetrace --summary FILE...                              one tab-separated line per file
//   kinetrace --render OUT.bmp FILE                          the report as a picture
//   kinetrace --fix OUT.vmd FILE                             a corrected copy, and how it went
//   kinetrace --fix-into DIR FILE...                         each copy to DIR/<its name>
//
// The long options (and -h) are taken out of the argument list before the window
// program's own option pass (-ND, -D) sees it. "--" ends the options.
#pragma once

#include <cstdint>

enum ConsoleMode {
  CONSOLE_NONE,
  CONSOLE_PRINT,
  CONSOLE_JSON,
  CONSOLE_SUMMARY,
  CONSOLE_RENDER,
  CONSOLE_FIX
};
enum ColourChoice { COLOUR_AUTO, COLOUR_ALWAYS, COLOUR_NEVER };

// Exit statuses of the console modes beside 0 and the window's 16.
constexpr int EXIT_FAILURE_OUTPUT = 1; // output could not be written, or --render failed
constexpr int EXIT_UNREADABLE = 2;     // a file was not (wholly) read, or wrong options
constexpr int EXIT_VERDICT = 3;        // a verdict reached the category of --fail-on

struct ConsoleOptions {
  ConsoleMode mode;
  ColourChoice colour;
  bool colourGiven;       // --color was given (it needs --print)
  const char* renderPath; // --render's output file (UTF-8, from argv)
  const char* fixTarget;  // --fix's output file or --fix-into's folder (UTF-8, from argv)
  bool fixInto;           // fixTarget is --fix-into's folder
  bool overwrite;         // --overwrite: an existing output file may be replaced
  bool fixJson;           // --fix with --json: the outcome as JSON
  int32_t failOn;         // VerdictCategory of --fail-on, -1 without it
  bool help;
  bool version;
  const char* error; // set when the options cannot be used
};

// Takes the long options out of argv (argc and argv are rewritten in place; argv[0] stays).
// In the console modes only the files remain, and single-dash options other than the window
// program's -ND and -D are an error. For the window program a file after "--" that begins
// with '-' is passed as "./" plus its name, so that the option pass leaves it alone.
void parseConsoleOptions(int* argc, char** argv, ConsoleOptions* options);

// Runs a console mode over the files that remain in argv; returns the process exit status:
// 0; 1 when the output cannot be written or --render fails; 2 when a file could not be read
// whole as a VMD 0002 motion, or no file was given; 3 when a verdict reached --fail-on.
int runConsole(int argc, char** argv, const ConsoleOptions& options);

// Writes the current report (gReport, then a blank line and the verdict with CR LF as LF)
// to standard output as UTF-8, each line in its colour when colour is set. Control
// characters of the text show as '?'.
void printCheckedReport(bool colour);
// Whether --print colours its lines: auto means a terminal other than TERM=dumb, without
// NO_COLOR.
bool useConsoleColour(ColourChoice choice);

// --help and the usage line.
void printUsage(bool full);
