#include "app/state.h"

// The process's start-up state and the current file's state: the two records of the run
// sequence.
StartupState gStartup;
FileState gFile;
