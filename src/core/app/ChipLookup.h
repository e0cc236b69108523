#pragma once
#include <optional>
#include <string>
#include <vector>

#include "core/progfile/ProgramImage.h"
#include "core/text/Language.h"

namespace kt90 {

// The chip a program head names: the restored model name and the chip-list entry it
// selects. A model longer than the 8-byte name field is completed to the one entry its cut
// name begins; any other name without a definition stays as it is (see resolveChipModel).
struct ChipLookup {
  std::string model;
  std::optional<std::size_t> selected;
};
ChipLookup lookUpChip(const FileHead& head, std::uint8_t chipId, const std::vector<std::string>& chipList,
                      const std::string& programDir, LanguageId language);

}  // namespace kt90
