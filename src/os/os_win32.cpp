// The OS layer on Windows. The handle mode's descriptors are C runtime descriptors
// over the Win32 handles (_open_osfhandle), so that the callers keep one integer type;
// reads, seeks and sizes still go to ReadFile, SetFilePointerEx and GetFileSizeEx.
#include "os/os.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <string>
#include <windows.h>

static_assert(sizeof(wchar_t) == sizeof(char16_t),
              "UTF-16 paths go to the W functions as they are");

namespace {

const wchar_t* wide(const char16_t* s) {
  return reinterpret_cast<const wchar_t*>(s);
}

// A UTF-8 path of the generic callers as UTF-16; empty when it does not convert.
std::wstring fromUtf8(const char* utf8) {
  int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, nullptr, 0);
  if (units <= 0)
    return std::wstring();
  std::wstring out(static_cast<size_t>(units), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, &out[0], units);
  out.resize(static_cast<size_t>(units - 1));
  return out;
}

std::wstring fromMode(const char* mode) {
  std::wstring out;
  for (; *mode != '\0'; ++mode)
    out.push_back(static_cast<wchar_t>(static_cast<unsigned char>(*mode)));
  return out;
}

// errno for the last Win32 error, as far as the Linux reasons have a twin.
int errnoOf(DWORD error) {
  switch (error) {
  case ERROR_FILE_NOT_FOUND:
  case ERROR_PATH_NOT_FOUND:
  case ERROR_INVALID_NAME:
  case ERROR_BAD_NETPATH:
  case ERROR_INVALID_DRIVE:
    return ENOENT;
  case ERROR_ACCESS_DENIED:
  case ERROR_SHARING_VIOLATION:
  case ERROR_LOCK_VIOLATION:
    return EACCES;
  case ERROR_FILENAME_EXCED_RANGE:
    return ENAMETOOLONG;
  case ERROR_NOT_ENOUGH_MEMORY:
  case ERROR_OUTOFMEMORY:
    return ENOMEM;
  case ERROR_TOO_MANY_OPEN_FILES:
    return EMFILE;
  default:
    return EIO;
  }
}

