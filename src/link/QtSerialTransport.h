#pragma once
#include <memory>

#include "wire/Transport.h"

class QSerialPort;

namespace kt90::link {

// Bytes over a serial port with Qt SerialPort. Uses only the blocking waits, so it works
// on any thread without an event loop; the port object is made by open() on the calling
// thread and destroyed by close().
class QtSerialTransport : public wire::Transport {
 public:
  QtSerialTransport();
  ~QtSerialTransport() override;

  // `portName` is a port name (COM3, ttyACM0) or a device path (/dev/pts/4).
  bool open(const std::string& portName) override;
  void close() override;
  bool isOpen() const override;
  bool write(ByteView bytes, wire::Deadline deadline) override;
  long read(std::span<std::uint8_t> into, wire::Deadline deadline) override;

  // The platform's text for the last failure, for logs.
  std::string lastError() const { return lastError_; }

 private:
  std::unique_ptr<QSerialPort> port_;
  std::string lastError_;
};

}  // namespace kt90::link
