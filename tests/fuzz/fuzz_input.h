// Shared by the fuzz targets: one fuzz input cut into the several texts a
// target needs, and a check that stops the fuzzer on a broken promise.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace fuzz {

// 0xFF is never a byte of Shift-JIS text, so cutting there leaves every
// part free to hold any character; seed files show the cuts as "\xff".
inline constexpr char kPartSeparator = '\xFF';

// The input cut at every separator, padded with empty parts to `count`.
inline std::vector<std::string_view> Parts(const uint8_t* data, size_t size, size_t count) {
  const std::string_view all(reinterpret_cast<const char*>(data), size);
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (size_t pos = all.find(kPartSeparator); pos != std::string_view::npos;
       pos = all.find(kPartSeparator, start)) {
    parts.push_back(all.substr(start, pos - start));
    start = pos + 1;
  }
  parts.push_back(all.substr(start));
  while (parts.size() < count) parts.emplace_back();
  return parts;
}

// A broken promise: libFuzzer records the input that caused it.
[[noreturn]] inline void Fail(const char* what) {
  std::fprintf(stderr, "broken promise: %s\n", what);
  std::abort();
}

inline void Check(bool ok, const char* what) {
  if (!ok) Fail(what);
}

}  // namespace fuzz
