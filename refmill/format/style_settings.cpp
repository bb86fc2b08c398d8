#include "refmill/format/style_settings.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "refmill/text/lines.h"
#include "refmill/text/sjis.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace refmill::format {
namespace {

// The name and the value of a "name=value" line: the texts before and
// after its first "="; a line without "=" has both empty.
std::pair<std::string_view, std::string_view> NameAndValue(std::string_view line) {
  const size_t eq = text::FindByte(line, '=');
  if (eq == text::kNotFound) return {};
  return {line.substr(0, eq), line.substr(eq + 1)};
}

std::string_view NameOf(std::string_view line) { return NameAndValue(line).first; }

std::string_view ValueOf(std::string_view line) { return NameAndValue(line).second; }

}  // namespace

AbbreviationTable::AbbreviationTable(const std::vector<std::string_view>& lines) {
  auto index = std::make_shared<Index>();
  size_t bytes = 0;
  for (std::string_view line : lines) bytes += line.size() + 1;
  // Room for all of them first, so the views of the copies stay valid.
  index->text.reserve(bytes);
  std::vector<std::string_view> kept;
  kept.reserve(lines.size());
  for (std::string_view line : lines) {
    const size_t at = index->text.size();
    index->text.append(line);
    kept.push_back(std::string_view(index->text).substr(at));
    index->text.push_back('\n');
  }
  IndexLines(*index, kept);
  index_ = std::move(index);
}

AbbreviationTable AbbreviationTable::FromText(std::string text) {
  auto index = std::make_shared<Index>();
  index->text = std::move(text);
  IndexLines(*index, text::SplitLines(index->text));
  AbbreviationTable table;
  table.index_ = std::move(index);
  return table;
}

std::pair<std::string_view, std::string_view> AbbreviationTable::LineAt(std::string_view text,
                                                                        const Slot& slot) {
  const size_t at = slot.line_at;
  const size_t title = (slot.tag >> 8) & kLongPart;
  const size_t abbreviation = slot.tag & kLongPart;
  if (title == kLongPart || abbreviation == kLongPart) {
    constexpr std::string_view kLineEnds("\r\n\0", 3);
    return NameAndValue(text.substr(at, text.find_first_of(kLineEnds, at) - at));
  }
  // A line without "=" has the empty title and abbreviation.
  if (abbreviation == 0) return {text.substr(at, title), {}};
  return {text.substr(at, title), text.substr(at + title + 1, abbreviation)};
}

void AbbreviationTable::IndexLines(Index& index, const std::vector<std::string_view>& lines) {
  const std::string_view text = index.text;
  if (text.size() >= Slot::kEmpty) throw std::length_error("abbreviation table too large");
  size_t slots = 16;
  while (slots < 2 * lines.size()) slots *= 2;
  index.slots.resize(slots);
  const size_t mask = slots - 1;
  const text::CaseFoldHash hash;
  // Each line's place is a random one in a table larger than the cache:
  // the slots of the lines a few ahead are made and asked for while this
  // one is placed.
  constexpr size_t kAhead = 8;
  struct Placed {
    uint64_t hash;
    std::string_view name;
    size_t value_length;
  };
  std::array<Placed, kAhead> ahead;
  const auto make = [&](size_t k) {
    const auto [name, value] = NameAndValue(lines[k]);
    ahead[k % kAhead] = {hash(name), name, value.size()};
    __builtin_prefetch(&index.slots[ahead[k % kAhead].hash & mask]);
  };
  for (size_t k = 0; k < std::min(kAhead, lines.size()); ++k) make(k);
  for (size_t k = 0; k < lines.size(); ++k) {
    const Placed line = ahead[k % kAhead];
    const auto line_at = static_cast<uint32_t>(lines[k].data() - text.data());
    if (k + kAhead < lines.size()) make(k + kAhead);
    const uint32_t tag = Tag(line.hash, line.name.size(), line.value_length);
    for (size_t i = line.hash & mask;; i = (i + 1) & mask) {
      Slot& slot = index.slots[i];
      if (slot.line_at == Slot::kEmpty) {
        slot = {tag, line_at};
        ++index.count;
        break;
      }
      // Of two equal titles the first line counts.
      if (((slot.tag ^ tag) & kTitleTag) == 0 &&
          text::CaseFoldEqual()(LineAt(text, slot).first, line.name)) {
        break;
      }
    }
  }
}

