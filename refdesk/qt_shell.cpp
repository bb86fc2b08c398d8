#include "refdesk/qt_shell.h"

#include <QDesktopServices>
#include <QFile>
#include <QUrl>

#include "refdesk/qt_text.h"

namespace refdesk {

bool QtShell::OpenFile(const std::string& path) {
  return QDesktopServices::openUrl(
      QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(path))));
}

bool QtShell::OpenAddress(const std::string& address) {
  return QDesktopServices::openUrl(QUrl(ToQt(address)));
}

}  // namespace refdesk
