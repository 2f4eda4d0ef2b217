#include "app/startup.h"

#include <cstring>
#include <string>
#include <vector>

#include "app/state.h"
#include "os/os.h"
#include "text/encoding.h"
#include "text/pathconv.h"
#include "text/paths.h"
#include "text/strings.h"
#include "text/trace.h"
#include "text/userdirs.h"

namespace {

// Directory of argument 0 with its backslash, else the current directory plus one.
void settleProgramDirectory(StartupState& s) {
  s.programDirW[0] = 0;
  if (gArgTableW.count >= 1 && unilen(gArgTableW.arg[0]) < PATH_SIZE)
    getdirW(s.programDirW, gArgTableW.arg[0]);
  if (s.programDirW[0] == 0) {
    if (getcurdirW(s.programDirW, PATH_SIZE - 1) == 0)
      unicat(s.programDirW, u"\\");
    else
      trace("start-up: no program directory (UTF-16)\n");
  }
  s.programDir[0] = '\0';
  if (gArgTable.count >= 1) {
    const char* arg0 = gArgTable.arg[0];
    int length = 0;
    while (arg0[length] != '\0')
      ++length;
    if (length < PATH_SIZE)
      getdir(s.programDir, arg0);
  }
  if (s.programDir[0] == '\0') {
    if (getcurdir(s.programDir, PATH_SIZE - 1) == 0) {
      int length = 0;
      while (s.programDir[length] != '\0')
        ++length;
      s.programDir[length] = '\\';
      s.programDir[length + 1] = '\0';
    } else {
      trace("start-up: no program directory (ANSI)\n");
    }
  }
}

// The user's configuration and pictures folders; each is empty when it cannot be named.
void settleUserFolders(StartupState& s) {
  if (userConfigFolder(s.configDir, sizeof s.configDir, s.configDirW, PATH_SIZE) != 0) {
    s.configDir[0] = '\0';
    s.configDirW[0] = 0;
  }
  if (userPicturesFolder(s.picturesDir, sizeof s.picturesDir, s.picturesDirW, PATH_SIZE) != 0) {
    s.picturesDir[0] = '\0';
    s.picturesDirW[0] = 0;
  }
}

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// A decimal number at *p, moving past it; the value is kept in 8 bits.
int8_t parseNumber(const char** p) {
  unsigned value = 0;
  while (isDigit(**p)) {
    value = value * 10 + static_cast<unsigned>(**p - '0');
    ++*p;
  }
  return static_cast<int8_t>(value & 0xFF);
}

} // namespace

namespace {

// One argument in both path forms while it is put into the tables.
struct ArgumentForms {
  char ansi[ARG_POOL_SIZE];
  char16_t wide[ARG_POOL_SIZE];
  char executable[4096]; // PATH_MAX
};
ArgumentForms gArgumentForms;

} // namespace

#ifdef _WIN32
namespace {

// The command line split once in both forms, and main's vector made from it.
struct CommandLine {
  ArgTable ansi;
  ArgTableW wide;
  std::vector<std::string> text;
  std::vector<char*> argv;
};
CommandLine gCommandLine;

// The two forms of an element of main's vector: those of the split for an element that
// comes from it, also behind the "./" the console puts before a name that begins with '-';
// otherwise its text as UTF-16 and that in the ANSI code page.
bool elementForms(int k, const char* element, ArgumentForms& f) {
  const CommandLine& c = gCommandLine;
  if (k == 0)
    return osExecutablePathAnsi(f.ansi, sizeof f.ansi) == 0 &&
           osExecutablePathWide(f.wide, ARG_POOL_SIZE) == 0;
  const bool dotted = std::strncmp(element, "./", 2) == 0;
  for (size_t i = 1; i < c.text.size(); ++i) {
    const char* given = c.text[i].c_str();
    if (std::strcmp(element, given) != 0 && !(dotted && std::strcmp(element + 2, given) == 0))
      continue;
    const bool prefix = std::strcmp(element, given) != 0;
    f.ansi[0] = '\0';
    f.wide[0] = 0;
    if (prefix) {
      copyString(f.ansi, sizeof f.ansi, ".\\");
      unicpy(f.wide, u".\\");
    }
    const int index = static_cast<int>(i);
    appendString(f.ansi, sizeof f.ansi, index < c.ansi.count ? c.ansi.arg[index] : "");
    if (unilen(f.wide) + unilen(c.wide.arg[index]) + 1 >= ARG_POOL_SIZE)
      return false;
    unicat(f.wide, c.wide.arg[index]);
    return true;
  }
  // A path's own conversion: bounded by the pool, and surrogate pairs above U+FFFF.
  if (utf8PathToWide(f.wide, ARG_POOL_SIZE, element) != 0)
    return false;
  return osWideToAnsi(f.ansi, sizeof f.ansi, f.wide) == 0;
}

} // namespace

