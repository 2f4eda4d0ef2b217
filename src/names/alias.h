// The alias file: rewrite rules from "alias.ini" beside the program that change how bone
// and morph names are displayed (never how they are classified or counted).
//
// File syntax, one rule per line, Shift-JIS or UTF-8 (detected):
//   // comment
//   -Bone / -Morph            switch section (prefix match, ASCII case ignored)
//   source replacement        bare tokens end at a space or tab
//   "source"F "replacement"   quoted tokens may hold spaces; flags only after a quoted
//                             source: F whole name, L tail of the name, FL tail
// A rule's source goes to LIST_BONE_ALIAS or LIST_MORPH_ALIAS (entry e); its replacement
// (at most 15 bytes) and mode live in the parallel tables below. Later rules win.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr uint8_t ALIAS_MODE_PART = 0;
constexpr uint8_t ALIAS_MODE_TAIL = 1;
constexpr uint8_t ALIAS_MODE_WHOLE = 255;
constexpr int ALIAS_RULE_CAPACITY = 8191; // rule numbers 1..8191 per section
constexpr int ALIAS_REPLACEMENT_SIZE = 64;
constexpr int ALIAS_REPLACEMENT_MAX = 15; // bytes kept of a replacement
// Room for any displayed name: a 63-byte name whose every byte is replaced by 15 bytes.
constexpr size_t ALIAS_OUTPUT_SIZE = 1024;

struct AliasTables {
  // Filled by readAliasFile; valid while the alias lists hold the sources.
  char boneReplacement[ALIAS_RULE_CAPACITY + 1][ALIAS_REPLACEMENT_SIZE];
  char morphReplacement[ALIAS_RULE_CAPACITY + 1][ALIAS_REPLACEMENT_SIZE];
  uint8_t boneMode[ALIAS_RULE_CAPACITY + 1];
  uint8_t morphMode[ALIAS_RULE_CAPACITY + 1];
};
extern AliasTables gAlias;

// Reads the rules of the file (by widePath when useWide is nonzero) into the alias lists,
// which must have been reset. Returns -1 when the file cannot be opened, else 0. Invalid
// lines and rules beyond the capacity are skipped silently.
int readAliasFile(const char* ansiPath, const char16_t* widePath, int useWide);

// Writes the display form of a Shift-JIS name into out (outSize bytes, always terminated;
// a result that does not fit is cut on a character boundary). With no rules out = name.
void applyBoneAliases(char* out, size_t outSize, const char* name);
void applyMorphAliases(char* out, size_t outSize, const char* name);
