// Start-up: the argument lists, the language and console code pages, the program
// directory and the option pass, shared by the window run and the console front end.
#pragma once

#include <cstddef>

// Fills gArgTable and gArgTableW from main's argv element by element: argument i of both
// tables is argv[i] in the program's two path forms (text/pathconv.h), taken as it is
// (quotes, blanks and empty elements included), except that argument 0 becomes the running
// executable's absolute path. The tables' limits hold (511 arguments, the pools): the
// elements from the first that does not fit on are left out. Returns how many of those
// are file arguments (not options), 0 normally.
int loadArguments(int argc, char** argv);
#ifdef _WIN32
// Windows: splits the process's command line, GetCommandLineA and GetCommandLineW, with
// getargs and getargsW, and sets *argv to the UTF-16 arguments as UTF-8 text, for the
// option pass and the console's names and messages. loadArguments then takes each element
// that comes from here in its two forms as the split gave them, untouched, and argument 0
// as the program's module path. Returns the count.
int loadCommandLine(char*** argv);
#endif
// The two path forms of a text that is not in the tables (an option's file name), made as
// loadArguments makes an argument's. Returns 0, or -1 when a form does not fit its size.
int argumentForms(const char* element, char* ansi, size_t ansiSize, char16_t* wide,
                  size_t wideUnits);
// Language flags, console output code page and program directory (from argument 0).
void startupEnvironment();
// One pass over the ANSI arguments 1..510 that begin with '-' or '/': sets displayLevel
// (D) and noDialogLevel (ND), ignoring anything else byte by byte.
void parseOptions();
// True when the first byte of arg is '-' or '/'.
bool isOptionArgument(const char* arg);
