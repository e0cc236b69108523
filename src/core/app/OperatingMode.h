#pragma once
#include <cstdint>

namespace kt90 {

// Operating modes as stored in the profile key "Account".
inline constexpr std::uint32_t kProductionMode = 0;
inline constexpr std::uint32_t kResearchMode = 1;
inline constexpr std::uint32_t kServiceMarker = 0x20040817;

// A stored value that is not 0 and lies below the service marker reads as R&D mode;
// 0 and values from the marker upward stay as stored.
inline std::uint32_t normaliseOperatingMode(std::uint32_t stored) {
  return (stored != 0 && stored < kServiceMarker) ? kResearchMode : stored;
}

}  // namespace kt90
