#include "refmill/driver/messages.h"

#include "platform/encoding.h"

namespace refmill::driver {

Messages Messages::Load() {
  auto sjis = [](std::string_view utf8) { return platform::Utf8ToSjis(utf8); };
  Messages m;
  m.banner = "\r\nREFMILL v1.0\r\n";
  m.usage = sjis(
      "\r\n"
      "REFMILL v1.0\r\n"
      "\r\n"
      "ｶﾝﾏ区切りﾌｧｲﾙ(csv)をBIB形式(iniで指定)に変換します\r\n"
      "\r\n"
      "使い方: refmill [/se] ﾌｧｲﾙﾀｲﾌﾟ(.trl) ｽﾀｲﾙ(.ini) 変換元(.csv) 出力先\r\n"
      "/s: 確認せずに上書き  /e: エラーをerror.logに出力");
  m.source_missing_a = m.banner + sjis("変換元ﾌｧｲﾙ(");
  m.style_missing_a = m.banner + sjis("BIB設定ﾌｧｲﾙ(");
  m.missing_b = sjis(")が見つかりません");
  m.overwrite_question = sjis("は存在します。上書きしますか？ [Y/N] ");
  m.run_begins = sjis("デバッグ　開始：");
  m.run_ends = sjis("デバッグ　終了：");
  m.cannot_open = sjis("が開けません");
  m.cannot_create = sjis("を作成できません");
  m.answer_missing = sjis("入力がありません。上書きせずに終了します");
  m.warning_a = sjis("警告(");
  m.warning_b = sjis("行)：");
  m.invalid_category = sjis("カテゴリー名が不正です");
  m.field_missing = sjis("フィールドが欠落しています");
  m.invalid_author = sjis("著者名が不正です");
  m.id_generated = sjis("IDを自動生成しました");
  m.no_sort_field = sjis("sortフィールドを出力できません");
  m.error_prefix = sjis("REFMILL v1.0 エラー：");
  m.abbrev_missing = sjis("abbrev.dat が見つかりません");
  m.unreadable = sjis("を読めません");
  m.searched_a = sjis("（探した場所：");
  m.searched_b = sjis("）");
  m.folder_separator = sjis("、");
  m.file_type_missing_a = sjis("ファイルタイプ(");
  m.file_type_missing_b = sjis(")が見つかりません。見出しと置換なしで出力します");
  m.style_fault = sjis("スタイルの列番号が不正です：");
  m.tangled_template = sjis("テンプレートの置換記号が重なり合っていて変換できません");
  m.fault_line_a = sjis("（");
  m.fault_line_b = sjis("行）");
  m.template_too_large = sjis("置換後のテンプレートが大きすぎます：");
  m.entry_too_large = sjis("テンプレートが同じ値を繰り返し入れるため、出力が大きすぎます：");
  m.table_cut_at_nul = sjis("NUL 文字から後は読み込みませんでした");
  m.write_failed = sjis("メッセージを書き込めません：");
  m.converted_from_utf8 = sjis("UTF-8 のファイルを Shift-JIS に変換して読みました：");
  m.unmappable_a = sjis("（Shift-JIS にない文字 ");
  m.unmappable_b = sjis(" 個を〓にしました）");
  m.converted_from_utf16 = sjis("UTF-16 のファイルを Shift-JIS に変換して読みました：");
  m.too_large_a = sjis("が大きすぎます（上限 ");
  m.too_large_b = sjis(" MB）");
  m.changed_while_read = sjis("が変換中に書き換えられました。出力しません");
  m.answer_too_long = sjis("答えが長すぎます。上書きせずに終了します");
  m.out_of_memory = sjis("メモリが足りません");
  m.not_in_sjis_a = sjis("Shift-JIS にない文字 ");
  m.not_in_sjis = sjis(" を〓にしました");
  m.same_file_a = m.banner + sjis("出力先(");
  m.same_file_b = sjis(")は");
  m.same_file_c = sjis("と同じファイルです。上書きしません");
  m.role_source = sjis("変換元ﾌｧｲﾙ");
  m.role_style = sjis("BIB設定ﾌｧｲﾙ");
  m.role_file_type = sjis("ﾌｧｲﾙﾀｲﾌﾟ");
  return m;
}

const std::string& Messages::Text(format::Warning warning) const {
  switch (warning) {
    case format::Warning::kInvalidCategory:
      return invalid_category;
    case format::Warning::kFieldMissing:
      return field_missing;
    case format::Warning::kInvalidAuthor:
      return invalid_author;
    case format::Warning::kIdGenerated:
      return id_generated;
    case format::Warning::kNotInShiftJis:
      return not_in_sjis;
    case format::Warning::kNoSortField:
      break;
  }
  return no_sort_field;
}

}  // namespace refmill::driver
