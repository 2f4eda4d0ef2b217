#include "text/newfile.h"

#include <cerrno>
#include <cstdio>

#include "os/os.h"
#include "text/pathconv.h"
#include "text/trace.h"

NewFile gNewFile = {-1, 0, {}, {}, 0, 0};

namespace {

constexpr int TEMP_NAME_ATTEMPTS = 9999;
// Room for a converted path: PATH_MAX of Linux.
constexpr size_t UTF8_PATH_SIZE = 4096;

// The OS calls on a program path: the UTF-16 form as it is on Windows, its UTF-8 form on
// Linux. A path that does not convert fails with EINVAL.
#ifdef _WIN32
int createNew(const char16_t* path) {
  return osCreateNewWide(path);
}
int renameFile(const char16_t* from, const char16_t* to, int replace) {
  return osRenameFileWide(from, to, replace);
}
int removeFile(const char16_t* path) {
  return osRemoveFileWide(path);
}
void removeOnSignal(const char16_t* path) {
  osRemoveOnSignalWide(path);
}
#else
bool toUtf8(char* out, const char16_t* path) {
  if (widePathToUtf8(out, UTF8_PATH_SIZE, path) == 0)
    return true;
  errno = EINVAL;
  return false;
}
int createNew(const char16_t* path) {
  char utf8[UTF8_PATH_SIZE];
  return toUtf8(utf8, path) ? osCreateNew(utf8) : -1;
}
int renameFile(const char16_t* from, const char16_t* to, int replace) {
  char a[UTF8_PATH_SIZE];
  char b[UTF8_PATH_SIZE];
  return toUtf8(a, from) && toUtf8(b, to) ? osRenameFile(a, b, replace) : -1;
}
int removeFile(const char16_t* path) {
  char utf8[UTF8_PATH_SIZE];
  return toUtf8(utf8, path) ? osRemoveFile(utf8) : -1;
}
void removeOnSignal(const char16_t* path) {
  char utf8[UTF8_PATH_SIZE];
  osRemoveOnSignal(path != nullptr && toUtf8(utf8, path) ? utf8 : nullptr);
}
#endif

bool samePath(const char16_t* a, const char16_t* b) {
  while (*a != 0 && *a == *b) {
    ++a;
    ++b;
  }
  return *a == *b;
}

void fail(NewFile& f) {
  if (f.error == 0)
    f.error = errno != 0 ? errno : EIO;
}

} // namespace

int nfopen(const char16_t* targetW, int replace) {
  nfabandon();
  NewFile& f = gNewFile;
  f.error = 0;
  f.written = 0;
  f.replace = replace != 0 ? 1 : 0;
  if (unilen(targetW) >= PATH_SIZE) {
    f.error = ENAMETOOLONG;
    return -1;
  }
  unicpy(f.targetW, targetW);
  char16_t folder[PATH_SIZE];
  getdirW(folder, targetW);
  for (int n = 1; n <= TEMP_NAME_ATTEMPTS; ++n) {
    char name[32];
    std::snprintf(name, sizeof name, ".kinetrace-%d.tmp", n);
    if (catpathW(f.tempW, PATH_SIZE, folder, name) != 0) {
      f.error = ENAMETOOLONG;
      return -1;
    }
    if (samePath(f.tempW, f.targetW))
      continue; // a target of that very name
    errno = 0;
    f.handle = createNew(f.tempW);
    if (f.handle >= 0) {
      removeOnSignal(f.tempW);
      return 0;
    }
    if (errno != EEXIST)
      break;
  }
  fail(f);
  f.tempW[0] = 0;
  trace("newfile: no temporary file in the target's folder\n");
  return -1;
}

int nfwrite(const void* data, size_t size) {
  NewFile& f = gNewFile;
  if (f.handle < 0) {
    if (f.error == 0)
      f.error = EBADF;
    return -1;
  }
  const char* p = static_cast<const char*>(data);
  // A long in pieces: Windows writes at most 4 GB a call.
  constexpr size_t PIECE = 1 << 30;
  while (size > 0) {
    const size_t n = size < PIECE ? size : PIECE;
    errno = 0;
    if (osWrite(f.handle, p, static_cast<long>(n)) != static_cast<long>(n)) {
      fail(f);
      nfabandon();
      return -1;
    }
    f.written += static_cast<int64_t>(n);
    p += n;
    size -= n;
  }
  return 0;
}

int nfclose() {
  NewFile& f = gNewFile;
  if (f.handle < 0) {
    if (f.tempW[0] != 0)
      return 0; // closed already
    if (f.error == 0)
      f.error = EBADF;
    return -1;
  }
  errno = 0;
  if (osSyncFile(f.handle) != 0) {
    fail(f);
    nfabandon();
    return -1;
  }
  osClose(f.handle);
  f.handle = -1;
  return 0;
}

int nfcommit() {
  NewFile& f = gNewFile;
  if (nfclose() != 0)
    return -1;
  errno = 0;
  if (renameFile(f.tempW, f.targetW, f.replace) != 0) {
    fail(f);
    nfabandon();
    return -1;
  }
  removeOnSignal(nullptr);
  f.tempW[0] = 0;
  return 0;
}

void nfabandon() {
  NewFile& f = gNewFile;
  if (f.handle >= 0)
    osClose(f.handle);
  f.handle = -1;
  if (f.tempW[0] != 0) {
    removeFile(f.tempW);
    removeOnSignal(nullptr);
  }
  f.tempW[0] = 0;
}
