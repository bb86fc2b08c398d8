// Every text refdesk shows or writes: window and control captions, menu
// items and their hints, browse dialog titles and filters, messages, status
// texts, and the names of the files and tools it uses. The wording is part of
// what the program promises; change it only on purpose.
#pragma once

#include <string_view>

#include "refdesk/message.h"

namespace refdesk::msg {

// Captions.
inline constexpr std::string_view kAppTitle = "REFDESK";
inline constexpr std::string_view kLowerCaseTitle = "refdesk";
inline constexpr std::string_view kTabdumpCaption = "tabdump";
inline constexpr std::string_view kRefimportCaption = "refimport";
inline constexpr std::string_view kRefmillCaption = "refmill";
inline constexpr std::string_view kAboutCaption = "バージョン情報";

// The window's groups and controls.
inline constexpr std::string_view kGroupBox1 = "XLS→CSV変換";
inline constexpr std::string_view kGroupBox2 = "CSV→BIB変換";
inline constexpr std::string_view kSourceFileLabel = "変換元ファイル";
inline constexpr std::string_view kDestinationFileLabel = "出力先ファイル";
inline constexpr std::string_view kOpenSourceButton = "元ファイルを開く";
inline constexpr std::string_view kBrowseButton = "参照";
inline constexpr std::string_view kConvertButton = "変換実行";
inline constexpr std::string_view kSameFolderCheck = "同じフォルダに拡張子を変えて出力";
inline constexpr std::string_view kDirectCheck = "直接BIBに変換";
inline constexpr std::string_view kOverwriteCheck = "確認せず上書き";
inline constexpr std::string_view kUseConvertedCheck = "変換後のCSVファイル名を使う";
inline constexpr std::string_view kStyleLabel = "スタイル";
inline constexpr std::string_view kErrorLogCheck = "エラーログ";
inline constexpr std::string_view kOpenAfterCheck = "変換後に開く";
inline constexpr std::string_view kFileFormatLabel = "ファイル形式";

// Menu items and their hints, stored as short part, "|", long part.
inline constexpr std::string_view kFileMenu = "ファイル(&F)";
inline constexpr std::string_view kFileMenuHint = "ファイルに関連した機能";
inline constexpr std::string_view kExitItem = "終了(&X)";
inline constexpr std::string_view kExitHint = "終了|アプリケーション終了";
inline constexpr std::string_view kViewMenu = "表示(&V)";
inline constexpr std::string_view kToggleUpperItem = "XLS→CSV変換の表示切替え";
inline constexpr std::string_view kHelpMenu = "ヘルプ(&H)";
inline constexpr std::string_view kHelpMenuHint = "ヘルプトピック";
inline constexpr std::string_view kContentsItem = "目次(&C)";
inline constexpr std::string_view kContentsHint = "ヘルプの目次";
inline constexpr std::string_view kHomePageItem = "ホームページを表示(&B)";
inline constexpr std::string_view kAboutItem = "バージョン情報(&A)...";
inline constexpr std::string_view kAboutHint = "バージョン情報|バージョンなど固有の情報を表示";

// The About box.
inline constexpr std::string_view kProductName = "REFDESK";
inline constexpr std::string_view kVersionLine = "Version 1.0";
inline constexpr std::string_view kRightsLine1 = "Copyright (C) refmill project";
inline constexpr std::string_view kRightsLine2 = "自由に使用・配布・改変できます";
inline constexpr std::string_view kOkButton = "OK";

// Browse dialogs. Filters are pairs of description and pattern, all joined
// by "|".
inline constexpr std::string_view kOpenSourceTitle = "変換元ファイルを開く";
inline constexpr std::string_view kOpenDestinationTitle = "出力先ファイルを開く";
// The upper group's sources: workbooks first, then the exports of reference
// managers (the extensions of names::kReferenceExportExtensions).
inline constexpr std::string_view kWorkbookFilter =
    "Microsoft Excelﾌｧｲﾙ (*.xlsx;*.xls)|*.XLSX;*.XLS|"
    "文献管理ｿﾌﾄのﾌｧｲﾙ (*.bib;*.ris;*.json)|*.BIB;*.RIS;*.JSON|すべてのﾌｧｲﾙ (*.*)|*.*";
inline constexpr std::string_view kTableFilter =
    "CSV(ｶﾝﾏ区切り)ﾌｧｲﾙ (*.csv)|*.CSV|すべてのﾌｧｲﾙ (*.*)|*.*";
// The output filter is built around the output extension E:
// kOutputFilterHead + E + kOutputFilterMiddle + E + kOutputFilterTail.
inline constexpr std::string_view kOutputFilterHead = "出力形式のファイル (*";
inline constexpr std::string_view kOutputFilterMiddle = ")|*";
inline constexpr std::string_view kOutputFilterTail = "|すべてのﾌｧｲﾙ (*.*)|*.*";

// Messages.
inline constexpr MessageForm kBrowseFileTypeMissing{kAppTitle, "変換方式ファイルが見つかりません"};
inline constexpr MessageForm kSourceToOpenMissing{
    kLowerCaseTitle, "が見つかりません", PathPlace::kBeforeText, MessageIcon::kExclamation};
inline constexpr MessageForm kDroppedFileMissing{kLowerCaseTitle, "ファイルが見つかりません",
                                                 PathPlace::kAfterText, MessageIcon::kNone,
                                                 MessageButtons::kOkCancel};
inline constexpr MessageForm kCannotWrite{kAppTitle, " に書き込めません", PathPlace::kBeforeText};
inline constexpr MessageForm kOverwriteQuestion{kAppTitle, "は存在します。上書きしますか？",
                                                PathPlace::kBeforeText, MessageIcon::kQuestion,
                                                MessageButtons::kYesNo};
inline constexpr MessageForm kTabdumpSourceMissing{
    kTabdumpCaption, "変換元ファイルが見つかりません", PathPlace::kAfterText};
inline constexpr MessageForm kRefimportSourceMissing{
    kRefimportCaption, "変換元ファイルが見つかりません", PathPlace::kAfterText};
// refimport came later than the other tools and a program folder may lack
// it; a bare "エラー55" would not say so. The path is the tool's.
inline constexpr MessageForm kRefimportNotStarted{
    kRefimportCaption, "refimportを起動できません。プログラムフォルダにあるか確かめてください",
    PathPlace::kAfterText};
inline constexpr MessageForm kRefmillSourceMissing{
    kRefmillCaption, "変換元ファイルが見つかりません", PathPlace::kAfterText};
inline constexpr MessageForm kStyleMissing{kAppTitle, "スタイルファイルが見つかりません",
                                           PathPlace::kAfterText};
inline constexpr MessageForm kFileTypeMissing{kAppTitle, "ファイルタイプが見つかりません",
                                              PathPlace::kAfterText};
inline constexpr MessageForm kFileFormatMissing{kAppTitle, "ファイル形式が見つかりません",
                                                PathPlace::kAfterText};
inline constexpr MessageForm kTempNotDeleted{kAppTitle, "を削除できませんでした",
                                             PathPlace::kBeforeText};
// A conversion with nothing to convert or nowhere to write it: refused
// before anything runs, since an empty name would stand for the working
// folder itself.
inline constexpr MessageForm kNoSource{kAppTitle, "変換元ファイルを指定してください"};
inline constexpr MessageForm kNoDestination{kAppTitle, "出力先ファイルを指定してください"};
// An output that is one of the run's own inputs: "出力先ファイルが" + the
// input's role + kSameFileTail, a line break and the path.
inline constexpr std::string_view kSameFileHead = "出力先ファイルが";
inline constexpr std::string_view kSameFileTail =
    "と同じファイルです。別の出力先を指定してください";
inline constexpr std::string_view kRoleSource = "変換元ファイル";
inline constexpr std::string_view kRoleStyle = "スタイルファイル";
inline constexpr std::string_view kRoleFileType = "ファイルタイプファイル";
// Direct mode when the table step failed: kTableStepFailedHead (a workbook)
// or kImportStepFailedHead (a reference manager's export) + the result text
// + kTableStepFailedTail, a line break and the source, captioned with the
// tool's name.
inline constexpr std::string_view kTableStepFailedHead = "ブックを表に変換できませんでした（";
inline constexpr std::string_view kImportStepFailedHead =
    "文献ファイルを表に変換できませんでした（";
inline constexpr std::string_view kTableStepFailedTail = "）。文献リストへの変換は行いません";
// Asked when the window is closed while a tool still runs: Yes closes it as
// soon as the run has ended, No keeps it open.
inline constexpr MessageForm kCloseWhileRunning{
    kAppTitle, "変換ツールの実行中です。実行が終わったら終了しますか？", PathPlace::kNone,
    MessageIcon::kQuestion, MessageButtons::kYesNo};

// Status texts.
inline constexpr std::string_view kTabdumpRunResult = "tabdumpの実行結果：";
inline constexpr std::string_view kRefimportRunResult = "refimportの実行結果：";
inline constexpr std::string_view kRefmillRunResult = "refmillの実行結果：";
inline constexpr std::string_view kDirectListResult = " / refmillの実行結果：";
inline constexpr std::string_view kSuccess = "成功";
inline constexpr std::string_view kError = "エラー";
// Between a code and its meaning: "エラー7：出力先を作成できません".
inline constexpr std::string_view kMeaningSeparator = "：";
// A negative code: the tool was ended by a signal.
inline constexpr std::string_view kCrashed = "ツールが異常終了しました";
// The bibliography step of direct mode, not run because the table step failed.
inline constexpr std::string_view kNotRun = "未実行";

}  // namespace refdesk::msg

