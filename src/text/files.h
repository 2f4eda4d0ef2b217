// The three single-instance file objects: the byte reader (rf...), the text reader
// (rf2...) and the byte writer (wf...), plus the lost-character test of ANSI paths.
//
// Each reader opens a file by its ANSI path (stream mode: a C stream with the reader's own
// 8 KB buffer) or by its UTF-16 path (handle mode: a descriptor read through the reader's
// own 8 KB buffer). Paths are converted to the file system's UTF-8 by text/pathconv.h.
// The byte reader serves single bytes from its read-ahead in both modes, through an inline
// fast path: a motion file is read a byte at a time, and a call per byte costs several
// times the reading itself.
// Reaching the end of a file, or any read error, closes the reader: the ended flag turns
// 0xFF and every further read returns -1 (or 0 bytes).
//
// Result codes: 0 success, -1 open failure; seeks -2 (failed), -4 (failed from the end),
// -5 (bad origin). Nothing is ever shown to the user; errors go to the trace.
//
// The readers open only regular files and character devices. Anything else is refused at
// open, before any byte is read and without waiting: a directory with errno EISDIR, a
// FIFO, socket or block device with errno OS_ERROR_NOT_REGULAR (a FIFO would otherwise
// wait for a writer, or deliver its bytes to the first open only). After any failed open
// errno says why.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "os/os.h"

constexpr int FILE_BUFFER_SIZE = 8192;

// The text of an open error: "not a regular file" for OS_ERROR_NOT_REGULAR (os/os.h), else
// strerror(error).
const char* fileErrorText(int error);

// A file a reader holds: a C stream (stream mode, ANSI path) or a descriptor (handle
// mode, UTF-16 path). Empty ({nullptr, -1}) while nothing is open.
struct OpenFile {
  FILE* stream; // the file in stream mode, else nullptr
  int handle;   // the file in handle mode, else -1
};

// ---- Byte reader ----

struct ByteReader {
  OpenFile file; // set by rfopen/rfopenW; emptied by rfclose
  // Read-ahead of both modes (stream mode fills it with fread); reset by every open and
  // by rfclose, emptied by rfbufrewind and the seeks.
  int32_t fill;                           // bytes held in buffer
  int32_t index;                          // next unread byte of buffer
  int64_t position;                       // bytes delivered since open, or the last seek
  uint8_t ended;                          // 0 while readable; 0xFF closed or at the end
  unsigned char buffer[FILE_BUFFER_SIZE]; // read-ahead
  char streamBuffer[FILE_BUFFER_SIZE];    // handed to the C stream by rfopen (setvbuf)
};
extern ByteReader gByteReader;

int rfopen(const char* ansiPath);      // 0, or -1
int rfopenW(const char16_t* widePath); // 0, or -1
int rftryopen(const char* ansiPath);   // as rfopen, without installing the buffer
int rftryopenW(const char16_t* widePath);
void rfclose(); // no effect when nothing is open
inline int rfeof() {
  return gByteReader.ended;
}
int64_t rftell();
intptr_t rfhandle();       // descriptor in handle mode, FILE* in stream mode
int rfgetcSlow();          // refill path of rfgetc; do not call directly
int32_t rfgetint32Slow();  // four rfgetc; do not call directly
int rfskipSlow(int count); // count rfgetc; do not call directly
int rfgetbytesSlow(unsigned char* destination, int count); // count rfgetc; do not call directly

// Next byte 0-255, or -1 once the file is exhausted (which closes the reader). rfclose
// empties the buffer, so a closed reader always takes the slow path.
inline int rfgetc() {
  ByteReader& r = gByteReader;
  if (r.index < r.fill) {
    r.position++;
    return r.buffer[r.index++];
  }
  return rfgetcSlow();
}

// Four rfgetc, little-endian; a byte past the end counts as 0xFF.
inline int32_t rfgetint32() {
  ByteReader& r = gByteReader;
  if (r.fill - r.index >= 4) {
    const unsigned char* p = r.buffer + r.index;
    r.index += 4;
    r.position += 4;
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                                static_cast<uint32_t>(p[2]) << 16 |
                                static_cast<uint32_t>(p[3]) << 24);
  }
  return rfgetint32Slow();
}

