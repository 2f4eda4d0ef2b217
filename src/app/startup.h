// Start-up: the argument lists, the language and console code pages, the program
// directory and the option pass, shared by the window run and the console front end.
#pragma once

// Fills gArgTable and gArgTableW from main's argv: argument 0 becomes the running
// executable's absolute path, every argument takes the program's two path forms.
void loadArguments(int argc, char** argv);
// Language flags, console output code page and program directory (from argument 0).
void startupEnvironment();
// One pass over the ANSI arguments 1..510 that begin with '-' or '/': sets displayLevel
// (D) and noDialogLevel (ND), ignoring anything else byte by byte.
void parseOptions();
// True when the first byte of arg is '-' or '/'.
bool isOptionArgument(const char* arg);
