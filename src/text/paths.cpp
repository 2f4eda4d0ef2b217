// ---- Index ----
// ---- Character steps ----
// ---- UTF-16 primitives ----
// ---- Comparison ----
// ---- Path splitting ----
// ---- File lookup ----
// ---- Current directory ----
// ---- Argument tables ----
#include "text/paths.h"

#include <cstring>

#include "os/os.h"
#include "text/pathconv.h"
#include "text/trace.h"
#include "text/utf8.h"

ArgTable gArgTable;
ArgTableW gArgTableW;

// ---- Character steps ----

namespace {

// Characters taken by the character at s: 2 for a lead byte of the ANSI code page with a
// second byte, else 1. A lead byte before the terminator stands alone, so no walk ever
// steps over the end of its string.
inline int charStep(const char* s) {
  return osIsDbcsLeadByte(static_cast<unsigned char>(s[0])) && s[1] != '\0' ? 2 : 1;
}
inline int charStep(const char16_t*) {
  return 1;
}

template <class C>
size_t length(const C* s) {
  size_t n = 0;
  while (s[n] != 0)
    n++;
  return n;
}

// Forward copy of n characters and a terminator; safe when out lies at or before from.
template <class C>
void copyForward(C* out, const C* from, size_t n) {
  for (size_t i = 0; i < n; i++)
    out[i] = from[i];
  out[n] = 0;
}

inline bool isSeparator(int c) {
  return c == '\\' || c == '/';
}

} // namespace

// ---- UTF-16 primitives ----

int unilen(const char16_t* s) {
  int n = 0;
  while (n < 4999 && s[n] != 0)
    n++;
  return n;
}

int unicpy(char16_t* dst, const char16_t* src) {
  int n = 0;
  while ((dst[n] = src[n]) != 0)
    n++;
  return n;
}

int unicat(char16_t* dst, const char16_t* src) {
  return unicpy(dst + length(dst), src);
}

int catpath(char* out, size_t outSize, const char* dir, const char* name) {
  const size_t dirLength = std::strlen(dir);
  const size_t nameLength = std::strlen(name);
  if (dirLength + nameLength >= outSize) {
    if (outSize > 0)
      out[0] = '\0';
    return -1;
  }
  std::memmove(out, dir, dirLength);
  std::memcpy(out + dirLength, name, nameLength + 1);
  return 0;
}

int catpathW(char16_t* out, size_t outUnits, const char16_t* dir, const char* name) {
  size_t dirLength = 0;
  while (dir[dirLength] != 0 && dirLength < outUnits)
    dirLength++;
  const size_t nameLength = std::strlen(name);
  if (dirLength + nameLength >= outUnits) {
    if (outUnits > 0)
      out[0] = 0;
    return -1;
  }
  for (size_t i = 0; i < dirLength; ++i)
    out[i] = dir[i];
  for (size_t i = 0; i <= nameLength; ++i)
    out[dirLength + i] = static_cast<unsigned char>(name[i]);
  return 0;
}

// ---- Comparison ----

namespace {

inline int foldAscii(int c) {
  return c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c;
}

template <class C, class U>
int headCompare(const C* s, const C* pattern) {
  for (size_t i = 0; pattern[i] != 0; i++) {
    // The string's terminator differs from every pattern character, so a shorter string
    // fails here without being read past its end.
    if (foldAscii(static_cast<U>(s[i])) != foldAscii(static_cast<U>(pattern[i])))
      return -1;
  }
  return 0;
}

} // namespace

int headcmpi(const char* s, const char* pattern) {
  return headCompare<char, unsigned char>(s, pattern);
}

int headcmpiW(const char16_t* s, const char16_t* pattern) {
  return headCompare<char16_t, char16_t>(s, pattern);
}

// ---- Path splitting ----

