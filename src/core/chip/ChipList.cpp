#include "core/chip/ChipList.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "core/base/FileIo.h"
#include "core/base/FileNameMatch.h"

namespace kt90 {
namespace {

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool startsWithNoCase(std::string_view entry, std::string_view text) {
  if (entry.size() < text.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (lowerAscii(entry[i]) != lowerAscii(text[i])) return false;
  }
  return true;
}

std::string_view chipDefinitionFolder(LanguageId language) {
  if (language == kChinese) return "CH_DEV";
  if (language == kEnglish) return "EN_DEV";
  return {};
}

std::filesystem::path chipDefinitionFolderPath(const std::string& programDir, LanguageId language) {
  const std::string_view folder = chipDefinitionFolder(language);
  if (folder.empty()) return {};
  return findFileNoCase(pathFromUtf8(programDir), std::string(folder));
}

bool isPlainFileTitle(std::string_view title) {
  if (title.empty() || title == "." || title == "..") return false;
  return title.find_first_of("/\\:") == std::string_view::npos && title.find('\0') == std::string_view::npos;
}

std::vector<std::string> listChipModels(const std::string& programDir, LanguageId language) {
  std::vector<std::string> models;
  const std::filesystem::path folder = chipDefinitionFolderPath(programDir, language);
  if (folder.empty()) return models;
  std::error_code ec;
  std::filesystem::directory_iterator it(folder, ec);
  for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
    std::error_code typeError;
    if (!it->is_regular_file(typeError)) continue;
    const auto& path = it->path();
    const std::string extension = pathToUtf8(path.extension());
    if (extension.size() != 4 || !startsWithNoCase(extension, ".dev")) continue;
    std::string title = pathToUtf8(path.stem());
    if (isPlainFileTitle(title)) models.push_back(std::move(title));
  }
  // In name order without regard to case (letters compared as capitals, as the original
  // platform's file system lists a folder), so the same files give the same list and
  // default chip on every file system.
  const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
  std::sort(models.begin(), models.end(), [&](const std::string& a, const std::string& b) {
    const bool less = std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                                   [&](char x, char y) { return static_cast<unsigned char>(upper(x)) < static_cast<unsigned char>(upper(y)); });
    const bool more = std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(),
                                                   [&](char x, char y) { return static_cast<unsigned char>(upper(x)) < static_cast<unsigned char>(upper(y)); });
    return less || (!more && a < b);
  });
  return models;
}

std::optional<std::size_t> prefixSearch(const std::vector<std::string>& entries, std::string_view text) {
  const std::size_t count = entries.size();
  for (std::size_t step = 0; step < count; ++step) {
    const std::size_t index = (step + 1) % count;
    if (startsWithNoCase(entries[index], text)) return index;
  }
  return std::nullopt;
}

std::optional<std::size_t> selectChipEntry(const std::vector<std::string>& entries, std::string_view name) {
  if (entries.empty()) return std::nullopt;
  // Nothing remembered (a first start) selects the first chip of the list.
  if (name.empty()) return 0;
  // The prefix search alone would pick "QD46K300T1A" for "QD46K300T1" whenever it comes
  // first from the second entry on; the model of that very name is the one meant.
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].size() == name.size() && startsWithNoCase(entries[i], name)) return i;
  }
  return prefixSearch(entries, name).value_or(0);
}

ChipListChoice chooseRememberedChip(const std::vector<std::string>& entries, std::string_view remembered) {
  ChipListChoice choice;
  choice.selected = selectChipEntry(entries, remembered);
  if (choice.selected) choice.modelName = entries[*choice.selected];
  return choice;
}

}  // namespace kt90
