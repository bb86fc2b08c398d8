// Every text refimport shows, in UTF-8; those it shares with tabdump are
// tabdump's. They go out through tabdump::WriteMessage, which turns them
// into Shift-JIS unless the terminal reads UTF-8.
#pragma once

#include <string_view>

#include "tabdump/messages.h"

namespace refimport::msg {

inline constexpr std::string_view kPrefix = "refimport: ";
inline constexpr std::string_view kUsage =
    "使い方: refimport [/u] \"変換元ファイル\" \"変換先CSV\"（説明は refimport /?）";
inline constexpr std::string_view kSourceMissing = tabdump::msg::kSourceMissing;
inline constexpr std::string_view kUnknownFormat =
    "BibTeX・RIS・CSL-JSONのどれとしても読めません: ";
inline constexpr std::string_view kTooLarge = "変換元ファイルが大きすぎます（256MBまで）: ";
inline constexpr std::string_view kNoReferences = "文献を1件も読めませんでした: ";
inline constexpr std::string_view kOutOfMemory = "メモリが足りず、変換元を読めません: ";
inline constexpr std::string_view kOutOfMemoryElsewhere = tabdump::msg::kOutOfMemoryElsewhere;
inline constexpr std::string_view kCannotWrite = tabdump::msg::kCannotWrite;
inline constexpr std::string_view kSameFile = tabdump::msg::kSameFile;
inline constexpr std::string_view kUnmappableBefore = tabdump::msg::kUnmappableBefore;
inline constexpr std::string_view kUnmappableAfter = tabdump::msg::kUnmappableAfter;
inline constexpr std::string_view kUnexpected = tabdump::msg::kUnexpected;

// Warnings about single entries: "警告: 12行目（key）: " + what happened.
inline constexpr std::string_view kWarning = "警告: ";
inline constexpr std::string_view kLineAfter = "行目";
inline constexpr std::string_view kEntryNumberBefore = "";
inline constexpr std::string_view kEntryNumberAfter = "件目";
inline constexpr std::string_view kKeyBefore = "（";
inline constexpr std::string_view kKeyAfter = "）";
inline constexpr std::string_view kAfterPlace = ": ";
inline constexpr std::string_view kSkipped = "読めないので飛ばしました";
inline constexpr std::string_view kUnknownTypeBefore = "種類「";
inline constexpr std::string_view kUnknownTypeAfter = "」は扱えないので、";
inline constexpr std::string_view kAsArticle = "論文にしました";
inline constexpr std::string_view kAsBook = "本にしました";
inline constexpr std::string_view kAsChapter = "本の章にしました";
inline constexpr std::string_view kBibtexSays = "BibTeXの読み取り: ";
inline constexpr std::string_view kBibtexGaveUp =
    "この項目より後はBibTeXとして読めないので、ここまでの項目だけを変換します";
inline constexpr std::string_view kRisNoStart = "TY行の前の行なので飛ばしました";
inline constexpr std::string_view kRisNoEnd =
    "ERがないまま終わっています（ここまでを1件としました）";
inline constexpr std::string_view kJsonError = "CSL-JSONとして読めません";
inline constexpr std::string_view kJsonNotAnItem = "項目ではない値なので飛ばしました";
inline constexpr std::string_view kJsonTooDeep = "入れ子が深すぎます";

inline constexpr std::string_view kHelp =
    "refimport: BibTeX・RIS・CSL-JSONの文献を、refmillの読む表（CSV）にします。\n"
    "使い方: refimport [/u] \"変換元ファイル\" \"変換先CSV\"\n"
    "  変換元ファイル  .bib・.ris・.json（種類はファイルの中身で判断します）\n"
    "  変換先CSV       Shift-JIS、行末はCR LF。既にあれば置き換えます\n"
    "  /u              "
    "CSVをUTF-8（BOM付き）で書きます。Shift-JISにない文字（é、ő、–など）も残ります\n"
    "1行目は見出し、あとは1件1行で、番号の列にファイル内の順番が入ります。\n"
    "読めない項目は警告を出して飛ばし、ほかの項目は変換します。\n"
    "Shift-JISにない文字は「〓」にし、その数を警告します（終了コードは0）。\n"
    "終了コード: 0 成功、1 予期しないエラー、2 引数の誤り、3 読めない（文献が1件もない）、\n"
    "            4 変換元がない、7 変換先に書き込めない（元の変換先はそのまま残ります）\n";

}  // namespace refimport::msg
