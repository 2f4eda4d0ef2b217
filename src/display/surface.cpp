#include "display/surface.h"

#include "display/glyph.h"
#include "os/os.h"
#include "text/trace.h"

#include <cstdlib>
#include <cstring>

SurfaceState gSurface = {nullptr, 0, 0, 0, 255, 255, 255, {}};

ViewWindow gViewWindow;

namespace {

// ---- Platform ----

void invalidate(int x, int y, int width, int height) {
  if (width <= 0 || height <= 0)
    return;
  if (gSurface.platform != nullptr && gSurface.platform->invalidate != nullptr)
    gSurface.platform->invalidate(x, y, width, height);
}

bool drawsPage(int mode) {
  return mode <= 0;
}

bool drawsWindow(int mode) {
  return mode >= 0 && gViewWindow.drawPage == gViewWindow.displayPage;
}

SurfacePage* drawPage() {
  if (gViewWindow.pageCount < 1)
    return nullptr;
  SurfacePage* page = &gViewWindow.pages[gViewWindow.drawPage];
  return page->pixels != nullptr ? page : nullptr;
}

const SurfacePage* displayPage() {
  if (gViewWindow.pageCount < 1)
    return nullptr;
  const SurfacePage* page = &gViewWindow.pages[gViewWindow.displayPage];
  return page->pixels != nullptr ? page : nullptr;
}

void fillPage(SurfacePage& page, int x0, int y0, int x1, int y1, int red, int green, int blue) {
  if (x0 < 0)
    x0 = 0;
  if (y0 < 0)
    y0 = 0;
  if (x1 > page.width)
    x1 = page.width;
  if (y1 > page.height)
    y1 = page.height;
  for (int y = y0; y < y1; ++y) {
    uint8_t* p = page.pixels + static_cast<size_t>(y) * page.stride + static_cast<size_t>(x0) * 3;
    for (int x = x0; x < x1; ++x) {
      *p++ = static_cast<uint8_t>(blue);
      *p++ = static_cast<uint8_t>(green);
      *p++ = static_cast<uint8_t>(red);
    }
  }
}

void freePage(SurfacePage& page) {
  std::free(page.pixels);
  page = SurfacePage{0, 0, 0, nullptr};
}

int scrollTo(int position, int32_t& current, int32_t range, int bar) {
  if (position > range)
    position = range;
  if (position < 0)
    position = 0;
  if (position == current)
    return 0;
  const DisplayPlatform* platform = gSurface.platform;
  if (platform != nullptr && platform->scrollBy != nullptr) {
    int delta = current - position;
    if (bar == SCROLL_BAR_HORIZONTAL)
      platform->scrollBy(delta, 0);
    else
      platform->scrollBy(0, delta);
  }
  if (platform != nullptr && platform->setScrollPosition != nullptr)
    platform->setScrollPosition(bar, position);
  current = position;
  return 0;
}

} // namespace

// ---- Platform ----

void displaySetPlatform(const DisplayPlatform* platform) {
  gSurface.platform = platform;
}

const DisplayPlatform* displayPlatform() {
  return gSurface.platform;
}

void displayDispatchMessages() {
  if (gSurface.platform != nullptr && gSurface.platform->dispatchMessages != nullptr)
    gSurface.platform->dispatchMessages();
}

void displayPause(int milliseconds) {
  if (gSurface.platform != nullptr && gSurface.platform->waitForEvent != nullptr)
    gSurface.platform->waitForEvent(milliseconds);
  else
    osSleepMs(milliseconds);
}

// ---- Pages ----

namespace {

// Allocates page index of the surface size, filled with the background. 0, or -1.
int allocatePage(int index) {
  SurfacePage& page = gViewWindow.pages[index];
  const int width = gViewWindow.surfaceWidth;
  const int height = gViewWindow.surfaceHeight;
  size_t stride = static_cast<size_t>(width) * 3;
  page.pixels = static_cast<uint8_t*>(std::malloc(stride * static_cast<size_t>(height)));
  if (page.pixels == nullptr) {
    trace("surface: page %d of %d x %d could not be allocated\n", index, width, height);
    return -1;
  }
  page.width = width;
  page.height = height;
  page.stride = static_cast<int32_t>(stride);
  fillPage(page, 0, 0, width, height, gSurface.backgroundRed, gSurface.backgroundGreen,
           gSurface.backgroundBlue);
  return 0;
}

} // namespace

