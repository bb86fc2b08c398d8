// Every text refmill shows, as Shift-JIS bytes. They are kept readable in
// UTF-8 in messages.cpp and converted once at start-up.
#pragma once

#include <string>
#include <string_view>

#include "refmill/format/entry_context.h"

namespace refmill::driver {

struct Messages {
  // The usage text: one notice of several lines, the first of them empty.
  std::string usage;
  std::string banner;              // "\r\nREFMILL v1.0\r\n"
  std::string source_missing_a;    // banner + "変換元ﾌｧｲﾙ("
  std::string style_missing_a;     // banner + "BIB設定ﾌｧｲﾙ("
  std::string missing_b;           // ")が見つかりません"
  std::string overwrite_question;  // "は存在します。上書きしますか？ [Y/N] "
  std::string run_begins;          // "デバッグ　開始："
  std::string run_ends;            // "デバッグ　終了："
  std::string cannot_open;         // "が開けません"
  std::string cannot_create;       // "を作成できません"
  std::string answer_missing;      // the notice when the console has no answer
  std::string warning_a;           // "警告("
  std::string warning_b;           // "行)："
  std::string invalid_category;
  std::string field_missing;
  std::string invalid_author;
  std::string id_generated;
  std::string no_sort_field;
  std::string error_prefix;         // in front of the short report of exit code 1
  std::string abbrev_missing;       // "abbrev.dat が見つかりません"
  std::string unreadable;           // "を読めません"
  std::string searched_a;           // "（探した場所："
  std::string searched_b;           // "）"
  std::string folder_separator;     // "、" between the folders searched
  std::string file_type_missing_a;  // "ファイルタイプ("
  std::string file_type_missing_b;  // ")が見つかりません。見出しと置換なしで出力します"
  std::string style_fault;           // a column the entry lacks: token=column, then the line
  std::string tangled_template;      // a template too tangled to fill, then the line
  std::string fault_line_a;          // "（"
  std::string fault_line_b;          // "行）"
  std::string template_too_large;    // in front of the category of an oversized template
  std::string entry_too_large;       // a token whose repeated value is too much, then the line
  std::string table_cut_at_nul;      // the warning of a zero byte in the source table
  std::string write_failed;          // messages could not be written
  std::string converted_from_utf8;   // in front of the path of a file read as UTF-8
  std::string unmappable_a;          // "（Shift-JIS にない文字 "
  std::string unmappable_b;          // " 個を〓にしました）"
  std::string converted_from_utf16;  // in front of the path of a file read as UTF-16
  std::string too_large_a;           // after a path: "が大きすぎます（上限 "
  std::string too_large_b;           // " MB）"
  std::string changed_while_read;    // after the table's path: it changed during the run
  std::string answer_too_long;       // the notice when the answers run on without end
  std::string out_of_memory;         // the short report when memory runs out
  std::string not_in_sjis_a;         // "Shift-JIS にない文字 ", then the characters
  std::string not_in_sjis;           // " を〓にしました"
  // The output is one of the run's own inputs: banner + "出力先(" + output
  // + ")は" + role + "(" + path + ")と同じファイルです。上書きしません"
  std::string same_file_a;
  std::string same_file_b;
  std::string same_file_c;
  std::string role_source;     // "変換元ﾌｧｲﾙ"
  std::string role_style;      // "BIB設定ﾌｧｲﾙ"
  std::string role_file_type;  // "ﾌｧｲﾙﾀｲﾌﾟ"

  // Builds the table from the UTF-8 originals.
  static Messages Load();

  // The text of a formatter warning (without the line prefix).
  const std::string& Text(format::Warning warning) const;
};

}  // namespace refmill::driver