std::string_view AbbreviationTable::Lookup(std::string_view title) const {
  if (index_ == nullptr) return {};
  const std::string_view text = index_->text;
  const uint64_t h = text::CaseFoldHash()(title);
  const uint32_t tag = Tag(h, title.size(), 0);
  const size_t mask = index_->slots.size() - 1;
  for (size_t i = h & mask;; i = (i + 1) & mask) {
    const Slot& slot = index_->slots[i];
    if (slot.line_at == Slot::kEmpty) return {};
    if (((slot.tag ^ tag) & kTitleTag) != 0) continue;
    const auto [name, value] = LineAt(text, slot);
    if (text::CaseFoldEqual()(name, title)) return value;
  }
}

EscapeRules::EscapeRules(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    const std::string_view name = NameOf(line);
    if (name.empty()) continue;
    rules_.emplace_back(std::string(name), std::string(ValueOf(line)));
    const auto first = static_cast<unsigned char>(name.front());
    if (!starts_[first]) start_bytes_.push_back(name.front());
    starts_[first] = true;
    starts_can_close_ = starts_can_close_ || platform::IsTrailByte(first);
  }
}

size_t EscapeRules::NextStart(std::string_view text, size_t pos) const {
  if (starts_can_close_) {
    while (pos < text.size() && !starts_[static_cast<unsigned char>(text[pos])]) {
      pos += text::CharLength(text, pos);
    }
    return pos;
  }
  // Where no rule begins with a byte that can close a character ("&", "<",
  // "%" and the like), such a byte begins a character wherever it stands,
  // and the bytes are passed without telling characters apart: sixteen at a
  // time for the few bytes a file type such as HTML escapes.
#if defined(__SSE2__)
  constexpr size_t kBlock = 16;
  constexpr size_t kBytesCompared = 4;
  if (!start_bytes_.empty() && start_bytes_.size() <= kBytesCompared) {
    const auto wanted = [this](size_t i) {
      return _mm_set1_epi8(start_bytes_[std::min(i, start_bytes_.size() - 1)]);
    };
    const __m128i a = wanted(0), b = wanted(1), c = wanted(2), d = wanted(3);
    for (; pos + kBlock <= text.size(); pos += kBlock) {
      const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + pos));
      const __m128i hits =
          _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(block, a), _mm_cmpeq_epi8(block, b)),
                       _mm_or_si128(_mm_cmpeq_epi8(block, c), _mm_cmpeq_epi8(block, d)));
      if (const int mask = _mm_movemask_epi8(hits); mask != 0) {
        return pos + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
      }
    }
  }
#endif
  while (pos < text.size() && !starts_[static_cast<unsigned char>(text[pos])]) ++pos;
  return pos;
}

void EscapeRules::ApplyInPlace(std::string& text) const {
  // Most values hold nothing to escape: find the first place that may.
  size_t pos = NextStart(text, 0);
  if (pos >= text.size()) return;
  std::string out(text, 0, pos);
  out.reserve(text.size() + text.size() / 2);
  while (pos < text.size()) {
    const std::pair<std::string, std::string>* hit = nullptr;
    for (const auto& rule : rules_) {
      if (text.compare(pos, rule.first.size(), rule.first) == 0) {
        hit = &rule;
        break;
      }
    }
    size_t from = pos + text::CharLength(text, pos);
    if (hit == nullptr) {
      out.append(text, pos, from - pos);
    } else {
      out += hit->second;
      from = pos + hit->first.size();
    }
    // What lies before the next place a rule may match goes over whole.
    pos = NextStart(text, from);
    out.append(text, from, pos - from);
  }
  text = std::move(out);
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
  r.doi = lookup("$DO");
  return r;
}

std::string MarkOptionalParts(std::string_view tmpl) {
  std::string out;
  out.reserve(tmpl.size());
  for (size_t pos = 0; pos < tmpl.size();) {
    if (tmpl.substr(pos, kOptionalOpen.size()) == kOptionalOpen) {
      out.push_back(kOptionalOpenMark);
      pos += kOptionalOpen.size();
    } else if (tmpl.substr(pos, kOptionalClose.size()) == kOptionalClose) {
      out.push_back(kOptionalCloseMark);
      pos += kOptionalClose.size();
    } else {
      const size_t len = text::CharLength(tmpl, pos);
      out.append(tmpl, pos, len);
      pos += len;
    }
  }
  return out;
}

