// ---- Index ----
// ---- The native window procedure ----
// ---- Platform operations ----
#include "backends/win32/win32_window.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <shellapi.h>
#include <windowsx.h>

#include <cstdlib>
#include <cstring>

#include "display/backend.h"
#include "display/surface.h" // the display page and the background colour
#include "text/trace.h"

namespace {

constexpr char kClassName[] = "gint";
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_HSCROLL | WS_VSCROLL;
constexpr int kIconResource = 128;
constexpr int kPlaneCell = 32; // the hand's planes: 32 x 32, 4 bytes a row

struct Win32WindowState {
  HWND window;               // set by the first message of CreateWindowEx, cleared by destroy
  WindowProcedure procedure; // the toolkit-free procedure every message goes to
  HBRUSH background;         // the class brush, the surface's background colour
  bool creating;             // inside CreateWindowEx: the first message names the window
  HDC paintContext;          // the window's context while a paint message runs
  uint8_t* rows;             // page rows realigned to 4 bytes for SetDIBitsToDevice
  size_t rowsSize;           // bytes allocated at rows; grows to the largest paint
};
Win32WindowState gWin32 = {nullptr, nullptr, nullptr, false, nullptr, nullptr, 0};

int scrollBarOf(int bar) {
  return bar == SCROLL_BAR_HORIZONTAL ? SB_HORZ : SB_VERT;
}

// ---- The native window procedure ----

int forward(int id, int code = 0, int x = 0, int y = 0, void* drop = nullptr) {
  WindowMessage message = {id, code, x, y, 0, 0, drop};
  return gWin32.procedure(&message);
}

// Paints the part of rect (client pixels) that lies beyond the display page at the
// current scroll offset with the class brush: a window larger than the report (maximised)
// shows background there, not what was on the screen before.
void fillBeyondPage(HDC context, const RECT& rect) {
  const ViewWindow& v = gViewWindow;
  LONG right = 0;
  LONG bottom = 0;
  if (v.pageCount > 0 && v.pages[v.displayPage].pixels != nullptr) {
    right = v.pages[v.displayPage].width - v.horizontalPosition;
    bottom = v.pages[v.displayPage].height - v.verticalPosition;
  }
  RECT strip = rect;
  if (strip.left < right)
    strip.left = right;
  if (strip.left < strip.right)
    FillRect(context, &strip, gWin32.background);
  strip = rect;
  if (strip.top < bottom)
    strip.top = bottom;
  if (strip.right > right)
    strip.right = right;
  if (strip.top < strip.bottom && strip.left < strip.right)
    FillRect(context, &strip, gWin32.background);
}

LRESULT paint(HWND window) {
  PAINTSTRUCT paint;
  HDC context = BeginPaint(window, &paint);
  const RECT r = paint.rcPaint;
  if (context != nullptr && r.right > r.left && r.bottom > r.top) {
    gWin32.paintContext = context;
    WindowMessage message = {WINDOW_MSG_PAINT, 0,      r.left, r.top, r.right - r.left,
                             r.bottom - r.top, nullptr};
    gWin32.procedure(&message);
    gWin32.paintContext = nullptr;
    fillBeyondPage(context, r);
  }
  EndPaint(window, &paint);
  return 0;
}

int mouse(int id, WPARAM wParam, LPARAM lParam) {
  return forward(id, GET_KEYSTATE_WPARAM(wParam), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
}

LRESULT CALLBACK nativeProcedure(HWND window, UINT id, WPARAM wParam, LPARAM lParam) {
  Win32WindowState& s = gWin32;
  if (s.creating && s.window == nullptr)
    s.window = window;
  if (window != s.window || s.procedure == nullptr)
    return DefWindowProcA(window, id, wParam, lParam);
  int result = WINDOW_DEFAULT;
  switch (id) {
  case WM_CREATE:
    result = forward(WINDOW_MSG_CREATE);
    break;
  case WM_PAINT:
    return paint(window);
  case WM_SIZE:
    result = forward(WINDOW_MSG_SIZE, 0, LOWORD(lParam), HIWORD(lParam));
    break;
  case WM_SIZING:
    result = forward(WINDOW_MSG_SIZING, static_cast<int>(wParam));
    break;
  case WM_EXITSIZEMOVE:
    result = forward(WINDOW_MSG_EXIT_SIZE_MOVE);
    break;
  case WM_GETMINMAXINFO: {
    WindowMessage message = {WINDOW_MSG_GET_MIN_MAX_INFO, 0, 0, 0, 0, 0, nullptr};
    result = s.procedure(&message);
    if (message.width > 0 && message.height > 0) {
      MINMAXINFO* info = reinterpret_cast<MINMAXINFO*>(lParam);
      info->ptMaxSize.x = message.width;
      info->ptMaxSize.y = message.height;
    }
    break;
  }
  case WM_SYSCOMMAND:
    result = forward(WINDOW_MSG_SYS_COMMAND, static_cast<int>(wParam));
    break;
  case WM_HSCROLL:
  case WM_VSCROLL:
    result = forward(id == WM_HSCROLL ? WINDOW_MSG_HSCROLL : WINDOW_MSG_VSCROLL, LOWORD(wParam),
                     HIWORD(wParam));
    break;
  case WM_MOUSEWHEEL:
    result = forward(WINDOW_MSG_MOUSE_WHEEL, GET_WHEEL_DELTA_WPARAM(wParam));
    break;
  case WM_NCHITTEST:
    result = forward(WINDOW_MSG_NC_HIT_TEST, 0, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    break;
  case WM_CLOSE:
    result = forward(WINDOW_MSG_CLOSE);
    break;
  case WM_KEYDOWN:
    result = forward(WINDOW_MSG_KEY_DOWN, static_cast<int>(wParam));
    break;
  case WM_KEYUP:
    result = forward(WINDOW_MSG_KEY_UP, static_cast<int>(wParam));
    break;
  case WM_CHAR:
    result = forward(WINDOW_MSG_CHAR, static_cast<int>(wParam));
    break;
  case WM_SYSCHAR:
    result = forward(WINDOW_MSG_SYS_CHAR, static_cast<int>(wParam));
    break;
  case WM_LBUTTONDOWN:
    result = mouse(WINDOW_MSG_LBUTTON_DOWN, wParam, lParam);
    break;
  case WM_LBUTTONUP:
    result = mouse(WINDOW_MSG_LBUTTON_UP, wParam, lParam);
    break;
  case WM_MOUSEMOVE:
    result = mouse(WINDOW_MSG_MOUSE_MOVE, wParam, lParam);
    break;
  case WM_NCMOUSEMOVE:
    result = forward(WINDOW_MSG_NC_MOUSE_MOVE);
    break;
  case WM_RBUTTONDOWN:
    result = mouse(WINDOW_MSG_RBUTTON_DOWN, wParam, lParam);
    break;
  case WM_RBUTTONUP:
    result = mouse(WINDOW_MSG_RBUTTON_UP, wParam, lParam);
    break;
  case WM_MBUTTONDOWN:
    result = mouse(WINDOW_MSG_MBUTTON_DOWN, wParam, lParam);
    break;
  case WM_MBUTTONUP:
    result = mouse(WINDOW_MSG_MBUTTON_UP, wParam, lParam);
    break;
  case WM_DROPFILES:
    result = forward(WINDOW_MSG_DROP_FILES, 0, 0, 0, reinterpret_cast<void*>(wParam));
    break;
  case WM_DESTROYCLIPBOARD:
    result = forward(WINDOW_MSG_DESTROY_CLIPBOARD);
    break;
  default:
    break;
  }
  return result == WINDOW_HANDLED ? 0 : DefWindowProcA(window, id, wParam, lParam);
}

// ---- Platform operations ----

void win32Invalidate(int x, int y, int width, int height) {
  if (gWin32.window == nullptr)
    return;
  RECT r = {x, y, x + width, y + height};
  InvalidateRect(gWin32.window, &r, FALSE);
}

void win32ScrollBy(int dx, int dy) {
  if (gWin32.window == nullptr)
    return;
  // What is still to be painted would be scrolled as if it were on the screen already.
  UpdateWindow(gWin32.window);
  ScrollWindow(gWin32.window, dx, dy, nullptr, nullptr);
}

void win32SetScrollPosition(int bar, int position) {
  if (gWin32.window != nullptr)
    SetScrollPos(gWin32.window, scrollBarOf(bar), position, TRUE);
}

void win32DispatchMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

// Rows of a DIB start on 4-byte boundaries; a page's rows are width x 3 bytes apart, so
// the rectangle is copied into rows that do.
void win32CopyPageToWindow(const SurfacePage* page, int sourceX, int sourceY, int x, int y,
                           int width, int height) {
  HDC context = gWin32.paintContext;
  if (context == nullptr || page == nullptr ||
      !clipPageCopy(*page, sourceX, sourceY, x, y, width, height))
    return;
  const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3);
  const size_t size = stride * static_cast<size_t>(height);
  if (gWin32.rowsSize < size) {
    uint8_t* grown = static_cast<uint8_t*>(std::realloc(gWin32.rows, size));
    if (grown == nullptr) {
      trace("window: no memory to paint %d x %d pixels\n", width, height);
      return;
    }
    gWin32.rows = grown;
    gWin32.rowsSize = size;
  }
  uint8_t* rows = gWin32.rows;
  for (int row = 0; row < height; ++row)
    std::memcpy(rows + stride * row,
                page->pixels + static_cast<size_t>(sourceY + row) * page->stride +
                    static_cast<size_t>(sourceX) * 3,
                static_cast<size_t>(width) * 3);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height; // top-down, as the page
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  SetDIBitsToDevice(context, x, y, static_cast<DWORD>(width), static_cast<DWORD>(height), 0, 0, 0,
                    static_cast<UINT>(height), rows, &info, DIB_RGB_COLORS);
}

HICON applicationIcon(HINSTANCE instance) {
  HICON icon = LoadIconA(instance, MAKEINTRESOURCEA(kIconResource));
  return icon != nullptr ? icon : LoadIconA(nullptr, IDI_APPLICATION);
}

void* win32CreateWindow(const char* title, int x, int y, int width, int height, int defaultPosition,
                        WindowProcedure procedure) {
  Win32WindowState& s = gWin32;
  if (s.window != nullptr || procedure == nullptr)
    return nullptr;
  HINSTANCE instance = GetModuleHandleA(nullptr);
  s.background =
      CreateSolidBrush(RGB(gSurface.backgroundRed & 0xFF, gSurface.backgroundGreen & 0xFF,
                           gSurface.backgroundBlue & 0xFF));
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = nativeProcedure;
  windowClass.hInstance = instance;
  windowClass.hIcon = applicationIcon(instance);
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = s.background;
  windowClass.lpszClassName = kClassName;
  if (RegisterClassExA(&windowClass) == 0) {
    trace("window: class not registered (error %lu)\n", GetLastError());
    DeleteObject(s.background);
    s.background = nullptr;
    return nullptr;
  }
  s.procedure = procedure;
  s.creating = true;
  HWND window = CreateWindowExA(
      0, kClassName, title, kStyle, defaultPosition != 0 ? CW_USEDEFAULT : x,
      defaultPosition != 0 ? CW_USEDEFAULT : y, width, height, nullptr, nullptr, instance, nullptr);
  s.creating = false;
  if (window == nullptr) {
    trace("window: not created (error %lu)\n", GetLastError());
    s.window = nullptr;
    s.procedure = nullptr;
    UnregisterClassA(kClassName, instance);
    DeleteObject(s.background);
    s.background = nullptr;
    return nullptr;
  }
  s.window = window;
  return window;
}

void win32DestroyWindow() {
  Win32WindowState& s = gWin32;
  if (s.window == nullptr)
    return;
  DestroyWindow(s.window);
  s.window = nullptr;
  s.procedure = nullptr;
  UnregisterClassA(kClassName, GetModuleHandleA(nullptr));
  DeleteObject(s.background);
  s.background = nullptr;
  std::free(s.rows);
  s.rows = nullptr;
  s.rowsSize = 0;
}

void win32ShowWindow() {
  if (gWin32.window != nullptr)
    ShowWindow(gWin32.window, SW_SHOWDEFAULT);
}

void win32SetWindowPos(int zOrder, int x, int y, int width, int height, unsigned flags) {
  if (gWin32.window == nullptr)
    return;
  HWND after = zOrder == WINDOW_Z_TOPMOST     ? HWND_TOPMOST
               : zOrder == WINDOW_Z_NOTOPMOST ? HWND_NOTOPMOST
                                              : nullptr;
  UINT how = zOrder == WINDOW_Z_KEEP ? SWP_NOZORDER : 0;
  if ((flags & WINDOW_POS_NO_MOVE) != 0)
    how |= SWP_NOMOVE;
  if ((flags & WINDOW_POS_NO_SIZE) != 0)
    how |= SWP_NOSIZE;
  SetWindowPos(gWin32.window, after, x, y, width, height, how);
}

void win32GetWindowRect(WindowRect* outer) {
  RECT r = {0, 0, 0, 0};
  if (gWin32.window != nullptr)
    GetWindowRect(gWin32.window, &r);
  *outer = WindowRect{r.left, r.top, r.right, r.bottom};
}

void win32SetWindowText(const char* sjisTitle) {
  if (gWin32.window != nullptr)
    SetWindowTextA(gWin32.window, sjisTitle);
}

void win32AdjustWindowRect(WindowRect* rect) {
  RECT r = {rect->left, rect->top, rect->right, rect->bottom};
  if (AdjustWindowRect(&r, kStyle, FALSE))
    *rect = WindowRect{r.left, r.top, r.right, r.bottom};
}

int win32GetSystemMetric(int metric) {
  switch (metric) {
  case METRIC_SCREEN_WIDTH:
    return GetSystemMetrics(SM_CXSCREEN);
  case METRIC_SCREEN_HEIGHT:
    return GetSystemMetrics(SM_CYSCREEN);
  case METRIC_VERTICAL_BAR_WIDTH:
    return GetSystemMetrics(SM_CXVSCROLL);
  case METRIC_HORIZONTAL_BAR_HEIGHT:
    return GetSystemMetrics(SM_CYHSCROLL);
  case METRIC_CAPTION_HEIGHT:
    return GetSystemMetrics(SM_CYCAPTION);
  case METRIC_CURSOR_WIDTH:
    return GetSystemMetrics(SM_CXCURSOR);
  case METRIC_CURSOR_HEIGHT:
    return GetSystemMetrics(SM_CYCURSOR);
  default:
    return 0;
  }
}

void win32GetWorkArea(WindowRect* area) {
  RECT r = {0, 0, 0, 0};
  if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0))
    r = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  *area = WindowRect{r.left, r.top, r.right, r.bottom};
}

