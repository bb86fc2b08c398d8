// Crossing between the UTF-8 std::string of refdesk's Qt-free code (texts,
// messages and file names as this system hands them to programs) and the
// QString of the widgets.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace refdesk {

inline QString ToQt(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string FromQt(const QString& text) { return text.toStdString(); }

}  // namespace refdesk
