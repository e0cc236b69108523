#pragma once
#include <QString>
#include <string>

#include "connect/ProgrammerTarget.h"

namespace kt90::gui {

// Where a device operation goes: a serial port by name or path, or the built-in
// emulated programmer.
struct PortTarget {
  enum class Kind { None, Serial, Emulator };
  Kind kind = Kind::None;
  std::string portName;  // the serial port; "emulator" for the emulator
};

// The target the connection factory opens: the emulator with its state file, or the port
// (none chosen: no port, which nothing answers on).
ProgrammerTarget programmerTarget(const PortTarget& target, const QString& emulatorStateFile);

// The emulator's state file in the user's data folder.
QString defaultEmulatorStateFile();

}  // namespace kt90::gui
