// Test helper: style settings built from a few lines, and a warning sink
// that records what it is told.
#pragma once

#include <string>
#include <vector>

#include "refmill/format/entry_context.h"
#include "refmill/format/fields.h"
#include "refmill/format/style_settings.h"

namespace testing_support {

// Settings with the given InputFormat lines and OutputFormat lines (both
// "name=value", UTF-8 turned into Shift-JIS); every other value is the
// default.
refmill::format::StyleSettings MakeStyle(const std::vector<std::string>& input_format,
                                         const std::vector<std::string>& templates = {});

struct RecordedWarning {
  int line;
  refmill::format::Warning warning;
  std::string detail;
  bool operator==(const RecordedWarning&) const = default;
};

class RecordingSink : public refmill::format::WarningSink {
 public:
  void Warn(int line, refmill::format::Warning warning, std::string_view detail) override {
    warnings.push_back({line, warning, std::string(detail)});
  }
  std::vector<RecordedWarning> warnings;
};

// A field list from a source line written in UTF-8.
refmill::format::FieldList Fields(std::string_view utf8_line);

}  // namespace testing_support
