#pragma once
#include <array>
#include <cstdint>

#include "core/base/Bytes.h"

namespace kt90 {

// Flag bits of FileHead byte 0.
namespace headflag {
inline constexpr std::uint8_t kVerify = 0x01;
inline constexpr std::uint8_t kProgram = 0x02;
inline constexpr std::uint8_t kBlank = 0x04;
inline constexpr std::uint8_t kCheckCrc = 0x08;
inline constexpr std::uint8_t kRollingCode = 0x20;
inline constexpr std::uint8_t kReset = 0xC3;  // flags of an image freshly reset for a chip
}  // namespace headflag

// The 32-byte head of every project file and of the program stored in the programmer.
// Kept as its stored bytes; the accessors read and write them little-endian.
struct FileHead {
  static constexpr std::size_t kSize = 32;
  static constexpr std::size_t kNameSize = 8;
  std::array<std::uint8_t, kSize> bytes{};

  std::uint8_t flags() const { return bytes[0]; }
  void setFlags(std::uint8_t v) { bytes[0] = v; }
  bool flag(std::uint8_t bit) const { return (bytes[0] & bit) != 0; }
  void setFlag(std::uint8_t bit, bool on) { bytes[0] = static_cast<std::uint8_t>(on ? bytes[0] | bit : bytes[0] & ~bit); }

  std::uint8_t version() const { return bytes[1]; }
  void setVersion(std::uint8_t v) { bytes[1] = v; }

  std::uint16_t codeWords() const { return readU16(&bytes[2]); }
  void setCodeWords(std::uint16_t v) { writeU16(&bytes[2], v); }

  std::uint32_t programLimit() const { return readU32(&bytes[4]); }
  void setProgramLimit(std::uint32_t v) { writeU32(&bytes[4], v); }

  // The 8-byte chip name field (ANSI, zero padded, not terminated when full).
  std::array<std::uint8_t, kNameSize> chipName() const;
  void setChipName(const std::array<std::uint8_t, kNameSize>& name);

  // Option words 0-7 (chip addresses 0x2000-0x2007).
  std::uint16_t optionWord(int index) const { return readU16(&bytes[16 + 2 * index]); }
  void setOptionWord(int index, std::uint16_t v) { writeU16(&bytes[16 + 2 * index], v); }
};

// The 32-byte extension that follows the FileHead in memory and in the programmer.
struct ConfigBlock {
  static constexpr std::size_t kSize = 32;
  std::array<std::uint8_t, kSize> bytes{};

  // Option words 8-15 (chip addresses 0x2008-0x200F); `index` is 8..15.
  std::uint16_t optionWord(int index) const { return readU16(&bytes[2 * (index - 8)]); }
  void setOptionWord(int index, std::uint16_t v) { writeU16(&bytes[2 * (index - 8)], v); }

  std::uint16_t optionMask() const { return readU16(&bytes[16]); }
  void setOptionMask(std::uint16_t v) { writeU16(&bytes[16], v); }

  std::uint16_t codeRangeFirst() const { return readU16(&bytes[18]); }
  std::uint16_t codeRangeEnd() const { return readU16(&bytes[20]); }
  void setCodeRange(std::uint16_t first, std::uint16_t end) {
    writeU16(&bytes[18], first);
    writeU16(&bytes[20], end);
  }

  std::uint8_t calibrationTypeBits() const { return bytes[22]; }
  void setCalibrationTypeBits(std::uint8_t v) { bytes[22] = v; }

  std::uint8_t chipId2() const { return bytes[26]; }
  std::uint16_t chipId2Addr() const { return readU16(&bytes[27]); }
  std::uint8_t chipId() const { return bytes[29]; }
  std::uint16_t chipIdAddr() const { return readU16(&bytes[30]); }
  void setChipIds(std::uint8_t id, std::uint16_t idAddr, std::uint8_t id2, std::uint16_t id2Addr) {
    bytes[29] = id;
    writeU16(&bytes[30], idAddr);
    bytes[26] = id2;
    writeU16(&bytes[27], id2Addr);
  }

  // Bits 4-5 of option word 13: the protection mode CodeRange and the signature follow.
  std::uint8_t protectionMode() const { return bytes[10] & 0x30; }
};

}  // namespace kt90
