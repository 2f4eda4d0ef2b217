// A temporary folder under /tmp for tests that need real files, removed with everything in
// it when the object goes away, with helpers to write files into it, name them in the
// program's path forms, and read a whole file back.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ftw.h>
#include <initializer_list>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace test_files {

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
  FILE* f = std::fopen(path.c_str(), "rb");
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
    char pattern[] = "/tmp/kinetrace-test-XXXXXX";
    const char* made = mkdtemp(pattern);
    dir_ = made != nullptr ? made : "";
  }
  // Only the process that made the folder removes it: a death test's child that exits runs
  // the destructors of the folders it inherited, which the parent still uses.
  ~TempDir() {
    if (!dir_.empty() && getpid() == owner_)
      nftw(dir_.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  bool ok() const { return !dir_.empty(); }
  // The folder itself (UTF-8), and the UTF-8 path of name inside it.
  const std::string& path() const { return dir_; }
  const std::string& dir() const { return dir_; }
  std::string path(const std::string& name) const { return dir_ + "/" + name; }
  // The program's path forms of name in the folder (name's bytes or units as given),
  // every '/' a backslash.
  std::string ansi(const std::string& name) const { return ansiPathOf(path(name)); }
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
    FILE* f = std::fopen(full.c_str(), "wb");
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
  void file(const std::string& name) const { write(name, "", 0); }
  void folder(const std::string& name) const { mkdir(path(name).c_str(), 0700); }

private:
  static int removeEntry(const char* p, const struct stat*, int, struct FTW*) {
    std::remove(p);
    return 0;
  }
  std::string dir_;
  pid_t owner_ = getpid();
};

} // namespace test_files
