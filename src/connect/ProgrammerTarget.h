#pragma once
#include <string>

namespace kt90 {

// Where a device operation goes: a serial port as the user gave it, or an emulated
// programmer whose non-volatile memory is a state file.
struct ProgrammerTarget {
  enum class Kind { Serial, Emulator };
  Kind kind = Kind::Serial;
  std::string location;  // the port's name or path, or the state file's path as given

  // How logs, tables, JSON and the journal tell this programmer from others: the port as
  // given, or "sim:" and the state file's path as given.
  std::string name() const { return kind == Kind::Emulator ? "sim:" + location : location; }
};

}  // namespace kt90