namespace {

// Index just after the last character for which pick() holds, or -1 when none does.
template <class C, class Pick>
long afterLast(const C* path, Pick pick) {
  long after = -1;
  for (size_t i = 0; path[i] != 0; i += charStep(path + i)) {
    if (pick(path[i]))
      after = static_cast<long>(i) + 1;
  }
  return after;
}

template <class C>
int getDir(C* out, const C* path) {
  long after = afterLast(path, [](C c) { return c == '\\'; });
  copyForward(out, path, after < 0 ? 0 : static_cast<size_t>(after));
  return 0;
}

template <class C>
int getFileName(C* out, const C* path) {
  long after = afterLast(path, [](C c) { return isSeparator(c); });
  const C* name = after < 0 ? path : path + after;
  copyForward(out, name, length(name));
  return 0;
}

template <class C>
int getBody(C* out, const C* path) {
  long after = afterLast(path, [](C c) { return c == '.'; });
  copyForward(out, path, after < 0 ? length(path) : static_cast<size_t>(after - 1));
  return 0;
}

template <class C>
int getExt(C* out, const C* path) {
  long after = afterLast(path, [](C c) { return c == '.'; });
  if (after < 0) {
    out[0] = 0;
    return 0;
  }
  const C* dot = path + after - 1;
  copyForward(out, dot, length(dot));
  return -1;
}

template <class C>
int cutDirSep(C* path) {
  constexpr size_t kMaxLength = PATH_SIZE - 1;
  size_t n = 0;
  size_t lastWidth = 0; // width of the character that ends at n
  while (n < kMaxLength && path[n] != 0) {
    size_t width = static_cast<size_t>(charStep(path + n));
    if (n + width > kMaxLength)
      break; // keep a pair whole rather than cut between its bytes
    n += width;
    lastWidth = width;
  }
  bool drive =
      ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) && path[1] == ':';
  size_t shortest = drive ? 4 : 2; // C:\ and a lone separator are roots
  // A final 0x5C that is the second byte of a pair is part of a character, not a separator.
  if (n >= shortest && n <= 258 && lastWidth == 1 && isSeparator(path[n - 1]))
    n--;
  path[n] = 0;
  return 0;
}

} // namespace

int getdir(char* out, const char* path) {
  return getDir(out, path);
}
int getdirW(char16_t* out, const char16_t* path) {
  return getDir(out, path);
}
int getfname(char* out, const char* path) {
  return getFileName(out, path);
}
int getfnameW(char16_t* out, const char16_t* path) {
  return getFileName(out, path);
}
int getbody(char* out, const char* path) {
  return getBody(out, path);
}
int getbodyW(char16_t* out, const char16_t* path) {
  return getBody(out, path);
}
int getext(char* out, const char* path) {
  return getExt(out, path);
}
int getextW(char16_t* out, const char16_t* path) {
  return getExt(out, path);
}
int cutdirsep(char* path) {
  return cutDirSep(path);
}
int cutdirsepW(char16_t* path) {
  return cutDirSep(path);
}

int getfield(char* out, const char* s, int n) {
  int field = 0;
  size_t start = 0;
  for (size_t i = 0;; i += charStep(s + i)) {
    if (s[i] != '\0' && s[i] != ';')
      continue;
    if (field == n) {
      copyForward(out, s + start, i - start);
      return 0;
    }
    if (s[i] == '\0')
      break;
    field++;
    start = i + 1;
  }
  out[0] = '\0';
  return -1;
}

// ---- File lookup ----

