#include "text/userdirs.h"

#include <cstdio>
#include <cstring>

#include "os/os.h"
#include "text/pathconv.h"

namespace {

constexpr size_t SYSTEM_PATH_SIZE = 4096; // PATH_MAX

// Joins head and tail with one '/' into out. Returns 0, or -1 when it does not fit.
int joinPath(char* out, const char* head, const char* tail) {
  const size_t headLength = std::strlen(head);
  const size_t tailLength = std::strlen(tail);
  const bool slash = headLength > 0 && head[headLength - 1] == '/';
  if (headLength + tailLength + 2 > SYSTEM_PATH_SIZE)
    return -1;
  std::memcpy(out, head, headLength);
  size_t n = headLength;
  if (!slash)
    out[n++] = '/';
  std::memcpy(out + n, tail, tailLength + 1);
  return 0;
}

// An absolute folder from the environment, else $HOME joined with fallback.
int folderFromEnv(char* out, const char* variable, const char* fallback) {
  const char* value = osGetEnv(variable);
  if (value != nullptr && value[0] == '/')
    return joinPath(out, value, "");
  const char* home = osGetEnv("HOME");
  if (home == nullptr || home[0] != '/')
    return -1;
  return joinPath(out, home, fallback);
}

// The XDG_PICTURES_DIR line of user-dirs.dirs: XDG_PICTURES_DIR="$HOME/Bilder" or an
// absolute path in quotes. Returns 0 with the folder in out, or -1.
int picturesFromUserDirs(char* out) {
  char configHome[SYSTEM_PATH_SIZE];
  char file[SYSTEM_PATH_SIZE];
  if (folderFromEnv(configHome, "XDG_CONFIG_HOME", ".config") != 0 ||
      joinPath(file, configHome, "user-dirs.dirs") != 0)
    return -1;
  std::FILE* f = osFopen(file, "r");
  if (f == nullptr)
    return -1;
  const char key[] = "XDG_PICTURES_DIR=\"";
  char line[SYSTEM_PATH_SIZE];
  int result = -1;
  while (result != 0 && std::fgets(line, sizeof line, f) != nullptr) {
    const char* p = line;
    while (*p == ' ' || *p == '\t')
      ++p;
    if (std::strncmp(p, key, sizeof key - 1) != 0)
      continue;
    p += sizeof key - 1;
    const char* end = std::strchr(p, '"');
    if (end == nullptr)
      continue;
    char value[SYSTEM_PATH_SIZE];
    std::memcpy(value, p, static_cast<size_t>(end - p));
    value[end - p] = '\0';
    const char* home = osGetEnv("HOME");
    if (std::strncmp(value, "$HOME", 5) == 0 && (value[5] == '/' || value[5] == '\0')) {
      if (home != nullptr && home[0] == '/')
        result = joinPath(out, home, value[5] == '/' ? value + 6 : "");
    } else if (value[0] == '/') {
      result = joinPath(out, value, "");
    }
  }
  std::fclose(f);
  return result;
}

// The folder in both path forms, ending in a backslash.
int toPathForms(const char* utf8Folder, char* ansi, size_t ansiSize, char16_t* wide,
                size_t wideUnits) {
  if (utf8PathToAnsi(ansi, ansiSize, utf8Folder) != 0 ||
      utf8PathToWide(wide, wideUnits, utf8Folder) != 0)
    return -1;
  const size_t a = std::strlen(ansi);
  size_t w = 0;
  while (wide[w] != 0)
    ++w;
  if (a + 1 >= ansiSize || w + 1 >= wideUnits)
    return -1;
  if (a == 0 || ansi[a - 1] != '\\') {
    ansi[a] = '\\';
    ansi[a + 1] = '\0';
  }
  if (w == 0 || wide[w - 1] != u'\\') {
    wide[w] = u'\\';
    wide[w + 1] = 0;
  }
  return 0;
}

} // namespace

int userConfigFolder(char* ansi, size_t ansiSize, char16_t* wide, size_t wideUnits) {
#ifdef _WIN32
  // Windows keeps alias.ini beside the program only.
  (void)ansi, (void)ansiSize, (void)wide, (void)wideUnits;
  return -1;
#endif
  char home[SYSTEM_PATH_SIZE];
  char folder[SYSTEM_PATH_SIZE];
  if (folderFromEnv(home, "XDG_CONFIG_HOME", ".config") != 0 ||
      joinPath(folder, home, "kinetrace") != 0)
    return -1;
  return toPathForms(folder, ansi, ansiSize, wide, wideUnits);
}

int userPicturesFolder(char* ansi, size_t ansiSize, char16_t* wide, size_t wideUnits) {
#ifdef _WIN32
  // Windows keeps the captures beside the program only.
  (void)ansi, (void)ansiSize, (void)wide, (void)wideUnits;
  return -1;
#endif
  char pictures[SYSTEM_PATH_SIZE];
  char folder[SYSTEM_PATH_SIZE];
  const char* value = osGetEnv("XDG_PICTURES_DIR");
  int found = -1;
  if (value != nullptr && value[0] == '/')
    found = joinPath(pictures, value, "");
  if (found != 0)
    found = picturesFromUserDirs(pictures);
  if (found != 0)
    found = folderFromEnv(pictures, "XDG_PICTURES_DIR", "Pictures");
  if (found != 0 || joinPath(folder, pictures, "Kinetrace") != 0)
    return -1;
  return toPathForms(folder, ansi, ansiSize, wide, wideUnits);
}

int makefolder(const char* ansi, const char16_t* wide) {
  char path[SYSTEM_PATH_SIZE];
  const int converted = wide != nullptr && wide[0] != 0
                            ? widePathToUtf8(path, sizeof path, wide)
                            : ansiPathToUtf8(path, sizeof path, ansi != nullptr ? ansi : "");
  if (converted != 0 || path[0] == '\0')
    return -1;
  size_t length = std::strlen(path);
  while (length > 1 && path[length - 1] == '/')
    path[--length] = '\0';
  // Each parent first: "/a/b/c" makes "/a", "/a/b", then "/a/b/c".
  for (size_t i = 1; i <= length; ++i) {
    if (path[i] != '/' && path[i] != '\0')
      continue;
    const char kept = path[i];
    path[i] = '\0';
    const int made = osMakeDirectory(path);
    path[i] = kept;
    if (made != 0 && i == length)
      return -1;
  }
  return 0;
}
