// Built-in bone and morph tables: the program's knowledge of MMD names. Registering them
// fills LIST_BONE and LIST_MORPH so that an entry's group is its classification:
//
//   LIST_BONE   group 1 main skeleton (1-61), 2 fingers (62-89), 3 ignored tips, dummies,
//               hair, cloth and accessories (90-470), 4 the motion's other names (471 on)
//   LIST_MORPH  group 1 expressions (1-61), 2 the one never reported (62), 3 others (63 on)
//
// The names are written in the source as UTF-8; their Shift-JIS forms are generated from
// them (tools/gen_builtin_names.py), and registration copies those, without allocating.
#pragma once

constexpr int BUILTIN_BONE_COUNT = 470;
constexpr int BUILTIN_MORPH_COUNT = 62;

// Empties LIST_BONE and LIST_MORPH (other lists are left alone) and registers the tables
// with their group marks: LIST_BONE ends with marks 0, 61, 89, 470 and count 470,
// LIST_MORPH with marks 0, 61, 62 and count 62. The entries are patterns ("*", "?", "？").
void registerBuiltinTables();

// The UTF-8 source text of a built-in entry (1..BUILTIN_*_COUNT), nullptr out of range.
const char* builtinBoneNameUtf8(int entry);
const char* builtinMorphNameUtf8(int entry);
// The Shift-JIS form the lists receive, nullptr out of range.
const char* builtinBoneNameSjis(int entry);
const char* builtinMorphNameSjis(int entry);
