#pragma once
#include <chrono>
#include <cstddef>
#include <cstdint>

#include "wire/Frame.h"
#include "wire/Protocol.h"
#include "wire/Transport.h"

namespace kt90::wire {

enum class Outcome {
  Ok,
  Refused,    // the programmer answered with a status other than Ok
  Timeout,    // no matching reply before the deadline
  LineError,  // the port failed, went away or was not open
};

// Request and reply over a transport: one frame out, then frames in until the one that
// carries this request's sequence number. Replies to earlier requests that arrive late
// are dropped. Nothing is ever sent twice.
class Client {
 public:
  explicit Client(Transport& transport) : transport_(transport) {}

  // Sends `op` with `payload` and waits at most `timeout` for its reply. On Ok, `data`
  // (when given) receives the reply payload after the status byte.
  Outcome transact(Op op, ByteView payload, std::chrono::milliseconds timeout, Bytes* data = nullptr);

  // Forgets partial input, for a freshly opened line.
  void resetLine() { decoder_.reset(); }

  std::size_t staleReplies() const { return stale_; }
  std::uint8_t lastSeq() const { return seq_; }

 private:
  Transport& transport_;
  FrameDecoder decoder_;
  Bytes out_;
  std::uint8_t seq_ = 0;
  std::size_t stale_ = 0;
};

}  // namespace kt90::wire