int loadCommandLine(char*** argv) {
  CommandLine& c = gCommandLine;
  getargs(&c.ansi, osCommandLineAnsi());
  getargsW(&c.wide, osCommandLineWide());
  c.text.clear();
  for (int i = 0; i < c.wide.count; ++i) {
    std::string utf8(static_cast<size_t>(unilen(c.wide.arg[i])) * 3 + 1, '\0');
    struni2utf8(&utf8[0], c.wide.arg[i]);
    utf8.resize(std::strlen(utf8.c_str()));
    c.text.push_back(utf8);
  }
  if (c.text.empty())
    c.text.push_back("");
  c.argv.clear();
  for (std::string& t : c.text)
    c.argv.push_back(&t[0]);
  c.argv.push_back(nullptr);
  *argv = c.argv.data();
  return static_cast<int>(c.text.size());
}

#else
namespace {

// An element of main's vector in both forms, converted from UTF-8. Argument 0 is the
// program's own path, which locates the font and alias.ini beside it from any directory.
bool elementForms(int k, const char* element, ArgumentForms& f) {
  if (k == 0 && osExecutablePath(f.executable, sizeof f.executable) == 0)
    element = f.executable;
  return utf8PathToAnsi(f.ansi, sizeof f.ansi, element) == 0 &&
         utf8PathToWide(f.wide, ARG_POOL_SIZE, element) == 0;
}

} // namespace
#endif

int loadArguments(int argc, char** argv) {
  ArgumentForms& f = gArgumentForms;
  clearargs(&gArgTable, &gArgTableW);
  int leftOut = 0;
  bool full = false;
  for (int k = 0; k < argc; ++k) {
    const char* element = argv[k] != nullptr ? argv[k] : "";
    // Once one argument does not fit, none after it is taken: argument i stays argv[i].
    if (!full)
      full = !elementForms(k, element, f) || putargs(&gArgTable, &gArgTableW, f.ansi, f.wide) != 0;
    // A left-out element that does not start with '-' is a file that goes unchecked.
    if (full && k > 0 && element[0] != '-') {
      trace("arguments: %s left out\n", element);
      ++leftOut;
    }
  }
  if (gArgTable.count == 0)
    putargs(&gArgTable, &gArgTableW, "", u"");
  return leftOut;
}
int argumentForms(const char* element, char* ansi, size_t ansiSize, char16_t* wide,
                  size_t wideUnits) {
  ArgumentForms& f = gArgumentForms;
  if (!elementForms(1, element, f) || std::strlen(f.ansi) >= ansiSize ||
      static_cast<size_t>(unilen(f.wide)) >= wideUnits)
    return -1;
  copyString(ansi, ansiSize, f.ansi);
  unicpy(wide, f.wide);
  return 0;
}

void startupEnvironment() {
  StartupState& s = gStartup;
  s.consoleOutputCodePage = osConsoleOutputCodePage();
  s.uiJapanese = 0;
  s.consoleSjis = 0;
  if (osUserLanguageId() == 1041) {
    s.uiJapanese = 0xFF;
    if (osIsDbcsLeadByte(0x92) && s.consoleOutputCodePage == 932)
      s.consoleSjis = 0xFF;
  }
  setMessagesRaw(s.uiJapanese != 0 && s.consoleSjis != 0);
  settleProgramDirectory(s);
  settleUserFolders(s);
}

bool isOptionArgument(const char* arg) {
  return arg[0] == '-' || arg[0] == '/';
}

void parseOptions() {
  StartupState& s = gStartup;
  for (int i = 1; i < gArgTable.count && i < ARG_MAX_COUNT; ++i) {
    const char* p = gArgTable.arg[i];
    if (!isOptionArgument(p))
      continue;
    while (*p != '\0') {
      char c = *p;
      if (c == '-' || c == '/') {
        ++p;
      } else if (c == 'D' || c == 'd') {
        ++p;
        if (*p == '=')
          ++p;
        s.displayLevel = isDigit(*p) ? parseNumber(&p) : 1;
      } else if ((c == 'N' || c == 'n') && (p[1] == 'D' || p[1] == 'd')) {
        p += 2;
        if (*p == '=')
          ++p;
        s.noDialogLevel = isDigit(*p) ? parseNumber(&p) : 1;
      } else if (c == 'N' || c == 'n') {
        ++p;
        if (*p == '=')
          ++p;
        parseNumber(&p);
      } else {
        trace("option error at '%c'\n", c);
        ++p;
      }
    }
  }
}
