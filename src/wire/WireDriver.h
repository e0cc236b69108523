#pragma once
#include <chrono>
#include <memory>

#include "core/programmer/CKT90Driver.h"
#include "wire/Client.h"
#include "wire/Transport.h"

namespace kt90::wire {

// The driver contract spoken over a transport with the framed protocol. Every call is one
// transaction (the CIF data 33), bounded by the reply timeout; WaitData adds its own wait.
class WireDriver : public CKT90Driver {
 public:
  explicit WireDriver(std::unique_ptr<Transport> transport);
  ~WireDriver() override;

  // How long an ordinary reply may take (default kDefaultReplyTimeout).
  void setReplyTimeout(std::chrono::milliseconds timeout) { replyTimeout_ = timeout; }
  std::chrono::milliseconds replyTimeout() const { return replyTimeout_; }
  // Outcome of the last transaction, for diagnostics.
  Outcome lastOutcome() const { return last_; }
  const Client& client() const { return client_; }

  bool OpenDevice(const std::string& portName) override;
  void CloseDevice() override;
  int SendCmd(std::uint8_t command) override;
  std::uint32_t SendCmd(const std::uint8_t* packet, std::uint32_t length) override;
  int SendCmd(const std::uint8_t* feature) override;
  bool WaitData(std::uint8_t* buffer, std::uint32_t length, std::uint32_t timeout) override;
  std::uint32_t WriteData(const std::uint8_t* buffer, std::uint32_t address, std::uint32_t length) override;
  std::uint32_t ReadData(std::uint8_t* buffer, std::uint32_t address, std::uint32_t length) override;
  std::uint32_t WriteEEPROM(const std::uint8_t* buffer, std::uint32_t address, std::uint32_t length) override;
  std::uint32_t ReadEEPROM(std::uint8_t* buffer, std::uint32_t address, std::uint32_t length) override;
  std::uint32_t ReadMcu(std::uint8_t* buffer, std::uint32_t wordAddress, std::uint32_t length) override;
  bool ProPowerOn(const std::uint8_t* keys) override;
  bool ProPowerOff() override;
  int GetStatus() override;
  std::uint32_t HardwareModify(std::uint32_t mask) override;

 protected:
  Transport& transport() { return *transport_; }
  const Transport& transport() const { return *transport_; }

 private:
  Outcome call(Op op, ByteView payload, Bytes* data = nullptr, std::chrono::milliseconds extraWait = {});
  std::uint32_t write(Op op, const std::uint8_t* buffer, std::uint32_t address, std::uint32_t length);
  std::uint32_t read(Op op, std::uint8_t* buffer, std::uint32_t address, std::uint32_t length);

  std::unique_ptr<Transport> transport_;
  Client client_;
  std::chrono::milliseconds replyTimeout_ = kDefaultReplyTimeout;
  Outcome last_ = Outcome::Ok;
  Bytes request_;
  Bytes reply_;
};

}  // namespace kt90::wire
