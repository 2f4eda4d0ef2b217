// Kinetrace: checks MMD motion files before they are played on VRM avatars.
#include <cstdio>

#include "app/backend.h"
#include "app/console.h"
#include "app/run.h"
#include "app/startup.h"
#include "app/version.h"

int main(int argc, char** argv) {
#ifdef _WIN32
  // The arguments as Windows gives them, not as the C runtime re-split them.
  argc = loadCommandLine(&argv);
#endif
  ConsoleOptions options;
  parseConsoleOptions(&argc, argv, &options);
  if (options.error != nullptr) {
    std::fprintf(stderr, "kinetrace: %s\n", options.error);
    printUsage(false);
    return 2;
  }
  if (options.help) {
    printUsage(true);
    return 0;
  }
  if (options.version) {
    std::printf("Kinetrace %s\n", KINETRACE_VERSION);
    return 0;
  }
  if (options.mode != CONSOLE_NONE)
    return runConsole(argc, argv, options);
    // The window program shows its reports and asks its questions through the Win32 window
    // on Windows, elsewhere through the Qt module, loaded only now. A build without Qt has
    // the console modes only.
#if defined(_WIN32) || defined(KINETRACE_HAS_QT)
  if (installWindowBackend() != 0)
    return 1;
  return runAll(argc, argv);
#else
  std::fputs("kinetrace: this build has no report window; use --print, --json or --summary "
             "for a console report\n",
             stderr);
  return 1;
#endif
}
