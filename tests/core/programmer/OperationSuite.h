#pragma once
// The device operations end to end against an emulated programmer, written once and run
// through each harness (in process, and kt90-sim over a pseudo-terminal):
//   struct Harness {
//     void start(const DeviceSetup&);
//     CKT90Driver& driver();
//     std::string port();
//     sim::Emulator& finish();  // the programmer's state at the end
//   };
#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "InProcessHarness.h"
#include "MemoryLedger.h"
#include "OperationTestSupport.h"
#include "core/app/ProfileStore.h"
#include "core/app/WorkingState.h"
#include "core/progfile/Checksums.h"
#include "core/progfile/Crc16.h"
#include "core/programmer/DeviceOperations.h"
#include "core/programmer/ProgramToWrite.h"
#include "core/programmer/StorageMap.h"
#include "core/text/Format.h"
#include "core/text/StringTable.h"

namespace kt90::testing {

// Random code and option words 0-7 within the chip's word width.
inline void fillProgram(WorkingState& state, std::uint32_t seed) {
  ProgramImage& image = state.image();
  std::mt19937 random(seed);
  const std::uint16_t blank = state.blankWord();
  for (std::size_t n = 0; n < image.codeWords(); ++n) image.setWord(n, static_cast<std::uint16_t>(random() & blank));
  for (int i = 0; i < 8; ++i) image.setOptionWord(i, static_cast<std::uint16_t>(random() & blank));
}

// `length` serial bytes starting 0x34, 0x12, 0, ... as MOVLW at 0x0100 onwards, step `step`.
inline void setRollingCode(ProgramImage& image, std::uint8_t step, int length = 2) {
  auto& b = image.rolCode.bytes;
  b.fill(0);
  b[0] = static_cast<std::uint8_t>(length - 1);
  for (int i = 0; i < length; ++i) {
    b[1 + 2 * i] = i == 0 ? 0x34 : i == 1 ? 0x12 : 0;
    b[2 + 2 * i] = 4;
    writeU16(&b[1 + 2 * length + 2 * i], static_cast<std::uint16_t>(0x100 + i));
  }
  b[1 + 4 * length] = step;
  image.head.setFlag(headflag::kRollingCode, true);
}

inline bool sameProgram(const ProgramImage& a, const ProgramImage& b) {
  return a.head.bytes == b.head.bytes &&
         std::equal(a.programBytes().begin(), a.programBytes().end(), b.programBytes().begin()) &&
         a.calibration == b.calibration && a.openShort.bytes == b.openShort.bytes && a.rolCode.bytes == b.rolCode.bytes;
}

template <class Harness>
class OperationSuite : public ::testing::Test {
 protected:
  void start(const DeviceSetup& setup = {}, const std::string& chip = "QD46K025T0") {
    profile.writeInt(profile::kLanguage, kEnglish);
    profile.writeString(profile::kChip, chip);
    state = std::make_unique<WorkingState>(host, profile, dir.dir());
    state->start();
    harness.start(setup);
    tracker = std::make_unique<TrackingDriver>(harness.driver());
  }
  OperationOutcome run(DeviceOperation op, FirmwareConsent firmware = FirmwareConsent::RefuseDowngrade) {
    OperationRequest request = operationRequest(op, programToWrite(*state), harness.port(), harness.port());
    request.firmware = firmware;
    request.serialLedger = ledger;
    request.serialCount = serialCount;
    return runDeviceOperation(request, *state, *tracker, guard);
  }
  std::string msg(TextId id) const { return text(id, kEnglish); }
  template <class... Args>
  std::string msg(TextId id, Args... args) const {
    return formatText(text(id, kEnglish), args...);
  }
  void selectChip(const std::string& model) {
    ASSERT_TRUE(state->selectChipModel(model));
    ASSERT_TRUE(state->loadChipDefinition(true));
  }