uint32_t win32WindowTextColour() {
  return static_cast<uint32_t>(GetSysColor(COLOR_WINDOWTEXT));
}

void win32SetScrollRange(int bar, int maximum) {
  if (gWin32.window != nullptr)
    SetScrollRange(gWin32.window, scrollBarOf(bar), 0, maximum, FALSE);
}

void win32ShowScrollBar(int bar, int show) {
  if (gWin32.window != nullptr)
    ShowScrollBar(gWin32.window, scrollBarOf(bar), show != 0 ? TRUE : FALSE);
}

void win32WaitForEvent(int milliseconds) {
  MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(milliseconds), QS_ALLINPUT,
                              MWMO_INPUTAVAILABLE);
}

void* win32LoadSystemCursor(int which) {
  static const LPCSTR kCursors[SYSTEM_CURSOR_COUNT] = {
      IDC_ARROW, IDC_CROSS, IDC_WAIT, IDC_NO, IDC_SIZEALL, IDC_SIZENWSE, IDC_SIZENS, IDC_SIZEWE};
  if (which < 0 || which >= SYSTEM_CURSOR_COUNT)
    return nullptr;
  return LoadCursorA(nullptr, kCursors[which]);
}

// CreateCursor reads planes of width x height with rows of whole 16-bit words; the 32 x 32
// planes go into their top-left, the rest stays transparent (AND 1, XOR 0).
void* win32CreateCursor(int hotX, int hotY, int width, int height, const uint8_t* andPlane,
                        const uint8_t* xorPlane) {
  if (width <= 0 || height <= 0)
    return nullptr;
  const int rowBytes = (width + 15) / 16 * 2;
  const size_t size = static_cast<size_t>(rowBytes) * height;
  uint8_t* andBits = static_cast<uint8_t*>(std::malloc(2 * size));
  if (andBits == nullptr)
    return nullptr;
  uint8_t* xorBits = andBits + size;
  std::memset(andBits, 0xFF, size);
  std::memset(xorBits, 0x00, size);
  const int rows = height < kPlaneCell ? height : kPlaneCell;
  const int bytes = rowBytes < kPlaneCell / 8 ? rowBytes : kPlaneCell / 8;
  for (int y = 0; y < rows; ++y) {
    std::memcpy(andBits + static_cast<size_t>(y) * rowBytes, andPlane + y * (kPlaneCell / 8),
                bytes);
    std::memcpy(xorBits + static_cast<size_t>(y) * rowBytes, xorPlane + y * (kPlaneCell / 8),
                bytes);
  }
  HCURSOR cursor =
      CreateCursor(GetModuleHandleA(nullptr), hotX, hotY, width, height, andBits, xorBits);
  std::free(andBits);
  return cursor;
}

