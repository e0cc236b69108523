#include "gui/DriverSetup.h"

#include <QProcess>
#include <QStandardPaths>

#include "core/app/ShellState.h"
#include "core/base/FileIo.h"
#include "core/text/FileProblem.h"
#include "core/text/Format.h"
#include "core/text/StringTable.h"

namespace kt90::gui {

void runDriverSetupScript(QWidget* window, Dialogs& dialogs, WorkingState& state, LanguageId language) {
  const std::string script = driverSetupScriptPath(state.programDir());
  const ReadProblem problem = regularFileProblem(pathFromUtf8(script));
  if (problem != ReadProblem::None) {
    const std::string message = problem == ReadProblem::NotRegular
                                    ? fileProblemLine(script, problem, 0, language)
                                    : formatText(text(TextId::DriverInstallerMissing, language), script.c_str());
    dialogs.messageBox(window, QString::fromStdString(message), MessageButtons::Ok, language);
    return;
  }
  const std::string command = "sudo sh '" + script + "'";
  // pkexec asks for the password in a window of its own; a terminal and sudo always work.
  const QString pkexec = QStandardPaths::findExecutable("pkexec");
  if (pkexec.isEmpty()) {
    dialogs.messageBox(window,
                       QString::fromStdString(formatText(text(TextId::DriverSetupCommand, language), command.c_str())),
                       MessageButtons::Ok, language);
    return;
  }
  const QString question = QString::fromStdString(
      formatText(text(TextId::DriverSetupQuestion, language), ("pkexec sh '" + script + "'").c_str()));
  if (dialogs.messageBox(window, question, MessageButtons::YesNo, language) != MessageAnswer::Yes) return;

  auto* process = new QProcess(window);
  process->setProcessChannelMode(QProcess::MergedChannels);
  QObject::connect(process, &QProcess::finished, window, [process, &state, language](int code, QProcess::ExitStatus) {
    for (const QString& line : QString::fromLocal8Bit(process->readAll()).split('\n', Qt::SkipEmptyParts))
      state.appendLog(line.toStdString() + "\r\n", false);
    state.appendLog(formatText(text(TextId::DriverSetupFinished, language), code));
    process->deleteLater();
  });
  QObject::connect(
      process, &QProcess::errorOccurred, window, [process, &state, language](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart) return;
        state.appendLog(
            formatText(text(TextId::DriverSetupNotStarted, language), process->errorString().toStdString().c_str()));
        process->deleteLater();
      });
  process->start(pkexec, {"/bin/sh", QString::fromStdString(script)});
}

}  // namespace kt90::gui