  ProgramDirCopy dir;
  RecordingHost host;
  MemoryProfile profile;
  std::unique_ptr<WorkingState> state;
  Harness harness;
  OperationGuard guard;
  std::unique_ptr<TrackingDriver> tracker;
  JournalStore* ledger = nullptr;
  std::optional<std::uint64_t> serialCount;
};

TYPED_TEST_SUITE_P(OperationSuite);

TYPED_TEST_P(OperationSuite, DownloadThenUploadRoundTripsEveryShippedChip) {
  this->start(withVersion("KT90 V5.2"));
  ASSERT_GE(this->state->chipList().size(), 6u);
  std::uint32_t seed = 1;
  for (const std::string& model : this->state->chipList()) {
    SCOPED_TRACE(model);
    this->selectChip(model);
    fillProgram(*this->state, seed++);
    if (seed % 2) setRollingCode(this->state->image(), 3, seed % 4 == 1 ? 8 : 2);  // 8: a 34-byte record
    const auto down = this->run(DeviceOperation::Download);
    ASSERT_EQ(down.finalState, OperationState::Passed) << this->host.log.back();
    const ProgramImage downloaded = this->state->image();

    this->selectChip(model);  // a fresh image for the chip
    const auto up = this->run(DeviceOperation::Upload);
    ASSERT_EQ(up.finalState, OperationState::Ready) << this->host.log.back();
    EXPECT_EQ(this->state->chipModelName(), model);
    EXPECT_TRUE(sameProgram(this->state->image(), downloaded));
    if (downloaded.head.version() >= 0x20) {
      EXPECT_EQ(this->state->image().config.bytes, downloaded.config.bytes);
    }
    EXPECT_EQ(this->host.states.back(), OperationState::Ready);
    EXPECT_TRUE(this->tracker->closedEveryTime());
  }
  EXPECT_EQ(this->host.progress.back(), 100);
}

TYPED_TEST_P(OperationSuite, DebuggerDownloadThenReadChipGivesTheImageBack) {
  this->start(withVersion("KT90DB V5.2"));
  fillProgram(*this->state, 7);
  ProgramImage& image = this->state->image();
  image.setOptionWord(13,
                      static_cast<std::uint16_t>((image.optionWord(13) & ~0x30) | 0x10));  // signature kept in the chip
  ASSERT_EQ(this->run(DeviceOperation::Download).finalState, OperationState::Passed) << this->host.log.back();
  const std::uint16_t signature = chipSignature(image);

  ASSERT_EQ(this->run(DeviceOperation::ReadChip).finalState, OperationState::Ready) << this->host.log.back();
  const Bytes& read = this->state->shownCode();
  EXPECT_TRUE(std::equal(image.programBytes().begin(), image.programBytes().end(), read.begin()));
  for (int i = 0; i < 16; ++i) {
    if (!((image.config.optionMask() >> i) & 1)) continue;
    // The chip holds each option word within its width; words 8 and 9 carry the signature.
    const unsigned expected = image.optionWord(i) & this->state->blankWord();
    EXPECT_TRUE(this->host.logHas(formatText("%04X: 0x%04X\r\n", 0x2000 + i, expected))) << i;
  }
  EXPECT_TRUE(this->host.logHas(this->msg(TextId::ReadChipSignature, static_cast<unsigned>(signature))));
  EXPECT_TRUE(
      this->host.logHas(this->msg(TextId::ReadCodeChecksum, static_cast<unsigned>(crc16(image.programBytes())))));
  EXPECT_TRUE(this->state->projectPath().empty());
  EXPECT_TRUE(this->tracker->closedEveryTime());
}

TYPED_TEST_P(OperationSuite, RollingCodeAdvancesByItsStepFromChipToChip) {
  this->start(withVersion("KT90DB V5.2"));
  fillProgram(*this->state, 9);
  setRollingCode(this->state->image(), 5);
  const auto first = this->run(DeviceOperation::Download);
  ASSERT_EQ(first.finalState, OperationState::Passed) << this->host.log.back();
  EXPECT_EQ(first.rollingCode, "34120000");
  EXPECT_TRUE(this->host.logHas("ROL_CODE:34120000\r\n"));
  // Two more chips programmed from the same download.
  for (const char* expected : {"39120000", "3E120000"}) {
    ASSERT_TRUE(this->tracker->OpenDevice(this->harness.port()));
    this->tracker->SendCmd(CMD_PROGRAM);
    std::uint8_t reply[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    this->tracker->WaitData(reply, 1, 20);
    this->tracker->WaitData(reply, 1, 100);
    ASSERT_EQ(reply[0], 0);
    this->tracker->WaitData(reply, 4, 4);
    EXPECT_EQ(formatText("%02X%02X%02X%02X", reply[0], reply[1], reply[2], reply[3]), expected);
    this->tracker->CloseDevice();
  }
}

// Every download with the rolling code on takes a block of its own from the ledger and
// sends its first serial; the project keeps the engineer's start.
TYPED_TEST_P(OperationSuite, EachDownloadSendsTheFirstSerialOfItsOwnBlock) {
  struct Case {
    const char* name;
    const char* version;
    std::uint32_t programLimit;
    std::optional<std::uint64_t> count;
    bool ledger;
    std::uint64_t usedBefore;  // serials other downloads took first
    OperationState state;
    std::optional<std::pair<std::uint64_t, std::uint64_t>> block;  // the second download's
    TextId line;
  };
  // The series starts at 0x1234 with step 5 and two serial bytes: 12,176 serials.
  const Case cases[] = {
      {"debugger: one serial each", "KT90DB V5.2", 0, std::nullopt, true, 0, OperationState::Passed,
       std::pair{0x1239, 0x1239}, TextId::SerialBlockReserved},
      {"stand-alone: the program limit", "KT90 V5.2", 3, std::nullopt, true, 0, OperationState::Passed,
       std::pair{0x1243, 0x124D}, TextId::SerialBlockReserved},
      {"stand-alone: the count asked", "KT90 V5.2", 0, 10, true, 0, OperationState::Passed,
       std::pair{0x1266, 0x1293}, TextId::SerialBlockReserved},
      {"stand-alone: no limit, no count", "KT90 V5.2", 0, std::nullopt, true, 0, OperationState::Failed,
       std::nullopt, TextId::SerialCountMissing},
      {"past the end of the series", "KT90 V5.2", 3, std::nullopt, true, 12175, OperationState::Failed,
       std::nullopt, TextId::SerialBlockTooLarge},
      {"journal off: the file's serial", "KT90DB V5.2", 0, std::nullopt, false, 0, OperationState::Passed,
       std::nullopt, TextId::SerialsNotReserved},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    this->start(withVersion(c.version));
    fillProgram(*this->state, 9);
    setRollingCode(this->state->image(), 5);
    this->state->image().head.setProgramLimit(c.programLimit);
    MemoryLedger memory;
    if (c.usedBefore != 0) {
      SerialSeries series = {"QD46K025T0", 2, {0x100, 0x101}, 5, 4, 0x1234};
      memory.reserveSerials(series, c.usedBefore, {});
    }
    this->ledger = c.ledger ? &memory : nullptr;
    this->serialCount = c.count;
    const std::uint8_t startByte = this->state->image().rolCode.bytes[1];
    const auto first = this->run(DeviceOperation::Download);
    const auto second = this->run(DeviceOperation::Download);
    EXPECT_EQ(second.finalState, c.state) << this->host.log.back();
    EXPECT_TRUE(this->host.logContains(std::string(text(c.line, kEnglish)).substr(0, 8)));
    EXPECT_EQ(this->state->image().rolCode.bytes[1], startByte);
    if (c.block) {
      EXPECT_EQ(second.serialFirst, c.block->first);
      EXPECT_EQ(second.serialLast, c.block->second);
      EXPECT_LT(*first.serialLast, *second.serialFirst);
      // A debugger-type programmer reports the serial it was given.
      if (c.programLimit == 0 && !c.count) {
        EXPECT_EQ(second.rollingCode, formatText("%02X%02X0000", 0x39, 0x12));
      }
    } else {
      EXPECT_FALSE(second.serialFirst);
    }
    this->harness.finish();
  }
}

TYPED_TEST_P(OperationSuite, LimitedFileStopsAtItsDownloadCount) {
  this->start(withVersion("KT90 V5.2"));
  fillProgram(*this->state, 11);
  ProgramImage& image = this->state->image();
  image.head.setProgramLimit(1000);
  image.protection.currentTime = 0x5F5E1000;
  image.protection.downloadLimit = 3;
  for (int remain : {2, 1, 0}) {
    ASSERT_EQ(this->run(DeviceOperation::Download).finalState, OperationState::Passed) << this->host.log.back();
    EXPECT_TRUE(this->host.logHas(this->msg(TextId::DownloadNote, 3, remain)));
  }
  const auto refused = this->run(DeviceOperation::Download);
  EXPECT_EQ(refused.finalState, OperationState::Failed);
  EXPECT_EQ(this->host.log.back(), this->msg(TextId::DownloadLimitReached, 3));
  EXPECT_FALSE(this->host.logContains("downloading file"));
  EXPECT_TRUE(this->tracker->closedEveryTime());
  const Bytes& storage = this->harness.finish().storage();
  EXPECT_EQ(readU32(&storage[storage::kStampRing]), 4u);
  EXPECT_EQ(readU32(&storage[storage::kStampRing + 4]), 0x5F5E1000u);
  EXPECT_EQ(storage[storage::kRemainingDownloads + 1], 0);
}

TYPED_TEST_P(OperationSuite, StatisticsHardwareTestFirmwareUpdateAndUidQuery) {
  this->start(prepared([](sim::Emulator& e) {
    e.counters = {200, 199};
    e.selfTestFailures = 0x20000;
  }));
  const auto stats = this->run(DeviceOperation::Statistics);
  EXPECT_EQ(stats.finalState, OperationState::Passed);
  ASSERT_TRUE(stats.counters);
  EXPECT_EQ(stats.counters->total, 200u);
  EXPECT_EQ(stats.counters->successes, 199u);
  EXPECT_DOUBLE_EQ(stats.counters->yieldPercent, 99.5);
  EXPECT_EQ(stats.firmwareVersion, sim::Emulator::kDefaultVersion);
  EXPECT_TRUE(this->host.logHas("Total number: 200,Successes: 199,Quality 99.50%\r\n"));

  EXPECT_EQ(this->run(DeviceOperation::HardwareTest).finalState, OperationState::Failed);
  const std::vector<std::string> tail(this->host.log.end() - 7, this->host.log.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"HardwareModify: 0x00020000\r\n", "HW_Test_VPP5V0_FLAG\r\n",
                                            "HW_Test_VPP8V75_FLAG\r\n", "HW_TEST_EN_ALL_FLAG\r\n",
                                            "HW_TEST_EN_PART1_FLAG\r\n", "HW_TEST_EN_PART2_FLAG\r\n",
                                            "HW_TEST_EN_PART3_FLAG\r\n"}));

