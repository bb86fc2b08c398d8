// Everything a run reads from the style file, the file-type file and the two
// data files, filled once before the first entry and read-only afterwards.
// The driver fills it; the formatter, the author lists and the sort keys
// read it.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/private_codes.h"
#include "refmill/text/column_lookup.h"
#include "refmill/text/kana2romaji.h"
#include "refmill/text/name_map.h"

namespace refmill::format {

// "■": stands for any value, sort field or entry that cannot be produced.
inline constexpr std::string_view kMissingMark = "\x81\xA1";

// Longest the prepared templates may be together. Replacements can multiply
// a template's length rule after rule (a 2,000-byte template and three rules
// reach gigabytes), and every entry's text is as long as its template, so
// growth past this is refused instead of taking memory without end.
inline constexpr size_t kLargestTemplate = size_t{64} << 20;

// The lines of abbrev.dat ("full title=abbreviation"), looked up by full
// title with ASCII letter case ignored; of two equal titles the first line
// counts. Hashed, because the table holds tens of thousands of lines and
// every book and journal title is looked up.
class AbbreviationTable {
 public:
  AbbreviationTable() = default;
  explicit AbbreviationTable(const std::vector<std::string_view>& lines);
  // The table of abbrev.dat's whole text, which it keeps instead of a copy
  // of its lines.
  static AbbreviationTable FromText(std::string text);

  // The abbreviation of `title`, or an empty text when the table has none.
  std::string_view Lookup(std::string_view title) const;
  size_t size() const { return index_ == nullptr ? 0 : index_->count; }

 private:
  // One line, by where it starts in the text, tagged with 16 bits of its
  // title's hash and the lengths of its title and abbreviation: a look-up
  // reads both in place for a title whose tag agrees, in a third of the
  // room that places of both would take. A title or abbreviation of
  // kLongPart bytes or more is found by reading the line.
  struct Slot {
    static constexpr uint32_t kEmpty = UINT32_MAX;
    uint32_t tag;
    uint32_t line_at = kEmpty;
  };
  static constexpr uint32_t kLongPart = 255;
  static constexpr uint32_t kTitleTag = 0xFFFFFF00;  // the hash and the title's length
  static uint32_t Tag(uint64_t hash, size_t title_length, size_t abbreviation_length) {
    constexpr int kHashBits = 16;
    const auto length = [](size_t n) {
      return static_cast<uint32_t>(std::min<size_t>(n, kLongPart));
    };
    return static_cast<uint32_t>(hash >> (64 - kHashBits)) << 16 | length(title_length) << 8 |
           length(abbreviation_length);
  }
  // The lines' bytes and an open-addressed index of them, made once and
  // shared by copies of the table: tens of thousands of lines take no
  // allocation each, which made building the table take longer than many
  // a conversion, and a look-up reads one slot instead of chasing nodes.
  struct Index {
    std::string text;
    std::vector<Slot> slots;  // a power of two of them, at most half used
    size_t count = 0;
  };
  // `lines` lie in index.text, each ended by a line break or a zero byte
  // or the end of the text.
  static void IndexLines(Index& index, const std::vector<std::string_view>& lines);
  // The title and abbreviation of the line of `slot` in `text`.
  static std::pair<std::string_view, std::string_view> LineAt(std::string_view text,
                                                              const Slot& slot);

