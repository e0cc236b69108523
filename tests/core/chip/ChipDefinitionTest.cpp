#include <gtest/gtest.h>

#include <chrono>

#include "ChipTestSupport.h"
#include "core/chip/ChipDefinition.h"
#include "core/chip/ChipNames.h"

namespace kt90 {
namespace {

using testing::TempProgramDir;

class ChipDefinitionTest : public ::testing::Test {
 protected:
  TempProgramDir dir;
  ChipInfo info;
  ProgramImage image;
  RecordingReporter reporter;

  ChipContext context(const std::string& model, LanguageId language = kChinese) {
    return ChipContext{dir.dir(), language, model, false};
  }
  // A definition without a program size is refused; the cases that test other keys get one.
  bool load(const std::string& model, const std::string& text, bool reset = true) {
    const bool sized = text.find("Size=") != std::string::npos;
    dir.writeDefinition(model, sized ? text : "[ROM]\r\nSize=2048\r\n" + text);
    return LoadChipDefinition(context(model), reset, info, image, reporter);
  }
};

TEST_F(ChipDefinitionTest, MissingDefinitionChangesNothing) {
  image.head.setCodeWords(0x123);
  image.setWord(0, 0x1234);
  image.protection.downloadLimit = 5;
  info.bitWidth = 16;
  const ProgramImage before = image;

  EXPECT_FALSE(LoadChipDefinition(context("QD99X"), true, info, image, reporter));
  ASSERT_EQ(reporter.alerts.size(), 1u);
  EXPECT_EQ(reporter.alerts[0], "当前软件不支持此芯片型号：QD99X");
  EXPECT_FALSE(LoadChipDefinition(context("QD99X", kEnglish), true, info, image, reporter));
  EXPECT_EQ(reporter.alerts[1], "当前软件不支持此芯片型号：QD99X");  // Chinese in both languages

  dir.writeDefinition("ONLYCH", "[ROM]\r\nSize=16\r\n");
  EXPECT_FALSE(LoadChipDefinition(context("ONLYCH", 1041), true, info, image, reporter));
  EXPECT_FALSE(LoadChipDefinition(context("ONLYCH", kEnglish), true, info, image, reporter));
  EXPECT_TRUE(image == before);
  EXPECT_EQ(info.bitWidth, 16);
}

TEST_F(ChipDefinitionTest, ModelNamesThatLeaveTheFolderAreNotChips) {
  dir.writeBytes("secret.dev", "[ROM]\r\nSize=16\r\n");
  EXPECT_EQ(chipDefinitionPath(dir.dir(), kChinese, "../secret"), "");
  EXPECT_EQ(chipDefinitionPath(dir.dir(), kChinese, "a\\b"), "");
  EXPECT_FALSE(LoadChipDefinition(context("../secret"), true, info, image, reporter));
  EXPECT_EQ(reporter.alerts.size(), 1u);
  EXPECT_FALSE(chipDefinitionExists(dir.dir(), kChinese, "../secret"));
  EXPECT_NE(chipDefinitionPath(dir.dir(), kEnglish, "VK1620").find("EN_DEV"), std::string::npos);
}

TEST_F(ChipDefinitionTest, ResetWithDefaultsGivesABlankFourteenBitChip) {
  image.protection.filePassword = {1, 2, 3, 4};
  image.protection.currentTime = 99;
  image.protection.downloadLimit = 3;
  image.protection.uids.push_back(ProgrammerUid{});
  image.head.setProgramLimit(1000);
  image.rolCode.bytes.fill(0xAA);
  image.head.setFlags(0x2F);

  ASSERT_TRUE(load("VKQD12AB34", "[ROM]\r\nSize=0x400\r\n"));
  EXPECT_EQ(info.bitWidth, 14);
  EXPECT_EQ(info.blankWord(), 0x3FFF);
  EXPECT_FALSE(info.checkFirmwareVersion);
  EXPECT_EQ(info.password, (std::array<std::uint8_t, 5>{}));
  EXPECT_EQ(image.head.flags(), 0xC3);
  EXPECT_EQ(image.head.version(), 0x10);
  EXPECT_EQ(image.head.codeWords(), 0x400);
  EXPECT_EQ(image.head.programLimit(), 0u);
  EXPECT_EQ(image.head.chipName(), MakeHeaderChipName("VKQD12AB34"));
  for (int i = 0; i < 16; ++i) EXPECT_EQ(image.optionWord(i), 0x3FFF) << i;
  EXPECT_EQ(image.config.optionMask(), 0);
  EXPECT_EQ(image.config.codeRangeFirst(), 0);
  EXPECT_EQ(image.config.codeRangeEnd(), 0x400);
  EXPECT_EQ(image.config.chipId(), 0xFF);
  EXPECT_EQ(image.config.chipIdAddr(), 0x200B);
  EXPECT_EQ(image.config.chipId2(), 0xFF);
  EXPECT_EQ(image.config.chipId2Addr(), 0x200B);
  EXPECT_EQ(image.word(0), 0x3FFF);
  EXPECT_EQ(image.word(0x3FF), 0x3FFF);
  EXPECT_EQ(image.calibration, CaliBrate{});
  EXPECT_EQ(image.openShort.bytes, (std::array<std::uint8_t, 10>{}));
  RolCode fresh;
  fresh.reset();
  EXPECT_EQ(image.rolCode.bytes, fresh.bytes);
  EXPECT_EQ(image.rolCode.bytes[2], 1);
  EXPECT_EQ(image.rolCode.bytes[5], 1);
  EXPECT_EQ(image.protection, Protection{});
  EXPECT_TRUE(reporter.alerts.empty());
  EXPECT_TRUE(reporter.logLines.empty());
}

TEST_F(ChipDefinitionTest, GeneralKeysAndChipIds) {
  ASSERT_TRUE(load("X",
                   "[ROM]\r\nBitWidth=16\r\nSize=2048\r\n"
                   "[General]\r\nPassWord0=0x11\r\nPassWord4=0x155\r\nCheckFmVer=2\r\nFileVersion=0x21\r\n"
                   "ChipID=0x5A\r\nChipID_Addr=0x2005\r\n"));
  EXPECT_EQ(info.bitWidth, 16);
  EXPECT_EQ(info.blankWord(), 0xFFFF);
  EXPECT_EQ(info.password, (std::array<std::uint8_t, 5>{0x11, 0, 0, 0, 0x55}));  // 8 bits each
  EXPECT_TRUE(info.checkFirmwareVersion);
  EXPECT_EQ(image.head.version(), 0x21);
  EXPECT_EQ(image.config.chipId(), 0x5A);
  EXPECT_EQ(image.config.chipIdAddr(), 0x2005);
  EXPECT_EQ(image.config.chipId2(), 0x5A);  // defaults follow ChipID and its address
  EXPECT_EQ(image.config.chipId2Addr(), 0x2005);
  EXPECT_EQ(image.word(2047), 0xFFFF);

  ASSERT_TRUE(load("Y", "[General]\r\nChipID=0x5A\r\nChipID2=0x5B\r\nChipID2_Addr=0x200C\r\n"));
  EXPECT_EQ(image.config.chipId2(), 0x5B);
  EXPECT_EQ(image.config.chipId2Addr(), 0x200C);
  EXPECT_EQ(image.config.chipIdAddr(), 0x200B);
}

TEST_F(ChipDefinitionTest, OptionWordsAndMask) {
  ASSERT_TRUE(
      load("X", "[ROM]\r\nSize=1024\r\n[OTPOption]\r\nOptionWords=1\r\nOptAddr0=0x2009\r\nOptInitVal0=0x1234\r\n"));
  EXPECT_EQ(image.optionWord(9), 0x1234);
  EXPECT_EQ(image.config.optionMask(), 0x0200);
  for (int i = 0; i < 16; ++i) {
    if (i != 9) {
      EXPECT_EQ(image.optionWord(i), 0x3FFF) << i;
    }
  }

  // Default address 0x2000 and initial value BlankWord; addresses outside the 16 words
  // store nothing.
  ASSERT_TRUE(load("Y",
                   "[ROM]\r\nBitWidth=16\r\nSize=2048\r\n[OTPOption]\r\nOptionWords=4\r\nOptInitVal1=0x0001\r\n"
                   "OptAddr1=0x2010\r\nOptAddr2=0x1FFF\r\nOptAddr3=0x200F\r\nOptInitVal3=0x00F0\r\n"));
  EXPECT_EQ(image.config.optionMask(), 0x8001);
  EXPECT_EQ(image.optionWord(0), 0xFFFF);
  EXPECT_EQ(image.optionWord(15), 0x00F0);
  EXPECT_EQ(image.config.optionWord(8), 0xFFFF);
}

TEST_F(ChipDefinitionTest, KeptProgramAdaptsBlankWordsToTheNewWidth) {
  ASSERT_TRUE(load("SIXTEEN", "[ROM]\r\nBitWidth=16\r\nSize=8\r\n"));
  image.setWord(0, 0xFFFF);
  image.setWord(1, 0x3FFE);
  image.setWord(2, 0x3FFF);
  image.setWord(3, 0x1234);
  info.clearProgramOnReset = false;
  ASSERT_TRUE(load("FOURTEEN", "[ROM]\r\nSize=8\r\n"));
  EXPECT_EQ(image.word(0), 0x3FFF);
  EXPECT_EQ(image.word(1), 0x3FFE);
  EXPECT_EQ(image.word(2), 0x3FFF);
  EXPECT_EQ(image.word(3), 0x1234);
  EXPECT_EQ(image.word(7), 0x3FFF);

  ASSERT_TRUE(load("SIXTEEN", "[ROM]\r\nBitWidth=16\r\nSize=8\r\n"));
  EXPECT_EQ(image.word(0), 0xFFFF);
  EXPECT_EQ(image.word(1), 0x3FFE);
  EXPECT_EQ(image.word(3), 0x1234);

  info.clearProgramOnReset = true;
  ASSERT_TRUE(load("FOURTEEN", "[ROM]\r\nSize=8\r\n"));
  EXPECT_EQ(image.word(1), 0x3FFF);
  EXPECT_EQ(image.word(3), 0x3FFF);
}

TEST_F(ChipDefinitionTest, CodeRangeOnReloadFollowsTheFileVersion) {
  const std::string text = "[ROM]\r\nSize=0x800\r\n";
  ASSERT_TRUE(load("X", text));
  image.config.setCodeRange(0x0200, 0x0200);
  image.head.setVersion(0x10);
  image.setWord(5, 0x0123);
  image.head.setFlags(0x0F);
  ASSERT_TRUE(load("X", text, false));
  EXPECT_EQ(image.config.codeRangeFirst(), 0);
  EXPECT_EQ(image.config.codeRangeEnd(), 0x800);
  EXPECT_EQ(image.word(5), 0x0123);  // without reset the program and flags stay
  EXPECT_EQ(image.head.flags(), 0x0F);

  image.config.setCodeRange(0x0200, 0x0200);
  image.head.setVersion(0x20);
  ASSERT_TRUE(load("X", text, false));
  EXPECT_EQ(image.config.codeRangeFirst(), 0x0200);
  EXPECT_EQ(image.config.codeRangeEnd(), 0x0200);
}

std::string calibrationChip(const std::string& items) {
  return "[ROM]\r\nSize=1024\r\n[OTPOption]\r\nOptionWords=2\r\nOptAddr0=0x2000\r\nOptItems0=1\r\n"
         "OptAddr1=0x200E\r\nOptItems1=6\r\n"
         "[OTPOption0_Item0]\r\nItemType=0\r\nName=WDT\r\n" +
         items;
}

const char* const kSixEntries =
    "[OTPOption1_Item0]\r\nItemType=3\r\nName=IRC校准\r\nCalibreType=2\r\nCalibreEnable=0\r\n"
    "Rul=16000000\r\nMin=0x10\r\nMax=0x1F0\r\nLowerMin=1\r\nLowerMax=2\r\nUpperMin=3\r\nUpperMax=0x104\r\n"
    "[OTPOption1_Item1]\r\nItemType=3\r\nName=1.7M校准\r\nCalibreType=1\r\nCalibreVoltage=1\r\n"
    "[OTPOption1_Item2]\r\nItemType=3\r\nName=2.4M校准\r\nCalibreType=3\r\nCalibreEnable=1\r\nCalibreVoltage=5\r\n"
    "[OTPOption1_Item3]\r\nItemType=0\r\nName=not a calibration\r\n"
    "[OTPOption1_Item4]\r\nItemType=3\r\nCalibreType=7\r\nCalibreEnable=1\r\n"
    "[OTPOption1_Item5]\r\nItemType=3\r\nName=3.3M校准\r\nCalibreType=0\r\nCalibreEnable=1\r\n";

TEST_F(ChipDefinitionTest, CalibrationEntriesFromTypeThreeItems) {
  ASSERT_TRUE(load("CAL", calibrationChip(kSixEntries)));
  const CaliBrate& c = image.calibration;
  EXPECT_EQ(c.count, 5);
  // Offered: the first always, the others by CalibreEnable; on reset enabled = offered.
  const bool offered[] = {true, false, true, true, true, false, false, false};
  for (int k = 0; k < 8; ++k) EXPECT_EQ(image.calibrationEntries[k].offered, offered[k]) << k;
  EXPECT_EQ(c.enableBits, 0b11101);
  EXPECT_EQ(c.voltageBits, 0b00110);
  // Types 2, 1, 3, 7 (no change), 0: the high bit in the ConfigBlock, the low bit in the header.
  EXPECT_EQ(image.config.calibrationTypeBits(), 0b00101);
  EXPECT_EQ(c.typeLowBits, 0b00110);

  const CalibrateInfo& irc = image.calibrationEntries[0];
  EXPECT_EQ(irc.name, "IRC校准");
  EXPECT_EQ(irc.rul, 16000000u);
  EXPECT_EQ(irc.min, 0x10);
  EXPECT_EQ(irc.max, 0x1F0);
  EXPECT_EQ(irc.stored(), (std::array<std::uint8_t, 12>{0x00, 0x24, 0xF4, 0x00, 0x10, 0, 0xF0, 0x01, 1, 2, 3, 4}));
  EXPECT_EQ(image.calibrationEntries[3].name, "NA");  // a calibration item without a name
  EXPECT_EQ(image.calibrationEntries[4].name, "3.3M校准");
  EXPECT_EQ(image.calibrationEntries[5].name, "NA");
  EXPECT_EQ(image.calibrationEntries[5].rul, 0u);
}

TEST_F(ChipDefinitionTest, ReloadWithoutResetKeepsTheUsersCalibrationSwitches) {
  ASSERT_TRUE(load("CAL", calibrationChip(kSixEntries)));
  image.calibration.enableBits = 0xF0;
  image.calibration.voltageBits = 0xAA;
  // Entry 3 has type 7: its type bits stay as they were, whatever they were.
  image.config.setCalibrationTypeBits(0xFF);
  image.calibration.typeLowBits = 0xFF;
  ASSERT_TRUE(load("CAL", calibrationChip(kSixEntries), false));
  EXPECT_EQ(image.calibration.count, 5);
  EXPECT_EQ(image.calibration.enableBits, 0xF0);
  EXPECT_EQ(image.calibration.voltageBits, 0xAA);
  EXPECT_EQ(image.config.calibrationTypeBits(), 0b11101101);
  EXPECT_EQ(image.calibration.typeLowBits, 0b11101110);
}

TEST_F(ChipDefinitionTest, PackageZeroFillsOpenShort) {
  ASSERT_TRUE(load("PKG",
                   "[Package]\r\nOpenShortPINS=0x0108\r\nPackageCount=2\r\nItem0_Name=SOP8\r\n"
                   "Item0_Val0=0x0F\r\nItem0_Val5=8\r\nItem0_Val7=0x102\r\nItem1_Val0=0xFF\r\n"));
  EXPECT_EQ(image.openShort.pins(), 0x0108);
  EXPECT_EQ(image.openShort.bytes, (std::array<std::uint8_t, 10>{0x08, 0x01, 0x0F, 0, 0, 0, 0, 8, 0, 0x02}));
}

TEST_F(ChipDefinitionTest, MoreThanEightCalibrationEntriesKeepTheFirstEight) {
  std::string text = "[OTPOption]\r\nOptionWords=2\r\nOptItems0=6\r\nOptItems1=6\r\n";
  for (int i = 0; i < 2; ++i) {
    for (int j = 0; j < 6; ++j) {
      text += "[OTPOption" + std::to_string(i) + "_Item" + std::to_string(j) + "]\r\nItemType=3\r\nName=E" +
              std::to_string(i * 6 + j) + "\r\nCalibreEnable=1\r\nCalibreType=3\r\nCalibreVoltage=1\r\n";
    }
  }
  ASSERT_TRUE(load("MANY", text));
  EXPECT_EQ(image.calibration.count, 8);
  EXPECT_EQ(image.calibration.enableBits, 0xFF);
  EXPECT_EQ(image.calibration.voltageBits, 0xFF);
  EXPECT_EQ(image.calibrationEntries[7].name, "E7");
  ASSERT_EQ(reporter.logLines.size(), 1u);
  EXPECT_NE(reporter.logLines[0].find("MANY"), std::string::npos);
  EXPECT_NE(reporter.logLines[0].find(" 4 "), std::string::npos);
}

// No chip has these; each is refused naming the file (or model) and why, changing nothing.
TEST_F(ChipDefinitionTest, DefinitionsNoChipCanHaveAreRefused) {
  ASSERT_TRUE(load("OK", "[ROM]\r\nSize=32768\r\n"));
  EXPECT_EQ(image.head.codeWords(), 32768);
  EXPECT_EQ(image.word(32767), 0x3FFF);
  const ProgramImage before = image;
  const ChipInfo infoBefore = info;

  const struct {
    std::string text;
    const char* reason;
  } cases[] = {
      {"[ROM]\r\nBitWidth=16\r\nSize=32769\r\n", "32769"},
      {"[ROM]\r\nBitWidth=16\r\nSize=0x10000\r\n", "65536"},
      {"[ROM]\r\nBitWidth=16\r\nSize=-5\r\n", "gives -5 code words"},
      {"[ROM]\r\nSize=0\r\n", "gives 0 code words"},
      {std::string(1000000, '['), "gives 0 code words"},
      {"[ROM]\r\nBitWidth=64\r\nSize=16\r\n", "BitWidth=64"},
      {"[ROM]\r\nBitWidth=0\r\nSize=16\r\n", "BitWidth=0"},
  };
  for (const auto& c : cases) {
    reporter.alerts.clear();
    dir.writeDefinition("BIG", c.text, true);
    EXPECT_FALSE(LoadChipDefinition(context("BIG", kEnglish), true, info, image, reporter)) << c.reason;
    ASSERT_FALSE(reporter.alerts.empty()) << c.reason;
    EXPECT_NE(reporter.alerts.back().find("BIG"), std::string::npos) << reporter.alerts.back();
    EXPECT_NE(reporter.alerts.back().find(c.reason), std::string::npos) << reporter.alerts.back();
  }
  EXPECT_TRUE(image == before);
  EXPECT_EQ(info.bitWidth, infoBefore.bitWidth);
}

TEST_F(ChipDefinitionTest, HugeCountsAreBounded) {
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(load("HUGE",
                   "[OTPOption]\r\nOptionWords=0x7FFFFFFF\r\nOptAddr0=0x2003\r\nOptInitVal0=0x0003\r\n"
                   "OptItems0=0x7FFFFFFF\r\n[OTPOption0_Item5]\r\nItemType=3\r\nName=IRC校准\r\n"));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(image.optionWord(3), 0x0003);
  EXPECT_EQ(image.config.optionMask(), 0x0009);  // the other 63 words read default to 0x2000
  EXPECT_EQ(image.optionWord(0), 0x3FFF);
  EXPECT_EQ(image.calibration.count, 1);
  ASSERT_EQ(reporter.logLines.size(), 1u);
  EXPECT_NE(reporter.logLines[0].find("64"), std::string::npos);

  reporter.logLines.clear();
  ASSERT_TRUE(load("NEG", "[OTPOption]\r\nOptionWords=-5\r\nOptItems0=-1\r\n"));
  EXPECT_EQ(image.config.optionMask(), 0);
  EXPECT_TRUE(reporter.logLines.empty());
}

TEST_F(ChipDefinitionTest, OldFileVariant) {
  dir.writeDefinition("OLD", calibrationChip(kSixEntries) +
                                 "[ROM]\r\nBitWidth=16\r\n[General]\r\nChipID=0x33\r\n"
                                 "[Package]\r\nOpenShortPINS=6\r\nItem0_Val1=0x44\r\n");
  image.head.setCodeWords(0x300);
  image.config.setCalibrationTypeBits(0xA5);
  image.calibrationEntries[1].offered = true;
  image.calibrationEntries[6].offered = true;
  image.calibration.enableBits = 0xFF;
  image.protection.downloadLimit = 9;
  image.head.setProgramLimit(50);

  ASSERT_TRUE(LoadChipDefinitionForOldFile(context("OLD"), info, image));
  EXPECT_EQ(info.bitWidth, 14);  // the first BitWidth of a repeated section wins: [ROM] came first
  EXPECT_EQ(image.config.optionMask(), 0x03FF);
  EXPECT_EQ(image.config.codeRangeFirst(), 0);
  EXPECT_EQ(image.config.codeRangeEnd(), 0x300);
  EXPECT_EQ(image.config.chipId(), 0x33);
  EXPECT_EQ(image.config.chipId2(), 0x33);
  const CaliBrate& c = image.calibration;
  EXPECT_EQ(c.count, 5);
  EXPECT_EQ(c.enableBits, 0b10000);   // only type 0 outside Service mode
  EXPECT_EQ(c.typeLowBits, 0b01111);  // type != 0
  EXPECT_EQ(c.voltageBits, 0b00110);
  EXPECT_EQ(image.config.calibrationTypeBits(), 0xA5);  // untouched
  EXPECT_TRUE(image.calibrationEntries[1].offered);     // untouched
  EXPECT_TRUE(image.calibrationEntries[6].offered);
  EXPECT_FALSE(image.calibrationEntries[0].offered);
  EXPECT_EQ(image.calibrationEntries[2].name, "2.4M校准");
  EXPECT_EQ(image.calibrationEntries[6].name, "NA");
  EXPECT_EQ(image.openShort.pins(), 6);
  EXPECT_EQ(image.openShort.bytes[3], 0x44);
  EXPECT_EQ(image.protection, Protection{});
  EXPECT_EQ(image.head.programLimit(), 0u);
  EXPECT_EQ(image.rolCode.bytes[2], 1);

  ChipContext service = context("OLD");
  service.serviceMode = true;
  ASSERT_TRUE(LoadChipDefinitionForOldFile(service, info, image));
  EXPECT_EQ(image.calibration.enableBits, 0b11111);

  const ProgramImage before = image;
  RecordingReporter quiet;
  EXPECT_FALSE(LoadChipDefinitionForOldFile(context("NONE"), info, image, quiet));
  EXPECT_TRUE(quiet.alerts.empty());
  EXPECT_TRUE(image == before);
}

}  // namespace
}  // namespace kt90
