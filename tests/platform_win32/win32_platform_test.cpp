// The Win32 platform layer on real files (under Wine in CI): the path forms reach the
// system untouched, directories are refused as on Linux, and the program takes its
// arguments from the command line Windows gives it.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include <windows.h>

#include "platform/posix.h"

namespace {

std::u16string u16(const std::wstring& s) {
  return std::u16string(s.begin(), s.end());
}

// A fresh folder under the temporary folder, removed with its files and folders.
class TempFolder {
public:
  TempFolder() {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    for (unsigned n = GetCurrentProcessId();; ++n) {
      path_ = std::wstring(base) + L"kt-win32-" + std::to_wstring(n);
      if (CreateDirectoryW(path_.c_str(), nullptr))
        break;
    }
  }
  ~TempFolder() { removeTree(path_); }
  std::wstring at(const std::wstring& name) const { return path_ + L"\\" + name; }
  void file(const std::wstring& name, const std::string& bytes) const {
    HANDLE h = CreateFileW(at(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
  }
  void folder(const std::wstring& name) const { CreateDirectoryW(at(name).c_str(), nullptr); }

private:
  static void removeTree(const std::wstring& dir) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((dir + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        std::wstring name = found.cFileName;
        if (name == L"." || name == L"..")
          continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
          removeTree(dir + L"\\" + name);
        else
          DeleteFileW((dir + L"\\" + name).c_str());
      } while (FindNextFileW(search, &found));
      FindClose(search);
    }
    RemoveDirectoryW(dir.c_str());
  }
  std::wstring path_;
};

// The ANSI form of an ASCII path.
std::string ansi(const std::wstring& path) {
  return std::string(path.begin(), path.end());
}

// ---- findname ----

struct FindCase {
  const wchar_t* pattern;
  int result;
  const wchar_t* name; // stored name when result is 0
};

TEST(Win32Platform, FindNameTakesTheFirstFileAmongTwoMatchesInBothForms) {
  TempFolder t;
  t.file(L"Dance.vmd", "x");
  t.folder(L"dir");
  t.folder(L"dirs.vmd");
  t.folder(L"pair1");
  t.folder(L"pair2");
  t.folder(L"take1");
  t.file(L"take2.vmd", "x");
  const FindCase cases[] = {
      {L"Dance.vmd", 0, L"Dance.vmd"},
      {L"DANCE.VMD", 0, L"Dance.vmd"}, // the stored case, not the given one
      {L"D*.vmd", 0, L"Dance.vmd"},
      {L"missing.vmd", -1, L""},
      {L"dir", -1, L""},          // only a directory matches
      {L"pair?", -2, L""},        // the first two matches are directories
      {L"take*", 0, L"take2.vmd"}, // a directory and a file, in either order
  };
  for (const FindCase& c : cases) {
    SCOPED_TRACE(ansi(c.pattern));
    char16_t wide[MAX_PATH];
    std::u16string path = u16(t.at(c.pattern));
    EXPECT_EQ(platformFindNameWide(wide, MAX_PATH, path.c_str()), c.result);
    EXPECT_EQ(std::u16string(wide), u16(c.name));
    char narrow[MAX_PATH];
    EXPECT_EQ(platformFindNameAnsi(narrow, MAX_PATH, ansi(t.at(c.pattern)).c_str()), c.result);
    EXPECT_EQ(std::string(narrow), ansi(c.name));
  }
}

// ---- Opening ----

TEST(Win32Platform, OpensRefuseFoldersAndMissingFilesWithTheReasonsOfLinux) {
  TempFolder t;
  t.file(L"m.vmd", "motion");
  t.folder(L"folder.vmd");
  struct Case {
    const wchar_t* name;
    int error; // 0: opens
  };
  const Case cases[] = {{L"m.vmd", 0}, {L"folder.vmd", EISDIR}, {L"missing.vmd", ENOENT}};
  for (const Case& c : cases) {
    SCOPED_TRACE(ansi(c.name));
    std::u16string wide = u16(t.at(c.name));
    errno = 0;
    int fd = platformOpenReadWide(wide.c_str());
    EXPECT_EQ(fd >= 0, c.error == 0);
    if (c.error != 0) {
      EXPECT_EQ(errno, c.error);
    }
    platformClose(fd);
    errno = 0;
    FILE* a = platformFopenAnsi(ansi(t.at(c.name)).c_str(), "rb");
    EXPECT_EQ(a != nullptr, c.error == 0);
    if (c.error != 0) {
      EXPECT_EQ(errno, c.error);
    }
    if (a != nullptr)
      std::fclose(a);
  }
}

TEST(Win32Platform, HandleModeReadsSeeksAndSizesTheFile) {
  TempFolder t;
  t.file(L"m.vmd", "0123456789");
  std::u16string wide = u16(t.at(L"m.vmd"));
  int fd = platformOpenReadWide(wide.c_str());
  ASSERT_GE(fd, 0);
  char buffer[16] = {};
  EXPECT_EQ(platformFileSize(fd), 10);
  EXPECT_EQ(platformRead(fd, buffer, 4), 4);
  EXPECT_EQ(std::string(buffer, 4), "0123");
  EXPECT_EQ(platformSeek(fd, -2, 1), 2);
  EXPECT_EQ(platformRead(fd, buffer, 16), 8);
  EXPECT_EQ(std::string(buffer, 8), "23456789");
  EXPECT_EQ(platformRead(fd, buffer, 16), 0);
  platformClose(fd);
}

TEST(Win32Platform, KindsAndIdentityFollowTheFileNotThePathForm) {
  TempFolder t;
  t.file(L"a.vmd", "a");
  t.file(L"b.vmd", "b");
  t.folder(L"f");
  EXPECT_EQ(platformFileKindAnsi(ansi(t.at(L"a.vmd")).c_str()), PLATFORM_KIND_REGULAR);
  EXPECT_EQ(platformFileKindAnsi(ansi(t.at(L"f")).c_str()), PLATFORM_KIND_OTHER);
  EXPECT_EQ(platformFileKindAnsi(ansi(t.at(L"none")).c_str()), PLATFORM_KIND_NONE);
  std::string a = ansi(t.at(L"a.vmd"));
  std::u16string aWide = u16(t.at(L"A.VMD"));
  std::u16string bWide = u16(t.at(L"b.vmd"));
  std::u16string none = u16(t.at(L"none"));
  EXPECT_EQ(platformSameFileForms(a.c_str(), nullptr, nullptr, aWide.c_str()), 1);
  EXPECT_EQ(platformSameFileForms(a.c_str(), nullptr, nullptr, bWide.c_str()), 0);
  EXPECT_EQ(platformSameFileForms(a.c_str(), nullptr, nullptr, none.c_str()), 0);
}

// ---- The program's command line ----

// Runs the console program with the command line as given; its standard output.
std::string runProgram(const std::wstring& commandLine, const std::wstring& folder, DWORD* status) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE readEnd, writeEnd;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
    return "";
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW start = {};
  start.cb = sizeof start;
  start.dwFlags = STARTF_USESTDHANDLES;
  start.hStdOutput = writeEnd;
  start.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  start.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION process = {};
  std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
  line.push_back(0);
  BOOL started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                folder.c_str(), &start, &process);
  CloseHandle(writeEnd);
  std::string out;
  char buffer[4096];
  DWORD got;
  while (started && ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0)
    out.append(buffer, got);
  CloseHandle(readEnd);
  *status = 255;
  if (started) {
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, status);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  }
  return out;
}

