#pragma once
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "connect/ProgrammerTarget.h"
#include "core/programmer/CKT90Driver.h"
#include "core/programmer/OperationRequest.h"

namespace kt90 {

// The driver of one device operation and what goes with it, made on the thread that runs
// the operation. An emulator's state file is taken when the operation opens the device
// (or at once, see openProgrammer), and each change is in it before the emulated
// programmer answers.
class ProgrammerConnection {
 public:
  virtual ~ProgrammerConnection() = default;
  virtual CKT90Driver& driver() = 0;
  const ProgrammerTarget& target() const { return target_; }
  // The path of a serial port this user may not open; asked inside the operation.
  virtual std::optional<std::string> deniedPath() const { return std::nullopt; }
  // Why the emulator's state could not be used or kept (empty when it could), and whether
  // it was loaded at all.
  virtual std::string stateProblem() const { return {}; }
  virtual bool stateLoaded() const { return true; }

  // The request for `op` with `program` on this programmer: opened by its location, named by
  // target().name().
  OperationRequest request(DeviceOperation op, ProgramToWrite program) const {
    return operationRequest(op, std::move(program),
                            target_.kind == ProgrammerTarget::Kind::Serial ? target_.location : std::string(),
                            target_.name());
  }

 protected:
  explicit ProgrammerConnection(ProgrammerTarget target) : target_(std::move(target)) {}

 private:
  ProgrammerTarget target_;
};

struct ConnectionOpen {
  std::unique_ptr<ProgrammerConnection> connection;
  std::string error;  // why there is none: no serial ports in this build, a state file in use or damaged
};

// The one factory. `takeStateNow`: an emulator's state file is taken and read here, so one
// that cannot be used is an error before any operation (kt90ctl); otherwise when the
// operation opens the device (the window, whose refused operations never wait for it).
ConnectionOpen openProgrammer(const ProgrammerTarget& target, bool takeStateNow);

}  // namespace kt90