  const auto uid = this->run(DeviceOperation::QueryUid);
  EXPECT_EQ(uid.finalState, OperationState::Passed);
  EXPECT_EQ(uid.uid, "4B5439300005202400000001");
  EXPECT_EQ(this->state->connectedUid(), ProgrammerUid(sim::Emulator::kDefaultUid));

  const auto update = this->run(DeviceOperation::UpdateFirmware);
  EXPECT_EQ(update.finalState, OperationState::Passed) << this->host.log.back();
  EXPECT_TRUE(this->host.logHas(this->dir.dir() + "/Firmware/KT90_5_0.bin\r\n"));
  EXPECT_EQ(this->host.log.back(), this->msg(TextId::FirmwareRecordDone));
  EXPECT_TRUE(this->tracker->closedEveryTime());
  EXPECT_EQ(this->harness.finish().versionText(), "KT90 V5.2");  // the start-up code took the image
}

TYPED_TEST_P(OperationSuite, DebuggerRunFailureLogsItsResultCode) {
  DeviceSetup setup = prepared([](sim::Emulator& e) {
    e.setVersionText("KT90DB V5.2");
    e.chip().present = false;
  });
  setup.keepChip = true;
  this->start(setup);
  const auto outcome = this->run(DeviceOperation::Download);
  EXPECT_EQ(outcome.finalState, OperationState::Failed);
  EXPECT_EQ(outcome.resultCode, 1);
  EXPECT_EQ(this->host.log.back(), "Err.1, 放置错误，没有放置芯片，或者芯片损坏。");
  EXPECT_TRUE(this->tracker->closedEveryTime());
}

