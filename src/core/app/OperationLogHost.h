#pragma once
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/app/Host.h"

namespace kt90 {

// Passes everything on to the user interface's host and, while recording, also keeps the
// log entries of the thread that started recording (the operation's own; a line from
// elsewhere, such as the refusal of a second operation, is not part of it): the operation
// frame takes them into the production journal.
class OperationLogHost : public Host {
 public:
  explicit OperationLogHost(Host& inner) : inner_(inner) {}

  void startRecording();
  // The entries since startRecording, without "CLEAR" and trailing line breaks.
  std::vector<std::string> stopRecording();

  void appendLog(const std::string& text, bool withTime) override;
  void showCode(const std::string& dump) override { inner_.showCode(dump); }
  void showSummary(const std::string& summary) override { inner_.showSummary(summary); }
  void setOperationState(OperationState state, const std::string& label) override {
    inner_.setOperationState(state, label);
  }
  void setProgress(int percent) override { inner_.setProgress(percent); }
  MessageAnswer messageBox(const std::string& text, MessageButtons buttons) override {
    return inner_.messageBox(text, buttons);
  }
  bool editText(const EntryRequest& request, std::string& text) override { return inner_.editText(request, text); }

 private:
  Host& inner_;
  std::mutex mutex_;
  std::optional<std::thread::id> recordingThread_;
  std::vector<std::string> recorded_;
};

}  // namespace kt90
