#include "backends/win32/win32_dialogs.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cderr.h>
#include <commdlg.h>

#include "text/trace.h"

namespace {

// The common dialog writes up to nMaxFile characters: never more than the record holds.
DWORD fileBufferSize(const OpenDialogRecord* record) {
  return record->fileSize < PATH_SIZE ? record->fileSize : PATH_SIZE;
}

int dialogResult(BOOL chosen) {
  if (chosen)
    return DIALOG_FILE_CHOSEN;
  const DWORD code = CommDlgExtendedError();
  if (code == 0)
    return DIALOG_CANCELLED;
  trace("open dialog: CommDlgExtendedError 0x%lx\n", static_cast<unsigned long>(code));
  return code == FNERR_BUFFERTOOSMALL ? DIALOG_PATH_TOO_LONG : DIALOG_FAILED;
}

int showWide(OpenDialogRecord* record) {
  OPENFILENAMEW dialog = {};
  dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
  dialog.hwndOwner = static_cast<HWND>(record->owner);
  dialog.lpstrFilter = reinterpret_cast<const wchar_t*>(record->filterW);
  dialog.nFilterIndex = record->filterIndex;
  dialog.lpstrFile = reinterpret_cast<wchar_t*>(record->fileW);
  dialog.nMaxFile = fileBufferSize(record);
  dialog.lpstrInitialDir =
      record->initialDirW[0] != 0 ? reinterpret_cast<const wchar_t*>(record->initialDirW) : nullptr;
  dialog.lpstrTitle = reinterpret_cast<const wchar_t*>(record->titleW);
  dialog.Flags = record->flags;
  dialog.lpstrDefExt = reinterpret_cast<const wchar_t*>(record->defExtW);
  return dialogResult(GetOpenFileNameW(&dialog));
}

int showAnsi(OpenDialogRecord* record) {
  OPENFILENAMEA dialog = {};
  dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
  dialog.hwndOwner = static_cast<HWND>(record->owner);
  dialog.lpstrFilter = record->filter;
  dialog.nFilterIndex = record->filterIndex;
  dialog.lpstrFile = record->file;
  dialog.nMaxFile = fileBufferSize(record);
  dialog.lpstrInitialDir = record->initialDir[0] != '\0' ? record->initialDir : nullptr;
  dialog.lpstrTitle = record->title;
  dialog.Flags = record->flags;
  dialog.lpstrDefExt = record->defExt;
  return dialogResult(GetOpenFileNameA(&dialog));
}

} // namespace

int win32ShowOpenDialog(OpenDialogRecord* record) {
  return record->wide != 0 ? showWide(record) : showAnsi(record);
}

int win32ShowMessageBox(const char16_t* text, const char16_t* caption, unsigned style,
                        void* owner) {
  return MessageBoxW(static_cast<HWND>(owner), reinterpret_cast<const wchar_t*>(text),
                     reinterpret_cast<const wchar_t*>(caption), style);
}