int surfaceCreatePages(int width, int height, int pageCount) {
  surfaceDestroyPages();
  if (width < 1 || height < 1) {
    trace("surface: no pages for a size of %d x %d\n", width, height);
    return -1;
  }
  int count = pageCount == 2 ? 2 : 1;
  int result = 0;
  gViewWindow.surfaceWidth = width;
  gViewWindow.surfaceHeight = height;
  gViewWindow.pageCount = count;
  gViewWindow.drawPage = 0;
  gViewWindow.displayPage = 0;
  for (int i = 0; i < count; ++i)
    if (allocatePage(i) != 0)
      result = -1;
  return result;
}

void surfaceDestroyPages() {
  for (SurfacePage& page : gViewWindow.pages)
    freePage(page);
  gViewWindow.pageCount = 0;
  gViewWindow.surfaceWidth = 0;
  gViewWindow.surfaceHeight = 0;
  gViewWindow.drawPage = 0;
  gViewWindow.displayPage = 0;
}

int surfaceSetDrawPage(int index) {
  if (gViewWindow.pageCount == 2 && (index == 0 || index == 1))
    gViewWindow.drawPage = index;
  return gViewWindow.drawPage;
}

int surfaceSetDisplayPage(int index) {
  if (gViewWindow.pageCount == 2 && (index == 0 || index == 1))
    gViewWindow.displayPage = index;
  return gViewWindow.displayPage;
}

// ---- Colours ----

void surfaceSetBackground(int red, int green, int blue) {
  gSurface.backgroundRed = red & 0xFF;
  gSurface.backgroundGreen = green & 0xFF;
  gSurface.backgroundBlue = blue & 0xFF;
}

void surfaceSetForeground(int red, int green, int blue) {
  gSurface.foregroundRed = red & 0xFF;
  gSurface.foregroundGreen = green & 0xFF;
  gSurface.foregroundBlue = blue & 0xFF;
}

// ---- Drawing ----

void surfaceFillRect(int mode, int x0, int y0, int x1, int y1, int red, int green, int blue) {
  if (x1 < x0 || y1 < y0)
    return;
  if (drawsPage(mode)) {
    SurfacePage* page = drawPage();
    if (page != nullptr)
      fillPage(*page, x0, y0, x1 + 1, y1 + 1, red, green, blue);
  }
  if (drawsWindow(mode))
    invalidate(x0 - gViewWindow.horizontalPosition, y0 - gViewWindow.verticalPosition, x1 - x0 + 1,
               y1 - y0 + 1);
}

int surfaceWriteRows(int mode, int x, int y, int width, int rowCount, const uint8_t* pixels) {
  if (width < 1 || rowCount < 1 || pixels == nullptr)
    return -1;
  int result = 0;
  const size_t sourceStride = (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3);
  if (drawsPage(mode)) {
    SurfacePage* page = drawPage();
    if (page == nullptr) {
      result = -1;
    } else {
      int from = x < 0 ? -x : 0;
      int to = x + width > page->width ? page->width - x : width;
      for (int r = 0; r < rowCount && from < to; ++r) {
        int py = y + r;
        if (py < 0 || py >= page->height)
          continue;
        // Bottom-up rows: the last row in memory is the top one.
        const uint8_t* source = pixels + static_cast<size_t>(rowCount - 1 - r) * sourceStride;
        std::memcpy(page->pixels + static_cast<size_t>(py) * page->stride +
                        static_cast<size_t>(x + from) * 3,
                    source + static_cast<size_t>(from) * 3, static_cast<size_t>(to - from) * 3);
      }
    }
  }
  if (drawsWindow(mode)) {
    // Direct drawing on the window is limited to the screen the window was made on.
    int rows = rowCount;
    int screenRows = gViewWindow.screenHeight - y + gViewWindow.verticalPosition;
    if (screenRows < rows)
      rows = screenRows;
    int windowX = x - gViewWindow.horizontalPosition;
    int windowY = y - gViewWindow.verticalPosition;
    if (rows == 1) {
      int cut = width;
      int screenColumns = gViewWindow.screenWidth - x + gViewWindow.horizontalPosition;
      if (screenColumns < cut)
        cut = screenColumns;
      if (windowX < 0) {
        cut += windowX;
        windowX = 0;
      }
      invalidate(windowX, windowY, cut, 1);
    } else {
      invalidate(windowX, windowY, width, rows);
    }
  }
  return result;
}

