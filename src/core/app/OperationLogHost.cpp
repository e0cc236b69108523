#include "core/app/OperationLogHost.h"

#include "core/app/LogText.h"

namespace kt90 {

void OperationLogHost::startRecording() {
  const std::lock_guard lock(mutex_);
  recorded_.clear();
  recordingThread_ = std::this_thread::get_id();
}

std::vector<std::string> OperationLogHost::stopRecording() {
  const std::lock_guard lock(mutex_);
  recordingThread_.reset();
  return std::move(recorded_);
}

void OperationLogHost::appendLog(const std::string& text, bool withTime) {
  inner_.appendLog(text, withTime);
  if (isClearCommand(text)) return;
  std::string entry = text;
  while (!entry.empty() && (entry.back() == '\n' || entry.back() == '\r')) entry.pop_back();
  const std::lock_guard lock(mutex_);
  if (recordingThread_ == std::this_thread::get_id() && !entry.empty()) recorded_.push_back(std::move(entry));
}

}  // namespace kt90