void win32DestroyCursor(void* cursor) {
  if (cursor != nullptr)
    DestroyCursor(static_cast<HCURSOR>(cursor));
}

void win32SetClassCursor(void* cursor) {
  if (gWin32.window != nullptr)
    SetClassLongPtrA(gWin32.window, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(cursor));
}

void win32SetCursor(void* cursor) {
  SetCursor(static_cast<HCURSOR>(cursor));
}

// The report window owns what it places: a clipboard emptied without an owner refuses
// SetClipboardData.
int win32ClipboardEmpty() {
  if (!OpenClipboard(gWin32.window))
    return -1;
  const BOOL emptied = EmptyClipboard();
  CloseClipboard();
  return emptied ? 0 : -1;
}

// The clipboard takes movable global memory, so the text is copied into such a block; the
// caller's block is freed once the clipboard holds the copy.
int win32ClipboardSetText(char* block) {
  const size_t size = std::strlen(block) + 1;
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  if (memory == nullptr)
    return -1;
  void* bytes = GlobalLock(memory);
  if (bytes == nullptr) {
    GlobalFree(memory);
    return -1;
  }
  std::memcpy(bytes, block, size);
  GlobalUnlock(memory);
  if (!OpenClipboard(gWin32.window)) {
    GlobalFree(memory);
    return -1;
  }
  const bool placed = SetClipboardData(CF_OEMTEXT, memory) != nullptr;
  CloseClipboard();
  if (!placed) {
    trace("clipboard: not placed (error %lu)\n", GetLastError());
    GlobalFree(memory);
    return -1;
  }
  std::free(block);
  return 0;
}

