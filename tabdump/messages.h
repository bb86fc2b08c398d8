// Every text tabdump shows, in UTF-8. They go out through WriteMessage,
// which turns them into Shift-JIS unless the terminal reads UTF-8.
#pragma once

#include <string_view>

namespace tabdump::msg {

inline constexpr std::string_view kPrefix = "tabdump: ";
inline constexpr std::string_view kUsage =
    "使い方: tabdump [/su] \"変換元ブック\" \"変換先CSV\"（説明は tabdump /?）";
inline constexpr std::string_view kSourceMissing = "変換元ファイルが見つかりません: ";
inline constexpr std::string_view kUnreadable = "Excelブック（.xls/.xlsx）として読めません: ";
inline constexpr std::string_view kTooLarge =
    "ブックの中身が大きすぎて読めません（表は256MBまで）: ";
inline constexpr std::string_view kSharedStringMissing =
    "ブックが壊れています（セルの指す共有文字列がありません）: ";
inline constexpr std::string_view kNoSheetData =
    "ブックが壊れています（最初のワークシートにセルのデータがありません）: ";
inline constexpr std::string_view kOutsideSheet =
    "ブックが壊れています（1,048,576行目かXFD列より先にセルがあります）: ";
inline constexpr std::string_view kPartMissing =
    "ブックが壊れています（ブックの指す部品がファイルの中にありません）: ";
inline constexpr std::string_view kOutOfMemory = "メモリが足りず、ブックを読めません: ";
inline constexpr std::string_view kOutOfMemoryElsewhere = "メモリが足りません";
inline constexpr std::string_view kCannotWrite = "変換先ファイルに書き込めません: ";
inline constexpr std::string_view kSameFile = "変換先が変換元と同じファイルです: ";
inline constexpr std::string_view kUnmappableBefore = "警告: Shift-JISにない文字";
inline constexpr std::string_view kUnmappableAfter = "個を「〓」にしました";
inline constexpr std::string_view kUnexpected = "予期しないエラーです: ";

inline constexpr std::string_view kHelp =
    "tabdump: Excelブックの最初のワークシートをCSVファイルにします。\n"
    "使い方: tabdump [/su] \"変換元ブック\" \"変換先CSV\"\n"
    "  変換元ブック  .xls または .xlsx（種類はファイルの中身で判断します）\n"
    "  変換先CSV     Shift-JIS、行末はCR LF。既にあれば置き換えます\n"
    "  /s            refdeskが付けます。付けなくても動作は同じです\n"
    "  /u            "
    "CSVをUTF-8（BOM付き）で書きます。Shift-JISにない文字（é、ő、–など）も残ります\n"
    "セルの中の改行は空白1つになります（refmillは1行を1件として読むため）。\n"
    "カンマか「\"」を含むセルは「\"」で囲み、中の「\"」は2つ重ねます。\n"
    "空のセルと空の行はそのまま残します。数値は表示どおり（整数に「.0」は付けません）、\n"
    "日付はセルの表示形式に従います（標準の日付形式は yyyy/mm/dd）。\n"
    "Shift-JISにない文字は「〓」にし、その数を警告します（終了コードは0）。\n"
    "終了コード: 0 成功、1 予期しないエラー、2 引数の誤り、3 ブックとして読めない、\n"
    "            4 変換元がない、7 変換先に書き込めない（元の変換先はそのまま残ります）\n";

}  // namespace tabdump::msg
