#pragma once
#include "sim/Emulator.h"
#include "sim/RequestHandler.h"
#include "wire/Frame.h"

namespace kt90::sim {

// Serves the protocol on a file descriptor (the master side of a pseudo-terminal, or a
// socket) until told to stop. Blocks in poll(); replies wait only for the emulated latency,
// counted from the moment the request arrived.
class FdServer {
 public:
  enum class End { Stopped, LineClosed, Disconnected, Failed };

  FdServer(Emulator& emulator, int fd) : emulator_(emulator), handler_(emulator), fd_(fd) {}

  // Returns when `stopFd` becomes readable, the line closes, or the emulated programmer
  // disconnects (the caller then closes the line).
  End serve(int stopFd);

 private:
  bool writeAll(const Bytes& bytes);
  Emulator& emulator_;
  RequestHandler handler_;
  int fd_;
  wire::FrameDecoder decoder_;
  Bytes reply_;
};

// Lets the latency sleeps of this thread end on time instead of up to 50 us late.
void tightenTimerSlack();

}  // namespace kt90::sim