void surfaceBlendImage(int mode, int x, int y, int slot, int sx0, int sy0, int sx1, int sy1) {
  if (!glyphSlotValid(slot))
    return;
  const int slotWidth = glyphSlotWidth(slot);
  const int slotHeight = glyphSlotHeight(slot);
  const uint8_t* coverage = glyphSlotPlane(slot, GLYPH_PLANE_COVERAGE);
  if (x < 0) {
    sx0 -= x;
    x = 0;
  }
  if (y < 0) {
    sy0 -= y;
    y = 0;
  }
  if (sx0 < 0) {
    x -= sx0;
    sx0 = 0;
  }
  if (sy0 < 0) {
    y -= sy0;
    sy0 = 0;
  }
  if (sx1 > slotWidth - 1)
    sx1 = slotWidth - 1;
  if (sy1 > slotHeight - 1)
    sy1 = slotHeight - 1;
  if (sx1 < sx0 || sy1 < sy0)
    return;
  const int fb = gSurface.foregroundBlue, fg = gSurface.foregroundGreen,
            fr = gSurface.foregroundRed;
  const int bb = gSurface.backgroundBlue, bg = gSurface.backgroundGreen,
            br = gSurface.backgroundRed;
  for (int sy = sy0; sy <= sy1; ++sy) {
    const uint8_t* source = coverage + static_cast<size_t>(sy) * slotWidth;
    // Rows wider than the buffer go out in pieces; each piece is one row write.
    for (int start = sx0; start <= sx1; start += SURFACE_ROW_BUFFER_PIXELS) {
      int end =
          start + SURFACE_ROW_BUFFER_PIXELS - 1 < sx1 ? start + SURFACE_ROW_BUFFER_PIXELS - 1 : sx1;
      uint8_t* out = gSurface.rowBuffer;
      for (int sx = start; sx <= end; ++sx) {
        int a = source[sx];
        // Divided by 256, not 255: full coverage of 255 gives 254.
        *out++ = static_cast<uint8_t>((a * fb + (255 - a) * bb) / 256);
        *out++ = static_cast<uint8_t>((a * fg + (255 - a) * bg) / 256);
        *out++ = static_cast<uint8_t>((a * fr + (255 - a) * br) / 256);
      }
      surfaceWriteRows(mode, x + (start - sx0), y + (sy - sy0), end - start + 1, 1,
                       gSurface.rowBuffer);
    }
  }
}

void surfaceCopyDisplayToDraw() {
  if (gViewWindow.drawPage == gViewWindow.displayPage || gViewWindow.pageCount != 2)
    return;
  const SurfacePage* from = displayPage();
  SurfacePage* to = drawPage();
  if (from == nullptr || to == nullptr)
    return;
  std::memcpy(to->pixels, from->pixels, static_cast<size_t>(from->stride) * from->height);
}

void surfacePresent() {
  int width = gViewWindow.clientWidth > 0 ? gViewWindow.clientWidth : gViewWindow.surfaceWidth;
  int height = gViewWindow.clientHeight > 0 ? gViewWindow.clientHeight : gViewWindow.surfaceHeight;
  invalidate(0, 0, width, height);
}

// ---- View ----

int surfaceScrollHorizontalTo(int position) {
  return scrollTo(position, gViewWindow.horizontalPosition, gViewWindow.horizontalRange,
                  SCROLL_BAR_HORIZONTAL);
}

int surfaceScrollVerticalTo(int position) {
  return scrollTo(position, gViewWindow.verticalPosition, gViewWindow.verticalRange,
                  SCROLL_BAR_VERTICAL);
}

int surfaceReadPixel(int x, int y, int* red, int* green, int* blue) {
  *red = *green = *blue = 0;
  const SurfacePage* page = displayPage();
  if (page == nullptr || x < 0 || y < 0 || x >= page->width || y >= page->height)
    return 0;
  const uint8_t* p =
      page->pixels + static_cast<size_t>(y) * page->stride + static_cast<size_t>(x) * 3;
  *blue = p[0];
  *green = p[1];
  *red = p[2];
  return 0;
}
