// A scratch directory under /tmp for tests that need real files, removed with everything
// in it when the object goes out of scope, and small helpers to write files and to form
// the program's two path forms of a name in it.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <ftw.h>
#include <string>
#include <unistd.h>

// Own namespace: other test files of the same program may have helpers of these names.
namespace text_scratch {

class TempDir {
public:
  TempDir() {
    char pattern[] = "/tmp/kt_text_XXXXXX";
    const char* made = mkdtemp(pattern);
    dir_ = made != nullptr ? made : "";
  }
  ~TempDir() {
    if (!dir_.empty())
      nftw(dir_.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  bool ok() const { return !dir_.empty(); }
  // UTF-8 path of name (a UTF-8 name) inside the directory.
  std::string path(const std::string& name) const { return dir_ + "/" + name; }
  // ANSI form: the directory (ASCII) with backslash separators, then sjisName as given.
  std::string ansi(const std::string& sjisName) const {
    std::string s = dir_ + "\\" + sjisName;
    for (char& c : s)
      if (c == '/')
        c = '\\';
    return s;
  }
  // UTF-16 form: the directory (ASCII) with backslash separators, then wideName.
  std::u16string wide(const std::u16string& wideName) const {
    std::u16string s;
    for (char c : dir_)
      s += c == '/' ? u'\\' : static_cast<char16_t>(c);
    return s + u"\\" + wideName;
  }
  // Writes bytes to the file name (UTF-8) and returns its UTF-8 path.
  std::string write(const std::string& name, const std::string& bytes) const {
    std::string p = path(name);
    FILE* f = std::fopen(p.c_str(), "wb");
    if (f != nullptr) {
      std::fwrite(bytes.data(), 1, bytes.size(), f);
      std::fclose(f);
    }
    return p;
  }

private:
  static int removeEntry(const char* p, const struct stat*, int, struct FTW*) {
    std::remove(p);
    return 0;
  }
  std::string dir_;
};

// The whole content of a file (UTF-8 path), or "<missing>".
inline std::string readAll(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr)
    return "<missing>";
  std::string s;
  int c;
  while ((c = std::fgetc(f)) != EOF)
    s += static_cast<char>(c);
  std::fclose(f);
  return s;
}

} // namespace text_scratch
