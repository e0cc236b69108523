#pragma once
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/text/Language.h"

namespace kt90 {

// Folder of the chip definitions of a user-interface language below the program
// directory: "CH_DEV" for Chinese, "EN_DEV" for English, empty for any other language.
std::string_view chipDefinitionFolder(LanguageId language);
// That folder as it is named on disk (see findFileNoCase); empty for any other language.
std::filesystem::path chipDefinitionFolderPath(const std::string& programDir, LanguageId language);

// A model name is a file title; one that names another folder is no chip of ours.
bool isPlainFileTitle(std::string_view title);

// File titles of the "*.dev" files of the language's definition folder, sorted by name
// without regard to case (the extension is compared without regard to case too). Sub-folders are not chip models, nor are titles that could
// not be loaded (see isPlainFileTitle). Empty for an unknown language or a missing folder.
std::vector<std::string> listChipModels(const std::string& programDir, LanguageId language);

// Whether `entry` begins with `text`, ignoring ASCII case (the combo box's comparison).
bool startsWithNoCase(std::string_view entry, std::string_view text);

// The chip combo box's prefix search: the first entry that begins with `text`, ignoring
// ASCII case, searching from the second entry on and wrapping round to the first.
std::optional<std::size_t> prefixSearch(const std::vector<std::string>& entries, std::string_view text);

// The entry selected for `name`: the entry of exactly that name (ignoring ASCII case), else
// the prefix search's hit, else the first entry; nothing only when the list is empty.
std::optional<std::size_t> selectChipEntry(const std::vector<std::string>& entries, std::string_view name);

// What filling the chip list selects for the remembered model name, and the model name
// that follows from it (the selected entry's text, empty for an empty list).
struct ChipListChoice {
  std::optional<std::size_t> selected;
  std::string modelName;
};
ChipListChoice chooseRememberedChip(const std::vector<std::string>& entries, std::string_view remembered);

}  // namespace kt90
