#include "core/app/RecordingHost.h"

#include "core/app/LogText.h"

namespace kt90 {

std::vector<std::string> RecordingHost::stopRecording() {
  recording_ = false;
  return std::move(recorded_);
}

void RecordingHost::appendLog(const std::string& text, bool withTime) {
  inner_.appendLog(text, withTime);
  if (!recording_ || isClearCommand(text)) return;
  std::string entry = text;
  while (!entry.empty() && (entry.back() == '\n' || entry.back() == '\r')) entry.pop_back();
  if (!entry.empty()) recorded_.push_back(std::move(entry));
}

}  // namespace kt90