// One test per fault switch: the device ends closed, the state Failed, the log says why,
// and nothing of the working state is lost.
TYPED_TEST_P(OperationSuite, FaultNoReply) {
  this->start(withFaults({"no-reply"}));
  EXPECT_EQ(this->run(DeviceOperation::Statistics).finalState, OperationState::Failed);
  EXPECT_EQ(this->host.log, std::vector<std::string>{this->msg(TextId::DeviceNotConnected)});
  EXPECT_EQ(this->host.states.back(), OperationState::Failed);
  EXPECT_TRUE(this->tracker->closedEveryTime());
}

TYPED_TEST_P(OperationSuite, FaultRefusedAppIdNeverLetsAStaleUidThrough) {
  this->start(withFaults({"refuse=0x72"}));
  const ProgrammerUid listed = sim::Emulator::kDefaultUid;
  this->state->image().protection.uids = {listed};
  this->state->setConnectedUid(listed);  // from an earlier operation
  const ProgramImage before = this->state->image();
  EXPECT_EQ(this->run(DeviceOperation::Download).finalState, OperationState::Failed);
  EXPECT_TRUE(this->host.logHas("SendCmd(CMD_APP_ID) fail!\r\n"));
  EXPECT_EQ(this->host.log.back(), this->msg(TextId::ProgrammerNotBound));
  EXPECT_EQ(this->tracker->writes, 0u);
  EXPECT_TRUE(this->tracker->closedEveryTime());
  EXPECT_TRUE(this->state->image() == before);
}