void win32DragAcceptFiles(int accept) {
  if (gWin32.window != nullptr)
    DragAcceptFiles(gWin32.window, accept != 0 ? TRUE : FALSE);
}

int win32DragQueryFileW(void* drop, int index, char16_t* out, int size) {
  HDROP handle = static_cast<HDROP>(drop);
  if (index < 0)
    return static_cast<int>(DragQueryFileW(handle, 0xFFFFFFFF, nullptr, 0));
  const UINT length = DragQueryFileW(handle, static_cast<UINT>(index), nullptr, 0);
  if (length > 0 && static_cast<int>(length) < size)
    DragQueryFileW(handle, static_cast<UINT>(index), reinterpret_cast<wchar_t*>(out),
                   static_cast<UINT>(size));
  return static_cast<int>(length);
}

int win32DragQueryFile(void* drop, int index, char* out, int size) {
  HDROP handle = static_cast<HDROP>(drop);
  if (index < 0)
    return static_cast<int>(DragQueryFileA(handle, 0xFFFFFFFF, nullptr, 0));
  const UINT length = DragQueryFileA(handle, static_cast<UINT>(index), nullptr, 0);
  if (length > 0 && static_cast<int>(length) < size)
    DragQueryFileA(handle, static_cast<UINT>(index), out, static_cast<UINT>(size));
  return static_cast<int>(length);
}

