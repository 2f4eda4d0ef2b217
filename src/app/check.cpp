#include "app/check.h"

#include "analysis/evaluate.h"
#include "analysis/listing.h"
#include "analysis/report.h"
#include "app/state.h"
#include "motion/motion.h"
#include "names/alias.h"
#include "names/builtin_tables.h"
#include "names/namelist.h"
#include "text/files.h"
#include "text/pathconv.h"
#include "text/paths.h"
#include "text/strings.h"

namespace {

// Reads alias.ini from the user's configuration folder when one is there, else the one
// beside the program; either switches the labels to English.
void loadAliasFile(FileState& f) {
  const StartupState& s = gStartup;
  const char* folders[] = {s.configDir, s.programDir};
  const char16_t* foldersW[] = {s.configDirW, s.programDirW};
  f.aliasInUse = 0;
  for (int i = 0; i < 2; ++i) {
    // A configuration folder that cannot be named is passed over, not taken for "".
    if (i == 0 && (folders[i][0] == '\0' || foldersW[i][0] == 0))
      continue;
    char ansiPath[PATH_SIZE];
    char16_t widePath[PATH_SIZE];
    catpath(ansiPath, sizeof ansiPath, folders[i], "alias.ini");
    catpathW(widePath, PATH_SIZE, foldersW[i], "alias.ini");
    if (rf2exists(ansiPath) == 0) {
      f.aliasInUse = 0xFF;
      readAliasFile(ansiPath, u"", 0);
      return;
    }
    if (rf2existsW(widePath) == 0) {
      f.aliasInUse = 0xFF;
      readAliasFile("", widePath, 1);
      return;
    }
  }
}

} // namespace

void takeFileArgument(int index) {
  takeFilePath(index < gArgTable.count ? gArgTable.arg[index] : "",
               index < gArgTableW.count ? gArgTableW.arg[index] : u"");
}

void takeFilePath(const char* ansiPath, const char16_t* widePath) {
  FileState& f = gFile;
  f = FileState{};
  copyString(f.ansiPath, sizeof f.ansiPath, ansiPath);
  if (unilen(widePath) < PATH_SIZE)
    unicpy(f.widePath, widePath);
  f.ansiUnusable = f.ansiPath[0] == '\0' ? 0xFF : 0;
  f.wideUnusable = f.widePath[0] == 0 ? 0xFF : 0;
  if (findnameW(f.actualNameW, f.widePath) != 0)
    f.actualNameW[0] = 0;
  if (hasPathEscapes(f.widePath) == 0) {
    if (findname(f.actualName, f.ansiPath) != 0)
      f.actualName[0] = '\0';
    return;
  }
  // A path with bytes that are not UTF-8 is exact only in its UTF-16 form: its ANSI form
  // may hold '?' for them, which the look-up would take for a wildcard. The UTF-16 name
  // found gives the ANSI name instead.
  char systemName[PATH_SIZE * 3 + 1];
  if (f.actualNameW[0] == 0 || widePathToUtf8(systemName, sizeof systemName, f.actualNameW) != 0 ||
      utf8PathToAnsi(f.actualName, sizeof f.actualName, systemName) != 0)
    f.actualName[0] = '\0';
}

void checkMotionFile() {
  FileState& f = gFile;
  nameListResetAll();
  loadAliasFile(f);
  registerBuiltinTables();

  // A name with bytes that are not UTF-8 is exact only in its UTF-16 form: its ANSI form
  // can also name a UTF-8 twin (モ.vmd beside its raw Shift-JIS bytes), so only the UTF-16
  // form is read.
  int result = -1;
  if (hasPathEscapes(f.widePath) != 0) {
    f.ansiUnusable = 0xFF;
  } else {
    result = readMotionFileAnsi(f.ansiPath);
    if (result != 0)
      f.ansiUnusable = 0xFF;
  }
  if (result != 0) {
    result = readMotionFileWide(f.widePath);
    if (result != 0)
      f.wideUnusable = 0xFF;
  }
  f.readResult = result;

  writeReportHeader(f.actualName, f.actualNameW, f.aliasInUse);
  evaluateMotion();
  computeNameWidths(f.aliasInUse);
  writeBoneListing(f.aliasInUse);
  writeMorphListing(f.aliasInUse);
  composeResultText();
}
