// The OS layer on Linux: what its calls promise beyond the system's own (opens that refuse
// without waiting, entry kinds through links, the language and code page read from the
// locale variables).
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "common/tempdir.h"
#include "os/os.h"

namespace {

using test_files::TempDir;

// A folder with one of each kind of entry the layer tells apart.
struct Entries {
  TempDir d;
  Entries() {
    d.write("file", "abc");
    d.folder("folder");
    mkfifo(d.path("fifo").c_str(), 0600);
    symlink("file", d.path("link").c_str());
    symlink("missing", d.path("dangling").c_str());
  }
};

TEST(OsPosix, OpensAndKindsFollowLinksAndNeverWait) {
  Entries e;
  ASSERT_TRUE(e.d.ok());
  const struct {
    const char* name; // in the folder; an absolute path when it begins with '/'
    int kind;         // osFileKind
    int openErrno;    // 0 when osOpenRead opens it
    int exists;       // osEntryExists
  } cases[] = {
      {"file", OS_ENTRY_REGULAR, 0, 1},
      {"link", OS_ENTRY_REGULAR, 0, 1},
      {"/dev/null", OS_ENTRY_CHAR, 0, 1},
      {"folder", OS_ENTRY_OTHER, EISDIR, 1},
      {"fifo", OS_ENTRY_OTHER, OS_ERROR_NOT_REGULAR, 1}, // a FIFO without a writer
      {"dangling", OS_ENTRY_OTHER, ENOENT, 1},
      {"missing", OS_ENTRY_NONE, ENOENT, 0},
  };
  for (const auto& c : cases) {
    const std::string path = c.name[0] == '/' ? c.name : e.d.path(c.name);
    SCOPED_TRACE(c.name);
    EXPECT_EQ(osFileKind(path.c_str()), c.kind);
    EXPECT_EQ(osEntryExists(path.c_str()), c.exists);
    errno = 0;
    const int fd = osOpenRead(path.c_str());
    if (c.openErrno == 0) {
      ASSERT_GE(fd, 0);
      // Reads block again once the file is accepted.
      EXPECT_EQ(fcntl(fd, F_GETFL) & O_NONBLOCK, 0);
      osClose(fd);
    } else {
      EXPECT_EQ(fd, -1);
      EXPECT_EQ(errno, c.openErrno);
    }
    FILE* stream = osFopen(path.c_str(), "rb");
    EXPECT_EQ(stream != nullptr, c.openErrno == 0);
    if (stream != nullptr)
      std::fclose(stream);
  }
  EXPECT_EQ(osSameFile(e.d.path("link").c_str(), e.d.path("file").c_str()), 1);
  EXPECT_EQ(osSameFile(e.d.path("file").c_str(), e.d.path("folder").c_str()), 0);
  EXPECT_EQ(osSameFile(e.d.path("missing").c_str(), e.d.path("missing").c_str()), 0);
}

TEST(OsPosix, FoldersAreListedAndMadeOnce) {
  Entries e;
  ASSERT_TRUE(e.d.ok());
  std::vector<std::string> names;
  auto visit = [](const char* name, int isDirectory, void* context) {
    auto* list = static_cast<std::vector<std::string>*>(context);
    list->push_back(std::string(name) + (isDirectory ? "/" : ""));
    return list->size() >= 100 ? 1 : 0;
  };
  ASSERT_EQ(osListDirectory(e.d.path().c_str(), visit, &names), 0);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names,
            (std::vector<std::string>{"../", "./", "dangling", "fifo", "file", "folder/", "link"}));
  EXPECT_EQ(osListDirectory(e.d.path("missing").c_str(), visit, &names), -1);

  EXPECT_EQ(osMakeDirectory(e.d.path("made").c_str()), 0);
  EXPECT_EQ(osIsDirectory(e.d.path("made").c_str()), 1);
  EXPECT_EQ(osMakeDirectory(e.d.path("made").c_str()), 0);  // already there
  EXPECT_EQ(osMakeDirectory(e.d.path("file").c_str()), -1); // a file in the way
  EXPECT_EQ(osMakeDirectory(e.d.path("missing/sub").c_str()), -1);
}

TEST(OsPosix, AFatalSignalRemovesTheFileBeingWritten) {
  TempDir d;
  ASSERT_TRUE(d.ok());
  const struct {
    int signal;
    bool cleared; // the path was cleared again before the signal
    bool left;    // the file is still there afterwards
  } cases[] = {{SIGTERM, false, false}, {SIGINT, false, false}, {SIGTERM, true, true}};
  for (const auto& c : cases) {
    const std::string path = d.path("partial");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      const int fd = osCreateNew(path.c_str());
      osRemoveOnSignal(path.c_str());
      if (c.cleared)
        osRemoveOnSignal(nullptr);
      osWrite(fd, "half", 4);
      raise(c.signal);
      _exit(0); // not reached: the signal ends the child
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.signal) << c.signal;
    EXPECT_EQ(test_files::exists(path), c.left) << c.signal;
    unlink(path.c_str());
  }
  // A full disk is a failed write, not a short one taken for success.
  const int full = open("/dev/full", O_WRONLY);
  ASSERT_GE(full, 0);
  errno = 0;
  EXPECT_EQ(osWrite(full, "abc", 3), -1);
  EXPECT_EQ(errno, ENOSPC);
  close(full);
}

// Sets or clears the locale variables for one case and puts them back afterwards.
class LocaleVariables {
public:
  LocaleVariables(const char* all, const char* messages, const char* ctype, const char* lang) {
    const char* values[] = {all, messages, ctype, lang};
    for (int i = 0; i < 4; ++i) {
      const char* old = std::getenv(kNames[i]);
      saved_[i] = old != nullptr ? old : "";
      had_[i] = old != nullptr;
      if (values[i] != nullptr)
        setenv(kNames[i], values[i], 1);
      else
        unsetenv(kNames[i]);
    }
  }
  ~LocaleVariables() {
    for (int i = 0; i < 4; ++i) {
      if (had_[i])
        setenv(kNames[i], saved_[i].c_str(), 1);
      else
        unsetenv(kNames[i]);
    }
  }

private:
  static constexpr const char* kNames[4] = {"LC_ALL", "LC_MESSAGES", "LC_CTYPE", "LANG"};
  std::string saved_[4];
  bool had_[4];
};

TEST(OsPosix, LanguageComesFromTheFirstLocaleVariableSet) {
  const struct {
    const char *all, *messages, *lang;
    int languageId;
  } cases[] = {
      {"ja_JP.UTF-8", "C", "C", 1041},
      {"", "ja_JP.eucJP", "en_US.UTF-8", 1041}, // an empty variable counts as unset
      {nullptr, nullptr, "ja_JP.SJIS", 1041},
      {"C", "ja_JP.UTF-8", "ja_JP.UTF-8", 1033},
      {nullptr, nullptr, nullptr, 1033},
  };
  for (const auto& c : cases) {
    LocaleVariables set(c.all, c.messages, nullptr, c.lang);
    EXPECT_EQ(osUserLanguageId(), c.languageId) << (c.all ? c.all : "(unset)");
  }
  EXPECT_EQ(osGetEnv("KINETRACE_SURELY_UNSET"), nullptr);
  setenv("KINETRACE_EMPTY", "", 1);
  EXPECT_EQ(osGetEnv("KINETRACE_EMPTY"), nullptr);
  unsetenv("KINETRACE_EMPTY");
}

} // namespace
