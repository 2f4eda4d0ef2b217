#include "app/backend.h"

#include "display/surface.h"
#include "text/dialogs.h"

#ifdef _WIN32

#include "backends/win32/win32_dialogs.h"
#include "backends/win32/win32_window.h"

int installWindowBackend() {
  setOpenDialogHandler(win32ShowOpenDialog);
  setMessageBoxHandler(win32ShowMessageBox);
  displaySetPlatform(win32WindowPlatform());
  return 0;
}

#else

#include <cstdio>
#include <cstring>

#include "backends/qt/qt_backend.h"
#include "os/os.h"

int installWindowBackend() {
  return installQtBackend();
}

int installQtBackend() {
  char path[4096];
  if (osExecutablePath(path, sizeof path - std::strlen(QT_BACKEND_MODULE)) != 0) {
    std::fputs("kinetrace: cannot find the program's folder to load the report window\n", stderr);
    return 1;
  }
  char* slash = std::strrchr(path, '/');
  std::strcpy(slash != nullptr ? slash + 1 : path, QT_BACKEND_MODULE);
  return installQtBackendFrom(path);
}

int installQtBackendFrom(const char* path) {
  char error[512];
  using Entry = const QtBackend* (*)();
  auto entry = reinterpret_cast<Entry>(osModuleSymbol(path, QT_BACKEND_ENTRY, error, sizeof error));
  const QtBackend* backend = entry != nullptr ? entry() : nullptr;
  if (backend == nullptr || backend->version != QT_BACKEND_VERSION) {
    std::fprintf(stderr, "kinetrace: cannot load the report window: %s\n",
                 backend == nullptr ? error
                                    : "the module belongs to another version of the program");
    return 1;
  }
  setOpenDialogHandler(backend->showOpenDialog);
  setMessageBoxHandler(backend->showMessageBox);
  displaySetPlatform(backend->display);
  return 0;
}

#endif
