#pragma once
#include "core/app/Host.h"
#include "core/base/Reporter.h"

namespace kt90 {

// Sends what core routines report to the host: log lines with their time stamp, alerts as
// OK-only message boxes.
class HostReporter : public Reporter {
 public:
  explicit HostReporter(Host& host) : host_(host) {}
  void log(const std::string& line) override;
  void alert(const std::string& text) override { host_.messageBox(text, MessageButtons::Ok); }

 private:
  Host& host_;
};

}  // namespace kt90
