// The text tests' temporary folder: the shared one, with the program's two path forms of
// a name in it, and a whole-file reader.
#pragma once

#include <cstdio>
#include <string>

#include "common/tempdir.h"

// Own namespace: other test files of the same program may have helpers of these names.
namespace text_scratch {

// The shared temporary folder, plus the program's path forms of a name in it.
class TempDir : public test_files::TempDir {
public:
  // ANSI form: the folder (ASCII) with backslash separators, then sjisName as given.
  std::string ansi(const std::string& sjisName) const {
    std::string s = dir() + "\\" + sjisName;
    for (char& c : s)
      if (c == '/')
        c = '\\';
    return s;
  }
  // UTF-16 form: the folder (ASCII) with backslash separators, then wideName.
  std::u16string wide(const std::u16string& wideName) const {
    std::u16string s;
    for (char c : dir())
      s += c == '/' ? u'\\' : static_cast<char16_t>(c);
    return s + u"\\" + wideName;
  }
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
