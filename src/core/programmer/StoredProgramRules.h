#pragma once
#include <cstdint>

#include "core/programmer/StorageMap.h"

namespace kt90 {

// The programmer stores code in whole 32-byte blocks below its trailer, at most 8192
// words: any other size would drop its last words or run into the trailer.
inline bool codeWordsStorable(std::uint32_t codeWords) {
  return codeWords <= storage::kMaxCodeWords && codeWords % 16 == 0;
}

// Calibration entries the storage and the image hold.
inline constexpr std::uint8_t kMaxStoredCalibrations = 8;

}  // namespace kt90
