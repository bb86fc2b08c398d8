// Fuzzes the entry formatter with fuzzed styles and entries: InputFormat
// lines, templates, the Special texts, abbreviations and romanisation rules
// all come from the input. Whatever they hold, formatting ends, gives a text
// or names the style's fault, and gives the same answer twice.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "refmill/format/entry_formatter.h"
#include "refmill/format/fields.h"
#include "refmill/format/sort_key.h"
#include "refmill/format/style_settings.h"
#include "refmill/format/value_memo.h"
#include "refmill/text/lines.h"
#include "refmill/text/sjis.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

namespace format = refmill::format;
using format::StyleFault;
using format::TextOrFault;

class CountingSink : public format::WarningSink {
 public:
  void Warn(int, format::Warning, std::string_view) override { ++count; }
  size_t count = 0;
};

std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  for (const std::string_view line : refmill::text::SplitLines(text)) lines.emplace_back(line);
  return lines;
}

// Settings the way the style loader fills them, from the parts of the input.
format::StyleSettings MakeSettings(const std::vector<std::string_view>& parts) {
  const std::string_view flags = parts[0];
  auto flag = [&](size_t byte, int bit) {
    return byte < flags.size() && (static_cast<unsigned char>(flags[byte]) >> bit & 1) != 0;
  };
  auto number = [&](size_t byte, int count) {
    return byte < flags.size() ? static_cast<unsigned char>(flags[byte]) % count : 0;
  };
  format::StyleSettings s;
  s.input_columns = Lines(parts[1]);
  s.columns = refmill::text::ColumnLookup(s.input_columns);
  s.roles = format::PlaceholderColumns::From(s.columns);
  s.optional = flag(2, 7);
  s.nodouble = flag(1, 7);
  std::vector<std::string> templates = Lines(parts[2]);
  if (s.optional) {
    for (std::string& line : templates) line = format::MarkOptionalParts(line);
  }
  s.templates = format::TemplateTable(std::move(templates), s.columns, s.optional);
  s.etal = flag(0, 0);
  s.etal_a = flag(0, 1);
  s.abbrev = flag(0, 2);
  s.sameyear = flag(0, 3);
  s.initial = flag(0, 4);
  s.page = static_cast<int32_t>(number(1, 3));
  s.sort = static_cast<int32_t>(number(2, 3));
  s.e_at = static_cast<int32_t>(number(3, 3));
  // The Special texts, one a line, in the order the loader reads them; a
  // missing line keeps the default.
  std::string* texts[] = {&s.jname_sep,  &s.jname_sep2, &s.ename_sep, &s.jname_etal, &s.ename_etal,
                          &s.translator, &s.j_ed,       &s.e_ed1,     &s.e_ed2,      &s.j_sub,
                          &s.e_sub,      &s.no,         &s.samename};
  const std::vector<std::string> special = Lines(parts[4]);
  for (size_t i = 0; i < special.size() && i < std::size(texts); ++i) *texts[i] = special[i];
  const std::vector<std::string_view> abbreviations = refmill::text::SplitLines(parts[5]);
  s.abbreviations = format::AbbreviationTable(abbreviations);
  s.romaji = refmill::text::TKana2Romaji::FromText(parts[6]);
  return s;
}

bool SameOutcome(const TextOrFault& a, const TextOrFault& b) {
  if (a.index() != b.index()) return false;
  if (const auto* text = std::get_if<std::string>(&a)) return *text == std::get<std::string>(b);
  return std::get<StyleFault>(a) == std::get<StyleFault>(b);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<std::string_view> parts = fuzz::Parts(data, size, 7);
  // Romanisation blow-ups are the kana2romaji target's business.
  if (parts[6].size() > 256) return 0;
  const format::StyleSettings settings = MakeSettings(parts);
  const format::FieldList fields = format::SplitFields(parts[3]);
  const bool repeat = !parts[0].empty() && (static_cast<unsigned char>(parts[0][0]) >> 5 & 1);
  std::string letter;
  if (parts[0].size() > 4) letter = format::YearLetter(static_cast<unsigned char>(parts[0][4]));

  CountingSink sink;
  const format::EntryContext ctx{settings, 5, sink};
  const TextOrFault key = format::MakeSortKey(fields, ctx);
  if (const auto* text = std::get_if<std::string>(&key)) {
    fuzz::Check(refmill::text::FindByte(*text, '|') == refmill::text::kNotFound,
                "a sort field holds \"|\"");
  }
  const size_t before = sink.count;
  const TextOrFault entry = format::FormatEntry(fields, repeat, letter, ctx);
  const size_t warnings = sink.count - before;
  fuzz::Check(SameOutcome(entry, format::FormatEntry(fields, repeat, letter, ctx)),
              "formatting one entry twice gives two answers");
  fuzz::Check(sink.count - before == 2 * warnings, "formatting one entry twice warns differently");

  // The marked entry made from the unmarked one's text is the marked entry.
  bool literally = false;
  const TextOrFault unmarked = format::FormatEntry(fields, false, {}, ctx, nullptr, &literally);
  if (const auto* text = std::get_if<std::string>(&unmarked); text != nullptr && !literally) {
    if (auto marked = format::FormatMarkedEntry(fields, *text, repeat, letter, ctx)) {
      fuzz::Check(SameOutcome(TextOrFault(std::move(*marked)), entry),
                  "a marked entry made from its unmarked text differs");
    }
    // The same with the values kept from the entry on another line: an ID
    // made from the line number is not the other line's.
    format::UnmarkedValues known;
    const format::EntryContext other{settings, 6, sink};
    const TextOrFault other_unmarked = format::FormatEntry(fields, false, {}, other);
    if (const auto* other_text = std::get_if<std::string>(&other_unmarked)) {
      format::FormatMarkedEntry(fields, *other_text, repeat, letter, other, &known);
    }
    if (auto marked = format::FormatMarkedEntry(fields, *text, repeat, letter, ctx, &known)) {
      fuzz::Check(SameOutcome(TextOrFault(std::move(*marked)), entry),
                  "a marked entry made with kept values differs");
    }
  }

  const format::EntryFields with_letter(fields, settings.roles.year, letter.empty() ? "a" : letter);
  const TextOrFault id = format::MakeEntryId(with_letter, format::KindOf(fields[1]), ctx);
  if (const auto* text = std::get_if<std::string>(&id)) {
    for (const char c : *text) {
      fuzz::Check(static_cast<unsigned char>(c) < 0x80, "an ID that is not plain ASCII");
    }
  }
  // Values remembered from another line, and then from this very entry,
  // change neither the entry nor its warnings.
  format::ValueMemo memo;
  const format::EntryContext other_line{settings, 6, sink, &memo};
  format::FormatEntry(fields, false, {}, other_line);
  format::MakeSortKey(fields, other_line);
  const format::EntryContext remembering{settings, 5, sink, &memo};
  for (int round = 0; round < 2; ++round) {
    const size_t from = sink.count;
    fuzz::Check(SameOutcome(format::FormatEntry(fields, repeat, letter, remembering), entry),
                "an entry made with remembered values differs");
    fuzz::Check(sink.count - from == warnings, "an entry made with remembered values warns less");
    fuzz::Check(SameOutcome(format::MakeSortKey(fields, remembering), key),
                "a sort field made with remembered values differs");
  }
  format::IssueText(fields[2], settings);
  return 0;
}
