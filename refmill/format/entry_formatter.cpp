#include "refmill/format/entry_formatter.h"

#include <algorithm>
#include <array>
#include <unordered_map>
#include <utility>
#include <vector>

#include "refmill/format/author_list.h"
#include "refmill/format/value_memo.h"
#include "refmill/text/sjis.h"

namespace refmill::format {
namespace {

constexpr char kTokenMark = '$';
constexpr size_t kTokenLength = 3;
constexpr std::string_view kEmptyField = "|";
// Bytes the token-by-token filling may walk for one entry (a few tenths of a
// second); ordinary templates take the one-pass filling and never come near.
constexpr size_t kLiteralFillBudget = size_t{64} << 20;
// What the template's repeats of values may add to one entry. A template of
// a hundred thousand "$TL" is a few hundred kilobytes, and so is a cell, but
// together they make gigabytes. The first use of a column's value costs no
// more than its cell, however large; every further use counts, also under
// another name that the style gives the same column.
constexpr size_t kLargestRepeatedValues = kLargestTemplate;

enum Code : int32_t {
  kShortAuthors = -1,
  kIssue = -2,
  kJapaneseIssue = -3,
  kEntryId = -4,
  kFullAuthorsEtalA = -5,
};

// True when the last byte opens a character that has no second byte.
bool EndsInsideACharacter(std::string_view text) {
  return !text.empty() && text::IsLeadByte(static_cast<unsigned char>(text.back())) &&
         text::BeginsCharacter(text, 0, text.size() - 1);
}

// "123-129" gives "123-9": the leading bytes the second number shares with
// the first are dropped when both have the same length. A range of one page,
// "45-45", is that page: dropping all it shares would leave "45-".
std::string ShortenPageRange(std::string_view value) {
  const size_t dash = text::FindByte(value, '-');
  const std::string_view first = value.substr(0, dash);
  std::string_view last = value.substr(dash + 1);
  if (first == last) return std::string(first);
  if (first.size() == last.size()) {
    size_t same = 0;
    while (same < last.size() && last[same] == first[same]) ++same;
    last.remove_prefix(same);
  }
  return std::string(first) + "-" + std::string(last);
}

bool IsStop(char c) { return c == '?' || c == '!' || c == '.'; }

bool StartsWithIgnoringCase(std::string_view text, std::string_view start) {
  return text.size() >= start.size() &&
         text::EqualsIgnoringAsciiCase(text.substr(0, start.size()), start);
}

// A DOI as a web address: "10.1037/rev0000126" and "doi:10.1037/rev0000126"
// get `resolver` in front; an address ("https://…") stays as it is.
std::string DoiAddress(std::string_view value, std::string_view resolver) {
  if (StartsWithIgnoringCase(value, "http://") || StartsWithIgnoringCase(value, "https://")) {
    return std::string(value);
  }
  if (StartsWithIgnoringCase(value, "doi:")) value.remove_prefix(4);
  while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
  return std::string(resolver) + std::string(value);
}

// A template to be filled token by token keeps its optional parts always:
// only the planned filling knows where they begin and end.
std::string WithoutOptionalMarks(std::string_view tmpl) {
  std::string out;
  out.reserve(tmpl.size());
  for (const char c : tmpl) {
    if (c != kOptionalOpenMark && c != kOptionalCloseMark) out.push_back(c);
  }
  return out;
}

// Where the template text after a value holds a full stop or comma that
// would double the value's own `stop` ("?", "!" or "."): at its start, or
// behind closing markup ("</i>.", "}.", "}}."). Not found otherwise. After a
// full stop only a full stop doubles it: the one of an abbreviation takes
// its comma ("(4th ed., pp. 1-9)").
size_t StopAfterClosingMarkup(std::string_view literal, char stop) {
  size_t pos = 0;
  while (pos < literal.size()) {
    if (literal[pos] == '}') {
      ++pos;
    } else if (literal.compare(pos, 2, "</") == 0 &&
               literal.find('>', pos) != std::string_view::npos) {
      pos = literal.find('>', pos) + 1;
    } else {
      break;
    }
  }
  if (pos < literal.size() && (literal[pos] == '.' || (literal[pos] == ',' && stop != '.'))) {
    return pos;
  }
  return text::kNotFound;
}

// Passes warnings on, counting them.
class CountingSink : public WarningSink {
 public:
  explicit CountingSink(WarningSink& next) : next_(next) {}
  void Warn(int line, Warning warning, std::string_view detail) override {
    ++count;
    next_.Warn(line, warning, detail);
  }
  size_t count = 0;

 private:
  WarningSink& next_;
};

// The values of one entry's tokens. Each distinct token is computed once,
// so its warnings appear once, in the order the template first names it.
class TokenValues {
 public:
  TokenValues(const FieldList& fields, bool repeat, std::string_view year_letter, EntryKind kind,
              const EntryContext& ctx)
      : fields_(fields, ctx.settings.roles.year, year_letter),
        repeat_(repeat),
        kind_(kind),
        ctx_(ctx),
        s_(ctx.settings) {}

  int Line() const { return ctx_.line_number; }
  const StyleSettings& Settings() const { return s_; }

