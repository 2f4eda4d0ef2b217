#include "display/clipboard.h"

#include <cstdlib>
#include <cstring>

#include "display/surface.h"
#include "display/window.h"
#include "os/os.h"
#include "text/strings.h"
#include "text/trace.h"

namespace {

constexpr int CLIPBOARD_SETTLE_MS = 1; // between emptying and filling the clipboard

// printf of one number with its leading blanks stripped.
const char* stripped(const char* formatted) {
  while (*formatted == ' ')
    ++formatted;
  return formatted;
}

} // namespace

size_t clipboardText(char* out, size_t size, int x, int y, int keyState) {
  const int w = gViewWindow.surfaceWidth;
  const int h = gViewWindow.surfaceHeight;
  size_t length = formatString(out, size, "%d,%d", x, y);
  if ((keyState & KEY_STATE_SHIFT) != 0 && w > 0) {
    // Both offsets in percent of the surface width.
    char px[32], py[32];
    formatString(px, sizeof px, "%10.2f%%", (x - w * 0.5) * 100.0 / w);
    formatString(py, sizeof py, "%10.2f%%", (y - h * 0.5) * 100.0 / w);
    length = formatString(out, size, "%s,%s", stripped(px), stripped(py));
  }
  if ((keyState & KEY_STATE_CONTROL) != 0) {
    int red, green, blue;
    surfaceReadPixel(x, y, &red, &green, &blue);
    char r[16], g[16], b[16];
    formatString(r, sizeof r, "%4d", red);
    formatString(g, sizeof g, "%4d", green);
    formatString(b, sizeof b, "%4d", blue);
    length = formatString(out, size, "%s,%s,%s", stripped(r), stripped(g), stripped(b));
  }
  return length;
}

void clipboardCopyPosition(int x, int y, int keyState) {
  char text[96];
  size_t length = clipboardText(text, sizeof text, x, y, keyState);
  const DisplayPlatform* p = displayPlatform();
  if (p == nullptr || p->clipboardSetText == nullptr)
    return;
  if (p->clipboardEmpty != nullptr)
    p->clipboardEmpty();
  osSleepMs(CLIPBOARD_SETTLE_MS);
  char* block = static_cast<char*>(std::malloc(length + 1));
  if (block == nullptr) {
    trace("clipboard: no memory for the text\n");
    return;
  }
  std::memcpy(block, text, length + 1);
  osSleepMs(CLIPBOARD_SETTLE_MS);
  // Kept out of the window's record during the hand-over: a release message the platform
  // sends meanwhile must not free what the clipboard is taking.
  if (p->clipboardSetText(block) != 0)
    std::free(block);
}
