// The window program's dialogs and report window come from the Qt backend module beside the
// executable (platform/qt_backend.h), loaded here only when the desktop program starts.
#pragma once

// Loads the module and installs its dialog handlers and display platform. Returns 0; 1
// after one line on standard error when the module is missing or cannot be used.
int installQtBackend();
// The same with the module at utf8Path.
int installQtBackendFrom(const char* utf8Path);
