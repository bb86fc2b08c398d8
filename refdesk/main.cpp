// refdesk: the desktop front end of refmill. Builds the real services and
// the main window, and runs until the window closes.
#include <QApplication>
#include <QFile>

#include "refdesk/messages.h"
#include "refdesk/qt_dialogs.h"
#include "refdesk/qt_process_runner.h"
#include "refdesk/qt_shell.h"
#include "refdesk/qt_text.h"
#include "refdesk/qt_translations.h"
#include "refdesk/sdi_app_form.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(refdesk::ToQt(refdesk::msg::kAppTitle));
  refdesk::InstallQtTranslations(app);
  refdesk::QtDialogs dialogs;
  refdesk::QtShell shell;
  refdesk::QtProcessRunner runner;
  const std::string program_path =
      QFile::encodeName(QApplication::applicationFilePath()).toStdString();
  refdesk::TSDIAppForm form(refdesk::FormServices{dialogs, shell, runner, program_path});
  dialogs.SetOwner(&form);
  form.show();
  const int status = QApplication::exec();
  // The window is destroyed after this, and its history fields may still
  // report a file they cannot write; their message must not belong to a
  // window that is going away.
  dialogs.SetOwner(nullptr);
  return status;
}
