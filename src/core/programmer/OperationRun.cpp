#include "core/programmer/OperationRun.h"

#include <chrono>
#include <thread>

namespace kt90 {

bool OperationRun::openDevice() {
  if (session.open(portName_)) return true;
  log(TextId::DeviceNotConnected);
  return false;
}

void OperationRun::addFigure(const std::string& name, const std::string& value) {
  for (auto& figure : outcome_.figures) {
    if (figure.first == name) {
      figure.second = value;
      return;
    }
  }
  outcome_.figures.emplace_back(name, value);
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
