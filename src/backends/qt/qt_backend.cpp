#include "backends/qt/qt_backend.h"

#include "backends/qt/qt_dialogs.h"
#include "backends/qt/qt_window.h"

extern "C" __attribute__((visibility("default"))) const QtBackend* kinetraceQtBackend() {
  static const QtBackend backend = {QT_BACKEND_VERSION, qtShowOpenDialog, qtShowMessageBox,
                                    qtWindowPlatform()};
  return &backend;
}