  // The column `code` shows is empty, so an optional part holding it
  // vanishes before the value is made (and warned about). Computed values
  // other than author lists are judged by their text instead.
  bool ColumnEmpty(int32_t code) const {
    int64_t column = code;
    if (code == kShortAuthors || code == kFullAuthorsEtalA) {
      column = s_.roles.author;
    } else if (code < 0) {
      return false;
    }
    const auto text = fields_.At(column);
    return text && (text->empty() || *text == kEmptyField);
  }

  // What the file type does to a value on its way into the list: its
  // escapes, then what must not be escaped (its own dash, its link markup).
  // Never done to the order text, which must not depend on the file type.
  // The entry ID is a key (LaTeX's \bibitem{van_ijzendoorn1988}) that the
  // user cites by, not text: escaped, it would no longer match the citation,
  // and "\_" inside \bibitem{} stops LaTeX.
  void ForOutput(int32_t code, std::string& value) const {
    if (!s_.escapes.empty() && code != kEntryId) s_.escapes.ApplyInPlace(value);
    const PlaceholderColumns& r = s_.roles;
    if (s_.en_dash && !s_.page_dash.empty() && (code == r.pages || code == r.japanese_pages)) {
      text::ReplaceAllInPlace(value, "-", s_.page_dash);
    }
    if (!s_.link.empty() && r.doi > 0 && code == r.doi && !value.empty() && value != kMissingMark) {
      value = text::ReplaceAll(s_.link, "$", value);
    }
  }

  // The value of column `code` (in the list, with `output`) when it is the
  // column's bytes as they stand, which most titles, journals, years and
  // publishers are: a column that no rule of the style changes, holding no
  // quote to take off, no "|" and nothing the file type escapes. Nothing
  // otherwise: Compute and ForOutput make it.
  std::optional<std::string_view> AsItStands(int32_t code, bool output) const {
    if (code < 0 || !ColumnTakenAsItStands(code)) return std::nullopt;
    const std::optional<std::string_view> text = fields_.At(code);
    if (!text || text->empty() || text->front() == '"' ||
        std::find(text->begin(), text->end(), '|') != text->end() ||
        (output && !StandsInTheList(*text))) {
      return std::nullopt;
    }
    return text;
  }
  // True when a value as it stands goes into the list so.
  bool StandsInTheList(std::string_view text) const { return !s_.escapes.Changes(text); }

  // The value of `token` with every "|" deleted, or the style's fault.
  std::variant<std::string, StyleFault> Compute(std::string_view token) const {
    std::string text;
    if (auto fault = Compute(token, s_.columns(token), text)) return *std::move(fault);
    return text;
  }
  // The same into `text`, which most callers keep the value in: a value
  // moved from one wrapper into the next costs as much as making a short one.
  std::optional<StyleFault> Compute(std::string_view token, int32_t code, std::string& text) const {
    std::optional<StyleFault> fault;
    if (!Computed(code, text, fault)) fault = ColumnValue(token, code, text);
    if (fault) return fault;
    FinishValue(code, text);
    text::DeleteAllInPlace(text, '|');
    return std::nullopt;
  }

 private:
  StyleFault Fault(std::string_view what, int64_t column) const {
    return StyleFault{StyleFault::Kind::kMissingColumn, std::string(what), column,
                      ctx_.line_number};
  }

  // Values that are not read from a column of their own, into `value` or
  // `fault`; false for the rest.
  bool Computed(int32_t code, std::string& value, std::optional<StyleFault>& fault) const {
    const PlaceholderColumns& r = s_.roles;
    auto from_column = [&](std::string_view what, int32_t column, auto&& make) {
      // A column beyond the entry is the style's fault.
      const std::optional<std::string_view> text = fields_.At(column);
      if (text) {
        value = make(*text);
      } else {
        fault = Fault(what, column);
      }
      return true;
    };
    switch (code) {
      case kShortAuthors:
        return from_column("$AT", r.author,
                           [&](std::string_view t) { return ShortAuthorList(t, kind_, s_); });
      case kIssue:
        return from_column("$VL", r.volume, [&](std::string_view t) { return IssueText(t, s_); });
      case kJapaneseIssue:
        return from_column("$JV", r.japanese_volume,
                           [&](std::string_view t) { return IssueText(t, s_); });
      case kEntryId: {
        auto id = MakeEntryId(fields_, kind_, ctx_);
        if (auto* made = std::get_if<std::string>(&id)) {
          value = std::move(*made);
        } else {
          fault = std::get<StyleFault>(std::move(id));
        }
        return true;
      }
      default:
        break;
    }
    if (repeat_ && code == r.author) {
      value = s_.samename;
      return true;
    }
    return false;
  }

