// The open-file dialog and message boxes, kept free of any toolkit.
//
// openfiledlgW / openfiledlg fill an OpenDialogRecord (the filter list, title, initial
// directory and file name, default extension) for a kind of file and hand it to the show
// handler that the window backend installs (the Qt backend, or a test double); messageBoxW /
// messageBoxA hand their texts to the installed message-box handler. Without a handler
// nothing is shown: the dialog reports a failure and a message box answers 0.
//
// Paths are the program's path forms (UTF-16 or Shift-JIS, backslash separators), at most
// 259 characters and a terminator. Nothing here is shown to the user on failure; reasons go
// to the trace.
#pragma once

#include <cstdint>

#include "text/paths.h" // PATH_SIZE: the file buffers

// ---- Open dialog ----

// The kind of file asked for; the program itself asks only for DIALOG_KIND_MOTION.
enum DialogFileKind : int32_t {
  DIALOG_KIND_ANY = 0,
  DIALOG_KIND_IMAGE = 1,
  DIALOG_KIND_SCRIPT = 2,
  DIALOG_KIND_SOURCE = 3, // script or image
  DIALOG_KIND_MOTION = 4, // MMD motion (.vmd)
  DIALOG_KIND_VRM = 5,    // VRM model
  DIALOG_KIND_PMX = 6,    // MMD model (.pmx)
};

constexpr uint32_t OPEN_DIALOG_RECORD_SIZE = 76; // OPENFILENAME_SIZE_VERSION_400
constexpr int OPEN_DIALOG_FILTER_SIZE = 16384;   // characters of the filter buffer
constexpr int OPEN_DIALOG_FILTER_LIMIT = 16256;  // entries are added only below this
constexpr uint32_t OFN_PATHMUSTEXIST = 0x0800;
constexpr uint32_t OFN_FILEMUSTEXIST = 0x1000;

// Results of the show handler.
constexpr int DIALOG_FILE_CHOSEN = 1;    // the file buffer holds the chosen full path
constexpr int DIALOG_CANCELLED = 0;      // the user closed the dialog without a file
constexpr int DIALOG_FAILED = -1;        // the dialog could not be shown
constexpr int DIALOG_PATH_TOO_LONG = -2; // the chosen path does not fit the file buffer

// One open dialog, as Win32's OPENFILENAME carries it. Filled by openfiledlg or
// openfiledlgW; the handler reads it and writes only the file buffer of its form.
struct OpenDialogRecord {
  uint32_t structSize;  // OPEN_DIALOG_RECORD_SIZE
  uint8_t wide;         // 0xFF: the UTF-16 fields are in use (openfiledlgW); 0: the ANSI ones
  void* owner;          // the main window (gDialogs.owner), or nullptr
  uint32_t filterIndex; // entry to select, from 1; 0 selects the first
  uint32_t fileSize;    // PATH_SIZE
  uint32_t flags;       // OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST
  // UTF-16 form
  char16_t filterW[OPEN_DIALOG_FILTER_SIZE]; // description, NUL, pattern, NUL, ..., NUL
  char16_t fileW[PATH_SIZE];                 // initial file name; the chosen path on return
  char16_t initialDirW[PATH_SIZE];           // empty: none
  const char16_t* titleW;                    // constant text
  const char16_t* defExtW;                   // without the dot; nullptr: none
  // ANSI form
  char filter[OPEN_DIALOG_FILTER_SIZE];
  char file[PATH_SIZE];
  char initialDir[PATH_SIZE];
  const char* title;
  const char* defExt;
};

// Shows the open dialog for kind, starting from initialPath (a directory with its trailing
// backslash, a full file path, or empty). Returns 0 with the chosen full path in out (unless
// out is null), or -1 when the dialog was cancelled or failed; out is then untouched.
int openfiledlgW(char16_t* out, int kind, const char16_t* initialPath);
int openfiledlg(char* out, int kind, const char* initialPath);

// Fill record for kind and initialPath, in the UTF-16 or the ANSI form, without showing
// it; openfiledlgW and openfiledlg call them. Exposed for the backends' own tests.
void buildOpenDialogW(OpenDialogRecord* record, int kind, const char16_t* initialPath);
void buildOpenDialog(OpenDialogRecord* record, int kind, const char* initialPath);

// ---- Message boxes ----

// Style bits and answers, with the values the platforms' message-box calls use (Win32's
// MessageBox takes them as they are; the extension question uses MB_OKCANCEL |
// MB_ICONINFORMATION | MB_TOPMOST).
constexpr unsigned MB_OK = 0x0;
constexpr unsigned MB_OKCANCEL = 0x1;
constexpr unsigned MB_YESNOCANCEL = 0x3;
constexpr unsigned MB_YESNO = 0x4;
constexpr unsigned MB_TYPEMASK = 0xF;
constexpr unsigned MB_ICONERROR = 0x10;
constexpr unsigned MB_ICONQUESTION = 0x20;
constexpr unsigned MB_ICONWARNING = 0x30;
constexpr unsigned MB_ICONINFORMATION = 0x40;
constexpr unsigned MB_ICONMASK = 0xF0;
constexpr unsigned MB_TOPMOST = 0x40000;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Shows a modal message box (CR LF in text breaks lines) and returns the answer (IDOK,
// IDCANCEL, IDYES, IDNO), or 0 when no box could be shown. The A form converts its
// Shift-JIS texts with the program's tables (at most 9998 bytes of each are shown).
int messageBoxW(const char16_t* text, const char16_t* caption, unsigned style);
int messageBoxA(const char* sjisText, const char* sjisCaption, unsigned style);

// ---- Handlers ----

typedef int (*OpenDialogHandler)(OpenDialogRecord* record);
// text and caption are UTF-16; owner is gDialogs.owner.
typedef int (*MessageBoxHandler)(const char16_t* text, const char16_t* caption, unsigned style,
                                 void* owner);

constexpr int MESSAGE_TEXT_UNITS = 2 * 9998 + 2; // strsjis2uni of 9998 bytes, terminated

struct DialogState {
  OpenDialogHandler showOpenDialog;      // set by setOpenDialogHandler; nullptr: none
  MessageBoxHandler showMessageBox;      // set by setMessageBoxHandler; nullptr: none
  void* owner;                           // the main window (a QWidget* in the Qt backend); set by
                                         // setDialogOwner when it opens, cleared when it closes
  char16_t textW[MESSAGE_TEXT_UNITS];    // messageBoxA's converted text, during the call
  char16_t captionW[MESSAGE_TEXT_UNITS]; // messageBoxA's converted caption, during the call
  // The dialog being shown, filled by openfiledlg/openfiledlgW. Dialogs are modal and one
  // at a time; kept here rather than on the stack under the toolkit's nested event loop.
  OpenDialogRecord record;
};
extern DialogState gDialogs;

// Each returns the handler it replaces, so a test can put it back.
OpenDialogHandler setOpenDialogHandler(OpenDialogHandler show);
MessageBoxHandler setMessageBoxHandler(MessageBoxHandler show);
void setDialogOwner(void* window);
