// What a tool's exit status means, in the words the status bar and the
// failure messages show: the one table of meanings that the tools' READMEs
// list too (refdesk/README.md repeats it). Used by the convert flows.
#pragma once

#include <string>
#include <string_view>

namespace refdesk {

// Result codes of tabdumpRun and refmillRun besides the tools' own statuses.
inline constexpr int kResultSuccess = 0;
inline constexpr int kResultNotStarted = 55;       // source missing or tool not started
inline constexpr int kResultSettingsMissing = 44;  // style or file-type file missing
inline constexpr int kResultDeclined = 77;         // direct mode: overwrite declined

// The tool whose status a code is; the same number means different things.
enum class Tool { kTabdump, kRefimport, kRefmill };

// The meaning of `code` for `tool`: the tool's own exit statuses, then
// refdesk's codes 44, 55 and 77, then a crash for a negative code. Empty
// for a code nothing gives a meaning to.
std::string_view ResultMeaning(Tool tool, int code);

// "成功" for 0, else "エラー" and the code in decimal (negative with a sign),
// followed by "：" and its meaning when it has one ("エラー7：出力先を作成できません").
std::string ResultText(Tool tool, int code);

}  // namespace refdesk
