#include "sim/Emulator.h"

#include <algorithm>
#include <cstring>

#include "core/progfile/FirmwareImage.h"
#include "core/programmer/Commands.h"
#include "core/programmer/StorageMap.h"

namespace kt90::sim {

namespace {

bool inRange(std::uint32_t address, std::size_t length, std::size_t size) {
  return length > 0 && std::uint64_t{address} + length <= size;
}

}  // namespace

Emulator::Emulator(std::shared_ptr<SimClock> clock)
    : clock_(std::move(clock)),
      storage_(storage::kSize, 0xFF),
      eeprom_(eeprom::kSize, eeprom::kErased),
      chip_(chipWordWidth) {}

bool Emulator::isDebuggerType() const { return version_.find("DB") != std::string::npos; }

bool Emulator::upgradeRecordInStorage() const {
  return isDebuggerType() && version_.find("DBGPRO") == std::string::npos;
}

void Emulator::eraseStorage() { std::fill(storage_.begin(), storage_.end(), 0xFF); }

bool Emulator::beginTransfer() {
  if (disconnected_) return false;
  if (faults.disconnectAfter && transfers_ >= *faults.disconnectAfter) {
    disconnected_ = true;
    return false;
  }
  ++transfers_;
  return !faults.noReply;
}

void Emulator::queueOutput(ByteView bytes, TimePoint readyAt) {
  for (std::uint8_t b : bytes) output_.push_back({readyAt, b});
}

bool Emulator::command(std::uint8_t cmd) {
  if (faults.refuses(cmd)) return false;
  output_.clear();
  const TimePoint now = clock_->now();
  switch (cmd) {
    case CMD_GET_VERSION: {
      Bytes reply(reply::kVersionSize, 0);
      std::memcpy(reply.data(), version_.data(), std::min(version_.size(), reply.size() - 1));
      queueOutput(reply, now);
      return true;
    }
    case CMD_APP_ID: {
      Bytes reply(reply::kAppIdSize, 0);
      reply[0] = CMD_APP_ID;
      std::memcpy(reply.data() + 1, "KT90APP", 7);
      std::copy(uid_.begin(), uid_.end(), reply.begin() + reply::kUidOffset);
      queueOutput(reply, now);
      return true;
    }
    case CMD_SoftReset:
      softReset();
      return true;
    case CMD_PROGRAM:
      if (!isDebuggerType()) return false;
      answerProgram();
      return true;
    default:
      return false;
  }
}

bool Emulator::packet(ByteView bytes) {
  if (bytes.empty() || faults.refuses(bytes[0])) return false;
  output_.clear();
  if (bytes.size() == CMD_GET_OPER_NUM.size() && std::equal(bytes.begin(), bytes.end(), CMD_GET_OPER_NUM.begin())) {
    Bytes reply;
    appendU32(reply, counters.total);
    appendU32(reply, counters.success);
    queueOutput(reply, clock_->now());
    return true;
  }
  return false;
}

bool Emulator::featureBegin(std::uint32_t total) {
  if (total == 0 || total > storage::kCifSize) return false;
  featureTotal_ = total;
  feature_.assign(total, 0);
  return true;
}

bool Emulator::featureChunk(std::uint32_t offset, ByteView bytes) {
  if (featureTotal_ == 0 || !inRange(offset, bytes.size(), featureTotal_)) return false;
  std::copy(bytes.begin(), bytes.end(), feature_.begin() + offset);
  return true;
}

Bytes Emulator::waitOutput(std::size_t maxLength, TimePoint deadline) {
  // Wait for the bytes asked for, but no longer than the deadline and no longer than the
  // last byte queued needs: a short reply is returned as soon as it is all there.
  for (;;) {
    const TimePoint now = clock_->now();
    std::size_t ready = 0;
    while (ready < output_.size() && ready < maxLength && output_[ready].readyAt <= now) ++ready;
    const bool more = ready < maxLength && ready < output_.size();
    if (!more || now >= deadline) {
      Bytes bytes;
      for (std::size_t i = 0; i < ready; ++i) bytes.push_back(output_[i].byte);
      output_.erase(output_.begin(), output_.begin() + static_cast<std::ptrdiff_t>(ready));
      return bytes;
    }
    clock_->sleepUntil(std::min(deadline, output_[ready].readyAt));
  }
}

bool Emulator::writeData(std::uint32_t address, ByteView bytes) {
  if (bytes.size() > storage::kBlockSize || !inRange(address, bytes.size(), storage_.size())) return false;
  std::copy(bytes.begin(), bytes.end(), storage_.begin() + address);
  if (address < storage::kHead + storage::kHeadSize) runState = RunState{};
  return true;
}

std::optional<Bytes> Emulator::readData(std::uint32_t address, std::uint32_t length) const {
  if (length > storage::kBlockSize || !inRange(address, length, storage_.size())) return std::nullopt;
  Bytes bytes(storage_.begin() + address, storage_.begin() + address + length);
  if (faults.corruptReadAddress && *faults.corruptReadAddress >= address &&
      *faults.corruptReadAddress < std::uint64_t{address} + length) {
    bytes[*faults.corruptReadAddress - address] ^= 0xFF;
  }
  return bytes;
}

bool Emulator::writeEeprom(std::uint32_t address, ByteView bytes) {
  if (!inRange(address, bytes.size(), eeprom_.size())) return false;
  std::copy(bytes.begin(), bytes.end(), eeprom_.begin() + address);
  return true;
}

std::optional<Bytes> Emulator::readEeprom(std::uint32_t address, std::uint32_t length) const {
  if (!inRange(address, length, eeprom_.size())) return std::nullopt;
  return Bytes(eeprom_.begin() + address, eeprom_.begin() + address + length);
}

bool Emulator::powerOn(ByteView keys) {
  if (keys.size() != kPowerKeySize || !chip_.present) return false;
  if (chip_.key && !std::equal(keys.begin(), keys.end(), chip_.key->begin())) return false;
  powered_ = true;
  readyAt_ = clock_->now() + readyDelay;
  return true;
}

bool Emulator::powerOff() {
  powered_ = false;
  return true;
}

bool Emulator::chipReady() { return powered_ && chip_.present && !faults.chipNeverReady && clock_->now() >= readyAt_; }

std::optional<Bytes> Emulator::readMcu(std::uint32_t wordAddress, std::uint32_t length) {
  if (length == 0 || length > chipmap::kReadSize || !chipReady()) return std::nullopt;
  return chip_.read(wordAddress, length);
}

void Emulator::softReset() {
  powered_ = false;
  output_.clear();
  Bytes& place = upgradeRecordInStorage() ? storage_ : eeprom_;
  const std::uint32_t at = upgradeRecordInStorage() ? storage::kUpgradeRecord : eeprom::kUpgradeRecord;
  std::uint8_t* record = place.data() + at;
  if (record[4] != storage::kUpgradeMarker) {
    lastUpgrade_ = UpgradeOutcome::None;
    return;
  }
  // The start-up code takes the record once, whatever it finds behind it.
  record[4] = eeprom::kErased;
  const std::uint32_t size = readU32(record);
  const std::uint32_t room =
      upgradeRecordInStorage() ? storage::kUpgradeRecord - storage::kFirmwareArea : storage::kFirmwareMaxSize;
  std::optional<FirmwareImage> image;
  if (size <= room) image = parseFirmwareImage(ByteView(storage_.data() + storage::kFirmwareArea, size));
  if (!image) {
    lastUpgrade_ = UpgradeOutcome::Rejected;
    return;
  }
  version_ = image->version;
  lastUpgrade_ = UpgradeOutcome::Installed;
}

}  // namespace kt90::sim
