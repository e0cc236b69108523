#include "wire/WireDriver.h"

#include <algorithm>
#include <cstring>

#include "core/programmer/Commands.h"

namespace kt90::wire {

WireDriver::WireDriver(std::unique_ptr<Transport> transport) : transport_(std::move(transport)), client_(*transport_) {}

WireDriver::~WireDriver() { CloseDevice(); }

Outcome WireDriver::call(Op op, ByteView payload, Bytes* data, std::chrono::milliseconds extraWait) {
  last_ = client_.transact(op, payload, replyTimeout_ + extraWait, data);
  return last_;
}

bool WireDriver::OpenDevice(const std::string& portName) {
  CloseDevice();
  if (!transport_->open(portName)) {
    last_ = Outcome::LineError;
    return false;
  }
  client_.resetLine();
  // A port that opens is not yet a programmer: it has to answer.
  if (call(Op::Ping, {}, &reply_) != Outcome::Ok || reply_.empty() || reply_[0] != kProtocolVersion) {
    transport_->close();
    return false;
  }
  return true;
}

void WireDriver::CloseDevice() {
  if (transport_->isOpen()) transport_->close();
}

int WireDriver::SendCmd(std::uint8_t command) {
  const std::uint8_t payload[1] = {command};
  return call(Op::Command, payload) == Outcome::Ok ? 1 : 0;
}

std::uint32_t WireDriver::SendCmd(const std::uint8_t* packet, std::uint32_t length) {
  if (!packet || length == 0 || length > kMaxPayload) return 0;
  return call(Op::Packet, ByteView(packet, length)) == Outcome::Ok ? length : 0;
}

int WireDriver::SendCmd(const std::uint8_t* feature) {
  if (!feature) return 0;
  request_.clear();
  appendU16(request_, static_cast<std::uint16_t>(kFeatureSize));
  if (call(Op::FeatureBegin, request_) != Outcome::Ok) return 0;
  int accepted = 1;
  for (std::uint32_t offset = 0; offset < kFeatureSize; offset += kFeatureChunk) {
    request_.clear();
    appendU16(request_, static_cast<std::uint16_t>(offset));
    appendBytes(request_, ByteView(feature + offset, kFeatureChunk));
    if (call(Op::FeatureChunk, request_) != Outcome::Ok) break;
    ++accepted;
  }
  return accepted;
}

bool WireDriver::WaitData(std::uint8_t* buffer, std::uint32_t length, std::uint32_t timeout) {
  if (!buffer) return false;
  if (length == 0) return true;
  const std::uint32_t asked = std::min<std::uint32_t>(length, kMaxWaitData);
  const std::chrono::milliseconds wait{static_cast<std::int64_t>(timeout) * kWaitUnitMs};
  request_.clear();
  appendU16(request_, static_cast<std::uint16_t>(asked));
  appendU32(request_, static_cast<std::uint32_t>(wait.count()));
  if (call(Op::WaitData, request_, &reply_, wait) != Outcome::Ok) return false;
  const std::size_t got = std::min<std::size_t>(reply_.size(), asked);
  std::memcpy(buffer, reply_.data(), got);
  return got == length;
}

std::uint32_t WireDriver::write(Op op, const std::uint8_t* buffer, std::uint32_t address, std::uint32_t length) {
  if (!buffer || length == 0 || length + 4 > kMaxPayload) return 0;
  request_.clear();
  appendU32(request_, address);
  appendBytes(request_, ByteView(buffer, length));
  return call(op, request_) == Outcome::Ok ? length : 0;
}

std::uint32_t WireDriver::read(Op op, std::uint8_t* buffer, std::uint32_t address, std::uint32_t length) {
  if (!buffer || length == 0 || length + 1 > kMaxPayload) return 0;
  request_.clear();
  appendU32(request_, address);
  appendU16(request_, static_cast<std::uint16_t>(length));
  if (call(op, request_, &reply_) != Outcome::Ok || reply_.size() != length) return 0;
  std::memcpy(buffer, reply_.data(), length);
  return length;
}

std::uint32_t WireDriver::WriteData(const std::uint8_t* buffer, std::uint32_t address, std::uint32_t length) {
  return write(Op::WriteData, buffer, address, length);
}

std::uint32_t WireDriver::ReadData(std::uint8_t* buffer, std::uint32_t address, std::uint32_t length) {
  return read(Op::ReadData, buffer, address, length);
}

std::uint32_t WireDriver::WriteEEPROM(const std::uint8_t* buffer, std::uint32_t address, std::uint32_t length) {
  return write(Op::WriteEeprom, buffer, address, length);
}

std::uint32_t WireDriver::ReadEEPROM(std::uint8_t* buffer, std::uint32_t address, std::uint32_t length) {
  return read(Op::ReadEeprom, buffer, address, length);
}

std::uint32_t WireDriver::ReadMcu(std::uint8_t* buffer, std::uint32_t wordAddress, std::uint32_t length) {
  return read(Op::ReadMcu, buffer, wordAddress, length);
}

bool WireDriver::ProPowerOn(const std::uint8_t* keys) {
  if (!keys) return false;
  return call(Op::PowerOn, ByteView(keys, kPowerKeySize)) == Outcome::Ok;
}

bool WireDriver::ProPowerOff() { return call(Op::PowerOff, {}) == Outcome::Ok; }

int WireDriver::GetStatus() {
  if (call(Op::GetStatus, {}, &reply_) != Outcome::Ok || reply_.size() != 1) return -1;
  return reply_[0] == 1 ? 1 : 0;
}

std::uint32_t WireDriver::HardwareModify(std::uint32_t mask) {
  request_.clear();
  appendU32(request_, mask);
  if (call(Op::HardwareTest, request_, &reply_) != Outcome::Ok || reply_.size() != 4) return kHardwareNoAnswer;
  return readU32(reply_.data());
}

}  // namespace kt90::wire
