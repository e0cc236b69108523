#include "core/editors/OptionEditorModel.h"

#include <algorithm>

#include "core/text/Format.h"
#include "core/text/StringTable.h"

namespace kt90 {
namespace {

PinMap pinMapOf(const OpenShort& openShort) {
  PinMap map{};
  std::copy_n(openShort.bytes.begin() + 2, kPinMapSize, map.begin());
  return map;
}

std::array<std::uint16_t, kOptionWordCount> optionWords(const ProgramImage& image) {
  std::array<std::uint16_t, kOptionWordCount> words{};
  for (int i = 0; i < kOptionWordCount; ++i) words[static_cast<std::size_t>(i)] = image.optionWord(i);
  return words;
}

}  // namespace

OptionEditorModel::OptionEditorModel(OptionEditorDefinition def, const ProgramImage& image, std::uint16_t blankMask,
                                     LanguageId language)
    : def_(std::move(def)), packages_(def_.packages) {
  for (const OptionItemDefinition& item : def_.items) {
    Row row;
    row.label = item.name.empty() ? text(TextId::OptionUnnamedItem, language) : item.name;
    for (const OptionChoice& choice : item.choices) {
      row.entries.push_back(choice.name);
      row.selectable.push_back(choice.selectable());
    }
    const auto current = static_cast<std::uint16_t>(image.optionWord(item.slot) & blankMask & item.mask());
    const auto match = std::find_if(item.choices.begin(), item.choices.end(),
                                    [&](const OptionChoice& c) { return c.value == current; });
    if (match != item.choices.end()) row.selected = static_cast<std::size_t>(match - item.choices.begin());
    rows_.push_back(std::move(row));
  }
  if (packages_.empty()) return;

  Row row;
  row.label = text(TextId::OptionPackageRow, language);
  const PinMap current = pinMapOf(image.openShort);
  for (const PackageChoice& package : packages_) row.entries.push_back(package.name);
  const auto match =
      std::find_if(packages_.begin(), packages_.end(), [&](const PackageChoice& p) { return p.pinMap == current; });
  if (match != packages_.end()) {
    row.selected = static_cast<std::size_t>(match - packages_.begin());
  } else {
    packageWarning_ = true;
    packages_.push_back(PackageChoice{text(TextId::OptionPackageFromFile, language), current});
    row.entries.push_back(packages_.back().name);
    row.selected = packages_.size() - 1;
  }
  row.selectable.assign(row.entries.size(), true);
  rows_.push_back(std::move(row));
}

bool OptionEditorModel::choose(std::size_t row, std::size_t entry) {
  if (row >= rows_.size()) return false;
  Row& r = rows_[row];
  if (entry >= r.entries.size() || !r.selectable[entry]) return false;
  r.selected = entry;
  return true;
}

void OptionEditorModel::accept(ProgramImage& image) const {
  auto words = optionWords(image);
  for (std::size_t r = 0; r < def_.items.size(); ++r) {
    const OptionItemDefinition& item = def_.items[r];
    if (!rows_[r].selected) continue;
    const std::uint16_t value = item.choices[*rows_[r].selected].value;
    const std::uint16_t mask = item.mask();
    std::uint16_t& word = words[static_cast<std::size_t>(item.slot)];
    word = static_cast<std::uint16_t>((word & ~mask) | (value & mask));
  }
  for (const OptionRule& rule : def_.rules) applyOptionRule(rule, words);
  for (int i = 0; i < kOptionWordCount; ++i) image.setOptionWord(i, words[static_cast<std::size_t>(i)]);

  if (hasPackageRow() && rows_.back().selected) {
    const PinMap& map = packages_[*rows_.back().selected].pinMap;
    std::copy(map.begin(), map.end(), image.openShort.bytes.begin() + 2);
  }
}

std::optional<OptionEditorModel> openOptionEditor(const std::string& definitionPath, const std::string& model,
                                                  ProgramImage& image, std::uint16_t blankMask, LanguageId language,
                                                  Reporter& reporter) {
  const IniSnapshot ini(definitionPath);
  if (definitionPath.empty() || !ini.loaded()) {
    reporter.alert(std::string(text(TextId::ChipNotSupported, language)) + model);
    return std::nullopt;
  }
  OptionEditorDefinition def = readOptionEditorDefinition(ini);
  if (def.oversized) {
    const OversizedList& o = *def.oversized;
    reporter.alert(formatText(text(TextId::OptionListTooLong, language), model.c_str(), o.section.c_str(),
                              o.key.c_str(), static_cast<int>(o.count), static_cast<int>(o.limit)));
    return std::nullopt;
  }
  image.openShort.setPins(def.openShortPins);
  return OptionEditorModel(std::move(def), image, blankMask, language);
}

}  // namespace kt90
