// The child of the RunInChild tests, on Linux (GoogleTest) and under wine:
// the first byte of its input says what it does with the rest.
//   'E'  sends the rest back in pieces, writes "note" to standard error, ends with 0
//   'A'  sends "before", then aborts
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/child_process.h"

namespace platform_test {

inline int ChildWork(std::FILE* input) {
  const int what = std::fgetc(input);
  if (what == 'A') {
    platform::WriteToParent("before");
    std::abort();
  }
  char buffer[1000];
  size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, input)) > 0) {
    platform::WriteToParent(std::string(buffer, got));
  }
  std::fputs("note", stderr);
  return 0;
}

}  // namespace platform_test
