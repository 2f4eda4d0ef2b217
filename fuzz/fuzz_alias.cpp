// Fuzz target: the alias file reader on a real file, then the rules it accepted applied to
// arbitrary names.
//
// Input: one control byte, the file, then the names. The low six bits of the control byte
// give the length of the name part at the end of the input (NUL bytes separate several
// names); bit 6 reads the file by its UTF-16 path instead of the ANSI one.
//
// Checks: the rule tables stay within their capacities; every output is terminated within
// its buffer (exact-size heap buffers from 1 byte up); a smaller buffer holds a prefix of
// what a larger one holds; without rules a name is shown as stored.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "names/alias.h"
#include "names/namelist.h"
#include "text/encoding.h"

namespace {

const size_t kOutputSizes[] = {1, 2, 3, 16, 64, ALIAS_OUTPUT_SIZE};

void checkRules(int list) {
  const int count = nameListCount(list);
  FUZZ_CHECK(count >= 0 && count <= ALIAS_RULE_CAPACITY);
  const bool bone = list == LIST_BONE_ALIAS;
  for (int e = 1; e <= count; ++e) {
    const char* source = nameListText(list, e);
    FUZZ_CHECK(source[0] != '\0' && std::strlen(source) < NAME_SLOT_SIZE);
    const char* replacement = bone ? gAlias.boneReplacement[e] : gAlias.morphReplacement[e];
    FUZZ_CHECK(replacement[0] != '\0' && std::strlen(replacement) <= ALIAS_REPLACEMENT_MAX);
    const uint8_t mode = bone ? gAlias.boneMode[e] : gAlias.morphMode[e];
    FUZZ_CHECK(mode == ALIAS_MODE_PART || mode == ALIAS_MODE_TAIL || mode == ALIAS_MODE_WHOLE);
  }
}

void applyEverySize(const char* name, bool bone) {
  std::string widest;
  for (size_t size : kOutputSizes) {
    fuzz::ExactBuffer<char> out(size);
    if (bone)
      applyBoneAliases(out.data, size, name);
    else
      applyMorphAliases(out.data, size, name);
    FUZZ_CHECK(out.terminated());
    widest = out.data;
  }
  // Deterministic and cut only by the room: every size holds a prefix of the widest.
  for (size_t size : kOutputSizes) {
    fuzz::ExactBuffer<char> out(size);
    if (bone)
      applyBoneAliases(out.data, size, name);
    else
      applyMorphAliases(out.data, size, name);
    FUZZ_CHECK(widest.compare(0, std::strlen(out.data), out.data) == 0);
  }
  const int list = bone ? LIST_BONE_ALIAS : LIST_MORPH_ALIAS;
  if (nameListCount(list) == 0 && std::strlen(name) < ALIAS_OUTPUT_SIZE)
    FUZZ_CHECK(widest == name);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0)
    return 0;
  const uint8_t control = data[0];
  size_t nameLength = control & 63;
  if (nameLength > size - 1)
    nameLength = size - 1;
  const size_t fileLength = size - 1 - nameLength;
  const std::string path = fuzz::writeScratch("alias.ini", data + 1, fileLength);

  nameListResetAll();
  int result;
  if (control & 64)
    result = readAliasFile("", fuzz::wideFormOf(path).c_str(), 1);
  else
    result = readAliasFile(fuzz::ansiFormOf(path).c_str(), u"", 0);
  FUZZ_CHECK(result == 0);
  checkRules(LIST_BONE_ALIAS);
  checkRules(LIST_MORPH_ALIAS);
  fuzz::count(nameListCount(LIST_BONE_ALIAS) + nameListCount(LIST_MORPH_ALIAS) > 0 ? "rules"
                                                                                   : "no-rules");

  // The names: each NUL-separated piece of the tail, and a few built-in names.
  const uint8_t* names = data + 1 + fileLength;
  size_t start = 0;
  for (size_t i = 0; i <= nameLength; ++i) {
    if (i == nameLength || names[i] == 0) {
      fuzz::ExactText name(names + start, i - start);
      applyEverySize(name.text, true);
      applyEverySize(name.text, false);
      start = i + 1;
    }
  }
  static const char* const kFixedUtf8[] = {"左腕", "右ひじ", "左腕捩", "センター", "あ"};
  for (const char* utf8 : kFixedUtf8) {
    char sjis[32];
    utf8ToSjisBounded(sjis, sizeof sjis, utf8);
    applyEverySize(sjis, true);
    applyEverySize(sjis, false);
  }
  return 0;
}
