#pragma once
#include "InProcessHarness.h"
#include "OperationSuite.h"

namespace kt90::testing {

// The operation fixture on the in-process emulator, whose state tests may inspect and
// change between operations.
class InProcessOps : public OperationSuite<InProcessHarness> {
 protected:
  sim::Emulator& emulator() { return harness.finish(); }
  Bytes& storage() { return emulator().storage(); }

  // Stands in for the reply to `command`: `reply` is written to the buffer in place of
  // what the programmer sent, once per WaitData of that command, in order; a reply shorter
  // than asked is one that did not arrive whole.
  void scriptReplies(std::uint8_t command, std::vector<Bytes> replies) {
    auto queue = std::make_shared<std::vector<Bytes>>(std::move(replies));
    tracker->onWaitData = [this, command, queue](std::uint8_t* buffer, std::uint32_t length) -> std::optional<bool> {
      if (tracker->lastCommand != command || queue->empty()) return std::nullopt;
      const Bytes reply = queue->front();
      queue->erase(queue->begin());
      std::copy_n(reply.begin(), std::min<std::size_t>(reply.size(), length), buffer);
      return reply.size() >= length;
    };
  }
};

}  // namespace kt90::testing