namespace {

constexpr size_t SYSTEM_PATH_SIZE = 4096; // PATH_MAX
constexpr size_t SYSTEM_NAME_SIZE = 256;  // NAME_MAX and a terminator

struct FoundEntry {
  char name[SYSTEM_NAME_SIZE];
  int isDirectory;
};

// The search of one findname call: the two first matches in listing order.
struct NameSearch {
  const char* pattern;  // UTF-8 name part, may hold '*' and '?'
  size_t patternLength; // its length
  int wildcards;        // 1 when pattern holds '*' or '?'
  int found;            // matches kept in first (0 to 2)
  FoundEntry first[2];  // the smallest matches, in order
};

// Bytes of the character at s; a byte that starts no whole UTF-8 sequence (a name that is
// not UTF-8) is a character of its own, so '?' matches it.
size_t utf8Step(const char* s) {
  uint32_t cp;
  const int n = utf8DecodeLenient(reinterpret_cast<const unsigned char*>(s), &cp);
  return n > 0 ? static_cast<size_t>(n) : 1;
}

// Windows wildcards on UTF-8 names: '*' any run of characters, '?' exactly one character.
bool wildMatch(const char* pattern, const char* patternEnd, const char* name) {
  const char* starPattern = nullptr; // just after the last '*' met
  const char* starName = nullptr;    // where that '*' now ends in name
  while (*name != '\0') {
    if (pattern < patternEnd && *pattern == '*') {
      starPattern = ++pattern;
      starName = name;
    } else if (pattern < patternEnd && *pattern == '?') {
      pattern++;
      name += utf8Step(name);
    } else if (pattern < patternEnd && *pattern == *name) {
      pattern++;
      name++;
    } else if (starPattern != nullptr) {
      pattern = starPattern;
      starName += utf8Step(starName);
      name = starName;
    } else {
      return false;
    }
  }
  while (pattern < patternEnd && *pattern == '*')
    pattern++;
  return pattern == patternEnd;
}

bool nameMatches(const NameSearch& search, const char* name) {
  const char* end = search.pattern + search.patternLength;
  if (!search.wildcards)
    return std::strcmp(search.pattern, name) == 0;
  if (wildMatch(search.pattern, end, name))
    return true;
  // Windows lets a final ".*" match nothing as well: *.* matches README, a.* matches a.
  return search.patternLength >= 2 && end[-2] == '.' && end[-1] == '*' &&
         wildMatch(search.pattern, end - 2, name);
}

// "." and ".." come first, as Windows lists them; the rest in byte order.
int entryOrder(const char* a, const char* b) {
  int rankA = std::strcmp(a, ".") == 0 ? 0 : std::strcmp(a, "..") == 0 ? 1 : 2;
  int rankB = std::strcmp(b, ".") == 0 ? 0 : std::strcmp(b, "..") == 0 ? 1 : 2;
  if (rankA != rankB)
    return rankA - rankB;
  return std::strcmp(a, b);
}

int visitEntry(const char* name, int isDirectory, void* context) {
  NameSearch& search = *static_cast<NameSearch*>(context);
  if (std::strlen(name) >= SYSTEM_NAME_SIZE || !nameMatches(search, name))
    return 0;
  int slot = search.found;
  while (slot > 0 && entryOrder(name, search.first[slot - 1].name) < 0)
    slot--;
  if (slot >= 2)
    return 0;
  if (slot == 0)
    search.first[1] = search.first[0];
  std::strcpy(search.first[slot].name, name);
  search.first[slot].isDirectory = isDirectory;
  if (search.found < 2)
    search.found++;
  return 0;
}

// A name without wildcards matches only the entry of that very name (the file system is
// case-sensitive), so a look at that entry gives what listing the directory would, without
// a stat of every entry: listing made each file of a large folder cost the whole folder.
int findExactName(const char** result, NameSearch* search, const char* utf8Path, const char* name) {
  size_t length = std::strlen(name);
  if (length >= SYSTEM_NAME_SIZE || !osEntryExists(utf8Path) || osIsDirectory(utf8Path))
    return -1;
  std::memcpy(search->first[0].name, name, length + 1);
  search->first[0].isDirectory = 0;
  search->found = 1;
  *result = search->first[0].name;
  return 0;
}

// The stored name of the entry utf8Path names (UTF-8, name only). 0, -1 or -2 as findname.
int findSystemName(const char** result, NameSearch* search, char* utf8Path) {
  char* slash = std::strrchr(utf8Path, '/');
  const char* namePart = slash != nullptr ? slash + 1 : utf8Path;
  if (namePart[0] != '\0' && std::strpbrk(namePart, "*?") == nullptr)
    return findExactName(result, search, utf8Path, namePart);
  const char* directory = utf8Path;
  char* name = utf8Path;
  if (slash == utf8Path) {
    directory = "/";
    name = slash + 1;
  } else if (slash != nullptr) {
    *slash = '\0';
    name = slash + 1;
  } else {
    directory = "";
  }
  if (name[0] == '\0')
    return -1;
  search->pattern = name;
  search->patternLength = std::strlen(name);
  search->wildcards = std::strpbrk(name, "*?") != nullptr ? 1 : 0;
  search->found = 0;
  if (osListDirectory(directory, visitEntry, search) != 0) {
    trace("findname: cannot list %s", directory[0] != '\0' ? directory : ".");
    return -1;
  }
  if (search->found == 0)
    return -1;
  const FoundEntry* match = &search->first[0];
  if (match->isDirectory) {
    if (search->found < 2)
      return -1;
    match = &search->first[1];
    if (match->isDirectory)
      return -2;
  }
  *result = match->name;
  return 0;
}

// The system path of an ANSI path whose components may be stored as their own Shift-JIS
// bytes: each such component is taken as those bytes when the converted name does not
// exist and the raw one does. Returns 1 with the path in out when some component was taken
// raw, else 0.
int rawComponentPath(char* out, size_t outSize, const char* ansiPath) {
  size_t len = 0;
  int taken = 0;
  const char* p = ansiPath;
  for (;;) {
    const char* end = p;
    while (*end != '\0' && !isSeparator(*end))
      end += charStep(end);
    char component[SYSTEM_PATH_SIZE];
    size_t n = static_cast<size_t>(end - p);
    if (n >= sizeof component || len + 3 * n + 2 > outSize)
      return 0;
    std::memcpy(component, p, n);
    component[n] = '\0';
    if (ansiPathToUtf8(out + len, outSize - len, component) != 0)
      return 0;
    if (isRawSjisName(component, n) && !osEntryExists(out)) {
      char converted[SYSTEM_PATH_SIZE];
      std::strcpy(converted, out + len);
      std::memcpy(out + len, component, n + 1);
      if (osEntryExists(out))
        taken = 1;
      else
        std::strcpy(out + len, converted);
    }
    len += std::strlen(out + len);
    if (*end == '\0')
      return taken;
    out[len++] = '/';
    out[len] = '\0';
    p = end + 1;
  }
}

} // namespace

