// ---- Index ----
// ---- Filter and kind tables ----
// ---- Building the record ----
// ---- Showing the open dialog ----
// ---- Message boxes ----
// ---- Handlers ----
#include "text/dialogs.h"

#include <cstddef>

#include "text/encoding.h"
#include "text/paths.h"
#include "text/strings.h"
#include "text/trace.h"

DialogState gDialogs;

// ---- Filter and kind tables ----

namespace {

struct FilterEntry {
  const char* description;
  const char* pattern;
};

const FilterEntry kScriptGroup[] = {
    {"Script Files  (*.txt;*.ini;*.tbk)", "*.TXT;*.INI;*.TBK"},
    {"Text Files  (*.txt)", "*.TXT"},
    {"INI Files  (*.ini)", "*.INI"},
};

const FilterEntry kImageGroup[] = {
    {"Image Files  (*.bmp;*.gif;*.avi;*.png;*.psd;*.jpg;*.jpe)",
     "*.BMP;*.GIF;*.AVI;*.PNG;*.PSD;*.JPG;*.JPE"},
    {"BMP Files  (*.bmp)", "*.BMP"},
    {"PNG Files  (*.png)", "*.PNG"},
    {"PSD Files  (*.psd)", "*.PSD"},
    {"JPEG Files  (*.jpg;*.jpe)", "*.JPG;*.JPE"},
    {"GIF Files  (*.gif)", "*.GIF"},
    {"AVI Files  (*.avi)", "*.AVI"},
};

const FilterEntry kAllFiles = {"All Files  (*.*)", "*.*"};
const FilterEntry kMotionFilter = {"MMD Motion File  (*.vmd)", "*.VMD"};
const FilterEntry kVrmFilter = {"VRM Model File  (*.vrm)", "*.VRM"};
const FilterEntry kPmxFilter = {"MMD Model File  (*.pmx)", "*.PMX"};

// Title and default extension; kinds 4-6 by value, the others by their low two bits.
struct KindText {
  const char* title;
  const char16_t* titleW;
  const char* defExt; // nullptr: none
  const char16_t* defExtW;
};

const KindText kKindTexts[] = {
    {"Open File", u"Open File", "txt", u"txt"},                       // 0 any
    {"Open Image File", u"Open Image File", "bmp", u"bmp"},           // 1 image
    {"Open Script File", u"Open Script File", "txt", u"txt"},         // 2 script
    {"Open Source File", u"Open Source File", nullptr, nullptr},      // 3 source
    {"Open MMD Motion File", u"Open MMD Motion File", "vmd", u"vmd"}, // 4 motion
    {"Open VRM Model File", u"Open VRM Model File", "vrm", u"vrm"},   // 5 VRM
    {"Open MMD Model File", u"Open MMD Model File", "pmx", u"pmx"},   // 6 PMX
};
static_assert(sizeof kKindTexts / sizeof kKindTexts[0] == DIALOG_KIND_PMX + 1,
              "one text row per file kind");

// An extension of the initial file that selects a filter and the default extension.
struct ExtensionMatch {
  int kind;
  const char* prefix; // compared with headcmpi, so ".vmdx" matches ".VMD"
  const char16_t* prefixW;
  uint32_t filterIndex; // the single-type entry of the kind's list, from 1
  const char* defExt;
  const char16_t* defExtW;
};

const ExtensionMatch kExtensionMatches[] = {
    {DIALOG_KIND_MOTION, ".VMD", u".VMD", 1, "vmd", u"vmd"},
    {DIALOG_KIND_VRM, ".VRM", u".VRM", 1, "vrm", u"vrm"},
    {DIALOG_KIND_PMX, ".PMX", u".PMX", 1, "pmx", u"pmx"},
    // Image: Image, BMP, PNG, PSD, JPEG, GIF, AVI, All.
    {DIALOG_KIND_IMAGE, ".BMP", u".BMP", 2, "bmp", u"bmp"},
    {DIALOG_KIND_IMAGE, ".PNG", u".PNG", 3, "png", u"png"},
    {DIALOG_KIND_IMAGE, ".PSD", u".PSD", 4, "psd", u"psd"},
    {DIALOG_KIND_IMAGE, ".JPG", u".JPG", 5, "jpg", u"jpg"},
    {DIALOG_KIND_IMAGE, ".GIF", u".GIF", 6, "gif", u"gif"},
    {DIALOG_KIND_IMAGE, ".AVI", u".AVI", 7, "avi", u"avi"},
    // Script: Script, Text, INI, All.
    {DIALOG_KIND_SCRIPT, ".TXT", u".TXT", 2, "txt", u"txt"},
    {DIALOG_KIND_SCRIPT, ".INI", u".INI", 3, "ini", u"ini"},
    // Source: Script, Text, INI, Image, BMP, PNG, PSD, JPEG, GIF, AVI, All.
    {DIALOG_KIND_SOURCE, ".TXT", u".TXT", 2, "txt", u"txt"},
    {DIALOG_KIND_SOURCE, ".INI", u".INI", 3, "ini", u"ini"},
    {DIALOG_KIND_SOURCE, ".BMP", u".BMP", 5, "bmp", u"bmp"},
    {DIALOG_KIND_SOURCE, ".PNG", u".PNG", 6, "png", u"png"},
    {DIALOG_KIND_SOURCE, ".PSD", u".PSD", 7, "psd", u"psd"},
    {DIALOG_KIND_SOURCE, ".JPG", u".JPG", 8, "jpg", u"jpg"},
    {DIALOG_KIND_SOURCE, ".GIF", u".GIF", 9, "gif", u"gif"},
    {DIALOG_KIND_SOURCE, ".AVI", u".AVI", 10, "avi", u"avi"},
};

} // namespace

