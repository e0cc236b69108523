#pragma once
#include <cstdint>
#include <string>

#include "core/base/Bytes.h"

namespace kt90 {

// The firmware image for a programmer, by its version text.
struct FirmwareChoice {
  std::string imageName;           // "Firmware/KT90_5_0.bin", or empty: no image fits
  bool replaceProgrammer = false;  // the programmer must be replaced (message box)
};
FirmwareChoice chooseFirmwareImage(const std::string& version);

// Where the upgrade record goes: in storage for a debugger-type programmer that is not a
// "DBGPRO", in the EEPROM for all others.
bool upgradeRecordInStorage(const std::string& version);

// The largest image the programmer takes: its image area ends below a record in storage.
std::uint32_t firmwareCapacity(bool recordInStorage);

// u32 image size, then the marker byte.
Bytes upgradeRecord(std::uint32_t imageSize);

}  // namespace kt90