// kinetrace.com beside this test's folder (build/tests -> build/bin).
std::wstring programPath() {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path = self;
  path.resize(path.find_last_of(L'\\'));
  path.resize(path.find_last_of(L'\\'));
  return path + L"\\bin\\kinetrace.com";
}

// A VMD 0002 motion without keys.
std::string emptyMotion() {
  std::string bytes = std::string("Vocaloid Motion Data 0002") + std::string(5, '\0');
  bytes += std::string(20, '\0');
  bytes += std::string(6 * 4, '\0');
  return bytes;
}

TEST(Win32Platform, TheProgramTakesQuotedAndUnicodeNamesFromTheCommandLine) {
  const std::wstring program = programPath();
  if (GetFileAttributesW(program.c_str()) == INVALID_FILE_ATTRIBUTES)
    GTEST_SKIP() << "kinetrace.com is not built";
  TempFolder t;
  t.file(L"two words.vmd", emptyMotion());
  t.file(L"\u30e2\u30fc\u30b7\u30e7\u30f3.vmd", emptyMotion()); // モーション
  struct Case {
    const wchar_t* arguments;
    const char* fields; // the path and verdict fields of each line, in order
  };
  const Case cases[] = {
      {L"--summary \"two words.vmd\"", "two words.vmd\tok\n"},
      {L"--summary \"two\"\" words.vmd\" missing.vmd",
       "two words.vmd\tok\nmissing.vmd\terror: cannot open: No such file or directory\n"},
      {L"--summary \u30e2\u30fc\u30b7\u30e7\u30f3.vmd",
       "\xe3\x83\xa2\xe3\x83\xbc\xe3\x82\xb7\xe3\x83\xa7\xe3\x83\xb3.vmd\tok\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fields);
    DWORD status = 0;
    std::string out = runProgram(L"\"" + program + L"\" " + c.arguments, t.at(L""), &status);
    std::string fields;
    for (size_t start = 0; start < out.size();) {
      size_t end = out.find('\n', start);
      std::string line = out.substr(start, end == std::string::npos ? end : end - start);
      size_t tab = line.find('\t');
      fields += line.substr(0, line.find('\t', tab + 1)) + "\n";
      start = end == std::string::npos ? out.size() : end + 1;
    }
    EXPECT_EQ(fields, c.fields);
    EXPECT_EQ(out.find('\r'), std::string::npos) << "standard output is binary";
  }
}

} // namespace
