#pragma once
#include <QString>
#include <memory>
#include <string>

#include "core/app/WorkingState.h"
#include "core/programmer/CKT90Driver.h"

namespace kt90::gui {

// Where a device operation goes: a serial port by name or path, or the built-in
// emulated programmer.
struct PortTarget {
  enum class Kind { None, Serial, Emulator };
  Kind kind = Kind::None;
  std::string portName;  // the serial port; "emulator" for the emulator
};

// The driver of one device operation, made on the worker thread that runs it. The
// emulator's state file is held and read when the operation opens the device, and each
// change is in it before the emulated programmer answers; finish() logs a state file that
// could not be used or saved.
class DeviceConnection {
 public:
  virtual ~DeviceConnection() = default;
  virtual CKT90Driver& driver() = 0;
  virtual void finish(bool operationRan) = 0;

  // Problems reading or writing the emulator's state are logged through `state`.
  static std::unique_ptr<DeviceConnection> open(const PortTarget& target, const QString& emulatorStateFile,
                                                WorkingState& state);
};

// The emulator's state file in the user's data folder.
QString defaultEmulatorStateFile();

}  // namespace kt90::gui
