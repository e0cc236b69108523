#include "core/app/ChipLookup.h"

#include "core/chip/ChipDefinition.h"
#include "core/chip/ChipList.h"
#include "core/chip/ChipNames.h"

namespace kt90 {

ChipLookup lookUpChip(const FileHead& head, std::uint8_t chipId, const std::vector<std::string>& chipList,
                      const std::string& programDir, LanguageId language) {
  const RestoredChipName restored = RestoreChipName(head.chipName(), chipList, chipId);
  const std::string model = resolveChipModel(restored.name, restored.fieldFull, chipList, [&](const std::string& name) {
    return chipDefinitionExists(programDir, language, name);
  });
  // A cut name completed to its entry selects that entry.
  if (model != restored.name) return {model, selectChipEntry(chipList, model)};
  return {model, restored.selected};
}

}  // namespace kt90
