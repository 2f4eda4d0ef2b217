// Runs the console front end in this process, as main would with these arguments:
// runConsoleWith takes argument 0 too and leaves the output where it goes;
// runConsoleCaptured puts "kinetrace" before args and collects the output.
#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/console.h"
#include "common/program_run.h"

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

inline test_program::Outcome runConsoleCaptured(std::vector<std::string> args) {
  args.insert(args.begin(), "kinetrace");
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  test_program::Outcome r;
  r.status = runConsoleWith(args);
  r.out = testing::internal::GetCapturedStdout();
  r.err = testing::internal::GetCapturedStderr();
  return r;
}