TYPED_TEST_P(OperationSuite, FaultCorruptReadBack) {
  this->start(withFaults({"corrupt=0x25"}));
  fillProgram(*this->state, 5);
  const auto project = this->dir.path("saved.vk");
  this->state->setFileName(pathToUtf8(project));
  const std::uint8_t byte = this->state->image().code()[5];
  EXPECT_EQ(this->run(DeviceOperation::Download).finalState, OperationState::Failed);
  EXPECT_EQ(this->host.log.back(), this->msg(TextId::CheckFailure, 0x25u, static_cast<unsigned>(byte ^ 0xFF)));
  EXPECT_FALSE(std::filesystem::exists(project));  // no save after a failed download
  EXPECT_EQ(this->host.states.back(), OperationState::Failed);
  EXPECT_TRUE(this->tracker->closedEveryTime());
}

TYPED_TEST_P(OperationSuite, FaultDisconnectDuringDownload) {
  this->start(withFaults({"disconnect=20"}));
  fillProgram(*this->state, 3);
  const ProgramImage before = this->state->image();
  EXPECT_EQ(this->run(DeviceOperation::Download).finalState, OperationState::Failed);
  EXPECT_TRUE(this->host.logContains("Write failure, adress0x"));
  EXPECT_TRUE(this->state->image() == before);
  EXPECT_TRUE(this->tracker->closedEveryTime());
}

TYPED_TEST_P(OperationSuite, FaultChipNeverReady) {
  this->start(withFaults({"never-ready"}));
  const Bytes shown = this->state->shownCode();
  EXPECT_EQ(this->run(DeviceOperation::ReadChip).finalState, OperationState::Failed);
  EXPECT_EQ(this->host.log.back(), this->msg(TextId::ReadStatusFailed));
  EXPECT_EQ(this->tracker->powerOffs, 1);  // the chip is not left powered
  EXPECT_EQ(this->state->shownCode(), shown);
  EXPECT_TRUE(this->tracker->closedEveryTime());
}

TYPED_TEST_P(OperationSuite, FaultErasedStorageRefusesUpload) {
  this->start(withFaults({"erased"}));
  fillProgram(*this->state, 4);
  const ProgramImage before = this->state->image();
  EXPECT_EQ(this->run(DeviceOperation::Upload).finalState, OperationState::Failed);
  EXPECT_EQ(this->host.log.back(), this->msg(TextId::UploadProtected));
  EXPECT_TRUE(this->state->image() == before);
  EXPECT_TRUE(this->tracker->closedEveryTime());
}

TYPED_TEST_P(OperationSuite, FaultLatencyStillPasses) {
  this->start(withFaults({"latency=3"}));
  const auto stats = this->run(DeviceOperation::Statistics);
  EXPECT_EQ(stats.finalState, OperationState::Passed);
  EXPECT_TRUE(this->host.logHas("Total number: 0,Successes: 0,Quality 0.00%\r\n"));
  EXPECT_TRUE(this->tracker->closedEveryTime());
}

REGISTER_TYPED_TEST_SUITE_P(OperationSuite, DownloadThenUploadRoundTripsEveryShippedChip,
                            DebuggerDownloadThenReadChipGivesTheImageBack, RollingCodeAdvancesByItsStepFromChipToChip,
                            EachDownloadSendsTheFirstSerialOfItsOwnBlock, LimitedFileStopsAtItsDownloadCount, StatisticsHardwareTestFirmwareUpdateAndUidQuery,
                            DebuggerRunFailureLogsItsResultCode, FaultNoReply,
                            FaultRefusedAppIdNeverLetsAStaleUidThrough, FaultCorruptReadBack,
                            FaultDisconnectDuringDownload, FaultChipNeverReady, FaultErasedStorageRefusesUpload,
                            FaultLatencyStillPasses);

}  // namespace kt90::testing