  // A value read from a column into `value`, with the rules of that column
  // applied; the style's fault otherwise.
  std::optional<StyleFault> ColumnValue(std::string_view token, int32_t code,
                                        std::string& value) const {
    const PlaceholderColumns& r = s_.roles;
    const int32_t column = code == kFullAuthorsEtalA ? r.author : code;
    const bool etal = code == kFullAuthorsEtalA ? s_.etal_a : s_.etal;
    const std::optional<std::string_view> raw = fields_.At(column);
    if (!raw) return Fault(token, column);
    const std::string_view text = *raw;
    if (text.empty() || text == kEmptyField) {
      ctx_.Warn(Warning::kFieldMissing,
                std::string(token) + " = " + std::to_string(int64_t{column} + 1));
      ApplyColumnRules(column, etal, kMissingMark, value, ctx_);
      return std::nullopt;
    }
    // Name lists come again with every work of an author.
    const bool remembered = ctx_.memo != nullptr && HoldsNames(column);
    if (remembered) {
      const ValueMemo::Maker maker{
          column, static_cast<uint8_t>((IsJapanese(kind_) ? 1 : 0) | (etal ? 2 : 0))};
      if (const std::string* known = ctx_.memo->Find(maker, text)) {
        value = *known;
        return std::nullopt;
      }
    }
    CountingSink counted(ctx_.warnings);
    const EntryContext counting{ctx_.settings, ctx_.line_number, counted, ctx_.memo};
    // Most columns have no quotes to take off, and a name list is made anew
    // from the column's text: it is read where it stands.
    std::string unquoted;
    std::string_view plain = text;
    if (text.front() == '"') plain = unquoted = RemoveQuotes(text);
    ApplyColumnRules(column, etal, plain, value, counting);
    // A value that warned must warn again for every entry that has it.
    if (remembered && counted.count == 0) ctx_.memo->Keep(value);
    return std::nullopt;
  }

  // The columns whose rules may change any value: names (a repeated
  // author's among them, which becomes the samename), pages, a DOI and a
  // journal to abbreviate. The rules of titles and volumes work only on a
  // "|", which a value taken as it stands does not hold.
  bool ColumnTakenAsItStands(int32_t column) const {
    const PlaceholderColumns& r = s_.roles;
    if (HoldsNames(column)) return false;
    if (column == r.pages || column == r.japanese_pages) return false;
    if (r.doi > 0 && column == r.doi) return false;
    if (s_.abbrev && (column == r.book_title || column == r.japanese_book)) return false;
    return true;
  }

  bool HoldsNames(int32_t column) const {
    const PlaceholderColumns& r = s_.roles;
    return column == r.author || column == r.editor || column == r.translator ||
           column == r.japanese_editor;
  }

  // The rules of `column` applied to `text`, its value without quotes, into
  // `value`.
  void ApplyColumnRules(int32_t column, bool etal, std::string_view text, std::string& value,
                        const EntryContext& ctx) const {
    const PlaceholderColumns& r = s_.roles;
    const bool japanese = IsJapanese(kind_);
    const bool names = column == r.author || column == r.editor;
    // Names joined by ename_join hold no "&" to tell several editors from one.
    const bool several_joined =
        column == r.editor && !japanese && !s_.ename_join.empty() && SplitNames(text).size() > 1;
    if ((japanese && names) || column == r.translator || column == r.japanese_editor) {
      value = FullAuthorListJapanese(text, etal, s_);
    } else if (!japanese && names) {
      const int32_t e_at = column == r.editor && s_.e_at_ed >= 0 ? s_.e_at_ed : s_.e_at;
      value = FullAuthorListWestern(text, etal, ctx, e_at);
      if (s_.e_at_stop && column == r.author && !value.empty() && value.back() != '.' &&
          value != kMissingMark) {
        value += '.';
      }
    } else {
      value = text;
    }

    const std::pair<int32_t, bool> subtitles[] = {
        {r.title, false}, {r.book_title, false}, {r.japanese_title, true}, {r.japanese_book, true}};
    for (const auto& [subtitle_column, always_japanese] : subtitles) {
      if (column != subtitle_column) continue;
      if (text::FindByte(value, '|') == text::kNotFound) continue;
      value = text::ReplaceAll(value, "|", japanese || always_japanese ? s_.j_sub : s_.e_sub + " ");
      if (japanese || always_japanese) value += s_.j_sub_end;
    }
    if (column == r.doi && r.doi > 0 && !s_.doi.empty() && value != kMissingMark) {
      value = DoiAddress(value, s_.doi);
    }

    if (column == r.editor) {
      if (japanese) {
        value += s_.j_ed;
      } else {
        const bool several = !s_.e_ed2.empty() && (several_joined || text::Contains(value, "&"));
        value += " " + (several ? s_.e_ed2 : s_.e_ed1);
      }
    }
    if (column == r.japanese_editor) value += s_.j_ed;
    if (column == r.translator) value += s_.translator;
    if (column == r.volume || column == r.japanese_volume) {
      const size_t bar = text::FindByte(value, '|');
      if (bar != text::kNotFound) value.resize(bar);
    }
  }

  // Rules for every value, computed ones included.
  void FinishValue(int32_t code, std::string& value) const {
    const PlaceholderColumns& r = s_.roles;
    if (s_.abbrev && (code == r.book_title || code == r.japanese_book)) {
      const std::string_view abbreviation = s_.abbreviations.Lookup(value);
      if (!abbreviation.empty()) value = std::string(abbreviation);
    }
    if (s_.page == 2 && (code == r.pages || code == r.japanese_pages) && value != kMissingMark &&
        text::FindByte(value, '-') != text::kNotFound) {
      value = ShortenPageRange(value);
    }
  }

