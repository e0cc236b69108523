#pragma once
#include <array>
#include <cstdint>

#include "core/progfile/ProgramImage.h"

namespace kt90 {

// Chip-wide values of the selected chip's definition that the program head does not hold.
struct ChipInfo {
  std::uint8_t bitWidth = 14;
  std::array<std::uint8_t, 5> password{};  // read keys handed to the programmer
  bool checkFirmwareVersion = false;
  // Not from the file: the working state clears it while the user keeps the program over
  // a chip change.
  bool clearProgramOnReset = true;

  std::uint16_t blankWord() const { return blankWordFor(bitWidth); }
};

}  // namespace kt90
