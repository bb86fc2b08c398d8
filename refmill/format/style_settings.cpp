#include "refmill/format/style_settings.h"

#include "refmill/text/sjis.h"

namespace refmill::format {
namespace {

// The name of a "name=value" line: the text before its first "="; a line
// without "=" has an empty name.
std::string_view NameOf(std::string_view line) {
  const size_t eq = text::FindByte(line, '=');
  return eq == text::kNotFound ? std::string_view() : line.substr(0, eq);
}

std::string_view ValueOf(std::string_view line) {
  const size_t eq = text::FindByte(line, '=');
  return eq == text::kNotFound ? std::string_view() : line.substr(eq + 1);
}

}  // namespace

AbbreviationTable::AbbreviationTable(const std::vector<std::string_view>& lines) {
  values_.reserve(lines.size());
  index_.reserve(lines.size());
  for (std::string_view line : lines) {
    const auto [it, inserted] =
        index_.try_emplace(text::LowerAscii(NameOf(line)), static_cast<uint32_t>(values_.size()));
    if (inserted) values_.emplace_back(ValueOf(line));
  }
}

std::string_view AbbreviationTable::Lookup(std::string_view title) const {
  const auto it = index_.find(text::LowerAscii(title));
  return it == index_.end() ? std::string_view() : std::string_view(values_[it->second]);
}

PlaceholderColumns PlaceholderColumns::From(const text::ColumnLookup& lookup) {
  PlaceholderColumns r;
  r.author = lookup("$AT");
  r.editor = lookup("$ED");
  r.japanese_editor = lookup("$JE");
  r.translator = lookup("$TR");
  r.title = lookup("$TL");
  r.book_title = lookup("$BT");
  r.japanese_title = lookup("$JT");
  r.japanese_book = lookup("$JB");
  r.volume = lookup("$VL");
  r.japanese_volume = lookup("$JV");
  r.pages = lookup("$PG");
  r.japanese_pages = lookup("$JP");
  r.year = lookup("$YR");
  r.id_base = lookup("$RB");
  return r;
}

TemplateTable::TemplateTable(std::vector<std::string> lines) : lines_(std::move(lines)) {
  for (size_t i = 0; i < lines_.size(); ++i) {
    index_.try_emplace(text::LowerAscii(NameOf(lines_[i])), static_cast<uint32_t>(i));
  }
}

std::optional<std::string_view> TemplateTable::Find(std::string_view category) const {
  const auto it = index_.find(text::LowerAscii(category));
  if (it == index_.end()) return std::nullopt;
  return ValueOf(lines_[it->second]);
}

}  // namespace refmill::format
