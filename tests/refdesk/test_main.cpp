#include "tests/refdesk/test_main.h"

#include <QApplication>

int main(int argc, char** argv) {
  // No test may need a display or block on one.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  // Tests close windows; that must not end the application.
  QApplication::setQuitOnLastWindowClosed(false);
  int failed = 0;
  failed += refdesk_test::RunProgramFolderTest(argc, argv);
  failed += refdesk_test::RunConvertFlowTest(argc, argv);
  failed += refdesk_test::RunProcessRunnerTest(argc, argv);
  failed += refdesk_test::RunQtDialogsTest(argc, argv);
  failed += refdesk_test::RunSdiAppFormTest(argc, argv);
  return failed == 0 ? 0 : 1;
}