namespace refdesk::names {

// Files and tools in the program folder.
inline constexpr std::string_view kSettingsFile = "refdesk.ini";
inline constexpr std::string_view kHelpFile = "refdesk-help.html";
inline constexpr std::string_view kTabdumpProgram = "tabdump";
inline constexpr std::string_view kRefimportProgram = "refimport";
inline constexpr std::string_view kRefmillProgram = "refmill";
inline constexpr std::string_view kHomePage = "https://github.com/refmill/refdesk";

// Extensions and the names left out of the style list.
inline constexpr std::string_view kStyleExtension = ".ini";
inline constexpr std::string_view kFileTypeExtension = ".trl";
inline constexpr std::string_view kTableExtension = ".csv";
// Sources of the upper group that refimport turns into a table (BibTeX, RIS,
// CSL-JSON), matched without regard to case; every other source is a
// workbook for tabdump.
inline constexpr std::string_view kReferenceExportExtensions[] = {".bib", ".ris", ".json"};
inline constexpr std::string_view kNotAStyle1 = "refdesk";
inline constexpr std::string_view kNotAStyle2 = "refmill";

// The output extension, from section "General" of the file-type file.
inline constexpr std::string_view kFileTypeSection = "General";
inline constexpr std::string_view kExtKey = "ext";
inline constexpr std::string_view kDefaultExt = "txt";

// Tool switches.
inline constexpr std::string_view kTabdumpSwitch = "/s";
// Direct mode's temporary table is refdesk's own: it asks for UTF-8, so that
// every character of the workbook reaches refmill.
inline constexpr std::string_view kTabdumpUtf8Switch = "/su";
// refimport has no switch for a Shift-JIS table and never asks before
// replacing it; "/u" asks for UTF-8.
inline constexpr std::string_view kRefimportUtf8Switch = "/u";
inline constexpr std::string_view kRefmillSwitch = "/s";
inline constexpr std::string_view kRefmillLogSwitch = "/se";

// The temporary table of direct mode: prefix, a number from 100 to 999,
// suffix, in a folder of its own made in the system's temporary folder.
inline constexpr std::string_view kTempFolderPattern = "refdesk-XXXXXX";
inline constexpr std::string_view kTempPrefix = "temp";
inline constexpr std::string_view kTempSuffix = ".%%%";

}  // namespace refdesk::names
