#pragma once
#include <optional>
#include <string>
#include <vector>

#include "core/progfile/ProgramImage.h"
#include "core/text/Language.h"

namespace kt90 {

// The chip a program head names: the restored model name and the chip-list entry it
// selects. When no definition of the restored name exists (a model longer than the
// 8-byte name field) the selected entry's text is the model.
struct ChipLookup {
  std::string model;
  std::optional<std::size_t> selected;
};
ChipLookup lookUpChip(const FileHead& head, std::uint8_t chipId, const std::vector<std::string>& chipList,
                      const std::string& programDir, LanguageId language);

}  // namespace kt90
