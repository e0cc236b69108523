#include "cli/TerminalHost.h"

#include "core/base/LocalTime.h"

namespace kt90 {
namespace {

// Log texts carry their own CR LF; a terminal wants plain line ends.
std::string terminalLines(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c != '\r') out.push_back(c);
  }
  return out;
}

}  // namespace

void TerminalHost::appendLog(const std::string& text, bool withTime) {
  if (isClearCommand(text)) return;
  const std::string line = (withTime ? logTimeStamp(localNow()) : std::string()) + terminalLines(text);
  logLines_.push_back(line);
  if (quiet_) return;
  std::fputs(line.c_str(), logStream_);
  if (line.empty() || line.back() != '\n') std::fputc('\n', logStream_);
  std::fflush(logStream_);
}

void TerminalHost::setOperationState(OperationState state, const std::string&) { state_ = state; }

void TerminalHost::setProgress(int percent) {
  if (!progressBar_) return;
  const int filled = percent / 5;
  std::fprintf(stderr, "\r[%-20.*s] %3d%%", filled, "####################", percent);
  if (percent >= 100) std::fputc('\n', stderr);
  std::fflush(stderr);
}

MessageAnswer TerminalHost::messageBox(const std::string& text, MessageButtons buttons) {
  messages_.push_back(text);
  std::fprintf(stderr, "%s\n", terminalLines(text).c_str());
  return buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
}

}  // namespace kt90
