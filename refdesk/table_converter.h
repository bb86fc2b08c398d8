// Which tool turns a source of the upper group into a table, and how it is
// started: tabdump for workbooks, refimport for the exports of reference
// managers (BibTeX, RIS, CSL-JSON). Both windows reach it only through the
// convert flows, so a source is judged the same way everywhere.
#pragma once

#include <string>
#include <string_view>

#include "refdesk/message.h"
#include "refdesk/process_runner.h"
#include "refdesk/tool_results.h"

namespace refdesk {

struct TableConverter {
  Tool tool;
  std::string_view program;      // its name in the program folder
  std::string_view switch_word;  // for a Shift-JIS table; empty for none
  std::string_view utf8_switch;  // for a UTF-8 table
  std::string_view run_result;   // status text before its result
  std::string_view failed_head;  // direct mode: the table step failed
  MessageForm source_missing;
  // Said when the tool cannot be started; empty text for a tool whose
  // absence the result code says well enough.
  MessageForm not_started;
};

// True when `source` has the extension of a reference manager's export,
// in any letter case.
bool IsReferenceExport(std::string_view source);

// The converter for `source`, judged by its extension.
const TableConverter& TableConverterFor(std::string_view source);

// The converter's run on two full paths, in the window's working folder:
// `tabdump /s` (or /su) or `refimport` (or /u), source, destination.
ProcessRequest TableRequest(const std::string& program_folder, const std::string& source,
                            const std::string& destination, bool utf8 = false);

}  // namespace refdesk
