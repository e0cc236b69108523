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
#include "sim/StateFile.h"

namespace kt90::gui {
namespace {

// A fresh emulated programmer runs a firmware the shipped settings list as supported.
constexpr const char* kFreshEmulatorVersion = "KT90 V5.2";

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
      : path_(pathFromUtf8(stateFile.toStdString())), state_(state), driver_(emulator_) {
    emulator_.setVersionText(kFreshEmulatorVersion);
    std::error_code error;
    if (!std::filesystem::exists(path_, error)) return;
    const std::string problem = sim::loadStateFile(path_, emulator_);
    if (!problem.empty()) {
      state_.appendLog(formatText(text(TextId::EmulatorStateUnreadable, state_.language()), pathToUtf8(path_).c_str(),
                                  problem.c_str()));
    }
  }
  CKT90Driver& driver() override { return driver_; }
  void finish(bool operationRan) override {
    if (!operationRan) return;
    std::error_code error;
    std::filesystem::create_directories(path_.parent_path(), error);
    if (!sim::saveStateFile(emulator_, path_)) {
      state_.appendLog(formatText(text(TextId::EmulatorStateNotSaved, state_.language()), pathToUtf8(path_).c_str()));
    }
  }

 private:
  std::filesystem::path path_;
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
