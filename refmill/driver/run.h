// A whole refmill run, from the command line to the exit code.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "refmill/driver/exit_code.h"

namespace refmill::driver {

// What a run talks to: the console and the folder it works in.
struct Console {
  std::istream& in;    // answers to the overwrite question
  std::ostream& out;   // messages, unless they go to error.log
  bool utf8_terminal;  // show Shift-JIS messages as UTF-8
  // The folder refmill itself lies in: data files the working folder lacks
  // are looked for there. Empty: the working folder only.
  std::string program_folder = {};
};

// Runs the conversion `args` (without the program name) describe, with
// error.log in the current working folder and the data files there or in
// the program folder.
ExitCode Run(const std::vector<std::string>& args, const Console& console);

}  // namespace refmill::driver
