// The program directory shipped with the program (data/): every chip loads in both
// languages with the figures it was made with, finds itself again from a file's name
// field, and has its CIF block.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "ChipTestSupport.h"
#include "core/base/Encoding.h"
#include "core/base/Gb18030.h"
#include "core/base/ProgramVersion.h"
#include "core/chip/CIniFile.h"
#include "core/chip/ChipDefinition.h"
#include "core/chip/ChipList.h"
#include "core/chip/ChipNames.h"
#include "core/chip/Cif.h"
#include "core/progfile/Checksums.h"
#include "core/progfile/Crc16.h"

namespace kt90 {
namespace {

using testing::shippedDataDir;
using testing::TempProgramDir;

struct Figures {
  const char* model;
  int bitWidth;
  int size;
  int chipId;
  int chipId2;
  bool checkFirmware;
  int version;
  int optionMask;
  int protectionMode;
  int calibrationCount;
  int openShortPins;
};

const Figures kShipped[] = {
    {"VK1620", 14, 1024, 0x62, 0x62, false, 0x10, 0x2003, 0x10, 0, 8},
    {"QD48K025T0", 14, 2048, 0xF8, 0xF8, false, 0x10, 0x6003, 0x10, 1, 8},
    {"QD46K025T0", 14, 2048, 0xF0, 0xF0, false, 0x10, 0x6003, 0x30, 2, 8},
    {"WT58P04", 16, 4096, 0x58, 0x58, false, 0x10, 0x6007, 0x10, 2, 16},
    {"QD45C8K", 16, 8192, 0x45, 0x46, false, 0x20, 0x200F, 0x10, 0, 20},
    {"QD46K300T1", 14, 4096, 0xA3, 0xA4, true, 0x10, 0x6003, 0x30, 6, 8},
};

struct Loaded {
  ChipInfo info;
  ProgramImage image;
};

Loaded loadShipped(const std::string& programDir, LanguageId language, const std::string& model) {
  Loaded loaded;
  RecordingReporter reporter;
  EXPECT_TRUE(LoadChipDefinition(ChipContext{programDir, language, model}, true, loaded.info, loaded.image, reporter))
      << model << " " << language;
  EXPECT_TRUE(reporter.alerts.empty());
  EXPECT_TRUE(reporter.logLines.empty());
  return loaded;
}

TEST(ShippedChips, BothLanguagesListTheSameModels) {
  const auto zh = listChipModels(shippedDataDir(), kChinese);
  const auto en = listChipModels(shippedDataDir(), kEnglish);
  std::set<std::string> expected;
  for (const Figures& f : kShipped) expected.insert(f.model);
  EXPECT_EQ(std::set<std::string>(zh.begin(), zh.end()), expected);
  EXPECT_EQ(std::set<std::string>(en.begin(), en.end()), expected);
}

TEST(ShippedChips, EveryChipLoadsWithItsFigures) {
  for (const Figures& f : kShipped) {
    SCOPED_TRACE(f.model);
    const Loaded zh = loadShipped(shippedDataDir(), kChinese, f.model);
    const Loaded en = loadShipped(shippedDataDir(), kEnglish, f.model);
    // The languages differ only in texts the loader does not keep.
    EXPECT_TRUE(zh.image == en.image);
    EXPECT_EQ(zh.info.password, en.info.password);

    const ProgramImage& image = zh.image;
    EXPECT_EQ(zh.info.bitWidth, f.bitWidth);
    EXPECT_EQ(image.head.codeWords(), f.size);
    EXPECT_EQ(image.word(static_cast<std::size_t>(f.size) - 1), zh.info.blankWord());
    EXPECT_EQ(image.config.chipId(), f.chipId);
    EXPECT_EQ(image.config.chipId2(), f.chipId2);
    EXPECT_EQ(zh.info.checkFirmwareVersion, f.checkFirmware);
    EXPECT_EQ(image.head.version(), f.version);
    EXPECT_EQ(image.config.optionMask(), f.optionMask);
    EXPECT_EQ(image.config.protectionMode(), f.protectionMode);
    EXPECT_EQ(image.calibration.count, f.calibrationCount);
    EXPECT_EQ(image.openShort.pins(), f.openShortPins);
    EXPECT_NE(zh.info.password, (std::array<std::uint8_t, 5>{}));
    // Option words the chip does not define stay blank.
    for (int i = 0; i < 16; ++i) {
      if ((f.optionMask & (1 << i)) == 0) {
        EXPECT_EQ(image.optionWord(i), zh.info.blankWord()) << i;
      }
    }
  }
}

TEST(ShippedChips, CalibrationOfTheSixEntryChip) {
  const Loaded chip = loadShipped(shippedDataDir(), kEnglish, "QD46K300T1");
  const CaliBrate& c = chip.image.calibration;
  EXPECT_EQ(c.enableBits, 0x37);  // 3.0M is not offered
  EXPECT_EQ(c.typeLowBits, 0x1A);
  EXPECT_EQ(chip.image.config.calibrationTypeBits(), 0x0C);
  EXPECT_EQ(c.voltageBits, 0x1A);
  const char* names[] = {"IRC校准", "1.7M校准", "2.4M校准", "3.0M校准", "3.3M校准", "32K校准", "NA", "NA"};
  for (int k = 0; k < 8; ++k) EXPECT_EQ(chip.image.calibrationEntries[k].name, names[k]) << k;
  EXPECT_EQ(chip.image.calibrationEntries[1].rul, 1700000u);

  const Loaded pair = loadShipped(shippedDataDir(), kChinese, "QD46K025T0");
  EXPECT_TRUE(pair.image.calibrationEntries[0].offered);
  EXPECT_FALSE(pair.image.calibrationEntries[1].offered);
  EXPECT_EQ(pair.image.calibration.enableBits, 0x01);
}

TEST(ShippedChips, EveryModelComesBackFromItsNameField) {
  for (LanguageId language : {kChinese, kEnglish}) {
    const auto entries = listChipModels(shippedDataDir(), language);
    const auto exists = [&](const std::string& m) { return chipDefinitionExists(shippedDataDir(), language, m); };
    for (const std::string& model : entries) {
      SCOPED_TRACE(model);
      const Loaded chip = loadShipped(shippedDataDir(), language, model);
      const RestoredChipName restored =
          RestoreChipName(chip.image.head.chipName(), entries, chip.image.config.chipId());
      const std::string resolved = resolveChipModel(restored.name, restored.fieldFull, entries, exists);
      EXPECT_EQ(resolved, model);
      ASSERT_TRUE(restored.selected);
      EXPECT_EQ(entries[*restored.selected], model);
      EXPECT_EQ(chooseRememberedChip(entries, model).modelName, model);
    }
    // A bare "K025T0" field names the family its chip ID belongs to.
    ChipNameField bare{'K', '0', '2', '5', 'T', '0', 0, 0};
    EXPECT_EQ(RestoreChipName(bare, entries, 0xF0).name, "QD46K025T0");
    EXPECT_EQ(RestoreChipName(bare, entries, 0xF8).name, "QD48K025T0");
  }
}

TEST(ShippedChips, EveryModelHasItsCifBlock) {
  for (const Figures& f : kShipped) {
    SCOPED_TRACE(f.model);
    const auto block = LoadCif(shippedDataDir(), f.model);
    ASSERT_TRUE(block);
    EXPECT_EQ(std::string(block->begin(), block->begin() + 4), "KTCF");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(block->data() + 8)), f.model);
    EXPECT_EQ(crc16(ByteView(block->data(), kCifSize - 2)), readU16(block->data() + kCifSize - 2));
  }
}

