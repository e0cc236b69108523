#include "core/programmer/StorageMap.h"

namespace kt90 {

namespace {
constexpr std::uint32_t kCalibrationHeaderSize = 4;
constexpr std::uint32_t kCalibrationEntrySize = 12;
constexpr std::uint32_t kOpenShortSize = 10;
}  // namespace

std::uint32_t trailerAddress(std::uint32_t codeWords) {
  return storage::kCode + storage::kBlockSize * (codeWords / 16);
}

TrailerLayout trailerLayout(std::uint32_t codeWords, std::uint32_t calibrationCount, bool rollingCodeOn,
                            std::uint8_t rolCodeFirst) {
  TrailerLayout t;
  t.signature = trailerAddress(codeWords);
  t.calibrationHeader = t.signature + 2;
  t.calibrationEntries = t.calibrationHeader + kCalibrationHeaderSize;
  t.openShort = t.calibrationEntries + calibrationCount * kCalibrationEntrySize;
  std::uint32_t next = t.openShort + kOpenShortSize;
  if (rollingCodeOn) {
    t.rolCode = next;
    t.rolCodeSize = (rolCodeFirst & 7u) * 4u + 6u;
    next += t.rolCodeSize;
  }
  t.fileChecksum = next;
  t.end = next + 2;
  return t;
}

}  // namespace kt90
