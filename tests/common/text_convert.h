// Text in the forms tests write and compare it in, converted with the program's own
// tables: UTF-8 test literals as Shift-JIS, Shift-JIS results as UTF-8, ASCII as UTF-16,
// and a UTF-8 file path in the program's UTF-16 path form.
#pragma once

#include <string>
#include <vector>

#include "text/encoding.h"
#include "text/pathconv.h"

namespace test_text {

// The Shift-JIS form of a UTF-8 text (characters without a code are left out).
inline std::string sjis(const std::string& utf8) {
  std::vector<char> out(utf8.size() + 1);
  utf8ToSjisBounded(out.data(), out.size(), utf8.c_str());
  return out.data();
}

// The UTF-8 form of a Shift-JIS text.
inline std::string utf8Of(const std::string& sjisText) {
  std::vector<char> out(sjisText.size() * 3 + 1);
  sjisToUtf8Bounded(out.data(), out.size(), sjisText.c_str());
  return out.data();
}

// Each byte of text as the UTF-16 unit of the same value (ASCII test text).
inline std::u16string u16(const std::string& text) {
  std::u16string out;
  for (char c : text)
    out += static_cast<char16_t>(static_cast<unsigned char>(c));
  return out;
}

// The program's UTF-16 form of a UTF-8 file path, or "" when it has none.
inline std::u16string widePathOf(const std::string& utf8Path) {
  char16_t wide[1024];
  if (utf8PathToWide(wide, 1024, utf8Path.c_str()) != 0)
    return u"";
  return wide;
}

} // namespace test_text