  EntryFields fields_;
  bool repeat_;
  EntryKind kind_;
  const EntryContext& ctx_;
  const StyleSettings& s_;
};

// A token is the "$" and the two bytes after it, fewer where the template
// ends sooner.
std::string_view TokenAt(std::string_view text, size_t pos) {
  return text.substr(pos, kTokenLength);
}

// Values by token for one entry; a hash index once there are many tokens.
class ValueCache {
 public:
  // A value, or a column's bytes that stand for it as they are.
  struct Entry {
    std::string value;
    std::optional<std::string_view> as_it_stands;
  };

  const std::string* Find(std::string_view token) const {
    return const_cast<ValueCache*>(this)->Find(token);
  }
  std::string* Find(std::string_view token) {
    Entry* entry = FindEntry(token);
    if (entry == nullptr) return nullptr;
    if (entry->as_it_stands) {
      entry->value = std::string(*entry->as_it_stands);
      entry->as_it_stands.reset();
    }
    return &entry->value;
  }
  Entry* FindEntry(std::string_view token) {
    if (!index_.empty()) {
      const auto it = index_.find(std::string(token));
      return it == index_.end() ? nullptr : &entries_[it->second].second;
    }
    for (auto& [t, e] : entries_) {
      if (SameToken(t, token)) return &e;
    }
    return nullptr;
  }
  // Room for `count` values: values added up to that many stay where they
  // are, and may be referred to.
  void Reserve(size_t count) { entries_.reserve(entries_.size() + count); }
  std::string& Add(std::string_view token, std::string value) {
    return AddEntry(token, Entry{std::move(value), std::nullopt}).value;
  }
  void AddAsItStands(std::string_view token, std::string_view text) {
    AddEntry(token, Entry{std::string(), text});
  }

