#include "text/dialogs.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "common/text_convert.h"

using test_text::u16;

namespace {

typedef std::vector<std::pair<std::string, std::string>> FilterList;

std::string narrow(const std::u16string& s) {
  std::string out;
  for (char16_t c : s)
    out += c < 0x80 ? static_cast<char>(c) : '#';
  return out;
}

// Reads description/pattern pairs up to the empty string that ends the list, and checks
// that the buffer holds the final extra NUL right there.
template <class C>
FilterList parseFilter(const C* filter) {
  FilterList list;
  const C* p = filter;
  while (*p != 0) {
    std::basic_string<C> description(p);
    p += description.size() + 1;
    std::basic_string<C> pattern(p);
    p += pattern.size() + 1;
    if constexpr (sizeof(C) == 1)
      list.emplace_back(description, pattern);
    else
      list.emplace_back(narrow(description), narrow(pattern));
  }
  return list;
}

// The filter entries as the dialog lists them. A copy: the tables are private to
// src/text/dialogs.cpp.
const std::pair<std::string, std::string> kAll = {"All Files  (*.*)", "*.*"};
const FilterList kScript = {
    {"Script Files  (*.txt;*.ini;*.tbk)", "*.TXT;*.INI;*.TBK"},
    {"Text Files  (*.txt)", "*.TXT"},
    {"INI Files  (*.ini)", "*.INI"},
};
const FilterList kImage = {
    {"Image Files  (*.bmp;*.gif;*.avi;*.png;*.psd;*.jpg;*.jpe)",
     "*.BMP;*.GIF;*.AVI;*.PNG;*.PSD;*.JPG;*.JPE"},
    {"BMP Files  (*.bmp)", "*.BMP"},
    {"PNG Files  (*.png)", "*.PNG"},
    {"PSD Files  (*.psd)", "*.PSD"},
    {"JPEG Files  (*.jpg;*.jpe)", "*.JPG;*.JPE"},
    {"GIF Files  (*.gif)", "*.GIF"},
    {"AVI Files  (*.avi)", "*.AVI"},
};

FilterList concat(std::initializer_list<FilterList> parts) {
  FilterList all;
  for (const FilterList& part : parts)
    all.insert(all.end(), part.begin(), part.end());
  return all;
}

// The fake platform: remembers what it was shown and answers as told.
struct FakePlatform {
  int openCalls;
  int answer;             // what the open handler returns
  std::u16string chosenW; // written to the file buffer on DIALOG_FILE_CHOSEN
  std::string chosen;
  OpenDialogRecord seen; // copy of the last record shown
  std::u16string boxText;
  std::u16string boxCaption;
  unsigned boxStyle;
  void* boxOwner;
  int boxAnswer;
};
FakePlatform fake;

int fakeOpen(OpenDialogRecord* record) {
  fake.openCalls++;
  fake.seen = *record;
  if (fake.answer != DIALOG_FILE_CHOSEN)
    return fake.answer;
  if (record->wide) {
    size_t n = fake.chosenW.copy(record->fileW, PATH_SIZE - 1);
    record->fileW[n] = 0;
  } else {
    size_t n = fake.chosen.copy(record->file, PATH_SIZE - 1);
    record->file[n] = '\0';
  }
  return fake.answer;
}

int fakeBox(const char16_t* text, const char16_t* caption, unsigned style, void* owner) {
  fake.boxText = text;
  fake.boxCaption = caption;
  fake.boxStyle = style;
  fake.boxOwner = owner;
  return fake.boxAnswer;
}

class Dialogs : public ::testing::Test {
protected:
  void SetUp() override {
    fake.openCalls = 0;
    fake.answer = DIALOG_CANCELLED;
    fake.chosenW.clear();
    fake.chosen.clear();
    fake.boxAnswer = IDOK;
    previousOpen_ = setOpenDialogHandler(fakeOpen);
    previousBox_ = setMessageBoxHandler(fakeBox);
    setDialogOwner(nullptr);
  }
  void TearDown() override {
    setOpenDialogHandler(previousOpen_);
    setMessageBoxHandler(previousBox_);
    setDialogOwner(nullptr);
  }
  // Builds both forms for kind and initial path (ASCII) and checks they agree on
  // everything but the encoding; returns the UTF-16 record.
  const OpenDialogRecord& build(int kind, const std::string& initial) {
    buildOpenDialog(&ansi_, kind, initial.c_str());
    buildOpenDialogW(&wide_, kind, u16(initial).c_str());
    EXPECT_EQ(parseFilter(ansi_.filter), parseFilter(wide_.filterW)) << kind;
    EXPECT_EQ(ansi_.filterIndex, wide_.filterIndex) << kind << " " << initial;
    // The ANSI form titles the VRM and PMX kinds by their low two bits (checked below).
    bool ownTitle = kind != DIALOG_KIND_VRM && kind != DIALOG_KIND_PMX;
    if (ownTitle) {
      EXPECT_EQ(std::string(ansi_.title), narrow(wide_.titleW)) << kind;
      EXPECT_EQ(ansi_.defExt == nullptr, wide_.defExtW == nullptr) << kind;
      if (ansi_.defExt != nullptr && wide_.defExtW != nullptr) {
        EXPECT_EQ(std::string(ansi_.defExt), narrow(wide_.defExtW)) << kind;
      }
    }
    EXPECT_EQ(std::string(ansi_.file), narrow(wide_.fileW));
    EXPECT_EQ(std::string(ansi_.initialDir), narrow(wide_.initialDirW));
    EXPECT_EQ(ansi_.wide, 0);
    EXPECT_EQ(wide_.wide, 0xFF);
    return wide_;
  }

