#include "cli/TerminalHost.h"

#include "core/base/Encoding.h"
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

std::string withoutLineEnds(const std::string& text) {
  const auto first = text.find_first_not_of(" \r\n");
  if (first == std::string::npos) return {};
  const auto last = text.find_last_not_of(" \r\n");
  return terminalLines(text.substr(first, last - first + 1));
}

}  // namespace

void TerminalHost::said(const std::string& text) {
  const std::string line = withoutLineEnds(text);
  if (line.empty()) return;
  lastSaid_ = line;
  ++saidCount_;
}

void TerminalHost::appendLog(const std::string& text, bool withTime) {
  if (isClearCommand(text)) return;
  const std::string line = (withTime ? logTimeStamp(localNow()) : std::string()) + terminalLines(text);
  logLines_.push_back(line);
  said(text);
  if (quiet_) return;
  // One write per line, so lines of programmers running at once never mix.
  const std::string ended = line.empty() || line.back() != '\n' ? line + '\n' : line;
  if (output_) return output_->log(ended);
  std::fputs(ended.c_str(), logStream_);
  std::fflush(logStream_);
}

void TerminalHost::setOperationState(OperationState state, const std::string&) {
  state_ = state;
  if (output_) output_->state(state);
}

void TerminalHost::setProgress(int percent) {
  if (!progressBar_) return;
  if (output_) return output_->progress(percent);
  const int filled = percent / 5;
  std::fprintf(stderr, "\r[%-20.*s] %3d%%", filled, "####################", percent);
  if (percent >= 100) std::fputc('\n', stderr);
  std::fflush(stderr);
}

MessageAnswer TerminalHost::messageBox(const std::string& text, MessageButtons buttons) {
  // Message texts may name files or echo their content: standard error stays UTF-8.
  const std::string shown = escapeInvalidUtf8(text);
  messages_.push_back(shown);
  said(shown);
  const std::string line = terminalLines(shown) + '\n';
  if (output_) {
    output_->message(line);
  } else {
    std::fputs(line.c_str(), stderr);
  }
  return buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
}

bool TerminalHost::editText(const EntryRequest&, std::string& text) {
  if (!entryAnswer_) return false;
  text = *entryAnswer_;
  entryAnswer_.reset();
  return true;
}

}  // namespace kt90
