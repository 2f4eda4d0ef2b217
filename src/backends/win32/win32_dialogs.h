// The Win32 side of the dialogs of text/dialogs.h: the open dialog by GetOpenFileNameW or
// GetOpenFileNameA, as the record's form says, and message boxes by MessageBoxW.
//
// The owner window of gDialogs (setDialogOwner) is taken as an HWND.
#pragma once

#include "text/dialogs.h"

// The handlers (OpenDialogHandler and MessageBoxHandler of text/dialogs.h).
// The record goes to the common dialog as it is: filter list and index, initial directory
// and file name, title, default extension and flags; the chosen path lands in the record's
// file buffer. A cancel is DIALOG_CANCELLED, a path longer than the buffer
// (FNERR_BUFFERTOOSMALL) DIALOG_PATH_TOO_LONG, any other CommDlgExtendedError code
// DIALOG_FAILED (the code goes to the trace).
int win32ShowOpenDialog(OpenDialogRecord* record);
// MessageBoxW with the style bits as they are; the answer, or 0 when no box was shown.
// messageBoxA has already turned its Shift-JIS texts into UTF-16 with the program's own
// tables, so they read the same whatever the system's code page.
int win32ShowMessageBox(const char16_t* text, const char16_t* caption, unsigned style, void* owner);
