#include <atomic>
#include <thread>
#include <utility>

#include "InProcessOps.h"

namespace kt90::testing {
namespace {

using Ops = InProcessOps;

TEST_F(Ops, SecondOperationIsRefusedAndChangesNothing) {
  start();
  OperationOutcome inner;
  std::size_t statesBefore = 0;
  bool nested = false;
  tracker->onOpen = [&] {
    if (std::exchange(nested, true)) return;
    statesBefore = host.states.size();
    inner = runDeviceOperation(
        operationRequest(DeviceOperation::Upload, programToWrite(*state), harness.port(), harness.port()), *state,
        *tracker, guard);
  };
  const ProgramImage image = state->image();
  EXPECT_EQ(run(DeviceOperation::Statistics).finalState, OperationState::Passed);
  EXPECT_FALSE(inner.started);
  EXPECT_EQ(host.states.size(), statesBefore + 1);  // only the outer operation's end
  EXPECT_TRUE(host.logHas(msg(TextId::OperationBusy)));
  EXPECT_TRUE(state->image() == image);
  EXPECT_EQ(tracker->opens, 1);
  EXPECT_FALSE(guard.busy());
}

TEST_F(Ops, OperationsFromTwoThreadsNeverOverlap) {
  start();
  std::atomic<int> inside{0}, most{0}, started{0};
  tracker->onOpen = [&] {
    most = std::max(most.load(), ++inside);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    --inside;
  };
  // Each thread tries until ten of its operations ran; the refused tries change nothing.
  auto worker = [&] {
    for (int ran = 0; ran < 10;) {
      const bool admitted =
          runDeviceOperation(operationRequest(DeviceOperation::Statistics, {}, harness.port(), harness.port()), *state,
                             *tracker, guard)
              .started;
      ran += admitted;
      started += admitted;
      if (!admitted) std::this_thread::yield();
    }
  };
  std::thread a(worker), b(worker);
  a.join();
  b.join();
  EXPECT_EQ(most.load(), 1);
  EXPECT_EQ(tracker->opens, started.load());
  EXPECT_EQ(started.load(), 20);
  EXPECT_FALSE(guard.busy());
}

TEST(OperationGuard, TicketsReleaseOnEveryPath) {
  OperationGuard guard;
  {
    auto ticket = guard.tryEnter();
    EXPECT_TRUE(ticket);
    EXPECT_FALSE(guard.tryEnter());
    auto moved = std::move(ticket);
    EXPECT_TRUE(guard.busy());
  }
  EXPECT_FALSE(guard.busy());
  EXPECT_TRUE(guard.tryEnter());
}

}  // namespace
}  // namespace kt90::testing
