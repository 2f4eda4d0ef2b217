// The Windows side of the test helpers (common/tempdir.h, common/program_run.h): files by
// UTF-16 names, temporary folders, and child processes. Test paths are UTF-8 with '/'.
#include <windows.h>

#include <algorithm>
#include <cwchar>

#include "common/program_run.h"
#include "common/tempdir.h"

namespace {

std::wstring widen(const std::string& utf8) {
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

std::string narrow(const std::wstring& wide) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr,
                                    0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

// Read-only entries are made writable first: DeleteFile refuses them.
void removeWideTree(const std::wstring& dir) {
  WIN32_FIND_DATAW found;
  HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &found);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..")
        continue;
      const std::wstring full = dir + L"\\" + name;
      SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        removeWideTree(full);
      else
        DeleteFileW(full.c_str());
    } while (FindNextFileW(h, &found));
    FindClose(h);
  }
  RemoveDirectoryW(dir.c_str());
}

} // namespace

namespace test_files {

FILE* openFile(const std::string& path, const char* mode) {
  return _wfopen(widen(path).c_str(), widen(mode).c_str());
}

int makeFolder(const std::string& path) {
  return CreateDirectoryW(widen(path).c_str(), nullptr) ? 0 : -1;
}

bool exists(const std::string& path) {
  return GetFileAttributesW(widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> listFolder(const std::string& dir) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW found;
  HANDLE h = FindFirstFileW(widen(dir + "/*").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE)
    return names;
  do {
    const std::string name = narrow(found.cFileName);
    if (name != "." && name != "..")
      names.push_back(name);
  } while (FindNextFileW(h, &found));
  FindClose(h);
  std::sort(names.begin(), names.end());
  return names;
}

unsigned long currentProcess() {
  return GetCurrentProcessId();
}

std::string makeTempFolder() {
  wchar_t base[MAX_PATH + 1];
  const DWORD n = GetTempPathW(MAX_PATH + 1, base);
  if (n == 0 || n > MAX_PATH)
    return "";
  std::string prefix = narrow(std::wstring(base, n));
  std::replace(prefix.begin(), prefix.end(), '\\', '/');
  static unsigned serial = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string candidate = prefix + "kinetrace-test-" + std::to_string(currentProcess()) +
                                  "-" + std::to_string(++serial);
    if (makeFolder(candidate) == 0)
      return candidate;
  }
  return "";
}

void removeTree(const std::string& dir) {
  removeWideTree(widen(dir));
}

} // namespace test_files

namespace test_program {

namespace {

// One argument as the C runtime's command-line parser splits it back: quoted when it is
// empty or holds a blank or a quote; backslashes doubled where a quote follows them.
std::wstring quoted(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos)
    return arg;
  std::wstring out = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, L'\\');
  return out + L"\"";
}

bool sameName(const std::wstring& entry, const std::wstring& name) {
  return entry.size() > name.size() && entry[name.size()] == L'=' &&
         CompareStringOrdinal(entry.c_str(), static_cast<int>(name.size()), name.c_str(),
                              static_cast<int>(name.size()), TRUE) == CSTR_EQUAL;
}

HANDLE inheritable(const std::wstring& path, DWORD access, DWORD creation) {
  SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
  return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, creation,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

} // namespace

Outcome runProgram(const std::vector<std::string>& args, const RunOptions& options) {
  if (options.output != TO_FILE)
    return {}; // no terminal or full device to give the child
  static test_files::TempDir scratch;
  static int serial = 0;
  const std::string outPath = scratch.path("out" + std::to_string(++serial));
  const std::string errPath = scratch.path("err" + std::to_string(serial));

  // The environment block: the inherited one less what is replaced or removed.
  std::vector<std::wstring> removed = {L"NO_COLOR"};
  std::vector<std::wstring> env;
  if (options.term != nullptr) {
    removed.push_back(L"TERM");
    env.push_back(L"TERM=" + widen(options.term));
  }
  if (options.noColor != nullptr)
    env.push_back(L"NO_COLOR=" + widen(options.noColor));
  for (const std::string& e : options.environment) {
    removed.push_back(widen(e.substr(0, e.find('='))));
    if (e.find('=') != std::string::npos)
      env.push_back(widen(e));
  }
  wchar_t* inherited = GetEnvironmentStringsW();
  for (const wchar_t* e = inherited; *e != 0; e += wcslen(e) + 1) {
    bool drop = false;
    for (const std::wstring& name : removed)
      drop = drop || sameName(e, name);
    if (!drop)
      env.push_back(e);
  }
  FreeEnvironmentStringsW(inherited);
  std::wstring block;
  for (const std::wstring& e : env)
    block += e + L'\0';
  block += L'\0';

  std::wstring commandLine = quoted(widen(options.program));
  for (const std::string& a : args)
    commandLine += L" " + quoted(widen(a));

  HANDLE in = inheritable(L"NUL", GENERIC_READ, OPEN_EXISTING);
  HANDLE out = inheritable(widen(outPath), GENERIC_WRITE, CREATE_ALWAYS);
  HANDLE err = inheritable(widen(errPath), GENERIC_WRITE, CREATE_ALWAYS);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in;
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION process = {};
  const std::wstring directory = widen(options.directory);
  const BOOL started =
      CreateProcessW(widen(options.program).c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                     CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW, block.data(),
                     directory.empty() ? nullptr : directory.c_str(), &startup, &process);
  CloseHandle(in);
  CloseHandle(out);
  CloseHandle(err);
  Outcome result;
  if (!started)
    return result;
  const DWORD wait =
      options.deadlineSeconds > 0 ? static_cast<DWORD>(options.deadlineSeconds) * 1000 : INFINITE;
  if (WaitForSingleObject(process.hProcess, wait) == WAIT_TIMEOUT) {
    TerminateProcess(process.hProcess, 137);
    WaitForSingleObject(process.hProcess, INFINITE);
  }
  DWORD code = 0;
  if (GetExitCodeProcess(process.hProcess, &code))
    result.status = static_cast<int>(code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  result.out = test_files::readFile(outPath);
  result.err = test_files::readFile(errPath);
  return result;
}

} // namespace test_program