// ---- Building the record ----

namespace {

// Appends text (ASCII) and a NUL at filter[*used]; the caller checked the limit, which
// leaves far more room than the longest entry needs.
template <class C>
void appendFilterText(C* filter, int* used, const char* text) {
  for (const char* p = text; *p != '\0'; p++)
    filter[(*used)++] = static_cast<C>(*p);
  filter[(*used)++] = 0;
}

template <class C>
void appendFilterEntry(C* filter, int* used, const FilterEntry& entry) {
  if (*used >= OPEN_DIALOG_FILTER_LIMIT)
    return;
  appendFilterText(filter, used, entry.description);
  appendFilterText(filter, used, entry.pattern);
}

template <class C>
void buildFilter(C* filter, int kind) {
  int used = 0;
  if (kind < 4 && (kind & 2) != 0) {
    for (const FilterEntry& entry : kScriptGroup)
      appendFilterEntry(filter, &used, entry);
  }
  if (kind < 4 && (kind & 1) != 0) {
    for (const FilterEntry& entry : kImageGroup)
      appendFilterEntry(filter, &used, entry);
  }
  if (kind == DIALOG_KIND_MOTION)
    appendFilterEntry(filter, &used, kMotionFilter);
  if (kind == DIALOG_KIND_VRM)
    appendFilterEntry(filter, &used, kVrmFilter);
  if (kind == DIALOG_KIND_PMX)
    appendFilterEntry(filter, &used, kPmxFilter);
  appendFilterEntry(filter, &used, kAllFiles);
  filter[used] = 0;
}

const KindText& kindText(int kind) {
  if (kind >= DIALOG_KIND_MOTION && kind <= DIALOG_KIND_PMX)
    return kKindTexts[kind];
  return kKindTexts[kind & 3];
}

// Kinds outside 0-6 are treated by the same rules; a negative kind is "any file".
int normalKind(int kind) {
  return kind < 0 ? DIALOG_KIND_ANY : kind;
}

void fillCommon(OpenDialogRecord* record, uint8_t wide) {
  record->structSize = OPEN_DIALOG_RECORD_SIZE;
  record->wide = wide;
  record->owner = gDialogs.owner;
  record->filterIndex = 0;
  record->fileSize = PATH_SIZE;
  record->flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
  record->filterW[0] = 0;
  record->filterW[1] = 0;
  record->fileW[0] = 0;
  record->initialDirW[0] = 0;
  record->titleW = nullptr;
  record->defExtW = nullptr;
  record->filter[0] = '\0';
  record->filter[1] = '\0';
  record->file[0] = '\0';
  record->initialDir[0] = '\0';
  record->title = nullptr;
  record->defExt = nullptr;
}

} // namespace

void buildOpenDialogW(OpenDialogRecord* record, int kind, const char16_t* initialPath) {
  kind = normalKind(kind);
  fillCommon(record, 0xFF);
  // The initial path is cut to the 259 characters of a path buffer before it is split.
  char16_t path[PATH_SIZE];
  int n = 0;
  if (initialPath != nullptr) {
    while (n < PATH_SIZE - 1 && initialPath[n] != 0) {
      path[n] = initialPath[n];
      n++;
    }
  }
  path[n] = 0;
  getdirW(record->initialDirW, path);
  cutdirsepW(record->initialDirW);
  getfnameW(record->fileW, path);
  char16_t extension[PATH_SIZE];
  getextW(extension, path);

  buildFilter(record->filterW, kind);
  const KindText& text = kindText(kind);
  record->titleW = text.titleW;
  record->defExtW = text.defExtW;
  for (const ExtensionMatch& match : kExtensionMatches) {
    if (match.kind == kind && headcmpiW(extension, match.prefixW) == 0) {
      record->filterIndex = match.filterIndex;
      record->defExtW = match.defExtW;
    }
  }
}

