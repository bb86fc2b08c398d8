#include "refmill/format/sort_key.h"

#include <cstdint>
#include <optional>

#include "platform/encoding.h"
#include "platform/utf8_scan.h"
#include "refmill/format/value_memo.h"
#include "refmill/text/kana2romaji.h"
#include "refmill/text/sjis.h"

namespace refmill::format {
namespace {

constexpr std::string_view kEmptyField = "|";

StyleFault ColumnFault(std::string_view token, int32_t column, int line) {
  return StyleFault{StyleFault::Kind::kMissingColumn, std::string(token), column, line};
}

// The text before the first `byte`; empty when the byte does not occur.
std::string_view Before(std::string_view text, char byte) {
  const size_t pos = text::FindByte(text, byte);
  return pos == text::kNotFound ? std::string_view() : text.substr(0, pos);
}

// The first author's family name (Japanese) or surname (other entries).
std::string_view FirstAuthorBase(std::string_view authors, EntryKind kind) {
  if (IsJapanese(kind)) {
    std::string_view base = Before(authors, '#');
    if (base.empty()) base = Before(authors, '|');
    return base.empty() ? authors : base;
  }
  std::string_view first = Before(authors, '|');
  if (first.empty()) first = authors;
  const std::string_view surname = first.substr(text::LastPos(' ', first));
  return surname.empty() ? first : surname;
}

// The ID base column's text, or the first author's base when the column is
// empty. A table without an ID base column reads as an empty text.
std::variant<std::string_view, StyleFault> Base(const EntryFields& fields, EntryKind kind,
                                                const StyleSettings& s, int line) {
  const std::string_view id_base = fields.At(s.roles.id_base).value_or(std::string_view());
  if (id_base != kEmptyField) return id_base;
  const auto authors = fields.At(s.roles.author);
  if (!authors) return ColumnFault("$AT", s.roles.author, line);
  return FirstAuthorBase(*authors, kind);
}

bool IsAscii(std::string_view text) { return platform::AsciiRunEnd(text, 0) == text.size(); }

// Readings and name bases come again with every work of an author. A text
// in Latin letters only is quickly romanised, and not worth remembering.
std::string Romanised(std::string_view text, const EntryContext& ctx) {
  if (ctx.memo == nullptr || IsAscii(text)) return ctx.settings.romaji.Convert(text);
  if (const std::string* known = ctx.memo->Find({ValueMemo::kRomaji, 0}, text)) return *known;
  std::string value = ctx.settings.romaji.Convert(text);
  ctx.memo->Keep(value);
  return value;
}

// An ID is a name's base followed by its year: where no rule of the table
// can reach into the year, the base's reading is remembered once for all
// the years it comes with, and the year follows it as it stands.
std::string RomanisedId(std::string base, std::string_view year, const EntryContext& ctx) {
  const text::TKana2Romaji& romaji = ctx.settings.romaji;
  // Most IDs, of Latin letters and digits, are what romanising leaves as
  // they are.
  if (romaji.LeavesUnchanged(base) && romaji.LeavesUnchanged(year)) return base.append(year);
  if (ctx.memo != nullptr && !IsAscii(base) && year.size() < UINT8_MAX &&
      romaji.NoRuleReaches(year)) {
    // By the year's length too, which bounds how far the rules may grow it.
    const ValueMemo::Maker maker{ValueMemo::kRomaji, static_cast<uint8_t>(year.size() + 1)};
    std::string head;
    if (const std::string* known = ctx.memo->Find(maker, base)) {
      head = *known;
    } else {
      head = romaji.ConvertHead(base, year.size());
      ctx.memo->Keep(head);
    }
    if (head.find('#') == std::string::npos) return head.append(year);
  }
  base += year;
  return Romanised(base, ctx);
}

}  // namespace

TextOrFault MakeSortKey(const FieldList& fields, const EntryContext& ctx) {
  const StyleSettings& s = ctx.settings;
  const EntryKind kind = KindOf(fields.At(1).value_or(std::string_view()));
  const auto base = Base(EntryFields(fields), kind, s, ctx.line_number);
  if (const auto* fault = std::get_if<StyleFault>(&base)) return *fault;
  const std::string_view base_text = std::get<std::string_view>(base);
  std::string key = s.sort == 2 ? Romanised(base_text, ctx) : std::string(base_text);
  if (key == kEmptyField) {
    ctx.Warn(Warning::kNoSortField);
    return std::string(kMissingMark);
  }
  text::DeleteAllInPlace(key, '|');
  return key;
}

TextOrFault MakeEntryId(const EntryFields& fields, EntryKind kind, const EntryContext& ctx) {
  const StyleSettings& s = ctx.settings;
  const auto base = Base(fields, kind, s, ctx.line_number);
  if (const auto* fault = std::get_if<StyleFault>(&base)) return *fault;
  const auto year = fields.At(s.roles.year);
  if (!year) return ColumnFault("$YR", s.roles.year, ctx.line_number);
  std::string id = RomanisedId(text::LowerAscii(std::get<std::string_view>(base)), *year, ctx);
  if (s.private_codes != nullptr && !s.private_codes->empty()) {
    // Accented Latin letters become their base letters ("lévi" → "levi");
    // any other character Shift-JIS lacks stays non-ASCII.
    id = platform::MapPrivateCodes(id, *s.private_codes, [](char32_t c) {
      const std::string_view folded = platform::FoldToAscii(c);
      return folded.empty() ? std::string(kMissingMark) : std::string(folded);
    });
  }
  if (!IsAscii(id) || id == "||") {
    ctx.Warn(Warning::kIdGenerated);
    return "ID" + std::to_string(ctx.line_number);
  }
  return id;
}

}  // namespace refmill::format
