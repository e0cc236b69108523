#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kt90 {

// Family prefixes tried, in this order, when a model name is restored from a file's
// 8-byte name field; the last, empty one stands for the field's own text.
inline constexpr std::array<std::string_view, 6> kFamilyPrefixes = {"VK", "QD48", "WT", "QD46", "QD45", ""};
// Brand prefixes removed, in this order, when the name field is made.
inline constexpr std::array<std::string_view, 3> kBrandPrefixes = {"VKQD", "VK", "WT"};

using ChipNameField = std::array<std::uint8_t, 8>;

// The FileHead name field of a model: every "VKQD", then "VK", then "WT" removed, in the
// ANSI code page, first 8 bytes, zero padded (not terminated when all 8 are used).
ChipNameField MakeHeaderChipName(std::string_view model);

// The status-field name: every family prefix removed, first 8 characters.
std::string MakeShortChipName(std::string_view model);

// The name field read back as text: up to the first zero byte or all 8 bytes.
std::string chipNameFieldText(const ChipNameField& field);

struct RestoredChipName {
  std::string name;                     // becomes the current chip model name
  std::optional<std::size_t> selected;  // the combo entry to select; none for an empty list
  bool fieldFull = false;               // all 8 bytes used, no terminator: the name may be cut
};

// The full model name of a name field: the first family prefix whose candidate the prefix
// search finds in `entries`, with the special cases of the K025T0 and K025R0 chips that
// exist in two families (told apart by `chipId`, the ConfigBlock's ChipID).
RestoredChipName RestoreChipName(const ChipNameField& field, const std::vector<std::string>& entries,
                                 std::uint8_t chipId);

// The model a restored name stands for: the name itself when its definition exists. A full
// name field may hold a longer model cut to 8 bytes ("QD46K300T1" stored as "QD46K300");
// then the one entry the name begins is the model. Otherwise the name stands, also without
// a definition: the load reports it, the name never becomes another chip.
std::string resolveChipModel(const std::string& restored, bool fieldFull, const std::vector<std::string>& entries,
                             const std::function<bool(const std::string&)>& definitionExists);

}  // namespace kt90
