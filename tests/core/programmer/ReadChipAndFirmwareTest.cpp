#include <filesystem>

#include "InProcessOps.h"

namespace kt90::testing {
namespace {

using Ops = InProcessOps;

TEST_F(Ops, ReadChipReadsAPartialLastBlockAndNothingPastTheChip) {
  start(prepared([](sim::Emulator& e) {
    for (std::uint16_t w = 0; w < 32; ++w) e.chip().rawCode()[w] = static_cast<std::uint16_t>(0x100 + w);
  }));
  state->image().head.setCodeWords(24);
  ASSERT_EQ(run(DeviceOperation::ReadChip).finalState, OperationState::Ready);
  for (std::uint16_t w = 0; w < 24; ++w) EXPECT_EQ(readU16(&state->shownCode()[2 * w]), 0x100 + w);
  EXPECT_EQ(readU16(&state->shownCode()[48]), 0);
  EXPECT_EQ(tracker->powerOffs, 1);
  // Option lines and figures carry no time stamp.
  const std::size_t first = host.logIndex("2000: 0x3FFF\r\n");
  ASSERT_LT(first, host.log.size());
  EXPECT_TRUE(host.untimed[first]);
  EXPECT_TRUE(host.untimed.back());

  state->image().head.setCodeWords(0);
  ASSERT_EQ(run(DeviceOperation::ReadChip).finalState, OperationState::Ready);
  EXPECT_TRUE(host.logHas("Code checksum:   0x0000 \r\n"));

  state->image().head.setCodeWords(0x2010);
  const int opens = tracker->opens;
  EXPECT_EQ(run(DeviceOperation::ReadChip).finalState, OperationState::Failed);
  EXPECT_EQ(host.log.back(), msg(TextId::ReadCodeSizeTooLarge, 0x2010u));
  EXPECT_EQ(tracker->opens, opens);
}

TEST_F(Ops, MissingCifFailsBeforeTheDeviceIsOpened) {
  start();
  std::filesystem::remove(dir.path("CIF/QD46K025T0.cif"));
  EXPECT_EQ(run(DeviceOperation::ReadChip).finalState, OperationState::Failed);
  EXPECT_EQ(run(DeviceOperation::Download).finalState, OperationState::Failed);
  EXPECT_EQ(host.log, std::vector<std::string>{msg(TextId::CifReadFailed)});
  EXPECT_EQ(tracker->opens, 0);
}

TEST_F(Ops, FirmwareImageOf1000BytesAndItsRecord) {
  start();
  Bytes image(1000);
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 7);
  dir.write("Firmware/KT90_5_0.bin", image);
  ASSERT_EQ(run(DeviceOperation::UpdateFirmware).finalState, OperationState::Passed) << host.log.back();
  EXPECT_TRUE(std::equal(image.begin(), image.end(), storage().begin() + 0x10000));
  const Bytes record(emulator().eeprom().begin() + 251, emulator().eeprom().end());
  EXPECT_EQ(record, (Bytes{0xE8, 0x03, 0x00, 0x00, 0xFF}));            // the start-up code took the record
  EXPECT_EQ(emulator().lastUpgrade(), sim::UpgradeOutcome::Rejected);  // not one of our images

