#pragma once
#include <cstdint>
#include <string>

namespace kt90 {

// The programmer as the operations see it: one method per call of the maker's driver
// library, with a port name where the library took a COM number. Implementations: the
// serial driver (link) and the in-process emulator driver (sim).
//
// Call order for every operation: OpenDevice, the operation's calls, CloseDevice, also
// after a failure. One operation at a time uses an object; it holds no lock.
//
// No call retries on its own: a lost or refused exchange is reported once, by its result.
class CKT90Driver {
 public:
  // WaitData timeouts count in these units: 1 = 100 ms. The waits of the operations
  // (1 for an identification reply, 10 for the counters, 20 and 100 while a chip is
  // programmed) then leave a real programmer time to answer.
  static constexpr std::uint32_t kWaitUnitMs = 100;

  // SendCmd(feature) result when all of the CIF data arrived.
  static constexpr int kFeatureAccepted = 33;
  static constexpr std::uint32_t kFeatureSize = 2048;

  // HardwareModify result when the programmer did not answer: every test counts as failed.
  static constexpr std::uint32_t kHardwareNoAnswer = 0xFFFFFFFFu;

  virtual ~CKT90Driver() = default;

  // Opens the port and checks that a programmer answers on it. true = open.
  virtual bool OpenDevice(const std::string& portName) = 0;
  // Ends the session; safe on a closed device and after a failed open.
  virtual void CloseDevice() = 0;

  // One command byte (Commands.h). 1 = accepted; 0 = refused, not answered or not open.
  // A command discards reply bytes still waiting from an earlier one.
  virtual int SendCmd(std::uint8_t command) = 0;
  // A command packet. Result = length when accepted, otherwise 0.
  virtual std::uint32_t SendCmd(const std::uint8_t* packet, std::uint32_t length) = 0;
  // The 2048-byte CIF data, sent as 33 transfers (an announcement and 32 pieces of 64
  // bytes). Result = transfers accepted: kFeatureAccepted when all arrived.
  virtual int SendCmd(const std::uint8_t* feature) = 0;

  // Stores up to `length` reply bytes of the last command into `buffer`, waiting at most
  // `timeout` units of kWaitUnitMs for them; bytes that did not arrive are left as they
  // were. true only when all `length` bytes arrived: on false the operations read nothing
  // of the buffer as a value (a short reply is no reply).
  virtual bool WaitData(std::uint8_t* buffer, std::uint32_t length, std::uint32_t timeout) = 0;

  // Data storage (StorageMap.h). At most 32 bytes per call. Result = bytes moved: `length`
  // on success, 0 when refused (out of range, too long) or not answered.
  virtual std::uint32_t WriteData(const std::uint8_t* buffer, std::uint32_t address, std::uint32_t length) = 0;
  virtual std::uint32_t ReadData(std::uint8_t* buffer, std::uint32_t address, std::uint32_t length) = 0;

  // The 256-byte EEPROM, up to 256 bytes per call; results as for the data storage.
  virtual std::uint32_t WriteEEPROM(const std::uint8_t* buffer, std::uint32_t address, std::uint32_t length) = 0;
  virtual std::uint32_t ReadEEPROM(std::uint8_t* buffer, std::uint32_t address, std::uint32_t length) = 0;

  // Reads the powered, ready chip in the socket: `length` bytes (32) from chip word
  // `wordAddress` (code from 0, option words at 0x2000). Result = `length` on success, 0
  // otherwise.
  virtual std::uint32_t ReadMcu(std::uint8_t* buffer, std::uint32_t wordAddress, std::uint32_t length) = 0;

  // Powers the socket chip with the five key bytes of its definition. true = powered.
  virtual bool ProPowerOn(const std::uint8_t* keys) = 0;
  // true = the chip is switched off.
  virtual bool ProPowerOff() = 0;
  // 1 = chip ready; 0 = not (yet) ready; -1 = not answered.
  virtual int GetStatus() = 0;

  // Runs the self-tests selected by `mask`. Result = mask of failed tests, 0 = all passed,
  // kHardwareNoAnswer when the programmer did not answer.
  virtual std::uint32_t HardwareModify(std::uint32_t mask) = 0;
};

}  // namespace kt90
