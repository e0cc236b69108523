#include "core/progfile/Calibration.h"

#include <algorithm>
#include <iterator>

namespace kt90 {

std::array<std::uint8_t, CalibrateInfo::kStoredSize> CalibrateInfo::stored() const {
  std::array<std::uint8_t, kStoredSize> out{};
  writeU32(&out[0], rul);
  writeU16(&out[4], min);
  writeU16(&out[6], max);
  out[8] = lowerMin;
  out[9] = lowerMax;
  out[10] = upperMin;
  out[11] = upperMax;
  return out;
}

void CalibrateInfo::setStored(const std::uint8_t* p) {
  rul = readU32(p);
  min = readU16(p + 4);
  max = readU16(p + 6);
  lowerMin = p[8];
  lowerMax = p[9];
  upperMin = p[10];
  upperMax = p[11];
}

bool isKnownCalibrationName(const std::string& name) {
  static constexpr const char* kNames[] = {kIrcCalibrationName, "1.7M校准", "2.4M校准", "3.0M校准", "3.3M校准"};
  return std::any_of(std::begin(kNames), std::end(kNames), [&](const char* known) { return name == known; });
}

void CalibrateInfo::clearParameters() {
  const bool keepOffered = offered;
  *this = CalibrateInfo{};
  offered = keepOffered;
}

}  // namespace kt90
