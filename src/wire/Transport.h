#pragma once
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "core/base/Bytes.h"
#include "wire/Protocol.h"

namespace kt90::wire {

using Deadline = Clock::time_point;

// Bytes over a port, nothing more: no framing, no retries. Every call is bounded by its
// deadline. Implementations: the serial port (link), file descriptors (tests, emulator).
class Transport {
 public:
  virtual ~Transport() = default;
  virtual bool open(const std::string& portName) = 0;
  virtual void close() = 0;
  virtual bool isOpen() const = 0;
  // Writes all of `bytes`; false on an error or when the deadline passed first.
  virtual bool write(ByteView bytes, Deadline deadline) = 0;
  // Waits for input until the deadline and stores what has arrived, at most into.size()
  // bytes. Returns the count: 0 on timeout; -1 when the port failed or went away.
  virtual long read(std::span<std::uint8_t> into, Deadline deadline) = 0;
};

}  // namespace kt90::wire
