// The window program's dialogs and report window. On Windows they are the Win32 ones linked
// into the program (backends/win32/win32_window.h, backends/win32/win32_dialogs.h); elsewhere they
// come from the Qt backend module beside the executable (backends/qt/qt_backend.h), loaded here
// only when the desktop program starts.
#pragma once

// Installs the dialog handlers and display platform of this build. Returns 0; 1 after one
// line on standard error when they cannot be had (the Qt module is missing or unusable).
int installWindowBackend();

#ifndef _WIN32
// Loads the module and installs its dialog handlers and display platform. Returns 0; 1
// after one line on standard error when the module is missing or cannot be used.
int installQtBackend();
// The same with the module at utf8Path.
int installQtBackendFrom(const char* utf8Path);
#endif
