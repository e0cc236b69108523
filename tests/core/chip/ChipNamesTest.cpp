#include <gtest/gtest.h>

#include "core/base/Gb18030.h"
#include "core/chip/ChipNames.h"

namespace kt90 {
namespace {

ChipNameField field(const std::string& text) {
  ChipNameField f{};
  for (std::size_t i = 0; i < text.size() && i < f.size(); ++i) f[i] = static_cast<std::uint8_t>(text[i]);
  return f;
}

TEST(ChipNames, HeaderNameRemovesBrandPrefixesAnywhere) {
  EXPECT_EQ(MakeHeaderChipName("VKQD12AB34"), field("12AB34"));
  EXPECT_EQ(MakeHeaderChipName("WT12VK34"), field("1234"));
  EXPECT_EQ(MakeHeaderChipName("VK1620"), field("1620"));
  // "VKQD" goes first, so the "VK" that is left over is removed by the second pass.
  EXPECT_EQ(MakeHeaderChipName("VKVKQDQD1"), field("QD1"));
  EXPECT_EQ(MakeHeaderChipName(""), field(""));

  // Longer than the field: the first 8 bytes, no terminating zero.
  const ChipNameField full = MakeHeaderChipName("QD46K300T1");
  EXPECT_EQ(full, field("QD46K300"));
  EXPECT_EQ(chipNameFieldText(full), "QD46K300");
}

TEST(ChipNames, HeaderNameUsesAnsiCodePage) {
  const std::string gb = utf8ToGb18030("芯片A");  // two double-byte characters and 'A'
  const ChipNameField f = MakeHeaderChipName("VK芯片A");
  ASSERT_EQ(gb.size(), 5u);
  EXPECT_EQ(f, field(gb));
  EXPECT_EQ(chipNameFieldText(f), "芯片A");
}

TEST(ChipNames, ShortNameRemovesFamilyPrefixes) {
  EXPECT_EQ(MakeShortChipName("VKQD46AB12"), "AB12");
  EXPECT_EQ(MakeShortChipName("QD48K025T0"), "K025T0");
  EXPECT_EQ(MakeShortChipName("WT58P04"), "58P04");
  EXPECT_EQ(MakeShortChipName("QD45ABCDEFGHIJ"), "ABCDEFGH");
  EXPECT_EQ(MakeShortChipName("芯片型号一二三四五"), "芯片型号一二三四");
}

TEST(ChipNames, RestoreTriesFamiliesInOrder) {
  const std::vector<std::string> entries = {"QD4512AB34", "VK12AB34X", "Other"};
  RestoredChipName r = RestoreChipName(field("12AB34"), entries, 0xFF);
  EXPECT_EQ(r.name, "VK12AB34");  // the candidate's text, not the entry's
  EXPECT_EQ(r.selected, 1u);

  r = RestoreChipName(field("nothing"), entries, 0xFF);
  EXPECT_EQ(r.name, "nothing");
  EXPECT_EQ(r.selected, 0u);

  r = RestoreChipName(field("12AB34"), {}, 0xFF);
  EXPECT_EQ(r.name, "12AB34");
  EXPECT_EQ(r.selected, std::nullopt);

  // All 8 bytes used: the text ends with the field.
  r = RestoreChipName(field("QD46K300"), {"VK1620", "QD46K300T1"}, 0xA3);
  EXPECT_EQ(r.name, "QD46K300");
  EXPECT_EQ(r.selected, 1u);
}

TEST(ChipNames, RestoreTellsTheTwoFamilyChipsApartByChipId) {
  const std::vector<std::string> entries = {"VK1620", "QD46K025T0", "QD48K025R0"};
  EXPECT_EQ(RestoreChipName(field("K025T0"), entries, 0xF8).name, "QD48K025T0");
  EXPECT_EQ(RestoreChipName(field("K025T0"), entries, 0xF0).name, "QD46K025T0");
  EXPECT_EQ(RestoreChipName(field("K025T0"), entries, 0x12).name, "QD46K025T0");
  // Any letter case of the field; the field's own text is kept.
  EXPECT_EQ(RestoreChipName(field("k025t0"), entries, 0xF8).name, "QD48k025t0");
  EXPECT_EQ(RestoreChipName(field("K025R0"), entries, 0xF7).name, "QD48K025R0");
  EXPECT_EQ(RestoreChipName(field("K025R0"), entries, 0xF0).name, "QD46K025R0");
  EXPECT_EQ(RestoreChipName(field("K025R0"), entries, 0xF8).name, "QD48K025R0");

  // A match with the "VK" family is left alone whatever the chip ID.
  const std::vector<std::string> vk = {"QD46K025T0", "VKK025T0"};
  EXPECT_EQ(RestoreChipName(field("K025T0"), vk, 0xF8).name, "VKK025T0");
  EXPECT_EQ(RestoreChipName(field("K025T0"), vk, 0xF0).name, "VKK025T0");

  // No match at all: the empty prefix, so the special case still applies.
  EXPECT_EQ(RestoreChipName(field("K025T0"), {"VK1620"}, 0xF8).name, "QD48K025T0");
}

// A restored name stays itself; only a full (possibly cut) field completes to the one entry
// it begins.
TEST(ChipNames, ResolveCompletesOnlyACutNameToItsOneEntry) {
  const std::vector<std::string> entries = {"VK1620", "QD46K300T1", "VK12AB34X", "QD45AB12CD", "QD45AB12CE"};
  const auto exists = [&](const std::string& m) { return m != "QD46K300T1A"; };
  const auto none = [](const std::string&) { return false; };
  struct Case {
    std::string restored;
    bool fieldFull;
    std::string model;
  };
  for (const Case& c : {
           Case{"QD46K300", true, "QD46K300T1"},  // cut: the one entry it begins
           Case{"qd46k300", true, "QD46K300T1"},  // the combo's search ignores case
           Case{"VK12AB34", false, "VK12AB34"},   // not cut: stays, and is reported unsupported
           Case{"QD45AB12", true, "QD45AB12"},    // cut, but two entries fit: neither is taken
           Case{"QD99", false, "QD99"},           // unknown stays
           Case{"VK16", false, "VK16"},           // no longer becomes VK1620
       }) {
    EXPECT_EQ(resolveChipModel(c.restored, c.fieldFull, entries, none), c.model) << c.restored;
  }
  // A definition of the restored name wins over a longer entry.
  EXPECT_EQ(resolveChipModel("VK16", true, {"VK1620", "VK16"}, exists), "VK16");
  EXPECT_TRUE(RestoreChipName(field("QD46K300"), entries, 0).fieldFull);
  EXPECT_FALSE(RestoreChipName(field("12AB34"), entries, 0).fieldFull);
}

}  // namespace
}  // namespace kt90
