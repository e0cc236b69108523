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
  EmulatorConnection(const QString& stateFile, WorkingState& state)
      : store_(pathFromUtf8(stateFile.toStdString())), state_(state), driver_(emulator_, {}, &store_) {
    std::error_code error;
    std::filesystem::create_directories(store_.path().parent_path(), error);
    // A state file that cannot be used keeps the programmer off rather than reset.
    const std::string problem = store_.open(emulator_, sim::stateLockWait());
    if (!problem.empty()) {
      state_.appendLog(formatText(text(TextId::EmulatorStateUnreadable, state_.language()), problem.c_str()));
    }
  }
  CKT90Driver& driver() override { return driver_; }
  void finish(bool operationRan) override {
    // Every change was saved as it happened; a failure stopped the programmer.
    if (operationRan && !store_.problem().empty()) {
      state_.appendLog(formatText(text(TextId::EmulatorStateNotSaved, state_.language()), store_.problem().c_str()));
    }
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