std::optional<TemplatePlan> PlanTemplate(std::string_view tmpl, const text::ColumnLookup& columns,
                                         bool optional_parts) {
  constexpr size_t kTokenLength = 3;
  TemplatePlan plan;
  std::vector<size_t> open_parts;                    // parts still waiting for their closing mark
  std::unordered_map<std::string, int32_t> numbers;  // token → index into plan.tokens
  std::unordered_set<int32_t> codes;
  size_t literal_start = 0;
  auto close_literal = [&](size_t end) {
    if (end > literal_start) {
      plan.parts.push_back(
          {static_cast<uint32_t>(literal_start), static_cast<uint32_t>(end - literal_start), -1});
    }
  };
  for (size_t pos = 0; pos < tmpl.size();) {
    const size_t len = text::CharLength(tmpl, pos);
    if (optional_parts && (tmpl[pos] == kOptionalOpenMark || tmpl[pos] == kOptionalCloseMark)) {
      close_literal(pos);
      literal_start = pos + 1;
      if (tmpl[pos] == kOptionalOpenMark) {
        open_parts.push_back(plan.parts.size());
        plan.parts.push_back({0, 0, TemplatePlan::kOpen});
      } else if (!open_parts.empty()) {
        // A closing mark without an opening one is dropped.
        plan.parts[open_parts.back()].offset = static_cast<uint32_t>(plan.parts.size());
        open_parts.pop_back();
        plan.parts.push_back({0, 0, TemplatePlan::kClose});
      }
      ++pos;
      continue;
    }
    if (len != 1 || tmpl[pos] != '$') {
      pos += len;
      continue;
    }
    const std::string_view token = tmpl.substr(pos, kTokenLength);
    const size_t end = pos + token.size();
    size_t inside = pos + 1;
    while (inside < end) {
      if (text::CharLength(tmpl, inside) == 1 &&
          (tmpl[inside] == '$' || (optional_parts && (tmpl[inside] == kOptionalOpenMark ||
                                                      tmpl[inside] == kOptionalCloseMark)))) {
        return std::nullopt;
      }
      inside += text::CharLength(tmpl, inside);
    }
    if (inside != end) return std::nullopt;  // the token ends inside a character
    close_literal(pos);
    const auto [it, added] =
        numbers.try_emplace(std::string(token), static_cast<int32_t>(plan.tokens.size()));
    const int32_t index = it->second;
    if (added) {
      const int32_t code = columns(token);
      plan.tokens.push_back({std::string(token), code, 0, !codes.insert(code).second});
    }
    ++plan.tokens[static_cast<size_t>(index)].uses;
    if (!open_parts.empty()) plan.tokens[static_cast<size_t>(index)].in_optional_part = true;
    plan.parts.push_back({static_cast<uint32_t>(pos), static_cast<uint32_t>(token.size()), index});
    pos = end;
    literal_start = end;
  }
  close_literal(tmpl.size());
  // A part left open runs to the end of the template.
  for (; !open_parts.empty(); open_parts.pop_back()) {
    plan.parts[open_parts.back()].offset = static_cast<uint32_t>(plan.parts.size());
    plan.parts.push_back({0, 0, TemplatePlan::kClose});
  }
  return plan;
}

TemplateTable::TemplateTable(std::vector<std::string> lines, const text::ColumnLookup& columns,
                             bool optional_parts)
    : lines_(std::move(lines)), optional_parts_(optional_parts) {
  for (size_t i = 0; i < lines_.size(); ++i) {
    index_.try_emplace(std::string(NameOf(lines_[i])), static_cast<uint32_t>(i));
    name_lengths_.push_back(NameOf(lines_[i]).size());
    const std::string_view value = ValueOf(lines_[i]);
    values_.emplace_back(value.empty() ? 0 : static_cast<size_t>(value.data() - lines_[i].data()),
                         value.size());
    plans_.push_back(PlanTemplate(value, columns, optional_parts));
  }
}

std::optional<TemplateTable::Template> TemplateTable::Find(std::string_view category) const {
  // Every entry asks: a style's handful of categories are compared in line
  // order (the first line of a name counts) faster than a name is hashed.
  constexpr size_t kComparedInTurn = 16;
  size_t line = lines_.size();
  if (lines_.size() <= kComparedInTurn) {
    for (size_t i = 0; i < lines_.size(); ++i) {
      if (name_lengths_[i] == category.size() &&
          text::EqualsIgnoringAsciiCase(std::string_view(lines_[i]).substr(0, name_lengths_[i]),
                                        category)) {
        line = i;
        break;
      }
    }
  } else if (const auto it = index_.find(category); it != index_.end()) {
    line = it->second;
  }
  if (line == lines_.size()) return std::nullopt;
  const auto& plan = plans_[line];
  const auto [at, length] = values_[line];
  return Template{std::string_view(lines_[line]).substr(at, length), plan ? &*plan : nullptr,
                  optional_parts_};
}

std::optional<TemplateTable::Template> TemplateTable::First() const {
  if (lines_.empty()) return std::nullopt;
  const auto& plan = plans_.front();
  const auto [at, length] = values_.front();
  return Template{std::string_view(lines_.front()).substr(at, length), plan ? &*plan : nullptr,
                  optional_parts_};
}

}  // namespace refmill::format
