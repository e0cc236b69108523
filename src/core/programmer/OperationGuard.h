#pragma once
#include <atomic>

namespace kt90 {

// Admits one device operation at a time, whichever thread or command starts it. The owner
// (GUI or CLI) keeps one guard next to the working state. A ticket holds the admission and
// gives it back when it goes out of scope, on every path.
class OperationGuard {
 public:
  class Ticket {
   public:
    Ticket() = default;
    Ticket(Ticket&& other) noexcept : guard_(other.guard_) { other.guard_ = nullptr; }
    Ticket& operator=(Ticket&& other) noexcept;
    Ticket(const Ticket&) = delete;
    Ticket& operator=(const Ticket&) = delete;
    ~Ticket() { release(); }

    // false: another operation holds the guard; nothing was admitted.
    explicit operator bool() const { return guard_ != nullptr; }
    void release();

   private:
    friend class OperationGuard;
    explicit Ticket(OperationGuard* guard) : guard_(guard) {}
    OperationGuard* guard_ = nullptr;
  };

  OperationGuard() = default;
  OperationGuard(const OperationGuard&) = delete;
  OperationGuard& operator=(const OperationGuard&) = delete;

  // A valid ticket when no operation runs, an empty one otherwise. Never blocks.
  Ticket tryEnter();
  bool busy() const { return busy_.load(std::memory_order_acquire); }

  // Asks the admitted operation to stop where it safely can (a download, between two
  // blocks). Any thread may ask; the next admission forgets the request.
  void requestCancel() { cancel_.store(true, std::memory_order_release); }
  bool cancelRequested() const { return cancel_.load(std::memory_order_acquire); }

 private:
  std::atomic<bool> busy_{false};
  std::atomic<bool> cancel_{false};
};

}  // namespace kt90
