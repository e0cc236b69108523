#include "core/editors/OptionDefinition.h"

#include <algorithm>

#include "core/chip/OptionDefinitions.h"

namespace kt90 {
namespace {

constexpr int kWordBits = 16;

std::string numbered(const char* prefix, int n, const char* suffix = "") { return prefix + std::to_string(n) + suffix; }

// A count key within the read limit; a larger one is recorded as the reason to refuse.
std::int32_t readCount(const IniSnapshot& ini, const std::string& section, const std::string& key,
                       OptionEditorDefinition& def) {
  const std::int32_t count = ini.ReadInt(section, key, 0);
  if (count > kMaxOptionListRead) {
    if (!def.oversized) def.oversized = OversizedList{section, key, count, kMaxOptionListRead};
    return 0;
  }
  return std::max(count, 0);
}

std::optional<int> slotOfAddress(std::uint16_t address) {
  if (address < kFirstOptionAddress || address >= kFirstOptionAddress + kOptionWordCount) return std::nullopt;
  return address - kFirstOptionAddress;
}

std::uint16_t readU16(const IniSnapshot& ini, const std::string& section, const std::string& key, int fallback) {
  return static_cast<std::uint16_t>(ini.ReadInt(section, key, fallback));
}

std::vector<int> readBits(const IniSnapshot& ini, const std::string& section, std::int32_t type,
                          OptionEditorDefinition& def) {
  std::vector<int> bits;
  if (type == 1) {
    const std::int32_t count = readCount(ini, section, "BitCount", def);
    for (int b = 0; b < count; ++b) {
      const int bit = readU16(ini, section, numbered("Bit", b), 0);
      if (bit < kWordBits) bits.push_back(bit);
    }
    return bits;
  }
  // BitStart is the high end of the range; a reversed range holds no bit.
  const int high = std::min<int>(readU16(ini, section, "BitStart", 0), kWordBits - 1);
  for (int bit = readU16(ini, section, "BitEnd", 0); bit <= high; ++bit) bits.push_back(bit);
  return bits;
}

OptionItemDefinition readItem(const IniSnapshot& ini, const std::string& section, int slot, std::int32_t type,
                              OptionEditorDefinition& def) {
  OptionItemDefinition item;
  item.slot = slot;
  item.type = type;
  item.name = ini.ReadString(section, "Name", "");
  const std::int32_t count = readCount(ini, section, "ItemCount", def);
  for (int m = 0; m < count; ++m) {
    OptionChoice choice;
    choice.name = ini.ReadString(section, numbered("Item", m, "_Name"), "");
    choice.value = readU16(ini, section, numbered("Item", m, "_Val"), 0);
    choice.notSelectable = static_cast<std::uint8_t>(ini.ReadInt(section, numbered("Item", m, "_Not"), 0));
    item.choices.push_back(std::move(choice));
  }
  item.bits = readBits(ini, section, type, def);
  return item;
}

OptionRule readRule(const IniSnapshot& ini, const std::string& section, int slot) {
  OptionRule rule;
  rule.slot = slot;
  rule.bitStart = readU16(ini, section, "BitStart", 0);
  rule.bitEnd = readU16(ini, section, "BitEnd", 0);
  rule.reverseStart = readU16(ini, section, "Item0_ReverseBitStart", 8);
  rule.reverseEnd = readU16(ini, section, "Item0_ReverseBitEnd", 11);
  rule.source = readU16(ini, section, "Item0_Val", 0);
  return rule;
}

void readPackages(const IniSnapshot& ini, OptionEditorDefinition& def) {
  def.openShortPins = readU16(ini, "Package", "OpenShortPINS", 0);
  const std::int32_t count = readCount(ini, "Package", "PackageCount", def);
  for (int q = 0; q < count; ++q) {
    PackageChoice package;
    package.name = ini.ReadString("Package", numbered("Item", q, "_Name"), "");
    for (std::size_t k = 0; k < kPinMapSize; ++k) {
      const std::string key = numbered("Item", q, "_Val") + std::to_string(k);
      package.pinMap[k] = static_cast<std::uint8_t>(ini.ReadInt("Package", key, 0));
    }
    def.packages.push_back(std::move(package));
  }
}

// The count the chip loader's walk had to cut: OptionWords, or the first OptItems%d.
OversizedList cutWalkCount(const IniSnapshot& ini) {
  const std::int32_t words = ini.ReadInt("OTPOption", "OptionWords", 0);
  if (words > kMaxOptionWordsRead) return {"OTPOption", "OptionWords", words, kMaxOptionWordsRead};
  for (int i = 0; i < words; ++i) {
    const std::string key = numbered("OptItems", i);
    const std::int32_t items = ini.ReadInt("OTPOption", key, 0);
    if (items > kMaxItemsPerWordRead) return {"OTPOption", key, items, kMaxItemsPerWordRead};
  }
  return {"OTPOption", "OptionWords", words, kMaxOptionWordsRead};
}

}  // namespace

std::uint16_t OptionItemDefinition::mask() const {
  unsigned m = 0;
  for (int bit : bits) m |= 1u << bit;
  return static_cast<std::uint16_t>(m);
}

OptionEditorDefinition readOptionEditorDefinition(const IniSnapshot& ini) {
  OptionEditorDefinition def;
  std::optional<int> slot;
  const auto onWord = [&](int word) {
    // Unlike the loader (0x2000), the editor's default address is 0: a word without an
    // address names no option word here.
    slot = slotOfAddress(readU16(ini, "OTPOption", numbered("OptAddr", word), 0));
  };
  const auto onItem = [&](const std::string& section) {
    const std::int32_t type = ini.ReadInt(section, "ItemType", 0);
    if (type == kItemTypeCalibration) return;
    if (!slot) {
      ++def.skipped;
      return;
    }
    if (type == kItemTypeRule) {
      const OptionRule rule = readRule(ini, section, *slot);
      if (rule.source >= kOptionWordCount) {
        ++def.skipped;
        return;
      }
      def.rules.push_back(rule);
      return;
    }
    def.items.push_back(readItem(ini, section, *slot, type, def));
  };
  if (walkOptionItems(ini, onWord, onItem) && !def.oversized) def.oversized = cutWalkCount(ini);
  readPackages(ini, def);
  return def;
}

void applyOptionRule(const OptionRule& rule, std::array<std::uint16_t, kOptionWordCount>& words) {
  const std::uint16_t source = words[rule.source];
  for (int i = rule.reverseStart; i <= rule.reverseEnd; ++i) {
    const int target = rule.bitEnd - rule.reverseStart + i;
    if (target < 0 || target >= kWordBits) continue;
    const bool sourceBit = i < kWordBits && ((source >> i) & 1u) != 0;
    const auto bit = static_cast<std::uint16_t>(1u << target);
    std::uint16_t& word = words[static_cast<std::size_t>(rule.slot)];
    word = static_cast<std::uint16_t>(sourceBit ? word & ~bit : word | bit);
  }
}

}  // namespace kt90
