#pragma once
#include <string>

#include "wire/Transport.h"

namespace kt90::wire {

// Bytes over a Windows COM port (Windows builds only). Reads wait with a total timeout up
// to the deadline and a short gap between bytes, so a burst is handed over as soon as the
// line pauses; the mode that returns on the first byte is not used (wine ignores it).
class ComPortTransport : public Transport {
 public:
  ComPortTransport() = default;
  ~ComPortTransport() override;
  ComPortTransport(const ComPortTransport&) = delete;
  ComPortTransport& operator=(const ComPortTransport&) = delete;

  bool open(const std::string& portName) override;
  void close() override;
  bool isOpen() const override { return handle_ != nullptr; }
  bool write(ByteView bytes, Deadline deadline) override;
  long read(std::span<std::uint8_t> into, Deadline deadline) override;

  // The system's text for the last failure, for logs.
  const std::string& lastError() const { return lastError_; }

 private:
  // Sets the read and write timeouts, skipping the call when they are unchanged.
  bool setTimeouts(unsigned long readTotalMs, unsigned long writeTotalMs);
  void fail(const char* what);

  void* handle_ = nullptr;
  unsigned long readTotalMs_ = ~0ul;
  unsigned long writeTotalMs_ = ~0ul;
  std::string lastError_;
};

}  // namespace kt90::wire