  OpenDialogRecord ansi_;
  OpenDialogRecord wide_;
  OpenDialogHandler previousOpen_;
  MessageBoxHandler previousBox_;
};

} // namespace

TEST_F(Dialogs, FiltersTitlesAndExtensionsByKind) {
  struct Case {
    int kind;
    FilterList filters;
    const char* title;
    const char* defExt; // nullptr: none
  } cases[] = {
      {0, {kAll}, "Open File", "txt"},
      {1, concat({kImage, {kAll}}), "Open Image File", "bmp"},
      {2, concat({kScript, {kAll}}), "Open Script File", "txt"},
      {3, concat({kScript, kImage, {kAll}}), "Open Source File", nullptr},
      {4, {{"MMD Motion File  (*.vmd)", "*.VMD"}, kAll}, "Open MMD Motion File", "vmd"},
      {5, {{"VRM Model File  (*.vrm)", "*.VRM"}, kAll}, "Open VRM Model File", "vrm"},
      {6, {{"MMD Model File  (*.pmx)", "*.PMX"}, kAll}, "Open MMD Model File", "pmx"},
      // Outside 0-6 the same rules hold: kind 7 is a source kind without groups.
      {7, {kAll}, "Open Source File", nullptr},
      {-1, {kAll}, "Open File", "txt"},
  };
  for (const Case& c : cases) {
    const OpenDialogRecord& r = build(c.kind, "");
    EXPECT_EQ(parseFilter(r.filterW), c.filters) << c.kind;
    EXPECT_EQ(narrow(r.titleW), c.title) << c.kind;
    if (c.defExt == nullptr) {
      EXPECT_EQ(r.defExtW, nullptr) << c.kind;
    } else {
      ASSERT_NE(r.defExtW, nullptr) << c.kind;
      EXPECT_EQ(narrow(r.defExtW), c.defExt) << c.kind;
    }
    EXPECT_EQ(r.structSize, 76u);
    EXPECT_EQ(r.flags, 0x1800u);
    EXPECT_EQ(r.fileSize, 260u);
    EXPECT_EQ(r.filterIndex, 0u) << c.kind;
  }
  EXPECT_EQ(parseFilter(build(3, "").filterW).size(), 11u);
}

TEST_F(Dialogs, AnsiFormTitlesModelKindsByTheirLowBits) {
  struct Case {
    int kind;
    const char* initial;
    const char* title;
    const char* defExt;
  } cases[] = {
      {5, "", "Open Image File", "bmp"},
      {6, "", "Open Script File", "txt"},
      // A matching initial extension still picks the kind's own default extension.
      {5, "C:\\m\\a.vrm", "Open Image File", "vrm"},
      {6, "C:\\m\\a.pmx", "Open Script File", "pmx"},
  };
  for (const Case& c : cases) {
    build(c.kind, c.initial);
    EXPECT_STREQ(ansi_.title, c.title) << c.kind;
    ASSERT_NE(ansi_.defExt, nullptr);
    EXPECT_STREQ(ansi_.defExt, c.defExt) << c.kind;
  }
}