 private:
  static constexpr size_t kLinearLimit = 16;
  // Tokens are three bytes: compared in place rather than through a call.
  static bool SameToken(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
      if (a[i] != b[i]) return false;
    }
    return true;
  }
  Entry& AddEntry(std::string_view token, Entry entry) {
    // Room for a template's usual handful of values at once, rather than
    // growing (and moving every value) value by value.
    if (entries_.capacity() == 0) entries_.reserve(kLinearLimit);
    entries_.emplace_back(std::string(token), std::move(entry));
    if (entries_.size() > kLinearLimit) {
      if (index_.empty()) {
        for (size_t i = 0; i + 1 < entries_.size(); ++i) index_.emplace(entries_[i].first, i);
      }
      index_.emplace(entries_.back().first, entries_.size() - 1);
    }
    return entries_.back().second;
  }
  std::vector<std::pair<std::string, Entry>> entries_;
  std::unordered_map<std::string, size_t> index_;
};

// Filling the template the way its definition reads: take the first "$",
// replace every occurrence of its token, start again. Text a value brought
// in is marked dead and never read as a token, so a "$" in the data cannot
// loop. Quadratic, so it only runs for templates whose tokens overlap or
// cut characters apart, where the single pass below would differ.
std::variant<std::string, StyleFault> FillLiterally(std::string_view tmpl,
                                                    const TokenValues& values, ValueCache& cache,
                                                    bool output) {
  std::string text(tmpl);
  std::vector<char> live(text.size(), 1);
  // Each round walks the whole text. A template whose tokens overlap in
  // their thousands would take hours, so such a style is refused instead.
  size_t budget = kLiteralFillBudget;
  for (;;) {
    if (budget < text.size()) {
      return StyleFault{StyleFault::Kind::kTangledTemplate, std::string(), 0, values.Line()};
    }
    budget -= text.size();
    size_t first = text::kNotFound;
    for (size_t pos = 0; pos < text.size(); pos += text::CharLength(text, pos)) {
      if (text[pos] == kTokenMark && live[pos] != 0) {
        first = pos;
        break;
      }
    }
    if (first == text::kNotFound) return text;
    const std::string token(TokenAt(text, first));
    const std::string* cached = cache.Find(token);
    if (cached == nullptr) {
      auto value = values.Compute(token);
      if (auto* fault = std::get_if<StyleFault>(&value)) return *fault;
      std::string& text_value = std::get<std::string>(value);
      if (output) values.ForOutput(values.Settings().columns(token), text_value);
      cached = &cache.Add(token, std::move(text_value));
    }
    const std::string v = *cached;
    std::string next;
    std::vector<char> next_live;
    for (size_t pos = 0; pos < text.size();) {
      // A text past the budget fails at the next round; stop before building it.
      if (next.size() > budget) {
        return StyleFault{StyleFault::Kind::kTangledTemplate, std::string(), 0, values.Line()};
      }
      if (text[pos] == kTokenMark && live[pos] != 0 &&
          text.compare(pos, token.size(), token) == 0) {
        next += v;
        next_live.insert(next_live.end(), v.size(), 0);
        // The rest of the text is searched as a text of its own, so its
        // first byte starts a character.
        pos += token.size();
        continue;
      }
      const size_t len = text::CharLength(text, pos);
      next.append(text, pos, len);
      next_live.insert(next_live.end(), live.begin() + static_cast<std::ptrdiff_t>(pos),
                       live.begin() + static_cast<std::ptrdiff_t>(pos + len));
      pos += len;
    }
    text = std::move(next);
    live = std::move(next_live);
  }
}

// One pass from left to right along the template's plan. It gives the
// same text as the literal filling unless a value ends on half a character,
// which would join the template text after it; then it hands over.
// With `output`, the file type's rules are applied to every value as it
// goes in. `shared`, when given, holds values another template of the same entry computed
// already (unescaped), and receives the ones this one computes, so no value
// is computed, nor warned about, twice.
std::variant<std::string, StyleFault> Fill(const TemplateTable::Template& tmpl,
                                           const TokenValues& values, bool output,
                                           ValueCache* shared, bool* literally = nullptr) {
  ValueCache cache;
  if (tmpl.plan == nullptr) {
    std::string unmarked;
    std::string_view text = tmpl.text;
    if (tmpl.optional_parts) text = unmarked = WithoutOptionalMarks(text);
    if (shared != nullptr && !output) return FillLiterally(text, values, *shared, false);
    return FillLiterally(text, values, cache, output);
  }
  const TemplatePlan& plan = *tmpl.plan;
  // The values and their marks live on the stack for templates of the
  // usual handful of tokens: this runs for every entry, some twice.
  constexpr size_t kTokensOnStack = 16;
  const size_t tokens = plan.tokens.size();
  std::array<std::string, kTokensOnStack> computed_here;
  std::array<std::string_view, kTokensOnStack> values_here;
  std::array<char, kTokensOnStack> done_here{};
  std::vector<std::string> computed_elsewhere;
  std::vector<std::string_view> values_elsewhere;
  std::vector<char> done_elsewhere;
  std::string* computed = computed_here.data();
  // Each token's value, ready: in `computed`, where the shared values keep
  // it, or in the entry's column itself.
  std::string_view* value = values_here.data();
  char* done = done_here.data();
  if (tokens > kTokensOnStack) {
    computed_elsewhere.resize(tokens);
    values_elsewhere.resize(tokens);
    done_elsewhere.assign(tokens, 0);
    computed = computed_elsewhere.data();
    value = values_elsewhere.data();
    done = done_elsewhere.data();
  }
  // The values this template makes go to the shared ones, not through a
  // copy: the list's template, the last to read them, takes them from there.
  const bool sharing = shared != nullptr && !output;
  if (sharing) shared->Reserve(tokens);
  std::string out;
  // Room for an entry of a few lines at once: most values are longer than
  // the tokens that name them, and growing the text costs a copy each time.
  constexpr size_t kUsualEntry = 256;
  out.reserve(std::max(tmpl.text.size() * 2, kUsualEntry));
  size_t repeated = 0;  // bytes the repeats of values have added so far
  const bool nodouble = values.Settings().nodouble;
  char after_stop = 0;  // the "?", "!" or "." the last value ended in
  struct OpenPart {
    size_t out_size;  // where its text begins
    char after_stop;  // as it was before it
    uint32_t close;   // the index of its closing part
  };
  std::vector<OpenPart> open;
  // An optional part with an empty value vanishes as if never written; the
  // values after it are then not made at all.
  auto vanish = [&](size_t& index) {
    out.resize(open.back().out_size);
    after_stop = open.back().after_stop;
    index = open.back().close;
    open.pop_back();
  };
  for (size_t index = 0; index < plan.parts.size(); ++index) {
    const TemplatePlan::Part& part = plan.parts[index];
    if (part.token == TemplatePlan::kOpen) {
      open.push_back({out.size(), after_stop, part.offset});
      continue;
    }
    if (part.token == TemplatePlan::kClose) {
      open.pop_back();
      continue;
    }
    if (part.token == TemplatePlan::kLiteral) {
      std::string_view literal = std::string_view(tmpl.text).substr(part.offset, part.length);
      if (after_stop) {
        const size_t mark = StopAfterClosingMarkup(literal, after_stop);
        if (mark != text::kNotFound) {
          out.append(literal.substr(0, mark));
          literal.remove_prefix(mark + 1);
        }
      }
      out.append(literal);
      after_stop = 0;
      continue;
    }
    const auto t = static_cast<size_t>(part.token);
    if (!open.empty() && values.ColumnEmpty(plan.tokens[t].code)) {
      vanish(index);
      continue;
    }
    if (done[t] == 0) {
      const int32_t code = plan.tokens[t].code;
      ValueCache::Entry* known =
          shared != nullptr ? shared->FindEntry(plan.tokens[t].name) : nullptr;
      std::optional<std::string_view> as_it_stands;
      if (known != nullptr && known->as_it_stands) {
        // A column's bytes, as the order text read them: the list takes
        // them so too unless the file type escapes some.
        if (output && values.StandsInTheList(*known->as_it_stands)) {
          value[t] = *known->as_it_stands;
        } else {
          computed[t] = std::string(*known->as_it_stands);
          if (output) values.ForOutput(code, computed[t]);
          value[t] = computed[t];
        }
      } else if (known != nullptr && output) {
        // The list's template is the last to read the shared values, and
        // escapes them where they are.
        values.ForOutput(code, known->value);
        value[t] = known->value;
      } else if (known != nullptr) {
        computed[t] = known->value;
        value[t] = computed[t];
      } else if ((as_it_stands = values.AsItStands(code, output))) {
        value[t] = *as_it_stands;
        if (sharing) shared->AddAsItStands(plan.tokens[t].name, *as_it_stands);
      } else {
        std::string made;
        if (auto fault = values.Compute(plan.tokens[t].name, code, sharing ? made : computed[t])) {
          return *std::move(fault);
        }
        std::string& text =
            sharing ? shared->Add(plan.tokens[t].name, std::move(made)) : computed[t];
        if (output) values.ForOutput(code, text);
        value[t] = text;
      }
      done[t] = 1;
      const TemplatePlan::Token& token = plan.tokens[t];
      const size_t free_uses = token.code_seen_before ? 0 : 1;
      repeated += (size_t{token.uses} - free_uses) * value[t].size();
      if (repeated > kLargestRepeatedValues) {
        return StyleFault{StyleFault::Kind::kOversizedEntry, token.name, 0, values.Line()};
      }
      if (EndsInsideACharacter(value[t])) {
        for (size_t k = 0; k < tokens; ++k) {
          if (done[k] != 0) cache.Add(plan.tokens[k].name, std::string(value[k]));
        }
        if (literally != nullptr) *literally = true;
        // The cache holds escaped values already; only new ones are escaped.
        return FillLiterally(
            tmpl.optional_parts ? WithoutOptionalMarks(tmpl.text) : std::string(tmpl.text), values,
            cache, output);
      }
    }
    const std::string_view v = value[t];
    if (!open.empty() && v.empty()) {
      vanish(index);
      continue;
    }
    out += v;
    after_stop = nodouble && !v.empty() && IsStop(v.back()) ? v.back() : char{0};
  }
  return out;
}

}  // namespace

