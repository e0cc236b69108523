#pragma once
#include <cstdio>
#include <string>
#include <vector>

#include "core/app/Host.h"
#include "core/app/LogText.h"

namespace kt90 {

// The CLI's host: log lines to a stream (with their time stamps), message boxes to
// standard error, questions answered No, entry dialogs cancelled. Keeps every log line
// for --json output.
class TerminalHost : public Host {
 public:
  explicit TerminalHost(std::FILE* logStream) : logStream_(logStream) {}

  void appendLog(const std::string& text, bool withTime) override;
  void showCode(const std::string& dump) override { code_ = dump; }
  void showSummary(const std::string& summary) override { summary_ = summary; }
  void setOperationState(OperationState state, const std::string& label) override;
  void setProgress(int percent) override;
  MessageAnswer messageBox(const std::string& text, MessageButtons buttons) override;
  bool editText(const EntryRequest&, std::string&) override { return false; }

  void setQuiet(bool quiet) { quiet_ = quiet; }
  void setProgressBar(bool on) { progressBar_ = on; }
  const std::string& code() const { return code_; }
  const std::string& summary() const { return summary_; }
  const std::vector<std::string>& logLines() const { return logLines_; }
  const std::vector<std::string>& messages() const { return messages_; }
  OperationState state() const { return state_; }

 private:
  std::FILE* logStream_;
  bool quiet_ = false;
  bool progressBar_ = false;
  std::string code_;
  std::string summary_;
  std::vector<std::string> logLines_;
  std::vector<std::string> messages_;
  OperationState state_ = OperationState::Ready;
};

}  // namespace kt90
