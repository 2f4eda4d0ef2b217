#include "os/os.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

// ---- Files by descriptor ----

int osOpenRead(const char* utf8Path) {
  int fd;
  do {
    fd = ::open(utf8Path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0)
    return -1;
  struct stat st;
  int refusal = 0;
  if (::fstat(fd, &st) != 0)
    refusal = errno;
  else if (S_ISDIR(st.st_mode))
    refusal = EISDIR;
  else if (!S_ISREG(st.st_mode) && !S_ISCHR(st.st_mode))
    refusal = OS_ERROR_NOT_REGULAR;
  // A terminal or other device read without blocking would end at its first pause.
  if (refusal == 0) {
    int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
      refusal = errno;
  }
  if (refusal != 0) {
    ::close(fd);
    errno = refusal;
    return -1;
  }
  return fd;
}

long osRead(int fd, void* buffer, long count) {
  ssize_t n;
  do {
    n = ::read(fd, buffer, static_cast<size_t>(count));
  } while (n < 0 && errno == EINTR);
  return static_cast<long>(n);
}

int64_t osSeek(int fd, int64_t offset, int origin) {
  int whence = origin == 0 ? SEEK_SET : origin == 1 ? SEEK_CUR : SEEK_END;
  off_t r = ::lseek(fd, static_cast<off_t>(offset), whence);
  return r < 0 ? -1 : static_cast<int64_t>(r);
}

int64_t osFileSize(int fd) {
  struct stat st;
  if (::fstat(fd, &st) != 0)
    return -1;
  return static_cast<int64_t>(st.st_size);
}

void osClose(int fd) {
  if (fd >= 0)
    ::close(fd);
}

// ---- Files by C stream ----

FILE* osFopen(const char* utf8Path, const char* mode) {
  if (mode[0] != 'r' || std::strchr(mode, '+') != nullptr)
    return std::fopen(utf8Path, mode);
  int fd = osOpenRead(utf8Path);
  if (fd < 0)
    return nullptr;
  FILE* f = ::fdopen(fd, mode);
  if (f == nullptr) {
    int saved = errno;
    ::close(fd);
    errno = saved;
  }
  return f;
}

// ---- New files ----

int osCreateNew(const char* utf8Path) {
  int fd;
  do {
    fd = ::open(utf8Path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

long osWrite(int fd, const void* data, long count) {
  const char* p = static_cast<const char*>(data);
  long done = 0;
  while (done < count) {
    ssize_t n = ::write(fd, p + done, static_cast<size_t>(count - done));
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0) {
      if (n == 0)
        errno = ENOSPC;
      return -1;
    }
    done += n;
  }
  return done;
}

int osSyncFile(int fd) {
  while (::fsync(fd) != 0) {
    // A device or pipe cannot be synced, and has nothing to lose by that.
    if (errno == EINVAL || errno == EROFS)
      return 0;
    if (errno != EINTR)
      return -1;
  }
  return 0;
}

int osRenameFile(const char* utf8From, const char* utf8To, int replace) {
  if (replace)
    return ::rename(utf8From, utf8To);
  if (::renameat2(AT_FDCWD, utf8From, AT_FDCWD, utf8To, RENAME_NOREPLACE) == 0)
    return 0;
  // File systems without the flag: a link is refused when the name is taken, as the
  // rename should be.
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
    return -1;
  if (::link(utf8From, utf8To) != 0)
    return -1;
  ::unlink(utf8From);
  return 0;
}

int osRemoveFile(const char* utf8Path) {
  return ::unlink(utf8Path);
}

namespace {

// The file a fatal signal removes; the handler reads it, so it is a plain array.
char gSignalRemoval[4096];
volatile sig_atomic_t gSignalRemovalSet = 0;

void removeAndDie(int signal) {
  if (gSignalRemovalSet)
    ::unlink(gSignalRemoval);
  ::signal(signal, SIG_DFL);
  ::raise(signal);
}

} // namespace

void osRemoveOnSignal(const char* utf8Path) {
  static const int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
  static bool installed = false;
  gSignalRemovalSet = 0;
  if (utf8Path == nullptr || std::strlen(utf8Path) >= sizeof gSignalRemoval)
    return;
  std::strcpy(gSignalRemoval, utf8Path);
  gSignalRemovalSet = 1;
  if (installed)
    return;
  installed = true;
  // A file size limit (ulimit -f) then fails the write with EFBIG, as a full disk does,
  // instead of ending the process.
  struct sigaction old;
  if (::sigaction(SIGXFSZ, nullptr, &old) == 0 && old.sa_handler == SIG_DFL)
    ::signal(SIGXFSZ, SIG_IGN);
  for (int signal : kSignals) {
    struct sigaction old;
    // A signal the caller of the program ignores (nohup) stays ignored.
    if (::sigaction(signal, nullptr, &old) == 0 && old.sa_handler == SIG_IGN)
      continue;
    struct sigaction action = {};
    action.sa_handler = removeAndDie;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
  }
}

// ---- File identity ----

int osFileKind(const char* utf8Path) {
  struct stat st;
  if (::lstat(utf8Path, &st) != 0)
    return OS_ENTRY_NONE;
  if (::stat(utf8Path, &st) != 0)
    return OS_ENTRY_OTHER;
  if (S_ISREG(st.st_mode))
    return OS_ENTRY_REGULAR;
  return S_ISCHR(st.st_mode) ? OS_ENTRY_CHAR : OS_ENTRY_OTHER;
}

int osSameFile(const char* utf8PathA, const char* utf8PathB) {
  struct stat a, b;
  if (::stat(utf8PathA, &a) != 0 || ::stat(utf8PathB, &b) != 0)
    return 0;
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino ? 1 : 0;
}

// ---- Directories ----

int osIsDirectory(const char* utf8Path) {
  struct stat st;
  return ::stat(utf8Path, &st) == 0 && S_ISDIR(st.st_mode) ? 1 : 0;
}

int osEntryExists(const char* utf8Path) {
  struct stat st;
  return ::lstat(utf8Path, &st) == 0 ? 1 : 0;
}

int osListDirectory(const char* utf8Dir,
                    int (*visit)(const char* name, int isDirectory, void* context), void* context) {
  DIR* dir = ::opendir(utf8Dir[0] != '\0' ? utf8Dir : ".");
  if (dir == nullptr)
    return -1;
  int dirFd = ::dirfd(dir);
  while (struct dirent* entry = ::readdir(dir)) {
    struct stat st;
    int isDirectory = ::fstatat(dirFd, entry->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
    if (visit(entry->d_name, isDirectory, context) != 0)
      break;
  }
  ::closedir(dir);
  return 0;
}

int osMakeDirectory(const char* utf8Path) {
  if (::mkdir(utf8Path, 0777) == 0)
    return 0;
  return errno == EEXIST && osIsDirectory(utf8Path) ? 0 : -1;
}

int osCurrentDirectory(char* out, size_t size) {
  if (size == 0 || ::getcwd(out, size) == nullptr)
    return -1;
  return 0;
}

// ---- Process ----

const char* osGetEnv(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && value[0] != '\0' ? value : nullptr;
}

int osExecutablePath(char* out, size_t size) {
  if (size == 0)
    return -1;
  ssize_t n = ::readlink("/proc/self/exe", out, size - 1);
  if (n <= 0 || static_cast<size_t>(n) >= size - 1) {
    out[0] = '\0';
    return -1;
  }
  out[n] = '\0';
  return 0;
}

void* osModuleSymbol(const char* utf8Path, const char* symbol, char* error, size_t errorSize) {
  auto fail = [&]() -> void* {
    const char* reason = dlerror();
    std::snprintf(error, errorSize, "%s", reason != nullptr ? reason : "not loadable");
    return nullptr;
  };
  // A module is loaded once and stays for the process's life, as its windows may.
  void* module = dlopen(utf8Path, RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr)
    return fail();
  void* address = dlsym(module, symbol);
  if (address == nullptr)
    return fail();
  return address;
}

void osSleepMs(int milliseconds) {
  if (milliseconds <= 0)
    return;
  struct timespec ts;
  ts.tv_sec = milliseconds / 1000;
  ts.tv_nsec = static_cast<long>(milliseconds % 1000) * 1000000L;
  while (::nanosleep(&ts, &ts) != 0 && errno == EINTR) {
  }
}

void osFlushConsoleInput() {
  if (::isatty(STDIN_FILENO))
    ::tcflush(STDIN_FILENO, TCIFLUSH);
}

// ---- Language and code pages ----

namespace {

// The locale name that decides messages: LC_ALL, then LC_MESSAGES, then LANG.
const char* messagesLocale() {
  const char* names[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
  for (const char* name : names) {
    const char* value = std::getenv(name);
    if (value != nullptr && value[0] != '\0')
      return value;
  }
  return "";
}

// The locale name that decides the character set: LC_ALL, then LC_CTYPE, then LANG.
const char* ctypeLocale() {
  const char* names[] = {"LC_ALL", "LC_CTYPE", "LANG"};
  for (const char* name : names) {
    const char* value = std::getenv(name);
    if (value != nullptr && value[0] != '\0')
      return value;
  }
  return "";
}

bool containsNoCase(const char* text, const char* word) {
  size_t n = std::strlen(word);
  for (; *text != '\0'; ++text) {
    if (strncasecmp(text, word, n) == 0)
      return true;
  }
  return false;
}

} // namespace

int osUserLanguageId() {
  const char* locale = messagesLocale();
  return std::strncmp(locale, "ja", 2) == 0 ? 1041 : 1033;
}

unsigned osConsoleOutputCodePage() {
  if (!::isatty(STDOUT_FILENO))
    return 0;
  const char* locale = ctypeLocale();
  if (containsNoCase(locale, "utf-8") || containsNoCase(locale, "utf8"))
    return 65001;
  if (containsNoCase(locale, "sjis") || containsNoCase(locale, "shift_jis") ||
      containsNoCase(locale, "shiftjis") || containsNoCase(locale, "cp932"))
    return 932;
  return 0;
}

// ---- Output ----

size_t osWriteText(int stream, const char* text, size_t size) {
  return std::fwrite(text, 1, size, stream == 2 ? stderr : stdout);
}
