// ---- Index ----
// Byte reader: open/close, byte and block reads, seeks.
// Text reader: open/close, look-ahead, lines, open tests.
// Byte writer.
// Path tests.
//
// Windows opens a file by UTF-16 path without sharing (share mode 0) so that no other
// process can change it while it is read; Linux has no share modes, so handle mode simply
// opens the file read-only and nothing here emulates the lock.

#include "text/files.h"

#include <cstdlib>
#include <cstring>

#include "os/os.h"
#include "text/encoding.h"
#include "text/pathconv.h"
#include "text/trace.h"

const char* fileErrorText(int error) {
  return error == OS_ERROR_NOT_REGULAR ? "not a regular file" : std::strerror(error);
}

// The single-threaded program takes the stream's bytes without its lock.
#ifdef _WIN32
#define getc_unlocked _getc_nolock
#define putc_unlocked _putc_nolock
#endif

namespace {

// Room for a converted path: PATH_MAX of Linux.
constexpr size_t UTF8_PATH_SIZE = 4096;

constexpr int BYTE_LF = 0x0A;
constexpr int BYTE_CR = 0x0D;
constexpr int BYTE_SUB = 0x1A; // end-of-file mark of old text files

// Opens widePath when useWide is nonzero, else ansiPath, converted to the file system's
// UTF-8 first: as a C stream in mode, or as a read-only descriptor when mode is nullptr.
// Both members stay empty on failure.
OpenFile openPath(const char* ansiPath, const char16_t* widePath, int useWide, const char* mode) {
  OpenFile f = {nullptr, -1};
#ifdef _WIN32
  // Both forms are the system's own: each goes to its functions as it is.
  if (mode != nullptr)
    f.stream = useWide ? osFopenWide(widePath, mode) : osFopenAnsi(ansiPath, mode);
  else
    f.handle = osOpenReadWide(widePath);
  if (f.stream == nullptr && f.handle < 0)
    trace("files: cannot open the %s path\n", useWide ? "UTF-16" : "ANSI");
  return f;
#endif
  char utf8[UTF8_PATH_SIZE];
  int converted = useWide ? widePathToUtf8(utf8, sizeof utf8, widePath)
                          : ansiPathToUtf8(utf8, sizeof utf8, ansiPath);
  if (converted != 0) {
    trace("files: %s path does not convert\n", useWide ? "UTF-16" : "ANSI");
    return f;
  }
  if (mode != nullptr) {
    f.stream = osFopen(utf8, mode);
    if (f.stream == nullptr)
      trace("files: cannot open %s (%s)\n", utf8, mode);
  } else {
    f.handle = osOpenRead(utf8);
    if (f.handle < 0)
      trace("files: cannot open %s\n", utf8);
  }
  return f;
}

bool isOpen(const OpenFile& f) {
  return f.stream != nullptr || f.handle >= 0;
}

bool inStreamMode(const OpenFile& f) {
  return f.stream != nullptr;
}

// The readers' open: an ANSI path as a C stream ("rb"), a UTF-16 path as a descriptor.
OpenFile openRead(const char* ansiPath, const char16_t* widePath, int useWide) {
  return openPath(ansiPath, widePath, useWide, useWide ? nullptr : "rb");
}

// Closes whichever the record holds and empties it; no effect on an empty record.
void closeOpened(OpenFile* f) {
  if (f->stream != nullptr)
    std::fclose(f->stream);
  if (f->handle >= 0)
    osClose(f->handle);
  *f = {nullptr, -1};
}

} // namespace

// ---- Byte reader ----

ByteReader gByteReader = {
    {nullptr, -1}, // file
    0,             // fill
    0,             // index
    0,             // position
    0xFF,          // ended: nothing open
    {},            // buffer
    {},            // streamBuffer
};

namespace {

// The opens of the byte reader; installBuffer hands a stream the reader's buffer.
int rfopenPath(const char* ansiPath, const char16_t* widePath, int useWide, bool installBuffer) {
  rfclose();
  OpenFile f = openRead(ansiPath, widePath, useWide);
  if (!isOpen(f))
    return -1;
  if (installBuffer && f.stream != nullptr &&
      setvbuf(f.stream, gByteReader.streamBuffer, _IOFBF, sizeof gByteReader.streamBuffer) != 0) {
    trace("files: cannot install the read buffer\n");
    closeOpened(&f);
    return -1;
  }
  ByteReader& r = gByteReader;
  r.file = f;
  r.fill = 0;
  r.index = 0;
  r.position = 0;
  r.ended = 0;
  return 0;
}

} // namespace

