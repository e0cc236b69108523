#pragma once
#include <string>
#include <vector>

#include "sim/Emulator.h"

namespace kt90::sim {

// The stand-alone programmer's start key, pressed from a console: lines on kt90-sim's
// standard input. "start N" programs N chips one after another with the stored program, as
// the key would: each chip counts against the program limit and the production counters,
// and advances the stored serial by the step.
class StartKey {
 public:
  explicit StartKey(Emulator& emulator) : emulator_(emulator) {}

  // Takes what arrived on the console; returns the lines to print for each complete
  // command: per chip "ROL_CODE:" and serial bytes 0-3 as the window shows them, "PASSED"
  // without a rolling code, or "FAILED:" and the result code; a line it does not know is
  // answered with "ERROR: ..." and changes nothing.
  std::vector<std::string> feed(const std::string& input);

  // The lines for `count` chips.
  std::vector<std::string> programChips(unsigned count);

 private:
  std::vector<std::string> command(const std::string& line);

  Emulator& emulator_;
  std::string pending_;
};

}  // namespace kt90::sim
