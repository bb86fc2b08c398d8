#include "tabdump/csv_writer.h"

#include "platform/encoding.h"

namespace tabdump {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kUnmappableMark = "〓";

struct Variant {
  std::string_view from;
  std::string_view to;
};
// The JIS X 0208 mapping of a character, as Mac and web text carry it, and
// the code page 932 mapping of the same Shift-JIS code.
constexpr Variant kJisVariants[] = {
    {"\u301C", "\uFF5E"},  // wave dash 〜 → fullwidth tilde ～
    {"\u2016", "\u2225"},  // double vertical line ‖ → parallel to ∥
    {"\u2212", "\uFF0D"},  // minus sign − → fullwidth hyphen-minus －
    {"\u2014", "\u2015"},  // em dash — → horizontal bar ―
    {"\u00A2", "\uFFE0"},  // cent sign ¢ → fullwidth ￠
    {"\u00A3", "\uFFE1"},  // pound sign £ → fullwidth ￡
    {"\u00AC", "\uFFE2"},  // not sign ¬ → fullwidth ￢
};

// UTF-8 never starts a character inside another, so a plain search is safe.
std::string FoldJisVariants(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t pos = 0; pos < utf8.size();) {
    // Every variant starts with C2, E2 or E3; the bytes between go over whole.
    size_t run = pos;
    while (run < utf8.size() && utf8[run] != '\xC2' && utf8[run] != '\xE2' && utf8[run] != '\xE3')
      ++run;
    if (run > pos) {
      out.append(utf8.substr(pos, run - pos));
      pos = run;
      continue;
    }
    bool folded = false;
    for (const Variant& v : kJisVariants) {
      if (utf8.substr(pos, v.from.size()) == v.from) {
        out += v.to;
        pos += v.from.size();
        folded = true;
        break;
      }
    }
    if (!folded) out += utf8[pos++];
  }
  return out;
}

}  // namespace

std::string CsvField(std::string_view cell) {
  // Most cells need neither quotes nor changes.
  bool plain = true;
  for (const char c : cell) {
    if (c == ',' || c == '"' || c == '\r' || c == '\n' || c == '\0') {
      plain = false;
      break;
    }
  }
  if (plain) return std::string(cell);
  std::string text;
  text.reserve(cell.size());
  bool needs_quotes = false;
  for (size_t pos = 0; pos < cell.size(); ++pos) {
    const char c = cell[pos];
    if (c == '\r' || c == '\n' || c == '\0') {
      if (c == '\r' && pos + 1 < cell.size() && cell[pos + 1] == '\n') ++pos;
      text += ' ';
      continue;
    }
    if (c == ',' || c == '"') needs_quotes = true;
    if (c == '"') text += '"';
    text += c;
  }
  return needs_quotes ? "\"" + text + "\"" : text;
}

std::string CsvText(const Table& table) {
  std::string out;
  for (const Row& row : table) {
    // One comma for every column passed, empty ones included.
    size_t at = 0;
    for (const Cell& cell : row) {
      out.append(cell.column - at, ',');
      out += CsvField(cell.text);
      at = cell.column;
    }
    out += kLineEnd;
  }
  return out;
}

EncodedCsv EncodeShiftJis(std::string_view utf8) {
  EncodedCsv encoded;
  const std::string mark = platform::Utf8ToSjis(kUnmappableMark);
  encoded.bytes = platform::Utf8ToSjis(FoldJisVariants(utf8), mark, &encoded.unmappable);
  return encoded;
}

}  // namespace tabdump
