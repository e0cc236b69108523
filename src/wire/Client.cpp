#include "wire/Client.h"

#include <algorithm>
#include <array>

namespace kt90::wire {

Outcome Client::transact(Op op, ByteView payload, std::chrono::milliseconds timeout, Bytes* data) {
  if (!transport_.isOpen()) return Outcome::LineError;
  const Deadline deadline = Clock::now() + timeout;
  ++seq_;
  out_.clear();
  encodeFrameInto(out_, seq_, static_cast<std::uint8_t>(op), payload);
  if (out_.empty()) return Outcome::Refused;
  if (!transport_.write(out_, deadline)) return transport_.isOpen() ? Outcome::Timeout : Outcome::LineError;
  // Nothing that came before this request can be its reply.
  decoder_.reset();

  const std::uint8_t replyType = static_cast<std::uint8_t>(op) | kReplyBit;
  std::array<std::uint8_t, 512> chunk;
  for (;;) {
    while (auto frame = decoder_.next()) {
      if (frame->seq != seq_ || frame->type != replyType) {
        ++stale_;
        continue;
      }
      if (frame->payload.empty() || frame->payload[0] != static_cast<std::uint8_t>(Status::Ok)) {
        return Outcome::Refused;
      }
      if (data) data->assign(frame->payload.begin() + 1, frame->payload.end());
      return Outcome::Ok;
    }
    // While a partial frame waits, the line is watched for the idle gap that ends it.
    const Deadline wake = decoder_.buffered() > 0 ? std::min(deadline, Clock::now() + kIdleGap) : deadline;
    const long got = transport_.read(chunk, wake);
    if (got < 0) return Outcome::LineError;
    if (got == 0) {
      if (wake == deadline) return Outcome::Timeout;
      decoder_.idleGapPassed();
      continue;
    }
    decoder_.feed(ByteView(chunk.data(), static_cast<std::size_t>(got)));
  }
}

}  // namespace kt90::wire
