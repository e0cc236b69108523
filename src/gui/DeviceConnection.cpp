#include "gui/DeviceConnection.h"

#include <QDir>
#include <QStandardPaths>

#include "core/app/WritableFiles.h"

namespace kt90::gui {

ProgrammerTarget programmerTarget(const PortTarget& target, const QString& emulatorStateFile) {
  if (target.kind == PortTarget::Kind::Emulator)
    return {ProgrammerTarget::Kind::Emulator, emulatorStateFile.toStdString()};
  return {ProgrammerTarget::Kind::Serial, target.portName};
}

// The emulated programmer keeps its state in the same user folder as the program's other
// writable files.
QString defaultEmulatorStateFile() {
  std::string dir = userDataDir(currentUserEnvironment());
  if (dir.empty()) dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdString();
  return QDir(QString::fromStdString(dir)).filePath("emulator.kt90sim");
}

}  // namespace kt90::gui
