// The fixed Shift-JIS lead-byte test: a byte 0x80-0x9F or 0xE0-0xFC starts a double-byte
// character. Names, report texts and the program's own strings are cut and scanned by this
// test, whatever the system's code page (osIsDbcsLeadByte of os/os.h answers for that).
// A dependency-free inline, so that every folder can use it.
#pragma once

inline bool isSjisLeadByte(unsigned char b) {
  return (b >= 0x80 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
