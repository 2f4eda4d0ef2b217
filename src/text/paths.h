// Path, command-line and UTF-16 string helpers shared by the driver, the open dialog, the
// capture and the drop handler.
//
// Every path operation has an ANSI form (Shift-JIS bytes, backslash separators) and a
// UTF-16 form with a trailing W. The ANSI forms ask osIsDbcsLeadByte whether a byte
// starts a pair and never take the second byte of a pair for a separator, dot, quote,
// semicolon or space; a lead byte directly before the terminator counts as a single byte.
// The UTF-16 forms work unit by unit.
//
// Output buffers belong to the caller and are not checked: paths are 260 characters
// (520 bytes for UTF-16); every result fits in the length of its input plus a terminator.
// The command-line splitters and appenders keep to the limits of ArgTable below.
#pragma once

#include <cstddef>
#include <cstdint>

// Characters of a path in either form, terminator included: 259 characters, as Windows'
// MAX_PATH carries them. Every path buffer of the program has this size.
constexpr int PATH_SIZE = 260;

// ---- UTF-16 primitives ----

// Units before the terminator, counting at most 4999.
int unilen(const char16_t* s);
// Copies src with its terminator. Returns the units copied, terminator excluded.
int unicpy(char16_t* dst, const char16_t* src);
// Appends src at the end of dst. Returns the units appended.
int unicat(char16_t* dst, const char16_t* src);

// ---- Comparison ----

// 0 when s begins with pattern, ASCII a-z folded to A-Z (no other letter is folded);
// -1 otherwise. What follows the pattern in s is not looked at, so ".vmd2" matches
// ".VMD". The ANSI form compares bytes without regard to pairs.
int headcmpi(const char* s, const char* pattern);
int headcmpiW(const char16_t* s, const char16_t* pattern);

// ---- Path splitting (each writes its result and a terminator; out may equal path) ----

// Up to and including the last backslash; empty when there is none (a slash does not
// count). Returns 0.
int getdir(char* out, const char* path);
int getdirW(char16_t* out, const char16_t* path);
// After the last backslash or slash; the whole path when there is none. Returns 0.
int getfname(char* out, const char* path);
int getfnameW(char16_t* out, const char16_t* path);
// Before the last dot of the whole path (C:\a.b\file gives C:\a); the whole path when
// there is none. Returns 0.
int getbody(char* out, const char* path);
int getbodyW(char16_t* out, const char16_t* path);
// From the last dot of the whole path to the end (C:\a.b\file gives .b\file); empty when
// there is none. Returns -1 when the path has a dot, 0 when it has none.
int getext(char* out, const char* path);
int getextW(char16_t* out, const char16_t* path);
// Removes one trailing backslash or slash in place, unless the path is a root (C:\ or a
// lone separator). A path longer than 259 characters is cut to 259 (the ANSI form never
// leaves half of a pair). Returns 0.
int cutdirsep(char* path);
int cutdirsepW(char16_t* path);
// Field n (from 0) of a semicolon-separated list; a string without semicolons is its own
// field 0. Returns 0, or -1 with an empty out when the list has fewer than n + 1 fields.
int getfield(char* out, const char* s, int n);

// Directory (ending in its separator, or empty) followed by an ASCII file name, as the
// path of a file beside the program. Returns 0; -1 with an empty out when the whole path
// does not fit in outSize characters with its terminator.
int catpath(char* out, size_t outSize, const char* dir, const char* name);
int catpathW(char16_t* out, size_t outUnits, const char16_t* dir, const char* name);

// ---- File lookup ----

// The name of the entry that path names, as the directory stores it (name only). The
// name part of path may hold the wildcards '*' and '?'; a trailing ".*" also matches
// names without a dot, as on Windows. The directory is listed and matches are taken in
// byte order of their UTF-8 names, with "." and ".." first. Unlike Windows, names are
// matched with regard to case: the file system here is case-sensitive.
// Returns 0 with the name in out (unmappable characters of the ANSI form become '?');
// -1 when nothing matches, only a directory matches, or the path cannot be converted;
// -2 when the first two matches are both directories. out is empty unless 0 is returned.
int findname(char* out, const char* path);
int findnameW(char16_t* out, const char16_t* path);

// ---- Current directory ----

// The current directory in the program's path form (backslashes, no trailing separator
// except for the root). Returns 0, or -1 with an empty out when it cannot be determined
// or does not fit in outSize characters.
int getcurdir(char* out, size_t outSize);
int getcurdirW(char16_t* out, size_t outUnits);

// ---- Argument tables ----

constexpr int ARG_TABLE_SLOTS = 512; // 511 arguments and the free-place pointer
constexpr int ARG_MAX_COUNT = ARG_TABLE_SLOTS - 1;
constexpr int ARG_POOL_SIZE = 65536;   // characters of a pool
constexpr int ARG_POOL_FULL = 65535;   // splitting and appending stop at this many used
constexpr int ARG_SPLIT_LIMIT = 65275; // no argument is started beyond this many used
constexpr int ARG_LINE_LIMIT = 65533;  // line characters at or beyond are unused; appends
                                       // copy at most this many minus used

// One argument list: arg[0] .. arg[count - 1] are the arguments (arg[0] the program),
// arg[count] points at the first free place of the pool (an empty string), never null.
struct ArgTable {
  int32_t count;              // set by getargs, grown by addarg
  char* arg[ARG_TABLE_SLOTS]; // set by getargs, one more per addarg
  int32_t used;               // pool characters in use; set by getargs, grown by addarg
  char pool[ARG_POOL_SIZE];   // the argument texts, each NUL-terminated
};
struct ArgTableW {
  int32_t count;
  char16_t* arg[ARG_TABLE_SLOTS];
  int32_t used;
  char16_t pool[ARG_POOL_SIZE];
};

// The program's two argument lists: filled once at start-up, element by element from the
// process's argument vector (clearargs, putargs) or by getargs/getargsW from a command
// line the system gives as one string; extended by a file chosen in the open dialog or
// dropped on the window. Argument i of one list is argument i of the other. Nothing is
// ever removed.
extern ArgTable gArgTable;
extern ArgTableW gArgTableW;

// Splits a command line into table (count, arg, used and pool are all rewritten):
// arguments are separated by spaces outside double quotes; leading spaces and tabs are
// skipped; a tab elsewhere is an ordinary character; a double quote toggles quoting and is
// not stored; there is no escape character. A pair of quotes gives an empty argument; a
// command line of the program path and trailing blanks gives count 1, otherwise trailing
// spaces give a final empty argument. Splitting stops silently at 511 arguments, at 65,275
// pool characters when an argument would start, at 65,535 pool characters, and before
// command-line character 65,533. Returns 0.
int getargs(ArgTable* table, const char* commandLine);
int getargsW(ArgTableW* table, const char16_t* commandLine);

// Empties both tables: count 0, nothing of the pools in use.
void clearargs(ArgTable* table, ArgTableW* tableW);
// Appends one argument to both tables exactly as given: no quote handling, an empty text is
// an empty argument, any length the pool holds. Both or neither, so the tables stay
// aligned: returns 0, or -1 with both unchanged when either holds 511 arguments or its
// pool lacks room for the text (65,535 characters in use at most).
int putargs(ArgTable* table, ArgTableW* tableW, const char* text, const char16_t* textW);

// Appends text as one more argument: a text beginning with a double quote contributes the
// characters up to the next quote (or its end). An empty text or argument, or a full
// table, changes nothing; at most 65,533 - used characters are copied. Returns 0.
int addarg(ArgTable* table, const char* text);
int addargW(ArgTableW* table, const char16_t* text);