void buildOpenDialog(OpenDialogRecord* record, int kind, const char* initialPath) {
  kind = normalKind(kind);
  fillCommon(record, 0);
  char path[PATH_SIZE];
  copyString(path, sizeof path, initialPath != nullptr ? initialPath : "");
  getdir(record->initialDir, path);
  cutdirsep(record->initialDir);
  getfname(record->file, path);
  char extension[PATH_SIZE];
  getext(extension, path);

  buildFilter(record->filter, kind);
  // The ANSI form has no titles of its own for the VRM and PMX kinds: they take the title
  // and initial default extension of their low two bits (image and script), as it always
  // has; their filters and extension matches are those of the UTF-16 form.
  const KindText& text =
      kind == DIALOG_KIND_VRM || kind == DIALOG_KIND_PMX ? kKindTexts[kind & 3] : kindText(kind);
  record->title = text.title;
  record->defExt = text.defExt;
  for (const ExtensionMatch& match : kExtensionMatches) {
    if (match.kind == kind && headcmpi(extension, match.prefix) == 0) {
      record->filterIndex = match.filterIndex;
      record->defExt = match.defExt;
    }
  }
}

// ---- Showing the open dialog ----

namespace {

const char* dialogResultName(int result) {
  switch (result) {
  case DIALOG_CANCELLED:
    return "cancelled";
  case DIALOG_FAILED:
    return "DIALOG_FAILED";
  case DIALOG_PATH_TOO_LONG:
    return "DIALOG_PATH_TOO_LONG";
  default:
    return "unknown result";
  }
}

// Runs the handler; 0 when it chose a file, else -1 with the reason traced.
int showOpenDialog(OpenDialogRecord* record) {
  if (gDialogs.showOpenDialog == nullptr) {
    trace("open dialog: no dialog handler installed");
    return -1;
  }
  int result = gDialogs.showOpenDialog(record);
  if (result != DIALOG_FILE_CHOSEN) {
    trace("open dialog: %d (%s)", result, dialogResultName(result));
    return -1;
  }
  return 0;
}

} // namespace

int openfiledlgW(char16_t* out, int kind, const char16_t* initialPath) {
  OpenDialogRecord* record = &gDialogs.record;
  buildOpenDialogW(record, kind, initialPath);
  if (showOpenDialog(record) != 0)
    return -1;
  record->fileW[PATH_SIZE - 1] = 0;
  if (record->fileW[0] == 0) {
    trace("open dialog: handler chose an empty path");
    return -1;
  }
  if (out != nullptr)
    unicpy(out, record->fileW);
  return 0;
}

int openfiledlg(char* out, int kind, const char* initialPath) {
  OpenDialogRecord* record = &gDialogs.record;
  buildOpenDialog(record, kind, initialPath);
  if (showOpenDialog(record) != 0)
    return -1;
  record->file[PATH_SIZE - 1] = '\0';
  if (record->file[0] == '\0') {
    trace("open dialog: handler chose an empty path");
    return -1;
  }
  if (out != nullptr)
    copyString(out, PATH_SIZE, record->file);
  return 0;
}

// ---- Message boxes ----

int messageBoxW(const char16_t* text, const char16_t* caption, unsigned style) {
  if (gDialogs.showMessageBox == nullptr) {
    trace("message box: no handler installed");
    return 0;
  }
  return gDialogs.showMessageBox(text != nullptr ? text : u"", caption != nullptr ? caption : u"",
                                 style, gDialogs.owner);
}

int messageBoxA(const char* sjisText, const char* sjisCaption, unsigned style) {
  strsjis2uni(gDialogs.textW, sjisText != nullptr ? sjisText : "");
  strsjis2uni(gDialogs.captionW, sjisCaption != nullptr ? sjisCaption : "");
  return messageBoxW(gDialogs.textW, gDialogs.captionW, style);
}

// ---- Handlers ----

OpenDialogHandler setOpenDialogHandler(OpenDialogHandler show) {
  OpenDialogHandler previous = gDialogs.showOpenDialog;
  gDialogs.showOpenDialog = show;
  return previous;
}

MessageBoxHandler setMessageBoxHandler(MessageBoxHandler show) {
  MessageBoxHandler previous = gDialogs.showMessageBox;
  gDialogs.showMessageBox = show;
  return previous;
}

void setDialogOwner(void* window) {
  gDialogs.owner = window;
}