TEST_F(Dialogs, InitialPathIsSplit) {
  struct Case {
    int kind;
    const char* initial;
    const char* dir;
    const char* file;
    uint32_t index;
  } cases[] = {
      {4, "C:\\tools\\", "C:\\tools", "", 0},
      {4, "C:\\m\\walk.vmd", "C:\\m", "walk.vmd", 1},
      {4, "C:\\", "C:\\", "", 0},
      {4, "", "", "", 0},
      {4, "walk.VMD", "", "walk.VMD", 1},
      {4, "C:\\my.dir\\", "C:\\my.dir", "", 0},
      {4, "\\\\server\\share\\x.vmd2", "\\\\server\\share", "x.vmd2", 1},
      {0, "C:\\m\\notes.txt", "C:\\m", "notes.txt", 0},
  };
  for (const Case& c : cases) {
    const OpenDialogRecord& r = build(c.kind, c.initial);
    EXPECT_EQ(narrow(r.initialDirW), c.dir) << c.initial;
    EXPECT_EQ(narrow(r.fileW), c.file) << c.initial;
    EXPECT_EQ(r.filterIndex, c.index) << c.initial;
  }
}

TEST_F(Dialogs, InitialExtensionSelectsFilterShowingIt) {
  struct Case {
    int kind;
    const char* initial;
    uint32_t index; // 0: nothing matched
    const char* defExt;
  } cases[] = {
      {4, "a.Vmd", 1, "vmd"}, {5, "a.vrm", 1, "vrm"},  {6, "a.PMX", 1, "pmx"},
      {5, "a.vmd", 0, "vrm"}, {1, "a.png", 3, "png"},  {1, "a.bmp", 2, "bmp"},
      {1, "a.psd", 4, "psd"}, {1, "a.jpg", 5, "jpg"},  {1, "a.gif", 6, "gif"},
      {1, "a.avi", 7, "avi"}, {1, "a.jpe", 0, "bmp"},  {1, "a.txt", 0, "bmp"},
      {2, "a.ini", 3, "ini"}, {2, "a.TXT", 2, "txt"},  {2, "a.tbk", 0, "txt"},
      {3, "a.txt", 2, "txt"}, {3, "a.ini", 3, "ini"},  {3, "a.bmp", 5, "bmp"},
      {3, "a.png", 6, "png"}, {3, "a.psd", 7, "psd"},  {3, "a.jpg", 8, "jpg"},
      {3, "a.gif", 9, "gif"}, {3, "a.avi", 10, "avi"}, {3, "a.jpeg", 0, nullptr},
      {0, "a.txt", 0, "txt"}, {0, "a.bmp", 0, "txt"},
  };
  for (const Case& c : cases) {
    const OpenDialogRecord& r = build(c.kind, c.initial);
    EXPECT_EQ(r.filterIndex, c.index) << c.kind << " " << c.initial;
    if (c.defExt == nullptr) {
      EXPECT_EQ(r.defExtW, nullptr) << c.initial;
    } else {
      ASSERT_NE(r.defExtW, nullptr) << c.initial;
      EXPECT_EQ(narrow(r.defExtW), c.defExt) << c.kind << " " << c.initial;
    }
    if (c.index == 0)
      continue;
    // The selected entry's pattern must show files with that extension.
    FilterList filters = parseFilter(r.filterW);
    ASSERT_LE(c.index, filters.size());
    std::string pattern = filters[c.index - 1].second;
    std::string wanted = "*." + std::string(c.defExt);
    for (char& ch : wanted)
      ch = static_cast<char>(ch >= 'a' && ch <= 'z' ? ch - 32 : ch);
    EXPECT_NE(pattern.find(wanted), std::string::npos) << c.initial << " -> " << pattern;
  }
}

TEST_F(Dialogs, AnsiShiftJisInitialPath) {
  // 表 ends in 0x5C: the directory is not cut inside it.
  buildOpenDialog(&ansi_, 4, "C:\\\x95\x5C\\walk.vmd");
  EXPECT_STREQ(ansi_.initialDir, "C:\\\x95\x5C");
  EXPECT_STREQ(ansi_.file, "walk.vmd");
  buildOpenDialog(&ansi_, 4, "C:\\\x95\x5C");
  EXPECT_STREQ(ansi_.initialDir, "C:\\");
  EXPECT_STREQ(ansi_.file, "\x95\x5C");
}

