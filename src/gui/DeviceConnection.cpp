#include "gui/DeviceConnection.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <filesystem>

#include "core/app/WritableFiles.h"
#include "core/base/FileIo.h"
#include "core/text/Format.h"
#include "core/text/StringTable.h"
#include "link/SerialDriver.h"
#include "sim/Emulator.h"
#include "sim/SimDriver.h"
#include "sim/StateStore.h"

namespace kt90::gui {
namespace {

class SerialConnection : public DeviceConnection {
 public:
  CKT90Driver& driver() override { return driver_; }
  void finish(bool) override {}

 private:
  link::SerialDriver driver_;
};

class EmulatorConnection : public DeviceConnection {
 public:
  // The state file is taken when the operation opens the device, so an operation the
  // guard refuses never waits for it.
  EmulatorConnection(const QString& stateFile, WorkingState& state)
      : store_(pathFromUtf8(stateFile.toStdString())), state_(state), driver_(emulator_, {}, &store_) {
    std::error_code error;
    std::filesystem::create_directories(store_.path().parent_path(), error);
  }
  CKT90Driver& driver() override { return driver_; }
  // Every change was saved as it happened; a state file that could not be used or saved
  // kept the programmer off or stopped it, and the log says why.
  void finish(bool) override {
    if (store_.problem().empty()) return;
    const TextId id = store_.loaded() ? TextId::EmulatorStateNotSaved : TextId::EmulatorStateUnreadable;
    state_.appendLog(formatText(text(id, state_.language()), store_.problem().c_str()));
  }

 private:
  sim::StateStore store_;
  WorkingState& state_;
  sim::Emulator emulator_;
  sim::SimDriver driver_;
};

}  // namespace

std::unique_ptr<DeviceConnection> DeviceConnection::open(const PortTarget& target, const QString& emulatorStateFile,
                                                         WorkingState& state) {
  if (target.kind == PortTarget::Kind::Emulator) return std::make_unique<EmulatorConnection>(emulatorStateFile, state);
  return std::make_unique<SerialConnection>();
}

// The emulated programmer keeps its state in the same user folder as the program's other
// writable files.
QString defaultEmulatorStateFile() {
  std::string dir = userDataDir(currentUserEnvironment());
  if (dir.empty()) dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdString();
  return QDir(QString::fromStdString(dir)).filePath("emulator.kt90sim");
}

}  // namespace kt90::gui
