#pragma once
// The driver contract as every CKT90Driver must keep it, written once and run against each
// implementation through a harness:
//   struct Harness {
//     void start(const DeviceSetup&);   // a fresh emulated programmer
//     CKT90Driver& driver();
//     std::string port();               // where it answers
//     std::string absentPort();         // where nothing answers
//   };
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "StoredProgram.h"
#include "core/programmer/CKT90Driver.h"
#include "core/programmer/Commands.h"
#include "core/programmer/StorageMap.h"
#include "sim/Emulator.h"
#include "sim/FirmwareBody.h"

namespace kt90::testing {

struct DeviceSetup {
  std::string version;  // empty: the default
  std::string uidHex;   // empty: the default
  std::vector<std::string> faults;
};

inline constexpr std::uint8_t kKeys[5] = {0, 0, 0, 0, 0};

template <class Harness>
class DriverContract : public ::testing::Test {
 protected:
  CKT90Driver& start(const DeviceSetup& setup = {}) {
    harness.start(setup);
    return harness.driver();
  }
  CKT90Driver& open(const DeviceSetup& setup = {}) {
    CKT90Driver& d = start(setup);
    EXPECT_TRUE(d.OpenDevice(harness.port()));
    return d;
  }
  static std::string versionOf(CKT90Driver& d) {
    EXPECT_EQ(d.SendCmd(CMD_GET_VERSION), 1);
    std::uint8_t buffer[reply::kVersionSize] = {};
    d.WaitData(buffer, sizeof buffer, 1);
    return std::string(reinterpret_cast<const char*>(buffer), strnlen(reinterpret_cast<const char*>(buffer), 32));
  }
  static Bytes uidOf(CKT90Driver& d) {
    EXPECT_EQ(d.SendCmd(CMD_APP_ID), 1);
    std::uint8_t buffer[reply::kAppIdSize] = {};
    d.WaitData(buffer, sizeof buffer, 1);
    return Bytes(buffer + reply::kUidOffset, buffer + reply::kUidOffset + reply::kUidSize);
  }
  static bool waitReady(CKT90Driver& d) {
    for (int i = 0; i < 50; ++i) {
      if (d.GetStatus() == 1) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }
  Harness harness;
};

TYPED_TEST_SUITE_P(DriverContract);

TYPED_TEST_P(DriverContract, OpensOnlyWhereAProgrammerAnswers) {
  CKT90Driver& d = this->start();
  EXPECT_FALSE(d.OpenDevice(this->harness.absentPort()));
  std::uint8_t buffer[32] = {};
  // Nothing works on a closed device, and nothing reports success.
  EXPECT_EQ(d.SendCmd(CMD_GET_VERSION), 0);
  EXPECT_EQ(d.ReadData(buffer, 0, 32), 0u);
  EXPECT_EQ(d.GetStatus(), -1);
  EXPECT_EQ(d.HardwareModify(1), CKT90Driver::kHardwareNoAnswer);
  EXPECT_FALSE(d.WaitData(buffer, 1, 1));
  d.CloseDevice();

  ASSERT_TRUE(d.OpenDevice(this->harness.port()));
  EXPECT_EQ(this->versionOf(d), sim::Emulator::kDefaultVersion);
  d.CloseDevice();
  d.CloseDevice();
  EXPECT_EQ(d.SendCmd(CMD_GET_VERSION), 0);
  ASSERT_TRUE(d.OpenDevice(this->harness.port()));
  EXPECT_EQ(this->uidOf(d).size(), 12u);
  d.CloseDevice();
}

TYPED_TEST_P(DriverContract, IdentifiesWithItsVersionAndUid) {
  CKT90Driver& d = this->open({"KT90 DB V4.0", "0102030405060708090A0B0C", {}});
  EXPECT_EQ(this->versionOf(d), "KT90 DB V4.0");
  EXPECT_EQ(this->uidOf(d), (Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
  // A new command drops the unread reply of the one before.
  EXPECT_EQ(d.SendCmd(CMD_GET_VERSION), 1);
  EXPECT_EQ(d.SendCmd(CMD_APP_ID), 1);
  std::uint8_t buffer[32] = {};
  EXPECT_TRUE(d.WaitData(buffer, 32, 1));
  EXPECT_EQ(buffer[reply::kUidOffset], 1);
  // Nothing more is waiting: the buffer keeps what the caller put there.
  std::memset(buffer, 0xFF, sizeof buffer);
  EXPECT_FALSE(d.WaitData(buffer, 1, 1));
  EXPECT_EQ(buffer[0], 0xFF);
  // Unknown commands are refused.
  EXPECT_EQ(d.SendCmd(std::uint8_t{0x99}), 0);
  const std::uint8_t unknownPacket[2] = {0x18, 0x03};
  EXPECT_EQ(d.SendCmd(unknownPacket, 2), 0u);
}

TYPED_TEST_P(DriverContract, StorageAndEepromKeepWhatIsWrittenWithinTheirLimits) {
  CKT90Driver& d = this->open();
  std::uint8_t block[32], back[32];
  for (int i = 0; i < 32; ++i) block[i] = static_cast<std::uint8_t>(0xC0 + i);
  EXPECT_EQ(d.WriteData(block, storage::kCif, 32), 32u);
  EXPECT_EQ(d.ReadData(back, storage::kCif, 32), 32u);
  EXPECT_EQ(std::memcmp(block, back, 32), 0);
  EXPECT_EQ(d.WriteData(block, storage::kUpgradeRecord, 5), 5u);  // the last bytes of the storage
  EXPECT_EQ(d.ReadData(back, storage::kUpgradeRecord, 5), 5u);
  EXPECT_EQ(std::memcmp(block, back, 5), 0);

  std::uint8_t big[33] = {};
  EXPECT_EQ(d.WriteData(big, 0, 33), 0u);  // more than a block
  EXPECT_EQ(d.ReadData(big, 0, 33), 0u);
  EXPECT_EQ(d.WriteData(block, storage::kUpgradeRecord, 6), 0u);  // past the end
  EXPECT_EQ(d.ReadData(back, 0xFFFFFFF0u, 32), 0u);

  std::uint8_t eeprom[256], eepromBack[256];
  for (int i = 0; i < 256; ++i) eeprom[i] = static_cast<std::uint8_t>(255 - i);
  EXPECT_EQ(d.WriteEEPROM(eeprom, 0, 256), 256u);
  EXPECT_EQ(d.ReadEEPROM(eepromBack, 0, 256), 256u);
  EXPECT_EQ(std::memcmp(eeprom, eepromBack, 256), 0);
  EXPECT_EQ(d.ReadEEPROM(eepromBack, eeprom::kUpgradeRecord, 5), 5u);
  EXPECT_EQ(d.ReadEEPROM(eepromBack, eeprom::kUpgradeRecord + 1, 5), 0u);
}

TYPED_TEST_P(DriverContract, CountersCifAndSelfTest) {
  CKT90Driver& d = this->open();
  EXPECT_EQ(d.SendCmd(CMD_GET_OPER_NUM.data(), 2), 2u);
  std::uint8_t counters[8];
  std::memset(counters, 0xFF, sizeof counters);
  EXPECT_TRUE(d.WaitData(counters, 8, 10));
  EXPECT_EQ(readU32(counters), 0u);
  EXPECT_EQ(readU32(counters + 4), 0u);

  std::vector<std::uint8_t> cif(CKT90Driver::kFeatureSize, 0x5A);
  EXPECT_EQ(d.SendCmd(cif.data()), CKT90Driver::kFeatureAccepted);
  EXPECT_EQ(d.HardwareModify(0x2FFD7B), 0u);
}

TYPED_TEST_P(DriverContract, ReadsTheChipInTheSocket) {
  CKT90Driver& d = this->open();
  std::uint8_t buffer[32];
  EXPECT_EQ(d.ReadMcu(buffer, 0, 32), 0u);  // not powered
  ASSERT_TRUE(d.ProPowerOn(kKeys));
  ASSERT_TRUE(this->waitReady(d));
  ASSERT_EQ(d.ReadMcu(buffer, chipmap::kOptionWords, 32), 32u);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(readU16(buffer + 2 * i), 0x3FFF);
  ASSERT_EQ(d.ReadMcu(buffer, 0x1FF0, 32), 32u);
  EXPECT_EQ(readU16(buffer), 0x3FFF);
  EXPECT_EQ(d.ReadMcu(buffer, 0x1FF8, 32), 0u);  // runs past the code into nothing
  EXPECT_TRUE(d.ProPowerOff());
  EXPECT_EQ(d.GetStatus(), 0);
}

TYPED_TEST_P(DriverContract, DebuggerTypeProgramsAChipPerRun) {
  CKT90Driver& d = this->open({"KT90 DB V4.0", "", {}});
  StoredProgram program;
  program.code.assign(32, 0x3FFF);
  program.code[0] = 0x2805;
  program.code[5] = 0x0064;
  program.setRolling({0x10, 0x00}, {0x10, 0x11}, 3);
  ASSERT_TRUE(program.writeTo([&d](std::uint32_t a, ByteView b) {
    return d.WriteData(b.data(), a, static_cast<std::uint32_t>(b.size())) == b.size();
  }));

  std::uint8_t serials[2] = {};
  for (int run = 0; run < 2; ++run) {
    std::uint8_t buffer[4];
    std::memset(buffer, 0xFF, sizeof buffer);
    d.SendCmd(CMD_PROGRAM);
    d.WaitData(buffer, 1, 20);
    EXPECT_EQ(buffer[0], reply::kProgramOk);
    std::memset(buffer, 0xFF, sizeof buffer);
    d.WaitData(buffer, 1, 100);
    EXPECT_EQ(buffer[0], reply::kProgramOk);
    std::memset(buffer, 0xFF, sizeof buffer);
    EXPECT_TRUE(d.WaitData(buffer, 4, 4));
    serials[run] = buffer[0];
    EXPECT_EQ(buffer[1], 0x00);
  }
  EXPECT_EQ(serials[0], 0x10);
  EXPECT_EQ(serials[1], 0x13);

  // The chip of the last run stays in the socket for a read.
  ASSERT_TRUE(d.ProPowerOn(kKeys));
  ASSERT_TRUE(this->waitReady(d));
  std::uint8_t code[32];
  ASSERT_EQ(d.ReadMcu(code, 0, 32), 32u);
  EXPECT_EQ(readU16(code), 0x2805);
  EXPECT_EQ(readU16(code + 10), 0x0064);
  ASSERT_EQ(d.ReadMcu(code, 16, 32), 32u);
  EXPECT_EQ(readU16(code), 0x0413);  // MOVLW of the serial byte
  EXPECT_EQ(readU16(code + 2), 0x0400);

  EXPECT_EQ(d.SendCmd(CMD_GET_OPER_NUM.data(), 2), 2u);
  std::uint8_t counters[8] = {};
  d.WaitData(counters, 8, 10);
  EXPECT_EQ(readU32(counters), 2u);
  EXPECT_EQ(readU32(counters + 4), 2u);
}

TYPED_TEST_P(DriverContract, StandAloneRefusesToProgramButRestartsIntoNewFirmware) {
  CKT90Driver& d = this->open();
  EXPECT_EQ(d.SendCmd(CMD_PROGRAM), 0);

  const Bytes image = encodeFirmwareImage({"KT90 V5.1", sim::makeFirmwareBody("KT90 V5.1", 1000)});
  for (std::size_t at = 0; at < image.size(); at += 32) {
    const auto n = static_cast<std::uint32_t>(std::min<std::size_t>(32, image.size() - at));
    ASSERT_EQ(d.WriteData(image.data() + at, storage::kFirmwareArea + static_cast<std::uint32_t>(at), n), n);
  }
  std::uint8_t record[5];
  writeU32(record, static_cast<std::uint32_t>(image.size()));
  record[4] = storage::kUpgradeMarker;
  ASSERT_EQ(d.WriteEEPROM(record, eeprom::kUpgradeRecord, 5), 5u);
  EXPECT_EQ(d.SendCmd(CMD_SoftReset), 1);
  d.CloseDevice();
  ASSERT_TRUE(d.OpenDevice(this->harness.port()));
  EXPECT_EQ(this->versionOf(d), "KT90 V5.1");
}

TYPED_TEST_P(DriverContract, SilentProgrammerCannotBeOpened) {
  CKT90Driver& d = this->start({"", "", {"no-reply"}});
  EXPECT_FALSE(d.OpenDevice(this->harness.port()));
  EXPECT_EQ(d.SendCmd(CMD_GET_VERSION), 0);
}

TYPED_TEST_P(DriverContract, RefusedCommandsFailAlone) {
  CKT90Driver& d = this->open({"", "", {"refuse=0x17", "refuse=0x18"}});
  EXPECT_EQ(d.SendCmd(CMD_GET_VERSION), 0);
  EXPECT_EQ(d.SendCmd(CMD_GET_OPER_NUM.data(), 2), 0u);
  EXPECT_EQ(d.SendCmd(CMD_APP_ID), 1);
}

TYPED_TEST_P(DriverContract, CorruptedReadBackShowsAtItsAddressOnly) {
  CKT90Driver& d = this->open({"", "", {"corrupt=0x5003"}});
  std::uint8_t block[32], back[32];
  std::memset(block, 0x11, sizeof block);
  ASSERT_EQ(d.WriteData(block, storage::kCif, 32), 32u);
  ASSERT_EQ(d.ReadData(back, storage::kCif, 32), 32u);
  for (int i = 0; i < 32; ++i) EXPECT_EQ(back[i], i == 3 ? 0xEE : 0x11) << i;
}

TYPED_TEST_P(DriverContract, DisconnectEndsEveryCall) {
  CKT90Driver& d = this->open({"", "", {"disconnect=3"}});  // the open's check is the first
  std::uint8_t buffer[4] = {};
  EXPECT_EQ(d.ReadData(buffer, 0, 4), 4u);
  EXPECT_EQ(d.ReadData(buffer, 0, 4), 4u);
  EXPECT_EQ(d.ReadData(buffer, 0, 4), 0u);
  EXPECT_EQ(d.SendCmd(CMD_GET_VERSION), 0);
  d.CloseDevice();
  EXPECT_FALSE(d.OpenDevice(this->harness.port()));
}

TYPED_TEST_P(DriverContract, ChipThatNeverGetsReadyCannotBeRead) {
  CKT90Driver& d = this->open({"", "", {"never-ready"}});
  ASSERT_TRUE(d.ProPowerOn(kKeys));
  EXPECT_FALSE(this->waitReady(d));
  std::uint8_t buffer[32];
  EXPECT_EQ(d.ReadMcu(buffer, 0, 32), 0u);
}

TYPED_TEST_P(DriverContract, ErasedStorageReadsAllOnes) {
  CKT90Driver& d = this->open({"", "", {"erased"}});
  std::uint8_t head[32] = {};
  ASSERT_EQ(d.ReadData(head, storage::kHead, 32), 32u);
  for (std::uint8_t b : head) EXPECT_EQ(b, 0xFF);
}

TYPED_TEST_P(DriverContract, LatencyHoldsEveryReplyBack) {
  CKT90Driver& d = this->open({"", "", {"latency=15"}});
  std::uint8_t buffer[32];
  const auto begin = std::chrono::steady_clock::now();
  for (int i = 0; i < 6; ++i) ASSERT_EQ(d.ReadData(buffer, 32u * i, 32), 32u);
  EXPECT_GE(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(90));
}

REGISTER_TYPED_TEST_SUITE_P(DriverContract, OpensOnlyWhereAProgrammerAnswers, IdentifiesWithItsVersionAndUid,
                            StorageAndEepromKeepWhatIsWrittenWithinTheirLimits, CountersCifAndSelfTest,
                            ReadsTheChipInTheSocket, DebuggerTypeProgramsAChipPerRun,
                            StandAloneRefusesToProgramButRestartsIntoNewFirmware, SilentProgrammerCannotBeOpened,
                            RefusedCommandsFailAlone, CorruptedReadBackShowsAtItsAddressOnly, DisconnectEndsEveryCall,
                            ChipThatNeverGetsReadyCannotBeRead, ErasedStorageReadsAllOnes, LatencyHoldsEveryReplyBack);

}  // namespace kt90::testing
