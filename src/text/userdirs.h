// The user's own folders, for a program installed where its user cannot write: the
// configuration folder ($XDG_CONFIG_HOME) and the pictures folder (XDG_PICTURES_DIR, as
// xdg-user-dir PICTURES finds it). Each result is given in the program's two path forms
// (text/pathconv.h), ending in a backslash.
//
// Only absolute values are taken from the environment and from user-dirs.dirs; a relative
// one is passed over, as the XDG conventions ask. Nothing here creates a folder except
// makefolder.
#pragma once

#include <cstddef>

// "$XDG_CONFIG_HOME\kinetrace\", else "$HOME\.config\kinetrace\". Returns 0, or -1 when
// neither variable helps or a form does not fit (ansiSize bytes, wideUnits units).
int userConfigFolder(char* ansi, size_t ansiSize, char16_t* wide, size_t wideUnits);
// "<pictures>\Kinetrace\", <pictures> being $XDG_PICTURES_DIR, else the XDG_PICTURES_DIR
// line of user-dirs.dirs in the configuration home ("$HOME/..." or an absolute path),
// else "$HOME\Pictures". Returns 0, or -1 as above.
int userPicturesFolder(char* ansi, size_t ansiSize, char16_t* wide, size_t wideUnits);
// Creates the folder a path form names, with every missing parent; the UTF-16 form is
// used unless it is empty. Returns 0 when the folder is there afterwards, -1 otherwise.
int makefolder(const char* ansi, const char16_t* wide);
