#pragma once
#include <cstdint>

#include "core/base/Bytes.h"

namespace kt90 {

// CRC-16/XMODEM: polynomial 0x1021, MSB first, no reflection, no final XOR.
// Check value: 0x31C3 for "123456789" with initial value 0.
std::uint16_t crc16(ByteView bytes, std::uint16_t initial = 0);

// Incremental form for computations fed from several pieces.
class Crc16 {
 public:
  explicit Crc16(std::uint16_t initial = 0) : crc_(initial) {}
  Crc16& feed(ByteView bytes) {
    crc_ = crc16(bytes, crc_);
    return *this;
  }
  Crc16& feedU16(std::uint16_t v);
  std::uint16_t value() const { return crc_; }

 private:
  std::uint16_t crc_;
};

}  // namespace kt90
