// Kinetrace: checks MMD motion files before they are played on VRM avatars.
#include <cstdio>

#include "app/console.h"
#include "app/run.h"
#include "app/version.h"
#ifdef KINETRACE_HAS_QT
#include "platform/qt_dialogs.h"
#include "platform/qt_window.h"
#endif

int main(int argc, char** argv) {
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
  // The window program shows its reports and asks its questions through Qt, started only
  // when a window or dialog is needed. A build without Qt has the console modes only.
#ifdef KINETRACE_HAS_QT
  qtInstallDialogs();
  qtInstallWindow();
  return runAll(argc, argv);
#else
  std::fputs("kinetrace: this build has no report window; use --print, --json or --summary "
             "for a console report\n",
             stderr);
  return 1;
#endif
}
