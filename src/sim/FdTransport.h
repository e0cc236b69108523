#pragma once
#include <string>

#include "wire/Transport.h"

namespace kt90::sim {

// Bytes over a POSIX file descriptor: a terminal device opened by path, or a descriptor
// handed in (one end of a socket pair in tests). Blocks in poll(), never in a sleep.
class FdTransport : public wire::Transport {
 public:
  FdTransport() = default;
  // Uses `fd` for the port name `name`; the transport owns it and closes it.
  FdTransport(int fd, std::string name) : fd_(fd), adopted_(std::move(name)) {}
  ~FdTransport() override;
  FdTransport(const FdTransport&) = delete;
  FdTransport& operator=(const FdTransport&) = delete;

  // Opens the adopted descriptor when `portName` names it, else the device at that path
  // (raw mode). Input left over on the line is discarded.
  bool open(const std::string& portName) override;
  void close() override;
  bool isOpen() const override { return open_; }
  bool write(ByteView bytes, wire::Deadline deadline) override;
  long read(std::span<std::uint8_t> into, wire::Deadline deadline) override;

 private:
  int fd_ = -1;
  std::string adopted_;
  bool open_ = false;
};

// Milliseconds from now to `deadline` for poll(), rounded up, at least 0.
int pollTimeout(wire::Deadline deadline);

}  // namespace kt90::sim
