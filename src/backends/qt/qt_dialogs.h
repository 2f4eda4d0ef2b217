// The Qt 6 Widgets side of the dialogs of text/dialogs.h: the open dialog on QFileDialog and
// message boxes on QMessageBox.
//
// The handlers reach the program through the backend table (backends/qt/qt_backend.h). The
// QApplication is created on the first dialog shown (qtEnsureApplication). When no display
// can be opened the process ends there, with one line on standard error and exit status
// 1, instead of aborting inside Qt.
//
// The owner window of gDialogs (setDialogOwner) is taken as a QWidget*.
#pragma once

#include "text/dialogs.h"

// 1 when Qt can be expected to open a display: QT_QPA_PLATFORM is set (offscreen, for
// instance); or DISPLAY names an X server that accepts a connection (its local socket, or
// TCP port 6000 + n for host:n); or WAYLAND_DISPLAY names a Wayland socket that accepts a
// connection and Qt's Wayland plugin is installed (QT_QPA_PLATFORM is then set to
// "wayland"). 0 otherwise.
int qtDisplayAvailable();

// Creates the QApplication unless one exists. Without a display it prints
// "kinetrace: no display available; use --print or --json for a console report" to standard
// error and exits with status 1.
void qtEnsureApplication();

// The handlers (OpenDialogHandler and MessageBoxHandler of text/dialogs.h).
// The open dialog: Qt's own dialog (not the desktop's), which matches the record's patterns
// without regard to case (*.VMD shows walk.vmd); descriptions are shown with the pattern
// part Qt needs hidden (Qt collapses their double spaces); a typed name without extension
// gets the default one.
int qtShowOpenDialog(OpenDialogRecord* record);
// Buttons by MB_TYPEMASK (OK; OK, Cancel; Yes, No, Cancel; Yes, No), icon by MB_ICONMASK,
// MB_TOPMOST keeps the box above other windows. Closing the box answers Cancel when it has
// a Cancel button, else the only or the No button, as on Windows.
int qtShowMessageBox(const char16_t* text, const char16_t* caption, unsigned style, void* owner);
