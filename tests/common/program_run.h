// Runs the built program (or a copy of it) as a child process with arguments and collects
// its exit status, standard output and standard error. Options: where standard output goes
// (a file, a pseudo-terminal, /dev/full), NO_COLOR and TERM, the working directory, and a
// deadline after which the child is killed. Needs KT_BINARY_DIR (set by tests/CMakeLists.txt).
// On Windows the child is started with CreateProcessW; there is no pseudo-terminal and no
// device that fails every write there, so kTerminalOutput and kFullDeviceOutput say
// whether those outputs can be had.
#pragma once

#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>
#include <vector>
#ifndef _WIN32
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "common/tempdir.h"

#ifndef _WIN32
extern char** environ;
#endif

namespace test_program {

#ifdef _WIN32
// The console program (kinetrace.com); kinetrace.exe is the same program for the desktop.
inline const std::string kProgramPath = KT_BINARY_DIR "/bin/kinetrace.com";
constexpr bool kTerminalOutput = false;
constexpr bool kFullDeviceOutput = false;
#else
inline const std::string kProgramPath = KT_BINARY_DIR "/bin/kinetrace";
constexpr bool kTerminalOutput = true;
constexpr bool kFullDeviceOutput = true;
#endif

struct Outcome {
  int status = -1; // exit status; 128 + signal when killed (137 for the deadline on Windows
                   // too); -1 when it could not run
  std::string out;
  std::string err;
};

enum Output { TO_FILE, TO_TERMINAL, TO_FULL_DEVICE };

struct RunOptions {
  Output output = TO_FILE;              // where standard output goes; a terminal's CR LF read as LF
  std::string program = kProgramPath;   // the program file to run
  const char* noColor = nullptr;        // NO_COLOR's value; nullptr: NO_COLOR removed
  const char* term = nullptr;           // TERM's value; nullptr: as inherited
  std::string directory;                // working directory; "": the test's own
  int deadlineSeconds = 0;              // above 0: killed when still running after this long
  std::vector<std::string> environment; // NAME=value to set, or NAME alone to remove
};

// The lines of text, without their line feeds (a final line feed ends the last line).
inline std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos)
      end = text.size();
    out.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return out;
}

// A copy of the built program in dir, executable; its path, or "" when it could not be made.
inline std::string copyProgramInto(const test_files::TempDir& dir) {
  const std::string bytes = test_files::readFile(kProgramPath);
  if (bytes.empty())
    return "";
#ifdef _WIN32
  const std::string copy = dir.write("kinetrace.com", bytes);
  return test_files::readFile(copy).size() == bytes.size() ? copy : "";
#else
  const std::string copy = dir.write("kinetrace", bytes);
  return chmod(copy.c_str(), 0755) == 0 ? copy : "";
#endif
}

#ifdef _WIN32

// In common/win32_support.cpp: CreateProcessW with standard output and error redirected
// to files, as the Linux runner does. Only TO_FILE; other outputs give status -1.
Outcome runProgram(const std::vector<std::string>& args, const RunOptions& options = {});

#else

namespace detail {

inline std::string readTerminal(int master) {
  std::string text;
  char buffer[4096];
  for (;;) {
    pollfd p = {master, POLLIN, 0};
    if (poll(&p, 1, 10000) <= 0)
      break;
    const ssize_t n = read(master, buffer, sizeof buffer);
    if (n <= 0)
      break; // EIO once the program has ended and closed the terminal
    for (ssize_t i = 0; i < n; ++i) {
      if (buffer[i] != '\r')
        text += buffer[i];
    }
  }
  return text;
}

// The child's wait status, after killing it at the deadline when one is set; -1 on failure.
inline int waitFor(pid_t pid, int deadlineSeconds) {
  int status = 0;
  if (deadlineSeconds <= 0)
    return waitpid(pid, &status, 0) == pid ? status : -1;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(deadlineSeconds);
  for (;;) {
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid)
      return status;
    if (done < 0 && errno != EINTR)
      return -1;
    if (std::chrono::steady_clock::now() >= end) {
      kill(pid, SIGKILL);
      return waitpid(pid, &status, 0) == pid ? status : -1;
    }
    usleep(10000);
  }
}

} // namespace detail

inline Outcome runProgram(const std::vector<std::string>& args, const RunOptions& options = {}) {
  static test_files::TempDir scratch;
  static int serial = 0;
  const std::string outPath = scratch.path("out" + std::to_string(++serial));
  const std::string errPath = scratch.path("err" + std::to_string(serial));

  std::vector<std::string> env;
  auto changed = [&options](const char* entry) {
    for (const std::string& e : options.environment) {
      const std::string name = e.substr(0, e.find('='));
      if (std::strncmp(entry, name.c_str(), name.size()) == 0 && entry[name.size()] == '=')
        return true;
    }
    return false;
  };
  for (const std::string& e : options.environment) {
    if (e.find('=') != std::string::npos)
      env.push_back(e);
  }
  for (char** e = environ; *e != nullptr; ++e) {
    if (changed(*e))
      continue;
    if (std::strncmp(*e, "NO_COLOR=", 9) != 0 &&
        (options.term == nullptr || std::strncmp(*e, "TERM=", 5) != 0))
      env.push_back(*e);
  }
  if (options.term != nullptr)
    env.push_back(std::string("TERM=") + options.term);
  if (options.noColor != nullptr)
    env.push_back(std::string("NO_COLOR=") + options.noColor);
  std::vector<char*> envp;
  for (std::string& e : env)
    envp.push_back(e.data());
  envp.push_back(nullptr);
  std::vector<std::string> argStrings = {options.program};
  argStrings.insert(argStrings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : argStrings)
    argv.push_back(a.data());
  argv.push_back(nullptr);

  int master = -1, slave = -1;
  if (options.output == TO_TERMINAL && openpty(&master, &slave, nullptr, nullptr, nullptr) != 0)
    return {};
  const pid_t pid = fork();
  if (pid < 0) {
    if (master >= 0) {
      close(master);
      close(slave);
    }
    return {};
  }
  if (pid == 0) {
    int out = options.output == TO_TERMINAL      ? slave
              : options.output == TO_FULL_DEVICE ? open("/dev/full", O_WRONLY)
                                                 : open(outPath.c_str(), O_WRONLY | O_CREAT, 0600);
    if (!options.directory.empty() && chdir(options.directory.c_str()) != 0)
      _exit(126);
    int err = open(errPath.c_str(), O_WRONLY | O_CREAT, 0600);
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    if (master >= 0)
      close(master);
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  Outcome result;
  if (options.output == TO_TERMINAL) {
    close(slave);
    result.out = detail::readTerminal(master);
    close(master);
  }
  const int status = detail::waitFor(pid, options.deadlineSeconds);
  if (status != -1)
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  if (options.output == TO_FILE)
    result.out = test_files::readFile(outPath);
  result.err = test_files::readFile(errPath);
  return result;
}

#endif

} // namespace test_program
