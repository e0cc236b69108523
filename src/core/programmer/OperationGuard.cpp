#include "core/programmer/OperationGuard.h"

namespace kt90 {

OperationGuard::Ticket& OperationGuard::Ticket::operator=(Ticket&& other) noexcept {
  if (this != &other) {
    release();
    guard_ = other.guard_;
    other.guard_ = nullptr;
  }
  return *this;
}

void OperationGuard::Ticket::release() {
  if (guard_) guard_->busy_.store(false, std::memory_order_release);
  guard_ = nullptr;
}

OperationGuard::Ticket OperationGuard::tryEnter() {
  bool expected = false;
  if (!busy_.compare_exchange_strong(expected, true, std::memory_order_acq_rel)) return Ticket();
  cancel_.store(false, std::memory_order_release);
  return Ticket(this);
}

}  // namespace kt90
