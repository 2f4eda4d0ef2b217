// Process-wide start-up state and the per-file state of the run sequence.
#pragma once

#include <cstdint>

#include "text/paths.h" // PATH_SIZE

constexpr int32_t EXIT_DECLINED = 0x10; // the user declined a file at the extension check

struct StartupState {
  // Settled once by start-up; read by the run sequence, the report and the viewer.
  uint32_t consoleOutputCodePage;   // 0 without a console, 65001 UTF-8, 932 Shift-JIS
  uint8_t uiJapanese;               // 0xFF when the user's UI language is Japanese
  uint8_t consoleSjis;              // 0xFF when also the console speaks Shift-JIS
  char programDir[PATH_SIZE];       // directory of the program, ending in a backslash
  char16_t programDirW[PATH_SIZE];  // the same in UTF-16
  char configDir[PATH_SIZE];        // the user's kinetrace configuration folder, ending in a
                                    // backslash; "" when HOME and XDG_CONFIG_HOME are unusable
  char16_t configDirW[PATH_SIZE];   // the same in UTF-16
  char picturesDir[PATH_SIZE];      // where captures go when the program's folder is not
                                    // writable (pictures folder\Kinetrace\), or ""
  char16_t picturesDirW[PATH_SIZE]; // the same in UTF-16
  int8_t displayLevel;              // option -D: detail of the (silent) trace
  int8_t noDialogLevel;             // option -ND: 1 no result box, 2 no extension question
  int32_t exitStatus;               // 0, or EXIT_DECLINED
};
extern StartupState gStartup;

struct FileState {
  // Reset at the top of each file's turn.
  char ansiPath[PATH_SIZE];        // the argument as given (Shift-JIS)
  char16_t widePath[PATH_SIZE];    // the same argument from the UTF-16 list
  char actualName[PATH_SIZE];      // the name as the directory stores it, "" when absent
  char16_t actualNameW[PATH_SIZE]; // the same in UTF-16
  uint8_t ansiUnusable;            // 0xFF: ansiPath empty, or reading through it failed
  uint8_t wideUnusable;            // 0xFF: widePath empty, or reading through it failed too
  uint8_t aliasInUse;              // 0xFF: an alias.ini was read (user's or the program's)
  int32_t readResult;              // result of the last read attempt (0, -1, 2)
};
extern FileState gFile;
