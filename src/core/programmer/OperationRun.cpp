#include "core/programmer/OperationRun.h"

#include <chrono>
#include <thread>

namespace kt90 {

bool OperationRun::openDevice() {
  if (session.open(request.devicePort)) return true;
  log(TextId::DeviceNotConnected);
  return false;
}

void OperationRun::progress(std::uint32_t step) {
  if (progressRange_ == 0) return;
  const std::uint64_t percent = std::uint64_t{step} * 100 / progressRange_;
  state.host().setProgress(static_cast<int>(percent > 100 ? 100 : percent));
}

void OperationRun::pause(std::uint32_t milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace kt90