// The same four bytes as an IEEE single.
inline float rfgetfloat() {
  int32_t bits = rfgetint32();
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// Passes over count bytes exactly as count rfgetc calls would (the end closes the
// reader). Returns the bytes passed over.
inline int rfskip(int count) {
  ByteReader& r = gByteReader;
  if (count >= 0 && r.fill - r.index >= count) {
    r.index += count;
    r.position += count;
    return count;
  }
  return rfskipSlow(count);
}

// Takes count rfgetc into destination, a byte past the end stored as 0xFF (the low 8 bits
// of -1), so that a fixed-width field is taken in one copy. Returns the bytes delivered.
inline int rfgetbytes(unsigned char* destination, int count) {
  ByteReader& r = gByteReader;
  if (count >= 0 && r.fill - r.index >= count) {
    std::memcpy(destination, r.buffer + r.index, static_cast<size_t>(count));
    r.index += count;
    r.position += count;
    return count;
  }
  return rfgetbytesSlow(destination, count);
}
int rfread(void* destination, int count);   // bytes delivered; 0 when nothing is open
int rfbufrewind();                          // 0, or -2
int rfseek(int64_t offset);                 // 0, or -2
int rfseekfrom(int64_t offset, int origin); // 0, -2, -4 or -5

// ---- Text reader ----

int rf2open(const char* ansiPath);      // 0, or -1
int rf2openW(const char16_t* widePath); // 0, or -1
void rf2close();
int rf2eof();  // the at-end flag (0 or 0xFF)
int rf2peek(); // look-ahead byte, or -1
int rf2getc(); // next byte, or -1 (sets the at-end flag)
// Stores at most size - 2 bytes of the next line (stopping before CR, LF or 0x1A), writes
// two NUL bytes after them, then skips every CR, LF and 0x1A that follows. Returns the
// bytes stored; 0 (buffer untouched) when size is 2 or less.
int rf2getline(char* buffer, int size);
int rf2exists(const char* ansiPath); // 0 if it opens, else -1; closes the text reader
int rf2existsW(const char16_t* widePath);

// ---- Byte writer ----

int wfopen(const char* ansiPath);      // 0, or -1; creates or truncates
int wfopenW(const char16_t* widePath); // the same by UTF-16 path
int wfputc(int byte);                  // 0, or -1 (a failure closes the writer)
int wfputint16(int value);             // returns wfclosed()
int wfputint32(int32_t value);         // returns wfclosed()
// Closes the stream (flushing it). Returns -1 when that final flush failed, so a
// write lost in the buffer is not reported as success; 0 otherwise (also when closed).
int wfclose();
int wfclosed();   // 0 while open and healthy, else 0xFF
int32_t wftell(); // bytes written since open

// ---- Path tests ----

// 0 when the ANSI path holds no '?' outside a double-byte pair within its first 520
// bytes; -1 when it does, or when it has no terminator there.
int chkqmark(const char* ansiPath);

// What an ANSI path names, for writers that must not replace just anything: OS_ENTRY_NONE
// (also when the path does not convert), OS_ENTRY_REGULAR, OS_ENTRY_CHAR or OS_ENTRY_OTHER
// of os/os.h.
int chkfilekind(const char* ansiPath);
int chkfilekindW(const char16_t* widePath);
// 1 when the two paths name the same file (device and inode, links followed); 0
// otherwise, also when either is missing or does not convert.
int chksamefile(const char* ansiPathA, const char* ansiPathB);
int chksamefileW(const char* ansiPathA, const char16_t* widePathB);
// The same for paths in either form: each file by its UTF-16 form when that is given (not
// null), else by its ANSI form.
int chksameforms(const char* ansiPathA, const char16_t* widePathA, const char* ansiPathB,
                 const char16_t* widePathB);
