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
#include "text/paths.h"
#include "text/strings.h"

namespace {

// Reads alias.ini beside the program; its mere presence switches the labels to English.
void loadAliasFile(FileState& f) {
  char ansiPath[PATH_SIZE];
  char16_t widePath[PATH_SIZE];
  catpath(ansiPath, sizeof ansiPath, gStartup.programDir, "alias.ini");
  catpathW(widePath, PATH_SIZE, gStartup.programDirW, "alias.ini");

  f.aliasInUse = 0;
  if (rf2exists(ansiPath) == 0) {
    f.aliasInUse = 0xFF;
    readAliasFile(ansiPath, u"", 0);
  } else if (rf2existsW(widePath) == 0) {
    f.aliasInUse = 0xFF;
    readAliasFile("", widePath, 1);
  }
}

} // namespace

void takeFileArgument(int index) {
  FileState& f = gFile;
  f = FileState{};
  if (index < gArgTable.count)
    copyString(f.ansiPath, sizeof f.ansiPath, gArgTable.arg[index]);
  if (index < gArgTableW.count && unilen(gArgTableW.arg[index]) < PATH_SIZE)
    unicpy(f.widePath, gArgTableW.arg[index]);
  f.ansiUnusable = f.ansiPath[0] == '\0' ? 0xFF : 0;
  f.wideUnusable = f.widePath[0] == 0 ? 0xFF : 0;
  if (findname(f.actualName, f.ansiPath) != 0)
    f.actualName[0] = '\0';
  if (findnameW(f.actualNameW, f.widePath) != 0)
    f.actualNameW[0] = 0;
}

void checkMotionFile() {
  FileState& f = gFile;
  nameListResetAll();
  loadAliasFile(f);
  registerBuiltinTables();

  int result = readMotionFileAnsi(f.ansiPath);
  if (result != 0) {
    f.ansiUnusable = 0xFF;
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