int rfopen(const char* ansiPath) {
  return rfopenPath(ansiPath, nullptr, 0, true);
}

int rftryopen(const char* ansiPath) {
  return rfopenPath(ansiPath, nullptr, 0, false);
}

int rfopenW(const char16_t* widePath) {
  return rfopenPath(nullptr, widePath, 1, true);
}

int rftryopenW(const char16_t* widePath) {
  return rfopenW(widePath);
}

// Emptying the buffer matters: the inline rfgetc serves buffered bytes without looking at
// the ended flag.
void rfclose() {
  ByteReader& r = gByteReader;
  closeOpened(&r.file);
  r.fill = 0;
  r.index = 0;
  r.ended = 0xFF;
}

int64_t rftell() {
  return gByteReader.position;
}

intptr_t rfhandle() {
  const ByteReader& r = gByteReader;
  return inStreamMode(r.file) ? reinterpret_cast<intptr_t>(r.file.stream) : r.file.handle;
}

namespace {

// Fills the empty read-ahead: one block per 8 KB in both modes (in stream mode fread
// takes a request of the stream buffer's size straight from the file). A failed or empty
// read closes the reader, as getc's end-of-file result did. False when nothing came.
bool rfrefill() {
  ByteReader& r = gByteReader;
  long n;
  if (inStreamMode(r.file)) {
    n = static_cast<long>(std::fread(r.buffer, 1, FILE_BUFFER_SIZE, r.file.stream));
    if (n == 0 && std::ferror(r.file.stream))
      trace("files: read error\n");
  } else {
    n = osRead(r.file.handle, r.buffer, FILE_BUFFER_SIZE);
  }
  if (n <= 0) {
    rfclose();
    return false;
  }
  r.fill = static_cast<int32_t>(n);
  r.index = 0;
  return true;
}

} // namespace

int rfgetcSlow() {
  ByteReader& r = gByteReader;
  if (r.ended)
    return -1;
  if (r.index >= r.fill && !rfrefill())
    return -1;
  r.position++;
  return r.buffer[r.index++];
}

int32_t rfgetint32Slow() {
  uint32_t b0 = static_cast<uint32_t>(rfgetc()) & 0xFF;
  uint32_t b1 = static_cast<uint32_t>(rfgetc()) & 0xFF;
  uint32_t b2 = static_cast<uint32_t>(rfgetc()) & 0xFF;
  uint32_t b3 = static_cast<uint32_t>(rfgetc()) & 0xFF;
  return static_cast<int32_t>(b0 | b1 << 8 | b2 << 16 | b3 << 24);
}

// Takes what the read-ahead holds, refilling it until count bytes are passed or the file
// ends (which closes the reader, as the failing rfgetc would).
int rfskipSlow(int count) {
  ByteReader& r = gByteReader;
  int passed = 0;
  while (passed < count && !r.ended) {
    if (r.index >= r.fill && !rfrefill())
      break;
    int step = r.fill - r.index;
    if (step > count - passed)
      step = count - passed;
    r.index += step;
    r.position += step;
    passed += step;
  }
  return passed;
}

int rfgetbytesSlow(unsigned char* destination, int count) {
  int delivered = 0;
  for (int i = 0; i < count; ++i) {
    int c = rfgetc();
    destination[i] = static_cast<unsigned char>(c);
    if (c >= 0)
      ++delivered;
  }
  return delivered;
}