TEST_F(Dialogs, LongInitialPathIsCutToAPathBuffer) {
  std::string longPath = "C:\\" + std::string(400, 'a') + "\\x.vmd";
  const OpenDialogRecord& r = build(4, longPath);
  EXPECT_EQ(narrow(r.initialDirW), "C:\\"); // the cut left no second backslash
  EXPECT_EQ(narrow(r.fileW), std::string(256, 'a'));
}

TEST_F(Dialogs, ChosenPathReachesTheCaller) {
  fake.answer = DIALOG_FILE_CHOSEN;
  fake.chosenW = u"C:\\m\\\u6B69.vmd";
  int owner = 0;
  setDialogOwner(&owner);
  char16_t out[260] = u"untouched";
  EXPECT_EQ(openfiledlgW(out, 4, u"C:\\m\\"), 0);
  EXPECT_EQ(std::u16string(out), fake.chosenW);
  EXPECT_EQ(fake.seen.owner, &owner);
  EXPECT_EQ(fake.seen.wide, 0xFF);
  EXPECT_EQ(narrow(fake.seen.titleW), "Open MMD Motion File");
  // A null output pointer is allowed.
  EXPECT_EQ(openfiledlgW(nullptr, 4, u""), 0);

  fake.chosen = "C:\\m\\\x95\xE0.vmd";
  char outA[260] = "untouched";
  EXPECT_EQ(openfiledlg(outA, 4, nullptr), 0);
  EXPECT_EQ(std::string(outA), fake.chosen);
  EXPECT_EQ(fake.seen.wide, 0);
  EXPECT_EQ(fake.openCalls, 3);
}

TEST_F(Dialogs, CancelAndFailureLeaveOutputUntouched) {
  int answers[] = {DIALOG_CANCELLED, DIALOG_FAILED, DIALOG_PATH_TOO_LONG, 42};
  for (int answer : answers) {
    fake.answer = answer;
    char16_t out[260] = u"untouched";
    char outA[260] = "untouched";
    EXPECT_EQ(openfiledlgW(out, 4, u"C:\\"), -1) << answer;
    EXPECT_EQ(openfiledlg(outA, 4, "C:\\"), -1) << answer;
    EXPECT_EQ(std::u16string(out), u"untouched");
    EXPECT_STREQ(outA, "untouched");
  }
  // A handler that claims a file but leaves the buffer empty is a failure, not "".
  fake.answer = DIALOG_FILE_CHOSEN;
  char16_t out[260] = u"untouched";
  EXPECT_EQ(openfiledlgW(out, 4, u"C:\\"), -1);
  EXPECT_EQ(std::u16string(out), u"untouched");
  // Without any handler the dialog fails.
  setOpenDialogHandler(nullptr);
  EXPECT_EQ(openfiledlgW(out, 4, u"C:\\"), -1);
  EXPECT_EQ(std::u16string(out), u"untouched");
}

TEST_F(Dialogs, MessageBoxesReachTheHandler) {
  int owner = 0;
  setDialogOwner(&owner);
  fake.boxAnswer = IDCANCEL;
  // " 強行しますか? " in Shift-JIS, caption "Kinevert".
  const char text[] = " \x8B\xAD\x8D\x73\x82\xB5\x82\xDC\x82\xB7\x82\xA9? \r\n";
  EXPECT_EQ(messageBoxA(text, "Kinevert", MB_OKCANCEL | MB_ICONINFORMATION | MB_TOPMOST), IDCANCEL);
  EXPECT_EQ(fake.boxText, u" \u5F37\u884C\u3057\u307E\u3059\u304B? \r\n");
  EXPECT_EQ(fake.boxCaption, u"Kinevert");
  EXPECT_EQ(fake.boxStyle, 0x00040041u);
  EXPECT_EQ(fake.boxOwner, &owner);

  fake.boxAnswer = IDOK;
  EXPECT_EQ(messageBoxW(u"(OK)", u"Kinetrace", MB_OK | MB_ICONINFORMATION | MB_TOPMOST), IDOK);
  EXPECT_EQ(fake.boxText, u"(OK)");
  EXPECT_EQ(messageBoxW(nullptr, nullptr, MB_OK), IDOK);
  EXPECT_EQ(fake.boxText, u"");

  setMessageBoxHandler(nullptr);
  EXPECT_EQ(messageBoxW(u"x", u"y", MB_OK), 0);
  EXPECT_EQ(messageBoxA("x", "y", MB_OK), 0);
}
