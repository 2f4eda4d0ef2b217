#include "app/check.h"

#include <cstdio>
#include <cstring>

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

// ---- How the read went ----

namespace {

const char* const kBlockNames[MOTION_BLOCK_COUNT] = {"bone",  "morph",       "camera",
                                                     "light", "self-shadow", "show-and-IK"};

// Signature (30 bytes) and model name (20 bytes) before the bone count.
constexpr int VMD_HEADER_SIZE = 30 + VMD_MODEL_NAME_SIZE;

// Thousands separated by commas, as in "283,678".
void grouped(char* out, size_t size, long long value) {
  char digits[32];
  std::snprintf(digits, sizeof digits, "%lld", value < 0 ? -value : value);
  size_t n = 0;
  if (value < 0 && n + 1 < size)
    out[n++] = '-';
  const size_t length = std::strlen(digits);
  for (size_t i = 0; i < length && n + 2 < size; ++i) {
    if (i > 0 && (length - i) % 3 == 0)
      out[n++] = ',';
    out[n++] = digits[i];
  }
  out[n] = '\0';
}

} // namespace

int32_t declaredRecords(int block) {
  const MotionSummary& m = gMotion;
  const int32_t declared[MOTION_BLOCK_COUNT] = {m.boneKeyTotal,       m.morphKeyTotal,
                                                m.cameraKeyTotal,     m.lightKeyTotal,
                                                m.selfShadowKeyTotal, m.showIkKeyTotal};
  return declared[block];
}

int describeReadProblem(char* out, size_t size) {
  const MotionSummary& m = gMotion;
  out[0] = '\0';
  if (gFile.readResult == -1) {
    std::snprintf(out, size, "cannot open: %s", fileErrorText(m.openErrno));
    return -1;
  }
  if (m.end == MOTION_END_SIGNATURE) {
    std::snprintf(out, size, "not a VMD 0002 motion file");
    return -1;
  }
  if (m.endBlock != MOTION_BLOCK_NONE) {
    const int block = m.endBlock;
    if (m.endInCount != 0 && block == MOTION_BLOCK_BONES && m.endOffset < VMD_HEADER_SIZE)
      std::snprintf(out, size, "ends inside the header (read %lld of %d bytes)",
                    static_cast<long long>(m.endOffset), VMD_HEADER_SIZE);
    else if (m.endInCount != 0)
      std::snprintf(out, size, "ends inside the count of the %s keys", kBlockNames[block]);
    else
      std::snprintf(out, size, "ends inside the %s keys (read %d of %d)", kBlockNames[block],
                    m.recordsRead[block], declaredRecords(block));
  } else if (gFile.readResult != 0) {
    std::snprintf(out, size, "truncated at byte %lld", static_cast<long long>(m.endOffset));
  }
  if (m.namesRefused > 0) {
    char count[32];
    grouped(count, sizeof count, m.namesRefused);
    const size_t used = std::strlen(out);
    std::snprintf(out + used, size - used,
                  "%s%s names beyond the name lists' capacity were not counted",
                  used > 0 ? "; " : "", count);
  }
  return out[0] != '\0' ? -1 : 0;
}
