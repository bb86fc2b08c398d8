// One refimport run, from the command line to the exit code. main builds the
// real console and calls Run; tests call Run with string streams.
#pragma once

#include <string>
#include <vector>

#include "refimport/exit_code.h"
#include "refimport/reference.h"
#include "tabdump/run.h"

namespace refimport {

// Runs refimport on `args` (the command line without the program name):
// [/u] source destination, or /? for the help text. Writes the table and
// returns ExitCode::kWritten, with one warning line per entry skipped or
// changed; or writes one line to `console.err` and returns the failure's
// code, leaving the destination as it was.
ExitCode Run(const std::vector<std::string>& args, const tabdump::Console& console);

// The table for `references` in UTF-8: the heading line and one row per
// reference, numbered from 1, CR LF after every line.
std::string TableText(const std::vector<Reference>& references);

}  // namespace refimport
