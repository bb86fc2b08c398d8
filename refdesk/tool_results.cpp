#include "refdesk/tool_results.h"

#include <array>

#include "refdesk/messages.h"

namespace refdesk {
namespace {

struct Meaning {
  int code;
  std::string_view text;
};

// The exit codes as tabdump/README.md, refimport/README.md and README.md
// list them.
inline constexpr std::array kTabdumpMeanings{
    Meaning{1, "予期しないエラーです"},
    Meaning{2, "引数が正しくありません"},
    Meaning{3, "読み込めるブックではありません（別の種類のファイル、破損、パスワード保護）"},
    Meaning{4, "変換元ファイルがありません"},
    Meaning{7, "出力先を作成できません（または変換元と同じファイルです）"},
};
inline constexpr std::array kRefimportMeanings{
    Meaning{1, "予期しないエラーです"},
    Meaning{2, "引数が正しくありません"},
    Meaning{3,
            "読み込める文献ファイルではありません（BibTeX・RIS・CSL-"
            "JSONのどれでもない、1件も読めない、256MBを超える）"},
    Meaning{4, "変換元ファイルがありません"},
    Meaning{7, "出力先を作成できません（または変換元と同じファイルです）"},
};
inline constexpr std::array kRefmillMeanings{
    Meaning{1, "変換できませんでした（abbrev.dat がない、スタイルの誤りなど）"},
    Meaning{2, "引数の数が正しくありません"},
    Meaning{3, "変換元ファイルを読めません"},
    Meaning{4, "変換元ファイルがありません"},
    Meaning{5, "スタイルファイルがありません"},
    Meaning{6, "上書きしませんでした"},
    Meaning{7, "出力先を作成できません"},
};
// refdesk's own codes, the same for both tools.
inline constexpr std::array kOwnMeanings{
    Meaning{kResultSettingsMissing, "スタイルまたはファイルタイプがありません"},
    Meaning{kResultNotStarted, "変換元ファイルがないか、ツールを起動できません"},
    Meaning{kResultDeclined, "上書きしませんでした"},
};

template <size_t N>
std::string_view Find(const std::array<Meaning, N>& table, int code) {
  for (const Meaning& m : table) {
    if (m.code == code) return m.text;
  }
  return {};
}

}  // namespace

std::string_view ResultMeaning(Tool tool, int code) {
  std::string_view own;
  switch (tool) {
    case Tool::kTabdump:
      own = Find(kTabdumpMeanings, code);
      break;
    case Tool::kRefimport:
      own = Find(kRefimportMeanings, code);
      break;
    case Tool::kRefmill:
      own = Find(kRefmillMeanings, code);
      break;
  }
  if (!own.empty()) return own;
  if (code < 0) return msg::kCrashed;
  return Find(kOwnMeanings, code);
}

std::string ResultText(Tool tool, int code) {
  if (code == kResultSuccess) return std::string(msg::kSuccess);
  std::string text = std::string(msg::kError) + std::to_string(code);
  if (const std::string_view meaning = ResultMeaning(tool, code); !meaning.empty()) {
    text += std::string(msg::kMeaningSeparator) + std::string(meaning);
  }
  return text;
}

}  // namespace refdesk