std::string IssueText(std::string_view column, const StyleSettings& s) {
  const size_t bar = text::FindByte(column, '|');
  if (bar == text::kNotFound) return std::string();
  const std::string_view number = column.substr(bar + 1);
  const size_t mark = text::FindByte(s.no, '$');
  if (mark == text::kNotFound) return std::string(number) + s.no;
  return s.no.substr(0, mark) + std::string(number) + s.no.substr(mark + 1);
}

std::string YearLetter(size_t position) {
  // Bijective base 26: after "z" the letters grow by one place, never wrap.
  constexpr size_t kLetters = 26;
  std::string letters;
  for (size_t n = position + 1; n > 0; n = (n - 1) / kLetters) {
    letters.insert(letters.begin(), static_cast<char>('a' + (n - 1) % kLetters));
  }
  return letters;
}

TextOrFault FormatEntry(const FieldList& fields, bool repeat, std::string_view year_letter,
                        const EntryContext& ctx, std::string* order_text, bool* filled_literally) {
  const std::string_view category = fields.At(1).value_or(std::string_view());
  const auto tmpl = ctx.settings.templates.Find(category);
  const EntryKind kind = KindOf(category);
  if (!tmpl || tmpl->text.empty() || kind == EntryKind::kNone) {
    ctx.Warn(Warning::kInvalidCategory);
    return std::string(kMissingMark);
  }
  const TokenValues values(fields, repeat, year_letter, kind, ctx);
  const StyleSettings& s = ctx.settings;
  const auto order_template = s.order.First();
  if (order_text == nullptr || !order_template) {
    auto filled = Fill(*tmpl, values, true, nullptr, filled_literally);
    if (auto* fault = std::get_if<StyleFault>(&filled)) return *fault;
    return std::move(std::get<std::string>(filled));
  }
  // The order text first: the list's template names the same values, and
  // the shared cache hands them over.
  ValueCache shared;
  auto order = Fill(*order_template, values, false, &shared);
  if (auto* fault = std::get_if<StyleFault>(&order)) return *fault;
  *order_text = std::move(std::get<std::string>(order));
  auto filled = Fill(*tmpl, values, true, &shared, filled_literally);
  if (auto* fault = std::get_if<StyleFault>(&filled)) return *fault;
  return std::move(std::get<std::string>(filled));
}

