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
  // what the programmer sent, once per WaitData of that command, in order.
  void scriptReplies(std::uint8_t command, std::vector<Bytes> replies) {
    auto queue = std::make_shared<std::vector<Bytes>>(std::move(replies));
    tracker->onWaitData = [this, command, queue](std::uint8_t* buffer, std::uint32_t length) {
      if (tracker->lastCommand != command || queue->empty()) return false;
      const Bytes reply = queue->front();
      queue->erase(queue->begin());
      std::copy_n(reply.begin(), std::min<std::size_t>(reply.size(), length), buffer);
      return true;
    };
  }
};

}  // namespace kt90::testing
