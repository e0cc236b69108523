#pragma once
#include <QStringList>
#include <optional>
#include <string>

namespace kt90::gui {

// What the command line of kt90 may choose for this run (nothing of it is stored).
struct GuiOptions {
  bool emulator = false;                     // --emulator: the built-in emulated programmer
  std::optional<std::string> port;           // --port PATH: a serial port by path or name
  std::optional<std::string> dataDir;        // --data-dir DIR: the program directory
  std::optional<std::string> emulatorState;  // --emulator-state FILE
  std::optional<std::string> journal;        // --journal PATH|URI|off
  std::optional<std::string> station;        // --station NAME: the host its records name
  std::optional<std::string> file;           // FILE: opened at the start as Open does
};

// Parses the arguments (the first being the program). Qt's own options stay with Qt;
// --help and --version print and exit.
GuiOptions parseCommandLine(const QStringList& arguments);

}  // namespace kt90::gui
