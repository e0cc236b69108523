#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/chip/IniSnapshot.h"

namespace kt90 {

// The option items, rules and packages of a chip definition as the OPTION editor reads
// them each time it opens (the working state keeps none of this).

// The editor shows every row and every choice a definition gives; a count beyond this
// (ItemCount, BitCount, PackageCount) marks a damaged file, and the editor refuses to open
// rather than read billions of keys or show a cut list.
inline constexpr std::int32_t kMaxOptionListRead = 1024;

inline constexpr int kOptionWordCount = 16;
inline constexpr std::uint16_t kFirstOptionAddress = 0x2000;
inline constexpr std::size_t kPinMapSize = 8;
using PinMap = std::array<std::uint8_t, kPinMapSize>;

struct OptionChoice {
  std::string name;
  std::uint16_t value = 0;         // already in the item's bit positions
  std::uint8_t notSelectable = 0;  // "Item%d_Not"; only the value 1 has an effect
  bool selectable() const { return notSelectable != 1; }
};

// One shown row: a bit field of one option word.
struct OptionItemDefinition {
  int slot = 0;  // option word index 0..15
  std::int32_t type = 0;
  std::string name;       // empty shows as "未定义"
  std::vector<int> bits;  // bit numbers below 16; higher numbers name no bit of a word
  std::vector<OptionChoice> choices;
  std::uint16_t mask() const;
};

// An inverted copy (item type 2): target bits bitEnd.. of word `slot` get the inverted
// source bits reverseStart..reverseEnd of word `source`. Never shown.
struct OptionRule {
  int slot = 0;
  std::uint16_t bitStart = 0;  // kept, not used
  std::uint16_t bitEnd = 0;
  std::uint16_t reverseStart = 8;
  std::uint16_t reverseEnd = 11;
  std::uint16_t source = 0;
};

struct PackageChoice {
  std::string name;
  PinMap pinMap{};
};

// A count too large to read, for the refusal message.
struct OversizedList {
  std::string section;
  std::string key;
  std::int32_t count = 0;
  std::int32_t limit = 0;
};

struct OptionEditorDefinition {
  std::vector<OptionItemDefinition> items;  // in definition order
  std::vector<OptionRule> rules;            // in definition order
  std::uint16_t openShortPins = 0;          // Package/OpenShortPINS
  std::vector<PackageChoice> packages;
  // Items and rules naming no option word (address missing or outside 0x2000-0x200F, or a
  // rule's source index beyond 15): left out, as the loader leaves such words out.
  int skipped = 0;
  std::optional<OversizedList> oversized;  // set: the definition cannot be edited
};

OptionEditorDefinition readOptionEditorDefinition(const IniSnapshot& ini);

// Inverted copy of one rule on the 16 option words. Source bits above 15 read as 0;
// target bits outside 0..15 are not written.
void applyOptionRule(const OptionRule& rule, std::array<std::uint16_t, kOptionWordCount>& words);

}  // namespace kt90
