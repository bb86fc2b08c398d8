// The window's own settings: the keys of section "General" of refdesk.ini,
// read with the profile reader's rules (any non-zero number is true,
// anything that is not a number gives the default) and written back in their
// fixed order with booleans as "1" and "0". The style and the file type are
// kept by name as well as by position, so adding a style of one's own does
// not change which one the next start selects.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/profile.h"

namespace refdesk {

struct FormSettings {
  bool same_name1 = false;      // SameName1, CheckBox1
  bool direct = true;           // Direct, CheckBox2
  bool overwrite1 = false;      // OverWrite1, CheckBox3
  bool same_name2 = false;      // SameName2, CheckBox4
  bool same_name3 = true;       // SameName3, CheckBox5
  bool overwrite2 = false;      // OverWrite2, CheckBox6
  bool after_open = true;       // AfterOpen, CheckBox7
  bool error_log = true;        // ErrorLog, CheckBox9
  bool tabdump_visible = true;  // TabdumpVisible, GroupBox1 shown
  int32_t format = 0;           // Format, index selected in ComboBox1
  int32_t file_type = 0;        // FileType, index selected in ComboBox2
  std::string format_name;      // FormatName, name selected in ComboBox1
  std::string file_type_name;   // FileTypeName, name selected in ComboBox2

  bool operator==(const FormSettings&) const = default;
};

// The settings stored in `file`; missing keys give the defaults above.
FormSettings ReadFormSettings(const platform::ProfileFile& file);
// Writes all keys into section "General" of `file`, in their order: the
// eleven older programs know, then the two names.
void WriteFormSettings(const FormSettings& settings, platform::ProfileFile& file);

// The settings in refdesk.ini of `program_folder`, and writing them back
// there with the file's other sections (the histories) kept. Saving is
// false when the file cannot be written.
FormSettings LoadFormSettings(const std::string& program_folder);
bool SaveFormSettings(const std::string& program_folder, const FormSettings& settings);

// The index to select for a stored index in a list of `count` entries: a
// stored index past the last entry selects the first, a negative one selects
// nothing (-1).
int SelectionFor(int32_t stored, int count);
// The index to select in `names`: the entry spelt `stored_name` when there
// is one, else as above by the stored index (settings written before names
// were kept, or a style since removed).
int SelectionFor(int32_t stored, const std::string& stored_name,
                 const std::vector<std::string>& names);

}  // namespace refdesk
