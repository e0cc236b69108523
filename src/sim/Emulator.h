#pragma once
#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>

#include "core/base/Bytes.h"
#include "sim/Faults.h"
#include "sim/SimClock.h"
#include "sim/SocketChip.h"

namespace kt90::sim {

using Uid = std::array<std::uint8_t, 12>;

// Production counters: programming runs and successful ones.
struct Counters {
  std::uint32_t total = 0;
  std::uint32_t success = 0;
};

// Where chip programming stands between runs. Writing a new head into the storage starts
// afresh: the next run takes the serial number from the stored RolCode and the program
// limit counts from 0.
struct RunState {
  bool fresh = true;
  bool rollingOverflow = false;
  std::array<std::uint8_t, 8> serial{};
  std::uint32_t limitUsed = 0;
};

// Outcome of one programming run.
struct RunResult {
  bool ok = false;
  std::uint8_t code = 0;                 // result code when !ok
  bool rolling = false;                  // the rolling code was on
  std::array<std::uint8_t, 4> serial{};  // serial bytes 0-3 the chip received
};

enum class UpgradeOutcome { None, Installed, Rejected };

// The programmer: data storage, EEPROM, socket, counters, self-test results, firmware and
// upgrade record, with its fault switches. Its request methods are exactly what one
// transfer of the driver contract does; SimDriver and the protocol server both call them.
class Emulator {
 public:
  // A stand-alone programmer with a firmware the shipped settings list as supported; the
  // same for kt90-sim, kt90ctl --sim and the window's emulator.
  static constexpr const char* kDefaultVersion = "KT90 V5.2";
  static constexpr Uid kDefaultUid = {0x4B, 0x54, 0x39, 0x30, 0x00, 0x05, 0x20, 0x24, 0x00, 0x00, 0x00, 0x01};

  explicit Emulator(std::shared_ptr<SimClock> clock = realClock());

  // Identity.
  const std::string& versionText() const { return version_; }
  void setVersionText(std::string text) { version_ = std::move(text); }
  const Uid& uid() const { return uid_; }
  void setUid(const Uid& uid) { uid_ = uid; }
  // A version text with "DB" answers CMD_PROGRAM by programming the socket chip.
  bool isDebuggerType() const;
  // Its upgrade record lives in storage (with "DB" but not "DBGPRO"), else in EEPROM.
  bool upgradeRecordInStorage() const;

  // Memories.
  Bytes& storage() { return storage_; }
  const Bytes& storage() const { return storage_; }
  Bytes& eeprom() { return eeprom_; }
  const Bytes& eeprom() const { return eeprom_; }
  void eraseStorage();
  const Bytes& feature() const { return feature_; }
  void setFeature(Bytes feature) { feature_ = std::move(feature); }

  // Socket. Each debugger-type run gets a fresh blank chip of `chipWordWidth` bits, as an
  // operator puts a new chip in; with `keepChip` the chip already there is used again.
  SocketChip& chip() { return chip_; }
  const SocketChip& chip() const { return chip_; }
  bool keepChip = false;
  int chipWordWidth = 14;
  std::chrono::milliseconds readyDelay{50};    // power-on until the chip is ready
  std::chrono::milliseconds programTime{100};  // CMD_PROGRAM until its result

  Counters counters;
  std::uint32_t selfTestFailures = 0;  // HardwareModify answers this AND the mask
  RunState runState;
  UpgradeOutcome lastUpgrade() const { return lastUpgrade_; }

  Faults faults;
  SimClock& clock() { return *clock_; }

  // One transfer begins: counts it and tells whether the programmer answers it at all.
  bool beginTransfer();
  bool disconnected() const { return disconnected_; }
  std::uint64_t transfers() const { return transfers_; }

  // Requests. Each returns false (or nullopt) when the programmer refuses it.
  bool command(std::uint8_t cmd);
  bool packet(ByteView bytes);
  bool featureBegin(std::uint32_t total);
  bool featureChunk(std::uint32_t offset, ByteView bytes);
  // Reply bytes of the last command, waiting until `deadline` for `maxLength` of them.
  Bytes waitOutput(std::size_t maxLength, TimePoint deadline);
  bool writeData(std::uint32_t address, ByteView bytes);
  std::optional<Bytes> readData(std::uint32_t address, std::uint32_t length) const;
  bool writeEeprom(std::uint32_t address, ByteView bytes);
  std::optional<Bytes> readEeprom(std::uint32_t address, std::uint32_t length) const;
  std::optional<Bytes> readMcu(std::uint32_t wordAddress, std::uint32_t length);
  bool powerOn(ByteView keys);
  bool powerOff();
  bool chipReady();
  std::uint32_t hardwareTest(std::uint32_t mask) const { return selfTestFailures & mask; }

  // One programming run from the stored program, as the start key of a stand-alone
  // programmer or CMD_PROGRAM of a debugger-type one starts it.
  RunResult programChip();
  // What CMD_SoftReset does: the start-up code installs a waiting verified image.
  void softReset();

 private:
  void queueOutput(ByteView bytes, TimePoint readyAt);
  void answerProgram();

  std::shared_ptr<SimClock> clock_;
  std::string version_ = kDefaultVersion;
  Uid uid_ = kDefaultUid;
  Bytes storage_;
  Bytes eeprom_;
  Bytes feature_;
  std::uint32_t featureTotal_ = 0;
  SocketChip chip_;
  bool powered_ = false;
  TimePoint readyAt_{};
  struct Pending {
    TimePoint readyAt;
    std::uint8_t byte;
  };
  std::deque<Pending> output_;
  std::uint64_t transfers_ = 0;
  bool disconnected_ = false;
  UpgradeOutcome lastUpgrade_ = UpgradeOutcome::None;
};

}  // namespace kt90::sim
