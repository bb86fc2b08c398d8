// What the formatting operations need besides the entry itself: the run's
// settings, the current line number, and where warnings go.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "refmill/format/style_settings.h"

namespace refmill::format {

// The warnings of single entries. The driver turns each into one notice line
// "警告(" + line + "行)：" + text, or drops it while notices are off.
enum class Warning {
  kInvalidCategory,  // カテゴリー名が不正です
  kFieldMissing,     // <detail> + フィールドが欠落しています
  kInvalidAuthor,    // 著者名が不正です
  kIdGenerated,      // IDを自動生成しました
  kNoSortField,      // sortフィールドを出力できません
  kNotInShiftJis,    // <detail> + を〓にしました (a Shift-JIS list cannot hold a character)
};

class WarningSink {
 public:
  virtual ~WarningSink() = default;
  // `detail` is the variable text in front of the message (only for
  // kFieldMissing: the token, " = " and the column counted from 1).
  virtual void Warn(int line_number, Warning warning, std::string_view detail) = 0;
};

class ValueMemo;

struct EntryContext {
  const StyleSettings& settings;
  int line_number;  // 1-based line of the entry in the source file
  WarningSink& warnings;
  // Where a worker keeps values that repeat between its entries; none
  // where entries are formatted one by one.
  ValueMemo* memo = nullptr;

  void Warn(Warning warning, std::string_view detail = {}) const {
    warnings.Warn(line_number, warning, detail);
  }
};

// The entry kind, from the first letter of the category (case-sensitive).
enum class EntryKind { kJapanese, kWestern, kTranslated, kNone };

inline EntryKind KindOf(std::string_view category) {
  if (category.empty()) return EntryKind::kNone;
  switch (category.front()) {
    case 'j':
      return EntryKind::kJapanese;
    case 'e':
      return EntryKind::kWestern;
    case 't':
      return EntryKind::kTranslated;
    default:
      return EntryKind::kNone;
  }
}
inline bool IsJapanese(EntryKind kind) { return kind == EntryKind::kJapanese; }

// A style that reads a column an entry does not have (or a negative code
// the formatter does not know) cannot format anything; the run stops.
struct StyleFault {
  enum class Kind {
    kMissingColumn,    // `token` reads `column`, which the entry lacks
    kTangledTemplate,  // placeholders overlap too much to be filled in time
    kOversizedEntry,   // `token`'s value, repeated by the template, is too much
  };
  Kind kind = Kind::kMissingColumn;
  std::string token;
  int64_t column = 0;
  int line = 0;  // source line of the entry, counted from 1

  bool operator==(const StyleFault&) const = default;
};

}  // namespace refmill::format