  std::shared_ptr<const Index> index_;
};

// A template taken apart once for the whole run: literal pieces and tokens
// with their column codes, each distinct token numbered. Only made for
// templates whose tokens stand apart (no token starts inside another or ends
// inside a character), where filling left to right in one pass gives
// exactly the text of replacing token after token.
struct TemplatePlan {
  static constexpr int32_t kLiteral = -1;
  static constexpr int32_t kOpen = -2;   // an optional part begins
  static constexpr int32_t kClose = -3;  // an optional part ends
  struct Part {
    uint32_t offset;  // into the template text; of an opening, the index of its closing part
    uint32_t length;
    int32_t token;  // index into `tokens`, or one of the kinds above
  };
  struct Token {
    std::string name;
    int32_t code;
    uint32_t uses = 0;  // how often the template names it
    // An earlier token has the same code, so it gives the same value.
    bool code_seen_before = false;
    // Named inside an optional part at least once, where it may vanish.
    bool in_optional_part = false;
  };
  std::vector<Part> parts;
  std::vector<Token> tokens;
};

// The plan of `tmpl`, or nothing when its tokens do not stand apart. With
// `optional_parts`, the marks of MarkOptionalParts open and close parts.
std::optional<TemplatePlan> PlanTemplate(std::string_view tmpl, const text::ColumnLookup& columns,
                                         bool optional_parts = false);

// What the style writes around a part of a template that vanishes when a
// value in it is empty ("{? ($EN)?}"), and the bytes they become. Control
// bytes, so that no [Replace] rule of a file type and no trail byte of a
// double-byte character can make or break one.
inline constexpr std::string_view kOptionalOpen = "{?";
inline constexpr std::string_view kOptionalClose = "?}";
inline constexpr char kOptionalOpenMark = '\x01';
inline constexpr char kOptionalCloseMark = '\x02';

// `tmpl` with every "{?" and "?}" turned into their marks, searched left to
// right and double-byte aware.
std::string MarkOptionalParts(std::string_view tmpl);

// Output templates by category name, letter case ignored, first line wins.
class TemplateTable {
 public:
  struct Template {
    std::string_view text;
    const TemplatePlan* plan;     // null when the template must be filled token by token
    bool optional_parts = false;  // the text may hold the marks of optional parts
  };

  TemplateTable() = default;
  // `lines` are "category=template" lines in file order; `columns` turns
  // their tokens into codes once.
  // With `optional_parts`, the templates hold the marks of MarkOptionalParts.
  TemplateTable(std::vector<std::string> lines, const text::ColumnLookup& columns,
                bool optional_parts = false);

  // The template of `category`, or nothing when no line has that name.
  std::optional<Template> Find(std::string_view category) const;
  // The first line's template, or nothing when the table is empty.
  std::optional<Template> First() const;
  // Every line's plan, null for a template without one.
  template <class Fn>
  void ForEachPlan(Fn&& fn) const {
    for (const auto& plan : plans_) fn(plan ? &*plan : static_cast<const TemplatePlan*>(nullptr));
  }

 private:
  std::vector<std::string> lines_;
  std::vector<std::optional<TemplatePlan>> plans_;
  std::vector<size_t> name_lengths_;  // of each line's category
  // Where each line's template lies in it, found once rather than for
  // every entry.
  std::vector<std::pair<size_t, size_t>> values_;
  bool optional_parts_ = false;
  text::NameMap<uint32_t> index_;  // category → line
};

// The file type's [Escape] rules: pieces of text that the target format
// would read as its own markup ("<" in HTML, "%" in LaTeX), each with what
// to write instead. Applied to values only, never to the template, whose
// markup is the style's and the file type's own.
class EscapeRules {
 public:
  EscapeRules() = default;
  // `lines` are "text=replacement" lines in file order; a line without a
  // text before its "=" is ignored.
  explicit EscapeRules(const std::vector<std::string>& lines);

  bool empty() const { return rules_.empty(); }
  // Every occurrence of a rule's text replaced, searched left to right and
  // double-byte aware; where several rules match at one place the first in
  // file order wins, and text a rule put in is not searched again (so "\"
  // and "{" can both be rules in LaTeX).
  void ApplyInPlace(std::string& text) const;
  // False when ApplyInPlace certainly leaves `text` as it is.
  bool Changes(std::string_view text) const {
    return !rules_.empty() && NextStart(text, 0) < text.size();
  }

 private:
  // The first place from `pos` (where a character begins) at which a rule
  // may match, or the text's end.
  size_t NextStart(std::string_view text, size_t pos) const;

  std::vector<std::pair<std::string, std::string>> rules_;
  std::array<bool, 256> starts_{};  // first bytes of the rules' texts
  std::string start_bytes_;         // the same, each once
  bool starts_can_close_ = false;   // one of them can be a character's second byte
};

// Column numbers of the placeholders that have a role of their own, looked
// up once: every token whose number equals one of these gets that role.
struct PlaceholderColumns {
  int32_t author = 0;           // $AT
  int32_t editor = 0;           // $ED
  int32_t japanese_editor = 0;  // $JE
  int32_t translator = 0;       // $TR
  int32_t title = 0;            // $TL
  int32_t book_title = 0;       // $BT
  int32_t japanese_title = 0;   // $JT
  int32_t japanese_book = 0;    // $JB
  int32_t volume = 0;           // $VL
  int32_t japanese_volume = 0;  // $JV
  int32_t pages = 0;            // $PG
  int32_t japanese_pages = 0;   // $JP
  int32_t year = 0;             // $YR
  int32_t id_base = 0;          // $RB
  int32_t doi = 0;              // $DO

