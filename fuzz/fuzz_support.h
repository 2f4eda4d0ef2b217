// Helpers shared by the fuzz targets: a scratch folder for targets that read through real
// files, the program's two path forms of a scratch path, copies of the input into buffers
// of exactly the right size (so that AddressSanitizer sees a read or write one byte past
// them), and a tally of outcomes printed at exit when KT_FUZZ_STATS is set.
//
// A failed check calls fuzzFail, which prints the reason and aborts: libFuzzer then keeps
// the input as a crash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fuzz {

[[noreturn]] inline void fuzzFail(const char* what) {
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}

#define FUZZ_CHECK(condition)                                                                      \
  do {                                                                                             \
    if (!(condition))                                                                              \
      ::fuzz::fuzzFail(#condition);                                                                \
  } while (0)

// ---- Scratch folder ----

inline int removeEntry(const char* path, const struct stat*, int, struct FTW*) {
  return std::remove(path);
}

struct Scratch {
  std::string dir; // ASCII, without a trailing '/'
  Scratch() {
    // Memory-backed when possible: the motion and alias targets write a file per input.
    const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    if (const char* chosen = std::getenv("KT_FUZZ_SCRATCH"))
      base = chosen;
    // Named after the process, so that fuzz/run.sh can remove those of killed runs.
    std::string pattern =
        std::string(base) + "/kinetrace-fuzz-" + std::to_string(getpid()) + "-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()) == nullptr)
      fuzzFail("cannot make the scratch folder");
    dir = buffer.data();
  }
  ~Scratch() { nftw(dir.c_str(), removeEntry, 8, FTW_DEPTH | FTW_PHYS); }
};

inline const Scratch& scratch() {
  static Scratch s;
  return s;
}

// Writes data to name inside the scratch folder (replacing it); returns the UTF-8 path.
inline std::string writeScratch(const char* name, const uint8_t* data, size_t size) {
  std::string path = scratch().dir + "/" + name;
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0)
    fuzzFail("cannot write a scratch file");
  size_t done = 0;
  while (done < size) {
    ssize_t n = write(fd, data + done, size - done);
    if (n <= 0)
      fuzzFail("cannot write a scratch file");
    done += static_cast<size_t>(n);
  }
  close(fd);
  return path;
}

// The ANSI form of an ASCII path (backslash separators).
inline std::string ansiFormOf(const std::string& utf8Path) {
  std::string out = utf8Path;
  for (char& c : out) {
    if (c == '/')
      c = '\\';
  }
  return out;
}

// The UTF-16 form of an ASCII path (backslash separators).
inline std::u16string wideFormOf(const std::string& utf8Path) {
  std::u16string out;
  for (char c : utf8Path)
    out += static_cast<char16_t>(c == '/' ? '\\' : static_cast<unsigned char>(c));
  return out;
}

// ---- Exact-size buffers ----

// A NUL-terminated byte string of exactly size + 1 bytes on the heap.
struct ExactText {
  char* text;
  ExactText(const uint8_t* data, size_t size) {
    text = static_cast<char*>(std::malloc(size + 1));
    if (size != 0)
      std::memcpy(text, data, size);
    text[size] = '\0';
  }
  ~ExactText() { std::free(text); }
  ExactText(const ExactText&) = delete;
  ExactText& operator=(const ExactText&) = delete;
};

// A 0-terminated UTF-16 string of exactly units + 1 units on the heap, taking the bytes
// pairwise, low byte first (an odd last byte is dropped).
struct ExactWide {
  char16_t* text;
  size_t units;
  ExactWide(const uint8_t* data, size_t size) {
    units = size / 2;
    text = static_cast<char16_t*>(std::malloc((units + 1) * sizeof(char16_t)));
    for (size_t i = 0; i < units; ++i)
      text[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
    text[units] = 0;
  }
  ~ExactWide() { std::free(text); }
  ExactWide(const ExactWide&) = delete;
  ExactWide& operator=(const ExactWide&) = delete;
};

// A heap buffer of exactly count elements, filled with a marker so that a missing
// terminator shows.
template <class C>
struct ExactBuffer {
  C* data;
  size_t count;
  explicit ExactBuffer(size_t n) : count(n) {
    data = static_cast<C*>(std::malloc(n * sizeof(C))); // 0 bytes: any access is caught
    for (size_t i = 0; i < n; ++i)
      data[i] = static_cast<C>(0x5A);
  }
  ~ExactBuffer() { std::free(data); }
  ExactBuffer(const ExactBuffer&) = delete;
  ExactBuffer& operator=(const ExactBuffer&) = delete;
  // True when a terminator lies within the buffer.
  bool terminated() const {
    for (size_t i = 0; i < count; ++i) {
      if (data[i] == 0)
        return true;
    }
    return false;
  }
};

// ---- Outcome tally ----

struct Tally {
  const char* names[16];
  unsigned long counts[16];
  int used;
};

inline Tally& tally() {
  static Tally t{};
  return t;
}

inline void printTally() {
  const Tally& t = tally();
  std::fprintf(stderr, "outcomes:");
  for (int i = 0; i < t.used; ++i)
    std::fprintf(stderr, " %s=%lu", t.names[i], t.counts[i]);
  std::fprintf(stderr, "\n");
}

// Counts one outcome by name (a string literal); printed at exit with KT_FUZZ_STATS set.
inline void count(const char* name) {
  Tally& t = tally();
  static bool registered = false;
  if (!registered) {
    registered = true;
    if (std::getenv("KT_FUZZ_STATS") != nullptr)
      std::atexit(printTally);
  }
  for (int i = 0; i < t.used; ++i) {
    if (t.names[i] == name || std::strcmp(t.names[i], name) == 0) {
      t.counts[i]++;
      return;
    }
  }
  if (t.used < 16) {
    t.names[t.used] = name;
    t.counts[t.used++] = 1;
  }
}

} // namespace fuzz
