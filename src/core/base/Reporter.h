#pragma once
#include <string>
#include <vector>

namespace kt90 {

// Where core routines below the working state (readers, loaders) report: log lines and
// OK-only message boxes, already formatted in the running language. The working state
// forwards them to its Host.
class Reporter {
 public:
  virtual ~Reporter() = default;
  virtual void log(const std::string& line) = 0;
  virtual void alert(const std::string& text) = 0;
};

// Keeps what was reported (tests, scratch loads whose messages are replayed later).
class RecordingReporter : public Reporter {
 public:
  void log(const std::string& line) override { logLines.push_back(line); }
  void alert(const std::string& text) override { alerts.push_back(text); }
  std::vector<std::string> logLines;
  std::vector<std::string> alerts;
};

}  // namespace kt90
