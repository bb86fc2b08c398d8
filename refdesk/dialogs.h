// The window's modal dialogs behind a small interface: message boxes, the
// browse dialog and the About box. The real ones live in qt_dialogs.h; tests
// use a fake that answers at once, so no modal dialog ever blocks a test.
#pragma once

#include <optional>
#include <string>

#include "refdesk/message.h"

namespace refdesk {

// What a browse button asks of the open-file dialog.
struct BrowseRequest {
  std::string title;
  std::string filter;            // description|pattern pairs joined by "|"
  bool file_must_exist = false;  // else only the folder must exist
  std::string start_path;        // the field's text, to open the dialog near it

  bool operator==(const BrowseRequest&) const = default;
};

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // Shows the message and returns the button chosen (kOk for an OK-only box).
  virtual Answer Show(const Message& message) = 0;
  // The chosen file's path, or nothing when the dialog was closed without one.
  virtual std::optional<std::string> Browse(const BrowseRequest& request) = 0;
  // Shows the About box until it is closed.
  virtual void ShowAbout() = 0;
};

}  // namespace refdesk
