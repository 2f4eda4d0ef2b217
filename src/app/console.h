// The console front end (ours, for Linux users and scripts): checks motion files with the
// same analysis as the window and writes the result to standard output instead.
//
//   kinetrace --print [--color=auto|always|never] FILE...   report lines and verdict
//   kinetrace --json FILE...                                 one JSON object per file
//   kinetrace --render OUT.bmp FILE                          the report as a picture
//
// The long options are taken out of the argument list before the window program's own
// option pass (-ND, -D) sees it.
#pragma once

enum ConsoleMode { CONSOLE_NONE, CONSOLE_PRINT, CONSOLE_JSON, CONSOLE_RENDER };
enum ColourChoice { COLOUR_AUTO, COLOUR_ALWAYS, COLOUR_NEVER };

struct ConsoleOptions {
  ConsoleMode mode;
  ColourChoice colour;
  const char* renderPath; // --render's output file (UTF-8, from argv)
  bool help;
  bool version;
  const char* error; // set when the long options cannot be used
};

// Takes the long options out of argv (argc and argv are rewritten in place; argv[0] stays).
void parseConsoleOptions(int* argc, char** argv, ConsoleOptions* options);

// Runs a console mode over the remaining arguments; returns the process exit status:
// 0, 2 when a file could not be opened or read as a VMD 0002 motion (or a usage error),
// 1 when --render finds no font.
int runConsole(int argc, char** argv, const ConsoleOptions& options);

// Writes the current report (gReport, then a blank line and the verdict with CR LF as LF)
// to standard output as UTF-8, each line in its colour when colour is set.
void printCheckedReport(bool colour);
// Whether --print colours its lines: auto means a terminal without NO_COLOR.
bool useConsoleColour(ColourChoice choice);

// --help and the usage line.
void printUsage(bool full);