bool isDirectoryAttributes(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The C runtime opens a directory for reading on some versions and refuses it with EACCES
// on others; the readers say "Is a directory" on both systems.
bool refuseDirectory(DWORD attributes) {
  if (!isDirectoryAttributes(attributes))
    return false;
  errno = EISDIR;
  return true;
}

bool isReadMode(const char* mode) {
  return mode[0] == 'r' && std::strchr(mode, '+') == nullptr;
}

int kindOfHandle(HANDLE h) {
  if (h == INVALID_HANDLE_VALUE)
    return OS_ENTRY_NONE;
  BY_HANDLE_FILE_INFORMATION info;
  int kind = OS_ENTRY_OTHER;
  DWORD type = GetFileType(h);
  if (type == FILE_TYPE_CHAR)
    kind = OS_ENTRY_CHAR;
  else if (type == FILE_TYPE_DISK && GetFileInformationByHandle(h, &info) &&
           (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
    kind = OS_ENTRY_REGULAR;
  CloseHandle(h);
  return kind;
}

// A handle that only reads attributes; directories open too.
HANDLE probeWide(const wchar_t* path) {
  return CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

HANDLE probeAnsi(const char* path) {
  return CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

bool identityOf(HANDLE h, BY_HANDLE_FILE_INFORMATION* info) {
  if (h == INVALID_HANDLE_VALUE)
    return false;
  bool ok = GetFileInformationByHandle(h, info) != 0;
  CloseHandle(h);
  return ok;
}

int sameIdentity(HANDLE a, HANDLE b) {
  BY_HANDLE_FILE_INFORMATION ia, ib;
  bool okA = identityOf(a, &ia);
  bool okB = identityOf(b, &ib);
  if (!okA || !okB)
    return 0;
  return ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
                 ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow
             ? 1
             : 0;
}

HANDLE osHandle(int fd) {
  return reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

// Descriptor over a handle opened for reading; the handle is closed when that fails.
int descriptorOf(HANDLE h) {
  if (h == INVALID_HANDLE_VALUE) {
    errno = errnoOf(GetLastError());
    return -1;
  }
  int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_RDONLY | _O_BINARY);
  if (fd < 0) {
    CloseHandle(h);
    errno = EMFILE;
  }
  return fd;
}

} // namespace

// ---- Files by descriptor ----

int osOpenRead(const char* utf8Path) {
  std::wstring path = fromUtf8(utf8Path);
  return osOpenReadWide(reinterpret_cast<const char16_t*>(path.c_str()));
}

int osOpenReadWide(const char16_t* widePath) {
  if (refuseDirectory(GetFileAttributesW(wide(widePath))))
    return -1;
  return descriptorOf(CreateFileW(wide(widePath), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
}

long osRead(int fd, void* buffer, long count) {
  DWORD got = 0;
  if (!ReadFile(osHandle(fd), buffer, static_cast<DWORD>(count), &got, nullptr)) {
    // A pipe whose writer has gone reads as its end, as on Linux.
    if (GetLastError() == ERROR_BROKEN_PIPE)
      return 0;
    errno = errnoOf(GetLastError());
    return -1;
  }
  return static_cast<long>(got);
}

int64_t osSeek(int fd, int64_t offset, int origin) {
  LARGE_INTEGER distance, position;
  distance.QuadPart = offset;
  DWORD method = origin == 0 ? FILE_BEGIN : origin == 1 ? FILE_CURRENT : FILE_END;
  if (!SetFilePointerEx(osHandle(fd), distance, &position, method))
    return -1;
  return static_cast<int64_t>(position.QuadPart);
}

int64_t osFileSize(int fd) {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(osHandle(fd), &size))
    return -1;
  return static_cast<int64_t>(size.QuadPart);
}

void osClose(int fd) {
  if (fd >= 0)
    _close(fd);
}

// ---- Files by C stream ----

FILE* osFopen(const char* utf8Path, const char* mode) {
  std::wstring path = fromUtf8(utf8Path);
  return osFopenWide(reinterpret_cast<const char16_t*>(path.c_str()), mode);
}

FILE* osFopenAnsi(const char* ansiPath, const char* mode) {
  if (isReadMode(mode) && refuseDirectory(GetFileAttributesA(ansiPath)))
    return nullptr;
  return std::fopen(ansiPath, mode);
}

FILE* osFopenWide(const char16_t* widePath, const char* mode) {
  if (isReadMode(mode) && refuseDirectory(GetFileAttributesW(wide(widePath))))
    return nullptr;
  return _wfopen(wide(widePath), fromMode(mode).c_str());
}

// ---- New files ----

int osCreateNew(const char* utf8Path) {
  std::wstring path = fromUtf8(utf8Path);
  return osCreateNewWide(reinterpret_cast<const char16_t*>(path.c_str()));
}

int osCreateNewWide(const char16_t* widePath) {
  HANDLE h = CreateFileW(wide(widePath), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    errno = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? EEXIST : errnoOf(error);
    return -1;
  }
  int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY | _O_BINARY);
  if (fd < 0) {
    CloseHandle(h);
    errno = EMFILE;
  }
  return fd;
}

long osWrite(int fd, const void* data, long count) {
  const char* p = static_cast<const char*>(data);
  long done = 0;
  while (done < count) {
    DWORD wrote = 0;
    if (!WriteFile(osHandle(fd), p + done, static_cast<DWORD>(count - done), &wrote, nullptr)) {
      const DWORD error = GetLastError();
      errno = error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL ? ENOSPC : errnoOf(error);
      return -1;
    }
    if (wrote == 0) {
      errno = ENOSPC;
      return -1;
    }
    done += static_cast<long>(wrote);
  }
  return done;
}

int osSyncFile(int fd) {
  if (FlushFileBuffers(osHandle(fd)))
    return 0;
  errno = errnoOf(GetLastError());
  return -1;
}

int osRenameFile(const char* utf8From, const char* utf8To, int replace) {
  std::wstring from = fromUtf8(utf8From);
  std::wstring to = fromUtf8(utf8To);
  return osRenameFileWide(reinterpret_cast<const char16_t*>(from.c_str()),
                          reinterpret_cast<const char16_t*>(to.c_str()), replace);
}

int osRenameFileWide(const char16_t* wideFrom, const char16_t* wideTo, int replace) {
  const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
  if (MoveFileExW(wide(wideFrom), wide(wideTo), flags))
    return 0;
  const DWORD error = GetLastError();
  errno = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? EEXIST : errnoOf(error);
  return -1;
}

int osRemoveFile(const char* utf8Path) {
  std::wstring path = fromUtf8(utf8Path);
  return osRemoveFileWide(reinterpret_cast<const char16_t*>(path.c_str()));
}

int osRemoveFileWide(const char16_t* widePath) {
  if (DeleteFileW(wide(widePath)))
    return 0;
  errno = errnoOf(GetLastError());
  return -1;
}

namespace {

wchar_t gSignalRemoval[4096];
volatile LONG gSignalRemovalSet = 0;

// Ctrl+C, Ctrl+Break, the console's close button, logoff and shutdown end the process:
// the file goes first, then the default handling ends it.
BOOL WINAPI removeOnControl(DWORD) {
  if (gSignalRemovalSet)
    DeleteFileW(gSignalRemoval);
  return FALSE;
}

} // namespace

void osRemoveOnSignal(const char* utf8Path) {
  if (utf8Path == nullptr) {
    osRemoveOnSignalWide(nullptr);
    return;
  }
  std::wstring path = fromUtf8(utf8Path);
  osRemoveOnSignalWide(reinterpret_cast<const char16_t*>(path.c_str()));
}

void osRemoveOnSignalWide(const char16_t* widePath) {
  static bool installed = false;
  gSignalRemovalSet = 0;
  if (widePath == nullptr)
    return;
  size_t n = 0;
  while (widePath[n] != 0 && n + 1 < sizeof gSignalRemoval / sizeof gSignalRemoval[0]) {
    gSignalRemoval[n] = static_cast<wchar_t>(widePath[n]);
    ++n;
  }
  if (widePath[n] != 0)
    return;
  gSignalRemoval[n] = 0;
  gSignalRemovalSet = 1;
  if (!installed)
    installed = SetConsoleCtrlHandler(removeOnControl, TRUE) != 0;
}

// ---- File identity ----

int osFileKind(const char* utf8Path) {
  return kindOfHandle(probeWide(fromUtf8(utf8Path).c_str()));
}

int osFileKindAnsi(const char* ansiPath) {
  return kindOfHandle(probeAnsi(ansiPath));
}

int osFileKindWide(const char16_t* widePath) {
  return kindOfHandle(probeWide(wide(widePath)));
}

int osSameFile(const char* utf8PathA, const char* utf8PathB) {
  return sameIdentity(probeWide(fromUtf8(utf8PathA).c_str()),
                      probeWide(fromUtf8(utf8PathB).c_str()));
}

int osSameFileForms(const char* ansiA, const char16_t* wideA, const char* ansiB,
                    const char16_t* wideB) {
  HANDLE a = wideA != nullptr ? probeWide(wide(wideA)) : probeAnsi(ansiA);
  HANDLE b = wideB != nullptr ? probeWide(wide(wideB)) : probeAnsi(ansiB);
  return sameIdentity(a, b);
}

// ---- Directories ----

int osIsDirectory(const char* utf8Path) {
  return isDirectoryAttributes(GetFileAttributesW(fromUtf8(utf8Path).c_str())) ? 1 : 0;
}

int osEntryExists(const char* utf8Path) {
  return GetFileAttributesW(fromUtf8(utf8Path).c_str()) != INVALID_FILE_ATTRIBUTES ? 1 : 0;
}

int osListDirectory(const char* utf8Dir,
                    int (*visit)(const char* name, int isDirectory, void* context), void* context) {
  std::wstring pattern = fromUtf8(utf8Dir[0] != '\0' ? utf8Dir : ".");
  if (pattern.empty())
    return -1;
  if (pattern.back() != L'\\' && pattern.back() != L'/')
    pattern.push_back(L'\\');
  pattern.push_back(L'*');
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE)
    return -1;
  do {
    char name[MAX_PATH * 3];
    if (WideCharToMultiByte(CP_UTF8, 0, found.cFileName, -1, name, sizeof name, nullptr, nullptr) <=
        0)
      continue;
    if (visit(name, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0, context) != 0)
      break;
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return 0;
}

int osMakeDirectory(const char* utf8Path) {
  std::wstring path = fromUtf8(utf8Path);
  if (CreateDirectoryW(path.c_str(), nullptr))
    return 0;
  return isDirectoryAttributes(GetFileAttributesW(path.c_str())) ? 0 : -1;
}

int osCurrentDirectory(char* out, size_t size) {
  wchar_t path[MAX_PATH];
  DWORD n = GetCurrentDirectoryW(MAX_PATH, path);
  if (size == 0 || n == 0 || n >= MAX_PATH ||
      WideCharToMultiByte(CP_UTF8, 0, path, -1, out, static_cast<int>(size), nullptr, nullptr) <= 0)
    return -1;
  return 0;
}

int osCurrentDirectoryAnsi(char* out, size_t size) {
  if (size == 0)
    return -1;
  DWORD n = GetCurrentDirectoryA(static_cast<DWORD>(size), out);
  if (n == 0 || n >= size) {
    out[0] = '\0';
    return -1;
  }
  return 0;
}

int osCurrentDirectoryWide(char16_t* out, size_t units) {
  if (units == 0)
    return -1;
  DWORD n = GetCurrentDirectoryW(static_cast<DWORD>(units), reinterpret_cast<wchar_t*>(out));
  if (n == 0 || n >= units) {
    out[0] = 0;
    return -1;
  }
  return 0;
}

namespace {

// The search of findname: the first match, or the second when the first is a directory.
template <typename Data, typename Char>
int findName(HANDLE search, Data& found, BOOL (*next)(HANDLE, Data*), Char* out, size_t outSize,
             size_t (*length)(const Char*)) {
  if (search == INVALID_HANDLE_VALUE)
    return -1;
  int result = 0;
  if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    if (!next(search, &found))
      result = -1;
    else if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
      result = -2;
  }
  FindClose(search);
  if (result != 0)
    return result;
  size_t n = length(reinterpret_cast<const Char*>(found.cFileName));
  if (n >= outSize)
    return -1;
  std::memcpy(out, found.cFileName, (n + 1) * sizeof(Char));
  return 0;
}

BOOL nextAnsi(HANDLE h, WIN32_FIND_DATAA* d) {
  return FindNextFileA(h, d);
}
BOOL nextWide(HANDLE h, WIN32_FIND_DATAW* d) {
  return FindNextFileW(h, d);
}
size_t lengthAnsi(const char* s) {
  return std::strlen(s);
}
size_t lengthWide(const char16_t* s) {
  size_t n = 0;
  while (s[n] != 0)
    ++n;
  return n;
}

} // namespace

int osFindNameAnsi(char* out, size_t outSize, const char* ansiPath) {
  out[0] = '\0';
  WIN32_FIND_DATAA found;
  return findName<WIN32_FIND_DATAA, char>(FindFirstFileA(ansiPath, &found), found, nextAnsi, out,
                                          outSize, lengthAnsi);
}

int osFindNameWide(char16_t* out, size_t outUnits, const char16_t* widePath) {
  out[0] = 0;
  WIN32_FIND_DATAW found;
  return findName<WIN32_FIND_DATAW, char16_t>(FindFirstFileW(wide(widePath), &found), found,
                                              nextWide, out, outUnits, lengthWide);
}

// ---- Process ----

const char* osGetEnv(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && value[0] != '\0' ? value : nullptr;
}

int osExecutablePath(char* out, size_t size) {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (size == 0 || n == 0 || n >= MAX_PATH ||
      WideCharToMultiByte(CP_UTF8, 0, path, -1, out, static_cast<int>(size), nullptr, nullptr) <=
          0) {
    if (size != 0)
      out[0] = '\0';
    return -1;
  }
  return 0;
}

int osExecutablePathAnsi(char* out, size_t size) {
  DWORD n = size != 0 ? GetModuleFileNameA(nullptr, out, static_cast<DWORD>(size)) : 0;
  if (n == 0 || n >= size) {
    if (size != 0)
      out[0] = '\0';
    return -1;
  }
  return 0;
}

int osExecutablePathWide(char16_t* out, size_t units) {
  DWORD n = units != 0 ? GetModuleFileNameW(nullptr, reinterpret_cast<wchar_t*>(out),
                                            static_cast<DWORD>(units))
                       : 0;
  if (n == 0 || n >= units) {
    if (units != 0)
      out[0] = 0;
    return -1;
  }
  return 0;
}

const char* osCommandLineAnsi() {
  return GetCommandLineA();
}

const char16_t* osCommandLineWide() {
  return reinterpret_cast<const char16_t*>(GetCommandLineW());
}

void* osModuleSymbol(const char* utf8Path, const char* symbol, char* error, size_t errorSize) {
  // A module is loaded once and stays for the process's life, as its windows may.
  HMODULE module = LoadLibraryW(fromUtf8(utf8Path).c_str());
  FARPROC address = module != nullptr ? GetProcAddress(module, symbol) : nullptr;
  if (address == nullptr) {
    std::snprintf(error, errorSize, "%s: %s", utf8Path,
                  module == nullptr ? "not loadable" : "no such entry");
    return nullptr;
  }
  return reinterpret_cast<void*>(address);
}

void osSleepMs(int milliseconds) {
  if (milliseconds > 0)
    Sleep(static_cast<DWORD>(milliseconds));
}

void osFlushConsoleInput() {
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  DWORD mode;
  if (input != nullptr && input != INVALID_HANDLE_VALUE && GetConsoleMode(input, &mode))
    FlushConsoleInputBuffer(input);
}

// ---- Language and code pages ----

int osIsDbcsLeadByte(unsigned char b) {
  return IsDBCSLeadByte(b) ? 1 : 0;
}

int osUserLanguageId() {
  return static_cast<int>(GetUserDefaultLangID());
}

unsigned osConsoleOutputCodePage() {
  return GetConsoleOutputCP();
}

int osWideToAnsi(char* out, size_t size, const char16_t* text) {
  if (size == 0)
    return -1;
  int n =
      WideCharToMultiByte(CP_ACP, 0, wide(text), -1, out, static_cast<int>(size), nullptr, nullptr);
  if (n <= 0) {
    out[0] = '\0';
    return -1;
  }
  return 0;
}

int osAnsiToWide(char16_t* out, size_t units, const char* text) {
  if (units == 0)
    return -1;
  int n = MultiByteToWideChar(CP_ACP, 0, text, -1, reinterpret_cast<wchar_t*>(out),
                              static_cast<int>(units));
  if (n <= 0) {
    out[0] = 0;
    return -1;
  }
  return 0;
}

// ---- Output ----

namespace {

// The console behind a standard stream, or nullptr when the stream goes elsewhere.
HANDLE consoleOf(int stream) {
  HANDLE h = GetStdHandle(stream == 2 ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
  DWORD mode;
  return h != nullptr && h != INVALID_HANDLE_VALUE && GetConsoleMode(h, &mode) ? h : nullptr;
}

// Bytes of an unfinished UTF-8 character at the end of a write, per stream, prepended to
// the next one: the report's lines can be written in pieces.
struct PendingBytes {
  char bytes[4];
  size_t count;
};
PendingBytes gPending[3];

// Bytes at the end of text that begin a UTF-8 character not yet complete.
size_t unfinishedTail(const char* text, size_t size) {
  size_t back = 0;
  while (back < size && back < 3 &&
         (static_cast<unsigned char>(text[size - 1 - back]) & 0xC0) == 0x80)
    ++back;
  if (back == size)
    return 0;
  unsigned char lead = static_cast<unsigned char>(text[size - 1 - back]);
  size_t need = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  return need > back + 1 ? back + 1 : 0;
}

} // namespace

size_t osWriteText(int stream, const char* text, size_t size) {
  FILE* file = stream == 2 ? stderr : stdout;
  HANDLE console = consoleOf(stream);
  if (console == nullptr)
    return std::fwrite(text, 1, size, file);
  std::fflush(file);
  PendingBytes& pending = gPending[stream == 2 ? 2 : 1];
  std::string whole(pending.bytes, pending.count);
  whole.append(text, size);
  size_t tail = unfinishedTail(whole.data(), whole.size());
  pending.count = tail;
  std::memcpy(pending.bytes, whole.data() + whole.size() - tail, tail);
  whole.resize(whole.size() - tail);
  if (whole.empty())
    return size;
  int units =
      MultiByteToWideChar(CP_UTF8, 0, whole.data(), static_cast<int>(whole.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(units > 0 ? units : 0), L'\0');
  if (units > 0)
    MultiByteToWideChar(CP_UTF8, 0, whole.data(), static_cast<int>(whole.size()), &out[0], units);
  size_t done = 0;
  while (done < out.size()) {
    DWORD written = 0;
    DWORD chunk = static_cast<DWORD>(out.size() - done > 16384 ? 16384 : out.size() - done);
    if (!WriteConsoleW(console, out.data() + done, chunk, &written, nullptr) || written == 0)
      return 0;
    done += written;
  }
  return size;
}

namespace {

// Standard output carries the same bytes as on Linux: no CR before each LF. A console
// that understands the terminal colours of --print is asked to show them.
struct StandardStreams {
  StandardStreams() {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    if (HANDLE console = consoleOf(1)) {
      DWORD mode;
      if (GetConsoleMode(console, &mode))
        SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
    }
  }
};
const StandardStreams gStandardStreams;

} // namespace
