#pragma once
#include <string>

#include "sim/Emulator.h"
#include "sim/RequestHandler.h"
#include "sim/StartKey.h"
#include "wire/Frame.h"

namespace kt90::sim {

class StateStore;

// Serves the protocol on a file descriptor (the master side of a pseudo-terminal, or a
// socket) until told to stop. Blocks in poll(); replies wait only for the emulated latency,
// counted from the moment the request arrived. With a store, what a request changed is
// in the state file before its reply leaves.
class FdServer {
 public:
  enum class End { Stopped, LineFailed, Disconnected, StateNotSaved };

  FdServer(Emulator& emulator, int fd, StateStore* store = nullptr)
      : emulator_(emulator), handler_(emulator), fd_(fd), store_(store) {}

  // Takes "start N" lines from `inFd` between requests and prints each chip's line on
  // `outFd` (StartKey.h); the console's end leaves serving as it was.
  void attachConsole(int inFd, int outFd) {
    consoleIn_ = inFd;
    consoleOut_ = outFd;
  }

  // Returns when `stopFd` becomes readable, the line fails, the emulated programmer
  // disconnects (the caller then closes the line) or its state cannot be saved.
  End serve(int stopFd);
  // Why serving ended, for End::LineFailed and End::StateNotSaved.
  const std::string& problem() const { return problem_; }
  // Replies given up because nobody read them.
  std::size_t droppedReplies() const { return droppedReplies_; }

 private:
  // False when the line failed; a reply nobody takes is dropped and serving goes on.
  bool writeReply(const Bytes& bytes);
  // Runs what came on the console; false when its state could not be saved.
  bool serveConsole();
  Emulator& emulator_;
  RequestHandler handler_;
  int fd_;
  StateStore* store_;
  wire::FrameDecoder decoder_;
  Bytes reply_;
  std::string problem_;
  std::size_t droppedReplies_ = 0;
  int consoleIn_ = -1;
  int consoleOut_ = -1;
  StartKey startKey_{emulator_};
};

// Lets the latency sleeps of this thread end on time instead of up to 50 us late.
void tightenTimerSlack();

}  // namespace kt90::sim
