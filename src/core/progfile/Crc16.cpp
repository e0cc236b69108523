#include "core/progfile/Crc16.h"

#include <array>

namespace kt90 {
namespace {

constexpr std::array<std::uint16_t, 256> makeTable() {
  std::array<std::uint16_t, 256> table{};
  for (unsigned i = 0; i < 256; ++i) {
    unsigned crc = i << 8;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x8000) ? ((crc << 1) ^ 0x1021) : (crc << 1);
    table[i] = static_cast<std::uint16_t>(crc);
  }
  return table;
}

constexpr auto kTable = makeTable();

}  // namespace

std::uint16_t crc16(ByteView bytes, std::uint16_t initial) {
  unsigned crc = initial;
  for (std::uint8_t byte : bytes) crc = ((crc << 8) ^ kTable[((crc >> 8) ^ byte) & 0xFF]) & 0xFFFF;
  return static_cast<std::uint16_t>(crc);
}

Crc16& Crc16::feedU16(std::uint16_t v) {
  const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)};
  return feed(bytes);
}

}  // namespace kt90
