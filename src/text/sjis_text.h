// A Shift-JIS copy of one of the program's own texts. Sources are UTF-8; the report, the
// name tables and the message boxes speak Shift-JIS. The copy lives as long as the object:
//   resultAppend(SjisText("(OK): そのままで使用可能です. "));
#pragma once

#include "text/encoding.h"

struct SjisText {
  char text[512];
  explicit SjisText(const char* utf8) { utf8ToSjisBounded(text, sizeof text, utf8); }
  operator const char*() const { return text; }
};
