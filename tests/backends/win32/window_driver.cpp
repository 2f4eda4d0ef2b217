// The report window on Win32, driven from inside the window program. The program runs as
// kinetrace does on the motion of its command line, while a scripted user, called each
// time the viewer waits for input, posts messages to the window and checks what they did:
//
//   message                      expected
//   WM_CHAR 'S'                  cap(1).bmp beside the program, byte for byte what
//                                kinetrace.exe --render makes of the motion
//   WM_LBUTTONDOWN, WM_LBUTTONUP the class cursor is the hand while held, then the arrow
//   WM_RBUTTONDOWN               the clipboard holds the clicked position
//   WM_DROPFILES                 (an HDROP made here, naming a copy of the motion under a
//                                Japanese name) that file's report follows in the same
//                                window: S gives cap(2).bmp, equal to its --render
//   WM_KEYDOWN Escape            the last report is dismissed; the program ends with 0
//
// Usage: window_win32_driver MOTION. KT_PROGRAM names kinetrace.exe. Exit status 0 passed,
// 1 failed, 77 skipped (under Wine without an X display).
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/backend.h"
#include "app/run.h"
#include "app/startup.h"
#include "app/state.h"
#include "backends/win32/win32_window.h"
#include "display/cursors.h"
#include "display/surface.h"
#include "display/viewer.h"

namespace {

constexpr ULONGLONG kStepTimeoutMs = 20000;
constexpr DWORD kRenderTimeoutMs = 60000;
const wchar_t kDropName[] = L"\u30c0\u30f3\u30b9\u8868.vmd"; // ダンス表.vmd: 表 ends in 0x5C

std::wstring gFolder;            // the driver's folder, with its backslash
std::wstring gDropPath;          // the copy of the motion that is dropped
std::vector<uint8_t> gRender[2]; // --render of the motion and of the dropped copy
DisplayPlatform gPlatform;       // the Win32 platform with the scripted wait
void (*gRealWait)(int milliseconds);

std::string narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text)
    out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

[[noreturn]] void fail(const std::string& what) {
  std::printf("window_win32: FAIL: %s\n", what.c_str());
  std::fflush(stdout);
  std::_Exit(1);
}

bool readFile(const std::wstring& path, std::vector<uint8_t>* bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return false;
  LARGE_INTEGER size;
  bool ok = GetFileSizeEx(file, &size) != 0;
  if (ok) {
    bytes->assign(static_cast<size_t>(size.QuadPart), 0);
    DWORD got = 0;
    ok = bytes->empty() ||
         (ReadFile(file, bytes->data(), static_cast<DWORD>(bytes->size()), &got, nullptr) != 0 &&
          got == bytes->size());
  }
  CloseHandle(file);
  return ok;
}

std::wstring capturePath(int n) {
  return gFolder + L"cap(" + std::to_wstring(n) + L").bmp";
}

void removeCaptures() {
  for (int n = 1; n <= VIEWER_CAPTURE_LIMIT; ++n)
    DeleteFileW(capturePath(n).c_str());
}

// Runs kinetrace.exe --render OUT MOTION and reads OUT.
std::vector<uint8_t> render(const std::wstring& motion, const std::wstring& out) {
  std::wstring program = L"" KT_PROGRAM;
  std::wstring command = L"\"" + program + L"\" --render \"" + out + L"\" \"" + motion + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(program.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process))
    fail("cannot start " + narrow(program) + " (error " + std::to_string(GetLastError()) + ")");
  DWORD status = 1;
  if (WaitForSingleObject(process.hProcess, kRenderTimeoutMs) != WAIT_OBJECT_0)
    TerminateProcess(process.hProcess, 1);
  GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  std::vector<uint8_t> bytes;
  if (status != 0 || !readFile(out, &bytes))
    fail("--render of " + narrow(motion) + " ended with status " + std::to_string(status));
  DeleteFileW(out.c_str());
  return bytes;
}

