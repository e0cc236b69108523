#include "core/progfile/ProtectionInput.h"

#include <gtest/gtest.h>

namespace kt90 {
namespace {

TEST(ProtectionInput, EntryFilter) {
  EXPECT_EQ(filterEntryText("a1b2-c3 xz", EntryMode::Hexadecimal, 8), "A1B2C3");
  EXPECT_EQ(filterEntryText("12ab34cd", EntryMode::Decimal, 10), "1234");
  EXPECT_EQ(filterEntryText("123456789012", EntryMode::Decimal, 10), "1234567890");
  EXPECT_EQ(filterEntryText("芯1片2", EntryMode::Decimal, 3), "12");
}

TEST(ProtectionInput, Limits) {
  EXPECT_EQ(parseProgramLimit(""), 0u);
  EXPECT_EQ(parseProgramLimit("4294967295"), 4294967295u);
  EXPECT_FALSE(parseProgramLimit("4294967296").has_value());
  EXPECT_FALSE(parseProgramLimit("99999999999").has_value());
  EXPECT_EQ(parseProgramLimit("0007"), 7u);

  EXPECT_EQ(parseDownloadLimit(""), 0);
  EXPECT_EQ(parseDownloadLimit("255"), 255);
  // 256-999 fit the three-character entry but not the byte: refused, never cut to 0-255.
  EXPECT_FALSE(parseDownloadLimit("256").has_value());
  EXPECT_FALSE(parseDownloadLimit("999").has_value());
  EXPECT_FALSE(parseDownloadLimit("1a").has_value());
}

TEST(ProtectionInput, Password) {
  EXPECT_EQ(passwordFromText("12AB"), (FilePassword{0x12, 0xAB, 0, 0}));
  EXPECT_EQ(passwordToText(passwordFromText("12AB")), "12AB0000");
  EXPECT_TRUE(passwordMatches("12AB0000", passwordFromText("12ab")));
  EXPECT_FALSE(passwordMatches("12AB", passwordFromText("12AB")));
  EXPECT_EQ(passwordFromText("ABC"), (FilePassword{0xAB, 0x0C, 0, 0}));
  EXPECT_EQ(passwordFromText(""), FilePassword{});
  EXPECT_EQ(passwordFromText("0102030405"), (FilePassword{1, 2, 3, 4}));
}

TEST(ProtectionInput, TimeStampIsLow32BitsOfSeconds) {
  using namespace std::chrono;
  EXPECT_EQ(currentTimeStamp(system_clock::time_point(seconds(1700000000) + milliseconds(999))), 1700000000u);
  EXPECT_EQ(currentTimeStamp(system_clock::time_point(seconds(0x1'0000'0005LL))), 5u);
  const auto now = system_clock::now();
  EXPECT_NE(currentTimeStamp(now), currentTimeStamp(now + seconds(1)));
}

}  // namespace
}  // namespace kt90