namespace {

// One value that marking an entry changes, and where it stands.
struct ChangedValue {
  std::string before;
  std::string after;
  size_t at = text::kNotFound;  // where `before` stands in the entry's text
};

// Where `value` stands in `text` outside the `taken` ranges, when that is
// one place only. Every place the bytes occur counts, character boundary or
// not, overlapping or not, so that a single place is certainly the value's
// own: the template puts the value there once, and nothing else may match.
size_t OnlyPlace(std::string_view text, std::string_view value,
                 const std::vector<ChangedValue>& taken) {
  size_t found = text::kNotFound;
  for (size_t at = text.find(value); at != std::string_view::npos; at = text.find(value, at + 1)) {
    bool apart = true;
    for (const ChangedValue& other : taken) {
      if (other.at != text::kNotFound && at < other.at + other.before.size() &&
          other.at < at + value.size()) {
        apart = false;
      }
    }
    if (!apart) continue;
    if (found != text::kNotFound) return text::kNotFound;
    found = at;
  }
  return found;
}

// The columns the value of `code` is made from; nothing for a computed
// value the formatter does not know, which may read any.
struct ColumnsRead {
  std::array<int32_t, 3> columns{};
  size_t count = 0;
};

std::optional<ColumnsRead> ColumnsOf(int32_t code, const PlaceholderColumns& r) {
  switch (code) {
    case kShortAuthors:
    case kFullAuthorsEtalA:
      return ColumnsRead{{r.author}, 1};
    case kIssue:
      return ColumnsRead{{r.volume}, 1};
    case kJapaneseIssue:
      return ColumnsRead{{r.japanese_volume}, 1};
    case kEntryId:
      return ColumnsRead{{r.id_base, r.author, r.year}, 3};
    default:
      if (code < 0) return std::nullopt;
      return ColumnsRead{{code}, 1};
  }
}

// True when the value of `code` may be made from column `column`.
bool ReadsColumn(int32_t code, int32_t column, const PlaceholderColumns& r) {
  const std::optional<ColumnsRead> read = ColumnsOf(code, r);
  if (!read) return true;
  for (size_t i = 0; i < read->count; ++i) {
    if (read->columns[i] == column) return true;
  }
  return false;
}

// What the value of `code` is made from, besides the style: the category's
// kind and the columns it reads, as one text; false for a computed value
// the formatter does not know.
bool InputsOf(int32_t code, const FieldList& fields, EntryKind kind, const PlaceholderColumns& r,
              std::string& inputs) {
  const std::optional<ColumnsRead> read = ColumnsOf(code, r);
  if (!read) return false;
  inputs.assign(1, static_cast<char>(kind));
  for (size_t i = 0; i < read->count; ++i) {
    const std::optional<std::string_view> text = fields.At(read->columns[i]);
    const uint64_t length = text ? text->size() : UINT64_MAX;
    inputs.append(reinterpret_cast<const char*>(&length), sizeof length);
    if (text) inputs.append(*text);
  }
  return true;
}

// The value of `token` in the unmarked entry, ready for output: the one
// `known` keeps from the entry before where it was made from the same, and
// made and kept otherwise. Nothing on a fault.
std::optional<std::string> PlainValue(const TokenValues& plain, const TemplatePlan::Token& token,
                                      const FieldList& fields, EntryKind kind,
                                      const PlaceholderColumns& r, UnmarkedValues* known) {
  std::string inputs;
  UnmarkedValues::Known* kept = nullptr;
  if (known != nullptr && InputsOf(token.code, fields, kind, r, inputs)) {
    for (UnmarkedValues::Known& k : known->known) {
      if (k.code == token.code) kept = &k;
    }
    // An ID made from the line number is the line's own.
    const bool line_bound =
        token.code == kEntryId && kept != nullptr && kept->value.rfind("ID", 0) == 0;
    if (kept != nullptr && kept->inputs == inputs && !line_bound) return kept->value;
  }
  std::string text;
  if (plain.Compute(token.name, token.code, text)) return std::nullopt;
  plain.ForOutput(token.code, text);
  if (known != nullptr && !inputs.empty()) {
    if (kept == nullptr) kept = &known->known.emplace_back();
    kept->code = token.code;
    kept->inputs = std::move(inputs);
    kept->value = text;
  }
  return text;
}

// Under nodouble, a value ending in "?", "!" or "." takes the full stop or
// comma of the literal text after it. True when the part after token part
// `index` is such that `before` and `after` leave that text alike.
bool SameStopsAfter(const TemplateTable::Template& tmpl, size_t index, std::string_view before,
                    std::string_view after) {
  auto stop = [](std::string_view value) {
    return !value.empty() && IsStop(value.back()) ? value.back() : char{0};
  };
  const char stop_before = stop(before);
  const char stop_after = stop(after);
  if (stop_before == stop_after) return true;
  const TemplatePlan& plan = *tmpl.plan;
  if (index + 1 == plan.parts.size()) return true;
  const TemplatePlan::Part& next = plan.parts[index + 1];
  if (next.token != TemplatePlan::kLiteral) return false;
  const std::string_view literal = std::string_view(tmpl.text).substr(next.offset, next.length);
  for (const char c : {stop_before, stop_after}) {
    if (c != 0 && StopAfterClosingMarkup(literal, c) != text::kNotFound) return false;
  }
  return true;
}

}  // namespace

size_t ColumnsReadForMarks(const StyleSettings& s) {
  const PlaceholderColumns& r = s.roles;
  // The category, and the year column, which takes the letter.
  size_t columns = static_cast<size_t>(std::max({int32_t{1}, r.year, r.author})) + 1;
  bool unknown = false;
  s.templates.ForEachPlan([&](const TemplatePlan* plan) {
    // A template without a plan is filled whole, from a list split whole.
    if (plan == nullptr) return;
    for (const TemplatePlan::Token& token : plan->tokens) {
      if (token.code != r.author && !ReadsColumn(token.code, r.year, r)) continue;
      const std::optional<ColumnsRead> read = ColumnsOf(token.code, r);
      if (!read) {
        unknown = true;
        continue;
      }
      for (size_t i = 0; i < read->count; ++i) {
        columns = std::max(columns, static_cast<size_t>(std::max(read->columns[i], 0)) + 1);
      }
    }
  });
  return unknown ? SIZE_MAX : columns;
}

