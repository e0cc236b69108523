#include "core/chip/ChipNames.h"

#include <algorithm>

#include "core/base/Encoding.h"
#include "core/chip/ChipList.h"
#include "core/text/Format.h"

namespace kt90 {
namespace {

void removeAll(std::string& text, std::string_view what) {
  if (what.empty()) return;
  std::string out;
  out.reserve(text.size());
  std::size_t from = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, from)) {
    out.append(text, from, at - from);
    from = at + what.size();
  }
  out.append(text, from, std::string::npos);
  text = std::move(out);
}

std::string lowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// The two chips that exist in the QD48 and the QD46 family under one name: which family
// a field belongs to follows from the chip ID stored with it.
std::string applyTwoFamilyChips(std::string result, std::string_view prefix, const std::string& field,
                                std::uint8_t chipId) {
  if (prefix == "VK") return result;
  const std::string lower = lowerAscii(result);
  if (lower.find("k025t0") != std::string::npos) {
    if (chipId == 0xF8) result = "QD48" + field;
    if (chipId == 0xF0) result = "QD46" + field;
  }
  if (lower.find("k025r0") != std::string::npos) {
    if (chipId == 0xF7) result = "QD48" + field;
    if (chipId == 0xF0) result = "QD46" + field;
  }
  return result;
}

}  // namespace

ChipNameField MakeHeaderChipName(std::string_view model) {
  std::string name(model);
  for (std::string_view prefix : kBrandPrefixes) removeAll(name, prefix);
  const std::string ansi = utf8ToAnsi(name);
  ChipNameField field{};
  std::copy_n(ansi.begin(), std::min(ansi.size(), field.size()), field.begin());
  return field;
}

std::string MakeShortChipName(std::string_view model) {
  std::string name(model);
  for (std::string_view prefix : kFamilyPrefixes) removeAll(name, prefix);
  return cutToUtf16Units(name, 8);
}

std::string chipNameFieldText(const ChipNameField& field) {
  const auto end = std::find(field.begin(), field.end(), std::uint8_t{0});
  return ansiToUtf8(std::string(field.begin(), end));
}

RestoredChipName RestoreChipName(const ChipNameField& field, const std::vector<std::string>& entries,
                                 std::uint8_t chipId) {
  const std::string text = chipNameFieldText(field);
  std::string result = text;
  std::string_view usedPrefix;
  for (std::string_view prefix : kFamilyPrefixes) {
    std::string candidate = std::string(prefix) + text;
    if (prefixSearch(entries, candidate)) {
      result = std::move(candidate);
      usedPrefix = prefix;
      break;
    }
  }
  RestoredChipName restored;
  restored.name = applyTwoFamilyChips(std::move(result), usedPrefix, text, chipId);
  restored.selected = selectChipEntry(entries, restored.name);
  restored.fieldFull = std::find(field.begin(), field.end(), std::uint8_t{0}) == field.end();
  return restored;
}

std::string resolveChipModel(const std::string& restored, bool fieldFull, const std::vector<std::string>& entries,
                             const std::function<bool(const std::string&)>& definitionExists) {
  if (definitionExists && definitionExists(restored)) return restored;
  if (!fieldFull) return restored;
  const std::string* only = nullptr;
  for (const std::string& entry : entries) {
    if (!startsWithNoCase(entry, restored)) continue;
    if (only) return restored;  // two models fit: neither is taken
    only = &entry;
  }
  return only ? *only : restored;
}

}  // namespace kt90
