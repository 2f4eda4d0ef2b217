// Runs the console front end in this process, as main would with these arguments
// (argument 0 included). Capturing its output is the caller's business.
#pragma once

#include <string>
#include <vector>

#include "app/console.h"

inline int runConsoleWith(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& a : args)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  int argc = static_cast<int>(args.size());
  ConsoleOptions options;
  parseConsoleOptions(&argc, argv.data(), &options);
  return runConsole(argc, argv.data(), options);
}