  dir.write("Firmware/KT90_5_0.bin", Bytes{});
  ASSERT_EQ(run(DeviceOperation::UpdateFirmware).finalState, OperationState::Passed);
  EXPECT_EQ(readU32(&emulator().eeprom()[251]), 0u);
}

// Both versions are logged; an older image goes in only when asked for, or when the user
// says Yes to the question that warns of it. The outcome names the version then running.
TEST_F(Ops, FirmwareUpdateWeighsTheImageAgainstTheProgrammersVersion) {
  using C = FirmwareConsent;
  const struct {
    const char* programmer;
    const char* image;
    FirmwareConsent consent;
    MessageAnswer answer;
    bool installed;
    bool warned;
  } cases[] = {
      {"KT90 V5.2", "KT90 V5.1", C::RefuseDowngrade, MessageAnswer::Ok, false, false},
      {"KT90 V5.2", "KT90 V5.1", C::AllowDowngrade, MessageAnswer::Ok, true, false},
      {"KT90 V5.1", "KT90 V5.2", C::RefuseDowngrade, MessageAnswer::Ok, true, false},
      {"KT90 V5.2", "KT90 V5.1", C::AskUser, MessageAnswer::Yes, true, true},
      {"KT90 V5.2", "KT90 V5.1", C::AskUser, MessageAnswer::No, false, true},
      {"KT90 V5.1", "KT90 V5.2", C::AskUser, MessageAnswer::No, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.programmer) + " -> " + c.image + ", consent " +
                 std::to_string(static_cast<int>(c.consent)));
    host.boxes.clear();
    start(withVersion(c.programmer));
    dir.writeFirmware("KT90_5_0.bin", c.image, 1000);
    if (c.consent == C::AskUser) host.answers = {c.answer};
    const OperationOutcome outcome = run(DeviceOperation::UpdateFirmware, c.consent);
    EXPECT_TRUE(host.logContains(msg(TextId::FirmwareVersions, c.programmer, c.image)));
    EXPECT_EQ(outcome.finalState, c.installed ? OperationState::Passed : OperationState::Failed);
    EXPECT_EQ(tracker->writes > 0, c.installed);
    EXPECT_EQ(outcome.firmwareVersion.value_or(""), c.installed ? c.image : c.programmer);
    EXPECT_EQ(emulator().versionText(), c.installed ? c.image : c.programmer);
    if (c.consent == C::AskUser) {
      ASSERT_EQ(host.boxes.size(), 1u);
      EXPECT_NE(host.boxes[0].find(c.image), std::string::npos);
      EXPECT_EQ(host.boxes[0].find(msg(TextId::FirmwareDowngradeWarning)) != std::string::npos, c.warned);
    } else {
      EXPECT_TRUE(host.boxes.empty());
    }
  }
}

TEST_F(Ops, FirmwareImagesTooLargeForTheProgrammerAreRefused) {
  start();
  // Refused before it is read, with the reason.
  dir.write("Firmware/KT90_5_0.bin", Bytes(65537, 1));
  EXPECT_EQ(run(DeviceOperation::UpdateFirmware).finalState, OperationState::Failed);
  const std::string image = dir.dir() + "/Firmware/KT90_5_0.bin";
  EXPECT_EQ(host.log.back(), msg(TextId::FirmwareOpenFailed, image.c_str()));
  EXPECT_EQ(host.log.end()[-2], msg(TextId::FileTooLarge, image.c_str(), 65536u));

  emulator().setVersionText("KT90DB V5.2");
  dir.write("Firmware/DBG4V0_APP.bin", Bytes(0xFFFC, 1));
  EXPECT_EQ(run(DeviceOperation::UpdateFirmware).finalState, OperationState::Failed);
  EXPECT_EQ(host.log.back(), msg(TextId::FirmwareTooLarge, 0xFFFCu, 0xFFFBu));
  EXPECT_EQ(tracker->writes, 0u);

  dir.write("Firmware/DBG4V0_APP.bin", Bytes(0xFFFB, 1));
  ASSERT_EQ(run(DeviceOperation::UpdateFirmware).finalState, OperationState::Passed);
  EXPECT_EQ(readU32(&storage()[0x1FFFB]), 0xFFFBu);
}

TEST_F(Ops, ProgrammerWithoutAnImageFailsWithItsPathLines) {
  start(withVersion("KT90PRO V1"));
  EXPECT_EQ(run(DeviceOperation::UpdateFirmware).finalState, OperationState::Failed);
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0], text(TextId::FirmwareReplaceProgrammer, kEnglish));
  const std::vector<std::string> tail(host.log.end() - 3, host.log.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"\r\n", msg(TextId::FileOpenFailed, ""), "Open file <> fail!"}));
  EXPECT_TRUE(tracker->closedEveryTime());
}

TEST_F(Ops, HardwareTestSelectionComesFromHwTestIni) {
  start(prepared([](sim::Emulator& e) { e.selfTestFailures = 0xFFFFFFFF; }));
  EXPECT_EQ(run(DeviceOperation::HardwareTest).hardwareResult, 0x002FFD7Bu);
  const std::string ini = "[HwTest]\r\nFlag=0x80\r\n";
  dir.write("HwTest.ini", ByteView(reinterpret_cast<const std::uint8_t*>(ini.data()), ini.size()));
  EXPECT_EQ(run(DeviceOperation::HardwareTest).finalState, OperationState::Failed);
  EXPECT_EQ(host.log.back(), "HW_Test_LED4_FLAG\r\n");
  emulator().selfTestFailures = 0;
  EXPECT_EQ(run(DeviceOperation::HardwareTest).finalState, OperationState::Passed);
  EXPECT_EQ(host.log.back(), "HardwareModify: 0x00000000\r\n");
}

}  // namespace
}  // namespace kt90::testing