int rfread(void* destination, int count) {
  ByteReader& r = gByteReader;
  if (r.ended || destination == nullptr || count <= 0)
    return 0;
  unsigned char* out = static_cast<unsigned char*>(destination);
  int fromBuffer = r.fill - r.index;
  if (fromBuffer > count)
    fromBuffer = count;
  std::memcpy(out, r.buffer + r.index, static_cast<size_t>(fromBuffer));
  r.index += fromBuffer;
  r.position += fromBuffer;
  if (fromBuffer == count)
    return count;
  r.fill = 0;
  r.index = 0;
  int direct = 0;
  if (inStreamMode(r.file)) {
    size_t n =
        std::fread(out + fromBuffer, 1, static_cast<size_t>(count - fromBuffer), r.file.stream);
    direct = static_cast<int>(n);
    if (direct < count - fromBuffer)
      rfclose();
  } else {
    // The rest goes straight into the destination. read() may deliver less than asked
    // before the end (pipes, signals), so it is repeated until the request is met or the
    // file ends.
    while (fromBuffer + direct < count) {
      long n = osRead(r.file.handle, out + fromBuffer + direct, count - fromBuffer - direct);
      if (n < 0) {
        trace("files: read error\n");
        rfclose();
        break;
      }
      if (n == 0) {
        rfclose();
        break;
      }
      direct += static_cast<int>(n);
    }
  }
  r.position += direct;
  return fromBuffer + direct;
}

// Stream mode gives nothing back: its seeks drop the read-ahead themselves.
int rfbufrewind() {
  ByteReader& r = gByteReader;
  int32_t unread = r.fill - r.index;
  if (inStreamMode(r.file) || unread <= 0)
    return 0;
  if (osSeek(r.file.handle, -static_cast<int64_t>(unread), 1) < 0) {
    trace("files: cannot give back %d buffered bytes\n", unread);
    return -2;
  }
  r.fill = 0;
  r.index = 0;
  r.ended = 0;
  return 0;
}

int rfseek(int64_t offset) {
  return rfseekfrom(offset, 0);
}

int rfseekfrom(int64_t offset, int origin) {
  ByteReader& r = gByteReader;
  if (origin < 0 || origin > 2)
    return -5;
  int failure = origin == 2 ? -4 : -2;
  int64_t newPosition;
  if (inStreamMode(r.file)) {
    // The stream stands at the end of the read-ahead, so a seek from the current place
    // is made from the start to the logical position plus the offset.
    int64_t target = offset;
    int whence = origin;
    if (origin == 1) {
      target = r.position + offset;
      whence = 0;
    }
    if (fseeko(r.file.stream, static_cast<off_t>(target), whence) != 0) {
      trace("files: stream seek failed\n");
      return failure;
    }
    r.fill = 0;
    r.index = 0;
    newPosition = ftello(r.file.stream);
    if (newPosition < 0)
      return failure;
  } else {
    if (rfbufrewind() != 0)
      return -2;
    // A closed reader has no descriptor, so this fails too.
    newPosition = osSeek(r.file.handle, offset, origin);
    if (newPosition < 0) {
      trace("files: seek failed\n");
      return failure;
    }
  }
  r.position = newPosition;
  r.ended = 0;
  return 0;
}

// ---- Text reader ----

namespace {

struct TextReader {
  OpenFile file; // set by rf2open/rf2openW; emptied by rf2close
  // Handle-mode read-ahead; filled by the opens and by nextByte.
  int32_t fill;                           // bytes held in buffer
  int32_t index;                          // next unread byte of buffer
  int32_t lookahead;                      // next byte 0-255, -1 at the end or when closed
  uint8_t open;                           // 0xFF while a file is open
  uint8_t atEnd;                          // set by a read asked for at the end; cleared by opens
  uint8_t exitHook;                       // set once rf2close is registered with atexit
  unsigned char buffer[FILE_BUFFER_SIZE]; // handle-mode read-ahead
};

TextReader gTextReader = {
    {nullptr, -1}, 0, 0, -1, 0, 0xFF, 0, {},
};

// The byte after the look-ahead, or -1 at the end of the file (or on a read error).
int nextByte() {
  TextReader& t = gTextReader;
  if (!t.open)
    return -1;
  if (inStreamMode(t.file)) {
    int c = getc_unlocked(t.file.stream);
    return c == EOF ? -1 : c;
  }
  if (t.index >= t.fill) {
    long n = osRead(t.file.handle, t.buffer, FILE_BUFFER_SIZE);
    if (n <= 0) {
      t.fill = 0;
      t.index = 0;
      return -1;
    }
    t.fill = static_cast<int32_t>(n);
    t.index = 0;
  }
  return t.buffer[t.index++];
}

// The opens of the text reader. A file still open is closed first, so that no stream is
// lost.
int rf2openPath(const char* ansiPath, const char16_t* widePath, int useWide) {
  rf2close();
  OpenFile f = openRead(ansiPath, widePath, useWide);
  if (!isOpen(f))
    return -1;
  TextReader& t = gTextReader;
  t.file = f;
  t.fill = 0;
  t.index = 0;
  t.open = 0xFF;
  t.atEnd = 0;
  // In stream mode the read-ahead buffer is idle: lend it to the stream, so the runtime
  // allocates none. Without it the stream still works with a buffer of its own.
  if (f.stream != nullptr)
    setvbuf(f.stream, reinterpret_cast<char*>(t.buffer), _IOFBF, sizeof t.buffer);
  t.lookahead = nextByte();
  if (!t.exitHook) {
    std::atexit(rf2close);
    t.exitHook = 0xFF;
  }
  return 0;
}

// The open tests: the text reader is closed, the file opened and closed again.
int rf2existsPath(const char* ansiPath, const char16_t* widePath, int useWide) {
  rf2close();
  gTextReader.atEnd = 0;
  OpenFile f = openRead(ansiPath, widePath, useWide);
  if (!isOpen(f))
    return -1;
  closeOpened(&f);
  return 0;
}

bool isLineEnd(int c) {
  return c == BYTE_LF || c == BYTE_CR || c == BYTE_SUB;
}

} // namespace