TEST(ShippedChips, SettingsFile) {
  const CIniFile settings(shippedDataDir() + "/DLL/set.dll");
  EXPECT_EQ(settings.ReadInt("Settings", "CloseUpdata", 0), 1);
  EXPECT_NE(settings.ReadString("Settings", "FmVer").find("KT90 V5.2"), std::string::npos);
  EXPECT_EQ(settings.ReadString("Settings", "CK_URL").rfind("http://127.0.0.1", 0), 0u);
  EXPECT_FALSE(settings.ReadString("Settings", "WndTxt").empty());
  EXPECT_EQ(settings.ReadInt("Settings", "VersionLength", 0), static_cast<int>(std::string(kProgramVersion).size()));
}

std::string utf8ToUtf16le(const std::string& utf8) {
  std::string out = "\xFF\xFE";
  const auto put = [&](std::uint32_t unit) {
    out.push_back(static_cast<char>(unit & 0xFF));
    out.push_back(static_cast<char>(unit >> 8));
  };
  for (std::size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const std::size_t len = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    std::uint32_t cp = len == 1 ? lead : lead & (0xFF >> (len + 1));
    for (std::size_t k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    i += len;
    if (cp >= 0x10000) {
      put(0xD800 + ((cp - 0x10000) >> 10));
      put(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      put(cp);
    }
  }
  return out;
}

// Definitions from the field are GB18030 without a BOM; the shipped ones are UTF-8 with a
// BOM. Both, and a UTF-16 copy, must read alike for every chip in both languages, also where
// the GB18030 bytes happen to be valid UTF-8 (the English files' "校准").
TEST(ShippedChips, Utf16AndGb18030CopiesLoadTheSame) {
  for (LanguageId language : {kChinese, kEnglish}) {
    for (const Figures& f : kShipped) {
      SCOPED_TRACE(std::string(f.model) + " " + std::to_string(language));
      const std::string folder(chipDefinitionFolder(language));
      const auto bytes = readWholeFile(pathFromUtf8(shippedDataDir() + "/" + folder + "/" + f.model + ".dev"));
      ASSERT_TRUE(bytes && bytes->size() >= 3);
      ASSERT_EQ(detectTextFileEncoding(*bytes), TextFileEncoding::Utf8Bom);  // the rule needs the BOM
      const std::string text = decodeTextFile(*bytes);
      Loaded original = loadShipped(shippedDataDir(), language, f.model);

      TempProgramDir copies;  // one per test: a program directory for each copy below it
      copies.writeBytes("u16/" + folder + "/" + f.model + ".dev", utf8ToUtf16le(text));
      const std::string gbText = utf8ToGb18030(text);
      copies.writeBytes("gb/" + folder + "/" + f.model + ".dev", gbText);
      EXPECT_EQ(decodeTextFile(Bytes(gbText.begin(), gbText.end())), text);
      for (const char* copy : {"/u16", "/gb"}) {
        Loaded other = loadShipped(copies.dir() + copy, language, f.model);
        // The checksum first: computing it stores the signature in both ConfigBlocks.
        EXPECT_EQ(fileChecksum(other.image), fileChecksum(original.image));
        EXPECT_TRUE(other.image == original.image);
        EXPECT_EQ(other.info.password, original.info.password);
      }
    }
  }
}

}  // namespace
}  // namespace kt90