int findname(char* out, const char* path) {
  out[0] = '\0';
#ifdef _WIN32
  return osFindNameAnsi(out, PATH_SIZE, path);
#endif
  char utf8Path[SYSTEM_PATH_SIZE];
  if (ansiPathToUtf8(utf8Path, sizeof utf8Path, path) != 0)
    return -1;
  NameSearch search;
  const char* name = nullptr;
  int result = findSystemName(&name, &search, utf8Path);
  if (result == -1 && rawComponentPath(utf8Path, sizeof utf8Path, path) != 0)
    result = findSystemName(&name, &search, utf8Path);
  if (result != 0)
    return result;
  utf8PathToAnsi(out, PATH_SIZE, name); // a name of at most 255 UTF-8 bytes always fits
  return 0;
}

int findnameW(char16_t* out, const char16_t* path) {
  out[0] = 0;
#ifdef _WIN32
  return osFindNameWide(out, PATH_SIZE, path);
#endif
  char utf8Path[SYSTEM_PATH_SIZE];
  if (widePathToUtf8(utf8Path, sizeof utf8Path, path) != 0)
    return -1;
  NameSearch search;
  const char* name = nullptr;
  int result = findSystemName(&name, &search, utf8Path);
  if (result != 0)
    return result;
  utf8PathToWide(out, PATH_SIZE, name);
  return 0;
}

// ---- Current directory ----

int getcurdir(char* out, size_t outSize) {
  char utf8Path[SYSTEM_PATH_SIZE];
  if (outSize == 0)
    return -1;
#ifdef _WIN32
  return osCurrentDirectoryAnsi(out, outSize);
#endif
  if (osCurrentDirectory(utf8Path, sizeof utf8Path) != 0 ||
      utf8PathToAnsi(out, outSize, utf8Path) != 0) {
    out[0] = '\0';
    return -1;
  }
  return 0;
}

int getcurdirW(char16_t* out, size_t outUnits) {
  char utf8Path[SYSTEM_PATH_SIZE];
  if (outUnits == 0)
    return -1;
#ifdef _WIN32
  return osCurrentDirectoryWide(out, outUnits);
#endif
  if (osCurrentDirectory(utf8Path, sizeof utf8Path) != 0 ||
      utf8PathToWide(out, outUnits, utf8Path) != 0) {
    out[0] = 0;
    return -1;
  }
  return 0;
}

// ---- Argument tables ----

