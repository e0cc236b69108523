#pragma once
#include <string>

#include "core/programmer/CKT90Driver.h"
#include "sim/Emulator.h"

namespace kt90::sim {

class StateStore;

// The emulator behind the driver contract, in the same process: each call is one transfer
// of the emulated programmer (the CIF data 33), with its faults and latency. With a store,
// what a call changed is in the state file before the call returns; OpenDevice opens a
// store not opened yet, and a store that cannot be opened or saved leaves the programmer
// unreachable.
class SimDriver : public CKT90Driver {
 public:
  // `portName` is the port the emulated programmer sits on; empty = it answers on any.
  explicit SimDriver(Emulator& emulator, std::string portName = {}, StateStore* store = nullptr);

  bool isOpen() const { return open_; }

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

 private:
  // Starts a transfer; false when the device is closed or the programmer does not answer.
  bool transfer();
  // Ends a transfer: commits to the store, then holds the reply back until the latency has
  // passed since the transfer began. False when the state could not be saved.
  bool settle();
  std::uint32_t copyOut(const std::optional<Bytes>& bytes, std::uint8_t* buffer, std::uint32_t length);

  Emulator& emulator_;
  std::string portName_;
  StateStore* store_;
  bool open_ = false;
  TimePoint began_{};
};

}  // namespace kt90::sim