void win32DragQueryPoint(void* drop, int* x, int* y) {
  POINT point = {0, 0};
  DragQueryPoint(static_cast<HDROP>(drop), &point);
  *x = point.x;
  *y = point.y;
}

void win32DragFinish(void* drop) {
  DragFinish(static_cast<HDROP>(drop));
}

DisplayPlatform makePlatform() {
  DisplayPlatform p{};
  p.invalidate = win32Invalidate;
  p.scrollBy = win32ScrollBy;
  p.setScrollPosition = win32SetScrollPosition;
  p.dispatchMessages = win32DispatchMessages;
  p.copyPageToWindow = win32CopyPageToWindow;
  p.createWindow = win32CreateWindow;
  p.destroyWindow = win32DestroyWindow;
  p.showWindow = win32ShowWindow;
  p.setWindowPos = win32SetWindowPos;
  p.getWindowRect = win32GetWindowRect;
  p.setWindowText = win32SetWindowText;
  p.adjustWindowRect = win32AdjustWindowRect;
  p.getSystemMetric = win32GetSystemMetric;
  p.getWorkArea = win32GetWorkArea;
  p.windowTextColour = win32WindowTextColour;
  p.setScrollRange = win32SetScrollRange;
  p.showScrollBar = win32ShowScrollBar;
  p.waitForEvent = win32WaitForEvent;
  p.loadSystemCursor = win32LoadSystemCursor;
  p.createCursor = win32CreateCursor;
  p.destroyCursor = win32DestroyCursor;
  p.setClassCursor = win32SetClassCursor;
  p.setCursor = win32SetCursor;
  p.clipboardEmpty = win32ClipboardEmpty;
  p.clipboardSetText = win32ClipboardSetText;
  p.dragAcceptFiles = win32DragAcceptFiles;
  p.dragQueryFileW = win32DragQueryFileW;
  p.dragQueryFile = win32DragQueryFile;
  p.dragQueryPoint = win32DragQueryPoint;
  p.dragFinish = win32DragFinish;
  return p;
}

const DisplayPlatform kWin32Platform = makePlatform();

} // namespace

const DisplayPlatform* win32WindowPlatform() {
  return &kWin32Platform;
}

void* win32WindowHandle() {
  return gWin32.window;
}
