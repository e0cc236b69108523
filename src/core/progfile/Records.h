#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "core/base/Bytes.h"

namespace kt90 {

// Open/short pin-test record of the chosen package: u16 pin count, 8 test bytes.
struct OpenShort {
  static constexpr std::size_t kSize = 10;
  std::array<std::uint8_t, kSize> bytes{};
  std::uint16_t pins() const { return readU16(&bytes[0]); }
  void setPins(std::uint16_t v) { writeU16(&bytes[0], v); }
};

// Rolling-code record. Byte 0 low 3 bits give the serial length L-1; its stored length
// is (byte0 & 7) * 4 + 6 bytes.
struct RolCode {
  static constexpr std::size_t kSize = 34;
  std::array<std::uint8_t, kSize> bytes{};
  std::size_t storedLength() const { return storedLengthFor(bytes[0]); }
  static std::size_t storedLengthFor(std::uint8_t first) { return (first & 7u) * 4u + 6u; }
  // Reset value: one serial byte, kind RETLW, step 1.
  void reset() {
    bytes.fill(0);
    bytes[2] = 1;
    bytes[5] = 1;
  }
};

using ProgrammerUid = std::array<std::uint8_t, 12>;

// Protection data of a program file; stored in project files only with a program limit.
struct Protection {
  static constexpr std::size_t kMaxUids = 100;
  std::array<std::uint8_t, 4> filePassword{};
  std::uint32_t currentTime = 0;
  std::uint8_t downloadLimit = 0;
  std::vector<ProgrammerUid> uids;  // the KT_ID list

  bool hasPassword() const { return filePassword != std::array<std::uint8_t, 4>{}; }
  void clear() { *this = Protection{}; }
  bool operator==(const Protection&) const = default;
};

}  // namespace kt90
