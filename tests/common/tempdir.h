// A temporary folder under /tmp (on Windows, the user's temporary folder) for tests that
// need real files, removed with everything in it when the object goes away, with helpers
// to write files into it, name them in the program's path forms, and read a whole file
// back. Paths here are UTF-8 with '/' on both systems; on Windows they reach the system
// as UTF-16, so that names outside the ANSI code page work as on Linux.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>
#ifndef _WIN32
#include <dirent.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace test_files {

#ifdef _WIN32
// In common/win32_support.cpp, which keeps windows.h (and its macros, such as MB_OK) out
// of the tests.
FILE* openFile(const std::string& path, const char* mode);
int makeFolder(const std::string& path);
bool exists(const std::string& path);
std::vector<std::string> listFolder(const std::string& dir);
unsigned long currentProcess();
// A new folder in the user's temporary folder ("" when none could be made), and its
// removal with everything in it.
std::string makeTempFolder();
void removeTree(const std::string& dir);
#else
inline FILE* openFile(const std::string& path, const char* mode) {
  return std::fopen(path.c_str(), mode);
}
// Makes the folder. Returns 0, or -1 when it could not be made.
inline int makeFolder(const std::string& path) {
  return mkdir(path.c_str(), 0700);
}
// 1 when there is an entry at the path.
inline bool exists(const std::string& path) {
  struct stat s;
  return stat(path.c_str(), &s) == 0;
}
// The names of the entries of a folder other than "." and "..", sorted; empty when it
// cannot be listed.
inline std::vector<std::string> listFolder(const std::string& dir) {
  std::vector<std::string> names;
  DIR* d = opendir(dir.c_str());
  if (d == nullptr)
    return names;
  while (const dirent* entry = readdir(d)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..")
      names.push_back(name);
  }
  closedir(d);
  std::sort(names.begin(), names.end());
  return names;
}
inline pid_t currentProcess() {
  return getpid();
}
#endif

// The program's ANSI form of an ASCII path made by a test: every '/' a backslash.
inline std::string ansiPathOf(const std::string& path) {
  std::string out = path;
  for (char& c : out) {
    if (c == '/')
      c = '\\';
  }
  return out;
}

// The whole content of the file at path, or "" when it cannot be opened.
inline std::string readFile(const std::string& path) {
  std::string text;
  FILE* f = openFile(path, "rb");
  if (f == nullptr)
    return text;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
    text.append(buffer, n);
  std::fclose(f);
  return text;
}

class TempDir {
public:
  TempDir() {
#ifdef _WIN32
    dir_ = makeTempFolder();
#else
    char pattern[] = "/tmp/kinetrace-test-XXXXXX";
    const char* made = mkdtemp(pattern);
    dir_ = made != nullptr ? made : "";
#endif
  }
  // Only the process that made the folder removes it: a death test's child that exits runs
  // the destructors of the folders it inherited, which the parent still uses.
  ~TempDir() {
    if (dir_.empty() || currentProcess() != owner_)
      return;
#ifdef _WIN32
    removeTree(dir_);
#else
    nftw(dir_.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
#endif
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  bool ok() const {
    return !dir_.empty();
  }
  // The folder itself (UTF-8), and the UTF-8 path of name inside it.
  const std::string& path() const {
    return dir_;
  }
  const std::string& dir() const {
    return dir_;
  }
  std::string path(const std::string& name) const {
    return dir_ + "/" + name;
  }
  // The program's path forms of name in the folder (name's bytes or units as given),
  // every '/' a backslash.
  std::string ansi(const std::string& name) const {
    return ansiPathOf(path(name));
  }
  std::u16string wide(const std::u16string& name) const {
    std::u16string s;
    for (char c : dir_)
      s += static_cast<char16_t>(static_cast<unsigned char>(c));
    s += u'/' + name;
    for (char16_t& c : s) {
      if (c == u'/')
        c = u'\\';
    }
    return s;
  }

  // Writes bytes to name (UTF-8) in the folder and returns the file's UTF-8 path.
  std::string write(const std::string& name, const void* bytes, size_t count) const {
    std::string full = path(name);
    FILE* f = openFile(full, "wb");
    if (f != nullptr) {
      if (count != 0)
        std::fwrite(bytes, 1, count, f);
      std::fclose(f);
    }
    return full;
  }
  std::string write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    return write(name, bytes.data(), bytes.size());
  }
  std::string write(const std::string& name, const std::string& bytes) const {
    return write(name, bytes.data(), bytes.size());
  }
  std::string write(const std::string& name, std::initializer_list<uint8_t> bytes) const {
    return write(name, std::vector<uint8_t>(bytes));
  }
  // An empty file, and a folder.
  void file(const std::string& name) const {
    write(name, "", 0);
  }
  void folder(const std::string& name) const {
    makeFolder(path(name));
  }

private:
#ifndef _WIN32
  static int removeEntry(const char* p, const struct stat*, int, struct FTW*) {
    std::remove(p);
    return 0;
  }
#endif
  decltype(currentProcess()) owner_ = currentProcess();
  std::string dir_;
};

} // namespace test_files