namespace {

// Whether a mark may change `token`'s value. The samename text replaces the
// author list itself only. The year letter joins the year column, which the
// entry ID reads too, and so do the short author lists and issues where the
// style gives their columns the year's.
bool MarkChanges(const TemplatePlan::Token& token, const PlaceholderColumns& r, bool repeat,
                 bool letter) {
  return (repeat && token.code == r.author) || (letter && ReadsColumn(token.code, r.year, r));
}

// Whether `plan` names a value the mark changes more than once or in an
// optional part: FormatMarkedEntry puts a value in place only where it
// stands once, outside optional parts. Whether a part vanishes is the
// whole formatting's to tell, and so is where each of a value's places is.
bool PlanRefusesMark(const TemplatePlan& plan, const PlaceholderColumns& r, bool repeat,
                     bool letter) {
  return std::any_of(plan.tokens.begin(), plan.tokens.end(), [&](const TemplatePlan::Token& t) {
    return (t.in_optional_part || t.uses != 1 || t.code_seen_before) &&
           MarkChanges(t, r, repeat, letter);
  });
}

// How the templates with a plan meet the marks style `s` makes: whether
// every one refuses each of them, and whether some refuses one.
struct RefusedMarks {
  bool every = true;
  bool some = false;
};
RefusedMarks MarksRefused(const StyleSettings& s) {
  RefusedMarks refused;
  s.templates.ForEachPlan([&](const TemplatePlan* plan) {
    if (plan == nullptr) return;
    const bool repeat = !s.samename.empty() && PlanRefusesMark(*plan, s.roles, true, false);
    const bool letter = s.sameyear && PlanRefusesMark(*plan, s.roles, false, true);
    if ((!s.samename.empty() && !repeat) || (s.sameyear && !letter)) refused.every = false;
    refused.some = refused.some || repeat || letter;
  });
  return refused;
}

// The template FormatMarkedEntry puts an entry's mark into, or nothing where
// the entry of `category` is formatted whole whatever its values.
std::optional<TemplateTable::Template> SplicedTemplate(std::string_view category, bool repeat,
                                                       bool letter, const StyleSettings& s) {
  auto tmpl = s.templates.Find(category);
  if (!tmpl || tmpl->plan == nullptr || tmpl->text.empty() ||
      KindOf(category) == EntryKind::kNone ||
      PlanRefusesMark(*tmpl->plan, s.roles, repeat, letter)) {
    return std::nullopt;
  }
  return tmpl;
}

}  // namespace

bool MarksFormatEntriesWhole(const StyleSettings& s) { return MarksRefused(s).every; }

bool SomeMarksFormatEntriesWhole(const StyleSettings& s) { return MarksRefused(s).some; }

bool FormatsMarkedEntryWhole(std::string_view category, bool repeat, bool letter,
                             const StyleSettings& s) {
  return !SplicedTemplate(category, repeat, letter, s);
}

std::optional<std::string> FormatMarkedEntry(const FieldList& fields, std::string_view unmarked,
                                             bool repeat, std::string_view year_letter,
                                             const EntryContext& ctx, UnmarkedValues* known) {
  const std::string_view category = fields.At(1).value_or(std::string_view());
  const bool letter = !year_letter.empty();
  const auto tmpl = SplicedTemplate(category, repeat, letter, ctx.settings);
  if (!tmpl) return std::nullopt;
  const EntryKind kind = KindOf(category);
  const StyleSettings& s = ctx.settings;
  const PlaceholderColumns& r = s.roles;
  const TokenValues plain(fields, false, {}, kind, ctx);
  const TokenValues marked(fields, repeat, year_letter, kind, ctx);
  const TemplatePlan& plan = *tmpl->plan;
  std::vector<ChangedValue> changed;
  for (size_t t = 0; t < plan.tokens.size(); ++t) {
    const TemplatePlan::Token& token = plan.tokens[t];
    if (!MarkChanges(token, r, repeat, letter)) continue;
    std::optional<std::string> before = PlainValue(plain, token, fields, kind, r, known);
    if (!before) return std::nullopt;
    ChangedValue value{std::move(*before), std::string()};
    if (marked.Compute(token.name, token.code, value.after)) return std::nullopt;
    marked.ForOutput(token.code, value.after);
    if (value.before == value.after) continue;
    // Half a character at a value's end makes the template be filled
    // another way; an empty value has no place to be found by.
    if (value.before.empty() || EndsInsideACharacter(value.before) ||
        EndsInsideACharacter(value.after)) {
      return std::nullopt;
    }
    if (s.nodouble) {
      size_t index = 0;
      while (plan.parts[index].token != static_cast<int32_t>(t)) ++index;
      if (!SameStopsAfter(*tmpl, index, value.before, value.after)) return std::nullopt;
    }
    changed.push_back(std::move(value));
  }
  // The longest first: a short value (a year) may also stand inside a long
  // one (an ID made from it), which then no longer counts as its place.
  std::sort(changed.begin(), changed.end(), [](const ChangedValue& a, const ChangedValue& b) {
    return a.before.size() > b.before.size();
  });
  for (ChangedValue& value : changed) {
    value.at = OnlyPlace(unmarked, value.before, changed);
    if (value.at == text::kNotFound) return std::nullopt;
  }
  std::sort(changed.begin(), changed.end(),
            [](const ChangedValue& a, const ChangedValue& b) { return a.at < b.at; });
  std::string text;
  text.reserve(unmarked.size() + 16);
  size_t from = 0;
  for (const ChangedValue& value : changed) {
    text.append(unmarked.substr(from, value.at - from));
    text.append(value.after);
    from = value.at + value.before.size();
  }
  text.append(unmarked.substr(from));
  return text;
}

}  // namespace refmill::format
