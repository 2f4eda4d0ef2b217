// The Qt backend as the program loads it: the module kinetrace-qt.so beside the executable
// holds the dialogs and the report window and exposes one function, kinetraceQtBackend,
// that returns their table. The program loads it only when it first needs a window or a
// dialog, so the console modes never map Qt (nor need it installed). This header includes
// nothing of Qt.
#pragma once

#include <cstdint>

#include "display/backend.h"
#include "text/dialogs.h"

constexpr int32_t QT_BACKEND_VERSION = 1; // raised whenever QtBackend changes
constexpr const char* QT_BACKEND_MODULE = "kinetrace-qt.so";
constexpr const char* QT_BACKEND_ENTRY = "kinetraceQtBackend";

struct QtBackend {
  int32_t version;                  // QT_BACKEND_VERSION of the module
  OpenDialogHandler showOpenDialog; // for setOpenDialogHandler
  MessageBoxHandler showMessageBox; // for setMessageBoxHandler
  const DisplayPlatform* display;   // for displaySetPlatform
};

// The module's one exported function. Nothing of Qt starts here: the QApplication is made
// when the first dialog, window or cursor is needed.
extern "C" const QtBackend* kinetraceQtBackend();
