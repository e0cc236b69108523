#include "core/chip/ChipDefinition.h"

#include <algorithm>

#include "core/base/FileIo.h"
#include "core/base/FileNameMatch.h"
#include "core/chip/ChipList.h"
#include "core/chip/ChipNames.h"
#include "core/chip/IniSnapshot.h"
#include "core/chip/OptionDefinitions.h"
#include "core/text/FileProblem.h"
#include "core/text/Format.h"
#include "core/text/StringTable.h"

namespace kt90 {
namespace {

void readChipIds(const IniSnapshot& ini, ConfigBlock& config) {
  const auto id = static_cast<std::uint8_t>(ini.ReadInt("General", "ChipID", 255));
  const auto idAddr = static_cast<std::uint16_t>(ini.ReadInt("General", "ChipID_Addr", 0x200B));
  const auto id2 = static_cast<std::uint8_t>(ini.ReadInt("General", "ChipID2", id));
  const auto id2Addr = static_cast<std::uint16_t>(ini.ReadInt("General", "ChipID2_Addr", idAddr));
  config.setChipIds(id, idAddr, id2, id2Addr);
}

void resetPackageAndSettings(const IniSnapshot& ini, ProgramImage& image) {
  image.openShort.setPins(static_cast<std::uint16_t>(ini.ReadInt("Package", "OpenShortPINS", 0)));
  for (int k = 0; k < 8; ++k) {
    const auto value = ini.ReadInt("Package", "Item0_Val" + std::to_string(k), 0);
    image.openShort.bytes[2 + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(value);
  }
  image.rolCode.reset();
  image.protection.clear();
}

void reportLeftOut(const OptionLoadReport& report, const ChipContext& ctx, Reporter& reporter) {
  if (report.calibrationEntriesIgnored > 0) {
    reporter.log(formatText(text(TextId::ChipCalibrationEntriesIgnored, ctx.language), ctx.model.c_str(),
                            report.calibrationEntriesIgnored, CaliBrate::kMaxEntries));
  }
  if (report.countsCut) {
    reporter.log(formatText(text(TextId::ChipOptionCountsCut, ctx.language), ctx.model.c_str(), kMaxOptionWordsRead,
                            kMaxItemsPerWordRead));
  }
}

// Steps of a reset: head, option words, ConfigBlock tail and code for the chip.
// `keptWords` is the size of the chip a kept program was made for.
void resetImageForChip(const IniSnapshot& ini, const ChipContext& ctx, const ChipInfo& info, std::uint16_t size,
                       std::size_t keptWords, ProgramImage& image) {
  const std::uint16_t blank = info.blankWord();
  image.head.setFlags(headflag::kReset);
  image.head.setVersion(static_cast<std::uint8_t>(ini.ReadInt("General", "FileVersion", 0x10)));
  image.head.setCodeWords(size);
  image.head.setProgramLimit(0);
  image.head.setChipName(MakeHeaderChipName(ctx.model));
  for (int i = 0; i < 16; ++i) image.setOptionWord(i, blank);
  std::fill(image.config.bytes.begin() + 16, image.config.bytes.end(), std::uint8_t{0});
  image.config.setCodeRange(0, size);
  readChipIds(ini, image.config);
  if (info.clearProgramOnReset) {
    image.fillCode(blank);
    return;
  }
  // A kept program adapts its blank words to the new chip's width; the words a larger
  // chip adds are blank, never whatever the buffer held past the old chip's end.
  const std::size_t words = image.codeWords();
  for (std::size_t n = 0; n < words; ++n) {
    const std::uint16_t w = image.word(n);
    if (n >= keptWords || w == 0x3FFF || w == 0xFFFF) image.setWord(n, blank);
  }
}

// Refuses (with an alert naming the file and why) a definition no chip can have: no code
// words (Size missing, 0 or negative, as in a file that is not a definition at all), more
// than the buffer holds, or a word width outside 8 to 16 bits.
bool plausibleDefinition(const IniSnapshot& ini, const std::string& path, const ChipContext& ctx, Reporter& reporter) {
  const std::int32_t size = ini.ReadInt("ROM", "Size", 0);
  if (size > kMaxChipSizeWords) {
    reporter.alert(
        formatText(text(TextId::ChipSizeTooLarge, ctx.language), ctx.model.c_str(), size, kMaxChipSizeWords));
    return false;
  }
  std::string reason;
  if (size <= 0) {
    reason = formatText(text(TextId::ChipNoCodeWords, ctx.language), size);
  } else if (const std::int32_t width = ini.ReadInt("ROM", "BitWidth", 14);
             width < kMinBitWidth || width > kMaxBitWidth) {
    reason = formatText(text(TextId::ChipBitWidthInvalid, ctx.language), width, kMinBitWidth, kMaxBitWidth);
  }
  if (reason.empty()) return true;
  reporter.alert(formatText(text(TextId::ChipDefinitionRefused, ctx.language), path.c_str(), reason.c_str()));
  return false;
}

}  // namespace

std::string chipDefinitionPath(const std::string& programDir, LanguageId language, const std::string& model) {
  const std::filesystem::path folder = chipDefinitionFolderPath(programDir, language);
  if (folder.empty() || !isPlainFileTitle(model)) return {};
  return pathToUtf8(findFileNoCase(folder, model + ".dev"));
}

bool chipDefinitionExists(const std::string& programDir, LanguageId language, const std::string& model) {
  const std::string path = chipDefinitionPath(programDir, language, model);
  return !path.empty() && fileExists(pathFromUtf8(path));
}

bool LoadChipDefinition(const ChipContext& ctx, bool reset, ChipInfo& info, ProgramImage& image, Reporter& reporter) {
  const std::string path = chipDefinitionPath(ctx.programDir, ctx.language, ctx.model);
  const IniSnapshot ini(path);
  if (!ini.loaded()) {
    if (ini.problem() == ReadProblem::NotRegular || ini.problem() == ReadProblem::TooLarge) {
      reporter.log(fileProblemLine(path, ini.problem(), CIniFile::kMaxFileBytes, ctx.language));
    }
    reporter.alert(text(TextId::ChipNotSupported, ctx.language) + ctx.model);
    return false;
  }
  if (!plausibleDefinition(ini, path, ctx, reporter)) return false;
  const auto codeWords = static_cast<std::uint16_t>(ini.ReadInt("ROM", "Size", 0));
  const std::size_t keptWords = image.codeWords();

  info.bitWidth = static_cast<std::uint8_t>(ini.ReadInt("ROM", "BitWidth", 14));
  for (std::size_t k = 0; k < info.password.size(); ++k) {
    info.password[k] = static_cast<std::uint8_t>(ini.ReadInt("General", "PassWord" + std::to_string(k), 0));
  }
  image.head.setCodeWords(codeWords);
  info.checkFirmwareVersion = ini.ReadInt("General", "CheckFmVer", 0) != 0;
  if (image.head.version() <= 0x1F) image.config.setCodeRange(0, codeWords);
  readChipIds(ini, image.config);
  const std::uint16_t blank = info.blankWord();
  OptionLoadReport report = LoadOptionDefinitions(ini, false, blank, image);
  if (reset) {
    resetImageForChip(ini, ctx, info, codeWords, keptWords, image);
    report = LoadOptionDefinitions(ini, true, blank, image);
    resetPackageAndSettings(ini, image);
  }
  reportLeftOut(report, ctx, reporter);
  return true;
}

bool LoadChipDefinitionForOldFile(const ChipContext& ctx, ChipInfo& info, ProgramImage& image) {
  RecordingReporter ignored;
  return LoadChipDefinitionForOldFile(ctx, info, image, ignored);
}

bool LoadChipDefinitionForOldFile(const ChipContext& ctx, ChipInfo& info, ProgramImage& image, Reporter& reporter) {
  const std::string path = chipDefinitionPath(ctx.programDir, ctx.language, ctx.model);
  const IniSnapshot ini(path);
  if (!ini.loaded() || !plausibleDefinition(ini, path, ctx, reporter)) return false;
  info.bitWidth = static_cast<std::uint8_t>(ini.ReadInt("ROM", "BitWidth", 14));
  image.config.setOptionMask(0x03FF);
  image.config.setCodeRange(0, static_cast<std::uint16_t>(image.codeWords()));
  readChipIds(ini, image.config);

  // Old files had no calibration settings: switch the entries on as the chip needs them.
  CaliBrate& header = image.calibration;
  header = CaliBrate{};
  for (CalibrateInfo& entry : image.calibrationEntries) entry.clearParameters();
  OptionLoadReport report;
  const auto onItem = [&](const std::string& section) {
    if (ini.ReadInt(section, "ItemType", 0) != kItemTypeCalibration) return;
    const int k = header.count;
    if (k >= CaliBrate::kMaxEntries) {
      ++report.calibrationEntriesIgnored;
      return;
    }
    CalibrationItem item = readCalibrationItem(ini, section);
    const auto bit = static_cast<std::uint8_t>(1u << k);
    if (ctx.serviceMode || item.type == 0) header.enableBits |= bit;
    if (item.type != 0) header.typeLowBits |= bit;
    if (item.at3V) header.voltageBits |= bit;
    CalibrateInfo& entry = image.calibrationEntries[static_cast<std::size_t>(k)];
    const bool offered = entry.offered;
    entry = std::move(item.entry);
    entry.offered = offered;
    header.count = static_cast<std::uint8_t>(k + 1);
  };
  report.countsCut = walkOptionItems(ini, nullptr, onItem);
  resetPackageAndSettings(ini, image);
  image.head.setProgramLimit(0);
  reportLeftOut(report, ctx, reporter);
  return true;
}

}  // namespace kt90
