#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "core/base/Bytes.h"

namespace kt90 {

// The 4-byte calibration header: entry count and one bit per entry for enable, type
// low bit and voltage (set = 3 V).
struct CaliBrate {
  static constexpr std::size_t kSize = 4;
  static constexpr int kMaxEntries = 8;
  std::uint8_t count = 0;
  std::uint8_t enableBits = 0;
  std::uint8_t typeLowBits = 0;
  std::uint8_t voltageBits = 0;

  std::array<std::uint8_t, kSize> stored() const { return {count, enableBits, typeLowBits, voltageBits}; }
  static CaliBrate fromStored(const std::uint8_t* p) { return {p[0], p[1], p[2], p[3]}; }
  bool operator==(const CaliBrate&) const = default;
};

// One calibration entry. The first 12 bytes (Rul .. UpperMax) are its stored form in
// files and in the programmer; `offered` and `name` are not stored.
struct CalibrateInfo {
  static constexpr std::size_t kStoredSize = 12;
  std::uint32_t rul = 0;
  std::uint16_t min = 0;
  std::uint16_t max = 0;
  std::uint8_t lowerMin = 0;
  std::uint8_t lowerMax = 0;
  std::uint8_t upperMin = 0;
  std::uint8_t upperMax = 0;
  bool offered = false;
  std::string name = "NA";

  std::array<std::uint8_t, kStoredSize> stored() const;
  void setStored(const std::uint8_t* p);
  // Back to an entry no definition section filled; `offered` stays as it is.
  void clearParameters();
};

// The five calibration names the programmer knows; the calibration dialog shows these
// entries and the image summary lists them. "IRC校准" is shown but cannot be changed.
inline constexpr const char* kIrcCalibrationName = "IRC校准";
bool isKnownCalibrationName(const std::string& name);

}  // namespace kt90