  // The columns `lookup` gives the placeholder names.
  static PlaceholderColumns From(const text::ColumnLookup& lookup);
};

struct StyleSettings {
  std::vector<std::string> input_columns;  // InputFormat as "name=value" lines
  text::ColumnLookup columns;              // answers from input_columns
  PlaceholderColumns roles;
  TemplateTable templates;  // prepared: replacements applied, prefix and suffix added
  // The category whose template the file type's replacements would grow
  // past what kLargestTemplate leaves; such a style cannot be used.
  std::optional<std::string> oversized_template;

  // Section Special. Texts are Shift-JIS bytes.
  std::string jname_sep = "\x81\x45";   // ・
  std::string jname_sep2 = "\x81\x5E";  // ／
  std::string ename_sep = "&";
  bool etal = false;
  bool etal_a = false;
  std::string jname_etal = "\x82\xD9\x82\xA9";  // ほか
  std::string ename_etal = "et al.";
  std::string translator = "\x96\xF3";  // 訳
  std::string j_ed = "\x95\xD2";        // 編
  std::string e_ed1 = "ed.";
  std::string e_ed2;
  std::string j_sub = "\x81\x5C\x81\x5C";  // ――
  std::string e_sub = ":";
  int32_t e_at = 1;
  std::string no = "($)";
  std::string samename;
  bool abbrev = false;
  bool sameyear = true;
  bool initial = false;
  int32_t page = 0;
  // The template's "." or "," right after a value that ends in "?", "!" or
  // "." is left out ("Why? Journal", not "Why?. Journal").
  bool nodouble = false;
  // A comma before ename_sep: "A, B, & C", and "Miller, J. R., & Clark, A."
  // where the first of two names is written surname first.
  bool serial_comma = false;
  // e_at for the editors of "$ED"; -1 (or outside 0 to 2): as e_at.
  int32_t e_at_ed = -1;
  // With `initial`, "Jean-Paul" gives "J.-P." instead of "J.".
  bool initial_hyphen = false;
  // With `initial`, initials closed up: "Miller, G.A." (SIST 02).
  bool initial_nogap = false;
  // A Western author list ends in a full stop, also where its last name has
  // no initial to give one: "American Psychological Association. (2020)".
  bool e_at_stop = false;
  // Template parts between "{?" and "?}" vanish, silently, when a value in
  // them is empty.
  bool optional = false;
  // How many names stay in front of the and-others word when `etal` (or
  // `etal_a`) shortens a list; a list of that many or fewer stays whole.
  int32_t etal_names = 1;
  // A Western list longer than this gives its first names_max - 1 names,
  // names_gap and the last name (APA: 20); 0 is no limit.
  int32_t names_max = 0;
  std::string names_gap = ". . .";
  // When not empty, every two Western names are joined by this text alone,
  // without ename_sep ("Tversky, A.; Kahneman, D."); e_ed2 is then chosen by
  // the number of editors, since no "&" tells it.
  std::string ename_join;
  // Put after a Japanese subtitle ("題目――副題――").
  std::string j_sub_end;
  // Put in front of a DOI in "$DO" that is not a web address already
  // ("https://doi.org/"); empty: the column is printed as it stands.
  std::string doi;
  // Page ranges take the file type's en_dash in place of the hyphen.
  bool en_dash = false;
  // Section General of the style.
  int32_t sort = 1;
  // [General] order: a template whose filled text orders entries of one
  // sort field (and so decides year letters) in place of the formatted
  // entry, which holds the file type's markup. Its one line is named
  // "order"; the table is empty when the style has none.
  TemplateTable order;

  // The file type.
  std::string header;
  std::string footer;
  std::string start;
  std::string end;
  bool utf8_output = false;  // [General] encoding=UTF-8: the list is written as UTF-8
  EscapeRules escapes;       // [Escape]
  // [General] en_dash: how the file type writes the dash of a page range
  // for a style that asks for it; empty: the hyphen stays.
  std::string page_dash;
  // [General] link: a DOI written as a link, "$" standing for the address
  // (already escaped); empty: the address as text.
  std::string link;

  AbbreviationTable abbreviations;
  text::TKana2Romaji romaji;
  // The characters Shift-JIS lacks that the run's UTF-8 inputs brought, as
  // user-defined codes; set once the inputs are read.
  const platform::PrivateCodes* private_codes = nullptr;
};

}  // namespace refmill::format