namespace {

// The ANSI splitter stores a pair without looking at its second byte; the UTF-16 one has
// no pairs.
inline bool startsPair(const char* s) {
  return charStep(s) == 2;
}
inline bool startsPair(const char16_t*) {
  return false;
}

template <class C, class Table>
int splitCommandLine(Table* table, const C* line) {
  C* pool = table->pool;
  int used = 0;
  int count = 1;
  table->arg[0] = pool;
  int i = 0;
  while (i < ARG_LINE_LIMIT && (line[i] == ' ' || line[i] == '\t'))
    i++;
  bool quoted = false;
  // Every stored character consumes one of the line, so used <= i < ARG_LINE_LIMIT here
  // and the pool (ARG_POOL_SIZE) always has room for a pair and two terminators.
  while (used < ARG_POOL_FULL && i < ARG_LINE_LIMIT && line[i] != 0) {
    if (startsPair(line + i)) {
      pool[used++] = line[i++];
      pool[used++] = line[i++];
      continue;
    }
    C c = line[i++];
    if (c == '"') {
      quoted = !quoted;
    } else if (quoted || c != ' ') {
      pool[used++] = c;
    } else {
      if (count == ARG_MAX_COUNT || used >= ARG_SPLIT_LIMIT)
        break;
      pool[used++] = 0;
      while (i < ARG_LINE_LIMIT && line[i] == ' ')
        i++;
      table->arg[count++] = pool + used;
    }
  }
  pool[used++] = 0;
  // The program path followed by blanks only is a command line without arguments.
  if (count == 2 && table->arg[1][0] == 0)
    count = 1;
  table->used = used;
  table->arg[count] = pool + used;
  pool[used] = 0;
  table->count = count;
  return 0;
}

template <class C, class Table>
int appendArgument(Table* table, const C* text) {
  if (text == nullptr || text[0] == 0)
    return 0;
  int count = table->count;
  int used = table->used;
  if (count < 0 || count >= ARG_MAX_COUNT || used < 0 || used >= ARG_LINE_LIMIT)
    return 0;
  const C* from = text;
  bool quoted = from[0] == '"';
  if (quoted)
    from++;
  int limit = ARG_LINE_LIMIT - used;
  C* to = table->pool + used;
  int n = 0;
  while (n < limit && from[0] != 0 && !(quoted && from[0] == '"')) {
    if (startsPair(from)) {
      if (n + 2 > limit)
        break;
      to[n++] = *from++;
    }
    to[n++] = *from++;
  }
  if (n == 0)
    return 0; // "" or a lone quote: nothing to append
  to[n] = 0;
  used += n + 1;
  count++;
  table->arg[count] = table->pool + used;
  table->pool[used] = 0;
  table->count = count;
  table->used = used;
  return 0;
}

} // namespace

int getargs(ArgTable* table, const char* commandLine) {
  return splitCommandLine(table, commandLine);
}

int getargsW(ArgTableW* table, const char16_t* commandLine) {
  return splitCommandLine(table, commandLine);
}

namespace {

template <class Table>
void clearTable(Table* table) {
  table->count = 0;
  table->used = 0;
  table->pool[0] = 0;
  table->arg[0] = table->pool;
}

// Room in table for one more argument of length characters, its terminator and the empty
// free-place string after it.
template <class Table>
bool hasRoom(const Table* table, size_t length) {
  return table->count >= 0 && table->count < ARG_MAX_COUNT && table->used >= 0 &&
         length < ARG_POOL_FULL &&
         static_cast<size_t>(table->used) + length + 1 <= static_cast<size_t>(ARG_POOL_FULL);
}

template <class C, class Table>
void putArgument(Table* table, const C* text, size_t length) {
  C* to = table->pool + table->used;
  table->arg[table->count] = to;
  for (size_t i = 0; i < length; i++)
    to[i] = text[i];
  to[length] = 0;
  table->used += static_cast<int32_t>(length + 1);
  table->pool[table->used] = 0;
  table->arg[++table->count] = table->pool + table->used;
}

} // namespace

void clearargs(ArgTable* table, ArgTableW* tableW) {
  clearTable(table);
  clearTable(tableW);
}

int putargs(ArgTable* table, ArgTableW* tableW, const char* text, const char16_t* textW) {
  const size_t n = length(text);
  const size_t nW = length(textW);
  if (!hasRoom(table, n) || !hasRoom(tableW, nW))
    return -1;
  putArgument(table, text, n);
  putArgument(tableW, textW, nW);
  return 0;
}

int addarg(ArgTable* table, const char* text) {
  return appendArgument(table, text);
}

int addargW(ArgTableW* table, const char16_t* text) {
  return appendArgument(table, text);
}
