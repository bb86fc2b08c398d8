#include "refdesk/qt_dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStringList>

#include "refdesk/about_box.h"
#include "refdesk/qt_text.h"

namespace refdesk {
namespace {

QMessageBox::Icon ToQtIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::kExclamation:
      return QMessageBox::Warning;
    case MessageIcon::kQuestion:
      return QMessageBox::Question;
    case MessageIcon::kNone:
      break;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ToQtButtons(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::kOkCancel:
      return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::kYesNo:
      return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::kOk:
      break;
  }
  return QMessageBox::Ok;
}

// The stored patterns, ";"-separated, each also in lower case: the names
// were matched without regard to case where the patterns were written.
QString Patterns(const QString& patterns) {
  QStringList out;
  for (const QString& pattern : patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
    if (pattern == QStringLiteral("*.*")) {
      out << QStringLiteral("*");
      continue;
    }
    const QString lower = pattern.toLower();
    out << lower;
    if (lower != pattern) out << pattern;
  }
  return out.join(QLatin1Char(' '));
}

}  // namespace

QString ToQtFilter(std::string_view filter) {
  const QStringList parts = ToQt(filter).split(QLatin1Char('|'));
  QStringList entries;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i];
    // The stored description ends in its own "(…)", which Qt would take as
    // the patterns; put the real ones there instead.
    const qsizetype open = description.lastIndexOf(QLatin1Char('('));
    if (open > 0 && description.endsWith(QLatin1Char(')'))) description.truncate(open);
    entries.push_back(description.trimmed() + QStringLiteral(" (") + Patterns(parts[i + 1]) +
                      QLatin1Char(')'));
  }
  return entries.join(QStringLiteral(";;"));
}

QtDialogs::QtDialogs() = default;
QtDialogs::~QtDialogs() = default;

Answer QtDialogs::Show(const Message& message) {
  QString text = ToQt(message.text);
  // The stored wording breaks lines with CR LF; a message box wants LF.
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  QMessageBox box(ToQtIcon(message.icon), ToQt(message.caption), text, ToQtButtons(message.buttons),
                  owner_);
  // Escape answers with the box's Cancel or No button, so exec always names
  // one of the buttons shown.
  switch (box.exec()) {
    case QMessageBox::Cancel:
      return Answer::kCancel;
    case QMessageBox::Yes:
      return Answer::kYes;
    case QMessageBox::No:
      return Answer::kNo;
    default:
      return Answer::kOk;
  }
}

std::optional<std::string> QtDialogs::Browse(const BrowseRequest& request) {
  QFileDialog dialog(owner_, ToQt(request.title));
  dialog.setNameFilter(ToQtFilter(request.filter));
  dialog.setFileMode(request.file_must_exist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  if (!request.start_path.empty()) {
    const QFileInfo start(ToQt(request.start_path));
    dialog.setDirectory(start.absolutePath());
    dialog.selectFile(start.fileName());
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return FromQt(dialog.selectedFiles().front());
}

void QtDialogs::ShowAbout() {
  if (about_ == nullptr) about_ = std::make_unique<TAboutBox>();
  about_->exec();
}

}  // namespace refdesk
