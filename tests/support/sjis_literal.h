// Test helper: expected Shift-JIS bytes written as readable UTF-8 literals.
#pragma once

#include <string>
#include <string_view>

namespace testing_support {

// `utf8` converted to Shift-JIS bytes (code page 932).
std::string Sjis(std::string_view utf8);

}  // namespace testing_support
