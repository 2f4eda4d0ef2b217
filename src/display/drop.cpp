#include "display/drop.h"

#include "display/surface.h"
#include "text/paths.h"
#include "text/trace.h"

void dropClear() {
  ViewWindow& v = gViewWindow;
  v.dropped = 0;
  v.droppedPathW[0] = 0;
  v.droppedPath[0] = '\0';
}

void dropTakeFiles(void* drop) {
  ViewWindow& v = gViewWindow;
  const DisplayPlatform* p = displayPlatform();
  if (p == nullptr || p->dragQueryFileW == nullptr || p->dragQueryFile == nullptr)
    return;
  if (p->dragQueryPoint != nullptr) {
    p->dragQueryPoint(drop, &v.dropX, &v.dropY);
    v.dropSurfaceX = v.dropX + v.horizontalPosition;
    v.dropSurfaceY = v.dropY + v.verticalPosition;
  }
  const int count = p->dragQueryFileW(drop, -1, nullptr, 0);
  for (int i = 0; i < count; ++i) {
    char16_t wide[PATH_SIZE];
    char ansi[PATH_SIZE];
    const int wideLength = p->dragQueryFileW(drop, i, wide, PATH_SIZE);
    const int ansiLength = p->dragQueryFile(drop, i, ansi, PATH_SIZE);
    // Both forms or neither: the two argument lists must stay aligned by index.
    if (wideLength <= 0 || wideLength >= PATH_SIZE || ansiLength <= 0 || ansiLength >= PATH_SIZE) {
      trace("drop: name %d skipped (%d units, %d bytes)\n", i, wideLength, ansiLength);
      continue;
    }
    if (i == 0) {
      unicpy(v.droppedPathW, wide);
      for (int k = 0; k <= ansiLength; ++k)
        v.droppedPath[k] = ansi[k];
    } else if (putargs(&gArgTable, &gArgTableW, ansi, wide) != 0) {
      trace("drop: name %d left out, the argument lists are full\n", i);
      continue;
    }
    v.dropped = 0xFF;
  }
  if (p->dragFinish != nullptr)
    p->dragFinish(drop);
}