int rf2open(const char* ansiPath) {
  return rf2openPath(ansiPath, nullptr, 0);
}

int rf2openW(const char16_t* widePath) {
  return rf2openPath(nullptr, widePath, 1);
}

void rf2close() {
  TextReader& t = gTextReader;
  if (!t.open)
    return;
  closeOpened(&t.file);
  t.fill = 0;
  t.index = 0;
  t.lookahead = -1;
  t.open = 0;
  t.atEnd = 0xFF;
}

int rf2eof() {
  return gTextReader.atEnd;
}

int rf2peek() {
  return gTextReader.lookahead;
}

int rf2getc() {
  TextReader& t = gTextReader;
  int c = t.lookahead;
  if (c < 0) {
    t.atEnd = 0xFF;
    return -1;
  }
  t.lookahead = nextByte();
  return c;
}

int rf2getline(char* buffer, int size) {
  if (buffer == nullptr || size <= 2)
    return 0;
  int stored = 0;
  while (stored < size - 2 && !isLineEnd(rf2peek())) {
    int c = rf2getc();
    if (c < 0)
      break;
    buffer[stored++] = static_cast<char>(c);
  }
  buffer[stored] = '\0';
  buffer[stored + 1] = '\0';
  while (isLineEnd(rf2peek()))
    rf2getc();
  return stored;
}

int rf2exists(const char* ansiPath) {
  return rf2existsPath(ansiPath, nullptr, 0);
}

int rf2existsW(const char16_t* widePath) {
  return rf2existsPath(nullptr, widePath, 1);
}

// ---- Byte writer ----

namespace {

struct ByteWriter {
  FILE* stream;                        // set by wfopen/wfopenW; cleared by wfclose or a failure
  int32_t count;                       // bytes written since open; reset by the opens
  uint8_t closed;                      // 0 while open and healthy; 0xFF otherwise
  char streamBuffer[FILE_BUFFER_SIZE]; // handed to the stream by the opens (setvbuf)
};

ByteWriter gByteWriter = {nullptr, 0, 0xFF, {}};

// Closes the stream; -1 when the final flush or the close failed.
int wfshut() {
  ByteWriter& w = gByteWriter;
  int result = 0;
  if (w.stream != nullptr && std::fclose(w.stream) != 0) {
    trace("files: flush on close failed\n");
    result = -1;
  }
  w.stream = nullptr;
  w.closed = 0xFF;
  return result;
}

int wfstart(FILE* f) {
  ByteWriter& w = gByteWriter;
  if (f == nullptr)
    return -1;
  if (setvbuf(f, w.streamBuffer, _IOFBF, sizeof w.streamBuffer) != 0) {
    trace("files: cannot install the write buffer\n");
    std::fclose(f);
    return -1;
  }
  w.stream = f;
  w.count = 0;
  w.closed = 0;
  return 0;
}

} // namespace

// An open writer is closed first: opening over it would lose its stream and its data.
int wfopen(const char* ansiPath) {
  wfshut();
  return wfstart(openPath(ansiPath, nullptr, 0, "wb").stream);
}

