#include "connect/ProgrammerConnection.h"

#include <filesystem>
#include <system_error>

#include "connect/SerialPorts.h"
#include "core/base/FileIo.h"
#include "sim/Emulator.h"
#include "sim/SimDriver.h"
#include "sim/StateStore.h"

namespace kt90 {

namespace {

class SerialConnection : public ProgrammerConnection {
 public:
  SerialConnection(ProgrammerTarget target, std::unique_ptr<CKT90Driver> driver)
      : ProgrammerConnection(std::move(target)), driver_(std::move(driver)) {}
  CKT90Driver& driver() override { return *driver_; }
  std::optional<std::string> deniedPath() const override { return serialPortDenied(target().location); }

 private:
  std::unique_ptr<CKT90Driver> driver_;
};

class EmulatorConnection : public ProgrammerConnection {
 public:
  explicit EmulatorConnection(ProgrammerTarget target)
      : ProgrammerConnection(std::move(target)),
        store_(pathFromUtf8(this->target().location)),
        driver_(emulator_, {}, &store_) {
    std::error_code error;
    const std::filesystem::path folder = store_.path().parent_path();
    if (!folder.empty()) std::filesystem::create_directories(folder, error);
  }
  std::string take() { return store_.open(emulator_, sim::stateLockWait()); }
  CKT90Driver& driver() override { return driver_; }
  std::string stateProblem() const override { return store_.problem(); }
  bool stateLoaded() const override { return store_.loaded(); }

 private:
  sim::StateStore store_;
  sim::Emulator emulator_;
  sim::SimDriver driver_;
};

}  // namespace

ConnectionOpen openProgrammer(const ProgrammerTarget& target, bool takeStateNow) {
  ConnectionOpen result;
  if (target.kind == ProgrammerTarget::Kind::Emulator) {
    auto emulator = std::make_unique<EmulatorConnection>(target);
    if (takeStateNow) result.error = emulator->take();
    if (result.error.empty()) result.connection = std::move(emulator);
    return result;
  }
  std::unique_ptr<CKT90Driver> driver = makeSerialDriver();
  if (!driver) {
    result.error = "this build has no serial ports; use an emulated programmer";
    return result;
  }
  result.connection = std::make_unique<SerialConnection>(target, std::move(driver));
  return result;
}

}  // namespace kt90
