#include "core/chip/OptionDefinitions.h"

#include <algorithm>

namespace kt90 {
namespace {

std::string itemSection(int word, int item) {
  return "OTPOption" + std::to_string(word) + "_Item" + std::to_string(item);
}

std::int32_t boundedCount(std::int32_t count, std::int32_t limit, bool& cut) {
  if (count > limit) {
    cut = true;
    return limit;
  }
  return std::max(count, 0);
}

std::uint8_t withBit(std::uint8_t bits, int k, bool on) {
  const auto mask = static_cast<std::uint8_t>(1u << k);
  return static_cast<std::uint8_t>(on ? bits | mask : bits & ~mask);
}

// The type's high bit lives in the ConfigBlock, its low bit in the CaliBrate header.
void applyCalibrationType(std::int32_t type, int k, ProgramImage& image) {
  if (type < 0 || type > 3) return;
  image.config.setCalibrationTypeBits(withBit(image.config.calibrationTypeBits(), k, (type & 2) != 0));
  image.calibration.typeLowBits = withBit(image.calibration.typeLowBits, k, (type & 1) != 0);
}

}  // namespace

bool walkOptionItems(const IniSnapshot& ini, const std::function<void(int word)>& onWord,
                     const std::function<void(const std::string& section)>& onItem) {
  bool cut = false;
  const std::int32_t words = boundedCount(ini.ReadInt("OTPOption", "OptionWords", 0), kMaxOptionWordsRead, cut);
  for (int i = 0; i < words; ++i) {
    if (onWord) onWord(i);
    const std::string itemsKey = "OptItems" + std::to_string(i);
    const std::int32_t items = boundedCount(ini.ReadInt("OTPOption", itemsKey, 0), kMaxItemsPerWordRead, cut);
    for (int j = 0; j < items; ++j) {
      if (onItem) onItem(itemSection(i, j));
    }
  }
  return cut;
}

CalibrationItem readCalibrationItem(const IniSnapshot& ini, const std::string& section) {
  CalibrationItem item;
  item.type = ini.ReadInt(section, "CalibreType", 0);
  item.at3V = ini.ReadInt(section, "CalibreVoltage", 0) != 0;
  item.enable = ini.ReadInt(section, "CalibreEnable", 0) != 0;
  CalibrateInfo& e = item.entry;
  e.name = ini.ReadString(section, "Name", "NA");
  e.rul = static_cast<std::uint32_t>(ini.ReadInt(section, "Rul", 0));
  e.min = static_cast<std::uint16_t>(ini.ReadInt(section, "Min", 0));
  e.max = static_cast<std::uint16_t>(ini.ReadInt(section, "Max", 0));
  e.lowerMin = static_cast<std::uint8_t>(ini.ReadInt(section, "LowerMin", 0));
  e.lowerMax = static_cast<std::uint8_t>(ini.ReadInt(section, "LowerMax", 0));
  e.upperMin = static_cast<std::uint8_t>(ini.ReadInt(section, "UpperMin", 0));
  e.upperMax = static_cast<std::uint8_t>(ini.ReadInt(section, "UpperMax", 0));
  return item;
}

OptionLoadReport LoadOptionDefinitions(const IniSnapshot& ini, bool reset, std::uint16_t blankWord,
                                       ProgramImage& image) {
  OptionLoadReport report;
  CaliBrate& header = image.calibration;
  if (reset) header = CaliBrate{};
  for (CalibrateInfo& entry : image.calibrationEntries) entry.clearParameters();
  header.count = 0;

  const auto onWord = [&](int i) {
    if (!reset) return;
    const auto address = static_cast<std::uint16_t>(ini.ReadInt("OTPOption", "OptAddr" + std::to_string(i), 0x2000));
    if (address < 0x2000 || address > 0x200F) return;
    const int index = address - 0x2000;
    image.config.setOptionMask(static_cast<std::uint16_t>(image.config.optionMask() | (1u << index)));
    const std::int32_t initial = ini.ReadInt("OTPOption", "OptInitVal" + std::to_string(i), blankWord);
    image.setOptionWord(index, static_cast<std::uint16_t>(initial));
  };
  const auto onItem = [&](const std::string& section) {
    if (ini.ReadInt(section, "ItemType", 0) != kItemTypeCalibration) return;
    const int k = header.count;
    if (k >= CaliBrate::kMaxEntries) {
      ++report.calibrationEntriesIgnored;
      return;
    }
    CalibrationItem item = readCalibrationItem(ini, section);
    const bool offered = k == 0 || item.enable;
    CalibrateInfo& entry = image.calibrationEntries[static_cast<std::size_t>(k)];
    entry = std::move(item.entry);
    entry.offered = offered;
    if (reset) header.enableBits = withBit(header.enableBits, k, offered);
    applyCalibrationType(item.type, k, image);
    if (reset) header.voltageBits = withBit(header.voltageBits, k, item.at3V);
    header.count = static_cast<std::uint8_t>(k + 1);
  };
  report.countsCut = walkOptionItems(ini, onWord, onItem);
  return report;
}

OptionLoadReport LoadOptionDefinitions(const CIniFile& ini, bool reset, ProgramImage& image) {
  const IniSnapshot snapshot(ini);
  const auto bitWidth = static_cast<std::uint8_t>(snapshot.ReadInt("ROM", "BitWidth", 14));
  return LoadOptionDefinitions(snapshot, reset, blankWordFor(bitWidth), image);
}

}  // namespace kt90