// ---- What the window shows ----

bool viewerWaiting() {
  return gViewer.running != 0 && gViewer.drawn != 0 && gViewWindow.state == WINDOW_LIVE &&
         win32WindowHandle() != nullptr;
}

HWND window() {
  return static_cast<HWND>(win32WindowHandle());
}

bool currentFileIs(const wchar_t* name) {
  return std::wcscmp(reinterpret_cast<const wchar_t*>(gFile.actualNameW), name) == 0;
}

std::string clipboardText() {
  std::string text;
  if (!OpenClipboard(nullptr))
    return text;
  if (HANDLE data = GetClipboardData(CF_OEMTEXT)) {
    if (const char* bytes = static_cast<const char*>(GlobalLock(data))) {
      text = bytes;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

// So that no text of an earlier run can pass for the program's.
void setClipboardText(const char* text) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, std::strlen(text) + 1);
  std::memcpy(GlobalLock(memory), text, std::strlen(text) + 1);
  GlobalUnlock(memory);
  if (OpenClipboard(window())) {
    EmptyClipboard();
    if (SetClipboardData(CF_OEMTEXT, memory) == nullptr)
      GlobalFree(memory);
    CloseClipboard();
  } else {
    GlobalFree(memory);
  }
}

bool captureMatches(int n, int render, std::string* why) {
  std::vector<uint8_t> bytes;
  if (!readFile(capturePath(n), &bytes)) {
    *why = "no " + narrow(capturePath(n));
    return false;
  }
  if (bytes != gRender[render]) {
    *why = narrow(capturePath(n)) + " (" + std::to_string(bytes.size()) +
           " bytes) differs from --render (" + std::to_string(gRender[render].size()) + " bytes)";
    return false;
  }
  return true;
}

LONG_PTR classCursor() {
  return GetClassLongPtrA(window(), GCLP_HCURSOR);
}

// ---- The script ----

struct Step {
  const char* what;
  void (*act)();                  // posts the messages
  bool (*done)(std::string* why); // what they did
};

const Step kSteps[] = {
    {"S captures the report as cap(1).bmp", [] { PostMessageA(window(), WM_CHAR, 'S', 1); },
     [](std::string* why) { return captureMatches(1, 0, why); }},
    {"the left button shows the hand",
     [] { PostMessageA(window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 30)); },
     [](std::string* why) {
       *why = "the class cursor is not the hand";
       return classCursor() == reinterpret_cast<LONG_PTR>(gCursors.cursors[CURSOR_HAND]);
     }},
    {"releasing it shows the arrow",
     [] { PostMessageA(window(), WM_LBUTTONUP, 0, MAKELPARAM(30, 30)); },
     [](std::string* why) {
       *why = "the class cursor is not the arrow";
       return classCursor() == reinterpret_cast<LONG_PTR>(LoadCursorA(nullptr, IDC_ARROW));
     }},
    {"a right click copies its position",
     [] {
       setClipboardText("none");
       PostMessageA(window(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 20));
       PostMessageA(window(), WM_RBUTTONUP, 0, MAKELPARAM(10, 20));
     },
     [](std::string* why) {
       *why = "clipboard holds \"" + clipboardText() + "\", not \"10,20\"";
       return clipboardText() == "10,20";
     }},
    {"a dropped file's report follows",
     [] {
       const size_t bytes = sizeof(DROPFILES) + (gDropPath.size() + 2) * sizeof(wchar_t);
       HGLOBAL drop = GlobalAlloc(GHND, bytes); // zeroed: the list ends in two NULs
       DROPFILES* files = static_cast<DROPFILES*>(GlobalLock(drop));
       files->pFiles = sizeof(DROPFILES);
       files->pt = POINT{40, 40};
       files->fWide = TRUE;
       std::memcpy(files + 1, gDropPath.c_str(), gDropPath.size() * sizeof(wchar_t));
       GlobalUnlock(drop);
       PostMessageW(window(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
     },
     [](std::string* why) {
       *why = "the shown report is still that of " +
              narrow(reinterpret_cast<const wchar_t*>(gFile.actualNameW));
       return currentFileIs(kDropName);
     }},
    {"S captures the dropped file's report as cap(2).bmp",
     [] { PostMessageA(window(), WM_CHAR, 's', 1); },
     [](std::string* why) { return captureMatches(2, 1, why); }},
    // Passed when the program ends (main); until then the report is still shown.
    {"Escape dismisses the last report",
     [] {
       PostMessageA(window(), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
       PostMessageA(window(), WM_KEYUP, VK_ESCAPE, 0xC0010001);
     },
     [](std::string* why) {
       *why = "the report is still shown";
       return false;
     }},
};
constexpr size_t kStepCount = sizeof kSteps / sizeof kSteps[0];

struct Script {
  size_t index;
  bool acted;
  ULONGLONG since;
};
Script gScript = {0, false, 0};

void advance() {
  Script& s = gScript;
  if (s.index >= kStepCount)
    return;
  const Step& step = kSteps[s.index];
  if (!s.acted) {
    step.act();
    s.acted = true;
    s.since = GetTickCount64();
    return;
  }
  std::string why;
  if (step.done(&why)) {
    std::printf("window_win32: ok: %s\n", step.what);
    std::fflush(stdout);
    ++s.index;
    s.acted = false;
    return;
  }
  if (GetTickCount64() - s.since > kStepTimeoutMs)
    fail(std::string(step.what) + ": " + why);
}

void scriptedWait(int milliseconds) {
  if (viewerWaiting())
    advance();
  gRealWait(milliseconds);
}

bool underWineWithoutDisplay() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  if (ntdll == nullptr || GetProcAddress(ntdll, "wine_get_version") == nullptr)
    return false;
  char display[256];
  return GetEnvironmentVariableA("DISPLAY", display, sizeof display) == 0;
}

} // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: window_win32_driver MOTION\n", stderr);
    return 2;
  }
  if (underWineWithoutDisplay()) {
    std::puts("window_win32: SKIP: no X display for Wine (run under Xvfb)");
    return 77;
  }
  wchar_t self[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
  if (length == 0 || length >= MAX_PATH)
    fail("cannot name the driver's folder");
  gFolder = self;
  gFolder.resize(gFolder.rfind(L'\\') + 1);
  std::wstring motion(argv[1], argv[1] + std::strlen(argv[1]));
  gDropPath = gFolder + kDropName;
  if (!CopyFileW(motion.c_str(), gDropPath.c_str(), FALSE))
    fail("cannot copy " + narrow(motion) + " to " + narrow(gDropPath) + " (error " +
         std::to_string(GetLastError()) + ")");
  gRender[0] = render(motion, gFolder + L"render1.bmp");
  gRender[1] = render(gDropPath, gFolder + L"render2.bmp");
  if (gRender[0] == gRender[1])
    fail("the two motions render alike: the second capture could not tell them apart");
  removeCaptures();

  if (installWindowBackend() != 0)
    fail("no window backend");
  gPlatform = *displayPlatform();
  gRealWait = gPlatform.waitForEvent;
  gPlatform.waitForEvent = scriptedWait;
  displaySetPlatform(&gPlatform);
  argc = loadCommandLine(&argv); // as the program's main takes it
  const int status = runAll(argc, argv);

  removeCaptures();
  DeleteFileW(gDropPath.c_str());
  if (gScript.index < kStepCount - 1 || !gScript.acted)
    fail(std::string("the program ended before: ") + kSteps[gScript.index].what);
  if (status != 0)
    fail("the program ended with status " + std::to_string(status));
  std::printf("window_win32: ok: %s\nwindow_win32: PASS\n", kSteps[kStepCount - 1].what);
  return 0;
}
