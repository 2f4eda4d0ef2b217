// The console's --fix and --fix-into: the corrected copy of each motion checked, written,
// read back and checked again, and what was corrected, left and measured, as text or JSON.
#include <cstdio>
#include <cstring>
#include <string>

#include "analysis/report.h"
#include "app/check.h"
#include "app/console.h"
#include "app/console_internal.h"
#include "app/fix_copy.h"
#include "app/startup.h"
#include "app/state.h"
#include "names/bone_roles.h"
#include "os/os.h"
#include "text/paths.h"
#include "text/strings.h"

namespace {

std::string boneName(SpecialBone bone) {
  return utf8Of(specialBoneName(bone));
}

std::string categoriesText(const VerdictCategories& v) {
  std::string text;
  for (int i = 0; i < v.count; ++i)
    text += (i > 0 ? " " : "") + std::string(verdictCategoryLabel(v.category[i]));
  return text;
}

// The copy's path in both forms: --fix's name, or --fix-into's folder and the motion's name.
bool targetForms(const ConsoleOptions& options, const FileOutcome& o, char* ansi, char16_t* wide,
                 std::string* shown) {
  if (argumentForms(options.fixTarget, ansi, PATH_SIZE, wide, PATH_SIZE) != 0)
    return false;
  *shown = options.fixTarget;
  if (!options.fixInto)
    return true;
  const FileState& f = gFile;
  // The name as the folder stores it; a missing file has none and was refused before.
  char16_t name[PATH_SIZE];
  getfnameW(name, f.actualNameW[0] != 0 ? f.actualNameW : f.widePath);
  char ansiName[PATH_SIZE];
  getfname(ansiName, f.actualName[0] != '\0' ? f.actualName : f.ansiPath);
  cutdirsep(ansi);
  cutdirsepW(wide);
  const size_t wideLength = static_cast<size_t>(unilen(wide));
  const bool wideEnds = wideLength > 0 && wide[wideLength - 1] == u'\\'; // a root
  if (wideLength + unilen(name) + 2 > PATH_SIZE)
    return false;
  if (!wideEnds)
    unicat(wide, u"\\");
  unicat(wide, name);
  const size_t length = std::strlen(ansi);
  const bool ansiEnds = length > 0 && ansi[length - 1] == '\\';
  // The UTF-16 form names the copy; the ANSI form serves the same-file test only.
  if (length + 2 + std::strlen(ansiName) > PATH_SIZE)
    ansi[0] = '\0';
  else
    appendString(ansi, PATH_SIZE, ansiEnds ? ansiName : ("\\" + std::string(ansiName)).c_str());
  if (!shown->empty() && shown->back() != '/')
    *shown += '/';
  *shown += fileName(o);
  return true;
}

// ---- Text ----

void printFixText(const FixFileOutcome& r) {
  std::string out = printable(r.argument, false) + " -> " + printable(r.target, false) + "\n";
  if (!r.written) {
    out += "  not written: " + r.error + "\n";
    osWriteText(1, out.data(), out.size());
    return;
  }
  const FixReport& f = r.copy->report;
  char line[512];
  if (r.copy->result == COPY_UNCHANGED)
    out += "  nothing to correct: the copy is the motion byte for byte\n";
  for (int i = 0; i < f.correctedCount; ++i) {
    const FixCorrectedBone& c = f.corrected[i];
    std::string folded;
    for (int k = 0; k < c.foldedCount; ++k)
      folded += (k > 0 ? ", " : "") + boneName(c.folded[k]) + " " +
                std::to_string(c.foldedKeys[k]) + " keys";
    std::snprintf(line, sizeof line, "  corrected   %s: %d keys -> %d keys (folded in: %s)\n",
                  boneName(c.bone).c_str(), c.keysBefore, c.keysAfter, folded.c_str());
    out += line;
  }
  for (int i = 0; i < f.renamedCount; ++i) {
    const FixRenamedBone& n = f.renamed[i];
    std::snprintf(line, sizeof line, "  renamed     %s -> %s (%d keys)\n", boneName(n.from).c_str(),
                  boneName(n.to).c_str(), n.keys);
    out += line;
  }
  for (int i = 0; i < f.leftCount; ++i) {
    const FixLeftBone& l = f.left[i];
    std::snprintf(line, sizeof line, "  left        %s: %s", boneName(l.bone).c_str(),
                  fixLeftReasonText(l.reason));
    out += line;
    out += l.reason == LEFT_MOVEMENT_DROPPED ? " (" + std::to_string(l.keys) + " keys)\n" : "\n";
  }
  std::snprintf(line, sizeof line, "  bone keys   %d -> %d\n", f.boneKeysBefore, f.boneKeysAfter);
  out += line;
  out += "  verdict     " + categoriesText(r.before) + " -> " + categoriesText(r.after) + "\n";
  if (f.maxDifferenceFrame >= 0) {
    std::snprintf(
        line, sizeof line, "  difference  at most %.4f degrees (frame %d, the chain to %s)\n",
        f.maxDifferenceDegrees, f.maxDifferenceFrame, boneName(f.maxDifferenceBone).c_str());
    out += line;
  }
  osWriteText(1, out.data(), out.size());
}

} // namespace

FixFileStatus fixCheckedFile(const FileOutcome& o, const ConsoleOptions& options) {
  FixFileStatus status = {false, false, false};
  static CorrectedCopy copy;
  FixFileOutcome r;
  r.argument = o.argument;
  r.file = fileName(o);
  r.copy = &copy;
  r.written = false;
  r.before = verdictCategories();
  r.after = r.before;
  copy.result = COPY_SOURCE_REFUSED;
  copy.report = FixReport{};
  char ansi[PATH_SIZE];
  char16_t wide[PATH_SIZE];
  r.target = options.fixTarget;
  if (!o.error.empty()) {
    r.error = o.error; // said on standard error by the loop already
    status.refused = true;
  } else if (!targetForms(options, o, ansi, wide, &r.target)) {
    r.error = "the copy's name is too long or cannot be written";
    status.failed = true;
  } else {
    const int result = writeCorrectedCopy(ansi, wide, options.overwrite ? 1 : 0, 1, &copy);
    r.written = result == COPY_WRITTEN || result == COPY_UNCHANGED;
    r.error = copy.reason;
    status.refused = result == COPY_SOURCE_REFUSED;
    status.failed = result == COPY_TARGET_REFUSED || result == COPY_FAILED;
  }
  if (!r.error.empty() && o.error.empty())
    sayFileProblem(r.target.c_str(), ("not written: " + r.error).c_str());
  if (r.written) {
    // Its arm chains were measured before it was kept; now the same check as any motion.
    takeFilePath(ansi, wide);
    checkMotionFile();
    r.after = verdictCategories();
    status.verdictReached =
        options.failOn >= 0 && r.after.category[0] <= static_cast<VerdictCategory>(options.failOn);
  }
  if (options.fixJson)
    writeFixJson(r);
  else
    printFixText(r);
  return status;
}
