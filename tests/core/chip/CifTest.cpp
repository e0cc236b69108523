#include <gtest/gtest.h>

#include "ChipTestSupport.h"
#include "core/chip/Cif.h"

namespace kt90 {
namespace {

using testing::TempProgramDir;

std::string pattern(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7 + 3);
  return bytes;
}

TEST(Cif, ExactlyTheFirst2048Bytes) {
  TempProgramDir dir;
  dir.writeBytes("CIF/SHORT.cif", pattern(2047));
  dir.writeBytes("CIF/EXACT.cif", pattern(2048));
  dir.writeBytes("CIF/LONG.cif", pattern(2049));
  dir.writeBytes("CIF/EMPTY.cif", "");

  EXPECT_FALSE(LoadCif(dir.dir(), "SHORT"));
  EXPECT_FALSE(LoadCif(dir.dir(), "EMPTY"));
  EXPECT_FALSE(LoadCif(dir.dir(), "MISSING"));

  const auto exact = LoadCif(dir.dir(), "EXACT");
  ASSERT_TRUE(exact);
  const std::string expected = pattern(2048);
  EXPECT_TRUE(std::equal(exact->begin(), exact->end(), expected.begin(),
                         [](std::uint8_t a, char b) { return a == static_cast<std::uint8_t>(b); }));
  const auto longer = LoadCif(dir.dir(), "LONG");
  ASSERT_TRUE(longer);
  EXPECT_EQ(*longer, *exact);
}

TEST(Cif, PathIsTheSameForEveryLanguageAndStaysInItsFolder) {
  EXPECT_NE(cifPath("/prog", "VK1620").find("CIF"), std::string::npos);
  EXPECT_EQ(cifPath("/prog", "../x"), "");
  EXPECT_EQ(cifPath("/prog", ""), "");
  EXPECT_FALSE(LoadCif("/prog", "a/b"));

  const Bytes bytes(3000, 0x5A);
  const auto block = cifFromBytes(bytes);
  ASSERT_TRUE(block);
  EXPECT_EQ((*block)[2047], 0x5A);
  EXPECT_FALSE(cifFromBytes(ByteView(bytes.data(), 100)));
}

}  // namespace
}  // namespace kt90
