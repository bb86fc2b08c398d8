#include "refdesk/qt_process_runner.h"

#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTimer>

namespace refdesk {
namespace {

QString FromOsBytes(const std::string& bytes) {
  return QFile::decodeName(QByteArray::fromStdString(bytes));
}

class QtRunningProcess : public RunningProcess {
 public:
  explicit QtRunningProcess(std::unique_ptr<QProcess> process) : process_(std::move(process)) {}

  int Wait() override {
    // Events are handled between looks, so the window stays usable and
    // another run may start and finish inside this one.
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
      if (process_->state() == QProcess::NotRunning) loop.quit();
    });
    QObject::connect(process_.get(), &QProcess::finished, &loop, &QEventLoop::quit);
    poll.start(kWaitPollMs);
    if (process_->state() != QProcess::NotRunning) loop.exec();
    if (process_->exitStatus() == QProcess::CrashExit) {
      // Qt gives the number of the signal that ended the tool.
      return process_->exitCode() > 0 ? -process_->exitCode() : -1;
    }
    return process_->exitCode();
  }

 private:
  std::unique_ptr<QProcess> process_;
};

}  // namespace

std::unique_ptr<RunningProcess> QtProcessRunner::Start(const ProcessRequest& request) {
  auto process = std::make_unique<QProcess>();
  process->setProgram(FromOsBytes(request.program));
  QStringList arguments;
  for (const std::string& argument : request.arguments) arguments.push_back(FromOsBytes(argument));
  process->setArguments(arguments);
  if (!request.working_folder.empty()) {
    process->setWorkingDirectory(FromOsBytes(request.working_folder));
  }
  process->setStandardInputFile(QProcess::nullDevice());
  process->setStandardOutputFile(QProcess::nullDevice());
  process->setStandardErrorFile(QProcess::nullDevice());
  process->start();
  if (!process->waitForStarted()) return nullptr;
  return std::make_unique<QtRunningProcess>(std::move(process));
}

}  // namespace refdesk
