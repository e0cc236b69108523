#include <gtest/gtest.h>

#include "core/programmer/DownloadCount.h"
#include "core/programmer/FirmwareUpdate.h"
#include "core/programmer/FirmwareVersion.h"
#include "core/programmer/HardwareTest.h"
#include "core/programmer/Identification.h"
#include "core/programmer/ResultCodes.h"
#include "core/programmer/Statistics.h"

namespace kt90 {
namespace {

TEST(DownloadCount, NewFilesTakeTheNextSlotAndWrapAfter767) {
  CountTables tables;
  tables.setSlotPointer(0xFFFFFFFF);
  CountDecision d = countDownload(tables, 1000, 1);
  EXPECT_TRUE(d.allowed);
  EXPECT_EQ(d.slot, 1u);
  EXPECT_EQ(d.remaining, 0);
  EXPECT_FALSE(countDownload(tables, 1000, 1).allowed);  // limit 1: the next download is refused

  tables.setSlotPointer(0xBFC);  // slot 767 used last
  d = countDownload(tables, 2000, 3);
  EXPECT_EQ(d.slot, 1u);  // wraps and replaces the file counted there
  EXPECT_EQ(tables.stamp(1), 2000u);
  EXPECT_EQ(tables.remainingDownloads[1], 2);
  EXPECT_EQ(countDownload(tables, 1000, 1).slot, 2u);  // the old file starts afresh

  tables.remainingDownloads[2] = 0xFF;
  EXPECT_FALSE(countDownload(tables, 1000, 1).allowed);
}

TEST(DownloadCount, DamagedPointersNeverReachOutsideTheTables) {
  for (std::uint32_t pointer : {0x2u, 0xC00u, 0xC04u, 0x7FFFFFFFu}) {
    CountTables tables;
    tables.setSlotPointer(pointer);
    const CountDecision d = countDownload(tables, 5, 255);
    EXPECT_TRUE(d.pointerDamaged);
    EXPECT_EQ(d.slot, 1u);
    EXPECT_EQ(d.remaining, 254);
  }
}

TEST(FirmwareChoice, FirstMatchingRowWins) {
  EXPECT_EQ(chooseFirmwareImage("KT90 V5.1").imageName, "Firmware/KT90_5_0.bin");
  EXPECT_EQ(chooseFirmwareImage("KT90 V4 KT90 V5").imageName, "Firmware/KT90_4_0.bin");
  EXPECT_EQ(chooseFirmwareImage("KT90DB V5.2").imageName, "Firmware/DBG4V0_APP.bin");
  EXPECT_EQ(chooseFirmwareImage("DBGPRO 1").imageName, "");
  EXPECT_EQ(chooseFirmwareImage("KT90PRO V1 S").imageName, "Firmware/KT90_5_0.bin");
  EXPECT_TRUE(chooseFirmwareImage("KT90PRO V1").replaceProgrammer);
  EXPECT_TRUE(upgradeRecordInStorage("KT90DB V5.2"));
  EXPECT_FALSE(upgradeRecordInStorage("DBGPRO V1"));
  EXPECT_EQ(upgradeRecord(1000), (Bytes{0xE8, 0x03, 0x00, 0x00, 0xAA}));
}

TEST(FirmwareVersions, TheNumberAfterTheLastVDecides) {
  using S = FirmwareStep;
  const struct {
    std::optional<std::string> programmer, image;
    FirmwareStep step;
  } cases[] = {
      {"KT90 V5.2", "KT90 V5.1", S::Downgrade},  {"KT90 V5.2", "KT90 V5.10", S::Upgrade},
      {"KT90 V5", "KT90 V5.0", S::Same},         {"KT90 V4.1", "KT90 V5.1", S::Upgrade},
      {"KT90PRO V1 S", "KT90 V5.1", S::Upgrade}, {"", "KT90 V5.1", S::Unknown},
      {"KT90 V5.2", std::nullopt, S::Unknown},   {"KT90 V5.2", "KTFW", S::Unknown},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(compareFirmwareVersions(c.programmer, c.image), c.step)
        << c.programmer.value_or("-") << " -> " << c.image.value_or("-");
  }
}

TEST(HardwareTestNames, GroupsFollowTheirBits) {
  EXPECT_EQ(failedTestNames(0x80), std::vector<std::string>{"HW_Test_LED4_FLAG"});
  EXPECT_TRUE(failedTestNames(0x800000).empty());
  EXPECT_EQ(failedTestNames(0x1).size(), 5u);  // EEPROM and all four groups
}

TEST(Figures, YieldResultCodesVersionAndDebuggerType) {
  EXPECT_EQ(yieldPercent(0, 0), 0.0);
  EXPECT_DOUBLE_EQ(yieldPercent(200, 199), 99.5);
  EXPECT_EQ(resultCodeText(2, kEnglish), "Err.2, 查空错误，芯片不是空片");
  EXPECT_EQ(resultCodeText(0x10, kChinese), "Connect programmer fail!\r\n");
  EXPECT_EQ(resultCodeText(0xFF, kEnglish), "Connect programmer fail!\r\n");
  bool terminated = false;
  const std::uint8_t reply[] = {'K', 'T', '9', '0', 0, 'X'};
  EXPECT_EQ(versionFromReply(reply, terminated), "KT90");
  EXPECT_TRUE(terminated);
  const std::uint8_t gb[] = {0xB0, 0xE6, 0};  // GB18030 text from a Chinese system
  EXPECT_EQ(versionFromReply(gb, terminated), "版");
  EXPECT_TRUE(isDebuggerType("XDBY"));
  EXPECT_FALSE(isDebuggerType("KT90 V5.2"));
  EXPECT_FALSE(firmwareSupported(std::nullopt, "KT90 V5.2"));
  EXPECT_FALSE(firmwareSupported(std::string("KT90 V5.0"), ""));
  EXPECT_TRUE(firmwareSupported(std::string(), ""));
}

}  // namespace
}  // namespace kt90
