#include "core/progfile/Crc16.h"

#include <gtest/gtest.h>

#include <string_view>

namespace kt90 {
namespace {

ByteView ascii(std::string_view s) { return ByteView(reinterpret_cast<const std::uint8_t*>(s.data()), s.size()); }

TEST(Crc16, XmodemCheckValueAndPieces) {
  EXPECT_EQ(crc16(ascii("123456789")), 0x31C3);
  EXPECT_EQ(crc16(ascii("")), 0x0000);
  // Feeding in pieces gives the same as feeding at once.
  EXPECT_EQ(Crc16().feed(ascii("1234")).feed(ascii("56789")).value(), 0x31C3);
  // A u16 is fed low byte first.
  const std::uint8_t bytes[2] = {0x34, 0x12};
  EXPECT_EQ(Crc16().feedU16(0x1234).value(), crc16(bytes));
}

}  // namespace
}  // namespace kt90
