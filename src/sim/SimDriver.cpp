#include "sim/SimDriver.h"

#include <cstring>

#include "core/programmer/StorageMap.h"
#include "sim/StateStore.h"
#include "wire/Protocol.h"

namespace kt90::sim {

SimDriver::SimDriver(Emulator& emulator, std::string portName, StateStore* store)
    : emulator_(emulator), portName_(std::move(portName)), store_(store) {}

bool SimDriver::transfer() {
  if (!open_ || (store_ && !store_->isOpen())) return false;
  began_ = emulator_.clock().now();
  // A programmer that does not answer fails the call at once: there is no line to wait on.
  return emulator_.beginTransfer();
}

bool SimDriver::settle() {
  const bool saved = !store_ || store_->commit(emulator_).empty();
  if (emulator_.faults.latency.count() > 0) emulator_.clock().sleepUntil(began_ + emulator_.faults.latency);
  return saved;
}

std::uint32_t SimDriver::copyOut(const std::optional<Bytes>& bytes, std::uint8_t* buffer, std::uint32_t length) {
  if (!settle() || !bytes || bytes->size() != length) return 0;
  std::memcpy(buffer, bytes->data(), length);
  return length;
}

bool SimDriver::OpenDevice(const std::string& portName) {
  open_ = false;
  if (!portName_.empty() && portName != portName_) return false;
  // A store not opened yet is taken now, when an operation has been let through.
  if (store_ && !store_->isOpen()) {
    if (!store_->problem().empty() || !store_->open(emulator_, stateLockWait()).empty()) return false;
  }
  open_ = true;
  if (!transfer() || !settle()) {
    open_ = false;
    return false;
  }
  return true;
}

void SimDriver::CloseDevice() { open_ = false; }

int SimDriver::SendCmd(std::uint8_t command) {
  if (!transfer()) return 0;
  const bool ok = emulator_.command(command);
  return settle() && ok ? 1 : 0;
}

std::uint32_t SimDriver::SendCmd(const std::uint8_t* packet, std::uint32_t length) {
  if (!packet || length == 0 || !transfer()) return 0;
  const bool ok = emulator_.packet(ByteView(packet, length));
  return settle() && ok ? length : 0;
}

int SimDriver::SendCmd(const std::uint8_t* feature) {
  if (!feature || !transfer()) return 0;
  const bool begun = emulator_.featureBegin(kFeatureSize);
  if (!settle() || !begun) return 0;
  int accepted = 1;
  for (std::uint32_t offset = 0; offset < kFeatureSize; offset += wire::kFeatureChunk) {
    if (!transfer()) break;
    const bool ok = emulator_.featureChunk(offset, ByteView(feature + offset, wire::kFeatureChunk));
    if (!settle() || !ok) break;
    ++accepted;
  }
  return accepted;
}

bool SimDriver::WaitData(std::uint8_t* buffer, std::uint32_t length, std::uint32_t timeout) {
  if (!buffer || !transfer()) return false;
  const auto wait = std::chrono::milliseconds(static_cast<std::int64_t>(timeout) * kWaitUnitMs);
  const Bytes bytes = emulator_.waitOutput(length, began_ + wait);
  if (!settle()) return false;
  if (!bytes.empty()) std::memcpy(buffer, bytes.data(), bytes.size());
  return bytes.size() == length;
}

std::uint32_t SimDriver::WriteData(const std::uint8_t* buffer, std::uint32_t address, std::uint32_t length) {
  if (!buffer || !transfer()) return 0;
  const bool ok = emulator_.writeData(address, ByteView(buffer, length));
  return settle() && ok ? length : 0;
}

std::uint32_t SimDriver::ReadData(std::uint8_t* buffer, std::uint32_t address, std::uint32_t length) {
  if (!buffer || !transfer()) return 0;
  return copyOut(emulator_.readData(address, length), buffer, length);
}

std::uint32_t SimDriver::WriteEEPROM(const std::uint8_t* buffer, std::uint32_t address, std::uint32_t length) {
  if (!buffer || !transfer()) return 0;
  const bool ok = emulator_.writeEeprom(address, ByteView(buffer, length));
  return settle() && ok ? length : 0;
}

std::uint32_t SimDriver::ReadEEPROM(std::uint8_t* buffer, std::uint32_t address, std::uint32_t length) {
  if (!buffer || !transfer()) return 0;
  return copyOut(emulator_.readEeprom(address, length), buffer, length);
}

std::uint32_t SimDriver::ReadMcu(std::uint8_t* buffer, std::uint32_t wordAddress, std::uint32_t length) {
  if (!buffer || !transfer()) return 0;
  return copyOut(emulator_.readMcu(wordAddress, length), buffer, length);
}

bool SimDriver::ProPowerOn(const std::uint8_t* keys) {
  if (!keys || !transfer()) return false;
  const bool ok = emulator_.powerOn(ByteView(keys, kPowerKeySize));
  return settle() && ok;
}

bool SimDriver::ProPowerOff() {
  if (!transfer()) return false;
  const bool ok = emulator_.powerOff();
  return settle() && ok;
}

int SimDriver::GetStatus() {
  if (!transfer()) return -1;
  const bool ready = emulator_.chipReady();
  if (!settle()) return -1;
  return ready ? 1 : 0;
}

std::uint32_t SimDriver::HardwareModify(std::uint32_t mask) {
  if (!transfer()) return kHardwareNoAnswer;
  const std::uint32_t failed = emulator_.hardwareTest(mask);
  return settle() ? failed : kHardwareNoAnswer;
}

}  // namespace kt90::sim
