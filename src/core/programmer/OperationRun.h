#pragma once
#include <cstdint>
#include <string>

#include "core/app/WorkingState.h"
#include "core/programmer/CKT90Driver.h"
#include "core/programmer/OperationGuard.h"
#include "core/programmer/OperationOutcome.h"
#include "core/programmer/OperationRequest.h"
#include "core/text/Format.h"
#include "core/text/StringTable.h"

namespace kt90 {

// Opens the device for one operation and closes it on every path, also after a failed open.
class DeviceSession {
 public:
  explicit DeviceSession(CKT90Driver& driver) : driver_(driver) {}
  DeviceSession(const DeviceSession&) = delete;
  DeviceSession& operator=(const DeviceSession&) = delete;
  ~DeviceSession() { close(); }

  bool open(const std::string& portName) {
    attempted_ = true;
    return driver_.OpenDevice(portName);
  }
  void close() {
    if (attempted_) driver_.CloseDevice();
    attempted_ = false;
  }

 private:
  CKT90Driver& driver_;
  bool attempted_ = false;
};

// One device operation under way: what it was asked, the working state it reports to, the
// driver, and the outcome it fills in. The steps of every operation take it.
class OperationRun {
 public:
  OperationRun(WorkingState& workingState, CKT90Driver& device, const OperationRequest& asked,
               OperationOutcome& result)
      : state(workingState),
        driver(device),
        language(workingState.language()),
        session(device),
        request(asked),
        outcome(result) {}

  WorkingState& state;
  CKT90Driver& driver;
  const LanguageId language;
  DeviceSession session;
  const OperationRequest& request;
  OperationOutcome& outcome;

  // Opens the device on the operation's port; message 21 when nothing answers there.
  bool openDevice();

  // A message of the string table as one log entry, with the time stamp unless told.
  void log(TextId id) { state.appendLog(text(id, language)); }
  template <class... Args>
  void log(TextId id, Args... args) {
    state.appendLog(formatText(text(id, language), args...));
  }
  template <class... Args>
  void logUntimed(TextId id, Args... args) {
    state.appendLog(formatText(text(id, language), args...), false);
  }

  // Progress as a share of `range` steps, shown as a percentage.
  void setProgressRange(std::uint32_t range) { progressRange_ = range; }
  void progress(std::uint32_t step);

  // Waits on the calling thread (the 200 ms settle times of the chip and the record).
  void pause(std::uint32_t milliseconds);

  // An operation that may stop on request watches its guard's cancel request.
  void allowCancel(const OperationGuard& guard) { cancel_ = &guard; }
  bool cancelRequested() const { return cancel_ && cancel_->cancelRequested(); }

 private:
  const OperationGuard* cancel_ = nullptr;
  std::uint32_t progressRange_ = 0;
};

}  // namespace kt90
