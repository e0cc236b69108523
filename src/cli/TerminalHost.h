#pragma once
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "core/app/Host.h"
#include "core/app/LogText.h"

namespace kt90 {

// Where a TerminalHost's lines go when they do not go to its own streams: a gang's
// programmers share one terminal.
class TerminalOutput {
 public:
  virtual ~TerminalOutput() = default;
  virtual void log(const std::string& line) = 0;      // one log line, with its line end
  virtual void message(const std::string& line) = 0;  // one message line, with its line end
  virtual void progress(int percent) = 0;
  virtual void state(OperationState state) = 0;
};

// The CLI's host: log lines to a stream (with their time stamps), message boxes to
// standard error, questions answered No, entry dialogs cancelled unless an answer was
// given. Keeps every log line for --json output, and what it said last for error texts.
class TerminalHost : public Host {
 public:
  explicit TerminalHost(std::FILE* logStream) : logStream_(logStream) {}

  void appendLog(const std::string& text, bool withTime) override;
  void showCode(const std::string& dump) override { code_ = dump; }
  void showSummary(const std::string& summary) override { summary_ = summary; }
  void setOperationState(OperationState state, const std::string& label) override;
  void setProgress(int percent) override;
  MessageAnswer messageBox(const std::string& text, MessageButtons buttons) override;
  bool editText(const EntryRequest& request, std::string& text) override;

  // The text the next entry dialog is answered with (a password given on the command line).
  void answerNextEntry(std::string text) { entryAnswer_ = std::move(text); }

  void setQuiet(bool quiet) { quiet_ = quiet; }
  void setProgressBar(bool on) { progressBar_ = on; }
  // Sends the lines to `output` instead of the log stream and standard error.
  void setOutput(TerminalOutput* output) { output_ = output; }
  const std::string& code() const { return code_; }
  const std::string& summary() const { return summary_; }
  const std::vector<std::string>& logLines() const { return logLines_; }
  const std::vector<std::string>& messages() const { return messages_; }
  OperationState state() const { return state_; }
  // Log entries and messages so far, and the last of them (no time stamp, no line end):
  // lastSaidSince(mark) is it when something was said after saidCount() gave `mark`.
  std::size_t saidCount() const { return saidCount_; }
  std::string lastSaidSince(std::size_t mark) const { return saidCount_ > mark ? lastSaid_ : std::string(); }

 private:
  std::FILE* logStream_;
  TerminalOutput* output_ = nullptr;
  void said(const std::string& text);

  bool quiet_ = false;
  bool progressBar_ = false;
  std::string code_;
  std::string summary_;
  std::vector<std::string> logLines_;
  std::vector<std::string> messages_;
  std::optional<std::string> entryAnswer_;
  std::string lastSaid_;
  std::size_t saidCount_ = 0;
  OperationState state_ = OperationState::Ready;
};

}  // namespace kt90
