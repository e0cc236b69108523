#include "core/app/ChipLookup.h"

#include "core/chip/ChipDefinition.h"
#include "core/chip/ChipNames.h"

namespace kt90 {

ChipLookup lookUpChip(const FileHead& head, std::uint8_t chipId, const std::vector<std::string>& chipList,
                      const std::string& programDir, LanguageId language) {
  const RestoredChipName restored = RestoreChipName(head.chipName(), chipList, chipId);
  const std::string model = resolveChipModel(restored.name, chipList, [&](const std::string& name) {
    return chipDefinitionExists(programDir, language, name);
  });
  return {model, restored.selected};
}

}  // namespace kt90
