#include "tests/support/style_fixture.h"

#include "tests/support/sjis_literal.h"

namespace testing_support {

refmill::format::StyleSettings MakeStyle(const std::vector<std::string>& input_format,
                                         const std::vector<std::string>& templates) {
  refmill::format::StyleSettings s;
  for (const std::string& line : input_format) s.input_columns.push_back(Sjis(line));
  s.columns = refmill::text::ColumnLookup(s.input_columns);
  s.roles = refmill::format::PlaceholderColumns::From(s.columns);
  std::vector<std::string> lines;
  for (const std::string& line : templates) lines.push_back(Sjis(line));
  s.templates = refmill::format::TemplateTable(lines, s.columns);
  return s;
}

refmill::format::FieldList Fields(std::string_view utf8_line) {
  return refmill::format::SplitFields(Sjis(utf8_line));
}

}  // namespace testing_support