int wfopenW(const char16_t* widePath) {
  wfshut();
  return wfstart(openPath(nullptr, widePath, 1, "wb").stream);
}

int wfputc(int byte) {
  ByteWriter& w = gByteWriter;
  if (w.closed)
    return -1;
  if (putc_unlocked(byte & 0xFF, w.stream) == EOF) {
    trace("files: write failed\n");
    wfshut();
    return -1;
  }
  w.count++;
  return 0;
}

int wfputint16(int value) {
  wfputc(value & 0xFF);
  wfputc((value >> 8) & 0xFF);
  return wfclosed();
}

int wfputint32(int32_t value) {
  uint32_t v = static_cast<uint32_t>(value);
  wfputc(static_cast<int>(v & 0xFF));
  wfputc(static_cast<int>((v >> 8) & 0xFF));
  wfputc(static_cast<int>((v >> 16) & 0xFF));
  wfputc(static_cast<int>(v >> 24));
  return wfclosed();
}

int wfclose() {
  if (gByteWriter.closed)
    return 0;
  return wfshut();
}

int wfclosed() {
  return gByteWriter.closed;
}

int32_t wftell() {
  return gByteWriter.count;
}

// ---- Path test ----

// A NUL as the second byte of a pair also ends the walk: the terminator is never skipped.
int chkqmark(const char* ansiPath) {
  if (ansiPath == nullptr)
    return -1;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(ansiPath);
  constexpr int WALK_LIMIT = 520;
  for (int i = 0; i < WALK_LIMIT; i++) {
    if (p[i] == 0)
      return 0;
    if (issjislead(p[i])) {
      i++;
      if (i < WALK_LIMIT && p[i] == 0)
        return 0;
    } else if (p[i] == '?') {
      return -1;
    }
  }
  return -1;
}

int chkfilekind(const char* ansiPath) {
#ifdef _WIN32
  return ansiPath != nullptr ? osFileKindAnsi(ansiPath) : OS_ENTRY_NONE;
#endif
  char utf8[UTF8_PATH_SIZE];
  if (ansiPath == nullptr || ansiPathToUtf8(utf8, sizeof utf8, ansiPath) != 0)
    return OS_ENTRY_NONE;
  return osFileKind(utf8);
}

namespace {

// The UTF-8 path of a file in whichever form is given (the UTF-16 one when both are). False
// when neither is given or the path does not convert.
bool utf8PathOf(char* out, size_t outSize, const char* ansiPath, const char16_t* widePath) {
  if (widePath != nullptr)
    return widePathToUtf8(out, outSize, widePath) == 0;
  return ansiPath != nullptr && ansiPathToUtf8(out, outSize, ansiPath) == 0;
}

} // namespace

int chksameforms(const char* ansiPathA, const char16_t* widePathA, const char* ansiPathB,
                 const char16_t* widePathB) {
  if ((ansiPathA == nullptr && widePathA == nullptr) ||
      (ansiPathB == nullptr && widePathB == nullptr))
    return 0;
#ifdef _WIN32
  return osSameFileForms(ansiPathA, widePathA, ansiPathB, widePathB);
#endif
  char a[UTF8_PATH_SIZE];
  char b[UTF8_PATH_SIZE];
  if (!utf8PathOf(a, sizeof a, ansiPathA, widePathA) ||
      !utf8PathOf(b, sizeof b, ansiPathB, widePathB))
    return 0;
  return osSameFile(a, b);
}

int chkfilekindW(const char16_t* widePath) {
#ifdef _WIN32
  return widePath != nullptr ? osFileKindWide(widePath) : OS_ENTRY_NONE;
#endif
  char utf8[UTF8_PATH_SIZE];
  if (widePath == nullptr || widePathToUtf8(utf8, sizeof utf8, widePath) != 0)
    return OS_ENTRY_NONE;
  return osFileKind(utf8);
}

int chksamefile(const char* ansiPathA, const char* ansiPathB) {
  return chksameforms(ansiPathA, nullptr, ansiPathB, nullptr);
}

int chksamefileW(const char* ansiPathA, const char16_t* widePathB) {
  return chksameforms(ansiPathA, nullptr, nullptr, widePathB);
}
